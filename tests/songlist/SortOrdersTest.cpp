// The sort table and the cut of a record source at its ORDER BY tail.
#include "songlist/SortOrders.h"

#include <gtest/gtest.h>

using songlist::SortOrders;

TEST(SortOrders, ListHoldsTheTwentyThreeSortsInListOrder) {
    const QStringList names = SortOrders::names();
    ASSERT_EQ(names.size(), 23);
    EXPECT_EQ(names.first(), QStringLiteral("Album Name"));
    EXPECT_EQ(names.last(), QStringLiteral("Year"));
    EXPECT_EQ(SortOrders::lookup(QStringLiteral("Date Updated")).orderBy, QStringLiteral(" Order By DateUpdated DESC"));
    EXPECT_EQ(SortOrders::lookup(QStringLiteral("Type")).index, QStringLiteral("FileType"));
}

TEST(SortOrders, UnknownAndEmptyTextsFallBackToSongName) {
    for (const char *t : {"", "song name", "Nonsense"}) {
        EXPECT_EQ(SortOrders::lookup(QString::fromLatin1(t)).orderBy, QStringLiteral(" Order By SongName, Artist")) << t;
        EXPECT_EQ(SortOrders::lookup(QString::fromLatin1(t)).index, QStringLiteral("SongName")) << t;
    }
}

TEST(SortOrders, OnlyTheThreeDateSortsAreDateSorts) {
    QStringList dates;
    for (const QString &n : SortOrders::names())
        if (SortOrders::isDate(n))
            dates << n;
    EXPECT_EQ(dates, (QStringList{"Date 2", "Date Updated", "Purchase Date"}));
}

// The text before the old tail is kept as it stands, the blank that led the tail included.
TEST(SortOrders, TailIsReplacedAtTheFirstOrderByOutsideQuotes) {
    struct Case { const char *source, *expected; } cases[] = {
        {"Select * from  tblContacts Order By SongName ", "Select * from  tblContacts  Order By BPM"},
        {"Select * from  tblContacts Where Artist = \"Law and Order By Night\"  ORDER BY SongName",
         "Select * from  tblContacts Where Artist = \"Law and Order By Night\"   Order By BPM"},
        {"Select * from  tblContacts Where Artist = 'It''s order by me' order by Artist",
         "Select * from  tblContacts Where Artist = 'It''s order by me'  Order By BPM"},
        {"Select * from  tblContacts Where Artist = \"say \"\"order by\"\"\" Order By X",
         "Select * from  tblContacts Where Artist = \"say \"\"order by\"\"\"  Order By BPM"},
        {"Select * from  tblContacts Where Selected = 'x' ", "Select * from  tblContacts Where Selected = 'x'  Order By BPM"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SortOrders::replaceOrderBy(QString::fromUtf8(c.source), QStringLiteral(" Order By BPM")),
                  QString::fromUtf8(c.expected))
            << c.source;
}
