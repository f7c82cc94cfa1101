// The editor's record commands: Add New (blank, from the template, template gone), Next and
// Previous with their ends and refusals, Delete, the template row and Categories; the main grid
// standing on the song the editor shows.
#include "EditorFixture.h"

#include "core/SettingsRows.h"
#include "editor/RecordNavigation.h"

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

class NavigationTest : public EditorTest {
protected:
    // RecordIDs of the grid's rows in display order.
    QList<long> rows() const {
        auto *rs = w->Data1->recordset();
        QList<long> ids;
        for (long p = 0; p < rs->recordCount(); ++p)
            ids << rs->valueAt(p, rs->fieldOrdinal(QStringLiteral("RecordID"))).toLongLong();
        return ids;
    }
    // The grid's current row and the song the editor shows agree.
    void expectShows(long id) {
        EXPECT_EQ(currentId(), id);
        EXPECT_EQ(e->txtSongName->text(), field(id, QStringLiteral("SongName")).toString());
        EXPECT_EQ(e->windowTitle(), QStringLiteral("View/Edit an Existing Record"));
        EXPECT_TRUE(core::g().EditingExistingRecord);
        EXPECT_FALSE(core::g().RecordChanged);
    }
    QStringList boxTexts() const {
        QStringList t;
        for (QLineEdit *b : e->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly))
            if (!b->isReadOnly())
                t << b->objectName() + QLatin1Char('=') + b->text();
        return t;
    }
    void setTemplate(long id) {
        core::SettingsRows::write(QString::fromLatin1(core::SettingsRows::TemplateRecordId), QString::number(id));
        core::g().TemplateRecordId = id;
    }
    QString templateRow() { return rowName(QStringLiteral("TEMPLATE RecordID")); }
};

TEST_F(NavigationTest, AddNewBlankKeepsOnlyTheFieldLabelsAndEntersAddMode) {
    const long full = idOf(QStringLiteral("Full Song"));
    edit(full);
    e->cmdAddNew_Click();
    for (const QString &t : boxTexts()) {
        const bool label = t.contains(QLatin1String("_Desc="));
        EXPECT_EQ(t.endsWith(QLatin1Char('=')), !label) << t.toStdString();
    }
    EXPECT_EQ(e->txtMiscField1_Desc->text(), QStringLiteral("Mail"));
    EXPECT_TRUE(e->txtNotes->toPlainText().isEmpty());
    EXPECT_EQ(e->cmbGenre->currentText(), QString());
    EXPECT_EQ(e->cmbRating->currentIndex(), -1);
    EXPECT_FALSE(core::g().RecordChanged);
    EXPECT_FALSE(core::g().EditingExistingRecord);
    EXPECT_EQ(e->windowTitle(), QStringLiteral("Add a New Record"));
    EXPECT_TRUE(e->cmdCategories->isHidden());
    EXPECT_TRUE(e->cmdWebLookup->isHidden());
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    EXPECT_FALSE(e->cmdEditTags->isEnabled());
    EXPECT_EQ(e->cmdBrowsePath->text(), QStringLiteral("Browse"));
    EXPECT_EQ(currentId(), full);
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(NavigationTest, AddNewFromTheTemplateKeepsAllButNameIdBpmAndGenreAndMovesTheGrid) {
    const long full = idOf(QStringLiteral("Full Song"));
    setTemplate(full);
    edit(idOf(QStringLiteral("Plain Two")));
    e->cmdAddNew_Click();
    EXPECT_EQ(currentId(), full);
    EXPECT_EQ(e->txtSongName->text(), QString());
    EXPECT_EQ(e->txtID->text(), QString());
    EXPECT_EQ(e->txtBPM->text(), QString());
    EXPECT_EQ(e->cmbGenre->currentText(), QString());
    EXPECT_EQ(e->txtPathName->text(), music);
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("full.mp3"));
    EXPECT_EQ(e->txtPic8File->text(), QStringLiteral("pic8.jpg"));
    EXPECT_EQ(e->txtNotes->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(e->cmbRating->currentText(), QStringLiteral("***"));
    EXPECT_TRUE(core::g().RecordChanged); // the blanked name had a value
    EXPECT_FALSE(core::g().EditingExistingRecord);
    EXPECT_EQ(e->StartPathName, music);

    // Saved, the new song is a second row; the template is untouched.
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("From Template"));
    ASSERT_TRUE(e->cmdSave_Click(false));
    const long added = idOf(QStringLiteral("From Template"));
    EXPECT_NE(added, full);
    EXPECT_EQ(field(added, QStringLiteral("PicturePath3")).toString(), QStringLiteral("pic3.jpg"));
    EXPECT_EQ(field(full, QStringLiteral("SongName")).toString(), QStringLiteral("Full Song"));
}

