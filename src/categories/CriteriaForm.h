#pragma once
// The filter window: the user writes a condition over the songs' fields (helped by the field
// names, a genre, a rating and the current album), applies it to the main grid, within the
// category shown, and keeps conditions under names. Modal, loaded anew at every opening; it
// closes itself after a filter that found songs, Exit and Show All Records.
#include "categories/RecordFilter.h"
#include "platform/ui/Forms.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace categories {

class CriteriaForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit CriteriaForm(QWidget *parent = nullptr);
    ~CriteriaForm() override;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *lblCriteria = nullptr;
    QPlainTextEdit *txtCriteria = nullptr;
    QLabel *lblFieldNames = nullptr;
    QListWidget *listFieldNames = nullptr;
    QLabel *lblGenre = nullptr;
    QComboBox *cmbGenre = nullptr;
    QLabel *lblRating = nullptr;
    QComboBox *cmbRating = nullptr;
    QPushButton *cmdAddCriteria = nullptr;
    QPushButton *cmdCurrentAlbum = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdApplyCriteria = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdShowAll = nullptr;
    QPushButton *cmdExit = nullptr;
    QLabel *lblSavedFilters = nullptr;
    QListWidget *listFilters = nullptr;
    QPushButton *cmdSaveFilter = nullptr;
    QPushButton *cmdRenameFilter = nullptr;
    QPushButton *cmdDeleteFilter = nullptr;

    // The first activation fills the field names and the saved filters; later ones do nothing.
    void Form_Activate();
    void listFieldNames_DblClick();
    void listFieldNames_KeyPress(int &KeyAscii);
    void cmbGenre_Click();
    void cmbRating_Click();
    void cmbRating_Change();
    void cmbRating_GotFocus();
    void cmdAddCriteria_Click();
    void cmdCurrentAlbum_Click();
    void cmdRestore_Click();
    void cmdClear_Click();
    void txtCriteria_Change();
    // Enter is swallowed and applies the criteria.
    void txtCriteria_KeyPress(int &KeyAscii);
    void cmdApplyCriteria_Click();
    void cmdShowAll_Click();
    void cmdExit_Click();

    void listFilters_Click();
    void cmdSaveFilter_Click();
    void cmdRenameFilter_Click();
    void cmdDeleteFilter_Click();

    // The criteria box's text.
    QString criteria() const;

    // The six items of the rating box.
    static const QStringList &ratings();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void Form_Load();
    // Sets the criteria text; the caret goes to the end or stays where it was.
    void setCriteria(const QString &text, bool caretAtEnd);
    // The saved filter chosen in the list, or nullptr.
    QListWidgetItem *chosenFilter() const;
    void enableGenreRatingCommands(const QString &text);

    bool FirstActivation = false;
    std::unique_ptr<RecordFilter> filter_;
};

} // namespace categories
