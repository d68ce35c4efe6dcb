// Upload benchmark, each side measured against the same work done by an outside tool:
// - packing: packWorkspace against `zip -q -r -n <media suffixes>` and `zip -q -0 -r`, on a
//   folder of JPEG pictures and on a folder of incompressible files with other names;
// - transfer: the client's upload to the reference hosting server against a raw loopback
//   copy with socat, both timed from connecting until the receiver has every byte in a file
//   on the same disk;
// - memory: the client's peak growth while it packs and sends a site of 1 GB.
// Every figure is the median of several runs, shown with the lowest and highest.

#include "bench/memory.h"
#include "common/gbk.h"
#include "server/deltaUpload.h"
#include "server/mdl_upData.h"
#include "server/packWorkspace.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_upload: %s\n", qPrintable(why));
    std::exit(1);
}

double since(Clock::time_point t0, Clock::time_point t1 = Clock::now()) {
    return std::chrono::duration<double>(t1 - t0).count();
}

// Several runs of one measurement.
struct Runs {
    QList<double> v;
    double median() const {
        QList<double> s = v;
        std::sort(s.begin(), s.end());
        const qsizetype n = s.size();
        return n == 0 ? 0 : (n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2);
    }
    QString show(const char* unit = "s") const {
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        return QStringLiteral("%1 %2 (%3-%4, %5 runs)")
            .arg(median(), 0, 'f', 3)
            .arg(QLatin1String(unit))
            .arg(*lo, 0, 'f', 3)
            .arg(*hi, 0, 'f', 3)
            .arg(v.size());
    }
};

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

qint64 folderBytes(const QString& folder) {
    qint64 total = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files))
        total += f.size();
    return total;
}

// Makes `folder` once (a marker beside it says it is complete) and says what it holds.
template <typename Fill>
void makeFolder(const QString& folder, const QString& install, Fill fill) {
    const QString done = QDir::cleanPath(folder) + QStringLiteral(".complete");
    if (!QFile::exists(done)) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        std::fprintf(stderr, "making %s ...\n", qPrintable(folder));
        fill();
        if (!QFile::copy(install + QStringLiteral("initdata/dalmbuilder.tdc"),
                         folder + QStringLiteral("dalmbuilder.tdc")))
            fail(QStringLiteral("no pristine site database in ") + install);
        QFile(done).open(QIODevice::WriteOnly);
    }
    std::printf("  %s: %lld files, %.1f MB\n", qPrintable(QDir(folder).dirName()),
                qlonglong(QDir(folder).entryList(QDir::Files).size()),
                folderBytes(folder) / 1e6);
}

void makeJpegs(const QString& folder) {
    QRandomGenerator rng(20061001);
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
        const QString name = folder + QStringLiteral("pic%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!img.save(name, "JPEG", 92))
            fail(QStringLiteral("cannot write ") + name);
    }
}

// Random bytes in files of `minKb` to `maxKb` under names a name list would not call
// compressed, until `totalMb` are written.
void makeNoise(const QString& folder, qint64 totalMb, int minKb, int maxKb, quint32 seed) {
    static const char* const kSuffixes[] = {"dat", "mp4", "webp", "bin", "ogg", "db"};
    QRandomGenerator64 rng(seed);
    qint64 left = totalMb * 1000 * 1000;
    for (int i = 0; left > 0; ++i) {
        const qint64 size =
            qMin<qint64>(left, qint64(minKb + int(rng.bounded(maxKb - minKb + 1))) * 1024);
        QByteArray bytes((size + 7) & ~qint64(7), Qt::Uninitialized);
        rng.fillRange(reinterpret_cast<quint64*>(bytes.data()), bytes.size() / 8);
        bytes.truncate(size);
        QFile f(folder + QStringLiteral("file%1.%2").arg(i, 4, 10, QLatin1Char('0')).arg(
                             QLatin1String(kSuffixes[i % 6])));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != size)
            fail(QStringLiteral("cannot write ") + f.fileName());
        left -= size;
    }
}

double packSeconds(const QString& install, const QString& work, qint64* size = nullptr) {
    ::sync();
    const auto t0 = Clock::now();
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(install, work);
    const double s = since(t0);
    if (!r.ok)
        fail(QStringLiteral("packWorkspace: ") + r.error);
    if (size)
        *size = r.size;
    return s;
}

// The media suffixes that zip stores without trying to compress them.
const QString kMediaSuffixes =
    QStringLiteral(".jpg:.jpeg:.png:.gif:.webp:.mp3:.mp4:.zip:.gz:.rar:.7z:.swf:.flv");

