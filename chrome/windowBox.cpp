#include "chrome/windowBox.h"

#include <QMouseEvent>
#include <QPainter>

windowBox::windowBox(QWidget* parent) : QWidget(parent) {
    // 250 twips, 15 to a pixel.
    setFixedSize(17, 17);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setToolTip(QStringLiteral("关闭"));
}

void windowBox::setLook(Look look) {
    if (look == m_look)
        return;
    m_look = look;
    update();
}

void windowBox::enterEvent(QEnterEvent*) {
    setLook(Look::Hover);
}

void windowBox::leaveEvent(QEvent*) {
    setLook(Look::Normal);
}

void windowBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        setLook(Look::Pressed);
}

void windowBox::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (!inside)
        setLook(Look::Normal);
    else
        setLook(event->buttons() & Qt::LeftButton ? Look::Pressed : Look::Hover);
}

void windowBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool inside = rect().contains(at);
    setLook(inside ? Look::Hover : Look::Normal);
    if (inside)
        Q_EMIT Click(event->button(), event->modifiers(), at.x(), at.y());
}

void windowBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor face(0xd9, 0x4f, 0x3a);
    if (m_look == Look::Hover)
        face = QColor(0xee, 0x6b, 0x55);
    else if (m_look == Look::Pressed)
        face = QColor(0xa8, 0x33, 0x22);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(face);
    p.drawRoundedRect(box, 3, 3);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal m = 5;
    p.drawLine(QPointF(m, m), QPointF(width() - m, height() - m));
    p.drawLine(QPointF(width() - m, m), QPointF(m, height() - m));
}
