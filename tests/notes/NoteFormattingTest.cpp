// The formatting row of the titled notes window: the toggles, the label that shows the
// selection's font and colour, the font and colour dialog, and picture insertion.
#include "notes/NotesFixture.h"

#include "core/PictureFormats.h"
#include "notes/NoteFormatting.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QStandardPaths>

namespace ui = platform::ui;

class FormattingTest : public MemoTest {
protected:
    void SetUp() override {
        MemoTest::SetUp();
        addNote(QStringLiteral("N"), QString());
        openMemo();
        box = m->txtNotes;
        box->setText(QStringLiteral("plain bold"));
        m->NoteChanged = false;
    }
    void select(int start, int length) {
        box->setSelStart(start);
        box->setSelLength(length);
        m->txtNotes_ShowSelectionFormat();
    }
    platform::richtext::RichTextBox *box = nullptr;
};

TEST_F(FormattingTest, TogglesSetTheSelectionAndShowingAStateAppliesNothing) {
    select(6, 4);
    m->chkBold->setChecked(true);
    m->chkBold_Click();
    m->chkUnderline->setChecked(true);
    m->chkUnderline_Click();
    EXPECT_EQ(box->SelBold(), true);
    EXPECT_EQ(box->SelUnderline(), true);
    EXPECT_EQ(box->SelItalic(), false);
    EXPECT_TRUE(m->NoteChanged);

    // A partly bold selection shows Bold up and stays partly bold.
    select(0, 10);
    EXPECT_FALSE(m->chkBold->isChecked());
    EXPECT_FALSE(m->chkUnderline->isChecked());
    EXPECT_EQ(box->SelBold(), std::nullopt);
    select(7, 1);
    EXPECT_TRUE(m->chkBold->isChecked());
    select(0, 10);
    EXPECT_EQ(box->SelBold(), std::nullopt);
    EXPECT_EQ(box->SelUnderline(), std::nullopt);
}

TEST_F(FormattingTest, TheLabelShowsFontSizeAndColourReadably) {
    struct Case {
        long colour;
        QColor text, back;
    };
    const Case cases[] = {{0x0000FF, QColor(255, 0, 0), Qt::white},   // red on white
                          {0x00FFFF, QColor(255, 255, 0), Qt::black}, // yellow on black
                          {0x000000, QColor(0, 0, 0), Qt::white}};
    for (const Case &c : cases) {
        select(0, 10);
        box->setSelColor(c.colour);
        box->setSelFontSize(10.5);
        select(3, 0);
        EXPECT_EQ(m->lblFontColor->palette().color(QPalette::WindowText), c.text);
        EXPECT_EQ(m->lblFontColor->palette().color(QPalette::Window), c.back);
        EXPECT_EQ(m->lblFontColor->text(), *box->SelFontName() + QStringLiteral(" 10"));
    }
    // Mixed colour: black on white; mixed size: the name alone; mixed font: nothing.
    select(0, 2);
    box->setSelColor(0x0000FF);
    box->setSelFontSize(20);
    select(0, 10);
    EXPECT_EQ(m->lblFontColor->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(m->lblFontColor->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(m->lblFontColor->text(), *box->SelFontName());
    select(0, 2);
    box->setSelFontName(QStringLiteral("Courier"));
    select(0, 10);
    EXPECT_EQ(m->lblFontColor->text(), QString());
}

TEST_F(FormattingTest, TheFontDialogStartsFromAMixedSelectionAndAppliesAllButStrikeThrough) {
    select(0, 5);
    box->setSelFontName(QStringLiteral("Courier"));
    box->setSelFontSize(8);
    select(0, 10);
    QFont chosen(QStringLiteral("Arial"), 12);
    chosen.setBold(true);
    chosen.setStrikeOut(true);
    prompts.answerFont(chosen, QColor(0, 128, 0));
    m->cmdFontColor_Click();

    const auto &asked = lastBox();
    EXPECT_EQ(asked.kind, ui::ScriptedPrompts::Asked::Kind::Font);
    EXPECT_EQ(asked.fontRequest.title, QStringLiteral("Choose font and color"));
    EXPECT_TRUE(asked.fontRequest.offerColor);
    EXPECT_TRUE(asked.fontRequest.font.family().isEmpty() ||
                asked.fontRequest.font.family() == QFont(QString()).family());
    EXPECT_EQ(m->dialogs.Flags & notes::NoteFormatting::FontFlags, notes::NoteFormatting::FontFlags);

    EXPECT_EQ(box->SelStart(), 10);
    EXPECT_EQ(box->SelLength(), 0);
    EXPECT_TRUE(m->chkBold->isChecked());
    EXPECT_EQ(m->lblFontColor->text(), QStringLiteral("Arial 12"));
    select(0, 10);
    EXPECT_EQ(box->SelFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(box->SelFontSize(), 12.0);
    EXPECT_EQ(box->SelBold(), true);
    EXPECT_EQ(box->SelStrikeThru(), false);
    EXPECT_EQ(box->SelColor(), 0x008000L);
    EXPECT_TRUE(m->NoteChanged);
}

TEST_F(FormattingTest, CancellingTheFontDialogChangesNothing) {
    select(0, 5);
    const QString before = box->TextRTF();
    prompts.answerFont(std::nullopt);
    m->cmdFontColor_Click();
    EXPECT_EQ(box->TextRTF(), before);
    EXPECT_EQ(box->SelLength(), 5);
}

TEST_F(FormattingTest, APictureLandsInTheStoredNoteAndTheClipboardStaysAsItWas) {
    const QString png = tmp.path() + QStringLiteral("/dot.png");
    QImage dot(3, 3, QImage::Format_RGB32);
    dot.fill(Qt::blue);
    ASSERT_TRUE(dot.save(png));
    QApplication::clipboard()->setText(QStringLiteral("keep me"));
    select(0, 5);
    prompts.answerFile(png);
    m->cmdPicture_Click();

    const auto &asked = lastBox();
    EXPECT_EQ(asked.text, QStringLiteral("Picture to insert"));
    EXPECT_EQ(asked.file.filter, core::pictureFilter(QStringLiteral("Pictures")));
    EXPECT_TRUE(asked.file.filter.startsWith(QStringLiteral("Pictures (*.png;")));
    EXPECT_EQ(asked.file.initialDir, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    EXPECT_TRUE(asked.file.fileMustExist);
    EXPECT_TRUE(m->NoteChanged);
    EXPECT_EQ(box->Text(), QString(QChar(0xFFFC)) + QStringLiteral(" bold"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep me"));
    m->cmdExit_Click();
    EXPECT_TRUE(storedRtf(QStringLiteral("N")).contains(QStringLiteral("\\pngblip")));
}

TEST_F(FormattingTest, AFileThatIsNoPictureIsReportedAndChangesNothing) {
    const std::pair<const char *, QByteArray> files[] = {
        {"/empty.jpg", QByteArray()},
        {"/cut.jpg", QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10)},
        {"/text.bmp", QByteArray("not a bitmap at all")}};
    for (const auto &[name, bytes] : files) {
        const QString path = tmp.path() + QString::fromLatin1(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const QString before = box->TextRTF();
        prompts.answerFile(path);
        m->cmdPicture_Click();
        EXPECT_EQ(lastBox().text, QStringLiteral("The file ") + path + QStringLiteral(" could not be read as a picture."));
        EXPECT_EQ(lastBox().title, QStringLiteral("Picture to insert"));
        EXPECT_EQ(box->TextRTF(), before);
        EXPECT_FALSE(m->NoteChanged);
    }
}
