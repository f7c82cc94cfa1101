// The find-and-replace window: each option's field, NULL as either text, a leading blank, any
// letter case except in the folder field, wildcard characters taken as text, the refusals in
// their order, quotes removed when a box is left, and a failed change reported and undone.
#include "CleanupFixture.h"

#include "reports/frmReplace.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using reports::frmReplace;
namespace ui = platform::ui;

class ReplaceTest : public CleanupTest {
protected:
    frmReplace *window(const QString &field, const QString &orig, const QString &repl) {
        auto *f = ui::form<frmReplace>();
        for (QRadioButton *b : f->options())
            if (b->property("Field").toString() == field)
                b->setChecked(true);
        f->txtOrig->setText(orig);
        f->txtNew->setText(repl);
        return f;
    }
    // Runs a change answered Yes; returns the question asked.
    QString replace(const QString &field, const QString &orig, const QString &repl) {
        prompts.clear();
        prompts.answer(ui::Answer::Yes);
        window(field, orig, repl)->cmdOK_Click();
        return prompts.asked().isEmpty() ? QString() : prompts.asked().first().text;
    }
    QString column(const QString &field) {
        return raw(QStringLiteral("SELECT %1 FROM tblContacts ORDER BY RecordID").arg(field));
    }
};

TEST_F(ReplaceTest, EachOptionChangesItsOwnField) {
    const QStringList fields = {"PathName", "Artist", "SongName", "Composer", "Notes", "MiscField1", "MiscField2",
                                "MiscField3", "Code", "MiscField1_Desc", "MiscField2_Desc", "MiscField3_Desc", "ID",
                                "Genre"};
    QVariantMap all;
    for (const QString &f : fields)
        all.insert(f, QStringLiteral("keep old here"));
    addSong(all);
    open();
    const QStringList names = {"optPathName", "optArtistName", "optSongName", "optComposer", "optNotes",
                               "optMiscField1", "optMiscField2", "optMiscField3", "optCode", "optMisc1Desc",
                               "optMisc2Desc", "optMisc3Desc", "optID", "optGenre"};
    auto *f = ui::form<frmReplace>();
    ASSERT_EQ(f->options().size(), 14);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(f->options()[i]->objectName(), names[i]);
        EXPECT_FALSE(f->options()[i]->isChecked());
    }
    for (const QString &field : fields) {
        replace(field, QStringLiteral("old"), QStringLiteral("new"));
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Update completed.")) << field.toStdString();
        for (const QString &other : fields)
            EXPECT_EQ(column(other), other == field ? QStringLiteral("keep new here") : QStringLiteral("keep old here"))
                << field.toStdString() << " changed " << other.toStdString();
        core::g().Db->execute(QStringLiteral("Update tblContacts Set %1 = 'keep old here'").arg(field));
    }
}

