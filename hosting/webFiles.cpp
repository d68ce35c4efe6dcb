#include "hosting/webFiles.h"

#include "common/gbk.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QSet>

#include <zlib.h>

#include <ctime>

namespace hosting {

namespace {

// The types a static site is made of; anything else goes by the system's MIME database.
const QHash<QString, QByteArray>& knownTypes() {
    static const QHash<QString, QByteArray> types{
        {QStringLiteral("html"), "text/html"},
        {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("css"), "text/css"},
        {QStringLiteral("js"), "text/javascript"},
        {QStringLiteral("txt"), "text/plain"},
        {QStringLiteral("xml"), "text/xml"},
        {QStringLiteral("json"), "application/json"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("bmp"), "image/bmp"},
        {QStringLiteral("ico"), "image/x-icon"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("webp"), "image/webp"},
        {QStringLiteral("avif"), "image/avif"},
        {QStringLiteral("mp4"), "video/mp4"},
        {QStringLiteral("mp3"), "audio/mpeg"},
        {QStringLiteral("swf"), "application/x-shockwave-flash"},
        {QStringLiteral("pdf"), "application/pdf"},
    };
    return types;
}

const QSet<QString> kCompressible{QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("css"),
                                  QStringLiteral("js"),   QStringLiteral("txt"), QStringLiteral("xml"),
                                  QStringLiteral("json"), QStringLiteral("svg")};
const QSet<QString> kActive{QStringLiteral("svg"),  QStringLiteral("svgz"), QStringLiteral("xml"),
                            QStringLiteral("xsl"),  QStringLiteral("xslt"), QStringLiteral("xhtml"),
                            QStringLiteral("xht"),  QStringLiteral("swf")};

QString suffixOf(const QString& file) {
    const qsizetype slash = file.lastIndexOf(u'/');
    const qsizetype dot = file.lastIndexOf(u'.');
    return dot > slash ? file.mid(dot + 1).toLower() : QString();
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A gzip stream of `data`.
QByteArray gzip(const QByteArray& data) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray();
}

} // namespace

QByteArray contentType(const QString& file, const QByteArray& head) {
    QByteArray type = knownTypes().value(suffixOf(file));
    if (type.isEmpty()) {
        const QMimeType mime =
            QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension);
        type = mime.isDefault() ? QByteArrayLiteral("application/octet-stream")
                                : mime.name().toLatin1();
    }
    // A text file that is not UTF-8 (a page made elsewhere in GBK, say) is left to name
    // its own character set.
    const bool text = type.startsWith("text/") || type == "application/json";
    if (text && gbk::isValidUtf8(head))
        type += "; charset=utf-8";
    return type;
}

bool isCompressible(const QString& file) {
    return kCompressible.contains(suffixOf(file));
}

bool isActiveFile(const QString& file) {
    return kActive.contains(suffixOf(file));
}

bool isHashedName(const QString& file) {
    QString stem = file.mid(file.lastIndexOf(u'/') + 1);
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    stem.truncate(dot);
    const qsizetype cut = qMax(stem.lastIndexOf(u'-'), stem.lastIndexOf(u'.'));
    const QString digest = stem.mid(cut + 1);
    if (digest.size() < 16)
        return false;
    for (const QChar c : digest) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')))
            return false;
    }
    return true;
}

QByteArray cacheControl(const QString& file) {
    return isHashedName(file) ? QByteArrayLiteral("public, max-age=31536000, immutable")
                              : QByteArrayLiteral("no-cache");
}

QList<QPair<QByteArray, QByteArray>> securityHeaders(bool active) {
    return {
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "strict-origin-when-cross-origin"},
        {"X-Frame-Options", "SAMEORIGIN"},
        {"Content-Security-Policy",
         active ? QByteArrayLiteral("sandbox; default-src 'none'; img-src data:; style-src 'unsafe-inline'; "
                                    "frame-ancestors 'self'")
                : QByteArrayLiteral("frame-ancestors 'self'")},
    };
}

