// Opening the editor: every field of a full and of a Null song, a new song blank or from the
// template, the views that restrict it, the play-list combo, its place on the screen, the
// opener, and the load's trap.
#include "EditorFixture.h"

#include "editor/EditorText.h"
#include "import/GenreTable.h"
#include "import/ModM4ATags.h"
#include "platform/ui/Forms.h"
#include "platform/ui/OnScreenKeyboard.h"

#include <QAbstractItemView>
#include <QSet>
#include <QToolButton>

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

TEST_F(EditorTest, ViewEditShowsEveryFieldOfTheSong) {
    edit(idOf(QStringLiteral("Full Song")));
    ASSERT_TRUE(loaded);
    const std::pair<QLineEdit *, const char *> boxes[] = {
        {e->txtSongName, "Full Song"}, {e->txtID, "ID-1"}, {e->txtBPM, "120"}, {e->txtArtist, "The Artist"},
        {e->txtAlbum, "The Album"}, {e->txtComposer, "Composer"}, {e->txtFileName, "full.mp3"},
        {e->txtBitrate, "192 kbps"}, {e->txtDuration, "00:03:47"}, {e->txtTrackText, "7"},
        {e->txtFileSize, "4.1 MB"}, {e->txtYear, "1925"}, {e->txtDate2_Desc, "Recorded"},
        {e->txtMiscField1_Desc, "Mail"}, {e->txtMiscField1, "me@example.com"}, {e->txtMiscField2_Desc, "Site"},
        {e->txtMiscField2, "www.example.com"}, {e->txtMiscField3_Desc, "Other"}, {e->txtMiscField3, "plain"},
        {e->txtCode, "C1"}, {e->txtPic1File, "pic1.jpg"}, {e->txtPic8File, "pic8.jpg"}};
    for (const auto &[box, text] : boxes)
        EXPECT_EQ(box->text(), QString::fromLatin1(text)) << box->objectName().toStdString();
    EXPECT_EQ(e->txtPathName->text(), music);
    EXPECT_EQ(e->cmbGenre->currentText(), QStringLiteral("Rock"));
    EXPECT_EQ(e->cmbRating->currentIndex(), 2);
    // Dates keep their four-digit year (a two-digit one would come back as 2025), and the time
    // when it is not midnight.
    EXPECT_EQ(e->txtPurchaseDate->text(), QStringLiteral("3/4/1925"));
    EXPECT_EQ(e->txtDate2->text(), QStringLiteral("12/31/2024 ") + QLocale().toString(QTime(13, 45), QLocale::ShortFormat));
    EXPECT_TRUE(e->lblDateUpdated->text().startsWith(QStringLiteral("1/2/2025 3:04")));
    EXPECT_EQ(e->txtNotes->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(e->cmdBrowsePath->text(), QStringLiteral("Move"));
    EXPECT_EQ(e->cmdBrowseFile->text(), QStringLiteral("Rename"));
    EXPECT_TRUE(e->cmdEditTags->isEnabled());
    EXPECT_FALSE(e->cmdCategories->isHidden());
    EXPECT_FALSE(e->cmdWebLookup->isHidden());
    EXPECT_TRUE(e->cmdPlay->isEnabled());
    EXPECT_FALSE(core::g().RecordChanged);
    EXPECT_EQ(core::g().LocateCriteria, QStringLiteral("RecordID = %1").arg(idOf(QStringLiteral("Full Song"))));
    EXPECT_EQ(e->focusWidget(), e->txtSongName);
    EXPECT_EQ(e->lblTodaysDate->text(), editor::shortDate(QDate::currentDate()));
}

TEST_F(EditorTest, NullSongShowsEmptyBoxesAndTheMiscLabelsOfViewEdit) {
    edit(nullSongId());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(e->cmbGenre->currentIndex(), -1);
    EXPECT_EQ(e->cmbGenre->currentText(), QString());
    EXPECT_EQ(e->cmbRating->currentIndex(), -1);
    for (QLineEdit *box : {e->txtSongName, e->txtPathName, e->txtFileName, e->txtPurchaseDate, e->txtDate2,
                           e->txtDate2_Desc, e->txtPic3File})
        EXPECT_EQ(box->text(), QString()) << box->objectName().toStdString();
    EXPECT_EQ(e->lblDateUpdated->text(), QString());
    EXPECT_EQ(e->txtMiscField1_Desc->text(), QStringLiteral("Misc Field 1"));
    EXPECT_EQ(e->txtMiscField2_Desc->text(), QStringLiteral("Misc Field 2"));
    EXPECT_EQ(e->txtMiscField3_Desc->text(), QStringLiteral("Misc Field 3"));
    EXPECT_EQ(e->cmdBrowsePath->text(), QStringLiteral("Browse"));
    EXPECT_EQ(e->cmdBrowseFile->text(), QStringLiteral("Browse"));
    EXPECT_FALSE(e->cmdEditTags->isEnabled());
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(EditorTest, GenreOutsideTheListShowsAsTextAndAnOddRatingAsAnExtraItem) {
    addSong({{"SongName", QStringLiteral("Odd")}, {"Genre", QStringLiteral("Zydeco")}, {"Rating", QStringLiteral("6 stars")}});
    edit(idOf(QStringLiteral("Odd")));
    EXPECT_EQ(e->cmbGenre->currentText(), QStringLiteral("Zydeco"));
    EXPECT_EQ(e->cmbRating->currentText(), QStringLiteral("6 stars"));
    EXPECT_EQ(e->cmbRating->count(), 7);
    // The extra item belongs to that song only.
    go(idOf(QStringLiteral("Full Song")));
    e->MoveDataToForm();
    EXPECT_EQ(e->cmbRating->count(), 6);
    EXPECT_EQ(e->cmbRating->currentText(), QStringLiteral("***"));
}

TEST_F(EditorTest, LongStoredValueIsShownWholeButTypingStopsAtTheLimit) {
    const QString longName(300, QLatin1Char('x'));
    addSong({{"SongName", longName}, {"ID", QStringLiteral("12345678901234")}});
    edit(idOf(longName));
    EXPECT_EQ(e->txtSongName->text(), longName);
    EXPECT_EQ(e->txtID->text(), QStringLiteral("12345678901234"));
    e->txtID->setText(QString());
    e->txtID->setCursorPosition(0);
    QTest::keyClicks(e->txtID, QStringLiteral("123456789012345"));
    EXPECT_EQ(e->txtID->text().size(), 14); // never longer than what was there
    // A fresh record types up to the box's own limit.
    go(idOf(QStringLiteral("Plain One")));
    e->MoveDataToForm();
    QTest::keyClicks(e->txtID, QStringLiteral("123456789012345"));
    EXPECT_EQ(e->txtID->text(), QStringLiteral("1234567890"));
    // Folder and file name take any length.
    const QString longPath = QStringLiteral("/") + QString(400, QLatin1Char('p')) + QStringLiteral("/");
    NameEdit::setBoxText(e->txtPathName, longPath);
    EXPECT_EQ(e->txtPathName->text(), longPath);
}

// A long title opened scrolled to its end, its first words hidden.
TEST_F(EditorTest, ALongSongNameOpensSelectedWithItsStartInView) {
    const QString longName = QStringLiteral("A song whose title is so very long that the editor box cannot show it "
                                            "whole at once, not even close to it, however wide the window is made");
    addSong({{"SongName", longName}});
    edit(idOf(longName));
    showActive();
    ASSERT_TRUE(e->txtSongName->hasFocus());
    EXPECT_EQ(e->txtSongName->selectedText(), longName);
    EXPECT_EQ(e->txtSongName->cursorPosition(), 0);
    const QRect caret = e->txtSongName->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_LT(caret.left(), e->txtSongName->width() / 4) << "the start of the title is out of view";
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(EditorTest, AddWithoutTemplateShowsTheDesignValues) {
    open();
    go(idOf(QStringLiteral("Full Song")));
    edit(0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(e->txtSongName->text(), QString());
    EXPECT_EQ(e->txtMiscField1_Desc->text(), QStringLiteral("Misc. Field 1"));
    EXPECT_EQ(e->txtMiscField3_Desc->text(), QStringLiteral("Misc. Field 3"));
    EXPECT_EQ(e->txtDate2_Desc->text(), QStringLiteral("Date 2"));
    EXPECT_EQ(e->cmbGenre->currentIndex(), -1);
    EXPECT_FALSE(e->cmdEditTags->isEnabled());
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    EXPECT_TRUE(e->cmdCategories->isHidden());
    EXPECT_TRUE(e->cmdWebLookup->isHidden());
    EXPECT_EQ(e->cmdBrowsePath->text(), QStringLiteral("Browse"));
    EXPECT_EQ(e->cmdBrowseFile->text(), QStringLiteral("Browse"));
    EXPECT_FALSE(core::g().RecordChanged);
    EXPECT_EQ(currentId(), idOf(QStringLiteral("Full Song")));
}

TEST_F(EditorTest, AddFromTemplateBlanksTheSongsOwnFieldsAndCountsThatAsAChange) {
    open();
    go(idOf(QStringLiteral("Plain Two")));
    core::g().TemplateRecordId = idOf(QStringLiteral("Full Song"));
    edit(0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(currentId(), idOf(QStringLiteral("Full Song"))); // the grid follows the template
    for (QLineEdit *box : {e->txtSongName, e->txtID, e->txtBPM})
        EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(e->cmbGenre->currentIndex(), -1);
    EXPECT_EQ(e->cmbGenre->currentText(), QString());
    EXPECT_EQ(e->txtArtist->text(), QStringLiteral("The Artist"));
    EXPECT_EQ(e->txtMiscField1_Desc->text(), QStringLiteral("Mail"));
    EXPECT_EQ(e->txtPic2File->text(), QStringLiteral("pic2.jpg"));
    EXPECT_EQ(e->cmdBrowsePath->text(), QStringLiteral("Move"));
    EXPECT_EQ(e->cmdBrowseFile->text(), QStringLiteral("Rename"));
    EXPECT_TRUE(e->cmdEditTags->isEnabled());
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    EXPECT_TRUE(core::g().RecordChanged);
}

TEST_F(EditorTest, TemplateWithoutTheBlankedFieldsLeavesTheRecordUnchanged) {
    addSong({{"Artist", QStringLiteral("Template Artist")}, {"Duration", QStringLiteral("00:02:00")}});
    open();
    auto rs = core::g().Db->openRecordset(
        QStringLiteral("Select RecordID from tblContacts Where Artist = 'Template Artist'"));
    core::g().TemplateRecordId = rs->value(0).toLongLong();
    edit(0);
    EXPECT_EQ(e->txtArtist->text(), QStringLiteral("Template Artist"));
    EXPECT_EQ(e->txtDuration->text(), QStringLiteral("00:02:00"));
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(EditorTest, TemplateNotDisplayedIsForgottenAndTheRecordIsBlank) {
    setRow(QStringLiteral("TEMPLATE RecordID"), QStringLiteral("9999"));
    open();
    go(idOf(QStringLiteral("Plain One")));
    core::g().TemplateRecordId = 9999;
    edit(0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(core::g().TemplateRecordId, 0);
    EXPECT_EQ(rowName(QStringLiteral("TEMPLATE RecordID")), QStringLiteral("9999"));
    EXPECT_EQ(currentId(), idOf(QStringLiteral("Plain One")));
    EXPECT_EQ(e->txtDuration->text(), QString());
    EXPECT_EQ(e->txtMiscField2_Desc->text(), QStringLiteral("Misc. Field 2"));
}

TEST_F(EditorTest, RestrictedViewsHideOrDisableTheRecordCommands) {
    struct Case {
        const char *category, *filterMsg, *selected, *source;
        bool save, addNew, addVisible, deleteVisible;
    };
    const Case cases[] = {
        {"", "", "", nullptr, true, true, true, true},
        {"Records containing \"x\"", "", "", nullptr, true, true, false, false},
        {"", "Records with invalid file names", "", nullptr, true, true, false, false},
        {"", "", " AND Selected = 'X'", nullptr, true, true, false, true},
        {"", "", "", "qryDuplicateSongs", false, false, true, true},
        {"", "", "", "qryShowDuplicatesToBeDeletedAlbum", false, false, true, true},
    };
    open();
    const QString normal = w->Data1->recordSource();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.category) + c.filterMsg + c.selected + (c.source ? c.source : ""));
        w->lblCategory->setText(QString::fromUtf8(c.category));
        w->lblFilterMsg->setText(QString::fromUtf8(c.filterMsg));
        core::g().SelectedClause = QString::fromUtf8(c.selected);
        w->Data1->setRecordSource(c.source ? QString::fromLatin1(c.source) : normal);
        edit(idOf(QStringLiteral("Full Song")));
        EXPECT_EQ(e->cmdSave->isEnabled(), c.save);
        EXPECT_EQ(e->cmdAddNew->isEnabled(), c.addNew);
        EXPECT_EQ(!e->cmdAddNew->isHidden(), c.addVisible);
        EXPECT_EQ(!e->cmdDelete->isHidden(), c.deleteVisible);
        closeEditor();
    }
}

TEST_F(EditorTest, PlayListComboListsThePlayListsAndSetsBothToolTips) {
    open();
    edit(idOf(QStringLiteral("Full Song")));
    // No play lists: the current list is forgotten and the tips keep their design values.
    core::g().CurrentPlayList = QStringLiteral("Gone");
    closeEditor();
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_EQ(core::g().CurrentPlayList, QString());
    EXPECT_EQ(e->cmbHeader->count(), 0);
    EXPECT_EQ(e->cmdAddToPlaylist->toolTip(), QString());
    closeEditor();

    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values ('Road')"));
    db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName) Values ('Morning')"));
    edit(idOf(QStringLiteral("Full Song")));
    ASSERT_EQ(e->cmbHeader->count(), 2);
    EXPECT_EQ(e->cmbHeader->itemText(0), QStringLiteral("Morning"));
    EXPECT_EQ(e->cmbHeader->itemData(0).toInt(), 2);
    EXPECT_EQ(e->cmbHeader->currentIndex(), -1);
    EXPECT_EQ(e->cmdAddToPlaylist->toolTip(), QStringLiteral("Select a Play List from the drop-down list."));
    EXPECT_EQ(e->cmbHeader->toolTip(), QStringLiteral("Select a Play List from the drop-down list."));
    EXPECT_GE(e->cmbHeader->view()->minimumWidth(), 220);

    e->cmbHeader->setCurrentIndex(1);
    e->cmbHeader_Click();
    EXPECT_EQ(core::g().CurrentPlayList, QStringLiteral("Road"));
    EXPECT_EQ(e->cmdAddToPlaylist->toolTip(), QStringLiteral("Play List: Road"));
    EXPECT_EQ(e->cmbHeader->toolTip(), QStringLiteral("Play List: Road"));
    closeEditor();
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_EQ(e->cmbHeader->toolTip(), QStringLiteral("Play List: Road"));
}

TEST_F(EditorTest, FirstOpeningIsCentredLaterOnesOpenWhereTheLastClosed) {
    edit(idOf(QStringLiteral("Full Song")));
    const QRect screen = ui::screenRect(e);
    EXPECT_NEAR(e->x(), screen.left() + (screen.width() - e->width()) / 2, 1);
    e->move(ui::twipsToPixelsX(1500), ui::twipsToPixelsY(900));
    e->close();
    EXPECT_NEAR(core::g().EditorLeft, 1500, 15);
    EXPECT_NEAR(core::g().EditorTop, 900, 15);
    ui::flushUnloadedForms();
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_EQ(e->pos(), QPoint(ui::twipsToPixelsX(core::g().EditorLeft), ui::twipsToPixelsY(core::g().EditorTop)));
}

TEST_F(EditorTest, TabletModeOpensAtTheTopAndShowsTheKeyboardImage) {
    core::g().TabletModeOn = true;
    int started = 0;
    ui::setOnScreenKeyboardLauncher([&] { ++started; });
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_EQ(e->y(), ui::screenRect(e).top() + ui::twipsToPixelsY(10));
    EXPECT_FALSE(e->ImageKeyboard->isHidden());
    EXPECT_EQ(e->ImageKeyboard->toolTip(), QStringLiteral("Display On-Screen Keyboard"));
    e->ImageKeyboard_Click();
    EXPECT_EQ(started, 1);
    core::g().TabletModeOn = false;
    e->ImageKeyboard_Click();
    EXPECT_EQ(started, 1);
    ui::setOnScreenKeyboardLauncher({});
}

TEST_F(EditorTest, DesktopModeHidesTheKeyboardImage) {
    edit(idOf(QStringLiteral("Full Song")));
    EXPECT_TRUE(e->ImageKeyboard->isHidden());
}

TEST_F(EditorTest, NoCurrentRowShowsTheTrapsMessageAndClosesWithoutWriting) {
    open();
    w->Data1->moveLast();
    w->Data1->moveNext(); // past the last row: no current row
    core::g().EditingExistingRecord = true;
    core::g().RecordChanged = true; // left over: the failed window still asks nothing
    e = ui::form<NameEdit>();
    EXPECT_FALSE(e->Form_Load());
    EXPECT_EQ(lastBox().text, QStringLiteral("No current record. - Error number:3021"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::OK);
    EXPECT_EQ(lastBox().icon, ui::Icon::None);
    EXPECT_EQ(prompts.asked().size(), 1);
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
}

TEST_F(EditorTest, EnterInTheSearchBoxWithoutACurrentRowShowsTheTrapsMessage) {
    open();
    w->Data1->moveLast();
    w->Data1->moveNext();
    int shown = 0;
    ui::ScopedModalHook hook([&](QDialog *) { ++shown; });
    int key = 13;
    w->txtLocate_KeyPress(key);
    EXPECT_EQ(prompts.messageTexts(), QStringList{QStringLiteral("No current record. - Error number:3021")});
    EXPECT_EQ(shown, 0);
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
}

TEST_F(EditorTest, SongDeletedMeanwhileShowsTheTrapsMessageAndWritesNothing) {
    open();
    go(idOf(QStringLiteral("Plain One")));
    core::g().Db->execute(QStringLiteral("Delete * from tblContacts Where SongName = 'Plain One'"));
    core::g().EditingExistingRecord = true;
    e = ui::form<NameEdit>();
    EXPECT_FALSE(e->Form_Load());
    EXPECT_TRUE(lastBox().text.contains(QStringLiteral(" - Error number:"))) << lastBox().text.toStdString();
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    auto rs = core::g().Db->openRecordset(QStringLiteral("Select * from tblContacts"));
    EXPECT_EQ(rs->recordCount(), 3);
}

TEST_F(EditorTest, OpenerGivesTheCallersCaptionOrTheViewEditOne) {
    open();
    go(idOf(QStringLiteral("Full Song")));
    QStringList captions;
    ui::ScopedModalHook hook([&](QDialog *d) {
        captions << d->windowTitle();
        if (auto *n = qobject_cast<NameEdit *>(d))
            captions << n->txtSongName->text();
    });
    core::g().EditingExistingRecord = true;
    songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::NameEdit));
    EXPECT_FALSE(editorLoaded());
    w->cmdEdit_Click();
    w->cmdAdd_Click();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("View/Edit an Existing Record"), QStringLiteral("Full Song"),
                                     QStringLiteral("View/Edit an Existing Record"), QStringLiteral("Full Song"),
                                     QStringLiteral("Add a New Record"), QString()}));
}

