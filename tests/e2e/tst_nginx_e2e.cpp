// The published folder served by nginx from the configuration the hosting server writes,
// and by the built-in server, side by side: the same requests get the same answers.
// nginx runs as this test's own process on a free loopback port.

#include "hosting/httpServe.h"
#include "hosting/siteLayout.h"
#include "hosting/webFiles.h"

#include "httpFetch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using testhttp::fetch;
using testhttp::Reply;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

const QByteArray kStyle = "body{color:#333}" + QByteArray(4000, ' ') + "p{margin:0}";

} // namespace

class TestNginxE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void sameAnswers_data();
    void sameAnswers();
    void revalidatedWithA304_data();
    void revalidatedWithA304();

private:
    QTemporaryDir m_dir;
    QProcess m_nginx;
    quint16 m_nginxPort = 0;
    std::unique_ptr<hosting::HttpServe> m_builtIn;
};

void TestNginxE2e::initTestCase() {
    const QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"), {"/usr/sbin", "/usr/local/sbin"});
    QVERIFY2(!nginx.isEmpty(), "nginx is not installed: run scripts/bootstrap.sh");
    const QString data = m_dir.path() + u'/';
    const QString www = data + QStringLiteral("www/");
    write(www + "alpha/index.html", "<!DOCTYPE html><title>甲</title>alpha home");
    write(www + "alpha/news.html", "<p>alpha news</p>");
    write(www + "alpha/skin/site.css", kStyle);
    write(www + "alpha/pics/logo-0123456789abcdef.png", "\x89PNG hashed");
    write(www + "alpha/dalmbuilder.tdc", "SQLite format 3");
    write(www + "beta/index.html", "<!DOCTYPE html><title>乙</title>beta home");
    for (const char* site : {"alpha", "beta"}) {
        QVERIFY(hosting::writeNotFoundPage(www + site));
        QVERIFY(hosting::writeCompressedCopies(www + site));
    }

    m_nginxPort = freePort();
    hosting::NginxOptions o;
    o.sitesDir = www;
    o.port = m_nginxPort;
    o.listen = QStringLiteral("127.0.0.1");
    write(data + "nginx-sites.conf", hosting::nginxConfig(o).toUtf8());
    // The frame around it, as a host's own nginx.conf would be, for one process of this user.
    QDir().mkpath(data + "tmp");
    write(data + "nginx.conf", QStringLiteral("daemon off;\nmaster_process off;\nworker_processes 1;\n"
                                              "pid %1nginx.pid;\nerror_log %1error.log;\n"
                                              "events { worker_connections 256; }\n"
                                              "http {\n  access_log off;\n"
                                              "  client_body_temp_path %1tmp/body;\n  proxy_temp_path %1tmp/proxy;\n"
                                              "  fastcgi_temp_path %1tmp/fcgi;\n  uwsgi_temp_path %1tmp/uwsgi;\n"
                                              "  scgi_temp_path %1tmp/scgi;\n  include %1nginx-sites.conf;\n}\n")
                                   .arg(data)
                                   .toUtf8());
    m_nginx.setProcessChannelMode(QProcess::MergedChannels);
    m_nginx.start(nginx, {"-p", data, "-c", data + "nginx.conf"});
    QVERIFY2(m_nginx.waitForStarted(10000), qPrintable(m_nginx.errorString()));
    bool up = false;
    for (int i = 0; i < 100 && !up && m_nginx.state() == QProcess::Running; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_nginxPort);
        up = probe.waitForConnected(100);
        if (!up)
            QTest::qWait(50); // nginx is still reading its configuration
    }
    QFile log(data + "error.log");
    log.open(QIODevice::ReadOnly);
    QVERIFY2(up, qPrintable(QString::fromUtf8(m_nginx.readAll() + log.readAll())));

    m_builtIn = std::make_unique<hosting::HttpServe>(
        [data](const QString& name) { return hosting::publishedDir(data, name); });
    QVERIFY(m_builtIn->start(QHostAddress::LocalHost, 0));
}

void TestNginxE2e::cleanupTestCase() {
    if (m_nginx.state() != QProcess::NotRunning) {
        m_nginx.terminate();
        if (!m_nginx.waitForFinished(5000))
            m_nginx.kill();
    }
}

