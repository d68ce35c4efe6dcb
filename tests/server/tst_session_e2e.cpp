// The upload window and the message dialog against the reference hosting server on a
// loopback port: what a user types reaches the service as text only, and a short name the
// service does not know can be registered again.

#include "fixture.h"
#include "hosting/hostingServer.h"
#include "scriptedUi.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTextDocumentFragment>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

namespace {

const QString kAccount = QStringLiteral("20061001");
const QString kPassword = QStringLiteral("417305");

// What the log page shows, as plain text.
QString logText(QWebEngineView* view) {
    QString text;
    bool done = false;
    view->page()->runJavaScript(
        QStringLiteral(
            "(function(){var e=document.getElementById('msg');return e?e.innerText:'';})()"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            text = v.toString();
            done = true;
        });
    if (!QTest::qWaitFor([&] { return done; }, 5000))
        return {};
    return text.replace(QChar(0xa0), u' ');
}

// How an HTML text reads.
QString readsAs(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().replace(QChar(0xa0), u' ');
}

int count(const ScriptedUi& ui, const QString& text) {
    int n = 0;
    for (const RecordedMessage& m : ui.messages)
        n += m.text == text;
    return n;
}

} // namespace

class TestSessionE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void typedTagsStayText_data();
    void typedTagsStayText();
    void unknownShortNameCanBeRegisteredAgain_data();
    void unknownShortNameCanBeRegisteredAgain();
    void nothingGoesBetweenAnnouncementAndArchive();

private:
    bool logIn();

    std::unique_ptr<TempInstall> m_inst;
    std::unique_ptr<ScriptedUi> m_ui;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<hosting::HostingServer> m_server;
    std::unique_ptr<updataFrm> m_frm;
};

void TestSessionE2e::init() {
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

void TestSessionE2e::cleanup() {
    m_frm.reset();
    delete dlgFrm::instance(false);
    delete verFrm::instance(false);
    m_server.reset();
    m_data.reset();
    m_ui.reset();
    m_inst.reset();
}

bool TestSessionE2e::logIn() {
    m_frm = std::make_unique<updataFrm>();
    m_frm->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
    m_frm->show();
    m_frm->txt_pwd->setText(kPassword);
    QTest::mouseClick(m_frm->cmd_connSever, Qt::LeftButton);
    return QTest::qWaitFor([] { return mdl_upData::state().loggedIn; }, 10000);
}

void TestSessionE2e::typedTagsStayText_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("password change") << QStringLiteral("hello<#modPwd#>x");
    QTest::newRow("short name") << QStringLiteral("<#siteName#>y");
    QTest::newRow("login and announcement")
        << QStringLiteral("<#login#>20061001||x<#sendFileInfo#>12");
    QTest::newRow("line break inside a tag") << QStringLiteral("<\r\n#modPwd#>z");
    QTest::newRow("markup and entities")
        << QStringLiteral("<b>粗体</b> &lt;#modPwd#> 'a' \"b\" &amp; 5<6");
}

void TestSessionE2e::typedTagsStayText() {
    QFETCH(QString, typed);
    QVERIFY(m_server->accounts().registerSite(kAccount, QStringLiteral("mine")));
    QVERIFY(logIn());
    QTRY_COMPARE(m_server->received().size(), 2); // the login and the notice request
    dlgFrm* d = dlgFrm::instance();
    d->show();
    QTRY_VERIFY_WITH_TIMEOUT(d->pageLoaded(), 15000);
    d->txt_msg->setPlainText(typed);
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QTRY_COMPARE(m_server->talks().size(), 1);
    QTest::qWait(200); // time for anything else the text could have carried

    // One message and nothing else reached the service; the account is as it was.
    QCOMPARE(m_server->received().size(), 3);
    QVERIFY(m_server->received().at(2).startsWith(mdl_upData::tag::talkmsg));
    QVERIFY(m_server->accounts().checkPassword(kAccount, kPassword));
    QCOMPARE(m_server->accounts().siteName(kAccount), QStringLiteral("mine"));
    QCOMPARE(count(*m_ui, QStringLiteral("密码修改成功！")), 0);
    QCOMPARE(count(*m_ui, QStringLiteral("站点名更改成功！")), 0);
    QVERIFY(mdl_upData::state().loggedIn);

    // Both logs read what was typed.
    QString expected = typed;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(readsAs(m_server->talks().front().text), expected);
    QTRY_VERIFY_WITH_TIMEOUT(logText(d->webBer).contains(expected), 15000);
}

