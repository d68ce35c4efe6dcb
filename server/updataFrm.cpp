#include "server/updataFrm.h"

#include "common/gbk.h"
#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"
#include "preview/previewFrm.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStyle>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

// 15 twips to a pixel.
constexpr int kWidth = 10125 / 15;
constexpr int kHeight = 6240 / 15;
constexpr int kMinWidth = 10305 / 15;
constexpr int kMinHeight = 5745 / 15;
// Ticks of the 30 s inactivity timer before the connection is given up.
constexpr int kIdleTicks = 20;

const QString kNotLoggedIn = QStringLiteral("还没登陆服务器！");
const QString kWarning = QStringLiteral("警告");
const QString kNotice = QStringLiteral("提示");

} // namespace

using workWindow::named;

updataFrm::updataFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("updataFrm"));
    setWindowTitle(QStringLiteral("上传数据"));
    buildControls();
    load();
}

updataFrm::~updataFrm() {
    // The socket dies with the window; its last events must not reach a half-gone window.
    sckClient->disconnect(this);
    m_sender->abort();
    mdl_upData::State& st = mdl_upData::state();
    if (st.socket == sckClient)
        st.socket.clear();
}

void updataFrm::buildControls() {
    m_frame = named(new QFrame(this), "Frame1");
    m_frame->setMouseTracking(true);
    m_frame->installEventFilter(this);

    txt_accountNo = named(new QLineEdit, "txt_accountNo");
    txt_pwd = named(new QLineEdit, "txt_pwd");
    txt_pwd->setEchoMode(QLineEdit::Password);
    txt_webName = named(new QLineEdit, "txt_webName");
    txt_webName->setMouseTracking(true);
    txt_webName->installEventFilter(this);
    cmd_changeWebName = named(new QPushButton(QStringLiteral("更改")), "cmd_changeWebName");
    txt_url = named(new QLineEdit, "txt_url");
    txt_url->setReadOnly(true);
    cmd_browser = named(new QPushButton(QStringLiteral("浏览")), "cmd_browser");
    txt_severIP = named(new QLineEdit(mdl_upData::lastServerAddress()), "txt_severIP");
    txt_severIP->setToolTip(QStringLiteral("主机、主机:端口 或 主机:端口:网页端口（端口默认 %1，网页端口默认 %2）")
                                .arg(mdl_upData::defaultPort)
                                .arg(mdl_upData::defaultHttpPort));
    cmd_connSever = named(new QPushButton(QStringLiteral("连接服务器")), "cmd_connSever");
    cmd_disconn = named(new QPushButton(QStringLiteral("断开连接")), "cmd_disconn");
    cmd_disconn->setEnabled(false);
    txt_newpwd = named(new QLineEdit, "txt_newpwd");
    txt_newpwd->setEchoMode(QLineEdit::Password);
    txt_cpwd = named(new QLineEdit, "txt_cpwd");
    txt_cpwd->setEchoMode(QLineEdit::Password);
    cmd_modPwd = named(new QPushButton(QStringLiteral("修改")), "cmd_modPwd");
    cmd_modPwd->setEnabled(false);
    cmd_updata = named(new QPushButton(QStringLiteral("上传数据")), "cmd_updata");
    cmd_preview = named(new QPushButton(QStringLiteral("预览网站")), "cmd_preview");
    cmd_preview->setToolTip(QStringLiteral("上传之前，先在本机看一看网站的样子"));
    ccprg = named(new QProgressBar, "ccprg");
    ccprg->setRange(0, 1);
    ccprg->setValue(0);
    ccprg->setTextVisible(true);

    auto* account = new QGroupBox(QStringLiteral("帐号"));
    auto* ag = new QGridLayout(account);
    ag->addWidget(new QLabel(QStringLiteral("帐    号：")), 0, 0);
    ag->addWidget(txt_accountNo, 0, 1);
    ag->addWidget(new QLabel(QStringLiteral("密    码：")), 0, 2);
    ag->addWidget(txt_pwd, 0, 3);
    ag->addWidget(new QLabel(QStringLiteral("服务器IP：")), 1, 0);
    ag->addWidget(txt_severIP, 1, 1);
    auto* connRow = new QHBoxLayout;
    connRow->addWidget(cmd_connSever);
    connRow->addWidget(cmd_disconn);
    ag->addLayout(connRow, 1, 2, 1, 2);

    auto* site = new QGroupBox(QStringLiteral("站点"));
    auto* sg = new QGridLayout(site);
    sg->addWidget(new QLabel(QStringLiteral("站点名称：")), 0, 0);
    sg->addWidget(txt_webName, 0, 1);
    sg->addWidget(cmd_changeWebName, 0, 2);
    sg->addWidget(new QLabel(QStringLiteral("预览网址：")), 1, 0);
    sg->addWidget(txt_url, 1, 1);
    sg->addWidget(cmd_browser, 1, 2);
    sg->addWidget(new QLabel(QStringLiteral("新密码：")), 2, 0);
    auto* pwdRow = new QHBoxLayout;
    pwdRow->addWidget(txt_newpwd);
    pwdRow->addWidget(new QLabel(QStringLiteral("确认密码：")));
    pwdRow->addWidget(txt_cpwd);
    sg->addLayout(pwdRow, 2, 1);
    sg->addWidget(cmd_modPwd, 2, 2);
    auto* upRow = new QHBoxLayout;
    upRow->addWidget(cmd_updata);
    upRow->addWidget(cmd_preview);
    upRow->addWidget(ccprg, 1);
    sg->addLayout(upRow, 3, 0, 1, 3);

    auto* desc = named(new QGroupBox(QStringLiteral("说明")), "Frame_desc");
    desc->setMouseTracking(true);
    desc->installEventFilter(this);
    img_desc = named(new QLabel, "img_desc");
    img_desc->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    img_desc->setAlignment(Qt::AlignTop);
    lbl_desc = named(new QLabel, "lbl_desc");
    lbl_desc->setWordWrap(true);
    lbl_desc->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* dl = new QHBoxLayout(desc);
    dl->addWidget(img_desc);
    dl->addWidget(lbl_desc, 1);

    auto* fl = new QVBoxLayout(m_frame);
    fl->setContentsMargins(0, 0, 0, 0);
    fl->addWidget(account);
    fl->addWidget(site);
    fl->addWidget(desc, 1);
    fl->setSpacing(4);
    m_frame->setMaximumWidth(kWidth - 12);

    StsBar = named(new QStatusBar(this), "StsBar");
    StsBar->setSizeGripEnabled(false);
    m_panel1 = named(new QLabel, "StsBar_panel1");
    m_panel2 = named(new QLabel, "StsBar_panel2");
    m_panel1->setMinimumWidth(220);
    StsBar->addWidget(m_panel1);
    StsBar->addWidget(m_panel2, 1);

    // The frame stays centred across the window, near its top, above the status bar.
    auto* centre = new QHBoxLayout;
    centre->addStretch();
    centre->addWidget(m_frame, 100);
    centre->addStretch();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 6, 0, 0);
    outer->addLayout(centre, 1);
    outer->addWidget(StsBar);

    sckClient = named(new QTcpSocket(this), "sckClient");
    timer_verion = named(new QTimer(this), "timer_verion");
    timer_verion->setInterval(100);
    Timer_sck = named(new QTimer(this), "Timer_sck");
    Timer_sck->setInterval(30000);
    timer_doZip = named(new QTimer(this), "timer_doZip");
    timer_doZip->setInterval(50);
    m_sender = new mdl_upData::ArchiveSender(this);

    connect(txt_webName, &QLineEdit::textChanged, this, &updataFrm::txt_webName_Change);
    connect(cmd_changeWebName, &QPushButton::clicked, this, &updataFrm::cmd_changeWebName_Click);
    connect(cmd_browser, &QPushButton::clicked, this, &updataFrm::cmd_browser_Click);
    connect(txt_severIP, &QLineEdit::textChanged, this, &updataFrm::showPublishedAddress);
    connect(cmd_connSever, &QPushButton::clicked, this, &updataFrm::cmd_connSever_Click);
    connect(cmd_disconn, &QPushButton::clicked, this, &updataFrm::cmd_disconn_Click);
    connect(txt_newpwd, &QLineEdit::textChanged, this, &updataFrm::txt_newpwd_Change);
    connect(txt_cpwd, &QLineEdit::textChanged, this, &updataFrm::txt_newpwd_Change);
    connect(cmd_modPwd, &QPushButton::clicked, this, &updataFrm::cmd_modPwd_Click);
    connect(cmd_updata, &QPushButton::clicked, this, &updataFrm::cmd_updata_Click);
    connect(cmd_preview, &QPushButton::clicked, this, &updataFrm::cmd_preview_Click);
    connect(timer_verion, &QTimer::timeout, this, &updataFrm::timer_verion_Timer);
    connect(Timer_sck, &QTimer::timeout, this, &updataFrm::Timer_sck_Timer);
    connect(timer_doZip, &QTimer::timeout, this, &updataFrm::timer_doZip_Timer);
    connect(sckClient, &QTcpSocket::connected, this, &updataFrm::sckClient_Connect);
    connect(sckClient, &QTcpSocket::readyRead, this, &updataFrm::sckClient_DataArrival);
    connect(sckClient, &QTcpSocket::disconnected, this, &updataFrm::sckClient_Close);
    connect(sckClient, &QTcpSocket::errorOccurred, this, &updataFrm::sckClient_Error);
    connect(m_sender, &mdl_upData::ArchiveSender::progress, this, &updataFrm::onSendProgress);
    connect(m_sender, &mdl_upData::ArchiveSender::finished, this, &updataFrm::onSendComplete);
}

