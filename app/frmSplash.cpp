#include "app/frmSplash.h"

#include "app/MDIFrm.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(480, 300);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

void frmSplash::Timer1_Timer() {
    m_total += Timer1->interval();
    if (m_total > 149) {
        Timer1->stop();
        m_frame = new MDIFrm();
        if (!m_frame->load(this)) {
            // Without a site database there is nothing to work on.
            m_frame->deleteLater();
            m_frame = nullptr;
            QCoreApplication::exit(1);
        }
    }
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1, QColor(0x6a, 0xa9, 0xe0));
    p.fillRect(rect(), sky);

    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 70, width(), 60), Qt::AlignCenter, QStringLiteral("Orvane"));

    QFont sub = font();
    sub.setPointSize(15);
    p.setFont(sub);
    p.drawText(QRect(0, 135, width(), 40), Qt::AlignCenter, QStringLiteral("自动建站系列软件"));

    QFont small = font();
    small.setPointSize(9);
    p.setFont(small);
    p.drawText(QRect(0, height() - 40, width(), 24), Qt::AlignCenter,
               QStringLiteral("版本 %1  正在启动……").arg(QStringLiteral("3.05")));
}
