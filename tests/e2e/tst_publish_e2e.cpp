// A site from entry to the visitor's browser: built through the client's logic (every
// format, a news list over two pages, a gallery, products in the three layouts, templates,
// name styles, a background, a pop-up window, a script effect), uploaded by the upload
// window to the reference hosting server on loopback, and read back over real HTTP from
// the server's web port, crawled from the home page as a visitor would.

#include "appearance/mdl_custom.h"
#include "appearance/mdl_effects.h"
#include "appearance/mdl_sltTmpl.h"
#include "common/gbk.h"
#include "common/mdl_func.h"
#include "common/pictures.h"
#include "publish/webPictures.h"
#include "common/workspace.h"
#include "content/mdl_entry.h"
#include "content/mdl_ins.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "hosting/httpServe.h"
#include "hosting/publishReport.h"
#include "hosting/siteLayout.h"
#include "hosting/sitePublisher.h"
#include "organisation/mdl_info.h"
#include "scriptedUi.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kSiteName = QStringLiteral("华信科技");
const QString kShortName = QStringLiteral("huaxin2026");

// What one page must hold: texts as they stand in its HTML, and the pictures it shows.
struct Expect {
    QString tag, title;
    QStringList texts;
    QStringList pictures;
};

struct Fetched {
    int status = 0;
    QByteArray type;
    QByteArray body;
    QUrl url; // after redirects
};

// A site's own host "<short name>.localhost" needs no name service: the request goes to
// the loopback address with that Host, as a browser that knows "localhost" sends it.
// Redirects are followed here, to their own hosts.
Fetched get(QNetworkAccessManager& net, const QUrl& url) {
    Fetched f;
    f.url = url;
    for (int hop = 0; hop < 5; ++hop) {
        QUrl wire = f.url;
        QNetworkRequest request;
        if (wire.host().endsWith(QLatin1String(".localhost"))) {
            request.setRawHeader("Host", (wire.host() + u':' + QString::number(wire.port(80))).toLatin1());
            wire.setHost(QStringLiteral("127.0.0.1"));
        }
        request.setUrl(wire);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = net.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        f.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        f.type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        f.body = reply->readAll();
        const QByteArray location = reply->rawHeader("Location");
        reply->deleteLater();
        if (f.status != 301 || location.isEmpty())
            break;
        f.url = f.url.resolved(QUrl::fromEncoded(location));
    }
    return f;
}

QString unescape(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&#39;"), QLatin1String("'"));
    return s.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// Every page and file a visitor reaches from the home page over HTTP.
struct Crawl {
    QMultiHash<QString, QString> pagesByTitle;
    QHash<QString, QByteArray> files; // path below the site -> bytes
    QHash<QString, QByteArray> types;
    QStringList broken;
};

Crawl crawl(QNetworkAccessManager& net, const QUrl& home) {
    Crawl c;
    static const QRegularExpression ref(QStringLiteral("(?:href|src|data)=\"([^\"]*)\""));
    static const QRegularExpression cssUrl(QStringLiteral("url\\(\"?([^\")]+)\"?\\)"));
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"));
    QList<QUrl> queue{home};
    QSet<QString> seen{home.path()};
    while (!queue.isEmpty()) {
        const QUrl url = queue.takeFirst();
        const Fetched f = get(net, url);
        const QString path = url.path().mid(home.path().size());
        if (f.status != 200) {
            c.broken << QStringLiteral("%1 answered %2").arg(url.toString()).arg(f.status);
            continue;
        }
        c.files.insert(path, f.body);
        c.types.insert(path, f.type);
        const bool html = f.type.startsWith("text/html"), css = f.type.startsWith("text/css");
        if (!html && !css)
            continue;
        const QString text = QString::fromUtf8(f.body);
        if (html)
            c.pagesByTitle.insert(unescape(title.match(text).captured(1)), text);
        for (const QRegularExpression* re : {&ref, &cssUrl}) {
            for (auto it = re->globalMatch(text); it.hasNext();) {
                const QString link = unescape(it.next().captured(1));
                if (link.startsWith(u'#'))
                    continue;
                const QUrl target = url.resolved(QUrl(link)).adjusted(QUrl::RemoveFragment);
                if (target.host() != home.host() || target.port() != home.port() ||
                    !target.path().startsWith(home.path())) {
                    c.broken << url.path() + QStringLiteral(" -> ") + link;
                    continue;
                }
                if (!seen.contains(target.path())) {
                    seen.insert(target.path());
                    queue << target;
                }
            }
        }
    }
    return c;
}

QString writePicture(const QString& dir, const QString& name, const QColor& color, const QSize& size = {60, 40}) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    const QString path = dir + u'/' + name;
    img.save(path);
    return path;
}

} // namespace

