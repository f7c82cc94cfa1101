// The four duplicate views: their rows, the commands they disable, and the empty case.
#include "CommandsFixture.h"

#include "core/SettingsRows.h"
#include "songlist/DuplicateViews.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

using songlist::DuplicateViews;
using View = DuplicateViews::View;

namespace {

using DuplicateViewsTest = CommandsTest;

TEST_F(DuplicateViewsTest, EachViewShowsItsQueryAndDisablesTheViewCommandsUntilShowAll) {
    open();
    struct Case { View view; long rows; };
    for (const Case c : {Case{View::Duplicates, 3}, Case{View::ToDelete, 2}, Case{View::DuplicatesAlbum, 2},
                         Case{View::ToDeleteAlbum, 1}}) {
        const auto t = DuplicateViews::texts(c.view);
        DuplicateViews(*w).show(c.view);
        EXPECT_EQ(source(), QString::fromLatin1(t.query));
        EXPECT_EQ(count(), c.rows) << t.query;
        EXPECT_EQ(w->lblCategory->text(), QString::fromLatin1(t.caption));
        EXPECT_TRUE(w->isDuplicateView());
        for (QObject *o : std::initializer_list<QObject *>{w->cmdAdd, w->AddMenu, w->FindEditMenu, w->cmdFind,
                                                           w->cmdShowArtistSongs, w->cmdFilter, w->cmbSort,
                                                           w->cmdSortSong, w->cmdSortArtist})
            EXPECT_FALSE(o->property("enabled").toBool()) << o->objectName().toStdString();
        EXPECT_FALSE(w->File->isEnabled());
        EXPECT_EQ(w->cmbSort->currentText(), QStringLiteral("Artist"));
        EXPECT_EQ(core::SettingsRows::readName(QString::fromLatin1(core::SettingsRows::GridSortOrder)),
                  QStringLiteral("Artist"));
        w->ShowAllMenu_Click();
        EXPECT_TRUE(w->cmdFind->isEnabled());
        EXPECT_TRUE(w->File->isEnabled());
    }
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(DuplicateViewsTest, NoDuplicatesSaysSoAndShowsAllSongsByArtist) {
    core::g().Db->execute(QStringLiteral("Delete * from tblContacts Where SongName = 'Dup'"));
    open();
    w->mnuShowDuplicatesToDeleteAlbum_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("No duplicate songs to delete."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No duplicates"));
    w->mnuShowDuplicates_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("No duplicate songs found."));
    EXPECT_FALSE(w->isDuplicateView());
    EXPECT_EQ(count(), 7);
    EXPECT_EQ(w->Table1->columnDataField(1), QStringLiteral("Artist"));
    EXPECT_TRUE(source().endsWith(QStringLiteral(" Order By Artist, SongName")));
}

} // namespace
