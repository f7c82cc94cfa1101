// Leave checks and lost-focus checks: which moves of the focus run them, what a refusal stops,
// a click let go while a check asks, the control that runs none, and that a message box taking
// the focus re-runs nothing.
#include "common/TestEnv.h"
#include "platform/ui/LeaveChecks.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace platform::ui;

namespace {

// A click as the window system delivers it: to the window, at the control's place.
void click(QWidget *w) {
    QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, w->mapTo(w->window(), w->rect().center()));
}

class LeaveChecksTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        window = new QDialog;
        checked = new QLineEdit(window);
        checked->setObjectName(QStringLiteral("checked"));
        checked->setGeometry(10, 10, 100, 24);
        other = new QLineEdit(window);
        other->setGeometry(10, 40, 100, 24);
        save = new QPushButton(QStringLiteral("&Save"), window);
        save->setGeometry(10, 70, 80, 28);
        save->setAutoDefault(false);
        quiet = new QPushButton(QStringLiteral("Add"), window);
        quiet->setGeometry(100, 70, 80, 28);
        quiet->setAutoDefault(false);
        label = new QLabel(QStringLiteral("label"), window);
        label->setGeometry(120, 10, 80, 24);
        QWidget::setTabOrder(checked, other);
        QWidget::setTabOrder(other, save);
        QWidget::setTabOrder(save, quiet);
        QObject::connect(save, &QPushButton::clicked, [this] { ++saveClicks; });
        QObject::connect(quiet, &QPushButton::clicked, [this] { ++quietClicks; });
        checks = new LeaveChecks(window);
        checks->setCheck(checked, [this] {
            ++runs;
            return refuse;
        });
        checks->setCausesChecks(quiet, false);
        window->resize(220, 120);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        checked->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(checked->hasFocus());
    }
    void TearDown() override {
        delete window;
        OrvalisTest::TearDown();
    }

    QDialog *window = nullptr;
    QLineEdit *checked = nullptr, *other = nullptr;
    QPushButton *save = nullptr, *quiet = nullptr;
    QLabel *label = nullptr;
    LeaveChecks *checks = nullptr;
    int runs = 0, saveClicks = 0, quietClicks = 0;
    bool refuse = false;
};

TEST_F(LeaveChecksTest, RefusedTabKeepsTheFocusAndAcceptedTabMovesIt) {
    refuse = true;
    QTest::keyClick(checked, Qt::Key_Tab);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(checked->hasFocus());
    refuse = false;
    QTest::keyClick(checked, Qt::Key_Tab);
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(other->hasFocus());
    // Leaving a control without a check runs nothing.
    QTest::keyClick(other, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(checked->hasFocus());
}

TEST_F(LeaveChecksTest, RefusedClickNeverReachesTheButton) {
    refuse = true;
    click(save);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(saveClicks, 0);
    EXPECT_TRUE(checked->hasFocus());
    refuse = false;
    click(save);
    EXPECT_EQ(saveClicks, 1);
    EXPECT_TRUE(save->hasFocus());
}

// A check that asks in a box and lets go: the mouse button is released while the box is up, so
// the click that left the control never reached the button, the focus stayed in the control and
// each further click asked again. The click goes on to its button once the box is answered.
TEST_F(LeaveChecksTest, ClickReleasedWhileTheCheckAsksStillPressesTheButtonOnce) {
    const QPoint at = save->mapTo(window, save->rect().center());
    checks->setCheck(checked, [&] {
        ++runs;
        QDialog box(window);
        QTimer::singleShot(0, &box, [&] {
            QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
            box.accept();
        });
        box.exec();
        return false;
    });
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(saveClicks, 1);
    EXPECT_EQ(window->focusWidget(), save);
    // A click whose release comes after the check, as before, presses the button once too.
    checked->setFocus();
    checks->setCheck(checked, [&] {
        ++runs;
        return false;
    });
    click(save);
    QApplication::processEvents();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(saveClicks, 2);
}

TEST_F(LeaveChecksTest, RefusedAcceleratorDoesNotPressTheButton) {
    refuse = true;
    QTest::keyClick(checked, Qt::Key_S, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(saveClicks, 0);
    EXPECT_TRUE(checked->hasFocus());
}

TEST_F(LeaveChecksTest, QuietControlAndClicksThatMoveNoFocusRunNoCheck) {
    refuse = true;
    click(label);       // a label takes no focus
    click(checked);     // inside the box itself
    EXPECT_EQ(runs, 0);
    click(quiet);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(quietClicks, 1);
    // A disabled button takes no focus either.
    save->setEnabled(false);
    checked->setFocus();
    click(save);
    EXPECT_EQ(runs, 0);
}

TEST_F(LeaveChecksTest, MovesMadeByTheWindowRunTheCheckToo) {
    refuse = true;
    EXPECT_EQ(checks->nextInTabOrder(true), other);
    EXPECT_FALSE(checks->tab(true));
    EXPECT_FALSE(checks->moveFocus(save));
    EXPECT_TRUE(checked->hasFocus());
    EXPECT_EQ(runs, 2);
    EXPECT_TRUE(checks->moveFocus(quiet));
    EXPECT_TRUE(quiet->hasFocus());
}

TEST_F(LeaveChecksTest, LostFocusCheckRunsForAnotherControlAndRefocusesLater) {
    int lost = 0;
    bool back = true;
    checks->setCheck(checked, {});
    checks->setLostFocusCheck(checked, [&] {
        ++lost;
        return back;
    });
    click(other);
    EXPECT_EQ(lost, 1);
    QApplication::processEvents(); // the focus comes back by a queued call
    EXPECT_TRUE(checked->hasFocus());
    back = false;
    click(other);
    QApplication::processEvents();
    EXPECT_EQ(lost, 2);
    EXPECT_TRUE(other->hasFocus());
}

TEST_F(LeaveChecksTest, AnotherWindowTakingTheFocusRunsNoLostFocusCheck) {
    int lost = 0;
    checks->setLostFocusCheck(checked, [&] {
        ++lost;
        return true;
    });
    QDialog box;
    auto *ok = new QPushButton(QStringLiteral("OK"), &box);
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    ok->setFocus();
    QApplication::processEvents();
    box.hide();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QApplication::processEvents();
    EXPECT_EQ(lost, 0);
    EXPECT_TRUE(checked->hasFocus());
}

} // namespace
