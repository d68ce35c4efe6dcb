#include "content/actualImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

actualImage::actualImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void actualImage::setImage(const QImage& image) {
    m_image = image;
    resize(image.isNull() ? QSize(0, 0) : image.size());
    update();
}

void actualImage::paintEvent(QPaintEvent* event) {
    if (m_image.isNull())
        return;
    QPainter p(this);
    const QRect r = event->rect() & m_image.rect();
    p.drawImage(r.topLeft(), m_image, r);
}

void actualImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}
