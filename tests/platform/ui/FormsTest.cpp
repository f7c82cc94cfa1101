// The forms run time: twips, the loaded-windows registry, the modal show and its test hook,
// placement, the screen font and the hourglass.
#include "common/TestEnv.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace platform::ui;

namespace {

// A window with a load handler (its constructor) and an unload handler that count their runs.
class CountingForm : public Form<QDialog> {
    Q_OBJECT
public:
    static inline int loads = 0;
    static inline int unloads = 0;
    static inline bool refuseClose = false;
    CountingForm() {
        ++loads;
        button = new QPushButton(QStringLiteral("Go"), this);
        button->setObjectName(QStringLiteral("button"));
        connect(button, &QPushButton::clicked, this, [this] { close(); });
    }
    QPushButton *button;

protected:
    void closeEvent(QCloseEvent *e) override {
        if (refuseClose) {
            e->ignore();
            return;
        }
        Form<QDialog>::closeEvent(e);
    }
    void formUnload() override { ++unloads; }
};

class OtherForm : public Form<QDialog> {
    Q_OBJECT
};

class FormsTest : public OrvalisTest {
protected:
    void SetUp() override {
        OrvalisTest::SetUp();
        CountingForm::loads = CountingForm::unloads = 0;
        CountingForm::refuseClose = false;
    }
    void TearDown() override {
        CountingForm::refuseClose = false;
        unloadAllForms();
        flushUnloadedForms();
        setModalHook({});
        setAvailableScreenOverride(QRect());
        OrvalisTest::TearDown();
    }
};

} // namespace

// ---------------------------------------------------------------- twips

