#pragma once
// What every progress window of the program has: a large message over a progress bar in its
// frame. The shared "please wait" window MsgForm and the import's folder scan window build on
// it, and a ProgressWindow shows either for the length of a command. Every unload raises
// CancelScan, so a job that polls the flag stops however its window went away.
#include "platform/ui/Forms.h"

#include <QDialog>

class QFrame;
class QLabel;

namespace core {

class ProgressForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    QLabel *Msg = nullptr;      // the message
    QFrame *Frame1 = nullptr;   // frame of the progress bar (hidden until a caller shows it)
    QLabel *Label1 = nullptr;   // the progress bar inside Frame1; its width grows

    static constexpr int FrameWidth = 6456;
    static constexpr int BarFullWidth = 6300;

    // Width of the progress bar in twips.
    int label1Width() const { return label1Width_; }
    void setLabel1Width(int twips);
    // Shows the progress bar and sets it to done / total of its full 6300 twips, as long as it
    // is still narrower than its frame.
    void advanceProgress(long done, long total);

    // Places a progress bar (a label in its frame) `twips` wide. A job widens its bar for every
    // item, so the bar moves only when its width in pixels changes: `shownPixels` keeps the
    // width it last showed (-1 before the first).
    static void placeBar(QLabel *bar, int twips, int &shownPixels);

protected:
    // The message at the top and the bar's frame `frameTop` twips down, as wide as both windows
    // have them.
    ProgressForm(int frameTop, QWidget *parent);

    void formUnload() override;

private:
    int label1Width_ = 12;
    int label1Pixels_ = -1;
};

} // namespace core
