// Site renderer benchmark: an upload of 1,000 pages (file nodes: ten level-1 folders of
// ten level-2 folders of ten files, the eleven display formats in turn) holding 10,000
// records and 60 pictures, rendered into a new folder three times. Prints the time per
// page and per HTML file written, and the peak memory of the rendering.
//
// With --photos: a site of 200 camera photos (4032 × 3024 JPEG with EXIF and GPS) over 50
// pages, published once with an empty picture cache and again after one record changed;
// the same derivatives made with ImageMagick's convert as the anchor.

#include "bench/memory.h"
#include "cameraPhoto.h"
#include "publish/publish.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_publish: %s\n", qPrintable(why));
    std::exit(1);
}

using bench::resetPeakMemory;
using bench::statusKb;

constexpr int kFolders = 10;   // per level 1 and per level-1 folder
constexpr int kFiles = 10;     // per level-2 folder
constexpr int kRecords = 10000;
constexpr int kPictures = 60;

const char* const kFormats[] = {"txt",    "news", "imgTxt01", "imgTxt02", "imgTxt03", "bigImg",
                                "imgs",   "adv",  "prod01",   "prod02",   "prod03"};

void exec(QSqlQuery& q, const QString& sql, const QVariantList& args) {
    q.prepare(sql);
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        fail(q.lastError().text());
}

// An empty upload folder with the pristine site database; its path.
QString freshUpload(const QString& up, const QString& install) {
    QDir(up).removeRecursively();
    QDir().mkpath(up);
    const QString file = up + QStringLiteral("/dalmbuilder.tdc");
    if (!QFile::copy(install + QStringLiteral("/initdata/dalmbuilder.tdc"), file))
        fail(QStringLiteral("no pristine site database in ") + install);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return file;
}

