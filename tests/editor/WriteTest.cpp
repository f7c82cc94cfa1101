// Writing the editor's boxes into the catalogue: what each field gets (trimmed, unchanged, Null),
// TrackNum from the track text, dates as the box's check reads them, the fields the editor never
// writes, and what an add leaves for the grid to find the new song.
#include "EditorFixture.h"

#include "editor/RecordWrite.h"
#include "platform/db/DbError.h"

#include <QTextCursor>

using editor::NameEdit;
using editor::RecordWrite;
namespace db = platform::db;

namespace {

TEST_F(EditorTest, FieldsAreWrittenTrimmedUnchangedOrNullAsTheirRuleSays) {
    const long id = idOf(QStringLiteral("Full Song"));
    edit(id);
    struct Case {
        QLineEdit *box;
        const char *typed;
        const char *field;
        QVariant stored;
    };
    const Case cases[] = {
        {e->txtSongName, "  Song  ", "SongName", QStringLiteral("Song")},
        {e->txtArtist, " A ", "Artist", QStringLiteral("A")},
        {e->txtID, "   ", "ID", QStringLiteral("")},           // empty, not Null
        {e->txtBPM, "", "BPM", QStringLiteral("")},
        {e->txtAlbum, " Al ", "AlbumName", QStringLiteral("Al")},
        {e->txtBitrate, " 128 ", "bitRate", QStringLiteral("128")},
        {e->txtPathName, " /x/ ", "PathName", QStringLiteral(" /x/ ")}, // as typed
        {e->txtFileName, " f.mp3 ", "FileName", QStringLiteral(" f.mp3 ")},
        {e->txtDate2_Desc, " Seen ", "Date2_Desc", QStringLiteral(" Seen ")},
        {e->txtMiscField1, " m ", "MiscField1", QStringLiteral(" m ")},
        {e->txtCode, " c ", "code", QStringLiteral(" c ")},
        {e->txtPurchaseDate, "", "PurchaseDate", QVariant()},
        {e->txtPic1File, "   ", "PicturePath1", QVariant()},    // blanks only: Null
        {e->txtPic2File, " p.jpg ", "PicturePath2", QStringLiteral("p.jpg")},
    };
    for (const Case &c : cases)
        NameEdit::setBoxText(c.box, QString::fromLatin1(c.typed));
    e->cmbGenre->setCurrentIndex(-1);
    e->cmbGenre->setEditText(QString());
    e->cmbRating->setCurrentIndex(5); // the blank rating is kept as a blank
    e->txtNotes->setPlainText(QStringLiteral("a\nb"));
    e->MoveFormToData();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        const QVariant v = field(id, QString::fromLatin1(c.field));
        EXPECT_EQ(v.isNull(), c.stored.isNull());
        if (!c.stored.isNull()) {
            EXPECT_EQ(v.toString(), c.stored.toString());
        }
    }
    EXPECT_TRUE(field(id, QStringLiteral("Genre")).isNull());
    EXPECT_EQ(field(id, QStringLiteral("Rating")).toString(), QStringLiteral(" "));
    EXPECT_EQ(field(id, QStringLiteral("Notes")).toString(), QStringLiteral("a\r\nb"));
    EXPECT_EQ(core::g().LastSavedRecordId, id);
    EXPECT_FALSE(core::g().NewRecordAdded);
    EXPECT_TRUE(NameEdit::RecordWritten);
}

