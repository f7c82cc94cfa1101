// The play-list window's two ways of playing the chosen list: Play All Songs hands the list to
// the player as the temporary play list; Play Current Song plays one track at a time in the
// small player frmPlay, from the selected track on, until the last or until the user closes it.
#include "player/frmPlayList.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "platform/db/Database.h"
#include "platform/ui/DragListWidget.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"
#include "player/PlayListFile.h"
#include "player/PlayerTexts.h"
#include "player/frmPlay.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include <optional>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {

const QString kNoFilesTitle = QStringLiteral("No music files found for these songs");


// A track the player can play: its file is there and the path names a file, not a folder.
// A regular file is known from one look at it; only another entry takes the full test, which
// asks the system twice per file (a list of thousands of tracks makes that the command's cost).
bool playableTrack(const QString &path) {
    return PlayListFile::namesFile(path) && (QFileInfo(path).isFile() || mCommon::FileExists(path));
}

} // namespace

void frmPlayList::cmdPlay_Click() {
    auto &s = g();
    if (cmbHeader->currentIndex() < 0)
        return;
    savePendingDrag();  // the stored order is played
    closePlayer(false);
    const QString name = cmbHeader->currentText();
    auto rs = s.Db->openRecordset(QStringLiteral("Select FileName, SongTitle, ArtistName From tblPlayListDetail "
                                                 "Where ListID=? AND FileName > ' ' Order by ListTrackID"),
                                  {qlonglong(chosenListId())}, db::RecordsetType::ForwardOnly);
    if (rs->eof()) {
        rs->close();
        ui::msgBox(QStringLiteral("No music files were associated with any of the songs in this Play List, so there "
                                  "is nothing to play."),
                   ui::Buttons::OK, ui::Icon::Exclamation, kNoFilesTitle);
        return;
    }

    std::optional<ui::HourglassPointer> busy(std::in_place);
    // Rows are read and the list written before the player loads, so a list that cannot be
    // written leaves no player behind.
    // Read once, first to last, by the SELECT's own column order.
    QStringList lines, texts;
    for (; !rs->eof(); rs->moveNext()) {
        const QString path = textOf(rs->value(0));
        if (!playableTrack(path))
            continue;
        lines << path;
        texts << songText(textOf(rs->value(1)), textOf(rs->value(2)));
    }
    rs->close();
    const QString listPath = tempListPath();
    PlayListFile::write(listPath, lines);
    busy.reset();
    if (lines.isEmpty()) {
        ui::msgBox(QStringLiteral("No music files found for the songs in this Play List.  They may have changed folder "
                                  "locations or been deleted from this machine."),
                   ui::Buttons::OK, ui::Icon::Exclamation, kNoFilesTitle);
        closePlayer(true);
        return;
    }

    s.PlayPath = listPath;
    s.PlayCaption = QStringLiteral("PlayList: ") + name;
    PlayForm *p = ui::form<PlayForm>();
    p->lbSongURL->addItems(lines);
    p->lbSongs->addItems(texts);
    if (!QFileInfo(listPath).isFile()) {
        ui::msgBox(QStringLiteral("File ") + listPath + QStringLiteral(" cannot be found to play."), ui::Buttons::OK,
                   ui::Icon::Critical, QStringLiteral("File not found"));
        // A player that will never show must not stay loaded (it would count as open).
        closePlayer(false);
        return;
    }
    cmdPlay->setEnabled(false);
    cmdPlay1->setEnabled(false);
    s.PlayPath = listPath;
    // The player's Delete finds the list being played by this caption.
    s.PlayCaption = QStringLiteral("PlayList ") + name;
    ui::unloadForm(this);
    p->lbSongs->setCurrentRow(0);
    p->lbSongURL->setCurrentRow(0);
    p->lblNumSongs->setText(QStringLiteral("Number of songs: ") + QString::number(p->lbSongs->count()));
    p->setWindowState(Qt::WindowNoState);
    ui::showModeless(p);
}

void frmPlayList::cmdPlay1_Click() {
    auto &s = g();
    if (cmbHeader->currentIndex() < 0)
        return;
    if (lbDetail->count() > 0 && lbDetail->currentRow() < 0) {
        lbDetail->setFocus();
        lbDetail->setCurrentRow(0);
    }
    const long listId = chosenListId();
    // A stop asked for before this run (a click on the blank line) does not keep it from starting.
    s.StopPlayOneByOne = false;
    while (!s.StopPlayOneByOne) {
        // Each line carries its track's number, so a gap in the numbers plays the right track;
        // the blank line after the last track, or a line whose row is gone, ends the run.
        const int row = lbDetail->currentRow();
        const long track = row < 0 ? 0 : long(lbDetail->item(row)->data(TrackData).toLongLong());
        if (track <= 0)
            break;
        auto rs = s.Db->openRecordset(
            QStringLiteral("Select * From tblPlayListDetail where ListID=? and ListTrackID = ?"),
            {qlonglong(listId), qlonglong(track)});
        const bool found = !rs->eof();
        const QString file = found ? modMain::NullToEmpty(rs->value(QStringLiteral("FileName"))).toString() : QString();
        rs->close();
        if (!found)
            break;
        QPointer<frmPlay> play = ui::form<frmPlay>();
        play->WMPlayer->setURL(file);
        ui::showModal(play, this);
        if (play && ui::isLoaded(play))
            ui::unloadForm(play);
        // The last track ended (the selection stayed on it), or the user closed the player.
        if (lbDetail->currentRow() == row)
            break;
    }
    s.StopPlayOneByOne = false;
}

} // namespace player
