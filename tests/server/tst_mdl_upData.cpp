#include "common/gbk.h"
#include "fixture.h"
#include "server/mdl_upData.h"
#include "sitedb/sitedb.h"

#include <QTest>

using mdl_upData::Reply;

class TestMdlUpData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { sitedb::close(); }
    void firstTagInOrderDecides_data();
    void firstTagInOrderDecides();
    void messageSplitOverTwoReads();
    void stateChanges_data();
    void stateChanges();
    void answersKeepTheServiceWords_data();
    void answersKeepTheServiceWords();
    void acceptedSiteNameIsStored();
    void takenSiteNameRestoresLastOne();
    void payloadsLoseTheirTagAndKeepChinese_data();
    void payloadsLoseTheirTagAndKeepChinese();
    void bytesThatAreNotGbkNeverFail();
    void noticeRule_data();
    void noticeRule();
    void noticeFollowsStoredSetting_data();
    void noticeFollowsStoredSetting();
    void brokenNoticeSettingIsAFailure();
    void serverAddress_data();
    void serverAddress();
    void siteNamePrefix_data();
    void siteNamePrefix();
    void logEntryHeaders();
    void announcedAddressIsOpened_data();
    void announcedAddressIsOpened();
};

void TestMdlUpData::firstTagInOrderDecides_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("reply");
    QTest::newRow("login") << "<#login#>" << int(Reply::Login);
    QTest::newRow("logout") << "<#logout#>" << int(Reply::Logout);
    QTest::newRow("site name") << "<#siteName#>" << int(Reply::SiteName);
    QTest::newRow("site name taken") << "<#siteNameExist#>" << int(Reply::SiteNameExist);
    QTest::newRow("password") << "<#modPwd#>" << int(Reply::ModPwd);
    QTest::newRow("template") << "<#selectTemplate#>" << int(Reply::SelectTemplate);
    QTest::newRow("talk") << "<#talkmsg#>hi" << int(Reply::TalkMsg);
    QTest::newRow("notice") << "<#getversion#>news" << int(Reply::GetVersion);
    QTest::newRow("system") << "<#systemmsg#>x" << int(Reply::SystemMsg);
    QTest::newRow("ready for archive") << "<#sendFileInfo#>" << int(Reply::SendFileInfo);
    QTest::newRow("failure") << "<#errMsg#>" << int(Reply::ErrMsg);
    QTest::newRow("no tag") << "hello <#unknown#>" << int(Reply::None);
    QTest::newRow("empty") << "" << int(Reply::None);
    // Two messages in one read: the reply order decides, not the position in the data.
    QTest::newRow("talk before login") << "<#talkmsg#>hi<#login#>" << int(Reply::Login);
    QTest::newRow("error before ready") << "<#errMsg#><#sendFileInfo#>" << int(Reply::SendFileInfo);
    QTest::newRow("system before taken")
        << "<#systemmsg#>a<#siteNameExist#>" << int(Reply::SiteNameExist);
    QTest::newRow("tag inside text") << "xx<#modPwd#>yy" << int(Reply::ModPwd);
}

void TestMdlUpData::firstTagInOrderDecides() {
    QFETCH(QString, text);
    QFETCH(int, reply);
    QCOMPARE(int(mdl_upData::classify(text)), reply);
}

void TestMdlUpData::messageSplitOverTwoReads() {
    mdl_upData::State st;
    QCOMPARE(mdl_upData::onServerData("<#log", st, {}).reply, Reply::None);
    QCOMPARE(mdl_upData::onServerData("in#>", st, {}).reply, Reply::None);
    QVERIFY(!st.loggedIn);
    // A system message in two reads: the first part is shown, the rest is ignored.
    const mdl_upData::Action first = mdl_upData::onServerData("<#systemmsg#>Hel", st, {});
    QCOMPARE(first.reply, Reply::SystemMsg);
    QCOMPARE(first.text, QStringLiteral("hel"));
    QCOMPARE(mdl_upData::onServerData("lo", st, {}).reply, Reply::None);
}

