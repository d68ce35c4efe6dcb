// The site renderer against a site database built through SQL: every format, a news list
// long enough to page, a gallery, products in the three layouts, templates, name
// styles, a background, a custom header, a pop-up window, a script effect, extra pages,
// and names that hold markup, apostrophes, blanks, slashes and dots. The published
// folder is crawled from index.html as a visitor would, and every page goes through tidy.

#include "cameraPhoto.h"
#include "fixture.h"
#include "common/mdl_func.h"
#include "publish/publish.h"

#include <QColor>
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
#include <QXmlStreamReader>

#include <cmath>
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

Crawl crawl(const QString& site, const QString& start = QStringLiteral("index.html")) {
    Crawl c;
    const QString root = QDir(site).canonicalPath() + u'/';
    QStringList queue{start};
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


// What a phone and a screen reader need of every published page: the viewport, the
// language, a way past the navigation, one heading of the first level and no level skipped
// below it, the visitor's place marked. Empty when the page has all of it.
QString pageFaults(const QString& page) {
    QStringList faults;
    if (!page.contains(QLatin1String("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">")))
        faults << QStringLiteral("no viewport");
    if (!page.contains(QLatin1String("<html lang=\"zh-CN\">")))
        faults << QStringLiteral("no language");
    if (!page.contains(QLatin1String("href=\"#orv-main\"")) || !page.contains(QLatin1String("id=\"orv-main\"")))
        faults << QStringLiteral("no skip link");
    if (!page.contains(QLatin1String("aria-current=\"page\"")))
        faults << QStringLiteral("the current page is not marked");
    static const QRegularExpression heading(QStringLiteral("<h([1-6])[\\s>]"));
    int ones = 0, previous = 1;
    for (auto it = heading.globalMatch(page); it.hasNext();) {
        const int level = it.next().captured(1).toInt();
        ones += level == 1;
        if (level > previous + 1)
            faults << QStringLiteral("h%1 after h%2").arg(level).arg(previous);
        previous = level;
    }
    if (ones != 1)
        faults << QStringLiteral("%1 h1").arg(ones);
    return faults.join(QStringLiteral(", "));
}

// Relative luminance contrast of two "#rgb" or "#rrggbb" colours.
double contrast(const QString& a, const QString& b) {
    const auto luminance = [](const QString& hex) {
        const QColor c = QColor::fromString(hex);
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The rules of a style sheet, those inside media queries included: selector and declarations.
QList<std::pair<QString, QString>> cssRules(QString css) {
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^{}]*)\\}"));
    css.remove(comment);
    QList<std::pair<QString, QString>> out;
    for (auto it = rule.globalMatch(css); it.hasNext();) {
        const auto m = it.next();
        out.append({m.captured(1).trimmed(), m.captured(2)});
    }
    return out;
}

// A declaration's value in a rule's declarations; empty when it has none.
QString cssValue(const QString& declarations, const QString& property) {
    const QRegularExpression re(QStringLiteral("(?:^|[;\\s])") + QRegularExpression::escape(property) +
                                QStringLiteral("\\s*:\\s*([^;]+)"));
    return re.match(declarations).captured(1).trimmed();
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
    void foundAtItsAddress_data();
    void foundAtItsAddress();
    void newsNewestFirst_data();
    void newsNewestFirst();
    void iconAndNotFoundPage_data();
    void iconAndNotFoundPage();
    void skinPicturesCarryNoWords_data();
    void skinPicturesCarryNoWords();

    void everyPairServesPhonesAndScreenReaders_data();
    void everyPairServesPhonesAndScreenReaders();
    void everySkinsTextsKeepTheirContrast_data();
    void everySkinsTextsKeepTheirContrast();
    void customHeaderFitsEveryInnerHeaderBox_data();
    void customHeaderFitsEveryInnerHeaderBox();

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
         {QStringLiteral("标题 <i>"), body},
         QStringList{QStringLiteral("标题 &lt;i&gt;"),
                     QStringLiteral("<meta name=\"description\" content=\"第一段 O&#39;K 第二段 &lt;b&gt;粗&lt;/b&gt; 第三段 第四段\">")} +
             paras);
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
         QStringLiteral(" alt=\"\" decoding=\"async\"></picture><span class=\"orv-caption\">")},
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
        if (it.fileName() == u"404.html")
            continue;
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
    // The pop-up window on the home page only: a dialog open from the start, named by its
    // title, with the stored place and size as preferences and a button that closes it.
    QVERIFY(home.contains(QStringLiteral("<dialog class=\"orv-popup\" open aria-labelledby=\"orv-popup-title\" "
                                         "style=\"--orv-popup-left:20px;--orv-popup-width:320px;--orv-popup-height:180px\">")));
    QVERIFY(home.contains(QStringLiteral("id=\"orv-popup-title\">公告&lt;b&gt;</span><form method=\"dialog\">")));
    QVERIFY(home.contains(QStringLiteral("第一行 &#39;A&#39;<br>第二行 &lt;i&gt;")));
    for (auto it = m_crawl.pagesByTitle.constBegin(); it != m_crawl.pagesByTitle.constEnd(); ++it) {
        const QString& page = it.value();
        const QString where = it.key();
        // The only scripts are the chosen effect, with its text as an attribute, and the
        // pop-up window's Esc key on the home page.
        QCOMPARE(page.count(QStringLiteral("<script")), page == home ? 2 : 1);
        QVERIFY2(page.contains(QStringLiteral("<script src=\"skin/effects/03.js\" data-text=\"欢迎&lt;光临&gt;\" defer>")),
                 qPrintable(where));
        QVERIFY2(!page.contains(QStringLiteral("<script>alert")), qPrintable(where));
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
    static const QRegularExpression generated(QStringLiteral("^(index|404|n[0-9a-f]{10}(x[0-9]+)?(-p?[0-9]+)?)\\.html$"));
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

namespace {

publish::Result renderAt(const QString& upload, const QString& out, const QString& address) {
    publish::Options o;
    o.uploadDir = upload;
    o.skinsDir = builtInstallPath() + QStringLiteral("skins");
    o.outDir = out;
    o.publicAddress = address;
    return publish::renderSite(o);
}

// The values of `element` in an XML file, in order; fails the test on a malformed file.
QStringList xmlValues(const QString& file, const QString& element, const QString& attribute = {}) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + file};
    QXmlStreamReader x(&f);
    QStringList values;
    while (!x.atEnd()) {
        if (x.readNext() == QXmlStreamReader::StartElement && x.name() == element)
            values << (attribute.isEmpty() ? x.readElementText() : x.attributes().value(attribute).toString());
    }
    if (x.hasError())
        return {QStringLiteral("malformed: ") + x.errorString()};
    return values;
}

// The titles a news list shows, in order.
QStringList newsTitles(const QString& page) {
    static const QRegularExpression list(QStringLiteral("<ul class=\"orv-newslist\">(.*?)</ul>"));
    static const QRegularExpression item(QStringLiteral("<a href=\"[^\"]*\">([^<]*)</a>"));
    QStringList titles;
    for (auto it = item.globalMatch(list.match(page).captured(1)); it.hasNext();)
        titles << unescape(it.next().captured(1));
    return titles;
}

} // namespace

void TestPublish::foundAtItsAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("base");
    QTest::newRow("local preview") << QString() << QString();
    QTest::newRow("https") << "https://demo.sites.example.cn/" << "https://demo.sites.example.cn/";
    QTest::newRow("port, capitals, no slash") << "http://Demo.localhost:8080" << "http://demo.localhost:8080/";
    QTest::newRow("not a web address") << "javascript:alert(1)//" << QString();
    QTest::newRow("with a query") << "http://demo.localhost/?q=\"><script>" << QString();
}

