#pragma once
// The titled notes window: any number of rich-text notes, each under a title, kept as NOTE rows
// of tblSettings; one is shown at a time, the last one shown comes back at the next opening.
//
// Titles may differ only in case, and the store finds titles case-blind, so every list entry
// carries its note's bookmark and every load and save goes through it, never through the title.
#include "core/CommonDlgs.h"
#include "notes/TextFind.h"
#include "platform/db/Recordset.h"
#include "platform/ui/Forms.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace platform::richtext {
class RichTextBox;
}
namespace platform::ui {
class LeaveChecks;
}

namespace notes {

class MemoForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    MemoForm();
    ~MemoForm() override;

    QLabel *lblTitle = nullptr;
    QComboBox *cmbTitle = nullptr;
    QPushButton *cmdFindNext = nullptr;
    QPushButton *cmdFind = nullptr;
    QToolButton *chkBold = nullptr;
    QToolButton *chkItalic = nullptr;
    QToolButton *chkUnderline = nullptr;
    QToolButton *cmdPicture = nullptr;
    QLabel *lblFontColor = nullptr;
    QToolButton *cmdFontColor = nullptr;
    platform::richtext::RichTextBox *txtNotes = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdAdd = nullptr;
    QToolButton *ImageKeyboard = nullptr;

    std::unique_ptr<platform::db::Recordset> NoteRecords;
    bool NoteChanged = false;
    bool FormLoading = false;
    TextFind finder;
    core::CommonDlgs dialogs;

    // Handlers. Form_Load runs from the constructor; Form_Activate runs once the window is shown
    // (and does nothing after its first run).
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void cmbTitle_Click();
    void cmbTitle_GotFocus();
    // True keeps the focus in the title box (the title was refused).
    bool cmbTitle_Validate();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdCancel_Click();
    void cmdExit_Click();
    void cmdFind_Click();
    void cmdFindNext_Click();
    void ImageKeyboard_Click();
    // Formatting row and the box's notifications.
    void chkBold_Click();
    void chkItalic_Click();
    void chkUnderline_Click();
    void cmdFontColor_Click();
    void cmdPicture_Click();
    void txtNotes_MarkChanged();
    void txtNotes_ShowSelectionFormat();

    // The bookmark of the note shown (empty when none).
    const platform::db::Bookmark &currentNote() const { return current_; }
    // Selects the list entry of a note and runs the title's click handler.
    void selectNote(const platform::db::Bookmark &note);
    // The list entry carrying a note's bookmark; -1 when none.
    int entryOf(const platform::db::Bookmark &note) const;
    // A title list position read from LASTNOTE, clamped to the list; 0 for a text that is no number.
    static int startPosition(const QString &stored, int count);

protected:
    void formUnload() override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void reject() override; // Esc is the Cancel button
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void loadNote(const platform::db::Bookmark &note);
    // Writes the box into the note shown; false (the error shown) when the write failed.
    bool saveShown();
    // Runs the title check when the title box holds a title that is not the note's own;
    // false when it was refused.
    bool titleAccepted();
    int insertSorted(const QString &title, const platform::db::Bookmark &note);
    QString storedName() const;
    bool hasRows() const;

    platform::db::Bookmark current_;
    platform::ui::LeaveChecks *checks_ = nullptr;
    bool cancelling_ = false;
    bool closing_ = false;
    bool activated_ = false;
};

} // namespace notes
