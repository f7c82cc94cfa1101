// The items of a folder and their detail texts: listing, the columns that never open a file,
// the tag columns of every accepted format, and damaged files.
#include "common/TestEnv.h"
#include "platform/shell/AdtsStream.h"
#include "platform/shell/ShellFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace platform::shell;

namespace {

const QString dataDir = QStringLiteral(ORVALIS_TEST_DATA_DIR) + QLatin1Char('/');

std::string s(const QString &q) { return q.toStdString(); }

} // namespace

class ShellFolderTest : public OrvalisTest {
protected:
    // Copies fixtures into the test folder (under new names when given as "source=target").
    void copy(std::initializer_list<const char *> names) {
        for (const char *n : names) {
            const QStringList parts = QString::fromLatin1(n).split('=');
            ASSERT_TRUE(QFile::copy(dataDir + parts.first(), tmp.file(parts.last()))) << n;
        }
    }
    std::unique_ptr<ShellFolder> open(int version = 6) {
        auto folder = ShellFolder::nameSpace(tmp.path(), version);
        EXPECT_TRUE(folder);
        return folder;
    }
    const ShellItem &find(const ShellFolder &folder, const QString &name) {
        for (const ShellItem &item : folder.items())
            if (item.name() == name)
                return item;
        throw std::runtime_error("no item " + name.toStdString());
    }
};

TEST_F(ShellFolderTest, ListsFoldersFirstThenFilesByNameWithoutHiddenOnes) {
    QDir(tmp.path()).mkdir("zsub");
    QDir(tmp.path()).mkdir("Asub");
    testenv::writeFile(tmp.file("b.mp3"), "x");
    testenv::writeFile(tmp.file("A.txt"), "x");
    testenv::writeFile(tmp.file(".hidden.mp3"), "x");
    auto folder = open();
    QStringList names;
    for (const ShellItem &item : folder->items())
        names << item.name();
    EXPECT_EQ(s(names.join(',')), "Asub,zsub,A.txt,b.mp3");
    EXPECT_EQ(folder->getDetailsOf(folder->item(0), 6), "D");
    EXPECT_FALSE(folder->getDetailsOf(folder->item(3), 6).contains('D', Qt::CaseInsensitive));
    EXPECT_EQ(folder->getDetailsOf(folder->item(0), 2), "File folder");
    EXPECT_EQ(folder->getDetailsOf(folder->item(0), 1), "");
}

TEST_F(ShellFolderTest, NameSpaceOfSomethingThatIsNoFolderIsNull) {
    testenv::writeFile(tmp.file("file.mp3"), "x");
    EXPECT_EQ(ShellFolder::nameSpace(tmp.file("file.mp3"), 6), nullptr);
    EXPECT_EQ(ShellFolder::nameSpace(tmp.file("missing"), 6), nullptr);
    EXPECT_EQ(ShellFolder::nameSpace("", 6), nullptr);
}

TEST_F(ShellFolderTest, NameSizeTypeAndAttributesNeverReadTheTags) {
    copy({"id3v24-utf8.mp3"});
    auto folder = open();
    const ShellItem &item = folder->item(0);
    EXPECT_EQ(folder->getDetailsOf(item, 0), "id3v24-utf8.mp3");
    EXPECT_EQ(folder->getDetailsOf(item, 1), "5.36 KB");
    EXPECT_TRUE(folder->getDetailsOf(item, 2).contains("mp3", Qt::CaseInsensitive));
    EXPECT_EQ(folder->getDetailsOf(item, 6), "");
    EXPECT_EQ(folder->getDetailsOf(item, 3), ""); // a column nobody reads
    EXPECT_FALSE(item.tagsRead());
    EXPECT_EQ(s(folder->getDetailsOf(item, 21)), "Żółw tańczy");
    EXPECT_TRUE(item.tagsRead());
}

TEST_F(ShellFolderTest, TagsAreReadOncePerFile) {
    copy({"id3v24-utf8.mp3=song.mp3"});
    auto folder = open();
    const ShellItem &item = folder->item(0);
    EXPECT_EQ(s(folder->getDetailsOf(item, 21)), "Żółw tańczy");
    // Changing the file afterwards does not change what the item reports: no second read.
    testenv::writeFile(tmp.file("song.mp3"), QByteArray(100, '\0'));
    EXPECT_EQ(s(folder->getDetailsOf(item, 13)), "Sigrún Ødegård");
    EXPECT_EQ(folder->getDetailsOf(item, 27), "00:00:01");
}

