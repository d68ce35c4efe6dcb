#include "common/gbk.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "hosting/siteLayout.h"
#include "hosting/sitePublisher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <zip.h>

namespace {

using testfiles::readAll;

// The login's acceptance, with the offer of uploads of changes that comes with it.
const QString kAccepted = QStringLiteral("<#login#><#deltaOffer#>sha256");

// A raw client of the protocol: what it sends and what came back.
class Client {
public:
    // `from` is the loopback address the client speaks from (127.0.0.1 when empty).
    explicit Client(quint16 port, const QString& from = {}, bool wait = true) {
        QObject::connect(&socket, &QTcpSocket::readyRead,
                         [this] { received += gbk::decode(socket.readAll()); });
        if (!from.isEmpty())
            socket.bind(QHostAddress(from));
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (wait)
            socket.waitForConnected(5000);
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

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

// A real site database, the pristine one with the site's name set to `webName`.
QByteArray siteDatabase(const QString& webName, const QString& homeTemplate = {}) {
    QTemporaryDir dir;
    const QString file = dir.filePath("dalmbuilder.tdc");
    QFile::copy(builtInstallPath() + "initdata/dalmbuilder.tdc", file);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make-site");
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        q.prepare("UPDATE user_info SET webName=?");
        q.addBindValue(webName);
        q.exec();
        if (!homeTemplate.isEmpty()) {
            q.prepare("UPDATE user_info SET defaultTmpl=?");
            q.addBindValue(homeTemplate);
            q.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("make-site");
    return readAll(file);
}

// Bytes that do not compress.
QByteArray noise(int size) {
    QByteArray b(size, Qt::Uninitialized);
    QRandomGenerator rng(size);
    for (char& c : b)
        c = char(rng.bounded(256));
    return b;
}

// Waits for `text` to have arrived, woken by the arrival itself rather than by polling,
// so that the time taken is the server's.
bool awaitExactly(Client& c, const QString& text, int ms = 10000) {
    QEventLoop loop;
    QObject::connect(&c.socket, &QTcpSocket::readyRead, &loop, [&] {
        if (c.received == text)
            loop.quit();
    }, Qt::QueuedConnection);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (c.received != text)
        loop.exec();
    return c.received == text;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

Q_DECLARE_METATYPE(hosting::Quotas)

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
    void messageCrossingTheGoAhead_data();
    void messageCrossingTheGoAhead();
    void manyClientsAtOnce();
    void publishingReplacesTheSiteOnlyWhenItRenders_data();
    void publishingReplacesTheSiteOnlyWhenItRenders();
    void quotasRefuseEarlyAndKeepTheSite_data();
    void quotasRefuseEarlyAndKeepTheSite();
    void announcedSizeAboveTheQuota();
    void flatPicturesArePublished_data();
    void flatPicturesArePublished();
    void silentConnectionsAreClosed_data();
    void silentConnectionsAreClosed();
    void connectionCaps();
    void passwordGuessingIsThrottled_data();
    void passwordGuessingIsThrottled();
    void failedLoginsWaitLongerAndLonger();
    void unknownAccountTakesAsLongAsWrongPassword();
    void otherClientsAreAnsweredDuringLongWork();
    void siteMovesWithItsShortName();
    void connectionOrServerGoneDuringPublishing();

private:
    void startServer(const std::function<void(hosting::Options&)>& adjust = {});
    std::unique_ptr<Client> loggedIn(const QString& site = {}, const QString& from = {});
    // Sends an archive on a logged-in connection and waits for the verdict.
    QString upload(Client& c, const QByteArray& archive);
    QString published(const QString& site) const { return m_server->publishedFolder(site); }

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

void TestHostingServer::startServer(const std::function<void(hosting::Options&)>& adjust) {
    m_server.reset();
    hosting::Options o;
    o.dataDir = m_dir->path();
    o.skinsDir = builtInstallPath() + "skins";
    if (adjust)
        adjust(o);
    m_server = std::make_unique<hosting::HostingServer>(o);
    QString why;
    QVERIFY2(m_server->start(QHostAddress::LocalHost, 0, &why), qPrintable(why));
}

std::unique_ptr<Client> TestHostingServer::loggedIn(const QString& site, const QString& from) {
    auto c = std::make_unique<Client>(m_server->port(), from);
    c->send("<#login#>20061001||417305");
    if (!QTest::qWaitFor([&] { return c->received == kAccepted; }, 5000))
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

QString TestHostingServer::upload(Client& c, const QByteArray& archive) {
    c.take();
    c.send("<#sendFileInfo#>" + QString::number(archive.size()));
    if (!QTest::qWaitFor([&] { return !c.received.isEmpty(); }, 5000))
        return {};
    if (c.take() != u"<#sendFileInfo#>")
        return QStringLiteral("refused at once");
    c.sendRaw(archive);
    if (!QTest::qWaitFor([&] { return c.received.contains(u"<#systemmsg#>"); }, 20000))
        return c.received;
    return c.take();
}

void TestHostingServer::login_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reply");
    QTest::newRow("initial account") << "<#login#>20061001||417305"
                                     << kAccepted;
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
    QTRY_COMPARE(c.received, kAccepted);
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
    QTRY_COMPARE(c.received, kAccepted + QStringLiteral("<#siteName#><#modPwd#>"));
    // Passwords are never kept.
    QCOMPARE(m_server->received(), (QStringList{"<#getversion#>3.05", "<#login#>20061001||",
                                                "<#siteName#>abc1", "<#modPwd#>"}));
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
    QTRY_COMPARE(c.received, kAccepted);
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
    QTRY_COMPARE(c.received, kAccepted);
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
    const QByteArray database = siteDatabase("演示站点");
    const QByteArray archive = makeZip(
        {{"dalmbuilder.tdc", database}, {"images.zip", pictures}, {"logo.png", "png"}});
    c->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->take();
    // The archive in pieces, as a connection delivers it.
    for (qsizetype at = 0; at < archive.size(); at += 700) {
        c->sendRaw(archive.mid(at, 700));
        QTest::qWait(1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(c->received.startsWith(QStringLiteral("<#systemmsg#>")), 20000);
    QVERIFY2(c->received.contains(QStringLiteral("已发布")), qPrintable(c->received));
    QVERIFY(QString::fromUtf8(readAll(published("demo") + "index.html")).contains("演示站点"));
    const QString site = m_server->siteFolder("demo");
    QCOMPARE(readAll(site + "dalmbuilder.tdc"), database);
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
        const QByteArray archive = makeZip({{"dalmbuilder.tdc", siteDatabase(marker)},
                                            {QString::fromLatin1(marker) + ".txt", marker}});
        QVERIFY(upload(*c, archive).contains(QStringLiteral("已发布")));
    }
    const QString site = m_server->siteFolder("demo");
    QVERIFY(!QFileInfo::exists(site + "first.txt") && QFileInfo::exists(site + "second.txt"));
    QVERIFY(readAll(published("demo") + "index.html").contains("second"));
    // Nothing of the work in between is left beside the site.
    QCOMPARE(entries(m_dir->filePath("uploads")), QStringList{"demo"});
    QCOMPARE(entries(m_dir->filePath("www")), QStringList{"demo"});
    QTRY_COMPARE(entries(m_dir->filePath("work")), QStringList());
    QCOMPARE(entries(m_dir->filePath("incoming")), QStringList());
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
    QVERIFY(upload(*c, good).startsWith(QStringLiteral("<#systemmsg#>")));

    const QString refusal = upload(*c, archive);
    QVERIFY2(refusal.startsWith(QStringLiteral("<#systemmsg#>上传被拒绝")) &&
                 refusal.lastIndexOf("<#") == 0,
             qPrintable(refusal));
    // The site stays as it was, and nothing escaped.
    QCOMPARE(readAll(m_server->siteFolder("demo") + "dalmbuilder.tdc"), QByteArray("good"));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("escape.txt")));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("uploads/escape.txt")));
    QCOMPARE(entries(m_dir->filePath("uploads")), QStringList{"demo"});
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

void TestHostingServer::messageCrossingTheGoAhead_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("glued"); // the archive in the same read as the message
    QTest::newRow("notice request") << QStringLiteral("<#getversion#>") << false;
    QTest::newRow("notice request, archive behind") << QStringLiteral("<#getversion#>") << true;
    QTest::newRow("chat line") << QStringLiteral("<#talkmsg#>你好") << false;
    QTest::newRow("chat line, archive behind") << QStringLiteral("<#talkmsg#>你好") << true;
}

void TestHostingServer::messageCrossingTheGoAhead() {
    QFETCH(QString, message);
    QFETCH(bool, glued);
    auto c = loggedIn("demo");
    QVERIFY(c);
    // The client sent a message before it saw the go-ahead; the archive follows it.
    const QByteArray archive = makeZip({{"dalmbuilder.tdc", "crossed"}});
    c->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->take();
    if (glued) {
        c->sendRaw(gbk::encode(message) + archive);
    } else {
        c->send(message);
        QTest::qWait(50);
        c->sendRaw(archive);
    }
    QTRY_VERIFY(c->received.contains(QStringLiteral("<#systemmsg#>")));
    QCOMPARE(readAll(m_server->siteFolder("demo") + "dalmbuilder.tdc"), QByteArray("crossed"));
    if (message.startsWith(QStringLiteral("<#talkmsg#>")))
        QCOMPARE(m_server->talks().back().text, QStringLiteral("你好"));
}

void TestHostingServer::manyClientsAtOnce() {
    startServer([](hosting::Options& o) { o.maxPerAddress = 300; });
    // Every client knocks before the server takes the first one.
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 200; ++i)
        clients.push_back(std::make_unique<Client>(m_server->port(), QString(), false));
    for (auto& c : clients)
        QVERIFY(c->socket.waitForConnected(5000));
    for (auto& c : clients)
        c->send("<#getversion#>3.05<#login#>20061001||417305");
    for (auto& c : clients)
        QTRY_COMPARE_WITH_TIMEOUT(c->received, kAccepted, 20000);
    QCOMPARE(m_server->connectionCount(), 200);
}

void TestHostingServer::publishingReplacesTheSiteOnlyWhenItRenders_data() {
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("told");
    QTest::newRow("renders") << siteDatabase("第二版") << true << "已发布";
    QTest::newRow("database unreadable") << QByteArray("SQLite format 3, but no more") << false
                                         << "发布失败";
}

void TestHostingServer::publishingReplacesTheSiteOnlyWhenItRenders() {
    QFETCH(QByteArray, database);
    QFETCH(bool, replaced);
    QFETCH(QString, told);
    QSignalSpy log(m_server.get(), &hosting::HostingServer::logLine);
    auto c = loggedIn("demo");
    QVERIFY(c);
    // A template that is not installed: the renderer takes another and says so in the log.
    const QString first =
        upload(*c, makeZip({{"dalmbuilder.tdc", siteDatabase("第一版", "dzz99.png")}}));
    QVERIFY2(first.contains("已发布"), qPrintable(first));
    const QByteArray firstIndex = readAll(published("demo") + "index.html");
    QVERIFY(QString::fromUtf8(firstIndex).contains("第一版"));
    bool noted = false;
    for (const QList<QVariant>& line : log)
        noted = noted || line.value(0).toString().startsWith("render demo: ");
    QVERIFY(noted);

    const QString second = upload(*c, makeZip({{"dalmbuilder.tdc", database}}));
    QVERIFY2(second.startsWith("<#systemmsg#>") && second.contains(told), qPrintable(second));
    const QString index = QString::fromUtf8(readAll(published("demo") + "index.html"));
    QCOMPARE(index.contains("第二版"), replaced);
    QCOMPARE(index.contains("第一版"), !replaced);
    if (!replaced) {
        // The client and the log both say what failed: the renderer's own words.
        const QString error = second.section("发布失败：", 1).section("<br>", 0, 0);
        QVERIFY(!error.isEmpty());
        bool logged = false;
        for (const QList<QVariant>& line : log)
            logged = logged || line.value(0).toString().contains(error);
        QVERIFY(logged);
    }
    QCOMPARE(entries(m_dir->filePath("www")), QStringList{"demo"});
    QTRY_COMPARE(entries(m_dir->filePath("work")), QStringList());
}

void TestHostingServer::quotasRefuseEarlyAndKeepTheSite_data() {
    QTest::addColumn<hosting::Quotas>("quotas");
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("limit");
    hosting::Quotas q;
    q.siteBytes = 4 << 20;
    q.entries = 8;
    q.entryBytes = 1 << 20;
    const QByteArray db = siteDatabase("炸弹");
    // Pieces that compress to half: the archive is within the quota, what it holds is not.
    const QByteArray piece = noise(450 << 10) + QByteArray(450 << 10, '\0');
    QTest::newRow("site size")
        << q
        << makeZip({{"dalmbuilder.tdc", db}, {"a.jpg", piece}, {"b.jpg", piece}, {"c.jpg", piece},
                    {"d.jpg", piece}, {"e.jpg", piece}})
        << "空间限额";
    QList<QPair<QString, QByteArray>> many{{"dalmbuilder.tdc", db}};
    for (int i = 0; i < 9; ++i)
        many.append({QStringLiteral("p%1.gif").arg(i), "GIF89a"});
    QTest::newRow("file count") << q << makeZip(many) << "超过 8 个";
    many.erase(many.begin() + 3, many.end());
    many.append({"images.zip", makeZip({{"1.gif", "1"}, {"2.gif", "2"}, {"3.gif", "3"},
                                        {"4.gif", "4"}, {"5.gif", "5"}, {"6.gif", "6"}})});
    QTest::newRow("file count with the pictures' archive") << q << makeZip(many) << "超过 8 个";
    QTest::newRow("one file too large")
        << q << makeZip({{"dalmbuilder.tdc", db}, {"big.jpg", noise(1100 << 10)}})
        << "单个文件限额";
    // The file named as it lay in the working folder.
    QTest::newRow("one picture of the custom pages too large")
        << q
        << makeZip({{"dalmbuilder.tdc", db},
                    {"images.zip", makeZip({{"Top Banner.JPG", noise(1100 << 10)}})}})
        << "文件 images/Top Banner.JPG 解压后超过单个文件限额 1 MB";
    // A few kilobytes that unpack to more than one file may hold.
    QTest::newRow("bomb of one file")
        << q << makeZip({{"dalmbuilder.tdc", db}, {"zeros.bmp", QByteArray(8 << 20, '\0')}})
        << "文件 zeros.bmp 解压后超过单个文件限额 1 MB";
    // The pictures' archive is small, what it holds is not: the outer sizes do not show it.
    hosting::Quotas lenient = q;
    lenient.entryBytes = 64 << 20;
    QTest::newRow("bomb inside the pictures' archive")
        << lenient
        << makeZip({{"dalmbuilder.tdc", db},
                    {"images.zip", makeZip({{"a.bmp", QByteArray(3 << 20, '\0')},
                                            {"b.bmp", QByteArray(3 << 20, '\0')}})}})
        << "空间限额";
}

void TestHostingServer::quotasRefuseEarlyAndKeepTheSite() {
    QFETCH(hosting::Quotas, quotas);
    QFETCH(QByteArray, archive);
    QFETCH(QString, limit);
    startServer([&](hosting::Options& o) { o.quotas = quotas; });
    auto c = loggedIn("demo");
    QVERIFY(c);
    QVERIFY(upload(*c, makeZip({{"dalmbuilder.tdc", siteDatabase("原来的站点")},
                                {"logo.gif", "GIF89a"}}))
                .contains("已发布"));
    const QString refusal = upload(*c, archive);
    // One message, one tag: a client that acts on the first tag shows the rest as text.
    QVERIFY2(refusal.startsWith("<#systemmsg#>上传被拒绝") && refusal.contains(limit) &&
                 refusal.lastIndexOf("<#") == 0,
             qPrintable(refusal));
    QVERIFY(QString::fromUtf8(readAll(published("demo") + "index.html")).contains("原来的站点"));
    QCOMPARE(readAll(m_server->siteFolder("demo") + "logo.gif"), QByteArray("GIF89a"));
    QTRY_COMPARE(entries(m_dir->filePath("work")), QStringList());
    QCOMPARE(entries(m_dir->filePath("incoming")), QStringList());
    // The connection goes on.
    c->send("<#modPwd#>417305");
    QTRY_COMPARE(c->received, QStringLiteral("<#modPwd#>"));
}

void TestHostingServer::announcedSizeAboveTheQuota() {
    startServer([](hosting::Options& o) { o.quotas.siteBytes = 1 << 20; });
    auto c = loggedIn("demo");
    QVERIFY(c);
    c->send("<#sendFileInfo#>1048577");
    QTRY_VERIFY(c->received.contains("<#systemmsg#>"));
    QVERIFY2(c->received.startsWith("<#systemmsg#>上传被拒绝") &&
                 c->received.contains("空间限额") && c->received.lastIndexOf("<#") == 0,
             qPrintable(c->received));
    QCOMPARE(entries(m_dir->filePath("incoming")), QStringList());
    // Bytes sent anyway are no archive: each bit of text is refused as such.
    c->take();
    c->send("<#sendFileInfo#>1048576");
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
}

// A 3 MB banner of flat colour with a band across it, as a BMP file: it packs a few hundred
// times smaller.
static QByteArray flatBanner() {
    QImage banner(1024, 1024, QImage::Format_RGB888);
    banner.fill(QColor(30, 90, 160));
    QPainter p(&banner);
    p.fillRect(0, 400, 1024, 200, QColor(240, 240, 240));
    p.end();
    QByteArray bmp;
    QBuffer out(&bmp);
    out.open(QIODevice::WriteOnly);
    banner.save(&out, "BMP");
    return bmp;
}

void TestHostingServer::flatPicturesArePublished_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("in the site's folder") << "";
    QTest::newRow("among the custom pages' pictures") << "images/";
}

