// The silenceable warning: its settings keys, Cancel and the close box never confirm, a ticked
// box silences only through OK, and the window grows with its text.
#include "common/TestEnv.h"
#include "core/frmMessage.h"
#include "platform/settings/Options.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace platform::ui;
using core::frmMessage;
namespace settings = platform::settings;

namespace {

const QString Key = frmMessage::FileNameWarningKey;
const QString Text = QStringLiteral("The music file will be renamed.\r\n\r\nYou can change this behavior in the Options menu.");

class frmMessageTest : public OrvalisTest {
protected:
    void TearDown() override {
        setModalHook({});
        unloadAllForms();
        flushUnloadedForms();
        OrvalisTest::TearDown();
    }
    QString stored(const QString &key = Key) { return settings::GetSetting(settings::OptionsSection, key, "<absent>"); }

    // Shows the warning as the editor does; `act` is what the user does; returns Display's result
    // and counts the times the window was shown.
    bool warn(const std::function<void(frmMessage *)> &act) {
        ScopedModalHook hook([&](QDialog *d) {
            ++shown;
            act(qobject_cast<frmMessage *>(d));
        });
        frmMessage *m = form<frmMessage>();
        m->setWindowTitle("Warning");
        m->Message(Text);
        return m->Display(Key);
    }
    int shown = 0;
};

void pressOK(frmMessage *m) { m->cmdOK->click(); }
void tickAndOK(frmMessage *m) {
    m->chkShowAgain->setChecked(true);
    m->cmdOK->click();
}

} // namespace

TEST_F(frmMessageTest, OKUntickedWritesZeroAndTheWarningShowsAgain) {
    EXPECT_FALSE(warn(pressOK));
    EXPECT_EQ(stored(), "0");
    EXPECT_FALSE(warn(pressOK));
    EXPECT_EQ(shown, 2);
}

TEST_F(frmMessageTest, OKTickedWritesOneAndSilencesOnlyThatWarning) {
    EXPECT_FALSE(warn(tickAndOK));
    EXPECT_EQ(stored(), "1");
    EXPECT_EQ(stored(frmMessage::PathNameWarningKey), "<absent>");
    EXPECT_FALSE(warn(pressOK));  // silenced: counts as confirmed without showing
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(loadedCount(), 0);

    // The options menu's reset writes "0": the warning shows again.
    settings::SaveSetting(settings::OptionsSection, Key, "0");
    EXPECT_FALSE(warn(pressOK));
    EXPECT_EQ(shown, 2);
}

TEST_F(frmMessageTest, CancelEscapeAndTheCloseBoxCountAsCancelAndSaveNothing) {
    const std::function<void(frmMessage *)> ways[] = {
        [](frmMessage *m) { m->cmdCancel->click(); },
        [](frmMessage *m) { QTest::keyClick(m, Qt::Key_Escape); },
        [](frmMessage *m) { m->close(); },  // the close box
    };
    for (const auto &way : ways) {
        const bool cancelled = warn([&](frmMessage *m) {
            m->chkShowAgain->setChecked(true);
            way(m);
        });
        EXPECT_TRUE(cancelled);
        EXPECT_EQ(stored(), "<absent>");
    }
    EXPECT_EQ(shown, 3);
}

TEST_F(frmMessageTest, AValueThatIsNoNumberShowsTheWarning) {
    settings::SaveSetting(settings::OptionsSection, Key, "yes");
    EXPECT_TRUE(warn([](frmMessage *m) { m->cmdCancel->click(); }));
    EXPECT_EQ(shown, 1);
}

TEST_F(frmMessageTest, ALongTextGrowsTheWindowAndMovesTheControlsDownByTheSameAmount) {
    frmMessage *m = form<frmMessage>();
    const int height = m->height();
    const int chk = m->chkShowAgain->y(), ok = m->cmdOK->y(), cancel = m->cmdCancel->y();

    m->Message("One line.");
    EXPECT_EQ(m->height(), height);
    EXPECT_EQ(m->cmdOK->y(), ok);

    m->Message(QString("A long warning text that wraps. ").repeated(12));
    const int growth = m->height() - height;
    EXPECT_GT(growth, 0);
    EXPECT_EQ(m->chkShowAgain->y() - chk, growth);
    EXPECT_EQ(m->cmdOK->y() - ok, growth);
    EXPECT_EQ(m->cmdCancel->y() - cancel, growth);
    EXPECT_GE(m->chkShowAgain->y(), m->lblMessage->geometry().bottom());
}
