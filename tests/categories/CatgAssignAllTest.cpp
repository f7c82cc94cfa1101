// Assigning one category to every displayed song and removing it from them: the counts and the
// report, the warning about marked songs, the main grid's row kept, a failure halfway that
// changes nothing, and the category view that loses its own category (and shows what is left).
#include "CategoriesFixture.h"
#include "common/OtherWriter.h"

#include "categories/BulkAssignment.h"
#include "categories/CatgAssignAll.h"
#include "core/CatalogueInUse.h"
#include "platform/ui/MousePointer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

using categories::CatgAssignAll;
namespace ui = platform::ui;

namespace {

class CatgAssignAllTest : public CategoriesTest {
protected:
    CatgAssignAll *openWindow() {
        if (!w)
            open();
        b = ui::form<CatgAssignAll>();
        return b;
    }
    void choose(const QString &name) {
        ASSERT_TRUE(b->CatgData->findFirst(QStringLiteral("CategoryDesc=\"%1\"").arg(name))) << name.toStdString();
    }
    // RecordIDs of the first n songs by name.
    QList<qint64> firstSongs(int n) {
        QList<qint64> ids;
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select RecordID from tblContacts Order By SongName, RecordID"));
        for (; !rs->eof() && ids.size() < n; rs->moveNext())
            ids << rs->value(0).toLongLong();
        return ids;
    }
    // The main grid shows the category view of `category`, as the category window leaves it.
    void showCategoryView(qint64 category) {
        auto &s = core::g();
        s.CategoryClause = QStringLiteral(" CategoryNumber = %1 ").arg(category);
        s.WhereClause = QStringLiteral(" Where ") + s.CategoryClause;
        s.RecordSourceName = QStringLiteral("qryContacts");
        w->Data1->setRecordSource(songlist::NameList::standardRecordSource());
        w->Data1->refresh();
    }
    long links(qint64 category) {
        return value(QStringLiteral("Select count(*) from tblCategoryID Where CategoryNumber=%1").arg(category)).toLong();
    }
    CatgAssignAll *b = nullptr;
};

// A start on a catalogue another program is changing: the main window shows its songs, and
// while the lock is held nothing can be assigned or removed. The command says why instead of
// reporting a count as if it had done its work.
TEST_F(CatgAssignAllTest, ACatalogueAnotherProgramIsChangingSaysWhyAndReportsNoCounts) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 rock = addCategory(QStringLiteral("Rock"));
    for (qint64 id : firstSongs(10))
        link(id, rock);
    OtherWriter other(core::g().DatabasePath);
    core::CatalogueInUse::checkAtOpening(*core::g().Db);  // as the start-up does
    open(false);
    w->run([this] { w->Form_Activate(); });  // as the window's activation runs it
    ASSERT_EQ(prompts.messageTexts(), QStringList{core::CatalogueInUse::noticeText(core::g().DatabasePath)});
    core::g().Db->setLockWait([](int) { return false; });  // at once, not after the usual wait
    openWindow();
    const struct {
        const char *category;
        std::function<void(CatgAssignAll *)> command;
    } commands[] = {{"Jazz", [](CatgAssignAll *f) { f->cmdAssign_Click(); }},
                    {"Rock", [](CatgAssignAll *f) { f->cmdDelete_Click(); }}};
    for (const auto &c : commands) {
        SCOPED_TRACE(c.category);
        prompts.clear();
        choose(QString::fromLatin1(c.category));
        prompts.answer(ui::Answer::OK);
        c.command(b);
        ASSERT_EQ(prompts.asked().size(), 2);
        EXPECT_EQ(prompts.asked()[1].text, QStringLiteral("Could not update; currently locked."));
        EXPECT_EQ(prompts.asked()[1].title, QStringLiteral("Orvalis"));
    }
    other.release();
    core::g().Db->setLockWait({});
    EXPECT_EQ(links(jazz), 0);
    EXPECT_EQ(links(rock), 10);
    EXPECT_EQ(w->recordCount(), 10);
}

