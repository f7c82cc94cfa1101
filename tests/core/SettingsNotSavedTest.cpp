// A settings store that refuses writes: every window that writes an option says it was not
// saved, names the file and the reason, and claims nothing; the stored value stays as it was.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "core/Main.h"
#include "core/RegistryOptions.h"
#include "core/SingleInstance.h"
#include "core/StartupHooks.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "core/frmMessage.h"
#include "platform/settings/Options.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <unistd.h>

using namespace platform::ui;
using core::RegistryOptions;
using core::g;
namespace settings = platform::settings;

namespace {

class SettingsNotSavedTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        settings::SaveSetting(settings::OptionsSection, "Font", "Before");
        file = QSettings("Orvalis", "Orvalis").fileName();
        ASSERT_TRUE(QFile::exists(file));
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadUser);
        if (::access(QFile::encodeName(file).constData(), W_OK) == 0)
            GTEST_SKIP() << "root ignores the permission bits";
    }
    void TearDown() override {
        setModalHook({});
        unloadAllForms();
        flushUnloadedForms();
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        OrvalisTest::TearDown();
    }
    QString option(const QString &key) { return settings::GetSetting(settings::OptionsSection, key, "<absent>"); }
    void expectNotSavedBox(const ScriptedPrompts::Asked &a) {
        EXPECT_EQ(a.text, "Orvalis could not save its settings in " + file + ": Permission denied");
        EXPECT_EQ(a.title, "Settings not saved");
        EXPECT_EQ(a.icon, Icon::Exclamation);
        EXPECT_EQ(a.buttons, Buttons::OK);
    }

    ScriptedPrompts sp;
    QString file;
};

} // namespace

TEST_F(SettingsNotSavedTest, ARefusedWriteIsReportedAndTheStoredValueStays) {
    const auto status = settings::SaveSetting(settings::OptionsSection, "Font", "After");
    EXPECT_FALSE(status);
    EXPECT_EQ(status.file, file);
    EXPECT_EQ(status.reason, "Permission denied");
    EXPECT_EQ(option("Font"), "Before");

    EXPECT_FALSE(RegistryOptions::setFileRenameDisabled(true));
    ASSERT_EQ(sp.asked().size(), 1);
    expectNotSavedBox(sp.asked()[0]);
    EXPECT_FALSE(RegistryOptions::fileRenameDisabled());
    // The four placement keys are one change: it is reported once.
    EXPECT_FALSE(RegistryOptions::setGridScreenPlacement({1, 2, 3, 4}));
    EXPECT_EQ(sp.asked().size(), 2);
}

TEST_F(SettingsNotSavedTest, TheDatabaseLocationWindowDoesNotClaimTheChange) {
    const QString current = tmp.path() + "/current/";
    const QString other = tmp.path() + "/other/";
    testenv::writeFile(current + "OVdata.mdb", "db");
    testenv::writeFile(other + "OVdata.mdb", "db");
    g().DataFolder = current;
    bool stayed = false;
    ScopedModalHook hook([&](QDialog *d) {
        auto *w = qobject_cast<core::frmDatabaseLocation *>(d);
        w->txtPathName->setText(other);
        w->cmdSave->click();
        stayed = w->isVisible();
        w->cmdCancel->click();
    });
    showModal(form<core::frmDatabaseLocation>());
    ASSERT_EQ(sp.asked().size(), 1);
    expectNotSavedBox(sp.asked()[0]);
    EXPECT_FALSE(sp.lastMessage().startsWith("Database Location Changed"));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(option("Database Location"), "<absent>");
}

TEST_F(SettingsNotSavedTest, TheFontAndDontShowAgainSayTheyWereNotSaved) {
    ScopedModalHook hook([](QDialog *d) {
        if (auto *f = qobject_cast<core::frmFontForm *>(d)) {
            f->cmbFonts->setEditText("DejaVu Sans");
            f->cmdOK->click();
        } else if (auto *m = qobject_cast<core::frmMessage *>(d)) {
            m->chkShowAgain->setChecked(true);
            m->cmdOK->click();
        }
    });
    showModal(form<core::frmFontForm>());
    core::frmMessage *m = form<core::frmMessage>();
    m->Message("The music file will be renamed.");
    m->Display(core::frmMessage::FileNameWarningKey);
    ASSERT_EQ(sp.asked().size(), 2);
    expectNotSavedBox(sp.asked()[0]);
    expectNotSavedBox(sp.asked()[1]);
    EXPECT_EQ(option("Font"), "Before");
    EXPECT_EQ(option(core::frmMessage::FileNameWarningKey), "<absent>");
}

TEST_F(SettingsNotSavedTest, TheCatalogueChosenAtStartUpOpensButItsFolderIsSaidNotToBeRemembered) {
    core::singleInstance().release();
    core::hooks() = {};
    core::hooks().showMainWindow = [] {};
    g().ProgramFolderOverride = tmp.path() + "/bin";
    QDir().mkpath(g().ProgramFolderOverride);
    QFile::remove(RegistryOptions::defaultDataFolder() + "OVdata.mdb");
    const QString chosen = tmp.path() + "/picked/OVdata.mdb";
    QDir().mkpath(tmp.path() + "/picked");
    testenv::copyEmptyCatalogue(chosen);
    sp.answerFile(chosen);
    EXPECT_EQ(modMain::Main(), modMain::StartResult::MainWindowShown);
    ASSERT_EQ(sp.messageTexts().size(), 2);  // the missing catalogue, then the refused write
    expectNotSavedBox(sp.asked().last());
    EXPECT_EQ(option("Database Location"), "<absent>");
    core::hooks() = {};
    core::singleInstance().release();
}
