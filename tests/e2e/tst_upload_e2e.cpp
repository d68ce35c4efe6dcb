// The upload window and the message dialogs against the reference hosting server on a
// loopback port.

#include "app/MDIFrm.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "scriptedUi.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

namespace {

using testfiles::readAll;
using testfiles::writeFile;

// The log page's entries as HTML.
QString logHtml(QWebEngineView* view) {
    QString html;
    bool done = false;
    view->page()->runJavaScript(
        QStringLiteral(
            "(function(){var e=document.getElementById('msg');return e?e.innerHTML:'';})()"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            html = v.toString();
            done = true;
        });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        return {};
    return html;
}

bool shown(const ScriptedUi& ui, const QString& text) {
    for (const RecordedMessage& m : ui.messages) {
        if (m.text == text)
            return true;
    }
    return false;
}

} // namespace

class TestUploadE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void connectWithoutAccountAsksOnlyForNotice();
    void loginThenNoticeRequest();
    void refusedLogin();
    void siteNameAcceptedAndTaken();
    void passwordChange();
    void uploadNeedsLoginAndSiteName();
    void fullUploadArrivesByteForByte();
    void uploadClickedTwiceSendsOneArchive();
    void administratorMessageOpensDialog();
    void messageDialogSendsWithinLimits();
    void systemMessageIsShownLowerCase();
    void templateRefusal();
    void serverClosesTheConnection();
    void connectionLostDuringUploadUnlocksDialog();
    void inactivityDisconnects();
    void connectionRefused();
    void suppressedNoticeStaysHidden();
    void mainFrameClosesTheConnection();

private:
    updataFrm* openWindow();
    bool logIn(const QString& password = QStringLiteral("417305"));

    std::unique_ptr<TempInstall> m_inst;
    std::unique_ptr<ScriptedUi> m_ui;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<hosting::HostingServer> m_server;
    std::unique_ptr<updataFrm> m_frm;
};

void TestUploadE2e::init() {
    m_inst = std::make_unique<TempInstall>();
    QVERIFY(m_inst->openSite());
    m_ui = std::make_unique<ScriptedUi>();
    m_data = std::make_unique<QTemporaryDir>();
    hosting::Options o;
    o.dataDir = m_data->path();
    // The protocol as it stands: whole archives only.
    o.offerChanges = false;
    m_server = std::make_unique<hosting::HostingServer>(o);
    QVERIFY(m_server->start(QHostAddress::LocalHost, 0));
}

void TestUploadE2e::cleanup() {
    m_frm.reset();
    delete dlgFrm::instance(false);
    delete verFrm::instance(false);
    m_server.reset();
    m_data.reset();
    m_ui.reset();
    m_inst.reset();
}

updataFrm* TestUploadE2e::openWindow() {
    m_frm = std::make_unique<updataFrm>();
    m_frm->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
    m_frm->show();
    return m_frm.get();
}

bool TestUploadE2e::logIn(const QString& password) {
    updataFrm* f = m_frm ? m_frm.get() : openWindow();
    f->txt_pwd->setText(password);
    QTest::mouseClick(f->cmd_connSever, Qt::LeftButton);
    return QTest::qWaitFor([] { return mdl_upData::state().loggedIn; }, 10000);
}

void TestUploadE2e::connectWithoutAccountAsksOnlyForNotice() {
    QVERIFY(sitedb::setUserInfo("accountNo", QStringLiteral("  ")));
    updataFrm* f = openWindow();
    QCOMPARE(f->txt_accountNo->text(), QString());
    QCOMPARE(f->panelText(1), QStringLiteral("还未和服务器建立连接！"));
    QTest::mouseClick(f->cmd_connSever, Qt::LeftButton);
    QVERIFY(!f->cmd_connSever->isEnabled());
    QVERIFY(f->cmd_disconn->isEnabled());
    QTRY_COMPARE(m_server->received(), QStringList{"<#getversion#>3.05"});
    QCOMPARE(f->panelText(1), QStringLiteral("已与服务器建立连接"));
    QTest::qWait(400);
    QCOMPARE(m_server->received(), QStringList{"<#getversion#>3.05"});
    QVERIFY(!mdl_upData::state().loggedIn);
}

