// What a page says of itself to search engines, feed readers and the places it is shared
// in: its description, its one address, its picture, its feeds; the site's icon and its
// page for addresses that lead nowhere.

#include "publish/renderer.h"

#include "publish/markup.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QUrl>
#include <QtEndian>

#include <cmath>

namespace publish {

namespace {

// Characters of a page's description.
constexpr int kDescriptionLength = 120;
// The icon's side in pixels.
constexpr int kIconSide = 32;

QString attribute(const QString& name, const QString& value) {
    return u' ' + name + QLatin1String("=\"") + esc(value) + u'"';
}

QString meta(const char* kind, const QString& name, const QString& content) {
    return QLatin1String("<meta") + attribute(QLatin1String(kind), name) +
           attribute(QStringLiteral("content"), content) + u'>';
}

// The text of an HTML fragment as a reader sees it: tags gone, references resolved,
// blanks folded.
QString textOf(QString html) {
    static const QRegularExpression code(
        QStringLiteral("<(script|style|object)\\b.*?</\\1\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression reference(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    html.remove(code);
    html.replace(tag, QStringLiteral(" "));
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(html).mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const QString name = m.captured(1);
        char32_t c = 0;
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive))
            c = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            c = name.mid(1).toUInt();
        else {
            static const QHash<QString, char32_t> named{
                {QStringLiteral("amp"), '&'},  {QStringLiteral("lt"), '<'},
                {QStringLiteral("gt"), '>'},   {QStringLiteral("quot"), '"'},
                {QStringLiteral("apos"), '\''}, {QStringLiteral("nbsp"), ' '},
                {QStringLiteral("copy"), 0xa9}, {QStringLiteral("times"), 0xd7}};
            c = named.value(name);
        }
        if (c >= 32 && c <= 0x10ffff && (c < 0xd800 || c > 0xdfff))
            out += QString::fromUcs4(&c, 1);
        else
            out += u' ';
    }
    out += QStringView(html).mid(at);
    return out.simplified();
}

// The colour a skin marks itself with: its "--orv-accent", or a calm blue.
QRgb accentOf(const QString& css) {
    static const QRegularExpression accent(QStringLiteral("--orv-accent\\s*:\\s*(#[0-9a-fA-F]{6}|#[0-9a-fA-F]{3})\\b"));
    QFile f(css);
    const QString text = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.read(64 * 1024)) : QString();
    const QColor c = QColor::fromString(accent.match(text).captured(1));
    return c.isValid() ? c.rgb() : qRgb(0x2f, 0x6f, 0xb3);
}

// A skin's own icon: a rounded square in its colour with a light disc, drawn pixel by
// pixel with soft edges (no font or painter needed on a server).
QImage skinIcon(QRgb colour) {
    QImage icon(kIconSide, kIconSide, QImage::Format_ARGB32);
    const double half = kIconSide / 2.0, radius = 7.0, disc = 6.5;
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            const double px = x + 0.5 - half, py = y + 0.5 - half;
            // Signed distance to the rounded square's edge, and to the disc's.
            const double qx = std::abs(px) - (half - radius), qy = std::abs(py) - (half - radius);
            const double square = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) +
                                  std::min(std::max(qx, qy), 0.0) - radius;
            const double inside = std::clamp(0.5 - square, 0.0, 1.0);
            const double light = std::clamp(0.5 - (std::hypot(px, py) - disc), 0.0, 1.0);
            const auto mix = [&](int channel) {
                return int(std::lround(channel + (255 - channel) * light * 0.92));
            };
            icon.setPixel(x, y, qRgba(mix(qRed(colour)), mix(qGreen(colour)), mix(qBlue(colour)),
                                      int(std::lround(255 * inside))));
        }
    }
    return icon;
}

// A picture fitted into the icon's square, centred on a clear ground.
QImage fitted(const QImage& picture) {
    const QImage scaled = picture.convertToFormat(QImage::Format_ARGB32)
                              .scaled(kIconSide, kIconSide, Qt::KeepAspectRatio,
                                      Qt::SmoothTransformation);
    QImage icon(kIconSide, kIconSide, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    const int left = (kIconSide - scaled.width()) / 2, top = (kIconSide - scaled.height()) / 2;
    for (int y = 0; y < scaled.height(); ++y) {
        for (int x = 0; x < scaled.width(); ++x)
            icon.setPixel(left + x, top + y, scaled.pixel(x, y));
    }
    return icon;
}

// An ICO file holding one PNG, which every browser reads.
QByteArray icoOf(const QImage& icon) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    QByteArray ico(22, '\0');
    uchar* h = reinterpret_cast<uchar*>(ico.data());
    qToLittleEndian<quint16>(1, h + 2); // an icon
    qToLittleEndian<quint16>(1, h + 4); // one image
    h[6] = uchar(icon.width() % 256);
    h[7] = uchar(icon.height() % 256);
    qToLittleEndian<quint16>(1, h + 10);  // colour planes
    qToLittleEndian<quint16>(32, h + 12); // bits per pixel
    qToLittleEndian<quint32>(quint32(png.size()), h + 14);
    qToLittleEndian<quint32>(22, h + 18);
    return ico + png;
}

} // namespace

// A page's own words: its content without the headings (the title says them), the
// trail back to the list, the pager and the dates.
QString Renderer::descriptionOf(const QString& html) {
    QString content = html;
    static const QRegularExpression furniture(
        QStringLiteral("<(h[1-6])\\b.*?</\\1>|<p class=\"orv-(back|record-meta)\".*?</p>|"
                       "<div class=\"orv-pager\".*?</div>|<span class=\"orv-date\">.*?</span>"),
        QRegularExpression::DotMatchesEverythingOption);
    content.remove(furniture);
    return cut(textOf(content), kDescriptionLength);
}

