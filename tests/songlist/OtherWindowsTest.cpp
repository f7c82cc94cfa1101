// The openers of the windows of later subsystems, and the category assignment's own test for
// an empty view.
#include "CommandsFixture.h"

#include "platform/ui/MousePointer.h"
#include "songlist/ShowCategoryAssign.h"

using songlist::OtherWindows;

namespace {

using OtherWindowsTest = CommandsTest;

TEST_F(OtherWindowsTest, OpenersReachTheirWindowsAndUnbuiltWindowsDoNothing) {
    open();
    w->cmdCategory_Click();  // nothing registered yet: nothing happens, nothing is said
    w->cmdAssignCatg_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(platform::ui::mousePointer(), platform::ui::MousePointer::Default);

    for (const char *n : {OtherWindows::CategoryForm, OtherWindows::CriteriaForm, OtherWindows::CategoryAssign,
                          OtherWindows::CatgAssignAll, OtherWindows::MemoForm, OtherWindows::frmChangeFilePath,
                          OtherWindows::frmReplace})
        registerWindow(n);
    w->Category_Click();
    w->cmdFilter_Click();
    w->AssignCatgMenu_Click();
    w->mnuPopupAssignToCategory_Click();
    w->RemoveAllFromCatg_Click();
    w->cmdNotes_Click();
    w->mnuChangePaths_Click();
    w->mnuReplace_Click();
    EXPECT_EQ(opened, (QStringList{"CategoryForm", "CriteriaForm", "CategoryAssign", "CategoryAssign", "CatgAssignAll",
                                   "MemoForm", "frmChangeFilePath", "frmReplace"}));
}

TEST_F(OtherWindowsTest, AssignmentsDoNothingOnAnEmptyView) {
    open();
    for (const char *n : {OtherWindows::CategoryAssign, OtherWindows::CatgAssignAll})
        registerWindow(n);
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    w->Data1->refresh();
    w->AssignCatgMenu_Click();
    w->cmdAssignCatg_Click();
    modMain::ShowCategoryAssign();
    w->AssignAllToCatg_Click();
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace
