// The catalogue file: opening, password, compact and repair, with damaged and foreign files.
#include "platform/db/SampleCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::db;

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(SampleDbTest, OpeningAMissingFileCreatesNothing) {
    const QString missing = tmp.file(QStringLiteral("nowhere/OVdata.mdb"));
    EXPECT_DB_ERROR(err::FileNotFound, Database::open(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_DB_ERROR(3204, Database::create(path, QStringLiteral("CREATE TABLE x (a)")));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

TEST_F(SampleDbTest, AForeignFileIsNotACatalogueAndRepairLeavesItAlone) {
    const QString text = tmp.file(QStringLiteral("notes.mdb"));
    const QByteArray bytes("These are my notes, not a database.\n");
    testenv::writeFile(text, bytes);
    EXPECT_DB_ERROR(err::NotACatalogue, Database::open(text));
    EXPECT_DB_ERROR(err::DatabaseDamaged, Database::repairDatabase(text));
    EXPECT_EQ(readAll(text), bytes);
    EXPECT_FALSE(QFileInfo::exists(text + QStringLiteral(".damaged")));

    const QString empty = tmp.file(QStringLiteral("empty.mdb"));
    testenv::writeFile(empty, QByteArray());
    EXPECT_DB_ERROR(err::NotACatalogue, Database::open(empty));
    EXPECT_EQ(QFileInfo(empty).size(), 0);

    const QString foreign = tmp.file(QStringLiteral("places.sqlite"));
    testenv::writeForeignDatabase(foreign);
    const QByteArray foreignBytes = readAll(foreign);
    EXPECT_DB_ERROR(err::NotACatalogue, Database::open(foreign));
    EXPECT_EQ(readAll(foreign), foreignBytes);

    // A catalogue whose tables cannot be read is damaged, not foreign: a repair may mend it.
    const QString damaged = tmp.file(QStringLiteral("damaged.mdb"));
    testenv::writeDamagedCatalogue(damaged);
    EXPECT_DB_ERROR(err::DatabaseDamaged, Database::open(damaged));
}

// One number read with plain SQLite.
qint64 number(sqlite3 *db, const char *sql) {
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    const qint64 n = s && sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    return n;
}

// Closes the catalogue and writes over the page of the layer's own table of settings, as a
// failing disk would: the file no longer opens, and every other table can still be read.
void damageMetaPage(Database &db, const QString &path) {
    const qint64 page = number(db.handle(), "SELECT rootpage FROM sqlite_master WHERE name = 'orv_meta'");
    const qint64 pageSize = number(db.handle(), "PRAGMA page_size");
    db.close();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek((page - 1) * pageSize);
    f.write(QByteArray(int(pageSize), '\x5a'));
}

// Every row of every table but the damaged one and the counters, as text, table by table in
// key order.
QStringList contents(sqlite3 *db) {
    QStringList out;
    sqlite3_stmt *tables = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN "
                           "('orv_meta', 'sqlite_sequence') ORDER BY name", -1, &tables, nullptr);
    while (sqlite3_step(tables) == SQLITE_ROW) {
        const QString table = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(tables, 0)));
        sqlite3_stmt *rows = nullptr;
        sqlite3_prepare_v2(db, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8().constData(),
                           -1, &rows, nullptr);
        while (sqlite3_step(rows) == SQLITE_ROW) {
            QStringList values{table};
            for (int i = 0; i < sqlite3_column_count(rows); ++i)
                values << (sqlite3_column_type(rows, i) == SQLITE_NULL
                               ? QStringLiteral("<null>")
                               : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(rows, i))));
            out << values.join(u'|');
        }
        sqlite3_finalize(rows);
    }
    sqlite3_finalize(tables);
    return out;
}