class TestPublishE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyRecordOnItsPage_data();
    void everyRecordOnItsPage();
    void crawlReachesEveryFileAndNothingIsMissing();
    void everyPagePassesTidy();
    void browseOpensThePublishedSite();
    void ownerIsToldWhatWasLeftOut();

private:
    void buildSite();
    QString pick(const QString& name, const QColor& color, const QSize& size = {60, 40});

    std::unique_ptr<TempInstall> m_inst;
    std::unique_ptr<ScriptedUi> m_ui;
    QTemporaryDir m_data;
    QTemporaryDir m_picked;
    std::unique_ptr<hosting::HostingServer> m_server;
    std::unique_ptr<hosting::HttpServe> m_http;
    std::unique_ptr<updataFrm> m_frm;
    QNetworkAccessManager m_net;
    QList<Expect> m_expects;
    QStringList m_fileNodes;
    QStringList m_picturesUsed;
    QString m_gone;
    QByteArray m_cover;
    Crawl m_crawl;
};

QString TestPublishE2e::pick(const QString& name, const QColor& color, const QSize& size) {
    const pictures::Choice c = pictures::choose(writePicture(m_picked.path(), name, color, size));
    if (!c.ok())
        qWarning() << "picture not taken:" << name << c.message;
    m_picturesUsed << c.name;
    return c.name;
}

