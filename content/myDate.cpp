#include "content/myDate.h"

#include <QCalendarWidget>
#include <QDate>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

myDate::myDate(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("myDate"));
    txtValue = new QLineEdit(this);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    cmdDown = new QToolButton(this);
    cmdDown->setObjectName(QStringLiteral("cmdDown"));
    cmdDown->setArrowType(Qt::DownArrow);
    cmdDown->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(txtValue, 1);
    layout->addWidget(cmdDown);
    cmdDown->setFixedHeight(txtValue->sizeHint().height());

    // The calendar floats over the window below the box; a click anywhere else, the
    // button again or Esc close it.
    mnthView = new QCalendarWidget(this);
    mnthView->setObjectName(QStringLiteral("mnthView"));
    mnthView->setWindowFlags(Qt::Popup);
    mnthView->setAttribute(Qt::WA_NoMouseReplay);
    mnthView->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    mnthView->setGridVisible(true);
    mnthView->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    mnthView->hide();

    connect(cmdDown, &QToolButton::clicked, this, &myDate::cmdDown_Click);
    connect(mnthView, &QCalendarWidget::clicked, this, &myDate::mnthView_DateClick);
    connect(mnthView, &QCalendarWidget::activated, this, &myDate::mnthView_DateClick);
    connect(txtValue, &QLineEdit::textChanged, this, &myDate::valueChanged);
    txtValue->installEventFilter(this);

    // UserControl_Initialize
    mnthView->setSelectedDate(QDate::currentDate());
    txtValue->setText(dateText(QDate::currentDate()));
}

QString myDate::dateText(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString myDate::value() const {
    return txtValue->text();
}

void myDate::setValue(const QString& text) {
    txtValue->setText(text);
    const QDate d = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (d.isValid())
        mnthView->setSelectedDate(d);
}

void myDate::cmdDown_Click() {
    if (mnthView->isVisible()) {
        mnthView->hide();
        return;
    }
    const QSize size = mnthView->sizeHint();
    QPoint at = txtValue->mapToGlobal(QPoint(0, txtValue->height()));
    if (const QScreen* s = screen()) {
        // Kept on the screen: above the box when there is no room below it.
        const QRect room = s->availableGeometry();
        if (at.y() + size.height() > room.bottom())
            at.setY(txtValue->mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
    }
    mnthView->move(at);
    mnthView->resize(size);
    mnthView->show();
    mnthView->setFocus();
}

void myDate::mnthView_DateClick(const QDate& date) {
    mnthView->setSelectedDate(date);
    txtValue->setText(dateText(date));
    mnthView->hide();
}

bool myDate::eventFilter(QObject* watched, QEvent* event) {
    // txtValue_Click: the box opens and closes the calendar as the button does.
    if (watched == txtValue && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        cmdDown_Click();
    return QWidget::eventFilter(watched, event);
}
