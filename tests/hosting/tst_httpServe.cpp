// The published sites over real HTTP on a loopback port: each site on its own host name,
// what a visitor may fetch, every way of reaching past a site's folder, caching,
// compression, ranges, and the limits that keep one visitor from holding the port.

#include "hosting/httpServe.h"
#include "hosting/webFiles.h"

#include "httpFetch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

using testhttp::fetch;
using testhttp::Reply;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray gunzip(const QByteArray& data) {
    z_stream z{};
    inflateInit2(&z, 15 + 16);
    QByteArray out(1 << 20, Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    inflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray("(not gzip)");
}

const QByteArray kHome = "<!DOCTYPE html><title>首页</title>";

} // namespace

class TestHttpServe : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void requests_data();
    void requests();
    void sitesAreSeparateOrigins();
    void headAndOtherMethods();
    void largeFileArrivesWhole();
    void revalidation_data();
    void revalidation();
    void compression_data();
    void compression();
    void ranges_data();
    void ranges();
    void connectionEnds_data();
    void connectionEnds();
    void headLimits();
    void connectionsAreLimited();
    void oneAddressCannotHoldThePort();

private:
    quint16 port() const { return m_http->port(); }
    QByteArray host(const char* site) const { return QByteArray(site) + ".localhost:" + QByteArray::number(port()); }
    QTemporaryDir m_dir;
    QString m_sites;
    std::unique_ptr<hosting::HttpServe> m_http;
};

void TestHttpServe::initTestCase() {
    const QString sites = m_sites = m_dir.path() + "/sites/";
    write(sites + "demo/index.html", kHome);
    write(sites + "demo/n1.html", "<p>新闻</p>");
    write(sites + "demo/pics/photo one.jpg", "\xFF\xD8\xFF\xE0 jpeg");
    write(sites + "demo/pics/logo.png", "\x89PNG");
    write(sites + "demo/pics/logo-0123456789abcdef.png", "\x89PNG hashed");
    write(sites + "demo/skin/dqy01/skin.css", "body{}" + QByteArray(2000, ' ') + "p{}");
    write(sites + "demo/skin/effects/03.js", "var a;");
    write(sites + "demo/extra.htm", QByteArray("<p>") + "\xB9\xD8\xD3\xDA" + "</p>"); // GBK
    write(sites + "demo/movie.swf", "FWS");
    write(sites + "demo/drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><script>alert(1)</script></svg>");
    write(sites + "demo/pics/mark-0123456789abcdef.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><script>alert(1)</script></svg>");
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
    QString why;
    QVERIFY2(hosting::writeCompressedCopies(sites + "demo", &why), qPrintable(why));
    QVERIFY(hosting::writeNotFoundPage(sites + "demo"));

    const QString root = sites;
    m_http = std::make_unique<hosting::HttpServe>([root](const QString& name) {
        const QString folder = root + name.toLower();
        return QFileInfo(folder).isDir() ? folder + u'/' : QString();
    });
    QVERIFY2(m_http->start(QHostAddress::LocalHost, 0, &why), qPrintable(why));
    QVERIFY(m_http->port() != 0);
}