void makeUpload(const QString& up, const QString& install) {
    const QString file = freshUpload(up, install);
    for (int i = 0; i < kPictures; ++i) {
        QImage img(400, 300, QImage::Format_RGB32);
        img.fill(QColor::fromHsv(i * 6, 160, 200));
        img.save(up + QStringLiteral("/pic%1.jpg").arg(i), "JPEG", 85);
        img.scaled(200, 150).save(up + QStringLiteral("/pic%1_small.bmp").arg(i), "BMP");
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(file);
        if (!db.open())
            fail(db.lastError().text());
        db.transaction();
        QSqlQuery q(db);
        exec(q, QStringLiteral("UPDATE user_info SET webName=?, dalm_name=?, Tel=?, Address=?, logo=?, "
                               "defaultTmpl=?, headTmpl=?, defaultFont=?, headFont=?, backGround=?, "
                               "adBoard=?, javascript=?"),
             {QStringLiteral("测试站点"), QStringLiteral("测试科技有限公司"), QStringLiteral("0512-1234 5678"),
              QStringLiteral("苏州市工业园区"), QStringLiteral("pic0.jpg"), QStringLiteral("dqy01.png"),
              QStringLiteral("hqy01.png"), QStringLiteral("ns03.png"), QStringLiteral("ns03.png"),
              QStringLiteral("pic1.jpg"), QStringLiteral("1||300||200||0||0||公告||欢迎"),
              QStringLiteral("1||06.asp||欢迎光临")});
        // The files of the tree, in order, with their level-2 parent and grandparent.
        struct File {
            QString name, parent, grand, format;
        };
        QList<File> files;
        for (int a = 0; a < kFolders; ++a) {
            const QString first = QStringLiteral("栏目%1").arg(a);
            exec(q, QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID) VALUES(?,1,?)"),
                 {first, a + 1});
            for (int b = 0; b < kFolders; ++b) {
                const QString second = QStringLiteral("栏目%1-%2").arg(a).arg(b);
                exec(q, QStringLiteral("INSERT INTO secondCatalog(firstCatalog,secondCatalog,[catalog],orderID) "
                                       "VALUES(?,?,1,?)"),
                     {first, second, b + 1});
                for (int c = 0; c < kFiles; ++c) {
                    const QString format = QLatin1String(kFormats[files.size() % 11]);
                    files.append({QStringLiteral("页面%1-%2-%3").arg(a).arg(b).arg(c), second, first, format});
                    exec(q, QStringLiteral("INSERT INTO thirdCatalog(firstCatalog,secondCatalog,thirdCatalog,"
                                           "[catalog],orderID,aspFileName) VALUES(?,?,?,0,?,?)"),
                         {first, second, files.back().name, c + 1, format});
                }
            }
        }
        // One record per single-record page; the rest spread over the list pages.
        const QString body = QStringLiteral("这是一段正文，介绍公司的产品与服务。<br>第二段&nbsp;文字。").repeated(4);
        QList<int> lists;
        int records = 0;
        const auto add = [&](const File& f, int n) {
            const QString pic = QStringLiteral("pic%1.jpg").arg(n % kPictures);
            QVariantList v;
            if (f.format == u"news")
                v = {QStringLiteral("新闻标题 %1").arg(n), QStringLiteral("2024-05-18"), body, n % 5 ? QString() : pic};
            else if (f.format == u"imgs")
                v = {QStringLiteral("图片 %1").arg(n), pic, QStringLiteral("pic%1_small.bmp").arg(n % kPictures)};
            else if (f.format.startsWith(QLatin1String("prod")))
                v = {QStringLiteral("产品 %1").arg(n), QStringLiteral("规格"), QStringLiteral("台"),
                     QStringLiteral("99.00"), pic, QStringLiteral("<p>介绍[&#39;]产品[&#39;]</p>")};
            else if (f.format == u"bigImg")
                v = {pic};
            else if (f.format == u"adv")
                v = {QString(QStringLiteral("<p>富文本<img src=\"[imgpath]/") + pic + QStringLiteral("\"></p>"))};
            else
                v = {QStringLiteral("标题 %1").arg(n), body, pic, QStringLiteral("pic%1.jpg").arg((n + 1) % kPictures)};
            QString cols = QStringLiteral("thirdCatalog"), marks = QStringLiteral("?");
            for (int i = 0; i < v.size(); ++i) {
                cols += QStringLiteral(",value0") + QString::number(i + 1);
                marks += QStringLiteral(",?");
            }
            exec(q, QStringLiteral("INSERT INTO content03(") + cols + QStringLiteral(") VALUES(") + marks + u')',
                 QVariantList{f.name} + v);
            ++records;
        };
        for (int i = 0; i < files.size(); ++i) {
            const QString& f = files.at(i).format;
            if (f == u"news" || f == u"imgs" || f.startsWith(QLatin1String("prod")))
                lists << i;
            else
                add(files.at(i), i);
        }
        for (int n = 0; records < kRecords; ++n)
            add(files.at(lists.at(n % lists.size())), n);
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
}


constexpr int kPhotos = 200;
constexpr int kPhotoPages = 50;