void TestPublishE2e::buildSite() {
    using mdl_nov::Level;
    const QString site = QStringLiteral(" - ") + kSiteName;
    // The organisation, its logo and the appearance.
    mdl_info::OrgInfo org;
    const QHash<QString, QString> values{{"webName", kSiteName}, {"dalm_name", QStringLiteral("苏州华信科技有限公司")},
                                         {"Address", QStringLiteral("星湖街218号")}, {"Tel", QStringLiteral("0512-62883366")},
                                         {"Email", QStringLiteral("info@huaxin.cn")}};
    for (const mdl_info::Field& f : mdl_info::fields())
        org.values << values.value(QLatin1String(f.column));
    org.logo = pick(QStringLiteral("logo.png"), Qt::darkBlue, {120, 40});
    QCOMPARE(mdl_info::save(org).status, mdl_info::SaveResult::Saved);
    for (const auto page : {mdl_sltTmpl::Page::Home, mdl_sltTmpl::Page::Inner}) {
        const QStringList cats = mdl_sltTmpl::categories(page).names;
        QVERIFY(!cats.isEmpty());
        const QStringList names = mdl_sltTmpl::templates(page, cats.last()).names;
        QVERIFY(!names.isEmpty());
        QVERIFY(mdl_sltTmpl::storeTemplate(page, names.last()));
        const QStringList fonts = mdl_sltTmpl::fonts().names;
        QVERIFY(fonts.size() > 3);
        QVERIFY(mdl_sltTmpl::storeFont(page, fonts.at(page == mdl_sltTmpl::Page::Home ? 1 : 3)));
    }
    const pictures::Choice bg = pictures::choose(writePicture(m_picked.path(), QStringLiteral("tile.jpg"), Qt::lightGray));
    QVERIFY(bg.ok());
    m_picturesUsed << bg.name;
    QVERIFY(mdl_sltTmpl::storeBackground(bg));
    mdl_effects::AdBoard board;
    board.title = QStringLiteral("开业公告");
    board.content = QStringLiteral("新厂区落成\n欢迎参观");
    QVERIFY(mdl_effects::storeAdBoard(board));
    QVERIFY(mdl_effects::storeScript({3, QStringLiteral("欢迎光临华信")}));

    // The catalog and its records.
    int keys = 0;
    const auto file = [&](Level parentLevel, const QString& parent, const QString& name,
                          const QString& format) -> QString {
        const mdl_nov::AddResult r = mdl_nov::addNode(parentLevel, parent, name, false, format);
        if (r.status != mdl_nov::AddResult::Added)
            qWarning() << "node not added:" << name << r.error;
        m_fileNodes << name;
        return mdl_nov::levelPrefix(r.level) + u'_' + QString::number(++keys);
    };
    const auto folder = [&](Level parentLevel, const QString& parent, const QString& name) {
        QCOMPARE(mdl_nov::addNode(parentLevel, parent, name, true).status, mdl_nov::AddResult::Added);
    };
    const auto page = [&](const QString& key, const QString& name, const QString& format, const QString& title,
                          const QStringList& pics) {
        mdl_ins::PageFields f{title, QStringLiteral("第一段%1\n第二段%1").arg(name), pics.value(0), pics.value(1)};
        QVERIFY(mdl_ins::savePage(key, name, format, true, f).ok());
        QStringList texts{QStringLiteral("<p>第一段%1</p>").arg(name), QStringLiteral("<p>第二段%1</p>").arg(name)};
        if (!title.isEmpty())
            texts << title;
        m_expects.append({format, name + site, texts, pics});
    };

    folder(Level::None, {}, QStringLiteral("公司介绍"));
    page(file(Level::First, QStringLiteral("公司介绍"), QStringLiteral("公司简介"), "txt"), QStringLiteral("公司简介"), "txt",
         QStringLiteral("关于华信"), {});
    page(file(Level::First, QStringLiteral("公司介绍"), QStringLiteral("企业文化"), "imgTxt01"), QStringLiteral("企业文化"),
         "imgTxt01", QStringLiteral("文化理念"), {pick("culture1.jpg", Qt::red), pick("culture2.jpg", Qt::green)});
    page(file(Level::First, QStringLiteral("公司介绍"), QStringLiteral("发展历程"), "imgTxt02"), QStringLiteral("发展历程"),
         "imgTxt02", QStringLiteral("二十年"), {pick("history1.jpg", Qt::blue), pick("history2.jpg", Qt::cyan)});
    folder(Level::First, QStringLiteral("公司介绍"), QStringLiteral("荣誉资质"));
    page(file(Level::Second, QStringLiteral("荣誉资质"), QStringLiteral("荣誉证书"), "imgTxt03"), QStringLiteral("荣誉证书"),
         "imgTxt03", QStringLiteral("证书"), {pick("cert.jpg", Qt::magenta)});
    {
        const QString key = file(Level::Second, QStringLiteral("荣誉资质"), QStringLiteral("厂区全景"), "bigImg");
        const QString big = pick("plant.png", Qt::darkGreen, {200, 100});
        QVERIFY(mdl_ins::savePage(key, QStringLiteral("厂区全景"), "bigImg", true, {{}, {}, big, {}}).ok());
        m_expects.append({"bigImg", QStringLiteral("厂区全景") + site, {}, {big}});
    }
    {
        const QString key = file(Level::None, {}, QStringLiteral("联系我们"), "adv");
        const QString map = pick("map.png", Qt::darkYellow);
        const QString markup = QStringLiteral("<p>电话：0512-62883366</p><p><img src=\"%1\"></p>")
                                   .arg(QUrl::fromLocalFile(workspace::currImgPath() + map).toString());
        QVERIFY(mdl_ins::saveAdvPage(key, QStringLiteral("联系我们"),
                                     mdl_func::toStoredHtml(markup, workspace::currImgPath()), true)
                    .ok());
        m_expects.append({"adv", QStringLiteral("联系我们") + site, {QStringLiteral("电话：0512-62883366")}, {map}});
    }
    {
        const QString key = file(Level::None, {}, QStringLiteral("新闻中心"), "news");
        const QString photo = pick("news7.jpg", Qt::darkRed);
        for (int n = 1; n <= 22; ++n) {
            const mdl_entry::News news{QStringLiteral("新闻标题%1").arg(n), QStringLiteral("2026-03-%1").arg(n, 2, 10, QLatin1Char('0')),
                                       QStringLiteral("新闻正文%1\n下一段").arg(n), n == 7 ? photo : QString()};
            QVERIFY(mdl_entry::addNews(key, QStringLiteral("新闻中心"), news).ok());
            m_expects.append({QStringLiteral("news list %1").arg(n), QStringLiteral("新闻中心") + site, {news.title, news.date}, {}});
            m_expects.append({QStringLiteral("news item %1").arg(n), news.title + site,
                              {QStringLiteral("<p>新闻正文%1</p>").arg(n), news.date},
                              n == 7 ? QStringList{photo} : QStringList()});
        }
    }
    {
        const QString key = file(Level::None, {}, QStringLiteral("图片展示"), "imgs");
        const QList<QPair<QString, QColor>> shots{{QStringLiteral("车间"), Qt::gray}, {QStringLiteral("大楼"), Qt::black},
                                                  {QStringLiteral("展厅"), Qt::white}};
        for (int k = 0; k < shots.size(); ++k) {
            const QString full = pick(QStringLiteral("hall%1.jpg").arg(k), shots.at(k).second, {300, 200});
            const QString thumb = mdl_entry::thumbName(full);
            const QImage img(workspace::currImgPath() + full);
            QString why;
            QVERIFY2(mdl_entry::saveThumb(mdl_entry::thumbOf(img, img.size()), workspace::currImgPath() + thumb, &why),
                     qPrintable(why));
            m_picturesUsed << thumb;
            QVERIFY(mdl_entry::addGallery(key, QStringLiteral("图片展示"), {shots.at(k).first, full, thumb}).ok());
            m_expects.append({QStringLiteral("imgs %1").arg(k), QStringLiteral("图片展示") + site,
                              {shots.at(k).first}, {full}});
        }
    }
    folder(Level::None, {}, QStringLiteral("产品中心"));
    for (const QString format : {"prod01", "prod02", "prod03"}) {
        const QString owner = QStringLiteral("系列") + format.right(1);
        const QString key = file(Level::First, QStringLiteral("产品中心"), owner, format);
        for (int k = 1; k <= 2; ++k) {
            const QString pic = pick(QStringLiteral("%1-%2.jpg").arg(format).arg(k), QColor::fromHsv(k * 60, 200, 200));
            const mdl_entry::Product p{QStringLiteral("%1型号%2").arg(format).arg(k), QStringLiteral("规格%1").arg(k),
                                       QStringLiteral("台"), QStringLiteral("%1.50").arg(k * 10), pic,
                                       QStringLiteral("<p>产品介绍%1%2</p>").arg(format).arg(k)};
            QVERIFY(mdl_entry::addProduct(key, owner, p).ok());
            m_expects.append({format + QStringLiteral(" list %1").arg(k), owner + site, {p.name}, {}});
            m_expects.append({format + QStringLiteral(" page %1").arg(k), p.name + site,
                              {p.spec, p.price, QStringLiteral("产品介绍%1%2").arg(format).arg(k)}, {pic}});
        }
    }
    // What the renderer cannot publish as it stands: a picture gone from the working folder,
    // a feature that waits for the provider's approval, an extra page that is no web archive
    // beside one that is.
    {
        const QString key = file(Level::None, {}, QStringLiteral("资质证书"), "imgTxt03");
        m_gone = pick(QStringLiteral("gone.jpg"), Qt::darkGray);
        QVERIFY(mdl_ins::savePage(key, QStringLiteral("资质证书"), "imgTxt03", true,
                                  {QStringLiteral("证书"), QStringLiteral("正文"), m_gone, {}})
                    .ok());
        QVERIFY(QFile::remove(workspace::currImgPath() + m_gone));
    }
    QVERIFY(mdl_sltTmpl::setFeature(0, true));
    QImage cover(40, 30, QImage::Format_RGB32);
    cover.fill(Qt::darkCyan);
    QBuffer png(&m_cover);
    png.open(QIODevice::WriteOnly);
    cover.save(&png, "PNG");
    const QString pages = m_picked.path() + QStringLiteral("/pages/");
    testfiles::writeFile(pages + QStringLiteral("brochure.mht"),
                         "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n"
                         "Content-Type: text/html; charset=\"gb2312\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                             gbk::encode(QStringLiteral("<!DOCTYPE html><html lang=\"zh-CN\"><head><title>产品手册</title>"
                                                        "</head><body><h1>产品手册</h1><p><img src=\"cid:cover@b\" "
                                                        "alt=\"封面\"></p></body></html>"))
                                 .toBase64() +
                             "\r\n--b\r\nContent-Type: image/png\r\nContent-ID: <cover@b>\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n" +
                             m_cover.toBase64() + "\r\n--b--\r\n");
    testfiles::writeFile(pages + QStringLiteral("broken.mht"), "MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nno page");
    QVERIFY(mdl_custom::setPages(pages).changed);
}

