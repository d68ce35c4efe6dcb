#include "common/gbk.h"
#include "hosting/hostingServer.h"
#include "hosting/sitePublisher.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <zip.h>

namespace {

// A raw client of the protocol: what it sends and what came back.
class Client {
public:
    explicit Client(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
        QObject::connect(&socket, &QTcpSocket::readyRead,
                         [this] { received += gbk::decode(socket.readAll()); });
    }
    void send(const QString& text) { sendRaw(gbk::encode(text)); }
    void sendRaw(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    bool connected() const { return socket.state() == QAbstractSocket::ConnectedState; }
    // Takes what arrived so far.
    QString take() { return std::exchange(received, {}); }

    QTcpSocket socket;
    QString received;
};

QByteArray makeZip(const QList<QPair<QString, QByteArray>>& files) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.zip");
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    QList<QByteArray> keep;
    for (const auto& [name, data] : files) {
        keep << data;
        zip_source_t* src = zip_source_buffer(za, keep.back().constData(), keep.back().size(), 0);
        zip_file_add(za, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
    }
    zip_close(za);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestHostingServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void login_data();
    void login();
    void needsLoginFirst_data();
    void needsLoginFirst();
    void oneMessageInSeveralReads();
    void severalMessagesInOneRead();
    void garbageGetsErrorAndConnectionStaysUsable_data();
    void garbageGetsErrorAndConnectionStaysUsable();
    void overlongTextIsBounded();
    void noticeOnlyWhenThereIsOne();
    void siteNames_data();
    void siteNames();
    void passwordChangeIsKeptAcrossRestarts();
    void talkIsKeptForTheAdministrator();
    void pushesReachTheAccountOnly();
    void uploadPublishesTheSite();
    void uploadReplacesThePreviousSite();
    void badArchivesAreRefused_data();
    void badArchivesAreRefused();
    void announcementAgainBeforeTheArchive();
    void manyClientsAtOnce();

private:
    void startServer();
    std::unique_ptr<Client> loggedIn(const QString& site = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<hosting::HostingServer> m_server;
};

void TestHostingServer::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    startServer();
}

void TestHostingServer::cleanup() {
    m_server.reset();
    m_dir.reset();
}

void TestHostingServer::startServer() {
    hosting::Options o;
    o.dataDir = m_dir->path();
    m_server = std::make_unique<hosting::HostingServer>(o);
    QString why;
    QVERIFY2(m_server->start(QHostAddress::LocalHost, 0, &why), qPrintable(why));
}

std::unique_ptr<Client> TestHostingServer::loggedIn(const QString& site) {
    auto c = std::make_unique<Client>(m_server->port());
    c->send("<#login#>20061001||417305");
    if (!QTest::qWaitFor([&] { return c->received == u"<#login#>"; }, 5000))
        return nullptr;
    c->take();
    if (!site.isEmpty()) {
        c->send("<#siteName#>" + site);
        if (!QTest::qWaitFor([&] { return c->received == u"<#siteName#>"; }, 5000))
            return nullptr;
        c->take();
    }
    return c;
}

void TestHostingServer::login_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reply");
    QTest::newRow("initial account") << "<#login#>20061001||417305"
                                     << "<#login#>";
    QTest::newRow("wrong password") << "<#login#>20061001||417306"
                                    << "<#logout#>";
    QTest::newRow("unknown account") << "<#login#>99999999||417305"
                                     << "<#logout#>";
    QTest::newRow("empty password") << "<#login#>20061001||"
                                    << "<#logout#>";
    QTest::newRow("no separator") << "<#login#>20061001"
                                  << "<#errMsg#>";
}

void TestHostingServer::login() {
    QFETCH(QString, message);
    QFETCH(QString, reply);
    Client c(m_server->port());
    c.send(message);
    QTRY_COMPARE(c.received, reply);
    QVERIFY(c.connected());
}

void TestHostingServer::needsLoginFirst_data() {
    QTest::addColumn<QString>("message");
    QTest::newRow("site name") << "<#siteName#>abc";
    QTest::newRow("password") << "<#modPwd#>secret";
    QTest::newRow("talk") << "<#talkmsg#>hello";
    QTest::newRow("upload") << "<#sendFileInfo#>100";
}

void TestHostingServer::needsLoginFirst() {
    QFETCH(QString, message);
    Client c(m_server->port());
    c.send(message);
    QTRY_COMPARE(c.received, QStringLiteral("<#errMsg#>"));
    c.take();
    // A refused login does not open the door either.
    c.send("<#login#>20061001||bad");
    QTRY_COMPARE(c.received, QStringLiteral("<#logout#>"));
    c.take();
    c.send(message);
    QTRY_COMPARE(c.received, QStringLiteral("<#errMsg#>"));
    QVERIFY(m_server->talks().isEmpty());
}

void TestHostingServer::oneMessageInSeveralReads() {
    Client c(m_server->port());
    c.send("<");
    QTest::qWait(150);
    c.send("#log");
    QTest::qWait(150);
    c.send("in#>20061001||417305");
    QTRY_COMPARE(c.received, QStringLiteral("<#login#>"));
    c.take();
    // A message cut after its tag waits for the rest of its payload.
    c.sendRaw(QByteArray("<#talkmsg#>") + gbk::encode(QStringLiteral("你")));
    c.sendRaw(gbk::encode(QStringLiteral("好")));
    QTRY_COMPARE(m_server->talks().size(), 1);
    QCOMPARE(m_server->talks().front().text, QStringLiteral("你好"));
}

void TestHostingServer::severalMessagesInOneRead() {
    Client c(m_server->port());
    c.send("<#getversion#>3.05<#login#>20061001||417305<#siteName#>abc1<#modPwd#>n3w");
    QTRY_COMPARE(c.received, QStringLiteral("<#login#><#siteName#><#modPwd#>"));
    QCOMPARE(m_server->received(), (QStringList{"<#getversion#>3.05", "<#login#>20061001||417305",
                                                "<#siteName#>abc1", "<#modPwd#>n3w"}));
    QVERIFY(m_server->accounts().checkPassword("20061001", "n3w"));
}

void TestHostingServer::garbageGetsErrorAndConnectionStaysUsable_data() {
    QTest::addColumn<QByteArray>("garbage");
    QTest::newRow("plain text") << QByteArray("hello there");
    QTest::newRow("unknown tag") << QByteArray("<#hack#>rm -rf");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe<\x01#", 6);
    QTest::newRow("reply tag from a client") << QByteArray("<#systemmsg#>x");
}

void TestHostingServer::garbageGetsErrorAndConnectionStaysUsable() {
    QFETCH(QByteArray, garbage);
    Client c(m_server->port());
    c.sendRaw(garbage);
    QTRY_VERIFY(c.received.startsWith(QStringLiteral("<#errMsg#>")));
    c.take();
    c.send("<#login#>20061001||417305");
    QTRY_COMPARE(c.received, QStringLiteral("<#login#>"));
}

void TestHostingServer::overlongTextIsBounded() {
    auto c = loggedIn();
    QVERIFY(c);
    c->sendRaw("<#talkmsg#>" + QByteArray(300 * 1024, 'a'));
    QTRY_VERIFY(c->received.contains(QStringLiteral("<#errMsg#>")));
    QVERIFY(m_server->talks().isEmpty());
    c->take();
    c->send("<#talkmsg#>short");
    QTRY_COMPARE(m_server->talks().size(), 1);
    QVERIFY(c->connected());
}

void TestHostingServer::noticeOnlyWhenThereIsOne() {
    Client c(m_server->port());
    c.send("<#getversion#>3.05");
    QTest::qWait(150);
    QCOMPARE(c.received, QString());
    m_server->setNotice(QStringLiteral("系统公告：周日维护"));
    c.send("<#getversion#>3.05");
    QTRY_COMPARE(c.received, QStringLiteral("<#getversion#>系统公告：周日维护"));
}

void TestHostingServer::siteNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reply");
    QTest::newRow("free") << "shop2026"
                          << "<#siteName#>";
    QTest::newRow("held by another") << "Taken"
                                     << "<#siteNameExist#>";
    QTest::newRow("held by another, other case") << "TAKEN"
                                                 << "<#siteNameExist#>";
    QTest::newRow("own name again") << "mine"
                                    << "<#siteName#>";
    QTest::newRow("hyphen") << "my-site"
                            << "<#errMsg#>";
    QTest::newRow("chinese") << "站点"
                             << "<#errMsg#>";
    QTest::newRow("empty") << ""
                           << "<#errMsg#>";
}

