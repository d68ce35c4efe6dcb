#include "content/insDataFrm_img.h"

#include "common/pictures.h"
#include "common/workWindow.h"
#include "content/actualImage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {
// The height of the button row below the picture.
constexpr int kButtonRow = 48;
} // namespace

insDataFrm_img::insDataFrm_img(const QString& path, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("insDataFrm_img"));
    setWindowTitle(QStringLiteral("实际大小"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Form_Load: the picture at its own size, at the window's top left corner.
    img_prod = new actualImage;
    img_prod->setObjectName(QStringLiteral("img_prod"));
    img_prod->setCursor(Qt::PointingHandCursor);
    // A photo larger than the screen is read only as large as the window can show it.
    const QSize room = workWindow::screenRoom(parent);
    {
        const workWindow::WaitCursor busy;
        img_prod->setImage(pictures::load(path, room - QSize(0, kButtonRow)).image);
    }
    area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("area"));
    area->setFrameShape(QFrame::NoFrame);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setWidget(img_prod);
    cmd_cancel = new QPushButton(QStringLiteral("关闭"), this);
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    cmd_cancel->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 6);
    buttons->addStretch(1);
    buttons->addWidget(cmd_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(area, 1);
    layout->addLayout(buttons);

    // As large as the picture, as far as the screen allows.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize want = img_prod->size() + QSize(0, kButtonRow);
    if (want.width() > room.width())
        want.rheight() += bar;
    if (want.height() > room.height())
        want.rwidth() += bar;
    resize(want.boundedTo(room).expandedTo(QSize(160, 100)));

    connect(img_prod, &actualImage::clicked, this, &insDataFrm_img::img_prod_Click);
    connect(cmd_cancel, &QPushButton::clicked, this, &insDataFrm_img::cmd_cancel_Click);
}

insDataFrm_imgMod::insDataFrm_imgMod(const QString& path, QWidget* parent)
    : insDataFrm_img(path, parent) {
    setObjectName(QStringLiteral("insDataFrm_imgMod"));
}