bool writeCompressedCopies(const QString& folder, QString* error) {
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!isCompressible(path))
            continue;
        QFile in(path);
        // Pages and style sheets are small; anything huge is sent as it is.
        if (in.size() > (qint64(64) << 20) || !in.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray data = in.readAll();
        const QByteArray packed = gzip(data);
        const QString target = path + QStringLiteral(".gz");
        if (packed.isEmpty() || packed.size() >= data.size()) {
            // No copy that could be stale: the file goes out as it is.
            QFile::remove(target);
            continue;
        }
        QSaveFile out(target);
        if (!out.open(QIODevice::WriteOnly) || out.write(packed) != packed.size() || !out.commit()) {
            if (error)
                *error = target + QStringLiteral(": ") + out.errorString();
            return false;
        }
    }
    return true;
}

bool writeNotFoundPage(const QString& folder) {
    const QString path = folder + (folder.endsWith(u'/') ? QString() : QStringLiteral("/")) +
                         QStringLiteral("404.html");
    if (QFileInfo::exists(path))
        return true;
    const QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                       "<title>找不到网页</title>"
                       "<style>body{font-family:sans-serif;text-align:center;margin-top:15%}</style>"
                       "</head><body><h1>找不到网页</h1><p>您要找的网页不存在。</p>"
                       "<p><a href=\"/\">返回首页</a></p></body></html>\n");
    QSaveFile out(path);
    const QByteArray bytes = page.toUtf8();
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

