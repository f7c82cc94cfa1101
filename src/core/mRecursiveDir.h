#pragma once
// The breadth-first folder walk.
#include <QString>
#include <QStringList>

namespace mRecursiveDir {

// Appends `Folder` and every folder below it to `Result`, breadth first, each ending in "/":
// the start folder first, then its subfolders (by name), then the subfolders of the first
// subfolder, and so on. Hidden folders (names beginning with ".") are neither listed nor
// walked; folders that may not be read are skipped. A symbolic link to a folder is followed,
// but no folder is walked twice (a link loop ends). Stops at the next entry once
// core::g().CancelScan is set; Result then keeps what it holds. Lets the event loop run now and
// then (core::yieldForInput), so a Cancel button can set the flag.
void GetAllSubFolders(QString Folder, QStringList &Result);

} // namespace mRecursiveDir
