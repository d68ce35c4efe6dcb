// A skin filled with one page: the values every page shares, the home page, the inner pages.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

namespace publish {

namespace {

// The pop-up window: a dialog open from the start that its button closes without a script;
// the one line of script closes it with Esc too. Its stored place and size reach the page
// as preferences (see base.css); the top is not one, so the navigation stays in view.
QString popupDialog(const Popup& p) {
    QString content = esc(p.content);
    content.replace(u'\n', QLatin1String("<br>"));
    const QString name = p.title.trimmed().isEmpty()
                             ? QStringLiteral("aria-label=\"公告\"")
                             : QStringLiteral("aria-labelledby=\"orv-popup-title\"");
    return QLatin1String("<dialog class=\"orv-popup\" open ") + name +
           QLatin1String(" style=\"--orv-popup-left:") + QString::number(p.left) +
           QLatin1String("px;--orv-popup-width:") + QString::number(p.width) +
           QLatin1String("px;--orv-popup-height:") + QString::number(p.height) +
           QLatin1String("px\"><div class=\"orv-popup-bar\"><span class=\"orv-popup-title\" "
                         "id=\"orv-popup-title\">") +
           esc(p.title) +
           QStringLiteral("</span><form method=\"dialog\"><button class=\"orv-popup-close\" "
                          "aria-label=\"关闭\">&times;</button></form></div><div "
                          "class=\"orv-popup-body\">") +
           content +
           QLatin1String("</div></dialog><script>document.addEventListener('keydown',function(e){"
                         "var d=document.querySelector('dialog.orv-popup[open]');"
                         "if(d&&e.key==='Escape'&&!e.defaultPrevented)d.close();});</script>");
}

} // namespace

QString Renderer::orgName() const {
    const QString name = m_site.value(QStringLiteral("dalm_name"));
    if (!name.trimmed().isEmpty())
        return name;
    const QString web = m_site.value(QStringLiteral("webName"));
    return web.trimmed().isEmpty() ? QStringLiteral("本站") : web;
}

QString Renderer::contactList() const {
    static const struct {
        const char* column;
        const char* cls;
        const char* label;
    } fields[] = {{"Address", "orv-address", "地址："}, {"linkMan", "orv-linkman", "联系人："},
                  {"Tel", "orv-tel", "电话："},         {"Mobile", "orv-mobile", "手机："},
                  {"Fax", "orv-fax", "传真："},         {"Zip", "orv-zip", "邮编："},
                  {"Email", "orv-email", "电子邮件："}};
    QString items;
    for (const auto& f : fields) {
        const QString v = m_site.value(QLatin1String(f.column));
        if (v.trimmed().isEmpty())
            continue;
        items += QLatin1String("<li class=\"") + QLatin1String(f.cls) +
                 QLatin1String("\"><span class=\"orv-label\">") + QString::fromUtf8(f.label) +
                 QLatin1String("</span>") + esc(v) + QLatin1String("</li>");
    }
    return items.isEmpty()
               ? QString()
               : QLatin1String("<ul class=\"orv-contact\">") + items + QLatin1String("</ul>");
}

QString Renderer::block(const QString& kind, const QString& title, const QString& url,
                        const QString& body) const {
    QString out = QLatin1String("<section class=\"orv-block orv-block-") + kind +
                  QLatin1String("\"><h2 class=\"orv-block-title\"><span>") + esc(title) +
                  QLatin1String("</span>");
    if (!url.isEmpty())
        out += QLatin1String("<a class=\"orv-more\" href=\"") + url +
               QStringLiteral("\">更多&gt;&gt;</a>");
    return out + QLatin1String("</h2><div class=\"orv-block-body\">") + body +
           QLatin1String("</div></section>");
}

QHash<QString, QString> Renderer::commonValues(bool home) const {
    QHash<QString, QString> v;
    const QString code = home ? m_homeCode : m_innerCode;
    const QString style = home ? m_homeStyle : m_innerStyle;
    v.insert(QStringLiteral("common"), QStringLiteral("skin/common/"));
    v.insert(QStringLiteral("skin"), QLatin1String("skin/") + code + u'/');
    v.insert(QStringLiteral("home"), kHome);
    v.insert(QStringLiteral("site_name"), esc(m_siteName));
    QString head;
    if (!style.isEmpty())
        head += QLatin1String("<link rel=\"stylesheet\" href=\"skin/names/") + style +
                QLatin1String(".css\">");
    if (!m_background.isEmpty())
        head += QLatin1String("<style>body.orv-body{background-image:url(\"") + m_background +
                QLatin1String("\");background-repeat:repeat}</style>");
    if (!m_effect.number.isEmpty())
        head += QLatin1String("<script src=\"skin/effects/") + m_effect.number +
                QLatin1String(".js\" data-text=\"") + esc(m_effect.text) +
                QLatin1String("\" defer></script>");
    v.insert(QStringLiteral("head"), head);
    const QString nameLink = QLatin1String("<a class=\"orv-name\" href=\"index.html\"><span "
                                           "class=\"orv-name-text\">") +
                             esc(orgName()) + QLatin1String("</span></a>");
    // The home page's one heading of the first level is the organisation's name.
    QString name = home ? QLatin1String("<h1 class=\"orv-site-name\">") + nameLink +
                              QLatin1String("</h1>")
                        : nameLink;
    if (!home && (m_headerFlash ? !m_headerPic.isEmpty() : !m_headerImg.isEmpty())) {
        name = m_headerFlash
                   ? QString(QLatin1String("<object class=\"orv-headflash\" "
                                           "type=\"application/x-shockwave-flash\" data=\"") +
                             m_headerPic +
                             QLatin1String("\" width=\"760\" height=\"130\"><param "
                                           "name=\"movie\" value=\"") +
                             m_headerPic +
                             QLatin1String("\"><param name=\"quality\" value=\"high\"><param "
                                           "name=\"wmode\" value=\"transparent\">") +
                             nameLink + QLatin1String("</object>"))
                   : m_headerImg;
    }
    v.insert(QStringLiteral("name_style"), name);
    if (!m_logo.isEmpty())
        v.insert(QStringLiteral("logo"),
                 QLatin1String("<a class=\"orv-logo\" href=\"index.html\">") + m_logo +
                     QLatin1String("</a>"));
    v.insert(QStringLiteral("footer"), m_footer);
    v.insert(QStringLiteral("contact"), m_contactBlock);
    return v;
}

bool Renderer::homePage() {
    QHash<QString, QString> v = commonValues(true);
    v.insert(QStringLiteral("page_title"), esc(m_siteName));
    v.insert(QStringLiteral("nav"), nav({}, kHome));
    const int newsCount = m_homeTemplate ? m_homeTemplate->news : 7;
    const int productCount = m_homeTemplate ? m_homeTemplate->products : 4;
    const int galleryCount = m_homeTemplate ? m_homeTemplate->gallery : 4;
    static const QSet<QString> introFormats{QStringLiteral("txt"), QStringLiteral("imgTxt01"),
                                            QStringLiteral("imgTxt02"), QStringLiteral("imgTxt03")};
    // The first file of each kind, in the tree's order, gives a block.
    for (int i = 0; i < m_site.nodes.size(); ++i) {
        const Node& n = m_site.nodes.at(i);
        if (n.folder || n.records.isEmpty())
            continue;
        if (introFormats.contains(n.format) && !v.contains(QStringLiteral("intro"))) {
            const Record& r = n.records.first();
            const QString pageTitle = r.text(col::pageTitle).trimmed().isEmpty()
                                          ? label(n.name)
                                          : r.text(col::pageTitle);
            QString body = QStringLiteral("<div class=\"orv-intro\">") +
                           img(r.text(col::pagePicture1), pageTitle, Box::Intro, true,
                               QStringLiteral("orv-intro-pic"));
            body += QLatin1String("<p>") +
                    esc(cut(mdl_func::decode(r.text(col::pageBody)).simplified(), kIntroLength)) +
                    QLatin1String("</p></div>");
            v.insert(QStringLiteral("intro"),
                     block(QStringLiteral("intro"), label(n.name), m_page.at(i), body));
        } else if (n.format == u"news" && !v.contains(QStringLiteral("news"))) {
            v.insert(QStringLiteral("news"), block(QStringLiteral("news"), label(n.name),
                                                   m_page.at(i), newsList(i, 0, newsCount)));
        } else if (sitedb::isProductFormat(n.format) && !v.contains(QStringLiteral("products"))) {
            v.insert(QStringLiteral("products"),
                     block(QStringLiteral("products"), label(n.name), m_page.at(i),
                           productList(QStringLiteral("prod03"), i, 0, productCount)));
        } else if (n.format == u"imgs" && !v.contains(QStringLiteral("gallery"))) {
            v.insert(QStringLiteral("gallery"), block(QStringLiteral("gallery"), label(n.name),
                                                      m_page.at(i), gallery(i, 0, galleryCount)));
        }
    }
    if (m_popup.on)
        v.insert(QStringLiteral("body_end"), popupDialog(m_popup));
    QList<int> newsNodes;
    for (int i = 0; i < m_site.nodes.size(); ++i) {
        if (!m_site.nodes.at(i).folder && m_site.nodes.at(i).format == u"news")
            newsNodes << i;
    }
    const QString blocks = v.value(QStringLiteral("intro")) + v.value(QStringLiteral("news")) +
                           v.value(QStringLiteral("products")) + v.value(QStringLiteral("gallery"));
    v[QStringLiteral("head")] += pageHead(kHome, m_siteName,
                                          m_intro.isEmpty() ? descriptionOf(blocks) : m_intro,
                                          firstPicture(m_logo.isEmpty() ? blocks : m_logo), false,
                                          newsNodes);
    return write(kHome, m_homeSkin.fill(v));
}

bool Renderer::customHomePage() {
    if (m_popup.on)
        note(QStringLiteral("使用自定制首页，弹出窗口未加入首页"));
    const QString source = m_up + m_customHome;
    if (!copyInto(source, kHome))
        return false;
    // Extra pages may link the page by its own name.
    return m_customHome == kHome || copyInto(source, m_customHome);
}

bool Renderer::innerPage(int node, const QString& file, const QString& title,
                         const QString& content, bool crumbSelf) {
    const QList<int> path = pathTo(node);
    const QString name = label(m_site.nodes.at(node).name);
    QHash<QString, QString> v = commonValues(false);
    v.insert(QStringLiteral("page_title"),
             esc((title.isEmpty() ? name : title) + QStringLiteral(" - ") + m_siteName));
    v.insert(QStringLiteral("nav"), nav(path, file));
    v.insert(QStringLiteral("subnav"), subnav(path, file));
    v.insert(QStringLiteral("crumbs"), crumbs(path, title, crumbSelf));
    // A record that opens with its own title holds the page's one heading of the first
    // level; otherwise the node's name is that heading.
    v.insert(QStringLiteral("heading"),
             hasOwnTitle(content)
                 ? QLatin1String("<p class=\"orv-heading\">") + esc(name) + QLatin1String("</p>")
                 : QLatin1String("<h1 class=\"orv-heading\">") + esc(name) + QLatin1String("</h1>"));
    v.insert(QStringLiteral("content"), content);
    v.insert(QStringLiteral("body_end"), QString());
    const Node& n = m_site.nodes.at(node);
    const bool news = !n.folder && n.format == u"news";
    v[QStringLiteral("head")] +=
        pageHead(file, title.isEmpty() ? name : title, descriptionOf(content), firstPicture(content),
                 news && crumbSelf, news ? QList<int>{node} : QList<int>{});
    return write(file, m_innerSkin.fill(v));
}

} // namespace publish
