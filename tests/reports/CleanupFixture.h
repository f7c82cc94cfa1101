#pragma once
// The main window with the clean-up commands registered, music files made in the test's
// folder, and helpers that read values back and make the database refuse a write.
#include "ReportsFixture.h"

#include "common/TestEnv.h"
#include "platform/db/Database.h"
#include "songlist/OtherWindows.h"

#include <QDir>
#include <QStringList>
#include <sqlite3.h>

class CleanupTest : public ReportsTest {
protected:
    QString music() const { return tmp.path() + QStringLiteral("/music/"); }
    // An empty file below the music folder.
    QString makeFile(const QString &relative, const QByteArray &bytes = {}) {
        const QString path = music() + relative;
        testenv::writeFile(path, bytes);
        return path;
    }
    void songAt(const QString &name, const QVariant &pathName, const QVariant &fileName, const QVariantMap &more = {}) {
        QVariantMap f = more;
        f.insert(QStringLiteral("PathName"), pathName);
        f.insert(QStringLiteral("FileName"), fileName);
        song(name, QStringLiteral("Artist"), f);
    }
    void track(const QString &fileName) {
        core::g().Db->execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, FileName) Values (1, ?, ?)"),
                              {++tracks_, fileName});
    }
    // The values of a plain SQLite query, "|" between rows, Null as <null>.
    QString raw(const QString &sql) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(core::g().Db->handle(), sql.toUtf8().constData(), -1, &st, nullptr);
        QStringList out;
        while (st && sqlite3_step(st) == SQLITE_ROW)
            out << (sqlite3_column_type(st, 0) == SQLITE_NULL
                        ? QStringLiteral("<null>")
                        : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
        sqlite3_finalize(st);
        return out.join(u'|');
    }
    QString orphanIds() {
        return raw(QStringLiteral("SELECT RecordIdOrphan FROM tblOrphanFileNames ORDER BY 1")).replace(u'|', u',');
    }
    // Makes the database refuse a statement of this kind on the table ("INSERT", "UPDATE").
    void refuse(const char *table, const char *what) {
        const QByteArray sql = QByteArray("CREATE TRIGGER refuse_") + table + " BEFORE " + what + " ON " + table +
                               " BEGIN SELECT RAISE(ABORT, 'Refused by the test'); END";
        ASSERT_EQ(sqlite3_exec(core::g().Db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    // The description of the refusal.
    const QString Refused = QStringLiteral("The value is prohibited by a rule of the table: Refused by the test");
    QString lastTitle() const { return prompts.lastAsked() ? prompts.lastAsked()->title : QString(); }

private:
    int tracks_ = 0;
};
