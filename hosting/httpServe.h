#pragma once
// The published sites over HTTP: "http://HOST:PORT/<short name>/..." answers with the
// files of that site's published folder, and nothing outside it.

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QString>

#include <functional>

namespace hosting {

// The published folder of a short name, or empty when the name has no published site.
using SiteLookup = std::function<QString(const QString& shortName)>;

// How one request is answered: a file of a site, a redirect or an error status.
struct HttpAnswer {
    int status = 404;
    // The file to send (status 200).
    QString file;
    // Where a redirect points, as an absolute path (status 301).
    QByteArray location;
};

// Answers the request path `encodedPath` (as it came on the request line, percent
// encoding and all): "/<short>" redirects to "/<short>/", a folder to its index page,
// a file is sent when it lies inside the site's folder once every link is followed.
// Dot segments, encoded slashes and hidden names are not found.
HttpAnswer answerPath(const QByteArray& encodedPath, const SiteLookup& lookup);

// The Content-Type of a file sent: by its extension, with the character set of a text
// file whose bytes (`head`, its start) are UTF-8.
QByteArray contentType(const QString& file, const QByteArray& head);

// What one visitor may hold of the web port.
struct HttpLimits {
    // Connections open at once; one beyond is closed as soon as it is taken.
    int maxConnections = 512;
    // A connection that neither sends nor takes a byte for this long is closed.
    int idleMs = 30 * 1000;
};

class HttpServe : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit HttpServe(SiteLookup lookup, HttpLimits limits = {}, QObject* parent = nullptr);

    // Listens on `port` (0: any free port); false with the reason when it cannot.
    bool start(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 port() const { return m_port; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    SiteLookup m_lookup;
    HttpLimits m_limits;
    quint16 m_port = 0;
};

} // namespace hosting
