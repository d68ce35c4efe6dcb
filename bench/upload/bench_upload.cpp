// Upload benchmark: packs a working folder of about 200 MB (1,000 JPEG pictures and a
// site database) with packWorkspace and with `zip -q -r`, sends the archive to the
// reference hosting server and the same file with socat to a sink, both on loopback, and
// measures the client's peak memory growth during its transfer.

#include "bench/memory.h"
#include "common/gbk.h"
#include "server/mdl_upData.h"
#include "server/packWorkspace.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_upload: %s\n", qPrintable(why));
    std::exit(1);
}

using bench::resetPeakMemory;
using bench::statusKb;

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

void makeWorkingFolder(const QString& work, const QString& install) {
    const QString done = work + QStringLiteral(".complete");
    if (QFile::exists(done))
        return;
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    std::fprintf(stderr, "making the working folder in %s ...\n", qPrintable(work));
    QRandomGenerator rng(20061001);
    qint64 total = 0;
    for (int i = 0; i < 1000; ++i) {
        const int w = 200 + int(rng.bounded(730));
        const int h = 150 + int(rng.bounded(550));
        QImage img(w, h, QImage::Format_RGB32);
        const int grain = 20 + int(rng.bounded(200));
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int n = int(rng.bounded(grain));
                line[x] = qRgb((x * 255 / w + n) & 255, (y * 255 / h + n) & 255, (x + y + n) & 255);
            }
        }
        const QString name = work + QStringLiteral("pic%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!img.save(name, "JPEG", 92))
            fail(QStringLiteral("cannot write ") + name);
        total += QFileInfo(name).size();
    }
    if (!QFile::copy(install + QStringLiteral("initdata/dalmbuilder.tdc"),
                     work + QStringLiteral("dalmbuilder.tdc")))
        fail(QStringLiteral("no pristine site database in ") + install);
    std::fprintf(stderr, "  %.1f MB of pictures\n", double(total) / 1e6);
    QFile(done).open(QIODevice::WriteOnly);
}

double packSeconds(const QString& install, const QString& work, qint64* size) {
    QElapsedTimer t;
    t.start();
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(install, work);
    const double s = t.nsecsElapsed() / 1e9;
    if (!r.ok)
        fail(QStringLiteral("packWorkspace: ") + r.error);
    *size = r.size;
    return s;
}

double zipSeconds(const QString& work, const QString& target) {
    QFile::remove(target);
    QProcess zip;
    zip.setWorkingDirectory(work);
    QElapsedTimer t;
    t.start();
    zip.start(QStringLiteral("zip"),
              {QStringLiteral("-q"), QStringLiteral("-r"), target, QStringLiteral("."),
               QStringLiteral("-x"), QStringLiteral(".complete")});
    if (!zip.waitForFinished(-1) || zip.exitCode() != 0)
        fail(QStringLiteral("zip failed: ") + QString::fromLocal8Bit(zip.readAllStandardError()));
    return t.nsecsElapsed() / 1e9;
}

// Waits until `socket` has received text containing `tag`.
bool awaitTag(QTcpSocket& socket, QByteArray& seen, const QByteArray& tag, int ms) {
    QElapsedTimer t;
    t.start();
    while (!seen.contains(tag)) {
        if (t.elapsed() > ms || !socket.waitForReadyRead(ms))
            return false;
        seen += socket.readAll();
    }
    return true;
}