TEST_F(SampleDbTest, RepairRebuildsADamagedCatalogueAndKeepsTheOriginal) {
    const QStringList stored = contents(db->handle());
    damageMetaPage(*db, path);
    const QByteArray damagedBytes = readAll(path);
    EXPECT_DB_ERROR(err::DatabaseDamaged, Database::open(path));

    Database::repairDatabase(path);
    EXPECT_EQ(readAll(path + QStringLiteral(".damaged")), damagedBytes);
    db = Database::open(path);
    // Songs, categories, play lists, settings and saved queries come back as they were.
    EXPECT_EQ(contents(db->handle()), stored);
    EXPECT_TRUE(db->hasQueryDef(QStringLiteral("qryContacts")));
    EXPECT_EQ(raw(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    auto rs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    rs->setIndex(QStringLiteral("PathFile")); // the indexes are back under their names
    rs->seek(QStringLiteral("="), {QStringLiteral("/music/Björk/"), QStringLiteral("hunter.flac")});
    EXPECT_EQ(rs->value("RecordID").toLongLong(), 9);
    rs->addNew();
    rs->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT max(RecordID) FROM tblContacts")), QString::number(sample::kSongCount + 1));
}

// A new song given the key of a deleted one would inherit its play-list tracks, notes and
// pictures, which name songs by RecordID.
TEST_F(SampleDbTest, ARepairedCatalogueGivesNewSongsKeysAboveEveryOneGivenBefore) {
    db->execute(QStringLiteral("Delete * from tblContacts Where RecordID > %1").arg(sample::kSongCount - 3));
    damageMetaPage(*db, path);
    Database::repairDatabase(path);
    db = Database::open(path);
    auto rs = open(QStringLiteral("tblContacts"), RecordsetType::Table);
    rs->addNew();
    rs->setValue("SongName", QStringLiteral("New"));
    rs->update();
    EXPECT_EQ(raw(QStringLiteral("SELECT RecordID FROM tblContacts WHERE SongName = 'New'")),
              QString::number(sample::kSongCount + 1));
}

// The damaged original is kept as it was, rows only its log holds included; the rebuilt
// catalogue has those rows and no log of the old file beside it.
TEST_F(SampleDbTest, RepairOfACatalogueWithALiveLogKeepsTheLogBesideTheDamagedCopy) {
    sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('Only in the log')"));
    damageMetaPage(*db, path);
    const QByteArray damagedBytes = readAll(path), log = readAll(path + QStringLiteral("-wal"));
    ASSERT_FALSE(log.isEmpty());

    Database::repairDatabase(path);
    EXPECT_EQ(readAll(path + QStringLiteral(".damaged")), damagedBytes);
    EXPECT_EQ(readAll(path + QStringLiteral(".damaged-wal")), log);
    EXPECT_EQ(QFileInfo(path + QStringLiteral("-wal")).size(), 0);
    db = Database::open(path);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE SongName = 'Only in the log'")),
              QStringLiteral("1"));
    EXPECT_EQ(raw(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST_F(SampleDbTest, PasswordGatesOpeningAndIsNotStoredAsText) {
    db->newPassword(QString(), QStringLiteral("s3cret-Word"));
    EXPECT_DB_ERROR(err::NotValidPassword, db->newPassword(QStringLiteral("wrong"), QStringLiteral("x")));
    db->close();
    EXPECT_FALSE(readAll(path).contains("s3cret-Word"));
    EXPECT_DB_ERROR(err::NotValidPassword, Database::open(path));
    EXPECT_DB_ERROR(err::NotValidPassword, Database::open(path, OpenMode::Shared, QStringLiteral(";pwd=S3CRET-WORD")));
    db = Database::open(path, OpenMode::Exclusive, QStringLiteral(";pwd=s3cret-Word"));
    db->newPassword(QStringLiteral("s3cret-Word"), QString());
    db->close();
    db = Database::open(path);
    EXPECT_TRUE(db->isOpen());
}

TEST_F(SampleDbTest, CompactCopiesEverythingAndReplacesOnlyOnSuccess) {
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = %1").arg(sample::kSongCount));
    db->close();
    const QString copy = tmp.file(QStringLiteral("OVdata.mdb.temp"));
    Database::compactDatabase(path, copy);
    EXPECT_DB_ERROR(3204, Database::compactDatabase(path, copy));
    Database::compactDatabase(path, QString()); // in place
    for (const QString &file : {copy, path}) {
        auto c = Database::open(file);
        auto rs = c->openRecordset(QStringLiteral("tblContacts"), RecordsetType::Table);
        EXPECT_EQ(rs->recordCount(), sample::kSongCount - 1);
        rs->addNew();
        EXPECT_EQ(rs->value("RecordID").toLongLong(), sample::kSongCount + 1) << "counter continues after compact";
        rs->cancelUpdate();
        EXPECT_TRUE(c->hasQueryDef(QStringLiteral("qryContacts")));
    }
    EXPECT_DB_ERROR(err::FileNotFound, Database::compactDatabase(tmp.file(QStringLiteral("none.mdb")), QString()));
    const QString text = tmp.file(QStringLiteral("text.mdb"));
    testenv::writeFile(text, "plain text");
    EXPECT_DB_ERROR(err::NotACatalogue, Database::compactDatabase(text, QString()));
    EXPECT_EQ(readAll(text), QByteArray("plain text"));
    db = Database::open(path);
}

} // namespace

// --- Deleting a list of songs, and a compacted copy taking the catalogue's place ------------------

namespace {

TEST_F(SampleDbTest, ExecuteEachRunsOneStatementPerRowInsideTheCallersTransaction) {
    const QString del = QStringLiteral("Delete from tblContacts Where RecordID = ?");
    const QList<QVariantList> rows = {{3}, {999}, {16}, {3}};  // one missing, one twice
    {
        Transaction t(*db);
        EXPECT_EQ(db->executeEach(del, rows), 2);
    }  // rolled back
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    Transaction t(*db);
    EXPECT_EQ(db->executeEach(del, rows), 2);
    t.commit();
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE RecordID IN (3, 16)")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount - 2));
    EXPECT_EQ(db->executeEach(del, {}), 0);
    EXPECT_DB_ERROR(3001, db->executeEach(del, {{1}, {2, 3}}));
    EXPECT_DB_ERROR(err::SyntaxError, db->executeEach(del, {QVariantList{}}));  // as execute() without values
}

TEST_F(SampleDbTest, ACatalogueClosedWithALiveLogIsCompactedIntoACopyThatTakesItsPlace) {
    // Rows that only the log holds when the catalogue is closed, as after a crash.
    sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    db->execute(QStringLiteral("Delete * from tblContacts Where RecordID < 5"));
    db->execute(QStringLiteral("Insert Into tblContacts (SongName) Values ('Only in the log')"));
    db->close();
    ASSERT_GT(QFileInfo(path + QStringLiteral("-wal")).size(), 0);

    const QString copy = path + QStringLiteral(".temp");
    Database::compactDatabase(path, copy);
    testenv::writeFile(path + QStringLiteral("-wal"), QByteArray());     // an empty log and a stale
    testenv::writeFile(path + QStringLiteral("-shm"), QByteArray(64, 'z'));  // index must not survive
    Database::replaceWithCopy(copy, path);
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-shm")));

    db = Database::open(path);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount - 4 + 1));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts WHERE SongName = 'Only in the log'")),
              QStringLiteral("1"));
    EXPECT_EQ(raw(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST_F(SampleDbTest, ACatalogueAnotherProgramHoldsOpenIsNotReplaced) {
    db->execute(QStringLiteral("Update tblContacts Set Genre = 'Held' Where RecordID = 1"));  // its log is live
    const QString copy = tmp.file(QStringLiteral("copy.mdb"));
    Database::compactDatabase(path, copy);
    EXPECT_DB_ERROR(err::Locked, Database::replaceWithCopy(copy, path));
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(raw(QStringLiteral("SELECT Genre FROM tblContacts WHERE RecordID = 1")), QStringLiteral("Held"));
    EXPECT_DB_ERROR(err::FileNotFound, Database::replaceWithCopy(tmp.file(QStringLiteral("none")), path));
}

// A copy that takes the catalogue's place keeps who may read it: the permission bits, and the
// group where this user may give it (root may give any).
TEST_F(SampleDbTest, ACompactedOrRepairedCatalogueKeepsItsOwnersAccess) {
    db->close();
    const auto access = [](const QString &file) {
        struct stat st {};
        ::stat(QFile::encodeName(file).constData(), &st);
        return std::pair<mode_t, gid_t>(st.st_mode & 07777, st.st_gid);
    };
    const gid_t otherGroup = ::getuid() == 0 ? gid_t(4242) : ::getgid();
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), uid_t(-1), otherGroup), 0);
    for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664)}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        const std::pair<mode_t, gid_t> before{mode, otherGroup};

        Database::compactDatabase(path, QString()); // in place
        EXPECT_EQ(access(path), before);

        // The upkeep command's road: a copy beside the file, then the copy in its place. The
        // copy is no more open than the catalogue while it waits there.
        const QString copy = path + QStringLiteral(".temp");
        Database::compactDatabase(path, copy);
        EXPECT_EQ(access(copy), before);
        ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), 0644), 0); // made some other way
        Database::replaceWithCopy(copy, path);
        EXPECT_EQ(access(path), before);

        Database::repairDatabase(path);
        EXPECT_EQ(access(path), before);
        QFile::remove(path + QStringLiteral(".damaged"));
    }
    db = Database::open(path);
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
}

} // namespace

