// The pages of each display format: texts, pictures, rich text, news, galleries and products, in
// lists of pages.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

namespace publish {

QString Renderer::listPage(int node, int page) const {
    return page == 0 ? m_page.at(node)
                     : m_stem.at(node) + QLatin1String("-p") + QString::number(page + 1) +
                           QLatin1String(".html");
}

QString Renderer::pager(int node, int page, int pages) const {
    if (pages <= 1)
        return {};
    QString out = QStringLiteral("<div class=\"orv-pager\">");
    if (page > 0)
        out += QLatin1String("<a href=\"") + listPage(node, page - 1) +
               QStringLiteral("\">上一页</a>");
    for (int k = 0; k < pages; ++k) {
        if (k == page)
            out += QLatin1String("<span class=\"orv-current\">") + QString::number(k + 1) +
                   QLatin1String("</span>");
        else
            out += QLatin1String("<a href=\"") + listPage(node, k) + QLatin1String("\">") +
                   QString::number(k + 1) + QLatin1String("</a>");
    }
    if (page < pages - 1)
        out += QLatin1String("<a href=\"") + listPage(node, page + 1) +
               QStringLiteral("\">下一页</a>");
    return out + QLatin1String("</div>");
}

bool Renderer::listPages(int i, int perPage, const std::function<QString(int, int)>& list,
                         const QString& nothing) {
    const int count = m_site.nodes.at(i).records.size();
    const int pages = qMax(1, (count + perPage - 1) / perPage);
    for (int p = 0; p < pages; ++p) {
        const QString content =
            count == 0 ? empty(nothing) : list(p * perPage, perPage) + pager(i, p, pages);
        if (!innerPage(i, listPage(i, p), QString(), content, false))
            return false;
    }
    return true;
}

QString Renderer::newsList(int node, int from, int count) const {
    const QList<Record>& records = m_site.nodes.at(node).records;
    QString out = QStringLiteral("<ul class=\"orv-newslist\">");
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString title = r.text(col::newsTitle).trimmed().isEmpty()
                                  ? QStringLiteral("（无标题）")
                                  : r.text(col::newsTitle);
        out += QLatin1String("<li>") + link(m_itemPage.at(node).at(k), title) +
               QLatin1String("<span class=\"orv-date\">") + esc(r.text(col::newsDate)) +
               QLatin1String("</span></li>");
    }
    return out + QLatin1String("</ul>");
}

QString Renderer::gallery(int node, int from, int count) {
    const QList<Record>& records = m_site.nodes.at(node).records;
    QString out = QStringLiteral("<ul class=\"orv-gallery\">");
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString caption = esc(r.text(col::galleryCaption));
        // The tile is made from the picture itself; its small copy serves when it is gone.
        const QString stored = r.text(col::galleryPicture);
        const QString full = picture(stored);
        // The caption beside the tile names the picture; an alt text would say it twice.
        QString inner = img(full.isEmpty() ? r.text(col::galleryThumbnail) : stored, QString(),
                            Box::Thumb, k - from < 4);
        inner += QLatin1String("<span class=\"orv-caption\">") + caption + QLatin1String("</span>");
        if (full.isEmpty())
            out += QLatin1String("<li>") + inner + QLatin1String("</li>");
        else
            out += QLatin1String("<li><a href=\"") + full + QLatin1String("\">") + inner +
                   QLatin1String("</a></li>");
    }
    return out + QLatin1String("</ul>");
}

QString Renderer::facts(const Record& r) const {
    const QString price = r.text(col::productPrice);
    QString out = QStringLiteral("<dl class=\"orv-prod-facts\">");
    const auto pair = [&](const char* term, const QString& value, bool isPrice) {
        if (value.trimmed().isEmpty())
            return;
        out += QLatin1String("<dt>") + QString::fromUtf8(term) + QLatin1String("</dt><dd>") +
               (isPrice ? QLatin1String("<span class=\"orv-price\">") + esc(value) +
                              QLatin1String("</span>")
                        : esc(value)) +
               QLatin1String("</dd>");
    };
    pair("规格", r.text(col::productSpec), false);
    pair("单位", r.text(col::productUnit), false);
    pair("价格", price, true);
    return out == u"<dl class=\"orv-prod-facts\">" ? QString() : out + QLatin1String("</dl>");
}

