// Start-up: the command line, the search for the catalogue, the password and repair roads, the
// single running copy and re-entry.
#include "common/FileSizeLimit.h"
#include "common/OtherWriter.h"
#include "common/TestEnv.h"

#include "core/AppState.h"
#include "core/CatalogueInUse.h"
#include "core/Main.h"
#include "core/RegistryOptions.h"
#include "core/SingleInstance.h"
#include "core/StartupHooks.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QPointer>
#include <QSignalSpy>

#include <chrono>
#include <thread>

#include <unistd.h>

using core::g;
using modMain::CommandLine;
using modMain::StartResult;
using platform::ui::Answer;
using platform::ui::Icon;
using Kind = platform::ui::ScriptedPrompts::Asked::Kind;

namespace {

const QString kAlreadyRunning = QStringLiteral(
    "Orvalis is already running!  Make sure both the Player window and the main Orvalis window are closed "
    "before starting Orvalis again.");
const QString kRepairQuestion =
    QStringLiteral("Database may be corrupted.  Press the OK button if you want Orvalis to attempt to repair it.");

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList settingsKeys() { return QSettings("Orvalis", "Orvalis").allKeys(); }

class MainTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        core::singleInstance().release();
        core::hooks() = {};
        core::hooks().showMainWindow = [this] { ++mainWindowShown; };
        core::hooks().endProgram = [this](int code) { endCodes << code; };
        programFolder = tmp.path() + "/bin";
        dataFolder = tmp.path() + "/data/";
        QDir().mkpath(programFolder);
        QDir().mkpath(dataFolder);
        g().ProgramFolderOverride = programFolder;
        // The default data folder lies in the test program's own HOME; keep it empty.
        QFile::remove(core::RegistryOptions::defaultDataFolder() + "OVdata.mdb");
    }
    void TearDown() override {
        core::hooks() = {};
        core::singleInstance().release();
        OrvalisTest::TearDown();
    }

    // A fresh run of the program: everything zeroed except the user's options.
    void newRun() {
        core::singleInstance().release();
        core::resetState();
        g().ProgramFolderOverride = programFolder;
        prompts.clear();
        mainWindowShown = 0;
    }

    // The empty catalogue installed beside the program, as the build lays it out.
    QString shipTemplate() {
        const QString path = programFolder + "/share/orvalis/OVdata-empty.mdb";
        QDir().mkpath(QFileInfo(path).absolutePath());
        testenv::copyEmptyCatalogue(path);
        return path;
    }

    QString catalogueIn(const QString &folder, const QString &name = "OVdata.mdb") {
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(name);
        testenv::copyEmptyCatalogue(path);
        return path;
    }

    platform::ui::ScriptedPrompts prompts;
    QString programFolder;
    QString dataFolder;
    int mainWindowShown = 0;
    QList<int> endCodes;
};

// --- Command line ---------------------------------------------------------------------------

TEST(CommandLineTest, MusicFilesAreRecognisedByTheirLastFourCharactersLowerCased) {
    struct Case {
        const char *line;
        CommandLine::Kind kind;
        const char *argument;
    };
    const Case cases[] = {
        {"", CommandLine::Kind::Empty, ""},
        {"   ", CommandLine::Kind::Empty, ""},
        {"/m/a.mp3", CommandLine::Kind::MusicFile, "/m/a.mp3"},
        {"/m/a.M4A", CommandLine::Kind::MusicFile, "/m/a.M4A"},
        {"/m/a.wma", CommandLine::Kind::MusicFile, "/m/a.wma"},
        {"/m/a.aac", CommandLine::Kind::MusicFile, "/m/a.aac"},
        {"/m/a.wav", CommandLine::Kind::MusicFile, "/m/a.wav"},
        {"/m/a.Ogg", CommandLine::Kind::MusicFile, "/m/a.Ogg"},
        {"/m/a.FLAC", CommandLine::Kind::MusicFile, "/m/a.FLAC"},
        {"/m/songflac", CommandLine::Kind::MusicFile, "/m/songflac"},  // no dot needed for flac
        {"  \"/m/my song.mp3\"  ", CommandLine::Kind::MusicFile, "/m/my song.mp3"},
        {"/m/Quote \"real\".mp3", CommandLine::Kind::MusicFile, "/m/Quote \"real\".mp3"},
        {"\"/m/Quote \"real\".mp3\"", CommandLine::Kind::MusicFile, "/m/Quote \"real\".mp3"},
        {"\"/m/half.mp3", CommandLine::Kind::MusicFile, "\"/m/half.mp3"},
        {"/m/a.mp3x", CommandLine::Kind::DatabaseFile, "/m/a.mp3x"},
        {"/m/a.opus", CommandLine::Kind::DatabaseFile, "/m/a.opus"},
        {"/d/cat.mdb", CommandLine::Kind::DatabaseFile, "/d/cat.mdb"},
    };
    for (const Case &c : cases) {
        const CommandLine cmd = modMain::classifyCommandLine(QString::fromUtf8(c.line));
        EXPECT_EQ(cmd.kind, c.kind) << c.line;
        EXPECT_EQ(cmd.argument, QString::fromUtf8(c.argument)) << c.line;
    }
    // A database path keeps its quotes: it is looked up exactly as given.
    EXPECT_EQ(modMain::classifyCommandLine(" \"/d/x.mdb\" ").text, QStringLiteral("\"/d/x.mdb\""));
}

