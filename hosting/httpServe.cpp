#include "hosting/httpServe.h"

#include "common/gbk.h"
#include "hosting/siteLayout.h"
#include "hosting/sitePublisher.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMimeDatabase>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace hosting {

namespace {

using Status = QHttpServerResponder::StatusCode;

// The index pages a folder answers with, in the order they are looked for.
const QStringList kIndexPages{QStringLiteral("index.html"), QStringLiteral("index.htm")};

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
        {QStringLiteral("swf"), "application/x-shockwave-flash"},
        {QStringLiteral("pdf"), "application/pdf"},
    };
    return types;
}

// One path segment as the file system sees it; empty when it may not name a file.
QString decodeSegment(const QByteArray& segment) {
    const QByteArray raw = QByteArray::fromPercentEncoding(segment);
    if (raw.isEmpty() || raw.startsWith('.') || raw.contains('/') || raw.contains('\\') ||
        raw.contains('\0') || !gbk::isValidUtf8(raw))
        return {};
    return QString::fromUtf8(raw);
}

// True when `path`, every link followed, lies in `root` (a canonical folder path).
bool inside(const QString& path, const QString& root) {
    const QString real = QFileInfo(path).canonicalFilePath();
    return !real.isEmpty() && (real == root || real.startsWith(root + u'/'));
}

HttpAnswer redirect(const QByteArray& location) {
    HttpAnswer a;
    a.status = 301;
    a.location = location;
    return a;
}

HttpAnswer found(const QString& file) {
    HttpAnswer a;
    a.status = 200;
    a.file = file;
    return a;
}

// `head` without a character cut off at its end.
QByteArray wholeCharacters(QByteArray head) {
    int cut = 0;
    while (cut < 3 && cut < head.size() && (uchar(head.at(head.size() - 1 - cut)) & 0xC0) == 0x80)
        ++cut;
    if (cut < head.size() && uchar(head.at(head.size() - 1 - cut)) >= 0xC0)
        head.chop(cut + 1);
    return head;
}

QByteArray errorPage(int status) {
    const QByteArray text = status == 404   ? QByteArrayLiteral("404 Not Found")
                            : status == 405 ? QByteArrayLiteral("405 Method Not Allowed")
                                            : QByteArray::number(status);
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + text +
           "</title></head><body><h1>" + text + "</h1></body></html>\n";
}

// Takes connections only up to the limit, and closes those that stay silent.
class LimitedTcpServer : public QTcpServer {
public:
    LimitedTcpServer(const HttpLimits& limits, QObject* parent) : QTcpServer(parent), m_limits(limits) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (m_open >= m_limits.maxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        if (m_limits.idleMs > 0) {
            auto* idle = new QTimer(socket);
            idle->setSingleShot(true);
            idle->setInterval(m_limits.idleMs);
            const auto busy = [idle] { idle->start(); };
            connect(socket, &QTcpSocket::readyRead, idle, busy);
            connect(socket, &QTcpSocket::bytesWritten, idle, busy);
            connect(idle, &QTimer::timeout, socket, [socket] {
                socket->abort();
                socket->deleteLater();
            });
            idle->start();
        }
        addPendingConnection(socket);
    }

private:
    HttpLimits m_limits;
    int m_open = 0;
};

} // namespace

HttpAnswer answerPath(const QByteArray& encodedPath, const SiteLookup& lookup) {
    if (!encodedPath.startsWith('/'))
        return {};
    const QList<QByteArray> parts = encodedPath.mid(1).split('/');
    const QString shortName = QString::fromLatin1(QByteArray::fromPercentEncoding(parts.first()));
    if (!isValidSiteName(shortName))
        return {};
    const QString folder = lookup(shortName);
    if (folder.isEmpty())
        return {};
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return {};
    if (parts.size() == 1)
        return redirect(encodedPath + '/');

    QString path = root;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        // Empty segments ("a//b", the trailing slash) name nothing of their own.
        if (parts.at(i).isEmpty())
            continue;
        const QString name = decodeSegment(parts.at(i));
        if (name.isEmpty())
            return {};
        path += u'/' + name;
    }
    if (!inside(path, root))
        return {};
    const QFileInfo info(path);
    if (info.isDir()) {
        if (!encodedPath.endsWith('/'))
            return redirect(encodedPath + '/');
        for (const QString& index : kIndexPages) {
            const QString page = path + u'/' + index;
            if (QFileInfo(page).isFile() && inside(page, root))
                return found(page);
        }
        return {};
    }
    // The site database is the upload's, never the visitor's.
    if (!info.isFile() || !info.isReadable() ||
        info.fileName().compare(siteDatabaseName, Qt::CaseInsensitive) == 0)
        return {};
    return found(path);
}

QByteArray contentType(const QString& file, const QByteArray& head) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    QByteArray type = knownTypes().value(suffix);
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

HttpServe::HttpServe(SiteLookup lookup, HttpLimits limits, QObject* parent)
    : QAbstractHttpServer(parent), m_lookup(std::move(lookup)), m_limits(limits) {}

bool HttpServe::start(const QHostAddress& address, quint16 port, QString* error) {
    auto* server = new LimitedTcpServer(m_limits, this);
    if (!server->listen(address, port)) {
        if (error)
            *error = server->errorString();
        delete server;
        return false;
    }
    m_port = server->serverPort();
    bind(server);
    return true;
}

bool HttpServe::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto method = request.method();
    const bool head = method == QHttpServerRequest::Method::Head;
    if (method != QHttpServerRequest::Method::Get && !head) {
        responder.write(errorPage(405), {{"Content-Type", "text/html; charset=utf-8"}, {"Allow", "GET, HEAD"}},
                        Status::MethodNotAllowed);
        return true;
    }
    const HttpAnswer a = answerPath(request.url().path(QUrl::FullyEncoded).toLatin1(), m_lookup);
    if (a.status == 301) {
        responder.write(QByteArray(), {{"Location", a.location}, {"Content-Type", "text/html"}},
                        Status::MovedPermanently);
        return true;
    }
    auto* file = new QFile(a.file);
    if (a.status != 200 || !file->open(QIODevice::ReadOnly)) {
        delete file;
        const QByteArray page = errorPage(404);
        if (head)
            responder.write({{"Content-Type", "text/html; charset=utf-8"}}, Status::NotFound);
        else
            responder.write(page, "text/html; charset=utf-8", Status::NotFound);
        return true;
    }
    const QByteArray type = contentType(a.file, wholeCharacters(file->peek(64 * 1024)));
    if (head) {
        // The headers a GET would bring, without the body.
        responder.writeStatusLine(Status::Ok);
        responder.writeHeader("Content-Type", type);
        responder.writeHeader("Content-Length", QByteArray::number(file->size()));
        responder.writeBody(QByteArray());
        delete file;
        return true;
    }
    // The responder sends the file in chunks as the socket drains, and deletes it.
    responder.write(file, {{"Content-Type", type}}, Status::Ok);
    return true;
}

void HttpServe::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket).write(errorPage(404), "text/html; charset=utf-8", Status::NotFound);
}

} // namespace hosting