void updataFrm::load() {
    mdl_upData::State& st = mdl_upData::state();
    st.loggedIn = false;
    st.uploading = false;
    st.siteNameSet = false;
    st.pendingSiteName.clear();
    st.announced = false;
    st.awaitingVerdict = false;
    st.changesOffered = false;
    st.socket = sckClient;

    showPublishedAddress();

    const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    if (!rows.ok) {
        ui::message(this, rows.error, kNotice, QMessageBox::Critical);
    } else if (rows.isEmpty()) {
        ui::message(this, QStringLiteral("读取帐号失败：站点数据库中没有帐号信息！"), kWarning,
                    QMessageBox::Critical);
        QTimer::singleShot(0, this, &QWidget::close);
    } else {
        const sitedb::Row row = rows.first();
        st.storedAccountNo = row.text(QStringLiteral("accountNo")).trimmed();
        txt_accountNo->setText(st.storedAccountNo);
        const QString siteName = row.text(QStringLiteral("site_name")).trimmed();
        txt_webName->setText(siteName);
        st.siteNameSet = !siteName.isEmpty();
        st.lastSiteName = txt_webName->text();
        showPublishedAddress();
        cmd_changeWebName->setEnabled(false);
    }
    setPanel(1, QStringLiteral("还未和服务器建立连接！"));
    resize(kWidth, kHeight);
    setMinimumSize(kMinWidth, kMinHeight);
}