TEST(Twips, ConvertAtTheGivenDpi) {
    struct Case { double twips; double dpi; int pixels; };
    const Case cases[] = {
        {1440, 96, 96}, {15, 96, 1}, {7275, 96, 485}, {0, 96, 0},
        {1440, 120, 120}, {1440, 144, 144}, {1000, 96, 67}, {-15, 96, -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
    EXPECT_DOUBLE_EQ(pixelsToTwips(1, 96), 15.0);
    EXPECT_DOUBLE_EQ(pixelsToTwips(120, 120), 1440.0);
}

TEST(Twips, FollowTheScreensLogicalDpi) {
    EXPECT_EQ(twipsToPixelsX(1440), qRound(screenDpiX()));
    EXPECT_EQ(twipsToPixelsY(2880), qRound(2 * screenDpiY()));
    EXPECT_NEAR(pixelsToTwipsX(twipsToPixelsX(4944)), 4944, 15);
    const QRect r = twipsRect(1440, 720, 2880, 1440);
    EXPECT_EQ(r.width(), twipsToPixelsX(2880));
    EXPECT_EQ(r.top(), twipsToPixelsY(720));
}

// ---------------------------------------------------------------- registry

TEST_F(FormsTest, FirstTouchLoadsLaterTouchesFindTheSameWindow) {
    EXPECT_EQ(findForm<CountingForm>(), nullptr);
    CountingForm *a = form<CountingForm>();
    CountingForm *b = form<CountingForm>();
    EXPECT_EQ(a, b);
    EXPECT_EQ(CountingForm::loads, 1);
    EXPECT_EQ(a->objectName(), "CountingForm");
    EXPECT_EQ(loadedForm("CountingForm"), a);
    EXPECT_TRUE(isLoaded("CountingForm"));
    form<OtherForm>();
    EXPECT_EQ(loadedCount(), 2);
    EXPECT_EQ(loadedForms(), (QList<QWidget *>{a, findForm<OtherForm>()}));
}

TEST_F(FormsTest, UnloadRunsTheUnloadHandlerAndTheNextTouchLoadsAFreshWindow) {
    form<CountingForm>();
    EXPECT_TRUE(unloadForm("CountingForm"));
    EXPECT_EQ(CountingForm::unloads, 1);
    EXPECT_EQ(loadedCount(), 0);
    EXPECT_FALSE(isLoaded("CountingForm"));
    form<CountingForm>();
    EXPECT_EQ(CountingForm::loads, 2);
    EXPECT_EQ(loadedCount(), 1);
    // Unloading a window that is not loaded does nothing.
    EXPECT_TRUE(unloadForm("NoSuchWindow"));
}

TEST_F(FormsTest, ClosingAWindowUnloadsItAndDestroysItLater) {
    QPointer<CountingForm> w = form<CountingForm>();
    w->show();
    w->button->click();  // the window's own handler closes it
    EXPECT_EQ(CountingForm::unloads, 1);
    EXPECT_EQ(loadedCount(), 0);
    ASSERT_FALSE(w.isNull());  // still usable until the event loop runs
    flushUnloadedForms();
    EXPECT_TRUE(w.isNull());
}

TEST_F(FormsTest, AWindowUnloadedByACommandLivesUntilTheCommandHasReturned) {
    // A command run from the window's own menu or button, inside the event loop, unloads the
    // window and then lets the event loop run (a progress window painting itself, a box): the
    // window, whose action or button is still on the stack, must not be destroyed there.
    QPointer<CountingForm> w = form<CountingForm>();
    w->show();
    bool aliveAfterEvents = false;
    bool aliveAfterABox = false;
    QEventLoop loop;
    QTimer::singleShot(0, w->button, [&] {
        unloadForm(w.data());
        QCoreApplication::processEvents();
        aliveAfterEvents = !w.isNull();
        QEventLoop box;  // a modal box's own loop
        QTimer::singleShot(0, &box, &QEventLoop::quit);
        box.exec();
        aliveAfterABox = !w.isNull();
        loop.quit();
    });
    loop.exec();
    EXPECT_EQ(CountingForm::unloads, 1);
    EXPECT_FALSE(isLoaded(QStringLiteral("CountingForm")));
    EXPECT_TRUE(aliveAfterEvents);
    EXPECT_TRUE(aliveAfterABox);
    flushUnloadedForms();
    EXPECT_TRUE(w.isNull()) << "destroyed once the event loop has it back";
}

TEST_F(FormsTest, AWindowThatRefusesToCloseStaysLoaded) {
    form<CountingForm>();
    CountingForm::refuseClose = true;
    EXPECT_FALSE(unloadForm("CountingForm"));
    EXPECT_TRUE(isLoaded("CountingForm"));
    EXPECT_EQ(CountingForm::unloads, 0);
}

TEST_F(FormsTest, UnloadAllUnloadsEveryWindow) {
    form<CountingForm>();
    form<OtherForm>();
    unloadAllForms();
    EXPECT_EQ(loadedCount(), 0);
    EXPECT_EQ(CountingForm::unloads, 1);
}

// ---------------------------------------------------------------- modal show

TEST_F(FormsTest, ModalHookActsOnTheShownWindow) {
    CountingForm *w = form<CountingForm>();
    bool wasVisible = false, wasModal = false;
    ScopedModalHook hook([&](QDialog *d) {
        wasVisible = d->isVisible();
        wasModal = d->isModal();
        static_cast<CountingForm *>(d)->button->click();
    });
    showModal(w);
    EXPECT_TRUE(wasVisible);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(CountingForm::unloads, 1);
}

TEST_F(FormsTest, AHookThatLeavesTheWindowOpenDoesNotBlock) {
    QDialog d;
    int calls = 0;
    ScopedModalHook hook([&](QDialog *) { ++calls; });
    EXPECT_EQ(showModal(&d), QDialog::Rejected);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(d.isVisible());
}

TEST_F(FormsTest, WithoutAHookTheOffscreenModalShowClosesAtOnce) {
    ASSERT_FALSE(hasModalHook());
    form<CountingForm>();
    showModal(findForm<CountingForm>());
    EXPECT_EQ(CountingForm::unloads, 1);
}

TEST_F(FormsTest, NestedModalWindowsReachTheHookInTurn) {
    QStringList seen;
    ScopedModalHook hook([&](QDialog *d) {
        seen << d->objectName();
        if (d->objectName() == "outer") {
            QDialog inner;
            inner.setObjectName("inner");
            showModal(&inner);
        }
        d->accept();
    });
    QDialog outer;
    outer.setObjectName("outer");
    EXPECT_EQ(showModal(&outer), QDialog::Accepted);
    EXPECT_EQ(seen, (QStringList{"outer", "inner"}));
}

// ---------------------------------------------------------------- placement and font

TEST_F(FormsTest, CentresOnTheScreenAndOnTheOwner) {
    QWidget w;
    w.resize(200, 100);
    centreOnScreen(&w);
    const QRect s = screenRect(&w);
    EXPECT_EQ(w.x(), s.left() + (s.width() - 200) / 2);
    EXPECT_EQ(w.y(), s.top() + (s.height() - 100) / 2);

    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    QWidget child;
    child.resize(100, 50);
    centreOnOwner(&child, &owner);
    EXPECT_EQ(child.geometry().center().x(), owner.frameGeometry().center().x());
    EXPECT_NEAR(child.geometry().center().y(), owner.frameGeometry().center().y(), 1);

    setTopTwips(&child, 1000);
    EXPECT_EQ(child.y(), s.top() + twipsToPixelsY(1000));
}

TEST_F(FormsTest, EveryWindowOpensInsideTheAvailableScreenArea) {
    // 1366 x 768 at 150 %: 910 x 512 logical pixels, less a panel of 30 at the top.
    const QRect area(0, 30, 910, 482);
    setAvailableScreenOverride(area);
    const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);

    // Designed larger than the screen, with a fixed size, placed partly off it, its buttons
    // along the bottom.
    Form<QDialog> big;
    big.setFixedSize(1200, 770);
    auto *save = new QPushButton(QStringLiteral("Save"), &big);
    save->setGeometry(20, 730, 100, 30);
    auto *hidden = new QLabel(QStringLiteral("shown later"), &big);
    hidden->hide();
    big.move(200, 100);
    big.show();
    EXPECT_LE(big.width(), area.width());
    EXPECT_LE(big.height() + titleBar, area.height());
    EXPECT_GE(big.x(), area.left());
    EXPECT_GE(big.y(), area.top()) << "the title bar stays on the screen";
    EXPECT_LE(big.x() + big.width(), area.right() + 1);
    EXPECT_LE(big.y() + titleBar + big.height(), area.bottom() + 1);
    // Every control stays reachable: the design scrolls inside the smaller window.
    auto *scroll = big.findChild<QScrollArea *>();
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->widget()->size(), QSize(1200, 770));
    EXPECT_EQ(save->window(), &big);
    EXPECT_EQ(save->geometry(), QRect(20, 730, 100, 30)) << "its place on the designed page";
    EXPECT_TRUE(hidden->isHidden()) << "a hidden control stays hidden";
    scroll->ensureWidgetVisible(save);
    const QRect onWindow(save->mapTo(&big, QPoint(0, 0)), save->size());
    EXPECT_TRUE(big.rect().contains(onWindow));

    // Shown modally, too.
    Form<QDialog> tall;
    tall.resize(400, 900);
    tall.move(50, 40);
    QRect modalGeometry;
    ScopedModalHook hook([&](QDialog *d) { modalGeometry = d->geometry(); });
    showModal(&tall);
    EXPECT_LE(modalGeometry.height() + titleBar, area.height());
    EXPECT_EQ(modalGeometry.width(), 400);

    // Only too tall: the window is wider by the scroll bar, so the page scrolls up and down
    // but never sideways, and its rightmost control is whole.
    Form<QDialog> narrow;
    narrow.setFixedSize(600, 700);
    auto *right = new QPushButton(QStringLiteral("Right"), &narrow);
    right->setGeometry(500, 20, 100, 30);
    narrow.move(100, 40);
    narrow.show();
    QApplication::processEvents();
    auto *narrowScroll = narrow.findChild<QScrollArea *>();
    ASSERT_TRUE(narrowScroll);
    EXPECT_FALSE(narrowScroll->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(narrowScroll->verticalScrollBar()->isVisible());
    EXPECT_GE(narrowScroll->viewport()->width(), 600) << "the rightmost control is cut";
    EXPECT_LE(narrow.x() + narrow.width(), area.right() + 1);

    // A window that fits keeps its designed place and size.
    Form<QDialog> small;
    small.setFixedSize(300, 200);
    small.move(120, 140);
    small.show();
    EXPECT_EQ(small.pos(), QPoint(120, 140));
    EXPECT_EQ(small.size(), QSize(300, 200));
}

TEST_F(FormsTest, AModalDialogIsTiedToTheWindowThatOpenedIt) {
    QWidget opener;
    opener.setWindowTitle(QStringLiteral("Report"));
    opener.resize(300, 200);
    opener.show();
    ASSERT_TRUE(opener.windowHandle());

    QWindow *tiedTo = nullptr;
    ScopedModalHook hook([&](QDialog *d) { tiedTo = d->windowHandle() ? d->windowHandle()->transientParent() : nullptr; });
    {
        QDialog dialog;  // the owner named by the caller
        showModal(&dialog, &opener);
        EXPECT_EQ(tiedTo, opener.windowHandle());
    }
    {
        // No owner named and no window active: the last loaded window on the screen (a report
        // window's print dialog belongs to the report window, not to the main window below it).
        QApplication::setActiveWindow(nullptr);
        auto *main = form<OtherForm>();
        main->show();
        auto *report = form<CountingForm>();
        report->show();
        QApplication::setActiveWindow(nullptr);
        QDialog print;
        showModal(&print);
        EXPECT_EQ(tiedTo, report->windowHandle());
    }
    opener.activateWindow();
    if (!QTest::qWaitForWindowActive(&opener))
        GTEST_SKIP() << "this platform does not activate windows";
    tiedTo = nullptr;
    QDialog dialog;  // no owner named: the window the user works in
    showModal(&dialog);
    EXPECT_EQ(tiedTo, opener.windowHandle());
}

TEST_F(FormsTest, ScreenFontChangesTheNameOfEveryControlAndKeepsSizes) {
    QWidget window;
    auto *small = new QLabel("a", &window);
    auto *big = new QPushButton("b", &window);
    QFont f = big->font();
    f.setPointSize(20);
    big->setFont(f);
    small->setFont(QFont("Arial", 8));

    applyScreenFont(&window, "DejaVu Serif");
    EXPECT_EQ(small->font().family(), "DejaVu Serif");
    EXPECT_EQ(big->font().family(), "DejaVu Serif");
    EXPECT_EQ(small->font().pointSize(), 8);
    EXPECT_EQ(big->font().pointSize(), 20);

    applyScreenFont(&window, "");  // no name: nothing changes
    EXPECT_EQ(small->font().family(), "DejaVu Serif");

    applyScreenFont(&window, "DejaVu Sans", 8);
    EXPECT_EQ(big->font().pointSize(), 8);
}

// ---------------------------------------------------------------- hourglass

TEST_F(FormsTest, HourglassIsPutBackToThePointerItFound) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        HourglassPointer outer;
        EXPECT_EQ(mousePointer(), MousePointer::Hourglass);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            HourglassPointer inner;
        }
        EXPECT_EQ(mousePointer(), MousePointer::Hourglass);  // the inner guard found an hourglass
    }
    EXPECT_EQ(mousePointer(), MousePointer::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Setting the default twice does not pop someone else's cursor.
    setMousePointer(MousePointer::Hourglass);
    setMousePointer(MousePointer::Default);
    setMousePointer(MousePointer::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

#include "FormsTest.moc"
