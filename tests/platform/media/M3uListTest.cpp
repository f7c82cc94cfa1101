// Reading play lists written here and elsewhere: every line end, comments, blank lines, relative
// entries, 8-bit text and empty files give the same entries.
#include "common/TestEnv.h"
#include "platform/media/M3uList.h"

using platform::media::M3uList;

TEST(M3uListTest, LineEndsCommentsAndBlankLinesReadToTheSameEntries) {
    const QStringList expected{QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b c.mp3"), QStringLiteral("/m/d.flac")};
    const char *files[] = {
        "/m/a.mp3\r\n/m/b c.mp3\r\n/m/d.flac\r\n",                 // as the program writes it
        "/m/a.mp3\n/m/b c.mp3\n/m/d.flac",                         // LF, no end on the last line
        "/m/a.mp3\r/m/b c.mp3\r/m/d.flac\r",                       // CR alone
        "#EXTM3U\r\n#EXTINF:123,A\r\n/m/a.mp3\r\n\r\n   \n/m/b c.mp3\n\r\n# note\r/m/d.flac\r\n\r\n",
        "\xEF\xBB\xBF/m/a.mp3\r\n/m/b c.mp3\r\n/m/d.flac\r\n",   // byte-order mark
    };
    for (const char *f : files)
        EXPECT_EQ(M3uList::parse(QByteArray(f)), expected) << f;
    EXPECT_TRUE(M3uList::parse(QByteArray()).isEmpty());
    EXPECT_TRUE(M3uList::parse(QByteArray("\r\n\r\n#EXTM3U\r\n")).isEmpty());
}

TEST(M3uListTest, TextIsUtf8UnlessItsBytesAreNot) {
    EXPECT_EQ(M3uList::parse(QByteArray("/m/Bj\xC3\xB6rk.mp3\r\n")), QStringList{QStringLiteral("/m/Björk.mp3")});
    // A byte that cannot be UTF-8 makes the whole file Latin-1, not a replacement character.
    EXPECT_EQ(M3uList::parse(QByteArray("/m/Caf\xE9.mp3\r\n/m/\xC3\xA9t\xE9.mp3\r\n")),
              (QStringList{QStringLiteral("/m/Café.mp3"), QString::fromLatin1("/m/\xC3\xA9t\xE9.mp3")}));
}

TEST(M3uListTest, EntriesResolveAgainstTheListsFolder) {
    EXPECT_EQ(M3uList::resolve("/lists/x.m3u", "song.mp3"), QStringLiteral("/lists/song.mp3"));
    EXPECT_EQ(M3uList::resolve("/lists/x.m3u", "../music/a b.mp3"), QStringLiteral("/music/a b.mp3"));
    EXPECT_EQ(M3uList::resolve("/lists/x.m3u", "/abs/a.mp3"), QStringLiteral("/abs/a.mp3"));
    EXPECT_EQ(M3uList::resolve("/lists/x.m3u", "file:///abs/a%20b.mp3"), QStringLiteral("/abs/a b.mp3"));
}

TEST(M3uListTest, ListsAreKnownByTheirExtensionInAnyCase) {
    EXPECT_TRUE(M3uList::isList("/d/OVPlayList.m3u"));
    EXPECT_TRUE(M3uList::isList("/d/x.M3U"));
    EXPECT_FALSE(M3uList::isList("/d/x.mp3"));
    EXPECT_FALSE(M3uList::isList("/d/x.m3u8"));
    EXPECT_EQ(M3uList::baseName("/d/OVPlayList.m3u"), QStringLiteral("OVPlayList"));
    EXPECT_EQ(M3uList::baseName("/d/Song.Live.mp3"), QStringLiteral("Song.Live"));
}

TEST(M3uListTest, MissingOrEmptyFilesHaveNoEntries) {
    testenv::TempFolder tmp;
    EXPECT_TRUE(M3uList::read(tmp.file("none.m3u")).isEmpty());
    testenv::writeFile(tmp.file("empty.m3u"), {});
    EXPECT_TRUE(M3uList::read(tmp.file("empty.m3u")).isEmpty());
    testenv::writeFile(tmp.file("two.m3u"), "a.mp3\r\nb.mp3\r\n");
    EXPECT_EQ(M3uList::read(tmp.file("two.m3u")).size(), 2);
}
