#pragma once
// The play-list window over a main window on a small catalogue: lists and tracks are written
// straight into the tables, and the window is loaded as the PlayLists button loads it.
#include "player/PlayListStore.h"
#include "player/frmPlayList.h"
#include "songlist/SongListFixture.h"
#include "platform/ui/DragListWidget.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

class PlayListTest : public SongListTest {
protected:
    platform::db::Database &db() { return *core::g().Db; }

    long addList(const QString &name, const QString &notes = {}) {
        db().execute(QStringLiteral("Insert Into tblPlayListHeader (ListName, Notes) Values (?, ?)"), {name, notes});
        auto rs = db().openRecordset(QStringLiteral("select Max(ListID) from tblPlayListHeader"));
        return long(rs->value(0).toLongLong());
    }
    // Tracks numbered from `first` (or by the given numbers); "Title|Artist" gives an artist.
    void addTracks(long list, const QStringList &songs, QList<long> ids = {}) {
        long n = 1;
        for (int i = 0; i < songs.size(); ++i) {
            const long id = ids.isEmpty() ? n++ : ids[i];
            const QString title = songs[i].section(QLatin1Char('|'), 0, 0);
            const QVariant artist = songs[i].contains(QLatin1Char('|')) ? QVariant(songs[i].section(QLatin1Char('|'), 1))
                                                                       : QVariant();
            db().execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, "
                                        "FileName) Values (?, ?, ?, ?, ?)"),
                         {qlonglong(list), qlonglong(id), title, artist, QStringLiteral("/m/") + title + ".mp3"});
        }
    }
    // "number:title" of the list's tracks in stored order.
    QStringList stored(long list) {
        QStringList out;
        auto rs = db().openRecordset(
            QStringLiteral("select ListTrackID, SongTitle from tblPlayListDetail where ListID=%1 order by ListTrackID")
                .arg(list));
        for (; !rs->eof(); rs->moveNext())
            out << rs->value(0).toString() + QLatin1Char(':') + rs->value(1).toString();
        return out;
    }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < pl->lbDetail->count(); ++i)
            out << pl->lbDetail->item(i)->text();
        return out;
    }
    QList<long> lineData() const {
        QList<long> out;
        for (int i = 0; i < pl->lbDetail->count(); ++i)
            out << long(pl->lbDetail->item(i)->data(player::frmPlayList::TrackData).toLongLong());
        return out;
    }

    // Opens the main window (unless told not to) and the play-list window.
    player::frmPlayList *openPlayLists(bool withMain = true) {
        if (withMain && !w)
            open();
        prompts.clear();  // what the main window said on opening
        pl = platform::ui::form<player::frmPlayList>();
        return pl;
    }
    void chooseList(const QString &name) {
        ASSERT_TRUE(pl->selectList(name));
    }
    // A new list of these tracks, shown in the play-list window; its ListID.
    long openNewList(const QString &name, const QStringList &songs) {
        const long id = addList(name);
        addTracks(id, songs);
        openPlayLists();
        chooseList(name);
        return id;
    }

    // A left-button drag on the track list from one line to another (-1: below every line).
    void drag(int from, int to) {
        pl->show();
        auto *list = pl->lbDetail;
        auto *vp = list->viewport();
        auto centre = [&](int row) {
            if (row < 0)
                return QPoint(5, vp->height() + 50);
            return list->visualItemRect(list->item(row)).center();
        };
        auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
            QMouseEvent e(type, p, vp->mapToGlobal(p), b, held, Qt::NoModifier);
            QApplication::sendEvent(vp, &e);
        };
        const QPoint a = centre(from);
        const QPoint b = centre(to);
        send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, a + QPoint(0, QApplication::startDragDistance() + 2), Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    }

    player::frmPlayList *pl = nullptr;
};