void TestMdlUpData::stateChanges_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("uploading");
    QTest::addColumn<bool>("refused");
    QTest::newRow("login") << QByteArray("<#login#>") << false << true << false << false;
    QTest::newRow("refused") << QByteArray("<#logout#>") << false << false << false << false;
    QTest::newRow("archive wanted")
        << QByteArray("<#sendFileInfo#>") << true << false << true << false;
    QTest::newRow("failure") << QByteArray("<#errMsg#>") << false << false << false << false;
    // The failure answers the size announcement: the upload was not taken.
    QTest::newRow("upload not taken") << QByteArray("<#errMsg#>") << true << false << false << true;
    QTest::newRow("other reply while announced")
        << QByteArray("<#talkmsg#>hi") << true << false << false << false;
}

void TestMdlUpData::stateChanges() {
    QFETCH(QByteArray, data);
    QFETCH(bool, announced);
    QFETCH(bool, loggedIn);
    QFETCH(bool, uploading);
    QFETCH(bool, refused);
    mdl_upData::State st;
    st.announced = announced;
    const mdl_upData::Action a = mdl_upData::onServerData(data, st, {});
    QCOMPARE(st.loggedIn, loggedIn);
    QCOMPARE(st.uploading, uploading);
    QCOMPARE(a.uploadRefused, refused);
    // An answer to the announcement, either way, ends the wait for one.
    if (a.reply == Reply::SendFileInfo || a.reply == Reply::ErrMsg)
        QVERIFY(!st.announced);
}

void TestMdlUpData::answersKeepTheServiceWords_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<bool>("sent"); // the archive went out, its verdict is awaited
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("verdict");
    QTest::addColumn<bool>("refused");
    QTest::newRow("system message") << "<#systemmsg#>Hello<br>World" << false << false
                                    << "hello\nworld" << false << false;
    QTest::newRow("announcement refused")
        << "<#systemmsg#>上传被拒绝：压缩包大小 9 字节，超过站点空间限额 1 KB。" << true << false
        << "上传被拒绝：压缩包大小 9 字节，超过站点空间限额 1 KB。" << true << true;
    QTest::newRow("archive refused")
        << "<#systemmsg#>上传被拒绝：文件 images/Top.JPG 解压后超过单个文件限额 1 MB<br>原来的站点保持不变。"
        << false << true << "上传被拒绝：文件 images/Top.JPG 解压后超过单个文件限额 1 MB\n原来的站点保持不变。"
        << true << false;
    QTest::newRow("archive refused by an older server")
        << "<#errMsg#><#systemmsg#>上传被拒绝：A.JPG" << false << true << "上传被拒绝：A.JPG" << true
        << false;
    QTest::newRow("published") << "<#systemmsg#>站点 Demo 已发布。" << false << true
                               << "站点 Demo 已发布。" << true << false;
    QTest::newRow("wrong password") << "<#logout#>" << false << false << "" << false << false;
    QTest::newRow("locked account")
        << "<#logout#>登录失败次数过多，该账号已被暂时锁定，请于 15 分钟后再试。" << false << false
        << "登录失败次数过多，该账号已被暂时锁定，请于 15 分钟后再试。" << false << false;
}

void TestMdlUpData::answersKeepTheServiceWords() {
    QFETCH(QString, data);
    QFETCH(bool, announced);
    QFETCH(bool, sent);
    QFETCH(QString, text);
    QFETCH(bool, verdict);
    QFETCH(bool, refused);
    mdl_upData::State st;
    st.announced = announced;
    st.awaitingVerdict = sent;
    const mdl_upData::Action a = mdl_upData::onServerData(gbk::encode(data), st, {});
    QCOMPARE(a.text, text);
    QCOMPARE(a.uploadVerdict, verdict);
    QCOMPARE(a.uploadRefused, refused);
    // The word on the upload ends the wait for it.
    if (verdict)
        QVERIFY(!st.announced && !st.awaitingVerdict);
}

void TestMdlUpData::acceptedSiteNameIsStored() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    mdl_upData::State st;
    // Without a name sent, the box's text is taken.
    mdl_upData::Action a = mdl_upData::onServerData("<#siteName#>", st, QStringLiteral("abc1"));
    QVERIFY(a.error.isEmpty());
    QCOMPARE(sitedb::userInfo("site_name"), QStringLiteral("abc1"));
    QVERIFY(st.siteNameSet);
    QCOMPARE(st.lastSiteName, QStringLiteral("abc1"));
    // The name that was sent wins over a box edited meanwhile.
    st.pendingSiteName = QStringLiteral("sent2");
    a = mdl_upData::onServerData("<#siteName#>", st, QStringLiteral("edited"));
    QCOMPARE(a.text, QStringLiteral("sent2"));
    QCOMPARE(sitedb::userInfo("site_name"), QStringLiteral("sent2"));
    QVERIFY(st.pendingSiteName.isEmpty());
}

