#include "fixture.h"
#include "scriptedUi.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

class TestUpdataFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { sitedb::close(); }
    void loadFillsFromSiteDatabase();
    void loadWithoutAccountRowCloses();
    void siteNameKeepsOnlyLettersAndDigits_data();
    void siteNameKeepsOnlyLettersAndDigits();
    void passwordButtonFollowsBoxes_data();
    void passwordButtonFollowsBoxes();
    void commandsNeedALogin();
    void badServerAddressIsRefused();
    void browseOpensPublishedAddress();
    void noticeCheckBoxStoresSetting();
    void markupInLogNeverRunsScript();
};

void TestUpdataFrm::loadFillsFromSiteDatabase() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("abc9")));
    ScriptedUi ui;
    mdl_upData::state().loggedIn = true; // left over from an earlier window
    updataFrm f;
    QCOMPARE(f.txt_accountNo->text(), QStringLiteral("20061001"));
    QCOMPARE(f.txt_webName->text(), QStringLiteral("abc9"));
    QCOMPARE(f.txt_url->text(), QStringLiteral("http://127.0.0.1:8080/abc9"));
    QVERIFY(!f.cmd_changeWebName->isEnabled());
    QVERIFY(!f.cmd_disconn->isEnabled());
    QVERIFY(!f.cmd_modPwd->isEnabled());
    QCOMPARE(f.txt_severIP->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(f.panelText(1), QStringLiteral("还未和服务器建立连接！"));
    QVERIFY(f.lbl_desc->text().contains(QStringLiteral("初始密码为：417305")));
    QCOMPARE(f.windowTitle(), QStringLiteral("上传数据"));
    const mdl_upData::State& st = mdl_upData::state();
    QVERIFY(!st.loggedIn);
    QVERIFY(st.siteNameSet);
    QCOMPARE(st.lastSiteName, QStringLiteral("abc9"));
    QCOMPARE(st.storedAccountNo, QStringLiteral("20061001"));
    QVERIFY(ui.messages.isEmpty());
}

void TestUpdataFrm::loadWithoutAccountRowCloses() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::exec("DELETE FROM user_info"));
    ScriptedUi ui;
    updataFrm f;
    f.show();
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().title, QStringLiteral("警告"));
    QTRY_VERIFY(!f.isVisible());
}

void TestUpdataFrm::siteNameKeepsOnlyLettersAndDigits_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("warnings");
    QTest::newRow("hyphen after two letters") << "ab-"
                                              << "ab" << 1;
    QTest::newRow("hyphen then more") << "ab-cd"
                                      << "abcd" << 1;
    QTest::newRow("all fine") << "Shop2026"
                              << "Shop2026" << 0;
    QTest::newRow("space first") << " a"
                                 << "a" << 1;
}

void TestUpdataFrm::siteNameKeepsOnlyLettersAndDigits() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(int, warnings);
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    updataFrm f;
    QTest::keyClicks(f.txt_webName, typed);
    QCOMPARE(f.txt_webName->text(), kept);
    QCOMPARE(int(ui.messages.size()), warnings);
    if (warnings) {
        QCOMPARE(ui.last().text, QStringLiteral("站点名只能输入英文字符或数字！"));
        QCOMPARE(ui.last().icon, QMessageBox::Warning);
    }
    QCOMPARE(f.txt_url->text(), "http://127.0.0.1:8080/" + kept);
    QVERIFY(f.cmd_changeWebName->isEnabled());
    f.txt_webName->clear();
    QVERIFY(!f.cmd_changeWebName->isEnabled());
}

void TestUpdataFrm::passwordButtonFollowsBoxes_data() {
    QTest::addColumn<QString>("newPwd");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("same") << "abc"
                          << "abc" << true;
    QTest::newRow("trailing space confirmed without") << "abc "
                                                      << "abc" << true;
    QTest::newRow("confirm with the space") << "abc "
                                            << "abc " << false;
    QTest::newRow("different") << "abc"
                               << "abd" << false;
    QTest::newRow("both empty") << ""
                                << "" << false;
}

