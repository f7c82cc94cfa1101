// Keys and checks in a shown editor: Enter, Down and Up move the focus (not in the notes box or
// the play-list combo), Enter never presses a button, a refused leave check stops Save and
// Cancel but not Add to Play List, a date box takes the focus back, capitals while typing.
#include "EditorFixture.h"

#include "platform/ui/LeaveChecks.h"

#include <QMenu>

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

class EditorKeysTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        edit(idOf(QStringLiteral("Full Song")));
        showActive();
        ASSERT_TRUE(e->txtSongName->hasFocus());
    }
    void focus(QWidget *target) {
        target->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
    }
};

TEST_F(EditorKeysTest, EnterDownAndUpMoveTheFocusThroughTheTabOrder) {
    QTest::keyClick(e->txtSongName, Qt::Key_Return);
    EXPECT_TRUE(e->txtID->hasFocus());
    QTest::keyClick(e->txtID, Qt::Key_Down);
    EXPECT_TRUE(e->txtBPM->hasFocus());
    QTest::keyClick(e->txtBPM, Qt::Key_Up);
    QTest::keyClick(e->txtID, Qt::Key_Up);
    EXPECT_TRUE(e->txtSongName->hasFocus());
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(EditorKeysTest, NotesBoxKeepsEnterAndTheArrows) {
    focus(e->txtNotes);
    e->txtNotes->moveCursor(QTextCursor::End);
    QTest::keyClick(e->txtNotes, Qt::Key_Return);
    EXPECT_TRUE(e->txtNotes->hasFocus());
    EXPECT_EQ(e->txtNotes->toPlainText(), QStringLiteral("line one\nline two\n"));
    QTest::keyClick(e->txtNotes, Qt::Key_Up);
    EXPECT_TRUE(e->txtNotes->hasFocus());
}

TEST_F(EditorKeysTest, DownInTheGenreAndRatingCombosOnlyMovesTheFocus) {
    focus(e->cmbGenre);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(e->cmbGenre->currentText(), QStringLiteral("Rock"));
    EXPECT_TRUE(e->txtBitrate->hasFocus());
    focus(e->cmbRating);
    QTest::keyClick(e->cmbRating, Qt::Key_Up);
    EXPECT_EQ(e->cmbRating->currentText(), QStringLiteral("***"));
    EXPECT_TRUE(e->txtFileName->hasFocus());
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(EditorKeysTest, EnterNeverPressesAButton) {
    int saves = 0;
    QObject::connect(e->cmdSave, &QPushButton::clicked, [&] { ++saves; });
    focus(e->cmdSave);
    QTest::keyClick(e->cmdSave, Qt::Key_Return);
    QTest::keyClick(e->txtCode, Qt::Key_Enter);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(e->isVisible());
}

TEST_F(EditorKeysTest, RefusedDurationStopsSaveAndCancelButNotAddToPlayList) {
    int saves = 0;
    QObject::connect(e->cmdSave, &QPushButton::clicked, [&] { ++saves; });
    standIn(songlist::OtherWindows::NameEditAddToPlaylist);
    focus(e->txtDuration);
    e->txtDuration->setText(QStringLiteral("3:47"));
    click(e->cmdSave);
    EXPECT_EQ(saves, 0);
    click(e->cmdCancel);
    EXPECT_TRUE(e->isVisible());
    EXPECT_EQ(prompts.messageTexts().size(), 2);
    EXPECT_EQ(prompts.lastMessage(),
              QStringLiteral("\"3:47\" is not a valid duration.  An example of the correct format is 00:03:47"));
    EXPECT_TRUE(e->txtDuration->hasFocus());
    click(e->cmdAddToPlaylist);
    EXPECT_EQ(opened, QStringList{QStringLiteral("NameEdit.cmdAddToPlaylist")});
    EXPECT_EQ(prompts.messageTexts().size(), 2);
}

TEST_F(EditorKeysTest, RefusedCheckKeepsTheFocusOnEnterAndTab) {
    focus(e->txtBPM);
    e->txtBPM->setText(QStringLiteral("fast"));
    QTest::keyClick(e->txtBPM, Qt::Key_Return);
    EXPECT_TRUE(e->txtBPM->hasFocus());
    QTest::keyClick(e->txtBPM, Qt::Key_Tab);
    EXPECT_TRUE(e->txtBPM->hasFocus());
    EXPECT_EQ(prompts.messageTexts(), (QStringList{QStringLiteral("Beats per minute must be a number"),
                                                   QStringLiteral("Beats per minute must be a number")}));
    e->txtBPM->setText(QStringLiteral("98"));
    QTest::keyClick(e->txtBPM, Qt::Key_Tab);
    EXPECT_TRUE(e->txtArtist->hasFocus());
}

TEST_F(EditorKeysTest, InvalidDateTakesTheFocusBackAndTheBoxRerunsNoCheck) {
    // The message box takes the focus while it is open, as a real one does.
    QDialog box;
    auto *ok = new QPushButton(QStringLiteral("OK"), &box);
    prompts.onMessage([&](const ui::MessageRequest &) {
        box.show();
        box.activateWindow();
        (void)QTest::qWaitForWindowActive(&box);
        ok->setFocus();
        QApplication::processEvents();
        box.hide();
        e->activateWindow();
        (void)QTest::qWaitForWindowActive(e);
    });
    focus(e->txtPurchaseDate);
    e->txtPurchaseDate->setText(QStringLiteral("31/31/2020"));
    QTest::keyClick(e->txtPurchaseDate, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_TRUE(e->txtPurchaseDate->hasFocus());
    ASSERT_EQ(prompts.messageTexts(), QStringList{QStringLiteral("Invalid date")});
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_EQ(lastBox().title, QString());
    EXPECT_EQ(e->txtPurchaseDate->text(), QStringLiteral("31/31/2020")); // not reformatted
    prompts.onMessage({});
}

TEST_F(EditorKeysTest, NameBoxesTypeCapitalsAtTheStartOfEachWord) {
    struct Case {
        const char *typed, *shown;
        bool proper;
    };
    const Case cases[] = {
        {"the long way home", "The Long Way Home", true},
        {"rock'n roll-music", "Rock'n Roll-music", true},
        {"a  b", "A  B", true},
        {"already Typed", "Already Typed", true},
        {"the long way", "the long way", false},
    };
    for (QLineEdit *boxPtr : {e->txtSongName, e->txtArtist, e->txtAlbum, e->txtComposer}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(boxPtr->objectName().toStdString() + " " + c.typed);
            e->ProperFlag->setChecked(c.proper);
            focus(boxPtr);
            boxPtr->clear();
            QTest::keyClicks(boxPtr, QString::fromLatin1(c.typed));
            EXPECT_EQ(boxPtr->text(), QString::fromLatin1(c.shown));
        }
    }
    // Only the end of the whole text counts, not the caret.
    e->ProperFlag->setChecked(true);
    focus(e->txtSongName);
    e->txtSongName->setText(QStringLiteral("ab "));
    e->txtSongName->setCursorPosition(0);
    QTest::keyClicks(e->txtSongName, QStringLiteral("x"));
    EXPECT_EQ(e->txtSongName->text(), QStringLiteral("Xab "));
    // Other boxes type as they are.
    focus(e->txtCode);
    e->txtCode->clear();
    QTest::keyClicks(e->txtCode, QStringLiteral("lower case"));
    EXPECT_EQ(e->txtCode->text(), QStringLiteral("lower case"));
}

TEST_F(EditorKeysTest, TypingMarksTheRecordChanged) {
    QTest::keyClicks(e->txtSongName, QStringLiteral("x"));
    EXPECT_TRUE(core::g().RecordChanged);
    core::g().RecordChanged = false;
    e->cmbRating->setCurrentIndex(5);
    EXPECT_TRUE(core::g().RecordChanged);
    core::g().RecordChanged = false;
    e->txtPic8File->setText(QStringLiteral("by code.jpg")); // the picture window writes a slot
    EXPECT_TRUE(core::g().RecordChanged);
}

TEST_F(EditorKeysTest, DoubleClicksReachTheNotesWindowAndTheLinks) {
    standIn(songlist::OtherWindows::NotesForm);
    QTest::mouseDClick(e->txtNotes->viewport(), Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QStringLiteral("NotesForm")});
    EXPECT_EQ(e->txtNotes->textCursor().position(), 0);
    QTest::mouseDClick(e->txtMiscField2, Qt::LeftButton);
    ASSERT_EQ(prompts.openedUrls.size(), 1);
    EXPECT_EQ(prompts.openedUrls[0].toString(), QStringLiteral("http://www.example.com"));
}

TEST_F(EditorKeysTest, WebLookupRightClickOffersTheThreeSearches) {
    EXPECT_EQ(e->cmdWebLookup->text(), QStringLiteral("Look on the web"));
    EXPECT_EQ(e->cmdWebLookup->toolTip(), QStringLiteral("Right-click for more options"));
    const auto actions = e->mnuWebLookup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Find song Lyrics"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Find album art images"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Find cover versions of this song"));
    emit e->cmdWebLookup->customContextMenuRequested(QPoint(2, 2));
    EXPECT_TRUE(e->mnuWebLookup->isVisible());
    e->mnuWebLookup->hide();
    e->cmdWebLookup->click();
    actions[2]->trigger();
    ASSERT_EQ(prompts.openedUrls.size(), 2);
    EXPECT_EQ(prompts.openedUrls[0].toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.google.com/search?newwindow=1&q=The+Artist+Full+Song"));
    EXPECT_EQ(prompts.openedUrls[1].toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.google.com/search?newwindow=1&q=cover+song+Full+Song"));
    EXPECT_TRUE(prompts.messageTexts().isEmpty()); // the desktop's answer is never reported
}

} // namespace
