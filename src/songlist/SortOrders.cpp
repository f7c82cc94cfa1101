#include "songlist/SortOrders.h"

#include "core/mCommon.h"

namespace songlist {

const QList<SortOrder> &SortOrders::all() {
    static const QList<SortOrder> sorts = {
        {"Album Name", " Order By tblContacts!AlbumName, tblContacts!TrackNum", "AlbumName"},
        {"Artist", " Order By Artist, SongName", "Artist"},
        {"Bitrate", " Order By Bitrate", "Bitrate"},
        {"BPM", " Order By BPM", "BPM"},
        {"Code", " Order By Code", "Code"},
        {"Composer", " Order By Composer, SongName", "Composer"},
        {"Date 2", " Order By Date2", "Date2"},
        {"Date Updated", " Order By DateUpdated DESC", "DateUpdated"},
        {"Duration", " Order By tblContacts!Duration", "Duration"},
        {"File Name", " Order By tblContacts!FileName", "FileName"},
        {"File Size", " Order By FileSizeNum", "FileSizeNum"},
        {"Genre", " Order By Genre, Artist, SongName", "Genre"},
        {"ID", " Order By ID", "ID"},
        {"Misc Field1", " Order By MiscField1", "MiscField1"},
        {"Misc Field2", " Order By MiscField2", "MiscField2"},
        {"Misc Field3", " Order By MiscField3", "MiscField3"},
        {"Path Name", " Order By PathName, tblContacts!FileName", "PathName"},
        {"Purchase Date", " Order By PurchaseDate", "PurchaseDate"},
        {"Rating", " Order By tblContacts!Rating, SongName", "Rating"},
        {"Song Name", " Order By SongName, Artist", "SongName"},
        {"Track", " Order By TrackNum", "TrackNum"},
        {"Type", " Order By FileType", "FileType"},
        {"Year", " Order By tblContacts!Year, Artist, SongName", "Year"},
    };
    return sorts;
}

QStringList SortOrders::names() {
    QStringList out;
    for (const auto &s : all())
        out << s.name;
    return out;
}

const SortOrder &SortOrders::lookup(const QString &name) {
    const SortOrder *songName = nullptr;
    for (const auto &s : all()) {
        if (s.name == name)
            return s;
        if (s.name == QLatin1String("Song Name"))
            songName = &s;
    }
    return *songName;
}

bool SortOrders::isDate(const QString &name) { return name.toUpper().contains(QLatin1String("DATE")); }

qsizetype SortOrders::findOrderBy(const QString &text) { return mCommon::FindOutsideQuotes(text, QStringLiteral("order by")); }

QString SortOrders::replaceOrderBy(const QString &recordSource, const QString &orderBy) {
    const qsizetype at = findOrderBy(recordSource);
    return (at < 0 ? recordSource : recordSource.left(at)) + orderBy;
}

} // namespace songlist
