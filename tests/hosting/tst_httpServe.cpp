// The published sites over real HTTP on a loopback port: what a visitor may fetch, and
// every way of reaching past a site's folder.

#include "hosting/httpServe.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Reply {
    int status = 0;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
};

// One request on a socket of its own, the path sent exactly as given. The server runs on
// this thread, so the answer is awaited on the event loop.
Reply fetch(quint16 port, const QByteArray& path, const QByteArray& method = "GET") {
    QTcpSocket s;
    Reply r;
    QByteArray data;
    qsizetype end = -1;
    qint64 length = -1;
    const auto complete = [&] {
        data += s.readAll();
        if (end < 0 && (end = data.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> lines = data.left(end).split('\n');
            r.status = lines.first().split(' ').value(1).toInt();
            for (const QByteArray& l : lines.mid(1)) {
                const qsizetype colon = l.indexOf(':');
                r.headers.insert(l.left(colon).trimmed().toLower(), l.mid(colon + 1).trimmed());
            }
            length = method == "HEAD" ? 0 : r.headers.value("content-length", "-1").toLongLong();
        }
        return end >= 0 && length >= 0 && data.size() - end - 4 >= length;
    };
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return s.state() == QAbstractSocket::ConnectedState; }, 5000))
        return r;
    s.write(method + ' ' + path + " HTTP/1.1\r\nHost: localhost\r\n\r\n");
    QEventLoop loop;
    bool done = false;
    QObject::connect(&s, &QTcpSocket::readyRead, &loop, [&] {
        if ((done = complete()))
            loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!done)
        r.status = -1;
    r.body = end < 0 ? QByteArray() : data.mid(end + 4, length);
    return r;
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestHttpServe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void requests_data();
    void requests();
    void headAndOtherMethods();
    void largeFileArrivesWhole();
    void connectionsAreLimited();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<hosting::HttpServe> m_http;
};

void TestHttpServe::initTestCase() {
    const QString sites = m_dir.path() + "/sites/";
    write(sites + "demo/index.html", "<!DOCTYPE html><title>首页</title>");
    write(sites + "demo/n1.html", "<p>新闻</p>");
    write(sites + "demo/pics/photo one.jpg", "\xFF\xD8\xFF\xE0 jpeg");
    write(sites + "demo/pics/logo.png", "\x89PNG");
    write(sites + "demo/skin/dqy01/skin.css", "body{}");
    write(sites + "demo/skin/effects/03.js", "var a;");
    write(sites + "demo/extra.htm", QByteArray("<p>") + "\xB9\xD8\xD3\xDA" + "</p>"); // GBK
    write(sites + "demo/movie.swf", "FWS");
    write(sites + "demo/notes.dat", "x");
    write(sites + "demo/about/index.htm", "<p>about</p>");
    write(sites + "demo/empty/.keep", "");
    write(sites + "demo/dalmbuilder.tdc", "SQLite format 3");
    write(sites + "demo/.hidden", "hidden");
    write(sites + "demo2/index.html", "other site");
    write(m_dir.path() + "/secret.txt", "SECRET");
    QVERIFY(QFile::link(m_dir.path() + "/secret.txt", sites + "demo/escape.txt"));
    QVERIFY(QFile::link(sites + "demo2", sites + "demo/sibling"));
    QVERIFY(QFile::link(sites + "demo/pics", sites + "demo/gallery"));
    QVERIFY(QFile::link(m_dir.path() + "/sites", sites + "up"));

    const QString root = sites;
    m_http = std::make_unique<hosting::HttpServe>([root](const QString& name) {
        const QString folder = root + name.toLower();
        return QFileInfo(folder).isDir() ? folder + u'/' : QString();
    });
    QString why;
    QVERIFY2(m_http->start(QHostAddress::LocalHost, 0, &why), qPrintable(why));
    QVERIFY(m_http->port() != 0);
}

