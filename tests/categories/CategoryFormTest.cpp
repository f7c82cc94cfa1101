// The category window: the category view it puts on the main grid and the way back, the
// remembered category and its start-up box, adding, renaming and deleting categories, where the
// list stands when the window opens, the letter jump, Enter and the mouse wheel.
#include "CategoriesFixture.h"

#include "categories/CategoryForm.h"
#include "core/SettingsRows.h"
#include "core/mMouseScrollWheel.h"
#include "platform/ui/MousePointer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using categories::CategoryForm;
namespace ui = platform::ui;

namespace {

class CategoryFormTest : public CategoriesTest {
protected:
    // Loads the category window over the main window and runs its first activation.
    CategoryForm *openForm(bool activate = true) {
        if (!w) {
            open();
            allSongs = source();
        }
        f = ui::form<CategoryForm>();
        if (activate)
            f->Form_Activate();
        return f;
    }
    bool formLoaded() const { return ui::findForm<CategoryForm>() != nullptr; }
    QString selected() const { return currentOf(f->CatgData, "CategoryDesc"); }
    // Makes the category of that name the list's current row.
    void choose(const QString &name) {
        ASSERT_TRUE(f->CatgData->findFirst(QStringLiteral("CategoryDesc=\"%1\"").arg(name))) << name.toStdString();
    }
    QStringList enabledViewCommands() const {
        QStringList on;
        const std::pair<const char *, bool> commands[] = {
            {"File", w->File->menuAction()->isEnabled()}, {"cmdAdd", w->cmdAdd->isEnabled()},
            {"cmdEdit", w->cmdEdit->isEnabled()}, {"AddMenu", w->AddMenu->isEnabled()},
            {"FindEditMenu", w->FindEditMenu->isEnabled()}, {"cmdFilter", w->cmdFilter->isEnabled()},
            {"cmdFind", w->cmdFind->isEnabled()}, {"cmbSort", w->cmbSort->isEnabled()},
            {"cmdSortSong", w->cmdSortSong->isEnabled()}, {"cmdSortArtist", w->cmdSortArtist->isEnabled()},
            {"cmdShowArtistSongs", w->cmdShowArtistSongs->isEnabled()}};
        for (const auto &[name, enabled] : commands)
            if (enabled)
                on << QString::fromLatin1(name);
        return on;
    }
    static inline const QStringList allViewCommands = {"File", "cmdAdd", "cmdEdit", "AddMenu", "FindEditMenu",
                                                       "cmdFilter", "cmdFind", "cmbSort", "cmdSortSong",
                                                       "cmdSortArtist", "cmdShowArtistSongs"};
    // Closes the category window alone.
    void closeForm() {
        f->close();
        ui::flushUnloadedForms();
        f = nullptr;
    }
    CategoryForm *f = nullptr;
    QString allSongs;  // the main window's record source for all songs in its first sort
};

// ---------------------------------------------------------------- the category view

TEST_F(CategoryFormTest, ShowSelectedPutsTheCategoryOnTheGridAndRemembersIt) {
    addCategory(QStringLiteral("Rock"), 3);
    addCategory(QStringLiteral("Jazz"), 12);
    for (const char *song : {"Cherry", "zebra", "Apple Pie"})
        link(recordIdOf(QString::fromLatin1(song)), 12);
    link(recordIdOf(QStringLiteral("Dup")), 3);
    open();
    w->mnuShowDuplicates_Click();  // a view that switches commands off
    w->lblFilterMsg->show();
    openForm();
    choose(QStringLiteral("Jazz"));
    f->cmdSelected_Click();

    const auto &s = core::g();
    EXPECT_EQ(s.CategoryClause, QStringLiteral(" CategoryNumber = 12 "));
    EXPECT_EQ(source(), QStringLiteral("Select * from  qryContacts Where  CategoryNumber = 12 ") + s.OrderByClause);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Jazz"));
    EXPECT_EQ(w->lblFilterMsg->text(), QString());
    EXPECT_TRUE(w->lblFilterMsg->isHidden());
    EXPECT_EQ(enabledViewCommands(), allViewCommands);
    EXPECT_EQ(rowName(QStringLiteral("CATEGORY")), QStringLiteral("Jazz"));
    EXPECT_EQ(value(QStringLiteral("Select Setting1 from tblSettings Where Type='CATEGORY'")),
              QStringLiteral(" CategoryNumber = 12 "));
    EXPECT_FALSE(formLoaded()) << "the window closes itself";
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(CategoryFormTest, ShowAllClearsThePartsTheLabelsAndTheRememberedRow) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("Cherry")), jazz);
    openForm()->cmdSelected_Click();
    ASSERT_EQ(count(), 1);
    w->mnuShowDuplicates_Click();
    w->lblFilterMsg->show();

    openForm()->cmdShowAll_Click();
    const auto &s = core::g();
    EXPECT_EQ(source(), QStringLiteral("Select * from  tblContacts") + s.OrderByClause);
    EXPECT_EQ(count(), 10);
    EXPECT_TRUE(s.WhereClause.isEmpty());
    EXPECT_TRUE(s.CategoryClause.isEmpty());
    EXPECT_TRUE(s.CriteriaClause.isEmpty());
    EXPECT_EQ(w->lblCategory->text(), QString());
    EXPECT_EQ(w->lblFilterMsg->text(), QString());
    EXPECT_FALSE(w->lblFilterMsg->isHidden()) << "the filter label keeps its visibility";
    EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 0);
    EXPECT_EQ(enabledViewCommands(), allViewCommands) << "a duplicate view's commands come back";
    EXPECT_FALSE(formLoaded());
}