// 50 pages under five folders: 30 pages of two photos (imgTxt02), 5 galleries of 16
// photos, 15 product pages of 4: 200 photos, each shown once.
void makePhotoSite(const QString& up, const QString& install) {
    const QString file = freshUpload(up, install);
    // One camera frame, given an EXIF block of its own per photo: 200 different files.
    const QByteArray frame = testsupport::cameraJpeg(4032, 3024, 1, 0, 72);
    qint64 bytes = 0;
    for (int i = 0; i < kPhotos; ++i) {
        QFile f(up + QStringLiteral("/photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly))
            fail(f.fileName());
        const QByteArray jpeg = testsupport::withExif(frame, i % 8 == 0 ? 6 : 1, i + 1);
        f.write(jpeg);
        bytes += jpeg.size();
    }
    std::printf("photos: %d × 4032×3024 JPEG, %.1f MB each on average\n", kPhotos, bytes / 1e6 / kPhotos);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("photos"));
    db.setDatabaseName(file);
    if (!db.open())
        fail(db.lastError().text());
    {
        QSqlQuery q(db);
        db.transaction();
        exec(q, QStringLiteral("UPDATE user_info SET webName=?, dalm_name=?"),
             {QStringLiteral("摄影站点"), QStringLiteral("摄影工作室")});
        int photo = 0;
        const auto next = [&] { return QStringLiteral("photo%1.jpg").arg(photo++, 3, 10, QLatin1Char('0')); };
        const QString first = QStringLiteral("作品");
        exec(q, QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID) VALUES(?,1,1)"), {first});
        for (int b = 0; b < 5; ++b) {
            const QString second = QStringLiteral("分类%1").arg(b);
            exec(q, QStringLiteral("INSERT INTO secondCatalog(firstCatalog,secondCatalog,[catalog],orderID) VALUES(?,?,1,?)"),
                 {first, second, b + 1});
            for (int c = 0; c < kPhotoPages / 5; ++c) {
                const QString name = QStringLiteral("页面%1-%2").arg(b).arg(c);
                // Per folder: one gallery of 16, three product pages of 4, six pages of two.
                const QString format = c == 0 ? QStringLiteral("imgs") : c <= 3 ? QStringLiteral("prod03") : QStringLiteral("imgTxt02");
                exec(q, QStringLiteral("INSERT INTO thirdCatalog(firstCatalog,secondCatalog,thirdCatalog,[catalog],orderID,aspFileName) "
                                       "VALUES(?,?,?,0,?,?)"),
                     {first, second, name, c + 1, format});
                const auto add = [&](const QVariantList& v) {
                    QString cols = QStringLiteral("thirdCatalog"), marks = QStringLiteral("?");
                    for (int i = 0; i < v.size(); ++i) {
                        cols += QStringLiteral(",value0") + QString::number(i + 1);
                        marks += QStringLiteral(",?");
                    }
                    exec(q, QStringLiteral("INSERT INTO content03(") + cols + QStringLiteral(") VALUES(") + marks + u')',
                         QVariantList{name} + v);
                };
                if (format == u"imgs") {
                    for (int k = 0; k < 16; ++k) {
                        const QString pic = next();
                        add({QStringLiteral("照片 %1").arg(photo), pic, pic});
                    }
                } else if (format == u"prod03") {
                    for (int k = 0; k < 4; ++k)
                        add({QStringLiteral("产品 %1").arg(photo), QStringLiteral("规格"), QStringLiteral("台"),
                             QStringLiteral("99.00"), next(), QStringLiteral("<p>介绍</p>")});
                } else {
                    const QString a = next(), b2 = next();
                    add({QStringLiteral("标题 %1").arg(photo), QStringLiteral("正文。"), a, b2});
                }
            }
        }
        if (photo != kPhotos)
            fail(QStringLiteral("%1 photos placed").arg(photo));
        db.commit();
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("photos"));
}

void changeOneRecord(const QString& up) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("change"));
        db.setDatabaseName(up + QStringLiteral("/dalmbuilder.tdc"));
        if (!db.open())
            fail(db.lastError().text());
        QSqlQuery q(db);
        exec(q, QStringLiteral("UPDATE content03 SET value02=? WHERE rowid=(SELECT max(rowid) FROM content03)"),
             {QStringLiteral("改过的一行正文。")});
    }
    QSqlDatabase::removeDatabase(QStringLiteral("change"));
}

struct Run {
    double ms = 0;
    qint64 peakKb = 0;
    publish::Result result;
};

Run publishPhotos(const QString& up, const QString& install, const QString& out, const QString& cache) {
    QDir(out).removeRecursively();
    publish::Options o;
    o.uploadDir = up;
    o.skinsDir = install + QStringLiteral("/skins");
    o.outDir = out;
    o.pictureCache = cache;
    o.pictureWorkers = 2;
    resetPeakMemory();
    QElapsedTimer t;
    t.start();
    Run r;
    r.result = publish::renderSite(o);
    r.ms = t.nsecsElapsed() / 1e6;
    r.peakKb = statusKb("VmHWM:");
    if (!r.result.ok)
        fail(r.result.error);
    return r;
}

