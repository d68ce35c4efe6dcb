#include "hosting/httpServe.h"

#include "common/gbk.h"
#include "hosting/siteLayout.h"
#include "hosting/sitePublisher.h"
#include "hosting/webFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <microhttpd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_set>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hosting {

namespace {

// The index pages a folder answers with, in the order they are looked for.
const QStringList kIndexPages{QStringLiteral("index.html"), QStringLiteral("index.htm")};

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

HttpAnswer status(int code) {
    HttpAnswer a;
    a.status = code;
    return a;
}

HttpAnswer redirect(const QByteArray& location) {
    HttpAnswer a;
    a.status = 301;
    a.location = location;
    return a;
}

// The host without its port, in lower case, and the port ("" when none).
void splitHost(const QByteArray& host, QByteArray* name, QByteArray* port) {
    QByteArray h = host.trimmed().toLower();
    qsizetype colon = h.lastIndexOf(':');
    if (h.startsWith('[')) {
        const qsizetype close = h.indexOf(']');
        colon = close >= 0 && colon > close ? colon : -1;
    }
    *name = colon >= 0 ? h.left(colon) : h;
    *port = colon >= 0 ? h.mid(colon + 1) : QByteArray();
    if (name->endsWith('.'))
        name->chop(1);
}

bool isAddress(const QByteArray& name) {
    if (name.startsWith('[') && name.endsWith(']'))
        return !QHostAddress(QString::fromLatin1(name.mid(1, name.size() - 2))).isNull();
    return !QHostAddress(QString::fromLatin1(name)).isNull();
}

// The answer inside one site's folder.
HttpAnswer answerInSite(const QByteArray& encodedPath, const QString& root) {
    HttpAnswer none;
    none.siteRoot = root;
    if (!encodedPath.startsWith('/'))
        return none;
    const QList<QByteArray> parts = encodedPath.mid(1).split('/');
    QString path = root;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        // One address per page: only the trailing slash of a folder may be empty.
        if (parts.at(i).isEmpty()) {
            if (i + 1 == parts.size())
                continue;
            return none;
        }
        const QString name = decodeSegment(parts.at(i));
        if (name.isEmpty())
            return none;
        path += u'/' + name;
    }
    if (!inside(path, root))
        return none;
    const QFileInfo info(path);
    if (info.isDir()) {
        if (!encodedPath.endsWith('/'))
            return redirect(encodedPath + '/');
        for (const QString& index : kIndexPages) {
            const QString page = path + u'/' + index;
            if (QFileInfo(page).isFile() && inside(page, root)) {
                HttpAnswer a;
                a.status = 200;
                a.file = page;
                a.siteRoot = root;
                return a;
            }
        }
        return none;
    }
    // A file has no trailing slash; the site database is the upload's, never the visitor's.
    if (encodedPath.endsWith('/') || !info.isFile() || !info.isReadable() ||
        info.fileName().compare(siteDatabaseName, Qt::CaseInsensitive) == 0)
        return none;
    // A folder's index page is the folder's own address.
    const QString last = QString::fromUtf8(QByteArray::fromPercentEncoding(parts.last()));
    if (kIndexPages.contains(last)) {
        const QString dir = info.absolutePath();
        for (const QString& index : kIndexPages) {
            if (QFileInfo(dir + u'/' + index).isFile()) {
                if (index == last)
                    return redirect(encodedPath.left(encodedPath.size() - parts.last().size()));
                break;
            }
        }
    }
    HttpAnswer a;
    a.status = 200;
    a.file = path;
    a.siteRoot = root;
    return a;
}

} // namespace