void TestHttpServe::requests_data() {
    QTest::addColumn<QByteArray>("site"); // "demo" for demo.localhost; a bare host as given
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type"); // Content-Type, or Location of a redirect ("@" the port)
    QTest::addColumn<QByteArray>("body"); // the whole body of a 200

    const QByteArray html = "text/html; charset=utf-8";
    QTest::newRow("home") << QByteArray("demo") << QByteArray("/") << 200 << html << kHome;
    QTest::newRow("host name in capitals") << QByteArray("DEMO") << QByteArray("/") << 200 << html << kHome;
    QTest::newRow("index page is the folder's address")
        << QByteArray("demo") << QByteArray("/index.html") << 301 << QByteArray("/") << QByteArray();
    QTest::newRow("page") << QByteArray("demo") << QByteArray("/n1.html") << 200 << html << QByteArray("<p>新闻</p>");
    QTest::newRow("picture, encoded blank") << QByteArray("demo") << QByteArray("/pics/photo%20one.jpg") << 200
                                            << QByteArray("image/jpeg") << QByteArray("\xFF\xD8\xFF\xE0 jpeg");
    QTest::newRow("png") << QByteArray("demo") << QByteArray("/pics/logo.png") << 200 << QByteArray("image/png")
                         << QByteArray("\x89PNG");
    QTest::newRow("script") << QByteArray("demo") << QByteArray("/skin/effects/03.js") << 200
                            << QByteArray("text/javascript; charset=utf-8") << QByteArray("var a;");
    QTest::newRow("page in GBK names no charset") << QByteArray("demo") << QByteArray("/extra.htm") << 200
                                                  << QByteArray("text/html") << QByteArray("<p>\xB9\xD8\xD3\xDA</p>");
    QTest::newRow("flash") << QByteArray("demo") << QByteArray("/movie.swf") << 200
                           << QByteArray("application/x-shockwave-flash") << QByteArray("FWS");
    QTest::newRow("unknown kind") << QByteArray("demo") << QByteArray("/notes.dat") << 200 << QByteArray()
                                  << QByteArray("x");
    QTest::newRow("folder index.htm") << QByteArray("demo") << QByteArray("/about/") << 200 << html
                                      << QByteArray("<p>about</p>");
    QTest::newRow("folder without slash") << QByteArray("demo") << QByteArray("/about") << 301
                                          << QByteArray("/about/") << QByteArray();
    QTest::newRow("folder without index") << QByteArray("demo") << QByteArray("/empty/") << 404 << QByteArray()
                                          << QByteArray();
    QTest::newRow("link inside the site") << QByteArray("demo") << QByteArray("/gallery/logo.png") << 200
                                          << QByteArray("image/png") << QByteArray("\x89PNG");
    // One address per page.
    QTest::newRow("doubled slashes") << QByteArray("demo") << QByteArray("//pics//logo.png") << 404 << QByteArray()
                                     << QByteArray();
    QTest::newRow("file with a trailing slash") << QByteArray("demo") << QByteArray("/n1.html/") << 404
                                                << QByteArray() << QByteArray();
    QTest::newRow("unknown file") << QByteArray("demo") << QByteArray("/none.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("dot dot") << QByteArray("demo") << QByteArray("/../secret.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("dot dot twice") << QByteArray("demo") << QByteArray("/../../secret.txt") << 404 << QByteArray()
                                   << QByteArray();
    QTest::newRow("encoded dots") << QByteArray("demo") << QByteArray("/%2e%2e/%2E%2E/secret.txt") << 404
                                  << QByteArray() << QByteArray();
    QTest::newRow("half encoded dots") << QByteArray("demo") << QByteArray("/.%2e/demo2/index.html") << 404
                                       << QByteArray() << QByteArray();
    QTest::newRow("encoded slash") << QByteArray("demo") << QByteArray("/..%2F..%2Fsecret.txt") << 404
                                   << QByteArray() << QByteArray();
    QTest::newRow("backslash") << QByteArray("demo") << QByteArray("/..%5C..%5Csecret.txt") << 404 << QByteArray()
                               << QByteArray();
    QTest::newRow("nul byte") << QByteArray("demo") << QByteArray("/index.html%00.png") << 404 << QByteArray()
                              << QByteArray();
    QTest::newRow("link out of the data") << QByteArray("demo") << QByteArray("/escape.txt") << 404 << QByteArray()
                                          << QByteArray();
    QTest::newRow("link to another site") << QByteArray("demo") << QByteArray("/sibling/index.html") << 404
                                          << QByteArray() << QByteArray();
    QTest::newRow("link to the sites") << QByteArray("demo") << QByteArray("/up/demo2/index.html") << 404
                                       << QByteArray() << QByteArray();
    QTest::newRow("site database") << QByteArray("demo") << QByteArray("/DalmBuilder.tdc") << 404 << QByteArray()
                                   << QByteArray();
    QTest::newRow("hidden file") << QByteArray("demo") << QByteArray("/.hidden") << 404 << QByteArray() << QByteArray();
    // Hosts.
    QTest::newRow("unknown site") << QByteArray("nosuch") << QByteArray("/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("not a short name") << QByteArray("de-mo") << QByteArray("/") << 404 << QByteArray() << QByteArray();
    QTest::newRow("a name below a site") << QByteArray("www.demo") << QByteArray("/") << 404 << QByteArray()
                                         << QByteArray();
    QTest::newRow("another domain") << QByteArray("=demo.example.com") << QByteArray("/demo/") << 404 << QByteArray()
                                    << QByteArray();
    QTest::newRow("no host") << QByteArray("=") << QByteArray("/demo/") << 400 << QByteArray() << QByteArray();
    // The old form on the bare domain moves to the site's own address.
    QTest::newRow("old form, home") << QByteArray("=localhost:@") << QByteArray("/demo/") << 301
                                    << QByteArray("http://demo.localhost:@/") << QByteArray();
    QTest::newRow("old form without slash") << QByteArray("=localhost:@") << QByteArray("/demo") << 301
                                            << QByteArray("http://demo.localhost:@/") << QByteArray();
    QTest::newRow("old form, a page, capitals") << QByteArray("=127.0.0.1:@") << QByteArray("/DEMO/pics/logo.png")
                                                << 301 << QByteArray("http://demo.localhost:@/pics/logo.png")
                                                << QByteArray();
    QTest::newRow("old form, port 80") << QByteArray("=localhost") << QByteArray("/demo/n1.html") << 301
                                       << QByteArray("http://demo.localhost/n1.html") << QByteArray();
    QTest::newRow("bare domain root") << QByteArray("=localhost:@") << QByteArray("/") << 404 << QByteArray()
                                      << QByteArray();
    QTest::newRow("old form, not a short name") << QByteArray("=localhost:@") << QByteArray("/%2e%2e/secret.txt")
                                                << 404 << QByteArray() << QByteArray();
}

void TestHttpServe::requests() {
    QFETCH(QByteArray, site);
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    const QByteArray p = QByteArray::number(port());
    const QByteArray h = site.startsWith('=') ? site.mid(1).replace('@', p) : host(site.constData());
    const Reply r = fetch(port(), h, path);
    QCOMPARE(r.status, status);
    QCOMPARE(r.headers.value("x-content-type-options"), QByteArray("nosniff"));
    if (status == 301) {
        QCOMPARE(r.headers.value("location"), QByteArray(type).replace('@', p));
        return;
    }
    QVERIFY(!r.body.contains("SECRET") && !r.body.contains("other site") && !r.body.contains("SQLite"));
    if (status != 200)
        return;
    if (!type.isEmpty())
        QCOMPARE(r.headers.value("content-type"), type);
    QCOMPARE(r.body, body);
}

void TestHttpServe::sitesAreSeparateOrigins() {
    // Each site answers only for its own name: another site's pages are not reachable
    // under it, so a page's script can never share its origin with another site's.
    QCOMPARE(fetch(port(), host("demo2"), "/").body, QByteArray("other site"));
    QCOMPARE(fetch(port(), host("demo2"), "/n1.html").status, 404);
    QCOMPARE(fetch(port(), host("demo"), "/demo2/").status, 404);
    QCOMPARE(fetch(port(), host("demo"), "/demo2/index.html").status, 404);
    // No other site may frame a page; a drawing's script never runs.
    const Reply page = fetch(port(), host("demo"), "/n1.html");
    QVERIFY(page.headers.value("content-security-policy").contains("frame-ancestors 'self'"));
    QVERIFY(!page.headers.value("referrer-policy").isEmpty());
    const Reply svg = fetch(port(), host("demo"), "/drawing.svg");
    QCOMPARE(svg.status, 200);
    QCOMPARE(svg.headers.value("content-type"), QByteArray("image/svg+xml"));
    const QByteArray policy = svg.headers.value("content-security-policy");
    QVERIFY2(policy.startsWith("sandbox") && !policy.contains("allow-scripts"), policy.constData());
    // A published drawing under its hashed name: kept a year, and its script still never runs.
    const Reply mark = fetch(port(), host("demo"), "/pics/mark-0123456789abcdef.svg");
    QCOMPARE(mark.headers.value("content-security-policy"), policy);
    QCOMPARE(mark.headers.value("cache-control"), QByteArray("public, max-age=31536000, immutable"));
    // A site's own page for what it does not have.
    const Reply missing = fetch(port(), host("demo"), "/none.html");
    QCOMPARE(missing.status, 404);
    QVERIFY(QString::fromUtf8(missing.body).contains(QStringLiteral("找不到网页")));
}

void TestHttpServe::headAndOtherMethods() {
    const Reply head = fetch(port(), host("demo"), "/n1.html", {}, "HEAD");
    QCOMPARE(head.status, 200);
    QCOMPARE(head.headers.value("content-length"), QByteArray::number(QByteArray("<p>新闻</p>").size()));
    QCOMPARE(head.headers.value("content-type"), QByteArray("text/html; charset=utf-8"));
    QVERIFY(head.body.isEmpty());
    const Reply post = fetch(port(), host("demo"), "/n1.html", "Content-Length: 3\r\n", "POST");
    QCOMPARE(post.status, 405);
    QCOMPARE(post.headers.value("allow"), QByteArray("GET, HEAD"));
}

void TestHttpServe::largeFileArrivesWhole() {
    QByteArray big(5 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 2654435761u) >> 24);
    write(m_sites + "demo/pics/big.jpg", big);
    const Reply r = fetch(port(), host("demo"), "/pics/big.jpg");
    QCOMPARE(r.status, 200);
    QVERIFY(r.body == big);
}

void TestHttpServe::revalidation_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("condition"); // "etag" or "date": the validator sent back as it came
    QTest::addColumn<QByteArray>("cache");
    QTest::newRow("page by its tag") << QByteArray("/n1.html") << QByteArray("etag") << QByteArray("no-cache");
    QTest::newRow("page by its date") << QByteArray("/n1.html") << QByteArray("date") << QByteArray("no-cache");
    QTest::newRow("picture") << QByteArray("/pics/logo.png") << QByteArray("etag") << QByteArray("no-cache");
    QTest::newRow("hashed picture") << QByteArray("/pics/logo-0123456789abcdef.png") << QByteArray("etag")
                                    << QByteArray("public, max-age=31536000, immutable");
}

