// The player window's end-of-song rules: what happens when the media player's state or its
// current song changes, and the choice of the next or a random song of the main grid's view.
#include "player/PlayForm.h"

#include "core/AppState.h"
#include "core/Rnd.h"
#include "core/StartupHooks.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ui/PromptService.h"
#include "player/PlayerTexts.h"
#include "player/frmNowPlaying.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QListWidget>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace media = platform::media;

namespace {
const QString kTempListItem = QStringLiteral("OVPlayList");

bool sameText(const QString &a, const QString &b) { return a.toUpper() == b.toUpper(); }
bool ticked(const QCheckBox *box) { return box->checkState() == Qt::Checked; }
bool set(const QCheckBox *box) { return box->checkState() != Qt::Unchecked; }
} // namespace

QString PlayForm::songPath(int index) const {
    const QListWidgetItem *item = lbSongURL->item(index);
    return item ? item->text() : QString();
}

QString PlayForm::entryText(int index) const {
    const QListWidgetItem *item = lbSongs->item(index);
    return item ? item->text() : QString();
}

void PlayForm::moveBoth(int by) { selectBoth(lbSongs->currentRow() + by); }

void PlayForm::setNowPlayingCaption() {
    if (auto *w = ui::findForm<frmNowPlaying>(); w && w->isVisible())
        w->setCaption(labelCaption(entryText(lbSongs->currentRow())));
}

