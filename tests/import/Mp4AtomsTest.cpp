// The MP4 atom walk: the fixed path to the item list, the item rules, and the bounds.
#include "common/TestEnv.h"
#include "import/GenreTable.h"
#include "import/ModM4ATags.h"
#include "import/TagBytes.h"

#include <QBuffer>

using namespace import::ModM4ATags;
using namespace tagbytes;

namespace {

const QString dataDir = QStringLiteral(ORVALIS_TEST_DATA_DIR) + QLatin1Char('/');

Mp4Tags walk(QByteArray bytes) {
    LoadGenreTable();
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    return readMp4Tags(b);
}

} // namespace

TEST(Mp4Fixtures, FaststartFileGivesItsTextsAsUtf8) {
    const import::SongFields f = mp4AtomFields(dataDir + "m4a-faststart.m4a", "x.m4a");
    EXPECT_EQ(f.SongName, QString::fromUtf8("Żółw tańczy"));
    EXPECT_EQ(f.Artist, QString::fromUtf8("Sigrún Ødegård"));
    EXPECT_EQ(f.AlbumName, QString::fromUtf8("Café 東京"));
    EXPECT_EQ(f.Genre, QString::fromUtf8("Música"));
    EXPECT_EQ(f.Year, "2004");
    EXPECT_EQ(f.Composer, QString::fromUtf8("Jürgen Öst"));
    EXPECT_FALSE(f.Duration.has_value());
    EXPECT_FALSE(f.bitRate.has_value());
    EXPECT_FALSE(f.Notes.has_value());
    EXPECT_FALSE(f.TrackText.has_value());
}

TEST(Mp4Fixtures, NumericGenreIsLookedUpOneBelowItsCode) {
    EXPECT_EQ(mp4AtomFields(dataDir + "m4a-gnre.m4a", "x.m4a").Genre, "Rock");
}

TEST(Mp4Fixtures, OtherLayoutsAndDamagedFilesGiveTheFallbacks) {
    for (const char *name : {"m4a-moov-at-end.m4a", "truncated.m4a", "zeros.flac", "empty.mp3", "missing.m4a",
                             "id3v24-utf8.mp3"}) {
        const import::SongFields f = mp4AtomFields(dataDir + name, "file.m4a");
        EXPECT_EQ(f.Artist, "Unknown") << name;
        EXPECT_EQ(f.SongName, "file.m4a") << name;
        EXPECT_EQ(f.AlbumName, "") << name;
        EXPECT_EQ(f.Year, "") << name;
    }
}

TEST(Mp4Items, FirstTitleAndArtistButLastAlbum) {
    const Mp4Tags t = walk(m4aFile(textItem("\xA9nam", "First") + textItem("\xA9nam", "Second") +
                                   textItem("\xA9" "alb", "A1") + textItem("\xA9" "alb", "A2") +
                                   textItem("\xA9" "ART", " ") + textItem("\xA9" "ART", "Real")));
    EXPECT_TRUE(t.ilstFound);
    EXPECT_EQ(t.songName, "First");
    EXPECT_EQ(t.album, "A2");
    EXPECT_EQ(t.artist, "Real"); // a blank artist does not block a later one
}

TEST(Mp4Items, YearIsCutAndTheLaterGenreWins) {
    Mp4Tags t = walk(m4aFile(textItem("\xA9" "day", "2004-03-15T08:00:00Z") + gnreItem(18) + textItem("\xA9gen", "Text")));
    EXPECT_EQ(t.year, "2004-03-15");
    EXPECT_EQ(t.genre, "Text");
    t = walk(m4aFile(textItem("\xA9gen", "Text") + gnreItem(18)));
    EXPECT_EQ(t.genre, "Rock");
}

TEST(Mp4Items, GenreCodesOutsideTheTableGiveNoGenre) {
    EXPECT_EQ(walk(m4aFile(gnreItem(1))).genre, "Blues");
    EXPECT_EQ(walk(m4aFile(gnreItem(0))).genre, "");
    EXPECT_EQ(walk(m4aFile(gnreItem(149))).genre, "");
    EXPECT_EQ(walk(m4aFile(gnreItem(256 + 18))).genre, "Rock"); // only the low byte counts
}

