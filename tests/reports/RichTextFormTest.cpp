// The report window: Edit and Lock, the load's placement on small screens and tablets, the
// resize rules and their floor, saving as .rtf (the name completed, the replace question, the
// file read back, a failed save), and the window other subsystems open with an RTF text.
#include "ReportsFixture.h"

#include "core/MsgForm.h"
#include "core/StartFolders.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

using reports::RichTextForm;
namespace ui = platform::ui;

namespace {
const QString SaveQuestion = QStringLiteral(
    "You are about to save this report to a Rich Text File (.rtf) that can be opened and printed with Microsoft Word, "
    "LibreOffice Writer, or any Word Processor.\r\n\r\nProceed?");
}

class ReportWindowTest : public DataFolderTest {
protected:
    void TearDown() override {
        RichTextForm::setScreenOverride(std::nullopt);
        songlist::OtherWindows::clear();
        DataFolderTest::TearDown();
    }
    RichTextForm *window(const QString &text = QStringLiteral("Line one\nLine two")) {
        RichTextForm *f = ui::form<RichTextForm>();
        f->RichTextBox->setText(text);
        return f;
    }
    QByteArray read(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(ReportWindowTest, EditUnlocksAndLockLocksAgain) {
    RichTextForm *f = window();
    f->Form_Activate();
    EXPECT_TRUE(f->RichTextBox->Locked());
    EXPECT_EQ(f->cmdLock->text(), QStringLiteral("Edit"));
    f->cmdLock->click();
    EXPECT_FALSE(f->RichTextBox->Locked());
    EXPECT_EQ(f->cmdLock->text(), QStringLiteral("Lock"));
    f->cmdLock->click();
    EXPECT_TRUE(f->RichTextBox->Locked());
    EXPECT_EQ(f->cmdLock->text(), QStringLiteral("Edit"));
}

TEST_F(ReportWindowTest, ActivationClosesTheProgressWindowAndPutsTheCaretAtTheStart) {
    ui::form<core::MsgForm>()->show();
    RichTextForm *f = window();
    f->RichTextBox->setSelStart(5);
    f->show();
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("MsgForm")));
    EXPECT_EQ(f->RichTextBox->SelStart(), 0);
    EXPECT_TRUE(f->RichTextBox->Locked());
}

TEST_F(ReportWindowTest, SmallScreensAtOneHundredTwentyDpiAndTabletsGetTheCompactPlacement) {
    struct Case {
        int pixelsHigh;
        double twipsPerPixel;
        bool tablet;
        bool compact;
    };
    const Case cases[] = {{768, 12, false, true}, {799, 12, false, true}, {800, 12, false, false},
                          {768, 15, false, false}, {1080, 15, true, true}, {1080, 15, false, false}};
    for (const Case &c : cases) {
        const RichTextForm::Screen s{1024 * c.twipsPerPixel, c.pixelsHigh * c.twipsPerPixel, c.twipsPerPixel,
                                     c.twipsPerPixel};
        const auto p = RichTextForm::placement(s, 15000, 9400, c.tablet);
        EXPECT_EQ(p.compact, c.compact) << c.pixelsHigh << " " << c.twipsPerPixel << " " << c.tablet;
        EXPECT_EQ(p.left, (s.widthTwips - 15000) / 2);
        if (c.compact) {
            EXPECT_EQ(p.top, 10);
            EXPECT_DOUBLE_EQ(p.height, 9400 * 0.82);
            EXPECT_DOUBLE_EQ(p.boxHeight, 8148 * 0.8);
            EXPECT_DOUBLE_EQ(p.buttonTop, 8376 * 0.8);
        } else {
            EXPECT_EQ(p.top, (s.heightTwips - 9400) / 2);
            EXPECT_EQ(p.height, 9400);
        }
    }
    // The window itself: 82 % of its height near the top of a 768-line screen.
    RichTextForm::setScreenOverride(RichTextForm::Screen{1920 * 15, 1200 * 15, 15, 15});
    const double full = ui::form<RichTextForm>()->formHeight();
    ui::unloadForm(QStringLiteral("RichTextForm"));
    ui::flushUnloadedForms();
    RichTextForm::setScreenOverride(RichTextForm::Screen{1024 * 12, 768 * 12, 12, 12});
    RichTextForm *f = ui::form<RichTextForm>();
    EXPECT_NEAR(f->formHeight(), full * 0.82, 30);
    EXPECT_LE(f->pos().y(), 1);
}

TEST_F(ReportWindowTest, ResizeCentresCloseAndKeepsButtonsAndBoxOnScreen) {
    RichTextForm *f = window();
    f->layoutForSize(15000, 9400);
    const QRectF close = f->controlRect(f->cmdClose);
    EXPECT_EQ(close.left(), 15000 / 2 - 1056 / 2);
    EXPECT_EQ(close.top(), 9400 - 420 - 600);
    EXPECT_EQ(f->controlRect(f->cmdPrint).left(), close.left() - 1056 - 1056);
    EXPECT_EQ(f->controlRect(f->cmdSave).left(), close.left() + 1056 + 1044);
    EXPECT_EQ(f->controlRect(f->cmdLock).left(), 168);
    for (QWidget *b : {static_cast<QWidget *>(f->cmdPrint), static_cast<QWidget *>(f->cmdSave),
                       static_cast<QWidget *>(f->cmdLock)})
        EXPECT_EQ(f->controlRect(b).top(), close.top());
    EXPECT_EQ(f->controlRect(f->RichTextBox).height(), 9400 - 420 - 800);
    // The box follows the width too, with its designed margin on the right (the window is not
    // shown: no frame).
    EXPECT_EQ(f->controlRect(f->RichTextBox).width(), 15000 - 156 - 234);
    f->layoutForSize(9000, 6000);
    EXPECT_EQ(f->controlRect(f->RichTextBox).width(), 9000 - 156 - 234);

    f->layoutForSize(800, 500);
    EXPECT_EQ(f->controlRect(f->cmdClose).top(), 0);
    EXPECT_EQ(f->controlRect(f->RichTextBox).height(), 0);
    EXPECT_EQ(f->controlRect(f->RichTextBox).width(), 800 - 156 - 234);
}

