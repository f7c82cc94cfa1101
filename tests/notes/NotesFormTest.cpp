// The song notes window over the song editor: the copy in and back, the record's change mark,
// the remembered rectangle and the resize rules.
#include "editor/EditorFixture.h"

#include "notes/NotesForm.h"
#include "notes/NotesWindows.h"

#include <QPlainTextEdit>
#include <QToolButton>

#include <functional>

namespace ui = platform::ui;
using notes::NotesForm;

class SongNotesTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        auto &s = core::g();
        s.NotesLeft = s.NotesTop = s.NotesWidth = s.NotesHeight = 0;
        s.TabletModeOn = false;
        edit(idOf(QStringLiteral("Full Song")));
        ASSERT_TRUE(loaded);
        s.RecordChanged = false;
    }
    NotesForm *openNotes() { return n = ui::form<NotesForm>(); }
    void closeNotes() {
        n->cmdExit_Click();
        ui::flushUnloadedForms();
    }
    NotesForm *n = nullptr;
};

TEST_F(SongNotesTest, OpeningAndClosingUntouchedLeavesTheRecordAsItWas) {
    openNotes();
    EXPECT_EQ(n->txtNotes->toPlainText(), e->txtNotes->toPlainText());
    EXPECT_FALSE(core::g().RecordChanged);
    int rewrites = 0;
    QObject::connect(e->txtNotes, &QPlainTextEdit::textChanged, [&] { ++rewrites; });
    closeNotes();
    EXPECT_FALSE(core::g().RecordChanged);
    EXPECT_EQ(rewrites, 0);

    // Already changed before: the window keeps the mark and copies back.
    core::g().RecordChanged = true;
    openNotes();
    EXPECT_TRUE(core::g().RecordChanged);
    closeNotes();
    EXPECT_EQ(rewrites, 1);
}

TEST_F(SongNotesTest, TheCopyBackKeepsNonBreakingSpacesSoTheStoredNotesStayAsTheyWere) {
    const long id = idOf(QStringLiteral("Full Song"));
    const QString stored = QStringLiteral("a\u00A0b\r\nc\u2028d");
    core::g().Db->execute(QStringLiteral("Update tblContacts Set Notes = ? Where RecordID = ?"), {stored, qlonglong(id)});
    e->MoveDataToForm();
    core::g().RecordChanged = true; // another field was changed: the window copies back
    openNotes();
    closeNotes();
    e->MoveFormToData();
    EXPECT_EQ(field(id, QStringLiteral("Notes")).toString(), stored);
}

TEST_F(SongNotesTest, OneCharacterMarksTheRecordAndEveryWayOfClosingCopiesTheTextBack) {
    const std::function<void(NotesForm *)> ways[] = {
        [](NotesForm *f) { f->cmdExit->click(); },
        [](NotesForm *f) { f->close(); }, // the close box
        [](NotesForm *f) { QTest::keyClick(f, Qt::Key_Escape); },
    };
    int round = 0;
    for (const auto &closeIt : ways) {
        SCOPED_TRACE(round++);
        core::g().RecordChanged = false;
        openNotes();
        n->txtNotes->moveCursor(QTextCursor::End);
        n->txtNotes->insertPlainText(QStringLiteral("!"));
        EXPECT_TRUE(core::g().RecordChanged);
        const QString text = n->txtNotes->toPlainText();
        closeIt(n);
        ui::flushUnloadedForms();
        EXPECT_EQ(ui::findForm<NotesForm>(), nullptr);
        EXPECT_EQ(e->txtNotes->toPlainText(), text);
        EXPECT_TRUE(text.endsWith(QStringLiteral("line two") + QString(round, QLatin1Char('!'))));
        EXPECT_TRUE(core::g().RecordChanged);
    }
}

