#include "designer/disModel.h"

#include "common/workspace.h"
#include "designer/mdl_dgnFrm.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRadioButton>

using mdl_dgnFrm::twips;

namespace {

// The tiles' hand pointer, from the installation's cursor file; the system's pointing
// hand when the file cannot be read.
QCursor handCursor() {
    const QPixmap pic(workspace::currentPath() + QStringLiteral("images/H_POINT.CUR"));
    if (pic.isNull())
        return QCursor(Qt::PointingHandCursor);
    return QCursor(pic, 10, 2);
}

} // namespace

disModel::disModel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("disModel"));
    setFixedSize(twips(2420), twips(2000));

    lbl_bg = new QLabel(this);
    lbl_bg->setObjectName(QStringLiteral("lbl_bg"));
    lbl_bg->setStyleSheet(QStringLiteral("background-color: #3a6ea5;"));

    img = new QLabel(this);
    img->setObjectName(QStringLiteral("img"));
    img->move(0, 0);
    img->setFixedSize(twips(2300), twips(1560));
    img->setAlignment(Qt::AlignCenter);
    img->setScaledContents(false);
    lbl_bg->setGeometry(twips(70), twips(70), img->width(), img->height());
    lbl_bg->lower();

    opt = new QRadioButton(QStringLiteral("文本格式"), this);
    opt->setObjectName(QStringLiteral("opt"));
    opt->setAutoExclusive(false);

    const QCursor hand = handCursor();
    setCursor(hand);
    img->setCursor(hand);
    opt->setCursor(hand);
    img->installEventFilter(this);
    connect(opt, &QRadioButton::clicked, this, [this] {
        // A click always selects; the dialog clears the other tiles.
        opt->setChecked(true);
        redraw();
        Q_EMIT click();
    });
    setCaption(opt->text());
    redraw();
}

void disModel::setCaption(const QString& caption) {
    opt->setText(caption);
    opt->adjustSize();
    // Centred under the picture, 100 twips below it.
    opt->move((img->width() - opt->width()) / 2, img->height() + twips(100));
}

QString disModel::caption() const {
    return opt->text();
}

void disModel::setPicName(const QString& path) {
    m_picName = path;
    const QPixmap pic(path);
    if (!pic.isNull())
        img->setPixmap(pic);
}

bool disModel::selected() const {
    return opt->isChecked();
}

void disModel::setSelected(bool on) {
    opt->setChecked(on);
    redraw();
}

void disModel::redraw() {
    const bool on = opt->isChecked();
    lbl_bg->setVisible(on);
    img->setFrameShape(on ? QFrame::NoFrame : QFrame::Box);
    img->setStyleSheet(on ? QStringLiteral("background: white;")
                          : QStringLiteral("background: white; border: 1px solid #7a7a7a;"));
}

bool disModel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == img && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        opt->setChecked(true);
        redraw();
        Q_EMIT click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
