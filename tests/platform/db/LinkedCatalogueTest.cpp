// A catalogue reached through a symbolic link: compacting it in place replaces the file the
// link leads to, and the link stays a link.
#include "platform/db/SampleCatalogue.h"

#include <QFile>
#include <QFileInfo>

using namespace platform::db;

namespace {

TEST_F(SampleDbTest, CompactInPlaceThroughALinkReplacesTheLinkedCatalogue) {
    db->execute(QStringLiteral("Delete * from tblContacts where RecordID = 1"));
    db->close();
    const QString link = tmp.file(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(path, link));
    Database::compactDatabase(link, QString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(path).absoluteFilePath());
    auto c = Database::open(path);
    auto rs = c->openRecordset(QStringLiteral("tblContacts"), RecordsetType::Table);
    EXPECT_EQ(rs->recordCount(), sample::kSongCount - 1);
    EXPECT_FALSE(QFileInfo::exists(link + QStringLiteral(".compacting")));
}

} // namespace
