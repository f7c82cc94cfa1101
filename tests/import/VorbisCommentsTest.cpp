// The Vorbis comment reader: FLAC blocks and Ogg pages, name matching, and the field step.
#include "common/TestEnv.h"
#include "import/Module1.h"
#include "import/TagBytes.h"

#include <QBuffer>

using namespace import::Module1;
using namespace tagbytes;

namespace {

const QString dataDir = QStringLiteral(ORVALIS_TEST_DATA_DIR) + QLatin1Char('/');

VorbisComments commentsOf(QByteArray bytes) {
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    return readVorbisComments(b);
}

import::SongFields fieldsOf(const QByteArray &bytes) { return vorbisCommentFields(commentsOf(bytes), "file.flac"); }

QByteArray flacWith(const QList<QByteArray> &entries) { return flacFile({flacBlock(4, commentList(entries))}); }

} // namespace

TEST(VorbisFixtures, EveryFieldOfAFlacFileWithNonAsciiText) {
    const import::SongFields f = vorbisCommentFields(dataDir + "flac-utf8.flac", "flac-utf8.flac");
    EXPECT_EQ(f.SongName, QString::fromUtf8("Żółw tańczy"));
    EXPECT_EQ(f.Artist, QString::fromUtf8("Sigrún Ødegård"));
    EXPECT_EQ(f.AlbumName, QString::fromUtf8("Café 東京"));
    EXPECT_EQ(f.Year, "2004");
    EXPECT_EQ(f.Genre, QString::fromUtf8("Música"));
    EXPECT_EQ(f.Composer, QString::fromUtf8("Jürgen Öst"));
    EXPECT_EQ(f.TrackText, "7");
    EXPECT_EQ(f.TrackNum, 7.0);
    EXPECT_EQ(f.Notes, QString::fromUtf8("Schön"));
    EXPECT_FALSE(f.Duration.has_value());
    EXPECT_FALSE(f.bitRate.has_value());
}

TEST(VorbisFixtures, CommentsBehindAPictureOrAThousandBytesAreFound) {
    EXPECT_EQ(vorbisCommentFields(dataDir + "flac-picture-before-comments.flac", "x").Artist,
              QString::fromUtf8("Åsa Ängel"));
    const import::SongFields f = vorbisCommentFields(dataDir + "flac-long-comments.flac", "x");
    EXPECT_EQ(f.Notes->size(), 700);
    EXPECT_EQ(f.SongName, QString::fromUtf8("Żółw tańczy")); // lies beyond the first 1000 bytes
    EXPECT_EQ(f.TrackText, "7");
}

TEST(VorbisFixtures, OggVorbisFile) {
    const import::SongFields f = vorbisCommentFields(dataDir + "vorbis-utf8.ogg", "x.ogg");
    EXPECT_EQ(f.SongName, QString::fromUtf8("Żółw tańczy"));
    EXPECT_EQ(f.AlbumName, QString::fromUtf8("Café 東京"));
}

TEST(VorbisFixtures, UnreadableOrForeignFilesGiveTheFallbacks) {
    for (const char *name : {"missing.flac", "zeros.flac", "empty.mp3", "id3v24-utf8.mp3", "m4a-faststart.m4a"}) {
        const import::SongFields f = vorbisCommentFields(dataDir + name, "name.flac");
        EXPECT_EQ(f.Artist, "Unknown") << name;
        EXPECT_EQ(f.SongName, "name.flac") << name;
        EXPECT_EQ(f.AlbumName, "") << name; // absent comments are stored empty, not left Null
        EXPECT_EQ(f.Notes, "") << name;
        EXPECT_FALSE(f.TrackNum.has_value()) << name;
    }
}

TEST(VorbisNames, MatchCaseBlindOnTheWholeNameAndTheFirstOccurrenceWins) {
    const VorbisComments c = commentsOf(flacWith({"ALBUMARTIST=X", "artist=Abba", "ARTIST=Later", "Title=t"}));
    EXPECT_EQ(GetVorbisComment(c, "ARTIST"), "Abba");
    EXPECT_EQ(GetVorbisComment(c, "ARTIST="), "Abba");
    EXPECT_EQ(GetVorbisComment(c, "ALBUMARTIST"), "X");
    EXPECT_EQ(GetVorbisComment(c, "TITLE"), "t");
    EXPECT_EQ(GetVorbisComment(c, "GENRE"), "");
}

TEST(VorbisFields, TrackDateAndCuts) {
    const QByteArray genre300 = "GENRE=" + QByteArray(300, 'g');
    const QByteArray comment300 = "COMMENT=" + QByteArray(300, 'c');
    import::SongFields f = fieldsOf(flacWith({"TRACKNUMBER=07", "DATE=2001-05-17T10:00", genre300, comment300}));
    EXPECT_EQ(f.TrackText, "07");
    EXPECT_EQ(f.TrackNum, 7.0);
    EXPECT_EQ(f.Year, "2001-05-17");
    EXPECT_EQ(f.Genre->size(), 255);
    EXPECT_EQ(f.Notes->size(), 300);
    f = fieldsOf(flacWith({"TRACKNUMBER=3/12", "ARTIST= ", "TITLE="}));
    EXPECT_EQ(f.TrackText, "3/12");
    EXPECT_FALSE(f.TrackNum.has_value());
    EXPECT_EQ(f.Artist, "Unknown");
    EXPECT_EQ(f.SongName, "file.flac");
}