void TestHostingServer::flatPicturesArePublished() {
    QFETCH(QString, where);
    const QByteArray banner = flatBanner();
    QVERIFY(banner.size() > 3 << 20);
    const QByteArray db = siteDatabase("横幅");
    const QByteArray archive =
        where.isEmpty()
            ? makeZip({{"dalmbuilder.tdc", db}, {"Banner.BMP", banner}})
            : makeZip({{"dalmbuilder.tdc", db}, {"images.zip", makeZip({{"Banner.BMP", banner}})}});
    QVERIFY(banner.size() / archive.size() > 200);
    auto c = loggedIn("demo");
    QVERIFY(c);
    const QString answer = upload(*c, archive);
    QVERIFY2(answer.contains("已发布"), qPrintable(answer));
    QCOMPARE(readAll(m_server->siteFolder("demo") + where + "Banner.BMP"), banner);
}

void TestHostingServer::silentConnectionsAreClosed_data() {
    QTest::addColumn<QString>("state");
    QTest::newRow("before the login") << "connected";
    QTest::newRow("after the login") << "logged in";
    QTest::newRow("upload whose bytes stop") << "uploading";
}

void TestHostingServer::silentConnectionsAreClosed() {
    QFETCH(QString, state);
    // Only the time-out of the state under test is short.
    startServer([&](hosting::Options& o) {
        o.idleBeforeLoginMs = state == "connected" ? 300 : 60000;
        o.idleAfterLoginMs = state == "logged in" ? 300 : 60000;
        o.uploadStallMs = state == "uploading" ? 300 : 60000;
    });
    std::unique_ptr<Client> c;
    if (state == "connected") {
        c = std::make_unique<Client>(m_server->port());
    } else {
        c = loggedIn("demo");
        QVERIFY(c);
    }
    Client busy(m_server->port());
    if (state == "uploading") {
        const QByteArray archive = makeZip({{"dalmbuilder.tdc", noise(100000)}});
        c->send("<#sendFileInfo#>" + QString::number(archive.size()));
        QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
        c->sendRaw(archive.left(archive.size() / 2));
        QTRY_COMPARE(entries(m_dir->filePath("incoming")).size(), 1);
    }
    // Another connection that keeps talking stays.
    for (int i = 0; i < 10 && c->connected(); ++i) {
        busy.send("<#getversion#>3.05");
        QTest::qWait(100);
    }
    QTRY_VERIFY(!c->connected());
    QVERIFY(busy.connected());
    if (state == "uploading") {
        QVERIFY(c->received.contains("<#systemmsg#>上传中断"));
        QCOMPARE(entries(m_dir->filePath("incoming")), QStringList());
    }
}