void TestMdlUpData::takenSiteNameRestoresLastOne() {
    mdl_upData::State st;
    st.siteNameSet = true;
    st.lastSiteName = QStringLiteral("mine");
    st.pendingSiteName = QStringLiteral("theirs");
    const mdl_upData::Action a = mdl_upData::onServerData("<#siteNameExist#>", st, "theirs");
    QCOMPARE(a.reply, Reply::SiteNameExist);
    QCOMPARE(a.text, QStringLiteral("mine"));
    QVERIFY(!st.siteNameSet);
}

void TestMdlUpData::payloadsLoseTheirTagAndKeepChinese_data() {
    QTest::addColumn<QString>("wire");
    QTest::addColumn<int>("reply");
    QTest::addColumn<QString>("shown");
    QTest::newRow("talk") << QStringLiteral("<#talkmsg#>您好，请问有什么问题？")
                          << int(Reply::TalkMsg) << QStringLiteral("您好，请问有什么问题？");
    QTest::newRow("talk twice tagged") << QStringLiteral("<#talkmsg#>甲<#talkmsg#>乙")
                                       << int(Reply::TalkMsg) << QStringLiteral("甲乙");
    QTest::newRow("system with breaks") << QStringLiteral("<#systemmsg#>Hello<br>World")
                                        << int(Reply::SystemMsg) << QStringLiteral("hello\nworld");
    QTest::newRow("system chinese")
        << QStringLiteral("<#systemmsg#>站点ABC已发布<br>共3个文件") << int(Reply::SystemMsg)
        << QStringLiteral("站点abc已发布\n共3个文件");
    QTest::newRow("notice") << QStringLiteral("<#getversion#>系统公告：新版本3.06")
                            << int(Reply::GetVersion) << QStringLiteral("系统公告：新版本3.06");
}

void TestMdlUpData::payloadsLoseTheirTagAndKeepChinese() {
    QFETCH(QString, wire);
    QFETCH(int, reply);
    QFETCH(QString, shown);
    TempInstall inst;
    QVERIFY(inst.openSite()); // the notice reads its setting ("0||…": shown)
    mdl_upData::State st;
    const mdl_upData::Action a = mdl_upData::onServerData(gbk::encode(wire), st, {});
    QCOMPARE(int(a.reply), reply);
    QCOMPARE(a.text, shown);
    QVERIFY(!a.suppressed);
    QVERIFY(a.error.isEmpty());
}

void TestMdlUpData::bytesThatAreNotGbkNeverFail() {
    mdl_upData::State st;
    const QByteArray data = QByteArray("<#talkmsg#>ok\x81\x20\xff", 17);
    const mdl_upData::Action a = mdl_upData::onServerData(data, st, {});
    QCOMPARE(a.reply, Reply::TalkMsg);
    QVERIFY(a.text.startsWith(QStringLiteral("ok")));
    QVERIFY(a.text.contains(QChar::ReplacementCharacter));
}

void TestMdlUpData::noticeRule_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("shown");
    const QDate today(2026, 3, 20);
    auto back = [&](int days) { return today.addDays(-days).toString(Qt::ISODate); };
    QTest::newRow("hidden 13 days ago") << "1||" + back(13) << false;
    QTest::newRow("hidden 14 days ago") << "1||" + back(14) << true;
    QTest::newRow("hidden 400 days ago") << "1||" + back(400) << true;
    QTest::newRow("hidden today") << "1||" + back(0) << false;
    QTest::newRow("shown flag") << "0||" + back(0) << true;
    QTest::newRow("shown flag no date") << QStringLiteral("0||") << true;
    QTest::newRow("shown flag bare") << QStringLiteral("0") << true;
}

void TestMdlUpData::noticeRule() {
    QFETCH(QString, setting);
    QFETCH(bool, shown);
    const std::optional<bool> due = mdl_upData::noticeDue(setting, QDate(2026, 3, 20));
    QVERIFY(due.has_value());
    QCOMPARE(*due, shown);
}