void PlayForm::WindowsMediaPlayer1_PlayStateChange(int NewState) {
    media::MediaPlayer *wmp = WindowsMediaPlayer1;
    const bool T = g().PlayPath.contains(kTempListItem);
    const bool R = ticked(cbPlayRandom);
    const bool N = ticked(cbPlayNext);

    // A file that cannot be opened (or nothing at all, without a sound output) says why: the
    // window would otherwise wait with nothing to show for it. Without a sound output the file
    // is not to blame, and Play tries again.
    if (NewState == media::Ready && !wmp->openError().isEmpty()) {
        if (wmp->noSoundOutput()) {
            ui::msgBox(wmp->openError() + QStringLiteral("\r\nPress Play to try again once there is one."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("No sound output"));
            return;
        }
        const QString what = T ? QString() : QLatin1Char('"') + g().PlayPath + QStringLiteral("\"\r\n");
        ui::msgBox(what + wmp->openError(), ui::Buttons::OK, ui::Icon::Exclamation,
                   QStringLiteral("File cannot be played"));
        return;
    }
    // A song PlayNextRandom has just put into the player is ready: start it.
    if (NewState == media::Ready && (R || N)) {
        wmp->play();
        return;
    }
    // A single song loops.
    if (ticked(cbLoop) && lbSongs->count() == 1 &&
        (wmp->playState() == media::Stopped || wmp->playState() == media::MediaEnded)) {
        wmp->play();
        return;
    }
    if (!T && NewState == media::MediaEnded && !R && !N) {
        // A single song has ended: the player closes, and from the player-only start the program.
        if (ui::loadedCount() == 1 && !g().PlayFromMain) {
            if (core::hooks().endProgram)
                core::hooks().endProgram(0);
            else
                QCoreApplication::quit();
        } else {
            ui::unloadForm(this);
        }
        return;
    }
    if (!T && NewState == media::MediaEnded) {
        PlayNextRandom(R ? QStringLiteral("random") : QStringLiteral("next"));
        return;
    }
    if (set(cbSkipDups) && wmp->playState() == media::Stopped)
        wmp->play();
    if (lbSongs->currentRow() >= 0)
        wmp->setFocus();

    // A song of the temporary list ended and the player has gone on to the next entry by itself.
    if (NewState == media::MediaEnded && lbSongs->currentRow() < lbSongs->count() - 1) {
        moveBoth(1);
        if (set(cbSkipDups)) {
            const int last = lbSongs->count() - 1;
            while (lbSongs->currentRow() != last &&
                   sameText(entryText(lbSongs->currentRow()), entryText(lbSongs->currentRow() - 1))) {
                wmp->next();
                moveBoth(1);
                // At the last entry the player goes round to the first only when the last entry
                // repeats the one before it too; otherwise the last song plays.
                if (lbSongs->currentRow() == last && sameText(entryText(last), entryText(last - 1))) {
                    wmp->next();
                    selectBoth(0);
                }
            }
        }
    }
    if (QListWidgetItem *item = lbSongs->currentItem())
        lbSongs->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void PlayForm::WindowsMediaPlayer1_CurrentItemChange() {
    media::MediaPlayer *wmp = WindowsMediaPlayer1;
    const QString current = wmp->currentMedia().sourceURL;
    const int state = wmp->playState();
    const bool firstIsCurrent = lbSongURL->count() > 0 && sameText(songPath(0), current);

    // The play list has started again from the top.
    if (state == media::Ready && firstIsCurrent && lbSongs->currentRow() != 0) {
        selectBoth(0);
        return;
    }
    if (firstIsCurrent && lbSongs->currentRow() < 0) {
        selectBoth(0);
        return;
    }
    setNowPlayingCaption();
    const int last = lbSongs->count() - 1;
    // The looping play list wraps.
    if (ticked(cbLoop) && lbSongs->currentRow() == last && state == media::Transitioning)
        selectBoth(0);

    const int sel = lbSongs->currentRow();
    if (sel >= 0) {
        if (!ticked(cbShuffle)) {
            if (state == media::Transitioning || state == media::Ready || state == media::Playing) {
                if (wmp->currentItem().name != kTempListItem && !sameText(songPath(sel), current)) {
                    if (sel + 1 <= last && sameText(songPath(sel + 1), current))
                        moveBoth(1);  // the player went forward
                    else if (sel != 0)
                        moveBoth(-1);  // the player went back
                }
            } else if (sel == 0 && sameText(songPath(last), current)) {
                selectBoth(last);  // back from the first song to the last
            }
        } else if (!sameText(songPath(sel), current)) {
            for (int i = 0; i <= last; ++i)
                if (sameText(songPath(i), current)) {
                    selectBoth(i);
                    break;
                }
        }
    }
    setNowPlayingCaption();
    if (lbSongs->currentRow() >= 0)
        wmp->setFocus();
}

void PlayForm::keepPlayerView(const platform::db::Recordset *grid) {
    PlayerView.reset();
    try {
        if (grid && grid->isOpen() && grid->source() == PlayerRecordSource)
            PlayerView = grid->keptView(playerQuery(PlayerRecordSource));
    } catch (const platform::db::DbError &) {
        PlayerView.reset(); // the view is then read whole when first needed
    }
}

void PlayForm::PlayNextRandom(const QString &Mode) {
    auto &s = g();
    try {
        PlayerRecordSource = playerQuery(PlayerRecordSource);
        if (!PlayerRecordset) {
            if (!s.Db)
                return;
            // The grid's rows as the window loaded them, each read when it is chosen.
            if (PlayerView && PlayerView->source() == PlayerRecordSource)
                PlayerRecordset = PlayerView->keptView(PlayerRecordSource);
            if (!PlayerRecordset)
                PlayerRecordset = s.Db->openRecordset(PlayerRecordSource, platform::db::RecordsetType::Snapshot);
        }
        platform::db::Recordset &rs = *PlayerRecordset;
        if (rs.recordCount() == 0)
            return;
        // A song of the kept view deleted from the catalogue since the window loaded.
        const auto gone = [&rs] {
            try {
                (void)rs.value(QStringLiteral("FileName"));
                return false;
            } catch (const platform::db::DbError &e) {
                if (e.number() != platform::db::err::RecordDeleted)
                    throw;
                return true;
            }
        };
        if (Mode == QLatin1String("random")) {
            rs.moveLast();
            rs.moveFirst();
            rs.move(core::CLng(core::Rnd() * double(rs.recordCount() - 1)));
            if (gone())
                return;
        } else if (Mode == QLatin1String("next")) {
            const qsizetype cut = s.PlayPath.lastIndexOf(u'/') + 1;
            // The path and the name are bound, so any character in them is matched as itself.
            rs.findFirst(QStringLiteral("PathName=? And FileName=?"), {s.PlayPath.left(cut), s.PlayPath.mid(cut)});
            if (rs.noMatch())
                return;
            rs.moveNext();
            while (!rs.eof() && gone())
                rs.moveNext();
            if (rs.eof())
                return;
        }
        const QString fileName = rs.value(QStringLiteral("FileName")).toString();
        const QString path = rs.value(QStringLiteral("PathName")).toString() + fileName;
        if (!fileName.isEmpty() && mCommon::FileExists(path)) {
            s.PlayPath = path;
            s.PlayCaption = fileName;
            lbSongURL->clear();
            lbSongs->clear();
            lbSongURL->addItem(s.PlayPath);
            lbSongs->addItem(songText(rs.value(QStringLiteral("SongName")).toString(),
                                      rs.value(QStringLiteral("Artist")).toString()));
            setWindowTitle(s.PlayCaption);
            WindowsMediaPlayer1->setURL(s.PlayPath);
        } else {
            showFileNotFound(path);
            ui::unloadForm(this);
        }
    } catch (const platform::db::DbError &e) {
        ui::msgBox(e.description(), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error in PlayNextRandom routine"));
    } catch (const std::exception &e) {
        ui::msgBox(QString::fromUtf8(e.what()), ui::Buttons::OK, ui::Icon::Critical,
                   QStringLiteral("Error in PlayNextRandom routine"));
    }
}

} // namespace player
