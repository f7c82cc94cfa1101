#include "common/TestEnv.h"

#include "core/AppState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sqlite3.h>

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

void writeForeignDatabase(const QString &path) {
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3 *db = nullptr;
    const bool made = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, "CREATE TABLE bookmarks (url TEXT); INSERT INTO bookmarks VALUES ('x');",
                                   nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!made)
        throw std::runtime_error("cannot write a database at " + path.toStdString());
}

void writeDamagedCatalogue(const QString &path) {
    copyEmptyCatalogue(path);
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.seek(100) || f.write(QByteArray(400, '\x5a')) != 400)
        throw std::runtime_error("cannot damage " + path.toStdString());
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
