// The typing rules as the focus leaves a box: durations, file names, folders, BPM, dates in two
// locales, the rename and move warnings, what a double click on a misc field or the notes opens,
// and the four web look-ups' addresses.
#include "EditorFixture.h"

#include "core/frmMessage.h"
#include "editor/EditorText.h"
#include "editor/WebLookups.h"

using editor::NameEdit;
namespace ui = platform::ui;
namespace settings = platform::settings;

namespace {

struct RuleCase {
    const char *typed;
    const char *message;   // nullptr = no message
    const char *title;
};

TEST_F(EditorTest, DurationRules) {
    const RuleCase cases[] = {
        {"", nullptr, nullptr},
        {"   ", nullptr, nullptr},
        {"00:03:47", nullptr, nullptr},
        {"01:75:00", nullptr, nullptr},  // minutes have no upper limit
        {"99:00:59", nullptr, nullptr},
        {" 0:-3:47", nullptr, nullptr},  // the lenient number test
        {"00:03:60", "There cannot be more than 59 seconds in the two right-most numbers of a song duration.  "
                     "Therefore, \"00:03:60\" is not a valid duration.  An example of the correct format is 00:03:47",
         "Error - Invalid Duration"},
        {"3:47", "\"3:47\" is not a valid duration.  An example of the correct format is 00:03:47",
         "Error - Invalid Duration Format"},
        {"00-03-47", "\"00-03-47\" is not a valid duration.  An example of the correct format is 00:03:47",
         "Error - Invalid Duration Format"},
        {"aa:bb:cc", "\"aa:bb:cc\" is not a valid duration.  An example of the correct format is 00:03:47",
         "Error - Invalid Duration Format"},
    };
    edit(idOf(QStringLiteral("Full Song")));
    for (const RuleCase &c : cases) {
        SCOPED_TRACE(c.typed);
        prompts.clear();
        e->txtDuration->setText(QString::fromLatin1(c.typed));
        bool Cancel = false;
        e->txtDuration_Validate(Cancel);
        if (!c.message) {
            EXPECT_FALSE(Cancel);
            EXPECT_TRUE(prompts.asked().isEmpty());
            continue;
        }
        EXPECT_TRUE(Cancel);
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(lastBox().text, QString::fromLatin1(c.message));
        EXPECT_EQ(lastBox().title, QString::fromLatin1(c.title));
        EXPECT_EQ(lastBox().buttons, ui::Buttons::OKCancel);
        EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
        EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::First);
        EXPECT_EQ(e->txtDuration->text(), QString::fromLatin1(c.typed)); // OK keeps the text
        prompts.answer(ui::Answer::Cancel);
        e->txtDuration_Validate(Cancel);
        EXPECT_EQ(e->txtDuration->text(), QStringLiteral("00:03:47")); // Cancel puts the stored one back
    }
}

