// Reading tags on worker threads ahead of the store: a tree of many files of every kind gives
// the rows, in the order and with the values, that reading each file just before storing it
// gives; the read-ahead hands every file the values of reading it alone, whatever order the
// import asks in, and stops its reads when it goes.
#include "ImportFixture.h"

#include "import/SongFields.h"
#include "import/TagReadAhead.h"
#include "platform/shell/ShellFolder.h"

#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace importtest;

namespace {

const QStringList kFixtures = {"id3v23-utf16.mp3", "flac-utf8.flac",    "vorbis-utf8.ogg", "m4a-faststart.m4a",
                               "m4a-gnre.m4a",     "mp4-audio.mp4",     "wav-id3-info.wav", "wma-utf16.wma",
                               "adts-id3v24.aac",  "untagged.mp3",      "empty.mp3",       "zeros.flac",
                               "truncated.m4a",    "id3v24-utf16be.mp3", "flac-picture-before-comments.flac"};

QString extensionOf(const QString &fixture) { return fixture.mid(fixture.lastIndexOf(QLatin1Char('.'))); }

// The tag values of a file read on this thread through the folder listing's own item.
import::SongValues oneByOne(const platform::shell::ShellFolder &listing, const platform::shell::ShellItem &item,
                            const QString &extension) {
    return import::tagFieldsForNewSong(extension, extension.mid(1).toUpper(), listing.winMajorVersion(),
                                       item.path(), item.name(),
                                       [&](int c) { return listing.getDetailsOf(item, c); })
        .values();
}

} // namespace

class ReadAheadImportTest : public ImportTest, public ::testing::WithParamInterface<int> {
protected:
    // Folders of many files cycling through every fixture, with other files between them.
    void makeTree() {
        int n = 0;
        for (const QString &folder : {QString(), QStringLiteral("a/"), QStringLiteral("b/"), QStringLiteral("a/c/")})
            for (int i = 0; i < 45; ++i, ++n) {
                const QString &f = kFixtures[n % kFixtures.size()];
                put(f, folder + QStringLiteral("f%1-%2").arg(i, 2, 10, QLatin1Char('0')).arg(f));
                if (i % 10 == 3)
                    putText(folder + QStringLiteral("f%1-notes.txt").arg(i, 2, 10, QLatin1Char('0')));
            }
    }
};

TEST_P(ReadAheadImportTest, ManyFilesGiveTheRowsOrderAndCountsOfReadingEachFileAlone) {
    core::g().WinMajorVersion = GetParam(); // 5 reads M4A files through the shared genre table
    makeTree();
    // A file catalogued before, in the middle of a folder whose other files are new: the
    // read-ahead reads it, the import counts it as present and stores nothing for it.
    const QString present = QStringLiteral("f20-") + kFixtures[20 % kFixtures.size()];
    ASSERT_EQ(importFolder(music, present).added, 1);

    const auto r = importFolder(music);

    // What reading each file on this thread, folder after folder and item after item, gives.
    struct Expected {
        QString path, name;
        import::SongValues tags;
    };
    std::vector<Expected> expected;
    for (const QString &folder : {music, music + "a/", music + "b/", music + "a/c/"}) {
        const auto listing = platform::shell::ShellFolder::nameSpace(folder, GetParam());
        ASSERT_TRUE(listing);
        for (const auto &item : listing->items()) {
            const QString extension = import::acceptedExtension(item.name());
            if (item.isFolder() || extension.isEmpty() || (folder == music && item.name() == present))
                continue;
            expected.push_back({folder, item.name(), oneByOne(*listing, item, extension)});
        }
    }
    EXPECT_EQ(r.added, long(expected.size()));
    EXPECT_EQ(r.present, 1);
    EXPECT_TRUE(prompts.lastMessage().startsWith(
        QStringLiteral("Number of songs added to database: %1\r\n").arg(expected.size())));

    auto rows = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts Order By RecordID"));
    ASSERT_EQ(rows->value(QStringLiteral("FileName")).toString(), present); // stored first, alone
    rows->moveNext();
    for (const Expected &e : expected) {
        ASSERT_FALSE(rows->eof()) << e.name.toStdString();
        EXPECT_EQ(rows->value(QStringLiteral("PathName")).toString(), e.path);
        EXPECT_EQ(rows->value(QStringLiteral("FileName")).toString(), e.name);
        for (const auto &[field, value] : e.tags) {
            const QVariant stored = rows->value(field);
            if (field == QLatin1String("bitRate"))
                EXPECT_EQ(stored.toString(), import::finishedBitRate(value)) << e.name.toStdString();
            else if (field == QLatin1String("TrackNum"))
                EXPECT_DOUBLE_EQ(stored.toDouble(), value.toDouble()) << e.name.toStdString();
            else
                EXPECT_EQ(stored.toString(), value.toString()) << e.name.toStdString() << " " << field.toStdString();
        }
        rows->moveNext();
    }
    EXPECT_TRUE(rows->eof());
}

