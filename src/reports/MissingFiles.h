#pragma once
// The main window's check for songs whose music file is gone: every song of the catalogue is
// tested against the disk, the missing ones are listed in tblOrphanFileNames, and the grid then
// shows just those songs (in its sort order) until another view replaces them.
#include "songlist/RecordSourceParts.h"

#include <QString>
#include <QVariant>
#include <functional>

namespace songlist {
class NameList;
}

namespace reports {

class MissingFiles {
public:
    explicit MissingFiles(songlist::NameList &w) : w_(w) {}

    // The command. Does nothing while the grid shows no song; a failure puts the grid and every
    // part of its record source back and leaves tblOrphanFileNames as it was.
    void mnuFindInvalidFilenames_Click();

    // The grid's WHERE part while it shows the missing files.
    static const QString JoinText;

    // True when no regular file lies at PathName + FileName: an empty or Null FileName, a
    // folder, or a hidden file (a name starting with ".") count as missing. The path is
    // tested as it stands, never as a pattern.
    static bool fileMissing(const QVariant &pathName, const QVariant &fileName);

    // Empties tblOrphanFileNames and fills it with the songs whose file is missing, in one
    // transaction; returns how many. `progress` is told each song's 1-based number.
    static long fillOrphanTable(const std::function<void(long done, long total)> &progress = {});

private:
    void showMissing();
    void restoreView(const songlist::RecordSourceParts &parts);

    songlist::NameList &w_;
};

} // namespace reports
