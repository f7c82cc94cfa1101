// The ID3v2 reader class: finding the tag, the frame lists, text decoding, and editing in memory.
#include "common/TestEnv.h"
#include "import/TagBytes.h"
#include "import/cMP3ID3v2.h"

#include <QBuffer>
#include <QFile>

using import::cMP3ID3v2;
using import::ID3v2Error;
using namespace tagbytes;

namespace {

const QString dataDir = QStringLiteral(ORVALIS_TEST_DATA_DIR) + QLatin1Char('/');

void read(cMP3ID3v2 &tag, QByteArray bytes) {
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    tag.readTag(b);
}

// The frame identifiers in order, joined by commas.
std::string frameIds(const cMP3ID3v2 &tag) {
    QStringList ids;
    for (int i = 1; i <= tag.FrameCount(); ++i)
        ids << tag.Frame(i);
    return ids.join(',').toStdString();
}

const QByteArray audio = QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(400, '\x11');

} // namespace

class ID3v2Fixtures : public OrvalisTest {};

TEST_F(ID3v2Fixtures, EveryEncodingDecodesToTheSameTexts) {
    for (const char *name : {"id3v23-utf16.mp3", "id3v24-utf8.mp3", "id3v24-utf16.mp3", "id3v24-utf16be.mp3"}) {
        cMP3ID3v2 tag;
        tag.setMP3File(dataDir + name);
        SCOPED_TRACE(name);
        EXPECT_TRUE(tag.HasID3v2Tag());
        EXPECT_EQ(tag.TagVersion(), QByteArray(name).contains("v23") ? 3 : 4);
        EXPECT_EQ(tag.FrameValue("TIT2", 1), QString::fromUtf8("Żółw tańczy"));
        EXPECT_EQ(tag.FrameValue("TPE1", 1), QString::fromUtf8("Sigrún Ødegård"));
        EXPECT_EQ(tag.FrameValue("TALB", 1), QString::fromUtf8("Café 東京"));
        EXPECT_EQ(tag.FrameValue("TCOM", 1), QString::fromUtf8("Jürgen Öst"));
        EXPECT_EQ(tag.Comment(), QString::fromUtf8("Schön"));
        EXPECT_EQ(tag.FrameValue("COMM", 1), QString::fromUtf8("engSchön"));
    }
}

TEST_F(ID3v2Fixtures, Latin1TagListsItsFramesInFileOrder) {
    cMP3ID3v2 tag;
    tag.setMP3File(dataDir + "id3v23-latin1.mp3");
    EXPECT_EQ(tag.ID3v2TagVersion(), 3);
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1,TALB,TRCK,TCOM,TBPM,COMM,TYER,TCON");
    EXPECT_EQ(tag.FrameValue("TIT2", 1), QString::fromUtf8("Déjà vu"));
    EXPECT_EQ(tag.FrameValue("TRCK", 1), "7/12");
    EXPECT_EQ(tag.TagsInFrame("TIT2"), 1);
    EXPECT_EQ(tag.MP3File(), dataDir + "id3v23-latin1.mp3");
}

TEST_F(ID3v2Fixtures, UntaggedAndEmptyFilesHaveNoTag) {
    for (const char *name : {"untagged.mp3", "empty.mp3"}) {
        cMP3ID3v2 tag;
        tag.setMP3File(dataDir + "id3v24-utf8.mp3");
        tag.setMP3File(dataDir + name); // a new read forgets the earlier file's tag
        EXPECT_FALSE(tag.HasID3v2Tag()) << name;
        EXPECT_EQ(tag.FrameCount(), 0) << name;
        EXPECT_EQ(tag.TagVersion(), 0) << name;
    }
}

TEST_F(ID3v2Fixtures, AFileThatCannotBeOpenedIsATypedError) {
    cMP3ID3v2 tag;
    try {
        tag.setMP3File(tmp.file("missing.mp3"));
        FAIL() << "no error";
    } catch (const ID3v2Error &e) {
        EXPECT_EQ(e.number(), ID3v2Error::FileNotFound);
        EXPECT_TRUE(e.source().endsWith(".cMP3ID3v2"));
    }
    EXPECT_THROW(tag.setMP3File(tmp.path()), ID3v2Error);
    testenv::writeFile(tmp.file("locked.mp3"), id3Tag(3, id3Frame(3, "TIT2", latin1Text("x"))));
    QFile::setPermissions(tmp.file("locked.mp3"), QFileDevice::Permissions());
    if (!QFile(tmp.file("locked.mp3")).open(QIODevice::ReadOnly)) { // root reads anyway
        EXPECT_THROW(tag.setMP3File(tmp.file("locked.mp3")), ID3v2Error);
    }
}