void TestHttpServe::revalidation() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, condition);
    QFETCH(QByteArray, cache);
    const Reply first = fetch(port(), host("demo"), path);
    QCOMPARE(first.status, 200);
    QCOMPARE(first.headers.value("cache-control"), cache);
    QVERIFY(!first.headers.value("date").isEmpty());
    const QByteArray etag = first.headers.value("etag");
    const QByteArray modified = first.headers.value("last-modified");
    QVERIFY(etag.startsWith('"') && modified.endsWith("GMT"));
    const QByteArray ask = condition == "etag" ? QByteArray("If-None-Match: " + etag + "\r\n") : QByteArray("If-Modified-Since: " + modified + "\r\n");
    const Reply again = fetch(port(), host("demo"), path, ask);
    QCOMPARE(again.status, 304);
    QVERIFY(again.body.isEmpty());
    QCOMPARE(again.headers.value("etag"), etag);
    // Another tag, or an older date, gets the file.
    const QByteArray other = condition == "etag" ? QByteArray("If-None-Match: \"1-1\"\r\n")
                                                 : QByteArray("If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n");
    QCOMPARE(fetch(port(), host("demo"), path, other).status, 200);
}

void TestHttpServe::compression_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("accept");
    QTest::addColumn<bool>("gzip");
    QTest::newRow("style sheet, gzip taken") << QByteArray("/skin/dqy01/skin.css") << QByteArray("gzip, deflate, br") << true;
    QTest::newRow("style sheet, not asked") << QByteArray("/skin/dqy01/skin.css") << QByteArray() << false;
    QTest::newRow("style sheet, refused") << QByteArray("/skin/dqy01/skin.css") << QByteArray("gzip;q=0, identity") << false;
    QTest::newRow("tiny page stays as it is") << QByteArray("/skin/effects/03.js") << QByteArray("gzip") << false;
    QTest::newRow("picture is never compressed") << QByteArray("/pics/logo.png") << QByteArray("gzip") << false;
}

