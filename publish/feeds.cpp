// What tells others about the site's pages: the news in date order, an Atom feed for each
// news list, the sitemap and robots.txt.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>
#include <QXmlStreamWriter>

#include <algorithm>

namespace publish {

namespace {

// A news item's date as the user typed it: "2020-01-05" as the date picker writes it,
// or "2020-1-5", "2020/1/5", "2020.1.5", "2020年1月5日", "20200105", each perhaps followed
// by a time. Anything else has no date.
QDate newsDate(const QString& stored) {
    static const QRegularExpression parts(QStringLiteral(
        "^\\s*(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})(?!\\d)"));
    static const QRegularExpression compact(QStringLiteral("^\\s*(\\d{4})(\\d{2})(\\d{2})(?!\\d)"));
    QRegularExpressionMatch m = parts.match(stored);
    if (!m.hasMatch())
        m = compact.match(stored);
    if (!m.hasMatch())
        return {};
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

// A day as Atom writes it: midnight where the site's visitors live.
QString atomDay(const QDate& day) {
    return day.toString(Qt::ISODate) + QLatin1String("T00:00:00+08:00");
}

// Writes `bytes` as `file` of the site, replacing nothing but a complete copy.
bool saveFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    *error = f.errorString();
    return false;
}

} // namespace

// The public address checked (an http or https address of a host, ending with "/"; anything
// else gives none, so that no page names a wrong one), the news put in order and the site's
// introduction read, before the pages are named.
void Renderer::prepareFinding() {
    m_renderedAt = QDateTime::currentDateTimeUtc();
    m_renderedAt.setTime(QTime(m_renderedAt.time().hour(), m_renderedAt.time().minute(),
                               m_renderedAt.time().second()));
    const QString given = m_options.publicAddress.trimmed();
    const QUrl url(given, QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
        !url.host().isEmpty() && url.userInfo().isEmpty() && !url.hasQuery() &&
        !url.hasFragment())
    {
        m_address = url.toString(QUrl::FullyEncoded | QUrl::NormalizePathSegments);
        while (m_address.endsWith(u'/'))
            m_address.chop(1);
        m_address += u'/';
    }
    else if (!given.isEmpty())
        note(QStringLiteral("网站地址无效，网页中未写入绝对地址：") + given);
    orderNews();
    static const QSet<QString> introFormats{QStringLiteral("txt"), QStringLiteral("imgTxt01"),
                                            QStringLiteral("imgTxt02"), QStringLiteral("imgTxt03")};
    for (const Node& n : std::as_const(m_site.nodes)) {
        if (!n.folder && !n.records.isEmpty() && introFormats.contains(n.format)) {
            m_intro = mdl_func::decode(n.records.first().text(col::pageBody)).simplified();
            break;
        }
    }
}

// Newest first by date; items of the same day, and the undated ones after all others,
// keep the order the reader gave them (the latest entered first).
void Renderer::orderNews() {
    for (Node& n : m_site.nodes) {
        if (n.folder || n.format != u"news")
            continue;
        QList<QPair<QDate, Record>> dated;
        dated.reserve(n.records.size());
        for (Record& r : n.records)
            dated.append({newsDate(r.text(col::newsDate)), std::move(r)});
        std::stable_sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
            return a.first.isValid() && (!b.first.isValid() || a.first > b.first);
        });
        n.records.clear();
        for (auto& [day, r] : dated)
            n.records.append(std::move(r));
    }
}

QString Renderer::feedFile(int node) const {
    return m_stem.at(node) + QLatin1String(".xml");
}

// An address of the site as it is reached from outside; empty without a public address.
QString Renderer::absolute(const QString& relative) const {
    if (m_address.isEmpty())
        return {};
    return relative == kHome ? m_address : m_address + relative;
}

bool Renderer::feeds() {
    if (m_address.isEmpty())
        return true;
    for (int i = 0; i < m_site.nodes.size(); ++i) {
        const Node& n = m_site.nodes.at(i);
        if (!n.folder && n.format == u"news" && !writeFeed(i))
            return false;
    }
    return true;
}

