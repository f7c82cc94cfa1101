#include "platform/ui/ElidedRowDelegate.h"

#include <QHelpEvent>
#include <QListView>
#include <QToolTip>

#include <algorithm>

namespace platform::ui {

ElidedRowDelegate::ElidedRowDelegate(QAbstractItemView *view) : QStyledItemDelegate(view), view_(view) {}

ElidedRowDelegate *ElidedRowDelegate::install(QAbstractItemView *view, Qt::TextElideMode mode) {
    auto *d = new ElidedRowDelegate(view);
    view->setItemDelegate(d);
    view->setTextElideMode(mode);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A list lays its rows out again when its width changes, so they follow it.
    if (auto *list = qobject_cast<QListView *>(view))
        list->setResizeMode(QListView::Adjust);
    return d;
}

QSize ElidedRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setWidth(std::min(s.width(), std::max(1, view_->viewport()->width())));
    return s;
}

bool ElidedRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) {
    if (event && event->type() == QEvent::ToolTip && index.isValid()) {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            QToolTip::showText(event->globalPos(), text, view, view->visualRect(index));
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace platform::ui