void TestMdlUpData::noticeFollowsStoredSetting_data() {
    QTest::addColumn<int>("daysBack");
    QTest::addColumn<bool>("suppressed");
    QTest::newRow("13 days") << 13 << true;
    QTest::newRow("14 days") << 14 << false;
}

void TestMdlUpData::noticeFollowsStoredSetting() {
    QFETCH(int, daysBack);
    QFETCH(bool, suppressed);
    TempInstall inst;
    QVERIFY(inst.openSite());
    const QDate today = QDate::currentDate();
    QVERIFY(
        sitedb::setUserInfo("field06", mdl_upData::noticeSetting(true, today.addDays(-daysBack))));
    mdl_upData::State st;
    const mdl_upData::Action a = mdl_upData::onServerData("<#getversion#>news", st, {}, today);
    QCOMPARE(a.reply, Reply::GetVersion);
    QCOMPARE(a.suppressed, suppressed);
    QVERIFY(a.error.isEmpty());
}

void TestMdlUpData::brokenNoticeSettingIsAFailure() {
    QString why;
    QVERIFY(!mdl_upData::noticeDue(QStringLiteral("yes||2026-01-01"), QDate(2026, 3, 1), &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!mdl_upData::noticeDue(QStringLiteral("1||someday"), QDate(2026, 3, 1), &why));

    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("field06", QStringLiteral("1||")));
    mdl_upData::State st;
    const mdl_upData::Action a = mdl_upData::onServerData("<#getversion#>news", st, {});
    QVERIFY(!a.error.isEmpty());
}

void TestMdlUpData::serverAddress_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("base"); // the published sites' base address
    const QString fallback = "http://127.0.0.1:8080/";
    QTest::newRow("host") << "127.0.0.1" << true << "127.0.0.1" << 1234 << "http://127.0.0.1:8080/";
    QTest::newRow("host and port") << " 127.0.0.1:4321 " << true << "127.0.0.1" << 4321 << "http://127.0.0.1:8080/";
    QTest::newRow("HTTP port") << "sites.example.cn:4321:9090" << true << "sites.example.cn" << 4321
                               << "http://sites.example.cn:9090/";
    QTest::newRow("HTTP port 80") << "Example.CN:1234:80" << true << "Example.CN" << 1234 << "http://example.cn/";
    QTest::newRow("name") << "localhost" << true << "localhost" << 1234 << "http://localhost:8080/";
    QTest::newRow("bare v6") << "::1" << true << "::1" << 1234 << "http://[::1]:8080/";
    QTest::newRow("bare v6, three colons") << "fe80::1:2" << true << "fe80::1:2" << 1234 << "http://[fe80::1:2]:8080/";
    QTest::newRow("bracketed v6") << "[::1]:99" << true << "::1" << 99 << "http://[::1]:8080/";
    QTest::newRow("bracketed v6, HTTP port") << "[::1]:99:81" << true << "::1" << 99 << "http://[::1]:81/";
    QTest::newRow("empty") << "" << false << "" << 0 << fallback;
    QTest::newRow("port zero") << "h:0" << false << "" << 0 << fallback;
    QTest::newRow("port too big") << "h:70000" << false << "" << 0 << fallback;
    QTest::newRow("HTTP port too big") << "h:1234:70000" << false << "" << 0 << fallback;
    QTest::newRow("HTTP port empty") << "h:1234:" << false << "" << 0 << fallback;
    QTest::newRow("three ports") << "h:1:2:3" << false << "" << 0 << fallback;
    QTest::newRow("port not a number") << "h:abc" << false << "" << 0 << fallback;
    QTest::newRow("no host") << ":1234" << false << "" << 0 << fallback;
    QTest::newRow("blank inside") << "a b" << false << "" << 0 << fallback;
    QTest::newRow("host no URL takes") << "a/b:1234" << true << "a/b" << 1234 << fallback;
    // As a Chinese input method types them.
    QTest::newRow("full-width colon and digits")
        << "sites.example.cn：４３２１" << true << "sites.example.cn" << 4321 << "http://sites.example.cn:8080/";
    QTest::newRow("ideographic full stops")
        << "sites。example。cn:4321" << true << "sites.example.cn" << 4321 << "http://sites.example.cn:8080/";
}