TEST(VorbisFlac, BlocksBeforeTheCommentsAreSkippedWhateverTheirSize) {
    const QByteArray bytes = flacFile({flacBlock(3, QByteArray(5000, '\x01')),  // seek table
                                       flacBlock(6, QByteArray(70000, '\x02')), // picture
                                       flacBlock(1, QByteArray(100, '\0')),     // padding
                                       flacBlock(4, commentList({"TITLE=deep"}))});
    EXPECT_EQ(GetVorbisComment(commentsOf(bytes), "TITLE"), "deep");
}

TEST(VorbisFlac, AnId3v2TagInFrontIsSkipped) {
    const QByteArray id3 = id3Tag(3, id3Frame(3, "TIT2", latin1Text("id3")));
    EXPECT_EQ(GetVorbisComment(commentsOf(id3 + flacWith({"TITLE=flac"})), "TITLE"), "flac");
    // A version 4 tag may end in a footer of ten bytes that its size does not count.
    QByteArray withFooter = id3Tag(4, id3Frame(4, "TIT2", latin1Text("id3")));
    withFooter[5] = char(0x10);
    withFooter += QByteArray("3DI") + withFooter.mid(3, 7);
    EXPECT_EQ(GetVorbisComment(commentsOf(withFooter + flacWith({"TITLE=flac"})), "TITLE"), "flac");
}

TEST(VorbisFlac, ACutOffListKeepsTheCompleteComments) {
    QByteArray bytes = flacWith({"ARTIST=kept", "TITLE=" + QByteArray(200, 't')});
    bytes.chop(32 + 100); // frame bytes and half of the title
    const VorbisComments c = commentsOf(bytes);
    EXPECT_EQ(GetVorbisComment(c, "ARTIST"), "kept");
    EXPECT_EQ(GetVorbisComment(c, "TITLE"), "");
}

TEST(VorbisFlac, LengthsPastTheBlockEndTheList) {
    QByteArray list = commentList({"ARTIST=a", "TITLE=b"});
    list.replace(list.indexOf("TITLE") - 4, 4, le32(0x7FFFFFF0)); // the title's length
    EXPECT_EQ(parseCommentList(list).size(), 1u);
    QByteArray vendor = commentList({"ARTIST=a"});
    vendor.replace(0, 4, le32(0xFFFFFFFF));
    EXPECT_TRUE(parseCommentList(vendor).empty());
    // A count of four billion entries ends with the bytes.
    QByteArray count = commentList({"ARTIST=a"});
    count.replace(4 + 11, 4, le32(0xFFFFFFFF));
    EXPECT_EQ(parseCommentList(count).size(), 1u);
}

TEST(VorbisFlac, NoMoreThanOneMebibyteIsRead) {
    const QByteArray hugeValue = "COMMENT=" + QByteArray(int(MaxVorbisBytes), 'x');
    const VorbisComments c = commentsOf(flacWith({"ARTIST=first", hugeValue, "TITLE=after"}));
    EXPECT_EQ(GetVorbisComment(c, "ARTIST"), "first");
    EXPECT_EQ(GetVorbisComment(c, "COMMENT"), "");
    EXPECT_EQ(GetVorbisComment(c, "TITLE"), "");
}

TEST(VorbisOgg, TheCommentPacketIsJoinedAcrossPages) {
    const QByteArray longComment = "COMMENT=" + QByteArray(3000, 'c');
    const QByteArray bytes = oggStream({vorbisIdPacket(), vorbisCommentPacket({longComment, "ARTIST=across"})},
                                       0x1234, 4); // four lacing values a page: the packet spans pages
    EXPECT_GT(bytes.count("OggS"), 3);
    const VorbisComments c = commentsOf(bytes);
    EXPECT_EQ(GetVorbisComment(c, "ARTIST"), "across");
    EXPECT_EQ(GetVorbisComment(c, "COMMENT").size(), 3000);
}

TEST(VorbisOgg, PagesOfAnotherStreamAreSkipped) {
    const QByteArray ours = oggStream({vorbisIdPacket(), vorbisCommentPacket({"TITLE=ours"})}, 1, 1);
    const QByteArray other = oggStream({QByteArray("\x03vorbis") + commentList({"TITLE=theirs"})}, 2);
    const qsizetype secondPage = ours.indexOf("OggS", 4);
    const QByteArray mixed = ours.left(secondPage) + other + ours.mid(secondPage);
    EXPECT_EQ(GetVorbisComment(commentsOf(mixed), "TITLE"), "ours");
}

TEST(VorbisOgg, OpusTagsAndForeignStreams) {
    const QByteArray opus = oggStream({QByteArray("OpusHead") + QByteArray(11, '\0'),
                                       QByteArray("OpusTags") + commentList({"TITLE=opus"})});
    EXPECT_EQ(GetVorbisComment(commentsOf(opus), "TITLE"), "opus");
    const QByteArray theora = oggStream({QByteArray("\x80theora"), vorbisCommentPacket({"TITLE=x"})});
    EXPECT_TRUE(commentsOf(theora).empty());
}
