#include "player/PlayListStore.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <algorithm>

namespace player {

namespace db = platform::db;

long PlayListStore::highestTrack(db::Database &d, long listId) {
    auto rs = d.openRecordset(
        QStringLiteral("select Max(ListTrackID) as Highest from tblPlayListDetail where ListID=?"), {qlonglong(listId)},
        db::RecordsetType::Snapshot);
    const long highest = rs->eof() ? 0 : long(rs->value(0).toLongLong());
    rs->close();
    return highest;
}

namespace {

// A track whose values the INSERT can bind as they stand: texts (or Null) for the text columns
// and a whole number (or Null) for the song's RecordID, as a recordset would store them.
bool bindsAsStored(const TrackFields &f) {
    for (const QVariant *v : {&f.ArtistName, &f.AlbumName, &f.Track, &f.FileName, &f.Duration, &f.Year, &f.Rating,
                              &f.Notes})
        if (!v->isNull() && v->typeId() != QMetaType::QString)
            return false;
    const int id = f.ContactRecordID.typeId();
    return f.ContactRecordID.isNull() || id == QMetaType::LongLong || id == QMetaType::Int;
}

} // namespace

long PlayListStore::appendTracks(db::Database &d, long listId, const QList<TrackFields> &tracks) {
    const long first = highestTrack(d, listId) + 1;
    const QDateTime now = QDateTime::currentDateTime();
    db::Transaction t(d);
    if (std::all_of(tracks.cbegin(), tracks.cend(), bindsAsStored)) {
        // Every row through one prepared statement, without reading the list's rows. A Null
        // RecordID goes in as the column's default, 0.
        QList<QVariantList> rows;
        rows.reserve(tracks.size());
        long n = first;
        for (const TrackFields &f : tracks)
            rows.append({qlonglong(listId), qlonglong(n++), f.SongTitle, f.ArtistName, f.AlbumName, f.Track,
                         f.FileName, f.Duration, f.Year, f.Rating,
                         f.ContactRecordID.isNull() ? QVariant(qlonglong(0)) : f.ContactRecordID, f.Notes, now});
        d.executeEach(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, "
                                     "AlbumName, Track, FileName, Duration, Year, Rating, ContactRecordID, Notes, "
                                     "LastUpdated) Values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      rows);
    } else {
        auto rs = d.openRecordset(QStringLiteral("select * from tblPlayListDetail where ListID=") +
                                  QString::number(listId));
        long n = first;
        for (const TrackFields &f : tracks)
            addTrack(*rs, listId, n++, f, now);
        rs->close();
    }
    t.commit();
    return first;
}

void PlayListStore::addTrack(db::Recordset &rs, long listId, long number, const TrackFields &f,
                             const QDateTime &now) {
    rs.addNew();
    rs.setValue(QStringLiteral("ListID"), qlonglong(listId));
    rs.setValue(QStringLiteral("ListTrackID"), qlonglong(number));
    rs.setValue(QStringLiteral("SongTitle"), f.SongTitle);
    auto set = [&](const char *name, const QVariant &v) {
        if (!v.isNull())
            rs.setValue(QString::fromLatin1(name), v);
    };
    set("ArtistName", f.ArtistName);
    set("AlbumName", f.AlbumName);
    set("Track", f.Track);
    set("FileName", f.FileName);
    set("Duration", f.Duration);
    set("Year", f.Year);
    set("Rating", f.Rating);
    set("ContactRecordID", f.ContactRecordID);
    set("Notes", f.Notes);
    rs.setValue(QStringLiteral("LastUpdated"), now);
    rs.update();
}

bool PlayListStore::renumber(db::Database &d, long listId) {
    auto rs = d.openRecordset(
        QStringLiteral("Select SongTitle, ListTrackID, LastUpdated From tblPlayListDetail Where ListID=") +
        QString::number(listId) + QStringLiteral(" Order by ListTrackID"));
    if (rs->eof()) {
        rs->close();
        return false;
    }
    // Bookmarks first: renumbering moves rows within the ordered set.
    QList<db::Bookmark> marks;
    for (long i = 0, n = rs->recordCount(); i < n; ++i)
        marks << rs->bookmarkAt(i);
    db::Transaction t(d);
    const QDateTime now = QDateTime::currentDateTime();
    long n = 1;
    for (const auto &b : marks) {
        rs->setBookmark(b);
        rs->edit();
        rs->setValue(QStringLiteral("ListTrackID"), qlonglong(n++));
        rs->setValue(QStringLiteral("LastUpdated"), now);
        rs->update();
    }
    rs->close();
    t.commit();
    return true;
}

PlayListStore::ReorderResult PlayListStore::reorder(db::Database &d, long listId, const QList<TrackLine> &lines,
                                                     QString *missing) {
    // Each starting number mapped to its row before anything changes: a search by the current
    // value would find a row this pass has already renumbered. Of rows sharing a number, the
    // first in the list's order is taken.
    QHash<long, qlonglong> rowOf;
    rowOf.reserve(lines.size());
    {
        auto rs = d.openRecordset(QStringLiteral("Select rowid, ListTrackID From tblPlayListDetail Where ListID=? "
                                                 "order by ListTrackID, rowid"),
                                  {qlonglong(listId)}, db::RecordsetType::ForwardOnly);
        if (rs->eof()) {
            rs->close();
            return ReorderResult::NoRows;
        }
        for (; !rs->eof(); rs->moveNext()) {
            const long id = long(rs->value(1).toLongLong());
            if (!rowOf.contains(id))
                rowOf.insert(id, rs->value(0).toLongLong());
        }
        rs->close();
    }
    // Every line is matched before the first write, so a missing row leaves the list untouched.
    const QDateTime now = QDateTime::currentDateTime();
    QList<QVariantList> rows;
    rows.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        const auto it = rowOf.constFind(lines[i].ListTrackID);
        if (it == rowOf.constEnd()) {
            if (missing)
                *missing = lines[i].text;
            return ReorderResult::NotFound;
        }
        rows.append({qlonglong(i + 1), now, it.value()});
        rowOf.erase(it);  // a row is renumbered once
    }
    db::Transaction t(d);
    const long changed = d.executeEach(
        QStringLiteral("Update tblPlayListDetail Set ListTrackID=?, LastUpdated=? Where rowid=?"), rows);
    // A row another program deleted since it was read: the pass is undone.
    if (changed != rows.size())
        throw db::DbError(db::err::RecordDeleted, QStringLiteral("Record is deleted."));
    t.commit();
    return ReorderResult::Saved;
}

void PlayListStore::deleteList(db::Database &d, long listId) {
    db::Transaction t(d);
    d.execute(QStringLiteral("Delete from tblPlayListDetail Where ListID=") + QString::number(listId),
              db::FailOnError);
    d.execute(QStringLiteral("Delete from tblPlayListHeader Where ListID=") + QString::number(listId),
              db::FailOnError);
    t.commit();
}

long PlayListStore::findList(db::Database &d, const QString &name, long exceptId) {
    auto rs = d.openRecordset(QStringLiteral("select ListID from tblPlayListHeader Where ListName=? and ListID<>?"),
                              {name, qlonglong(exceptId)}, db::RecordsetType::Snapshot);
    const long id = rs->eof() ? 0 : long(rs->value(0).toLongLong());
    rs->close();
    return id;
}

namespace {

const char *const kCatalogueNames[CatalogueColumns::Count] = {
    "RecordID", "SongName", "Artist", "AlbumName", "TrackText", "PathName", "FileName", "Duration", "Year", "Rating",
};

// A track from a catalogue row, `field(c)` giving column c's value.
template <typename Field> TrackFields trackOf(const Field &field) {
    using C = CatalogueColumns;
    auto text = [&](C::Column c) {
        const QVariant v = field(c);
        return v.isNull() ? QString() : v.toString();
    };
    TrackFields f;
    f.SongTitle = text(C::SongName).replace(QLatin1Char('"'), QLatin1Char('\''));
    f.ArtistName = field(C::Artist);
    f.AlbumName = field(C::AlbumName);
    f.Track = field(C::TrackText);
    f.FileName = text(C::PathName) + text(C::FileName);
    f.Duration = field(C::Duration);
    f.Year = field(C::Year);
    f.Rating = field(C::Rating);
    f.ContactRecordID = field(C::RecordID);
    return f;
}

} // namespace

QString CatalogueColumns::name(Column c) { return QString::fromLatin1(kCatalogueNames[c]); }

const QString &CatalogueColumns::selectList() {
    static const QString list = [] {
        QStringList names;
        for (const char *n : kCatalogueNames)
            names << QString::fromLatin1(n);
        return names.join(QStringLiteral(", "));
    }();
    return list;
}

TrackFields PlayListStore::catalogueTrack(const db::Recordset &rs) {
    return trackOf([&rs](CatalogueColumns::Column c) { return rs.value(CatalogueColumns::name(c)); });
}

TrackFields PlayListStore::catalogueTrackInOrder(const db::Recordset &rs) {
    return trackOf([&rs](CatalogueColumns::Column c) { return rs.value(int(c)); });
}

} // namespace player
