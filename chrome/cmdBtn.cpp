#include "chrome/cmdBtn.h"

#include <QKeyEvent>
#include <QPainter>

cmdBtn::cmdBtn(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize cmdBtn::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, caption());
    return QSize(std::max(75, text.width() + 24), std::max(25, text.height() + 10));
}

void cmdBtn::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void cmdBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor face(0xe6, 0xee, 0xf8);
    QColor border(0x7a, 0x98, 0xc2);
    if (isDown()) {
        face = QColor(0xbf, 0xd2, 0xec);
        border = QColor(0x1c, 0x4f, 0x9c);
    } else if (underMouse()) {
        face = QColor(0xf5, 0xf9, 0xff);
        border = QColor(0x3f, 0x7f, 0xd0);
    }
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(border);
    p.setBrush(face);
    p.drawRoundedRect(box, 3, 3);
    if (hasFocus()) {
        p.setPen(QPen(border, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(3, 3, -3, -3), 2, 2);
    }
    p.setPen(QColor(0x1a, 0x2a, 0x40));
    const QPoint shift = isDown() ? QPoint(1, 1) : QPoint();
    p.drawText(rect().translated(shift), Qt::AlignCenter | Qt::TextShowMnemonic, caption());
}