void TestHttpServe::compression() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, accept);
    QFETCH(bool, gzip);
    QFile plain(m_sites + "demo" + QString::fromLatin1(path));
    QVERIFY(plain.open(QIODevice::ReadOnly));
    const QByteArray original = plain.readAll();
    const Reply r = fetch(port(), host("demo"), path, accept.isEmpty() ? QByteArray() : "Accept-Encoding: " + accept + "\r\n");
    QCOMPARE(r.status, 200);
    QCOMPARE(r.headers.value("content-encoding") == "gzip", gzip);
    QCOMPARE(gzip ? gunzip(r.body) : r.body, original);
    if (gzip) {
        QVERIFY(r.body.size() < original.size());
        QCOMPARE(r.headers.value("vary"), QByteArray("Accept-Encoding"));
        QVERIFY(r.headers.value("content-type").startsWith("text/css"));
    }
}

void TestHttpServe::ranges_data() {
    QTest::addColumn<QByteArray>("range");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentRange");
    QTest::addColumn<QByteArray>("body"); // of "0123456789"
    QTest::newRow("first bytes") << QByteArray("bytes=0-3") << 206 << QByteArray("bytes 0-3/10") << QByteArray("0123");
    QTest::newRow("from the middle on") << QByteArray("bytes=7-") << 206 << QByteArray("bytes 7-9/10") << QByteArray("789");
    QTest::newRow("last bytes") << QByteArray("bytes=-2") << 206 << QByteArray("bytes 8-9/10") << QByteArray("89");
    QTest::newRow("end beyond the file") << QByteArray("bytes=5-100") << 206 << QByteArray("bytes 5-9/10")
                                         << QByteArray("56789");
    QTest::newRow("start beyond the file") << QByteArray("bytes=10-") << 416 << QByteArray("bytes */10") << QByteArray();
    QTest::newRow("several ranges: the whole file") << QByteArray("bytes=0-1,4-5") << 200 << QByteArray()
                                                    << QByteArray("0123456789");
    QTest::newRow("not a range: the whole file") << QByteArray("lines=1-2") << 200 << QByteArray()
                                                 << QByteArray("0123456789");
}

