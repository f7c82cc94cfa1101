#include "editor/RecordDisplay.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "editor/EditorText.h"
#include "editor/NameEdit.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"
#include "songlist/ShowCategoryAssign.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace editor {

namespace ui = platform::ui;
namespace db = platform::db;
using songlist::NameList;

namespace {

int errorNumber(const std::exception &e) {
    if (const auto *d = dynamic_cast<const db::DbError *>(&e))
        return d->number();
    return 0;
}

} // namespace

ui::DataControl &mainGrid() {
    NameList *w = NameList::instance();
    if (!w || !w->Data1->recordset())
        throw db::DbError(db::err::NoCurrentRecord, QStringLiteral("No current record."));
    return *w->Data1;
}

db::Recordset &mainGridRows() { return *mainGrid().recordset(); }

void RecordDisplay::lookOnly() {
    // Nothing typed here could be saved, and closing would drop it without a question.
    for (QLineEdit *box : w_.findChildren<QLineEdit *>())
        if (!qobject_cast<QComboBox *>(box->parentWidget()))
            box->setReadOnly(true);
    w_.txtNotes->setReadOnly(true);
    for (QWidget *w : std::initializer_list<QWidget *>{w_.cmbGenre, w_.cmbRating, w_.cmdBrowseFile, w_.cmdBrowsePath})
        w->setEnabled(false);
}

bool RecordDisplay::Form_Load() {
    auto &s = core::g();
    ui::applyScreenFont(&w_, s.ScreenFontName);
    try {
        NameList *main = NameList::instance();
        // An edit still open in a cell of the main grid is stored before the editor reads the row,
        // so the two never change the same row at once.
        if (main)
            main->Table1->endCellEdit();
        const QString source = main ? main->Data1->recordSource() : QString();
        if (NameEdit::isDuplicateView(source)) {
            w_.cmdSave->setEnabled(false);
            w_.cmdAddNew->setEnabled(false);
            lookOnly();
        }

        w_.cmbHeader->clear();
        auto lists = s.Db->openRecordset(QStringLiteral("select ListName, ListID from tblPlayListHeader Order by ListName"),
                                         db::RecordsetType::Snapshot);
        if (lists->recordCount() >= 1) {
            for (; !lists->eof(); lists->moveNext())
                w_.cmbHeader->addItem(modMain::NullToEmpty(lists->value(QStringLiteral("ListName"))).toString(),
                                   lists->value(QStringLiteral("ListId")));
            w_.showCurrentPlayList();
        } else {
            s.CurrentPlayList.clear();
        }
        lists->close();
        w_.cmbHeader->setCurrentIndex(-1);
        NameEdit::SetComboDropDownWidth(w_.cmbHeader, 220);

        if (!s.TabletModeOn)
            w_.ImageKeyboard->hide();

        // Position: centred the first time in a run, then where the window last closed.
        if (s.EditorLeft < 1) {
            const QRect screen = ui::screenRect(&w_);
            const QSize size = w_.frameSize().isValid() && w_.frameSize().width() > 0 ? w_.frameSize() : w_.size();
            const int left = screen.left() + (screen.width() - size.width()) / 2;
            const int twipsPerPixel = qRound(ui::TwipsPerInch / ui::screenDpiX());
            const int screenHeight = screen.height();
            if (s.TabletModeOn || (twipsPerPixel == 12 && screenHeight < 800))
                w_.move(left, screen.top() + ui::twipsToPixelsY(10));
            else
                w_.move(left, screen.top() + (screen.height() - size.height()) / 2);
        } else {
            w_.move(ui::twipsToPixelsX(s.EditorLeft), ui::twipsToPixelsY(s.EditorTop));
        }

        const QString category = main ? main->lblCategory->text() : QString();
        const QString filterMsg = main ? main->lblFilterMsg->text() : QString();
        if (category.left(18) == QLatin1String("Records containing") || filterMsg.left(7) == QLatin1String("Records")) {
            w_.cmdAddNew->hide();
            w_.cmdDelete->hide();
        }
        if (s.SelectedClause.contains(QLatin1String("Selected =")))
            w_.cmdAddNew->hide();

        w_.lblTodaysDate->setText(shortDate(QDate::currentDate()));
        s.RecordSaved = false;
        s.RecordChanged = false;

        if (s.EditingExistingRecord) {
            w_.cmdCategories->show();
            w_.cmdWebLookup->show();
            db::Recordset &rows = mainGridRows();
            s.LocateCriteria = QStringLiteral("RecordID = ") + rows.value(QStringLiteral("RecordID")).toString();
            main->Data1->findFirst(s.LocateCriteria);
            MoveDataToForm();
            const std::pair<QLineEdit *, const char *> labels[] = {{w_.txtMiscField1_Desc, "Misc Field 1"},
                                                                   {w_.txtMiscField2_Desc, "Misc Field 2"},
                                                                   {w_.txtMiscField3_Desc, "Misc Field 3"}};
            for (const auto &[box, text] : labels)
                if (box->text().isEmpty())
                    box->setText(QString::fromLatin1(text));
            s.RecordChanged = false;
        } else {
            w_.cmdEditTags->setEnabled(false);
            w_.cmdBrowsePath->setText(QStringLiteral("Browse"));
            w_.cmdBrowseFile->setText(QStringLiteral("Browse"));
            w_.cmdCategories->hide();
            w_.cmdWebLookup->hide();
            w_.cmdPlay->setEnabled(false);
            if (s.TemplateRecordId > 0) {
                s.LocateCriteria = QStringLiteral("RecordID = ") + QString::number(s.TemplateRecordId);
                if (!main || !main->Data1->findFirst(s.LocateCriteria)) {
                    s.TemplateRecordId = 0; // forgotten until the settings row is read again
                } else {
                    MoveDataToForm();
                    // The template gives everything but the song's own name, ID, BPM and genre.
                    NameEdit::setBoxText(w_.txtSongName, QString());
                    NameEdit::setBoxText(w_.txtID, QString());
                    NameEdit::setBoxText(w_.txtBPM, QString());
                    w_.cmbGenre->setCurrentIndex(-1);
                    w_.cmbGenre->setEditText(QString());
                    w_.lblDateUpdated->clear(); // a new record was never updated
                }
            }
        }
        w_.rememberStartValues();
        w_.txtSongName->setFocus();
        // The name is selected with its start in view: a long title would otherwise open
        // scrolled to its end, its first words hidden.
        const int nameLength = int(w_.txtSongName->text().size());
        w_.txtSongName->setSelection(nameLength, -nameLength);
        ui::setMousePointer(ui::MousePointer::Default);
        return true;
    } catch (const std::exception &e) {
        ui::msgBox(db::errorText(e) + QStringLiteral(" - Error number:") + QString::number(errorNumber(e)),
                   ui::Buttons::OK, ui::Icon::None);
        // Nothing was shown, so nothing can be lost: the window closes without a question.
        s.RecordChanged = false;
        w_.close();
        ui::setMousePointer(ui::MousePointer::Default);
        return false;
    }
}

