// The scan windows and the three import commands of the main window.
#include "ImportFixture.h"

#include "import/ImportCommands.h"
#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "core/StartFolders.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace importtest;
namespace ui = platform::ui;
using import::ScanDriveForm;
using import::ScanFolderForm;

// ---- the folder scan window

TEST_F(ImportTest, EveryWayOfClosingTheFolderScanWindowAsksTheImportToStop) {
    const std::pair<const char *, std::function<void(ScanFolderForm *)>> ways[] = {
        {"Cancel", [](ScanFolderForm *f) { f->cmdCancel->click(); }},
        {"close box", [](ScanFolderForm *f) { f->close(); }},
        {"Escape", [](ScanFolderForm *f) { QTest::keyClick(f, Qt::Key_Escape); }},
    };
    for (const auto &[name, close] : ways) {
        core::g().CancelScan = false;
        auto *f = ui::form<ScanFolderForm>();
        ui::showModeless(f);
        close(f);
        EXPECT_TRUE(core::g().CancelScan) << name;
        EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm"))) << name;
        ui::flushUnloadedForms();
    }
}

// ---- the drive scan window

class DriveScanTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        put("id3v24-utf8.mp3", "a.mp3");
        for (int i = 0; i < 14; ++i)
            put("untagged.mp3", QStringLiteral("sub/t%1.mp3").arg(i));
    }
    // Runs the drive-scan command; `act` plays the user in the open window.
    void scan(const std::function<void(ScanDriveForm *)> &act) {
        ui::ScopedModalHook hook([&](QDialog *d) {
            if (auto *f = qobject_cast<ScanDriveForm *>(d)) {
                f->setVolumes({{music, QStringLiteral("MUSIC")}});
                act(f);
            }
        });
        import::ScanFilesCommand(host);
        ui::flushUnloadedForms();
    }
    static void choose(ScanDriveForm *f) { f->cmbDrive->setCurrentIndex(0); }
};

TEST_F(DriveScanTest, LoadsWithTheWarningAndNoDriveChosen) {
    auto *f = ui::form<ScanDriveForm>();
    EXPECT_EQ(f->windowTitle(), "Add All Music Files (Scan Entire Drive)");
    EXPECT_EQ(f->lblWarning->text(), ScanDriveForm::warningText());
    EXPECT_FALSE(ScanDriveForm::warningText().contains("Control Panel"));
    EXPECT_EQ(f->lblDriveChosen->text(), "No drive selected");
    EXPECT_FALSE(f->cmdLoad->isEnabled());
    EXPECT_EQ(f->cmbDrive->currentIndex(), -1);
    EXPECT_TRUE(f->lblTouchMouse->isHidden());

    f->setVolumes({{"/media/one/", "ONE"}, {"/", ""}});
    EXPECT_EQ(f->cmbDrive->itemText(0), "/media/one/ [ONE]");
    f->cmbDrive->setCurrentIndex(0);
    EXPECT_EQ(f->lblDriveChosen->text(), "/media/one/ drive selected");
    EXPECT_TRUE(f->cmdLoad->isEnabled());
    // Pressing Add with no drive does nothing.
    f->cmbDrive->setCurrentIndex(-1);
    EXPECT_FALSE(f->cmdLoad->isEnabled());
    f->cmdLoad_Click();
    EXPECT_TRUE(host.loads.isEmpty());
}

TEST_F(DriveScanTest, ScanImportsTheVolumeThenClosesAndShowsTheMainWindow) {
    QString during;
    host.yield = [&] {
        if (auto *f = ui::findForm<ScanDriveForm>(); f && during.isEmpty())
            during = f->cmdExit->text() + "|" + (f->cmdLoad->isEnabled() ? "on" : "off") + "|" +
                     (f->ProgressFrame->isHidden() ? "hidden" : "shown");
    };
    scan([](ScanDriveForm *f) {
        choose(f);
        f->cmdLoad->click();
    });
    EXPECT_EQ(during, "Cancel|off|shown");
    EXPECT_EQ(host.loads, QStringList{music + "||drive"});
    EXPECT_EQ(songCount(), 15);
    EXPECT_TRUE(prompts.lastMessage().startsWith("Number of songs added to database: 15\r\n"));
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanDriveForm")));
    EXPECT_TRUE(host.visible);
    EXPECT_FALSE(core::g().CancelScan);
    EXPECT_EQ(core::g().LastCopyFolder, music);
}

TEST_F(DriveScanTest, CloseBoxDuringTheScanIsRefusedAndTheScanGoesOn) {
    bool tried = false;
    host.yield = [&] {
        if (auto *f = ui::findForm<ScanDriveForm>(); f && !tried) {
            tried = true;
            f->close();
        }
    };
    scan([](ScanDriveForm *f) {
        choose(f);
        f->cmdLoad->click();
    });
    ASSERT_GE(prompts.messageTexts().size(), 2);
    EXPECT_EQ(prompts.messageTexts().at(0),
              "You must press the Cancel button to cancel the scan before closing this window");
    EXPECT_EQ(prompts.asked().at(0).title, "Can not close");
    EXPECT_EQ(songCount(), 15);
    EXPECT_EQ(prompts.lastAsked()->title, "Done");
}