double transferSeconds(const QString& hostingProgram, const QString& archive, qint64 size,
                       qint64* memoryGrowthKb) {
    const QString data = QDir::tempPath() + QStringLiteral("/bench-upload-hosting");
    QDir(data).removeRecursively();
    const quint16 port = freePort();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(hostingProgram,
                 {QStringLiteral("--port"), QString::number(port), QStringLiteral("--http-port"),
                  QStringLiteral("0"), QStringLiteral("--data"), data});
    if (!server.waitForReadyRead(10000))
        fail(QStringLiteral("the hosting server did not start"));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        fail(QStringLiteral("cannot connect to the hosting server"));
    QByteArray seen;
    mdl_upData::sendMsg(
        &socket, mdl_upData::loginMessage(QStringLiteral("20061001"), QStringLiteral("417305")));
    if (!awaitTag(socket, seen, "<#login#>", 10000))
        fail(QStringLiteral("login refused"));
    mdl_upData::sendMsg(&socket, mdl_upData::tag::siteName + QStringLiteral("bench"));
    if (!awaitTag(socket, seen, "<#siteName#>", 10000))
        fail(QStringLiteral("short name refused"));
    mdl_upData::sendMsg(&socket, mdl_upData::sizeAnnouncement(size));
    if (!awaitTag(socket, seen, "<#sendFileInfo#>", 10000))
        fail(QStringLiteral("announcement refused"));

    const qint64 rssBefore = statusKb("VmRSS:");
    resetPeakMemory();
    mdl_upData::ArchiveSender sender;
    QEventLoop loop;
    QObject::connect(&sender, &mdl_upData::ArchiveSender::finished, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    if (!sender.start(&socket, archive, size))
        fail(QStringLiteral("cannot read the archive"));
    loop.exec();
    const double s = t.nsecsElapsed() / 1e9;
    *memoryGrowthKb = qMax<qint64>(0, statusKb("VmHWM:") - rssBefore);

    if (!awaitTag(socket, seen, "<#systemmsg#>", 300000))
        fail(QStringLiteral("the server did not publish the upload: ") + gbk::decode(seen));
    socket.disconnectFromHost();
    server.closeWriteChannel();
    server.terminate();
    server.waitForFinished(5000);
    QDir(data).removeRecursively();
    return s;
}

double socatSeconds(const QString& archive) {
    const quint16 port = freePort();
    QProcess sink;
    sink.start(QStringLiteral("socat"),
               {QStringLiteral("-u"),
                QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port),
                QStringLiteral("GOPEN:/dev/null")});
    if (!sink.waitForStarted(5000))
        fail(QStringLiteral("socat is missing"));
    QThread::msleep(300);
    QProcess source;
    QElapsedTimer t;
    t.start();
    source.start(QStringLiteral("socat"), {QStringLiteral("-u"), QStringLiteral("OPEN:") + archive,
                                           QStringLiteral("TCP:127.0.0.1:%1").arg(port)});
    if (!source.waitForFinished(-1) || source.exitCode() != 0)
        fail(QStringLiteral("socat could not send: ") +
             QString::fromLocal8Bit(source.readAllStandardError()));
    const double s = t.nsecsElapsed() / 1e9;
    sink.waitForFinished(5000);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser p;
    p.addHelpOption();
    QCommandLineOption workOpt("work", "Benchmark folder (kept between runs).", "dir");
    QCommandLineOption installOpt("install", "Built installation folder.", "dir");
    QCommandLineOption hostingOpt("hosting", "The orvane-hosting program.", "file");
    p.addOptions({workOpt, installOpt, hostingOpt});
    p.process(app);
    const QString base = QDir(p.value(workOpt)).absolutePath() + u'/';
    const QString work = base + QStringLiteral("work/");
    const QString install = base + QStringLiteral("install/");
    QDir().mkpath(install);
    makeWorkingFolder(work, QDir(p.value(installOpt)).absolutePath() + u'/');

    // Warm the page cache so both packers read from memory.
    qint64 size = 0;
    packSeconds(install, work, &size);
    double pack = 1e9, zip = 1e9;
    for (int round = 0; round < 2; ++round) {
        pack = qMin(pack, packSeconds(install, work, &size));
        zip = qMin(zip, zipSeconds(work, base + QStringLiteral("reference.zip")));
    }
    std::printf("packing: packWorkspace %.2f s (%.1f MB), zip -q -r %.2f s (%.1f MB)\n", pack,
                size / 1e6, zip, QFileInfo(base + QStringLiteral("reference.zip")).size() / 1e6);

    const QString archive = mdl_upData::archivePath(install);
    qint64 memKb = 0;
    const double sendS = transferSeconds(p.value(hostingOpt), archive, size, &memKb);
    const double socatS = socatSeconds(archive);
    std::printf(
        "transfer: to orvane-hosting %.2f s (%.0f MB/s), socat to a sink %.2f s (%.0f MB/s)\n",
        sendS, size / 1e6 / sendS, socatS, size / 1e6 / socatS);
    std::printf("memory: peak growth during the transfer %.1f MB (budget 64 MB)\n", memKb / 1024.0);
    std::printf("ratios: packing speed vs zip %.2f (aim >= 1), transfer vs socat %.2f (aim >= "
                "0.8), peak memory vs budget %.2f (aim < 1)\n",
                zip / pack, socatS / sendS, memKb / 1024.0 / 64.0);
    return 0;
}
