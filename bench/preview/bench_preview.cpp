// Local preview benchmark: a working folder of 100 and one of 1,000 pages (file nodes on
// the third level, ten to a folder, in four display formats, with 40 pictures), open as
// the program holds it. Prints the time from asking for the preview to the site lying in
// its folder, and from one record saved to the site rendered again.

#include "preview/sitePreview.h"
#include "sitedb/sitedb.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>

#include <algorithm>
#include <cstdio>

namespace {

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_preview: %s\n", qPrintable(why));
    std::exit(1);
}

constexpr int kPictures = 40;
const char* const kFormats[] = {"txt", "news", "imgTxt01", "prod01"};

void run(const QString& sql, const QVariantList& args) {
    const sitedb::Outcome out = sitedb::exec(sql, args);
    if (!out)
        fail(out.error);
}

// A working folder of `pages` file nodes, opened as `conn`.
void makeSite(const QString& work, const QString& install, int pages) {
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    const QString db = work + QString::fromLatin1(sitedb::fileName);
    if (!QFile::copy(install + QStringLiteral("initdata/dalmbuilder.tdc"), db))
        fail(QStringLiteral("no pristine site database in ") + install);
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    for (int i = 0; i < kPictures; ++i) {
        QImage img(400, 300, QImage::Format_RGB32);
        img.fill(QColor::fromHsv(i * 9, 160, 200));
        img.save(work + QStringLiteral("pic%1.jpg").arg(i), "JPEG", 85);
    }
    if (!sitedb::open(db))
        fail(QStringLiteral("cannot open ") + db);
    const sitedb::Outcome made = sitedb::transaction([&] {
        run(QStringLiteral("UPDATE user_info SET webName=?, dalm_name=?, Tel=?"),
            {QStringLiteral("测试站点"), QStringLiteral("测试科技有限公司"), QStringLiteral("0512-1234 5678")});
        const QString body = QStringLiteral("这是一段正文，介绍公司的产品与服务。").repeated(6);
        for (int n = 0; n < pages; ++n) {
            const QString first = QStringLiteral("栏目%1").arg(n / 100);
            const QString second = QStringLiteral("分栏%1").arg(n / 10);
            const QString page = QStringLiteral("页面%1").arg(n);
            if (n % 100 == 0)
                run(QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID) VALUES(?,1,?)"),
                    {first, n / 100 + 1});
            if (n % 10 == 0)
                run(QStringLiteral("INSERT INTO secondCatalog(firstCatalog,secondCatalog,[catalog],orderID) "
                                   "VALUES(?,?,1,?)"),
                    {first, second, n / 10 + 1});
            const QString format = QLatin1String(kFormats[n % 4]);
            run(QStringLiteral("INSERT INTO thirdCatalog(firstCatalog,secondCatalog,thirdCatalog,[catalog],"
                               "orderID,aspFileName) VALUES(?,?,?,0,?,?)"),
                {first, second, page, n % 10 + 1, format});
            const QString pic = QStringLiteral("pic%1.jpg").arg(n % kPictures);
            const int records = format == u"news" || format == u"prod01" ? 5 : 1;
            for (int r = 0; r < records; ++r) {
                QVariantList v{page};
                if (format == u"news")
                    v << QStringLiteral("新闻 %1-%2").arg(n).arg(r) << QStringLiteral("2026-12-01") << body << QString();
                else if (format == u"prod01")
                    v << QStringLiteral("产品 %1-%2").arg(n).arg(r) << QStringLiteral("规格") << QStringLiteral("台")
                      << QStringLiteral("99.00") << pic;
                else
                    v << QStringLiteral("标题 %1").arg(n) << body << pic << QString();
                QString cols = QStringLiteral("thirdCatalog"), marks = QStringLiteral("?");
                for (int i = 1; i < v.size(); ++i) {
                    cols += QStringLiteral(",value0") + QString::number(i);
                    marks += QStringLiteral(",?");
                }
                run(QStringLiteral("INSERT INTO content03(") + cols + QStringLiteral(") VALUES(") + marks + u')', v);
            }
        }
        return sitedb::Outcome{};
    });
    if (!made)
        fail(made.error);
}

// Waits for the preview's next rendering; its time in milliseconds.
double waitRendered(preview::SitePreview& p, const QElapsedTimer& since) {
    QEventLoop loop;
    QObject::connect(&p, &preview::SitePreview::rendered, &loop, &QEventLoop::quit);
    loop.exec();
    if (!p.last().ok)
        fail(p.last().error);
    return since.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("work"), QStringLiteral("Folder for the working folders."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("install"), QStringLiteral("The built installation (build/bin)."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("saves"), QStringLiteral("Saves timed per site (default 5)."),
                      QStringLiteral("n"), QStringLiteral("5")});
    parser.process(app);
    const QString work = QDir(parser.value(QStringLiteral("work"))).absolutePath() + u'/';
    const QString install = QDir(parser.value(QStringLiteral("install"))).absolutePath() + u'/';
    if (!parser.isSet(QStringLiteral("work")) || !parser.isSet(QStringLiteral("install")))
        fail(QStringLiteral("--work and --install are needed"));

    for (const int pages : {100, 1000}) {
        const QString folder = work + QStringLiteral("site%1/").arg(pages);
        makeSite(folder, install, pages);
        const QString cache = work + QStringLiteral("cache%1/").arg(pages);
        QDir(cache).removeRecursively();
        preview::SitePreview p(folder, install + QStringLiteral("skins/"), cache);
        p.followChanges(true);
        QElapsedTimer t;
        t.start();
        p.render();
        const double first = waitRendered(p, t);
        QList<double> again;
        for (int n = 0; n < parser.value(QStringLiteral("saves")).toInt(); ++n) {
            t.start();
            run(QStringLiteral("UPDATE content03 SET value01=? WHERE thirdCatalog=?"),
                {QStringLiteral("改过的标题 %1").arg(n), QStringLiteral("页面0")});
            again << waitRendered(p, t);
        }
        std::sort(again.begin(), again.end());
        std::printf("%d pages (%d HTML files): first rendering %.0f ms; after one save: median %.0f ms "
                    "(best %.0f, worst %.0f, of %lld saves)\n",
                    pages, p.last().pages, first, again.at(again.size() / 2), again.first(), again.last(),
                    qlonglong(again.size()));
        std::fflush(stdout);
        sitedb::close();
    }
    QDir(work).removeRecursively();
    return 0;
}
