#pragma once
// The play-list dialog: adds a play list (opened by the play-list window's "Add New Play List"
// button, whose tag is "Add"), or changes the chosen list's name and notes, or deletes it
// (opened with HeaderEditMode set).
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace player {

class frmPlayList;

class frmPlayListHeader : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmPlayListHeader(QWidget *parent = nullptr);

    static constexpr const char *AddCaption = "Add a new Play List";
    static constexpr const char *EditCaption = "Edit an existing Play List";

    QLabel *lblPlayListName = nullptr;
    QLabel *lblNotes = nullptr;
    QLineEdit *txtPlayListName = nullptr;
    QLineEdit *txtNotes = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdDelete = nullptr;

    long EditListID = 0;  // the list being edited, 0 until one is loaded

    void cmdOK_Click();
    void cmdDelete_Click();
    void cmdClose_Click();

private:
    frmPlayList *owner() const;
    void addList(const QString &name);
    void saveList(const QString &name);
};

} // namespace player
