// Web archives: the MIME message read part by part (quoted-printable and base64 bodies,
// nested multiparts, the page's own character set), the page's addresses of its parts
// ("cid:" and Content-Location ones) led to the files written beside it.

#include "publish/mhtPage.h"

#include "common/gbk.h"
#include "publish/markup.h"

#include <QByteArrayView>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include <functional>

namespace publish {

namespace {

// Bounds on what an archive may make the converter do.
constexpr int kMaxDepth = 8;
constexpr int kMaxParts = 4000;

// A header value and its parameters: `text/html; charset="gb2312"`. Names in lower case.
struct HeaderValue {
    QByteArray main;
    QHash<QByteArray, QByteArray> params;
};

HeaderValue parseValue(const QByteArray& value) {
    QList<QByteArray> pieces{QByteArray()};
    bool quoted = false;
    for (const char c : value) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted)
            pieces.append(QByteArray());
        else
            pieces.last() += c;
    }
    HeaderValue out;
    out.main = pieces.first().trimmed().toLower();
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QByteArray p = pieces.at(i).trimmed();
        const qsizetype eq = p.indexOf('=');
        if (eq <= 0)
            continue;
        QByteArray v = p.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2);
        out.params.insert(p.left(eq).trimmed().toLower(), v);
    }
    return out;
}

// The next line of `data` from `pos`, without its line break; `next` is where the one
// after it starts (data.size() + 1 at the end).
QByteArrayView lineAt(const QByteArray& data, qsizetype pos, qsizetype* next) {
    qsizetype end = data.indexOf('\n', pos);
    if (end < 0)
        end = data.size();
    *next = end + 1;
    QByteArrayView line(data.constData() + pos, end - pos);
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// An entity's header fields (lower-case names, folded lines joined) and its body.
struct Entity {
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
};

Entity parseEntity(const QByteArray& data) {
    Entity e;
    QByteArray name, value;
    const auto keep = [&] {
        if (!name.isEmpty() && !e.headers.contains(name))
            e.headers.insert(name, value.trimmed());
        name.clear();
    };
    qsizetype pos = 0, next = 0;
    while (pos < data.size()) {
        const QByteArrayView line = lineAt(data, pos, &next);
        if (line.isEmpty()) {
            e.body = data.mid(qMin(next, data.size()));
            break;
        }
        if ((line.front() == ' ' || line.front() == '\t') && !name.isEmpty()) {
            value += ' ' + line.trimmed().toByteArray();
        } else {
            keep();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0) {
                name = line.first(colon).trimmed().toByteArray().toLower();
                value = line.sliced(colon + 1).toByteArray();
            }
        }
        pos = next;
    }
    keep();
    return e;
}

QByteArray fromQuotedPrintable(const QByteArray& in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c != '=') {
            out += c;
            continue;
        }
        // A soft line break: "=" and perhaps blanks before the line's end.
        qsizetype j = i + 1;
        while (j < in.size() && (in.at(j) == ' ' || in.at(j) == '\t'))
            ++j;
        if (j < in.size() && (in.at(j) == '\r' || in.at(j) == '\n')) {
            i = (in.at(j) == '\r' && j + 1 < in.size() && in.at(j + 1) == '\n') ? j + 1 : j;
            continue;
        }
        if (j == in.size()) {
            i = j;
            continue;
        }
        bool ok = false;
        const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
        if (ok && i + 2 < in.size()) {
            out += char(byte);
            i += 2;
        } else {
            out += c; // not an escape: kept as it stands
        }
    }
    return out;
}

// One part that holds content, decoded.
struct Part {
    HeaderValue type;
    QByteArray id, location;
    QByteArray bytes;
};

struct Walk {
    QList<Part> leaves;
    QByteArray start; // the Content-ID the root names as the page
    bool broken = false;
};

void walk(const QByteArray& data, int depth, Walk* w) {
    if (depth > kMaxDepth || w->leaves.size() >= kMaxParts) {
        w->broken = true;
        return;
    }
    const Entity e = parseEntity(data);
    HeaderValue type = parseValue(e.headers.value("content-type"));
    if (type.main.isEmpty())
        type.main = "text/plain";
    if (type.main.startsWith("multipart/")) {
        const QByteArray boundary = type.params.value("boundary");
        if (boundary.isEmpty()) {
            w->broken = true;
            return;
        }
        if (depth == 0)
            w->start = type.params.value("start");
        // The parts lie between lines that begin with "--" and the boundary; the line
        // break before such a line belongs to it.
        const QByteArray delimiter = "--" + boundary;
        qsizetype pos = 0, next = 0, from = -1;
        int found = 0;
        while (pos < e.body.size()) {
            const QByteArrayView line = lineAt(e.body, pos, &next);
            if (line.startsWith(delimiter)) {
                const QByteArrayView rest = line.sliced(delimiter.size()).trimmed();
                if (rest.isEmpty() || rest == "--") {
                    if (from >= 0) {
                        qsizetype end = pos;
                        if (end > from && e.body.at(end - 1) == '\n')
                            --end;
                        if (end > from && e.body.at(end - 1) == '\r')
                            --end;
                        walk(e.body.mid(from, end - from), depth + 1, w);
                        ++found;
                    }
                    if (rest == "--") {
                        from = -1;
                        break;
                    }
                    from = next;
                }
            }
            pos = next;
        }
        // An archive cut short keeps the parts it holds.
        if (from >= 0 && from < e.body.size()) {
            walk(e.body.mid(from), depth + 1, w);
            ++found;
        }
        if (found == 0)
            w->broken = true;
        return;
    }
    Part p;
    p.type = type;
    p.id = e.headers.value("content-id").trimmed();
    if (p.id.startsWith('<') && p.id.endsWith('>'))
        p.id = p.id.mid(1, p.id.size() - 2);
    p.location = e.headers.value("content-location").trimmed();
    const QByteArray encoding = e.headers.value("content-transfer-encoding").trimmed().toLower();
    if (encoding == "base64")
        p.bytes = QByteArray::fromBase64(e.body);
    else if (encoding == "quoted-printable")
        p.bytes = fromQuotedPrintable(e.body);
    else
        p.bytes = e.body;
    w->leaves.append(p);
}

