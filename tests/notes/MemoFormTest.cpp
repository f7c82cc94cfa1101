// The titled notes window: its store of NOTE rows, titles that differ only in case, renaming,
// adding, deleting, the three ways of closing, the remembered note, and Find / Find Next.
#include "notes/NotesFixture.h"

#include "notes/NotesWindows.h"
#include "songlist/OtherWindows.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

namespace ui = platform::ui;
using notes::MemoForm;

TEST_F(MemoTest, EmptyStoreAsksForAFirstNoteAndCancelClosesWithoutANoteRow) {
    openMemo();
    ASSERT_GE(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked().first().text, QStringLiteral("Enter a Title for this new note."));
    EXPECT_EQ(prompts.asked().first().title, QStringLiteral("New Note"));
    EXPECT_FALSE(memoLoaded());
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(lastNote(), QStringLiteral("0"));
}

TEST_F(MemoTest, EmptyStoreTakesTheFirstNoteItIsGiven) {
    prompts.answerInput(QStringLiteral("First"));
    openMemo();
    ASSERT_TRUE(memoLoaded());
    EXPECT_TRUE(m->cmbTitle->isEnabled());
    type(QStringLiteral("hello"));
    m->cmdExit_Click();
    EXPECT_EQ(stored(), QStringList{QStringLiteral("First=hello")});
}

TEST_F(MemoTest, AddedTitleWithTrailingBlanksIsOneEntryAfterLeavingTheTitleBox) {
    addNote(QStringLiteral("Alpha"), QStringLiteral("a"));
    openMemo();
    prompts.answerInput(QStringLiteral("Rock  "));
    m->cmdAdd_Click();
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Rock  ")}));
    EXPECT_FALSE(m->cmbTitle_Validate()); // Tab through the title box
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Rock  ")}));
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("Alpha=a"), QStringLiteral("Rock=<null>")}));

    prompts.answerInput(QStringLiteral("Rock  "));
    m->cmdAdd_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("A note with that same name (Rock  ) already exists.  Choose a different name."));
    EXPECT_EQ(titles().size(), 2);
}

TEST_F(MemoTest, RenamingByLeavingTheTitleBoxListsTheTitleInPlace) {
    addNote(QStringLiteral("Beta"), QStringLiteral("b"));
    addNote(QStringLiteral("Delta"), QStringLiteral("d"));
    openMemo();
    ASSERT_EQ(m->cmbTitle->currentText(), QStringLiteral("Beta"));
    m->cmbTitle->setEditText(QStringLiteral("Omega"));
    EXPECT_FALSE(m->cmbTitle_Validate());
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("Delta"), QStringLiteral("Omega")}));
    EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("Omega"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("b"));
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("Omega=b"), QStringLiteral("Delta=d")}));
}

TEST_F(MemoTest, TitlesDifferingOnlyInCaseEachKeepTheirOwnText) {
    addNote(QStringLiteral("Rock"), QStringLiteral("upper"));
    addNote(QStringLiteral("rock"), QStringLiteral("lower"));
    addNote(QStringLiteral("Zed"), QStringLiteral("zed"));
    openMemo();
    choose(QStringLiteral("rock"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("lower"));
    type(QStringLiteral(" one"));
    choose(QStringLiteral("Rock"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("upper"));
    type(QStringLiteral(" two"));
    choose(QStringLiteral("rock"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("lower one"));

    // Renamed onto another note's title: still two notes, each with its text.
    choose(QStringLiteral("Zed"));
    m->cmbTitle->setEditText(QStringLiteral("Rock"));
    EXPECT_FALSE(m->cmbTitle_Validate());
    type(QStringLiteral(" three"));
    m->cmdExit_Click();
    EXPECT_FALSE(memoLoaded());
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("Rock=upper two"), QStringLiteral("rock=lower one"),
                                     QStringLiteral("Rock=zed three")}));

    // Reopened on the same entry, which shows its own note.
    const QString last = lastNote();
    openMemo();
    EXPECT_EQ(QString::number(m->cmbTitle->currentIndex()), last);
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("zed three"));
}

TEST_F(MemoTest, TheCloseBoxChecksATypedTitleAndSavesUnderIt) {
    addNote(QStringLiteral("rock"), QStringLiteral("lower"));
    addNote(QStringLiteral("Stone"), QStringLiteral("stone"));
    openMemo();
    choose(QStringLiteral("Stone"));
    m->cmbTitle->setEditText(QStringLiteral("Rock"));
    type(QStringLiteral("!"));
    m->close();
    EXPECT_FALSE(memoLoaded());
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("rock=lower"), QStringLiteral("Rock=stone!")}));
}