double zipSeconds(const QString& work, const QString& target, const QStringList& how) {
    QFile::remove(target);
    ::sync();
    QProcess zip;
    zip.setWorkingDirectory(work);
    const auto t0 = Clock::now();
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), QStringLiteral("-r")} + how +
                                         QStringList{target, QStringLiteral(".")});
    if (!zip.waitForFinished(-1) || zip.exitCode() != 0)
        fail(QStringLiteral("zip failed: ") + QString::fromLocal8Bit(zip.readAllStandardError()));
    return since(t0);
}

struct PackFigures {
    Runs pack, zipNamed, zipStored;
    double packMb = 0, zipNamedMb = 0, zipStoredMb = 0;
};

PackFigures comparePacking(const QString& base, const QString& install, const QString& work,
                           int rounds) {
    PackFigures f;
    const QString named = base + QStringLiteral("zip-n.zip");
    const QString stored = base + QStringLiteral("zip-0.zip");
    const QStringList nArgs{QStringLiteral("-n"), kMediaSuffixes};
    const QStringList zeroArgs{QStringLiteral("-0")};
    // A first round, not counted, brings the files into the page cache.
    qint64 size = 0;
    packSeconds(install, work, &size);
    for (int r = 0; r < rounds; ++r) {
        f.pack.v << packSeconds(install, work, &size);
        f.zipNamed.v << zipSeconds(work, named, nArgs);
        f.zipStored.v << zipSeconds(work, stored, zeroArgs);
    }
    f.packMb = size / 1e6;
    f.zipNamedMb = QFileInfo(named).size() / 1e6;
    f.zipStoredMb = QFileInfo(stored).size() / 1e6;
    QFile::remove(named);
    QFile::remove(stored);
    return f;
}

// Watches, on a thread of its own, for a file below `folder` (a folder named "sites" left
// out, and files already that large when watching starts) that holds at least `size`
// bytes, and notes the moment it first does.
class Arrival {
public:
    Arrival(QString folder, qint64 size) : m_folder(std::move(folder)), m_size(size) {
        m_thread = std::thread([this] { watch(); });
    }
    ~Arrival() {
        m_stop = true;
        m_thread.join();
    }
    bool arrived() const { return m_arrived; }
    Clock::time_point when() const { return m_when; }

private:
    void watch() {
        namespace fs = std::filesystem;
        const fs::path root(m_folder.toStdString());
        std::set<fs::path> before;
        bool first = true;
        while (!m_stop && !m_arrived) {
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(root, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                if (it->is_directory(ec) && it->path().filename() == "sites") {
                    it.disable_recursion_pending();
                    continue;
                }
                if (it->is_regular_file(ec) && qint64(it->file_size(ec)) >= m_size && !ec) {
                    if (first)
                        before.insert(it->path());
                    if (first || before.count(it->path()))
                        continue;
                    m_when = Clock::now();
                    m_arrived = true;
                    return;
                }
            }
            first = false;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    QString m_folder;
    qint64 m_size;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_arrived{false};
    Clock::time_point m_when;
};

// Runs the event loop until `done` holds or `ms` pass.
bool spinUntil(const std::function<bool()>& done, int ms) {
    if (done())
        return true;
    const auto t0 = Clock::now();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (done() || since(t0) * 1000 > ms)
            loop.quit();
    });
    tick.start();
    loop.exec();
    return done();
}

// Waits until `socket` has received text containing `tag`.
bool awaitTag(QTcpSocket& socket, QByteArray& seen, const QByteArray& tag, int ms) {
    const auto t0 = Clock::now();
    while (!seen.contains(tag)) {
        if (since(t0) * 1000 > ms || !socket.waitForReadyRead(ms))
            return false;
        seen += socket.readAll();
    }
    return true;
}

// The reference hosting server, running for all the uploads of the benchmark, with the
// short name registered beforehand as a user would have done once.
class Hosting {
public:
    Hosting(const QString& program, const QString& data) : m_data(data) {
        QDir(data).removeRecursively();
        m_port = freePort();
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(program, {QStringLiteral("--port"), QString::number(m_port),
                                 QStringLiteral("--http-port"), QStringLiteral("0"),
                                 QStringLiteral("--data"), data});
        if (!m_server.waitForReadyRead(10000))
            fail(QStringLiteral("the hosting server did not start"));
        QTcpSocket socket;
        QByteArray seen;
        logIn(socket, seen);
        mdl_upData::sendMsg(&socket, mdl_upData::tag::siteName + QStringLiteral("bench"));
        if (!awaitTag(socket, seen, "<#siteName#>", 10000))
            fail(QStringLiteral("short name refused"));
    }
    ~Hosting() {
        m_server.terminate();
        m_server.waitForFinished(10000);
        QDir(m_data).removeRecursively();
    }

