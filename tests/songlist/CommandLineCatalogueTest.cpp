// A catalogue named on the command line: the data folder stays the user's, is made when it is
// not there yet, and the column layout written at the close is found at the next start.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "core/Main.h"
#include "core/RegistryOptions.h"
#include "core/SingleInstance.h"
#include "core/StartupHooks.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"
#include "songlist/NameList.h"
#include "songlist/NameListEntry.h"

#include <QDir>
#include <QFileInfo>

using core::g;
using songlist::NameList;

namespace {

class CommandLineCatalogueTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        core::singleInstance().release();
        core::hooks() = {};
        core::hooks().showMainWindow = [] { songlist::ShowNameList(); };
        NameList::endProgramHook() = [] {};
        g().ProgramFolderOverride = tmp.path() + "/bin";
        QDir().mkpath(g().ProgramFolderOverride);
        dataFolder = tmp.path() + "/not yet made/";
        core::RegistryOptions::setDatabaseLocation(dataFolder);
        catalogue = tmp.path() + "/elsewhere/mine.mdb";
        QDir().mkpath(tmp.path() + "/elsewhere");
        testenv::copyEmptyCatalogue(catalogue);
    }
    void TearDown() override {
        platform::ui::unloadAllForms();
        platform::ui::flushUnloadedForms();
        NameList::endProgramHook() = {};
        core::hooks() = {};
        core::singleInstance().release();
        OrvalisTest::TearDown();
    }
    void newRun() {
        core::singleInstance().release();
        core::resetState();
        g().ProgramFolderOverride = tmp.path() + "/bin";
    }

    platform::ui::ScriptedPrompts prompts;
    platform::ui::ScopedModalHook modal{[](QDialog *) {}};
    QString dataFolder;
    QString catalogue;
};

} // namespace

TEST_F(CommandLineCatalogueTest, TheLayoutGoesToTheDataFolderMadeForItAndComesBack) {
    ASSERT_EQ(modMain::Main(catalogue), modMain::StartResult::MainWindowShown);
    EXPECT_EQ(g().DataFolder, dataFolder);
    NameList *w = NameList::instance();
    ASSERT_NE(w, nullptr);
    w->cmdSortArtist_Click();  // swaps Artist into the first column
    ASSERT_TRUE(w->ColumnsChanged);
    w->close();

    EXPECT_TRUE(prompts.messageTexts().isEmpty()) << prompts.lastMessage().toStdString();
    EXPECT_TRUE(QFileInfo(dataFolder + "tkcolumn.dat").isFile());
    EXPECT_FALSE(QFileInfo::exists(tmp.path() + "/elsewhere/tkcolumn.dat"));

    platform::ui::flushUnloadedForms();
    newRun();
    ASSERT_EQ(modMain::Main(catalogue), modMain::StartResult::MainWindowShown);
    w = NameList::instance();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Table1->columnDataField(1), "Artist");
    EXPECT_EQ(w->Table1->columnWidth(1), 3570);
}