void updataFrm::setPanel(int panel, const QString& text) {
    (panel == 1 ? m_panel1 : m_panel2)->setText(text);
}

QString updataFrm::panelText(int panel) const {
    return (panel == 1 ? m_panel1 : m_panel2)->text();
}

bool updataFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == txt_webName)
            setPanel(2, QStringLiteral("站点名称(三级域名)"));
        else if (watched == m_frame || watched->objectName() == u"Frame_desc")
            setPanel(2, QString());
    }
    return QWidget::eventFilter(watched, event);
}

bool updataFrm::sendMsg(const QString& text, bool announcement) {
    return sendBytes(gbk::encode(text), announcement);
}

bool updataFrm::sendBytes(const QByteArray& bytes, bool announcement) {
    mdl_upData::State& st = mdl_upData::state();
    if (!mdl_upData::isConnected(sckClient)) {
        ui::message(this, QStringLiteral("没有和服务器建立连接！"), kNotice, QMessageBox::Warning);
        return false;
    }
    // A message before or in the middle of the archive's bytes would corrupt it.
    if (announcement ? st.uploading && m_sender->isActive() : st.archivePending()) {
        ui::message(this, QStringLiteral("正在上传数据不能，不能发送消息！"));
        return false;
    }
    if (sckClient->write(bytes) != bytes.size()) {
        ui::message(this, sckClient->errorString());
        return false;
    }
    return true;
}

void updataFrm::closeSocket() {
    if (sckClient->state() == QAbstractSocket::UnconnectedState)
        return;
    m_closingSocket = true;
    sckClient->abort();
    m_closingSocket = false;
}

void updataFrm::stopUpload() {
    // The sender stops first, so nothing more is queued on a connection about to close.
    connectionEnded();
    closeSocket();
    setPanel(1, QStringLiteral("已与服务器断开连接"));
    cmd_connSever->setEnabled(true);
    cmd_disconn->setEnabled(false);
}

// ---- the short name, the address and the password ----

