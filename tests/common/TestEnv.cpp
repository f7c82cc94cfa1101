#include "common/TestEnv.h"

#include "core/AppState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace testenv {

TempFolder::TempFolder() { dir_.setAutoRemove(true); }

void clearSettings() {
    QSettings s("Orvalis", "Orvalis");
    s.clear();
    s.sync();
}

void copyEmptyCatalogue(const QString &path) {
    QFile::remove(path);
    if (!QFile::copy(QStringLiteral(ORVALIS_EMPTY_CATALOGUE), path))
        throw std::runtime_error("cannot copy the empty catalogue to " + path.toStdString());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes);
}

} // namespace testenv

void OrvalisTest::SetUp() {
    core::resetState();
    testenv::clearSettings();
}

void OrvalisTest::TearDown() { core::resetState(); }
