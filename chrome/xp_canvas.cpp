#include "chrome/xp_canvas.h"

#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kEdge = 4;
} // namespace

xp_canvas::xp_canvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    if (parent)
        parent->installEventFilter(this);
}

void xp_canvas::setCaption(const QString& text) {
    m_caption = text;
    update();
}

void xp_canvas::setIcon(const QIcon& icon) {
    m_icon = icon;
    update();
}

QRect xp_canvas::innerRect() const {
    return rect().adjusted(kEdge, titleHeight, -kEdge, -kEdge);
}

bool xp_canvas::eventFilter(QObject* watched, QEvent* event) {
    // The title bar looks active exactly while its window is the active one.
    if (watched == parentWidget() && event->type() == QEvent::ActivationChange)
        update();
    return QWidget::eventFilter(watched, event);
}

void xp_canvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool active = window()->isActiveWindow();
    const QColor dark = active ? QColor(0x1c, 0x4f, 0x9c) : QColor(0x7d, 0x93, 0xb5);
    const QColor light = active ? QColor(0x4f, 0x8f, 0xe0) : QColor(0xa9, 0xbb, 0xd6);

    p.fillRect(rect(), dark);
    QLinearGradient bar(0, 0, 0, titleHeight);
    bar.setColorAt(0, light.lighter(115));
    bar.setColorAt(0.5, light);
    bar.setColorAt(1, dark);
    p.fillRect(QRect(0, 0, width(), titleHeight), bar);
    p.fillRect(innerRect(), QColor(0xf4, 0xf7, 0xfb));

    int textLeft = 10;
    if (!m_icon.isNull()) {
        m_icon.paint(&p, QRect(8, (titleHeight - 16) / 2, 16, 16));
        textLeft = 30;
    }
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(textLeft, 0, width() - textLeft - 40, titleHeight),
               Qt::AlignVCenter | Qt::AlignLeft, m_caption);

    if (!m_fixed) {
        // The corner grip.
        p.setPen(QColor(0xb5, 0xc3, 0xd6));
        for (int i = 0; i < 3; ++i) {
            const int d = 4 + i * 4;
            p.drawLine(width() - kEdge - d, height() - kEdge - 1, width() - kEdge - 1,
                       height() - kEdge - d);
        }
    }
}

bool xp_canvas::onTitleBar(const QPoint& p) const {
    return p.y() >= 0 && p.y() < titleHeight;
}

int xp_canvas::edgeAt(const QPoint& p) const {
    if (m_fixed)
        return None;
    int edge = None;
    if (p.x() < kEdge)
        edge |= Left;
    if (p.x() >= width() - kEdge - 8 && p.y() >= height() - kEdge - 8)
        edge |= Right | Bottom;
    if (p.x() >= width() - kEdge)
        edge |= Right;
    if (p.y() >= height() - kEdge)
        edge |= Bottom;
    return edge;
}

void xp_canvas::mousePressEvent(QMouseEvent* event) {
    QWidget* win = window();
    if (event->button() != Qt::LeftButton || !win)
        return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    m_edge = edgeAt(at);
    if (m_edge != None) {
        m_pressedAt = event->globalPosition().toPoint();
    } else if (onTitleBar(at) && !win->isMaximized()) {
        m_moving = true;
        m_grab = event->globalPosition().toPoint() - win->frameGeometry().topLeft();
    }
}

void xp_canvas::mouseMoveEvent(QMouseEvent* event) {
    if (m_moving) {
        window()->move(event->globalPosition().toPoint() - m_grab);
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        const int edge = edgeAt(event->position().toPoint());
        if (edge == (Right | Bottom))
            setCursor(Qt::SizeFDiagCursor);
        else if (edge & (Left | Right))
            setCursor(Qt::SizeHorCursor);
        else if (edge & Bottom)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
    }
}

void xp_canvas::mouseReleaseEvent(QMouseEvent* event) {
    QWidget* win = window();
    if (m_edge != None && event->button() == Qt::LeftButton && win) {
        // The window grows or shrinks by the distance the pointer moved.
        const QPoint d = event->globalPosition().toPoint() - m_pressedAt;
        QRect g = win->geometry();
        if (m_edge & Left)
            g.setLeft(g.left() + d.x());
        if (m_edge & Right)
            g.setRight(g.right() + d.x());
        if (m_edge & Bottom)
            g.setBottom(g.bottom() + d.y());
        g.setSize(g.size().expandedTo(win->minimumSize()));
        win->setGeometry(g);
    }
    m_edge = None;
    m_moving = false;
    QWidget::mouseReleaseEvent(event);
}

void xp_canvas::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget* win = window();
    if (m_fixed || !win || !onTitleBar(event->position().toPoint()))
        return QWidget::mouseDoubleClickEvent(event);
    if (win->isMaximized())
        win->showNormal();
    else
        win->showMaximized();
}
