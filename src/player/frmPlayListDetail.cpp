#include "player/frmPlayListDetail.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "platform/ui/DragListWidget.h"
#include "platform/ui/LeaveChecks.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListErrors.h"
#include "player/PlayListStore.h"
#include "player/frmPlayList.h"
#include "player/PlayerTexts.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

frmPlayListDetail::frmPlayListDetail(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Play List Song"));
    lblSongName = ui::named(new QLabel(QStringLiteral("Song Name"), this), "lblSongName", 120, 120, 1400, 255);
    txtSongName = ui::named(new QLineEdit(this), "txtSongName", 1560, 120, 5400, 315);
    lblArtistName = ui::named(new QLabel(QStringLiteral("Artist Name"), this), "lblArtistName", 120, 540, 1400, 255);
    txtArtistName = ui::named(new QLineEdit(this), "txtArtistName", 1560, 540, 5400, 315);
    lblFileName = ui::named(new QLabel(QStringLiteral("File Name"), this), "lblFileName", 120, 960, 1400, 255);
    txtFileName = ui::named(new QLineEdit(this), "txtFileName", 1560, 960, 4200, 315);
    cmdBrowse = ui::named(new QPushButton(QStringLiteral("&Browse..."), this), "cmdBrowse", 5880, 940, 1080, 355);
    lblNotes = ui::named(new QLabel(QStringLiteral("Notes"), this), "lblNotes", 120, 1380, 1400, 255);
    txtNotes = ui::named(new QLineEdit(this), "txtNotes", 1560, 1380, 5400, 315);
    cmdOK = ui::named(new QPushButton(QStringLiteral("&OK"), this), "cmdOK", 2400, 1900, 1200, 372);
    cmdCancel = ui::named(new QPushButton(QStringLiteral("&Cancel"), this), "cmdCancel", 3840, 1900, 1200, 372);
    for (QPushButton *b : {cmdBrowse, cmdOK, cmdCancel})
        b->setAutoDefault(false);
    cmdOK->setDefault(true);  // Enter in any box submits the window
    ui::setClientSizeTwips(this, 7100, 2450);

    checks_ = new ui::LeaveChecks(this);
    checks_->setCheck(txtFileName, [this] {
        runCommand([this] { txtFileName_Validate(); });
        return false;
    });
    connect(cmdOK, &QPushButton::clicked, this, guarded([this] { cmdOK_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdBrowse, &QPushButton::clicked, this, guarded([this] { cmdBrowse_Click(); }));

    // Load.
    auto &s = g();
    ui::applyScreenFont(this, s.ScreenFontName);
    if (s.DetailAddMode) {
        setWindowTitle(QString::fromLatin1(AddCaption));
    } else if (s.DetailEditMode) {
        setWindowTitle(QString::fromLatin1(EditCaption));
        runCommand([this] { LoadDetail(); });
    }
}

frmPlayList *frmPlayListDetail::owner() const { return ui::findForm<frmPlayList>(); }

void frmPlayListDetail::LoadDetail() {
    frmPlayList *w = owner();
    if (!w || w->lbDetail->currentRow() < 0)
        return;
    // By the line's track number: with a gap in the numbers a position would name another track.
    const long trackId = long(w->lbDetail->currentItem()->data(frmPlayList::TrackData).toLongLong());
    auto rs = g().Db->openRecordset(QStringLiteral("Select * From tblPlayListDetail where ListID=") +
                                    QString::number(w->chosenListId()) + QStringLiteral(" and ListTrackID = ") +
                                    QString::number(trackId));
    if (!rs->eof()) {
        txtSongName->setText(textOf(rs->value(QStringLiteral("SongTitle"))));
        txtArtistName->setText(textOf(rs->value(QStringLiteral("ArtistName"))));
        txtFileName->setText(textOf(rs->value(QStringLiteral("FileName"))));
        txtNotes->setText(textOf(rs->value(QStringLiteral("Notes"))));
    }
    rs->close();
}

void frmPlayListDetail::cmdOK_Click() {
    frmPlayList *w = owner();
    if (!w)
        return;
    auto &s = g();
    const QString caption = windowTitle();
    if (caption == QLatin1String(AddCaption)) {
        if (!aboveBlank(txtSongName->text()) || !aboveBlank(txtFileName->text())) {
            ui::msgBox(QStringLiteral("You must enter both a Song Name and a File Name for this new song."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Name not specified"));
            txtSongName->setFocus();
            return;
        }
        txtSongName->setText(txtSongName->text().replace(QLatin1Char('"'), QLatin1Char('\'')));
        TrackFields f;
        f.SongTitle = trimRight(txtSongName->text());
        f.FileName = trimRight(txtFileName->text());
        f.ArtistName = trimRight(txtArtistName->text());
        f.Notes = txtNotes->text() + QLatin1String(NotesSuffix);
        // Numbered after the table's highest track, not the line count, so a gap is never reused.
        const long id = PlayListStore::appendTracks(*s.Db, w->chosenListId(), {f});
        finish(id);
    } else if (caption == QLatin1String(EditCaption)) {
        if (!aboveBlank(txtSongName->text())) {
            ui::msgBox(QStringLiteral("The song name cannot be blank."), ui::Buttons::OK, ui::Icon::Exclamation,
                       QStringLiteral("Name not specified"));
            txtSongName->setFocus();
            return;
        }
        txtSongName->setText(txtSongName->text().replace(QLatin1Char('"'), QLatin1Char('\'')));
        if (w->lbDetail->currentRow() < 0)
            return;
        const long trackId = long(w->lbDetail->currentItem()->data(frmPlayList::TrackData).toLongLong());
        auto rs = s.Db->openRecordset(QStringLiteral("Select * From tblPlayListDetail where ListID=") +
                                      QString::number(w->chosenListId()) + QStringLiteral(" and ListTrackID = ") +
                                      QString::number(trackId));
        if (rs->eof()) {
            rs->close();
            return;
        }
        rs->edit();
        rs->setValue(QStringLiteral("SongTitle"), trimRight(txtSongName->text()));
        rs->setValue(QStringLiteral("FileName"), trimRight(txtFileName->text()));
        rs->setValue(QStringLiteral("ArtistName"), trimRight(txtArtistName->text()));
        rs->setValue(QStringLiteral("Notes"), txtNotes->text());
        rs->setValue(QStringLiteral("LastUpdated"), QDateTime::currentDateTime());
        rs->update();
        rs->close();
        finish(trackId);
    }
}

void frmPlayListDetail::finish(long trackId) {
    frmPlayList *w = owner();
    w->LoadDetailListbox();
    // The saved track's line, found by its number (a line's text carries the artist too).
    for (int i = 0; i < w->lbDetail->count() - 1; ++i) {
        if (w->lbDetail->item(i)->data(frmPlayList::TrackData).toLongLong() == trackId) {
            w->lbDetail->setCurrentRow(i);
            break;
        }
    }
    close();
}

void frmPlayListDetail::cmdCancel_Click() { close(); }

void frmPlayListDetail::cmdBrowse_Click() {
    ui::FileDialogRequest r;
    const QString current = txtFileName->text();
    if (aboveBlank(current)) {
        // "\\" is a legal character of a name here, not a separator.
        const qsizetype cut = current.lastIndexOf(QLatin1Char('/'));
        if (cut >= 0 && mCommon::FolderExists(current.left(cut + 1)))
            r.initialDir = current.left(cut + 1);
    }
    r.title = QStringLiteral("Select a music file");
    r.filter = QStringLiteral("Music files (*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.aac)|*.mp3;*.m4a;*.wma;*.wav;*.flac;*.ogg;*.aac|All Files (*.*)|*.*");
    r.filterIndex = 1;
    r.fileMustExist = true;
    r.hideReadOnly = true;
    if (auto chosen = ui::prompts().openFile(r))
        txtFileName->setText(chosen->fileName);
}

bool frmPlayListDetail::txtFileName_Validate() {
    const QString name = txtFileName->text();
    if (aboveBlank(name) && !mCommon::FileExists(name))
        ui::msgBox(QStringLiteral("Warning!  The file name \"") + name + QStringLiteral("\" does not exist!"),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("File not found"));
    return false;
}

} // namespace player