TEST_F(EditorTest, TrackNumComesFromTheTrackTextOrIsLeftAlone) {
    struct Case {
        const char *text;
        std::optional<double> number;
    };
    // A thousands separator the field would refuse is no number, whole or in its first two
    // characters.
    const Case cases[] = {{"12/15", 12}, {"7", 7},           {" 9 ", 9},          {"3/12", std::nullopt},
                          {"", std::nullopt}, {"A1", std::nullopt}, {"1,5", std::nullopt}, {"1,", std::nullopt},
                          {"inf", std::nullopt}};
    for (const Case &c : cases)
        EXPECT_EQ(RecordWrite::trackNumber(QString::fromLatin1(c.text)), c.number) << c.text;

    const long id = idOf(QStringLiteral("Full Song")); // TrackNum 7 from its import
    core::g().Db->execute(QStringLiteral("Update tblContacts Set TrackNum = 7 Where RecordID = %1").arg(id));
    edit(id);
    NameEdit::setBoxText(e->txtTrackText, QStringLiteral("12/15"));
    e->MoveFormToData();
    EXPECT_EQ(field(id, QStringLiteral("TrackNum")).toLongLong(), 12);
    EXPECT_EQ(field(id, QStringLiteral("TrackText")).toString(), QStringLiteral("12/15"));
    NameEdit::setBoxText(e->txtTrackText, QString());
    e->MoveFormToData(); // emptied: the old number stays
    EXPECT_EQ(field(id, QStringLiteral("TrackNum")).toLongLong(), 12);
    NameEdit::setBoxText(e->txtTrackText, QStringLiteral("1,5"));
    e->MoveFormToData(); // written, as text only
    EXPECT_EQ(field(id, QStringLiteral("TrackText")).toString(), QStringLiteral("1,5"));
    EXPECT_EQ(field(id, QStringLiteral("TrackNum")).toLongLong(), 12);
}

TEST_F(EditorTest, NotesAreWrittenBackByteForByteUntilTheBoxIsEdited) {
    const long id = idOf(QStringLiteral("Full Song"));
    const QString stored = QStringLiteral("a\nb\u00A0c\rd\u2028e\u2029f\r\n");
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Notes = ? Where RecordID = ?"), {stored, qlonglong(id)});
    edit(id);
    NameEdit::setBoxText(e->txtCode, QStringLiteral("changed"));
    e->MoveFormToData();
    EXPECT_EQ(field(id, QStringLiteral("Notes")).toString(), stored);

    // Typed into: the non-breaking space and the line separator stay, the box's paragraph ends
    // become CR LF.
    QTextCursor c = e->txtNotes->textCursor();
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("g"));
    e->MoveFormToData();
    EXPECT_EQ(field(id, QStringLiteral("Notes")).toString(), QStringLiteral("a\r\nb\u00A0c\r\nd\u2028e\r\nf\r\ng"));
}

TEST_F(EditorTest, DatesKeepTheirSecondsWhenShownAndSavedAgain) {
    const long id = idOf(QStringLiteral("Full Song"));
    const QDateTime purchase(QDate(1925, 3, 4), QTime(13, 45, 30)), date2(QDate(2024, 12, 31), QTime(0, 0, 5));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set PurchaseDate = ?, Date2 = ? Where RecordID = ?"),
                          {purchase, date2, qlonglong(id)});
    struct Case {
        QLocale locale;
        const char *purchaseShown;
    };
    const Case cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "3/4/1925 1:45:30\u202FPM"},
                          {QLocale(QLocale::German, QLocale::Germany), "04.03.1925 13:45:30"},
                          {QLocale(QLocale::Finnish, QLocale::Finland), "4.3.1925 13.45.30"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        edit(id);
        // Qt writes the blank before AM/PM as a narrow one in some versions: compare without it.
        EXPECT_EQ(e->txtPurchaseDate->text().replace(QChar(0x202F), QLatin1Char(' ')),
                  QString::fromUtf8(c.purchaseShown).replace(QChar(0x202F), QLatin1Char(' ')));
        e->MoveFormToData(); // untouched: the stored values
        EXPECT_EQ(field(id, QStringLiteral("PurchaseDate")).toDateTime(), purchase);
        EXPECT_EQ(field(id, QStringLiteral("Date2")).toDateTime(), date2);
        // The shown texts, typed anew, read back with their seconds.
        EXPECT_EQ(RecordWrite::dateValue(e->txtPurchaseDate->text()).toDateTime(), purchase);
        EXPECT_EQ(RecordWrite::dateValue(e->txtDate2->text()).toDateTime(), date2);
        closeEditor();
    }
}