TEST_F(MainTest, MusicFileStartsThePlayerAloneWithoutTheQuotes) {
    QString played;
    core::hooks().showPlayerOnly = [&](const QString &path) { played = path; };
    EXPECT_EQ(modMain::Main("\"/music/Some Song.FLAC\""), StartResult::PlayerClosed);
    EXPECT_EQ(played, QStringLiteral("/music/Some Song.FLAC"));
    EXPECT_TRUE(g().PlayOnlyMode);
    EXPECT_EQ(g().PlayPath, played);
    EXPECT_EQ(g().PlayCaption, QStringLiteral("Orvalis Player"));
    EXPECT_FALSE(g().Db);
    EXPECT_EQ(mainWindowShown, 0);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(endCodes, QList<int>{0});
}

TEST_F(MainTest, MissingDatabaseOnTheCommandLineEndsWithItsMessage) {
    EXPECT_EQ(modMain::Main("/nowhere/cat.mdb"), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 1);
    const auto &a = prompts.asked().first();
    EXPECT_EQ(a.text, QStringLiteral("The database file name you supplied on the command line cannot be found.  "
                                     "You specified file name /nowhere/cat.mdb"));
    EXPECT_EQ(a.title, QStringLiteral("Data file name invalid"));
    EXPECT_EQ(a.icon, Icon::Critical);
    EXPECT_FALSE(QFileInfo::exists("/nowhere/cat.mdb"));
    EXPECT_TRUE(settingsKeys().isEmpty());
}

TEST_F(MainTest, DatabaseOnTheCommandLineOpensWhileDataFolderStaysTheRegistryFolder) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString other = catalogueIn(tmp.path() + "/elsewhere", "mine.mdb");
    EXPECT_EQ(modMain::Main(other), StartResult::MainWindowShown);
    EXPECT_EQ(g().DatabasePath, other);
    EXPECT_EQ(g().DataFolder, dataFolder);
    EXPECT_FALSE(g().PlayOnlyMode);
    ASSERT_TRUE(g().Db);
    EXPECT_EQ(g().Db->path(), other);
}

TEST_F(MainTest, ADatabaseOnTheCommandLineOnAFreshAccountFindsItsDefaultDataFolderMade) {
    const QString home = core::RegistryOptions::defaultDataFolder();
    QDir(home).removeRecursively();
    const QString other = catalogueIn(tmp.path() + "/elsewhere", "mine.mdb");
    EXPECT_EQ(modMain::Main(other), StartResult::MainWindowShown);
    EXPECT_EQ(g().DataFolder, home);
    EXPECT_TRUE(QFileInfo(home).isDir());
    EXPECT_FALSE(QFileInfo::exists(home + "OVdata.mdb"));
}

TEST_F(MainTest, AMoveLeftUnfinishedByAKilledSaveIsFinishedBeforeTheWindowShows) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = catalogueIn(dataFolder);
    const QString from = dataFolder + "old.mp3", to = dataFolder + "new.mp3";
    testenv::writeFile(to, "music");
    qint64 id = 0;
    {
        auto db = platform::db::Database::open(path);
        db->execute("Insert Into tblContacts (SongName, PathName, FileName) Values ('Song', ?, 'old.mp3')", {dataFolder});
        db->execute("Insert Into tblPlayListHeader (ListName) Values ('L')");
        db->execute("Insert Into tblPlayListDetail (ListID, ListTrackID, FileName) Values (1, 1, ?)", {from});
        id = db->openRecordset("Select RecordID from tblContacts")->value(0).toLongLong();
        db->execute("Insert Into tblSettings (Type, Name, Setting1, Setting8) Values ('FILEMOVE', ?, ?, ?)",
                    {QString::number(id), from, to});
        db->close();
    }
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    auto song = g().Db->openRecordset("Select FileName from tblContacts Where RecordID=?", {id});
    EXPECT_EQ(song->value(0).toString(), QStringLiteral("new.mp3"));
    EXPECT_EQ(g().Db->openRecordset("Select FileName from tblPlayListDetail")->value(0).toString(), to);
    EXPECT_EQ(g().Db->openRecordset("Select count(*) from tblSettings Where Type='FILEMOVE'")->value(0).toInt(), 0);
    EXPECT_TRUE(prompts.asked().isEmpty());
}

