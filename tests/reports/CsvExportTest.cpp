// The CSV export: the header texts, quoting without doubling, line ends inside notes, dates in
// two locales and without one, the grid's order and current row, Cancel, and a failed export (a
// missing column, a full disk) that keeps the file the user had.
#include "ReportsFixture.h"
#include "common/FileSizeLimit.h"

#include "core/CommonDialogControl.h"
#include "core/StartFolders.h"
#include "reports/CsvExport.h"
#include "songlist/NameList.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMenu>

using reports::CsvExport;
namespace ui = platform::ui;

namespace {
const QByteArray Header21 =
    "\"SongName\",\"Artist\",\"Composer\",\"AlbumName\",\"Year\",\"Genre\",\"Duration\",\"Rating\",\"PathName\","
    "\"FileName\",\"Date Record Last Updated\",\"DatePurchased\",\"Date2_Desc\",\"Date2\",\"MiscField1_Desc\","
    "\"MiscField1\",\"MiscField2_Desc\",\"MiscField2\",\"MiscField3_Desc\",\"MiscField3\",\"Code\"";
}

class CsvTest : public ReportsTest {
protected:
    QByteArray exportFile(bool withNotes, const QString &name = QStringLiteral("out.csv")) {
        path = tmp.file(name);
        prompts.answerFile(path);
        if (withNotes)
            w->ExportWithNotes_Click();
        else
            w->Export_Click();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QList<QByteArray> fileLines(const QByteArray &bytes) {
        QList<QByteArray> l = bytes.split('\n');
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
    QString path;
};

TEST_F(CsvTest, HeaderQuotingAndNotesSpanningLines) {
    song(QStringLiteral("  Say \"Hi\"  "), QStringLiteral("Zoë, \"Z\""),
         {{"Year", QStringLiteral("1999")}, {"Notes", QStringLiteral("first\r\nsecond, \"third\"")}});
    open();
    const QByteArray plain = exportFile(false);
    EXPECT_EQ(prompts.asked().first().text,
              QStringLiteral("This feature will export data from all displayed records to a comma-separated-value text "
                             "file.  This file can be used for mail merge with most word processors, or imported into "
                             "many spreadsheet or database programs.  Proceed?"));
    const auto &dlg = prompts.asked()[1].file;
    EXPECT_EQ(dlg.fileName, QStringLiteral("SongOut.csv"));
    EXPECT_EQ(dlg.filterIndex, 2);
    EXPECT_EQ(dlg.title, QStringLiteral("Save As"));
    EXPECT_TRUE(dlg.overwritePrompt);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("The exported records are located in file ") + path);
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Export completed"));
    EXPECT_EQ(prompts.lastAsked()->icon, ui::Icon::Information);

    EXPECT_TRUE(plain.startsWith(Header21 + "\r\n"));
    EXPECT_FALSE(plain.startsWith("\xEF\xBB\xBF"));
    const QByteArray row = plain.mid(Header21.size() + 2);
    EXPECT_TRUE(row.startsWith(QStringLiteral("\"Say 'Hi'\",\"Zoë, 'Z'\",\"\",\"\",\"1999\",").toUtf8()))
        << row.constData();
    EXPECT_TRUE(row.endsWith("\"\"\r\n"));
    EXPECT_EQ(row.count(','), 20 + 1);  // 20 separators and the comma inside the artist

    const QByteArray withNotes = exportFile(true, QStringLiteral("notes.csv"));
    EXPECT_TRUE(withNotes.startsWith(Header21 + ",\"Notes\"\r\n"));
    EXPECT_TRUE(withNotes.endsWith(",\"first\r\nsecond, 'third'\"\r\n")) << withNotes.constData();
}

TEST_F(CsvTest, DatesInTheUsersShortDateWithFourDigitYearsAndIsoWithoutALocale) {
    song(QStringLiteral("Dated"), QStringLiteral("A"),
         {{"DateUpdated", QDateTime(QDate(1925, 3, 4), QTime(13, 45, 10))},
          {"PurchaseDate", QDateTime(QDate(2024, 12, 31), QTime(0, 0))}});
    open();
    setLocale(QLocale::English, QLocale::UnitedStates);
    QList<QByteArray> l = fileLines(exportFile(false));
    ASSERT_EQ(l.size(), 2);
    EXPECT_TRUE(l[1].contains(",\"3/4/1925\",\"12/31/2024\",\"\",\"\",")) << l[1].constData();
    setLocale(QLocale::German, QLocale::Germany);
    l = fileLines(exportFile(false, QStringLiteral("de.csv")));
    EXPECT_TRUE(l[1].contains(",\"04.03.1925\",\"31.12.2024\",\"\",\"\",")) << l[1].constData();
    // With no locale set the short date would name the month ("4 Mar 1925"): numeric ISO dates instead.
    setLocale(QLocale::C, QLocale::AnyTerritory);
    l = fileLines(exportFile(false, QStringLiteral("c.csv")));
    EXPECT_TRUE(l[1].contains(",\"1925-03-04\",\"2024-12-31\",\"\",\"\",")) << l[1].constData();

    EXPECT_EQ(CsvExport::dateValue(QVariant()), QString());
    EXPECT_EQ(CsvExport::dateValue(QStringLiteral("   ")), QString());
    EXPECT_EQ(CsvExport::dateValue(QStringLiteral("2020-02-29"), QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("2/29/2020"));
}

TEST_F(CsvTest, ExportFollowsTheGridsViewAndOrderAndKeepsItsRow) {
    song(QStringLiteral("Alpha"), QStringLiteral("X"));
    song(QStringLiteral("Beta"), QStringLiteral("Y"));
    song(QStringLiteral("Gamma"), QStringLiteral("X"));
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryNumber, CategoryDesc) Values (7, 'Seven')"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (1, 7)"));
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (3, 7)"));
    open();
    view(QStringLiteral("Select * from  qryContacts Where CategoryNumber = 7  Order By SongName Desc"));
    w->Data1->moveLast();
    const QString before = currentSong();
    int moves = 0;
    QObject::connect(w->Data1, &ui::DataControl::currentRowMoved, [&moves] { ++moves; });
    const QList<QByteArray> l = fileLines(exportFile(false));
    ASSERT_EQ(l.size(), 3);
    EXPECT_TRUE(l[1].startsWith("\"Gamma\",\"X\""));
    EXPECT_TRUE(l[2].startsWith("\"Alpha\",\"X\""));
    EXPECT_EQ(currentSong(), before);
    EXPECT_EQ(moves, 0);
}

