#pragma once
// The main window over the ten songs of the commands fixture, with the category windows
// registered, and helpers that make categories and links with plain SQL.
#include "songlist/CommandsFixture.h"

#include "categories/RegisterWindows.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"

#include <sqlite3.h>

class CategoriesTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        categories::registerWindows();
    }

    // Adds a category (with the given number when above 0) and returns its number.
    qint64 addCategory(const QString &name, qint64 number = 0) {
        QString quoted = name;
        quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
        auto &db = *core::g().Db;
        if (number > 0)
            db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryNumber, CategoryDesc) Values (%1, '%2')")
                           .arg(number)
                           .arg(quoted));
        else
            db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values ('%1')").arg(quoted));
        return value(QStringLiteral("Select Max(CategoryNumber) from tblCategoryDesc")).toLongLong();
    }
    void link(qint64 song, qint64 category) {
        core::g().Db->execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (%1, %2)").arg(song).arg(category));
    }
    // RecordIDs of a category's songs, ascending, joined by ",".
    QString songsOf(qint64 category) {
        QStringList ids;
        auto rs = core::g().Db->openRecordset(
            QStringLiteral("Select ID from tblCategoryID Where CategoryNumber=%1 Order By ID").arg(category));
        for (; rs->recordCount() > 0 && !rs->eof(); rs->moveNext())
            ids << rs->value(0).toString();
        return ids.join(u',');
    }
    // Makes the database fail (not refuse a duplicate) when the link of one song is written.
    void failLinkOf(qint64 song, const char *when) {
        const QByteArray sql = QStringLiteral("CREATE TRIGGER fail BEFORE %1 ON tblCategoryID WHEN %2.ID = %3 "
                                              "BEGIN SELECT abs(-9223372036854775807 - 1); END")
                                   .arg(QString::fromLatin1(when),
                                        QString::fromLatin1(qstrcmp(when, "DELETE") == 0 ? "OLD" : "NEW"))
                                   .arg(song)
                                   .toUtf8();
        ASSERT_EQ(sqlite3_exec(core::g().Db->handle(), sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void dropFailure() {
        ASSERT_EQ(sqlite3_exec(core::g().Db->handle(), "DROP TRIGGER fail", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    QString categoryNames() {
        QStringList names;
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select CategoryDesc from tblCategoryDesc Order By CategoryDesc"));
        for (; rs->recordCount() > 0 && !rs->eof(); rs->moveNext())
            names << rs->value(0).toString();
        return names.join(u'|');
    }
    qint64 recordIdOf(const QString &song) {
        return value(QStringLiteral("Select RecordID from tblContacts Where SongName = '%1'").arg(song)).toLongLong();
    }
    // Text of a grid's cell as drawn.
    static QString cell(platform::ui::DbGrid *grid, int row, int column) {
        return grid->model()->data(grid->model()->index(row, column), Qt::DisplayRole).toString();
    }
    static QString column(platform::ui::DbGrid *grid, int column) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            out << cell(grid, r, column);
        return out.join(u'|');
    }
    static QString currentOf(platform::ui::DataControl *data, const char *field) {
        return data->hasCurrentRow() ? data->recordset()->value(QString::fromLatin1(field)).toString()
                                     : QStringLiteral("<no current row>");
    }
};