QString decodeText(const QByteArray& bytes, QByteArray charset) {
    charset = charset.trimmed().toLower();
    if (charset.isEmpty()) {
        // A page says its character set in a meta element of its first lines.
        static const QRegularExpression meta(
            QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
            QRegularExpression::CaseInsensitiveOption);
        charset = meta.match(QString::fromLatin1(bytes.left(4096))).captured(1).toLatin1().toLower();
    }
    static const QSet<QByteArray> gbkNames{"gb2312", "gbk", "x-gbk", "cp936", "windows-936",
                                           "euc-cn", "csgb2312", "x-euc-cn"};
    QString text;
    if (gbkNames.contains(charset)) {
        text = gbk::decode(bytes);
    } else if (charset == "utf-8" || charset == "utf8") {
        text = QString::fromUtf8(bytes);
    } else {
        QStringDecoder decoder(charset.constData());
        if (!charset.isEmpty() && decoder.isValid())
            text = decoder.decode(bytes);
        else
            text = gbk::isValidUtf8(bytes) ? QString::fromUtf8(bytes) : gbk::decode(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The suffix a file of this type is written with; empty for a type that is not kept.
QString suffixFor(const QByteArray& type) {
    static const QHash<QByteArray, QString> suffixes{
        {"image/png", QStringLiteral("png")},   {"image/jpeg", QStringLiteral("jpg")},
        {"image/pjpeg", QStringLiteral("jpg")}, {"image/jpg", QStringLiteral("jpg")},
        {"image/gif", QStringLiteral("gif")},   {"image/webp", QStringLiteral("webp")},
        {"image/bmp", QStringLiteral("bmp")},   {"image/x-ms-bmp", QStringLiteral("bmp")},
        {"image/x-icon", QStringLiteral("ico")}, {"image/vnd.microsoft.icon", QStringLiteral("ico")},
        {"image/svg+xml", QStringLiteral("svg")}, {"text/css", QStringLiteral("css")}};
    return suffixes.value(type);
}

bool suffixFits(const QString& suffix, const QString& wanted) {
    if (wanted == u"jpg")
        return suffix == u"jpg" || suffix == u"jpeg" || suffix == u"jpe";
    return suffix == wanted;
}

QString withSlashes(QString address) {
    return address.replace(u'\\', u'/');
}

// An address as the archive's parts are looked up by: separators of either kind as "/",
// percent escapes decoded, "." and ".." resolved.
QString addressKey(const QString& address) {
    return QDir::cleanPath(QUrl::fromPercentEncoding(withSlashes(address).toUtf8()));
}

QString htmlUnescapeAmp(QString s) {
    return s.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// Rewrites every address of `text` (attributes that name a file, and CSS url()) that
// `target` knows; the others stay as they stand.
QString rewriteAddresses(const QString& text, const std::function<QString(const QString&)>& target) {
    static const QRegularExpression attribute(
        QStringLiteral("(\\b(?:src|href|background|poster|lowsrc|data)\\s*=\\s*)"
                       "(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression cssUrl(
        QStringLiteral("(url\\(\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^)\"'\\s]+))(\\s*\\))"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = text;
    for (const QRegularExpression* re : {&attribute, &cssUrl}) {
        QString done;
        qsizetype from = 0;
        for (auto it = re->globalMatch(out); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString value = m.captured(2) + m.captured(3) + m.captured(4);
            const QString to = target(htmlUnescapeAmp(value).trimmed());
            if (to.isEmpty())
                continue;
            done += QStringView(out).mid(from, m.capturedStart() - from);
            // The new address is percent-encoded: it needs no quotes in CSS.
            done += re == &attribute ? QString(m.captured(1) + u'"' + to + u'"')
                                     : QString(m.captured(1) + to + m.captured(5));
            from = m.capturedEnd();
        }
        done += QStringView(out).mid(from);
        out = done;
    }
    return out;
}

} // namespace

QString htmlTitle(const QString& page) {
    static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QRegularExpressionMatch m = title.match(page);
    if (!m.hasMatch())
        return {};
    QString t = m.captured(1);
    t.remove(tag);
    return t.simplified();
}

MhtPage convertMht(const QByteArray& archive, const QString& folder) {
    MhtPage page;
    Walk w;
    walk(archive, 0, &w);
    if (w.broken && w.leaves.isEmpty()) {
        page.why = QStringLiteral("格式无法识别");
        return page;
    }
    // The page: the part the archive names as its start, else its first page.
    qsizetype main = -1;
    for (qsizetype i = 0; i < w.leaves.size(); ++i) {
        const Part& p = w.leaves.at(i);
        if (p.type.main != "text/html")
            continue;
        if (!w.start.isEmpty() && ('<' + p.id + '>' == w.start || p.id == w.start)) {
            main = i;
            break;
        }
        if (main < 0)
            main = i;
    }
    if (main < 0) {
        page.why = QStringLiteral("没有网页内容");
        return page;
    }
    const Part& html = w.leaves.at(main);

    // The files: pictures and style sheets, under their own names where these are plain.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.-]{0,99}$"));
    QHash<QString, qsizetype> byAddress, byId;
    QList<qsizetype> sources; // leaf of each file
    QSet<QString> taken;
    for (qsizetype i = 0; i < w.leaves.size(); ++i) {
        const Part& p = w.leaves.at(i);
        const QString suffix = suffixFor(p.type.main);
        if (i == main || suffix.isEmpty())
            continue;
        const QString location = withSlashes(QString::fromUtf8(p.location));
        QString name = QUrl::fromPercentEncoding(
            location.section(u'/', -1).section(u'?', 0, 0).section(u'#', 0, 0).toUtf8());
        if (!plain.match(name).hasMatch() || !suffixFits(QFileInfo(name).suffix().toLower(), suffix))
            name = QStringLiteral("part%1.%2").arg(page.files.size() + 1).arg(suffix);
        const QString base = QFileInfo(name).completeBaseName();
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = base + QStringLiteral("-%1.").arg(n) + suffix;
        taken.insert(name.toLower());
        const qsizetype index = page.files.size();
        page.files.append({name, p.bytes});
        sources.append(i);
        if (!location.isEmpty())
            byAddress.insert(addressKey(location), index);
        if (!p.id.isEmpty())
            byId.insert(QString::fromUtf8(p.id), index);
    }
    // An address of the page, relative to the part it stands in, to a file in `prefix`.
    const auto targetFrom = [&](const QByteArray& partLocation, const QString& prefix) {
        const QString base = withSlashes(QString::fromUtf8(partLocation));
        return [&, base, prefix](const QString& raw) -> QString {
            qsizetype index = -1;
            if (raw.startsWith(QLatin1String("cid:"), Qt::CaseInsensitive)) {
                index = byId.value(QUrl::fromPercentEncoding(raw.mid(4).toUtf8()), -1);
            } else if (!raw.isEmpty() && !raw.startsWith(u'#')) {
                const QString address = withSlashes(raw);
                QStringList tries{address};
                if (!address.contains(u':') && !address.startsWith(u'/'))
                    tries << base.left(base.lastIndexOf(u'/') + 1) + address;
                const QUrl baseUrl(base);
                if (baseUrl.isValid() && !baseUrl.isRelative())
                    tries << baseUrl.resolved(QUrl(address)).toString();
                for (const QString& t : std::as_const(tries)) {
                    if ((index = byAddress.value(addressKey(t), -1)) >= 0)
                        break;
                }
            }
            return index < 0 ? QString() : prefix + pct(page.files.at(index).name);
        };
    };
    QString folderAddress;
    for (const QString& piece : folder.split(u'/', Qt::SkipEmptyParts))
        folderAddress += pct(piece) + u'/';
    for (qsizetype k = 0; k < page.files.size(); ++k) {
        const Part& p = w.leaves.at(sources.at(k));
        if (p.type.main == "text/css")
            page.files[k].bytes =
                rewriteAddresses(decodeText(p.bytes, p.type.params.value("charset")),
                                 targetFrom(p.location, QString()))
                    .toUtf8();
    }

    QString text = decodeText(html.bytes, html.type.params.value("charset"));
    if (text.trimmed().isEmpty()) {
        page.why = QStringLiteral("网页内容为空");
        return page;
    }
    text = rewriteAddresses(text, targetFrom(html.location, folderAddress));
    // The page is written in UTF-8 and says so; a base address would lead its links away.
    static const QRegularExpression oldCharset(QStringLiteral("<meta\\b[^>]*charset[^>]*>"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression baseTag(QStringLiteral("<base\\b[^>]*>"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression head(QStringLiteral("<head\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    text.remove(oldCharset);
    text.remove(baseTag);
    const QString charset = QStringLiteral("<meta charset=\"utf-8\">");
    const QRegularExpressionMatch h = head.match(text);
    if (h.hasMatch())
        text.insert(h.capturedEnd(), charset);
    else
        text.prepend(charset);
    page.title = htmlTitle(text);
    page.html = text.toUtf8();
    page.ok = true;
    return page;
}

} // namespace publish
