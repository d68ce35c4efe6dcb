#include "publish/markup.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace publish {

// Plain text for a page: the five characters HTML gives a meaning to become references.
QString esc(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            if (c.unicode() < 32 && c != u'\n' && c != u'\t')
                out += u' '; // control characters have no place in a page
            else
                out += c;
        }
    }
    return out;
}

// A file name as a relative address: everything but letters, digits and "-._~" encoded.
QString pct(const QString& name) {
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

// One file directly in a folder: no separators, no way up, no control characters.
bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u".." || name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    return true;
}

// The kinds of file a page may show or play. The site database, archives and scripts
// beside the pictures are never published.
bool isMediaFile(const QString& name) {
    static const QSet<QString> suffixes{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("jpe"),
        QStringLiteral("gif"),  QStringLiteral("png"),  QStringLiteral("bmp"),
        QStringLiteral("webp"), QStringLiteral("ico"),  QStringLiteral("svg"),
        QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("swf"),
        QStringLiteral("flv"),  QStringLiteral("mp3"),  QStringLiteral("mp4"),
        QStringLiteral("wav"),  QStringLiteral("mid"),  QStringLiteral("wma"),
        QStringLiteral("wmv"),  QStringLiteral("avi")};
    return suffixes.contains(QFileInfo(name).suffix().toLower());
}

bool isPictureFile(const QString& name) {
    static const QSet<QString> suffixes{
        QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"),
        QStringLiteral("gif"), QStringLiteral("png"),  QStringLiteral("bmp"),
        QStringLiteral("webp"), QStringLiteral("ico"), QStringLiteral("svg"),
        QStringLiteral("tif"), QStringLiteral("tiff")};
    return suffixes.contains(QFileInfo(name).suffix().toLower());
}

// Decoded stored plain text as paragraphs: each line break starts a new one.
QStringList paragraphList(const QString& decoded) {
    QStringList out;
    const QStringList lines = decoded.split(u'\n');
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            out << QLatin1String("<p>") + esc(line) + QLatin1String("</p>");
    }
    return out;
}

QString paragraphs(const QString& decoded) {
    return paragraphList(decoded).join(QString());
}

QString textBlock(const QString& paras) {
    return paras.isEmpty()
               ? QString()
               : QLatin1String("<div class=\"orv-text\">") + paras + QLatin1String("</div>");
}

QString figure(const QString& picture, const QString& place) {
    if (picture.isEmpty())
        return {};
    const QString cls =
        place.isEmpty() ? QStringLiteral("orv-pic") : QStringLiteral("orv-pic ") + place;
    return QLatin1String("<figure class=\"") + cls + QLatin1String("\">") + picture +
           QLatin1String("</figure>");
}

QString record(const QString& kind, const QString& title, const QString& inner) {
    QString out = QLatin1String("<article class=\"orv-record orv-") + kind + QLatin1String("\">");
    if (!title.isNull())
        out +=
            QLatin1String("<h1 class=\"orv-record-title\">") + esc(title) + QLatin1String("</h1>");
    return out + inner + QLatin1String("</article>");
}

bool hasOwnTitle(const QString& content) {
    static const QLatin1String title("<h1 class=\"orv-record-title\">");
    if (!content.startsWith(QLatin1String("<article ")))
        return false;
    const qsizetype open = content.indexOf(u'>');
    return open > 0 && QStringView(content).mid(open + 1).startsWith(title);
}

QString empty(const QString& text) {
    return QLatin1String("<p class=\"orv-empty\">") + text + QLatin1String("</p>");
}

QString link(const QString& url, const QString& label) {
    return QLatin1String("<a href=\"") + url + QLatin1String("\">") + esc(label) +
           QLatin1String("</a>");
}

// The first characters of a text, not cutting a character in two.
QString cut(const QString& text, int length) {
    if (text.size() <= length)
        return text;
    int n = length;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n) + QStringLiteral("…");
}

// The name a node shows: its own, or a word for a name of blanks.
QString label(const QString& name) {
    return name.trimmed().isEmpty() ? QStringLiteral("未命名") : name;
}

} // namespace publish
