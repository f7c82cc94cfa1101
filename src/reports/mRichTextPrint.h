#pragma once
// Printing a rich-text box page by page with margins measured from the sheet's edges.
#include <QRect>

class QPrinter;

namespace platform::richtext {
class RichTextBox;
}

namespace mRichTextPrint {

// The rectangle text is drawn in, in twips relative to the printable area that starts
// `offsetX`, `offsetY` twips from the sheet's left and top edges.
QRect drawingRect(int sheetWidth, int sheetHeight, int offsetX, int offsetY, int LeftMarginWidth,
                  int TopMarginHeight, int RightMarginWidth, int BottomMarginHeight);

// Prints the whole text of the box on `printer`, which the printer dialog has set up: each page
// holds what fits the drawing rectangle and ends early at a form feed. An empty box prints one
// blank page. Throws std::runtime_error when the printer cannot print.
void PrintRTF(platform::richtext::RichTextBox &box, QPrinter &printer, int LeftMarginWidth, int TopMarginHeight,
              int RightMarginWidth, int BottomMarginHeight);

} // namespace mRichTextPrint