TEST(Mp4Items, TheWalkStopsAfterSixCountedItems) {
    const QByteArray six = textItem("\xA9nam", "n") + textItem("\xA9" "ART", "a") + gnreItem(18) +
                           textItem("\xA9gen", "g") + textItem("\xA9" "day", "2000") + textItem("\xA9wrt", "w");
    const Mp4Tags t = walk(m4aFile(six + textItem("\xA9gen", "after") + textItem("\xA9" "alb", "after")));
    EXPECT_EQ(t.genre, "g");
    EXPECT_EQ(t.album, "");
    EXPECT_EQ(t.composer, "w");
}

TEST(Mp4Items, FreeAtomAndTheEndOfTheIlstStopTheWalk) {
    Mp4Tags t = walk(m4aFile(textItem("\xA9nam", "n") + atom("free", QByteArray(8, '\0')) + textItem("\xA9" "ART", "a")));
    EXPECT_EQ(t.songName, "n");
    EXPECT_EQ(t.artist, "");
    // An item that looks like one but lies behind the ilst, inside meta, is not read.
    t = walk(m4aFile(textItem("\xA9nam", "n"), textItem("\xA9" "ART", "outside")));
    EXPECT_EQ(t.artist, "");
}

TEST(Mp4Bounds, BadSizesEndTheWalkWithWhatWasRead) {
    QByteArray bytes = m4aFile(textItem("\xA9nam", "n") + textItem("\xA9" "ART", "a"));
    const qsizetype art = bytes.indexOf("\xA9" "ART") - 4;
    for (quint32 size : {0u, 4u, 7u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        QByteArray b = bytes;
        b.replace(art, 4, be32(size));
        const Mp4Tags t = walk(b);
        EXPECT_EQ(t.songName, "n") << size;
        EXPECT_EQ(t.artist, "") << size;
    }
    // A moov that claims more than the file holds reaches nothing.
    QByteArray b = bytes;
    b.replace(bytes.indexOf("moov") - 4, 4, be32(0x00FFFFFF));
    EXPECT_FALSE(walk(b).ilstFound);
}

TEST(Mp4Helpers, ReadAtomLeavesItsArgumentsOnFailure) {
    QByteArray bytes = atom("abcd", "xyz") + be32(3) + "efgh";
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    QByteArray data, type;
    qint64 size = 0;
    ASSERT_TRUE(ReadAtom(b, bytes.size(), data, size, type));
    EXPECT_EQ(size, 11);
    EXPECT_EQ(type, "abcd");
    EXPECT_EQ(data, "abcdxyz");
    EXPECT_FALSE(ReadAtom(b, bytes.size(), data, size, type));
    EXPECT_EQ(type, "abcd");
    EXPECT_EQ(b.pos(), 11);
}

TEST(GenreTable, HoldsTheListExactlyAsSpelled) {
    LoadGenreTable();
    LoadGenreTable(); // loading again leaves the same entries
    const import::GenreTable &g = import::GenreTable::instance();
    EXPECT_EQ(g.count(), 148);
    EXPECT_EQ(g.value("0"), "Blues");
    EXPECT_EQ(g.value("17"), "Rock");
    EXPECT_EQ(g.value("45"), "Meditative "); // the trailing blank is part of the name
    EXPECT_EQ(g.value("62"), "Pop / Funk");
    EXPECT_EQ(g.value("78"), "Rock & Roll");
    EXPECT_EQ(g.value("123"), "A Cappella");
    EXPECT_EQ(g.value("133"), "Negerpunk");
    EXPECT_EQ(g.value("147"), "Synthpop");
    EXPECT_EQ(g.value("-1"), "");
    EXPECT_EQ(g.value("148"), "");
    EXPECT_EQ(g.value("017"), "");
}
