// Play lists and text files: saving a list as an .m3u file (the prefix answers, the extension,
// replacing an old file, a failed write), and filling a list from a text file of "song, artist"
// lines (both orders, number prefixes, line ends, Latin-1, the track limit, a long file's
// progress and its stop).
#include "common/FileSizeLimit.h"
#include "PlayListFixture.h"

#include "player/PlayListFiles.h"
#include "player/PlayListImport.h"
#include "core/MsgForm.h"
#include "platform/media/M3uList.h"
#include "platform/ui/MousePointer.h"
#include "core/StartFolders.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <time.h>

namespace ui = platform::ui;
using player::PlayListFiles;
using player::PlayListImport;

namespace {
QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

class M3uFileTest : public PlayListTest {
protected:
    // A list "Mix" of tracks with these stored paths ("" = no file name), chosen in the window.
    long mixWith(const QStringList &paths) {
        const long id = addList(QStringLiteral("Mix"));
        for (int i = 0; i < paths.size(); ++i)
            db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, FileName) "
                                        "Values (?, ?, ?, ?)"),
                         {qlonglong(id), qlonglong(i + 1), QStringLiteral("T%1").arg(i),
                          paths[i].isEmpty() ? QVariant() : QVariant(paths[i])});
        openPlayLists();
        chooseList(QStringLiteral("Mix"));
        return id;
    }
    QString save(const QString &file, const std::optional<QString> &prefix) {
        prompts.answerFile(file);
        prompts.answerInput(prefix);
        pl->mnuFileMakePlayListFile_Click();
        return prompts.lastMessage();
    }
};

// ---------------------------------------------------------------- .m3u files

TEST_F(M3uFileTest, TracksWithFilesBecomeCrLfLinesInTrackOrder) {
    mixWith({QStringLiteral("/music/b/Two.mp3"), QString(), QStringLiteral("/music/a/One.flac")});
    const QString file = tmp.file(QStringLiteral("out.m3u"));
    save(file, QStringLiteral("this machine"));
    EXPECT_EQ(readAll(file), QByteArray("/music/b/Two.mp3\r\n/music/a/One.flac\r\n"));

    const auto &asked = prompts.asked();
    ASSERT_GE(asked.size(), 3);
    EXPECT_EQ(asked[0].file.title, QStringLiteral("Save Play List as"));
    EXPECT_EQ(asked[0].file.fileName, QStringLiteral("Mix.m3u"));
    EXPECT_EQ(asked[0].file.filter, QStringLiteral("Playlist (*.m3u)|*.m3u|All Files (*.*)|*.*"));
    EXPECT_TRUE(asked[0].file.overwritePrompt);
    EXPECT_EQ(asked[1].inputRequest.title, QStringLiteral("File location prefix?"));
    EXPECT_EQ(asked[1].inputRequest.defaultText, QStringLiteral("this machine"));
    EXPECT_EQ(asked[1].inputRequest.prompt.count(QStringLiteral("\r\n\r\n")), 2);
    EXPECT_EQ(asked[2].title, QStringLiteral("Finished - Record Count: 2"));
    EXPECT_EQ(asked[2].text, QStringLiteral("Number of song file names written to play list file\r\n   \"") + file +
                                 QStringLiteral("\"\r\n      2"));
}

