#include "pictures/Pics3.h"

#include "pictures/PictureForm.h"
#include "platform/db/DbError.h"
#include "platform/ui/ImageControl.h"
#include "songlist/NameList.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <cmath>

namespace pictures {

namespace ui = platform::ui;

namespace {

int toPixels(double twips, double twipsPerPixel) { return int(std::lround(twips / twipsPerPixel)); }

// The images' places in the three-picture layout: one above the other, 48 twips apart.
TwipsRect threeLayoutRect(int n) { return {0, (n - 1) * 3000.0, Pics3::ImageWidth, Pics3::ImageHeight}; }

} // namespace

Pics3::Pics3(QWidget *parent) : ui::Form<QWidget>(parent) {
    const auto make = [this](const char *name, void (Pics3::*handler)()) {
        auto *i = new ui::ImageControl(this);
        i->setObjectName(QLatin1String(name));
        connect(i, &ui::ImageControl::DblClick, this, [this, handler] { (this->*handler)(); });
        return i;
    };
    Image1 = make("Image1", &Pics3::Image1_DblClick);
    Image2 = make("Image2", &Pics3::Image2_DblClick);
    Image3 = make("Image3", &Pics3::Image3_DblClick);
    Form_Load();
}

ui::ImageControl *Pics3::image(int n) const {
    switch (n) {
    case 1: return Image1;
    case 2: return Image2;
    case 3: return Image3;
    default: return nullptr;
    }
}

void Pics3::Form_Load() {
    showThreePictures();
    // Just left of the main window, so that the viewer ends where the main window begins; never
    // past the left edge of the screen.
    const ScreenInfo screen = PictureForm::screen();
    const QRect area = ui::availableScreenRect(this);
    const double areaLeft = area.left() * screen.twipsPerPixelX;
    const songlist::NameList *main = songlist::NameList::instance();
    double left = (main ? main->formLeft() : 0) - form_.width;
    if (left < areaLeft)
        left = areaLeft;
    moveTo(left, area.top() * screen.twipsPerPixelY);
}

std::optional<QVariant> Pics3::currentField(const QString &field) {
    const songlist::NameList *main = songlist::NameList::instance();
    if (!main || !main->Data1->hasCurrentRow())
        return std::nullopt;
    try {
        return main->Data1->recordset()->value(field);
    } catch (const platform::db::DbError &) {
        return std::nullopt;
    }
}

bool Pics3::zoomed() const { return form_.width == 1024 * PictureForm::screen().twipsPerPixelX; }

QSize Pics3::largestImageSize() const {
    const ScreenInfo screen = PictureForm::screen();
    const double ratio = devicePixelRatioF();
    const auto pixels = [ratio](double twips, double twipsPerPixel) {
        return int(std::ceil(toPixels(twips, twipsPerPixel) * ratio));
    };
    return {pixels(1024 * screen.twipsPerPixelX - ZoomMarginWidth, screen.twipsPerPixelX),
            pixels(768 * screen.twipsPerPixelY - ZoomMarginHeight, screen.twipsPerPixelY)};
}

void Pics3::zoom(int n) {
    const std::optional<QVariant> slot = currentField(QStringLiteral("PicturePath%1").arg(n));
    if (!slot || slot->isNull())
        return;
    const ScreenInfo screen = PictureForm::screen();
    setFormSize(1024 * screen.twipsPerPixelX, 768 * screen.twipsPerPixelY);
    TwipsRect r = imageRect(n);
    r.width = form_.width - ZoomMarginWidth;
    r.height = form_.height - ZoomMarginHeight;
    r.top = imageRect(1).top; // the enlarged picture starts at the window's top
    setImageRect(n, r);
    for (int i = 1; i <= 3; ++i)
        image(i)->setVisible(i == n);
    setWindowTitle(slot->toString());
}

void Pics3::showThreePictures() {
    setFormSize(ThreeWidth, ThreeHeight);
    for (int n = 1; n <= 3; ++n) {
        setImageRect(n, threeLayoutRect(n));
        image(n)->show();
    }
}

void Pics3::closeEvent(QCloseEvent *e) {
    // The user's close of an enlarged picture returns to the three pictures; the program's own
    // unloads (closing the main window, an import, a restart) must always get the window closed.
    if (zoomed() && !ui::unloadingForm(this)) {
        showThreePictures();
        const std::optional<QVariant> name = currentField(QStringLiteral("SongName"));
        setWindowTitle(name ? name->toString() : QString());
        e->ignore();
        return;
    }
    ui::Form<QWidget>::closeEvent(e);
}

QPoint Pics3::pixelPos() const {
    const ScreenInfo screen = PictureForm::screen();
    return {toPixels(form_.left, screen.twipsPerPixelX), toPixels(form_.top, screen.twipsPerPixelY)};
}

void Pics3::moveTo(double left, double top) {
    form_.left = left;
    form_.top = top;
    move(pixelPos());
}

void Pics3::moveEvent(QMoveEvent *e) {
    ui::Form<QWidget>::moveEvent(e);
    // Moved by the user or placed elsewhere by the window manager: the twips follow.
    if (pos() != pixelPos()) {
        const ScreenInfo screen = PictureForm::screen();
        form_.left = pos().x() * screen.twipsPerPixelX;
        form_.top = pos().y() * screen.twipsPerPixelY;
    }
}

void Pics3::setFormSize(double width, double height) {
    form_.width = width;
    form_.height = height;
    const ScreenInfo screen = PictureForm::screen();
    setFixedSize(toPixels(width - FrameWidth, screen.twipsPerPixelX), toPixels(height - FrameHeight, screen.twipsPerPixelY));
}

TwipsRect Pics3::imageRect(int n) const { return n >= 1 && n <= 3 ? images_[n - 1] : TwipsRect{}; }

void Pics3::setImageRect(int n, const TwipsRect &r) {
    images_[n - 1] = r;
    const ScreenInfo screen = PictureForm::screen();
    image(n)->setGeometry(toPixels(r.left, screen.twipsPerPixelX), toPixels(r.top, screen.twipsPerPixelY),
                          toPixels(r.width, screen.twipsPerPixelX), toPixels(r.height, screen.twipsPerPixelY));
}

} // namespace pictures
