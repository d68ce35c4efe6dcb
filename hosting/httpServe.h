#pragma once
// The published sites over HTTP. Each site has its own host name,
// "http://<short name>.<site domain>[:port]/", so that no site's page can reach another's;
// the request's Host chooses the site. The old form "http://<site domain or address>/<short
// name>/..." moves to the site's own address, so links made before keep working.
//
// The server is libmicrohttpd on a thread of its own: whole heads only, within a size and
// a time, and a bounded number of connections per visitor's address, so that one address
// cannot hold the port.

#include <QHostAddress>
#include <QString>

#include <functional>
#include <memory>

namespace hosting {

// The published folder of a short name, or empty when the name has no published site.
// Called on the server's own thread.
using SiteLookup = std::function<QString(const QString& shortName)>;

// How one request is answered: a file of a site, a redirect or an error status.
struct HttpAnswer {
    int status = 404;
    // The file to send (status 200).
    QString file;
    // Where a redirect points (status 301).
    QByteArray location;
    // The site's folder, when the host named a site (its own 404 page lives there).
    QString siteRoot;
};

// Answers `encodedPath` (as it came on the request line, percent encoding and all) asked of
// `host` (the Host header, port and all). On "<short>.<domain>": a file when it lies inside
// the site's folder once every link is followed; a folder without its slash and a folder's
// "index.html" redirect to the folder's address; dot segments, empty segments, encoded
// slashes and hidden names are not found. On the domain itself or an address: "/<short>..."
// redirects to the site's own address. Any other host is not found; no host is 400.
HttpAnswer answerRequest(const QByteArray& host, const QByteArray& encodedPath, const QString& domain,
                         const SiteLookup& lookup);

// What one visitor may hold of the web port.
struct HttpLimits {
    // Connections open at once; one beyond is closed as soon as it is taken.
    int maxConnections = 512;
    // Connections from one address; one beyond is closed as soon as it is taken.
    int perAddress = 32;
    // A connection that neither sends nor takes a byte for this long is closed (whole
    // seconds, rounded up).
    int idleMs = 30 * 1000;
    // A request head larger than this is answered 431.
    int headBytes = 16 * 1024;
    // A request head must be whole this long after the connection opened or its previous
    // answer went out; otherwise the connection is closed.
    int headMs = 10 * 1000;
};

class HttpServe {
public:
    explicit HttpServe(SiteLookup lookup, QString domain = QStringLiteral("localhost"), HttpLimits limits = {});
    ~HttpServe();
    HttpServe(const HttpServe&) = delete;
    HttpServe& operator=(const HttpServe&) = delete;

    // Listens on `port` (0: any free port); false with the reason when it cannot.
    bool start(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 port() const;

    class Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace hosting
