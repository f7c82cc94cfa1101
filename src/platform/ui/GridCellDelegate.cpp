#include "platform/ui/GridCellDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

namespace platform::ui {

namespace {
constexpr qsizetype kMostTexts = 8192;

QStaticText prepared(const QString &text, const QFont &font) {
    QStaticText s(text);
    s.setTextFormat(Qt::PlainText);
    s.setPerformanceHint(QStaticText::AggressiveCaching);
    s.prepare(QTransform(), font);
    return s;
}

// A style sheet may give items padding, borders or their own colours, which only the style's
// own drawing of an item applies. Whether the sheets in force say anything of items is kept for
// the sheets last seen.
bool sheetsStyleItems(const QWidget *widget) {
    static QString lastApp, lastOwn;
    static bool styles = false;
    const QString app = qApp ? qApp->styleSheet() : QString();
    QString own;
    for (const QWidget *w = widget; w; w = w->parentWidget())
        own += w->styleSheet();
    if (app != lastApp || own != lastOwn) {
        lastApp = app;
        lastOwn = own;
        styles = (app + own).contains(QLatin1String("item"), Qt::CaseInsensitive);
    }
    return styles;
}

bool plainOneLine(const QStyleOptionViewItem &opt) {
    using F = QStyleOptionViewItem::ViewItemFeature;
    if (opt.features & (F::HasDecoration | F::HasCheckIndicator | F::WrapText))
        return false;
    if (opt.direction != Qt::LeftToRight || (opt.state & QStyle::State_HasFocus) || sheetsStyleItems(opt.widget))
        return false;
    for (const QChar c : opt.text)
        if (c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QLatin1Char('\t'))
            return false;
    return true;
}
} // namespace

GridCellDelegate::GridCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

GridCellDelegate::Laid &GridCellDelegate::laid(const QString &text, const QFont &font) const {
    if (!(font == font_) || fontHeight_ < 0) {
        laid_.clear();
        font_ = font;
        fontHeight_ = QFontMetricsF(font).height();
    }
    auto it = laid_.find(text);
    if (it != laid_.end())
        return *it;
    if (laid_.size() >= kMostTexts)
        laid_.clear();
    Laid l;
    l.whole = prepared(text, font);
    // The width of the laid-out line, as the style measures it to decide whether to elide (a
    // font's advance for the text can differ by its kerning).
    l.width = l.whole.size().width();
    return *laid_.insert(text, std::move(l));
}

void GridCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!plainOneLine(opt)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    painter->save();
    // Nothing leaves the cell: a descender of a font taller than the row stays out of the line
    // and of the row below, as with the stock drawing.
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (!opt.text.isEmpty()) {
        QPalette::ColorGroup cg = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
            cg = QPalette::Inactive;
        painter->setPen(opt.palette.color(cg, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                      : QPalette::Text));
        painter->setFont(opt.font);
        // The margins and alignment the style gives an item's text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect room = opt.rect.adjusted(margin, 0, -margin, 0);
        Laid &l = laid(opt.text, opt.font);
        const QStaticText *shown = &l.whole;
        qreal width = l.width;
        if (width > room.width() && opt.textElideMode != Qt::ElideNone) {
            if (l.elidedFor != room.width()) {
                const QString cut = QFontMetricsF(opt.font).elidedText(opt.text, opt.textElideMode, room.width());
                l.elided = prepared(cut, opt.font);
                l.elidedFor = room.width();
            }
            shown = &l.elided;
            width = l.elided.size().width();
        }
        const QSizeF size(width, fontHeight_);
        // The line's place as the style finds it: across, from the text's own width, a fraction of
        // a pixel included; down, from its height made whole.
        QPointF at = QStyle::alignedRect(opt.direction, opt.displayAlignment, size.toSize(), room).topLeft();
        if (opt.displayAlignment & Qt::AlignRight)
            at.setX(room.x() + room.width() - width);
        else if (opt.displayAlignment & Qt::AlignHCenter)
            at.setX(room.x() + (room.width() - width) / 2);
        painter->drawStaticText(at, *shown);
    }
    painter->restore();
}

} // namespace platform::ui
