#pragma once
// Asks the user for a folder.
#include <QString>

class QWidget;

namespace mBrowseDirectorysOnly {

// Shows the folder browser with `Prompt` above the tree, opened on `StartFolder`, titled
// `Caption`. Returns the chosen folder ending in exactly one "/", or "" when cancelled.
QString BrowseForFolder(QWidget *Owner, const QString &Prompt, const QString &StartFolder, const QString &Caption);

} // namespace mBrowseDirectorysOnly
