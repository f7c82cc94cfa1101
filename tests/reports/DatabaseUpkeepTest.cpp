// The catalogue-wide commands: compacting, emptying, deleting the displayed or duplicate songs
// and opening another catalogue, with the restart through the start-up that three of them make.
#include "ReportsFixture.h"

#include "core/DuplicateQueries.h"
#include "core/ShippedCatalogue.h"
#include "core/StartupHooks.h"
#include "reports/DatabaseUpkeep.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <set>
#include <sqlite3.h>
#include <unistd.h>

using platform::ui::Answer;
using platform::ui::DefaultButton;
using platform::ui::Icon;
using reports::DatabaseUpkeep;
namespace ui = platform::ui;

namespace {

const QString kCompactQuestion = QStringLiteral(
    "This will reclaim ununsed space from deleted records in your database, and often reduces the size of your "
    "database file.  This should be done periodically.  Make sure no one else is using the database before "
    "proceeding, and that the Player is closed and not playing any songs.\r\n\r\nProceed?");
const QString kPlayerOpen =
    QStringLiteral("Make sure the Music Player is closed before running the Compact process.");

class UpkeepTest : public ReportsTest {
public:
    void SetUp() override {
        ReportsTest::SetUp();
        auto &db = *core::g().Db;
        core::createDuplicateQueries(db);
        struct S {
            const char *song, *artist, *album, *genre, *size, *selected;
        };
        const S songs[] = {
            {"Apple Pie", "ABBA", "Arrival", "Rock", "3 MB", "x"},   {"Banana", "Beatles", "Help", "Pop", "2 MB", " "},
            {"Cherry", "ABBA", "Arrival", "Rock", "4 MB", "x"},      {"Dup", "Dupes", "One", "Pop", "5 MB", " "},
            {"Dup", "Dupes", "One", "Pop", "5 MB", " "},             {"Dup", "Dupes", "Two", "Pop", "5 MB", " "},
            {"Elder", nullptr, "Tree", "Pop", "1 MB", " "},          {"Fig", "Simon", "Fruit", "Jazz", "1 MB", "x"},
            {"Zebra", "Zed", "Zoo", "Pop", "6 MB", " "},
        };
        for (const S &s : songs) {
            QVariantMap f{{"AlbumName", s.album}, {"Genre", s.genre}, {"FileSize", s.size}, {"Selected", s.selected},
                          {"PathName", "/music/"}, {"FileName", QString::fromLatin1(s.song) + ".mp3"}};
            song(QString::fromLatin1(s.song), s.artist ? QVariant(QString::fromLatin1(s.artist)) : QVariant(), f);
        }
        db.execute("Insert Into tblCategoryDesc (CategoryDesc) Values ('Loved')");
        db.execute("Insert Into tblCategoryDesc (CategoryDesc) Values ('Other')");
        db.execute("Insert Into tblCategoryID (ID, CategoryNumber) Values (2, 1)");
        db.execute("Insert Into tblCategoryID (ID, CategoryNumber) Values (7, 1)");
        db.execute("Insert Into tblCategoryID (ID, CategoryNumber) Values (2, 2)");
        db.execute("Insert Into tblPlayListHeader (ListName) Values ('Road')");
        for (int id : {3, 9, 3, 0})
            db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, FileName, ContactRecordID) Values (1, 'f', %1)")
                           .arg(id));
        db.execute("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (7)");
        db.execute("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (8)");