void TestMdlUpData::serverAddress() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, base);
    const auto addr = mdl_upData::parseServerAddress(text);
    QCOMPARE(addr.has_value(), valid);
    if (valid) {
        QCOMPARE(addr->host, host);
        QCOMPARE(int(addr->port), port);
    }
    QCOMPARE(mdl_upData::siteBaseAddress(text), base);
}

void TestMdlUpData::siteNamePrefix_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("valid");
    QTest::newRow("letters and digits") << "abcXYZ09" << 8;
    QTest::newRow("hyphen after two") << "ab-" << 2;
    QTest::newRow("space") << "a b" << 1;
    QTest::newRow("chinese") << "站点" << 0;
    QTest::newRow("full-width digit") << "ab１" << 2;
    QTest::newRow("empty") << "" << 0;
}

void TestMdlUpData::siteNamePrefix() {
    QFETCH(QString, text);
    QFETCH(int, valid);
    QCOMPARE(mdl_upData::validSiteNamePrefix(text), valid);
}

void TestMdlUpData::logEntryHeaders() {
    const QDateTime when(QDate(2026, 5, 4), QTime(9, 8, 7));
    QCOMPARE(mdl_upData::msgLogEntry("server", "hi", when),
             QStringLiteral("<font color=blue size=2><b>服务器(管理员)</b></font>(<i>2026-05-04 "
                            "09:08:07</i>)<br><font size=2>hi</font><br>"));
    QCOMPARE(mdl_upData::msgLogEntry(QStringLiteral("客户端(我的发言)"), "yo", when),
             QStringLiteral("<font color=red size=2><b>客户端(我的发言)</b></font>(<i>2026-05-04 "
                            "09:08:07</i>)<br><font size=2>yo</font><br>"));
}

void TestMdlUpData::announcedAddressIsOpened_data() {
    QTest::addColumn<QString>("message"); // the server's system message after publishing
    QTest::addColumn<QString>("box");     // the address box at the time of "浏览"
    QTest::addColumn<QString>("webName");
    QTest::addColumn<QString>("opened");
    const QString published = QStringLiteral("<#systemmsg#>站点 Demo 已发布。<br>网址：http://demo.localhost:28080/"
                                             "<br>共收到 3 个文件，生成 2 个网页。");
    QTest::newRow("box with the host only") << published << "127.0.0.1" << "Demo" << "http://demo.localhost:28080/";
    QTest::newRow("box with host and port") << published << "127.0.0.1:4321" << "demo"
                                            << "http://demo.localhost:28080/";
    QTest::newRow("address at the end") << "<#systemmsg#>站点 demo 已发布。<br>网址：http://demo.example.cn/"
                                        << "example.cn" << "demo" << "http://demo.example.cn/";
    QTest::newRow("another short name typed since") << published << "127.0.0.1" << "other"
                                                    << "http://127.0.0.1:8080/other";
    QTest::newRow("a server that names no address") << "<#systemmsg#>站点 demo 已发布。<br>共收到 3 个文件"
                                                    << "127.0.0.1" << "demo" << "http://127.0.0.1:8080/demo";
    QTest::newRow("not a web address") << "<#systemmsg#>网址：javascript:alert(1)" << "127.0.0.1" << "demo"
                                       << "http://127.0.0.1:8080/demo";
}

void TestMdlUpData::announcedAddressIsOpened() {
    QFETCH(QString, message);
    QFETCH(QString, box);
    QFETCH(QString, webName);
    QFETCH(QString, opened);
    TempInstall inst;
    QVERIFY(inst.openSite());
    mdl_upData::State st;
    const mdl_upData::Action a = mdl_upData::onServerData(gbk::encode(message), st, {});
    QCOMPARE(int(a.reply), int(Reply::SystemMsg));
    // The address was taken with the box as it is now.
    QCOMPARE(mdl_upData::publishedAddress(box, webName, a.address, box), opened);
    // Once the box names another server, the announced address is no longer its.
    QCOMPARE(mdl_upData::publishedAddress(QStringLiteral("192.0.2.7"), webName, a.address, box),
             QStringLiteral("http://192.0.2.7:8080/") + webName);
}

QTEST_GUILESS_MAIN(TestMdlUpData)
#include "tst_mdl_upData.moc"