TEST_F(CategoryFormTest, StartUpBoxBringsTheCategoryBackAfterARestart) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("Banana Split")), jazz);
    openForm();
    EXPECT_FALSE(f->cbDefaultCatg->isChecked());
    f->cbDefaultCatg->click();
    EXPECT_EQ(rowName(QStringLiteral("CATEGORYSTARTUP")), QStringLiteral("1"));
    f->cmdSelected_Click();

    // The program ends and starts again.
    unloadForms();
    w = nullptr;
    open();
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Jazz"));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(currentSong(), QStringLiteral("Banana Split"));
    openForm();
    EXPECT_TRUE(f->cbDefaultCatg->isChecked());
    f->cbDefaultCatg->click();
    EXPECT_EQ(rowName(QStringLiteral("CATEGORYSTARTUP")), QStringLiteral("0"));
}

TEST_F(CategoryFormTest, StartUpBoxReadsTheStoredValueAsTheMainWindowDoes) {
    const std::pair<const char *, bool> cases[] = {{"1", true}, {"-1", true}, {"True", true}, {"true", true},
                                                   {"0", false}, {"False", false}, {"yes", false}, {"", false},
                                                   {"abc", false}};
    open();
    for (const auto &[stored, ticked] : cases) {
        core::g().Db->execute(QStringLiteral("Delete from tblSettings Where Type='CATEGORYSTARTUP'"));
        setRow(QStringLiteral("CATEGORYSTARTUP"), QString::fromLatin1(stored));
        openForm();
        EXPECT_EQ(f->cbDefaultCatg->isChecked(), ticked) << stored;
        unloadForms();
        w = songlist::NameList::instance();
        if (!w)
            open();
    }
}

// ---------------------------------------------------------------- add, rename, delete

TEST_F(CategoryFormTest, AddTrimsTheNameAndRefusesOneThatExistsInAnyCase) {
    addCategory(QStringLiteral("rock"));
    addCategory(QStringLiteral("Blues"));
    openForm();
    prompts.answerInput(QStringLiteral(" Rock "));
    f->cmdAdd_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Category with this name already exists."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Not added"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(categoryNames(), QStringLiteral("Blues|rock"));

    const auto &ask = prompts.asked().at(prompts.asked().size() - 2);
    EXPECT_EQ(ask.text, QStringLiteral("Enter the Description for this new Category, then press the OK button."));
    EXPECT_EQ(ask.title, QStringLiteral("Add a new Category"));
}