void TestPublish::foundAtItsAddress() {
    QFETCH(QString, address);
    QFETCH(QString, base);
    QTemporaryDir dir;
    const QString site = dir.path() + QStringLiteral("/site/");
    const publish::Result r = renderAt(m_dir.path() + QStringLiteral("/up"), site, address);
    QVERIFY2(r.ok, qPrintable(r.error));
    static const QRegularExpression absolute(QStringLiteral("(?:href|content|src)=\"(\\w+:[^\"]*)\""));
    static const QRegularExpression canonical(QStringLiteral("<link rel=\"canonical\" href=\"([^\"]*)\">"));
    const QString feedLink = QStringLiteral("<link rel=\"alternate\" type=\"application/atom+xml\"");
    QStringList everyPage{base}, linkingFeed;
    const QStringList pages = QDir(site).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    for (const QString& page : pages) {
        if (page == u"404.html")
            continue;
        const QString text = read(site + page);
        const QString self = page == u"index.html" ? base : base + page;
        QVERIFY2(text.contains(QStringLiteral("<meta name=\"description\" content=\"")), qPrintable(page));
        // Absolute addresses only from a valid public address, and only to it.
        for (auto it = absolute.globalMatch(text); it.hasNext();) {
            const QString url = it.next().captured(1);
            QVERIFY2(!base.isEmpty() && url.startsWith(base), qPrintable(page + u' ' + url));
        }
        if (base.isEmpty())
            continue;
        QCOMPARE(canonical.match(text).captured(1), self);
        QVERIFY2(text.contains(QStringLiteral("<meta property=\"og:url\" content=\"") + self + u'"'), qPrintable(page));
        if (page != u"index.html")
            everyPage << self;
        if (text.contains(feedLink))
            linkingFeed << page;
        if (text.contains(QStringLiteral("<title>新闻 7 ")))
            QVERIFY(text.contains(QRegularExpression(QStringLiteral("<meta property=\"og:image\" content=\"") +
                                                     QRegularExpression::escape(base) +
                                                     QStringLiteral("pics/n7-[0-9]+-[0-9a-f]{16}\\.jpg\">"))));
    }
    const QString robots = read(site + QStringLiteral("robots.txt"));
    QVERIFY(robots.startsWith(QStringLiteral("User-agent: *\n")));
    if (base.isEmpty()) {
        QVERIFY(!robots.contains(QStringLiteral("Sitemap")));
        QCOMPARE(QDir(site).entryList({QStringLiteral("*.xml")}).size(), 0);
        return;
    }
    QVERIFY(robots.contains(QStringLiteral("Sitemap: ") + base + QStringLiteral("sitemap.xml\n")));
    const QString home = read(site + QStringLiteral("index.html"));
    QVERIFY(home.contains(QRegularExpression(QStringLiteral("<meta property=\"og:image\" content=\"") +
                                                   QRegularExpression::escape(base) +
                                                   QStringLiteral("pics/logo-[0-9]+-[0-9a-f]{16}\\.(png|jpg)\">"))));

    // The sitemap lists every page once, the extra page too, each with its date.
    everyPage << base + QStringLiteral("extra.htm");
    QStringList listed = xmlValues(site + QStringLiteral("sitemap.xml"), QStringLiteral("loc"));
    std::sort(everyPage.begin(), everyPage.end());
    std::sort(listed.begin(), listed.end());
    QCOMPARE(listed, everyPage);
    const QStringList dates = xmlValues(site + QStringLiteral("sitemap.xml"), QStringLiteral("lastmod"));
    QCOMPARE(dates.size(), listed.size());
    for (const QString& d : dates)
        QVERIFY2(QDate::fromString(d, Qt::ISODate).isValid(), qPrintable(d));

    // The news list's feed: linked from the home page and from the list's own pages, its
    // newest items first, each leading to its page.
    const QStringList feeds = QDir(site).entryList({QStringLiteral("n*.xml")});
    QCOMPARE(feeds.size(), 1);
    QVERIFY(linkingFeed.contains(QStringLiteral("index.html")));
    QCOMPARE(linkingFeed.size(), 1 + 2 + 25);
    QVERIFY(home.contains(feedLink + QStringLiteral(" title=\"新闻/动态\" href=\"") + base + feeds.first() + u'"'));
    const QString feed = site + feeds.first();
    const QStringList titles = xmlValues(feed, QStringLiteral("title"));
    QCOMPARE(titles.size(), 1 + 20);
    QCOMPARE(titles.at(1), QStringLiteral("新闻 25 & 'x'"));
    QCOMPARE(xmlValues(feed, QStringLiteral("updated")).at(1), QStringLiteral("2024-05-25T00:00:00+08:00"));
    const QStringList links = xmlValues(feed, QStringLiteral("link"), QStringLiteral("href"));
    QCOMPARE(links.size(), 2 + 20);
    for (const QString& url : links) {
        QVERIFY2(url.startsWith(base), qPrintable(url));
        QVERIFY2(QFileInfo::exists(site + url.mid(base.size())), qPrintable(url));
    }
}