void TestHttpServe::ranges() {
    QFETCH(QByteArray, range);
    QFETCH(int, status);
    QFETCH(QByteArray, contentRange);
    QFETCH(QByteArray, body);
    write(m_sites + "demo/pics/clip.mp4", "0123456789");
    const Reply r = fetch(port(), host("demo"), "/pics/clip.mp4", "Range: " + range + "\r\n");
    QCOMPARE(r.status, status);
    QCOMPARE(r.headers.value("content-range"), contentRange);
    if (status != 416)
        QCOMPARE(r.body, body);
}

void TestHttpServe::connectionEnds_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("closed");
    QTest::newRow("keep-alive") << QByteArray("GET /n1.html HTTP/1.1\r\nHost: demo.localhost\r\n\r\n") << false;
    QTest::newRow("Connection: close") << QByteArray("GET /n1.html HTTP/1.1\r\nHost: demo.localhost\r\nConnection: close\r\n\r\n") << true;
    QTest::newRow("HTTP/1.0") << QByteArray("GET /n1.html HTTP/1.0\r\nHost: demo.localhost\r\n\r\n") << true;
    QTest::newRow("HTTP/1.0 without Host") << QByteArray("GET /demo/n1.html HTTP/1.0\r\n\r\n") << true;
}

void TestHttpServe::connectionEnds() {
    QFETCH(QByteArray, request);
    QFETCH(bool, closed);
    auto s = testhttp::connectTo(port());
    s->write(request);
    const Reply r = testhttp::readReply(*s);
    QCOMPARE(r.status, request.contains("Host") ? 200 : 400);
    if (closed) {
        QVERIFY(testhttp::closedByServer(*s));
        return;
    }
    // A kept connection answers the next request at once, and again.
    for (int i = 0; i < 2; ++i) {
        s->write(request);
        const Reply next = testhttp::readReply(*s);
        QCOMPARE(next.status, 200);
        QCOMPARE(next.body, QByteArray("<p>新闻</p>"));
    }
}

