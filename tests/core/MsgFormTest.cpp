// The progress window: every way it goes away raises CancelScan; closed by the user it only
// hides, so a job holding it writes on safely, and only the job's unload destroys it; the
// progress bar stays inside its frame.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "core/MsgForm.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace platform::ui;
using core::MsgForm;

namespace {

class MsgFormTest : public OrvalisTest {
protected:
    void TearDown() override {
        unloadAllForms();
        flushUnloadedForms();
        OrvalisTest::TearDown();
    }
    // A job's start: caption, message, shown without waiting.
    MsgForm *start() {
        core::g().CancelScan = false;
        MsgForm *m = form<MsgForm>();
        m->setWindowTitle("Report is running...");
        m->Msg->setText("Please wait...");
        showModeless(m);
        return m;
    }
};

} // namespace

TEST_F(MsgFormTest, TheJobsUnloadRaisesCancelScanAndDestroysTheWindow) {
    QPointer<MsgForm> m = start();
    unloadForm(formName<MsgForm>());
    EXPECT_TRUE(core::g().CancelScan);
    EXPECT_FALSE(isLoaded("MsgForm"));
    flushUnloadedForms();
    EXPECT_TRUE(m.isNull());
}

TEST_F(MsgFormTest, EveryWayTheUserClosesItHidesItAndRaisesCancelScanButKeepsIt) {
    const std::function<void(MsgForm *)> ways[] = {
        [](MsgForm *m) { QTest::mouseClick(m->Msg, Qt::LeftButton); },                 // a click on the message
        [](MsgForm *m) { QTest::mouseClick(m, Qt::LeftButton, {}, QPoint(2, 2)); },   // on the window
        [](MsgForm *m) { QTest::keyClick(m, Qt::Key_A); },                             // any key
        [](MsgForm *m) { QTest::keyClick(m, Qt::Key_Escape); },
        [](MsgForm *m) { m->close(); },                                                // the close box
    };
    int i = 0;
    for (const auto &close : ways) {
        QPointer<MsgForm> m = start();
        close(m);
        flushUnloadedForms();
        EXPECT_TRUE(core::g().CancelScan) << "way " << i;
        ASSERT_FALSE(m.isNull()) << "way " << i;
        EXPECT_FALSE(m->isVisible()) << "way " << i;
        EXPECT_EQ(form<MsgForm>(), m.data()) << "way " << i;  // the job's next write reaches it
        unloadForm(m);
        flushUnloadedForms();
        EXPECT_TRUE(m.isNull()) << "way " << i;
        ++i;
    }
}

TEST_F(MsgFormTest, AJobThatYieldsWhileTheUserClosesItGoesOnWritingToTheHiddenWindow) {
    // The job keeps its pointer across the yields, as the copy and maintenance jobs do.
    MsgForm *m = start();
    QTimer::singleShot(0, m, [m] { QTest::mouseClick(m->Msg, Qt::LeftButton); });
    for (int file = 1; file <= 3; ++file) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // what the loop would destroy
        m->setWindowTitle(QStringLiteral("Copying file %1 of 3").arg(file));
        m->Msg->setText(QStringLiteral("Song %1").arg(file));
        m->advanceProgress(file, 3);
    }
    EXPECT_TRUE(core::g().CancelScan);
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(m->windowTitle(), "Copying file 3 of 3");
    EXPECT_EQ(m->Msg->text(), "Song 3");
    unloadForm(m);
}

TEST_F(MsgFormTest, AClickOnTheProgressFrameDoesNotClose) {
    MsgForm *m = start();
    m->advanceProgress(1, 2);
    QTest::mouseClick(m->Frame1, Qt::LeftButton);
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(core::g().CancelScan);
}

TEST_F(MsgFormTest, ProgressBarGrowsWithTheItemsAndNeverPastItsFrame) {
    MsgForm *m = start();
    EXPECT_FALSE(m->Frame1->isVisibleTo(m));
    m->advanceProgress(1, 4);
    EXPECT_TRUE(m->Frame1->isVisibleTo(m));
    EXPECT_TRUE(m->Label1->isVisibleTo(m));
    EXPECT_EQ(m->label1Width(), 1575);
    m->advanceProgress(5, 4);  // more items than announced: the bar stays inside its frame
    EXPECT_EQ(m->label1Width(), MsgForm::BarFullWidth);
    EXPECT_LE(m->Label1->geometry().right(), m->Frame1->width());
    m->setLabel1Width(MsgForm::FrameWidth);  // once it reaches the frame's width, it stays
    m->advanceProgress(1, 4);
    EXPECT_EQ(m->label1Width(), MsgForm::FrameWidth);
}

TEST_F(MsgFormTest, LoadsCentredWithTheScreenFont) {
    core::g().ScreenFontName = "DejaVu Serif";
    MsgForm *m = form<MsgForm>();
    const QRect s = screenRect(m);
    EXPECT_NEAR(m->geometry().center().x(), s.center().x(), 1);
    EXPECT_NEAR(m->geometry().center().y(), s.center().y(), 1);
    EXPECT_EQ(m->Msg->font().family(), "DejaVu Serif");
    EXPECT_EQ(m->size(), QSize(twipsToPixelsX(7275), twipsToPixelsY(2595)));
}