void TestUpdataFrm::passwordButtonFollowsBoxes() {
    QFETCH(QString, newPwd);
    QFETCH(QString, confirm);
    QFETCH(bool, enabled);
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    updataFrm f;
    // Either order of typing gives the same result.
    f.txt_cpwd->setText(confirm);
    f.txt_newpwd->setText(newPwd);
    QCOMPARE(f.cmd_modPwd->isEnabled(), enabled);
    f.txt_newpwd->clear();
    f.txt_cpwd->clear();
    f.txt_newpwd->setText(newPwd);
    f.txt_cpwd->setText(confirm);
    QCOMPARE(f.cmd_modPwd->isEnabled(), enabled);
}

void TestUpdataFrm::commandsNeedALogin() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    updataFrm f;
    f.txt_webName->clear();
    f.cmd_changeWebName_Click();
    QCOMPARE(ui.lastText(), QStringLiteral("不能未空！"));
    f.txt_webName->setText("abc");
    f.cmd_changeWebName_Click();
    QCOMPARE(ui.lastText(), QStringLiteral("还没登陆服务器！"));
    QCOMPARE(ui.last().icon, QMessageBox::Critical);
    f.txt_newpwd->setText("x");
    f.txt_cpwd->setText("x");
    f.cmd_modPwd_Click();
    QCOMPARE(ui.lastText(), QStringLiteral("还没登陆服务器！"));
    // Logged in on paper but without a connection: nothing is sent.
    mdl_upData::state().loggedIn = true;
    f.cmd_modPwd_Click();
    QCOMPARE(ui.lastText(), QStringLiteral("没有和服务器建立连接！"));
    QCOMPARE(ui.last().icon, QMessageBox::Warning);
    QVERIFY(f.cmd_modPwd->isEnabled());
    mdl_upData::state().loggedIn = false;
}

void TestUpdataFrm::badServerAddressIsRefused() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    updataFrm f;
    f.txt_severIP->setText("127.0.0.1:99999");
    f.cmd_connSever_Click();
    QVERIFY(ui.lastText().contains("127.0.0.1:99999"));
    QVERIFY(f.cmd_connSever->isEnabled());
    QCOMPARE(f.sckClient->state(), QAbstractSocket::UnconnectedState);
}

void TestUpdataFrm::browseOpensPublishedAddress() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    updataFrm f;
    f.txt_webName->setText("demo");
    f.cmd_browser_Click();
    QCOMPARE(ui.openedUrls.size(), 1);
    QCOMPARE(ui.openedUrls.front(), QUrl("http://127.0.0.1:8080/demo"));
    // Another server in the address box: the address and the help text follow it.
    f.txt_severIP->setText("sites.example.cn:1234:9090");
    QCOMPARE(f.txt_url->text(), QStringLiteral("http://sites.example.cn:9090/demo"));
    QVERIFY(f.lbl_desc->text().contains(QStringLiteral("组成格式是http://sites.example.cn:9090/xxxx,")));
    f.cmd_browser_Click();
    QCOMPARE(ui.openedUrls.last(), QUrl("http://sites.example.cn:9090/demo"));
}

void TestUpdataFrm::noticeCheckBoxStoresSetting() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    QPointer<verFrm> v = verFrm::instance();
    QCOMPARE(v->windowTitle(), QStringLiteral("系统公告"));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    v->chk_ver->click();
    QCOMPARE(sitedb::userInfo("field06"), "1||" + today);
    v->chk_ver->click();
    QCOMPARE(sitedb::userInfo("field06"), "0||" + today);
    v->CancelButton->click();
    QTRY_VERIFY(v.isNull());
}

void TestUpdataFrm::markupInLogNeverRunsScript() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    ScriptedUi ui;
    QPointer<dlgFrm> d = dlgFrm::instance();
    d->show();
    QTRY_VERIFY_WITH_TIMEOUT(d->pageLoaded(), 15000);
    const QString title = d->webBer->title();
    mdl_upData::appendMsgLog(d->webBer, "server",
                             "<img src=\"nothing.png\" onerror=\"document.title='taken'\">x'y");
    QString html;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            bool done = false;
            d->webBer->page()->runJavaScript("document.getElementById('msg').innerHTML",
                                             QWebEngineScript::ApplicationWorld,
                                             [&](const QVariant& v) {
                                                 html = v.toString();
                                                 done = true;
                                             });
            return QTest::qWaitFor([&] { return done; }, 5000) && html.contains("x'y");
        }(),
        15000);
    QTest::qWait(300);
    QCOMPARE(d->webBer->title(), title);
    delete d;
}

QTEST_MAIN(TestUpdataFrm)
#include "tst_updataFrm.moc"