QString Renderer::productList(const QString& format, int node, int from, int count) {
    const QList<Record>& records = m_site.nodes.at(node).records;
    const auto priceSpan = [](const QString& price) {
        return price.trimmed().isEmpty() ? QString()
                                         : QLatin1String("<span class=\"orv-price\">") +
                                               esc(price) + QLatin1String("</span>");
    };
    QString rows;
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString url = m_itemPage.at(node).at(k);
        const QString name = label(r.text(col::productName));
        const QString pic = img(r.text(col::productPicture), name,
                                format == u"prod02" ? Box::List : Box::Thumb, k - from < 4);
        if (format == u"prod01") {
            rows += QLatin1String("<tr><td>") + link(url, name) + QLatin1String("</td><td>") +
                    esc(r.text(col::productSpec)) + QLatin1String("</td><td>") +
                    esc(r.text(col::productUnit)) + QLatin1String("</td><td>") +
                    priceSpan(r.text(col::productPrice)) + QLatin1String("</td></tr>");
        } else if (format == u"prod02") {
            rows += QLatin1String("<li>");
            if (!pic.isEmpty())
                rows += QLatin1String("<a class=\"orv-prod-pic\" href=\"") + url +
                        QLatin1String("\">") + pic + QLatin1String("</a>");
            rows += QLatin1String("<div class=\"orv-prod-info\"><h2 class=\"orv-prod-name\">") +
                    link(url, name) + QLatin1String("</h2>") + facts(r) +
                    QLatin1String("</div></li>");
        } else {
            rows += QLatin1String("<li><a href=\"") + url + QLatin1String("\">") + pic +
                    QLatin1String("<span class=\"orv-prod-name\">") + esc(name) +
                    QLatin1String("</span>") + priceSpan(r.text(col::productPrice)) +
                    QLatin1String("</a></li>");
        }
    }
    if (format == u"prod01")
        return QStringLiteral(
                   "<table class=\"orv-prod01\"><thead><tr><th>产品名称</th><th>规格</th>"
                   "<th>单位</th><th>价格</th></tr></thead><tbody>") +
               rows + QLatin1String("</tbody></table>");
    return QLatin1String("<ul class=\"orv-") + format + QLatin1String("\">") + rows +
           QLatin1String("</ul>");
}

