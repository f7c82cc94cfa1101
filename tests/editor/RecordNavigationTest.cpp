// The editor's record commands: Add New (blank, from the template, template gone), Next and
// Previous with their ends and refusals, Delete, the template row and Categories; the main grid
// standing on the song the editor shows.
#include "EditorFixture.h"

#include "core/SettingsRows.h"

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

// The commands a test steps through are plain calls in a table: this compiler's sanitizer
// build checks a call through a member function pointer (e->*command) against the wrong
// address and reports a fault the editor does not have.
using Command = std::function<void(NameEdit *)>;
const Command kAddNew = [](NameEdit *w) { w->cmdAddNew_Click(); };
const Command kNext = [](NameEdit *w) { w->cmdNext_Click(); };
const Command kPrevious = [](NameEdit *w) { w->cmdPrev_Click(); };

class NavigationTest : public EditorTest {
protected:
    QList<long> rows() const { // RecordIDs in display order
        auto *rs = w->Data1->recordset();
        QList<long> ids;
        for (long p = 0; p < rs->recordCount(); ++p)
            ids << rs->valueAt(p, rs->fieldOrdinal(QStringLiteral("RecordID"))).toLongLong();
        return ids;
    }
    void view(const QString &select) {
        w->Data1->setRecordSource(select);
        w->Data1->refresh();
    }
    void expectShows(long id) { // the grid and the editor agree, in View/Edit
        EXPECT_EQ(currentId(), id);
        EXPECT_EQ(e->txtSongName->text(), field(id, QStringLiteral("SongName")).toString());
        EXPECT_EQ(e->windowTitle(), QStringLiteral("View/Edit an Existing Record"));
        EXPECT_TRUE(core::g().EditingExistingRecord && !core::g().RecordChanged);
    }
    void setTemplate(long id) {
        core::SettingsRows::write(QStringLiteral("TEMPLATE RecordID"), QString::number(id));
        core::g().TemplateRecordId = id;
    }
    QString templateRow() { return rowName(QStringLiteral("TEMPLATE RecordID")); }
    void expectBox(const char *text, const char *title, ui::Icon icon) {
        EXPECT_EQ(lastBox().text, QString::fromLatin1(text));
        EXPECT_EQ(lastBox().title, QString::fromLatin1(title));
        EXPECT_EQ(lastBox().icon, icon);
    }
};

TEST_F(NavigationTest, AddNewBlankOrWithTheTemplateGoneKeepsOnlyTheFieldLabels) {
    const long full = idOf(QStringLiteral("Full Song"));
    for (long templateId : {0L, 999999L}) {
        edit(full);
        setTemplate(templateId);
        e->cmdAddNew_Click();
        for (QLineEdit *b : e->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!b->isReadOnly()) {
                EXPECT_EQ(b->text().isEmpty(), !b->objectName().endsWith(QLatin1String("_Desc"))) << b->objectName().toStdString();
            }
        }
        EXPECT_TRUE(e->txtNotes->toPlainText().isEmpty());
        EXPECT_EQ(e->cmbRating->currentIndex() + e->cmbGenre->currentIndex(), -2);
        // A template gone keeps the genre's text and the change mark, and is forgotten in
        // memory only.
        EXPECT_EQ(e->cmbGenre->currentText(), templateId ? QStringLiteral("Rock") : QString());
        EXPECT_EQ(core::g().RecordChanged, templateId != 0);
        EXPECT_EQ(core::g().TemplateRecordId, 0);
        EXPECT_EQ(templateRow(), QString::number(templateId));
        EXPECT_EQ(e->windowTitle(), QStringLiteral("Add a New Record"));
        EXPECT_FALSE(core::g().EditingExistingRecord);
        EXPECT_TRUE(e->cmdCategories->isHidden() && e->cmdWebLookup->isHidden());
        EXPECT_FALSE(e->cmdPlay->isEnabled() || e->cmdEditTags->isEnabled());
        closeEditor();
    }
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(NavigationTest, AddNewFromTheTemplateKeepsAllButNameIdBpmAndGenreAndMovesTheGrid) {
    const long full = idOf(QStringLiteral("Full Song"));
    setTemplate(full);
    edit(idOf(QStringLiteral("Plain Two")));
    e->cmdAddNew_Click();
    EXPECT_EQ(currentId(), full);
    for (QLineEdit *b : {e->txtSongName, e->txtID, e->txtBPM})
        EXPECT_EQ(b->text(), QString());
    EXPECT_EQ(e->cmbGenre->currentText(), QString());
    EXPECT_EQ(e->txtPathName->text() + e->txtFileName->text() + e->txtPic8File->text(), music + QStringLiteral("full.mp3pic8.jpg"));
    EXPECT_EQ(e->txtNotes->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_TRUE(core::g().RecordChanged); // the blanked name had a value
    // Saved, it is a new song: the template keeps its own name.
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("From Template"));
    ASSERT_TRUE(e->cmdSave_Click(false));
    EXPECT_EQ(field(idOf(QStringLiteral("From Template")), QStringLiteral("PicturePath3")).toString(), QStringLiteral("pic3.jpg"));
    EXPECT_EQ(field(full, QStringLiteral("SongName")).toString(), QStringLiteral("Full Song"));
}