TEST_F(CategoryFormTest, AddStoresAwkwardNamesExactlyAndMakesThemCurrent) {
    const QString names[] = {QStringLiteral("Say \"Hi\""), QStringLiteral("Rock 'n' Roll"), QStringLiteral("*"),
                             QStringLiteral("[Live]"), QStringLiteral("Électro"), QString(1000, QLatin1Char('x'))};
    openForm();
    for (const QString &name : names) {
        prompts.answerInput(QStringLiteral("  ") + name + QStringLiteral(" "));
        f->cmdAdd_Click();
        EXPECT_EQ(selected(), name);
        EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc")).toInt(), &name - names + 1);
    }
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    // Each of them is now refused as a duplicate, whatever its quotes and brackets.
    for (const QString &name : names) {
        prompts.answerInput(name);
        f->cmdAdd_Click();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Category with this name already exists.")) << name.left(20).toStdString();
    }
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc")).toInt(), 6);

    // Blanks alone, or Cancel, add nothing and say nothing.
    prompts.clear();
    prompts.answerInput(QStringLiteral("    "));
    f->cmdAdd_Click();
    prompts.answerInput(std::nullopt);
    f->cmdAdd_Click();
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblCategoryDesc")).toInt(), 6);
}

TEST_F(CategoryFormTest, RenameStoresTheAnswerAsTypedAndKeepsTheShownName) {
    addCategory(QStringLiteral("Jazz"));
    openForm()->cmdSelected_Click();
    openForm();
    prompts.answerInput(QStringLiteral(" Cool Jazz "));
    f->cmdChange_Click();
    EXPECT_EQ(prompts.asked().last().inputRequest.defaultText, QStringLiteral("Jazz"));
    EXPECT_EQ(prompts.asked().last().title, QStringLiteral("Change the Category Name"));
    EXPECT_EQ(categoryNames(), QStringLiteral(" Cool Jazz "));
    EXPECT_EQ(cell(f->CatgGrid, 0, 0), QStringLiteral(" Cool Jazz "));
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Jazz"));
    EXPECT_EQ(rowName(QStringLiteral("CATEGORY")), QStringLiteral("Jazz"));

    prompts.answerInput(std::nullopt);
    f->cmdChange_Click();
    EXPECT_EQ(categoryNames(), QStringLiteral(" Cool Jazz "));
}