// --- Start-up values and the search for the catalogue -----------------------------------------

TEST_F(MainTest, FirstStartSetsTheStartUpValuesAndOpensEverything) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = catalogueIn(dataFolder);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(mainWindowShown, 1);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(g().DatabasePath, path);
    EXPECT_EQ(g().DataFolder, dataFolder);
    EXPECT_EQ(g().RecordSourceName, QStringLiteral("tblContacts"));
    EXPECT_EQ(g().WinMajorVersion, 6);
    EXPECT_EQ(g().ScreenFontName, QStringLiteral("Arial"));
    EXPECT_EQ(g().ReportLinesPerPage, QStringLiteral("54"));
    EXPECT_EQ(g().ProductName, QStringLiteral("Orvalis"));
    EXPECT_FALSE(g().TabletModeOn);  // offscreen: no touch screen
    ASSERT_TRUE(g().Db);
    ASSERT_TRUE(g().ContactsTable);
    EXPECT_EQ(g().ContactsTable->type(), platform::db::RecordsetType::Table);
    EXPECT_TRUE(g().Db->hasQueryDef("qryDuplicateSongs"));
    EXPECT_TRUE(g().Db->hasQueryDef("qryShowDuplicatesToBeDeletedAlbum"));
    EXPECT_TRUE(endCodes.isEmpty());
}

TEST_F(MainTest, RegistryFontAndLinesOverrideTheDefaults) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    core::RegistryOptions::setFont("DejaVu Sans");
    core::RegistryOptions::setRptLinesPerPage("0");
    catalogueIn(dataFolder);
    g().ProgramFolderOverride = tmp.path() + "/My SOURCE tree";
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(g().ScreenFontName, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(g().ReportLinesPerPage, QStringLiteral("0"));
    EXPECT_EQ(g().WinMajorVersion, 6);
}

TEST_F(MainTest, TheVersionIsReadFromASCIIDigitsWhateverTheUsersDigits) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    catalogueIn(dataFolder);
    const QLocale before;
    const std::pair<const char *, const char *> cases[] = {
        {"ar_EG", "6\u066B02"}, {"fa_IR", "6\u066B02"}, {"bn_BD", "6.02"}, {"de_DE", "6,02"}, {"en_US", "6.02"}};
    for (const auto &[locale, version] : cases) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        newRun();
        EXPECT_EQ(mCommon::GetWindowsVersion(), QString::fromUtf8(version)) << locale;
        EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown) << locale;
        EXPECT_EQ(g().WinMajorVersion, 6) << locale;
        EXPECT_EQ(g().ScreenFontName, QStringLiteral("Arial")) << locale;
    }
    QLocale::setDefault(before);
}

TEST_F(MainTest, CatalogueBesideTheProgramIsFoundWithoutADialog) {
    const QString path = catalogueIn(programFolder);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(g().DatabasePath, path);
    EXPECT_EQ(g().DataFolder, programFolder + "/");
    EXPECT_TRUE(core::RegistryOptions::databaseLocation().isEmpty());
}

TEST_F(MainTest, DefaultDataFolderComesBeforeTheProgramFolder) {
    const QString home = core::RegistryOptions::defaultDataFolder();
    const QString path = catalogueIn(home);
    catalogueIn(programFolder);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(g().DatabasePath, path);
    EXPECT_EQ(g().DataFolder, QDir::homePath() + "/Orvalis/");
    QFile::remove(path);
}

