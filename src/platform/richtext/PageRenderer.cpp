#include "platform/richtext/PageRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>

namespace platform::richtext {

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
    QTextLayout *tl = block.layout();
    int line = tl->lineCount() > 0 ? std::max(0, tl->lineForTextPosition(start - block.position()).lineNumber()) : 0;
    const auto lineTop = [](const QTextBlock &b, int l) {
        return b.layout()->position().y() + (b.layout()->lineCount() ? b.layout()->lineAt(l).y() : 0);
    };
    const auto lineBottom = [](const QTextBlock &b, int l) {
        const QTextLayout *t = b.layout();
        return t->position().y() + (t->lineCount() ? t->lineAt(l).y() + t->lineAt(l).height() : 0);
    };
    const double top = lineTop(block, line);
    double bottom = top;
    int next = layout_->characterCount() - 1;
    int taken = 0;
    while (block.isValid()) {
        const int lines = std::max(1, block.layout()->lineCount());
        if (line >= lines) {
            block = block.next();
            line = 0;
            continue;
        }
        const double b = lineBottom(block, line);
        if (taken > 0 && b - top > rect.height()) {
            next = block.position() + (block.layout()->lineCount() ? block.layout()->lineAt(line).textStart() : 0);
            break;
        }
        ++taken;
        bottom = std::max(bottom, b);
        const bool last = line + 1 >= lines;
        if (last && block.text().endsWith(u'\f')) {
            const QTextBlock after = block.next();
            next = after.isValid() ? after.position() : layout_->characterCount() - 1;
            break;
        }
        ++line;
    }

    painter.save();
    const QRectF clip(0, top, rect.width(), std::min(bottom - top, rect.height()));
    painter.translate(rect.left(), rect.top() - top);
    painter.setClipRect(clip, Qt::IntersectClip);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = clip;
    ctx.palette.setColor(QPalette::Text, Qt::black);
    layout_->documentLayout()->draw(&painter, ctx);
    painter.restore();
    return std::min(length, fromLayout(next));
}

} // namespace platform::richtext