void TestPublishE2e::initTestCase() {
    m_inst = std::make_unique<TempInstall>();
    QVERIFY(m_inst->openSite());
    m_ui = std::make_unique<ScriptedUi>();
    buildSite();
    if (QTest::currentTestFailed())
        return;

    hosting::Options o;
    o.dataDir = m_data.path() + u'/';
    o.skinsDir = builtInstallPath() + QStringLiteral("skins");
    const QString dataDir = o.dataDir;
    m_http = std::make_unique<hosting::HttpServe>(
        [dataDir](const QString& name) { return hosting::publishedDir(dataDir, name); });
    QVERIFY(m_http->start(QHostAddress::LocalHost, 0));
    o.sitePort = m_http->port();
    m_server = std::make_unique<hosting::HostingServer>(o);
    QVERIFY(m_server->start(QHostAddress::LocalHost, 0));
    QSignalSpy published(m_server.get(), &hosting::HostingServer::published);

    // The user's road: connect, register the short name, upload.
    m_frm = std::make_unique<updataFrm>();
    // The box names the server's port only: the site's address comes from the server.
    m_frm->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
    m_frm->show();
    m_frm->txt_pwd->setText(QStringLiteral("417305"));
    QTest::mouseClick(m_frm->cmd_connSever, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(mdl_upData::state().loggedIn, 10000);
    // The notice request that follows the login is answered before the upload starts.
    QTRY_VERIFY(m_server->received().contains(QStringLiteral("<#getversion#>3.05")));
    QTest::keyClicks(m_frm->txt_webName, kShortName);
    QTest::mouseClick(m_frm->cmd_changeWebName, Qt::LeftButton);
    QTRY_VERIFY(mdl_upData::state().siteNameSet);
    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(published.size() == 1, 30000);
    QVERIFY2(published.first().at(1).toBool(), qPrintable(published.first().at(2).toString()));

    m_crawl = crawl(m_net, QUrl(QStringLiteral("http://%1.localhost:%2/").arg(kShortName).arg(m_http->port())));
}

void TestPublishE2e::cleanupTestCase() {
    m_frm.reset();
    m_http.reset();
    m_server.reset();
    m_ui.reset();
    m_inst.reset();
}

void TestPublishE2e::everyRecordOnItsPage_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("pictures");
    for (const Expect& e : std::as_const(m_expects))
        QTest::newRow(qPrintable(e.tag)) << e.title << e.texts << e.pictures;
}

