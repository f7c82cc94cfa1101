// The input window and ShowInputForm: Cancel and an empty answer both give "", the answer is
// returned exactly as typed, Enter acts as OK, masking does not outlive its question, and the
// tablet-mode placement and on-screen keyboard.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "core/InputForm.h"
#include "platform/ui/OnScreenKeyboard.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace platform::ui;
using core::InputForm;

namespace {

class InputFormTest : public OrvalisTest {
protected:
    void TearDown() override {
        setModalHook({});
        setOnScreenKeyboardLauncher({});
        unloadAllForms();
        flushUnloadedForms();
        OrvalisTest::TearDown();
    }
    // Runs `act` on the input window once it is shown.
    static ScopedModalHook onWindow(std::function<void(InputForm *)> act) {
        return ScopedModalHook([act](QDialog *d) {
            auto *f = qobject_cast<InputForm *>(d);
            ASSERT_NE(f, nullptr);
            act(f);
        });
    }
};

} // namespace

TEST_F(InputFormTest, ScriptedCancelGivesTheEmptyTextAndTheRequestIsPassedOn) {
    ScriptedPrompts sp;
    sp.answerInput(std::nullopt);
    sp.answerInput(QStringLiteral("  Abba  "));
    EXPECT_EQ(modMain::ShowInputForm("Find what?", "Find", "x", true), "");
    EXPECT_EQ(modMain::ShowInputForm("Find what?", "Find"), "  Abba  ");
    ASSERT_EQ(sp.asked().size(), 2);
    const auto &first = sp.asked().first().inputRequest;
    EXPECT_EQ(first.prompt, "Find what?");
    EXPECT_EQ(first.title, "Find");
    EXPECT_EQ(first.defaultText, "x");
    EXPECT_TRUE(first.masked);
}

TEST_F(InputFormTest, CancelGivesTheEmptyTextEvenAfterTypingOverADefault) {
    auto hook = onWindow([](InputForm *f) {
        QTest::keyClicks(f->txtInput, "more");
        f->cmdCancel->click();
    });
    EXPECT_EQ(modMain::ShowInputForm("Name?", "New list", "Default"), "");
    EXPECT_EQ(loadedCount(), 0);
}

TEST_F(InputFormTest, AnswersAreReturnedAsTypedAndAnEmptyOKLooksLikeCancel) {
    struct Case { const char *typed; const char *expected; };
    const Case cases[] = {{"", ""}, {"  padded  ", "  padded  "}, {"Björk", "Björk"}};
    for (const Case &c : cases) {
        auto hook = onWindow([&](InputForm *f) {
            f->txtInput->insert(QString::fromUtf8(c.typed));  // QTest types ASCII only
            f->cmdOK->click();
        });
        EXPECT_EQ(modMain::ShowInputForm("p", "t"), QString::fromUtf8(c.expected)) << c.typed;
    }
}

TEST_F(InputFormTest, EnterInTheTextBoxActsAsOK) {
    auto hook = onWindow([](InputForm *f) {
        QTest::keyClicks(f->txtInput, "42");
        QTest::keyClick(f->txtInput, Qt::Key_Return);
    });
    EXPECT_EQ(modMain::ShowInputForm("Lines per page", "Report"), "42");
}

TEST_F(InputFormTest, EscapeAndTheCloseBoxCancel) {
    {
        auto hook = onWindow([](InputForm *f) {
            QTest::keyClicks(f->txtInput, "typed");
            QTest::keyClick(f->txtInput, Qt::Key_Escape);
        });
        EXPECT_EQ(modMain::ShowInputForm("p", "t"), "");
    }
    auto hook = onWindow([](InputForm *f) {
        QTest::keyClicks(f->txtInput, "typed");
        f->close();
    });
    EXPECT_EQ(modMain::ShowInputForm("p", "t", "def"), "");
    EXPECT_EQ(loadedCount(), 0);
}

TEST_F(InputFormTest, WindowShowsPromptTitleDefaultAndMasksOnlyWhenAsked) {
    QString prompt, title, text;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    bool focused = false;
    auto hook = onWindow([&](InputForm *f) {
        prompt = f->lblMessage->text();
        title = f->windowTitle();
        text = f->txtInput->text();
        echo = f->txtInput->echoMode();
        focused = f->focusWidget() == f->txtInput;
        f->cmdOK->click();
    });
    EXPECT_EQ(modMain::ShowInputForm("Enter the password", "Password", "", true), "");
    EXPECT_EQ(prompt, "Enter the password");
    EXPECT_EQ(title, "Password");
    EXPECT_EQ(text, "");
    EXPECT_EQ(echo, QLineEdit::Password);
    EXPECT_TRUE(focused);

    EXPECT_EQ(modMain::ShowInputForm("Title of the note", "Note", "Shopping"), "Shopping");
    EXPECT_EQ(text, "Shopping");
    EXPECT_EQ(echo, QLineEdit::Normal);  // the next question shows plain text again

    // Prompts break their lines with CR (or CR LF); the label must show them as lines.
    modMain::ShowInputForm("First line\rSecond line\r\nThird line", "Find");
    EXPECT_EQ(prompt, "First line\nSecond line\nThird line");
}

TEST_F(InputFormTest, TabletModePlacesTheWindowNearTheTopAndEveryClickStartsTheKeyboard) {
    core::g().TabletModeOn = true;
    int keyboards = 0;
    setOnScreenKeyboardLauncher([&] { ++keyboards; });
    QRect geometry, screen;
    auto hook = onWindow([&](InputForm *f) {
        geometry = f->frameGeometry();
        screen = screenRect(f);
        QTest::mouseClick(f->txtInput, Qt::LeftButton);
        QTest::mouseClick(f->txtInput, Qt::LeftButton);
        f->cmdOK->click();
    });
    modMain::ShowInputForm("p", "t");
    EXPECT_EQ(keyboards, 2);
    EXPECT_EQ(geometry.top(), screen.top() + twipsToPixelsY(1000));
    EXPECT_NEAR(geometry.center().x(), screen.center().x(), 3);  // the frame is not known before the show

    core::g().TabletModeOn = false;
    keyboards = 0;
    modMain::ShowInputForm("p", "t");
    EXPECT_EQ(keyboards, 0);
    EXPECT_NEAR(geometry.center().y(), screen.center().y(), 3);  // centred on the desktop
}