TEST_F(CatgAssignAllTest, AssigningReportsTheNewAndTheAlreadyAssignedSongs) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const auto ids = firstSongs(3);
    for (qint64 id : ids)
        link(id, jazz);
    openWindow();
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    const auto &asked = prompts.asked();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].text, QStringLiteral("Click on the OK button to assign ALL displayed Songs to this Category, or "
                                            "Cancel if this is not what you want."));
    EXPECT_EQ(asked[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(asked[0].buttons, ui::Buttons::OKCancel);
    EXPECT_EQ(asked[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(asked[0].defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(asked[1].text, QStringLiteral("Number of Songs assigned to Category \"Jazz\" (7).\nNumber of Songs already "
                                            "assigned to this Category (3)."));
    EXPECT_EQ(asked[1].title, QStringLiteral("Assignment Statistics"));
    EXPECT_EQ(asked[1].icon, ui::Icon::Information);
    EXPECT_EQ(links(jazz), 10);

    // Again: every song is in it already.
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Number of Songs assigned to Category \"Jazz\" (0).\nNumber of Songs "
                                                    "already assigned to this Category (10)."));
    EXPECT_EQ(links(jazz), 10);
    EXPECT_TRUE(ui::isLoaded(b)) << "the window stays open";
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(CatgAssignAllTest, RemovingCountsTheSongsThatWereNotInTheCategory) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 rock = addCategory(QStringLiteral("Rock"));
    for (qint64 id : firstSongs(4)) {
        link(id, jazz);
        link(id, rock);
    }
    openWindow();
    choose(QStringLiteral("Jazz"));
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_EQ(prompts.asked().first().text, QStringLiteral("Click on the OK button to remove ALL displayed Songs from "
                                                           "this Category, or Cancel if this is not what you want."));
    EXPECT_EQ(lastBox().text, QStringLiteral("Number of Songs removed from Category \"Jazz\" (4).\nNumber of Songs not "
                                             "found assigned to this Category (6)."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Un-Assignment Statistics"));
    EXPECT_EQ(links(jazz), 0);
    EXPECT_EQ(links(rock), 4);
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblContacts")), QStringLiteral("10"));
}

TEST_F(CatgAssignAllTest, CancelOrNoCategoryWritesNothing) {
    openWindow();
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_EQ(prompts.messageTexts().size(), 2) << "the two questions, no report";
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryID")), QStringLiteral("0"));

    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    b->close();
    openWindow();
    prompts.clear();
    b->cmdAssign_Click();  // no answer queued: the default button, Cancel
    EXPECT_EQ(prompts.messageTexts().size(), 1);
    EXPECT_EQ(links(jazz), 0);
}

TEST_F(CatgAssignAllTest, TheQuestionWarnsAboutMarkedSongsUnlessOnlyTheyAreShown) {
    const QString assign = CatgAssignAll::question(CatgAssignAll::Command::Assign, 5, QStringLiteral("Select * from  tblContacts"));
    EXPECT_EQ(assign,
              QStringLiteral("All displayed Songs will be assigned to this Category, not just the 5 you have selected.  To "
                             "assign just the selected records, press Cancel, exit this screen, and click the \"Show "
                             "Selected Records Only\" button on the previous screen or choose that option from the Edit "
                             "menu.\r\n\r\nClick on the OK button to assign ALL displayed Songs to this Category, or Cancel "
                             "if this is not what you want."));
    EXPECT_EQ(CatgAssignAll::question(CatgAssignAll::Command::Remove, 12, QStringLiteral("Select * from  tblContacts")),
              QStringLiteral("All displayed Songs will be removed from this Category, not just the 12 you have selected.  "
                             "To un-assign just the selected Songs, press Cancel, exit this screen, and click the \"Show "
                             "Selected Records Only\" button on the previous screen or choose that option from the Edit "
                             "menu.\r\n\r\nClick on the OK button to remove ALL displayed Songs from this Category, or "
                             "Cancel if this is not what you want."));
    const QString plain = QStringLiteral("Click on the OK button to assign ALL displayed Songs to this Category, or Cancel "
                                         "if this is not what you want.");
    EXPECT_EQ(CatgAssignAll::question(CatgAssignAll::Command::Assign, 5,
                                      QStringLiteral("Select * from  tblContacts Where Selected = 'x'  Order By SongName")),
              plain);
    EXPECT_EQ(CatgAssignAll::question(CatgAssignAll::Command::Assign, 5, QStringLiteral("Select * from  tblContacts Where selected = 'x'")),
              assign.left(assign.indexOf(QLatin1String("\r\n"))) + QStringLiteral("\r\n\r\n") + plain)
        << "the test is exact in case";
    EXPECT_EQ(CatgAssignAll::question(CatgAssignAll::Command::Assign, 0, QStringLiteral("Select * from  tblContacts")), plain);

    // Through the window: five marked songs while all songs are shown.
    addCategory(QStringLiteral("Jazz"));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Selected='x' Where RecordID <= 5"));
    open();
    core::g().SelectedCount = 5;
    openWindow();
    prompts.answer(ui::Answer::Cancel);
    b->cmdAssign_Click();
    EXPECT_TRUE(lastBox().text.startsWith(QLatin1String("All displayed Songs will be assigned to this Category, not just the 5 ")));
    w->ShowSelectedOnlyMenu_Click();
    ASSERT_TRUE(source().contains(QLatin1String("Selected")));
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(prompts.asked()[1].text, plain);
    EXPECT_EQ(links(1), 5) << "only the shown songs";
}

TEST_F(CatgAssignAllTest, TheGridKeepsItsRow) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    openWindow();
    go(QStringLiteral("SongName=\"Fig & Date\""));
    const long row = w->Table1->currentPosition();
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(currentSong(), QStringLiteral("Fig & Date"));
    EXPECT_EQ(w->Table1->currentPosition(), row);
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_EQ(currentSong(), QStringLiteral("Fig & Date"));
    EXPECT_EQ(links(jazz), 0);
}

TEST_F(CatgAssignAllTest, AFailureHalfwayChangesNothing) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const auto ids = firstSongs(10);
    link(ids[0], jazz);
    openWindow();
    go(QStringLiteral("SongName=\"Cherry\""));
    failLinkOf(ids[6], "INSERT");
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_TRUE(lastBox().text.startsWith(QLatin1String("integer overflow"))) << "the description alone";
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_EQ(links(jazz), 1) << "the links written before the failure are rolled back";
    EXPECT_EQ(currentSong(), QStringLiteral("Cherry"));
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);

    // The same for a removal.
    dropFailure();
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    ASSERT_EQ(links(jazz), 10);
    failLinkOf(ids[6], "DELETE");
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_TRUE(lastBox().text.startsWith(QLatin1String("integer overflow"))) << lastBox().text.toStdString();
    EXPECT_EQ(links(jazz), 10);
    EXPECT_EQ(currentSong(), QStringLiteral("Cherry"));
    EXPECT_FALSE(core::g().Db->inTransaction());
}

TEST_F(CatgAssignAllTest, ACategoryViewGainsAnotherCategoryAndKeepsItsOwn) {
    const qint64 a = addCategory(QStringLiteral("A"));
    const qint64 bee = addCategory(QStringLiteral("B"));
    const auto ids = firstSongs(4);
    for (qint64 id : ids)
        link(id, a);
    open();
    w->setCategoryCaption(QStringLiteral("A"));
    showCategoryView(a);
    ASSERT_EQ(count(), 4);
    openWindow();
    choose(QStringLiteral("B"));
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(links(bee), 4);
    EXPECT_EQ(links(a), 4);
}

TEST_F(CatgAssignAllTest, RemovingTheShownCategoryFromItsOwnViewShowsWhatIsLeftSoAssignStillWorks) {
    const qint64 a = addCategory(QStringLiteral("A"));
    const qint64 bee = addCategory(QStringLiteral("B"));
    for (qint64 id : firstSongs(10))
        link(id, a);
    open();
    showCategoryView(a);
    const QString shown = source();
    openWindow();
    choose(QStringLiteral("A"));
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Number of Songs removed from Category \"A\" (10)."));
    EXPECT_EQ(links(a), 0);
    EXPECT_EQ(source(), shown) << "the same view";
    EXPECT_EQ(count(), 0) << "refreshed: the rows it listed are gone";
    EXPECT_TRUE(w->txtName->toPlainText().isEmpty()) << "no removed song is named below the empty grid";
    EXPECT_TRUE(w->cmdShowArtistSongs->isHidden());

    choose(QStringLiteral("B"));
    prompts.clear();
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(prompts.messageTexts().size(), 2);
    EXPECT_EQ(lastBox().text, QStringLiteral("Number of Songs assigned to Category \"B\" (0)."));
    EXPECT_EQ(links(bee), 0);
}

