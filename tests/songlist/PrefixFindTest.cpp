// FindFirst and FindNext of `field Like "text*"` on the field that leads the grid's order (what the
// incremental search sends) search the ordered rows by halves: they must land where the row by row
// find lands, for every sort, for case and accent variants that sort together but match apart, in
// a filtered view, and once the rows have been changed out of their order.
#include "platform/db/SampleCatalogue.h"

#include "songlist/SortOrders.h"

using namespace platform::db;
using songlist::SortOrders;

namespace {

class PrefixFindTest : public SampleDbTest {
protected:
    void SetUp() override {
        SampleDbTest::SetUp();
        // Names that sort among one another but that Like tells apart.
        for (const char *artist : {"Edith Wharton", "eden", "Ébène", "EDITH", "Édith Piaf", "edi", "Zoë", "zoe"})
            db->execute(QStringLiteral("Insert Into tblContacts (SongName, Artist, AlbumName, Genre, Year, Rating, "
                                       "PathName, FileName) Values ('%1 song', '%1', '%1 album', 'Rock', '1999', "
                                       "'**', '/e/%1/', '%1.mp3')")
                            .arg(QString::fromUtf8(artist)));
    }

    // The texts to look for in a field: the starts of every stored value, in several spellings,
    // and texts that match nothing.
    QStringList prefixes(Recordset &rs, const QString &field) {
        QStringList out{QString(), QStringLiteral("zzz"), QStringLiteral("e"), QStringLiteral("é"), QStringLiteral("É"),
                        QStringLiteral("Ed"), QStringLiteral("Éd"), QStringLiteral("zo"), QStringLiteral("zoë")};
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            const QString v = rs.value(field).toString();
            for (int len : {1, 2, 4, 100})
                out << v.left(len) << v.left(len).toUpper() << v.left(len).toLower();
        }
        out.removeDuplicates();
        out.removeIf([](const QString &t) {
            return t.contains(u'"') || t.contains(u'*') || t.contains(u'?') || t.contains(u'#') || t.contains(u'[');
        });
        return out;
    }

    static void moveTo(Recordset &rs, long p) {
        rs.moveFirst();
        if (p > 0) rs.move(p);
    }

    // Where a find leaves the recordset: its position, or -1 with no match.
    static long landing(Recordset &rs, bool next, const QString &criteria) {
        next ? rs.findNext(criteria) : rs.findFirst(criteria);
        return rs.noMatch() ? -1 : rs.absolutePosition();
    }

    // Compares the searched find with the row by row one (the same criteria in parentheses, which
    // the search by halves does not take) from the top and from each of a few starting rows.
    void expectSameLandings(Recordset &rs, const QString &field, const std::string &what) {
        const long n = rs.recordCount();
        for (const QString &text : prefixes(rs, field)) {
            const QString fast = field + QStringLiteral(" like \"") + text + QStringLiteral("*\"");
            const QString slow = u'(' + fast + u')';
            EXPECT_EQ(landing(rs, false, fast), landing(rs, false, slow)) << what << " FindFirst " << fast.toStdString();
            for (long from : {0L, n / 3, n / 2, std::max(0L, n - 2)}) {
                moveTo(rs, from);
                const long a = landing(rs, true, fast);
                moveTo(rs, from);
                EXPECT_EQ(a, landing(rs, true, slow)) << what << " FindNext from " << from << " " << fast.toStdString();
            }
        }
    }
};

TEST_F(PrefixFindTest, TheSearchedFindLandsWhereTheRowByRowFindLandsOverEverySort) {
    for (const auto &sort : SortOrders::all()) {
        for (const QString &where : {QString(), QStringLiteral(" Where Selected = 'x' Or Artist Like 'E*'")}) {
            auto rs = open(QStringLiteral("Select * from  tblContacts") + where + sort.orderBy);
            expectSameLandings(*rs, sort.index == QLatin1String("Bitrate") ? QStringLiteral("bitRate") : sort.index,
                               sort.name.toStdString() + where.toStdString());
        }
    }
}

TEST_F(PrefixFindTest, TheSearchedFindLandsRightInACategoryViewAndInASnapshot) {
    auto joined = open(QStringLiteral("Select * From qryContacts Where CategoryNumber = 1 Order By Artist, SongName"));
    expectSameLandings(*joined, QStringLiteral("Artist"), "category");
    auto snapshot = open(QStringLiteral("Select * from  tblContacts Order By SongName, Artist"), RecordsetType::Snapshot);
    expectSameLandings(*snapshot, QStringLiteral("SongName"), "snapshot");
}

TEST_F(PrefixFindTest, RowsChangedOutOfTheirOrderAreStillFound) {
    auto rs = open(QStringLiteral("Select * from  tblContacts Order By Artist, SongName"));
    // The first row now sorts last, but the list keeps its place until it is read again.
    rs->moveFirst();
    rs->edit();
    rs->setValue("Artist", QStringLiteral("Zzz Last"));
    rs->update();
    EXPECT_EQ(landing(*rs, false, QStringLiteral("Artist like \"Zzz*\"")), 0);
    // A new row sits at the end of the list whatever its name.
    rs->addNew();
    rs->setValue("Artist", QStringLiteral("Aardvark"));
    rs->update();
    EXPECT_EQ(landing(*rs, false, QStringLiteral("Artist like \"Aard*\"")), rs->recordCount() - 1);
    expectSameLandings(*rs, QStringLiteral("Artist"), "edited");
}

} // namespace