        core::hooks() = {};
        core::hooks().showMainWindow = [this] {
            w = ui::form<songlist::NameList>();
            w->Form_Load();
            w->Form_Activate();
            ++shown;
        };
        core::hooks().endProgram = [this](int code) { endCodes << code; };
        path = core::g().DatabasePath;
        open();
    }
    void TearDown() override {
        DatabaseUpkeep::replaceStepHook() = {};
        core::hooks() = {};
        ReportsTest::TearDown();
    }

    std::set<int> ids() {
        std::set<int> out;
        auto rs = core::g().Db->openRecordset("Select RecordID from tblContacts");
        for (long i = 0; i < rs->recordCount(); ++i)
            out.insert(rs->valueAt(i, 0).toInt());
        return out;
    }
    static std::set<int> allBut(const std::set<int> &gone) {
        std::set<int> out;
        for (int i = 1; i <= 9; ++i)
            if (!gone.count(i))
                out.insert(i);
        return out;
    }
    long count() const { return w->recordCount(); }
    int count(const QString &table) {
        auto rs = core::g().Db->openRecordset("Select Count(*) from " + table);
        return rs->value(0).toInt();
    }
    // A window of another subsystem, loaded under its name.
    QWidget *standIn(const char *name) {
        auto *f = new ui::Form<QWidget>();
        f->setObjectName(QString::fromLatin1(name));
        ui::registerForm(f);
        return f;
    }
    const ui::ScriptedPrompts::Asked *box(const QString &title) const {
        for (const auto &a : prompts.asked())
            if (a.title == title)
                return &a;
        return nullptr;
    }
    QStringList titles() const {
        QStringList out;
        for (const auto &a : prompts.asked())
            out << a.title;
        return out;
    }
    // The program came back through the start-up with a fresh main window on `file`.
    void expectBackOn(const QString &file, QPointer<songlist::NameList> old) {
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(endCodes.isEmpty());
        EXPECT_EQ(programEnded, 0);
        EXPECT_FALSE(core::g().ReopeningDatabase);
        ASSERT_TRUE(core::g().Db && core::g().Db->isOpen());
        EXPECT_EQ(core::g().Db->path(), file);
        EXPECT_EQ(songlist::NameList::instance(), w);
        EXPECT_NE(w, old.data());
        EXPECT_FALSE(w->CompactInProgress);
        EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    }

    QString path;
    int shown = 0;
    QList<int> endCodes;
};

// --- Compact -------------------------------------------------------------------------------------

TEST_F(UpkeepTest, CompactReplacesTheFileReportsBothSizesAndComesBackOnTheSameCatalogue) {
    core::g().Db->execute("Update tblContacts Set Notes = '" + QString(3000, 'n') + "'");
    core::g().Db->execute("Update tblContacts Set Notes = Null");
    QPointer<songlist::NameList> old = w;
    prompts.answer(Answer::Yes);
    w->mnuCompactDatabase_Click();

    ASSERT_GE(prompts.asked().size(), 2);
    const auto &q = prompts.asked()[0];
    EXPECT_EQ(q.text, kCompactQuestion);
    EXPECT_EQ(q.title, QStringLiteral("Compact Database Confirmation"));
    EXPECT_EQ(q.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(q.icon, Icon::Information);
    EXPECT_EQ(q.defaultButton, DefaultButton::Second);
    const auto *done = box("Compact Database");
    ASSERT_TRUE(done);
    // The sizes are grouped as the user's locale writes them.
    const QRegularExpression sizes(
        "^Database compacted\\.\r\n\r\nOld file size: (.+) bytes\r\nNew file size: (.+) bytes$");
    const auto m = sizes.match(done->text);
    ASSERT_TRUE(m.hasMatch()) << done->text.toStdString();
    bool readNew = false, readOld = false;
    const qint64 newSize = QLocale().toLongLong(m.captured(2), &readNew);
    EXPECT_TRUE(readNew && newSize == QFileInfo(path).size()) << done->text.toStdString();
    EXPECT_LT(newSize, QLocale().toLongLong(m.captured(1), &readOld));
    EXPECT_TRUE(readOld) << done->text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path + ".temp"));
    expectBackOn(path, old);
    EXPECT_EQ(w->recordCount(), 9);
    EXPECT_EQ(ids(), allBut({}));
}

TEST_F(UpkeepTest, ACatalogueMadeBeforeTheSortIndexesGetsThemWhenCompacted) {
    const char *const sortIndexCount =
        "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'tblContacts\\_Sort%' ESCAPE '\\'";
    const auto count = [&] {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(core::g().Db->handle(), sortIndexCount, -1, &s, nullptr);
        const int n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
        sqlite3_finalize(s);
        return n;
    };
    ASSERT_EQ(count(), 7);
    for (const char *name : {"SortAlbum", "SortArtist", "SortComposer", "SortGenre", "SortRating", "SortSong", "SortYear"})
        sqlite3_exec(core::g().Db->handle(), (std::string("DROP INDEX tblContacts_") + name).c_str(), nullptr, nullptr,
                     nullptr);
    ASSERT_EQ(count(), 0);
    prompts.answer(Answer::Yes);
    w->mnuCompactDatabase_Click();
    ASSERT_TRUE(box("Compact Database"));
    EXPECT_EQ(count(), 7);
    EXPECT_EQ(w->recordCount(), 9);
}