TEST_F(CategoryFormTest, CommandsOnAnEmptyListSayThereAreNoCategories) {
    openForm();
    f->cmdSelected_Click();
    f->cmdChange_Click();
    f->cmdDelete_Click();
    const QStringList texts = prompts.messageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], QStringLiteral("There are no Categories.  You must create one and select it before you can "
                                       "perform this action."));
    EXPECT_EQ(texts[1], QStringLiteral("There are no Categories.  You must create one before you can change it's "
                                       "description."));
    EXPECT_EQ(texts[2], QStringLiteral("There are no Categories, so there is nothing to delete."));
    QStringList titles;
    for (const auto &a : prompts.asked())
        titles << a.title;
    EXPECT_EQ(titles, (QStringList{"No Categories", "No Categories to change", "No Categories to delete"}));
    EXPECT_TRUE(formLoaded());
    EXPECT_EQ(source(), allSongs);
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(CategoryFormTest, DeleteAsksWithTheSongCountAndKeepsTheSongs) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    const qint64 rock = addCategory(QStringLiteral("Rock"));
    addCategory(QStringLiteral("Unused"));
    for (const char *song : {"Cherry", "zebra", "Apple Pie"})
        link(recordIdOf(QString::fromLatin1(song)), jazz);
    link(recordIdOf(QStringLiteral("Cherry")), rock);
    openForm();
    choose(QStringLiteral("Jazz"));

    prompts.answer(ui::Answer::No);
    f->cmdDelete_Click();
    EXPECT_EQ(lastBox().text,
              QStringLiteral("You have 3 Song(s) still assigned to this Category.  Those Songs will still exist, they "
                             "just won't be assigned to this Category any longer.  Are you sure you want to delete this "
                             "Category?"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Delete Confirmation"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(categoryNames(), QStringLiteral("Jazz|Rock|Unused"));
    EXPECT_EQ(songsOf(jazz).count(u',') + 1, 3);

    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();
    EXPECT_EQ(categoryNames(), QStringLiteral("Rock|Unused"));
    EXPECT_EQ(songsOf(jazz), QString());
    EXPECT_EQ(songsOf(rock), QString::number(recordIdOf(QStringLiteral("Cherry"))));
    EXPECT_EQ(value(QStringLiteral("Select count(*) from tblContacts")), QStringLiteral("10"));
    EXPECT_EQ(selected(), QStringLiteral("Rock"));

    // A category without songs is asked about with the question alone.
    choose(QStringLiteral("Unused"));
    prompts.answer(ui::Answer::No);
    f->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this Category?"));
}

TEST_F(CategoryFormTest, DeletingTheShownCategoryAfterARenameReturnsToAllSongs) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("Cherry")), jazz);
    openForm()->cmdSelected_Click();
    ASSERT_EQ(count(), 1);
    openForm();
    prompts.answerInput(QStringLiteral("Cool Jazz"));
    f->cmdChange_Click();
    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();

    EXPECT_EQ(rowCount(QStringLiteral("CATEGORY")), 0);
    EXPECT_EQ(source(), allSongs);
    EXPECT_EQ(count(), 10);
    EXPECT_EQ(w->lblCategory->text(), QString());
    EXPECT_EQ(categoryNames(), QString());
    EXPECT_EQ(f->CatgData->recordCount(), 0);
}

TEST_F(CategoryFormTest, DeletingAnotherCategoryLeavesTheViewAlone) {
    const qint64 jazz = addCategory(QStringLiteral("Jazz"));
    addCategory(QStringLiteral("Rock"));
    link(recordIdOf(QStringLiteral("Cherry")), jazz);
    openForm()->cmdSelected_Click();
    const QString shown = source();
    openForm();
    choose(QStringLiteral("Rock"));
    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();
    EXPECT_EQ(source(), shown);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(rowName(QStringLiteral("CATEGORY")), QStringLiteral("Jazz"));
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Jazz"));
}

TEST_F(CategoryFormTest, DeletingTheLastRowMovesBackAndTheOnlyRowLeavesAnEmptyList) {
    for (const char *name : {"A", "B", "C"})
        addCategory(QString::fromLatin1(name));
    openForm();
    choose(QStringLiteral("C"));
    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();
    EXPECT_EQ(selected(), QStringLiteral("B"));
    choose(QStringLiteral("A"));
    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();
    EXPECT_EQ(selected(), QStringLiteral("B"));
    prompts.answer(ui::Answer::Yes);
    f->cmdDelete_Click();
    EXPECT_EQ(f->CatgData->recordCount(), 0);
    EXPECT_EQ(f->CatgGrid->model()->rowCount(), 0);
    EXPECT_EQ(categoryNames(), QString());
}

// ---------------------------------------------------------------- where the list stands

TEST_F(CategoryFormTest, OpeningOverAShownCategoryPutsItOnTheCurrentRowOnce) {
    for (const char *name : {"Blues", "Jazz", "Rock"})
        addCategory(QString::fromLatin1(name));
    openForm();
    choose(QStringLiteral("Jazz"));
    f->cmdSelected_Click();
    openForm();
    EXPECT_EQ(selected(), QStringLiteral("Jazz"));
    // Later activations (after a message box, say) leave the user's row alone.
    choose(QStringLiteral("Rock"));
    f->Form_Activate();
    EXPECT_EQ(selected(), QStringLiteral("Rock"));

    // A category renamed since it was shown is still found: the clause names its number.
    prompts.answerInput(QStringLiteral("Hard Rock"));
    choose(QStringLiteral("Jazz"));
    f->cmdChange_Click();
    closeForm();
    openForm();
    EXPECT_EQ(selected(), QStringLiteral("Hard Rock"));
    emit f->CatgGrid->gridDblClick();
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Hard Rock"));
    EXPECT_FALSE(formLoaded());
}

