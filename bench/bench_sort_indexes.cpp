// What the indexes covering the grid's sorts cost the views they do not serve, over a catalogue
// of 40,000 songs made as the program makes one and then compacted:
// - the category view of a category holding 10, 1,000 and 20,000 songs, in the Song Name order,
//   until the grid has painted its first rows;
// - Find across all fields under the Artist sort, until the grid shows the found songs.
// Each runs with the sort indexes (second argument 1) and without them (0, an older catalogue),
// and with the index of each category's songs (last argument 1) or without it (0, as before it
// came), all in the same run. Baseline: the same SQL stepped to its end through plain SQLite.
// Goal: with the sort indexes and the category index, each is at least as fast as without the
// sort indexes.
#include "categories/CategoryView.h"
#include "core/AppState.h"
#include "core/CatalogueSchema.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "songlist/FindAllFields.h"
#include "songlist/NameList.h"
#include "songlist/SortOrders.h"

#include "BenchCatalogue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QRegularExpression>

namespace {

constexpr int kSongs = 40000;
// Categories 1, 2 and 3 hold 10, 1,000 and 20,000 songs, spread over the catalogue.
constexpr int kCategorySizes[] = {10, 1000, 20000};
const char kFindText[] = "Album 77";

songlist::NameList *window = nullptr;
bench::MainWindowSession *session = nullptr;

void exec(const char *sql) { sqlite3_exec(core::g().Db->handle(), sql, nullptr, nullptr, nullptr); }

// The catalogue with or without the sort indexes, and with or without the index of each
// category's songs, each made as the schema and the compaction make them.
void useCatalogue(bool sortIndexes, bool fix) {
    static int current = -1;
    if (current == int(sortIndexes) * 2 + int(fix)) return;
    current = int(sortIndexes) * 2 + int(fix);
    static const QRegularExpression createIndex(
        QStringLiteral("CREATE INDEX ((tblContacts_Sort|tblCategoryID_Category)\\w*)\\s+ON [^;]*;"));
    for (auto it = createIndex.globalMatch(core::CatalogueSchema::sql()); it.hasNext();) {
        const auto m = it.next();
        const bool present = m.captured(2) == QLatin1String("tblCategoryID_Category") ? fix : sortIndexes;
        exec((present ? m.captured(0).replace(QLatin1String("CREATE INDEX"), QLatin1String("CREATE INDEX IF NOT EXISTS"))
                      : QStringLiteral("DROP INDEX IF EXISTS ") + m.captured(1))
                 .toUtf8()
                 .constData());
    }
}

std::string variant(const benchmark::State &state, int at) {
    return std::string(state.range(at) ? ", with the sort indexes" : ", without the sort indexes") +
           (state.range(at + 1) ? ", category index" : ", no category index");
}

// Show selected in the category window, up to the grid's first painted rows.
void BM_CategoryView(benchmark::State &state) {
    const qint64 category = state.range(0);
    useCatalogue(state.range(1) != 0, state.range(2) != 0);
    core::g().OrderByClause = songlist::SortOrders::lookup(QStringLiteral("Song Name")).orderBy;
    state.SetLabel(std::to_string(kCategorySizes[category - 1]) + " songs" + variant(state, 1));
    for (auto _ : state) {
        categories::CategoryView(*window).showCategory(category, QStringLiteral("Category"));
        window->Table1->viewport()->repaint();
    }
    state.counters["rows"] = double(window->recordCount());
}
BENCHMARK(BM_CategoryView)->ArgsProduct({{1, 2, 3}, {1, 0}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_PlainSqliteCategoryView(benchmark::State &state) {
    auto &db = *core::g().Db;
    const qint64 category = state.range(0);
    useCatalogue(state.range(1) != 0, state.range(2) != 0);
    const QByteArray sql = db.translate(QStringLiteral("Select * from  qryContacts Where ") +
                                        categories::CategoryView::categoryClause(category) +
                                        songlist::SortOrders::lookup(QStringLiteral("Song Name")).orderBy)
                               .toUtf8();
    state.SetLabel(std::to_string(kCategorySizes[category - 1]) + " songs" + variant(state, 1));
    long rows = 0;
    for (auto _ : state)
        rows = bench::stepToEnd(db.handle(), sql);
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_PlainSqliteCategoryView)->ArgsProduct({{1, 2, 3}, {1, 0}, {0, 1}})->Unit(benchmark::kMillisecond);

// The WHERE body the find builds for its text over the songs' fields.
QString findBody() {
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts"));
    QStringList fields;
    for (int i = 0; i < rs->fieldCount(); ++i)
        fields << rs->fieldName(i);
    return songlist::FindAllFields::whereBody(fields, QString::fromLatin1(kFindText));
}

// Find across all fields under the Artist sort, from the answer to the found songs shown.
void BM_ArtistSortFind(benchmark::State &state) {
    useCatalogue(state.range(0) != 0, state.range(1) != 0);
    state.SetLabel(variant(state, 0).substr(2));
    long found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window->ShowAllMenu_Click();
        window->setSortText(QStringLiteral("Artist"));
        session->prompts->answerInput(QString::fromLatin1(kFindText));
        state.ResumeTiming();
        window->FindEditMenu_Click();
        window->Table1->viewport()->repaint();
        found = window->recordCount();
    }
    state.counters["rows"] = double(found);
}
BENCHMARK(BM_ArtistSortFind)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_PlainSqliteArtistSortFind(benchmark::State &state) {
    auto &db = *core::g().Db;
    useCatalogue(state.range(0) != 0, state.range(1) != 0);
    state.SetLabel(variant(state, 0).substr(2));
    const QByteArray sql = db.translate(QStringLiteral("Select DISTINCTROW * from  tblContacts Where ") +
                                        findBody() +
                                        songlist::SortOrders::lookup(QStringLiteral("Artist")).orderBy)
                               .toUtf8();
    long rows = 0;
    for (auto _ : state)
        rows = bench::stepToEnd(db.handle(), sql);
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_PlainSqliteArtistSortFind)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMillisecond);

// Plain SQLite: the key list the grid's dynaset reads for the find view, walking the sort index
// for the order (walk=1, as the dynaset read it before), or in one pass with a sort of the songs
// found (walk=0, as it reads it now).
void BM_PlainSqliteFindKeyList(benchmark::State &state) {
    auto &db = *core::g().Db;
    useCatalogue(state.range(0) != 0, true);
    const bool walk = state.range(1) != 0;
    state.SetLabel(variant(state, 0).substr(2, variant(state, 0).find(',', 2) - 2) + (walk ? ", index walk" : ", one pass"));
    const QString body = db.translate(QStringLiteral("Select * from tblContacts Where ") +
                                      findBody());
    const QByteArray sql = (QStringLiteral("SELECT tblContacts.rowid") + body.mid(body.indexOf(QStringLiteral(" FROM "))) +
                            (walk ? QStringLiteral(" ORDER BY Artist, SongName, tblContacts.RecordID")
                                  : QStringLiteral(" ORDER BY +Artist, +SongName, +tblContacts.RecordID")))
                               .toUtf8();
    long rows = 0;
    for (auto _ : state)
        rows = bench::stepToEnd(db.handle(), sql);
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_PlainSqliteFindKeyList)->ArgsProduct({{1, 0}, {1, 0}})->Unit(benchmark::kMillisecond);

// The catalogue: made from the build's empty one, filled, its categories linked, then compacted.
void makeCatalogue(const QString &path) {
    bench::copyEmptyCatalogue(path);
    {
        auto db = platform::db::Database::open(path);
        bench::fillSongs(*db, kSongs);
        sqlite3 *h = db->handle();
        sqlite3_exec(h, "INSERT INTO tblCategoryDesc (CategoryNumber, CategoryDesc) VALUES (1, 'Ten'), (2, 'Thousand'), "
                        "(3, 'Half')", nullptr, nullptr, nullptr);
        for (int c = 0; c < 3; ++c) {
            const QByteArray link = QStringLiteral("INSERT INTO tblCategoryID (ID, CategoryNumber) SELECT RecordID, %1 FROM "
                                                   "tblContacts WHERE RecordID % %2 = 0")
                                        .arg(c + 1)
                                        .arg(kSongs / kCategorySizes[c])
                                        .toUtf8();
            sqlite3_exec(h, link.constData(), nullptr, nullptr, nullptr);
        }
    }
    platform::db::Database::compactDatabase(path, QString(), core::CatalogueSchema::sql());
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir config;
    bench::prepareOffscreen(config);
    QApplication app(argc, argv);
    bench::nameBenchApplication();
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/OVdata.mdb");
    makeCatalogue(path);
    {
        bench::MainWindowSession s(path);
        session = &s;
        window = s.window;
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}
