#include "core/StartFolders.h"

#include "core/AppState.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace core {

QString StartFolders::music() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return music;
    return QDir::homePath();
}

QString StartFolders::lastUsed(const QString &dialog) {
    const QString folder = g().DialogFolders.value(dialog);
    return folder.isEmpty() ? music() : folder;
}

void StartFolders::used(const QString &dialog, const QString &chosenFile) {
    if (!chosenFile.isEmpty())
        g().DialogFolders.insert(dialog, QFileInfo(chosenFile).absolutePath());
}

} // namespace core