void updataFrm::txt_webName_Change() {
    const QString text = txt_webName->text();
    const int valid = mdl_upData::validSiteNamePrefix(text);
    if (valid < text.size()) {
        ui::message(this, QStringLiteral("站点名只能输入英文字符或数字！"), kNotice,
                    QMessageBox::Warning);
        txt_webName->setText(text.left(valid));
        return;
    }
    showPublishedAddress();
    cmd_changeWebName->setEnabled(!text.trimmed().isEmpty());
}

void updataFrm::showPublishedAddress() {
    // The sites are published by the server the window talks to, on its HTTP port.
    const QString base = mdl_upData::siteBaseAddress(txt_severIP->text());
    txt_url->setText(mdl_upData::publishedAddress(txt_severIP->text(), txt_webName->text(), m_announced,
                                                  m_announcedBox));
    lbl_desc->setText(mdl_upData::uploadHelpText(base));
}

void updataFrm::cmd_changeWebName_Click() {
    const QString name = txt_webName->text();
    if (name.trimmed().isEmpty()) {
        ui::message(this, QStringLiteral("不能未空！"));
    } else if (!mdl_upData::state().loggedIn) {
        ui::message(this, kNotLoggedIn, kWarning, QMessageBox::Critical);
    } else if (sendMsg(mdl_upData::tag::siteName + name)) {
        mdl_upData::state().pendingSiteName = name;
        cmd_changeWebName->setEnabled(false);
    }
    txt_webName->setFocus();
}

void updataFrm::cmd_browser_Click() {
    const QString address = txt_url->text();
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid() && ui::openUrl(url))
        return;
    // With no browser to start, the address stands in a box where it can be copied.
    ui::askText(this, kNotice,
                QStringLiteral("无法启动浏览器。请复制下面的网址，粘贴到浏览器的地址栏中打开："),
                address);
}

void updataFrm::cmd_preview_Click() {
    previewFrm::open(this);
}

void updataFrm::txt_newpwd_Change() {
    cmd_modPwd->setEnabled(!txt_newpwd->text().isEmpty() &&
                           txt_cpwd->text() == txt_newpwd->text().trimmed());
}

void updataFrm::cmd_modPwd_Click() {
    if (!mdl_upData::state().loggedIn) {
        ui::message(this, kNotLoggedIn, kWarning, QMessageBox::Critical);
        return;
    }
    if (txt_cpwd->text() != txt_newpwd->text().trimmed()) {
        ui::message(this, QStringLiteral("两次密码不同，请重新输入!"), kNotice,
                    QMessageBox::Critical);
        return;
    }
    if (!sendMsg(mdl_upData::tag::modPwd + txt_newpwd->text()))
        return;
    cmd_modPwd->setEnabled(false);
    txt_newpwd->clear();
    txt_cpwd->clear();
}

// ---- the connection ----

void updataFrm::cmd_connSever_Click() {
    if (mdl_upData::isConnected(sckClient))
        return;
    const std::optional<mdl_upData::ServerAddress> addr =
        mdl_upData::parseServerAddress(txt_severIP->text());
    if (!addr) {
        ui::message(this, QStringLiteral("服务器地址无效：") + txt_severIP->text());
        return;
    }
    closeSocket();
    setPanel(1, QStringLiteral("正在和服务器建立连接..."));
    m_connectingTo = txt_severIP->text();
    sckClient->connectToHost(addr->host, addr->port);
    cmd_connSever->setEnabled(false);
    cmd_disconn->setEnabled(true);
}

void updataFrm::cmd_disconn_Click() {
    closeSocket();
    setPanel(1, QStringLiteral("已与服务器断开连接"));
    cmd_connSever->setEnabled(true);
    cmd_disconn->setEnabled(false);
    connectionEnded();
}

void updataFrm::connectionEnded() {
    mdl_upData::State& st = mdl_upData::state();
    st.loggedIn = false;
    st.announced = false;
    st.awaitingVerdict = false;
    st.changesOffered = false;
    if (m_delta.active()) {
        m_delta.reset();
        cmd_updata->setEnabled(true);
    }
    // Nothing is left to time out or to ask for.
    Timer_sck->stop();
    timer_verion->stop();
    if (st.uploading || m_sender->isActive()) {
        m_sender->abort();
        st.uploading = false;
        st.archiveSize = 0;
        m_progressBytes = 0;
        ccprg->setValue(0);
        cmd_updata->setEnabled(true);
    }
}

