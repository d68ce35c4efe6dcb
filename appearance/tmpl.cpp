#include "appearance/tmpl.h"

#include "appearance/mdl_sltTmpl.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRadioButton>

namespace {
// The tile inside its grid cell of 2500 × 1680 units.
// The installation's thumbnails are 150 × 90 pixels; they show at their own size.
const QSize kThumbSize(156, 94);
const QSize kTileSize(180, mdl_sltTmpl::gridPixels(mdl_sltTmpl::kTilePitchY) - 4);
constexpr int kLineHeight = 20;
// The title stands under the caption's text, clear of the option's circle.
constexpr int kTitleIndent = 20;
} // namespace

tmpl::tmpl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tmpl"));
    setFixedSize(kTileSize);
    imgTmpl = new QLabel(this);
    imgTmpl->setObjectName(QStringLiteral("imgTmpl"));
    imgTmpl->setGeometry(QRect(QPoint(0, 0), kThumbSize));
    imgTmpl->setAlignment(Qt::AlignCenter);
    optTmpl = new QRadioButton(this);
    optTmpl->setObjectName(QStringLiteral("optTmpl"));
    optTmpl->setAutoExclusive(false);
    // The grid takes the keyboard; the arrows move the choice there.
    optTmpl->setFocusPolicy(Qt::NoFocus);
    optTmpl->setGeometry(0, kThumbSize.height() + 2, kTileSize.width(), kLineHeight);
    lbl_title = new QLabel(this);
    lbl_title->setObjectName(QStringLiteral("lbl_title"));
    lbl_title->setGeometry(kTitleIndent, optTmpl->geometry().bottom() + 1,
                           kTileSize.width() - kTitleIndent, kLineHeight - 2);
    lbl_title->setStyleSheet(QStringLiteral("color: #555;"));
    imgTmpl->installEventFilter(this);
    optTmpl->installEventFilter(this);
    connect(optTmpl, &QRadioButton::clicked, this, [this] { clicked(); });
    drawBorder(false);
}

void tmpl::setValue(const QString& value) {
    const QString caption = mdl_sltTmpl::templateCaption(value);
    optTmpl->setText(QFontMetrics(optTmpl->font())
                         .elidedText(caption, Qt::ElideRight, optTmpl->width() - 24));
    const QString title = mdl_sltTmpl::templateTitle(value);
    optTmpl->setToolTip(title.isEmpty() ? caption : caption + u' ' + title);
    lbl_title->setText(
        QFontMetrics(lbl_title->font()).elidedText(title, Qt::ElideRight, lbl_title->width()));
    lbl_title->setToolTip(title);
    // A thumbnail that cannot be read leaves the tile empty.
    const pictures::Loaded pic =
        pictures::load(mdl_sltTmpl::thumbnailPath(value), imgTmpl->size() - QSize(4, 4));
    if (pic.ok)
        imgTmpl->setPixmap(QPixmap::fromImage(pic.image));
    else
        imgTmpl->setText(QStringLiteral("暂无图片"));
    m_value = value;
    Q_EMIT valueChanged();
}

void tmpl::setSelected(int selected) {
    m_selected = selected == 1 ? 1 : 0;
    optTmpl->setChecked(m_selected == 1);
    drawBorder(m_selected == 1);
    Q_EMIT selectedChanged();
}

void tmpl::drawBorder(bool on) {
    imgTmpl->setStyleSheet(on ? QStringLiteral("border: 2px solid #1c5fb8; color: #888;")
                              : QStringLiteral("border: 2px solid transparent; color: #888;"));
}

void tmpl::clicked() {
    Q_EMIT click();
    drawBorder(true);
}

bool tmpl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        Q_EMIT DoubleClick();
        return true;
    }
    if (watched == imgTmpl && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        clicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void tmpl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        clicked();
}

void tmpl::mouseDoubleClickEvent(QMouseEvent*) {
    Q_EMIT DoubleClick();
}