void TestHostingServer::connectionCaps() {
    startServer([](hosting::Options& o) {
        o.maxConnections = 4;
        o.maxPerAddress = 2;
    });
    Client a1(m_server->port(), "127.0.0.2"), a2(m_server->port(), "127.0.0.2");
    QTRY_COMPARE(m_server->connectionCount(), 2);
    Client a3(m_server->port(), "127.0.0.2");
    QTRY_VERIFY(!a3.connected());
    QVERIFY(a3.received.contains("<#systemmsg#>"));
    Client b1(m_server->port(), "127.0.0.3"), c1(m_server->port(), "127.0.0.4");
    QTRY_COMPARE(m_server->connectionCount(), 4);
    Client d1(m_server->port(), "127.0.0.5");
    QTRY_VERIFY(!d1.connected());
    // The connections within the caps work, and a place that frees up can be taken again.
    for (Client* c : {&a1, &a2, &b1, &c1}) {
        QVERIFY(c->connected());
        c->send("<#login#>20061001||417305");
        QTRY_COMPARE(c->received, kAccepted);
    }
    a1.socket.disconnectFromHost();
    QTRY_COMPARE(m_server->connectionCount(), 3);
    Client a4(m_server->port(), "127.0.0.2");
    a4.send("<#login#>20061001||417305");
    QTRY_COMPARE(a4.received, kAccepted);
}

