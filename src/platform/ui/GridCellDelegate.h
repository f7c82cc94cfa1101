#pragma once
// Draws the grid's cells as the stock delegate does (the style's item panel, the palette's text
// colour for the cell's state, the text aligned and elided in the same margins), but keeps each
// text's laid-out glyphs between paints. The stock delegate shapes every cell's text again on
// every paint; on a grid repainted at each keystroke of the search box that shaping is most of
// the work. A cell with anything more than one line of plain text (an icon, a check box,
// wrapping, right-to-left, the focus frame, a style sheet that styles items) is drawn by the
// stock delegate.
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace platform::ui {

class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridCellDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    struct Laid {
        qreal width = 0;        // the laid-out line's width, as the style measures it
        QStaticText whole;
        int elidedFor = -1;     // the width `elided` was cut for
        QStaticText elided;
    };
    Laid &laid(const QString &text, const QFont &font) const;

    // Texts laid out in `font_`; emptied when the font changes or past 8,192 texts.
    mutable QFont font_;
    mutable qreal fontHeight_ = -1;
    mutable QHash<QString, Laid> laid_;
};

} // namespace platform::ui