void TestHttpServe::requests_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");     // Content-Type, or Location of a redirect
    QTest::addColumn<QByteArray>("body");     // the whole body of a 200

    QTest::newRow("home") << QByteArray("/demo/") << 200 << QByteArray("text/html; charset=utf-8")
                          << QByteArray("<!DOCTYPE html><title>首页</title>");
    QTest::newRow("short name without slash") << QByteArray("/demo") << 301 << QByteArray("/demo/") << QByteArray();
    QTest::newRow("short name in capitals") << QByteArray("/DEMO/index.html") << 200
                                            << QByteArray("text/html; charset=utf-8")
                                            << QByteArray("<!DOCTYPE html><title>首页</title>");
    QTest::newRow("page") << QByteArray("/demo/n1.html") << 200 << QByteArray("text/html; charset=utf-8")
                          << QByteArray("<p>新闻</p>");
    QTest::newRow("picture, encoded blank") << QByteArray("/demo/pics/photo%20one.jpg") << 200
                                            << QByteArray("image/jpeg") << QByteArray("\xFF\xD8\xFF\xE0 jpeg");
    QTest::newRow("png") << QByteArray("/demo/pics/logo.png") << 200 << QByteArray("image/png") << QByteArray("\x89PNG");
    QTest::newRow("style sheet") << QByteArray("/demo/skin/dqy01/skin.css") << 200
                                 << QByteArray("text/css; charset=utf-8") << QByteArray("body{}");
    QTest::newRow("script") << QByteArray("/demo/skin/effects/03.js") << 200
                            << QByteArray("text/javascript; charset=utf-8") << QByteArray("var a;");
    QTest::newRow("page in GBK names no charset") << QByteArray("/demo/extra.htm") << 200 << QByteArray("text/html")
                                                  << QByteArray("<p>\xB9\xD8\xD3\xDA</p>");
    QTest::newRow("flash") << QByteArray("/demo/movie.swf") << 200 << QByteArray("application/x-shockwave-flash")
                           << QByteArray("FWS");
    QTest::newRow("unknown kind") << QByteArray("/demo/notes.dat") << 200 << QByteArray() << QByteArray("x");
    QTest::newRow("folder index.htm") << QByteArray("/demo/about/") << 200 << QByteArray("text/html; charset=utf-8")
                                      << QByteArray("<p>about</p>");
    QTest::newRow("folder without slash") << QByteArray("/demo/about") << 301 << QByteArray("/demo/about/")
                                          << QByteArray();
    QTest::newRow("folder without index") << QByteArray("/demo/empty/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("link inside the site") << QByteArray("/demo/gallery/logo.png") << 200 << QByteArray("image/png")
                                          << QByteArray("\x89PNG");
    QTest::newRow("doubled slashes") << QByteArray("/demo//pics//logo.png") << 200 << QByteArray("image/png")
                                     << QByteArray("\x89PNG");
    QTest::newRow("unknown site") << QByteArray("/nosuch/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("unknown file") << QByteArray("/demo/none.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("server root") << QByteArray("/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("not a short name") << QByteArray("/de-mo/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("short name dots") << QByteArray("/%2e%2e/secret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("dot dot") << QByteArray("/demo/../secret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("dot dot twice") << QByteArray("/demo/../../secret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("encoded dots") << QByteArray("/demo/%2e%2e/%2E%2E/secret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("half encoded dots") << QByteArray("/demo/.%2e/demo2/index.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("encoded slash") << QByteArray("/demo/..%2F..%2Fsecret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("backslash") << QByteArray("/demo/..%5C..%5Csecret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("nul byte") << QByteArray("/demo/index.html%00.png") << 404 << QByteArray() << QByteArray();
    QTest::newRow("link out of the data") << QByteArray("/demo/escape.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("link to another site") << QByteArray("/demo/sibling/index.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("link to the sites") << QByteArray("/demo/up/demo2/index.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("site database") << QByteArray("/demo/DalmBuilder.tdc") << 404 << QByteArray() << QByteArray();
    QTest::newRow("hidden file") << QByteArray("/demo/.hidden") << 404 << QByteArray() << QByteArray();
}

void TestHttpServe::requests() {
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    const Reply r = fetch(m_http->port(), path);
    QCOMPARE(r.status, status);
    if (status == 301) {
        QCOMPARE(r.headers.value("location"), type);
        return;
    }
    QVERIFY(!r.body.contains("SECRET") && !r.body.contains("other site") && !r.body.contains("SQLite"));
    if (status != 200)
        return;
    if (!type.isEmpty())
        QCOMPARE(r.headers.value("content-type"), type);
    QCOMPARE(r.body, body);
}

void TestHttpServe::headAndOtherMethods() {
    const Reply head = fetch(m_http->port(), "/demo/n1.html", "HEAD");
    QCOMPARE(head.status, 200);
    QCOMPARE(head.headers.value("content-length"), QByteArray::number(QByteArray("<p>新闻</p>").size()));
    QCOMPARE(head.headers.value("content-type"), QByteArray("text/html; charset=utf-8"));
    QVERIFY(head.body.isEmpty());
    const Reply post = fetch(m_http->port(), "/demo/n1.html", "POST");
    QCOMPARE(post.status, 405);
    QCOMPARE(post.headers.value("allow"), QByteArray("GET, HEAD"));
}

void TestHttpServe::largeFileArrivesWhole() {
    QByteArray big(5 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 2654435761u) >> 24);
    write(m_dir.path() + "/sites/demo/pics/big.jpg", big);
    const Reply r = fetch(m_http->port(), "/demo/pics/big.jpg");
    QCOMPARE(r.status, 200);
    QVERIFY(r.body == big);
}

void TestHttpServe::connectionsAreLimited() {
    const QString root = m_dir.path() + "/sites/";
    hosting::HttpServe http([root](const QString& name) -> QString { return root + name + u'/'; }, {2, 300});
    QVERIFY(http.start(QHostAddress::LocalHost, 0));
    // Two visitors hold the port: one silent, one that asked for a large file and reads
    // none of it.
    QTcpSocket silent, stalled, third;
    silent.connectToHost(QHostAddress::LocalHost, http.port());
    stalled.connectToHost(QHostAddress::LocalHost, http.port());
    QTRY_VERIFY(silent.state() == QAbstractSocket::ConnectedState &&
                stalled.state() == QAbstractSocket::ConnectedState);
    stalled.setReadBufferSize(1024);
    stalled.write("GET /demo/pics/big.jpg HTTP/1.1\r\nHost: localhost\r\n\r\n");
    QTest::qWait(100);
    // A third is closed at once, before any answer.
    third.connectToHost(QHostAddress::LocalHost, http.port());
    QTRY_COMPARE(third.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(third.readAll().isEmpty());
    // Silence closes both, the stalled one in the middle of its file; then the port
    // answers again.
    QTRY_COMPARE(silent.state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(1000);
    stalled.setReadBufferSize(0);
    QByteArray got;
    QTRY_VERIFY((got += stalled.readAll(), stalled.state() == QAbstractSocket::UnconnectedState));
    QVERIFY(got.startsWith("HTTP/1.1 200"));
    QVERIFY(got.size() < 5 * 1024 * 1024);
    QCOMPARE(fetch(http.port(), "/demo/n1.html").status, 200);
}

QTEST_GUILESS_MAIN(TestHttpServe)
#include "tst_httpServe.moc"