TEST_F(EditorTest, DurationEqualToTheStoredOneIsNotTestedEvenWhenMalformed) {
    edit(idOf(QStringLiteral("Plain Two"))); // stored "3:5"
    bool Cancel = false;
    e->txtDuration_Validate(Cancel);
    EXPECT_FALSE(Cancel);
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(EditorTest, NewRecordsDurationComparesWithWhatItStartedWithNotTheGridsSong) {
    open();
    go(idOf(QStringLiteral("Plain Two"))); // the grid's song has the malformed "3:5"
    edit(0);
    e->txtDuration->setText(QStringLiteral("3:5"));
    bool Cancel = false;
    prompts.answer(ui::Answer::Cancel);
    e->txtDuration_Validate(Cancel);
    EXPECT_TRUE(Cancel);
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(e->txtDuration->text(), QString()); // not the grid song's duration
    closeEditor();

    // From a template, Cancel puts back the template's duration.
    core::g().TemplateRecordId = idOf(QStringLiteral("Plain One"));
    edit(0);
    e->txtDuration->setText(QStringLiteral("1:00"));
    prompts.answer(ui::Answer::Cancel);
    e->txtDuration_Validate(Cancel);
    EXPECT_EQ(e->txtDuration->text(), QStringLiteral("00:02:00"));
}

TEST_F(EditorTest, FileNameRules) {
    struct Case {
        const char *typed;
        ui::Answer answer;
        bool message, cancel;
        const char *after;
    };
    const Case cases[] = {
        {"other.mp3", ui::Answer::OK, false, false, "other.mp3"},
        {"a?b: c\\d.mp3", ui::Answer::OK, false, false, "a?b: c\\d.mp3"},
        {"a/b.mp3", ui::Answer::OK, true, false, "a/b.mp3"},
        {"a/b.mp3", ui::Answer::Cancel, true, true, "full.mp3"},
        {"..", ui::Answer::Cancel, true, true, "full.mp3"},
        {"   ", ui::Answer::OK, false, false, ""},
        {"", ui::Answer::OK, false, false, ""},
    };
    settings::SaveSetting(settings::OptionsSection, core::frmMessage::FileNameWarningKey, QStringLiteral("1"));
    edit(idOf(QStringLiteral("Full Song")));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        prompts.clear();
        e->txtFileName->setText(QString::fromLatin1(c.typed));
        prompts.answer(c.answer);
        bool Cancel = false;
        e->txtFileName_Validate(Cancel);
        EXPECT_EQ(!prompts.asked().isEmpty(), c.message);
        if (c.message) {
            EXPECT_EQ(lastBox().text, QStringLiteral("\"%1\" is not a valid file name.  Please change it or press "
                                                     "the Cancel button.")
                                          .arg(QString::fromLatin1(c.typed)));
            EXPECT_EQ(lastBox().title, QStringLiteral("Error - Invalid File Name"));
            EXPECT_EQ(lastBox().buttons, ui::Buttons::OKCancel);
        }
        EXPECT_EQ(Cancel, c.cancel);
        EXPECT_EQ(e->txtFileName->text(), QString::fromLatin1(c.after));
    }
}

TEST_F(EditorTest, NewRecordsInvalidFileNameCancelEmptiesTheBox) {
    open();
    go(idOf(QStringLiteral("Full Song")));
    edit(0);
    e->txtFileName->setText(QStringLiteral("bad/name"));
    prompts.answer(ui::Answer::Cancel);
    bool Cancel = false;
    e->txtFileName_Validate(Cancel);
    EXPECT_TRUE(Cancel);
    EXPECT_EQ(e->txtFileName->text(), QString());
}

TEST_F(EditorTest, RenameAndMoveWarningsAppearOnlyWhenTheyApply) {
    QStringList warnings;
    bool cancelWarning = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (auto *m = qobject_cast<core::frmMessage *>(d)) {
            warnings << m->windowTitle() + QStringLiteral("|") + m->lblMessage->text();
            (cancelWarning ? m->cmdCancel : m->cmdOK)->click();
        }
    });
    const QString other = tmp.path() + QStringLiteral("/other/");
    QDir().mkpath(other);
    edit(idOf(QStringLiteral("Full Song")));

    // File name.
    e->txtFileName->setText(QStringLiteral("renamed.mp3"));
    bool Cancel = false;
    e->txtFileName_Validate(Cancel);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], QStringLiteral("Warning|Changing the File name here will rename this file on your computer "
                                          "when you save this record.\n\nYou can change this behavior in the "
                                          "Options menu."));
    EXPECT_FALSE(Cancel);
    cancelWarning = true;
    e->txtFileName_Validate(Cancel);
    EXPECT_TRUE(Cancel);
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("full.mp3"));

    // Folder: an existing folder gets its "/" and the move warning.
    warnings.clear();
    Cancel = false;
    cancelWarning = false;
    e->txtPathName->setText(tmp.path() + QStringLiteral("/other"));
    e->txtPathName_Validate(Cancel);
    EXPECT_EQ(e->txtPathName->text(), other);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Warning|Changing the Path name here will move this file")));
    EXPECT_FALSE(Cancel);
    EXPECT_TRUE(e->cmdEditTags->isEnabled());
    cancelWarning = true;
    e->txtPathName_Validate(Cancel);
    EXPECT_TRUE(Cancel);
    EXPECT_EQ(e->txtPathName->text(), music);

    // Not while renaming is switched off, nor once silenced.
    warnings.clear();
    Cancel = false;
    core::g().FileRenameDisabled = true;
    e->txtFileName->setText(QStringLiteral("renamed.mp3"));
    e->txtFileName_Validate(Cancel);
    e->txtPathName->setText(other);
    e->txtPathName_Validate(Cancel);
    core::g().FileRenameDisabled = false;
    settings::SaveSetting(settings::OptionsSection, core::frmMessage::FileNameWarningKey, QStringLiteral("1"));
    settings::SaveSetting(settings::OptionsSection, core::frmMessage::PathNameWarningKey, QStringLiteral("1"));
    e->txtFileName->setText(QStringLiteral("again.mp3"));
    e->txtFileName_Validate(Cancel);
    e->txtPathName_Validate(Cancel);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_FALSE(Cancel);
    EXPECT_EQ(e->txtFileName->text(), QStringLiteral("again.mp3"));
}

