// The site renderer against a site database built through SQL: every format, a news list
// long enough to page, a gallery, products in the three layouts, templates, name
// styles, a background, a custom header, a pop-up window, a script effect, extra pages,
// and names that hold markup, apostrophes, blanks, slashes and dots. The published
// folder is crawled from index.html as a visitor would, and every page goes through tidy.

#include "cameraPhoto.h"
#include "fixture.h"
#include "common/mdl_func.h"
#include "publish/publish.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <thread>

namespace {

const QString kSite = QStringLiteral("华信<script>alert(1)</script>");
const QString kOrg = QStringLiteral("O'Brien & 华信 \"科技\"");

// One record: the title of the page it must appear on, and what that page must hold.
struct Expect {
    QString tag, title;
    QStringList fragments;
};

// The site database of the upload, written through a connection of the test's own.
class Upload {
public:
    explicit Upload(const QString& dir) : m_dir(dir + u'/') {
        QFile::copy(builtInstallPath() + QStringLiteral("initdata/dalmbuilder.tdc"),
                    m_dir + QStringLiteral("dalmbuilder.tdc"));
        QFile::setPermissions(m_dir + QStringLiteral("dalmbuilder.tdc"),
                              QFile::ReadOwner | QFile::WriteOwner);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(m_dir + QStringLiteral("dalmbuilder.tdc"));
        m_ok = db.open();
    }
    ~Upload() {
        QSqlDatabase::database(QStringLiteral("fixture")).close();
        QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    }
    bool exec(const QString& sql, const QVariantList& args = {}) {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("fixture")));
        q.prepare(sql);
        for (const QVariant& a : args)
            q.addBindValue(a);
        if (!q.exec())
            qWarning() << sql << q.lastError().text();
        return m_ok = m_ok && !q.lastError().isValid();
    }
    void info(const QString& column, const QString& value) {
        exec(QStringLiteral("UPDATE user_info SET ") + column + QStringLiteral("=?"), {value});
    }
    // A catalog row below `parents` (level 1: none).
    void node(const QStringList& parents, const QString& name, bool folder, const QString& format = {}) {
        const int level = parents.size() + 1;
        static const char* tables[] = {"firstCatalog", "secondCatalog", "thirdCatalog"};
        QString cols, marks;
        QVariantList args;
        for (int i = 0; i < level; ++i) {
            cols += QLatin1String(tables[i]) + u',';
            marks += QLatin1String("?,");
            args << (i < parents.size() ? parents.at(i) : name);
        }
        exec(QStringLiteral("INSERT INTO ") + tables[level - 1] + u'(' + cols +
                 QStringLiteral("[catalog],orderID,aspFileName) VALUES(") + marks + QStringLiteral("?,?,?)"),
             args << (folder ? 1 : 0) << ++m_order << (folder ? QVariant() : QVariant(format)));
    }
    void record(int level, const QString& owner, const QStringList& values) {
        static const char* owners[] = {"firstCatalog", "secondCatalog", "thirdCatalog"};
        QString cols = QLatin1String(owners[level - 1]), marks = QStringLiteral("?");
        QVariantList args{owner};
        for (int i = 0; i < values.size(); ++i) {
            cols += QStringLiteral(",value0") + QString::number(i + 1);
            marks += QStringLiteral(",?");
            args << values.at(i);
        }
        exec(QStringLiteral("INSERT INTO content0") + QString::number(level) + u'(' + cols +
                 QStringLiteral(") VALUES(") + marks + u')',
             args);
    }
    void picture(const QString& name, const QString& format = {}) const {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::darkCyan);
        img.save(m_dir + name, format.isEmpty() ? nullptr : qPrintable(format));
    }
    void file(const QString& name, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(m_dir + name).absolutePath());
        QFile f(m_dir + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    bool ok() const { return m_ok; }

private:
    QString m_dir;
    bool m_ok = false;
    int m_order = 0;
};