void TestPublishE2e::everyRecordOnItsPage() {
    QFETCH(QString, title);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, pictures);
    const QStringList pages = m_crawl.pagesByTitle.values(title);
    QVERIFY2(!pages.isEmpty(), qPrintable(QStringLiteral("no page titled ") + title));
    const auto onPage = [&](const QString& s) {
        return std::any_of(pages.begin(), pages.end(), [&](const QString& p) { return p.contains(s); });
    };
    for (const QString& t : texts)
        QVERIFY2(onPage(t), qPrintable(title + QStringLiteral(": ") + t));
    // Each picture is shown from a copy made for the web, never the file the user picked.
    for (const QString& p : pictures) {
        const QRegularExpression made(QStringLiteral("src=\"(pics/") +
                                      QRegularExpression::escape(publish::pictureStem(p)) +
                                      QStringLiteral("-\\d+-[0-9a-f]{16}\\.(?:jpg|png|gif|svg))\""));
        QString url;
        for (const QString& page : pages)
            if (const auto m = made.match(page); m.hasMatch())
                url = m.captured(1);
        QVERIFY2(!url.isEmpty(), qPrintable(title + QStringLiteral(": ") + p + u' ' +
                                            pages.value(0).mid(pages.value(0).indexOf(QLatin1String("<img")), 300)));
        QFile picked(workspace::currImgPath() + p);
        QVERIFY(picked.open(QIODevice::ReadOnly));
        QVERIFY2(m_crawl.files.value(url) != picked.readAll(), qPrintable(p));
        QVERIFY2(m_crawl.types.value(url).startsWith("image/"), qPrintable(p));
    }
}