void TestNginxE2e::sameAnswers_data() {
    QTest::addColumn<bool>("byNginx");
    QTest::addColumn<QByteArray>("host"); // "@" stands for the port
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("header"); // name=value that must be in the answer
    QTest::addColumn<QByteArray>("body");   // a part of the body
    for (const bool byNginx : {false, true}) {
        const auto row = [&](const char* name) -> QTestData& {
            return QTest::newRow(qPrintable(QString::fromLatin1(name) + (byNginx ? " (nginx)" : " (built-in)")))
                   << byNginx;
        };
        row("first site by its name") << QByteArray("alpha.localhost:@") << QByteArray("/") << QByteArray() << 200
                                      << QByteArray("x-content-type-options=nosniff") << QByteArray("alpha home");
        row("second site by its name") << QByteArray("beta.localhost:@") << QByteArray("/") << QByteArray() << 200
                                       << QByteArray("cache-control=no-cache") << QByteArray("beta home");
        row("one site's page is not under another's name")
            << QByteArray("beta.localhost:@") << QByteArray("/news.html") << QByteArray() << 404 << QByteArray()
            << QByteArray("找不到网页");
        row("framing by the site only") << QByteArray("alpha.localhost:@") << QByteArray("/news.html") << QByteArray()
                                        << 200 << QByteArray("content-security-policy=frame-ancestors 'self'")
                                        << QByteArray("alpha news");
        row("compressed for a browser that takes it")
            << QByteArray("alpha.localhost:@") << QByteArray("/skin/site.css") << QByteArray("Accept-Encoding: gzip\r\n")
            << 200 << QByteArray("content-encoding=gzip") << QByteArray();
        row("as it is for one that does not") << QByteArray("alpha.localhost:@") << QByteArray("/skin/site.css")
                                              << QByteArray() << 200 << QByteArray("content-type=text/css")
                                              << QByteArray("p{margin:0}");
        row("hashed picture kept a year") << QByteArray("alpha.localhost:@")
                                          << QByteArray("/pics/logo-0123456789abcdef.png") << QByteArray() << 200
                                          << QByteArray("cache-control=public, max-age=31536000, immutable")
                                          << QByteArray("hashed");
        row("old form redirected") << QByteArray("localhost:@") << QByteArray("/alpha/news.html") << QByteArray() << 301
                                   << QByteArray("location=http://alpha.localhost:@/news.html") << QByteArray();
        row("old form of a home redirected") << QByteArray("127.0.0.1:@") << QByteArray("/beta/") << QByteArray() << 301
                                             << QByteArray("location=http://beta.localhost:@/") << QByteArray();
        row("index page is the folder's address") << QByteArray("alpha.localhost:@") << QByteArray("/index.html")
                                                  << QByteArray() << 301 << QByteArray("location=/") << QByteArray();
        row("unknown site") << QByteArray("gamma.localhost:@") << QByteArray("/") << QByteArray() << 404 << QByteArray()
                            << QByteArray();
        row("unknown page, the site's own answer") << QByteArray("alpha.localhost:@") << QByteArray("/none.html")
                                                   << QByteArray() << 404 << QByteArray() << QByteArray("返回首页");
        row("site database") << QByteArray("alpha.localhost:@") << QByteArray("/dalmbuilder.tdc") << QByteArray() << 404
                             << QByteArray() << QByteArray();
        row("doubled slash") << QByteArray("alpha.localhost:@") << QByteArray("//news.html") << QByteArray() << 404
                             << QByteArray() << QByteArray();
        row("no host") << QByteArray() << QByteArray("/") << QByteArray() << 400 << QByteArray() << QByteArray();
    }
}

void TestNginxE2e::sameAnswers() {
    QFETCH(bool, byNginx);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, extra);
    QFETCH(int, status);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, body);
    const quint16 port = byNginx ? m_nginxPort : m_builtIn->port();
    const QByteArray p = QByteArray::number(port);
    const Reply r = fetch(port, host.replace('@', p), path, extra);
    QCOMPARE(r.status, status);
    if (!header.isEmpty()) {
        const qsizetype eq = header.indexOf('=');
        const QByteArray value = r.headers.value(header.left(eq));
        QVERIFY2(value.startsWith(header.mid(eq + 1).replace('@', p)), value.constData());
    }
    QVERIFY2(QString::fromUtf8(r.body).contains(QString::fromUtf8(body)), r.body.left(300).constData());
}

void TestNginxE2e::revalidatedWithA304_data() {
    QTest::addColumn<bool>("byNginx");
    QTest::newRow("built-in") << false;
    QTest::newRow("nginx") << true;
}

void TestNginxE2e::revalidatedWithA304() {
    QFETCH(bool, byNginx);
    const quint16 port = byNginx ? m_nginxPort : m_builtIn->port();
    const QByteArray host = "alpha.localhost:" + QByteArray::number(port);
    const Reply first = fetch(port, host, "/news.html");
    QCOMPARE(first.status, 200);
    const QByteArray etag = first.headers.value("etag");
    QVERIFY(!etag.isEmpty());
    const Reply again = fetch(port, host, "/news.html", "If-None-Match: " + etag + "\r\n");
    QCOMPARE(again.status, 304);
    const Reply since = fetch(port, host, "/news.html", "If-Modified-Since: " + first.headers.value("last-modified") + "\r\n");
    QCOMPARE(since.status, 304);
}

QTEST_GUILESS_MAIN(TestNginxE2e)
#include "tst_nginx_e2e.moc"
