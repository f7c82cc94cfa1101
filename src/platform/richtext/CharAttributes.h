#pragma once
// The character attributes RTF keeps, as a format shows them: what the format sets, the
// document's default font for what it leaves unset.
#include <QFont>
#include <QRgb>
#include <QString>
#include <QTextCharFormat>

#include <optional>

namespace platform::richtext {

struct CharAttributes {
    QString family;
    double pointSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::optional<QRgb> color; // none: the automatic text colour

    bool operator==(const CharAttributes &) const = default;

    static CharAttributes of(const QTextCharFormat &format, const QFont &defaultFont);
};

} // namespace platform::richtext
