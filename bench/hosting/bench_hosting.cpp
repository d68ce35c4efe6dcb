// Hosting server benchmark: one client uploads a site of about 200 MB (the pristine site
// database and 200 pictures of 1 MB), another sends 300 wrong passwords one after the
// other, and a third, logged in, asks for the notice every 100 ms on a thread of its
// own. Prints the third client's reply latency (median, 99th percentile, worst) over the
// time the other two keep the server busy, and how long their work took. The idle
// server's latency is printed beside it: a message that no other follows ends only when
// the server has waited its quiet time (80 ms) for more, and every answer includes that.

#include "common/gbk.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <QDateTime>

#include <algorithm>
#include <cstdio>
#include <limits>

#include <zip.h>

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_hosting: %s\n", qPrintable(why));
    std::exit(1);
}

constexpr int kPictures = 200;
constexpr int kPictureBytes = 1 << 20;
constexpr int kGuesses = 300;
constexpr int kAskEveryMs = 100;

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// The archive of the upload, made once and kept for reruns.
QString makeArchive(const QString& base, const QString& install) {
    const QString archive = base + QStringLiteral("site.zip");
    const QString done = base + QStringLiteral("site.complete");
    if (QFile::exists(done) && QFile::exists(archive))
        return archive;
    const QString pictures = base + QStringLiteral("pictures/");
    QDir(pictures).removeRecursively();
    QDir().mkpath(pictures);
    std::fprintf(stderr, "making the upload in %s ...\n", qPrintable(base));
    QRandomGenerator rng(20061001);
    QByteArray bytes(kPictureBytes, Qt::Uninitialized);
    for (int i = 0; i < kPictures; ++i) {
        rng.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        QFile f(pictures + QStringLiteral("pic%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            fail(QStringLiteral("cannot write ") + f.fileName());
    }
    QFile::remove(archive);
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!za)
        fail(QStringLiteral("cannot make ") + archive);
    QStringList files{install + QStringLiteral("initdata/dalmbuilder.tdc")};
    for (const QString& name : QDir(pictures).entryList(QDir::Files, QDir::Name))
        files << pictures + name;
    for (const QString& file : files) {
        zip_source_t* src = zip_source_file(za, QFile::encodeName(file).constData(), 0, -1);
        const zip_int64_t at = src ? zip_file_add(za, QFileInfo(file).fileName().toUtf8().constData(),
                                                  src, ZIP_FL_ENC_UTF_8)
                                   : -1;
        if (at < 0)
            fail(QStringLiteral("cannot add ") + file);
        zip_set_file_compression(za, zip_uint64_t(at), ZIP_CM_STORE, 0);
    }
    if (zip_close(za) != 0)
        fail(QStringLiteral("cannot write ") + archive);
    QDir(pictures).removeRecursively();
    QFile(done).open(QIODevice::WriteOnly);
    return archive;
}

// One connection, with what it has received.
struct Line {
    QTcpSocket socket;
    QByteArray seen;

    void open(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000))
            fail(QStringLiteral("cannot connect to the hosting server"));
    }
    void send(const QString& text) { socket.write(gbk::encode(text)); }
    // Waits, without an event loop, for `tag` to arrive.
    void await(const QByteArray& tag) {
        QElapsedTimer t;
        t.start();
        while (!seen.contains(tag)) {
            if (t.elapsed() > 20000 || !socket.waitForReadyRead(20000))
                fail(QStringLiteral("no ") + QString::fromLatin1(tag) + QStringLiteral(" came: ") +
                     gbk::decode(seen));
            seen += socket.readAll();
        }
        seen.clear();
    }
    void logIn() {
        send(QStringLiteral("<#login#>20061001||417305"));
        await("<#login#>");
    }
};

// The logged-in client that asks for the notice, on its own thread so that the other
// clients' work in this process does not colour its figures.
class Asker : public QObject {
public:
    explicit Asker(quint16 port) : m_port(port) {}

