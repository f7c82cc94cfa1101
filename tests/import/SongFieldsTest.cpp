// The song fields taken from the detail columns: which column feeds which field under each
// Windows version, the cuts, and the rules for song name, artist, bit rate, track and BPM.
#include "common/TestEnv.h"
#include "import/SongFields.h"

#include <map>

using import::SongFields;

namespace {

using Columns = std::map<int, QString>;

import::ColumnReader columnsOf(const Columns &columns) {
    return [columns](int c) {
        const auto it = columns.find(c);
        return it == columns.end() ? QString() : it->second;
    };
}

SongFields from6(const Columns &c) { return import::shellColumnFields(columnsOf(c), 6, "song.mp3"); }
SongFields from5(const Columns &c) { return import::shellColumnFields(columnsOf(c), 5, "song.mp3"); }

} // namespace

TEST(ShellColumnFields, Windows6ReadsEachFieldFromItsColumn) {
    const SongFields f = from6({{21, "Title"}, {13, "Artist"}, {220, "Composer"}, {14, "Album"}, {16, "Genre"},
                                {27, "00:03:47"}, {15, "2004"}, {24, "Notes"}, {237, "120"}, {28, "128kbps"},
                                {26, "7"}, {10, "not a column on 6"}});
    EXPECT_EQ(f.SongName, "Title");
    EXPECT_EQ(f.Artist, "Artist");
    EXPECT_EQ(f.Composer, "Composer");
    EXPECT_EQ(f.AlbumName, "Album");
    EXPECT_EQ(f.Genre, "Genre");
    EXPECT_EQ(f.Duration, "00:03:47");
    EXPECT_EQ(f.Year, "2004");
    EXPECT_EQ(f.Notes, "Notes");
    EXPECT_EQ(f.BPM, "120");
    EXPECT_EQ(f.bitRate, "128kbps");
    EXPECT_EQ(f.TrackText, "7");
    EXPECT_EQ(f.TrackNum, 7.0);
}

TEST(ShellColumnFields, Windows5ReadsTheOlderTableAndLeavesComposerAndBpmUnset) {
    const SongFields f = from5({{10, "Title"}, {16, "Artist"}, {17, "Album"}, {20, "Genre"}, {21, "00:01:00"},
                                {18, "1999"}, {14, "Notes"}, {22, "96kbps"}, {19, "3"}, {220, "C"}, {237, "99"}});
    EXPECT_EQ(f.SongName, "Title");
    EXPECT_EQ(f.Artist, "Artist");
    EXPECT_EQ(f.AlbumName, "Album");
    EXPECT_EQ(f.Genre, "Genre");
    EXPECT_EQ(f.Duration, "00:01:00");
    EXPECT_EQ(f.Year, "1999");
    EXPECT_EQ(f.Notes, "Notes");
    EXPECT_EQ(f.bitRate, "96kbps");
    EXPECT_EQ(f.TrackText, "3");
    EXPECT_FALSE(f.Composer.has_value());
    EXPECT_FALSE(f.BPM.has_value());
}

TEST(ShellColumnFields, SongNameFallsBackToTheFileNameWhenEmpty) {
    struct Case {
        int version;
        QString title;
        QString expected;
    };
    const Case cases[] = {
        {6, "", "song.mp3"},      {6, "   ", "song.mp3"},  // blanks removed first on 6
        {6, "  Hi  ", "Hi"},      {5, "", "song.mp3"},
        {5, " ", "song.mp3"},     {5, "   ", "   "},       // not trimmed before 6: above one blank
        {5, "\tx", "song.mp3"},   // a control character sorts below the blank
    };
    for (const Case &c : cases) {
        const int column = c.version <= 5 ? 10 : 21;
        const SongFields f = import::shellColumnFields(columnsOf({{column, c.title}}), c.version, "song.mp3");
        EXPECT_EQ(f.SongName, c.expected) << c.version << " [" << c.title.toStdString() << "]";
    }
}

TEST(ShellColumnFields, MissingArtistBecomesUnknown) {
    EXPECT_EQ(from6({}).Artist, "Unknown");
    EXPECT_EQ(from6({{13, " "}}).Artist, "Unknown");
    EXPECT_EQ(from5({{16, ""}}).Artist, "Unknown");
    EXPECT_EQ(from6({{13, " A"}}).Artist, " A");
}

TEST(ShellColumnFields, BpmTakesTheFirstNumericColumnOfTheChain) {
    EXPECT_EQ(from6({{231, "120"}}).BPM, "120");
    EXPECT_EQ(from6({{237, "fast"}, {219, "98"}, {227, "77"}}).BPM, "98");
    EXPECT_EQ(from6({}).BPM, "");
    EXPECT_EQ(from6({{237, "fast"}, {227, "slow"}}).BPM, "slow"); // none numeric: the last column stays
    EXPECT_EQ(from6({{237, "123456"}}).BPM, "12345");
}

TEST(ShellColumnFields, TrackNumIsSetOnlyForANumericTrack) {
    SongFields f = from6({{26, "7"}});
    EXPECT_EQ(f.TrackText, "7");
    EXPECT_EQ(f.TrackNum, 7.0);
    f = from6({{26, "7/12"}});
    EXPECT_EQ(f.TrackText, "7/12");
    EXPECT_FALSE(f.TrackNum.has_value());
    f = from6({{26, "12345678901"}}); // the whole text is numeric; its first 10 characters are stored
    EXPECT_EQ(f.TrackText, "1234567890");
    EXPECT_EQ(f.TrackNum, 1234567890.0);
}