TEST_F(ReplaceTest, NullFindsEmptyFieldsAndEmptiesWholeFields) {
    song(QStringLiteral("A"), QStringLiteral("The Beatles"));
    song(QStringLiteral("B"), QVariant());
    song(QStringLiteral("C"), QString());
    song(QStringLiteral("D"), QStringLiteral("Beatles tribute"));
    open();

    EXPECT_EQ(replace(QStringLiteral("Artist"), QStringLiteral(" null "), QStringLiteral("NULL")),
              QStringLiteral("The number of records that contain no data in the selected field is: 2.  Are you sure "
                             "you want to set the selected field equal to \"NULL\" for every one of these records in "
                             "your database?"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("The Beatles|||Beatles tribute"));

    EXPECT_EQ(replace(QStringLiteral("Artist"), QStringLiteral("Null"), QStringLiteral("Unknown")).left(70),
              QStringLiteral("The number of records that contain no data in the selected field is: 2"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("The Beatles|Unknown|Unknown|Beatles tribute"));

    EXPECT_EQ(replace(QStringLiteral("Artist"), QStringLiteral("beatles"), QStringLiteral("nUlL")),
              QStringLiteral("The number of records that contain  beatles  is: 2.  Are you sure you want to remove the "
                             "data from the selected field for every one of these records in your database?"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("|Unknown|Unknown|"));
}

TEST_F(ReplaceTest, TextMatchesAsTypedAnyCaseExceptFolders) {
    song(QStringLiteral("a"), QStringLiteral("The Beatles and the BEATLES"), {{"PathName", QStringLiteral("/music/x/")}});
    song(QStringLiteral("b"), QStringLiteral("Beatles"), {{"PathName", QStringLiteral("/Music/x/")}});
    song(QStringLiteral("c"), QStringLiteral("Who?"));
    song(QStringLiteral("d"), QStringLiteral("Why"));
    open();

    EXPECT_EQ(replace(QStringLiteral("Artist"), QStringLiteral(" beatles"), QStringLiteral(" Fab Four")),
              QStringLiteral("The number of records that contain   beatles  is: 1.  Are you sure you want to replace "
                             "this part of the selected field with   Fab Four  for every one of these records in your "
                             "database?"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("The Fab Four and the Fab Four|Beatles|Who?|Why"));

    replace(QStringLiteral("Artist"), QStringLiteral("?"), QStringLiteral("!"));
    EXPECT_TRUE(prompts.asked().first().text.contains(QStringLiteral("is: 1.")));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("The Fab Four and the Fab Four|Beatles|Who!|Why"));

    replace(QStringLiteral("PathName"), QStringLiteral("/Music/"), QStringLiteral("/Songs/"));
    EXPECT_EQ(column(QStringLiteral("PathName")), QStringLiteral("/music/x/|/Songs/x/|<null>|<null>"));
}

TEST_F(ReplaceTest, RefusalsComeInOrderAndTrimTheBoxes) {
    song(QStringLiteral("a"), QStringLiteral("Abba"));
    open();
    auto *f = window(QString(), QStringLiteral("  "), QString());
    f->cmdOK_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("You must indicate which field you want to change."));
    EXPECT_EQ(lastTitle(), QStringLiteral("Field not indicated"));

    f = window(QStringLiteral("Artist"), QStringLiteral("  Abba "), QStringLiteral("   "));
    f->cmdOK_Click();
    EXPECT_EQ(lastTitle(), QStringLiteral("Text not specified"));
    EXPECT_EQ(f->txtOrig->text(), QStringLiteral("Abba"));
    EXPECT_EQ(f->txtNew->text(), QString());

    f = window(QStringLiteral("Artist"), QStringLiteral("Queen"), QStringLiteral("x"));
    f->cmdOK_Click();
    EXPECT_EQ(prompts.lastMessage(),
              QStringLiteral("The text you specified was not found in the selected field in any records."));
    f = window(QStringLiteral("Artist"), QStringLiteral("Abba"), QStringLiteral("x"));
    f->cmdOK_Click();  // No, the default
    EXPECT_EQ(lastTitle(), QStringLiteral("Confirmation"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("Abba"));
    EXPECT_TRUE(ui::isLoaded(f));
}

TEST_F(ReplaceTest, QuotesGoWhenTheFocusLeavesABoxBeforeOKRuns) {
    song(QStringLiteral("a"), QStringLiteral("say hi"));
    open();
    auto *f = window(QStringLiteral("Artist"), QStringLiteral("say \"hi\""), QStringLiteral("\"x\""));
    f->show();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->txtOrig->setFocus();
    QApplication::processEvents();
    QTest::keyClick(f->txtOrig, Qt::Key_Tab);
    EXPECT_EQ(f->txtOrig->text(), QStringLiteral("say hi"));
    f->txtNew->setFocus();
    QApplication::processEvents();
    // A click on OK as the window system delivers it: the box is left first.
    QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, f->cmdOK->mapTo(f, f->cmdOK->rect().center()));
    EXPECT_EQ(prompts.asked().first().text.left(46), QStringLiteral("The number of records that contain  say hi  is"));
    EXPECT_EQ(f->txtNew->text(), QStringLiteral("x"));
}

TEST_F(ReplaceTest, AFailedChangeIsReportedAndUndone) {
    song(QStringLiteral("a"), QStringLiteral("Abba"));
    song(QStringLiteral("b"), QStringLiteral("Abba"));
    open();
    refuse("tblContacts", "UPDATE");
    replace(QStringLiteral("Artist"), QStringLiteral("Abba"), QStringLiteral("ABBA!"));
    EXPECT_EQ(prompts.lastMessage(), Refused);
    EXPECT_EQ(lastTitle(), QStringLiteral("Orvalis"));
    EXPECT_EQ(column(QStringLiteral("Artist")), QStringLiteral("Abba|Abba"));
    EXPECT_TRUE(ui::isLoaded(QStringLiteral("frmReplace")));
}
