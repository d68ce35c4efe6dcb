// Site renderer benchmark: an upload of 1,000 pages (file nodes: ten level-1 folders of
// ten level-2 folders of ten files, the eleven display formats in turn) holding 10,000
// records and 60 pictures, rendered into a new folder three times. Prints the time per
// page and per HTML file written, and the peak memory of the rendering.

#include "bench/memory.h"
#include "publish/publish.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QCoreApplication>
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

void makeUpload(const QString& up, const QString& install) {
    QDir(up).removeRecursively();
    QDir().mkpath(up);
    const QString file = up + QStringLiteral("/dalmbuilder.tdc");
    if (!QFile::copy(install + QStringLiteral("/initdata/dalmbuilder.tdc"), file))
        fail(QStringLiteral("no pristine site database in ") + install);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
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
    parser.process(app);
    const QString work = parser.value(QStringLiteral("work"));
    const QString install = parser.value(QStringLiteral("install"));
    if (work.isEmpty() || install.isEmpty())
        fail(QStringLiteral("--work and --install are needed"));
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
