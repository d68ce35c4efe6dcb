#include "server/dlgFrm.h"

#include "common/gbk.h"
#include "common/uiServices.h"
#include "server/mdl_upData.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {
QPointer<dlgFrm> g_dialog;
}

dlgFrm::dlgFrm(QWidget* parent) : msgLogWindow(parent) {
    setObjectName(QStringLiteral("dlgFrm"));
    setWindowTitle(QStringLiteral("咨询台"));
    resize(460, 400);

    txt_msg = new QPlainTextEdit(this);
    txt_msg->setObjectName(QStringLiteral("txt_msg"));
    txt_msg->setFixedHeight(70);
    txt_msg->installEventFilter(this);
    OKButton = new QPushButton(QStringLiteral("发送"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(webBer, 1);
    layout->addWidget(txt_msg);
    layout->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &dlgFrm::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &dlgFrm::CancelButton_Click);
}

dlgFrm* dlgFrm::instance(bool load) {
    if (!g_dialog && load)
        g_dialog = new dlgFrm;
    return g_dialog;
}

void dlgFrm::OKButton_Click() {
    const QString text = txt_msg->toPlainText();
    const mdl_upData::State& st = mdl_upData::state();
    if (text.isEmpty()) {
        ui::message(this, QStringLiteral("请输入要发送的消息！"));
        return;
    }
    if (st.archivePending()) {
        ui::message(this, QStringLiteral("正在上传数据不能，不能发送消息！"));
        return;
    }
    if (text.size() > mdl_upData::maxTalkLength) {
        ui::message(this, QStringLiteral("最大字符两位128"));
        return;
    }
    QTcpSocket* socket = st.socket;
    if (!mdl_upData::isConnected(socket)) {
        ui::message(this, QStringLiteral("还没和服务器建立连接"));
        txt_msg->setFocus();
        return;
    }
    const QByteArray bytes = gbk::encode(mdl_upData::talkMessage(text));
    if (socket->write(bytes) != bytes.size()) {
        ui::message(this, socket->errorString());
        return;
    }
    appendLog(QStringLiteral("客户端(我的发言)"), mdl_upData::talkText(text));
    txt_msg->clear();
    txt_msg->setFocus();
}

void dlgFrm::CancelButton_Click() {
    close();
}

bool dlgFrm::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+Enter sends; the key never types a line break into the box.
    if (watched == txt_msg && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier)) {
            OKButton_Click();
            return true;
        }
    }
    return msgLogWindow::eventFilter(watched, event);
}