void TestHttpServe::headLimits() {
    hosting::HttpLimits limits;
    limits.headMs = 600;
    const QString root = m_sites;
    hosting::HttpServe http([root](const QString& name) -> QString { return root + name + u'/'; }, "localhost",
                            limits);
    QVERIFY(http.start(QHostAddress::LocalHost, 0));
    const auto filler = [](int bytes) -> QByteArray { return "X-Filler: " + QByteArray(bytes, 'a') + "\r\n"; };
    // Just under the limit is served; over it, or far over it, is refused.
    QCOMPARE(fetch(http.port(), "demo.localhost", "/n1.html", filler(15 * 1024)).status, 200);
    QCOMPARE(fetch(http.port(), "demo.localhost", "/n1.html", filler(17 * 1024)).status, 431);
    {
        auto s = testhttp::connectTo(http.port());
        s->write("GET /n1.html HTTP/1.1\r\nHost: demo.localhost\r\n");
        for (int i = 0; i < 64 && s->state() == QAbstractSocket::ConnectedState; ++i) {
            s->write(filler(64 * 1024));
            s->waitForBytesWritten(1000);
        }
        const Reply r = testhttp::readReply(*s);
        QVERIFY2(r.status == 431 || r.status == -1, QByteArray::number(r.status).constData());
        QVERIFY(testhttp::closedByServer(*s));
    }
    // A head that trickles in is cut off when its time is up, though each line came in
    // time; a whole head on another connection meanwhile is answered.
    auto slow = testhttp::connectTo(http.port());
    slow->write("GET /n1.html HTTP/1.1\r\n");
    slow->waitForBytesWritten(1000);
    bool cut = false;
    for (int i = 0; i < 40 && !cut; ++i) {
        slow->write("X-Slow: a\r\n");
        slow->waitForBytesWritten(1000);
        cut = !slow->waitForReadyRead(100) && slow->state() != QAbstractSocket::ConnectedState;
        QCOMPARE(fetch(http.port(), "demo.localhost", "/n1.html").status, 200);
    }
    QVERIFY(cut);
    QVERIFY(slow->readAll().isEmpty());
}

void TestHttpServe::connectionsAreLimited() {
    const QString root = m_sites;
    hosting::HttpLimits limits;
    limits.maxConnections = 2;
    limits.idleMs = 1000;
    hosting::HttpServe http([root](const QString& name) -> QString { return root + name + u'/'; }, "localhost",
                            limits);
    QVERIFY(http.start(QHostAddress::LocalHost, 0));
    // Two visitors hold the port: one silent, one that asked for a large file and reads
    // none of it.
    auto silent = testhttp::connectTo(http.port());
    auto stalled = testhttp::connectTo(http.port());
    stalled->setReadBufferSize(1024);
    stalled->write("GET /pics/big.jpg HTTP/1.1\r\nHost: demo.localhost\r\n\r\n");
    stalled->waitForBytesWritten(1000);
    // A third is closed at once, before any answer.
    auto third = testhttp::connectTo(http.port());
    QVERIFY(testhttp::closedByServer(*third));
    QVERIFY(third->readAll().isEmpty());
    // Silence closes both, the stalled one in the middle of its file; then the port
    // answers again.
    QVERIFY(testhttp::closedByServer(*silent));
    stalled->setReadBufferSize(0);
    QByteArray got;
    while (stalled->waitForReadyRead(5000))
        got += stalled->readAll();
    got += stalled->readAll();
    QCOMPARE(stalled->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(got.startsWith("HTTP/1.1 200"));
    QVERIFY(got.size() < 5 * 1024 * 1024);
    QCOMPARE(fetch(http.port(), "demo.localhost", "/n1.html").status, 200);
}

void TestHttpServe::oneAddressCannotHoldThePort() {
    const QString root = m_sites;
    hosting::HttpLimits limits;
    limits.perAddress = 3;
    hosting::HttpServe http([root](const QString& name) -> QString { return root + name + u'/'; }, "localhost",
                            limits);
    QVERIFY(http.start(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(testhttp::connectTo(http.port()));
        held.back()->write("GET /n1.html HTTP/1.1\r\n"); // a head never finished
    }
    // The next from that address is closed at once; another address is served.
    auto extra = testhttp::connectTo(http.port());
    QVERIFY(testhttp::closedByServer(*extra));
    auto other = testhttp::connectTo(http.port(), QHostAddress(QStringLiteral("127.0.0.2")));
    QCOMPARE(other->state(), QAbstractSocket::ConnectedState);
    other->write("GET /n1.html HTTP/1.1\r\nHost: demo.localhost\r\n\r\n");
    QCOMPARE(testhttp::readReply(*other).status, 200);
    // Once one is gone, the address may connect again.
    held.front()->abort();
    bool served = false;
    for (int i = 0; i < 50 && !served; ++i)
        served = fetch(http.port(), "demo.localhost", "/n1.html").status == 200;
    QVERIFY(served);
}

QTEST_GUILESS_MAIN(TestHttpServe)
#include "tst_httpServe.moc"