// The bytes of pictures a phone 390 CSS pixels wide at 3 device pixels per CSS pixel loads
// for a page: for each <picture>, the WebP its srcset and sizes choose.
qint64 phonePictureBytes(const QString& site, const QString& page) {
    QFile f(site + u'/' + page);
    f.open(QIODevice::ReadOnly);
    const QString html = QString::fromUtf8(f.readAll());
    static const QRegularExpression source(QStringLiteral("<source type=\"image/webp\" srcset=\"([^\"]*)\" sizes=\"([^\"]*)\">"));
    static const QRegularExpression small(QStringLiteral("\\(max-width: (\\d+)px\\) (\\d+)vw, (\\d+)px"));
    const int viewport = 390;
    const double dpr = 3;
    qint64 total = 0;
    for (auto it = source.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QString sizes = m.captured(2);
        double css = viewport;
        const auto s = small.match(sizes);
        if (s.hasMatch())
            css = viewport <= s.captured(1).toInt() ? viewport * s.captured(2).toInt() / 100.0 : s.captured(3).toInt();
        else if (sizes.endsWith(QLatin1String("px")))
            css = sizes.chopped(2).toInt();
        const double want = css * dpr;
        QString chosen;
        for (const QString& c : m.captured(1).split(QStringLiteral(", "))) {
            chosen = c.section(u' ', 0, 0);
            if (c.section(u' ', 1).chopped(1).toInt() >= want)
                break;
        }
        total += QFileInfo(site + u'/' + chosen).size();
    }
    return total;
}

// The same derivatives with ImageMagick: one convert per photo making all of its files,
// two at once (the machine's cores), as a shell script would.
double convertAnchor(const QString& up, const QString& site, const QString& scratch) {
    QMap<QString, QStringList> outs; // photo -> its derivatives' "width ext"
    static const QRegularExpression name(QStringLiteral("^(photo\\d+)-(\\d+)-[0-9a-f]{16}\\.(jpg|webp)$"));
    for (const QString& f : QDir(site + QStringLiteral("/pics")).entryList(QDir::Files)) {
        const auto m = name.match(f);
        if (m.hasMatch())
            outs[m.captured(1)] << m.captured(2) + u' ' + m.captured(3);
    }
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    QList<QStringList> commands;
    int files = 0;
    for (auto it = outs.cbegin(); it != outs.cend(); ++it) {
        QStringList args{up + u'/' + it.key() + QStringLiteral(".jpg"), QStringLiteral("-auto-orient"),
                         QStringLiteral("-strip"), QStringLiteral("-colorspace"), QStringLiteral("sRGB")};
        for (const QString& o : it.value()) {
            const QString w = o.section(u' ', 0, 0), ext = o.section(u' ', 1);
            args << QStringLiteral("(") << QStringLiteral("+clone") << QStringLiteral("-resize") << w + u'x'
                 << QStringLiteral("-quality") << (ext == u"jpg" ? QStringLiteral("80") : QStringLiteral("75"))
                 << QStringLiteral("-write") << scratch + u'/' + it.key() + u'-' + w + u'.' + ext
                 << QStringLiteral("+delete") << QStringLiteral(")");
            ++files;
        }
        args << QStringLiteral("null:");
        commands << args;
    }
    QElapsedTimer t;
    t.start();
    QList<QProcess*> running;
    int started = 0;
    while (started < commands.size() || !running.isEmpty()) {
        while (running.size() < 2 && started < commands.size()) {
            auto* p = new QProcess;
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QStringLiteral("convert"), commands.at(started++));
            running << p;
        }
        QProcess* first = running.takeFirst();
        first->waitForFinished(-1);
        if (first->exitCode() != 0)
            fail(QStringLiteral("convert failed"));
        delete first;
    }
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("convert: %d files from %lld photos\n", files, qlonglong(outs.size()));
    return ms;
}