QString unescape(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&#39;"), QLatin1String("'"));
    return s.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString read(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// Every page a visitor reaches from index.html, by its title; every address that points
// at nothing or out of the site.
struct Crawl {
    QMultiHash<QString, QString> pagesByTitle; // title -> page text
    QStringList files;                         // reached, relative to the site
    QStringList broken;
};

Crawl crawl(const QString& site) {
    Crawl c;
    const QString root = QDir(site).canonicalPath() + u'/';
    QStringList queue{QStringLiteral("index.html")};
    QSet<QString> seen{queue.first()};
    static const QRegularExpression ref(QStringLiteral("(?:href|src|data)=\"([^\"]*)\""));
    static const QRegularExpression cssUrl(QStringLiteral("url\\(\"?([^\")]+)\"?\\)"));
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"));
    while (!queue.isEmpty()) {
        const QString file = queue.takeFirst();
        c.files << file;
        const QString text = read(root + file);
        if (file.endsWith(QLatin1String(".html")))
            c.pagesByTitle.insert(unescape(title.match(text).captured(1)), text);
        if (!file.endsWith(QLatin1String(".html")) && !file.endsWith(QLatin1String(".htm")) &&
            !file.endsWith(QLatin1String(".css")))
            continue;
        const QString dir = QFileInfo(file).path() == u"." ? QString() : QFileInfo(file).path() + u'/';
        for (const QRegularExpression* re : {&ref, &cssUrl}) {
            for (auto it = re->globalMatch(text); it.hasNext();) {
                const QString url = it.next().captured(1);
                if (url.startsWith(u'#') || url.contains(u':'))
                    continue;
                const QString target =
                    QDir::cleanPath(dir + QUrl::fromPercentEncoding(url.section(u'#', 0, 0).toUtf8()));
                const QString canonical = QFileInfo(root + target).canonicalFilePath();
                if (canonical.isEmpty() || !canonical.startsWith(root)) {
                    c.broken << file + QStringLiteral(" -> ") + url;
                    continue;
                }
                if (!seen.contains(target)) {
                    seen.insert(target);
                    queue << target;
                }
            }
        }
    }
    return c;
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyRecordOnItsPage_data();
    void everyRecordOnItsPage();
    void crawlReachesEveryNodeAndNothingIsMissing();
    void plainTextIsEscapedAndSiteWideParts();
    void pageNamesAreSafeAndStable();
    void everyPagePassesTidy();
    void customHomePage();
    void publishedPicturesAreLightAndPrivate();
    void refusedUploads_data();
    void refusedUploads();

private:
    void buildSite(Upload& up, QList<Expect>* expects);
    QTemporaryDir m_dir;
    QString m_site;
    publish::Result m_result;
    QList<Expect> m_expects;
    Crawl m_crawl;
};

void TestPublish::buildSite(Upload& up, QList<Expect>* expects) {
    const QString site = QStringLiteral(" - ") + kSite;
    up.info(QStringLiteral("webName"), kSite);
    up.info(QStringLiteral("dalm_name"), kOrg);
    up.info(QStringLiteral("Tel"), QStringLiteral("0512-6288 3366"));
    up.info(QStringLiteral("Address"), QStringLiteral("星湖街 218 号 <1>"));
    up.info(QStringLiteral("logo"), QStringLiteral("logo.png"));
    up.info(QStringLiteral("defaultTmpl"), QStringLiteral("dqy01.png"));
    up.info(QStringLiteral("headTmpl"), QStringLiteral("hsw02.png"));
    up.info(QStringLiteral("defaultFont"), QStringLiteral("ns03.png"));
    up.info(QStringLiteral("headFont"), QStringLiteral("ns06.png"));
    up.info(QStringLiteral("backGround"), QStringLiteral("bg tile.jpg"));
    up.info(QStringLiteral("topHead"), QStringLiteral("topHeadSelf.jpg"));
    up.info(QStringLiteral("field01"), QStringLiteral("||extra.htm||gone.htm"));
    up.info(QStringLiteral("field02"), QStringLiteral("1"));
    up.info(QStringLiteral("field04"), QStringLiteral("1"));
    up.info(QStringLiteral("adBoard"), QStringLiteral("1||320||180||10||20||公告<b>||") +
                                           mdl_func::encode(QStringLiteral("第一行 'A'\n第二行 <i>")));
    up.info(QStringLiteral("javascript"), QStringLiteral("1||03.asp||欢迎<光临>"));
    for (const QString& p : {QStringLiteral("logo.png"), QStringLiteral("bg tile.jpg"),
                             QStringLiteral("topHeadSelf.jpg"), QStringLiteral("p1.jpg"),
                             QStringLiteral("p2.jpg"), QStringLiteral("big.png"), QStringLiteral("rich.png"),
                             QStringLiteral("n7.jpg"), QStringLiteral("g1.jpg"), QStringLiteral("g2.jpg"),
                             QStringLiteral("prod.jpg")})
        up.picture(p);
    up.picture(QStringLiteral("g1_small.bmp"), QStringLiteral("BMP"));
    up.file(QStringLiteral("extra.htm"), "<html><head><title>额外页面</title></head><body><img src=\"images/x.gif\"></body></html>");
    up.file(QStringLiteral("images/x.gif"), "GIF89a");
    up.file(QStringLiteral("../outside.jpg"), "outside the upload");

    const auto page = [&](const QString& tag, int level, const QStringList& parents, const QString& name,
                          const QString& format, const QStringList& values, const QStringList& fragments) {
        up.node(parents, name, false, format);
        up.record(level, name, values);
        expects->append({tag, name + site, fragments});
    };
    const QString body = mdl_func::encode(QStringLiteral("第一段 O'K\n第二段 <b>粗</b>\n第三段\n第四段"));
    const QStringList paras{QStringLiteral("<p>第一段 O&#39;K</p>"), QStringLiteral("<p>第二段 &lt;b&gt;粗&lt;/b&gt;</p>")};
    up.node({}, QStringLiteral("关于我们"), true);
    page(QStringLiteral("txt"), 2, {QStringLiteral("关于我们")}, QStringLiteral("简介 O'K"), QStringLiteral("txt"),
         {QStringLiteral("标题 <i>"), body}, QStringList{QStringLiteral("标题 &lt;i&gt;")} + paras);
    page(QStringLiteral("imgTxt01"), 2, {QStringLiteral("关于我们")}, QStringLiteral("图文/一"),
         QStringLiteral("imgTxt01"), {QStringLiteral("图文一"), body, QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")},
         QStringList{QStringLiteral("orv-pic-left\"><picture><source type=\"image/webp\" srcset=\"pics/p1-40-"),
                     QStringLiteral("orv-pic-right\"><picture><source type=\"image/webp\" srcset=\"pics/p2-40-")} + paras);
    page(QStringLiteral("imgTxt02"), 2, {QStringLiteral("关于我们")}, QStringLiteral("图文二"), QStringLiteral("imgTxt02"),
         {QStringLiteral("图文二"), body, QStringLiteral("p1.jpg"), QStringLiteral("missing.jpg")},
         QStringList{QStringLiteral("<div class=\"orv-pics\"><figure class=\"orv-pic\"><picture><source type=\"image/webp\" srcset=\"pics/p1-40-"),
                     QStringLiteral(" width=\"40\" height=\"30\" alt=\"图文二\" decoding=\"async\"></picture></figure></div>")} + paras);
    up.node({QStringLiteral("关于我们")}, QStringLiteral("深 层"), true);
    const QStringList deep{QStringLiteral("关于我们"), QStringLiteral("深 层")};
    page(QStringLiteral("imgTxt03"), 3, deep, QStringLiteral("图文.三"), QStringLiteral("imgTxt03"),
         {QStringLiteral("图文三"), body, QStringLiteral("p2.jpg"), QString()},
         QStringList{QStringLiteral("orv-pic-top\"><picture><source type=\"image/webp\" srcset=\"pics/p2-40-")} + paras);
    page(QStringLiteral("bigImg"), 3, deep, QStringLiteral(".."), QStringLiteral("bigImg"), {QStringLiteral("big.png")},
         {QStringLiteral("orv-pic-full\"><picture><source type=\"image/webp\" srcset=\"pics/big-40-")});
    page(QStringLiteral("adv"), 1, {}, QStringLiteral("<script>x</script>"), QStringLiteral("adv"),
         {QStringLiteral("<p class=[&#39;]lead[&#39;]>富文本<img src=\"[imgpath]/rich.png\"></p>")},
         {QStringLiteral("<div class=\"orv-adv\"><p class='lead'>富文本<img src=\"pics/rich-40-")});

    // Pictures whose names mean something in an address, in each form a page stores them.
    up.picture(QStringLiteral("it's 1#%.jpg"));
    up.picture(QStringLiteral("a&b 2.png"));
    page(QStringLiteral("adv, names with blanks, hashes, percents and apostrophes"), 1, {},
         QStringLiteral("怪名"), QStringLiteral("adv"),
         {QStringLiteral("<p><img src=\"[imgpath]/it[&#39;]s 1#%.jpg\"><img src=\"[imgpath]/it&#39;s 1#%.jpg\">"
                         "<img src=\"[imgpath]/it%27s%201%23%25.jpg\"><img src=\"[imgpath]/a&amp;b 2.png\"></p>")},
         {QStringLiteral("<p><img src=\"pics/it_s_1-40-"), QStringLiteral("<img src=\"pics/a_b_2-40-")});
    page(QStringLiteral("bigImg, a name with a blank, a hash, a percent and an apostrophe"), 1, {},
         QStringLiteral("怪名大图"), QStringLiteral("bigImg"), {QStringLiteral("it's 1#%.jpg")},
         {QStringLiteral("orv-pic-full\"><picture><source type=\"image/webp\" srcset=\"pics/it_s_1-40-")});

    // A news list over two pages, newest first, each item on its own page.
    up.node({}, QStringLiteral("新闻/动态"), false, QStringLiteral("news"));
    for (int n = 1; n <= 25; ++n) {
        const QString title = QStringLiteral("新闻 %1 & 'x'").arg(n);
        const QString date = QStringLiteral("2024-05-%1").arg(n, 2, 10, QLatin1Char('0'));
        const QStringList values{title, date, mdl_func::encode(QStringLiteral("正文 %1\n下一段").arg(n)),
                                 n == 7 ? QStringLiteral("n7.jpg") : QString()};
        up.record(1, QStringLiteral("新闻/动态"), values);
        const QString t = QStringLiteral("新闻 %1 &amp; &#39;x&#39;").arg(n);
        expects->append({QStringLiteral("news list %1").arg(n), QStringLiteral("新闻/动态") + site, {t, date}});
        QStringList item{QStringLiteral("<h1 class=\"orv-record-title\">") + t, QStringLiteral("<p>正文 %1</p>").arg(n),
                         date, QStringLiteral("返回列表")};
        if (n == 7)
            item << QStringLiteral("orv-pic-top\"><picture><source type=\"image/webp\" srcset=\"pics/n7-40-");
        expects->append({QStringLiteral("news item %1").arg(n), title + site, item});
    }

    // The gallery: a stored thumbnail, a picture without one, a picture that is gone, and
    // names that lead out of the upload or at its database.
    up.node({}, QStringLiteral("图库."), false, QStringLiteral("imgs"));
    const QList<QStringList> pictures{{QStringLiteral("车间 'A'"), QStringLiteral("g1.jpg"), QStringLiteral("g1_small.bmp")},
                                      {QStringLiteral("大楼"), QStringLiteral("g2.jpg"), QStringLiteral("g2_small.bmp")},
                                      {QStringLiteral("丢失"), QStringLiteral("gone.jpg"), QStringLiteral("gone_small.bmp")},
                                      {QStringLiteral("外面"), QStringLiteral("../outside.jpg"), QStringLiteral("dalmbuilder.tdc")}};
    const QList<QStringList> shown{
        {QStringLiteral("<li><a href=\"pics/g1-40-"),
         QStringLiteral(" alt=\"车间 &#39;A&#39;\" decoding=\"async\"></picture><span class=\"orv-caption\">")},
        {QStringLiteral("<li><a href=\"pics/g2-40-")},
        {QStringLiteral("<li><span class=\"orv-caption\">丢失</span></li>")},
        {QStringLiteral("<li><span class=\"orv-caption\">外面</span></li>")}};
    for (int k = 0; k < pictures.size(); ++k) {
        up.record(1, QStringLiteral("图库."), pictures.at(k));
        expects->append({QStringLiteral("imgs %1").arg(k), QStringLiteral("图库.") + site, shown.at(k)});
    }

    // Products in the three layouts, each with its own page.
    up.node({}, QStringLiteral("产品 中心"), true);
    for (const QString& f : {QStringLiteral("prod01"), QStringLiteral("prod02"), QStringLiteral("prod03")}) {
        const QString owner = QStringLiteral("产品'") + f;
        up.node({QStringLiteral("产品 中心")}, owner, false, f);
        for (int k = 1; k <= 2; ++k) {
            const QString name = QStringLiteral("%1 型号<%2>").arg(f).arg(k);
            const QStringList values{name, QStringLiteral("规格 %1").arg(k), QStringLiteral("台"),
                                     k == 1 ? QStringLiteral("26.50") : QString(),
                                     k == 1 ? QStringLiteral("prod.jpg") : QString(),
                                     QStringLiteral("<p>介绍[&#39;]%1[&#39;]</p>").arg(k)};
            up.record(2, owner, values);
            const QString esc = QStringLiteral("%1 型号&lt;%2&gt;").arg(f).arg(k);
            QStringList list{esc, QStringLiteral("orv-") + f};
            QStringList own{QStringLiteral("<h1 class=\"orv-record-title\">") + esc,
                            QStringLiteral("<dd>规格 %1</dd>").arg(k), QStringLiteral("<p>介绍'%1'</p>").arg(k)};
            if (k == 1) {
                own << QStringLiteral("<span class=\"orv-price\">26.50</span>") << QStringLiteral("src=\"pics/prod-40-");
                if (f != u"prod01")
                    list << QStringLiteral("src=\"pics/prod-40-");
            }
            expects->append({f + QStringLiteral(" list %1").arg(k), owner + site, list});
            expects->append({f + QStringLiteral(" page %1").arg(k), name + site, own});
        }
    }
    up.node({}, QStringLiteral("空目录"), true);
    up.node({}, QStringLiteral("无格式"), false, QString());
}

void TestPublish::initTestCase() {
    QVERIFY(m_dir.isValid());
    QDir().mkpath(m_dir.path() + QStringLiteral("/up"));
    {
        Upload up(m_dir.path() + QStringLiteral("/up"));
        QVERIFY(up.ok());
        buildSite(up, &m_expects);
        QVERIFY(up.ok());
    }
    m_site = m_dir.path() + QStringLiteral("/site");
    m_result = publish::renderSite(m_dir.path() + QStringLiteral("/up"), builtInstallPath() + QStringLiteral("skins"),
                                   m_site);
    QVERIFY2(m_result.ok, qPrintable(m_result.error));
    m_crawl = crawl(m_site);
}

void TestPublish::everyRecordOnItsPage_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("fragments");
    for (const Expect& e : std::as_const(m_expects))
        QTest::newRow(qPrintable(e.tag)) << e.title << e.fragments;
}

void TestPublish::everyRecordOnItsPage() {
    QFETCH(QString, title);
    QFETCH(QStringList, fragments);
    const QStringList pages = m_crawl.pagesByTitle.values(title);
    QVERIFY2(!pages.isEmpty(), qPrintable(QStringLiteral("no page titled ") + title));
    for (const QString& f : fragments) {
        const bool found = std::any_of(pages.begin(), pages.end(), [&](const QString& p) { return p.contains(f); });
        QVERIFY2(found, qPrintable(title + QStringLiteral(": ") + f));
    }
}

void TestPublish::crawlReachesEveryNodeAndNothingIsMissing() {
    QVERIFY2(m_crawl.broken.isEmpty(), qPrintable(m_crawl.broken.join(u'\n')));
    const QString site = QStringLiteral(" - ") + kSite;
    for (const QString& node : {QStringLiteral("关于我们"), QStringLiteral("深 层"), QStringLiteral("空目录"),
                                QStringLiteral("无格式"), QStringLiteral("产品 中心")})
        QVERIFY2(m_crawl.pagesByTitle.contains(node + site), qPrintable(node));
    // Both pages of the news list, and every generated page of the folder.
    QCOMPARE(m_crawl.pagesByTitle.values(QStringLiteral("新闻/动态") + site).size(), 2);
    QDirIterator it(m_site, {QStringLiteral("*.html")}, QDir::Files);
    int html = 0;
    while (it.hasNext()) {
        it.next();
        ++html;
        QVERIFY2(m_crawl.files.contains(it.fileName()), qPrintable(it.fileName()));
    }
    QCOMPARE(html, m_result.pages);
    // A name that leads out of the upload, or at its database, publishes nothing.
    QVERIFY(QFileInfo::exists(m_dir.path() + QStringLiteral("/outside.jpg")));
    QCOMPARE(QDir(m_site).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).filter(QStringLiteral(".tdc")).size(), 0);
    QCOMPARE(QDir(m_site + QStringLiteral("/pics")).entryList({QStringLiteral("*outside*"), QStringLiteral("*.tdc")}).size(), 0);
    QVERIFY(m_crawl.files.contains(QStringLiteral("extra.htm")));
    QVERIFY(m_crawl.files.contains(QStringLiteral("images/x.gif")));
}

void TestPublish::plainTextIsEscapedAndSiteWideParts() {
    const QString home = read(m_site + QStringLiteral("/index.html"));
    // The pop-up window on the home page only, where and as large as stored.
    QVERIFY(home.contains(QStringLiteral("style=\"left:20px;top:10px;width:320px;height:180px\"")));
    QVERIFY(home.contains(QStringLiteral("<span class=\"orv-popup-title\">公告&lt;b&gt;</span>")));
    QVERIFY(home.contains(QStringLiteral("第一行 &#39;A&#39;<br>第二行 &lt;i&gt;")));
    for (auto it = m_crawl.pagesByTitle.constBegin(); it != m_crawl.pagesByTitle.constEnd(); ++it) {
        const QString& page = it.value();
        const QString where = it.key();
        // The only script is the chosen effect, with its text as an attribute.
        QCOMPARE(page.count(QStringLiteral("<script")), 1);
        QVERIFY2(page.contains(QStringLiteral("<script src=\"skin/effects/03.js\" data-text=\"欢迎&lt;光临&gt;\" defer>")),
                 qPrintable(where));
        QVERIFY2(!page.contains(QStringLiteral("<script>")), qPrintable(where));
        // Organisation name and contact data in every footer.
        QVERIFY2(page.contains(QStringLiteral("<p class=\"orv-footer-name\">O&#39;Brien &amp; 华信 &quot;科技&quot;</p>")),
                 qPrintable(where));
        QVERIFY2(page.contains(QStringLiteral("星湖街 218 号 &lt;1&gt;")), qPrintable(where));
        QVERIFY2(page.contains(QStringLiteral("url(\"pics/bg_tile-40-")), qPrintable(where));
        // Inner pages show the custom header instead of the name.
        if (page.contains(QStringLiteral("skin/hsw02/")))
            QVERIFY2(page.contains(QStringLiteral("<img class=\"orv-headpic\" src=\"pics/topheadself-40-")), qPrintable(where));
        if (page != home)
            QVERIFY2(!page.contains(QStringLiteral("orv-popup")), qPrintable(where));
        // The extra page is linked from the navigation by its own title.
        QVERIFY2(page.contains(QStringLiteral("<a href=\"extra.htm\">额外页面</a>")), qPrintable(where));
    }
    // The three levels in the navigation; the chosen home skin and name style.
    QVERIFY(home.contains(QStringLiteral("<li class=\"orv-l3\">")));
    QVERIFY(home.contains(QStringLiteral("skin/dqy01/skin.css")) && home.contains(QStringLiteral("skin/names/ns03.css")));
    QVERIFY(QFileInfo::exists(m_site + QStringLiteral("/skin/effects/03.js")));
    // What needs the provider's approval is left out and said so; what is missing too.
    const QString log = m_result.log.join(u'\n');
    QVERIFY(log.contains(QStringLiteral("站点论坛")) && log.contains(QStringLiteral("客户留言")));
    QVERIFY(!log.contains(QStringLiteral("邮局登陆")) && !log.contains(QStringLiteral("办公系统")));
    QVERIFY(log.contains(QStringLiteral("gone.htm")) && log.contains(QStringLiteral("missing.jpg")));
}

void TestPublish::pageNamesAreSafeAndStable() {
    static const QRegularExpression generated(QStringLiteral("^(index|n[0-9a-f]{10}(x[0-9]+)?(-p?[0-9]+)?)\\.html$"));
    const QStringList first = QDir(m_site).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString& name : first)
        QVERIFY2(generated.match(name).hasMatch(), qPrintable(name));
    // Published again, twice at once off the main thread, the same pages get the same names.
    publish::Result again[2];
    std::thread runs[2];
    for (int k = 0; k < 2; ++k)
        runs[k] = std::thread([&, k] {
            again[k] = publish::renderSite(m_dir.path() + QStringLiteral("/up"), builtInstallPath() + QStringLiteral("skins"),
                                           m_dir.path() + QStringLiteral("/again%1").arg(k));
        });
    for (int k = 0; k < 2; ++k) {
        runs[k].join();
        QVERIFY2(again[k].ok, qPrintable(again[k].error));
        QCOMPARE(QDir(m_dir.path() + QStringLiteral("/again%1").arg(k))
                     .entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name),
                 first);
    }
}