void TestUploadE2e::loginThenNoticeRequest() {
    m_server->setNotice(QStringLiteral("系统公告：本周六凌晨维护"));
    QVERIFY(logIn());
    QCOMPARE(m_frm->panelText(1), QStringLiteral("登陆服务器成功！"));
    QVERIFY(shown(*m_ui, QStringLiteral("登陆服务器成功！")));
    // The server keeps the account number of a login, never its password.
    QCOMPARE(m_server->received().value(0), QStringLiteral("<#login#>20061001||"));
    QTRY_COMPARE(m_server->received().value(1), QStringLiteral("<#getversion#>3.05"));
    QCOMPARE(m_server->received().size(), 2);
    // The pristine setting shows the notice; it lands in the notice window's log.
    QTRY_VERIFY(verFrm::instance(false) && verFrm::instance(false)->isVisible());
    verFrm* v = verFrm::instance(false);
    QTRY_VERIFY_WITH_TIMEOUT(logHtml(v->webBer).contains(QStringLiteral("本周六凌晨维护")), 15000);
    QVERIFY(logHtml(v->webBer).contains(QStringLiteral("服务器(管理员)")));
}

void TestUploadE2e::refusedLogin() {
    QVERIFY(!logIn(QStringLiteral("wrong")));
    QTRY_COMPARE(m_frm->panelText(1), QStringLiteral("登陆服务器失败！"));
    QCOMPARE(m_ui->last().title, QStringLiteral("提示"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    QVERIFY(m_frm->cmd_connSever->isEnabled());
    QCOMPARE(m_frm->sckClient->state(), QAbstractSocket::UnconnectedState);
    // A second try with the right password goes through.
    QVERIFY(logIn());
}

void TestUploadE2e::siteNameAcceptedAndTaken() {
    QVERIFY(m_server->accounts().setPassword("30000001", "pw"));
    QVERIFY(m_server->accounts().registerSite("30000001", "taken"));
    QVERIFY(logIn());
    QTest::keyClicks(m_frm->txt_webName, "newsite");
    QCOMPARE(m_frm->txt_url->text(), QStringLiteral("http://127.0.0.1:%1/newsite").arg(mdl_upData::defaultHttpPort));
    QVERIFY(m_frm->cmd_changeWebName->isEnabled());
    QTest::mouseClick(m_frm->cmd_changeWebName, Qt::LeftButton);
    QTRY_VERIFY(shown(*m_ui, QStringLiteral("站点名更改成功！")));
    QCOMPARE(sitedb::userInfo("site_name"), QStringLiteral("newsite"));
    QVERIFY(mdl_upData::state().siteNameSet);
    QVERIFY(!m_frm->cmd_changeWebName->isEnabled());
    QVERIFY(m_frm->Timer_sck->isActive());

    m_frm->txt_webName->setText(QStringLiteral("taken"));
    QTest::mouseClick(m_frm->cmd_changeWebName, Qt::LeftButton);
    QTRY_VERIFY(shown(*m_ui, QStringLiteral("站点名已存在，重新输入！")));
    QCOMPARE(m_frm->txt_webName->text(), QStringLiteral("newsite"));
    QVERIFY(!mdl_upData::state().siteNameSet);
    QCOMPARE(sitedb::userInfo("site_name"), QStringLiteral("newsite"));
}

void TestUploadE2e::passwordChange() {
    QVERIFY(logIn());
    m_frm->txt_newpwd->setText(QStringLiteral("abc "));
    QVERIFY(!m_frm->cmd_modPwd->isEnabled());
    m_frm->txt_cpwd->setText(QStringLiteral("abc"));
    QVERIFY(m_frm->cmd_modPwd->isEnabled());
    QTest::mouseClick(m_frm->cmd_modPwd, Qt::LeftButton);
    QTRY_VERIFY(shown(*m_ui, QStringLiteral("密码修改成功！")));
    QVERIFY(m_frm->txt_newpwd->text().isEmpty());
    QVERIFY(m_frm->txt_cpwd->text().isEmpty());
    QVERIFY(m_server->accounts().checkPassword("20061001", "abc "));
}

void TestUploadE2e::uploadNeedsLoginAndSiteName() {
    updataFrm* f = openWindow();
    QTest::mouseClick(f->cmd_updata, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("还没登陆服务器！"));
    QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
    QTest::mouseClick(f->cmd_modPwd, Qt::LeftButton); // disabled: nothing happens
    f->cmd_changeWebName->click();
    QVERIFY(logIn());
    m_ui->clear();
    QTest::mouseClick(f->cmd_updata, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("请输入一站点名！"));
    QVERIFY(!QFileInfo::exists(m_inst->currentPath() + "ZIPTEST.ZIP"));
}

void TestUploadE2e::fullUploadArrivesByteForByte() {
    const QString work = m_inst->defaultWorkPath();
    QByteArray photo(400 * 1024, Qt::Uninitialized);
    for (int i = 0; i < photo.size(); ++i)
        photo[i] = char((i * 7919) >> 3);
    writeFile(work + "photo.jpg", photo);
    writeFile(work + "about.htm", QStringLiteral("<p>关于我们</p>").toUtf8());
    writeFile(work + "images/banner.gif", "GIF89a banner");
    writeFile(work + "order.asp", "<% server script %>");
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    QVERIFY(m_server->accounts().registerSite("20061001", "demo"));
    QVERIFY(logIn());
    QVERIFY(mdl_upData::state().siteNameSet);

    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(shown(*m_ui, QStringLiteral("数据传输完毕！")), 20000);
    QCOMPARE(m_frm->panelText(2), QStringLiteral("数据传输完毕！"));
    QCOMPARE(m_frm->ccprg->value(), 0);
    QCOMPARE(qint64(m_frm->ccprg->maximum()),
             QFileInfo(m_inst->currentPath() + "ZIPTEST.ZIP").size());
    QVERIFY(m_frm->cmd_updata->isEnabled());
    QVERIFY(!mdl_upData::state().uploading);
    QTRY_VERIFY_WITH_TIMEOUT(!m_ui->messages.isEmpty() && m_ui->last().title == u"系统信息", 20000);

    const QString site = m_server->siteFolder("demo");
    QVERIFY(!QFileInfo::exists(work + "order.asp"));
    const QStringList local = QDir(work).entryList(QDir::Files);
    QCOMPARE(QDir(site).entryList(QDir::Files), local);
    for (const QString& name : local)
        QVERIFY2(readAll(site + name) == readAll(work + name), qPrintable(name));
    QCOMPARE(readAll(site + "images/banner.gif"), QByteArray("GIF89a banner"));
}

void TestUploadE2e::uploadClickedTwiceSendsOneArchive() {
    writeFile(m_inst->defaultWorkPath() + "photo.jpg", QByteArray(300 * 1024, 'p'));
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("twice")));
    QVERIFY(m_server->accounts().registerSite("20061001", "twice"));
    QVERIFY(logIn());
    // Both clicks pack and announce before the service has answered either.
    m_frm->cmd_updata_Click();
    m_frm->cmd_updata_Click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_ui->messages.isEmpty() && m_ui->last().title == u"系统信息", 20000);
    QTest::qWait(200);
    int complete = 0;
    for (const RecordedMessage& msg : m_ui->messages) {
        QVERIFY2(!msg.text.startsWith(QStringLiteral("上传出错")), qPrintable(msg.text));
        QVERIFY2(!msg.text.startsWith(QStringLiteral("与服务器连接出现障碍")),
                 qPrintable(msg.text));
        complete += msg.text == u"数据传输完毕！";
    }
    QCOMPARE(complete, 1);
    QCOMPARE(m_server->received().filter("<#sendFileInfo#>").size(), 2);
    QCOMPARE(readAll(m_server->siteFolder("twice") + "photo.jpg"), QByteArray(300 * 1024, 'p'));
    QVERIFY(!mdl_upData::state().uploading);
}

