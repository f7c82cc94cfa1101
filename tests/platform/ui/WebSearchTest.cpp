// Search addresses: what the user typed must reach the search engine as typed, whatever
// characters it holds.
#include "common/TestEnv.h"
#include "platform/ui/WebSearch.h"

using namespace platform::ui;

TEST(WebSearchTest, PartsEncodeEveryCharacterThatWouldChangeTheQuery) {
    struct Case { QString text; QString part; };
    const Case cases[] = {
        {QStringLiteral("  The  Beatles "), QStringLiteral("The++Beatles")},
        {QStringLiteral("C# Minor"), QStringLiteral("C%23+Minor")},
        {QStringLiteral("Rock & Roll"), QStringLiteral("Rock+%26+Roll")},
        {QStringLiteral("1+1=2 100%"), QStringLiteral("1%2B1%3D2+100%25")},
        {QStringLiteral("Björk"), QStringLiteral("Bj%C3%B6rk")},
        {QStringLiteral("a-b.c_d~e"), QStringLiteral("a-b.c_d~e")},
        {QString(), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(searchPart(c.text), c.part) << c.text.toStdString();
}

TEST(WebSearchTest, AddressGoesOverHttpsAndKeepsTheEncodedQueryByteForByte) {
    const QString q = searchPart(QStringLiteral("AC/DC")) + QLatin1Char('+') +
                      searchPart(QStringLiteral("T.N.T?"));
    const QUrl web = searchAddress(SearchKind::Web, q);
    EXPECT_TRUE(web.toString(QUrl::FullyEncoded).endsWith(QStringLiteral("/search?newwindow=1&q=AC%2FDC+T.N.T%3F")));
    EXPECT_TRUE(web.toString().startsWith(QStringLiteral("https://www.google.com/search?")));
    const QUrl images = searchAddress(SearchKind::Images, QStringLiteral("album+art+x"));
    EXPECT_TRUE(images.toString().startsWith(QStringLiteral("https://www.google.com/search?")));
    EXPECT_TRUE(images.toString(QUrl::FullyEncoded)
                    .endsWith(QStringLiteral("/search?newwindow=1&site=imghp&tbm=isch&source=hp&q=album+art+x")));
}