TEST_F(ReportWindowTest, SaveCompletesTheNameAndWritesTheReport) {
    struct Case {
        const char *chosen;
        const char *written;
    };
    const Case cases[] = {{"Report", "Report.rtf"}, {"Upper.RTF", "Upper.RTF"}, {"plain.rtf", "plain.rtf"},
                          {"notes.txt", "notes.txt.rtf"}};
    RichTextForm *f = window();
    for (const Case &c : cases) {
        prompts.clear();
        const QString chosen = tmp.file(QString::fromLatin1(c.chosen));
        const QString written = tmp.file(QString::fromLatin1(c.written));
        prompts.answerFile(chosen);
        f->cmdSave_Click();
        ASSERT_GE(prompts.asked().size(), 3);
        EXPECT_EQ(prompts.asked()[0].text, SaveQuestion);
        EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Confirmation"));
        const auto &dialog = prompts.asked()[1].file;
        EXPECT_EQ(dialog.fileName, QStringLiteral("*.rtf"));
        EXPECT_EQ(dialog.filterIndex, 1);
        EXPECT_TRUE(dialog.overwritePrompt);
        EXPECT_EQ(prompts.lastMessage(), QStringLiteral("File ") + written + QStringLiteral(" Saved"));
        platform::richtext::RichTextBox back;
        back.LoadFile(written);
        EXPECT_EQ(back.Text(), QStringLiteral("Line one\nLine two")) << c.chosen;
    }
}

TEST_F(ReportWindowTest, SaveStartsInTheMusicFolderThenWhereTheLastReportWentThisRun) {
    const QString kept = tmp.file(QStringLiteral("kept"));
    QDir().mkpath(kept);
    RichTextForm *f = window();
    prompts.answerFile(kept + QStringLiteral("/One.rtf"));
    f->cmdSave_Click();
    prompts.answerFile(std::nullopt);
    f->cmdSave_Click();
    EXPECT_EQ(saveDialogStarts(prompts), (QStringList{core::StartFolders::music(), kept}));
}

TEST_F(ReportWindowTest, CompletedNameThatExistsIsReplacedOnlyAfterYes) {
    RichTextForm *f = window();
    const QString existing = tmp.file(QStringLiteral("Report.rtf"));
    testenv::writeFile(existing, "old");

    prompts.answerFile(tmp.file(QStringLiteral("Report")));
    prompts.answer(ui::Answer::Yes);  // the save question
    prompts.answer(ui::Answer::No);   // the replace question
    f->cmdSave_Click();
    const auto &ask = *prompts.lastAsked();
    EXPECT_EQ(ask.text, existing + QStringLiteral(" already exists.\rDo you want to replace it?"));
    EXPECT_EQ(ask.title, QStringLiteral("Save As"));
    EXPECT_EQ(ask.icon, ui::Icon::Exclamation);
    EXPECT_EQ(ask.defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(read(existing), QByteArray("old"));

    prompts.clear();
    prompts.answerFile(tmp.file(QStringLiteral("Report")));
    prompts.answer(ui::Answer::Yes);
    prompts.answer(ui::Answer::Yes);
    f->cmdSave_Click();
    EXPECT_TRUE(read(existing).startsWith("{\\rtf"));
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("File ") + existing + QStringLiteral(" Saved"));
}

TEST_F(ReportWindowTest, CancelOrNoWritesNothingAndAFailedSaveShowsItsText) {
    RichTextForm *f = window();
    prompts.answer(ui::Answer::No);
    f->cmdSave_Click();
    EXPECT_EQ(prompts.asked().size(), 1);

    prompts.clear();
    f->cmdSave_Click();  // the dialog cancelled
    EXPECT_EQ(prompts.asked().size(), 2);
    EXPECT_TRUE(QDir(tmp.path()).entryList({QStringLiteral("*.rtf")}).isEmpty());

    prompts.clear();
    prompts.answerFile(tmp.file(QStringLiteral("no/such/folder/Report.rtf")));
    f->cmdSave_Click();
    EXPECT_TRUE(prompts.lastMessage().contains(QStringLiteral("Report.rtf"))) << prompts.lastMessage().toStdString();
    EXPECT_EQ(prompts.lastAsked()->buttons, ui::Buttons::OK);
    EXPECT_EQ(ui::mousePointer(), ui::MousePointer::Default);
}

TEST_F(ReportWindowTest, CloseEmptiesTheBoxAndOtherSubsystemsShowAnRtfText) {
    reports::registerWindows();
    RichTextForm *shown = nullptr;
    QString seen;
    ui::ScopedModalHook hook([&](QDialog *d) {
        shown = qobject_cast<RichTextForm *>(d);
        if (shown) {
            seen = shown->RichTextBox->Text();
            EXPECT_TRUE(shown->RichTextBox->Locked());
            shown->cmdClose->click();
        }
    });
    RichTextForm::ReportKind = QStringLiteral("Stats");
    EXPECT_TRUE(songlist::OtherWindows::open(QStringLiteral("RichTextForm"), QStringLiteral("{\\rtf1 Play list\\par}")));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(seen.startsWith(QStringLiteral("Play list"))) << seen.toStdString();
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("RichTextForm")));
    EXPECT_TRUE(RichTextForm::ReportKind.isEmpty());
}
