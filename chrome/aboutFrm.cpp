#include "chrome/aboutFrm.h"

#include "chrome/cmdBtn.h"
#include "chrome/windowBox.h"
#include "chrome/xp_canvas.h"
#include "common/workspace.h"
#include "server/mdl_upData.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace {

QPointer<aboutFrm> g_about;

// Twips to pixels, 15 to one.
constexpr int px(int twips) {
    return twips / 15;
}

} // namespace

aboutFrm::aboutFrm(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("aboutFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于Orvane"));
    const QString images = workspace::currentPath() + QStringLiteral("images/");

    canvas = new xp_canvas(this);
    canvas->setObjectName(QStringLiteral("canvas"));
    canvas->setCaption(windowTitle());
    canvas->setIcon(windowIcon());
    canvas->setFixed_Single(true);

    winCloseBtn = new windowBox(canvas);
    winCloseBtn->setObjectName(QStringLiteral("winCloseBtn"));
    connect(winCloseBtn, &windowBox::Click, this, &aboutFrm::winCloseBtn_Click);

    img_logo = new QLabel(canvas);
    img_logo->setObjectName(QStringLiteral("img_logo"));
    img_logo->setPixmap(QPixmap(images + QStringLiteral("about_logo.png")));
    img_logo->adjustSize();

    lbl_msg = new QLabel(canvas);
    lbl_msg->setObjectName(QStringLiteral("lbl_msg"));
    lbl_msg->setAutoFillBackground(true);
    QPalette pal = lbl_msg->palette();
    pal.setColor(QPalette::Window, QColor(217, 237, 245));
    pal.setColor(QPalette::WindowText, QColor(0x1a, 0x2a, 0x40));
    lbl_msg->setPalette(pal);
    lbl_msg->setMargin(10);
    lbl_msg->setText(QStringLiteral("欢迎使用Orvane自动建站软件\n\n版本号：Ver") +
                     mdl_upData::clientVersion);
    lbl_msg->adjustSize();

    cmd_cancel = new cmdBtn(canvas);
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    cmd_cancel->setCaption(QStringLiteral("关闭"));
    cmd_cancel->resize(cmd_cancel->sizeHint());
    connect(cmd_cancel, &cmdBtn::clicked, this, &aboutFrm::cmd_cancel_Click);

    setFixedSize(460, 250);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    cmd_cancel->setFocus();
}

aboutFrm* aboutFrm::instance(bool load, QWidget* owner) {
    if (!g_about && load)
        g_about = new aboutFrm(owner);
    return g_about;
}

void aboutFrm::cmd_cancel_Click() {
    close();
}

void aboutFrm::winCloseBtn_Click(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    close();
}

void aboutFrm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void aboutFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    canvas->setGeometry(rect());
    winCloseBtn->move(canvas->width() - px(400), px(70));
    img_logo->move(px(600), px(800));
    const int left = img_logo->x() + img_logo->width() + px(200);
    lbl_msg->move(left, px(1000));
    lbl_msg->resize(std::max(lbl_msg->sizeHint().width(), width() - left - px(600)),
                    lbl_msg->sizeHint().height());
    cmd_cancel->move(width() - px(400) - cmd_cancel->width(),
                     height() - px(300) - cmd_cancel->height());
}