HttpAnswer answerRequest(const QByteArray& host, const QByteArray& encodedPath, const QString& domain,
                         const SiteLookup& lookup) {
    QByteArray name, port;
    splitHost(host, &name, &port);
    if (name.isEmpty())
        return status(400);
    const QByteArray bare = domain.toLower().toLatin1();
    if (name.endsWith(QByteArray('.' + bare))) {
        const QString shortName = QString::fromLatin1(name.left(name.size() - bare.size() - 1));
        if (!isValidSiteName(shortName))
            return {};
        const QString folder = lookup(shortName);
        const QString root = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
        if (root.isEmpty() || !QFileInfo(root).isDir())
            return {};
        return answerInSite(encodedPath, root);
    }
    if (name != bare && !isAddress(name))
        return {};
    // The old form on the bare domain: "/<short name>/rest" lives at the site's own address.
    if (!encodedPath.startsWith('/'))
        return {};
    const qsizetype slash = encodedPath.indexOf('/', 1);
    const QString shortName = QString::fromLatin1(encodedPath.mid(1, slash < 0 ? -1 : slash - 1));
    if (!isValidSiteName(shortName))
        return {};
    bool ok = false;
    const int p = port.isEmpty() ? 80 : port.toInt(&ok);
    const QByteArray site =
        siteAddress(shortName, domain, port.isEmpty() || !ok ? 80 : p).toLatin1();
    return redirect(slash < 0 ? site : site + encodedPath.mid(slash + 1));
}

// ---- the server ----

class HttpServe::Impl {
public:
    // One connection as the head watch sees it.
    struct Watch {
        MHD_socket fd = MHD_INVALID_SOCKET;
        // Milliseconds on the steady clock by which a whole head must have arrived; 0 none.
        std::atomic<qint64> deadline{0};
    };

    SiteLookup lookup;
    QString domain;
    HttpLimits limits;
    MHD_Daemon* daemon = nullptr;
    quint16 port = 0;

    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::unordered_set<Watch*> watches;
    std::thread watchdog;

    static qint64 now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void watchHeads() {
        std::unique_lock lock(mutex);
        while (!stopping) {
            wake.wait_for(lock, std::chrono::milliseconds(200));
            const qint64 t = now();
            for (Watch* w : watches) {
                const qint64 due = w->deadline.load();
                if (due > 0 && t >= due) {
                    // The server's thread sees the connection end and closes it.
                    ::shutdown(w->fd, SHUT_RDWR);
                    w->deadline = 0;
                }
            }
        }
    }

    static void connectionEvent(void* cls, MHD_Connection* c, void** context,
                                MHD_ConnectionNotificationCode code) {
        auto* self = static_cast<Impl*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            auto* w = new Watch;
            const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
            w->fd = info ? info->connect_fd : MHD_INVALID_SOCKET;
            w->deadline = now() + self->limits.headMs;
            // Every answer goes out as soon as it is written: no wait for the visitor's
            // acknowledgement of the previous one.
            const int one = 1;
            ::setsockopt(w->fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            *context = w;
            std::lock_guard lock(self->mutex);
            self->watches.insert(w);
            if (int(self->watches.size()) > self->limits.maxConnections) {
                ::shutdown(w->fd, SHUT_RDWR);
                w->deadline = 0;
            }
        } else if (auto* w = static_cast<Watch*>(*context)) {
            std::lock_guard lock(self->mutex);
            self->watches.erase(w);
            delete w;
            *context = nullptr;
        }
    }

    static Watch* watchOf(MHD_Connection* c) {
        const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info ? static_cast<Watch*>(info->socket_context) : nullptr;
    }

    static size_t keepEncoded(void*, MHD_Connection*, char* s) { return std::strlen(s); }

    static MHD_Result answer(void* cls, MHD_Connection* c, const char* url, const char* method,
                             const char* version, const char*, size_t* uploadSize, void** context);
    MHD_Result respond(MHD_Connection* c, const QByteArray& url, const QByteArray& method, const QByteArray& version);
};