TEST(ID3v2Search, TagPositionIsTheByteAfterId3) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(3, id3Frame(3, "TIT2", latin1Text("x"))) + audio);
    EXPECT_TRUE(tag.HasID3v2Tag());
    // Behind other bytes, and split across the boundary of two 4096-byte chunks.
    for (int offset : {100, 4094, 4095, 5000}) {
        read(tag, QByteArray(offset, '\x20') + id3Tag(4, id3Frame(4, "TIT2", utf8Text("late"))));
        EXPECT_EQ(tag.FrameValue("TIT2", 1), "late") << offset;
    }
}

TEST(ID3v2Search, NoTagIsSoughtPastTheFirstMpegFrame) {
    cMP3ID3v2 tag;
    read(tag, audio + QByteArray(5000, '\x20') + id3Tag(3, id3Frame(3, "TIT2", latin1Text("x"))));
    EXPECT_FALSE(tag.HasID3v2Tag());
    EXPECT_EQ(tag.FrameCount(), 0);
}

TEST(ID3v2Frames, RepeatedFramesKeepEveryValue) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(3, id3Frame(3, "TIT2", latin1Text("one")) + id3Frame(3, "TPE1", latin1Text("a")) +
                            id3Frame(3, "TIT2", latin1Text("two"))));
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1");
    EXPECT_EQ(tag.TagsInFrame("TIT2"), 2);
    EXPECT_EQ(tag.FrameValue("TIT2", 1), "one");
    EXPECT_EQ(tag.FrameValue("TIT2", 2), "two");
    // The count list moves a changed count to its end.
    EXPECT_EQ(tag.TagsInFrame(1), 1);
    EXPECT_EQ(tag.TagsInFrame(2), 2);
    EXPECT_EQ(tag.TagsInFrame("WXXX"), 0);
    EXPECT_EQ(tag.TagsInFrame(9), 0);
}

TEST(ID3v2Frames, Version22IdentifiersAreMapped) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(2, id3Frame(2, "TT2", latin1Text("Title")) + id3Frame(2, "TP1", latin1Text("Artist")) +
                            id3Frame(2, "PIC", QByteArray("\0JPG", 4)) + id3Frame(2, "COM", commBody(0, "eng", "", "Nice"))));
    EXPECT_EQ(tag.TagVersion(), 2);
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1,,COMM");
    EXPECT_EQ(tag.FrameValue("TPE1", 1), "Artist");
    EXPECT_EQ(tag.Comment(), "Nice");
}

TEST(ID3v2Frames, Version24FrameSizesAreSynchSafe) {
    // 200 bytes: 0x00 0x00 0x01 0x48 synch-safe, which read plainly would be 328.
    const QString title(199, QLatin1Char('t'));
    cMP3ID3v2 tag;
    read(tag, id3Tag(4, id3Frame(4, "TIT2", latin1Text(title)) + id3Frame(4, "TPE1", latin1Text("Artist"))) + audio);
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1");
    EXPECT_EQ(tag.FrameValue("TIT2", 1), title);
    EXPECT_EQ(tag.FrameValue("TPE1", 1), "Artist");
}

TEST(ID3v2Frames, CommentsAreJoinedAndOnlyEnglishLosesItsLanguage) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(3, id3Frame(3, "COMM", commBody(0, "eng", "", "Nice")) +
                            id3Frame(3, "COMM", commBody(1, "deu", "Kurz", QString::fromUtf8("Schön"))) +
                            id3Frame(3, "COMM", commBody(3, "eng", "d", QString::fromUtf8("東京")))));
    EXPECT_EQ(tag.Comment(), QString::fromUtf8("Nice") + QChar(0) + "\r\n" + QString::fromUtf8("deuKurzSchön") +
                                 QChar(0) + "\r\n" + QString::fromUtf8("d東京"));
    EXPECT_EQ(tag.TagsInFrame("COMM"), 3);
}

TEST(ID3v2Frames, TextEncodingsAndBinaryFrames) {
    const QString s = QString::fromUtf8("Ærø ☃");
    cMP3ID3v2 tag;
    read(tag, id3Tag(4, id3Frame(4, "TIT2", QByteArray(1, '\1') + utf16Bytes(s, true, true)) +    // BOM, big-endian
                            id3Frame(4, "TPE1", QByteArray(1, '\1') + utf16Bytes(s, false, true)) + // BOM, little-endian
                            id3Frame(4, "TALB", QByteArray(1, '\2') + utf16Bytes(s, true, false)) +
                            id3Frame(4, "TCON", QByteArray(1, '\3') + s.toUtf8() + '\0' + "Pop") + // two values
                            id3Frame(4, "PRIV", QByteArray("own\0\xC3\xA9", 6))));
    EXPECT_EQ(tag.FrameValue("TIT2", 1), s);
    EXPECT_EQ(tag.FrameValue("TPE1", 1), s);
    EXPECT_EQ(tag.FrameValue("TALB", 1), s);
    EXPECT_EQ(tag.FrameValue("TCON", 1), s + "Pop");
    EXPECT_EQ(tag.FrameValue("PRIV", 1), QString::fromLatin1("own\xC3\xA9")); // one character per byte
}

