// Closing the editor: the two lose-changes questions and their answers, the views that never
// ask or take no typing, the grid finding the saved song again, the category window for a new song, and the main
// window shown again.
#include "EditorFixture.h"

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

TEST_F(EditorTest, UnchangedRecordClosesWithoutAQuestion) {
    edit(idOf(QStringLiteral("Full Song")));
    e->cmdCancel_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
}

TEST_F(EditorTest, ChangedRecordAsksAndNoKeepsTheEdits) {
    edit(idOf(QStringLiteral("Full Song")));
    e->txtArtist->setText(QStringLiteral("Someone Else"));
    EXPECT_TRUE(core::g().RecordChanged);
    prompts.answer(ui::Answer::No);
    e->cmdCancel_Click();
    const auto &box = lastBox();
    EXPECT_EQ(box.text, QStringLiteral("Lose any changes?"));
    EXPECT_EQ(box.title, QStringLiteral("Confirmation"));
    EXPECT_EQ(box.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(box.icon, ui::Icon::Question);
    EXPECT_EQ(box.defaultButton, ui::DefaultButton::First);
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    EXPECT_EQ(e->txtArtist->text(), QStringLiteral("Someone Else"));

    prompts.answer(ui::Answer::Yes);
    e->close();
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select Artist from tblContacts Where SongName = 'Full Song'"));
    EXPECT_EQ(rs->value(0).toString(), QStringLiteral("The Artist"));
}

TEST_F(EditorTest, ChangedPictureAsksTheStrongerQuestionWithNoAsDefault) {
    edit(idOf(QStringLiteral("Full Song")));
    e->txtPic1File->setText(QStringLiteral("new.jpg"));
    core::g().PictureChanged = true;
    prompts.answer(ui::Answer::No);
    e->close();
    const auto &box = lastBox();
    EXPECT_EQ(box.text, QStringLiteral("You changed a picture linked to this record.  If you proceed, the file names "
                                       "shown under the Picture buttons will revert to the OLD file names, causing "
                                       "confusion and breaking this picture link.  It is strongly recommended you "
                                       "click NO here and then SAVE this record instead.\r\rLose your changes?"));
    EXPECT_EQ(box.title, QStringLiteral(" Warning - Picture was changed"));
    EXPECT_EQ(box.icon, ui::Icon::Exclamation);
    EXPECT_EQ(box.defaultButton, ui::DefaultButton::Second);
    EXPECT_TRUE(core::g().PictureChanged);
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    prompts.answer(ui::Answer::Yes);
    e->close();
    EXPECT_FALSE(core::g().PictureChanged);
}

TEST_F(EditorTest, DuplicateViewsNeverAsk) {
    open();
    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongs"));
    edit(idOf(QStringLiteral("Full Song")));
    e->txtArtist->setText(QStringLiteral("Changed"));
    e->close();
    EXPECT_TRUE(prompts.asked().isEmpty());
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
}

TEST_F(EditorTest, DuplicateViewsShowTheRecordInBoxesThatTakeNoTyping) {
    open();
    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongs"));
    edit(idOf(QStringLiteral("Full Song")));
    const QString artist = e->txtArtist->text();
    QTest::keyClicks(e->txtArtist, QStringLiteral("typed"));
    QTest::keyClicks(e->txtNotes, QStringLiteral("typed"));
    EXPECT_EQ(e->txtArtist->text(), artist);
    EXPECT_FALSE(e->txtNotes->toPlainText().contains(QStringLiteral("typed")));
    for (QLineEdit *box : {e->txtSongName, e->txtPathName, e->txtFileName, e->txtYear, e->txtMiscField1_Desc,
                           e->txtCode, e->txtPic1File})
        EXPECT_TRUE(box->isReadOnly()) << box->objectName().toStdString();
    for (QWidget *control : std::initializer_list<QWidget *>{e->cmbGenre, e->cmbRating, e->cmdBrowseFile, e->cmdBrowsePath})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    closeEditor();

    // Any other view takes typing again.
    w->ShowAllMenu_Click();
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_FALSE(e->txtArtist->isReadOnly());
    EXPECT_FALSE(e->txtNotes->isReadOnly());
    EXPECT_TRUE(e->cmbGenre->isEnabled());
}

TEST_F(EditorTest, PositionIsKeptEvenWhenTheClosingIsCancelled) {
    edit(idOf(QStringLiteral("Full Song")));
    e->move(ui::twipsToPixelsX(3000), ui::twipsToPixelsY(1200));
    e->txtArtist->setText(QStringLiteral("Changed"));
    prompts.answer(ui::Answer::No);
    e->close();
    EXPECT_NEAR(core::g().EditorLeft, 3000, 15);
    EXPECT_NEAR(core::g().EditorTop, 1200, 15);
}

TEST_F(EditorTest, AfterASaveTheGridFindsTheSavedSongAndANewOneGetsItsCategories) {
    struct Case {
        bool newRecord;
        int assign;
        const char *name;
        bool categoriesOpen;
    };
    const Case cases[] = {
        {true, 1, "New Song", true},
        {true, 1, "   ", false},   // a name of blanks only
        {true, 0, "New Song", false},
        {false, 1, "New Song", false},
    };
    standIn(songlist::OtherWindows::CategoryAssign);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        edit(idOf(QStringLiteral("Full Song")));
        auto &s = core::g();
        s.RecordSaved = true;
        s.NewRecordAdded = c.newRecord;
        s.AssignCatgOnAdd = c.assign;
        s.LastSavedRecordId = idOf(QStringLiteral("Plain Two"));
        s.PlayFromMain = true;
        NameEdit::setBoxText(e->txtSongName, QString::fromLatin1(c.name));
        s.RecordChanged = false; // as a successful write leaves it
        w->Data1->moveFirst();
        e->close();
        EXPECT_TRUE(prompts.asked().isEmpty());
        EXPECT_EQ(currentId(), idOf(QStringLiteral("Plain Two")));
        EXPECT_EQ(opened.contains(QStringLiteral("CategoryAssign")), c.categoriesOpen);
        EXPECT_FALSE(s.NewRecordAdded);
        EXPECT_FALSE(s.PictureChanged);
        EXPECT_FALSE(s.PlayFromMain);
        EXPECT_TRUE(w->isVisible());
        ui::flushUnloadedForms();
        EXPECT_FALSE(editorLoaded());
    }
}

TEST_F(EditorTest, EscapeClosesThroughTheCloseSequence) {
    edit(idOf(QStringLiteral("Full Song")));
    showActive();
    e->txtArtist->setText(QStringLiteral("Changed"));
    prompts.answer(ui::Answer::No);
    QTest::keyClick(e->txtArtist, Qt::Key_Escape);
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Lose any changes?"));
    EXPECT_TRUE(e->isVisible());
    prompts.answer(ui::Answer::Yes);
    QTest::keyClick(e->txtNotes, Qt::Key_Escape);
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
}

} // namespace