void TestUploadE2e::administratorMessageOpensDialog() {
    QVERIFY(logIn());
    QVERIFY(!dlgFrm::instance(false));
    QCOMPARE(m_server->pushTalk("20061001", QStringLiteral("您好，有什么可以帮您？")), 1);
    QTRY_VERIFY(dlgFrm::instance(false) && dlgFrm::instance(false)->isVisible());
    dlgFrm* d = dlgFrm::instance(false);
    QCOMPARE(d->windowTitle(), QStringLiteral("咨询台"));
    QTRY_VERIFY_WITH_TIMEOUT(logHtml(d->webBer).contains(QStringLiteral("有什么可以帮您")), 15000);
    QVERIFY(d->timerLong >= 2);
    // The dialog is open now: the next message shows without parking, newest on top.
    m_server->pushTalk("20061001", QStringLiteral("第二条消息"));
    QTRY_VERIFY(logHtml(d->webBer).contains(QStringLiteral("第二条消息")));
    const QString html = logHtml(d->webBer);
    QVERIFY(html.indexOf(QStringLiteral("第二条消息")) <
            html.indexOf(QStringLiteral("有什么可以帮您")));
}

void TestUploadE2e::messageDialogSendsWithinLimits() {
    dlgFrm* d = dlgFrm::instance();
    d->show();
    d->txt_msg->setPlainText(QStringLiteral("hi"));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("还没和服务器建立连接"));

    QVERIFY(logIn());
    d->txt_msg->clear();
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("请输入要发送的消息！"));

    d->txt_msg->setPlainText(QString(128, u'长'));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("最大字符两位128"));
    QCOMPARE(d->txt_msg->toPlainText().size(), 128); // refused text stays in the box

    mdl_upData::state().uploading = true;
    d->txt_msg->setPlainText(QStringLiteral("during upload"));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("正在上传数据不能，不能发送消息！"));
    mdl_upData::state().uploading = false;

    d->txt_msg->setPlainText(QString(127, u'长'));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QTRY_COMPARE(m_server->talks().size(), 1);
    QCOMPARE(m_server->talks().front().text, QString(127, u'长'));
    QVERIFY(d->txt_msg->toPlainText().isEmpty());

    // Ctrl+Enter sends what was typed, escaped, and types no line break.
    d->txt_msg->setFocus();
    QTest::keyClicks(d->txt_msg, "it's \"ok\"");
    QTest::keyClick(d->txt_msg, Qt::Key_Return, Qt::ControlModifier);
    QTRY_COMPARE(m_server->talks().size(), 2);
    QCOMPARE(m_server->talks().at(1).text, QStringLiteral("it&#39;s&nbsp;&#34;ok&#34;"));
    QVERIFY(d->txt_msg->toPlainText().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(logHtml(d->webBer).contains(QStringLiteral("客户端(我的发言)")),
                             15000);
}

