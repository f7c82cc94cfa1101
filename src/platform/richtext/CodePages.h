#pragma once
// Windows code pages as RTF names them: \ansicpgN, \mac, \pc, \pca, a font's \cpgN or its
// \fcharsetN. Bytes are decoded through Qt's converters by name; single-byte pages through a
// table of 256 characters made once per page, double-byte pages a lead byte and its trail
// together.
#include <QByteArray>
#include <QString>

namespace platform::richtext::codepages {

// The code page a font's \fcharsetN stands for; 0 where the document's own page applies
// (ANSI, default and symbol fonts) or the charset is unknown.
int fromCharset(int charset);

// True when Qt can decode the page.
bool known(int codePage);

// True when `codePage` is a double-byte page and `byte` starts a two-byte character in it.
bool isLeadByte(int codePage, unsigned char byte);

// One byte of a single-byte page (or a lone byte of a double-byte one). Unknown pages decode
// as Windows-1252.
QChar decodeByte(int codePage, unsigned char byte);

// A lead byte and its trail in a double-byte page: one character, U+FFFD when the pair means
// nothing there.
QString decodePair(int codePage, unsigned char lead, unsigned char trail);

// Windows-1252 byte for a character, or -1 when the page has none (characters below 0x80
// are their own byte).
int toWindows1252(char16_t c);

} // namespace platform::richtext::codepages