void TestPublish::newsNewestFirst_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("news list") << "list";
    QTest::newRow("home-page block") << "home";
    QTest::newRow("feed") << "feed";
}

void TestPublish::newsNewestFirst() {
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString upload = dir.path() + QStringLiteral("/up");
    QDir().mkpath(upload);
    {
        Upload up(upload);
        up.node({}, QStringLiteral("新闻"), false, QStringLiteral("news"));
        // In the order entered: a back-filled item in a form of its own, two of one day,
        // dates as people type them, and items without a date.
        const QList<QStringList> items{
            {QStringLiteral("A"), QStringLiteral("2024-03-01")}, {QStringLiteral("B"), QStringLiteral("2024-05-01")},
            {QStringLiteral("C"), QString()},                    {QStringLiteral("D"), QStringLiteral("2020-1-5")},
            {QStringLiteral("E"), QStringLiteral("2024-05-01")}, {QStringLiteral("F"), QStringLiteral("2024/3/15")},
            {QStringLiteral("G"), QStringLiteral("不详")},        {QStringLiteral("H"), QStringLiteral("2024年4月2日 10:30")}};
        for (const QStringList& item : items)
            up.record(1, QStringLiteral("新闻"), item);
        QVERIFY(up.ok());
    }
    const QString site = dir.path() + QStringLiteral("/site/");
    const publish::Result r = renderAt(upload, site, QStringLiteral("http://news.localhost:8080/"));
    QVERIFY2(r.ok, qPrintable(r.error));
    // Newest first; the later entered first within a day; the undated last.
    const QStringList newestFirst{QStringLiteral("E"), QStringLiteral("B"), QStringLiteral("H"), QStringLiteral("F"),
                                  QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("G"), QStringLiteral("C")};
    QStringList shown;
    if (where == u"home") {
        shown = newsTitles(read(site + QStringLiteral("index.html")));
    } else if (where == u"list") {
        for (const QString& page : QDir(site).entryList({QStringLiteral("n*.html")})) {
            const QString text = read(site + page);
            if (text.contains(QStringLiteral("orv-newslist")))
                shown = newsTitles(text);
        }
    } else {
        const QStringList feeds = QDir(site).entryList({QStringLiteral("n*.xml")});
        QCOMPARE(feeds.size(), 1);
        shown = xmlValues(site + feeds.first(), QStringLiteral("title")).mid(1);
        QCOMPARE(xmlValues(site + feeds.first(), QStringLiteral("updated")).mid(0, 3),
                 (QStringList{QStringLiteral("2024-05-01T00:00:00+08:00"), QStringLiteral("2024-05-01T00:00:00+08:00"),
                              QStringLiteral("2024-05-01T00:00:00+08:00")}));
    }
    QVERIFY2(shown.size() >= 3, qPrintable(shown.join(u',')));
    QCOMPARE(shown, newestFirst.mid(0, shown.size()));
    if (where != u"home")
        QCOMPARE(shown.size(), newestFirst.size());
}