void TestUploadE2e::systemMessageIsShownLowerCase() {
    QVERIFY(logIn());
    m_server->pushSystem("20061001", "Hello<br>World");
    QTRY_VERIFY(!m_ui->messages.isEmpty() && m_ui->last().title == u"系统信息");
    QCOMPARE(m_ui->lastText(), QStringLiteral("hello\nworld"));
}

void TestUploadE2e::templateRefusal() {
    QVERIFY(logIn());
    m_server->pushSelectTemplate("20061001");
    QTRY_COMPARE(m_ui->lastText(), QStringLiteral("模板选择错误，请重新选择！"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
}

void TestUploadE2e::serverClosesTheConnection() {
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    QVERIFY(logIn());
    m_frm->cmd_changeWebName_Click();
    QTRY_VERIFY(m_frm->Timer_sck->isActive());
    QCOMPARE(m_server->dropConnections("20061001"), 1);
    QTRY_COMPARE(m_frm->panelText(1), QStringLiteral("已与服务器断开连接"));
    QVERIFY(m_frm->cmd_connSever->isEnabled());
    QVERIFY(!m_frm->cmd_disconn->isEnabled());
    QVERIFY(!mdl_upData::state().loggedIn);
    QVERIFY(!m_frm->Timer_sck->isActive());
    m_ui->clear();
    // No error box for an orderly close.
    QTest::qWait(100);
    QVERIFY(m_ui->messages.isEmpty());
}

void TestUploadE2e::connectionLostDuringUploadUnlocksDialog() {
    QVERIFY(logIn());
    mdl_upData::state().uploading = true;
    m_server->dropConnections("20061001");
    QTRY_VERIFY(!mdl_upData::state().uploading);
    QVERIFY(m_frm->cmd_updata->isEnabled());
}

void TestUploadE2e::inactivityDisconnects() {
    QVERIFY(logIn());
    for (int i = 0; i < 19; ++i)
        m_frm->Timer_sck_Timer();
    QCOMPARE(m_frm->sckClient->state(), QAbstractSocket::ConnectedState);
    m_ui->clear();
    m_frm->Timer_sck_Timer();
    QCOMPARE(m_ui->lastText(), QStringLiteral("连接超时，已于服务器断开连接！"));
    QCOMPARE(m_frm->panelText(1), QStringLiteral("已与服务器断开连接"));
    QVERIFY(!m_frm->Timer_sck->isActive());
    QVERIFY(!mdl_upData::state().loggedIn);
}

void TestUploadE2e::connectionRefused() {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    updataFrm* f = openWindow();
    f->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(closedPort));
    QTest::mouseClick(f->cmd_connSever, Qt::LeftButton);
    QTRY_VERIFY(!m_ui->messages.isEmpty());
    QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    QCOMPARE(f->panelText(1), QStringLiteral("还未和服务器建立连接！"));
    QVERIFY(f->cmd_connSever->isEnabled());
    QVERIFY(!f->cmd_disconn->isEnabled());
}

void TestUploadE2e::suppressedNoticeStaysHidden() {
    m_server->setNotice(QStringLiteral("公告"));
    // "不再显示" ticked today.
    verFrm* v = verFrm::instance();
    v->chk_ver->click();
    QVERIFY(sitedb::userInfo("field06").startsWith(QStringLiteral("1||")));
    delete v;
    QVERIFY(logIn());
    QTRY_COMPARE(m_server->received().size(), 2);
    QTest::qWait(300);
    QVERIFY(!verFrm::instance(false));
}

void TestUploadE2e::mainFrameClosesTheConnection() {
    auto* frm = new MDIFrm;
    QPointer<MDIFrm> watch(frm);
    QVERIFY(frm->load(nullptr, m_inst->currentPath()));
    auto* up = qobject_cast<updataFrm*>(frm->workWindow(QStringLiteral("updataFrm")));
    QVERIFY(up);
    QCOMPARE(up->windowTitle(), QStringLiteral("上传数据"));
    up->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
    up->txt_pwd->setText(QStringLiteral("417305"));
    up->cmd_connSever_Click();
    QTRY_VERIFY(mdl_upData::state().loggedIn);
    QCOMPARE(m_server->connectionCount(), 1);
    frm->close();
    QTRY_COMPARE(m_server->connectionCount(), 0);
    QTRY_VERIFY(watch.isNull());
}

QTEST_MAIN(TestUploadE2e)
#include "tst_upload_e2e.moc"
