// The progress window: every way it goes away raises CancelScan; the progress bar stays inside
// its frame; a write after the user closed it reaches a fresh hidden window.
#include "common/TestEnv.h"
#include "core/AppState.h"
#include "core/MsgForm.h"

#include <QFrame>
#include <QLabel>
#include <QTest>

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

TEST_F(MsgFormTest, EveryWayOfClosingRaisesCancelScan) {
    const std::function<void(MsgForm *)> ways[] = {
        [](MsgForm *) { unloadForm(formName<MsgForm>()); },         // the job's own end
        [](MsgForm *m) { QTest::mouseClick(m->Msg, Qt::LeftButton); },  // a click on the message
        [](MsgForm *m) { QTest::mouseClick(m, Qt::LeftButton, {}, QPoint(2, 2)); },  // on the window
        [](MsgForm *m) { QTest::keyClick(m, Qt::Key_A); },          // any key
        [](MsgForm *m) { m->close(); },                             // the close box
    };
    int i = 0;
    for (const auto &close : ways) {
        MsgForm *m = start();
        close(m);
        EXPECT_TRUE(core::g().CancelScan) << "way " << i;
        EXPECT_FALSE(isLoaded("MsgForm")) << "way " << i;
        flushUnloadedForms();
        ++i;
    }
}

TEST_F(MsgFormTest, AClickOnTheProgressFrameDoesNotClose) {
    MsgForm *m = start();
    m->advanceProgress(1, 2);
    QTest::mouseClick(m->Frame1, Qt::LeftButton);
    EXPECT_TRUE(isLoaded("MsgForm"));
    EXPECT_FALSE(core::g().CancelScan);
}

TEST_F(MsgFormTest, AWriteAfterTheUserClosedItLoadsAFreshHiddenWindow) {
    MsgForm *m = start();
    m->close();
    core::g().CancelScan = false;  // a job that does not poll goes on writing
    MsgForm *again = form<MsgForm>();
    again->Msg->setText("Copying file 2 of 9");
    EXPECT_NE(again, m);
    EXPECT_FALSE(again->isVisible());
    EXPECT_EQ(again->Msg->text(), "Copying file 2 of 9");
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