TEST_F(M3uFileTest, PrefixAnswersDecideEachLine) {
    const QStringList paths{QStringLiteral("/music/a/One.mp3"), QStringLiteral("/x/Tw\"o #2 é.mp3")};
    const struct {
        const char *answer;
        QStringList lines;
    } cases[] = {
        {"this machine", paths},
        {"  this machine", paths},
        {"this machine ", {"this machine /One.mp3", "this machine /Tw\"o #2 é.mp3"}},
        {"This Machine", {"This Machine/One.mp3", "This Machine/Tw\"o #2 é.mp3"}},
        {"none", {"One.mp3", "Tw\"o #2 é.mp3"}},
        {" none", {"One.mp3", "Tw\"o #2 é.mp3"}},
        {"none ", {"none /One.mp3", "none /Tw\"o #2 é.mp3"}},
        {"/media/usb/Music", {"/media/usb/Music/One.mp3", "/media/usb/Music/Tw\"o #2 é.mp3"}},
        {"/media/usb/Music/", {"/media/usb/Music/One.mp3", "/media/usb/Music/Tw\"o #2 é.mp3"}},
        {"E:\\Music\\", {"E:\\Music\\One.mp3", "E:\\Music\\Tw\"o #2 é.mp3"}},
    };
    // The file's text is those lines each ended by CR LF, a "#" name's "./" included.
    const QStringList withHash = paths + QStringList{QStringLiteral("/m/ #x")};
    for (const auto &c : cases) {
        const QString answer = QString::fromUtf8(c.answer);
        EXPECT_EQ(PlayListFiles::entries(paths, answer), c.lines) << c.answer;
        EXPECT_EQ(PlayListFiles::text(withHash, answer),
                  PlayListFiles::entries(withHash, answer).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
            << c.answer;
    }
}

TEST_F(M3uFileTest, PathsWithALineBreakAndFoldersAreLeftOutAndCounted) {
    mixWith({QStringLiteral("/music/One.mp3"), QStringLiteral("/music/Two\r\nThree.mp3"), QStringLiteral("/music/"),
             QStringLiteral("/music/Four\n.mp3"), QStringLiteral("/music/Five.mp3")});
    const QString file = tmp.file(QStringLiteral("out.m3u"));
    save(file, QStringLiteral("none"));
    EXPECT_EQ(readAll(file), QByteArray("One.mp3\r\nFive.mp3\r\n"));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Finished - Record Count: 2"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Number of song file names written to play list file\r\n   \"") +
                                         file +
                                         QStringLiteral("\"\r\n      2\r\n\r\nSongs left out (their stored file name "
                                                        "holds a line break or names a folder): 3"));
}

TEST_F(M3uFileTest, ANameStartingWithAHashIsWrittenAsAFileAndReadBackAsOne) {
    const QStringList paths{QStringLiteral("/music/#9 Dream.mp3"), QStringLiteral("/music/ #1.mp3")};
    EXPECT_EQ(PlayListFiles::entries(paths, QStringLiteral("none")),
              QStringList({QStringLiteral("./#9 Dream.mp3"), QStringLiteral("./ #1.mp3")}));
    EXPECT_EQ(PlayListFiles::entries(paths, QStringLiteral("this machine")), paths);

    mixWith(paths);
    const QString file = tmp.file(QStringLiteral("hash.m3u"));
    save(file, QStringLiteral("none"));
    const QStringList read = platform::media::M3uList::read(file);
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(platform::media::M3uList::resolve(file, read[0]), tmp.file(QStringLiteral("#9 Dream.mp3")));
    EXPECT_EQ(platform::media::M3uList::resolve(file, read[1]), tmp.file(QStringLiteral(" #1.mp3")));
}

TEST_F(M3uFileTest, ExtensionIsAddedUnlessPresentInAnyCase) {
    mixWith({QStringLiteral("/m/One.mp3")});
    save(tmp.file(QStringLiteral("upper.M3U")), QStringLiteral("none"));
    save(tmp.file(QStringLiteral("notes.txt")), QStringLiteral("none"));
    EXPECT_TRUE(QFile::exists(tmp.file(QStringLiteral("upper.M3U"))));
    EXPECT_FALSE(QFile::exists(tmp.file(QStringLiteral("upper.M3U.m3u"))));
    EXPECT_EQ(readAll(tmp.file(QStringLiteral("notes.txt.m3u"))), QByteArray("One.mp3\r\n"));
}

