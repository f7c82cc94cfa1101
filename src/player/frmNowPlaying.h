#pragma once
// The now-playing window: one line in large type naming the song the player plays. The player
// shows it (owned by the player), sets its label and closes it; closing it clears the player's
// "Display current song" box.
#include "platform/ui/Forms.h"

#include <QWidget>

class QLabel;

namespace player {

class frmNowPlaying : public platform::ui::Form<QWidget> {
    Q_OBJECT
public:
    explicit frmNowPlaying(QWidget *owner = nullptr);

    QLabel *lblNowPlaying = nullptr;

    // The label's caption, where "&&" stands for one "&" (a lone "&" marks an access key and is
    // not shown). The label shows the text the caption stands for.
    void setCaption(const QString &caption);
    QString caption() const { return caption_; }
    // What a caption shows.
    static QString shownText(const QString &caption);

    void Form_Resize();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void formUnload() override;

private:
    QString caption_;
};

} // namespace player
