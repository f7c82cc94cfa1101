#include "platform/richtext/ReportText.h"

#include <QColor>

#include <algorithm>

namespace platform::richtext {

ReportText::ReportText(RichTextDocument &doc, const QTextCharFormat &start) : cursor_(&doc), formats_{start} {
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
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (const QChar *p = text.constData(); i < n && p[i] != u'\r' && p[i] != u'\n'; ++i) {
    }
    if (i == n)
        return text;
    // CR LF, a lone CR and a lone LF each become one separator, written over the text in place.
    QChar *p = text.data();
    qsizetype out = i;
    for (; i < n; ++i) {
        QChar c = p[i];
        if (c == u'\r') {
            if (i + 1 < n && p[i + 1] == u'\n')
                ++i;
            c = QChar::ParagraphSeparator;
        } else if (c == u'\n') {
            c = QChar::ParagraphSeparator;
        }
        p[out++] = c;
    }
    text.truncate(out);
    return text;
}

template <typename Make>
void ReportText::change(Kind kind, double value, const QString &name, const Make &make) {
    int to = -1;
    for (const Step &s : steps_)
        if (s.from == current_ && s.kind == kind && s.value == value && s.name == name) {
            to = s.to;
            break;
        }
    if (to < 0) {
        QTextCharFormat next = formats_[size_t(current_)];
        next.merge(make());
        const auto known = std::find(formats_.begin(), formats_.end(), next);
        to = int(known - formats_.begin());
        if (known == formats_.end())
            formats_.push_back(next);
        // A writer setting ever new values (no report does) keeps only its first steps.
        constexpr size_t kSteps = 64;
        if (steps_.size() < kSteps)
            steps_.push_back({current_, kind, value, name, to});
    }
    if (to == current_)
        return;
    flush();
    current_ = to;
}

void ReportText::font(const QString &name) { change(Kind::Font, 0, name, [&name] { return fontChange(name); }); }
void ReportText::size(double points) {
    if (points > 0) // what sizeChange refuses changes nothing
        change(Kind::Size, points, {}, [points] { return *sizeChange(points); });
}
void ReportText::bold(bool on) { change(Kind::Bold, on, {}, [on] { return boldChange(on); }); }
void ReportText::color(long bgr) { change(Kind::Color, double(bgr & 0xFFFFFF), {}, [bgr] { return colorChange(bgr); }); }

void ReportText::flush() {
    if (pending_.isEmpty())
        return;
    cursor_.insertText(paragraphs(std::move(pending_)), formats_[size_t(current_)]);
    pending_.clear();
}

} // namespace platform::richtext