    void begin() {
        m_line = new Line;
        m_line->open(m_port);
        m_line->logIn();
        connect(&m_line->socket, &QTcpSocket::readyRead, this, [this] {
            m_line->seen += m_line->socket.readAll();
            if (m_asked && m_line->seen.contains("<#getversion#>")) {
                const double ms = m_since.nsecsElapsed() / 1e6;
                m_line->seen.clear();
                m_asked = false;
                QMutexLocker lock(&m_mutex);
                if (m_recording)
                    m_latencies << Sample{m_askedAt, ms};
            }
        });
        m_timer = new QTimer(this);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, [this] {
            if (m_asked)
                return; // still waiting: the wait goes on counting
            m_asked = true;
            m_since.start();
            m_askedAt = QDateTime::currentMSecsSinceEpoch();
            m_line->send(QStringLiteral("<#getversion#>3.05"));
        });
        m_timer->start(kAskEveryMs);
    }
    void record(bool on) {
        QMutexLocker lock(&m_mutex);
        m_recording = on;
    }
    // When each request went out, and how long its answer took.
    struct Sample {
        qint64 at;
        double ms;
    };
    QList<Sample> samples() {
        QMutexLocker lock(&m_mutex);
        return m_latencies;
    }
    // The latencies of the requests sent between `from` and `to`.
    QList<double> latencies(qint64 from = 0, qint64 to = std::numeric_limits<qint64>::max()) {
        QList<double> v;
        for (const Sample& s : samples()) {
            if (s.at >= from && s.at <= to)
                v << s.ms;
        }
        return v;
    }
    void end() {
        m_timer->stop();
        delete m_line;
    }

private:
    quint16 m_port;
    Line* m_line = nullptr;
    QTimer* m_timer = nullptr;
    QElapsedTimer m_since;
    qint64 m_askedAt = 0;
    bool m_asked = false;
    QMutex m_mutex;
    bool m_recording = false;
    QList<Sample> m_latencies;
};