void TestHostingServer::passwordGuessingIsThrottled_data() {
    QTest::addColumn<bool>("oneAccount");
    QTest::newRow("one account from many addresses") << true;
    QTest::newRow("many accounts from one address") << false;
}

void TestHostingServer::passwordGuessingIsThrottled() {
    QFETCH(bool, oneAccount);
    startServer([](hosting::Options& o) {
        o.throttle.freeFailures = 10;
        o.throttle.lockAfter = 4;
    });
    QVERIFY(m_server->accounts().setPassword("30000001", "other"));
    QSignalSpy log(m_server.get(), &hosting::HostingServer::logLine);
    for (int i = 0; i < 4; ++i) {
        Client guess(m_server->port(), QStringLiteral("127.0.0.%1").arg(oneAccount ? 10 + i : 10));
        const QString account = oneAccount ? QStringLiteral("20061001") : QStringLiteral("4000000%1").arg(i);
        guess.send(QStringLiteral("<#login#>%1||guess%2").arg(account).arg(i));
        QTRY_VERIFY(guess.received.startsWith("<#logout#>"));
        // The failure that locks says so.
        QCOMPARE(guess.received.contains("锁定"), i == 3);
    }
    // Locked: even the right password is refused, and the reply and the log say why.
    Client locked(m_server->port(), oneAccount ? "127.0.0.20" : "127.0.0.10");
    locked.send("<#login#>20061001||417305");
    QTRY_VERIFY(locked.received.startsWith("<#logout#>"));
    QVERIFY2(locked.received.contains("锁定"), qPrintable(locked.received));
    bool logged = false;
    for (const QList<QVariant>& line : log)
        logged = logged || line.value(0).toString().contains("locked");
    QVERIFY(logged);
    // What is not locked goes on: another account, or the account from elsewhere.
    Client other(m_server->port(), oneAccount ? "127.0.0.20" : "127.0.0.21");
    other.send(oneAccount ? "<#login#>30000001||other" : "<#login#>20061001||417305");
    QTRY_COMPARE(other.received, kAccepted);
}

