#include "reports/mRichTextPrint.h"

#include "platform/richtext/RichTextBox.h"

#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <stdexcept>

namespace mRichTextPrint {

QRect drawingRect(int sheetWidth, int sheetHeight, int offsetX, int offsetY, int LeftMarginWidth,
                  int TopMarginHeight, int RightMarginWidth, int BottomMarginHeight) {
    const int left = LeftMarginWidth - offsetX;
    const int top = TopMarginHeight - offsetY;
    const int right = (sheetWidth - RightMarginWidth) - offsetX;
    const int bottom = (sheetHeight - BottomMarginHeight) - offsetY;
    return QRect(left, top, std::max(1, right - left), std::max(1, bottom - top));
}

void PrintRTF(platform::richtext::RichTextBox &box, QPrinter &printer, int LeftMarginWidth, int TopMarginHeight,
              int RightMarginWidth, int BottomMarginHeight) {
    // Opening the painter opens the print job; its device's origin is the printable area's corner.
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("The printer could not be opened.");

    const double res = printer.resolution();
    const auto twips = [res](double devicePixels) { return int(std::lround(devicePixels * 1440.0 / res)); };
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    const int offsetX = twips(printable.left() - paper.left());
    const int offsetY = twips(printable.top() - paper.top());
    const QRect rect = drawingRect(twips(paper.width()), twips(paper.height()), offsetX, offsetY, LeftMarginWidth,
                                   TopMarginHeight, RightMarginWidth, BottomMarginHeight);

    const int textLength = int(box.Text().size());
    int first = 0;
    for (;;) {
        const int next = box.formatRange(first, painter, rect);
        // The box draws at least one line a page; a call that drew nothing would loop forever.
        if (next >= textLength || next <= first)
            break;
        first = next;
        if (!printer.newPage())
            throw std::runtime_error("The printer could not start a new page.");
    }
    if (!painter.end())
        throw std::runtime_error("The printer could not finish the document.");
}

} // namespace mRichTextPrint