int photosBench(const QString& work, const QString& install) {
    const QString up = work + QStringLiteral("/photos-upload");
    const QString cache = work + QStringLiteral("/photos-cache");
    makePhotoSite(up, install);
    QDir(cache).removeRecursively();
    const qint64 before = statusKb("VmRSS:");
    const Run first = publishPhotos(up, install, work + QStringLiteral("/photos-site1"), cache);
    changeOneRecord(up);
    const Run again = publishPhotos(up, install, work + QStringLiteral("/photos-site2"), cache);
    int files = 0;
    qint64 picBytes = 0;
    for (const QFileInfo& f : QDir(work + QStringLiteral("/photos-site1/pics")).entryInfoList(QDir::Files)) {
        ++files;
        picBytes += f.size();
    }
    std::printf("site: %d pages, %d HTML files, %d picture files (%.1f MB)\n", kPhotoPages, first.result.pages,
                files, picBytes / 1e6);
    std::printf("first publish: %.0f ms, peak memory %.1f MB resident (%.1f MB before)\n", first.ms,
                first.peakKb / 1024.0, before / 1024.0);
    std::printf("re-publish after one record changed: %.0f ms (%.1f %% of the first), peak %.1f MB\n", again.ms,
                100.0 * again.ms / first.ms, again.peakKb / 1024.0);
    const double anchor = convertAnchor(up, work + QStringLiteral("/photos-site1"), work + QStringLiteral("/photos-convert"));
    std::printf("ImageMagick convert, same derivatives: %.0f ms; the pipeline is %.1f× faster\n", anchor,
                anchor / first.ms);
    std::printf("home page pictures on a 390 px phone (3×): %.0f KB\n",
                phonePictureBytes(work + QStringLiteral("/photos-site1"), QStringLiteral("index.html")) / 1024.0);
    std::printf("goals: ≥3× faster than convert, peak < 300 MB, re-publish < 5 %%, home ≤ 400 KB\n");
    for (const char* d : {"/photos-site1", "/photos-site2", "/photos-convert"})
        QDir(work + QLatin1String(d)).removeRecursively();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("work"), QStringLiteral("Folder for the upload and the sites."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("install"), QStringLiteral("The built installation (build/bin)."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Renderings (default 3)."), QStringLiteral("n"),
                      QStringLiteral("3")});
    parser.addOption({QStringLiteral("photos"), QStringLiteral("The site of 200 camera photos instead.")});
    parser.process(app);
    const QString work = parser.value(QStringLiteral("work"));
    const QString install = parser.value(QStringLiteral("install"));
    if (work.isEmpty() || install.isEmpty())
        fail(QStringLiteral("--work and --install are needed"));
    if (parser.isSet(QStringLiteral("photos")))
        return photosBench(work, install);
    const QString up = work + QStringLiteral("/upload");
    makeUpload(up, install);
    const int pages = kFolders * kFolders * kFiles;

    QList<double> ms;
    publish::Result last;
    const qint64 before = statusKb("VmRSS:");
    resetPeakMemory();
    for (int run = 0; run < parser.value(QStringLiteral("runs")).toInt(); ++run) {
        const QString out = work + QStringLiteral("/site%1").arg(run);
        QDir(out).removeRecursively();
        QElapsedTimer t;
        t.start();
        last = publish::renderSite(up, install + QStringLiteral("/skins"), out);
        ms << t.nsecsElapsed() / 1e6;
        if (!last.ok)
            fail(last.error);
    }
    const qint64 peak = statusKb("VmHWM:");
    std::sort(ms.begin(), ms.end());
    const double median = ms.at(ms.size() / 2);
    qint64 bytes = 0;
    QDir site(work + QStringLiteral("/site0"));
    for (const QFileInfo& f : site.entryInfoList({QStringLiteral("*.html")}, QDir::Files))
        bytes += f.size();
    std::printf("site: %d pages (file nodes), %d records, %d pictures; %d HTML files, %.1f MB of HTML\n",
                pages, kRecords, kPictures, last.pages, bytes / 1e6);
    std::printf("render: median %.0f ms of %lld runs (best %.0f ms)\n", median, qlonglong(ms.size()),
                ms.first());
    std::printf("time per page: %.3f ms; per HTML file: %.3f ms (goal: at most 1 ms per page)\n",
                median / pages, median / last.pages);
    std::printf("peak memory: %.1f MB resident (%.1f MB above the %.1f MB before rendering)\n",
                peak / 1024.0, (peak - before) / 1024.0, before / 1024.0);
    for (int run = 0; run < ms.size(); ++run)
        QDir(work + QStringLiteral("/site%1").arg(run)).removeRecursively();
    return 0;
}
