#pragma once
// Writes a rich-text document as seven-bit RTF that word processors open with its fonts,
// colours, alignment and pictures, and that our reader reads back unchanged.
#include "platform/richtext/RichTextDocument.h"

#include <QByteArray>

namespace platform::richtext {

class RtfWriter {
public:
    // The whole document. \f0 is the document's default font (the box's own font).
    static QByteArray write(const RichTextDocument &doc);
};

} // namespace platform::richtext