TEST_F(MainTest, ChosenCatalogueIsRememberedForTheNextStart) {
    const QString chosen = catalogueIn(tmp.path() + "/picked");
    prompts.answerFile(chosen);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);

    ASSERT_EQ(prompts.asked().size(), 2);
    // The box and the dialog name the data folder, where the catalogue belongs, not the last
    // place searched.
    const QString home = core::RegistryOptions::defaultDataFolder();
    const auto &missing = prompts.asked()[0];
    EXPECT_EQ(missing.text, "Database file " + home + "OVdata.mdb not found.");
    EXPECT_EQ(missing.title, QStringLiteral("No database file found"));
    EXPECT_EQ(missing.icon, Icon::Critical);
    const auto &dialog = prompts.asked()[1];
    EXPECT_EQ(dialog.kind, Kind::OpenFile);
    EXPECT_EQ(dialog.file.title, QStringLiteral("Open database file"));
    EXPECT_EQ(dialog.file.initialDir, home);
    EXPECT_TRUE(dialog.file.fileMustExist);
    EXPECT_FALSE(dialog.file.multiSelect);
    EXPECT_TRUE(dialog.file.hideReadOnly);

    EXPECT_EQ(g().DatabasePath, chosen);
    EXPECT_EQ(g().DataFolder, tmp.path() + "/picked/");
    EXPECT_EQ(core::RegistryOptions::databaseLocation(), tmp.path() + "/picked/");

    newRun();
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(g().DatabasePath, chosen);
}

TEST_F(MainTest, CancelledDialogSaysNoCatalogueWasOpenedAndCreatesNoFile) {
    prompts.answerFile(std::nullopt);
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 3);
    const auto &end = prompts.asked()[2];
    EXPECT_EQ(end.text, QStringLiteral("No catalogue was opened."));
    EXPECT_EQ(end.title, QStringLiteral("No database file found"));
    EXPECT_FALSE(QFileInfo::exists(programFolder + "/OVdata.mdb"));
    EXPECT_FALSE(QFileInfo::exists(core::RegistryOptions::defaultDataFolder() + "OVdata.mdb"));
    EXPECT_FALSE(g().Db);
    EXPECT_EQ(mainWindowShown, 0);
    EXPECT_EQ(endCodes.size(), 1);
    EXPECT_TRUE(core::RegistryOptions::databaseLocation().isEmpty());
}

TEST_F(MainTest, AFirstStartInTheDefaultDataFolderBeginsWithACopyOfTheShippedCatalogue) {
    const QString shipped = shipTemplate();
    const QByteArray template_ = bytesOf(shipped);
    const QString home = core::RegistryOptions::defaultDataFolder();
    // A fresh account has no data folder; another has made it but left it empty.
    for (const bool folderMade : {false, true}) {
        SCOPED_TRACE(folderMade ? "empty data folder" : "no data folder");
        newRun();
        QDir(home).removeRecursively();
        if (folderMade)
            QDir().mkpath(home);
        EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
        EXPECT_TRUE(prompts.asked().isEmpty());
        EXPECT_EQ(g().DatabasePath, home + "OVdata.mdb");
        EXPECT_EQ(g().DataFolder, home);
        ASSERT_TRUE(g().ContactsTable);
        EXPECT_TRUE(g().ContactsTable->bof() && g().ContactsTable->eof());
        EXPECT_TRUE(core::RegistryOptions::databaseLocation().isEmpty());
        EXPECT_EQ(bytesOf(shipped), template_);
        EXPECT_FALSE(QFileInfo::exists(programFolder + "/OVdata.mdb"));
    }
    QDir(home).removeRecursively();
}

TEST_F(MainTest, NoCatalogueIsMadeInADataFolderTheUserChose) {
    shipTemplate();
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    prompts.answerFile(std::nullopt);
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 3);
    EXPECT_EQ(prompts.asked()[0].text, "Database file " + dataFolder + "OVdata.mdb not found.");
    EXPECT_EQ(prompts.asked()[1].file.initialDir, dataFolder);
    EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files), QStringList());
}

TEST_F(MainTest, TheShippedCatalogueIsOpenedAsAFreshCopyInTheDataFolderAndNeverItself) {
    const QString shipped = shipTemplate();
    const QByteArray template_ = bytesOf(shipped);
    core::RegistryOptions::setDatabaseLocation(dataFolder);

    // Chosen in the dialog: a copy in the data folder, which stays the data folder.
    prompts.answerFile(shipped);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(g().DatabasePath, dataFolder + "OVdata.mdb");
    EXPECT_EQ(g().DataFolder, dataFolder);
    EXPECT_EQ(core::RegistryOptions::databaseLocation(), dataFolder);
    ASSERT_TRUE(g().Db);
    EXPECT_EQ(g().Db->path(), dataFolder + "OVdata.mdb");
    g().Db->execute("Insert Into tblContacts (SongName) Values ('Mine')");

    // Named on the command line while the data folder holds the catalogue: refused, saying why.
    newRun();
    endCodes.clear();
    EXPECT_EQ(modMain::Main(shipped), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].text,
              "The file " + shipped + " is the empty catalogue that comes with Orvalis. It is not opened as a "
              "catalogue: the next update of Orvalis replaces it with all the songs stored in it. The data folder "
              "already holds the catalogue " + dataFolder + "OVdata.mdb.");
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Catalogue not opened"));
    EXPECT_EQ(endCodes, QList<int>{1});
    EXPECT_FALSE(g().Db);
    EXPECT_EQ(bytesOf(shipped), template_);
    auto kept = platform::db::Database::open(dataFolder + "OVdata.mdb");
    EXPECT_EQ(kept->openRecordset("Select SongName from tblContacts")->value(0).toString(), QStringLiteral("Mine"));
}

