// The assignment of categories to the main grid's current song: assigning (also twice), the
// order of the song's categories, adding and renaming categories here, the box that opens the
// window after a new song, and the opener used by the main window and the editor.
#include "CategoriesFixture.h"

#include "categories/CategoryAssign.h"
#include "platform/ui/MousePointer.h"
#include "songlist/ShowCategoryAssign.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

using categories::CategoryAssign;
namespace ui = platform::ui;

namespace {

class CategoryAssignTest : public CategoriesTest {
protected:
    // Loads the window for the song of that name, made the main grid's current row.
    CategoryAssign *openFor(const QString &song) {
        if (!w)
            open();
        go(QStringLiteral("SongName=\"%1\"").arg(song));
        a = ui::form<CategoryAssign>();
        return a;
    }
    void closeWindow() {
        a->close();
        ui::flushUnloadedForms();
        a = nullptr;
    }
    void chooseLeft(const QString &name) {
        ASSERT_TRUE(a->CatgData->findFirst(QStringLiteral("CategoryDesc=\"%1\"").arg(name))) << name.toStdString();
    }
    CategoryAssign *a = nullptr;
};

TEST_F(CategoryAssignTest, AssigningTwiceSaysSoAndKeepsOneRow) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    openFor(QStringLiteral("Cherry"));
    EXPECT_EQ(a->lblName->text(), QStringLiteral("Cherry"));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("Assign Current Song to a Category"));
    a->cmdRtArrow_Click();
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Jazz"));
    EXPECT_TRUE(prompts.messageTexts().isEmpty());

    emit a->CatgGrid->gridDblClick();
    EXPECT_EQ(lastBox().text, QStringLiteral("Category is already assigned to this record."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Can't assign twice"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Jazz"));
    EXPECT_EQ(songsOf(jazz), QString::number(recordIdOf(QStringLiteral("Cherry"))));

    // The refused row is gone: the next category is assigned cleanly.
    addCategory(QStringLiteral("Blues"));
    closeWindow();
    openFor(QStringLiteral("Cherry"));
    chooseLeft(QStringLiteral("Blues"));
    a->cmdRtArrow_Click();
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Blues|Jazz"));
    EXPECT_EQ(prompts.messageTexts().size(), 1);
}

TEST_F(CategoryAssignTest, TheSongsCategoriesAreListedByName) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 blues = addCategory(QStringLiteral("Blues"));
    const qint64 other = addCategory(QStringLiteral("Ambient"));
    const qint64 song = recordIdOf(QStringLiteral("zebra"));
    link(song, jazz);
    link(song, blues);
    link(recordIdOf(QStringLiteral("Cherry")), other);
    openFor(QStringLiteral("zebra"));
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Blues|Jazz"));
    EXPECT_EQ(column(a->CatgIdGrid, 1), QStringLiteral("%1|%2").arg(blues).arg(jazz));
    EXPECT_EQ(column(a->CatgGrid, 0), QStringLiteral("Ambient|Blues|Jazz"));
    EXPECT_EQ(a->CatgIdGrid->columnCaption(0), QStringLiteral("Category Assigned To This Song"));
    EXPECT_EQ(a->CatgGrid->columnCaption(1), QStringLiteral("Category Number (cannot update)"));
    EXPECT_FALSE(a->CatgGrid->allowUpdate());
    EXPECT_FALSE(a->CatgIdGrid->allowUpdate());
}