TEST_F(CatgAssignAllTest, RemovingFromAnotherViewLeavesTheGridAndTheNextAssignWritesEverySong) {
    const qint64 a = addCategory(QStringLiteral("A"));
    const qint64 bee = addCategory(QStringLiteral("B"));
    for (qint64 id : firstSongs(4)) {
        link(id, a);
        link(id, bee);
    }
    open();
    showCategoryView(bee);  // the view of B loses A: none of its rows goes
    go(QStringLiteral("RecordID=%1").arg(firstSongs(4)[2]));
    const long row = w->Table1->currentPosition();
    const QString shown = source();
    openWindow();
    choose(QStringLiteral("A"));
    prompts.answer(ui::Answer::OK);
    b->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Number of Songs removed from Category \"A\" (4)."));
    EXPECT_EQ(source(), shown);
    EXPECT_EQ(w->Table1->currentPosition(), row) << "not refreshed: the row stays";

    const qint64 c = addCategory(QStringLiteral("C"));
    b->CatgData->refresh();
    choose(QStringLiteral("C"));
    prompts.answer(ui::Answer::OK);
    b->cmdAssign_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Number of Songs assigned to Category \"C\" (4)."));
    EXPECT_EQ(links(c), 4);
}

TEST_F(CatgAssignAllTest, AWalkWithoutACurrentRowOrWithoutRowsLeavesTheRecordsetAsItWas) {
    // The walk on a recordset without a current row keeps it so and still counts every song.
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts Order By SongName"));
    rs->moveLast();
    rs->moveNext();
    ASSERT_TRUE(rs->eof());
    const auto counts = categories::BulkAssignment::assignAll(*core::g().Db, *rs, jazz);
    EXPECT_EQ(counts.changed, 10);
    EXPECT_EQ(counts.unchanged, 0);
    EXPECT_TRUE(rs->eof());
    auto none = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts Where RecordID < 0"));
    EXPECT_EQ(categories::BulkAssignment::removeAll(*core::g().Db, *none, jazz).changed, 0);
    EXPECT_EQ(links(jazz), 10);
}

