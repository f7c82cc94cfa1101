#include "player/frmPlay.h"

#include "core/AppState.h"
#include "platform/ui/DragListWidget.h"
#include "player/frmPlayList.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace player {

namespace ui = platform::ui;
namespace media = platform::media;

frmPlay::frmPlay(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Play"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    WMPlayer = media::createMediaPlayer(this);
    WMPlayer->setObjectName(QStringLiteral("WMPlayer"));
    layout->addWidget(WMPlayer);
    resize(ui::twipsToPixelsX(6000), ui::twipsToPixelsY(1800));
    connect(WMPlayer, &media::MediaPlayer::playStateChange, this,
            [this](int state) { WMPlayer_PlayStateChange(state); });
}

void frmPlay::Form_QueryUnload(int & /*Cancel*/, int UnloadMode) {
    if (UnloadMode == 0)
        core::g().StopPlayOneByOne = true;
}

void frmPlay::closeEvent(QCloseEvent *e) {
    int cancel = 0;
    Form_QueryUnload(cancel, ui::unloadingForm(this) ? 1 : 0);
    Form<QDialog>::closeEvent(e);
}

void frmPlay::keyPressEvent(QKeyEvent *e) {
    // The window has no Cancel button: Escape does not close it.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    Form<QDialog>::keyPressEvent(e);
}

void frmPlay::WMPlayer_PlayStateChange(int NewState) {
    if (NewState != media::MediaEnded)
        return;
    // The next track is selected, never the blank line after the last one.
    if (auto *list = ui::findForm<frmPlayList>()) {
        const int r = list->lbDetail->currentRow();
        if (r >= 0 && r < list->lbDetail->count() - 2)
            list->lbDetail->setCurrentRow(r + 1);
    }
    ui::unloadForm(this);
}

void frmPlay::formUnload() {
    // Events the player still has queued must not reach a window that is going.
    WMPlayer->blockSignals(true);
    WMPlayer->stop();
}

} // namespace player