TEST_F(DriveScanTest, CancelDuringTheScanStopsItAndShowsAllSongs) {
    host.yield = [] {
        auto *f = ui::findForm<ScanDriveForm>();
        if (f && f->lblRecsRead->text() == QLatin1String("10"))
            f->cmdExit->click();
    };
    scan([](ScanDriveForm *f) {
        choose(f);
        f->cmdLoad->click();
    });
    EXPECT_TRUE(host.last.cancelled);
    EXPECT_GT(songCount(), 0);
    EXPECT_LT(songCount(), 15);
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanDriveForm")));
    EXPECT_TRUE(host.visible);
    EXPECT_GE(host.showAll, 1);
    EXPECT_FALSE(core::g().CancelScan);
}

TEST_F(DriveScanTest, ExitBeforeAScanShowsAllSongsAndLeavesTheStopRequest) {
    scan([](ScanDriveForm *f) { f->cmdExit->click(); });
    EXPECT_TRUE(host.loads.isEmpty());
    EXPECT_EQ(host.showAll, 1);
    EXPECT_TRUE(core::g().CancelScan);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanDriveForm")));
}

TEST_F(DriveScanTest, DriveListDropsOpenWhenTheWindowIsActiveNotInTheWindowBehindIt) {
    // A window behind with the focus in a list of its own, as the main window's grid has.
    QWidget behind;
    auto *other = new QComboBox(&behind);
    other->addItems({"x", "y"});
    behind.show();
    behind.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&behind));
    other->setFocus();

    auto *f = ui::form<ScanDriveForm>();
    f->setVolumes({{music, QStringLiteral("MUSIC")}});
    QCoreApplication::processEvents();
    EXPECT_FALSE(other->view()->isVisible());
    f->show();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    QCoreApplication::processEvents();
    EXPECT_FALSE(other->view()->isVisible());
    EXPECT_TRUE(f->cmbDrive->view()->isVisible());
    f->cmbDrive->hidePopup();
    EXPECT_EQ(f->cmbDrive->currentIndex(), -1); // dropping the list chooses nothing
    ui::unloadForm(f);
    ui::flushUnloadedForms();
}

TEST(MountedVolumes, AreFoldersEndingInASlashWithoutKernelViews) {
    for (const auto &v : import::mountedVolumes()) {
        EXPECT_TRUE(v.rootPath.endsWith('/')) << v.rootPath.toStdString();
        EXPECT_FALSE(v.rootPath.startsWith("/proc") || v.rootPath.startsWith("/sys")) << v.rootPath.toStdString();
    }
}

// ---- the commands

TEST_F(ImportTest, EveryImportCommandIsRefusedWhileThePlayerIsOpen) {
    const std::pair<const char *, void (*)(import::ImportHost &)> commands[] = {
        {"folder", import::AddFolderCommand}, {"file", import::AddFileCommand}, {"drive", import::ScanFilesCommand}};
    core::g().PlayerOpen = true;
    for (const auto &[name, command] : commands) {
        prompts.clear();
        command(host);
        ASSERT_EQ(prompts.asked().size(), 1) << name;
        EXPECT_EQ(prompts.lastMessage(), "Cannot Add records while playing songs. End the Player first.") << name;
        EXPECT_EQ(prompts.lastAsked()->title, "Add not allowed");
        EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Information);
        EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanDriveForm")));
    }
    EXPECT_TRUE(host.loads.isEmpty());
}

TEST_F(ImportTest, AddFolderAsksForAFolderAndImportsIt) {
    put("id3v24-utf8.mp3", "a.mp3");
    import::AddFolderCommand(host); // cancelled
    EXPECT_TRUE(host.loads.isEmpty());
    EXPECT_EQ(core::g().LastCopyFolder, core::StartFolders::music());
    const auto &asked = prompts.asked().at(0);
    EXPECT_EQ(asked.folder.prompt, "Select a Folder");
    EXPECT_EQ(asked.folder.caption, "Add a Folder of Music Files including subfolders");
    EXPECT_EQ(asked.folder.startFolder, core::StartFolders::music());

    core::g().CancelScan = true; // left over from an earlier job
    prompts.answerFolder(music);
    import::AddFolderCommand(host);
    EXPECT_EQ(host.loads, QStringList{music + "|"});
    EXPECT_EQ(songCount(), 1);
    EXPECT_EQ(host.gridFocused, 1);
}

TEST_F(ImportTest, AddFileImportsTheChosenFileAndTheNextBrowserStartsInItsFolder) {
    const QString path = put("id3v24-utf8.mp3", "sub/a.mp3");
    put("untagged.mp3", "sub/b.mp3");
    prompts.answerFile(path);
    import::AddFileCommand(host);
    EXPECT_EQ(host.loads, QStringList{music + "sub/|a.mp3"});
    EXPECT_EQ(songs().keys(), QStringList{path});
    const auto &dialog = prompts.asked().at(0).file;
    EXPECT_EQ(dialog.title, "Select a music file");
    EXPECT_TRUE(dialog.fileMustExist);
    EXPECT_TRUE(dialog.filter.startsWith("Music files (*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.mp4;*.aac)|"));

    prompts.clear();
    import::AddFolderCommand(host);
    EXPECT_EQ(prompts.asked().at(0).folder.startFolder, music + "sub/");
}

TEST_F(ImportTest, AddFileRefusesAFileThatIsNotThere) {
    prompts.answerFile(music + "gone.mp3");
    import::AddFileCommand(host);
    EXPECT_TRUE(host.loads.isEmpty());
    EXPECT_EQ(prompts.lastMessage(),
              "The file name you selected cannot be added to Orvalis, likely because it contains invalid characters "
              "in the file name.\r\nRename this file on your computer first.");
    EXPECT_EQ(prompts.lastAsked()->title, "File not added");
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Exclamation);
}