void RecordDisplay::MoveDataToForm() {
    db::Recordset &rows = mainGridRows();
    auto text = [&rows](const char *field) {
        return modMain::NullToEmpty(rows.value(QString::fromLatin1(field))).toString();
    };
    auto combo = [&rows](QComboBox *c, const char *field) {
        const QVariant v = rows.value(QString::fromLatin1(field));
        if (v.isNull() || !v.isValid()) {
            c->setCurrentIndex(-1);
            if (c->isEditable())
                c->setEditText(QString());
        } else if (c->isEditable()) {
            // A genre not in the list shows as typed text.
            const int i = c->findText(v.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
            c->setCurrentIndex(i);
            c->setEditText(v.toString());
        } else {
            // A value outside the list is shown as an extra item of this song, so it is kept.
            while (c->count() > NameEdit::ratingItems().size())
                c->removeItem(c->count() - 1);
            int i = c->findText(v.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (i < 0) {
                c->addItem(v.toString());
                i = c->count() - 1;
            }
            c->setCurrentIndex(i);
        }
    };
    NameEdit::setBoxText(w_.txtSongName, text("SongName"));
    NameEdit::setBoxText(w_.txtID, text("ID"));
    NameEdit::setBoxText(w_.txtBPM, text("BPM"));
    NameEdit::setBoxText(w_.txtArtist, text("Artist"));
    combo(w_.cmbGenre, "Genre");
    NameEdit::setBoxText(w_.txtAlbum, text("AlbumName"));
    NameEdit::setBoxText(w_.txtComposer, text("Composer"));
    NameEdit::setBoxText(w_.txtPathName, text("PathName"));
    NameEdit::setBoxText(w_.txtFileName, text("FileName"));
    NameEdit::setBoxText(w_.txtBitrate, text("Bitrate"));
    NameEdit::setBoxText(w_.txtDuration, text("Duration"));
    NameEdit::setBoxText(w_.txtTrackText, text("TrackText"));
    NameEdit::setBoxText(w_.txtFileSize, text("FileSize"));
    combo(w_.cmbRating, "Rating");
    NameEdit::setBoxText(w_.txtYear, text("Year"));
    auto date = [&rows](QLineEdit *box, NameEdit::GivenValue &given, const char *field) {
        const QVariant stored = rows.value(QString::fromLatin1(field));
        given = {dateBoxText(stored), stored};
        NameEdit::setBoxText(box, given.shown);
    };
    date(w_.txtPurchaseDate, w_.GivenPurchaseDate, "PurchaseDate");
    NameEdit::setBoxText(w_.txtDate2_Desc, text("Date2_Desc"));
    date(w_.txtDate2, w_.GivenDate2, "Date2");
    NameEdit::setBoxText(w_.txtMiscField1_Desc, text("MiscField1_Desc"));
    NameEdit::setBoxText(w_.txtMiscField1, text("MiscField1"));
    NameEdit::setBoxText(w_.txtMiscField2_Desc, text("MiscField2_Desc"));
    NameEdit::setBoxText(w_.txtMiscField2, text("MiscField2"));
    NameEdit::setBoxText(w_.txtMiscField3_Desc, text("MiscField3_Desc"));
    NameEdit::setBoxText(w_.txtMiscField3, text("MiscField3"));
    NameEdit::setBoxText(w_.txtCode, text("Code"));
    w_.lblDateUpdated->setText(dateTimeText(rows.value(QStringLiteral("DateUpdated"))));
    for (int i = 0; i < 8; ++i)
        NameEdit::setBoxText(w_.txtPicFile[i], text(QStringLiteral("PicturePath%1").arg(i + 1).toLatin1().constData()));
    w_.showNotes(rows.value(QStringLiteral("Notes")));

    const bool noFolder = w_.txtPathName->text().isEmpty();
    w_.cmdBrowsePath->setText(noFolder ? QStringLiteral("Browse") : QStringLiteral("Move"));
    w_.cmdEditTags->setEnabled(!noFolder);
    w_.cmdBrowseFile->setText(w_.txtFileName->text().isEmpty() ? QStringLiteral("Browse") : QStringLiteral("Rename"));
    core::g().RecordChanged = false;
}

void RecordDisplay::rememberStartValues() {
    w_.StartDuration = w_.txtDuration->text();
    w_.StartPathName = w_.txtPathName->text();
}

QString RecordDisplay::storedValue(const QString &field) const {
    if (core::g().EditingExistingRecord)
        return modMain::NullToEmpty(mainGridRows().value(field)).toString();
    if (field == QLatin1String("Duration"))
        return w_.StartDuration;
    if (field == QLatin1String("PathName"))
        return w_.StartPathName;
    return {};
}

void RecordDisplay::Form_Unload(bool &Cancel) {
    auto &s = core::g();
    // The place is kept even when the closing is then cancelled.
    s.EditorLeft = qRound(ui::pixelsToTwipsX(w_.pos().x()));
    s.EditorTop = qRound(ui::pixelsToTwipsY(w_.pos().y()));
    NameList *main = NameList::instance();
    if (main && NameEdit::isDuplicateView(main->Data1->recordSource()))
        s.RecordChanged = false; // nothing can be saved there, so nothing is asked

    // Edits made after an earlier save in this opening are asked about too: only a write that
    // succeeded clears the change mark.
    if (s.RecordChanged) {
        ui::Answer answer;
        if (s.PictureChanged) {
            answer = ui::msgBox(
                QStringLiteral("You changed a picture linked to this record.  If you proceed, the file names shown "
                               "under the Picture buttons will revert to the OLD file names, causing confusion and "
                               "breaking this picture link.  It is strongly recommended you click NO here and then "
                               "SAVE this record instead.\r\rLose your changes?"),
                ui::Buttons::YesNo, ui::Icon::Exclamation, QStringLiteral(" Warning - Picture was changed"),
                ui::DefaultButton::Second);
        } else {
            answer = ui::msgBox(QStringLiteral("Lose any changes?"), ui::Buttons::YesNo, ui::Icon::Question,
                                QStringLiteral("Confirmation"), ui::DefaultButton::First);
        }
        if (answer != ui::Answer::Yes) {
            Cancel = true;
            return;
        }
        s.PictureChanged = false;
    }
    if (s.RecordSaved) {
        s.PictureChanged = false;
        if (main) {
            main->Data1->refresh();
            if (main->Data1->recordCount() >= 1)
                main->Data1->moveLast();
            main->Data1->findFirst(QStringLiteral("RecordID=") + QString::number(s.LastSavedRecordId));
        }
        QCoreApplication::processEvents();
        if (s.NewRecordAdded && s.AssignCatgOnAdd == 1 && !w_.txtSongName->text().trimmed().isEmpty())
            modMain::ShowCategoryAssign(s.LastSavedRecordId); // nothing when a filter hides the song
        s.NewRecordAdded = false;
    }
    s.PlayFromMain = false;
    if (main && !main->isVisible())
        main->show();
}

} // namespace editor
