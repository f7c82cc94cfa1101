#pragma once
// The one-song player of a one-at-a-time run of a play list: caption "Play", one media player
// with its full transport. It lives for one track: loaded with the track's file, shown modally
// by the play-list window, unloaded when the track ends (the play-list window's selection then
// moves to the next track) or when the user closes it (which stops the run).
#include "platform/media/MediaPlayer.h"
#include "platform/ui/Forms.h"

#include <QDialog>

namespace player {

class frmPlay : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmPlay(QWidget *parent = nullptr);

    platform::media::MediaPlayer *WMPlayer = nullptr;

    // UnloadMode 0: the user closed the window (close box, Alt+F4); 1: the program unloaded it.
    void Form_QueryUnload(int &Cancel, int UnloadMode);
    void WMPlayer_PlayStateChange(int NewState);

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void formUnload() override;
};

} // namespace player
