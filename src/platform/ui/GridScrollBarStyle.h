#pragma once
// The style of a grid's scroll bars: the application's own, except that the groove of a Fusion
// scroll bar is kept as a picture between paints. Fusion fills the groove with a gradient the
// whole length of the bar, and the raster engine shares out so tall a gradient among worker
// threads and waits for them: on a grid that moves at every keystroke of the search box, that
// fill and the wait were a quarter of the repaint. The groove depends on the bar's size, state,
// palette and direction, never on the slider's place, so its picture is drawn again only when
// one of those changes; the slider and the arrows are drawn by the style on top, as always.
// Under any other application style the bars keep that style untouched; a painter that turns,
// shears or is translucent gets the whole bar drawn as Fusion draws it.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QProxyStyle>

#include <vector>

namespace platform::ui {

class GridScrollBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The one instance, made on first use and owned by the application; none when the
    // application's style is not Fusion.
    static GridScrollBarStyle *instance();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

private:
    GridScrollBarStyle();

    struct Groove {
        QByteArray key;
        QImage picture; // in device pixels, its top left on a whole device pixel
        QPoint offset;  // of that pixel from the one the groove's top left falls in
    };
    // The most recently used first; a few grids' bars in their sizes.
    mutable std::vector<Groove> grooves_;
};

} // namespace platform::ui