TEST_F(ShellFolderTest, EveryAcceptedFormatReportsItsTagsAndLength) {
    // Each holds one second of sound (the WMA file's preroll is not counted).
    const char *const files[] = {"id3v23-utf16.mp3", "id3v24-utf16be.mp3", "flac-utf8.flac", "vorbis-utf8.ogg",
                                 "m4a-faststart.m4a", "m4a-moov-at-end.m4a", "mp4-audio.mp4", "adts-id3v24.aac",
                                 "wma-utf16.wma", "wav-id3-info.wav"};
    for (const char *f : files)
        copy({f});
    const QRegularExpression kbps("^[1-9][0-9]*kbps$");
    for (int version : {5, 6}) {
        auto folder = open(version);
        const auto col = [&](const ShellItem &item, Detail d) {
            return folder->getDetailsOf(item, columnOfDetail(d, version));
        };
        for (const char *file : files) {
            SCOPED_TRACE(std::string(file) + " on " + std::to_string(version));
            const ShellItem &item = find(*folder, file);
            EXPECT_EQ(s(col(item, Detail::Title)), "Żółw tańczy");
            EXPECT_EQ(s(col(item, Detail::Artist)), "Sigrún Ødegård");
            EXPECT_EQ(s(col(item, Detail::Album)), "Café 東京");
            EXPECT_EQ(s(col(item, Detail::Genre)), "Música");
            EXPECT_EQ(col(item, Detail::Year), "2004");
            EXPECT_EQ(col(item, Detail::Track), "7");
            EXPECT_EQ(s(col(item, Detail::Comment)), "Schön");
            EXPECT_EQ(col(item, Detail::Duration), "00:00:01");
            EXPECT_TRUE(kbps.match(col(item, Detail::BitRate)).hasMatch()) << s(col(item, Detail::BitRate));
            if (version >= 6) {
                EXPECT_EQ(s(folder->getDetailsOf(item, 220)), "Jürgen Öst");
                EXPECT_EQ(folder->getDetailsOf(item, 237), "120");
            }
        }
    }
}

// One second of 8 kHz 8-bit silence with a RIFF INFO chunk of these (four-letter id, text)
// pairs, as rippers write it, and no ID3v2 chunk.
static QByteArray wavWithInfo(const std::vector<std::pair<const char *, QByteArray>> &info) {
    const auto le32 = [](quint32 v) {
        const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
        return QByteArray(b, 4);
    };
    const auto chunk = [&](const char *id, QByteArray body) {
        QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
        if (body.size() % 2)
            c += '\0';
        return c;
    };
    QByteArray fmt = QByteArray::fromHex("01000100") + le32(8000) + le32(8000) + QByteArray::fromHex("01000800");
    QByteArray list = "INFO";
    for (const auto &[id, text] : info)
        list += chunk(id, text + '\0');
    const QByteArray body = "WAVE" + chunk("fmt ", fmt) + chunk("data", QByteArray(8000, char(0x80))) + chunk("LIST", list);
    return "RIFF" + le32(quint32(body.size())) + body;
}

TEST_F(ShellFolderTest, AWavFileWithoutAnId3ChunkGivesItsInfoTags) {
    testenv::writeFile(tmp.file("ripped.wav"), wavWithInfo({{"INAM", "Night Train"},
                                                            {"IART", "The Rails"},
                                                            {"IPRD", "Stations"},
                                                            {"IGNR", "Blues"},
                                                            {"ICRD", "1998"},
                                                            {"IPRT", "4"},
                                                            {"ICMT", "ripped"}}));
    auto folder = open();
    const ShellItem &item = find(*folder, "ripped.wav");
    const std::pair<Detail, const char *> expected[] = {
        {Detail::Title, "Night Train"}, {Detail::Artist, "The Rails"}, {Detail::Album, "Stations"},
        {Detail::Genre, "Blues"},       {Detail::Year, "1998"},         {Detail::Track, "4"},
        {Detail::Comment, "ripped"},    {Detail::Duration, "00:00:01"}};
    for (const auto &[detail, text] : expected)
        EXPECT_EQ(s(folder->getDetailsOf(item, columnOfDetail(detail, 6))), text) << int(detail);
}

