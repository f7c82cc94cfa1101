#include "platform/ui/GridStyle.h"

#include <QApplication>
#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform::ui {

namespace {
constexpr size_t kGrooves = 8;
// The raster engine shares out a fill of 96 lines or more among its worker threads and waits
// for them; a fill of fewer lines it does itself.
constexpr int kSharedLines = 96;
constexpr int kBandLines = 64;

// The rectangle of a picture that is opaque inside and clear all around it; none when the
// picture has any translucent pixel or another shape.
std::optional<QRect> opaqueBox(const QImage &img) {
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        int first = -1, last = -1;
        for (int x = 0; x < img.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha == 0) continue;
            if (alpha != 255 || (first >= 0 && last != x - 1)) return std::nullopt;
            if (first < 0) first = x;
            last = x;
        }
        if (first < 0) {
            if (top >= 0 && bottom < 0) bottom = y - 1;
            continue;
        }
        if (bottom >= 0 || (top >= 0 && (first != left || last != right))) return std::nullopt;
        if (top < 0) {
            top = y;
            left = first;
            right = last;
        }
    }
    if (top < 0) return std::nullopt;
    return QRect(QPoint(left, top), QPoint(right, bottom < 0 ? img.height() - 1 : bottom));
}
} // namespace

GridStyle *GridStyle::instance() {
    static QPointer<GridStyle> style;
    if (QApplication::style()->name() != QLatin1String("fusion")) return nullptr;
    if (!style) {
        style = new GridStyle;
        style->setParent(qApp);
    }
    return style;
}

GridStyle::GridStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("fusion"))) {}

void GridStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const {
    if (element == PE_PanelItemViewItem || element == PE_PanelItemViewRow) {
        QCommonStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void GridStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                   const QWidget *widget) const {
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    const QTransform device = painter ? painter->deviceTransform() : QTransform();
    const qreal scale = device.m11();
    // Only where the picture gives the very pixels: a groove drawn opaque at the scale of the
    // device, with no turn and no translucency.
    if (control != CC_ScrollBar || !bar || !(bar->subControls & SC_ScrollBarGroove) || !painter ||
        styleHint(SH_ScrollBar_Transient, option, widget) ||
        device.type() > QTransform::TxScale || scale <= 0 || scale != device.m22() || painter->opacity() != 1.0 ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver || option->rect.isEmpty()) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The groove's place on the device, split into whole pixels and the fraction that decides
    // how its edges fall on pixels.
    const QPointF at = device.map(QPointF(option->rect.topLeft()));
    const QPointF whole(std::floor(at.x()), std::floor(at.y()));
    const QPointF part = at - whole;
    QByteArray key;
    {
        QDataStream out(&key, QIODevice::WriteOnly);
        out << option->rect.size() << scale << qRound(part.x() * 256) << qRound(part.y() * 256)
            << int(option->state) << int(bar->activeSubControls) << int(bar->orientation) << int(option->direction)
            << option->palette.cacheKey() << int(painter->renderHints());
    }
    auto it = std::find_if(grooves_.begin(), grooves_.end(), [&](const Groove &g) { return g.key == key; });
    if (it == grooves_.end()) {
        const QSizeF extent = QSizeF(option->rect.size()) * scale;
        Groove g{key, QImage(int(std::ceil(part.x() + extent.width())), int(std::ceil(part.y() + extent.height())),
                             QImage::Format_ARGB32_Premultiplied),
                 QPoint()};
        g.picture.setDevicePixelRatio(scale);
        g.picture.fill(Qt::transparent);
        QStyleOptionSlider grooveOnly = *bar;
        grooveOnly.subControls = SC_ScrollBarGroove;
        QPainter p(&g.picture);
        p.setRenderHints(painter->renderHints());
        // The same place within the picture's pixels as on the device.
        p.translate(part.x() / scale - option->rect.x(), part.y() / scale - option->rect.y());
        QProxyStyle::drawComplexControl(control, &grooveOnly, &p, widget);
        p.end();
        // The engine blends a translucent picture line by line among its worker threads, as it
        // fills the gradient; an opaque one it copies. Fusion's groove is an opaque rectangle,
        // kept as just that rectangle without its alpha.
        if (const auto box = opaqueBox(g.picture)) {
            g.picture = g.picture.copy(*box).convertToFormat(QImage::Format_RGB32);
            g.picture.setDevicePixelRatio(scale);
            g.offset = box->topLeft();
        }
        if (grooves_.size() >= kGrooves) grooves_.pop_back();
        grooves_.insert(grooves_.begin(), std::move(g));
        it = grooves_.begin();
    } else if (it != grooves_.begin()) {
        std::rotate(grooves_.begin(), it, it + 1);
        it = grooves_.begin();
    }
    // Whole pixels onto whole pixels.
    const QPointF logical = device.inverted().map(whole + QPointF(it->offset));
    painter->drawImage(logical, it->picture);
    QStyleOptionSlider rest = *bar;
    rest.subControls &= ~SC_ScrollBarGroove;
    // Fusion fills the slider with a gradient too, as tall as the slider: on a short list it is
    // a good part of the bar. Such a slider is drawn in bands of whole device lines, each too
    // short to be shared out, one on another as the style draws it, before the arrows as Fusion
    // draws them.
    const QRect slider = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
    // Fusion's outline reaches a line outside the slider's rectangle, and at a fractional scale
    // its pen rounds onto the device pixel beyond that.
    const QRect onDevice = device.mapRect(QRectF(slider.adjusted(-2, -2, 2, 2))).toAlignedRect();
    if ((rest.subControls & SC_ScrollBarSlider) && onDevice.height() >= kSharedLines) {
        QStyleOptionSlider sliderOnly = rest;
        sliderOnly.subControls = SC_ScrollBarSlider;
        const QTransform back = device.inverted();
        for (int top = onDevice.top(); top <= onDevice.bottom(); top += kBandLines) {
            const QRect band(onDevice.left(), top, onDevice.width(), std::min(kBandLines, onDevice.bottom() + 1 - top));
            painter->save();
            painter->setClipRect(back.mapRect(QRectF(band)), Qt::IntersectClip);
            QProxyStyle::drawComplexControl(control, &sliderOnly, painter, widget);
            painter->restore();
        }
        rest.subControls &= ~SC_ScrollBarSlider;
    }
    QProxyStyle::drawComplexControl(control, &rest, painter, widget);
}

} // namespace platform::ui