    // One upload: connect, log in, announce, send; timed until the server holds every
    // byte. The server's publishing is waited for outside the clock.
    double upload(const QString& archive, qint64 size, qint64* memoryGrowthKb,
                  double* handshakeSeconds) {
        ::sync();
        Arrival arrival(m_data, size);
        const qint64 rssBefore = bench::statusKb("VmRSS:");
        bench::resetPeakMemory();
        const auto t0 = Clock::now();
        QTcpSocket socket;
        QByteArray seen;
        logIn(socket, seen);
        mdl_upData::sendMsg(&socket, mdl_upData::sizeAnnouncement(size));
        if (!awaitTag(socket, seen, "<#sendFileInfo#>", 10000))
            fail(QStringLiteral("announcement refused"));
        *handshakeSeconds = since(t0);
        mdl_upData::ArchiveSender sender;
        bool sent = false;
        QObject::connect(&sender, &mdl_upData::ArchiveSender::finished, [&] { sent = true; });
        if (!sender.start(&socket, archive, size))
            fail(QStringLiteral("cannot read the archive"));
        if (!spinUntil([&] { return sent && arrival.arrived(); }, 600000))
            fail(QStringLiteral("the server never held the whole archive"));
        const double s = since(t0, arrival.when());
        *memoryGrowthKb = qMax<qint64>(0, bench::statusKb("VmHWM:") - rssBefore);
        if (!awaitTag(socket, seen, "<#systemmsg#>", 600000))
            fail(QStringLiteral("the server did not publish the upload: ") + gbk::decode(seen));
        return s;
    }

    // An upload as our client makes it to a server that offers uploads of changes: bytes
    // sent, and seconds from connecting until the server has the whole upload checked (for
    // a whole archive, until it answers that the site is published).
    std::pair<qint64, double> uploadChanges(const QString& install, const QString& work) {
        const auto t0 = Clock::now();
        QTcpSocket socket;
        QByteArray seen;
        logIn(socket, seen);
        mdl_upData::DeltaUpload d;
        QString why;
        const QByteArray manifest = d.start(work, &why);
        if (manifest.isEmpty())
            fail(why);
        socket.write(manifest);
        qint64 sent = manifest.size();
        QList<QByteArray> needed;
        const auto answer = [&] {
            for (;;) {
                QByteArray data = socket.readAll();
                const auto ev = d.take(data, &needed);
                if (ev != mdl_upData::DeltaUpload::Event::None)
                    return ev;
                if (!socket.waitForReadyRead(600000))
                    fail(QStringLiteral("no answer to the upload"));
            }
        };
        const auto send = [&](const QString& archive, qint64 size) {
            const QByteArray announcement = gbk::encode(mdl_upData::sizeAnnouncement(size));
            socket.write(announcement);
            QByteArray go;
            if (!awaitTag(socket, go, "<#sendFileInfo#>", 10000))
                fail(QStringLiteral("announcement refused"));
            mdl_upData::ArchiveSender sender;
            bool done = false;
            QObject::connect(&sender, &mdl_upData::ArchiveSender::finished, [&] { done = true; });
            if (!sender.start(&socket, archive, size))
                fail(QStringLiteral("cannot read the archive"));
            spinUntil([&] { return done; }, 600000);
            sent += announcement.size() + size;
        };
        if (answer() == mdl_upData::DeltaUpload::Event::Need) {
            const mdl_upData::ChangesPack packed = mdl_upData::packChanges(install, d.manifest(), needed);
            if (!packed.ok)
                fail(packed.error);
            send(mdl_upData::archivePath(install), packed.size);
            if (answer() != mdl_upData::DeltaUpload::Event::Done)
                fail(QStringLiteral("the server asked for the whole archive"));
            const double s = since(t0);
            seen.clear();
            awaitTag(socket, seen, "<#systemmsg#>", 600000);
            return {sent, s};
        }
        const mdl_upData::PackResult packed = mdl_upData::packWorkspace(install, work);
        send(mdl_upData::archivePath(install), packed.size);
        seen.clear();
        if (!awaitTag(socket, seen, "<#systemmsg#>", 600000))
            fail(QStringLiteral("the server did not publish the upload"));
        return {sent, since(t0)};
    }

private:
    void logIn(QTcpSocket& socket, QByteArray& seen) {
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!socket.waitForConnected(5000))
            fail(QStringLiteral("cannot connect to the hosting server"));
        mdl_upData::sendMsg(&socket, mdl_upData::loginMessage(QStringLiteral("20061001"),
                                                              QStringLiteral("417305")));
        if (!awaitTag(socket, seen, "<#login#>", 10000))
            fail(QStringLiteral("login refused"));
    }

    QString m_data;
    quint16 m_port = 0;
    QProcess m_server;
};