TEST_F(NavigationTest, ANewRecordShowsNoLastUpdatedTime) {
    const long full = idOf(QStringLiteral("Full Song"));
    const std::function<void()> ways[] = {
        [&] { setTemplate(full); edit(0); },                                    // opened to add, from the template
        [&] { setTemplate(0); edit(full); e->cmdAddNew_Click(); },              // Add New, blank
        [&] { setTemplate(full); edit(idOf(QStringLiteral("Plain One"))); e->cmdAddNew_Click(); }, // from the template
    };
    for (const auto &way : ways) {
        core::g().Db->execute(QStringLiteral("Update tblContacts Set DateUpdated = #2025-01-02 03:04:05#"));
        way();
        ASSERT_TRUE(loaded);
        EXPECT_EQ(e->lblDateUpdated->text(), QString());
        closeEditor();
    }
}

TEST_F(NavigationTest, ARefusedSaveStopsAddNewNextAndPreviousWithTheEditsKept) {
    core::g().Db->execute(QStringLiteral("Update tblContacts Set ID = 'TAKEN' Where SongName = 'Plain One'"));
    const long two = idOf(QStringLiteral("Plain Two"));
    for (const Command &command : {kAddNew, kNext, kPrevious}) {
        edit(two);
        NameEdit::setBoxText(e->txtID, QStringLiteral("TAKEN"));
        command(e);
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You cannot have a Song with the same ID number as an existing Song."));
        EXPECT_EQ(currentId(), two);
        EXPECT_EQ(e->txtID->text(), QStringLiteral("TAKEN"));
        EXPECT_TRUE(core::g().RecordChanged && core::g().EditingExistingRecord);
        ui::flushUnloadedForms();
        ASSERT_TRUE(editorLoaded());
        closeEditor();
    }
}

TEST_F(NavigationTest, NextAndPreviousWalkTheGridAndStopAtItsEnds) {
    open();
    const QList<long> ids = rows();
    ASSERT_EQ(ids.size(), 4);
    edit(ids[0]);
    for (int i : {1, 2, 3, 3}) { // the last row again
        e->cmdNext_Click();
        expectShows(ids[i]);
    }
    for (int i : {2, 1, 0}) {
        e->cmdPrev_Click();
        expectShows(ids[i]);
    }
    // Previous on the first row shows it again, also from Add New: a later save must not write
    // the new record over the first row. Play stays off after Add New, whatever is shown.
    e->cmdAddNew_Click();
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("typed"));
    core::g().RecordChanged = false;
    e->cmdPrev_Click();
    expectShows(ids[0]);
    EXPECT_EQ(e->txtArtist->text(), field(ids[0], QStringLiteral("Artist")).toString());
    EXPECT_TRUE(e->cmdCategories->isVisibleTo(e));
    e->cmdNext_Click();
    EXPECT_FALSE(e->cmdPlay->isEnabled());
    EXPECT_TRUE(prompts.asked().isEmpty());

    // Likewise after a save whose song left the view, which leaves the grid on its first row.
    view(QStringLiteral("Select * from tblContacts Where Artist Is Null Order By SongName"));
    go(idOf(QStringLiteral("Plain Two"))); // its last row
    e->MoveDataToForm();
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Gone"));
    e->cmdPrev_Click();
    expectShows(rows().first());
}