void TestPublish::iconAndNotFoundPage_data() {
    QTest::addColumn<bool>("logo");
    QTest::newRow("icon from the logo") << true;
    QTest::newRow("icon of the skin") << false;
}

void TestPublish::iconAndNotFoundPage() {
    QFETCH(bool, logo);
    QTemporaryDir dir;
    QString site = m_site + u'/';
    if (!logo) {
        const QString upload = dir.path() + QStringLiteral("/up");
        QDir().mkpath(upload);
        {
            Upload up(upload);
            up.info(QStringLiteral("headTmpl"), QStringLiteral("hqy01.png"));
            up.node({}, QStringLiteral("简介"), false, QStringLiteral("txt"));
            up.record(1, QStringLiteral("简介"), {QStringLiteral("t"), QStringLiteral("b")});
            QVERIFY(up.ok());
        }
        site = dir.path() + QStringLiteral("/site/");
        const publish::Result r = renderAt(upload, site, QString());
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    // An ICO file holding one 32 × 32 PNG.
    QFile f(site + QStringLiteral("favicon.ico"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray ico = f.readAll();
    QCOMPARE(ico.left(6), QByteArray("\0\0\1\0\1\0", 6));
    QImage icon;
    QVERIFY(icon.loadFromData(ico.mid(22), "PNG"));
    QCOMPARE(icon.size(), QSize(32, 32));
    if (logo) {
        QCOMPARE(QColor(icon.pixel(16, 16)), QColor(Qt::darkCyan));
    } else {
        // A rounded square in the skin's colour with a light disc.
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(16, 2)), 255);
        QVERIFY(qGray(icon.pixel(16, 16)) > qGray(icon.pixel(16, 2)));
    }
    QVERIFY(read(site + QStringLiteral("index.html")).contains(QStringLiteral("<link rel=\"icon\" href=\"favicon.ico\">")));

    // The page for a missing address wears the inner pages' skin and leads home from any path.
    const QString missing = read(site + QStringLiteral("404.html"));
    QVERIFY(missing.contains(QStringLiteral("<base href=\"/\">")));
    QVERIFY(missing.contains(QStringLiteral("<title>找不到网页 - ")));
    QVERIFY(missing.contains(logo ? QStringLiteral("skin/hsw02/skin.css") : QStringLiteral("skin/hqy01/skin.css")));
    QVERIFY(missing.contains(QStringLiteral("<a href=\"index.html\">返回首页</a>")));
    Crawl fromMissing = crawl(site, QStringLiteral("404.html"));
    fromMissing.broken.removeOne(QStringLiteral("404.html -> /")); // its <base>
    QVERIFY2(fromMissing.broken.isEmpty(), qPrintable(fromMissing.broken.join(u'\n')));
    QVERIFY(fromMissing.files.size() > 3);
}

// A skin's pictures are published for every organisation: words drawn into them would be
// claims the organisation never made.
void TestPublish::skinPicturesCarryNoWords_data() {
    QTest::addColumn<QString>("file");
    const QString root = builtInstallPath() + QStringLiteral("skins/templates/");
    QDirIterator it(root, {QStringLiteral("*.svg")}, QDir::Files, QDirIterator::Subdirectories);
    int rows = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(path.mid(root.size()))) << path;
        ++rows;
    }
    if (rows == 0)
        QTest::newRow("no skin pictures") << root + QStringLiteral("banner.svg");
}

