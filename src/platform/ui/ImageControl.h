#pragma once
// An image control: it keeps the whole picture it is given and draws it stretched to its own
// size, so enlarging the control shows the picture sharp rather than a blown-up thumbnail. An
// empty control draws nothing. A double-click raises DblClick.
#include <QImage>
#include <QWidget>

namespace platform::ui {

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    const QImage &picture() const { return picture_; }
    void setPicture(const QImage &picture);
    // Empties the control (it shows no picture).
    void clear();

signals:
    void DblClick();

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QImage picture_;
};

} // namespace platform::ui