void TestPublishE2e::crawlReachesEveryFileAndNothingIsMissing() {
    QVERIFY2(m_crawl.broken.isEmpty(), qPrintable(m_crawl.broken.join(u'\n')));
    const QString site = QStringLiteral(" - ") + kSiteName;
    for (const QString& node : std::as_const(m_fileNodes))
        QVERIFY2(m_crawl.pagesByTitle.contains(node + site), qPrintable(node));
    QCOMPARE(m_crawl.pagesByTitle.values(QStringLiteral("新闻中心") + site).size(), 2);
    // The home page: the pop-up window, the script effect, the chosen skins and background.
    const QString home = QString::fromUtf8(m_crawl.files.value(QString()));
    QVERIFY(home.contains(QStringLiteral("开业公告")));
    QVERIFY(home.contains(QStringLiteral("新厂区落成<br>欢迎参观")));
    QVERIFY(home.contains(QStringLiteral("skin/effects/03.js\" data-text=\"欢迎光临华信\"")));
    const mdl_sltTmpl::Settings s = mdl_sltTmpl::loadSettings();
    QVERIFY(home.contains(QStringLiteral("skin/") + mdl_sltTmpl::templateCode(s.defaultTmpl) + QStringLiteral("/skin.css")));
    QVERIFY(home.contains(QStringLiteral("skin/names/") + s.defaultFont.section(u'.', 0, 0) + QStringLiteral(".css")));
    QVERIFY(home.contains(QStringLiteral("url(\"pics/") + publish::pictureStem(s.backGround) + u'-'));
    const QString inner = m_crawl.pagesByTitle.value(QStringLiteral("公司简介") + site);
    QVERIFY(inner.contains(QStringLiteral("skin/") + mdl_sltTmpl::templateCode(s.headTmpl) + QStringLiteral("/skin.css")));
    QVERIFY(inner.contains(QStringLiteral("skin/names/") + s.headFont.section(u'.', 0, 0) + QStringLiteral(".css")));
    // The site database went up with the upload but is never served.
    QVERIFY(!m_crawl.files.contains(hosting::siteDatabaseName));
    const Fetched db = get(m_net, QUrl(QStringLiteral("http://%1.localhost:%2/%3")
                                           .arg(kShortName).arg(m_http->port()).arg(hosting::siteDatabaseName)));
    QCOMPARE(db.status, 404);
}