void TestPublish::skinPicturesCarryNoWords() {
    QFETCH(QString, file);
    QFile f(file);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
    QXmlStreamReader svg(&f);
    static const QStringList words{QStringLiteral("text"), QStringLiteral("tspan"), QStringLiteral("textPath"),
                                   QStringLiteral("foreignObject")};
    while (!svg.atEnd()) {
        if (svg.readNext() == QXmlStreamReader::StartElement)
            QVERIFY2(!words.contains(svg.name().toString()),
                     qPrintable(QStringLiteral("<%1> at line %2").arg(svg.name()).arg(svg.lineNumber())));
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
}

// Every home and inner template of a category, published from the same site: each page
// is fit for phones and screen readers, and the home page's heading is the name.
void TestPublish::everyPairServesPhonesAndScreenReaders_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("inner");
    for (const char* category : {"qy", "sw", "zf", "jy"})
        for (int n = 1; n <= 3; ++n) {
            const QString code = QString::fromLatin1(category) + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
            QTest::newRow(qPrintable(code)) << u'd' + code << u'h' + code;
        }
}

void TestPublish::everyPairServesPhonesAndScreenReaders() {
    QFETCH(QString, home);
    QFETCH(QString, inner);
    QTemporaryDir dir;
    const QString up = dir.path() + QStringLiteral("/up");
    QDirIterator files(m_dir.path() + QStringLiteral("/up"), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        testfiles::writeFile(up + from.mid(m_dir.path().size() + 3), testfiles::readAll(from));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pair"));
        db.setDatabaseName(up + QStringLiteral("/dalmbuilder.tdc"));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.prepare(QStringLiteral("UPDATE user_info SET defaultTmpl=?, headTmpl=?, topHead=''")));
        q.addBindValue(QString(home + QStringLiteral(".png")));
        q.addBindValue(QString(inner + QStringLiteral(".png")));
        QVERIFY(q.exec());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pair"));
    const publish::Result r = publish::renderSite(up, builtInstallPath() + QStringLiteral("skins"), dir.path() + QStringLiteral("/site"));
    QVERIFY2(r.ok, qPrintable(r.error));
    QDirIterator pages(dir.path() + QStringLiteral("/site"), {QStringLiteral("*.html")}, QDir::Files);
    int count = 0;
    while (pages.hasNext()) {
        const QString page = read(pages.next());
        if (pages.fileName() != u"404.html") // the answer for a missing address is no page of the site
            ++count;
        QVERIFY2(page.contains(QLatin1String("skin/") + (pages.fileName() == u"index.html" ? home : inner) + u'/'),
                 qPrintable(pages.fileName()));
        const QString faults = pageFaults(page);
        QVERIFY2(faults.isEmpty(), qPrintable(pages.fileName() + QStringLiteral(": ") + faults));
    }
    QCOMPARE(count, m_result.pages);
    QVERIFY(read(dir.path() + QStringLiteral("/site/index.html"))
                .contains(QStringLiteral("<h1 class=\"orv-site-name\"><a class=\"orv-name\" href=\"index.html\"><span "
                                         "class=\"orv-name-text\">O&#39;Brien &amp; 华信 &quot;科技&quot;</span>")));
}