TEST(ShellColumnFields, BitRateLosesALeadingCharacterTheAnsiCodePageLacks) {
    EXPECT_EQ(from6({{28, QString(QChar(0x200E)) + "128kbps"}}).bitRate, "128kbps");
    EXPECT_EQ(from6({{28, "?96kbps"}}).bitRate, "96kbps");
    EXPECT_EQ(from6({{28, "?"}}).bitRate, "");
    EXPECT_EQ(from6({{28, QString::fromUtf8("€5")}}).bitRate, QString::fromUtf8("€5")); // in the code page
    EXPECT_EQ(from6({{28, ""}}).bitRate, "");
}

TEST(ShellColumnFields, FieldsAreCutToTheirWidths) {
    const QString long300(300, QLatin1Char('n'));
    EXPECT_EQ(from6({{27, "01:02:03"}}).Duration, "01:02:03");
    EXPECT_EQ(from6({{27, "101:02:03"}}).Duration, "101:02:0");
    EXPECT_EQ(from6({{24, long300}}).Notes->size(), 300); // whole from 6 on
    EXPECT_EQ(from5({{14, long300}}).Notes->size(), 255);
    EXPECT_EQ(from6({{15, "2001-05-17T10"}}).Year, "2001-05-17");
    EXPECT_EQ(from6({{21, long300}}).SongName->size(), 255);
    EXPECT_EQ(from6({{28, QString(30, QLatin1Char('9'))}}).bitRate->size(), 20);
}

TEST(ShellColumnFields, AColumnThatFailsLeavesOnlyItsFieldUnset) {
    const import::ColumnReader failingAlbum = [](int c) -> QString {
        if (c == 14)
            throw std::runtime_error("column not available");
        return c == 16 ? QStringLiteral("Jazz") : QString();
    };
    const SongFields f = import::shellColumnFields(failingAlbum, 6, "a.wma");
    EXPECT_FALSE(f.AlbumName.has_value());
    EXPECT_EQ(f.Genre, "Jazz");
    EXPECT_EQ(f.SongName, "a.wma");
}

TEST(ShellColumnFields, ValuesListOnlyTheFieldsThatAreSet) {
    const auto values = from5({{19, "5"}}).values();
    QStringList names;
    for (const auto &[name, value] : values)
        names << name;
    EXPECT_EQ(names.join(','), "SongName,Artist,AlbumName,Genre,Duration,Year,Notes,bitRate,TrackText,TrackNum");
    EXPECT_EQ(values.last().second.toDouble(), 5.0);
}

TEST(TextRules, NumericTextAsTheConversionAcceptsIt) {
    const std::pair<const char *, bool> cases[] = {
        {"7", true},     {" 07 ", true},  {"-3", true},    {"+3.5", true}, {"1,234", true}, {"1e3", true},
        {".5", true},    {"", false},     {" ", false},    {"3/12", false}, {"7a", false},  {"1e", false},
        {",5", false},   {"1..2", false}, {"--1", false}};
    for (const auto &[text, numeric] : cases)
        EXPECT_EQ(import::isNumeric(QString::fromLatin1(text)), numeric) << text;
    EXPECT_EQ(import::numericValue("1,234.5"), 1234.5);
    EXPECT_EQ(import::numericValue(" 07 "), 7.0);
}

TEST(TextRules, CutsNeverSplitACharacterOutsideTheBasicPlane) {
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // two UTF-16 units
    EXPECT_EQ(import::firstChars("ab" + clef, 3), "ab");
    EXPECT_EQ(import::firstChars("ab" + clef, 4), "ab" + clef);
}

class TagSourceChoice : public OrvalisTest {};

TEST_F(TagSourceChoice, FlacAndOggReadTheirCommentsOnEveryVersion) {
    int asked = 0;
    const import::ColumnReader counting = [&asked](int) { ++asked; return QString(); };
    const QString flac = QStringLiteral(ORVALIS_TEST_DATA_DIR "/flac-utf8.flac");
    for (int version : {5, 6}) {
        const SongFields f = import::tagFieldsForNewSong(".flac", "FLAC", version, flac, "flac-utf8.flac", counting);
        EXPECT_EQ(f.Artist, QString::fromUtf8("Sigrún Ødegård"));
    }
    EXPECT_EQ(asked, 0);
}

TEST_F(TagSourceChoice, M4aReadsItsAtomsOnlyBeforeVersion6) {
    int asked = 0;
    const import::ColumnReader counting = [&asked](int c) { ++asked; return c == 21 ? QStringLiteral("From columns") : QString(); };
    const QString m4a = QStringLiteral(ORVALIS_TEST_DATA_DIR "/m4a-faststart.m4a");
    EXPECT_EQ(import::tagFieldsForNewSong(".m4a", "M4A", 5, m4a, "x.m4a", counting).SongName,
              QString::fromUtf8("Żółw tańczy"));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(import::tagFieldsForNewSong(".m4a", "M4A", 6, m4a, "x.m4a", counting).SongName, "From columns");
    EXPECT_EQ(import::tagFieldsForNewSong(".mp4", "MP4", 5, m4a, "x.mp4", counting).Artist, "Unknown");
    EXPECT_GT(asked, 0);
}