bool Renderer::nodePages(int i) {
    const Node& n = m_site.nodes.at(i);
    const QString name = label(n.name);
    if (n.folder) {
        QString items;
        for (int c : n.children)
            items += QLatin1String("<li>") + link(m_page.at(c), label(m_site.nodes.at(c).name)) +
                     QLatin1String("</li>");
        return innerPage(i, m_page.at(i), QString(),
                         items.isEmpty() ? empty(QStringLiteral("暂时还没有内容。"))
                                         : QLatin1String("<ul class=\"orv-index\">") + items +
                                               QLatin1String("</ul>"),
                         false);
    }
    const QString& f = n.format;
    const Record none;
    const Record& r = n.records.isEmpty() ? none : n.records.first();
    const QString nothing = QStringLiteral("暂时还没有内容。");
    const auto single = [&](const QString& content) {
        return innerPage(i, m_page.at(i), QString(), n.records.isEmpty() ? empty(nothing) : content,
                         false);
    };
    const auto title = [&]() {
        const QString t = r.text(col::pageTitle);
        return t.trimmed().isEmpty() ? name : t;
    };
    const QString body = paragraphs(mdl_func::decode(r.text(col::pageBody)));

    if (f == u"txt")
        return single(record(f, title(), textBlock(body)));
    if (f == u"imgTxt01") {
        // Picture 1 before the first paragraph, picture 2 before the middle one.
        const QStringList paras = paragraphList(mdl_func::decode(r.text(col::pageBody)));
        const qsizetype middle = paras.size() / 2;
        QString inner = figure(img(r.text(col::pagePicture1), title(), Box::Detail, true),
                               QStringLiteral("orv-pic-left"));
        for (qsizetype k = 0; k < paras.size(); ++k) {
            if (k == middle)
                inner +=
                    figure(img(r.text(col::pagePicture2), title(), Box::Detail, false),
                           QStringLiteral("orv-pic-right"));
            inner += paras.at(k);
        }
        if (paras.isEmpty())
            inner += figure(img(r.text(col::pagePicture2), title(), Box::Detail, false),
                           QStringLiteral("orv-pic-right"));
        return single(
            record(f, title(),
                   QLatin1String("<div class=\"orv-text\">") + inner + QLatin1String("</div>")));
    }
    if (f == u"imgTxt02") {
        const QString pics = figure(img(r.text(col::pagePicture1), title(), Box::Detail, true),
                                    QString()) +
                             figure(img(r.text(col::pagePicture2), title(), Box::Detail, true),
                                    QString());
        return single(record(f, title(),
                             (pics.isEmpty() ? QString()
                                             : QLatin1String("<div class=\"orv-pics\">") + pics +
                                                   QLatin1String("</div>")) +
                                 textBlock(body)));
    }
    if (f == u"imgTxt03")
        return single(
            record(f, title(),
                   figure(img(r.text(col::pagePicture1), title(), Box::Detail, true),
                          QStringLiteral("orv-pic-top")) +
                       textBlock(body)));
    if (f == u"bigImg") {
        const QString pic =
            figure(img(r.text(col::bigPicture), name, Box::Wide, true),
                   QStringLiteral("orv-pic-full"));
        return single(record(f, QString(), pic.isEmpty() ? empty(nothing) : pic));
    }
    if (f == u"adv")
        return single(record(QStringLiteral("adv-page"), QString(),
                             QLatin1String("<div class=\"orv-adv\">") + rich(r.text(col::advPage)) +
                                 QLatin1String("</div>")));
    if (f == u"news") {
        if (!listPages(
                i, kNewsPerPage, [&](int from, int count) { return newsList(i, from, count); },
                QStringLiteral("暂时还没有新闻。")))
            return false;
        for (int k = 0; k < n.records.size(); ++k) {
            const Record& item = n.records.at(k);
            const QString itemTitle = item.text(col::newsTitle).trimmed().isEmpty()
                                          ? QStringLiteral("（无标题）")
                                          : item.text(col::newsTitle);
            QString inner;
            if (!item.text(col::newsDate).trimmed().isEmpty())
                inner += QLatin1String("<p class=\"orv-record-meta\"><span class=\"orv-date\">") +
                         esc(item.text(col::newsDate)) + QLatin1String("</span></p>");
            inner += figure(img(item.text(col::newsPicture), itemTitle, Box::Detail, true),
                            QStringLiteral("orv-pic-top")) +
                     textBlock(paragraphs(mdl_func::decode(item.text(col::newsBody)))) +
                     QLatin1String("<p class=\"orv-back\"><a href=\"") +
                     listPage(i, k / kNewsPerPage) + QStringLiteral("\">返回列表</a></p>");
            if (!innerPage(i, m_itemPage.at(i).at(k), itemTitle,
                           record(QStringLiteral("news-item"), itemTitle, inner), true))
                return false;
        }
        return true;
    }
    if (f == u"imgs")
        return listPages(
            i, kPicturesPerPage, [&](int from, int count) { return gallery(i, from, count); },
            QStringLiteral("暂时还没有图片。"));
    if (sitedb::isProductFormat(f) && sitedb::formatKeys().contains(f)) {
        const int perPage = kProductsPerPage[f.back().digitValue() - 1];
        if (!listPages(
                i, perPage, [&](int from, int count) { return productList(f, i, from, count); },
                QStringLiteral("暂时还没有产品。")))
            return false;
        for (int k = 0; k < n.records.size(); ++k) {
            const Record& p = n.records.at(k);
            const QString productName = label(p.text(col::productName));
            const QString head = figure(img(p.text(col::productPicture), productName, Box::Detail, true), QString()) + facts(p);
            QString inner;
            if (!head.isEmpty())
                inner += QLatin1String("<div class=\"orv-product-head\">") + head +
                         QLatin1String("</div>");
            const QString intro = rich(p.text(col::productIntro));
            if (!intro.trimmed().isEmpty())
                inner += QLatin1String("<div class=\"orv-adv\">") + intro + QLatin1String("</div>");
            inner += QLatin1String("<p class=\"orv-back\"><a href=\"") + listPage(i, k / perPage) +
                     QStringLiteral("\">返回列表</a></p>");
            if (!innerPage(i, m_itemPage.at(i).at(k), productName,
                           record(QStringLiteral("product"), productName, inner), true))
                return false;
        }
        return true;
    }
    note(QStringLiteral("栏目没有有效的显示格式：") + name);
    return innerPage(i, m_page.at(i), QString(), empty(nothing), false);
}

} // namespace publish
