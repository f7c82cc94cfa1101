#pragma once
// The style of a grid and its scroll bars: the application's own when that is Fusion, with two
// of its costs taken out of the grid's repaint.
// - Fusion fills the groove of a scroll bar with a gradient the whole length of the bar, and the
//   raster engine shares out so tall a gradient among worker threads and waits for them: on a
//   grid that moves at every keystroke of the search box, that fill and the wait were a quarter
//   of the repaint. The groove depends on the bar's size, state, palette and direction, never on
//   the slider's place, so it is kept as a picture, drawn again only when one of those changes;
//   the slider and the arrows are drawn by the style on top, as always. The slider is filled
//   with a gradient as well; one tall enough to be shared out (on a short list) is drawn in
//   bands of fewer lines. A painter that turns, shears or is translucent gets the whole bar
//   drawn as Fusion draws it.
// - Fusion leaves the panels of an item view's rows and cells to the common style, but first
//   works out its outline and frame colours (through HSV) for each of them, twice for every
//   cell: a sixth of the repaint. The grid's panels go to the common style directly.
// Under any other application style the grid and its bars keep that style untouched.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProxyStyle>

#include <vector>

namespace platform::ui {

class GridStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The one instance, made on first use and owned by the application; none when the
    // application's style is not Fusion.
    static GridStyle *instance();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    GridStyle();

    struct Groove {
        QByteArray key;
        QImage picture; // in device pixels, its top left on a whole device pixel
        QPoint offset;  // of that pixel from the one the groove's top left falls in
    };
    // The most recently used first; a few grids' bars in their sizes.
    mutable std::vector<Groove> grooves_;
};

} // namespace platform::ui