TEST_F(CategoryAssignTest, RemoveTakesTheSongOutOfTheChosenCategoryOnly) {
    const qint64 blues = addCategory(QStringLiteral("Blues"));
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 rock = addCategory(QStringLiteral("Rock"));
    const qint64 song = recordIdOf(QStringLiteral("Cherry"));
    const qint64 other = recordIdOf(QStringLiteral("zebra"));
    for (qint64 c : {blues, jazz, rock})
        link(song, c);
    link(other, jazz);
    openFor(QStringLiteral("Cherry"));
    ASSERT_TRUE(a->CatgIdData->findFirst(QStringLiteral("CategoryDesc=\"Jazz\"")));
    a->cmdLfArrow_Click();
    EXPECT_EQ(songsOf(jazz), QString::number(other)) << "the other song keeps the category";
    EXPECT_EQ(songsOf(blues), QString::number(song));
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Blues|Rock"));
    EXPECT_EQ(categoryNames(), QStringLiteral("Blues|Jazz|Rock"));
    // A neighbour is current, so double-clicks go on removing.
    EXPECT_EQ(currentOf(a->CatgIdData, "CategoryDesc"), QStringLiteral("Rock"));
    emit a->CatgIdGrid->gridDblClick();
    emit a->CatgIdGrid->gridDblClick();
    EXPECT_EQ(a->CatgIdData->recordCount(), 0);
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryID Where ID=%1").arg(song)), QStringLiteral("0"));
    a->cmdLfArrow_Click();  // an empty list: nothing happens
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(CategoryAssignTest, OtherFailuresShowTheDescriptionAndNumberUnderTheProgramsTitle) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 song = recordIdOf(QStringLiteral("Cherry"));
    openFor(QStringLiteral("Cherry"));
    failLinkOf(song, "INSERT");
    a->cmdRtArrow_Click();
    EXPECT_TRUE(lastBox().text.startsWith(QLatin1String("integer overflow"))) << lastBox().text.toStdString();
    EXPECT_TRUE(lastBox().text.contains(QRegularExpression(QStringLiteral("\\.  Error number:\\d+$"))))
        << lastBox().text.toStdString();
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_EQ(a->CatgIdData->recordCount(), 0);
    EXPECT_EQ(songsOf(jazz), QString());

    dropFailure();
    a->cmdRtArrow_Click();
    ASSERT_EQ(songsOf(jazz), QString::number(song)) << "the refused row left nothing behind";
    failLinkOf(song, "DELETE");
    a->cmdLfArrow_Click();
    EXPECT_TRUE(lastBox().text.contains(QLatin1String(".  Error number:")));
    EXPECT_EQ(songsOf(jazz), QString::number(song));
    EXPECT_EQ(prompts.messageTexts().size(), 2);
}

TEST_F(CategoryAssignTest, NothingHappensWithoutCategories) {
    openFor(QStringLiteral("Cherry"));
    a->cmdRtArrow_Click();
    a->cmdLfArrow_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryID")), QStringLiteral("0"));
}

TEST_F(CategoryAssignTest, AddStoresTheNameAsTypedEvenBesideAnEqualOne) {
    addCategory(QStringLiteral("Jazz"));
    openFor(QStringLiteral("Cherry"));
    prompts.answerInput(QStringLiteral(" Jazz "));
    a->cmdAdd_Click();
    EXPECT_EQ(prompts.asked().last().text, QStringLiteral("Enter the Name for this new Category, then press the OK button."));
    EXPECT_EQ(prompts.asked().last().title, QStringLiteral("Add a new Category"));
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc")), QStringLiteral("2"));
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc Where CategoryDesc = ' Jazz '")),
              QStringLiteral("1"));
    EXPECT_EQ(currentOf(a->CatgData, "CategoryDesc"), QStringLiteral(" Jazz "));
    prompts.answerInput(std::nullopt);
    a->cmdAdd_Click();
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc")), QStringLiteral("2"));
}

