#pragma once
// A label whose caption changes are an event: every setText (and clear) through this type
// raises Change after the caption is set, so a window can keep a rule tied to its caption
// whoever writes it.
#include <QLabel>

namespace platform::ui {

class Label : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setText(const QString &text) {
        QLabel::setText(text);
        emit Change();
    }
    void clear() { setText(QString()); }

signals:
    void Change();
};

} // namespace platform::ui