double percentile(QList<double> v, double p) {
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[qMin<qsizetype>(v.size() - 1, qsizetype(p * v.size()))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    QCommandLineOption workOpt("work", "Benchmark folder (kept between runs).", "dir");
    QCommandLineOption installOpt("install", "Built installation folder.", "dir");
    QCommandLineOption hostingOpt("hosting", "The orvane-hosting program.", "file");
    p.addOptions({workOpt, installOpt, hostingOpt});
    p.process(app);
    const QString base = QDir(p.value(workOpt)).absolutePath() + u'/';
    const QString install = QDir(p.value(installOpt)).absolutePath() + u'/';
    QDir().mkpath(base);
    const QString archive = makeArchive(base, install);
    const qint64 size = QFileInfo(archive).size();

    const QString data = base + QStringLiteral("data");
    QDir(data).removeRecursively();
    const quint16 port = freePort();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Every guess is checked: the throttle would answer most of them without a hash.
    server.start(p.value(hostingOpt),
                 {QStringLiteral("--port"), QString::number(port), QStringLiteral("--http-port"),
                  QStringLiteral("0"), QStringLiteral("--data"), data, QStringLiteral("--login-free"), QStringLiteral("100000"),
                  QStringLiteral("--login-lock-after"), QStringLiteral("0")});
    if (!server.waitForReadyRead(10000))
        fail(QStringLiteral("the hosting server did not start"));
    server.write("notice 系统公告\n");
    server.waitForBytesWritten(5000);

    QThread askerThread;
    Asker asker(port);
    asker.moveToThread(&askerThread);
    askerThread.start();
    QMetaObject::invokeMethod(&asker, [&] { asker.begin(); }, Qt::BlockingQueuedConnection);
    QThread::msleep(500);
    const QList<double> quiet = [&] {
        asker.record(true);
        QThread::msleep(2000);
        asker.record(false);
        return asker.latencies();
    }();

    Line uploader;
    uploader.open(port);
    uploader.logIn();
    uploader.send(QStringLiteral("<#siteName#>bench"));
    uploader.await("<#siteName#>");
    uploader.send(QStringLiteral("<#sendFileInfo#>") + QString::number(size));
    uploader.await("<#sendFileInfo#>");
    Line guesser;
    guesser.open(port);

    asker.record(true);
    const qint64 busyFrom = QDateTime::currentMSecsSinceEpoch();
    qint64 publishedAt = 0;
    QElapsedTimer clock;
    clock.start();
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + archive);
    double sentS = 0, publishedS = 0, guessedS = 0;
    int answered = 0;
    guesser.send(QStringLiteral("<#login#>20061001||wrong0"));
    QObject::connect(&guesser.socket, &QTcpSocket::readyRead, [&] {
        guesser.seen += guesser.socket.readAll();
        const int replies = int(guesser.seen.count("<#logout#>"));
        guesser.seen.clear();
        for (int i = 0; i < replies; ++i) {
            if (++answered < kGuesses)
                guesser.send(QStringLiteral("<#login#>20061001||wrong%1").arg(answered));
            else
                guessedS = clock.nsecsElapsed() / 1e9;
        }
    });
    const auto feed = [&] {
        while (!file.atEnd() && uploader.socket.bytesToWrite() < (qint64(4) << 20))
            uploader.socket.write(file.read(qint64(1) << 20));
        if (file.atEnd() && uploader.socket.bytesToWrite() == 0 && sentS == 0)
            sentS = clock.nsecsElapsed() / 1e9;
    };
    QObject::connect(&uploader.socket, &QTcpSocket::bytesWritten, feed);
    QObject::connect(&uploader.socket, &QTcpSocket::readyRead, [&] {
        uploader.seen += uploader.socket.readAll();
        if (uploader.seen.contains("<#systemmsg#>") && publishedS == 0) {
            publishedS = clock.nsecsElapsed() / 1e9;
            publishedAt = QDateTime::currentMSecsSinceEpoch();
            if (!gbk::decode(uploader.seen).contains(QStringLiteral("已发布")))
                fail(QStringLiteral("the upload was not published: ") + gbk::decode(uploader.seen));
        }
    });
    feed();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if ((publishedS > 0 && guessedS > 0) || clock.elapsed() > 600000)
            loop.quit();
    });
    check.start(50);
    loop.exec();
    asker.record(false);
    QMetaObject::invokeMethod(&asker, [&] { asker.end(); }, Qt::BlockingQueuedConnection);
    askerThread.quit();
    askerThread.wait();
    if (publishedS == 0 || guessedS == 0)
        fail(QStringLiteral("the work did not finish within ten minutes"));

    const QList<double> busy = asker.latencies(busyFrom);
    const QList<double> uploading = asker.latencies(busyFrom, publishedAt);
    std::printf("idle server: notice latency median %.2f ms, 99th percentile %.2f ms (%lld "
                "requests)\n",
                percentile(quiet, 0.5), percentile(quiet, 0.99), qsizetype(quiet.size()) + 0LL);
    std::printf("busy server: upload of %.0f MB sent in %.2f s and published after %.2f s; "
                "%d wrong passwords answered in %.2f s\n",
                size / 1e6, sentS, publishedS, kGuesses, guessedS);
    std::printf("busy server: notice latency median %.2f ms, 99th percentile %.2f ms, worst "
                "%.2f ms (%lld requests every %d ms)\n",
                percentile(busy, 0.5), percentile(busy, 0.99), percentile(busy, 1.0),
                qsizetype(busy.size()) + 0LL, kAskEveryMs);
    std::printf("while the upload was received and published: notice latency median %.2f ms, "
                "worst %.2f ms (%lld requests)\n",
                percentile(uploading, 0.5), percentile(uploading, 1.0),
                qsizetype(uploading.size()) + 0LL);
    std::printf("goal: 99th percentile under 100 ms: %s\n",
                percentile(busy, 0.99) < 100 ? "met" : "missed");
    server.write("quit\n");
    server.waitForFinished(10000);
    QDir(data).removeRecursively();
    return 0;
}
