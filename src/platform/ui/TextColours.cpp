#include "platform/ui/TextColours.h"

#include <QWidget>

namespace platform::ui {

namespace {
// Light enough to read on the grounds of a dark palette (#242424 to #404040), dark enough to
// stay blue.
constexpr double kLightBlueLightness = 0.82;
} // namespace

bool isLight(const QColor &c) { return c.red() + c.green() + c.blue() > 400; }

QColor contrastingColour(const QColor &c) { return isLight(c) ? QColor(Qt::black) : QColor(Qt::white); }

QColor blueOn(const QColor &designed, const QColor &ground) {
    if (isLight(ground))
        return designed;
    const QColor hsl = designed.toHsl();
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), kLightBlueLightness);
}

void setBlueText(QWidget *w, const QColor &designed, QPalette::ColorRole text, QPalette::ColorRole ground) {
    QPalette p = w->palette();
    p.setColor(text, blueOn(designed, p.color(ground)));
    w->setPalette(p);
}

} // namespace platform::ui