void TestHostingServer::failedLoginsWaitLongerAndLonger() {
    startServer([](hosting::Options& o) {
        o.throttle.freeFailures = 1;
        o.throttle.firstDelayMs = 150;
        o.throttle.lockAfter = 0;
    });
    Client c(m_server->port());
    QList<qint64> took;
    for (int i = 0; i < 4; ++i) {
        QElapsedTimer t;
        t.start();
        c.send("<#login#>20061001||wrong<#getversion#>3.05");
        QVERIFY(awaitExactly(c, "<#logout#>"));
        took << t.elapsed();
        c.take();
    }
    QVERIFY2(took[1] > took[0] && took[2] > took[1] && took[3] > took[2],
             qPrintable(QString::number(took[0]) + ' ' + QString::number(took[1]) + ' ' +
                        QString::number(took[2]) + ' ' + QString::number(took[3])));
    // A right password after the failures is let in, and the delays start again.
    c.send("<#login#>20061001||417305");
    QTRY_COMPARE_WITH_TIMEOUT(c.received, kAccepted, 10000);
}

void TestHostingServer::unknownAccountTakesAsLongAsWrongPassword() {
    startServer([](hosting::Options& o) {
        o.throttle.freeFailures = 1000;
        o.throttle.lockAfter = 0;
    });
    Client c(m_server->port());
    QList<double> wrong, unknown;
    for (int i = 0; i < 16; ++i) {
        const bool known = i % 2 == 0;
        QElapsedTimer t;
        t.start();
        // The next tag ends the login at once, so only the check itself is timed.
        c.send(known ? "<#login#>20061001||wrong<#getversion#>3.05"
                     : "<#login#>99999999||wrong<#getversion#>3.05");
        QVERIFY(awaitExactly(c, "<#logout#>"));
        (known ? wrong : unknown) << double(t.nsecsElapsed());
        c.take();
    }
    const double a = median(wrong), b = median(unknown);
    QVERIFY2(b > a / 2 && a > b / 2, qPrintable(QString("%1 %2").arg(a).arg(b)));
}