TEST_F(UpkeepTest, SizesAreGroupedAsTheUsersLocaleWritesThem) {
    setLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(DatabaseUpkeep::sizesMessage("X", 1234567, 987),
              QStringLiteral("X\r\n\r\nOld file size: 1.234.567 bytes\r\nNew file size: 987 bytes"));
    setLocale(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(DatabaseUpkeep::sizesMessage("X", 1234567, 4096),
              QStringLiteral("X\r\n\r\nOld file size: 1,234,567 bytes\r\nNew file size: 4,096 bytes"));
}

TEST_F(UpkeepTest, OnlyTheOpenPlayerKeepsCompactAndDeleteAllFromRunning) {
    // The picture viewer and the report window may be loaded: they close with the main window.
    standIn("Pics3");
    ui::form<reports::RichTextForm>();
    prompts.answer(Answer::Yes);
    w->mnuCompactDatabase_Click();
    EXPECT_TRUE(box("Compact Database"));
    EXPECT_EQ(shown, 1);

    prompts.clear();
    standIn("PlayForm");
    QPointer<songlist::NameList> current = w;
    prompts.answer(Answer::Yes);
    w->mnuCompactDatabase_Click();
    prompts.answer(Answer::Yes);
    prompts.answer(Answer::Yes);
    w->mnuDeleteAll_Click();
    ASSERT_EQ(titles(), (QStringList{"Compact Database Confirmation", "Player is open", "Delete ALL Confirmation",
                                     "Are you REALLY sure?", "Player is open"}));
    EXPECT_EQ(prompts.asked()[1].text, kPlayerOpen);
    EXPECT_EQ(prompts.asked()[1].icon, Icon::Exclamation);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(w, current.data());
    EXPECT_EQ(ids(), allBut({}));
}

TEST_F(UpkeepTest, NoToTheQuestionChangesNothing) {
    const qint64 before = QFileInfo(path).size();
    w->mnuCompactDatabase_Click();
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(ui::isLoaded(w));
    EXPECT_EQ(QFileInfo(path).size(), before);
}

// A failure after the main window closed: the message, the catalogue intact, no copy of this run
// left, and the program back on the catalogue.
TEST_F(UpkeepTest, AFailedCompactionOrRenameLeavesTheCatalogueAndBringsTheProgramBack) {
    struct Case {
        const char *name;
        std::function<void(UpkeepTest &)> arrange;
        QString message;
        bool leftoverStays;
    };
    const Case cases[] = {
        {"a copy left from a crash", [](UpkeepTest &t) { testenv::writeFile(t.path + ".temp", "old copy"); },
         "Database '" + path +
             ".temp' already exists.  It was left by a compaction that did not finish; your catalogue itself is "
             "whole.  Move or delete that file, then compact again.",
         true},
        {"the rename fails",
         [](UpkeepTest &) {
             DatabaseUpkeep::replaceStepHook() = [](const QString &copy, const QString &) {
                 ASSERT_TRUE(QFileInfo::exists(copy));
                 throw platform::db::DbError(3043, "Disk or network error.");
             };
         },
         "Disk or network error.", false},
        {"another program holds the catalogue",
         [](UpkeepTest &t) {
             static std::unique_ptr<platform::db::Database> other;
             other = platform::db::Database::open(t.path);
             other->execute("Update tblContacts Set Genre = 'Held' Where RecordID = 9");
             DatabaseUpkeep::replaceStepHook() = [](const QString &copy, const QString &target) {
                 try {
                     platform::db::Database::replaceWithCopy(copy, target);
                 } catch (...) {
                     other.reset();
                     throw;
                 }
             };
         },
         "The catalogue is in use; close it before compacting.", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        shown = 0;
        QPointer<songlist::NameList> old = w;
        c.arrange(*this);
        prompts.answer(Answer::Yes);
        w->mnuCompactDatabase_Click();
        DatabaseUpkeep::replaceStepHook() = {};
        const auto *error = box("Database Compact Error");
        ASSERT_TRUE(error);
        EXPECT_EQ(error->text, c.message);
        EXPECT_EQ(error->icon, Icon::Critical);
        EXPECT_FALSE(box("Compact Database"));
        EXPECT_EQ(QFileInfo::exists(path + ".temp"), c.leftoverStays);
        QFile::remove(path + ".temp");
        expectBackOn(path, old);
        EXPECT_EQ(w->recordCount(), 9);
        EXPECT_EQ(ids(), allBut({}));
    }
}

TEST_F(UpkeepTest, ACatalogueInAReadOnlyFolderIsNotClosed) {
    const QString folder = QFileInfo(path).absolutePath();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool respected = ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
    if (respected) {
        prompts.answer(Answer::Yes);
        w->mnuCompactDatabase_Click();
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!respected)
        GTEST_SKIP() << "root ignores the permission bits";
    ASSERT_TRUE(box("Database Compact Error"));
    EXPECT_EQ(box("Database Compact Error")->text,
              "The data folder " + folder + "/ cannot be written: Permission denied.");
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(ui::isLoaded(w));
    EXPECT_EQ(w->recordCount(), 9);
}

TEST_F(UpkeepTest, APasswordProtectedCatalogueCompactsAndKeepsItsPassword) {
    core::g().Db->newPassword(QString(), "pw");
    prompts.answer(Answer::Yes);
    prompts.answerInput(QStringLiteral("pw"));  // the start-up asks again
    w->mnuCompactDatabase_Click();
    EXPECT_TRUE(box("Compact Database"));
    EXPECT_TRUE(box("Password?"));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(w->recordCount(), 9);
    // Only the stored password lets it be changed.
    EXPECT_NO_THROW(core::g().Db->newPassword("pw", "pw2"));
}

// --- The window that runs the command -----------------------------------------------------------

// Compact, Delete all and Open Database replace the main window from one of its own menu entries.
// Run from the menu inside an event loop, as the user runs them, the old window (its menu bar,
// the menu, the action still emitting) lives until the command has returned; the progress window
// letting the event loop run once must not destroy it under the command.
TEST_F(UpkeepTest, AMenuCommandThatReplacesTheMainWindowReturnsBeforeTheOldWindowIsDestroyed) {
    struct Case {
        const char *name;
        QAction *songlist::NameList::*entry;
        std::function<void()> answers;
        long songsAfter;
    };
    const QString damaged = tmp.path() + "/bad/empty.mdb";
    testenv::writeFile(damaged, QByteArray());
    const Case cases[] = {
        {"compact", &songlist::NameList::mnuCompactDatabase, [this] { prompts.answer(Answer::Yes); }, 9},
        {"open database", &songlist::NameList::OpenDatabase, [this] { prompts.answerFile(path); }, 9},
        {"repair retry, then back on the open catalogue", &songlist::NameList::OpenDatabase,
         [&] {
             prompts.answerFile(damaged);
             prompts.answer(Answer::OK);  // repair it
         },
         9},
        {"delete all", &songlist::NameList::mnuDeleteAll,
         [this] {
             prompts.answer(Answer::Yes);
             prompts.answer(Answer::Yes);
         },
         0},
    };
    const auto showNew = core::hooks().showMainWindow;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        shown = 0;
        QPointer<songlist::NameList> old = w;
        QPointer<QAction> entry = w->*c.entry;
        bool aliveAtRestart = false;
        bool aliveWhenCommandReturned = false;
        core::hooks().showMainWindow = [&] {
            aliveAtRestart = !old.isNull();
            showNew();
        };
        c.answers();
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            entry->trigger();
            aliveWhenCommandReturned = !old.isNull();
            loop.quit();
        });
        loop.exec();
        core::hooks().showMainWindow = showNew;
        EXPECT_TRUE(aliveAtRestart) << "destroyed while the command was running";
        EXPECT_TRUE(aliveWhenCommandReturned);
        ui::flushUnloadedForms();
        EXPECT_FALSE(old) << "the old window is destroyed once the event loop has it back";
        expectBackOn(path, old);
        EXPECT_EQ(w->recordCount(), c.songsAfter);
    }
}

