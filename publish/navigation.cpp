// Page names and the ways between pages: the site and section navigation, the trail of links.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include <QCryptographicHash>

namespace publish {

// Page names come from a digest of the node's level and name: safe whatever the name
// holds, and the same at every publication while the node keeps its name.
void Renderer::nameNodes() {
    m_used.insert(QStringLiteral("index"));
    const int n = m_site.nodes.size();
    m_page.resize(n);
    m_navUrl.resize(n);
    m_stem.resize(n);
    m_itemPage.resize(n);
    for (int i = 0; i < n; ++i) {
        const Node& node = m_site.nodes.at(i);
        const QByteArray digest =
            QCryptographicHash::hash((sitedb::levelPrefix(node.level) + u'/' + node.name).toUtf8(),
                                     QCryptographicHash::Sha1);
        m_stem[i] = unique(u'n' + QString::fromLatin1(digest.toHex().left(10)));
        m_page[i] = m_stem[i] + QLatin1String(".html");
        if (!node.folder && (node.format == u"news" || sitedb::isProductFormat(node.format))) {
            QStringList& items = m_itemPage[i];
            items.reserve(node.records.size());
            for (const Record& r : node.records)
                items << unique(m_stem[i] + u'-' + QString::number(r.id)) + QLatin1String(".html");
        }
    }
    // A folder takes the visitor to its first file, or to its index when it has none.
    const std::function<QString(int)> firstFile = [&](int i) -> QString {
        const Node& node = m_site.nodes.at(i);
        if (!node.folder)
            return m_page[i];
        for (int c : node.children) {
            const QString url = firstFile(c);
            if (!url.isEmpty())
                return url;
        }
        return {};
    };
    m_link.resize(n);
    m_fullItem.resize(n);
    m_shortItem.resize(n);
    for (int i = 0; i < n; ++i) {
        const QString url = firstFile(i);
        m_navUrl[i] = url.isEmpty() ? m_page[i] : url;
        m_link[i] = link(m_navUrl[i], label(m_site.nodes.at(i).name));
    }
}

QList<int> Renderer::pathTo(int i) const {
    QList<int> path;
    for (; i >= 0; i = m_site.nodes.at(i).parent)
        path.prepend(i);
    return path;
}

// A node's navigation item with its children down to level `depth`. The items off the
// current path are the same on every page and are made once. The deepest item of the path
// tells assistive technology where the visitor is: "page" when it links to this very page.
QString Renderer::navItem(int i, const QList<int>& path, int depth, const QString& file) const {
    const bool current = path.contains(i);
    QString& cached = depth == 3 ? m_fullItem[i] : m_shortItem[i];
    if (!current && !cached.isNull())
        return cached;
    const Node& node = m_site.nodes.at(i);
    QString out = QLatin1String("<li class=\"orv-l") + QString::number(int(node.level)) +
                  (current ? QLatin1String(" orv-current\">") : QLatin1String("\">"));
    if (current && i == path.last())
        out += currentLink(m_navUrl.at(i), label(node.name), file);
    else
        out += m_link.at(i);
    if (!node.children.isEmpty() && int(node.level) < depth) {
        out += QLatin1String("<ul class=\"orv-sub\">");
        for (int c : node.children)
            out += navItem(c, path, depth, file);
        out += QLatin1String("</ul>");
    }
    out += QLatin1String("</li>");
    if (!current)
        cached = out;
    return out;
}

QString Renderer::currentLink(const QString& url, const QString& name, const QString& file) {
    return QLatin1String("<a href=\"") + url +
           (url == file ? QLatin1String("\" aria-current=\"page\">")
                        : QLatin1String("\" aria-current=\"true\">")) +
           esc(name) + QLatin1String("</a>");
}

// On narrow screens the list hides behind a menu button: a check box and its label, so that
// it opens with the keyboard and without script.
QString Renderer::nav(const QList<int>& path, const QString& file) const {
    QString out = QStringLiteral("<input type=\"checkbox\" id=\"orv-menu\" class=\"orv-menu-toggle\">"
                                 "<label for=\"orv-menu\" class=\"orv-menu-button\">菜单</label>"
                                 "<ul class=\"orv-nav\">");
    out += path.isEmpty() ? QStringLiteral("<li class=\"orv-l1 orv-current\"><a href=\"index.html\" "
                                           "aria-current=\"page\">首页</a></li>")
                          : QStringLiteral("<li class=\"orv-l1\"><a href=\"index.html\">首页</a></li>");
    for (int i : m_site.top)
        out += navItem(i, path, m_navDepth, file);
    for (const QString& item : m_extraNav)
        out += item;
    return out + QLatin1String("</ul>");
}

QString Renderer::subnav(const QList<int>& path, const QString& file) const {
    const int section = path.first();
    const Node& top = m_site.nodes.at(section);
    QString items;
    if (top.children.isEmpty()) {
        items = QLatin1String("<li class=\"orv-l2 orv-current\">") +
                currentLink(m_navUrl.at(section), label(top.name), file) + QLatin1String("</li>");
    } else {
        for (int c : top.children)
            items += navItem(c, path, 3, file);
    }
    const QString name = esc(label(top.name));
    return QLatin1String("<nav class=\"orv-subnav\" aria-label=\"") + name +
           QLatin1String("\"><h2 class=\"orv-subnav-title\">") + name +
           QLatin1String("</h2><ul>") + items + QLatin1String("</ul></nav>");
}

// 首页 > section > … > last; the nodes of the path link to their pages (a folder to its
// index), the last is plain text unless `linkLast`.
QString Renderer::crumbs(const QList<int>& path, const QString& last, bool linkLast) const {
    static const QLatin1String sep("<span class=\"orv-sep\">&gt;</span>");
    QString out = QStringLiteral(
        "<nav class=\"orv-crumbs\" aria-label=\"当前位置\"><a href=\"index.html\">首页</a>");
    for (qsizetype k = 0; k < path.size(); ++k) {
        const int i = path.at(k);
        const bool isLast = k == path.size() - 1;
        out += sep;
        if (isLast && !linkLast)
            out += QLatin1String("<span aria-current=\"page\">") + esc(label(m_site.nodes.at(i).name)) +
                   QLatin1String("</span>");
        else
            out += link(m_page.at(i), label(m_site.nodes.at(i).name));
    }
    if (linkLast)
        out += sep + QLatin1String("<span aria-current=\"page\">") + esc(last) +
               QLatin1String("</span>");
    return out + QLatin1String("</nav>");
}

} // namespace publish
