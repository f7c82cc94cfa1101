#include "platform/richtext/CharAttributes.h"

#include <QBrush>

namespace platform::richtext {

CharAttributes CharAttributes::of(const QTextCharFormat &f, const QFont &def) {
    CharAttributes a;
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        a.family = families.first();
    else if (const QString one = f.stringProperty(QTextFormat::FontFamily); !one.isEmpty())
        a.family = one;
    else
        a.family = def.family();
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        a.pointSize = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
        a.pointSize = f.intProperty(QTextFormat::FontPixelSize) * 0.75; // CSS pixels: 96 to the inch
    else
        a.pointSize = def.pointSizeF() > 0 ? def.pointSizeF() : 12;
    a.bold = (f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() : def.weight()) >= QFont::DemiBold;
    a.italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : def.italic();
    if (f.hasProperty(QTextFormat::TextUnderlineStyle))
        a.underline = f.underlineStyle() != QTextCharFormat::NoUnderline &&
                      f.underlineStyle() != QTextCharFormat::SpellCheckUnderline;
    else if (f.hasProperty(QTextFormat::FontUnderline))
        a.underline = f.boolProperty(QTextFormat::FontUnderline);
    else
        a.underline = def.underline();
    a.strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : def.strikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        a.color = f.foreground().color().rgb();
    return a;
}

} // namespace platform::richtext