// The colours every skin gives the shared vocabulary, and every rule of its own that sets a
// text colour on a solid ground, keep 4.5:1 (WCAG AA for body text).
void TestPublish::everySkinsTextsKeepTheirContrast_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ground");
    const QString skins = builtInstallPath() + QStringLiteral("skins/");
    static const QRegularExpression property(QStringLiteral("(--orv-[a-z-]+)\\s*:\\s*(#[0-9a-fA-F]{3,6})"));
    static const QRegularExpression hex(QStringLiteral("#[0-9a-fA-F]{6}\\b|#[0-9a-fA-F]{3}\\b"));
    QHash<QString, QString> base;
    for (auto it = property.globalMatch(read(skins + QStringLiteral("common/base.css"))); it.hasNext();) {
        const auto m = it.next();
        base.insert(m.captured(1), m.captured(2));
    }
    const QStringList codes = QDir(skins + QStringLiteral("templates")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(codes.size(), 24);
    for (const QString& code : codes) {
        const QString css = read(skins + QStringLiteral("templates/") + code + QStringLiteral("/skin.css"));
        QHash<QString, QString> v = base;
        const auto rules = cssRules(css);
        for (const auto& [selector, declarations] : rules) {
            if (selector != u":root")
                continue;
            for (auto it = property.globalMatch(declarations); it.hasNext();) {
                const auto m = it.next();
                v.insert(m.captured(1), m.captured(2));
            }
        }
        const auto row = [&](const QString& what, const QString& fg, const QString& bg) {
            QTest::newRow(qPrintable(code + u' ' + what)) << fg << bg;
        };
        for (const char* text : {"--orv-text", "--orv-muted", "--orv-link", "--orv-price", "--orv-accent"})
            for (const char* ground : {"--orv-ground", "--orv-panel"})
                row(QString::fromLatin1(text) + QStringLiteral(" on ") + QLatin1String(ground),
                    v.value(QLatin1String(text)), v.value(QLatin1String(ground)));
        row(QStringLiteral("--orv-accent-text on --orv-accent"), v.value(QStringLiteral("--orv-accent-text")),
            v.value(QStringLiteral("--orv-accent")));
        int n = 0;
        for (const auto& [selector, declarations] : rules) {
            ++n;
            QString color = cssValue(declarations, QStringLiteral("color"));
            QString ground = cssValue(declarations, QStringLiteral("background"));
            if (ground.isEmpty())
                ground = cssValue(declarations, QStringLiteral("background-color"));
            if (color.startsWith(QLatin1String("var(")))
                color = v.value(color.mid(4).chopped(1));
            if (!hex.match(color).hasMatch() || ground.contains(QLatin1String("rgba")) || ground.contains(QLatin1String("url(")))
                continue;
            int k = 0;
            for (auto it = hex.globalMatch(ground); it.hasNext(); ++k)
                row(QStringLiteral("rule %1 %2 #%3").arg(n).arg(selector.simplified()).arg(k), color.section(u' ', 0, 0),
                    it.next().captured());
        }
    }
}

