#pragma once
// The play-list window's commands that show a play list outside it: its catalogue songs alone
// in the main grid, and the "Detail" and "DetailWithFileNames" reports in the report window.
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QVariant>

namespace platform::db {
class Database;
}
namespace platform::richtext {
class RichTextDocument;
}

namespace player {

class frmPlayList;

class PlayListReports {
public:
    explicit PlayListReports(frmPlayList &w) : w_(w) {}

    void mnuFileDisplayOnly_Click();
    void mnuReportsDetail_Click();
    void mnuReportsDetailWithFilenames_Click();
    // Builds the report of the current play list and hands its RTF to the report window.
    void PrintPlayList(const QString &ReportType);

    // The grid's record source showing each catalogue song of list `listId` once, sorted as
    // `oldSource` is (see sortPart).
    static QString viewSource(long listId, const QString &oldSource);
    // The sort of `oldSource` for the play-list view: from its first "order by" outside quoted
    // literals to the end, after a blank, with each "order by " made "order by tblContacts!"
    // unless the sort already names "tblContacts!"; "" when it has no sort.
    static QString sortPart(const QString &oldSource);

    // One track line of a report.
    struct Track {
        QVariant SongTitle, ArtistName, FileName;
    };
    // Appends the report to the document, starting from the attributes of `start`: the list's
    // name as heading (none for no tracks), a line per track (and its file line for
    // "DetailWithFileNames"), and a white page-break group after every 40 (20 with file names)
    // tracks.
    static void writeReport(platform::richtext::RichTextDocument &doc, const QTextCharFormat &start,
                            const QString &listName, const QList<Track> &tracks, const QString &ReportType);

    // The tracks of the list named `name` (the database compares names without letter case) in
    // track order, and the name as stored; lists sharing the name give their tracks together.
    // `listName` stays empty when no track is found.
    static void readTracks(platform::db::Database &d, const QString &name, QString &listName, QList<Track> &tracks);

private:
    frmPlayList &w_;
};

} // namespace player