TEST_F(M3uFileTest, BlankPrefixCancelAndNoFilesWriteNothing) {
    mixWith({QString()});
    const QString file = tmp.file(QStringLiteral("x.m3u"));
    prompts.answerFile(file);
    pl->mnuFileMakePlayListFile_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("No sound files for these songs"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("No music files were associated with any of the songs in this "
                                                    "Play List, so Play List file was not created."));
    EXPECT_FALSE(QFile::exists(file));

    db().execute(QStringLiteral("Update tblPlayListDetail Set FileName='/m/a.mp3'"));
    for (const std::optional<QString> &answer : {std::optional<QString>(QStringLiteral("   ")),
                                                 std::optional<QString>()}) {
        prompts.clear();
        save(file, answer);
        EXPECT_EQ(prompts.asked().size(), 2);  // no message after the prompt
        EXPECT_FALSE(QFile::exists(file));
    }
    prompts.clear();
    pl->mnuFileMakePlayListFile_Click();  // the save dialog cancelled
    EXPECT_EQ(prompts.asked().size(), 1);
}

TEST_F(M3uFileTest, ReplacingWritesTheWholeFileAndAFailedWriteKeepsTheOld) {
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("/music/long/folder/name/Song number %1.mp3").arg(i);
    mixWith(many);
    const QString file = tmp.file(QStringLiteral("Mix.m3u"));
    const QByteArray old = QByteArray("old line\r\n").repeated(50);
    testenv::writeFile(file, old);
    {
        FileSizeLimit full(1024);
        save(file, QStringLiteral("this machine"));
    }
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Make PlayList Error"));
    EXPECT_TRUE(prompts.lastMessage().contains(file)) << prompts.lastMessage().toStdString();
    EXPECT_EQ(readAll(file), old);
    EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("Mix.m3u*")}, QDir::Files | QDir::Hidden).size(), 1);

    save(file, QStringLiteral("none"));
    EXPECT_EQ(readAll(file), PlayListFiles::entries(many, QStringLiteral("none")).join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
}

TEST_F(M3uFileTest, SaveDialogStartsInTheMusicFolderThenWhereTheLastListWentThisRun) {
    mixWith({QStringLiteral("/m/One.mp3")});
    const QString lists = tmp.file(QStringLiteral("lists"));
    QDir().mkpath(lists);
    prompts.answerFile(std::nullopt);
    pl->mnuFileMakePlayListFile_Click();
    prompts.answerFile(lists + QStringLiteral("/Mix.m3u"));
    pl->mnuFileMakePlayListFile_Click();
    prompts.answerFile(std::nullopt);
    pl->mnuFileMakePlayListFile_Click();
    QList<ui::FileDialogRequest> files;
    for (const auto &a : prompts.asked())
        if (a.kind == ui::ScriptedPrompts::Asked::Kind::SaveFile)
            files << a.file;
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0].initialDir, core::StartFolders::music());
    EXPECT_EQ(files[1].initialDir, core::StartFolders::music());
    EXPECT_EQ(files[2].initialDir, lists);
}

// ---------------------------------------------------------------- populate

class PopulateTest : public PlayListTest {
protected:
    void SetUp() override {
        PlayListTest::SetUp();
        addSong({{"SongName", "Moon River"}, {"Artist", "Andy Blue"}, {"PathName", "/m/"}, {"FileName", "moon.mp3"},
                 {"AlbumName", "Blue"}, {"Year", "1961"}});
        addSong({{"SongName", "St. Elmo Road"}, {"Artist", "Harbour Lights"}, {"FileName", "elmo.mp3"}});
        addSong({{"SongName", QStringLiteral("Café Noir")}, {"Artist", QStringLiteral("Zoë")}});
        list = addList(QStringLiteral("Mix"));
        openPlayLists();
        chooseList(QStringLiteral("Mix"));
        prompts.clear();
    }
    // Writes the file and scripts the answers that choose it for the next Populate.
    void answerPopulate(const QByteArray &bytes) {
        const QString file = tmp.file(QStringLiteral("songs.txt"));
        testenv::writeFile(file, bytes);
        prompts.answer(ui::Answer::Yes);
        prompts.answerFile(file);
    }
    void populate(const QByteArray &bytes) {
        answerPopulate(bytes);
        pl->mnuFilePopulate_Click();
    }
    long list = 0;
};