TEST_F(MemoTest, RefusedTitleStopsTheCommandAndCancelStillCloses) {
    addNote(QStringLiteral("Keep"), QStringLiteral("k"));
    openMemo();
    const std::pair<QString, QString> bad[] = {
        {QStringLiteral("it's"), QStringLiteral("Cannot use quotes or apostrophes in Note Title")},
        {QStringLiteral("say \"hi\""), QStringLiteral("Cannot use quotes or apostrophes in Note Title")},
        // Half of a character: it was stored as "?" under another name.
        {QStringLiteral("smile ") + QChar(0xD83D), QStringLiteral("Cannot use quotes or apostrophes in Note Title")},
        {QString(), QStringLiteral("Note Title cannot be blank")},
        {QStringLiteral("   "), QStringLiteral("Note Title cannot be blank")},
    };
    for (const auto &[title, message] : bad) {
        SCOPED_TRACE(title.toStdString());
        m->cmbTitle->setEditText(title);
        m->cmdExit_Click();
        ASSERT_TRUE(memoLoaded());
        EXPECT_EQ(lastBox().text, message);
        EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
        EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("Keep"));
    }
    prompts.clear();
    prompts.answerInput(QStringLiteral("new ") + QChar(0xDE00));
    m->cmdAdd_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Cannot use quotes or apostrophes in Note Title"));
    EXPECT_EQ(titles(), QStringList{QStringLiteral("Keep")});
    prompts.clear();
    m->cmbTitle->setEditText(QStringLiteral("x'y"));
    m->cmdAdd_Click();
    EXPECT_TRUE(prompts.asked().size() == 1 && prompts.asked().first().kind != ui::ScriptedPrompts::Asked::Kind::Input);
    m->cmbTitle->setEditText(QStringLiteral("x'y"));
    m->cmdCancel_Click();
    EXPECT_FALSE(memoLoaded());
    EXPECT_EQ(stored(), QStringList{QStringLiteral("Keep=k")});
}

TEST_F(MemoTest, CancelAsksOnlyAfterChangesAndYesDiscards) {
    addNote(QStringLiteral("One"), QStringLiteral("text"));
    openMemo();
    type(QStringLiteral(" more"));
    prompts.answer(ui::Answer::No);
    m->cmdCancel_Click();
    EXPECT_TRUE(memoLoaded());
    EXPECT_EQ(lastBox().text, QStringLiteral("Lose any changes?"));
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    prompts.answer(ui::Answer::Yes);
    QTest::keyClick(m, Qt::Key_Escape);
    EXPECT_FALSE(memoLoaded());
    EXPECT_EQ(stored(), QStringList{QStringLiteral("One=text")});

    openMemo();
    prompts.clear();
    m->cmdCancel_Click();
    EXPECT_FALSE(memoLoaded());
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(MemoTest, DeletingTheLastInOrderShowsTheLastTitleAndTheOnlyNoteCloses) {
    addNote(QStringLiteral("A"), QStringLiteral("a"));
    addNote(QStringLiteral("B"), QStringLiteral("b"));
    addNote(QStringLiteral("C"), QStringLiteral("c"));
    openMemo();
    choose(QStringLiteral("C"));
    prompts.answer(ui::Answer::Yes);
    m->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this note?"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Confirmation"));
    EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("B"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("b"));

    choose(QStringLiteral("A"));
    prompts.answer(ui::Answer::No);
    m->cmdDelete_Click();
    EXPECT_EQ(titles().size(), 2);
    prompts.answer(ui::Answer::Yes);
    m->cmdDelete_Click();
    EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("B"));
    prompts.answer(ui::Answer::Yes);
    m->cmdDelete_Click();
    EXPECT_FALSE(memoLoaded());
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(MemoTest, TheRememberedNoteComesBackClampedToTheList) {
    const std::pair<QString, int> cases[] = {{QStringLiteral("1"), 1}, {QStringLiteral("9"), 2},
                                             {QStringLiteral("70000"), 2}, {QStringLiteral("abc"), 0},
                                             {QStringLiteral("-4"), 0}};
    for (const auto &[storedPosition, shown] : cases)
        EXPECT_EQ(MemoForm::startPosition(storedPosition, 3), shown) << storedPosition.toStdString();

    addNote(QStringLiteral("A"), QStringLiteral("a"));
    addNote(QStringLiteral("B"), QStringLiteral("b"));
    setLastNote(QStringLiteral("5"));
    openMemo();
    EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("B"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("b"));
    choose(QStringLiteral("A"));
    m->cmdExit_Click();
    EXPECT_EQ(lastNote(), QStringLiteral("0"));
}

TEST_F(MemoTest, StoredQuotesInTitlesBecomeBackQuotes) {
    addNote(QStringLiteral("it's \"here\""), QStringLiteral("q"));
    openMemo();
    EXPECT_EQ(titles(), QStringList{QStringLiteral("it`s `here`")});
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("q"));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("it`s `here`=q")});
}