TEST(ID3v2Frames, ReadingStopsAtPaddingTheTagSizeAndTheFileEnd) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(3, id3Frame(3, "TIT2", latin1Text("a")), 20) + id3Frame(3, "TPE1", latin1Text("b")));
    EXPECT_EQ(frameIds(tag), "TIT2");
    // A frame larger than the tag ends the read with the frames before it.
    QByteArray big = id3Tag(3, id3Frame(3, "TIT2", latin1Text("a")) + id3Frame(3, "TPE1", latin1Text("b")));
    big.replace(big.indexOf("TPE1") + 4, 4, be32(0x7FFFFFFF));
    read(tag, big);
    EXPECT_EQ(frameIds(tag), "TIT2");
    // So does one that claims more than the tag holds, though the file goes on after it.
    QByteArray over = id3Tag(3, id3Frame(3, "TIT2", latin1Text("a")) + id3Frame(3, "TPE1", latin1Text("b"))) + audio;
    over.replace(over.indexOf("TPE1") + 4, 4, be32(100));
    read(tag, over);
    EXPECT_EQ(frameIds(tag), "TIT2");
    // A file cut inside a frame keeps the frames before it.
    const QByteArray whole = id3Tag(4, id3Frame(4, "TIT2", latin1Text("a")) + id3Frame(4, "TPE1", latin1Text("bbbb")));
    read(tag, whole.left(whole.size() - 2));
    EXPECT_EQ(frameIds(tag), "TIT2");
    // A tag that claims more than the file holds.
    QByteArray claims = whole;
    claims.replace(6, 4, synchSafe(0x0FFFFFFF));
    read(tag, claims);
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1");
}

TEST(ID3v2Frames, UnknownVersionsAreNotRead) {
    cMP3ID3v2 tag;
    QByteArray v5 = id3Tag(3, id3Frame(3, "TIT2", latin1Text("a")));
    v5[3] = 5;
    read(tag, v5);
    EXPECT_TRUE(tag.HasID3v2Tag());
    EXPECT_EQ(tag.TagVersion(), 5);
    EXPECT_EQ(tag.FrameCount(), 0);
}

TEST(ID3v2Editing, RemoveTagRenumbersTheRestOfThatFrameOnly) {
    cMP3ID3v2 tag;
    read(tag, id3Tag(3, id3Frame(3, "TIT2", latin1Text("1")) + id3Frame(3, "TIT2", latin1Text("2")) +
                            id3Frame(3, "TIT2", latin1Text("3")) + id3Frame(3, "TPE1", latin1Text("a"))));
    tag.RemoveTag("TIT2", 1);
    EXPECT_EQ(tag.TagsInFrame("TIT2"), 2);
    EXPECT_EQ(tag.FrameValue("TIT2", 1), "2");
    EXPECT_EQ(tag.FrameValue("TIT2", 2), "3");
    EXPECT_THROW(tag.FrameValue("TIT2", 3), ID3v2Error);
    EXPECT_EQ(tag.FrameValue("TPE1", 1), "a");
    tag.RemoveTag("TPE1", 1);
    EXPECT_EQ(tag.TagsInFrame("TPE1"), 0);
    EXPECT_EQ(frameIds(tag), "TIT2,TPE1"); // the identifier stays
    EXPECT_THROW(tag.RemoveTag("TPE1", 1), ID3v2Error);
}

TEST(ID3v2Editing, AddRemoveFrameAndComment) {
    cMP3ID3v2 tag; // usable before any file is read
    tag.AddTag("TIT2", "x");
    tag.AddTag("TIT2", "y");
    tag.AddTag("TPE1", "z");
    EXPECT_EQ(tag.TagsInFrame("TIT2"), 2);
    tag.RemoveFrame(1);
    EXPECT_EQ(frameIds(tag), "TPE1");
    EXPECT_THROW(tag.FrameValue("TIT2", 1), ID3v2Error);
    EXPECT_THROW(tag.RemoveFrame("TIT2"), ID3v2Error);
    EXPECT_THROW(tag.Frame(2), ID3v2Error);
    tag.setComment("new");
    EXPECT_EQ(tag.Comment(), "new");
    tag.setComment("newer");
    EXPECT_EQ(tag.TagsInFrame("COMM"), 1);
    EXPECT_EQ(frameIds(tag), "TPE1,COMM");
}