TEST_F(CategoryFormTest, AfterAFindTheFirstRowIsCurrentAndShowSelectedWorks) {
    const qint64 blues = addCategory(QStringLiteral("Blues"));
    addCategory(QStringLiteral("Jazz"));
    link(recordIdOf(QStringLiteral("zebra")), blues);
    open();
    prompts.answerInput(QStringLiteral("e"));
    w->FindEditMenu_Click();
    ASSERT_TRUE(w->lblCategory->text().startsWith(QLatin1String("Records containing")));
    openForm();
    EXPECT_EQ(selected(), QStringLiteral("Blues"));
    f->cmdSelected_Click();
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Blues"));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(currentSong(), QStringLiteral("zebra"));
}

// ---------------------------------------------------------------- keys and wheel

TEST_F(CategoryFormTest, TypedLettersJumpAndOtherKeysDoNothing) {
    for (const char *name : {"alpha", "Bebop", "blues", "Country"})
        addCategory(QString::fromLatin1(name));
    openForm();
    f->show();
    f->CatgGrid->setFocus();
    QTest::keyClick(f->CatgGrid, Qt::Key_B);
    EXPECT_EQ(selected(), QStringLiteral("Bebop"));
    QTest::keyClick(f->CatgGrid, Qt::Key_C, Qt::ShiftModifier);
    EXPECT_EQ(selected(), QStringLiteral("Country"));
    // The keypad's digits and other characters neither jump nor search the list.
    QTest::keyClick(f->CatgGrid, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(f->CatgGrid, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f->CatgGrid, Qt::Key_F1);
    QTest::keyClick(f->CatgGrid, Qt::Key_Period);
    EXPECT_EQ(selected(), QStringLiteral("Country"));
    QTest::keyClick(f->CatgGrid, Qt::Key_Z);
    EXPECT_EQ(selected(), QStringLiteral("Country")) << "no match: the row stays";
    EXPECT_TRUE(prompts.messageTexts().isEmpty());

    // Enter shows the category.
    QTest::keyClick(f->CatgGrid, Qt::Key_Return);
    EXPECT_EQ(w->lblCategory->text(), QStringLiteral("Country"));
    EXPECT_FALSE(formLoaded());
}

TEST_F(CategoryFormTest, WheelScrollsTheListThreeRowsAndUnloadUnhooks) {
    for (int i = 0; i < 40; ++i)
        addCategory(QStringLiteral("Category %1").arg(i, 2, 10, QLatin1Char('0')));
    openForm();
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    EXPECT_TRUE(mMouseScrollWheel::IsHooked(f));
    int keys = 0, rotation = -120, x = 0, y = 0;
    f->MouseWheel(keys, rotation, x, y);
    EXPECT_EQ(f->CatgGrid->firstRow(), 3);
    EXPECT_EQ(selected(), QStringLiteral("Category 00")) << "the wheel scrolls; the row stays";
    f->close();
    EXPECT_FALSE(mMouseScrollWheel::IsHooked(f));
}

TEST_F(CategoryFormTest, AProgramFolderNamedSourceIsNotHooked) {
    core::g().ProgramFolderOverride = tmp.path() + QStringLiteral("/Source/bin");
    openForm();
    EXPECT_FALSE(mMouseScrollWheel::IsHooked(f));
    EXPECT_TRUE(core::g().CategoryFormJustLoaded);
    f->close();
}

TEST_F(CategoryFormTest, TheMainWindowOpensIt) {
    open();
    bool seen = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *form = qobject_cast<CategoryForm *>(d)) {
            seen = true;
            EXPECT_EQ(form->windowTitle(), QStringLiteral("Category Selection"));
            form->cmdExit->click();
        }
    });
    w->cmdCategory_Click();
    EXPECT_TRUE(seen);
    unloadForms();
}

} // namespace