TEST_F(MemoTest, AFailingSaveKeepsTheWindowAndTheText) {
    addNote(QStringLiteral("A"), QStringLiteral("a"));
    addNote(QStringLiteral("B"), QStringLiteral("b"));
    openMemo();
    type(QStringLiteral(" edited"));
    core::g().Db->execute(QStringLiteral("Delete from tblSettings Where Type='NOTE' And Name='A'"));

    choose(QStringLiteral("B"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    EXPECT_EQ(m->cmbTitle->currentText(), QStringLiteral("A"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("a edited"));

    prompts.clear();
    m->cmdExit_Click();
    EXPECT_TRUE(memoLoaded());
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("a edited"));

    prompts.answer(ui::Answer::Yes);
    m->cmdCancel_Click();
    EXPECT_FALSE(memoLoaded());
}

TEST_F(MemoTest, StoredNotesOfEveryShapeAreShownAndKeptUnlessEdited) {
    const QString damaged = QStringLiteral("{\\rtf1\\ansi {\\b bold} and more");
    addNote(QStringLiteral("A damaged"), damaged);
    addNote(QStringLiteral("B null"), QVariant());
    addNote(QStringLiteral("C plain"), QStringLiteral("just text"));
    openMemo();
    EXPECT_TRUE(lastBox().text.startsWith(QStringLiteral("This note could not be read completely (")));
    EXPECT_TRUE(lastBox().text.endsWith(QStringLiteral(
        ").  It is shown as far as it could be read; the stored note is kept unless you change it.")));
    EXPECT_TRUE(m->txtNotes->Text().startsWith(QStringLiteral("bold and more")));
    EXPECT_FALSE(m->NoteChanged);
    choose(QStringLiteral("B null"));
    EXPECT_EQ(m->txtNotes->Text(), QString());
    choose(QStringLiteral("C plain"));
    EXPECT_EQ(m->txtNotes->Text(), QStringLiteral("just text"));
    m->cmdExit_Click();
    EXPECT_EQ(storedRtf(QStringLiteral("A damaged")), damaged);
}

TEST_F(MemoTest, FindSelectsWordForWordWithoutWrappingAndPastPictures) {
    addNote(QStringLiteral("N"), QString());
    openMemo();
    const QString png = tmp.path() + QStringLiteral("/dot.png");
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::red);
    ASSERT_TRUE(dot.save(png));
    m->txtNotes->setText(QStringLiteral("Start\n"));
    m->txtNotes->moveCursor(QTextCursor::End);
    ASSERT_TRUE(m->txtNotes->insertPicture(png));
    type(QStringLiteral(" The Word here.\nthen a word again."));

    prompts.answerInput(QStringLiteral("word"));
    m->cmdFind_Click();
    EXPECT_EQ(m->txtNotes->SelText(), QStringLiteral("Word"));
    EXPECT_EQ(m->finder.FindPosition, 13);
    EXPECT_TRUE(m->cmdFindNext->isEnabled());
    m->cmdFindNext_Click();
    EXPECT_EQ(m->txtNotes->SelText(), QStringLiteral("word"));
    m->cmdFindNext_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("[word]\r\n\r\nReached end of notes."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No more occurrences found"));
    EXPECT_FALSE(m->cmdFindNext->isEnabled());

    prompts.answerInput(QStringLiteral("absent"));
    m->cmdFind_Click();
    EXPECT_EQ(lastBox().text,
              QStringLiteral("[absent]\r\n\r\nThe text you searched for (shown above) was not found."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Text not found"));
    EXPECT_EQ(prompts.asked()[prompts.asked().size() - 2].inputRequest.defaultText, QStringLiteral("word"));
}

TEST_F(MemoTest, ResizeRulesAndTabletPlacement) {
    core::g().TabletModeOn = true;
    addNote(QStringLiteral("A"), QStringLiteral("a"));
    openMemo();
    EXPECT_TRUE(m->ImageKeyboard->isVisibleTo(m));
    EXPECT_NEAR(ui::pixelsToTwipsY(m->frameGeometry().top() - ui::screenRect(m).top()), 10, 15);
    m->resize(ui::twipsToPixelsX(12000), ui::twipsToPixelsY(9000));
    m->Form_Resize();
    const double h = ui::pixelsToTwipsY(m->frameGeometry().height());
    const double w = ui::pixelsToTwipsX(m->frameGeometry().width());
    EXPECT_NEAR(ui::pixelsToTwipsY(m->txtNotes->height()), h - 2515, 15);
    EXPECT_NEAR(ui::pixelsToTwipsX(m->txtNotes->width()), w - 900, 15);
    EXPECT_NEAR(ui::pixelsToTwipsY(m->cmdCancel->y()), h - 1200, 15);
    EXPECT_NEAR(ui::pixelsToTwipsX(m->cmdExit->x()), w / 2 + 150, 15);
    EXPECT_NEAR(ui::pixelsToTwipsX(m->cmdAdd->x()), w / 2 + 150 + 1530 + 300, 30);
    EXPECT_EQ(m->ImageKeyboard->y(), m->cmdExit->y());
    EXPECT_EQ(m->cmbTitle->y(), ui::twipsToPixelsY(312));
}

TEST_F(MemoTest, TheMainWindowsNotesCommandShowsTheWindow) {
    notes::registerWindows();
    addNote(QStringLiteral("A"), QStringLiteral("a"));
    bool shown = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *w = qobject_cast<MemoForm *>(d)) {
            shown = true;
            w->Form_Activate();
            w->cmdExit_Click();
        }
    });
    EXPECT_TRUE(songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::MemoForm)));
    EXPECT_TRUE(shown);
    EXPECT_FALSE(memoLoaded());
    songlist::OtherWindows::clear();
}
