#include "pictures/PictureRules.h"

#include "core/mCommon.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace pictures {

namespace {

long roundEven(double v) { return long(std::nearbyint(v)); } // the default mode: halves to even

} // namespace

PictureLayout designLayout() {
    PictureLayout l;
    l.windowWidth = 14865;
    l.windowHeight = 9195;
    l.picResized = {0, 0, 12286, 9216};
    l.cmdCancel = {12960, 2940, 1548, 450};
    l.cmdClose = {12960, 3708, 1548, 450};
    l.cmdLoadFile = {12960, 5832, 1548, 450};
    l.cmdDelete = {12972, 5064, 1548, 450};
    l.cmdClipboardPaste = {12960, 7392, 1860, 450}; // wide enough for its caption at common fonts
    l.cmdNext = {13716, 1068, 360, 348};
    l.cmdPrev = {13224, 1068, 360, 348};
    return l;
}

PictureLayout layoutFor(const ScreenInfo &screen) {
    PictureLayout l = designLayout();

    // The design is for 12 twips per pixel; the window and the box keep their size in pixels
    // at 15 and 10. Each product is kept at single precision.
    double factor = 0;
    if (screen.twipsPerPixelX == 15)
        factor = 15.0 / 12.0;
    else if (screen.twipsPerPixelX == 10)
        factor = 10.0 / 12.0;
    if (factor != 0) {
        l.windowHeight = float(l.windowHeight * factor);
        l.windowWidth = float(l.windowWidth * factor);
        l.picResized.width = float(l.picResized.width * factor);
        l.picResized.height = float(l.picResized.height * factor);
    }

    // Small screens: the window takes the whole screen.
    const double tppX = std::nearbyint(screen.twipsPerPixelX), tppY = std::nearbyint(screen.twipsPerPixelY);
    const long pixelsWide = tppX > 0 ? long(std::nearbyint(screen.width) / tppX) : 0;
    const long pixelsHigh = tppY > 0 ? long(std::nearbyint(screen.height) / tppY) : 0;
    if (pixelsWide < 1280 || pixelsHigh < 800) {
        l.windowWidth = screen.width;
        l.windowHeight = screen.height;
    }

    const double BW = l.picResized.width, BH = l.picResized.height;
    if (screen.width > screen.height) {
        // A column right of the box, at the design tops.
        double &W = l.windowWidth;
        double left = (W - BW) / 2 + BW - l.cmdCancel.width / 2;
        // A screen narrower than the box would put the column past the window's edge, where no
        // button can be reached: it stands inside the window's right edge instead, over the box.
        double widest = 0;
        for (const TwipsRect *r : {&l.cmdCancel, &l.cmdClose, &l.cmdLoadFile, &l.cmdDelete, &l.cmdClipboardPaste})
            widest = std::max(widest, r->width);
        left = std::min(left, W - widest - 120);
        for (TwipsRect *r : {&l.cmdCancel, &l.cmdClose, &l.cmdLoadFile, &l.cmdDelete, &l.cmdClipboardPaste, &l.cmdPrev})
            r->left = left;
        l.cmdNext.left = l.cmdCancel.left + l.cmdCancel.width - l.cmdNext.width;
    } else {
        // The window turns, and the buttons form a row under the box.
        l.turned = true;
        const double kept = std::nearbyint(l.windowWidth);
        l.windowWidth = l.windowHeight;
        l.windowHeight = kept - 4000;
        const double W = l.windowWidth;
        l.cmdCancel.top = BH + 500;
        l.cmdCancel.left = 500;
        TwipsRect *before = &l.cmdCancel;
        for (TwipsRect *r : {&l.cmdClose, &l.cmdLoadFile, &l.cmdDelete, &l.cmdClipboardPaste}) {
            r->top = l.cmdCancel.top;
            r->left = before->left + before->width + 300;
            before = r;
        }
        l.cmdPrev.top = BH + 50;
        l.cmdPrev.left = W / 2 - 2 * l.cmdPrev.width;
        l.cmdNext.top = l.cmdPrev.top;
        l.cmdNext.left = W / 2 + 2 * l.cmdPrev.width;
    }
    return l;
}

FittedSize fitRule(int w, int h, double boxW, double boxH, double factor) {
    FittedSize s;
    if (w <= 0 || h <= 0)
        return s;
    const double W = w, H = h;
    s.width = roundEven(W / H * boxW * 0.75);
    if (boxW < s.width)
        s.width = roundEven(boxW);
    s.height = roundEven(boxH);
    if (H < W)
        s.height = roundEven(H / W * boxH * factor);
    if (boxH < s.height)
        s.height = roundEven(boxH);
    return s;
}

int nextSlot(int slot, const std::function<bool(int)> &counts) {
    if (slot < 1 || slot > 7)
        return 0;
    if (counts(slot + 1))
        return slot + 1;
    if (slot == 1 && counts(3))
        return 3;
    return 0;
}

int previousSlot(int slot, const std::function<bool(int)> &counts) {
    if (slot < 2 || slot > 8)
        return 0;
    if (counts(slot - 1))
        return slot - 1;
    if (slot == 3 && counts(1))
        return 1;
    return 0;
}

bool isBareFileName(const QString &text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QLatin1String(".") || t == QLatin1String(".."))
        return false;
    return !text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('\\'));
}

QString storedName(const QString &name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name + QLatin1String(".jpg");
    return name.left(dot + 1) + QLatin1String("jpg");
}

QString pasteName(const QString &answer) {
    const QString name = answer.trimmed();
    if (name.isEmpty() || !mCommon::IsValidFileName(name))
        return {};
    if (name.right(4).toLower() == QLatin1String(".jpg"))
        return name;
    return name + QLatin1String(".jpg");
}

QString refusedPastedName(const QString &name) {
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    if (name.startsWith(QLatin1Char('.')))
        return quoted + QStringLiteral(" is not a valid file name.  A picture's name must not start with \".\".");
    // The longest name the file systems of this platform store is 255 bytes.
    if (QFile::encodeName(storedName(name)).size() > 255)
        return quoted + QStringLiteral(" is not a valid file name.  A picture's name, with \".jpg\", must not be "
                                       "longer than 255 bytes.");
    return {};
}

QString refusedNameTitle() { return QStringLiteral("Error - Invalid File Name"); }

QString freeName(const QString &name, const std::function<bool(const QString &)> &taken) {
    QString base = name;
    if (base.right(4).toLower() == QLatin1String(".jpg"))
        base.chop(4);
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2).jpg").arg(base).arg(n);
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace pictures