// --- Compaction bringing an older catalogue's indexes up to the schema ---------------------------

namespace {

TEST_F(SampleDbTest, CompactionMakesTheSchemasMissingIndexesAndLeavesOutAUniqueOneTheRowsBreak) {
    db->close();
    // Artist repeats in the sample rows, so a unique index on it cannot be made.
    const QString schema = QStringLiteral(
        "CREATE TABLE x (a);\n"
        "-- CREATE INDEX tblContacts_Commented ON tblContacts (Genre);\n"
        "CREATE INDEX tblContacts__SongName ON tblContacts (SongName);\n"
        "CREATE UNIQUE INDEX tblContacts_UniqueArtist ON tblContacts (Artist);\n"
        "CREATE INDEX tblContacts_ArtistSong\n    ON tblContacts (Artist, SongName);\n");
    Database::compactDatabase(path, QString(), schema);
    db = Database::open(path);
    const auto indexed = [this](const char *name) {
        return raw(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '%1'")
                       .arg(QLatin1String(name))) == QStringLiteral("1");
    };
    EXPECT_TRUE(indexed("tblContacts_ArtistSong"));
    EXPECT_TRUE(indexed("tblContacts__SongName"));
    EXPECT_FALSE(indexed("tblContacts_UniqueArtist"));
    EXPECT_FALSE(indexed("tblContacts_Commented"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'x'")), QStringLiteral("0"));
    EXPECT_EQ(raw(QStringLiteral("SELECT count(*) FROM tblContacts")), QString::number(sample::kSongCount));
    EXPECT_EQ(raw(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

} // namespace