TEST_F(NavigationTest, NextAndPreviousRefuseAChangedSongWithoutANameAndAnEmptyGrid) {
    const long one = idOf(QStringLiteral("Plain One"));
    edit(one);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("  "));
    for (const Command &command : {kNext, kPrevious}) {
        command(e);
        expectBox("You have made changes to the existing record, but it cannot be saved because it does not have a "
                  "Song Name.", "Critical data was not supplied", ui::Icon::Exclamation);
        EXPECT_EQ(currentId(), one);
    }
    view(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    for (const Command &command : {kNext, kPrevious}) {
        command(e);
        expectBox("There are no records to display in the current selection.  Add some records first.",
                  "No records to display", ui::Icon::Information);
    }
}

TEST_F(NavigationTest, NextSavesAChangeFirstAndADuplicateViewMovesOnWithoutClosing) {
    open();
    const QList<long> ids = rows();
    const long full = idOf(QStringLiteral("Full Song"));
    ASSERT_LT(ids.indexOf(full), 2);
    edit(full);
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Saved On Next"));
    e->cmdNext_Click();
    EXPECT_EQ(field(full, QStringLiteral("Artist")).toString(), QStringLiteral("Saved On Next"));
    const int next = ids.indexOf(full) + 1;
    expectShows(ids[next]);

    // A duplicate view saves nothing: the change is left behind and the editor stays open.
    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongs"));
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Not Saved"));
    e->cmdNext_Click();
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    expectShows(ids[next + 1]);
    EXPECT_NE(field(ids[next], QStringLiteral("Artist")).toString(), QStringLiteral("Not Saved"));
}

TEST_F(NavigationTest, DeleteRefusesANewRecordAndABlankNameAndAsksFirst) {
    edit(0);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("New"));
    e->cmdDelete_Click();
    expectBox("You cannot delete a record before you add it!", "New record not saved yet", ui::Icon::Critical);
    closeEditor();

    const long one = idOf(QStringLiteral("Plain One"));
    edit(one);
    NameEdit::setBoxText(e->txtSongName, QStringLiteral(" "));
    e->cmdDelete_Click();
    expectBox("Name is blank.", "No record deleted", ui::Icon::Information);

    // The question names the grid's row, trimmed; No keeps it.
    NameEdit::setBoxText(e->txtSongName, QStringLiteral("Typed Name"));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set SongName = '  Plain One  ' Where RecordID = ?"), QVariantList{qint64(one)});
    prompts.answer(ui::Answer::No);
    e->cmdDelete_Click();
    expectBox("Are you sure you want to delete this record?\rPlain One", "Confirmation", ui::Icon::Question);
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
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
    e->cmdDelete_Click(); // Yes is the default answer
    expectShows(ids[2]);
    EXPECT_EQ(field(ids[1], QStringLiteral("SongName")), QVariant(QStringLiteral("<no row>")));
    EXPECT_EQ(count(QStringLiteral("Select count(*) from tblCategoryID")) + count(QStringLiteral("Select count(*) from tblPlayListDetail")), 2);

    ids = rows();
    go(ids.last()); // the last row
    e->MoveDataToForm();
    e->cmdDelete_Click();
    expectShows(ids[ids.size() - 2]);

    view(QStringLiteral("Select * from tblContacts Where RecordID = %1").arg(rows().last()));
    e->MoveDataToForm();
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("changed")); // nothing left to save
    e->cmdDelete_Click();
    ui::flushUnloadedForms();
    EXPECT_FALSE(editorLoaded());
    EXPECT_EQ(w->Data1->recordCount(), 0);
    EXPECT_EQ(prompts.asked().size(), 3); // the three questions, no "Lose any changes?"
}

