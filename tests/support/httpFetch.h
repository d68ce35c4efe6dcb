#pragma once
// Requests over a real socket, sent byte for byte as the test writes them, so that a test
// can name the Host, send no Host at all, or ask for a connection to be closed. The server
// under test runs on a thread or process of its own; the answer is awaited by blocking.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QTcpSocket>

#include <memory>

namespace testhttp {

struct Reply {
    int status = 0;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QByteArray body;
    // The server closed the connection after this answer.
    bool closed = false;
};

// A connection to 127.0.0.1:`port`, made from `from` (another loopback address counts
// as another visitor).
inline std::unique_ptr<QTcpSocket> connectTo(quint16 port, const QHostAddress& from = QHostAddress::LocalHost) {
    auto s = std::make_unique<QTcpSocket>();
    if (from != QHostAddress::LocalHost)
        s->bind(from);
    s->connectToHost(QHostAddress::LocalHost, port);
    s->waitForConnected(5000);
    return s;
}

// Reads one answer from `s` (after a HEAD, or a 304, without a body).
inline Reply readReply(QTcpSocket& s, bool head = false) {
    Reply r;
    QByteArray data;
    qsizetype end = -1;
    qint64 length = -1;
    for (;;) {
        if (end < 0 && (end = data.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> lines = data.left(end).split('\n');
            r.status = lines.first().split(' ').value(1).toInt();
            for (const QByteArray& l : lines.mid(1)) {
                const qsizetype colon = l.indexOf(':');
                r.headers.insert(l.left(colon).trimmed().toLower(), l.mid(colon + 1).trimmed());
            }
            length = head || r.status == 304 || r.status / 100 == 1 ? 0
                                                                    : r.headers.value("content-length", "-1").toLongLong();
        }
        if (end >= 0 && length >= 0 && data.size() - end - 4 >= length)
            break;
        if (!s.waitForReadyRead(10000) && s.bytesAvailable() == 0) {
            // Closed, or nothing within the wait.
            if (end >= 0 && length < 0)
                length = data.size() - end - 4; // an answer that ends with the connection
            else
                r.status = r.status ? r.status : -1;
            break;
        }
        data += s.readAll();
    }
    r.body = end < 0 ? QByteArray() : data.mid(end + 4, length);
    return r;
}

// True when the server closes `s` within the wait.
inline bool closedByServer(QTcpSocket& s, int ms = 5000) {
    if (s.state() == QAbstractSocket::UnconnectedState)
        return true;
    while (s.waitForReadyRead(ms))
        s.readAll();
    return s.state() == QAbstractSocket::UnconnectedState || s.error() == QAbstractSocket::RemoteHostClosedError;
}

// One request on a connection of its own: "METHOD path HTTP/1.1", Host `host` (none when
// empty), then `extra` header lines as given.
inline Reply fetch(quint16 port, const QByteArray& host, const QByteArray& path, const QByteArray& extra = {},
                   const QByteArray& method = "GET") {
    auto s = connectTo(port);
    QByteArray req = method + ' ' + path + " HTTP/1.1\r\n";
    if (!host.isEmpty())
        req += "Host: " + host + "\r\n";
    s->write(req + extra + "\r\n");
    s->waitForBytesWritten(5000);
    return readReply(*s, method == "HEAD");
}

} // namespace testhttp