TEST_F(EditorTest, DesignValuesOfTheLists) {
    edit(idOf(QStringLiteral("Full Song")));
    ASSERT_EQ(e->cmbGenre->count(), 148);
    EXPECT_EQ(e->cmbGenre->itemText(0), QStringLiteral("A Cappella"));
    EXPECT_EQ(e->cmbGenre->itemText(147), QStringLiteral("Vocal"));
    EXPECT_TRUE(e->cmbGenre->isEditable());
    // The same names as the import's genre table, none with trailing blanks.
    import::ModM4ATags::LoadGenreTable();
    QSet<QString> table;
    for (int i = 0; i < 148; ++i)
        table.insert(import::GenreTable::instance().value(QString::number(i)).trimmed());
    QSet<QString> listed;
    for (int i = 0; i < 148; ++i) {
        listed.insert(e->cmbGenre->itemText(i));
        EXPECT_EQ(e->cmbGenre->itemText(i), e->cmbGenre->itemText(i).trimmed());
    }
    EXPECT_EQ(listed, table);
    ASSERT_EQ(e->cmbRating->count(), 6);
    EXPECT_EQ(e->cmbRating->itemText(5), QStringLiteral(" "));
    EXPECT_FALSE(e->cmbRating->isEditable());
    EXPECT_EQ(e->txtNotes->property("Tag").toString(), QStringLiteral("txtNotes"));
    EXPECT_EQ(e->cmbHeader->property("Tag").toString(), QStringLiteral("cmbHeader"));
    EXPECT_EQ(e->txtPic5File->property("Tag").toString(), QStringLiteral("5"));
    EXPECT_EQ(e->objectName(), QStringLiteral("NameEdit"));
    EXPECT_EQ(e->txtSongAddedToPlaylist->text(), QStringLiteral("Song added to Play List"));
    EXPECT_TRUE(e->txtSongAddedToPlaylist->isHidden());
    EXPECT_EQ(e->ProperFlag->text(), QStringLiteral("Capitalize"));
    EXPECT_TRUE(e->ProperFlag->isChecked());
    for (QPushButton *b : e->findChildren<QPushButton *>())
        EXPECT_FALSE(b->autoDefault() || b->isDefault()) << b->objectName().toStdString();
}

} // namespace
