#pragma once
// Draws a rich-text document page by page: each call draws the lines from a character
// onwards that fit a page rectangle and returns the first character it did not draw. A form
// feed ends the page it stands on, and every page takes at least one line, so a loop that
// calls again from the returned character always reaches the end. A page whose lines a writer
// counted to fill one sheet (from a form feed to the next) stays on one sheet where the font
// drawn has a taller line pitch than the one asked for: its pitch is pressed up to a fifth.
#include "platform/richtext/RichTextDocument.h"

#include <QRect>
#include <QTextBlock>

#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;

namespace platform::richtext {

class PageRenderer {
public:
    explicit PageRenderer(const RichTextDocument &source);
    ~PageRenderer();

    // `pageRectTwips`: where on the painter's device to draw, in twips from its origin.
    // Returns the index (as the box's SelStart counts) of the first character not drawn; the
    // text length once everything is drawn.
    int formatRange(int first, QPainter &painter, const QRect &pageRectTwips);

    // The source changed: the next call lays it out again.
    void invalidate() { layout_.reset(); }

private:
    struct PageLine {
        QTextBlock block;
        int line;
        double top, bottom; // in the layout, before any pressing together
    };
    void lay(QPaintDevice *device, double width);
    int toLayout(int pos) const;
    int fromLayout(int pos) const;

    const RichTextDocument &source_;
    std::unique_ptr<RichTextDocument> layout_;
    std::vector<int> breaks_; // source positions of form feeds after which a block was added
    QPaintDevice *device_ = nullptr;
    int dpiX_ = 0, dpiY_ = 0;
    double width_ = 0;
};

} // namespace platform::richtext
