#include "platform/richtext/ReportText.h"

#include <QColor>

#include <algorithm>

namespace platform::richtext {

ReportText::ReportText(RichTextDocument &doc, const QTextCharFormat &start) : cursor_(&doc), format_(start) {
    cursor_.movePosition(QTextCursor::End);
    cursor_.beginEditBlock();
}

ReportText::~ReportText() {
    flush();
    cursor_.endEditBlock();
}

QTextCharFormat ReportText::fontChange(const QString &name) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    f.setProperty(QTextFormat::FontFamily, name);
    return f;
}

std::optional<QTextCharFormat> ReportText::sizeChange(double points) {
    if (!(points > 0))
        return std::nullopt;
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(points, 1.0, 1638.0));
    return f;
}

QTextCharFormat ReportText::boldChange(bool on) {
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    return f;
}

QTextCharFormat ReportText::colorChange(long bgr) {
    QTextCharFormat f;
    f.setForeground(QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)));
    return f;
}

QString ReportText::paragraphs(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QChar::ParagraphSeparator);
    return text;
}

void ReportText::change(const QTextCharFormat &f) {
    QTextCharFormat next = format_;
    next.merge(f);
    if (next == format_)
        return;
    flush();
    format_ = next;
}

void ReportText::font(const QString &name) { change(fontChange(name)); }
void ReportText::size(double points) {
    if (const auto f = sizeChange(points))
        change(*f);
}
void ReportText::bold(bool on) { change(boldChange(on)); }
void ReportText::color(long bgr) { change(colorChange(bgr)); }

void ReportText::flush() {
    if (pending_.isEmpty())
        return;
    cursor_.insertText(paragraphs(pending_), format_);
    pending_.clear();
}

} // namespace platform::richtext