TEST_F(CsvTest, CancelWritesNothingAndNoRowsAsksNothing) {
    open();
    prompts.clear();  // the empty catalogue's notice
    w->Export_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    song(QStringLiteral("One"), QStringLiteral("A"));
    w->ShowAllMenu_Click();
    w->Export_Click();  // the dialog cancelled
    EXPECT_EQ(prompts.asked().size(), 2);
    EXPECT_TRUE(QDir(tmp.path()).entryList({QStringLiteral("*.csv")}).isEmpty());
    prompts.clear();
    prompts.answer(ui::Answer::No);
    w->ExportWithNotes_Click();
    EXPECT_EQ(prompts.asked().size(), 1);
}

TEST_F(CsvTest, SaveStartsInTheMusicFolderThenWhereTheLastExportWentThisRun) {
    open();
    song(QStringLiteral("One"), QStringLiteral("A"));
    w->ShowAllMenu_Click();
    QDir().mkpath(tmp.file(QStringLiteral("kept")));
    exportFile(false, QStringLiteral("kept/out.csv"));
    prompts.answerFile(std::nullopt);
    w->Export_Click();
    EXPECT_EQ(saveDialogStarts(prompts), (QStringList{core::StartFolders::music(), tmp.file(QStringLiteral("kept"))}));
}

TEST_F(CsvTest, FailedExportKeepsTheOldFileAndShowsTheError) {
    song(QStringLiteral("One"), QStringLiteral("A"));
    open();
    const QString target = tmp.file(QStringLiteral("keep.csv"));
    testenv::writeFile(target, "old contents");
    // A view without the exported columns fails after the file was opened.
    view(QStringLiteral("Select SongName, Artist from tblContacts"));
    exportFile(false, QStringLiteral("keep.csv"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Item not found in this collection: 'Composer'."));
    EXPECT_EQ(prompts.lastAsked()->buttons, ui::Buttons::OK);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("keep*")}).size(), 1);
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);

    prompts.clear();
    w->ShowAllMenu_Click();
    exportFile(false, QStringLiteral("no/such/folder/x.csv"));
    EXPECT_TRUE(prompts.lastMessage().contains(QStringLiteral("x.csv"))) << prompts.lastMessage().toStdString();
}

// A full disk met while the last bytes are flushed was reported as a finished export, and an
// empty file took the place of the old one. Both a short export (held in the write buffer until
// the end) and a long one (whose rows reach the disk as they go) keep the old file and say why.
TEST_F(CsvTest, AFullDiskKeepsTheOldFileAndSaysTheDiskIsFull) {
    song(QStringLiteral("One"), QStringLiteral("A"));
    open();
    const QString target = tmp.file(QStringLiteral("keep.csv"));
    for (const int songs : {1, 400}) {
        SCOPED_TRACE(songs);
        for (int i = 1; i < songs; ++i)
            song(QStringLiteral("Song %1 with a name long enough to fill a buffer").arg(i), QStringLiteral("A"));
        w->ShowAllMenu_Click();
        testenv::writeFile(target, "old contents");
        prompts.clear();
        {
            FileSizeLimit full(64);
            exportFile(false, QStringLiteral("keep.csv"));
        }
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Cannot write ") + target + QStringLiteral(": the disk is full"));
        EXPECT_NE(prompts.lastAsked()->title, QStringLiteral("Export completed"));
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("old contents"));
        EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("keep*")}, QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST_F(CsvTest, ReportsMenuHoldsBothExportsAndTheFileMenuNone) {
    open();
    EXPECT_TRUE(w->ReportsMenu->actions().contains(w->Export));
    EXPECT_TRUE(w->ReportsMenu->actions().contains(w->ExportWithNotes));
    EXPECT_FALSE(w->File->actions().contains(w->Export));
    EXPECT_FALSE(w->File->actions().contains(w->ExportWithNotes));
}