QByteArray httpDate(qint64 secs) {
    const std::time_t t = std::time_t(secs);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

qint64 parseHttpDate(const QByteArray& text) {
    // "Sun, 06 Nov 1994 08:49:37 GMT"; the older forms are not sent by today's browsers.
    const QList<QByteArray> p = text.trimmed().split(' ');
    if (p.size() != 6 || p.at(5) != "GMT")
        return -1;
    std::tm tm{};
    bool ok = false;
    tm.tm_mday = p.at(1).toInt(&ok);
    if (!ok)
        return -1;
    tm.tm_mon = -1;
    for (int m = 0; m < 12; ++m)
        if (p.at(2) == kMonths[m])
            tm.tm_mon = m;
    tm.tm_year = p.at(3).toInt(&ok) - 1900;
    const QList<QByteArray> hms = p.at(4).split(':');
    if (!ok || tm.tm_mon < 0 || hms.size() != 3)
        return -1;
    tm.tm_hour = hms.at(0).toInt(&ok);
    if (ok)
        tm.tm_min = hms.at(1).toInt(&ok);
    if (ok)
        tm.tm_sec = hms.at(2).toInt(&ok);
    return ok ? qint64(timegm(&tm)) : -1;
}

QString nginxConfig(const NginxOptions& o) {
    QString domain = o.domain.toLower();
    QString rx = domain;
    rx.replace(u'.', QStringLiteral("\\."));
    const QString portPart = o.port == 80 ? QString() : u':' + QString::number(o.port);
    const QString listenAt = (o.listen.isEmpty() ? QString() : o.listen + u':') + QString::number(o.port);

    // Each location repeats the headers: nginx drops the inherited ones where a block
    // adds its own.
    const auto headers = [](bool active, const QByteArray& cache) {
        QString s;
        for (const auto& [name, value] : securityHeaders(active))
            s += QStringLiteral("        add_header %1 \"%2\" always;\n")
                     .arg(QString::fromLatin1(name), QString::fromLatin1(value));
        s += QStringLiteral("        add_header Cache-Control \"%1\" always;\n").arg(QString::fromLatin1(cache));
        return s;
    };
    // One line per type: nginx warns of a type named twice.
    QMap<QByteArray, QStringList> byType;
    for (auto it = knownTypes().cbegin(); it != knownTypes().cend(); ++it)
        byType[it.value()] << it.key();
    QString types;
    for (auto it = byType.cbegin(); it != byType.cend(); ++it)
        types += QStringLiteral("        %1 %2;\n").arg(QString::fromLatin1(it.key()), it.value().join(u' '));
    QString compressed;
    for (const QString& s : kCompressible)
        compressed += u' ' + QString::fromLatin1(knownTypes().value(s));

    QString activeRx = QStringList(kActive.cbegin(), kActive.cend()).join(u'|');

    QString c;
    c += QStringLiteral(
             "# Written by orvane-hosting: serves every published site as <short name>.%1,\n"
             "# as the built-in server does. Include it in nginx's http block; it is rewritten\n"
             "# at every start of the hosting server.\n\n")
             .arg(domain);
    const QString siteBody =
        QStringLiteral(
            "    root %1$orvane_site;\n"
            "    charset utf-8;\n"
            "    charset_types text/html text/css text/javascript text/plain text/xml application/json;\n"
            "    types {\n%2    }\n"
            "    default_type application/octet-stream;\n"
            "    index index.html index.htm;\n"
            "    gzip_static on;\n"
            "    gzip_vary on;\n"
            "    etag on;\n"
            "    merge_slashes off;\n"
            "    absolute_redirect off;\n"
            "    disable_symlinks on;\n"
            "    server_tokens off;\n"
            "    error_page 404 /404.html;\n"
            "    # One address per page: \"index.html\" is the folder's own address.\n"
            "    if ($request_uri ~ \"^(?<orvane_dir>[^?]*/)index\\.html?(\\?.*)?$\") {\n"
            "        return 301 $orvane_dir;\n"
            "    }\n"
            "    if ($request_uri ~ \"^[^?]*//\") {\n"
            "        return 404;\n"
            "    }\n"
            "    location ~ \"/\\.\" { return 404; }\n"
            "    location ~* \"/dalmbuilder\\.tdc$\" { return 404; }\n"
            "    location ~ \"[-.][0-9a-f]{16,}\\.(%3)$\" {\n%7    }\n"
            "    location ~* \"\\.(%3)$\" {\n%4    }\n"
            "    location ~ \"[-.][0-9a-f]{16,}\\.[A-Za-z0-9]+$\" {\n%5    }\n"
            "    location / {\n%6    }\n")
            .arg(o.sitesDir, types, activeRx, headers(true, "no-cache"),
                 headers(false, cacheControl(QStringLiteral("x-0123456789abcdef.png"))),
                 headers(false, "no-cache"),
                 // A published picture that may carry script (SVG) under a hashed name:
                 // kept a year, and never run.
                 headers(true, cacheControl(QStringLiteral("x-0123456789abcdef.svg"))));

    const QString siteServer = QStringLiteral("    server_name \"~^(?<orvane_site>[a-z0-9]{1,63})\\.%1$\";\n").arg(rx);
    c += QStringLiteral("server {\n    listen %1;\n").arg(listenAt) + siteServer + siteBody + QStringLiteral("}\n\n");
    if (!o.tlsCertificate.isEmpty() && !o.tlsKey.isEmpty()) {
        c += QStringLiteral("server {\n    listen %1%2 ssl;\n    ssl_certificate %3;\n    ssl_certificate_key %4;\n")
                 .arg(o.listen.isEmpty() ? QString() : o.listen + u':')
                 .arg(o.tlsPort)
                 .arg(o.tlsCertificate, o.tlsKey) +
             siteServer + siteBody + QStringLiteral("}\n\n");
    }
    // The bare domain, and the server by its address: the old form "/<short name>/..."
    // moves to the site's own address; nothing else is there.
    c += QStringLiteral(
             "server {\n"
             "    listen %1;\n"
             "    server_name %2 \"~^[0-9.]+$\" \"~^\\[[0-9a-fA-F:.]+\\]$\";\n"
             "    server_tokens off;\n"
             "    location ~ \"^/(?<orvane_short>[A-Za-z0-9]{1,63})(/(?<orvane_rest>.*))?$\" {\n"
             "        return 301 http://$orvane_short.%2%3/$orvane_rest;\n"
             "    }\n"
             "    location / { return 404; }\n"
             "}\n\n")
             .arg(listenAt, domain, portPart);
    // Any other host name is no site of this server.
    c += QStringLiteral("server {\n    listen %1 default_server;\n    server_name _;\n"
                        "    server_tokens off;\n    return 404;\n}\n")
             .arg(listenAt);
    return c;
}

} // namespace hosting
