// The player window's play-list commands: the combo that chooses the list the player adds to,
// Add to Play List (the selected song of the player's list), and Delete from Playlist (the
// playing song out of the list being played).
#include "player/PlayForm.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "platform/db/Database.h"
#include "platform/ui/PromptService.h"
#include "player/ConfirmationFlash.h"
#include "player/PlayListAppend.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {
// The caption a play list started from the play-list window leaves: this prefix, then its name.
const QString kListCaption = QStringLiteral("PlayList ");
const QString kAddedText = QStringLiteral("Song added to Play List");
} // namespace

void PlayForm::cmbHeader_Click() {
    auto &s = g();
    lblSelectedPlaylist->setText(cmbHeader->currentText());
    s.PlayerSelectedList = lblSelectedPlaylist->text();
    if (s.CurrentPlayList.isEmpty())
        s.CurrentPlayList = s.PlayerSelectedList;
}

void PlayForm::cmdAddToPlaylist_Click() {
    auto &s = g();
    auto &d = *s.Db;
    lblSelectedPlaylist->setText(s.PlayerSelectedList);
    const QString name = lblSelectedPlaylist->text();
    if (PlayListStore::findList(d, name) == 0) {
        auto rs = d.openRecordset(QStringLiteral("select * from tblPlayListHeader"));
        const bool listsExist = !rs->eof();
        rs->close();
        if (listsExist) {
            ui::msgBox(QStringLiteral("You must select a Play List from the drop down list first."), ui::Buttons::OK,
                       ui::Icon::None, QStringLiteral("No Play List selected"));
            cmbHeader->setFocus();
            modMain::ShowComboDropDown(cmbHeader);
        } else {
            ui::msgBox(QStringLiteral("There are no Play Lists.  You must create one first by clicking the PlayLists "
                                      "button on the main toolbar."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("No Play Lists Exist"));
        }
        return;
    }

    // The selected song, or the first when none is selected; the two lists are kept in step.
    if (lbSongs->count() == 0)
        return;
    const int row = lbSongs->currentRow() < 0 ? 0 : lbSongs->currentRow();
    const QString text = lbSongs->item(row)->text();
    const QString path = row < lbSongURL->count() ? lbSongURL->item(row)->text() : QString();

    TrackFields f;
    f.SongTitle = text;
    f.FileName = path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString file = path.mid(slash + 1);
    auto rs = d.openRecordset(QStringLiteral("select RecordID from tblContacts Where PathName=? and FileName=?"),
                              {folder, file});
    if (!rs->eof())
        f.ContactRecordID = rs->value(0);
    rs->close();
    // The player's texts read song " <> " artist: split at the first separator.
    if (const qsizetype p = f.SongTitle.indexOf(QLatin1String(" <> ")); p >= 0) {
        f.ArtistName = f.SongTitle.mid(p + 4);
        f.SongTitle = f.SongTitle.left(p);
    }
    f.Notes = QStringLiteral("Added from Player");
    if (!AppendSongToPlayList(name, f, playerAppendTexts()))
        return;
    s.CurrentPlayList = cmbHeader->currentText();
    ConfirmationFlash::flash(txtSongAddedToPlaylist, ConfirmationFlash::WindowMs);
}

void PlayForm::cmdDelete_Click() {
    auto &s = g();
    auto &d = *s.Db;
    // Only a list started from the play-list window names its list in the caption; its name is
    // what follows the prefix, whatever it holds itself.
    long key = 0;
    if (s.PlayCaption.startsWith(kListCaption))
        key = PlayListStore::findList(d, s.PlayCaption.mid(kListCaption.size()));
    const QListWidgetItem *playing = lbSongURL->currentItem();
    long removed = 0;
    if (key != 0 && playing)
        removed = d.execute(QStringLiteral("Delete From tblPlayListDetail Where ListID=? And FileName=?"),
                            {qlonglong(key), playing->text()}, db::FailOnError);
    if (removed == 0) {
        ui::msgBox(QStringLiteral("The song playing is not in this Play List, so nothing was deleted."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Not deleted"));
        return;
    }
    WindowsMediaPlayer1->next();
    // The window may go while the confirmation shows.
    QPointer<QLineEdit> box(txtSongAddedToPlaylist);
    box->setText(QStringLiteral("Deleted from Playlist"));
    ConfirmationFlash::flash(box, ConfirmationFlash::MainWindowMs);
    if (box)
        box->setText(kAddedText);
}

} // namespace player
