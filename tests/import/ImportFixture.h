#pragma once
// A catalogue in a temporary data folder, a music folder tree built from the fixture files, and
// a stand-in for the main window that records what the import asked of it.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "import/ImportHost.h"
#include "import/MusicImport.h"
#include "platform/db/Database.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

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
        loads.append(folder + QLatin1Char('|') + fileName + (driveMode ? QStringLiteral("|drive") : QString()));
        last = imp.run(folder, fileName, driveMode);
    }

    std::function<void()> yield; // replaces the input yield when set
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

class ImportTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        auto &s = core::g();
        s.DataFolder = tmp.path() + QStringLiteral("/");
        s.DatabasePath = s.DataFolder + QStringLiteral("OVdata.mdb");
        testenv::copyEmptyCatalogue(s.DatabasePath);
        s.Db = platform::db::Database::open(s.DatabasePath);
        s.WinMajorVersion = 6;
        s.ProductName = QStringLiteral("Orvalis");
        s.ScreenFontName = QStringLiteral("Arial");
        music = tmp.path() + QStringLiteral("/music/");
        QDir().mkpath(music);
    }
    void TearDown() override {
        platform::ui::unloadAllForms();
        platform::ui::flushUnloadedForms();
        OrvalisTest::TearDown();
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

    platform::ui::ScriptedPrompts prompts;
    platform::ui::ScopedModalHook modal{[](QDialog *) {}};
    importtest::FakeHost host;
    QString music; // ends in "/"
};