// --- A catalogue another program is changing --------------------------------------------------

TEST_F(MainTest, ACatalogueAnotherProgramIsChangingOpensWithoutWaitingForItsLockAndSaysSoOnce) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = catalogueIn(dataFolder);  // never opened: its duplicate queries are still to make
    platform::db::Database::open(path)->execute("Insert Into tblContacts (SongName) Values ('Readable')");
    OtherWriter other(path);
    // The other program is done after three seconds, well inside one plain wait for its lock (five
    // seconds): a start that waited for the lock would then write its saved queries.
    std::thread done([&other] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        other.release();
    });

    const StartResult started = modMain::Main();
    done.join();
    EXPECT_EQ(started, StartResult::MainWindowShown);
    ASSERT_TRUE(g().ContactsTable);
    EXPECT_EQ(g().ContactsTable->recordCount(), 1);
    EXPECT_FALSE(g().Db->hasQueryDef("qryDuplicateSongs"));
    // Told once, when the first view is shown.
    EXPECT_TRUE(prompts.asked().isEmpty());
    core::CatalogueInUse::endOfStart();
    core::CatalogueInUse::endOfStart();
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].text, "Another program is changing the catalogue " + path +
                                           ". Its songs are shown, but changes to them fail until that program is "
                                           "done.");
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Catalogue in use"));
    EXPECT_EQ(prompts.asked()[0].icon, Icon::Exclamation);

    // Now that the other program is done, the next start makes what this one did without, and
    // says nothing.
    newRun();
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_TRUE(g().Db->hasQueryDef("qryDuplicateSongs"));
    core::CatalogueInUse::endOfStart();
    EXPECT_TRUE(prompts.asked().isEmpty());
}

// --- Single running copy ----------------------------------------------------------------------

TEST_F(MainTest, SecondCopyIsRefusedAfterItsSearchAndRaisesTheFirst) {
    core::SingleInstance first;
    ASSERT_TRUE(first.tryLock());
    QSignalSpy raised(&first, &core::SingleInstance::activationRequested);

    // No catalogue anywhere: the dialog comes first, the refusal after it.
    prompts.answerFile(std::nullopt);
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 3);
    EXPECT_EQ(prompts.asked()[1].kind, Kind::OpenFile);
    EXPECT_EQ(prompts.asked()[2].text, kAlreadyRunning);
    EXPECT_EQ(prompts.asked()[2].title, QStringLiteral("Orvalis"));
    EXPECT_EQ(prompts.asked()[2].icon, Icon::Exclamation);
    EXPECT_FALSE(g().Db);
    EXPECT_TRUE(raised.count() > 0 || raised.wait(5000));
}

TEST_F(MainTest, SecondCopyOfThePlayerIsRefusedToo) {
    core::SingleInstance first;
    ASSERT_TRUE(first.tryLock());
    bool played = false;
    core::hooks().showPlayerOnly = [&](const QString &) { played = true; };
    EXPECT_EQ(modMain::Main("/m/a.mp3"), StartResult::Ended);
    EXPECT_FALSE(played);
    EXPECT_EQ(prompts.lastMessage(), kAlreadyRunning);
}

// --- Password ----------------------------------------------------------------------------------

class PasswordTest : public MainTest {
protected:
    void SetUp() override {
        MainTest::SetUp();
        core::RegistryOptions::setDatabaseLocation(dataFolder);
        path = catalogueIn(dataFolder);
        auto db = platform::db::Database::open(path, platform::db::OpenMode::Exclusive);
        db->newPassword({}, "secret");
        db->close();
        original = bytesOf(path);
    }
    QString path;
    QByteArray original;
};

