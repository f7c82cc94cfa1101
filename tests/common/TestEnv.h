#pragma once
// Per-test environment: a fresh temporary data folder, the shared state zeroed, the settings
// store emptied. Derive fixtures from OrvalisTest.
#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

namespace testenv {

// The folder of this test; removed when the test ends. Ends without "/".
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Clears every key of the per-user settings store.
void clearSettings();

// Copies the shipped empty catalogue to `path` (for tests that need a real catalogue file).
void copyEmptyCatalogue(const QString &path);

// An SQLite database of another program: a table of its own and none of the catalogue's.
void writeForeignDatabase(const QString &path);
// The empty catalogue with its schema page garbled behind the file header: still an SQLite
// file, but one whose tables cannot be read.
void writeDamagedCatalogue(const QString &path);

// Writes bytes to a file, creating its folder.
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace testenv

class OrvalisTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    testenv::TempFolder tmp;
};
