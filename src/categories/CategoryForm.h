#pragma once
// The category window: every category by name; add, rename and delete one; show the songs of
// the chosen category in the main grid or all songs again; and whether the category last shown
// comes back at the next start. Modal; it closes itself after either show command.
#include "core/WheelTarget.h"
#include "platform/ui/Forms.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace platform::ui {
class DataControl;
class DbGrid;
} // namespace platform::ui

namespace songlist {
class NameList;
}

namespace categories {

class CategoryForm : public platform::ui::Form<QDialog>, public core::WheelTarget {
    Q_OBJECT
public:
    explicit CategoryForm(QWidget *parent = nullptr);

    // Wheel turns over the window scroll the category list.
    void MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) override;

    platform::ui::DataControl *CatgData = nullptr;
    platform::ui::DbGrid *CatgGrid = nullptr;
    QPushButton *cmdSelected = nullptr;
    QPushButton *cmdShowAll = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdChange = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdExit = nullptr;
    QCheckBox *cbDefaultCatg = nullptr;

    // The first activation puts the shown category on the current row.
    void Form_Activate();
    void cmdSelected_Click();
    void cmdShowAll_Click();
    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdDelete_Click();
    void cmdExit_Click();
    void cbDefaultCatg_Click();
    // A character typed in the list: Enter shows the category, a letter jumps to the first
    // category that begins with it. Sets KeyAscii to 0 when the key was used.
    void CatgGrid_KeyPress(int &KeyAscii);

    // The question the delete asks for a category holding `songs` songs.
    static QString deleteQuestion(long songs);

protected:
    void formUnload() override;
    void showEvent(QShowEvent *e) override;

private:
    void Form_Load();
    qint64 currentNumber() const;
    QString currentName() const;
    bool hasRows() const;

    bool activated_ = false;
};

} // namespace categories