void TestHostingServer::siteNames() {
    QFETCH(QString, name);
    QFETCH(QString, reply);
    QVERIFY(m_server->accounts().setPassword("30000001", "pw"));
    QVERIFY(m_server->accounts().registerSite("30000001", "taken"));
    auto c = loggedIn("mine");
    QVERIFY(c);
    c->send("<#siteName#>" + name);
    QTRY_COMPARE(c->received, reply);
    QCOMPARE(m_server->accounts().owner("taken"), QStringLiteral("30000001"));
    QCOMPARE(m_server->accounts().siteName("20061001"),
             reply == "<#siteName#>" ? name : QStringLiteral("mine"));
}

void TestHostingServer::passwordChangeIsKeptAcrossRestarts() {
    {
        auto c = loggedIn("keep");
        QVERIFY(c);
        c->send("<#modPwd#>新密码 1");
        QTRY_COMPARE(c->received, QStringLiteral("<#modPwd#>"));
    }
    m_server.reset();
    startServer();
    const QByteArray stored = readAll(m_dir->filePath("accounts.json"));
    QVERIFY(!stored.contains("417305"));
    QVERIFY(!stored.contains(QStringLiteral("新密码").toUtf8()));
    Client c(m_server->port());
    c.send("<#login#>20061001||417305");
    QTRY_COMPARE(c.received, QStringLiteral("<#logout#>"));
    c.take();
    c.send("<#login#>20061001||新密码 1");
    QTRY_COMPARE(c.received, QStringLiteral("<#login#>"));
    QCOMPARE(m_server->accounts().siteName("20061001"), QStringLiteral("keep"));
}