TEST_F(NavigationTest, AViewListingASongTwiceKeepsPreviousRuleAndDeleteShowsAnotherSong) {
    const long full = idOf(QStringLiteral("Full Song")), one = idOf(QStringLiteral("Plain One"));
    for (auto [id, category] : {std::pair{full, 1}, {one, 2}, {full, 3}, {full, 4}})
        core::g().Db->execute(QStringLiteral("Insert Into tblCategoryID (ID, CategoryNumber) Values (?, ?)"),
                              QVariantList{qint64(id), category});
    open();
    view(QStringLiteral("Select * from qryContacts Order By CategoryNumber"));
    edit(full);
    w->Data1->moveLast();
    e->cmdPrev_Click(); // leaving a row of the first row's song goes to the first row
    expectShows(full);
    EXPECT_EQ(w->Data1->recordset()->absolutePosition(), 0);

    w->Data1->setAbsolutePosition(2); // the row after it is the same song
    e->cmdDelete_Click();
    ui::flushUnloadedForms();
    ASSERT_TRUE(editorLoaded());
    expectShows(one);
    EXPECT_EQ(prompts.messageTexts().size(), 1);
}

TEST_F(NavigationTest, TheTemplateRowIsAddedOnceEditedAfterAndClearedInEitherMode) {
    const long one = idOf(QStringLiteral("Plain One")), two = idOf(QStringLiteral("Plain Two"));
    for (long id : {0L, one, two}) { // Add mode is refused
        edit(id);
        e->cmdMakeDefault_Click();
        if (id)
            expectBox("This record will be used as a template for new records.  All data in this record (except "
                      "the Name and ID fields) will now appear in new records.", "Template Saved", ui::Icon::None);
        else
            expectBox("You must save this record first before you can make it the default template.",
                      "Must save record first", ui::Icon::None);
        EXPECT_EQ(core::g().TemplateRecordId, id);
        EXPECT_EQ(templateRow(), id ? QString::number(id) : QStringLiteral("<none>"));
        closeEditor();
    }
    for (long id : {two, 0L}) {
        edit(id);
        setTemplate(one);
        e->cmdClearDefault_Click();
        expectBox("Template reset to original default.", "Template Cleared", ui::Icon::None);
        EXPECT_EQ(core::g().TemplateRecordId + templateRow().toLong(), 0);
        closeEditor();
    }
    EXPECT_EQ(rowCount(QStringLiteral("TEMPLATE RecordID")), 1);
}

TEST_F(NavigationTest, CategoriesOpensAndADatabaseErrorEndsOnlyTheCommand) {
    edit(idOf(QStringLiteral("Plain One")));
    standIn("CategoryAssign");
    e->cmdCategories_Click();
    EXPECT_EQ(opened, QStringList{QStringLiteral("CategoryAssign")});

    view(QStringLiteral("Select * from tblContacts Where SongName = 'none'"));
    const Command makeDefault = [](NameEdit *editor) { editor->cmdMakeDefault_Click(); };
    const Command remove = [](NameEdit *editor) { editor->cmdDelete_Click(); };
    for (const Command &command : {makeDefault, remove}) {
        prompts.clear();
        command(e);
        EXPECT_EQ(prompts.messageTexts(), QStringList{QStringLiteral("No current record.")});
        EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    }
    EXPECT_EQ(templateRow(), QStringLiteral("<none>"));
    ui::flushUnloadedForms();
    EXPECT_TRUE(editorLoaded());
}

} // namespace