TEST_F(ShellFolderTest, ConstantBitRateFileGivesItsExactRate) {
    copy({"untagged.mp3"});
    auto folder = open();
    EXPECT_EQ(folder->getDetailsOf(folder->item(0), 28), "32kbps");
    EXPECT_EQ(folder->getDetailsOf(folder->item(0), 21), "");
}

TEST_F(ShellFolderTest, DamagedFilesGiveEmptyTagTextsAndNoLengthButKeepTheirSize) {
    copy({"zeros.flac", "empty.mp3"});
    testenv::writeFile(tmp.file("random.aac"), QByteArray(3000, '\x5A'));
    testenv::writeFile(tmp.file("text.wma"), "not a music file");
    auto folder = open();
    for (const ShellItem &item : folder->items()) {
        SCOPED_TRACE(s(item.name()));
        EXPECT_FALSE(folder->getDetailsOf(item, 1).isEmpty());
        EXPECT_EQ(folder->getDetailsOf(item, 21), "");
        EXPECT_EQ(folder->getDetailsOf(item, 13), "");
        EXPECT_EQ(folder->getDetailsOf(item, 27), "");  // a length that cannot be measured is no length
        EXPECT_EQ(folder->getDetailsOf(item, 28), "");
    }
    EXPECT_EQ(folder->getDetailsOf(find(*folder, "empty.mp3"), 1), "0 bytes");
    EXPECT_EQ(folder->getDetailsOf(find(*folder, "random.aac"), 27), "");
}

TEST_F(ShellFolderTest, MutatedCopiesOfEveryFixtureAreReadWithoutFailing) {
    // TagLib and the ADTS reader meet cut, flipped and overwritten copies of each format.
    quint64 state = 99;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(state >> 33);
    };
    int written = 0;
    for (const QString &name : QDir(dataDir).entryList(QDir::Files)) {
        if (name.endsWith(".sh"))
            continue;
        QFile f(dataDir + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray original = f.readAll();
        if (original.isEmpty())
            continue;
        for (int i = 0; i < 20; ++i) {
            QByteArray b = original;
            const qsizetype at = next() % b.size();
            if (i % 3 == 0)
                b.truncate(at);
            else if (i % 3 == 1)
                for (int k = 0; k < 6; ++k)
                    b[next() % b.size()] = char(next());
            else
                b.replace(at, std::min<qsizetype>(4, b.size() - at), QByteArray("\xFF\xFF\xFF\x7F", 4));
            testenv::writeFile(tmp.file(QString::number(i) + "-" + name), b);
            ++written;
        }
    }
    auto folder = open();
    ASSERT_EQ(folder->count(), written);
    for (const ShellItem &item : folder->items())
        for (Detail d : {Detail::Title, Detail::Duration, Detail::BitRate, Detail::BPM})
            item.detail(d);
    SUCCEED();
}

TEST(AdtsStream, LengthAndRateFromTheFrameHeaders) {
    // 50 frames of 8 kHz mono, 100 bytes each (one raw data block of 1024 samples).
    QByteArray frames;
    for (int i = 0; i < 50; ++i) {
        QByteArray f(100, '\0');
        f[0] = char(0xFF);
        f[1] = char(0xF1);
        f[2] = char((1 << 6) | (11 << 2)); // AAC LC, sampling index 11 = 8000 Hz
        f[3] = char(0x40 | ((100 >> 11) & 0x03));
        f[4] = char((100 >> 3) & 0xFF);
        f[5] = char(((100 & 0x07) << 5) | 0x1F);
        f[6] = char(0xFC);
        frames += f;
    }
    QBuffer b(&frames);
    b.open(QIODevice::ReadOnly);
    const AdtsProperties p = readAdtsProperties(b);
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.sampleRate, 8000);
    EXPECT_EQ(p.milliseconds, 50 * 1024 * 1000 / 8000);
    EXPECT_EQ(p.kbps, 6); // 100 bytes per 128 ms
    QByteArray noise(5000, '\x33');
    QBuffer n(&noise);
    n.open(QIODevice::ReadOnly);
    EXPECT_FALSE(readAdtsProperties(n).valid);
}