void TestHostingServer::talkIsKeptForTheAdministrator() {
    auto c = loggedIn();
    QVERIFY(c);
    c->send("<#talkmsg#>你好，我的网站&nbsp;打不开");
    QTRY_COMPARE(m_server->talks().size(), 1);
    QCOMPARE(m_server->talks().front().accountNo, QStringLiteral("20061001"));
    QCOMPARE(m_server->talks().front().text, QStringLiteral("你好，我的网站&nbsp;打不开"));
    QVERIFY(QString::fromUtf8(readAll(m_dir->filePath("messages.log"))).contains("打不开"));
}

void TestHostingServer::pushesReachTheAccountOnly() {
    auto mine = loggedIn();
    QVERIFY(mine);
    Client stranger(m_server->port());
    QCOMPARE(m_server->pushTalk("20061001", QStringLiteral("管理员：收到")), 1);
    QCOMPARE(m_server->pushSystem("20061001", "Hello<br>World"), 1);
    QCOMPARE(m_server->pushSelectTemplate("20061001"), 1);
    QCOMPARE(m_server->pushTalk("55555555", "nobody"), 0);
    QTRY_COMPARE(mine->received, QStringLiteral("<#talkmsg#>管理员：收到<#systemmsg#>Hello<br>"
                                                "World<#selectTemplate#>"));
    QTest::qWait(50);
    QCOMPARE(stranger.received, QString());
    QCOMPARE(m_server->dropConnections("20061001"), 1);
    QTRY_VERIFY(!mine->connected());
    QVERIFY(stranger.connected());
}

void TestHostingServer::uploadPublishesTheSite() {
    auto c = loggedIn("demo");
    QVERIFY(c);
    const QByteArray pictures = makeZip({{"a.gif", "GIF89a..."}, {"b.jpg", QByteArray(5000, 'j')}});
    const QByteArray archive = makeZip(
        {{"dalmbuilder.tdc", "SQLite format 3"}, {"images.zip", pictures}, {"logo.png", "png"}});
    c->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->take();
    // The archive in pieces, as a connection delivers it.
    for (qsizetype at = 0; at < archive.size(); at += 700) {
        c->sendRaw(archive.mid(at, 700));
        QTest::qWait(1);
    }
    QTRY_VERIFY(c->received.startsWith(QStringLiteral("<#systemmsg#>")));
    const QString site = m_server->siteFolder("demo");
    QCOMPARE(readAll(site + "dalmbuilder.tdc"), QByteArray("SQLite format 3"));
    QCOMPARE(readAll(site + "logo.png"), QByteArray("png"));
    QCOMPARE(readAll(site + "images.zip"), pictures);
    QCOMPARE(readAll(site + "images/b.jpg"), QByteArray(5000, 'j'));
    QCOMPARE(readAll(site + "images/a.gif"), QByteArray("GIF89a..."));
    // The connection goes on as before.
    c->take();
    c->send("<#modPwd#>x");
    QTRY_COMPARE(c->received, QStringLiteral("<#modPwd#>"));
}