TEST_F(PopulateTest, LinesMatchInEitherOrderWithPrefixesParenthesesAndQuotes) {
    const char *ends[] = {"\r\n", "\n", "\r"};
    for (const char *end : ends) {
        db().execute(QStringLiteral("Delete From tblPlayListDetail"));
        QByteArray text;
        for (const char *line : {"Moon River, Andy Blue", "andy blue, MOON RIVER", "", "no comma here",
                                 "Nobody Knows, Unknown Band", "  12. Moon River, Andy Blue (live, 1962)",
                                 "St. Elmo Road, Harbour Lights", "\"Moon River\" , \"Andy Blue\""})
            text += QByteArray(line) + end;
        populate(text);
        EXPECT_EQ(stored(list), QStringList({"1:Moon River", "2:Moon River", "3:Moon River", "4:St. Elmo Road",
                                             "5:Moon River"}))
            << QByteArray(end).toHex().constData();
        EXPECT_EQ(prompts.messageTexts().size(), 1);  // the confirmation only: no summary
        prompts.clear();
    }
    auto rs = db().openRecordset(QStringLiteral("select * from tblPlayListDetail where ListTrackID=1"));
    EXPECT_EQ(rs->value(QStringLiteral("FileName")).toString(), QStringLiteral("/m/moon.mp3"));
    EXPECT_EQ(rs->value(QStringLiteral("AlbumName")).toString(), QStringLiteral("Blue"));
    EXPECT_FALSE(rs->value(QStringLiteral("ContactRecordID")).isNull());
    EXPECT_EQ(pl->lbDetail->count(), 6);  // reloaded: five tracks and the blank line
}

// A line that names one song with its artist and another, added earlier, with the two names
// the other way round: the song-artist match is the one added.
TEST_F(PopulateTest, TheSongArtistMatchWinsOverAnEarlierArtistSongMatch) {
    addSong({{"SongName", "Andy Blue"}, {"Artist", "Moon River"}, {"FileName", "swapped.mp3"}});
    addSong({{"SongName", "Harbour Lights"}, {"Artist", "St. Elmo Road"}, {"FileName", "other.mp3"}});
    populate("moon river, andy blue\r\nHarbour Lights, St. Elmo Road\r\nZoë, Café Noir\r\n");
    EXPECT_EQ(stored(list), QStringList({"1:Moon River", "2:Harbour Lights", QStringLiteral("3:Café Noir")}));
}

TEST_F(PopulateTest, Latin1AndUtf8FilesBothMatchAndBinaryOrEmptyFilesAddNothing) {
    populate(QByteArray());
    populate(QByteArray("\0\x01,\xff\xfe\n\0,\0", 8));
    populate(QStringLiteral("Zoë, Café Noir\r\n").toLatin1());
    populate(QByteArray("\xEF\xBB\xBF") + QStringLiteral("Café Noir, Zoë").toUtf8());
    EXPECT_EQ(stored(list), QStringList({QStringLiteral("1:Café Noir"), QStringLiteral("2:Café Noir")}));
    EXPECT_EQ(prompts.messageTexts().size(), 4);  // the confirmations alone
}

TEST_F(PopulateTest, NumberPrefixIsDigitsAndAPeriodOnly) {
    const struct {
        const char *line;
        const char *first, *second;
    } cases[] = {
        {"1. A, B", "A", "B"},
        {"  007.A,B", "A", "B"},
        {"St. Elmo Road, Harbour Lights", "St. Elmo Road", "Harbour Lights"},
        {"A.1, B", "A.1", "B"},
        {"A (x, y), B", "A", ""},
    };
    for (const auto &c : cases) {
        const auto names = PlayListImport::parseLine(QString::fromLatin1(c.line));
        ASSERT_TRUE(names) << c.line;
        EXPECT_EQ(names->first, QString::fromLatin1(c.first)) << c.line;
        EXPECT_EQ(names->second, QString::fromLatin1(c.second)) << c.line;
    }
    EXPECT_FALSE(PlayListImport::parseLine(QStringLiteral("12. no comma")));
}