// --- Delete all ----------------------------------------------------------------------------------

TEST_F(UpkeepTest, DeleteAllAsksTwiceThenEmptiesTheSongsKeepsTheRestAndComesBack) {
    for (int yes = 0; yes < 2; ++yes) {
        prompts.clear();
        for (int i = 0; i < yes; ++i)
            prompts.answer(Answer::Yes);
        w->mnuDeleteAll_Click();
        EXPECT_EQ(prompts.asked().size(), yes + 1);
        EXPECT_EQ(ids(), allBut({}));
    }
    const auto &asked = prompts.asked();
    EXPECT_EQ(asked[0].title, QStringLiteral("Delete ALL Confirmation"));
    EXPECT_EQ(asked[0].text, QStringLiteral("This will DELETE ALL the records in your database.  This will not delete "
                                            "the actual music and will not delete your playlists.\r\n\r\nAre you SURE "
                                            "you want to delete all your song data from this database?"));
    EXPECT_EQ(asked[1].title, QStringLiteral("Are you REALLY sure?"));
    EXPECT_EQ(asked[1].text, QStringLiteral("Have to ask one more time:\r\n\r\nAre you SURE you want to WIPE OUT ALL "
                                            "YOUR DATA so you can start fresh with an empty database?"));
    for (const auto &a : asked) {
        EXPECT_EQ(a.icon, Icon::Information);
        EXPECT_EQ(a.defaultButton, DefaultButton::Second);
    }

    prompts.clear();
    QPointer<songlist::NameList> old = w;
    prompts.answer(Answer::Yes);
    prompts.answer(Answer::Yes);
    w->mnuDeleteAll_Click();
    const auto *done = box("Empty and Compact Database");
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->text.startsWith("Database emptied and compacted.\r\n\r\nOld file size: "));
    expectBackOn(path, old);
    EXPECT_TRUE(ids().empty());
    EXPECT_EQ(count("tblCategoryID"), 3);
    EXPECT_EQ(count("tblCategoryDesc"), 2);
    EXPECT_EQ(count("tblPlayListDetail"), 4);
    EXPECT_EQ(count("tblPlayListHeader"), 1);

    // A new song must not inherit the category links and tracks of a deleted one.
    addSong({{"SongName", "New"}});
    auto rs = core::g().Db->openRecordset("Select RecordID from tblContacts");
    EXPECT_GT(rs->value(0).toInt(), 9);
}

