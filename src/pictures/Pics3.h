#pragma once
// The three-picture viewer: a small window, not modal, standing just left of the main window and
// showing the first three pictures of the grid's current song one above the other. A
// double-click enlarges one picture to 1024 x 768 screen pixels; the user's close then returns
// to the three pictures and a second close closes the window. An unload by the program (the main
// window closing, an import starting) always closes it, zoomed or not.
//
// The main window fills the images and the caption and shows and hides the window
// (MainWindowPictures); the window itself never reads a picture file. Its size and the images'
// places are kept in twips, as designed, and drawn at the screen's twips per pixel.
#include "pictures/PictureRules.h"
#include "platform/ui/Forms.h"

#include <QVariant>
#include <QWidget>
#include <array>
#include <optional>

namespace platform::ui {
class ImageControl;
}

namespace pictures {

class Pics3 : public platform::ui::Form<QWidget> {
    Q_OBJECT
public:
    // Loading the window runs Form_Load.
    explicit Pics3(QWidget *parent = nullptr);

    // The outer size of the three-picture layout and the size of each image (twips). The outer
    // size less the designed frame (63 x 390 twips, borders and title bar) is the client area
    // the widget gets; the window manager adds its own frame around it.
    static constexpr double ThreeWidth = 4008;
    static constexpr double ThreeHeight = 9360;
    static constexpr double FrameWidth = 63;
    static constexpr double FrameHeight = 390;
    static constexpr double ImageWidth = 3936;
    static constexpr double ImageHeight = 2952;
    // The zoomed image is the zoomed window less these (twips).
    static constexpr double ZoomMarginWidth = 70;
    static constexpr double ZoomMarginHeight = 400;

    platform::ui::ImageControl *Image1 = nullptr, *Image2 = nullptr, *Image3 = nullptr;
    // Image1 to Image3 by number (nullptr outside 1 to 3).
    platform::ui::ImageControl *image(int n) const;

    void Form_Load();
    void Image1_DblClick() { zoom(1); }
    void Image2_DblClick() { zoom(2); }
    void Image3_DblClick() { zoom(3); }

    // The window's place and outer size in twips.
    double formLeft() const { return form_.left; }
    double formTop() const { return form_.top; }
    double formWidth() const { return form_.width; }
    double formHeight() const { return form_.height; }
    void moveTo(double left, double top);
    // An image's place and size in twips.
    TwipsRect imageRect(int n) const;
    // The window shows one picture enlarged: its width is 1024 screen pixels.
    bool zoomed() const;
    // The largest size an image shows its picture at (zoomed), in device pixels: a picture
    // needs no more detail than that, zoomed or not.
    QSize largestImageSize() const;

    // A field of the main grid's current row: nullopt when there is no current row (no main
    // window, an empty grid, a view without the field); Null stays a null QVariant.
    static std::optional<QVariant> currentField(const QString &field);

protected:
    void closeEvent(QCloseEvent *e) override;
    void moveEvent(QMoveEvent *e) override;

private:
    void zoom(int n);
    void showThreePictures();
    void setFormSize(double width, double height);
    void setImageRect(int n, const TwipsRect &r);
    QPoint pixelPos() const;

    TwipsRect form_;
    std::array<TwipsRect, 3> images_{};
};

} // namespace pictures
