#pragma once
// Puts the main grid's current song into categories and takes it out of them: every category
// on the left, the song's categories on the right; an arrow button or a double-click moves one
// across. Categories can be added and renamed here too, and a box decides whether the window
// opens by itself after a new song was saved in the editor. Modal; every change is written at
// once.
#include "platform/ui/Forms.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace platform::ui {
class DataControl;
class DbGrid;
} // namespace platform::ui

namespace categories {

class CategoryAssign : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit CategoryAssign(QWidget *parent = nullptr);

    QLabel *lblName = nullptr;
    platform::ui::DataControl *CatgData = nullptr;
    platform::ui::DbGrid *CatgGrid = nullptr;
    platform::ui::DataControl *CatgIdData = nullptr;
    platform::ui::DbGrid *CatgIdGrid = nullptr;
    QPushButton *cmdRtArrow = nullptr;
    QPushButton *cmdLfArrow = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdChange = nullptr;
    QPushButton *cmdExit = nullptr;
    QCheckBox *cbAssignCatgOnAdd = nullptr;

    void cmdRtArrow_Click();
    void cmdLfArrow_Click();
    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdExit_Click();
    void cbAssignCatgOnAdd_Click();

    // The song the window assigns (its RecordID), read from the main grid at load.
    qint64 recordId() const { return recordId_; }

    // The right list's query for a song.
    static QString songCategoriesSql(qint64 recordId);

private:
    void Form_Load();
    void showError(const std::exception &e);
    void refreshAssigned();

    qint64 recordId_ = 0;
};

} // namespace categories