// --- Delete displayed ----------------------------------------------------------------------------

struct View {
    const char *name;
    QString source;
    std::set<int> shown;
};

class DeleteDisplayedTest : public UpkeepTest, public ::testing::WithParamInterface<View> {};

TEST_P(DeleteDisplayedTest, DeletesExactlyTheSongsTheGridShows) {
    const View &v = GetParam();
    view(v.source);
    ASSERT_EQ(count(), long(v.shown.size()));
    prompts.answer(Answer::Yes);
    prompts.answer(Answer::Yes);
    w->mnuDeleteDisplayed_Click();
    EXPECT_EQ(titles(), (QStringList{"Delete Confirmation", "Are you REALLY sure?", "Delete Records"}));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Records Deleted."));
    EXPECT_EQ(ids(), allBut(v.shown));
    EXPECT_EQ(w->Data1->recordSource(), v.source);
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(count("tblCategoryID"), 3);
    EXPECT_EQ(count("tblPlayListDetail"), 4);
    EXPECT_EQ(count("tblOrphanFileNames"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    EveryView, DeleteDisplayedTest,
    ::testing::Values(
        View{"all", "Select * from  tblContacts Order By SongName", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        View{"find", "Select DISTINCTROW * from  tblContacts Where SongName Like \"*pie*\" Order By SongName", {1}},
        View{"filter", "Select distinctrow * from  tblContacts Where  (Genre = \"Rock\")  Order By SongName", {1, 3}},
        View{"category", "Select * from  qryContacts Where CategoryNumber = 1  Order By SongName", {2, 7}},
        View{"artist", "Select * from  tblContacts Where Artist = \"ABBA\" Order By SongName", {1, 3}},
        View{"hiddenSelected", "Select * from  tblContacts Where Selected < 'x'  Order By SongName", {2, 4, 5, 6, 7, 9}},
        View{"playList",
             "SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON tblContacts.RecordID = "
             "tblPlayListDetail.ContactRecordID  WHERE tblPlayListDetail.ListID=1  order by tblContacts!SongName",
             {3, 9}},
        View{"missingFiles",
             "Select * from tblContacts  INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = "
             "tblOrphanFileNames.RecordIdOrphan  Order By SongName",
             {7, 8}},
        View{"duplicatePreview", "qryShowDuplicatesToBeDeleted", {5, 6}}),
    [](const ::testing::TestParamInfo<View> &p) { return std::string(p.param.name); });

TEST_F(UpkeepTest, DeletingTheSelectedViewResetsTheSelection) {
    core::g().SelectedCount = 3;
    core::g().SelectedClause = " Where Selected = 'x' ";
    w->lblSelectedCount->setText("3");
    w->cmdShowSelected->show();
    w->cmdAdd->setEnabled(false);
    w->txtName->setPlainText("Apple Pie");
    view("Select * from  tblContacts Where Selected = 'x' Order By SongName");
    prompts.answer(Answer::Yes);
    prompts.answer(Answer::Yes);
    w->mnuDeleteDisplayed_Click();
    EXPECT_EQ(ids(), allBut({1, 3, 8}));
    EXPECT_EQ(core::g().SelectedCount, 0);
    EXPECT_TRUE(core::g().SelectedClause.isEmpty());
    EXPECT_TRUE(w->lblSelectedCount->text().isEmpty());
    EXPECT_TRUE(w->cmdShowSelected->isHidden());
    EXPECT_TRUE(w->cmdAdd->isEnabled());
    EXPECT_TRUE(w->txtName->toPlainText().isEmpty());
    EXPECT_TRUE(w->cmdShowArtistSongs->isHidden());
}

TEST_F(UpkeepTest, DeleteDisplayedNamesOneOrManyRecordsAndNoAtEitherQuestionKeepsThem) {
    struct Case {
        QString source;
        QString n, word;
    };
    for (const Case &c : {Case{"Select * from  tblContacts Where Artist = \"Zed\"", "1", "record"},
                          Case{"Select * from  tblContacts Where Artist = \"ABBA\"", "2", "records"}}) {
        view(c.source);
        for (int yes = 0; yes < 2; ++yes) {
            prompts.clear();
            for (int i = 0; i < yes; ++i)
                prompts.answer(Answer::Yes);
            w->mnuDeleteDisplayed_Click();
            ASSERT_EQ(prompts.asked().size(), yes + 1);
        }
        EXPECT_EQ(prompts.asked()[0].text,
                  "This will DELETE the " + c.n + " " + c.word +
                      " currently displayed on the Grid.  This will not delete any of the actual music files, just "
                      "their entry in this database.\r\n\r\nAre you SURE you want to delete the " +
                      c.n + " song " + c.word + " currently displayed on the Grid?");
        EXPECT_EQ(prompts.asked()[1].text, "About to DELETE " + c.n + " " + c.word +
                                               ".  Please confirm one more time:\r\n\r\nAre you SURE you want to "
                                               "DELETE every record that is currently displayed?");
        EXPECT_EQ(prompts.asked()[1].defaultButton, DefaultButton::Second);
        EXPECT_EQ(ids(), allBut({}));
    }
    prompts.clear();
    view("Select * from  tblContacts Where Artist = \"Nobody\"");
    w->mnuDeleteDisplayed_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(UpkeepTest, AFailedDeleteRollsBackEveryRowAndSaysSo) {
    ASSERT_EQ(sqlite3_exec(core::g().Db->handle(),
                           "CREATE TRIGGER refuse BEFORE DELETE ON tblContacts WHEN old.RecordID = 3 "
                           "BEGIN SELECT RAISE(ABORT, 'kept by a rule'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    view("Select * from  tblContacts Where Artist = \"ABBA\" Order By SongName");  // 1, then 3
    prompts.answer(Answer::Yes);
    prompts.answer(Answer::Yes);
    w->mnuDeleteDisplayed_Click();
    ASSERT_TRUE(box("Record Delete Error"));
    EXPECT_EQ(box("Record Delete Error")->icon, Icon::Critical);
    EXPECT_FALSE(box("Delete Records"));
    EXPECT_EQ(ids(), allBut({}));
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
}

// --- Delete duplicates ---------------------------------------------------------------------------

TEST_F(UpkeepTest, DeleteDuplicatesDeletesThePreviewsRowsKeepingOneSongOfEachGroup) {
    struct Case {
        std::function<void(songlist::NameList &)> command;  // a lambda: gcc's vptr check misreads a member pointer here
        QString preview;
        std::set<int> gone;  // in all, after this case
        QString question;
    };
    // Songs 4, 5 and 6 share artist, name and size; 4 and 5 also their album.
    const Case cases[] = {
        {[](songlist::NameList &n) { n.mnuDeleteDuplicatesAlbum_Click(); }, "qryShowDuplicatesToBeDeletedAlbum", {5},
         "This will DELETE all 1 duplicate songs within the same album from Orvalis.  Duplicates are defined as two or "
         "more songs with the same Song Name, Artist, and Album Name.  All except one will be deleted.  This will not "
         "delete the actual music files from your computer.\r\n\r\nAre you SURE you want to delete duplicates?"},
        {[](songlist::NameList &n) { n.mnuDeleteDuplicates_Click(); }, "qryShowDuplicatesToBeDeleted", {5, 6},
         "This will DELETE all 1 duplicate songs from Orvalis.  Duplicates are defined as two or more songs with the "
         "same Song Name, Artist, and File Size.  All except one will be deleted.  This will not delete the actual "
         "music files from your computer.  To see which records will be deleted, respond NO, then choose \r\n\"Show "
         "Duplicate Songs to Delete\" from the Edit menu.\r\n\r\nAre you SURE you want to delete these duplicates?"},
    };
    w->ShowAllMenu_Click();
    const QString all = w->Data1->recordSource();
    std::set<int> before = allBut({});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.preview.toStdString());
        prompts.clear();
        c.command(*w);  // No: the preview stays in the grid
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(prompts.asked()[0].text, c.question);
        EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Delete Confirmation"));
        EXPECT_EQ(prompts.asked()[0].defaultButton, DefaultButton::Second);
        EXPECT_EQ(w->Data1->recordSource(), c.preview);
        EXPECT_EQ(count(), 1);
        EXPECT_EQ(ids(), before);

        prompts.answer(Answer::Yes);
        c.command(*w);
        EXPECT_EQ(ids(), allBut(c.gone));
        EXPECT_EQ(prompts.lastMessage(),
                  "1 Duplicates Deleted from the Orvalis database.  This does not delete the actual music file from "
                  "your computer.  You can re-scan to put these duplicate songs back into Orvalis.");
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Duplicates Deleted"));
        EXPECT_EQ(w->Data1->recordSource(), all);
        before = ids();

        prompts.clear();
        c.command(*w);  // none left
        EXPECT_EQ(prompts.messageTexts(), QStringList{"No duplicate songs to delete."});
        EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("No duplicates"));
        EXPECT_EQ(w->Data1->recordSource(), all);
        EXPECT_EQ(ids(), before);
    }
}

// --- Open Database -------------------------------------------------------------------------------

TEST_F(UpkeepTest, OpenDatabaseCancelledChangesNothing) {
    prompts.answerFile(std::nullopt);
    w->OpenDatabase_Click();
    ASSERT_EQ(prompts.asked().size(), 1);
    const auto &a = prompts.asked()[0];
    EXPECT_EQ(a.text, QStringLiteral("Open database file"));
    EXPECT_EQ(a.file.filter, QStringLiteral("Database files (*.mdb)|*.mdb|All Files (*.*)|*.*"));
    EXPECT_EQ(a.file.filterIndex, 1);
    EXPECT_EQ(a.file.initialDir, core::g().DataFolder);
    EXPECT_TRUE(a.file.fileMustExist);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(ui::isLoaded(w));
    EXPECT_EQ(core::g().DatabasePath, path);
}

TEST_F(UpkeepTest, OpeningTheOpenCatalogueAgainComesBackOnIt) {
    QPointer<songlist::NameList> old = w;
    prompts.answerFile(path);
    w->OpenDatabase_Click();
    expectBackOn(path, old);
    EXPECT_EQ(w->recordCount(), 9);
}

TEST_F(UpkeepTest, OpenDatabaseInAnotherFolderMovesTheDataFolderAndWritesNoOption) {
    const QString folder = tmp.path() + "/other/";
    QDir().mkpath(folder);
    const QString other = folder + "Mine.mdb";
    testenv::copyEmptyCatalogue(other);
    {
        auto db = platform::db::Database::open(other);
        db->execute("Insert Into tblContacts (SongName) Values ('Elsewhere')");
    }
    const QStringList optionsBefore = QSettings("Orvalis", "Orvalis").allKeys();
    standIn("PlayForm");
    core::g().PlayerSelectedList = "Road";
    core::g().CurrentPlayList = "Road";
    view("Select * from  tblContacts Where Artist = \"ABBA\"");
    QPointer<songlist::NameList> old = w;
    prompts.answerFile(other);
    w->OpenDatabase_Click();
    expectBackOn(other, old);
    EXPECT_EQ(core::g().DatabasePath, other);
    EXPECT_EQ(core::g().DataFolder, folder);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("PlayForm")));
    EXPECT_TRUE(core::g().PlayerSelectedList.isEmpty());
    EXPECT_TRUE(core::g().CurrentPlayList.isEmpty());
    EXPECT_EQ(w->recordCount(), 1);
    EXPECT_EQ(w->currentText("SongName"), QStringLiteral("Elsewhere"));
    EXPECT_EQ(QSettings("Orvalis", "Orvalis").allKeys(), optionsBefore);
}

