// Finds in views too long to try row by row: past the first rows the matches are looked up in
// batches of growing size and, far on, by one pass over the source; criteria an index answers
// go to that pass at once. Each find must land on the first matching row in the view's order
// and direction, wherever it lies: just past the rows tried one by one, across a batch's edge,
// at the far end, or nowhere.
#include "platform/db/SampleCatalogue.h"

using namespace platform::db;

namespace {

constexpr int kRows = 12000;

class LongViewFind : public SampleDbTest {
protected:
    void SetUp() override {
        SampleDbTest::SetUp();
        sqlite3 *h = db->handle();
        sample::run(h, "BEGIN");
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(h, "INSERT INTO tblContacts (SongName, Artist, Notes, PathName) VALUES (?, ?, ?, ?)", -1, &s,
                           nullptr);
        for (int i = 0; i < kRows; ++i) {
            // Song names scrambled against the row ids, so the view's order is not the table's.
            const QByteArray song = QStringLiteral("Long %1").arg((i * 7919) % kRows, 5, 10, QLatin1Char('0')).toUtf8();
            const QByteArray note = QStringLiteral("n%1").arg(i % 1999).toUtf8();
            sqlite3_bind_text(s, 1, song.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, "Many", -1, SQLITE_STATIC);
            sqlite3_bind_text(s, 3, note.constData(), -1, SQLITE_TRANSIENT);
            // The folder follows the note, so the same rows match through the folders' index.
            const QByteArray folder = "/m/" + note + "/";
            sqlite3_bind_text(s, 4, folder.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        sample::run(h, "COMMIT");
    }
};

TEST_F(LongViewFind, EachFindLandsOnTheFirstMatchInTheViewsOrderAndDirection) {
    for (const auto type : {RecordsetType::Dynaset, RecordsetType::Table}) {
        auto rs = type == RecordsetType::Table
                      ? open(QStringLiteral("tblContacts"), RecordsetType::Table)
                      : open(QStringLiteral("Select * from tblContacts Where Artist = 'Many' Order By SongName DESC"));
        if (type == RecordsetType::Table)
            rs->setIndex(QStringLiteral("SongName"));
        const QStringList notes = column(*rs, QStringLiteral("Notes"));
        const long n = long(notes.size());
        ASSERT_GE(n, kRows);
        // Where each find should land: the first row from `from` on, in `dir`, with that note.
        const auto expected = [&](const QString &note, long from, int dir) {
            for (long p = from; p >= 0 && p < n; p += dir)
                if (notes[p] == note) return p;
            return -1L;
        };
        const auto at = [&](long p) {
            rs->moveFirst();
            if (p > 0) rs->move(p);
        };
        // Notes whose first row lies just past the rows tried one by one, around the batches'
        // edges, far on, and one that no row has.
        QStringList targets{QStringLiteral("nobody")};
        for (long p : {64L, 65L, 70L, 64L + 256, 64L + 257, 64L + 1280, 64L + 1281, 3000L, long(n) - 1})
            if (notes[p].startsWith(u'n')) // not one of the sample's songs without notes
                targets << notes[p];
        for (const QString &note : targets)
            for (const QString &criteria :
                 {QStringLiteral("Notes = \"%1\"").arg(note), QStringLiteral("PathName = \"/m/%1/\"").arg(note)}) {
                const std::string what =
                    criteria.toStdString() + (type == RecordsetType::Table ? " table" : " dynaset");
                rs->findFirst(criteria);
                EXPECT_EQ(rs->noMatch() ? -1 : rs->absolutePosition(), expected(note, 0, 1)) << "first " << what;
                rs->findLast(criteria);
                EXPECT_EQ(rs->noMatch() ? -1 : rs->absolutePosition(), expected(note, n - 1, -1)) << "last " << what;
                for (long from : {10L, n / 2, n - 100}) {
                    at(from);
                    rs->findNext(criteria);
                    EXPECT_EQ(rs->noMatch() ? -1 : rs->absolutePosition(), expected(note, from + 1, 1))
                        << "next " << what;
                    at(from);
                    rs->findPrevious(criteria);
                    EXPECT_EQ(rs->noMatch() ? -1 : rs->absolutePosition(), expected(note, from - 1, -1))
                        << "previous " << what;
                }
            }
    }
}

} // namespace