TEST_F(PasswordTest, RightAnswerAfterOneWrongOpens) {
    prompts.answerInput("wrong");
    prompts.answerInput("secret");
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    ASSERT_EQ(prompts.asked().size(), 2);
    for (const auto &a : prompts.asked()) {
        EXPECT_EQ(a.kind, Kind::Input);
        EXPECT_EQ(a.text, QStringLiteral("Type your password.  You have two chances to get it right."));
        EXPECT_EQ(a.title, QStringLiteral("Password?"));
        EXPECT_TRUE(a.inputRequest.masked);
        EXPECT_TRUE(a.inputRequest.defaultText.isEmpty());
    }
    EXPECT_TRUE(g().Db);
    EXPECT_TRUE(g().ContactsTable);
}

TEST_F(PasswordTest, EmptyAnswerOrCancelEndsSilently) {
    for (const std::optional<QString> &answer : {std::optional<QString>(QString()), std::optional<QString>()}) {
        newRun();
        prompts.answerInput(answer);
        EXPECT_EQ(modMain::Main(), StartResult::Ended);
        EXPECT_EQ(prompts.asked().size(), 1);
        EXPECT_TRUE(prompts.messageTexts().isEmpty());
        EXPECT_FALSE(g().Db);
    }
    EXPECT_EQ(bytesOf(path), original);
}

TEST_F(PasswordTest, SecondWrongAnswerEndsWithTheGeneralErrorAndNoThirdPrompt) {
    prompts.answerInput("one");
    prompts.answerInput("two");
    prompts.answerInput("secret");
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 3);
    EXPECT_EQ(prompts.asked()[2].title, QStringLiteral("Error"));
    EXPECT_TRUE(prompts.asked()[2].text.endsWith("    Error number: 3031"));
    EXPECT_FALSE(g().Db);
    EXPECT_EQ(bytesOf(path), original);
}

// --- Repair ------------------------------------------------------------------------------------

TEST_F(MainTest, CancelOnTheRepairQuestionEndsSilentlyAndLeavesTheFile) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = dataFolder + "OVdata.mdb";
    testenv::writeDamagedCatalogue(path);
    const QByteArray damaged = bytesOf(path);
    prompts.answer(Answer::Cancel);
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].text, kRepairQuestion);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Corrupt Database"));
    EXPECT_EQ(prompts.asked()[0].icon, Icon::Exclamation);
    EXPECT_EQ(bytesOf(path), damaged);
    EXPECT_FALSE(QFileInfo::exists(path + ".damaged"));
}

TEST_F(MainTest, UnrepairableFileIsOfferedOneRepairThenTheGeneralMessage) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = dataFolder + "OVdata.mdb";
    testenv::writeDamagedCatalogue(path);
    const QByteArray damaged = bytesOf(path);
    prompts.answer(Answer::OK);
    prompts.answer(Answer::OK);
    EXPECT_EQ(modMain::Main(), StartResult::Ended);
    const QStringList texts = prompts.messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], kRepairQuestion);
    EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("Error"));
    EXPECT_EQ(bytesOf(path), damaged);
    EXPECT_FALSE(g().Db);
}

TEST_F(MainTest, FileWithNoCatalogueTablesIsSaidToBeNoneAndNoRepairIsOffered) {
    const QString text = dataFolder + "notes.mdb", empty = dataFolder + "empty.mdb", foreign = dataFolder + "places.sqlite";
    testenv::writeFile(text, "this is not a catalogue\n");
    testenv::writeFile(empty, QByteArray());
    testenv::writeForeignDatabase(foreign);
    for (const QString &path : {text, empty, foreign}) {
        SCOPED_TRACE(path.toStdString());
        prompts.clear();
        endCodes.clear();
        g().DatabasePath.clear(); // a new run of the program
        const QByteArray before = bytesOf(path);
        EXPECT_EQ(modMain::Main(path), StartResult::Ended);
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(prompts.asked()[0].text.toStdString(), ("The file " + path + " is not an Orvalis catalogue.").toStdString());
        EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Not a catalogue"));
        EXPECT_EQ(prompts.asked()[0].icon, Icon::Critical);
        EXPECT_EQ(endCodes, QList<int>{1});
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_FALSE(QFileInfo::exists(path + ".damaged"));
        EXPECT_FALSE(g().Db);
    }
}