bool Renderer::writeFeed(int node) {
    const Node& n = m_site.nodes.at(node);
    const int count = qMin(int(n.records.size()), kNewsPerPage);
    QDate newest;
    for (int k = 0; k < count && !newest.isValid(); ++k)
        newest = newsDate(n.records.at(k).text(col::newsDate));
    const QString updated = newest.isValid()
                                ? atomDay(newest)
                                : m_renderedAt.toString(Qt::ISODate);
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.setAutoFormatting(true);
    x.writeStartDocument();
    x.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2005/Atom"));
    x.writeStartElement(QStringLiteral("feed"));
    x.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("zh-CN"));
    x.writeTextElement(QStringLiteral("title"), label(n.name) + QStringLiteral(" - ") + m_siteName);
    x.writeTextElement(QStringLiteral("id"), absolute(m_page.at(node)));
    x.writeTextElement(QStringLiteral("updated"), updated);
    x.writeEmptyElement(QStringLiteral("link"));
    x.writeAttribute(QStringLiteral("rel"), QStringLiteral("alternate"));
    x.writeAttribute(QStringLiteral("type"), QStringLiteral("text/html"));
    x.writeAttribute(QStringLiteral("href"), absolute(m_page.at(node)));
    x.writeEmptyElement(QStringLiteral("link"));
    x.writeAttribute(QStringLiteral("rel"), QStringLiteral("self"));
    x.writeAttribute(QStringLiteral("type"), QStringLiteral("application/atom+xml"));
    x.writeAttribute(QStringLiteral("href"), absolute(feedFile(node)));
    x.writeStartElement(QStringLiteral("author"));
    x.writeTextElement(QStringLiteral("name"), orgName());
    x.writeEndElement();
    for (int k = 0; k < count; ++k) {
        const Record& r = n.records.at(k);
        const QDate day = newsDate(r.text(col::newsDate));
        const QString address = absolute(m_itemPage.at(node).at(k));
        x.writeStartElement(QStringLiteral("entry"));
        const QString title = r.text(col::newsTitle).trimmed();
        x.writeTextElement(QStringLiteral("title"),
                           title.isEmpty() ? QStringLiteral("（无标题）") : title);
        x.writeEmptyElement(QStringLiteral("link"));
        x.writeAttribute(QStringLiteral("href"), address);
        x.writeTextElement(QStringLiteral("id"), address);
        x.writeTextElement(QStringLiteral("updated"), day.isValid() ? atomDay(day) : updated);
        const QString summary =
            cut(mdl_func::decode(r.text(col::newsBody)).simplified(), kIntroLength);
        if (!summary.isEmpty())
            x.writeTextElement(QStringLiteral("summary"), summary);
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndDocument();
    QString why;
    if (!saveFile(m_out + feedFile(node), bytes, &why))
        return fail(QStringLiteral("无法写入 ") + feedFile(node) + QStringLiteral("：") + why);
    return true;
}

bool Renderer::sitemapAndRobots() {
    QString robots = QStringLiteral("User-agent: *\nAllow: /\n");
    QString why;
    if (!m_address.isEmpty()) {
        // A news item is dated by its own date, a page of the news list by its newest item.
        QHash<QString, QDate> dates;
        for (int i = 0; i < m_site.nodes.size(); ++i) {
            const Node& n = m_site.nodes.at(i);
            for (int k = 0; !n.folder && n.format == u"news" && k < n.records.size(); ++k) {
                const QDate day = newsDate(n.records.at(k).text(col::newsDate));
                const QString list = listPage(i, k / kNewsPerPage);
                if (day.isValid()) {
                    dates.insert(m_itemPage.at(i).at(k), day);
                    if (dates.value(list) < day)
                        dates.insert(list, day);
                }
            }
        }
        QStringList pages{kHome};
        pages += m_written;
        static const QRegularExpression htmlPage(QStringLiteral("\\.html?$"),
                                                 QRegularExpression::CaseInsensitiveOption);
        for (const auto& [source, target] : std::as_const(m_extraFiles)) {
            if (htmlPage.match(target).hasMatch())
                pages << pct(target);
        }
        pages.removeDuplicates();
        const QString today = m_renderedAt.date().toString(Qt::ISODate);
        QByteArray bytes;
        QXmlStreamWriter x(&bytes);
        x.setAutoFormatting(true);
        x.writeStartDocument();
        x.writeDefaultNamespace(QStringLiteral("http://www.sitemaps.org/schemas/sitemap/0.9"));
        x.writeStartElement(QStringLiteral("urlset"));
        for (const QString& page : std::as_const(pages)) {
            x.writeStartElement(QStringLiteral("url"));
            x.writeTextElement(QStringLiteral("loc"), absolute(page));
            const QDate day = dates.value(page);
            x.writeTextElement(QStringLiteral("lastmod"),
                               day.isValid() && day.toString(Qt::ISODate) < today
                                   ? day.toString(Qt::ISODate)
                                   : today);
            x.writeEndElement();
        }
        x.writeEndElement();
        x.writeEndDocument();
        if (!saveFile(m_out + QLatin1String("sitemap.xml"), bytes, &why))
            return fail(QStringLiteral("无法写入 sitemap.xml：") + why);
        robots += QLatin1String("Sitemap: ") + absolute(QStringLiteral("sitemap.xml")) + u'\n';
    }
    if (!saveFile(m_out + QLatin1String("robots.txt"), robots.toUtf8(), &why))
        return fail(QStringLiteral("无法写入 robots.txt：") + why);
    return true;
}

} // namespace publish