TEST_F(EditorTest, DatesAreStoredAsTheLocaleReadsThemAndAnOldDateComesBackUnchanged) {
    const long id = idOf(QStringLiteral("Full Song"));
    struct Case {
        QLocale locale;
        const char *typed;
        QDate date;
    };
    const Case cases[] = {{QLocale(QLocale::English, QLocale::UnitedStates), "3/4/2021", QDate(2021, 3, 4)},
                          {QLocale(QLocale::English, QLocale::UnitedKingdom), "3/4/2021", QDate(2021, 4, 3)}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        edit(id);
        NameEdit::setBoxText(e->txtDate2, QString::fromLatin1(c.typed));
        e->MoveFormToData();
        EXPECT_EQ(field(id, QStringLiteral("Date2")).toDateTime(), QDateTime(c.date, QTime(0, 0)));
        closeEditor();
    }
    // A 1925 purchase date shown and saved again is still 1925, with its time of day.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Date2 = #1925-03-04 10:30:00# Where RecordID = %1").arg(id));
    edit(id);
    e->MoveFormToData();
    EXPECT_EQ(field(id, QStringLiteral("PurchaseDate")).toDateTime(), QDateTime(QDate(1925, 3, 4), QTime(0, 0)));
    EXPECT_EQ(field(id, QStringLiteral("Date2")).toDateTime(), QDateTime(QDate(1925, 3, 4), QTime(10, 30)));
}

TEST_F(EditorTest, AnUpdateStampsDateUpdatedAndKeepsTheFieldsTheEditorNeverWrites) {
    const long id = idOf(QStringLiteral("Full Song"));
    core::g().Db->execute(
        QStringLiteral("Update tblContacts Set FileType = 'MP3', FileSizeNum = 4100, Lyrics = 'la la', Credits = 'me' "
                       "Where RecordID = %1")
            .arg(id));
    const QStringList shown{"SongName", "ID", "Genre", "Rating", "Year", "Duration", "Notes", "PicturePath8",
                            "MiscField3_Desc", "Date2_Desc", "PurchaseDate", "Date2", "code"};
    QVariantList was;
    for (const QString &f : shown)
        was << field(id, f);
    edit(id);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    e->MoveFormToData(); // nothing changed in the boxes
    EXPECT_GE(field(id, QStringLiteral("DateUpdated")).toDateTime(), before);
    EXPECT_EQ(field(id, QStringLiteral("FileType")).toString(), QStringLiteral("MP3"));
    EXPECT_EQ(field(id, QStringLiteral("FileSizeNum")).toLongLong(), 4100);
    EXPECT_EQ(field(id, QStringLiteral("Lyrics")).toString(), QStringLiteral("la la"));
    EXPECT_EQ(field(id, QStringLiteral("Credits")).toString(), QStringLiteral("me"));
    for (int i = 0; i < shown.size(); ++i)
        EXPECT_EQ(field(id, shown[i]), was[i]) << qPrintable(shown[i]);
    EXPECT_EQ(field(id, QStringLiteral("Genre")).toString(), QStringLiteral("Rock"));
    EXPECT_EQ(field(id, QStringLiteral("Notes")).toString(), QStringLiteral("line one\r\nline two"));
}

TEST_F(EditorTest, AnAddLeavesTheNewRecordIdAndItsMark) {
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Brand New"));
    e->MoveFormToData();
    const long id = idOf(QStringLiteral("Brand New"));
    EXPECT_GT(id, 0);
    EXPECT_EQ(core::g().LastSavedRecordId, id);
    EXPECT_TRUE(core::g().NewRecordAdded);
    EXPECT_TRUE(field(id, QStringLiteral("TrackNum")).isNull());
    EXPECT_EQ(field(id, QStringLiteral("MiscField1_Desc")).toString(), QStringLiteral("Misc. Field 1"));
}

TEST_F(EditorTest, ASongDeletedMeanwhileIsNotWrittenAgain) {
    const long id = idOf(QStringLiteral("Plain Two"));
    edit(id);
    core::g().LastSavedRecordId = 99;
    core::g().Db->execute(QStringLiteral("Delete from tblContacts Where RecordID = %1").arg(id));
    try {
        e->MoveFormToData();
        FAIL() << "written";
    } catch (const db::DbError &err) {
        // The grid's row is gone (3167) or the seek found none (3021).
        EXPECT_TRUE(err.number() == db::err::NoCurrentRecord || err.number() == 3167) << err.number();
    }
    EXPECT_EQ(count(QStringLiteral("Select count(*) from tblContacts Where SongName = 'Plain Two'")), 0);
    EXPECT_EQ(core::g().LastSavedRecordId, 99);
}

} // namespace