TEST_F(MainTest, DamagedCatalogueIsRepairedAndTheOriginalKept) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = catalogueIn(dataFolder);
    // Damage the file past its header, where the tables lie.
    QByteArray bytes = bytesOf(path);
    ASSERT_GT(bytes.size(), 8192);
    for (int i = 4096; i < 4096 + 512; ++i)
        bytes[i] = char(0xA5);
    testenv::writeFile(path, bytes);

    prompts.answer(Answer::OK);
    const StartResult result = modMain::Main();
    EXPECT_EQ(prompts.messageTexts(), QStringList{kRepairQuestion});
    EXPECT_TRUE(QFileInfo::exists(path + ".damaged"));
    EXPECT_EQ(bytesOf(path + ".damaged"), bytes);
    EXPECT_EQ(result, StartResult::MainWindowShown);
    EXPECT_TRUE(g().ContactsTable);
}

TEST_F(MainTest, RepeatedRepairsKeepEveryDamagedOriginal) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString path = catalogueIn(dataFolder);
    QByteArray firstDamage = bytesOf(path);
    for (int i = 4096; i < 4096 + 512; ++i)
        firstDamage[i] = char(0xA5);
    testenv::writeFile(path, firstDamage);
    prompts.answer(Answer::OK);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);

    // Damaged again in another place, and repaired again.
    newRun();
    QByteArray secondDamage = bytesOf(path);
    for (int i = 4096; i < 4096 + 512; ++i)
        secondDamage[i] = char(0x5A);
    testenv::writeFile(path, secondDamage);
    prompts.answer(Answer::OK);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(prompts.messageTexts(), QStringList{kRepairQuestion});

    EXPECT_EQ(bytesOf(path + ".damaged"), firstDamage);
    EXPECT_EQ(bytesOf(path + ".damaged-2"), secondDamage);
}

TEST_F(MainTest, ACatalogueReachedThroughALinkIsRepairedWhereItLies) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    const QString real = catalogueIn(tmp.path() + "/disk");
    const QString link = dataFolder + "OVdata.mdb";
    ASSERT_TRUE(QFile::link(real, link));
    QByteArray bytes = bytesOf(real);
    for (int i = 4096; i < 4096 + 512; ++i)
        bytes[i] = char(0xA5);
    testenv::writeFile(real, bytes);

    prompts.answer(Answer::OK);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_EQ(bytesOf(real + ".damaged"), bytes);
    EXPECT_FALSE(QFileInfo::exists(link + ".damaged"));
    EXPECT_NE(bytesOf(real), bytes);
    ASSERT_TRUE(g().ContactsTable);
}

namespace {
// A main window whose load reads the catalogue, as the real one does, and can find the damage.
class LoadingWindow : public platform::ui::Form<QWidget> {
public:
    static inline int made = 0;
    static inline bool failFirstLoad = false;
    LoadingWindow() { ++made; }
    void load() {
        if (loaded_)
            return;
        loaded_ = true;
        settingsRows = g().Db->openRecordset("Select * from tblSettings");
        if (failFirstLoad && made == 1)
            throw platform::db::DbError(platform::db::err::DatabaseDamaged, "Unrecognized database format.");
    }
    std::unique_ptr<platform::db::Recordset> settingsRows;
    bool unloaded = false;

protected:
    void formUnload() override {
        unloaded = true;
        // As the main window's unload: it ends the program unless a catalogue is being re-opened.
        if (!g().ReopeningDatabase && core::hooks().endProgram)
            core::hooks().endProgram(0);
    }

private:
    bool loaded_ = false;
};
} // namespace

TEST_F(MainTest, DamageFoundWhileTheMainWindowLoadsIsRepairedAndTheWindowLoadsAfresh) {
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    catalogueIn(dataFolder);
    LoadingWindow::made = 0;
    LoadingWindow::failFirstLoad = true;
    QPointer<LoadingWindow> first;
    core::hooks().showMainWindow = [&] {
        auto *w = static_cast<LoadingWindow *>(platform::ui::loadedForm("NameList"));
        if (!w) {
            w = new LoadingWindow;
            w->setObjectName("NameList");
            platform::ui::registerForm(w);
            if (!first)
                first = w;
        }
        w->load();
        ++mainWindowShown;
    };
    prompts.answer(Answer::OK);
    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_EQ(prompts.messageTexts(), QStringList{kRepairQuestion});
    EXPECT_TRUE(endCodes.isEmpty());
    EXPECT_FALSE(g().ReopeningDatabase);

    EXPECT_EQ(LoadingWindow::made, 2);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->unloaded);
    EXPECT_FALSE(platform::ui::isLoaded(first.data()));
    auto *w = static_cast<LoadingWindow *>(platform::ui::loadedForm("NameList"));
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w, first.data());
    ASSERT_TRUE(w->settingsRows);
    EXPECT_NO_THROW(w->settingsRows->recordCount());  // on the catalogue now open
    platform::ui::unloadAllForms();
    platform::ui::flushUnloadedForms();
}

