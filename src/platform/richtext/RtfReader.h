#pragma once
// Reads RTF into a rich-text document: our own output exactly, other writers' output
// tolerantly (what is kept and what is dropped is listed in the README). Reading never
// throws, never recurses and never stops early: damaged input is read as far as it goes, and
// each recovery is reported as a problem.
#include "platform/richtext/RichTextDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform::richtext {

struct ReadProblem {
    QString what;
    qsizetype at = 0; // character offset in the RTF where it was found
    bool operator==(const ReadProblem &) const = default;
};

class RtfReader {
public:
    // True when the text begins, after blanks, with "{\rtf".
    static bool isRtf(QByteArrayView bytes);
    static bool isRtf(QStringView text);

    // Reads RTF into the empty document `doc` (whose default font is the font of \deff when the
    // font table names none). `highBytesAreUtf8`: the RTF came as text, so characters above
    // 127 outside escapes are themselves rather than bytes of the document's code page.
    static QList<ReadProblem> read(QByteArrayView rtf, RichTextDocument &doc, bool highBytesAreUtf8 = false);

    // Fills the empty document with plain text in its default format: a paragraph per line,
    // CR LF, CR and LF each ending one.
    static void readPlain(const QString &text, QTextDocument &doc);

    // File bytes that are no RTF as text: UTF-8 when they are valid UTF-8, else Windows-1252.
    static QString plainFromBytes(const QByteArray &bytes);
};

} // namespace platform::richtext