TEST_F(PopulateTest, TrackLimitStopsTheImportAndKeepsWhatWasAdded) {
    addTracks(list, {QStringLiteral("Old")}, {31999});
    populate("Moon River, Andy Blue\r\nSt. Elmo Road, Harbour Lights\r\nMoon River, Andy Blue\r\n");
    EXPECT_EQ(stored(list), QStringList({"31999:Old", "32000:Moon River"}));
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Not added"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  "
                                                    "Song not added to Play List."));
    EXPECT_EQ(prompts.messageTexts().size(), 2);
}

TEST_F(PopulateTest, ALongFileShowsItsProgressAndAClickStopsItAfterTheLineInHand) {
    QByteArray text;
    for (int i = 0; i < 1001; ++i)
        text += i % 2 ? "Moon River, Andy Blue\r\n" : "Harbour Lights, St. Elmo Road\r\n";
    answerPopulate(text);
    PlayListImport job(*pl);
    int yields = 0;
    QString caption;
    int bar = 0;
    job.setInputYield([&] {
        auto *m = ui::findForm<core::MsgForm>();
        ASSERT_TRUE(m && m->isVisible());
        caption = m->windowTitle();
        bar = m->label1Width();
        if (++yields == 5)
            QTest::mouseClick(m->Msg, Qt::LeftButton);  // the user's stop
    });
    job.mnuFilePopulate_Click();
    EXPECT_EQ(yields, 5);
    EXPECT_EQ(caption, QStringLiteral("Adding songs to the Play List..."));
    EXPECT_EQ(bar, int(5.0 / 1001 * core::MsgForm::BarFullWidth));
    // The five lines read stay, each found in its own order first, and the list shows them.
    EXPECT_EQ(stored(list), QStringList({"1:St. Elmo Road", "2:Moon River", "3:St. Elmo Road", "4:Moon River",
                                         "5:St. Elmo Road"}));
    EXPECT_EQ(pl->lbDetail->count(), 6);
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);

    // A thousand lines run without it.
    db().execute(QStringLiteral("Delete From tblPlayListDetail"));
    text = "Moon River, Andy Blue\r\n" + QByteArray("no comma\r\n").repeated(999);
    answerPopulate(text);
    yields = 0;
    job.mnuFilePopulate_Click();
    EXPECT_EQ(yields, 0);
    EXPECT_EQ(stored(list), QStringList{"1:Moon River"});
}

// Each line is written on its own before the window lets the user act: a stop, a crash or
// another program's write at that moment never meets an open transaction.
TEST_F(PopulateTest, NoTransactionIsOpenWhenTheWindowYieldsToInput) {
    QByteArray text;
    for (int i = 0; i < 1001; ++i)
        text += i % 3 ? "Moon River, Andy Blue\r\n" : "Nobody, Unknown\r\n";
    answerPopulate(text);
    PlayListImport job(*pl);
    int yields = 0, open = 0, behind = 0;
    job.setInputYield([&] {
        ++yields;
        if (db().inTransaction())
            ++open;
        const int matched = yields - (yields + 2) / 3;  // lines 1, 4, 7, ... find nothing
        if (stored(list).size() != matched)
            ++behind;
    });
    job.mnuFilePopulate_Click();
    EXPECT_EQ(yields, 1001);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(behind, 0) << "a line's track is stored before the next yield";
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(stored(list).size(), 667);
}