// --- A catalogue or data folder that cannot be written -----------------------------------------

class ReadOnlyCatalogueTest : public MainTest {
protected:
    void SetUp() override {
        MainTest::SetUp();
        core::RegistryOptions::setDatabaseLocation(dataFolder);
        path = catalogueIn(dataFolder);
        original = bytesOf(path);
    }
    void TearDown() override {
        QFile::setPermissions(dataFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        MainTest::TearDown();
    }
    // Root writes whatever the permission bits say.
    static bool bitsRespected(const QString &p) { return ::access(QFile::encodeName(p).constData(), W_OK) != 0; }

    void expectRefusedWith(const QString &text) {
        EXPECT_EQ(modMain::Main(), StartResult::Ended);
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(prompts.asked()[0].text, text + "    Error number: 3027");
        EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Error"));
        EXPECT_EQ(prompts.asked()[0].icon, Icon::Critical);
        EXPECT_EQ(mainWindowShown, 0);
        EXPECT_FALSE(g().Db);
        EXPECT_EQ(endCodes, QList<int>{1});
        EXPECT_EQ(bytesOf(path), original);
        EXPECT_EQ(QDir(dataFolder).entryList(QDir::Files), QStringList{"OVdata.mdb"});
    }
    QString path;
    QByteArray original;
};

TEST_F(ReadOnlyCatalogueTest, AReadOnlyCatalogueIsNamedOnceAndNothingIsOpened) {
    QFile::setPermissions(path, QFile::ReadOwner);
    if (!bitsRespected(path))
        GTEST_SKIP() << "root ignores the permission bits";
    expectRefusedWith("The catalogue " + path + " cannot be written: Permission denied.");
}

TEST_F(ReadOnlyCatalogueTest, AReadOnlyDataFolderIsNamedOnceAndNothingIsOpened) {
    QFile::setPermissions(dataFolder, QFile::ReadOwner | QFile::ExeOwner);
    if (!bitsRespected(dataFolder))
        GTEST_SKIP() << "root ignores the permission bits";
    expectRefusedWith("The data folder " + dataFolder + " cannot be written: Permission denied.");
}

TEST_F(ReadOnlyCatalogueTest, AFullDataDiskIsNamedAsTheCauseAndTheCatalogueKept) {
    {
        FileSizeLimit full(1024);  // no room for the files the database keeps beside the catalogue
        EXPECT_EQ(modMain::Main(), StartResult::Ended);
    }
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].text, "The catalogue " + path + " cannot be opened: the disk holding " +
                                           QFileInfo(QFileInfo(path).canonicalFilePath()).absolutePath() +
                                           "/ is full.    Error number: 3026");
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(mainWindowShown, 0);
    EXPECT_FALSE(g().Db);
    EXPECT_EQ(bytesOf(path), original);
}

// --- Re-entry ----------------------------------------------------------------------------------

TEST_F(MainTest, ReEntryOnlyReopensTheDatabaseNamedByDatabasePath) {
    const QString path = catalogueIn(tmp.path() + "/other");
    // Another copy holds the lock: re-entry must not look at it.
    core::SingleInstance first;
    ASSERT_TRUE(first.tryLock());
    core::RegistryOptions::setFont("Registry Font");
    core::RegistryOptions::setDatabaseLocation(dataFolder);
    g().DatabasePath = path;
    g().DataFolder = tmp.path() + "/other/";
    g().ScreenFontName = "Kept Font";
    g().RecordSourceName = "qryContacts";
    g().TabletModeOn = true;
    g().WinMajorVersion = 5;
    g().ReopeningDatabase = true;

    EXPECT_EQ(modMain::Main(), StartResult::MainWindowShown);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_FALSE(g().ReopeningDatabase);
    EXPECT_EQ(g().DatabasePath, path);
    EXPECT_EQ(g().DataFolder, tmp.path() + "/other/");
    EXPECT_EQ(g().ScreenFontName, QStringLiteral("Kept Font"));
    EXPECT_EQ(g().RecordSourceName, QStringLiteral("qryContacts"));
    EXPECT_TRUE(g().TabletModeOn);
    EXPECT_EQ(g().WinMajorVersion, 5);
    EXPECT_TRUE(g().ProductName.isEmpty());  // untouched: set only at the first start
    ASSERT_TRUE(g().ContactsTable);
}

} // namespace
