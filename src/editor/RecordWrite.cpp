#include "editor/RecordWrite.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "editor/NameEdit.h"
#include "editor/RecordDisplay.h"
#include "platform/db/LocaleDate.h"
#include "platform/db/Recordset.h"
#include "songlist/NameList.h"
#include "platform/ui/DataControl.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace editor {

namespace db = platform::db;
using mCommon::TrimBlanks;

std::optional<double> RecordWrite::trackNumber(const QString &trackText) {
    // The field's own reading decides, so a text taken for a number is one the field stores.
    const QString t = TrimBlanks(trackText);
    if (t.isEmpty())
        return std::nullopt;
    if (const auto n = db::numberFromText(t))
        return n;
    return db::numberFromText(t.left(2));
}

QVariant RecordWrite::dateValue(const QString &text) {
    if (text.isEmpty())
        return {};
    if (const auto d = db::LocaleDate::parse(text))
        return *d; // the date the box's check accepted is the date stored
    return text;
}

void RecordWrite::MoveFormToData() {
    auto &s = core::g();
    auto rs = s.Db->openRecordset(QStringLiteral("tblContacts"), db::RecordsetType::Table);
    rs->setIndex(QStringLiteral("PrimaryKey"));
    if (s.EditingExistingRecord) {
        rs->seek(QStringLiteral("="), {mainGridRows().value(QStringLiteral("RecordID"))});
        rs->edit(); // a song deleted meanwhile leaves no current record: 3021
    } else {
        rs->addNew();
        s.NewRecordAdded = true;
    }
    NameEdit::RecordWritten = true;

    auto trimmed = [](QLineEdit *box) { return TrimBlanks(box->text()); };
    auto set = [&rs](const char *field, const QVariant &v) { rs->setValue(QString::fromLatin1(field), v); };
    set("SongName", trimmed(w_.txtSongName));
    set("Artist", trimmed(w_.txtArtist));
    set("ID", trimmed(w_.txtID));
    set("BPM", trimmed(w_.txtBPM));
    set("Composer", trimmed(w_.txtComposer));
    set("AlbumName", trimmed(w_.txtAlbum));
    set("Genre", modMain::EmptyToNull(w_.cmbGenre->currentText()));
    set("bitRate", trimmed(w_.txtBitrate));
    set("Duration", trimmed(w_.txtDuration));
    set("TrackText", trimmed(w_.txtTrackText));
    set("FileSize", trimmed(w_.txtFileSize));
    if (const auto n = trackNumber(w_.txtTrackText->text()))
        set("TrackNum", *n);
    set("PathName", w_.txtPathName->text());
    set("FileName", w_.txtFileName->text());
    set("Rating", modMain::EmptyToNull(w_.cmbRating->currentText()));
    set("Year", trimmed(w_.txtYear));
    set("PurchaseDate", w_.GivenPurchaseDate.storedIfShown(w_.txtPurchaseDate->text())
                            .value_or(dateValue(w_.txtPurchaseDate->text())));
    set("Date2_Desc", w_.txtDate2_Desc->text());
    set("Date2", w_.GivenDate2.storedIfShown(w_.txtDate2->text()).value_or(dateValue(w_.txtDate2->text())));
    set("MiscField1_Desc", w_.txtMiscField1_Desc->text());
    set("MiscField1", w_.txtMiscField1->text());
    set("MiscField2_Desc", w_.txtMiscField2_Desc->text());
    set("MiscField2", w_.txtMiscField2->text());
    set("MiscField3_Desc", w_.txtMiscField3_Desc->text());
    set("MiscField3", w_.txtMiscField3->text());
    set("code", w_.txtCode->text());
    set("DateUpdated", QDateTime::currentDateTime());
    set("Notes", w_.notesText());
    for (int i = 0; i < 8; ++i)
        rs->setValue(QStringLiteral("PicturePath%1").arg(i + 1), modMain::EmptyToNull(trimmed(w_.txtPicFile[i])));
    rs->update();

    rs->setBookmark(rs->lastModified());
    s.LastSavedRecordId = rs->value(QStringLiteral("RecordID")).toLongLong();
    rs->close();
}

} // namespace editor