void TestPublishE2e::everyPagePassesTidy() {
    const QString tidy = QStandardPaths::findExecutable(QStringLiteral("tidy"));
    QVERIFY2(!tidy.isEmpty(), "tidy is not installed: run scripts/bootstrap.sh");
    QTemporaryDir dir;
    for (auto it = m_crawl.files.constBegin(); it != m_crawl.files.constEnd(); ++it) {
        if (!m_crawl.types.value(it.key()).startsWith("text/html"))
            continue;
        QFile page(dir.filePath(QStringLiteral("page.html")));
        QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write(it.value());
        page.close();
        QProcess p;
        p.start(tidy, {QStringLiteral("-errors"), QStringLiteral("-q"), page.fileName()});
        QVERIFY(p.waitForFinished(10000));
        const QString out = QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput());
        // Exit code 2 means errors; 1 warnings only.
        QVERIFY2(p.exitCode() < 2 && !out.contains(QLatin1String("Error:")), qPrintable(it.key() + u'\n' + out));
    }
}

void TestPublishE2e::browseOpensThePublishedSite() {
    // The server named the site's own address after publishing; the box said nothing of it.
    const QString expected = QStringLiteral("http://%1.localhost:%2/").arg(kShortName).arg(m_http->port());
    QCOMPARE(m_frm->txt_url->text(), expected);
    m_ui->openedUrls.clear();
    QTest::mouseClick(m_frm->cmd_browser, Qt::LeftButton);
    QCOMPARE(m_ui->openedUrls.size(), 1);
    QCOMPARE(m_ui->openedUrls.first(), QUrl(expected));
    const Fetched f = get(m_net, m_ui->openedUrls.first());
    QCOMPARE(f.status, 200);
    QCOMPARE(f.body, m_crawl.files.value(QString()));
    // A link made before, in the old form on the server's address, leads there too.
    const Fetched old = get(m_net, QUrl(QStringLiteral("http://127.0.0.1:%1/%2/").arg(m_http->port()).arg(kShortName)));
    QCOMPARE(old.status, 200);
    QCOMPARE(old.url, QUrl(expected));
    QCOMPARE(old.body, f.body);
}

void TestPublishE2e::ownerIsToldWhatWasLeftOut() {
    // The server's word after the upload: its usual text, then what the renderer left out.
    const auto told = std::find_if(m_ui->messages.cbegin(), m_ui->messages.cend(),
                                   [](const RecordedMessage& m) { return m.text.contains(QStringLiteral("已发布")); });
    QVERIFY(told != m_ui->messages.cend());
    QCOMPARE(told->title, QStringLiteral("系统信息"));
    const QStringList lines = told->text.split(u'\n');
    QCOMPARE(lines.value(0), QStringLiteral("站点 %1 已发布。").arg(kShortName));
    QCOMPARE(lines.value(1), QStringLiteral("网址：http://%1.localhost:%2/").arg(kShortName).arg(m_http->port()));
    QVERIFY2(lines.value(2).startsWith(QStringLiteral("共收到 ")) && lines.value(2).endsWith(QStringLiteral("个网页。")),
             qPrintable(told->text));
    QCOMPARE(lines.value(3), QStringLiteral("发布时略去或改动了以下内容："));
    const QStringList notes = lines.mid(4);
    for (const QString& note : QStringList{QStringLiteral("· 图片不存在：") + m_gone,
                                            QStringLiteral("· 站点论坛：需要提供商批准后方能生效，未发布"),
                                            QStringLiteral("· 其他网页无法转换，改为提供下载：broken.mht（没有网页内容）")})
        QVERIFY2(notes.contains(note), qPrintable(told->text));
    QVERIFY2(notes.size() <= hosting::kReportedNotes + 1, qPrintable(told->text));
    // The web archive became a page with its picture beside it; the other one is offered
    // as it is.
    QVERIFY(m_crawl.pagesByTitle.contains(QStringLiteral("产品手册")));
    QCOMPARE(m_crawl.files.value(QStringLiteral("brochure_files/part1.png")), m_cover);
    const QString home = QString::fromUtf8(m_crawl.files.value(QString()));
    QVERIFY(home.contains(QStringLiteral("<a href=\"brochure.html\">产品手册</a>")));
    QVERIFY(home.contains(QStringLiteral("<a href=\"broken.mht\" download>broken</a>")));
}

QTEST_MAIN(TestPublishE2e)
#include "tst_publish_e2e.moc"
