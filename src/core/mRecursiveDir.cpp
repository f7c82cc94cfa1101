#include "core/mRecursiveDir.h"

#include "core/AppState.h"
#include "core/EventYield.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <deque>

namespace mRecursiveDir {

void GetAllSubFolders(QString Folder, QStringList &Result) {
    if (!Folder.endsWith(QLatin1Char('/')))
        Folder += QLatin1Char('/');

    std::deque<QString> queue{Folder};
    Result.append(Folder);
    // Canonical paths of the folders taken so far, so a link back up the tree ends the loop.
    QSet<QString> seen;
    const QString startCanonical = QFileInfo(Folder).canonicalFilePath();
    if (!startCanonical.isEmpty())
        seen.insert(startCanonical);

    while (!queue.empty()) {
        const QString current = queue.front();
        queue.pop_front();
        // Hidden entries (a leading ".") are left out by not asking for them; the order is by
        // name, case-blind, so the walk's order does not depend on the file system.
        const QFileInfoList entries =
            QDir(current).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &fi : entries) {
            if (fi.isDir() && fi.isReadable() && fi.isExecutable()) {
                const QString canonical = fi.canonicalFilePath();
                if (!canonical.isEmpty() && !seen.contains(canonical)) {
                    seen.insert(canonical);
                    const QString sub = current + fi.fileName() + QLatin1Char('/');
                    queue.push_back(sub);
                    Result.append(sub);
                }
            }
            if (core::g().CancelScan)
                return;
            core::yieldForInput();
        }
    }
}

} // namespace mRecursiveDir