void updataFrm::sckClient_Connect() {
    setPanel(1, QStringLiteral("已与服务器建立连接"));
    mdl_upData::rememberServerAddress(m_connectingTo);
    const mdl_upData::State& st = mdl_upData::state();
    if (!st.storedAccountNo.trimmed().isEmpty())
        sendMsg(mdl_upData::loginMessage(txt_accountNo->text(), txt_pwd->text()));
    else
        sendMsg(mdl_upData::versionRequest());
}

void updataFrm::sckClient_Close() {
    if (m_closingSocket)
        return;
    setPanel(1, QStringLiteral("已与服务器断开连接"));
    cmd_connSever->setEnabled(true);
    cmd_disconn->setEnabled(false);
    connectionEnded();
}

void updataFrm::sckClient_Error() {
    // The service closing the connection is the close event's business.
    if (m_closingSocket || sckClient->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    setPanel(1, QStringLiteral("与服务器建立连接失败！"));
    const QString why = sckClient->errorString();
    if (sckClient->state() != QAbstractSocket::ConnectedState)
        connectionEnded();
    cmd_connSever->setEnabled(true);
    cmd_disconn->setEnabled(false);
    ui::message(this, why, kWarning, QMessageBox::Critical);
    setPanel(1, QStringLiteral("还未和服务器建立连接！"));
}

void updataFrm::sckClient_DataArrival() {
    using mdl_upData::Reply;
    // One answer at a time: what arrives while the box of an earlier one is open waits until
    // the user has closed it, so the boxes close in the order the answers came.
    if (m_holdReplies)
        return;
    const QScopedValueRollback hold(m_holdReplies, true);
    mdl_upData::State& st = mdl_upData::state();
    QByteArray data = sckClient->readAll();
    if (m_delta.active()) {
        QList<QByteArray> needed;
        switch (m_delta.take(data, &needed)) {
        case mdl_upData::DeltaUpload::Event::Need:
            changesNeeded(needed);
            break;
        case mdl_upData::DeltaUpload::Event::Full:
            changesAbandoned();
            startFullUpload();
            break;
        case mdl_upData::DeltaUpload::Event::Done:
            changesDone();
            break;
        case mdl_upData::DeltaUpload::Event::None:
            break;
        }
    }
    if (data.isEmpty()) {
        if (sckClient->bytesAvailable() > 0)
            QTimer::singleShot(0, this, &updataFrm::sckClient_DataArrival);
        return;
    }
    const mdl_upData::Action a = mdl_upData::onServerData(data, st, txt_webName->text());
    if (!a.error.isEmpty()) {
        ui::message(this, a.error);
        readHeldReplies();
        return;
    }
    switch (a.reply) {
    case Reply::Login:
        setPanel(1, QStringLiteral("登陆服务器成功！"));
        m_verionCount = 0;
        timer_verion->start();
        ui::message(this, QStringLiteral("登陆服务器成功！"));
        break;
    case Reply::Logout:
        setPanel(1, QStringLiteral("登陆服务器失败！"));
        cmd_connSever->setEnabled(true);
        closeSocket();
        ui::message(this, a.text.isEmpty() ? QStringLiteral("帐号或密码错误，请重新登陆！") : a.text,
                    kNotice, QMessageBox::Critical);
        break;
    case Reply::SiteName:
        if (txt_webName->text() != a.text)
            txt_webName->setText(a.text);
        cmd_changeWebName->setEnabled(false);
        m_sckCount = 0;
        Timer_sck->start();
        ui::message(this, QStringLiteral("站点名更改成功！"));
        break;
    case Reply::SiteNameExist:
        ui::message(this, QStringLiteral("站点名已存在，重新输入！"));
        txt_webName->setText(a.text);
        break;
    case Reply::ModPwd:
        ui::message(this, QStringLiteral("密码修改成功！"));
        break;
    case Reply::SelectTemplate:
        ui::message(this, QStringLiteral("模板选择错误，请重新选择！"), kNotice,
                    QMessageBox::Critical);
        break;
    case Reply::TalkMsg:
        dlgFrm::instance()->parkServerMessage(a.text);
        break;
    case Reply::GetVersion:
        if (!a.suppressed)
            verFrm::instance()->parkServerMessage(a.text);
        break;
    case Reply::SystemMsg:
        // A refusal of an upload of changes ends it, as it ends a whole one.
        if (m_delta.phase() == mdl_upData::DeltaUpload::Phase::Checking)
            changesAbandoned();
        if (a.uploadRefused)
            setPanel(2, QStringLiteral("服务器没有接受上传。"));
        if (!a.address.isEmpty()) {
            m_announced = a.address;
            m_announcedBox = txt_severIP->text();
            showPublishedAddress();
        }
        ui::message(this, a.text, QStringLiteral("系统信息"));
        break;
    case Reply::SendFileInfo:
        sendArchive();
        break;
    case Reply::ErrMsg:
        if (m_delta.active())
            changesAbandoned();
        if (a.uploadRefused) {
            // Most often the service has no record of the short name (a new server, or
            // one that lost it): the name can be registered again straight away.
            cmd_changeWebName->setEnabled(!txt_webName->text().trimmed().isEmpty());
            setPanel(2, QStringLiteral("服务器没有接受上传。"));
            ui::message(this,
                        QStringLiteral("服务器没有接受上传：站点名“%1”可能尚未在该服务器上登记。\n"
                                       "请点击“更改”重新登记站点名，然后再上传。\n"
                                       "如还有问题请拨打技术热线电话：")
                                .arg(txt_webName->text()) +
                            mdl_upData::supportPhone);
            txt_webName->setFocus();
            break;
        }
        ui::message(
            this, QStringLiteral("与服务器连接出现障碍，请重试！\n如还有问题请拨打技术热线电话：") +
                      mdl_upData::supportPhone);
        break;
    case Reply::None:
        break;
    }
    readHeldReplies();
}

void updataFrm::readHeldReplies() {
    // Data that came while a message box was open raises no new event of its own.
    if (sckClient->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &updataFrm::sckClient_DataArrival);
}

// ---- timers ----

void updataFrm::timer_verion_Timer() {
    if (++m_verionCount < 2)
        return;
    // The request waits until an archive under way is through.
    if (mdl_upData::state().archivePending())
        return;
    m_verionCount = 0;
    timer_verion->stop();
    sendMsg(mdl_upData::versionRequest());
}

void updataFrm::Timer_sck_Timer() {
    if (++m_sckCount < kIdleTicks)
        return;
    m_sckCount = 0;
    Timer_sck->stop();
    cmd_disconn_Click();
    ui::message(this, QStringLiteral("连接超时，已于服务器断开连接！"));
}

void updataFrm::timer_doZip_Timer() {
    setPanel(2, QStringLiteral("正在打包压缩数据..."));
}

// ---- the upload ----

void updataFrm::cmd_updata_Click() {
    mdl_upData::State& st = mdl_upData::state();
    if (!st.loggedIn) {
        ui::message(this, kNotLoggedIn, kWarning, QMessageBox::Critical);
        return;
    }
    if (!st.siteNameSet) {
        ui::message(this, QStringLiteral("请输入一站点名！"), kWarning, QMessageBox::Critical);
        txt_webName->setFocus();
        return;
    }
    if (m_delta.active())
        return; // the service has yet to answer the upload under way
    if (st.changesOffered && startChangesUpload())
        return;
    startFullUpload();
}

void updataFrm::startFullUpload() {
    mdl_upData::State& st = mdl_upData::state();
    timer_doZip->start();
    timer_doZip_Timer();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const mdl_upData::PackResult packed =
        mdl_upData::packWorkspace(workspace::dataRoot(), workspace::currImgPath());
    QApplication::restoreOverrideCursor();
    timer_doZip->stop();
    for (const QString& w : packed.warnings)
        ui::message(this, w, QString(), QMessageBox::NoIcon);
    if (!packed.ok) {
        ui::message(this, packed.error, QString(), QMessageBox::NoIcon);
        ui::message(this, QStringLiteral("压缩文件出错！"), kWarning, QMessageBox::Critical);
        return;
    }
    setPanel(2, QStringLiteral("压缩完成。"));
    st.archiveSize = packed.size;
    if (sendMsg(mdl_upData::sizeAnnouncement(st.archiveSize), true))
        st.announced = true;
}

bool updataFrm::startChangesUpload() {
    mdl_upData::State& st = mdl_upData::state();
    const QString work = workspace::currImgPath();
    QString why;
    if (!mdl_upData::removeServerScripts(work, &why)) {
        ui::message(this, why, QString(), QMessageBox::NoIcon);
        ui::message(this, QStringLiteral("压缩文件出错！"), kWarning, QMessageBox::Critical);
        return true;
    }
    setPanel(2, QStringLiteral("正在检查改动的文件..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QByteArray message = m_delta.start(work, &why);
    QApplication::restoreOverrideCursor();
    if (message.isEmpty())
        return false;
    if (!sendBytes(message, true)) {
        m_delta.reset();
        return true;
    }
    st.announced = true;
    cmd_updata->setEnabled(false);
    return true;
}

void updataFrm::changesNeeded(const QList<QByteArray>& needed) {
    mdl_upData::State& st = mdl_upData::state();
    timer_doZip->start();
    timer_doZip_Timer();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const mdl_upData::ChangesPack packed =
        mdl_upData::packChanges(workspace::currentPath(), m_delta.manifest(), needed);
    QApplication::restoreOverrideCursor();
    timer_doZip->stop();
    for (const QString& w : packed.warnings)
        ui::message(this, w, QString(), QMessageBox::NoIcon);
    if (!packed.ok) {
        changesAbandoned();
        st.announced = false;
        ui::message(this, packed.error, QString(), QMessageBox::NoIcon);
        ui::message(this, QStringLiteral("压缩文件出错！"), kWarning, QMessageBox::Critical);
        return;
    }
    setPanel(2, QStringLiteral("压缩完成。"));
    st.archiveSize = packed.size;
    const QString announcement = mdl_upData::sizeAnnouncement(st.archiveSize);
    m_delta.changesAnnounced(packed, announcement.size());
    if (!sendMsg(announcement, true)) {
        changesAbandoned();
        st.announced = false;
    }
}

void updataFrm::changesDone() {
    const qint64 sent = m_delta.sentBytes();
    const qint64 unchanged = m_delta.unchangedBytes();
    m_delta.reset();
    setPanel(2, QStringLiteral("数据传输完毕！"));
    cmd_updata->setEnabled(true);
    ui::message(this, QStringLiteral("数据传输完毕！\n") + mdl_upData::changesSummary(sent, unchanged));
}

void updataFrm::changesAbandoned() {
    m_delta.reset();
    cmd_updata->setEnabled(true);
}

void updataFrm::sendArchive() {
    mdl_upData::State& st = mdl_upData::state();
    // A second go-ahead while the archive is on its way, or after it went, changes nothing.
    if (m_sender->isActive())
        return;
    if (st.archiveSize <= 0) {
        st.uploading = false;
        return;
    }
    QString why;
    if (!m_sender->start(sckClient, mdl_upData::archivePath(workspace::dataRoot()),
                         st.archiveSize, &why)) {
        st.uploading = false;
        ui::message(this, QStringLiteral("上传出错0:") + why, QString(), QMessageBox::NoIcon);
        return;
    }
    // The bar counts in units small enough for its range.
    m_progressShift = 0;
    while ((st.archiveSize >> m_progressShift) > std::numeric_limits<int>::max())
        ++m_progressShift;
    m_progressBytes = 0;
    ccprg->setRange(0, static_cast<int>(st.archiveSize >> m_progressShift));
    ccprg->setValue(0);
}

void updataFrm::onSendProgress(qint64 bytes) {
    if (!mdl_upData::state().uploading)
        return;
    m_sckCount = 0;
    m_progressBytes += bytes;
    ccprg->setValue(static_cast<int>(m_progressBytes >> m_progressShift));
    setPanel(2, QStringLiteral("正在上传数据..."));
    cmd_updata->setEnabled(false);
}

void updataFrm::onSendComplete() {
    mdl_upData::State& st = mdl_upData::state();
    if (!st.uploading)
        return;
    ccprg->setValue(0);
    m_progressBytes = 0;
    st.uploading = false;
    st.archiveSize = 0;
    st.awaitingVerdict = true;
    if (m_delta.phase() == mdl_upData::DeltaUpload::Phase::ChangesSent) {
        // The service checks the changes against the manifest before the upload counts.
        m_delta.allSent();
        setPanel(2, QStringLiteral("正在等待服务器核对数据..."));
        return;
    }
    setPanel(2, QStringLiteral("数据传输完毕！"));
    cmd_updata->setEnabled(true);
    {
        // The service's word on the archive comes after this box, however soon it arrives.
        const QScopedValueRollback hold(m_holdReplies, true);
        ui::message(this, QStringLiteral("数据传输完毕！"));
    }
    readHeldReplies();
}