INSTANTIATE_TEST_SUITE_P(BothColumnTables, ReadAheadImportTest, ::testing::Values(5, 6));

class TagReadAheadTest : public ImportTest {
protected:
    // Sources for every fixture, several times over, under item indexes 0, 2, 4, ...
    std::vector<std::pair<int, import::TagSource>> sources(int copies) {
        std::vector<std::pair<int, import::TagSource>> out;
        for (int i = 0; i < copies * int(kFixtures.size()); ++i) {
            const QString &f = kFixtures[i % kFixtures.size()];
            const QString name = QStringLiteral("f%1-%2").arg(i, 3, 10, QLatin1Char('0')).arg(f);
            const QString path = put(f, name);
            out.emplace_back(2 * i, import::TagSource{path, path, name, extensionOf(f), 6});
        }
        return out;
    }
    QThreadPool pool;
};

TEST_F(TagReadAheadTest, EveryFileGetsTheValuesOfReadingItAloneInWhateverOrderItIsTaken) {
    const auto files = sources(3);
    import::TagReadAhead ahead(pool);
    ahead.start(files);
    // Backwards: the last files are waited for or read here, the first ones long read.
    for (auto it = files.rbegin(); it != files.rend(); ++it)
        EXPECT_EQ(ahead.take(it->first, it->second), import::readTagValues(it->second))
            << it->second.fileName.toStdString();
    // An item that was not given is read when it is asked for.
    const import::TagSource other = files.front().second;
    EXPECT_EQ(ahead.take(1, other), import::readTagValues(other));
    EXPECT_FALSE(import::readTagValues(files.front().second).isEmpty());
}

TEST_F(TagReadAheadTest, GoingWithReadsUnderWayStopsThemAndWaitsForThem) {
    using namespace std::chrono_literals;
    const auto files = sources(8);
    // Each read holds until the gate opens, so the read-ahead goes while two reads are under way.
    std::mutex mutex;
    std::condition_variable changed;
    bool gateOpen = false;
    int begun = 0, ended = 0;
    const auto read = [&](const import::TagSource &source) {
        std::unique_lock lock(mutex);
        ++begun;
        changed.notify_all();
        changed.wait(lock, [&] { return gateOpen; });
        ++ended;
        return import::SongValues{{QStringLiteral("SongName"), source.fileName}};
    };
    pool.setMaxThreadCount(2);
    std::thread opener;
    {
        import::TagReadAhead ahead(pool, read);
        ahead.start(files);
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(changed.wait_for(lock, 10s, [&] { return begun == 2; }));
        }
        opener = std::thread([&] {
            std::this_thread::sleep_for(50ms);
            const std::lock_guard lock(mutex);
            gateOpen = true;
            changed.notify_all();
        });
    } // a cancelled folder
    {
        // Gone only once the reads under way had ended, and no other read began.
        const std::lock_guard lock(mutex);
        EXPECT_EQ(ended, 2);
        EXPECT_EQ(begun, 2);
    }
    opener.join();
    EXPECT_TRUE(pool.waitForDone()); // no worker is left waiting for more files
    // The other files were dropped: none is read after the read-ahead is gone.
    EXPECT_EQ(begun, 2) << files.size() - 2 << " reads should have been dropped";
}
