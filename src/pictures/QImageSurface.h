#pragma once
// A QImage seen as a drawing surface: the picture objects of the program (a loaded file, the
// clipboard, a picture box's image) are QImages, and the bitmap class copies and draws them
// through this. Indexed images show their colour table and store drawn pixels as the nearest
// entry; other formats are read and written as colours.
#include "pictures/DrawingSurface.h"

#include <QImage>

namespace pictures {

class QImageSurface : public DrawingSurface {
public:
    explicit QImageSurface(QImage image) : image_(std::move(image)) {}

    const QImage &image() const { return image_; }
    // Bits per pixel as the picture reports them: 1, 8, 16, 24, 32 or more.
    static int bitsPerPixel(const QImage &image);

    int surfaceWidth() const override { return image_.width(); }
    int surfaceHeight() const override { return image_.height(); }
    std::vector<RgbQuad> colorTable() const override;
    void readPixels(int x, int y, int w, int h, std::uint8_t *bgr, std::ptrdiff_t stride) const override;
    void writePixels(int x, int y, int w, int h, const std::uint8_t *bgr, std::ptrdiff_t stride,
                     std::uint32_t op) override;

private:
    const QImage &readable() const;

    QImage image_;
    mutable QImage rgb_; // image_ as RGB888 when its own format is not read directly
};

} // namespace pictures
