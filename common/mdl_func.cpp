#include "common/mdl_func.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace mdl_func {

namespace {

// The working folder as the browser engine writes it in a picture's address: raw, and
// percent-encoded (a folder with blanks or Chinese characters).
QStringList fileUrlsOf(const QString& imgPath) {
    QStringList urls;
    urls << QStringLiteral("file://") + imgPath;
    for (const QString& encoded :
         {fileUrl(imgPath), QUrl::fromLocalFile(imgPath).toString(QUrl::FullyEncoded)}) {
        if (!urls.contains(encoded))
            urls << encoded;
    }
    return urls;
}

const QLatin1String kImgPath("[imgpath]/");
const QLatin1String kQuote("[&#39;]");

// Where a name written after "[imgpath]/" certainly ends: the attribute's or the
// element's end, a line end, or a double quote written as a reference (a CSS url()).
qsizetype writtenEnd(const QString& s, qsizetype from) {
    for (qsizetype i = from; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'\\' || c.unicode() < 32)
            return i;
        if (c == u'&' && (QStringView(s).mid(i).startsWith(QLatin1String("&quot;")) ||
                          QStringView(s).mid(i).startsWith(QLatin1String("&#34;"))))
            return i;
        if (c == u'[' && QStringView(s).mid(i).startsWith(kImgPath))
            return i;
    }
    return s.size();
}

// The character references of markup read, the stored apostrophe included.
QString unescaped(const QString& written) {
    QString s = written;
    s.replace(kQuote, QLatin1String("'"));
    if (!s.contains(u'&'))
        return s;
    static const QRegularExpression ref(
        QStringLiteral("&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|amp|lt|gt|quot|apos|nbsp);"));
    QString out;
    qsizetype from = 0;
    for (auto it = ref.globalMatch(s); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(s).mid(from, m.capturedStart() - from);
        const QString r = m.captured(1);
        char32_t code = 0;
        if (r == u"amp")
            code = '&';
        else if (r == u"lt")
            code = '<';
        else if (r == u"gt")
            code = '>';
        else if (r == u"quot")
            code = '"';
        else if (r == u"apos")
            code = '\'';
        else if (r == u"nbsp")
            code = 0xA0;
        else if (r.size() > 1 && (r.at(1) == u'x' || r.at(1) == u'X'))
            code = r.mid(2).toUInt(nullptr, 16);
        else
            code = r.mid(1).toUInt();
        if (code == 0 || code > 0x10FFFF)
            out += m.captured(0);
        else
            out += QString::fromUcs4(&code, 1);
        from = m.capturedEnd();
    }
    out += QStringView(s).mid(from);
    return out;
}

// The percent-encoding of a name read; empty when the name holds a "%" that starts no
// valid one (a name such as "50%.jpg" is written as it is).
QString percentDecoded(const QString& name) {
    static const QRegularExpression bad(QStringLiteral("%(?![0-9A-Fa-f]{2})"));
    if (!name.contains(u'%') || bad.match(name).hasMatch())
        return {};
    return QUrl::fromPercentEncoding(name.toUtf8());
}

} // namespace

QString fileUrl(const QString& path) {
    // The quote that would end an attribute is encoded too.
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).replace(u'\'', "%27");
}

QList<StoredPicture> storedPictures(const QString& stored) {
    QList<StoredPicture> out;
    for (qsizetype at = stored.indexOf(kImgPath); at >= 0;) {
        const qsizetype from = at + kImgPath.size();
        const qsizetype end = writtenEnd(stored, from);
        out.append({at, stored.mid(from, end - from)});
        at = stored.indexOf(kImgPath, end);
    }
    return out;
}

QList<NameReading> readingsOf(const QString& written) {
    // No file name is longer than 255 bytes, even written with references.
    constexpr qsizetype kLongest = 2048;
    QList<qsizetype> lengths;
    if (written.size() <= kLongest)
        lengths << written.size();
    for (qsizetype i = std::min(written.size(), kLongest + 1) - 1; i > 0; --i) {
        const QChar c = written.at(i);
        const bool reference = c == u'#' && written.at(i - 1) == u'&';
        if ((c == u' ' || c == u'?' || c == u')' || (c == u'#' && !reference)) ||
            QStringView(written).mid(i).startsWith(kQuote))
            lengths << i;
    }
    QList<NameReading> out;
    const auto add = [&out](const QString& name, qsizetype length) {
        if (name.isEmpty())
            return;
        for (const NameReading& r : out) {
            if (r.name == name)
                return;
        }
        out.append({name, length});
    };
    for (qsizetype length : lengths) {
        const QString name = unescaped(written.left(length));
        add(name, length);
        add(percentDecoded(name), length);
    }
    return out;
}