TEST_F(NavigationTest, AddNewWithTheTemplateGoneStartsBlankAndForgetsItForTheRun) {
    const long full = idOf(QStringLiteral("Full Song"));
    setTemplate(999999);
    edit(full);
    e->cmdAddNew_Click();
    EXPECT_EQ(core::g().TemplateRecordId, 0);
    EXPECT_EQ(templateRow(), QStringLiteral("999999"));
    EXPECT_EQ(e->txtSongName->text(), QString());
    EXPECT_EQ(e->txtPic1File->text(), QString());
    EXPECT_EQ(e->txtDate2_Desc->text(), QStringLiteral("Recorded"));
    EXPECT_EQ(e->cmbGenre->currentIndex(), -1);
    EXPECT_EQ(e->cmbGenre->currentText(), QStringLiteral("Rock")); // unlike the blank Add New
    EXPECT_EQ(e->cmbRating->currentIndex(), -1);
    EXPECT_EQ(currentId(), full);

    // A template the view does not list is as good as gone.
    closeEditor();
    setTemplate(full);
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'Plain One'"));
    w->Data1->refresh();
    edit(idOf(QStringLiteral("Plain One")));
    e->cmdAddNew_Click();
    EXPECT_EQ(core::g().TemplateRecordId, 0);
    EXPECT_EQ(e->txtPathName->text(), QString());
}

TEST_F(NavigationTest, ARefusedSaveStopsAddNewNextAndPreviousWithTheEditsKept) {
    core::g().Db->execute(QStringLiteral("Update tblContacts Set ID = 'TAKEN' Where SongName = 'Plain One'"));
    const long one = idOf(QStringLiteral("Plain Two"));
    for (auto command : {&NameEdit::cmdAddNew_Click, &NameEdit::cmdNext_Click, &NameEdit::cmdPrev_Click}) {
        prompts.clear();
        edit(one);
        NameEdit::setBoxText(e->txtID, QStringLiteral("TAKEN"));
        (e->*command)();
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You cannot have a Song with the same ID number as an existing Song."));
        EXPECT_EQ(currentId(), one);
        EXPECT_EQ(e->txtID->text(), QStringLiteral("TAKEN"));
        EXPECT_TRUE(core::g().RecordChanged);
        EXPECT_TRUE(core::g().EditingExistingRecord);
        EXPECT_TRUE(e->cmdCategories->isVisibleTo(e));
        ui::flushUnloadedForms();
        ASSERT_TRUE(editorLoaded());
        closeEditor();
    }
    EXPECT_EQ(field(one, QStringLiteral("ID")), QVariant());
}

TEST_F(NavigationTest, NextAndPreviousWalkTheGridAndStopAtItsEnds) {
    open();
    const QList<long> ids = rows();
    ASSERT_EQ(ids.size(), 4);
    edit(ids[0]);
    for (int i = 1; i < 4; ++i) {
        e->cmdNext_Click();
        expectShows(ids[i]);
    }
    e->cmdNext_Click(); // the last row again
    expectShows(ids[3]);
    for (int i = 2; i >= 0; --i) {
        e->cmdPrev_Click();
        expectShows(ids[i]);
    }
    // Previous on the first row shows it again, also after Add New: a later save must not
    // write the new record over the first row.
    e->cmdAddNew_Click();
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("typed"));
    core::g().RecordChanged = false;
    e->cmdPrev_Click();
    expectShows(ids[0]);
    EXPECT_EQ(e->txtArtist->text(), field(ids[0], QStringLiteral("Artist")).toString());
    EXPECT_TRUE(e->cmdCategories->isVisibleTo(e));
    // Play stays off after Add New, whatever is shown.
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    e->cmdNext_Click();
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(NavigationTest, NextAndPreviousRefuseAnEmptyGridAndAChangedSongWithoutAName) {
    const long one = idOf(QStringLiteral("Plain One"));
    edit(one);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("  "));
    for (auto command : {&NameEdit::cmdNext_Click, &NameEdit::cmdPrev_Click}) {
        (e->*command)();
        EXPECT_EQ(lastBox().text, QStringLiteral("You have made changes to the existing record, but it cannot be "
                                                 "saved because it does not have a Song Name."));
        EXPECT_EQ(lastBox().title, QStringLiteral("Critical data was not supplied"));
        EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
        EXPECT_EQ(currentId(), one);
        EXPECT_EQ(e->txtSongName->text(), QStringLiteral("  "));
    }
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    w->Data1->refresh();
    for (auto command : {&NameEdit::cmdNext_Click, &NameEdit::cmdPrev_Click}) {
        (e->*command)();
        EXPECT_EQ(lastBox().text,
                  QStringLiteral("There are no records to display in the current selection.  Add some records first."));
        EXPECT_EQ(lastBox().title, QStringLiteral("No records to display"));
        EXPECT_EQ(lastBox().icon, ui::Icon::Information);
    }
}

