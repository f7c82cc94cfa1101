#pragma once
// A main window on a small catalogue in a temporary data folder. Songs are added through a
// table recordset; the window is loaded and activated as the start-up does.
#include "common/DataFolderTest.h"
#include "songlist/NameList.h"

#include <QVariantMap>

class SongListTest : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        core::g().ProgramFolderOverride = tmp.path();
        songlist::NameList::endProgramHook() = [this] { ++programEnded; };
        // A desktop screen, whatever the offscreen platform reports.
        platform::ui::setAvailableScreenOverride(QRect(0, 0, 1920, 1080));
    }
    void TearDown() override {
        unloadForms(); // while the window can still reach the recording hook
        songlist::NameList::endProgramHook() = {};
        platform::ui::setAvailableScreenOverride(QRect());
        DataFolderTest::TearDown();
    }

    void addSong(const QVariantMap &fields) {
        auto rs = core::g().Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
        rs->addNew();
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            rs->setValue(it.key(), it.value());
        rs->update();
        rs->close();
    }
    void addSongs(int n) {
        for (int i = 0; i < n; ++i)
            addSong({{"SongName", QStringLiteral("Song %1").arg(i)}, {"Artist", QStringLiteral("Artist %1").arg(i % 3)}});
    }
    void setRow(const QString &type, const QString &name, const QString &setting1 = {}) {
        auto &db = *core::g().Db;
        db.execute(QStringLiteral("Insert Into tblSettings (Type, Name, Setting1) Values ('%1', '%2', '%3')")
                       .arg(type, name, setting1));
    }
    int rowCount(const QString &type) {
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblSettings Where Type='%1'").arg(type));
        return int(rs->recordCount());
    }
    QString rowName(const QString &type) {
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblSettings Where Type='%1'").arg(type));
        return rs->recordCount() ? rs->value(QStringLiteral("Name")).toString() : QStringLiteral("<none>");
    }

    // Loads the main window and runs its first activation, as the start-up does.
    songlist::NameList *open(bool activate = true) {
        auto &s = core::g();
        s.ContactsTable = s.Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
        w = platform::ui::form<songlist::NameList>();
        w->Form_Load();
        if (activate)
            w->Form_Activate();
        return w;
    }
    QString source() const { return w->Data1->recordSource(); }
    QString currentSong() const { return w->currentText(QStringLiteral("SongName")); }

    songlist::NameList *w = nullptr;
    int programEnded = 0;
};
