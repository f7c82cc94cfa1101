#include "common/TestEnv.h"

#include "core/mMouseScrollWheel.h"

#include <QApplication>
#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

// A window with a grid that scrolls it from its MouseWheel procedure, as the program's windows do.
class GridWindow : public QWidget, public core::WheelTarget {
public:
    GridWindow() {
        auto *layout = new QVBoxLayout(this);
        label = new QLabel("Songs", this);
        grid = new QTableView(this);
        model.setRowCount(100);
        model.setColumnCount(2);
        grid->setModel(&model);
        layout->addWidget(label);
        layout->addWidget(grid);
        resize(300, 300);
    }
    void MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) override {
        ++calls;
        lastKeys = MouseKeys;
        mMouseScrollWheel::GridScroll(grid, MouseKeys, Rotation, Xpos, Ypos);
    }
    int topRow() const { return grid->rowAt(0); }

    QStandardItemModel model;
    QTableView *grid = nullptr;
    QLabel *label = nullptr;
    int calls = 0;
    int lastKeys = 0;
};

// Turns the wheel over `w`, at `global` on the screen (by default the middle of `w`).
void turn(QWidget *w, int rotation, std::optional<QPoint> global = std::nullopt,
          Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPoint local(w->width() / 2, w->height() / 2);
    const QPoint g = global.value_or(w->mapToGlobal(local));
    QWheelEvent ev(local, g, QPoint(), QPoint(0, rotation), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

} // namespace

class MouseWheel : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    GridWindow window;
};

TEST_F(MouseWheel, GridScrollMovesThreeRowsPerNotchAndStopsAtTheEnds) {
    mMouseScrollWheel::GridScroll(window.grid, 0, -120, 0, 0);
    EXPECT_EQ(window.topRow(), 3);
    mMouseScrollWheel::GridScroll(window.grid, 0, -240, 0, 0);
    EXPECT_EQ(window.topRow(), 9);
    mMouseScrollWheel::GridScroll(window.grid, 0, 120, 0, 0);
    EXPECT_EQ(window.topRow(), 6);
    for (int i = 0; i < 5; ++i)
        mMouseScrollWheel::GridScroll(window.grid, 0, 120, 0, 0);
    EXPECT_EQ(window.topRow(), 0);
    // Fine steps add up to a notch before anything moves.
    mMouseScrollWheel::GridScroll(window.grid, 0, -60, 0, 0);
    EXPECT_EQ(window.topRow(), 0);
    mMouseScrollWheel::GridScroll(window.grid, 0, -60, 0, 0);
    EXPECT_EQ(window.topRow(), 3);
}

TEST_F(MouseWheel, HookedWindowScrollsItsGridOnceThroughMouseWheel) {
    mMouseScrollWheel::WheelHook(&window);
    turn(window.grid->viewport(), -120, std::nullopt, Qt::ShiftModifier);
    EXPECT_EQ(window.calls, 1);
    EXPECT_EQ(window.lastKeys, 4);
    EXPECT_EQ(window.topRow(), 3); // not 6: the grid does not scroll a second time by itself
    turn(&window, -120);           // a turn the window's children left alone
    EXPECT_EQ(window.calls, 2);
    EXPECT_EQ(window.topRow(), 6);
    mMouseScrollWheel::WheelUnHook(&window);
}

TEST_F(MouseWheel, TurnWithThePointerOutsideTheWindowDoesNotReachMouseWheel) {
    mMouseScrollWheel::WheelHook(&window);
    const QRect r = window.frameGeometry();
    turn(&window, -120, QPoint(r.right() + 50, r.bottom() + 50));
    EXPECT_EQ(window.calls, 0);
    EXPECT_EQ(window.topRow(), 0);
}

TEST_F(MouseWheel, HookingTwiceAndUnhookingTwiceLeavesTheWindowWorking) {
    mMouseScrollWheel::WheelHook(&window);
    mMouseScrollWheel::WheelHook(&window);
    turn(&window, -120);
    EXPECT_EQ(window.calls, 1);
    mMouseScrollWheel::WheelUnHook(&window);
    EXPECT_FALSE(mMouseScrollWheel::IsHooked(&window));
    mMouseScrollWheel::WheelUnHook(&window);
    turn(&window, -120);
    EXPECT_EQ(window.calls, 1);
    // Unhooked, the grid scrolls by its own means again.
    turn(window.grid->viewport(), -120);
    EXPECT_GT(window.topRow(), 0);
}