TEST_F(NavigationTest, NextSavesAChangeFirstAndADuplicateViewMovesOnWithoutClosing) {
    open();
    const QList<long> ids = rows();
    edit(ids[1]);
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Saved On Next"));
    e->cmdNext_Click();
    EXPECT_EQ(field(ids[1], QStringLiteral("Artist")).toString(), QStringLiteral("Saved On Next"));
    expectShows(ids[2]);

    // A duplicate view saves nothing: the change is left behind and the editor stays open.
    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongs"));
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Not Saved"));
    e->cmdNext_Click();
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    expectShows(ids[3]);
    EXPECT_NE(field(ids[2], QStringLiteral("Artist")).toString(), QStringLiteral("Not Saved"));
}

TEST_F(NavigationTest, PreviousInAViewListingTheFirstSongTwiceGoesToTheFirstRow) {
    const long full = idOf(QStringLiteral("Full Song")), one = idOf(QStringLiteral("Plain One"));
    auto &db = *core::g().Db;
    for (auto [id, category] : {std::pair{full, 1}, {one, 2}, {full, 3}})
        db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (?, ?)"), QVariantList{qint64(id), category});
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from qryContacts Order By CategoryNumber"));
    w->Data1->refresh();
    ASSERT_EQ(rows(), (QList<long>{full, one, full}));
    edit(full);
    w->Data1->moveLast();
    e->cmdPrev_Click();
    expectShows(full);
    EXPECT_EQ(w->Data1->recordset()->absolutePosition(), 0);
}

TEST_F(NavigationTest, DeleteRefusesANewRecordAndABlankNameAndAsksFirst) {
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("New"));
    e->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("You cannot delete a record before you add it!"));
    EXPECT_EQ(lastBox().title, QStringLiteral("New record not saved yet"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Critical);
    closeEditor();

    const long one = idOf(QStringLiteral("Plain One"));
    edit(one);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral(" "));
    e->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Name is blank."));
    EXPECT_EQ(lastBox().title, QStringLiteral("No record deleted"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Information);

    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Typed Name"));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set SongName = '  Plain One  ' Where RecordID = ?"), QVariantList{qint64(one)});
    prompts.answer(ui::Answer::No);
    e->cmdDelete_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this record?\rPlain One"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Confirmation"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(lastBox().icon, ui::Icon::Question);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
    EXPECT_EQ(count(QStringLiteral("Select count(*) from tblContacts")), 4);
}

