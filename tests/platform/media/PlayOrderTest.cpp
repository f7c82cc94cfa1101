// The order of a play list's entries: list order, or with shuffle a random order that plays
// every entry exactly once per pass, starting again with a new order after the last.
#include "common/TestEnv.h"
#include "platform/media/MediaPlayer.h"

#include <set>

using platform::media::PlayOrder;

namespace {
// The entries of one pass, from first() through after() to the end.
QList<int> pass(PlayOrder &order) {
    QList<int> seen;
    for (int e = order.first(); e >= 0 && seen.size() <= order.count(); e = order.after(e))
        seen << e;
    return seen;
}
} // namespace

TEST(PlayOrderTest, ListOrderRunsFromFirstToLast) {
    PlayOrder order;
    order.reset(4, false);
    EXPECT_EQ(pass(order), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(order.before(0), -1);
    EXPECT_EQ(order.before(2), 1);
    EXPECT_TRUE(order.isLast(3));
    order.reset(0, false);
    EXPECT_EQ(order.first(), -1);
    EXPECT_TRUE(pass(order).isEmpty());
}

TEST(PlayOrderTest, ShufflePlaysEveryEntryOncePerPass) {
    PlayOrder order;
    order.reset(50, true);
    QList<int> first;
    for (int round = 0; round < 3; ++round) {
        const QList<int> p = pass(order);
        ASSERT_EQ(p.size(), 50);
        EXPECT_EQ(std::set<int>(p.begin(), p.end()).size(), 50u);
        EXPECT_TRUE(order.isLast(p.last()));
        if (round == 0)
            first = p;
    }
    EXPECT_NE(pass(order), first) << "a new order each pass (50! orders: equal by chance is negligible)";

    // Turned on while entry 7 plays: 7 stays first, every other entry follows once.
    PlayOrder live;
    live.reset(10, false);
    live.setShuffle(true, 7);
    QList<int> rest;
    for (int e = 7; e >= 0; e = live.after(e))
        rest << e;
    EXPECT_EQ(rest.size(), 10);
    EXPECT_EQ(rest.first(), 7);
    EXPECT_EQ(std::set<int>(rest.begin(), rest.end()).size(), 10u);
    live.setShuffle(false, rest.last());
    EXPECT_EQ(live.after(3), 4);
}