// Every field an append takes from the catalogue reaches its own track column, whether the
// song is read by field names or by the fixed column order populate reads it in.
TEST_F(PopulateTest, EveryCatalogueFieldLandsInItsTrackColumn) {
    addSong({{"SongName", "Say Yes"}, {"Artist", "Artist A"}, {"AlbumName", "Album B"}, {"TrackText", "Track C"},
             {"PathName", "/path/d/"}, {"FileName", "file e.mp3"}, {"Duration", "Duration F"}, {"Year", "Year G"},
             {"Rating", "Rating H"}, {"Composer", "Not taken"}, {"Notes", "Not taken"}});
    auto id = db().openRecordset(QStringLiteral("select Max(RecordID) from tblContacts"));
    const QString recordId = id->value(0).toString();
    id->close();
    populate("Say Yes, Artist A\r\n");
    const struct {
        const char *column, *value;
    } cases[] = {
        {"SongTitle", "Say Yes"},   {"ArtistName", "Artist A"},    {"AlbumName", "Album B"},
        {"Track", "Track C"},       {"FileName", "/path/d/file e.mp3"}, {"Duration", "Duration F"},
        {"Year", "Year G"},         {"Rating", "Rating H"},        {"Notes", ""},
    };
    auto rs = db().openRecordset(QStringLiteral("select * from tblPlayListDetail where ListID=%1").arg(list));
    ASSERT_EQ(rs->recordCount(), 1);
    for (const auto &c : cases)
        EXPECT_EQ(rs->value(QString::fromLatin1(c.column)).toString(), QString::fromLatin1(c.value)) << c.column;
    EXPECT_EQ(rs->value(QStringLiteral("ContactRecordID")).toString(), recordId);
    rs->close();

    const auto fieldsOf = [](const player::TrackFields &f) {
        return QVariantList{f.SongTitle, f.ArtistName, f.AlbumName,       f.Track, f.FileName,
                            f.Duration,  f.Year,       f.Rating,          f.ContactRecordID, f.Notes};
    };
    auto byName = db().openRecordset(QStringLiteral("select * from tblContacts where RecordID=") + recordId);
    auto inOrder = db().openRecordset(QStringLiteral("select ") + player::CatalogueColumns::selectList() +
                                      QStringLiteral(" from tblContacts where RecordID=") + recordId);
    EXPECT_EQ(fieldsOf(player::PlayListStore::catalogueTrackInOrder(*inOrder)),
              fieldsOf(player::PlayListStore::catalogueTrack(*byName)));
}

// A track's LastUpdated is the wall-clock time where the user is, not UTC.
TEST_F(PopulateTest, AddedTracksAreStampedWithTheLocalTime) {
    struct Zone {
        QByteArray saved = qgetenv("TZ");
        bool had = qEnvironmentVariableIsSet("TZ");
        Zone() {
            qputenv("TZ", "ORV-5:30");  // half an hour off any whole-hour zone
            tzset();
        }
        ~Zone() {
            had ? qputenv("TZ", saved) : qunsetenv("TZ");
            tzset();
        }
    } zone;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    populate("Moon River, Andy Blue\r\n");
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    auto rs = db().openRecordset(QStringLiteral("select LastUpdated from tblPlayListDetail where ListID=%1").arg(list));
    ASSERT_FALSE(rs->eof());
    const QDateTime stamp = rs->value(0).toDateTime();
    EXPECT_GE(stamp, before) << stamp.toString(Qt::ISODate).toStdString();
    EXPECT_LE(stamp, after) << stamp.toString(Qt::ISODate).toStdString();
}

TEST_F(PopulateTest, RefusalsEndBeforeTheFileIsRead) {
    prompts.answer(ui::Answer::No);
    pl->mnuFilePopulate_Click();
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Confirmation"));
    EXPECT_TRUE(prompts.asked()[0].text.endsWith(QStringLiteral("\r\nProceed?")));

    prompts.clear();
    core::g().CurrentPlayList = QStringLiteral("Gone");
    prompts.answer(ui::Answer::Yes);
    prompts.answerFile(tmp.file(QStringLiteral("any.txt")));
    pl->mnuFilePopulate_Click();
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Sub mnuPopupAddToPlaylist_Click"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("\"Gone\" Play list name not found."));

    prompts.clear();
    core::g().CurrentPlayList.clear();
    prompts.answer(ui::Answer::Yes);
    pl->mnuFilePopulate_Click();
    EXPECT_EQ(prompts.asked().size(), 1);  // no file dialog

    prompts.clear();
    core::g().CurrentPlayList = QStringLiteral("Mix");
    prompts.answer(ui::Answer::Yes);
    prompts.answerFile(tmp.file(QStringLiteral("missing.txt")));
    pl->mnuFilePopulate_Click();
    EXPECT_TRUE(prompts.lastMessage().contains(QStringLiteral("missing.txt"))) << prompts.lastMessage().toStdString();
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}