namespace {

using Header = QPair<QByteArray, QByteArray>;

QByteArray header(MHD_Connection* c, const char* name) {
    const char* v = MHD_lookup_connection_value(c, MHD_HEADER_KIND, name);
    return v ? QByteArray(v) : QByteArray();
}

QByteArray errorPage(int code) {
    const QByteArray text = code == 404   ? QByteArrayLiteral("404 Not Found")
                            : code == 400 ? QByteArrayLiteral("400 Bad Request")
                            : code == 405 ? QByteArrayLiteral("405 Method Not Allowed")
                            : code == 416 ? QByteArrayLiteral("416 Range Not Satisfiable")
                            : code == 431 ? QByteArrayLiteral("431 Request Header Fields Too Large")
                                          : QByteArray::number(code);
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + text +
           "</title></head><body><h1>" + text + "</h1></body></html>\n";
}

MHD_Result send(MHD_Connection* c, int code, MHD_Response* r, const QList<Header>& headers) {
    for (const Header& h : headers)
        MHD_add_response_header(r, h.first.constData(), h.second.constData());
    const MHD_Result ok = MHD_queue_response(c, unsigned(code), r);
    MHD_destroy_response(r);
    return ok;
}

MHD_Result sendPage(MHD_Connection* c, int code, const QByteArray& page, QList<Header> headers) {
    MHD_Response* r = MHD_create_response_from_buffer(size_t(page.size()), const_cast<char*>(page.constData()),
                                                      MHD_RESPMEM_MUST_COPY);
    headers << Header("Content-Type", "text/html; charset=utf-8") << Header("Cache-Control", "no-cache");
    return send(c, code, r, headers + securityHeaders(false));
}

// `text` without a character cut off at its end.
QByteArray wholeCharacters(QByteArray head) {
    int cut = 0;
    while (cut < 3 && cut < head.size() && (uchar(head.at(head.size() - 1 - cut)) & 0xC0) == 0x80)
        ++cut;
    if (cut < head.size() && uchar(head.at(head.size() - 1 - cut)) >= 0xC0)
        head.chop(cut + 1);
    return head;
}

// The client takes gzip: named in Accept-Encoding without "q=0".
bool acceptsGzip(const QByteArray& accept) {
    for (const QByteArray& part : accept.split(',')) {
        const QList<QByteArray> fields = part.split(';');
        const QByteArray coding = fields.first().trimmed().toLower();
        if (coding != "gzip" && coding != "*")
            continue;
        for (const QByteArray& f : fields.mid(1)) {
            const QByteArray p = f.trimmed().toLower();
            if (p.startsWith("q=") && p.mid(2).toDouble() <= 0)
                return false;
        }
        return true;
    }
    return false;
}

// One byte range "bytes=a-b", "bytes=a-" or "bytes=-n" of a file of `size` bytes: 1 when it
// can be sent, 0 when the header asks for nothing of it, -1 when it is not one range (the
// whole file is sent).
int parseRange(const QByteArray& header, qint64 size, qint64* from, qint64* to) {
    if (!header.startsWith("bytes=") || header.contains(','))
        return -1;
    const QByteArray spec = header.mid(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    if (dash < 0)
        return -1;
    bool ok1 = true, ok2 = true;
    const QByteArray a = spec.left(dash).trimmed(), b = spec.mid(dash + 1).trimmed();
    if (a.isEmpty()) {
        const qint64 n = b.toLongLong(&ok2);
        if (!ok2 || n < 0)
            return -1;
        if (n == 0 || size == 0)
            return 0;
        *from = qMax<qint64>(0, size - n);
        *to = size - 1;
        return 1;
    }
    *from = a.toLongLong(&ok1);
    *to = b.isEmpty() ? size - 1 : b.toLongLong(&ok2);
    if (!ok1 || !ok2 || *from < 0)
        return -1;
    if (*from >= size)
        return 0;
    if (*to < *from)
        return -1;
    *to = qMin(*to, size - 1);
    return 1;
}

bool etagMatches(const QByteArray& list, const QByteArray& etag) {
    for (QByteArray tag : list.split(',')) {
        tag = tag.trimmed();
        if (tag == "*")
            return true;
        if (tag.startsWith("W/"))
            tag = tag.mid(2);
        if (tag == etag)
            return true;
    }
    return false;
}

} // namespace

MHD_Result HttpServe::Impl::answer(void* cls, MHD_Connection* c, const char* url, const char* method,
                                   const char* version, const char*, size_t* uploadSize, void** context) {
    auto* self = static_cast<Impl*>(cls);
    const QByteArray m(method);
    if (!*context) {
        // The whole head is here.
        *context = self;
        if (Watch* w = watchOf(c))
            w->deadline = 0;
        const MHD_ConnectionInfo* size = MHD_get_connection_info(c, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
        // Refused at once, and the connection closed: a head too large, a method that is not
        // answered (its body is never read).
        if (size && size->header_size > size_t(self->limits.headBytes))
            return sendPage(c, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE, errorPage(431), {{"Connection", "close"}});
        if (m != "GET" && m != "HEAD")
            return sendPage(c, 405, errorPage(405), {{"Allow", "GET, HEAD"}, {"Connection", "close"}});
        // Answered on the next call, when the library has taken the request as complete, so
        // that the connection can be kept.
        return MHD_YES;
    }
    if (*uploadSize != 0) {
        *uploadSize = 0; // a body nobody asked for
        return MHD_YES;
    }
    return self->respond(c, url, m, version);
}

MHD_Result HttpServe::Impl::respond(MHD_Connection* c, const QByteArray& url, const QByteArray& method,
                                    const QByteArray& version) {
    Q_UNUSED(method);
    const QByteArray host = header(c, MHD_HTTP_HEADER_HOST);
    if (host.isEmpty())
        return sendPage(c, 400, errorPage(400), {{"Connection", "close"}});
    Q_UNUSED(version);

    const HttpAnswer a = answerRequest(host, url, domain, lookup);
    if (a.status == 301)
        return sendPage(c, 301, QByteArray(), {{"Location", a.location}});
    QString file = a.file;
    int code = a.status;
    if (code == 404 && !a.siteRoot.isEmpty())
        file = a.siteRoot + QStringLiteral("/404.html");
    if (code != 200 && code != 404)
        return sendPage(c, code, errorPage(code), {});

    const QByteArray path = QFile::encodeName(file);
    const int fd = file.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return sendPage(c, 404, errorPage(404), {});
    }
    QByteArray start(64 * 1024, Qt::Uninitialized);
    const ssize_t got = ::pread(fd, start.data(), size_t(start.size()), 0);
    start.resize(got > 0 ? got : 0);
    const bool compressible = isCompressible(file);
    QList<Header> headers{{"Content-Type", contentType(file, wholeCharacters(start))},
                          {"Cache-Control", code == 200 ? cacheControl(file) : QByteArray("no-cache")}};
    headers += securityHeaders(isActiveFile(file));
    if (compressible)
        headers << Header("Vary", "Accept-Encoding");

    // The compressed copy written at publication, for a client that takes it.
    int body = fd;
    struct stat bst = st;
    const QByteArray range = header(c, MHD_HTTP_HEADER_RANGE);
    if (compressible && code == 200 && range.isEmpty() &&
        acceptsGzip(header(c, MHD_HTTP_HEADER_ACCEPT_ENCODING))) {
        const int gz = ::open(QByteArray(path + ".gz").constData(), O_RDONLY | O_CLOEXEC);
        struct stat gst {};
        if (gz >= 0 && ::fstat(gz, &gst) == 0 && S_ISREG(gst.st_mode)) {
            ::close(fd);
            body = gz;
            bst = gst;
            headers << Header("Content-Encoding", "gzip");
        } else if (gz >= 0) {
            ::close(gz);
        }
    }
    const QByteArray etag = '"' + QByteArray::number(qint64(bst.st_mtime), 16) + '-' +
                            QByteArray::number(qint64(bst.st_size), 16) + '"';
    if (code == 200) {
        headers << Header("ETag", etag) << Header("Last-Modified", httpDate(bst.st_mtime))
                << Header("Accept-Ranges", "bytes");
        const QByteArray ifNone = header(c, MHD_HTTP_HEADER_IF_NONE_MATCH);
        const qint64 since = parseHttpDate(header(c, MHD_HTTP_HEADER_IF_MODIFIED_SINCE));
        const bool unchanged = !ifNone.isEmpty() ? etagMatches(ifNone, etag)
                                                 : since >= 0 && qint64(bst.st_mtime) <= since;
        if (unchanged) {
            ::close(body);
            MHD_Response* r = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
            return send(c, 304, r, headers);
        }
    }
    qint64 from = 0, to = qint64(bst.st_size) - 1;
    if (code == 200 && !range.isEmpty()) {
        const QByteArray ifRange = header(c, "If-Range");
        const int r = ifRange.isEmpty() || ifRange == etag ? parseRange(range, bst.st_size, &from, &to) : -1;
        if (r == 0) {
            ::close(body);
            return sendPage(c, 416, errorPage(416),
                            {{"Content-Range", "bytes */" + QByteArray::number(qint64(bst.st_size))}});
        }
        if (r == 1) {
            code = 206;
            headers << Header("Content-Range", "bytes " + QByteArray::number(from) + '-' + QByteArray::number(to) +
                                                   '/' + QByteArray::number(qint64(bst.st_size)));
        } else {
            from = 0;
        }
    }
    if (code != 206)
        to = qint64(bst.st_size) - 1;
    // The response owns the descriptor and sends from it without copying.
    MHD_Response* r = MHD_create_response_from_fd_at_offset64(uint64_t(to - from + 1), body, uint64_t(from));
    if (!r) {
        ::close(body);
        return MHD_NO;
    }
    return send(c, code, r, headers);
}

HttpServe::HttpServe(SiteLookup lookup, QString domain, HttpLimits limits) : d(new Impl) {
    d->lookup = std::move(lookup);
    d->domain = domain.toLower();
    d->limits = limits;
}

HttpServe::~HttpServe() {
    if (d->daemon)
        MHD_stop_daemon(d->daemon);
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    if (d->watchdog.joinable())
        d->watchdog.join();
}

namespace {
void requestCompleted(void* cls, MHD_Connection* c, void**, MHD_RequestTerminationCode) {
    // The next head on a kept connection has the same time to arrive.
    const auto* self = static_cast<const HttpServe::Impl*>(cls);
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (auto* w = info ? static_cast<HttpServe::Impl::Watch*>(info->socket_context) : nullptr)
        w->deadline = HttpServe::Impl::now() + self->limits.headMs;
}
} // namespace

bool HttpServe::start(const QHostAddress& address, quint16 port, QString* error) {
    sockaddr_storage addr{};
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    if (v6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(port);
        const Q_IPV6ADDR ip = address.toIPv6Address();
        std::memcpy(&a->sin6_addr, &ip, sizeof ip);
    } else {
        auto* a = reinterpret_cast<sockaddr_in*>(&addr);
        a->sin_family = AF_INET;
        a->sin_port = htons(port);
        a->sin_addr.s_addr = htonl(address.toIPv4Address());
    }
    const unsigned idle = unsigned((qMax(1, d->limits.idleMs) + 999) / 1000);
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    if (v6)
        flags |= MHD_USE_IPv6;
    d->daemon = MHD_start_daemon(
        flags, port, nullptr, nullptr, &Impl::answer, d.get(),
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&addr),
        // Room for those closed at once above the limit.
        MHD_OPTION_CONNECTION_LIMIT, unsigned(d->limits.maxConnections + 64),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, unsigned(d->limits.perAddress),
        MHD_OPTION_CONNECTION_TIMEOUT, idle,
        // The head and the answer's own headers: a larger head never takes more memory.
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t(d->limits.headBytes) * 2 + 8192,
        MHD_OPTION_NOTIFY_CONNECTION, &Impl::connectionEvent, d.get(),
        MHD_OPTION_NOTIFY_COMPLETED, &requestCompleted, d.get(),
        MHD_OPTION_UNESCAPE_CALLBACK, &Impl::keepEncoded, nullptr,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u,
        MHD_OPTION_END);
    if (!d->daemon) {
        if (error)
            *error = QStringLiteral("cannot listen on %1:%2").arg(address.toString()).arg(port);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(d->daemon, MHD_DAEMON_INFO_BIND_PORT);
    d->port = info ? info->port : port;
    d->watchdog = std::thread([this] { d->watchHeads(); });
    return true;
}

quint16 HttpServe::port() const {
    return d->port;
}

} // namespace hosting