// The same bytes copied from the file to a socket and from the socket to a file by socat,
// in blocks as large as the client's; or, with `client` set, sent by the client's sender
// to the same socat receiver, which tells the client's share apart from the server's.
constexpr int kRawBlock = 256 * 1024;

double rawCopySeconds(const QString& folder, const QString& archive, qint64 size, bool client) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString sinkFile = folder + QStringLiteral("copy.bin");
    const quint16 port = freePort();
    QProcess sink;
    sink.start(QStringLiteral("socat"),
               {QStringLiteral("-u"), QStringLiteral("-b"), QString::number(kRawBlock),
                QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port),
                QStringLiteral("CREATE:") + sinkFile});
    if (!sink.waitForStarted(5000))
        fail(QStringLiteral("socat is missing"));
    QThread::msleep(300);
    ::sync();
    Arrival arrival(folder, size);
    QProcess source;
    QTcpSocket socket;
    mdl_upData::ArchiveSender sender;
    const auto t0 = Clock::now();
    if (client) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(5000) || !sender.start(&socket, archive, size))
            fail(QStringLiteral("cannot send to socat"));
    } else {
        source.start(QStringLiteral("socat"),
                     {QStringLiteral("-u"), QStringLiteral("-b"), QString::number(kRawBlock),
                      QStringLiteral("OPEN:") + archive,
                      QStringLiteral("TCP:127.0.0.1:%1").arg(port)});
    }
    if (!spinUntil([&] { return arrival.arrived(); }, 600000))
        fail(QStringLiteral("socat did not copy: ") +
             QString::fromLocal8Bit(source.readAllStandardError()));
    const double s = since(t0, arrival.when());
    socket.disconnectFromHost();
    spinUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
    source.waitForFinished(10000);
    sink.waitForFinished(10000);
    QDir(folder).removeRecursively();
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
    QCommandLineOption roundsOpt("rounds", "Runs of each measurement (at least 5).", "n", "5");
    QCommandLineOption transferOpt("transfer-only", "Leave the packing comparison out.");
    QCommandLineOption changesOpt("changes", "Only a 200 MB site uploaded twice, one record changed between.");
    p.addOptions({workOpt, installOpt, hostingOpt, roundsOpt, transferOpt, changesOpt});
    p.process(app);
    const int rounds = qMax(5, p.value(roundsOpt).toInt());
    const QString base = QDir(p.value(workOpt)).absolutePath() + u'/';
    const QString builtInstall = QDir(p.value(installOpt)).absolutePath() + u'/';
    const QString install = base + QStringLiteral("install/");
    QDir().mkpath(install);

    if (p.isSet(changesOpt)) {
        const QString site = QDir(p.value(workOpt)).absolutePath() + QStringLiteral("/site200m/");
        const QString install = QDir(p.value(workOpt)).absolutePath() + QStringLiteral("/install/");
        QDir().mkpath(install);
        makeFolder(site, QDir(p.value(installOpt)).absolutePath() + u'/', [&] { makeNoise(site, 200, 500, 4000, 5); });
        Hosting hosting(p.value(hostingOpt), QDir(p.value(workOpt)).absolutePath() + QStringLiteral("/hosting-data/"));
        const auto first = hosting.uploadChanges(install, site);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
            db.setDatabaseName(site + QStringLiteral("dalmbuilder.tdc"));
            if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("UPDATE user_info SET dalm_name='华信 %1'")
                                                      .arg(QDateTime::currentMSecsSinceEpoch())))
                fail(QStringLiteral("cannot change the record"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
        const auto second = hosting.uploadChanges(install, site);
        std::printf("site of %.1f MB, uploaded, one record changed, uploaded again:\n", folderBytes(site) / 1e6);
        std::printf("  first upload:  %lld bytes, %.3f s\n", first.first, first.second);
        std::printf("  second upload: %lld bytes, %.3f s (%.3f %% of the bytes; aims < 1 %% and < 2 s)\n",
                    second.first, second.second, 100.0 * second.first / first.first);
        return 0;
    }
    std::printf("folders:\n");
    const QString jpegs = base + QStringLiteral("jpeg/");
    const QString noise = base + QStringLiteral("noise/");
    const QString site = base + QStringLiteral("site1g/");
    makeFolder(jpegs, builtInstall, [&] { makeJpegs(jpegs); });
    makeFolder(noise, builtInstall, [&] { makeNoise(noise, 400, 40, 4000, 7); });
    makeFolder(site, builtInstall, [&] { makeNoise(site, 1000, 1000, 8000, 11); });

    PackFigures pj, pn;
    if (!p.isSet(transferOpt)) {
    std::printf("packing (median, lowest-highest):\n");
    pj = comparePacking(base, install, jpegs, rounds);
    std::printf("  jpeg:  packWorkspace %s -> %.1f MB\n", qPrintable(pj.pack.show()), pj.packMb);
    std::printf("         zip -n media  %s -> %.1f MB\n", qPrintable(pj.zipNamed.show()),
                pj.zipNamedMb);
    std::printf("         zip -0        %s -> %.1f MB\n", qPrintable(pj.zipStored.show()),
                pj.zipStoredMb);
    pn = comparePacking(base, install, noise, rounds);
    std::printf("  noise: packWorkspace %s -> %.1f MB\n", qPrintable(pn.pack.show()), pn.packMb);
    std::printf("         zip -n media  %s -> %.1f MB\n", qPrintable(pn.zipNamed.show()),
                pn.zipNamedMb);
    std::printf("         zip -0        %s -> %.1f MB\n", qPrintable(pn.zipStored.show()),
                pn.zipStoredMb);
    }
    std::fflush(stdout);

    // The 1 GB site: packed once with the client's peak memory watched, then sent.
    qint64 size = 0;
    packSeconds(install, site, &size); // into the page cache
    const qint64 rssBefore = bench::statusKb("VmRSS:");
    bench::resetPeakMemory();
    packSeconds(install, site, &size);
    const qint64 packGrowthKb = qMax<qint64>(0, bench::statusKb("VmHWM:") - rssBefore);
    const QString archive = mdl_upData::archivePath(install);

    Runs upload, raw, toSocat, handshake;
    qint64 sendGrowthKb = 0;
    Hosting hosting(p.value(hostingOpt), base + QStringLiteral("hosting-data/"));
    for (int r = 0; r < rounds; ++r) {
        qint64 growth = 0;
        double talk = 0;
        upload.v << hosting.upload(archive, size, &growth, &talk);
        handshake.v << talk;
        sendGrowthKb = qMax(sendGrowthKb, growth);
        raw.v << rawCopySeconds(base + QStringLiteral("raw-copy/"), archive, size, false);
        toSocat.v << rawCopySeconds(base + QStringLiteral("raw-copy/"), archive, size, true);
    }
    std::printf("transfer of %.1f MB, connecting until the receiver holds every byte:\n",
                size / 1e6);
    std::printf("  client to orvane-hosting %s = %.0f MB/s\n", qPrintable(upload.show()),
                size / 1e6 / upload.median());
    std::printf("    of which login and announcement %s\n",
                qPrintable(handshake.show()));
    std::printf("  socat to socat           %s = %.0f MB/s\n", qPrintable(raw.show()),
                size / 1e6 / raw.median());
    std::printf("  client to socat          %s = %.0f MB/s\n", qPrintable(toSocat.show()),
                size / 1e6 / toSocat.median());
    std::printf("memory: client peak growth for the 1 GB site: packing %.1f MB, sending %.1f MB\n",
                packGrowthKb / 1024.0, sendGrowthKb / 1024.0);

    const double growthMb = qMax(packGrowthKb, sendGrowthKb) / 1024.0;
    std::printf("ratios (of medians):\n");
    if (!p.isSet(transferOpt)) {
        std::printf("  packing speed vs zip -0:       jpeg %.2f, noise %.2f (aim >= 1)\n",
                    pj.zipStored.median() / pj.pack.median(),
                    pn.zipStored.median() / pn.pack.median());
        std::printf("  packing speed vs zip -n media: jpeg %.2f, noise %.2f\n",
                    pj.zipNamed.median() / pj.pack.median(),
                    pn.zipNamed.median() / pn.pack.median());
    }
    std::printf("  transfer speed vs raw copy:    %.2f (aim >= 0.9)\n",
                raw.median() / upload.median());
    std::printf("  the same after the handshake:  %.2f\n",
                raw.median() / (upload.median() - handshake.median()));
    std::printf("  client's sender vs raw copy:   %.2f\n", raw.median() / toSocat.median());
    std::printf("  memory growth vs 64 MB:        %.2f (aim < 1)\n", growthMb / 64.0);
    return 0;
}