TEST_F(SongNotesTest, TheRectangleComesBackUnlessTheWindowClosedAtTheTabletTop) {
    auto &s = core::g();
    openNotes();
    n->move(ui::twipsToPixelsX(1500), ui::twipsToPixelsY(500));
    n->resize(ui::twipsToPixelsX(9000), ui::twipsToPixelsY(6000));
    closeNotes();
    EXPECT_NEAR(s.NotesTop, 500, 15); // whole pixels of 15 twips
    EXPECT_EQ(s.NotesLeft, 1500);
    EXPECT_EQ(s.NotesWidth, 9000);
    openNotes();
    EXPECT_EQ(n->pos(), QPoint(ui::twipsToPixelsX(1500), ui::twipsToPixelsY(500)));
    EXPECT_EQ(n->width(), ui::twipsToPixelsX(9000));
    n->move(ui::twipsToPixelsX(1500), ui::twipsToPixelsY(10));
    closeNotes();
    EXPECT_NEAR(s.NotesTop, 10, 15);
    openNotes();
    const QRect screen = ui::screenRect(n);
    EXPECT_NEAR(n->x(), screen.left() + (screen.width() - n->frameGeometry().width()) / 2, 2);

    // Tablet mode: top 10, 14-point text, the keyboard picture.
    closeNotes();
    s.NotesTop = 0;
    s.TabletModeOn = true;
    openNotes();
    EXPECT_EQ(n->txtNotes->font().pointSize(), 14);
    EXPECT_TRUE(n->ImageKeyboard->isVisibleTo(n));
    EXPECT_EQ(n->txtNotes->font().family(), QStringLiteral("Arial"));
}

TEST_F(SongNotesTest, ResizeRulesMoveTheFindButtonsRightOfExitInANarrowWindow) {
    openNotes();
    n->resize(ui::twipsToPixelsX(12000), ui::twipsToPixelsY(8000));
    n->Form_Resize();
    const double h = ui::pixelsToTwipsY(n->frameGeometry().height());
    const double wide = ui::pixelsToTwipsX(n->frameGeometry().width());
    EXPECT_NEAR(ui::pixelsToTwipsY(n->txtNotes->height()), h - 1515, 15);
    EXPECT_NEAR(ui::pixelsToTwipsX(n->txtNotes->width()), wide - 600, 15);
    EXPECT_NEAR(ui::pixelsToTwipsY(n->cmdExit->y()), h - 1150, 15);
    EXPECT_EQ(n->cmdFind->y(), n->cmdExit->y());
    EXPECT_EQ(n->cmdFind->x() + n->cmdFind->width(), n->txtNotes->x() + n->txtNotes->width() - n->cmdFindNext->width());
    EXPECT_LE(n->cmdExit->x() + n->cmdExit->width(), n->cmdFindNext->x());

    n->resize(ui::twipsToPixelsX(3000), ui::twipsToPixelsY(4000));
    n->Form_Resize();
    EXPECT_NEAR(n->cmdFindNext->x(), n->cmdExit->x() + n->cmdExit->width(), 1);
    EXPECT_NEAR(n->cmdFind->x(), n->cmdFindNext->x() + n->cmdFindNext->width(), 1);
}

TEST_F(SongNotesTest, FindWorksOnThePlainText) {
    openNotes();
    prompts.answerInput(QStringLiteral("LINE"));
    n->cmdFind_Click();
    EXPECT_EQ(n->txtNotes->textCursor().selectedText(), QStringLiteral("line"));
    n->cmdFindNext_Click();
    EXPECT_EQ(n->txtNotes->textCursor().selectionStart(), 9);
    n->cmdFindNext_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("[LINE]\r\n\r\nReached end of notes."));
    EXPECT_FALSE(n->cmdFindNext->isEnabled());
}

TEST_F(SongNotesTest, ADoubleClickOnTheEditorsNotesOpensTheWindow) {
    notes::registerWindows();
    bool shown = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *f = qobject_cast<NotesForm *>(d)) {
            shown = true;
            f->cmdExit_Click();
        }
    });
    e->txtNotes_DblClick();
    EXPECT_TRUE(shown);
    EXPECT_EQ(e->txtNotes->textCursor().position(), 0);
}
