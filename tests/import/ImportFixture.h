#pragma once
// A catalogue in a temporary data folder, a music folder tree built from the fixture files, and
// a stand-in for the main window that records what the import asked of it.
#include "common/DataFolderTest.h"
#include "import/ImportHost.h"
#include "import/MusicImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace importtest {

inline long songCount() {
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts"));
    return rs->recordCount();
}

// The catalogued songs by PathName & FileName.
inline QMap<QString, QVariantMap> songs() {
    QMap<QString, QVariantMap> out;
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts"));
    while (!rs->eof()) {
        QVariantMap row;
        for (int i = 0; i < rs->fieldCount(); ++i)
            row.insert(rs->fieldName(i), rs->value(i));
        out.insert(row.value(QStringLiteral("PathName")).toString() + row.value(QStringLiteral("FileName")).toString(),
                   row);
        rs->moveNext();
    }
    return out;
}

// The main window as the import sees it.
class FakeHost : public import::ImportHost {
public:
    QWidget *window() const override { return nullptr; }
    void setWindowVisible(bool v) override { visible = v; visibility.append(v); }
    void showAllSongs() override {
        ++showAll;
        songsAtShowAll = songCount();
    }
    void showCurrentArtistButton() override { ++artistButton; }
    void focusGrid() override { ++gridFocused; }
    void loadMusicFiles(const QString &folder, const QString &fileName, bool driveMode) override {
        import::MusicImport imp(*this);
        if (yield)
            imp.setInputYield(yield);
        if (lockWaitMs >= 0)
            imp.setLockWaitMs(lockWaitMs);
        loads.append(folder + QLatin1Char('|') + fileName + (driveMode ? QStringLiteral("|drive") : QString()));
        last = imp.run(folder, fileName, driveMode);
    }

    std::function<void()> yield; // replaces the input yield when set
    int lockWaitMs = -1;         // replaces the import's wait for a locked catalogue when set
    bool visible = true;
    QList<bool> visibility;
    int showAll = 0;
    long songsAtShowAll = -1;
    int artistButton = 0;
    int gridFocused = 0;
    QStringList loads;
    import::ImportResult last;
};

} // namespace importtest

class ImportTest : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        core::g().WinMajorVersion = 6;
        music = tmp.path() + QStringLiteral("/music/");
        QDir().mkpath(music);
    }

    // Copies a fixture file to a path below the music folder (folders made as needed).
    QString put(const QString &fixture, const QString &relative) {
        const QString to = music + relative;
        QDir().mkpath(QFileInfo(to).absolutePath());
        QFile::remove(to);
        if (!QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/") + fixture, to))
            throw std::runtime_error("cannot copy " + fixture.toStdString());
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }
    void putText(const QString &relative, const QByteArray &bytes = "text") { testenv::writeFile(music + relative, bytes); }

    import::ImportResult importFolder(const QString &folder, const QString &fileName = {}, bool drive = false) {
        core::g().CancelScan = false;
        host.loadMusicFiles(folder, fileName, drive);
        return host.last;
    }

    importtest::FakeHost host;
    QString music; // ends in "/"
};
