#include "core/ProgressForm.h"

#include "core/AppState.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>

#include <algorithm>

namespace core {

using namespace platform::ui;

ProgressForm::ProgressForm(int frameTop, QWidget *parent) : Form<QDialog>(parent) {
    Msg = new QLabel(QStringLiteral(" "), this);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Msg->setWordWrap(true);
    placeTwips(Msg, 420, 192, 6396, 1740);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    placeTwips(Frame1, 384, frameTop, FrameWidth, 396);
    Frame1->hide();

    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::Highlight);
    setLabel1Width(label1Width_);
    Label1->hide();
}

void ProgressForm::setLabel1Width(int twips) {
    label1Width_ = twips;
    placeBar(Label1, twips, label1Pixels_);
}

void ProgressForm::placeBar(QLabel *bar, int twips, int &shownPixels) {
    const int pixels = twipsToPixelsX(twips);
    if (pixels == shownPixels)
        return;
    shownPixels = pixels;
    placeTwips(bar, 48, 120, twips, 240);
}

void ProgressForm::advanceProgress(long done, long total) {
    Frame1->show();
    Label1->show();
    if (total <= 0 || label1Width_ >= FrameWidth)
        return;
    // More items than announced must not push the bar past its frame.
    const double part = std::clamp(static_cast<double>(done) / static_cast<double>(total), 0.0, 1.0);
    setLabel1Width(static_cast<int>(part * BarFullWidth));
}

void ProgressForm::formUnload() { g().CancelScan = true; }

} // namespace core