// The first picture a fragment shows, as written there.
QString Renderer::firstPicture(const QString& html) {
    static const QRegularExpression img(QStringLiteral("<img\\b[^>]*?\\ssrc=\"([^\"]+)\""),
                                        QRegularExpression::CaseInsensitiveOption);
    return img.match(html).captured(1);
}

// The tags of one page's head; `file` is its name in the site, `title` its title as the
// visitor reads it, `description` plain text, `picture` the address of its picture as
// the page writes it (or empty), `feeds` the news nodes whose feeds it names.
QString Renderer::pageHead(const QString& file, const QString& title, const QString& description,
                           const QString& picture, bool article, const QList<int>& feeds) const {
    QString text = description.isEmpty() ? m_intro : description;
    if (text.isEmpty())
        text = m_siteName;
    text = cut(text, kDescriptionLength);
    QString head = meta("name", QStringLiteral("description"), text) +
                   QStringLiteral("<link rel=\"icon\" href=\"favicon.ico\">");
    head += meta("property", QStringLiteral("og:title"), title) +
            meta("property", QStringLiteral("og:description"), text) +
            meta("property", QStringLiteral("og:type"),
                 article ? QStringLiteral("article") : QStringLiteral("website")) +
            meta("property", QStringLiteral("og:site_name"), m_siteName) +
            meta("property", QStringLiteral("og:locale"), QStringLiteral("zh_CN"));
    if (m_address.isEmpty())
        return head;
    const QString self = absolute(file);
    head += QLatin1String("<link rel=\"canonical\"") + attribute(QStringLiteral("href"), self) +
            u'>' + meta("property", QStringLiteral("og:url"), self);
    // The picture as the page addresses it: relative to the site, or already absolute.
    const QString pic = picture.isEmpty() ? firstPicture(m_logo) : picture;
    const QString decoded = QString(pic).replace(QLatin1String("&amp;"), QLatin1String("&"));
    const QUrl url(decoded);
    if (!pic.isEmpty() && (url.isRelative() ? !decoded.startsWith(u'/')
                                            : url.scheme() == u"http" || url.scheme() == u"https"))
        head += meta("property", QStringLiteral("og:image"),
                     url.isRelative() ? absolute(decoded) : decoded);
    for (int node : feeds)
        head += QLatin1String("<link rel=\"alternate\" type=\"application/atom+xml\"") +
                attribute(QStringLiteral("title"), label(m_site.nodes.at(node).name)) +
                attribute(QStringLiteral("href"), absolute(feedFile(node))) + u'>';
    return head;
}

// The site's icon from its logo, or else the home skin's own.
bool Renderer::favicon() {
    QImage icon;
    const QString logo = uploadFile(m_site.value(QStringLiteral("logo")).trimmed());
    if (!logo.isEmpty() && isMediaFile(logo)) {
        const QImage picture(logo);
        if (!picture.isNull())
            icon = fitted(picture);
    }
    if (icon.isNull())
        icon = skinIcon(accentOf(m_skins + QLatin1String("templates/") +
                                 (m_customHome.isEmpty() ? m_homeCode : m_innerCode) +
                                 QLatin1String("/skin.css")));
    QFile f(m_out + QLatin1String("favicon.ico"));
    const QByteArray bytes = icoOf(icon);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return fail(QStringLiteral("无法写入 favicon.ico：") + f.errorString());
    return true;
}

// The answer to an address the site does not have, in the inner pages' skin. It may be
// sent for any path, so its addresses start from the site's root.
bool Renderer::notFoundPage() {
    const QString title = QStringLiteral("找不到网页");
    QHash<QString, QString> v = commonValues(false);
    v[QStringLiteral("head")].prepend(QStringLiteral("<base href=\"/\">"));
    v[QStringLiteral("head")] +=
        QStringLiteral("<meta name=\"robots\" content=\"noindex\"><link rel=\"icon\" href=\"favicon.ico\">");
    v.insert(QStringLiteral("page_title"), esc(title + QStringLiteral(" - ") + m_siteName));
    // No item of the navigation is the current page here, the home page neither.
    v.insert(QStringLiteral("nav"),
             nav({}, kNotFound)
                 .replace(QLatin1String("<li class=\"orv-l1 orv-current\"><a href=\"index.html\" "
                                        "aria-current=\"page\">"),
                          QLatin1String("<li class=\"orv-l1\"><a href=\"index.html\">")));
    v.insert(QStringLiteral("crumbs"),
             QStringLiteral("<nav class=\"orv-crumbs\" aria-label=\"当前位置\"><a href=\"index.html\">首页</a>"
                            "<span class=\"orv-sep\">&gt;</span><span aria-current=\"page\">") +
                 title + QLatin1String("</span></nav>"));
    v.insert(QStringLiteral("heading"), QLatin1String("<h1 class=\"orv-heading\">") + title +
                                            QLatin1String("</h1>"));
    v.insert(QStringLiteral("content"),
             record(QStringLiteral("not-found"), QString(),
                    QStringLiteral("<p>您要找的网页不存在，可能已经删除或改名。</p>"
                                   "<p class=\"orv-back\"><a href=\"index.html\">返回首页</a></p>")));
    v.insert(QStringLiteral("body_end"), QString());
    return write(kNotFound, m_innerSkin.fill(v));
}

} // namespace publish
