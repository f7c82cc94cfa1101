#pragma once
// The breadth-first folder walk.
#include <QString>
#include <QStringList>

namespace mRecursiveDir {

// Where the walk may go.
enum class Reach {
    FollowLinks,  // below the start folder, and through links to folders outside its tree
    OneVolume     // the same, but only folders on the start folder's own file system, and never
                  // into the kernel's file systems (a whole-volume scan)
};

// Appends `Folder` and every folder below it to `Result`, breadth first, each ending in "/":
// the start folder first (its path as given), then its subfolders (by name), then the
// subfolders of the first subfolder, and so on. Hidden folders (names beginning with ".") are
// neither listed nor walked; folders that may not be read are skipped.
//
// A symbolic link to a folder is followed, under the link's own path, unless it leads to the
// start folder, to one of its ancestors, or into the start folder's tree (which the walk
// reaches by its real path): so every folder is reached once and by its own name. A folder
// reached twice through links is walked once.
//
// Stops at the next entry once core::g().CancelScan is set; Result then keeps what it holds.
// Lets the event loop run now and then (core::yieldForInput), so a Cancel button can set the
// flag.
void GetAllSubFolders(QString Folder, QStringList &Result, Reach reach = Reach::FollowLinks);

} // namespace mRecursiveDir