TEST_F(EditorTest, RenameWarningNeedsTheStoredFileOnDiskAndAnExistingRecord) {
    int warnings = 0;
    ui::ScopedModalHook hook([&](QDialog *d) {
        if (qobject_cast<core::frmMessage *>(d))
            ++warnings;
    });
    edit(idOf(QStringLiteral("Plain One"))); // its file does not exist
    e->txtFileName->setText(QStringLiteral("renamed.mp3"));
    bool Cancel = false;
    e->txtFileName_Validate(Cancel);
    closeEditor();
    go(idOf(QStringLiteral("Full Song")));
    edit(0);
    e->txtFileName->setText(QStringLiteral("renamed.mp3"));
    e->txtFileName_Validate(Cancel);
    e->txtPathName->setText(music);
    e->txtPathName_Validate(Cancel);
    EXPECT_EQ(warnings, 0);
    EXPECT_EQ(e->txtPathName->text(), music.chopped(0)); // a new record gets no "/" added
    e->txtPathName->setText(tmp.path());
    e->txtPathName_Validate(Cancel);
    EXPECT_EQ(e->txtPathName->text(), tmp.path());
    EXPECT_FALSE(Cancel);
}

TEST_F(EditorTest, MissingFolderRules) {
    edit(idOf(QStringLiteral("Plain One"))); // stored folder does not exist
    bool Cancel = false;
    e->txtPathName_Validate(Cancel); // equal to the stored one: passes
    EXPECT_FALSE(Cancel);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_FALSE(e->cmdEditTags->isEnabled());

    e->txtPathName->setText(QStringLiteral("/nowhere/at/all/"));
    prompts.answer(ui::Answer::OK);
    e->txtPathName_Validate(Cancel);
    EXPECT_EQ(lastBox().text, QStringLiteral("Invalid Path name. Folder \"/nowhere/at/all/\" does not exist."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::OKCancel);
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    EXPECT_FALSE(Cancel);
    EXPECT_EQ(e->txtPathName->text(), QStringLiteral("/nowhere/at/all/"));
    prompts.answer(ui::Answer::Cancel);
    e->txtPathName_Validate(Cancel);
    EXPECT_TRUE(Cancel);
    EXPECT_EQ(e->txtPathName->text(), QStringLiteral("/no/such/folder/"));

    Cancel = false;
    prompts.clear();
    e->txtPathName->setText(QStringLiteral("   "));
    e->txtPathName_Validate(Cancel);
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_EQ(e->txtPathName->text(), QString());
}

TEST_F(EditorTest, BpmMustBeANumber) {
    const std::pair<const char *, bool> cases[] = {
        {"120", false}, {" 98 ", false}, {"", false}, {"  ", false}, {"12a", true}, {"fast", true}, {"1.5", false}};
    edit(idOf(QStringLiteral("Full Song")));
    for (const auto &[typed, refused] : cases) {
        SCOPED_TRACE(typed);
        prompts.clear();
        NameEdit::setBoxText(e->txtBPM, QString::fromLatin1(typed));
        bool Cancel = false;
        e->txtBPM_Validate(Cancel);
        EXPECT_EQ(Cancel, refused);
        if (refused) {
            EXPECT_EQ(lastBox().text, QStringLiteral("Beats per minute must be a number"));
            EXPECT_EQ(lastBox().title, QStringLiteral("Invalid BPM"));
            EXPECT_EQ(lastBox().icon, ui::Icon::None);
            EXPECT_EQ(lastBox().buttons, ui::Buttons::OK);
        }
    }
}

TEST_F(EditorTest, DatesFollowTheLocale) {
    struct Case {
        QLocale::Territory territory;
        const char *typed;
        bool refused;
    };
    const Case cases[] = {
        {QLocale::UnitedStates, "12/31/2024", false}, {QLocale::UnitedStates, "31/12/2024", true},
        {QLocale::UnitedKingdom, "31/12/2024", false}, {QLocale::UnitedKingdom, "12/31/2024", true},
        {QLocale::UnitedStates, "2024-12-31", false}, {QLocale::UnitedKingdom, "2024-12-31", false},
        {QLocale::UnitedStates, "", false},           {QLocale::UnitedStates, "soon", true},
        {QLocale::UnitedStates, " ", true},
    };
    edit(idOf(QStringLiteral("Full Song")));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(QLocale(QLocale::English, c.territory));
        prompts.clear();
        e->txtDate2->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(e->txtDate2_LostFocus(), c.refused);
        EXPECT_EQ(prompts.messageTexts(), c.refused ? QStringList{QStringLiteral("Invalid date")} : QStringList{});
    }
    // A date shown by the editor reads back as the same date in each locale.
    for (auto t : {QLocale::UnitedStates, QLocale::UnitedKingdom}) {
        QLocale::setDefault(QLocale(QLocale::English, t));
        const QString shown = editor::shortDate(QDate(1925, 3, 4));
        EXPECT_TRUE(shown.contains(QStringLiteral("1925"))) << shown.toStdString();
        e->txtPurchaseDate->setText(shown);
        EXPECT_FALSE(e->txtPurchaseDate_LostFocus());
    }
}