void TestHostingServer::uploadReplacesThePreviousSite() {
    auto c = loggedIn("demo");
    QVERIFY(c);
    for (const QByteArray& marker : {QByteArray("first"), QByteArray("second")}) {
        const QByteArray archive =
            makeZip({{"dalmbuilder.tdc", marker}, {QString::fromLatin1(marker) + ".txt", marker}});
        c->send("<#sendFileInfo#>" + QString::number(archive.size()));
        QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
        c->take();
        c->sendRaw(archive);
        QTRY_VERIFY(c->received.startsWith(QStringLiteral("<#systemmsg#>")));
        c->take();
    }
    const QString site = m_server->siteFolder("demo");
    QCOMPARE(readAll(site + "dalmbuilder.tdc"), QByteArray("second"));
    QVERIFY(!QFileInfo::exists(site + "first.txt") && QFileInfo::exists(site + "second.txt"));
    // Nothing of the work in between is left beside the site.
    QCOMPARE(QDir(m_dir->filePath("sites")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"demo"});
}

void TestHostingServer::badArchivesAreRefused_data() {
    QTest::addColumn<QByteArray>("archive");
    QTest::newRow("not a zip") << QByteArray(4000, 'z');
    QTest::newRow("no site database") << makeZip({{"index.htm", "<p>"}});
    QTest::newRow("path out of the folder")
        << makeZip({{"dalmbuilder.tdc", "db"}, {"../../escape.txt", "x"}});
    QTest::newRow("folder inside") << makeZip({{"dalmbuilder.tdc", "db"}, {"sub/a.txt", "x"}});
    QByteArray cut = makeZip({{"dalmbuilder.tdc", QByteArray(3000, 'd')}});
    cut.chop(30);
    QTest::newRow("cut short") << cut;
}

void TestHostingServer::badArchivesAreRefused() {
    QFETCH(QByteArray, archive);
    auto c = loggedIn("demo");
    QVERIFY(c);
    const QByteArray good = makeZip({{"dalmbuilder.tdc", "good"}});
    c->send("<#sendFileInfo#>" + QString::number(good.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->take();
    c->sendRaw(good);
    QTRY_VERIFY(c->received.startsWith(QStringLiteral("<#systemmsg#>")));
    c->take();

    c->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->take();
    c->sendRaw(archive);
    QTRY_COMPARE(c->received, QStringLiteral("<#errMsg#>"));
    // The published site stays as it was, and nothing escaped.
    QCOMPARE(readAll(m_server->siteFolder("demo") + "dalmbuilder.tdc"), QByteArray("good"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("escape.txt")));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("sites/escape.txt")));
    QCOMPARE(QDir(m_dir->filePath("sites")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"demo"});
    QVERIFY(c->connected());
}

void TestHostingServer::announcementAgainBeforeTheArchive() {
    auto c = loggedIn("demo");
    QVERIFY(c);
    const QByteArray archive = makeZip({{"dalmbuilder.tdc", "db2"}});
    // Two announcements in one read, and the archive right behind the second go-ahead.
    c->send("<#sendFileInfo#>99999<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#><#sendFileInfo#>"));
    c->take();
    c->sendRaw(archive);
    QTRY_VERIFY(c->received.startsWith(QStringLiteral("<#systemmsg#>")));
    QCOMPARE(readAll(m_server->siteFolder("demo") + "dalmbuilder.tdc"), QByteArray("db2"));
    // An announcement with the archive glued to it.
    c->take();
    const QByteArray again = makeZip({{"dalmbuilder.tdc", "db3"}});
    c->sendRaw("<#sendFileInfo#>" + QByteArray::number(again.size()) + again);
    QTRY_VERIFY(c->received.contains(QStringLiteral("<#systemmsg#>")));
    QCOMPARE(readAll(m_server->siteFolder("demo") + "dalmbuilder.tdc"), QByteArray("db3"));
}

void TestHostingServer::manyClientsAtOnce() {
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 20; ++i)
        clients.push_back(std::make_unique<Client>(m_server->port()));
    for (auto& c : clients)
        c->send("<#login#>20061001||417305");
    for (auto& c : clients)
        QTRY_COMPARE(c->received, QStringLiteral("<#login#>"));
    QCOMPARE(m_server->connectionCount(), 20);
}

QTEST_GUILESS_MAIN(TestHostingServer)
#include "tst_hostingServer.moc"
