#include "core/ShippedCatalogue.h"

#include "core/AppState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace core {

namespace {
const QString kCatalogueFileName = QStringLiteral("OVdata.mdb");

// The directory entry `path` names, without following a last link.
std::optional<std::pair<dev_t, ino_t>> entry(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return std::make_pair(st.st_dev, st.st_ino);
}
} // namespace

QString ShippedCatalogue::path() { return shippedFile(QStringLiteral("OVdata-empty.mdb")); }

bool ShippedCatalogue::is(const QString &file) {
    const auto chosen = entry(file);
    return chosen && chosen == entry(path());
}

std::optional<QString> ShippedCatalogue::copyInto(const QString &folder) {
    const QString from = path();
    if (!QFileInfo(from).isFile() || !QDir().mkpath(folder))
        return std::nullopt;
    const QString to = QDir(folder).filePath(kCatalogueFileName);
    // The copy is written where no name shows it and named only when whole, a name it never
    // takes from an existing file: no catalogue is overwritten, and a kill leaves no cut one.
    if (!QFile::copy(from, to))
        return std::nullopt;
    // The template may be read-only where the program is installed; the copy is the user's.
    QFile::setPermissions(to, QFile::permissions(to) | QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

QString ShippedCatalogue::refusalText(const QString &dataFolder) {
    const QString catalogue = QDir(dataFolder).filePath(kCatalogueFileName);
    return QStringLiteral("The file ") + path() +
           QStringLiteral(" is the empty catalogue that comes with Orvalis. It is not opened as a catalogue: the "
                          "next update of Orvalis replaces it with all the songs stored in it. ") +
           (QFileInfo::exists(catalogue) ? QStringLiteral("The data folder already holds the catalogue ") + catalogue +
                                               QStringLiteral(".")
                                         : QStringLiteral("No copy of it could be made as ") + catalogue +
                                               QStringLiteral("."));
}

} // namespace core
