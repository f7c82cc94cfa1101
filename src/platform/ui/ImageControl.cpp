#include "platform/ui/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform::ui {

ImageControl::ImageControl(QWidget *parent) : QWidget(parent) {}

void ImageControl::setPicture(const QImage &picture) {
    picture_ = picture;
    update();
}

void ImageControl::clear() { setPicture(QImage()); }

void ImageControl::paintEvent(QPaintEvent *) {
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), picture_);
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) {
        e->accept();
        emit DblClick();
        return;
    }
    QWidget::mouseDoubleClickEvent(e);
}

} // namespace platform::ui
