#pragma once
// Rows as wide as their list and never wider: a text too long for its row is elided as the list
// says (Qt::ElideMiddle keeps both ends of a path in view) and shown whole as the row's tool
// tip. The list then never scrolls sideways, and a list one row high shows its row whole instead
// of a horizontal scroll bar over it. Install it with install().
#include <QStyledItemDelegate>

class QAbstractItemView;

namespace platform::ui {

class ElidedRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Gives `view` this delegate, eliding with `mode`; its rows follow the view's width.
    static ElidedRowDelegate *install(QAbstractItemView *view, Qt::TextElideMode mode);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    explicit ElidedRowDelegate(QAbstractItemView *view);
    QAbstractItemView *view_;
};

} // namespace platform::ui