void TestPublish::everyPagePassesTidy() {
    const QString tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
    QVERIFY2(!tidy.isEmpty(), "tidy is not installed: run scripts/bootstrap.sh");
    QDirIterator it(m_site, {QStringLiteral("*.html")}, QDir::Files);
    while (it.hasNext()) {
        const QString page = it.next();
        QProcess p;
        p.start(tidy, {QStringLiteral("-errors"), QStringLiteral("-q"), page});
        QVERIFY(p.waitForFinished(10000));
        const QString out = QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
        // Exit code 2 means errors; 1 warnings only.
        QVERIFY2(p.exitCode() < 2 && !out.contains(QLatin1String("Error:")), qPrintable(page + u'\n' + out));
    }
}

void TestPublish::customHomePage() {
    const QString dir = m_dir.path() + QStringLiteral("/custom");
    QDir().mkpath(dir);
    const QByteArray own = "<html><body><img src=\"images/top.gif\">自己的首页</body></html>";
    {
        Upload up(dir);
        up.info(QStringLiteral("defaultFile"), QStringLiteral("Default.htm"));
        up.info(QStringLiteral("adBoard"), QStringLiteral("1||300||200||0||0||t||c"));
        up.info(QStringLiteral("topHead"), QStringLiteral("topHeadSelf.swf"));
        up.file(QStringLiteral("topHeadSelf.swf"), "FWS");
        up.node({}, QStringLiteral("简介"), false, QStringLiteral("txt"));
        up.record(1, QStringLiteral("简介"), {QStringLiteral("t"), QStringLiteral("b")});
        up.file(QStringLiteral("Default.htm"), own);
        up.file(QStringLiteral("images/top.gif"), "GIF89a");
        QVERIFY(up.ok());
    }
    const publish::Result r = publish::renderSite(dir, builtInstallPath() + QStringLiteral("skins"), dir + QStringLiteral("-site"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(read(dir + QStringLiteral("-site/index.html")).toUtf8(), own);
    QVERIFY(QFileInfo::exists(dir + QStringLiteral("-site/images/top.gif")));
    QVERIFY(crawl(dir + QStringLiteral("-site")).broken.isEmpty());
    // The inner page still leads home, under a Flash header.
    const QStringList inner = QDir(dir + QStringLiteral("-site")).entryList({QStringLiteral("n*.html")});
    QCOMPARE(inner.size(), 1);
    const QString page = read(dir + QStringLiteral("-site/") + inner.first());
    QVERIFY(page.contains(QStringLiteral("<a href=\"index.html\">首页</a>")));
    QVERIFY(page.contains(QStringLiteral("<object class=\"orv-headflash\" type=\"application/x-shockwave-flash\" data=\"pics/topHeadSelf.swf\"")));
}

// A camera photo with its GPS position, a BMP thumbnail, a TIFF and a file that is no
// picture: the site goes out with none of the metadata, none of the uploads' own files,
// every picture with its size, and the broken one left out and named.
void TestPublish::publishedPicturesAreLightAndPrivate() {
    QTemporaryDir dir;
    const QString up = dir.path() + QStringLiteral("/up/"), out = dir.path() + QStringLiteral("/out/");
    QDir().mkpath(up);
    QList<QByteArray> uploaded;
    {
        Upload u(up);
        const auto keep = [&](const QString& name, const QByteArray& bytes) {
            u.file(name, bytes);
            uploaded << bytes;
        };
        keep(QStringLiteral("photo.jpg"), testsupport::cameraJpeg(1600, 1200, 6, 5));
        keep(QStringLiteral("logo.jpg"), testsupport::cameraJpeg(300, 120, 1, 6));
        u.picture(QStringLiteral("photo_small.bmp"), QStringLiteral("BMP"));
        keep(QStringLiteral("scan.tif"), testsupport::plainTiff(64, 48));
        keep(QStringLiteral("broken.jpg"), "\xFF\xD8 no photo after all");
        u.info(QStringLiteral("logo"), QStringLiteral("logo.jpg"));
        u.node({}, QStringLiteral("相册"), false, QStringLiteral("imgs"));
        u.record(1, QStringLiteral("相册"), {QStringLiteral("工地"), QStringLiteral("photo.jpg"), QStringLiteral("photo_small.bmp")});
        u.record(1, QStringLiteral("相册"), {QStringLiteral("缩略图"), QStringLiteral("gone.jpg"), QStringLiteral("photo_small.bmp")});
        u.node({}, QStringLiteral("扫描"), false, QStringLiteral("imgTxt03"));
        u.record(1, QStringLiteral("扫描"), {QStringLiteral("扫描件"), QStringLiteral("正文"), QStringLiteral("scan.tif")});
        u.node({}, QStringLiteral("坏图"), false, QStringLiteral("imgTxt02"));
        u.record(1, QStringLiteral("坏图"), {QStringLiteral("坏图"), QStringLiteral("正文"), QStringLiteral("broken.jpg"), QStringLiteral("photo.jpg")});
        QVERIFY(u.ok());
    }
    const publish::Result r = publish::renderSite(up, builtInstallPath() + QStringLiteral("skins"), out);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY2(r.log.join(u'\n').contains(QStringLiteral("broken.jpg")), qPrintable(r.log.join(u'\n')));
    QVERIFY(crawl(out).broken.isEmpty());

    static const QRegularExpression imgTag(QStringLiteral("<img [^>]*>"));
    int imgs = 0, pictures = 0;
    QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString suffix = QFileInfo(file).suffix().toLower();
        QVERIFY2(suffix != u"bmp" && suffix != u"tif" && suffix != u"tiff", qPrintable(file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY2(!bytes.contains(testsupport::kCameraSerial) && !bytes.contains("Exif"), qPrintable(file));
        QVERIFY2(!uploaded.contains(bytes), qPrintable(file));
        if (file.contains(QLatin1String("/pics/")))
            ++pictures;
        if (suffix != u"html")
            continue;
        const QString page = QString::fromUtf8(bytes);
        QVERIFY2(!page.contains(QLatin1String("broken")), qPrintable(file));
        for (auto m = imgTag.globalMatch(page); m.hasNext(); ++imgs) {
            const QString tag = m.next().captured();
            QVERIFY2(tag.contains(QLatin1String(" width=\"")) && tag.contains(QLatin1String(" height=\"")), qPrintable(tag));
        }
    }
    QVERIFY(imgs >= 5);
    QVERIFY(pictures >= 8);
    // The photo stands up (1200 × 1600), and the gallery's full view is a large copy of it.
    bool tall = false;
    QDirIterator pages(out, {QStringLiteral("*.html")}, QDir::Files);
    while (pages.hasNext()) {
        const QString page = read(pages.next());
        tall = tall || page.contains(QStringLiteral("width=\"960\" height=\"1280\" alt=\"坏图\""));
        if (page.contains(QLatin1String("class=\"orv-gallery\"")))
            QVERIFY(page.contains(QRegularExpression(QStringLiteral("<a href=\"pics/photo-1200-[0-9a-f]{16}\\.jpg\">"))));
    }
    QVERIFY(tall);
}

void TestPublish::refusedUploads_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("error");
    QTest::newRow("no database") << "no database" << "没有站点数据库";
    QTest::newRow("not a database") << "not a database" << "站点数据库无法";
    QTest::newRow("output not empty") << "output not empty" << "不是空的";
    QTest::newRow("no skins") << "no skins" << "没有可用的模板";
}

void TestPublish::refusedUploads() {
    QFETCH(QString, damage);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString up = dir.path() + QStringLiteral("/up"), out = dir.path() + QStringLiteral("/out");
    QDir().mkpath(up);
    QString skins = builtInstallPath() + QStringLiteral("skins");
    if (damage != u"no database")
        QFile::copy(builtInstallPath() + QStringLiteral("initdata/dalmbuilder.tdc"), up + QStringLiteral("/dalmbuilder.tdc"));
    if (damage == u"not a database") {
        QFile f(up + QStringLiteral("/dalmbuilder.tdc"));
        QFile::setPermissions(f.fileName(), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("PK\x03\x04 not sqlite at all");
    }
    if (damage == u"output not empty") {
        QDir().mkpath(out);
        QFile f(out + QStringLiteral("/keep.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (damage == u"no skins")
        skins = dir.path() + QStringLiteral("/noskins");
    const publish::Result r = publish::renderSite(up, skins, out);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(error), qPrintable(r.error));
    if (damage == u"output not empty")
        QCOMPARE(QDir(out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("keep.txt")});
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