void TestPublish::everySkinsTextsKeepTheirContrast() {
    QFETCH(QString, text);
    QFETCH(QString, ground);
    QVERIFY2(QColor::isValidColorName(text) && QColor::isValidColorName(ground), qPrintable(text + u'/' + ground));
    const double ratio = contrast(text, ground);
    QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3").arg(text, ground).arg(ratio, 0, 'f', 2)));
}

// The custom inner header is 760 x 130: no box around it in an inner skin fixes a smaller
// height or hides what overflows, so the header grows with it and never covers the navigation.
void TestPublish::customHeaderFitsEveryInnerHeaderBox_data() {
    QTest::addColumn<QString>("skin");
    const QString templates = builtInstallPath() + QStringLiteral("skins/templates/");
    for (const QString& code : QDir(templates).entryList({QStringLiteral("h*")}, QDir::Dirs))
        QTest::newRow(qPrintable(code)) << templates + code + u'/';
}

void TestPublish::customHeaderFitsEveryInnerHeaderBox() {
    QFETCH(QString, skin);
    const QString html = read(skin + QStringLiteral("skin.html"));
    const qsizetype at = html.indexOf(QLatin1String("{{name_style}}"));
    QVERIFY(at > 0);
    // The classes of the elements open where the header goes.
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-z0-9]+)([^>]*)>"));
    static const QRegularExpression classes(QStringLiteral("class=\"([^\"]*)\""));
    static const QSet<QString> empties{QStringLiteral("meta"), QStringLiteral("link"), QStringLiteral("input"),
                                        QStringLiteral("br"), QStringLiteral("img")};
    QList<QStringList> open;
    for (auto it = tag.globalMatch(QStringView(html).left(at)); it.hasNext();) {
        const auto m = it.next();
        if (empties.contains(m.captured(2)))
            continue;
        if (m.captured(1) == u"/")
            open.removeLast();
        else
            open.append(classes.match(m.captured(3)).captured(1).split(u' ', Qt::SkipEmptyParts));
    }
    QStringList around;
    for (const QStringList& c : std::as_const(open))
        around += c;
    static const QRegularExpression fixed(QStringLiteral("(?:^|[;\\s])(height|max-height)\\s*:\\s*(\\d+)px"));
    static const QRegularExpression cls(QStringLiteral("\\.([a-zA-Z0-9_-]+)"));
    for (const auto& [selectors, declarations] : cssRules(read(skin + QStringLiteral("skin.css")))) {
        for (const QString& selector : selectors.split(u',')) {
            const QString last = selector.trimmed().section(QRegularExpression(QStringLiteral("[\\s>+~]+")), -1);
            bool names = last.startsWith(u'.') && !last.contains(u':');
            for (auto it = cls.globalMatch(selector); names && it.hasNext();)
                names = around.contains(it.next().captured(1));
            if (!names)
                continue;
            for (auto it = fixed.globalMatch(declarations); it.hasNext();) {
                const auto m = it.next();
                QVERIFY2(m.captured(2).toInt() >= 130, qPrintable(selector + QStringLiteral(" { ") + declarations + u'}'));
            }
            QVERIFY2(!cssValue(declarations, QStringLiteral("overflow")).contains(QLatin1String("hidden")), qPrintable(selector));
        }
    }
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