TEST_F(EditorTest, MiscFieldDoubleClickOpensMailFilesAndWebAddresses) {
    const QString file = tmp.path() + QStringLiteral("/notes.txt");
    testenv::writeFile(file, "x");
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("me@example.com"), QStringLiteral("mailto:me@example.com")},
        {QStringLiteral("first.last@example.com"), QStringLiteral("mailto:first.last@example.com")},
        {QStringLiteral("www.example.com"), QStringLiteral("http://www.example.com")},
        {file, QUrl::fromLocalFile(file).toString()},
        {QStringLiteral("no link here"), QString()},
        {QString(), QString()},
    };
    edit(idOf(QStringLiteral("Full Song")));
    for (const auto &[text, url] : cases) {
        SCOPED_TRACE(text.toStdString());
        prompts.openedUrls.clear();
        e->txtMiscField3->setText(text);
        e->txtMiscField_DblClick(3);
        if (url.isEmpty())
            EXPECT_TRUE(prompts.openedUrls.isEmpty());
        else {
            ASSERT_EQ(prompts.openedUrls.size(), 1);
            EXPECT_EQ(prompts.openedUrls[0].toString(), url);
        }
    }
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
}

TEST_F(EditorTest, NotesDoubleClickOpensTheNotesWindowAndPutsTheCaretAtTheStart) {
    edit(idOf(QStringLiteral("Full Song")));
    standIn(songlist::OtherWindows::NotesForm, [this] {
        ui::findForm<NameEdit>()->txtNotes->setPlainText(QStringLiteral("written back"));
    });
    QTextCursor c = e->txtNotes->textCursor();
    c.movePosition(QTextCursor::End);
    e->txtNotes->setTextCursor(c);
    e->txtNotes_DblClick();
    EXPECT_EQ(opened, QStringList{QStringLiteral("NotesForm")});
    EXPECT_EQ(e->txtNotes->toPlainText(), QStringLiteral("written back"));
    EXPECT_EQ(e->txtNotes->textCursor().position(), 0);
    EXPECT_FALSE(e->txtNotes->textCursor().hasSelection());
    EXPECT_TRUE(core::g().RecordChanged);
    // Without a notes window nothing happens and nothing is said.
    songlist::OtherWindows::clear();
    e->txtNotes_DblClick();
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST(WebLookupAddresses, QueriesAreEncodedPartByPart) {
    using editor::WebLookups;
    const QString web = QStringLiteral("https://www.google.com/search?newwindow=1&q=");
    const QString images = QStringLiteral("https://www.google.com/search?newwindow=1&site=imghp&tbm=isch&source=hp&q=");
    auto s = [](const QUrl &u) { return u.toString(QUrl::FullyEncoded); };
    struct Case {
        QUrl address;
        QString expected;
    };
    const Case cases[] = {
        {WebLookups::songAddress(QStringLiteral(" The  Band "), QStringLiteral("Song Name")),
         web + QStringLiteral("The++Band+Song+Name")},
        {WebLookups::songAddress(QString(), QStringLiteral("Alone")), web + QStringLiteral("+Alone")},
        {WebLookups::songAddress(QStringLiteral("Simon & Co"), QStringLiteral("C# Minor")),
         web + QStringLiteral("Simon+%26+Co+C%23+Minor")},
        {WebLookups::songAddress(QStringLiteral("A+B"), QStringLiteral("100%")),
         web + QStringLiteral("A%2BB+100%25")},
        {WebLookups::songAddress(QStringLiteral("Björk"), QStringLiteral("Jóga")),
         web + QStringLiteral("Bj%C3%B6rk+J%C3%B3ga")},
        {WebLookups::lyricsAddress(QStringLiteral("Artist"), QStringLiteral("Song")),
         web + QStringLiteral("song+lyrics+for+Song+Artist")},
        {WebLookups::albumArtAddress(QStringLiteral("Artist"), QStringLiteral("Song"), QStringLiteral("The Album")),
         images + QStringLiteral("album+art+Artist+The+Album")},
        {WebLookups::albumArtAddress(QStringLiteral("Artist"), QStringLiteral("Song"), QStringLiteral("  ")),
         images + QStringLiteral("album+art+Artist+Song")},
        {WebLookups::coverVersionsAddress(QString()), web + QStringLiteral("cover+song+")},
        {WebLookups::coverVersionsAddress(QStringLiteral("What?")), web + QStringLiteral("cover+song+What%3F")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(s(c.address), c.expected);
}

TEST(EditorText, ProperCaseKeyLooksOnlyAtTheEndOfTheText) {
    using editor::properCaseKey;
    EXPECT_EQ(properCaseKey(QString(), 'a'), 'A');
    EXPECT_EQ(properCaseKey(QStringLiteral("The "), 'z'), 'Z');
    EXPECT_EQ(properCaseKey(QStringLiteral("The"), 'z'), 'z');
    EXPECT_EQ(properCaseKey(QStringLiteral("Rock'"), 'n'), 'n');
    EXPECT_EQ(properCaseKey(QStringLiteral("Hip-"), 'h'), 'h');
    EXPECT_EQ(properCaseKey(QString(), '1'), '1');
    EXPECT_EQ(properCaseKey(QString(), 0xE9), 0xE9); // only a to z
}

} // namespace
