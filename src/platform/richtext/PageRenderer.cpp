#include "platform/richtext/PageRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>

namespace platform::richtext {

namespace {
// The tightest a page's lines may be pressed together to keep them on their sheet: still
// readable, and enough for the metric stand-ins of the common fonts.
constexpr double kTightestPitch = 0.8;
} // namespace

PageRenderer::PageRenderer(const RichTextDocument &source) : source_(source) {}
PageRenderer::~PageRenderer() = default;

void PageRenderer::lay(QPaintDevice *device, double width) {
    // Keyed on the device itself too: the layout keeps it as its paint device.
    if (layout_ && device_ == device && dpiX_ == device->logicalDpiX() && dpiY_ == device->logicalDpiY() &&
        qFuzzyCompare(width_, width) && layout_->defaultFont() == source_.defaultFont())
        return;
    device_ = device;
    dpiX_ = device->logicalDpiX();
    dpiY_ = device->logicalDpiY();
    width_ = width;
    layout_ = std::make_unique<RichTextDocument>();
    layout_->pictures().merge(source_.pictures());
    layout_->setDefaultFont(source_.defaultFont());
    layout_->setDocumentMargin(0);
    layout_->setUndoRedoEnabled(false);
    QTextCursor c(layout_.get());
    c.insertFragment(QTextDocumentFragment(&source_));
    c.movePosition(QTextCursor::Start);
    c.setBlockFormat(source_.begin().blockFormat());
    c.setBlockCharFormat(source_.begin().charFormat());

    // A form feed ends its page: text after it on the same line moves to a block of its own.
    breaks_.clear();
    const QString text = source_.toRawText();
    for (int i = 0; i < text.size(); ++i)
        if (text[i] == u'\f' && i + 1 < text.size() && text[i + 1] != QChar::ParagraphSeparator)
            breaks_.push_back(i);
    for (auto it = breaks_.rbegin(); it != breaks_.rend(); ++it) {
        c.setPosition(*it + 1);
        c.insertBlock();
    }
    layout_->documentLayout()->setPaintDevice(device);
    layout_->setTextWidth(width);
    layout_->documentLayout()->documentSize(); // lays out everything once
}

int PageRenderer::toLayout(int pos) const {
    return pos + int(std::upper_bound(breaks_.begin(), breaks_.end(), pos - 1) - breaks_.begin());
}

int PageRenderer::fromLayout(int pos) const {
    // The k-th added block separator stands at breaks_[k] + 1 + k in the layout copy.
    int k = 0;
    while (k < int(breaks_.size()) && breaks_[k] + 1 + k < pos)
        ++k;
    return pos - k;
}

int PageRenderer::formatRange(int first, QPainter &painter, const QRect &rectTwips) {
    const int length = std::max(0, source_.characterCount() - 1);
    QPaintDevice *device = painter.device();
    if (!device || first >= length)
        return length;
    first = std::max(first, 0);
    const double sx = device->logicalDpiX() / 1440.0;
    const double sy = device->logicalDpiY() / 1440.0;
    const QRectF rect(rectTwips.left() * sx, rectTwips.top() * sy, std::max(1.0, rectTwips.width() * sx),
                      std::max(1.0, rectTwips.height() * sy));
    lay(device, rect.width());

    const int start = toLayout(first);
    QTextBlock block = layout_->findBlock(start);
    if (!block.isValid())
        return length;
    int line = block.layout()->lineCount() > 0
                   ? std::max(0, block.layout()->lineForTextPosition(start - block.position()).lineNumber())
                   : 0;
    // A page that a form feed (or the text's end) closes and that began at the text's start or
    // after a form feed holds lines the writer counted for one sheet.
    const QTextBlock before = block.previous();
    const bool startsSection = line == 0 && (!before.isValid() || before.text().endsWith(u'\f'));

    // The lines from `start` on, up to the end of their section but no further than a page
    // pressed to the tightest pitch allowed.
    std::vector<PageLine> lines;
    bool endsSection = false;
    int next = layout_->characterCount() - 1;
    const double reach = rect.height() / kTightestPitch;
    while (block.isValid()) {
        const QTextLayout *tl = block.layout();
        const int count = std::max(1, tl->lineCount());
        if (line >= count) {
            block = block.next();
            line = 0;
            continue;
        }
        const double y = tl->position().y() + (tl->lineCount() ? tl->lineAt(line).y() : 0);
        const double h = tl->lineCount() ? tl->lineAt(line).height() : 0;
        if (!lines.empty() && y + h - lines.front().top > reach) {
            next = block.position() + (tl->lineCount() ? tl->lineAt(line).textStart() : 0);
            break;
        }
        lines.push_back({block, line, y, y + h});
        if (line + 1 >= count && block.text().endsWith(u'\f')) {
            const QTextBlock after = block.next();
            next = after.isValid() ? after.position() : layout_->characterCount() - 1;
            endsSection = true;
            break;
        }
        ++line;
    }
    if (!block.isValid())
        endsSection = true;

    // Such a page keeps its lines together even where the font standing in for the one asked
    // for has a taller line pitch than the writer reckoned with: the pitch shrinks to fit.
    // Any other page takes the lines that fit at their own pitch and the rest flow on.
    double pitch = 1.0;
    const double natural = lines.empty() ? 0 : lines.back().bottom - lines.front().top;
    // The tops move together; the last line keeps its full height, so it ends on the margin.
    const double span = lines.empty() ? 0 : lines.back().top - lines.front().top;
    const double lastHeight = lines.empty() ? 0 : lines.back().bottom - lines.back().top;
    if (startsSection && endsSection && natural > rect.height() && natural <= reach && span > 0 &&
        rect.height() > lastHeight) {
        pitch = (rect.height() - lastHeight) / span;
    } else if (natural > rect.height()) {
        size_t taken = 1;
        while (taken < lines.size() && lines[taken].bottom - lines.front().top <= rect.height())
            ++taken;
        if (taken < lines.size()) {
            const PageLine &over = lines[taken];
            const QTextLayout *tl = over.block.layout();
            next = over.block.position() + (tl->lineCount() ? tl->lineAt(over.line).textStart() : 0);
            lines.resize(taken);
        }
    }

    // Only the page's own lines are drawn, so the printed file holds no text of the pages
    // around it, not even clipped out of sight.
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setPen(Qt::black);
    for (const PageLine &l : lines) {
        const QTextLayout *tl = l.block.layout();
        if (!tl->lineCount())
            continue;
        const QTextLine tline = tl->lineAt(l.line);
        const double y = rect.top() + (l.top - lines.front().top) * pitch;
        tline.draw(&painter, QPointF(rect.left() + tl->position().x(), y - tline.y()));
    }
    painter.restore();
    return std::min(length, fromLayout(next));
}

} // namespace platform::richtext
