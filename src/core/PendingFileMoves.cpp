#include "core/PendingFileMoves.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/ui/PromptService.h"

namespace core {

namespace db = platform::db;
namespace ui = platform::ui;

namespace {

QString kind() { return QString::fromLatin1(SettingsRows::FileMove); }

// The song's name for the message; "" when the song is gone or has none.
QString songName(qint64 recordId) {
    auto rs = g().Db->openRecordset(QStringLiteral("Select SongName from tblContacts Where RecordID=?"), {recordId});
    return rs->eof() ? QString() : rs->value(0).toString();
}

// Applies one recorded move and deletes its row; true when the user is to be told that the file
// was found at neither path.
bool finish(const PendingFileMove &m) {
    auto &database = *g().Db;
    const bool atNew = mCommon::FileAt(m.to);
    db::Transaction t(database);
    if (atNew) {
        PendingFileMoves::pointSongAt(m.recordId, m.to);
        database.execute(PendingFileMoves::playListUpdateSql(), {m.to, m.from});
    }
    PendingFileMoves::clear({m});
    t.commit();
    return !atNew && !mCommon::FileAt(m.from);
}

} // namespace

QString PendingFileMoves::playListUpdateSql() {
    return QStringLiteral("Update tblPlayListDetail Set FileName=? Where FileName=?");
}

QString PendingFileMoves::songUpdateSql() {
    return QStringLiteral("Update tblContacts Set PathName=?, FileName=? Where RecordID=?");
}

void PendingFileMoves::pointSongAt(qint64 recordId, const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    g().Db->execute(songUpdateSql(), {path.left(slash + 1), path.mid(slash + 1), recordId});
}

QString PendingFileMoves::notFoundText(const QString &song, const QString &from, const QString &to) {
    return QStringLiteral("The music file of %1 was not found at %2 or %3.").arg(song, from, to);
}

void PendingFileMoves::record(const QList<PendingFileMove> &moves) {
    db::Transaction t(*g().Db);
    for (const PendingFileMove &m : moves)
        SettingsRows::writeNamed(SettingsRow{kind(), QString::number(m.recordId), m.from, m.to});
    t.commit();
}

void PendingFileMoves::clear(const QList<PendingFileMove> &moves) {
    for (const PendingFileMove &m : moves)
        SettingsRows::deleteNamed(kind(), QString::number(m.recordId));
}

QList<PendingFileMove> PendingFileMoves::recorded() {
    QList<PendingFileMove> moves;
    for (const QString &name : SettingsRows::names(kind())) {
        const auto row = SettingsRows::readNamed(kind(), name);
        if (row)
            moves << PendingFileMove{name.trimmed().toLongLong(), row->setting1.value_or(QString()),
                                     row->setting8.value_or(QString())};
    }
    return moves;
}

void PendingFileMoves::recover() {
    QList<PendingFileMove> moves;
    try {
        moves = recorded();
    } catch (const db::DbError &) {
        return; // a catalogue whose settings cannot be read fails where they are needed
    }
    for (const PendingFileMove &m : moves) {
        try {
            if (finish(m))
                ui::msgBox(notFoundText(songName(m.recordId), m.from, m.to), ui::Buttons::OK, ui::Icon::Exclamation,
                           QStringLiteral("Music file not found"));
        } catch (const db::DbError &) {
            // Kept for the next start: the catalogue could not take the change now.
        }
    }
}

} // namespace core