TEST_F(NavigationTest, DeleteShowsTheNextRowOrThePreviousAfterTheLastAndClosesOnTheOnlyRow) {
    open();
    QList<long> ids = rows();
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (?, 5)"), QVariantList{qint64(ids[1])});
    db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, ContactRecordID) Values (1, 1, ?)"),
               QVariantList{qint64(ids[1])});
    edit(ids[1]); // a middle row
    prompts.answer(ui::Answer::Yes);
    e->cmdDelete_Click();
    expectShows(ids[2]);
    EXPECT_EQ(field(ids[1], QStringLiteral("SongName")), QVariant(QStringLiteral("<no row>")));
    EXPECT_EQ(count(QStringLiteral("Select count(*) from tblCategoryID")), 1);
    EXPECT_EQ(count(QStringLiteral("Select count(*) from tblPlayListDetail")), 1);

    ids = rows();
    go(ids.last()); // the last row
    e->MoveDataToForm();
    prompts.answer(ui::Answer::Yes);
    e->cmdDelete_Click();
    expectShows(ids[ids.size() - 2]);
    EXPECT_EQ(rows().size(), 2);

    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where RecordID = %1").arg(rows().last()));
    w->Data1->refresh();
    e->MoveDataToForm();
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("changed")); // nothing left to save
    prompts.answer(ui::Answer::Yes);
    e->cmdDelete_Click();
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    EXPECT_EQ(w->Data1->recordCount(), 0);
    EXPECT_EQ(prompts.asked().size(), 3); // the three questions, no "Lose any changes?"
}

TEST_F(NavigationTest, DeleteInAViewListingTheSongTwiceShowsAnotherSong) {
    const long full = idOf(QStringLiteral("Full Song")), one = idOf(QStringLiteral("Plain One"));
    auto &db = *core::g().Db;
    for (auto [id, category] : {std::pair{one, 1}, {full, 2}, {full, 3}})
        db.execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (?, ?)"), QVariantList{qint64(id), category});
    open();
    w->Data1->setRecordSource(QStringLiteral("Select * from qryContacts Order By CategoryNumber"));
    w->Data1->refresh();
    edit(full); // the second row; the third is the same song
    prompts.answer(ui::Answer::Yes);
    e->cmdDelete_Click();
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    expectShows(one);
    EXPECT_EQ(prompts.asked().size(), 1);
}

TEST_F(NavigationTest, TheTemplateRowIsAddedOnceEditedAfterAndClearedInEitherMode) {
    const long one = idOf(QStringLiteral("Plain One")), two = idOf(QStringLiteral("Plain Two"));
    edit(0);
    e->cmdMakeDefault_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("You must save this record first before you can make it the default template."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Must save record first"));
    EXPECT_EQ(templateRow(), QStringLiteral("<none>"));
    closeEditor();

    for (long id : {one, two}) {
        edit(id);
        e->cmdMakeDefault_Click();
        EXPECT_EQ(lastBox().title, QStringLiteral("Template Saved"));
        EXPECT_EQ(lastBox().text, QStringLiteral("This record will be used as a template for new records.  All data "
                                                 "in this record (except the Name and ID fields) will now appear in "
                                                 "new records."));
        EXPECT_EQ(core::g().TemplateRecordId, id);
        EXPECT_EQ(templateRow(), QString::number(id));
        closeEditor();
    }
    EXPECT_EQ(rowCount(QStringLiteral("TEMPLATE RecordID")), 1);

    for (long id : {two, 0L}) {
        edit(id);
        setTemplate(one);
        e->cmdClearDefault_Click();
        EXPECT_EQ(lastBox().text, QStringLiteral("Template reset to original default."));
        EXPECT_EQ(lastBox().title, QStringLiteral("Template Cleared"));
        EXPECT_EQ(core::g().TemplateRecordId, 0);
        EXPECT_EQ(templateRow(), QStringLiteral("0"));
        closeEditor();
    }
    EXPECT_EQ(rowCount(QStringLiteral("TEMPLATE RecordID")), 1);
}

TEST_F(NavigationTest, CategoriesAndTheTemplateCommandsReportADatabaseErrorAndEndOnlyTheCommand) {
    edit(idOf(QStringLiteral("Plain One")));
    standIn("CategoryAssign");
    e->cmdCategories_Click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("CategoryAssign")});

    // A view left without rows: each command reports the error and ends.
    w->Data1->setRecordSource(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    w->Data1->refresh();
    prompts.answer(ui::Answer::Yes);
    for (auto command : {&NameEdit::cmdMakeDefault_Click, &NameEdit::cmdDelete_Click}) {
        prompts.clear();
        (e->*command)();
        EXPECT_EQ(prompts.messageTexts(), QStringList{QStringLiteral("No current record.")});
        EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    }
    EXPECT_EQ(templateRow(), QStringLiteral("<none>"));
    EXPECT_EQ(core::g().TemplateRecordId, 0);
    ui::flushUnloadedForms();
    EXPECT_TRUE(editorLoaded());
}

} // namespace