TEST_F(UpkeepTest, AFileTheStartUpCannotOpenBringsThePreviousCatalogueBack) {
    const QString text = tmp.path() + "/bad/notes.mdb";
    testenv::writeFile(text, "These are notes.");
    const QString empty = tmp.path() + "/bad/empty.mdb";
    testenv::writeFile(empty, QByteArray());
    const QString foreign = tmp.path() + "/bad/places.sqlite";
    testenv::writeForeignDatabase(foreign);
    const QString damaged = tmp.path() + "/bad/damaged.mdb";
    testenv::writeDamagedCatalogue(damaged);
    const QString locked = tmp.path() + "/bad/locked.mdb";
    testenv::copyEmptyCatalogue(locked);
    platform::db::Database::open(locked)->newPassword(QString(), "pw");

    struct Case {
        QString file;
        std::function<void()> answers;
        QString title;  // a box the start-up showed
    };
    const Case cases[] = {
        // None of the catalogue's tables: said so, with no repair offered.
        {text, [] {}, "Not a catalogue"},
        {empty, [] {}, "Not a catalogue"},
        {foreign, [] {}, "Not a catalogue"},
        {damaged, [this] { prompts.answer(Answer::Cancel); }, "Corrupt Database"},
        {damaged, [this] { prompts.answer(Answer::OK); }, "Error"},  // the repair finds nothing
        {locked, [this] { prompts.answerInput(std::nullopt); }, "Password?"},
        {locked, [this] { prompts.answerInput(QStringLiteral("no")); prompts.answerInput(QStringLiteral("nope")); },
         "Error"},
        // The empty catalogue that comes with the program is never opened itself, and the data
        // folder already holds the catalogue a copy of it would become.
        {core::ShippedCatalogue::path(), [] {}, "Catalogue not opened"},
    };
    // The empty catalogue installed beside the program.
    QDir().mkpath(QFileInfo(core::ShippedCatalogue::path()).absolutePath());
    testenv::copyEmptyCatalogue(core::ShippedCatalogue::path());
    const auto shippedBytes = [] {
        QFile f(core::ShippedCatalogue::path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray shipped = shippedBytes();
    ASSERT_FALSE(shipped.isEmpty());
    for (const Case &c : cases) {
        SCOPED_TRACE((c.file + " " + c.title).toStdString());
        prompts.clear();
        shown = 0;
        QPointer<songlist::NameList> old = w;
        prompts.answerFile(c.file);
        c.answers();
        w->OpenDatabase_Click();
        EXPECT_TRUE(box(c.title));
        expectBackOn(path, old);
        EXPECT_EQ(core::g().DataFolder, tmp.path() + "/");
        EXPECT_EQ(w->recordCount(), 9);
    }
    EXPECT_EQ(shippedBytes(), shipped);
}

} // namespace