QString replaceStoredPictures(const QString& stored,
                              const std::function<QString(const QString&)>& address,
                              const std::function<QString(const QString&)>& unknown) {
    QString out;
    qsizetype from = 0;
    for (const StoredPicture& p : storedPictures(stored)) {
        out += QStringView(stored).mid(from, p.at - from);
        QString replaced;
        for (const NameReading& r : readingsOf(p.written)) {
            const QString a = address(r.name);
            if (!a.isEmpty()) {
                replaced = a + p.written.mid(r.length);
                break;
            }
        }
        out += replaced.isNull() ? unknown(p.written) : replaced;
        from = p.at + kImgPath.size() + p.written.size();
    }
    out += QStringView(stored).mid(from);
    return out;
}

QString encode(const QString& text) {
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    s.replace(u'\n', QLatin1String("<br>"));
    s.replace(u'\r', QLatin1String("<br>"));
    s.replace(u'\'', QLatin1String("&#39;"));
    s.replace(u' ', QLatin1String("&nbsp;"));
    s.replace(u'"', QLatin1String("&#34;"));
    return s;
}

QString decode(const QString& text) {
    QString s = text;
    s.replace(QLatin1String("<br>"), QLatin1String("\n"));
    s.replace(QLatin1String("&#34;"), QLatin1String("\""));
    s.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    s.replace(QLatin1String("&#39;"), QLatin1String("'"));
    return s;
}

QString toStoredHtml(const QString& markup, const QString& imgPath) {
    QString s = markup;
    const int body = s.toLower().indexOf(QLatin1String("<body"));
    if (body >= 0) {
        const int close = s.indexOf(u'>', body);
        s = close >= 0 ? s.mid(close + 1) : QString();
    }
    const int end = s.toLower().lastIndexOf(QLatin1String("</body>"));
    if (end >= 0)
        s.truncate(end);
    // The working folder first: its path may itself hold an apostrophe.
    if (!imgPath.isEmpty()) {
        for (const QString& url : fileUrlsOf(imgPath))
            s.replace(url, QLatin1String("[imgpath]/"));
        s.replace(imgPath, QLatin1String("[imgpath]/"));
    }
    s.replace(u'\'', QLatin1String("[&#39;]"));
    return s;
}

QString fromStoredHtml(const QString& stored, const QString& imgPath) {
    QString s = replaceStoredPictures(
        stored,
        [&imgPath](const QString& name) -> QString {
            return QFileInfo(imgPath + name).isFile() ? fileUrl(imgPath + name) : QString();
        },
        [&imgPath](const QString& written) -> QString { return QStringLiteral("file://") + imgPath + written; });
    s.replace(kQuote, QLatin1String("'"));
    return s;
}

bool isNumeric(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return re.match(text).hasMatch();
}

QString checkedNumInput(const QString& text, const std::optional<QString>& accepted) {
    const auto passes = [](const QString& t) { return t.isEmpty() || isNumeric(t); };
    if (passes(text))
        return text;
    if (accepted && passes(*accepted))
        return *accepted;
    QString kept = text;
    do
        kept.chop(1);
    while (!passes(kept));
    return kept;
}

QString htmlColor(const QColor& color) {
    return QStringLiteral("#%1%2%3")
        .arg(color.red(), 2, 16, QLatin1Char('0'))
        .arg(color.green(), 2, 16, QLatin1Char('0'))
        .arg(color.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString dialogFilter(const QString& descPatternFilter) {
    const QStringList parts = descPatternFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') +
                       QStringLiteral(")");
    }
    return filters.join(QLatin1String(";;"));
}

} // namespace mdl_func

bool cls_func::isEng(const QString& text) const {
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 127)
            return false;
    }
    return true;
}