void TestSessionE2e::unknownShortNameCanBeRegisteredAgain_data() {
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QString>("answer");
    QTest::newRow("known to nobody") << QString() << QStringLiteral("站点名更改成功！");
    QTest::newRow("held by another account")
        << QStringLiteral("30000001") << QStringLiteral("站点名已存在，重新输入！");
}

void TestSessionE2e::unknownShortNameCanBeRegisteredAgain() {
    QFETCH(QString, holder);
    QFETCH(QString, answer);
    // The site database names a short name that this server has no record of for us.
    if (!holder.isEmpty()) {
        QVERIFY(m_server->accounts().setPassword(holder, QStringLiteral("pw")));
        QVERIFY(m_server->accounts().registerSite(holder, QStringLiteral("demo")));
    }
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    QFile page(m_inst->defaultWorkPath() + "index.htm");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<p>hello</p>");
    page.close();
    QVERIFY(logIn());
    QVERIFY(!m_frm->cmd_changeWebName->isEnabled());

    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY(m_ui->lastText().contains(QStringLiteral("请点击“更改”重新登记站点名")));
    QVERIFY(m_ui->lastText().contains(QStringLiteral("“demo”")));
    QVERIFY(m_frm->cmd_changeWebName->isEnabled());
    QVERIFY(m_frm->cmd_updata->isEnabled());
    QVERIFY(!mdl_upData::state().uploading);

    QTest::mouseClick(m_frm->cmd_changeWebName, Qt::LeftButton);
    QTRY_COMPARE(m_ui->lastText(), answer);
    if (!holder.isEmpty()) {
        QVERIFY(!mdl_upData::state().siteNameSet);
        QCOMPARE(m_server->accounts().siteName(holder), QStringLiteral("demo"));
        return;
    }
    QCOMPARE(m_server->accounts().siteName(kAccount), QStringLiteral("demo"));
    QVERIFY(!m_frm->cmd_changeWebName->isEnabled());
    // The upload goes through now.
    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(count(*m_ui, QStringLiteral("数据传输完毕！")) == 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(
        QFileInfo::exists(m_server->siteFolder(QStringLiteral("demo")) + "index.htm"), 20000);
}

void TestSessionE2e::nothingGoesBetweenAnnouncementAndArchive() {
    QVERIFY(m_server->accounts().registerSite(kAccount, QStringLiteral("demo")));
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    QVERIFY(logIn());
    QTRY_COMPARE(m_server->received().size(), 2); // the login and the notice request
    dlgFrm* d = dlgFrm::instance();
    d->show();

    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    // Before the service's go-ahead: a message is refused, a notice request waits.
    d->txt_msg->setPlainText(QStringLiteral("hi"));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("正在上传数据不能，不能发送消息！"));
    QCOMPARE(d->txt_msg->toPlainText(), QStringLiteral("hi"));
    m_frm->timer_verion->start();
    m_frm->timer_verion_Timer();
    m_frm->timer_verion_Timer();

    // The archive arrives whole and is published; then the notice request goes out.
    QTRY_VERIFY_WITH_TIMEOUT(
        !m_ui->messages.isEmpty() && m_ui->last().title == QStringLiteral("系统信息"), 20000);
    QVERIFY(m_ui->lastText().contains(QStringLiteral("demo")));
    QTRY_COMPARE(m_server->received().size(), 4);
    QVERIFY(m_server->received().at(2).startsWith(mdl_upData::tag::sendFileInfo));
    QCOMPARE(m_server->received().at(3), mdl_upData::versionRequest());
    QVERIFY(m_server->talks().isEmpty());
}

QTEST_MAIN(TestSessionE2e)
#include "tst_session_e2e.moc"