TEST_F(CategoryAssignTest, RenameShowsOnTheLeftAtOnceAndOnTheRightAtTheNextOpening) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("Cherry")), jazz);
    openFor(QStringLiteral("Cherry"));
    ASSERT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Jazz"));
    prompts.answerInput(QStringLiteral("Cool Jazz"));
    a->cmdChange_Click();
    EXPECT_EQ(prompts.asked().last().inputRequest.defaultText, QStringLiteral("Jazz"));
    EXPECT_EQ(column(a->CatgGrid, 0), QStringLiteral("Cool Jazz"));
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Jazz"));
    prompts.answerInput(std::nullopt); // Cancel keeps the name
    a->cmdChange_Click();
    EXPECT_EQ(prompts.asked().last().inputRequest.defaultText, QStringLiteral("Cool Jazz"));
    EXPECT_EQ(column(a->CatgGrid, 0), QStringLiteral("Cool Jazz"));
    EXPECT_EQ(value(QStringLiteral("Select CategoryDesc from tblCategoryDesc")), QStringLiteral("Cool Jazz"));
    closeWindow();
    openFor(QStringLiteral("Cherry"));
    EXPECT_EQ(column(a->CatgIdGrid, 0), QStringLiteral("Cool Jazz"));

    closeWindow();
    core::g().Db->execute(QStringLiteral("Delete from tblCategoryDesc"));
    openFor(QStringLiteral("Cherry"));
    a->cmdChange_Click();
    EXPECT_EQ(lastBox().text,
              QStringLiteral("There are no Categories.  You must create one before you can change it's name."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No Categories to change"));
}

TEST_F(CategoryAssignTest, TheBoxWritesItsSettingAndTheSharedValueAtOnce) {
    openFor(QStringLiteral("Cherry"));
    EXPECT_FALSE(a->cbAssignCatgOnAdd->isChecked());
    EXPECT_EQ(rowCount(QStringLiteral("ASSIGNCATGONADD")), 0) << "an unticked box writes nothing at load";
    a->cbAssignCatgOnAdd->click();
    EXPECT_EQ(rowName(QStringLiteral("ASSIGNCATGONADD")), QStringLiteral("1"));
    EXPECT_EQ(core::g().AssignCatgOnAdd, 1);
    closeWindow();
    openFor(QStringLiteral("Cherry"));
    EXPECT_TRUE(a->cbAssignCatgOnAdd->isChecked());
    a->cbAssignCatgOnAdd->click();
    EXPECT_EQ(rowName(QStringLiteral("ASSIGNCATGONADD")), QStringLiteral("0"));
    EXPECT_EQ(core::g().AssignCatgOnAdd, 0);
    EXPECT_EQ(rowCount(QStringLiteral("ASSIGNCATGONADD")), 1);
}

TEST_F(CategoryAssignTest, ASongWithoutANameShowsAnEmptyLabel) {
    addSong({{"Artist", QStringLiteral("Nobody")}});
    open();
    go(QStringLiteral("Artist=\"Nobody\""));
    a = ui::form<CategoryAssign>();
    EXPECT_EQ(a->lblName->text(), QString());
    EXPECT_EQ(a->recordId(), value(QStringLiteral("Select RecordID from tblContacts Where Artist='Nobody'")).toLongLong());
}

TEST_F(CategoryAssignTest, OpenedThroughTheOpenerForTheCurrentSongWithTheNormalPointer) {
    addCategory(QStringLiteral("Jazz"));
    open();
    go(QStringLiteral("SongName=\"Banana Split\""));
    QStringList seen;
    ui::MousePointer pointer = ui::MousePointer::Hourglass;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *win = qobject_cast<CategoryAssign *>(d)) {
            seen << win->lblName->text();
            pointer = ui::mousePointer();
            win->cmdRtArrow->click();
            win->cmdExit->click();
        }
    });
    w->cmdAssignCatg_Click();
    EXPECT_EQ(seen, QStringList{"Banana Split"});
    EXPECT_EQ(pointer, ui::MousePointer::Default);
    EXPECT_EQ(songsOf(1), QString::number(recordIdOf(QStringLiteral("Banana Split"))));

    // The editor's opener for a song just saved: only while the grid's row is that song.
    modMain::ShowCategoryAssign(recordIdOf(QStringLiteral("zebra")));
    EXPECT_EQ(seen.size(), 1) << "another song is current: nothing opens";
    EXPECT_EQ(songsOf(1), QString::number(recordIdOf(QStringLiteral("Banana Split"))));
    modMain::ShowCategoryAssign(recordIdOf(QStringLiteral("Banana Split")));
    EXPECT_EQ(seen, (QStringList{"Banana Split", "Banana Split"}));
    unloadForms();
}

} // namespace