void TestHostingServer::otherClientsAreAnsweredDuringLongWork() {
    // While one connection's passwords are checked and another's upload is unpacked, a third
    // gets its notice: none of that work holds up the loop.
    startServer([](hosting::Options& o) {
        o.throttle.freeFailures = 1000;
        o.hashThreads = 1;
        o.publishThreads = 1;
    });
    m_server->setNotice("公告");
    auto uploader = loggedIn("demo");
    QVERIFY(uploader);
    QList<QPair<QString, QByteArray>> files{{"dalmbuilder.tdc", siteDatabase("大站")}};
    for (int i = 0; i < 40; ++i)
        files.append({QStringLiteral("p%1.jpg").arg(i), noise(256 << 10)});
    const QByteArray archive = makeZip(files);
    uploader->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(uploader->received, QStringLiteral("<#sendFileInfo#>"));
    uploader->take();
    Client guesser(m_server->port());
    QByteArray guesses;
    for (int i = 0; i < 30; ++i)
        guesses += "<#login#>20061001||wrong" + QByteArray::number(i);
    Client asker(m_server->port());
    uploader->sendRaw(archive);
    guesser.sendRaw(guesses);
    asker.send("<#getversion#>3.05");
    QTRY_COMPARE(asker.received, QStringLiteral("<#getversion#>公告"));
    // The notice came back while the guesses were still being checked, one after the other.
    QVERIFY2(guesser.received.count("<#logout#>") < 30,
             qPrintable(QString::number(guesser.received.count("<#logout#>"))));
    QTRY_COMPARE_WITH_TIMEOUT(guesser.received.count("<#logout#>"), 30, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(uploader->received.contains("已发布"), 20000);
}

void TestHostingServer::siteMovesWithItsShortName() {
    auto c = loggedIn("demo");
    QVERIFY(c);
    QVERIFY(upload(*c, makeZip({{"dalmbuilder.tdc", siteDatabase("搬家的站点")}})).contains("已发布"));
    // Something left under the new name by an earlier holder goes.
    QVERIFY(QDir().mkpath(m_dir->filePath("www/fresh")));
    QFile stale(m_dir->filePath("www/fresh/stale.html"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    c->send("<#siteName#>Fresh");
    QTRY_COMPARE(c->received, QStringLiteral("<#siteName#>"));
    QVERIFY(QString::fromUtf8(readAll(published("fresh") + "index.html")).contains("搬家的站点"));
    QVERIFY(!QFileInfo::exists(published("fresh") + "stale.html"));
    QVERIFY(QFileInfo::exists(m_server->siteFolder("fresh") + "dalmbuilder.tdc"));
    QVERIFY(!QFileInfo::exists(published("demo")));
    QVERIFY(!QFileInfo::exists(m_server->siteFolder("demo")));
    QCOMPARE(hosting::publishedDir(m_dir->path(), "FRESH"), published("fresh"));
    QCOMPARE(hosting::publishedDir(m_dir->path(), "../x"), QString());
    // Another account takes the old name: nothing of the first account's shows there.
    QVERIFY(m_server->accounts().setPassword("30000001", "pw"));
    Client other(m_server->port());
    other.send("<#login#>30000001||pw<#siteName#>demo");
    QTRY_COMPARE(other.received, kAccepted + QStringLiteral("<#siteName#>"));
    QVERIFY(!QFileInfo::exists(published("demo")));
    // The next upload lands under the new name.
    QVERIFY(upload(*c, makeZip({{"dalmbuilder.tdc", siteDatabase("新名字")}})).contains("已发布"));
    QVERIFY(QString::fromUtf8(readAll(published("fresh") + "index.html")).contains("新名字"));
    QCOMPARE(entries(m_dir->filePath("www")), QStringList{"fresh"});
}

void TestHostingServer::connectionOrServerGoneDuringPublishing() {
    QSignalSpy done(m_server.get(), &hosting::HostingServer::published);
    const QByteArray archive =
        makeZip({{"dalmbuilder.tdc", siteDatabase("没人等的站点")}, {"big.jpg", noise(4 << 20)}});
    {
        auto c = loggedIn("demo");
        QVERIFY(c);
        c->send("<#sendFileInfo#>" + QString::number(archive.size()));
        QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
        c->sendRaw(archive);
        QTRY_COMPARE(c->socket.bytesToWrite(), 0);
        c->socket.disconnectFromHost();
    }
    // The whole archive arrived: the site is published though nobody waits for the answer.
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 20000);
    QCOMPARE(done.front().value(1).toBool(), true);
    QVERIFY(QString::fromUtf8(readAll(published("demo") + "index.html")).contains("没人等的站点"));
    // The server stops in the middle of the next one, and starts again clean.
    auto c = loggedIn();
    QVERIFY(c);
    c->send("<#sendFileInfo#>" + QString::number(archive.size()));
    QTRY_COMPARE(c->received, QStringLiteral("<#sendFileInfo#>"));
    c->sendRaw(archive);
    QTRY_COMPARE(c->socket.bytesToWrite(), 0);
    QTest::qWait(30);
    startServer();
    QCOMPARE(entries(m_dir->filePath("work")), QStringList());
    QCOMPARE(entries(m_dir->filePath("incoming")), QStringList());
    QVERIFY(QString::fromUtf8(readAll(published("demo") + "index.html")).contains("没人等的站点"));
}

QTEST_GUILESS_MAIN(TestHostingServer)
#include "tst_hostingServer.moc"