TEST_F(CatgAssignAllTest, ASongDeletedWhileShownIsNeverLinked) {
    // Deleted through the shown rows, a song is left out of the counts.
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const auto ids = firstSongs(3);
    auto &db = *core::g().Db;
    auto shown = db.openRecordset(QStringLiteral("Select * from tblContacts Order By SongName, RecordID"));
    shown->deleteRecord();
    shown->moveFirst();
    auto counts = categories::BulkAssignment::assignAll(db, *shown, jazz);
    EXPECT_EQ(counts.changed, 9);
    EXPECT_EQ(counts.unchanged, 0);
    counts = categories::BulkAssignment::removeAll(db, *shown, jazz);
    EXPECT_EQ(counts.changed, 9);
    EXPECT_EQ(counts.unchanged, 0);

    // Deleted by another writer, it stops the command before anything is written: no link is
    // left to a song that is gone, and none is taken away.
    categories::BulkAssignment::assignAll(db, *shown, jazz);
    db.execute(QStringLiteral("Delete from tblContacts Where RecordID = %1").arg(ids[2]));
    for (auto command : {&categories::BulkAssignment::removeAll, &categories::BulkAssignment::assignAll}) {
        try {
            command(db, *shown, jazz);
            ADD_FAILURE() << "no error";
        } catch (const platform::db::DbError &e) {
            EXPECT_EQ(e.number(), platform::db::err::RecordDeleted);
        }
        EXPECT_EQ(links(jazz), 9);
        EXPECT_FALSE(db.inTransaction());
    }
    db.execute(QStringLiteral("Delete from tblCategoryID Where ID = %1").arg(ids[2]));
    EXPECT_THROW(categories::BulkAssignment::assignAll(db, *shown, jazz), platform::db::DbError);
    EXPECT_EQ(links(jazz), 8) << "no link to the deleted song";
}

TEST_F(CatgAssignAllTest, ASongShownTwiceIsCountedOnceAsChanged) {
    // qryContacts lists a song once per category it is in.
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 rock = addCategory(QStringLiteral("Rock"));
    const qint64 pop = addCategory(QStringLiteral("Pop"));
    const auto ids = firstSongs(3);
    link(ids[0], jazz);
    link(ids[0], rock);
    link(ids[1], jazz);
    auto &db = *core::g().Db;
    auto shown = db.openRecordset(QStringLiteral("Select * from qryContacts Where CategoryNumber <> %1").arg(pop));
    ASSERT_EQ(shown->recordCount(), 3);
    auto counts = categories::BulkAssignment::assignAll(db, *shown, pop);
    EXPECT_EQ(counts.changed, 2);
    EXPECT_EQ(counts.unchanged, 1);
    EXPECT_EQ(songsOf(pop), QStringLiteral("%1,%2").arg(ids[0]).arg(ids[1]));
    counts = categories::BulkAssignment::removeAll(db, *shown, pop);
    EXPECT_EQ(counts.changed, 2);
    EXPECT_EQ(counts.unchanged, 1);
    EXPECT_EQ(songsOf(pop), QString());
    EXPECT_EQ(songsOf(jazz), QStringLiteral("%1,%2").arg(ids[0]).arg(ids[1]));
}

TEST_F(CatgAssignAllTest, TheMainWindowOpensItForBothMenuEntries) {
    addCategory(QStringLiteral("Jazz"));
    open();
    int seen = 0;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *win = qobject_cast<CatgAssignAll *>(d)) {
            ++seen;
            EXPECT_EQ(win->CatgGrid->columnCaption(1), QStringLiteral("List Of All Categories"));
            EXPECT_EQ(cell(win->CatgGrid, 0, 1), QStringLiteral("Jazz"));
            win->cmdExit->click();
        }
    });
    w->AssignAllToCatg_Click();
    w->RemoveAllFromCatg_Click();
    EXPECT_EQ(seen, 2);
    unloadForms();
}

} // namespace
