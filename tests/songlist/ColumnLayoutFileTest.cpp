// The grid column layout file: its exact text, the round trip, reading that stops early, and
// failed writes that keep the old file.
#include "common/FileSizeLimit.h"
#include "common/TestEnv.h"
#include "songlist/ColumnLayoutFile.h"

#include <QDir>
#include <QFile>

using platform::ui::GridColumn;
using songlist::ColumnLayoutFile;

namespace {

QList<GridColumn> designed(int n) {
    QList<GridColumn> cols;
    for (int i = 0; i < n; ++i)
        cols << GridColumn{QStringLiteral("Col %1").arg(i), QStringLiteral("Field%1").arg(i), 1000.0 + i, 3, 2, true};
    return cols;
}

class ColumnLayoutFileTest : public OrvalisTest {
protected:
    QString path() const { return tmp.file("tkcolumn.dat"); }
};

TEST_F(ColumnLayoutFileTest, LinesHoldQuotedTextsAndPointNumbersFromColumnOne) {
    QList<GridColumn> cols = designed(3);
    cols[1] = GridColumn{QStringLiteral("Song Name"), QStringLiteral("SongName"), 4800, 0, 2, true};
    cols[2] = GridColumn{QStringLiteral("Say \"hi\""), QStringLiteral("Artist"), 225.0709, 1, 4, true};
    EXPECT_EQ(ColumnLayoutFile::format(cols),
              QByteArray("\"Song Name\",\"SongName\",4800,0\r\n\"Say \"hi\"\",\"Artist\",225.0709,1\r\n"));
}

TEST_F(ColumnLayoutFileTest, RoundTripRestoresEveryColumnButTheMarkColumn) {
    QList<GridColumn> saved = designed(28);
    saved[1].DataField = QStringLiteral("Artist");
    saved[1].Width = 3570;
    saved[2].DataField = QStringLiteral("SongName");
    saved[0].Caption = QStringLiteral("changed mark");
    ColumnLayoutFile::write(path(), saved);
    QList<GridColumn> read = designed(28);
    EXPECT_EQ(ColumnLayoutFile::read(path(), read), 27);
    EXPECT_EQ(read[0].Caption, QStringLiteral("Col 0")) << "column 0 is neither written nor read";
    EXPECT_EQ(read[1].DataField, QStringLiteral("Artist"));
    EXPECT_EQ(read[1].Width, 3570);
    EXPECT_EQ(read[2].DataField, QStringLiteral("SongName"));
    EXPECT_EQ(read[27].Caption, QStringLiteral("Col 27"));
    for (int i = 1; i < 28; ++i) {
        EXPECT_EQ(read[i].DividerStyle, platform::ui::DividerInset) << i;
        EXPECT_TRUE(read[i].Visible) << i;
    }
}

TEST_F(ColumnLayoutFileTest, ReadingStopsWhereTheFileStopsMakingSense) {
    struct Case { const char *name; QByteArray text; int replaced; } cases[] = {
        {"empty file", "", 0},
        {"fewer lines than columns", "\"A\",\"Artist\",100,0\r\n\"B\",\"SongName\",200,1\r\n", 2},
        {"numeric caption", "\"A\",\"Artist\",100,0\r\n\"12\",\"SongName\",200,1\r\n\"C\",\"Year\",3,0\r\n", 1},
        {"unreadable width", "\"A\",\"Artist\",100,0\r\n\"B\",\"SongName\",wide,1\r\n", 1},
        {"line cut short", "\"A\",\"Artist\",100,0\r\n\"B\",\"SongName\"", 1},
    };
    for (const auto &c : cases) {
        testenv::writeFile(path(), c.text);
        QList<GridColumn> cols = designed(5);
        EXPECT_EQ(ColumnLayoutFile::read(path(), cols), c.replaced) << c.name;
        for (int i = c.replaced + 1; i < 5; ++i)
            EXPECT_EQ(cols[i].Caption, QStringLiteral("Col %1").arg(i)) << c.name << " column " << i;
        if (c.replaced >= 1) {
            EXPECT_EQ(cols[1].Caption, QStringLiteral("A")) << c.name;
        }
    }
}

TEST_F(ColumnLayoutFileTest, MissingFileChangesNothingAndAFailedWriteLeavesTheOldFile) {
    QList<GridColumn> cols = designed(4);
    EXPECT_EQ(ColumnLayoutFile::read(path(), cols), 0);
    testenv::writeFile(path(), "\"A\",\"Artist\",100,0\r\n");
    testenv::writeFile(tmp.file("plain file"), "x");  // no folder can be made below a file
    EXPECT_THROW(ColumnLayoutFile::write(tmp.file("plain file/folder/tkcolumn.dat"), cols), std::runtime_error);
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\"A\",\"Artist\",100,0\r\n"));
}

// A full disk met when the layout is flushed was taken for a saved layout, and the cut file took
// the place of the user's.
TEST_F(ColumnLayoutFileTest, AFullDiskFailsTheWriteAndKeepsTheOldLayout) {
    const QByteArray old = "\"A\",\"Artist\",100,0\r\n";
    testenv::writeFile(path(), old);
    {
        FileSizeLimit full(old.size());
        EXPECT_THROW(ColumnLayoutFile::write(path(), designed(4)), std::runtime_error);
    }
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
}

// A kill in the middle of a write left its temporary file in the data folder for good.
TEST_F(ColumnLayoutFileTest, TemporaryFilesOfCutWritesAreRemovedAtTheNextWrite) {
    const QStringList leftovers = {"tkcolumn.dat.AbCdEf", "tkcolumn.dat.x1Y2z3"};
    const QStringList kept = {"tkcolumn.dat.bak", "tkcolumn.dat.AbCdEfG", "tkcolumn.dat.ab-def", "other.dat.AbCdEf",
                              "tkcolumn.dat.Folder", "tkcolumn.dat.LinkTo"};
    for (const QString &name : leftovers + kept.mid(0, 4))
        testenv::writeFile(tmp.file(name), "cut");
    QDir().mkpath(tmp.file("tkcolumn.dat.Folder"));
    ASSERT_TRUE(QFile::link(tmp.file("other.dat.AbCdEf"), tmp.file("tkcolumn.dat.LinkTo")));
    ColumnLayoutFile::write(path(), designed(4));
    QStringList left = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList expected = kept + QStringList{"tkcolumn.dat"};
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

} // namespace
