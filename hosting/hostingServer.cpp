#include "hosting/hostingServer.h"

#include "common/gbk.h"
#include "hosting/sitePublisher.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <array>
#include <cctype>

namespace hosting {

namespace {

const QByteArray kLogin = "<#login#>";
const QByteArray kLogout = "<#logout#>";
const QByteArray kGetVersion = "<#getversion#>";
const QByteArray kSiteName = "<#siteName#>";
const QByteArray kSiteNameExist = "<#siteNameExist#>";
const QByteArray kModPwd = "<#modPwd#>";
const QByteArray kTalk = "<#talkmsg#>";
const QByteArray kSendFileInfo = "<#sendFileInfo#>";
const QByteArray kSystem = "<#systemmsg#>";
const QByteArray kSelectTemplate = "<#selectTemplate#>";
const QByteArray kErr = "<#errMsg#>";

// How many received messages stay in memory; "messages.log" keeps every talk message.
constexpr qsizetype kKeptMessages = 1000;

// The tags a client sends; a message runs from its tag to the next of these.
const std::array<const QByteArray*, 6> kClientTags{&kLogin,  &kGetVersion, &kSiteName,
                                                   &kModPwd, &kTalk,       &kSendFileInfo};

// The first client tag at or after `from`: its position and the tag, or -1.
std::pair<qsizetype, const QByteArray*> nextTag(const QByteArray& buf, qsizetype from) {
    qsizetype best = -1;
    const QByteArray* which = nullptr;
    for (const QByteArray* t : kClientTags) {
        const qsizetype at = buf.indexOf(*t, from);
        if (at >= 0 && (best < 0 || at < best)) {
            best = at;
            which = t;
        }
    }
    return {best, which};
}

// True when the buffer's end may be the beginning of a client tag.
bool mayBeginTag(const QByteArray& tail) {
    for (const QByteArray* t : kClientTags) {
        if (t->startsWith(tail))
            return true;
    }
    return false;
}

} // namespace

class Session : public QObject {
public:
    Session(HostingServer* server, QTcpSocket* socket)
        : QObject(server), server(server), socket(socket) {
        socket->setParent(this);
        quiet.setSingleShot(true);
        quiet.setInterval(server->m_options.quietMs);
        connect(socket, &QTcpSocket::readyRead, this, [this] { onData(); });
        connect(&quiet, &QTimer::timeout, this, [this] { process(true); });
    }

    void send(const QByteArray& bytes) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            socket->write(bytes);
    }
    void reply(const QByteArray& tag, const QString& payload = {}) {
        send(tag + gbk::encode(payload));
    }

    void onData() {
        buffer += socket->readAll();
        process(false);
    }

    // Works through the buffer; `flush` treats its end as the end of the last message.
    void process(bool flush) {
        for (;;) {
            if (receiving) {
                if (!takeArchiveBytes())
                    return;
                continue;
            }
            if (buffer.isEmpty())
                return;
            if (!buffer.startsWith("<#")) {
                const auto [at, tag] = nextTag(buffer, 0);
                Q_UNUSED(tag);
                const bool partialTag = at < 0 && buffer.size() < 32 && mayBeginTag(buffer);
                if (at > 0 || (at < 0 && !partialTag && (flush || buffer.size() > limit()))) {
                    // Bytes that belong to no message.
                    buffer.remove(0, at > 0 ? at : buffer.size());
                    reply(kErr);
                    continue;
                }
                if (at < 0) {
                    // Perhaps the start of a message whose tag is still on its way.
                    quiet.start();
                    return;
                }
            }
            const QByteArray* tag = nullptr;
            for (const QByteArray* t : kClientTags) {
                if (buffer.startsWith(*t))
                    tag = t;
            }
            if (!tag) {
                if (mayBeginTag(buffer))
                    return; // the rest of the tag is on its way
                // An unknown tag: skip to the next known one.
                const auto [at, next] = nextTag(buffer, 2);
                Q_UNUSED(next);
                buffer.remove(0, at > 0 ? at : buffer.size());
                reply(kErr);
                continue;
            }
            auto [end, next] = nextTag(buffer, tag->size());
            Q_UNUSED(next);
            if (tag == &kSendFileInfo) {
                // The size is a number: the first byte that is no digit ends it, and may
                // well be the archive itself, sent on an earlier go-ahead.
                qsizetype p = tag->size();
                while (p < buffer.size() && std::isdigit(static_cast<unsigned char>(buffer[p])))
                    ++p;
                end = p < buffer.size() ? p : -1;
            }
            if (end < 0 && !flush) {
                if (buffer.size() > limit()) {
                    buffer.clear();
                    reply(kErr);
                    continue;
                }
                quiet.start();
                return;
            }
            const qsizetype stop = end < 0 ? buffer.size() : end;
            const QByteArray payload = buffer.mid(tag->size(), stop - tag->size());
            buffer.remove(0, stop);
            server->handle(this, QString::fromLatin1(*tag), payload);
        }
    }

    int limit() const { return server->m_options.maxTextBytes; }

    // Moves archive bytes from the buffer to the file; false when more must arrive.
    bool takeArchiveBytes() {
        if (gotBytes == 0 && buffer.startsWith("<#")) {
            // Text instead of an archive: the client announced again before sending.
            dropUpload();
            return true;
        }
        if (gotBytes == 0 && buffer.size() < 2 && buffer.startsWith('<'))
            return false;
        const qint64 take = qMin<qint64>(buffer.size(), expectedBytes - gotBytes);
        if (take > 0) {
            if (file->write(buffer.constData(), take) != take) {
                dropUpload();
                reply(kErr);
                buffer.remove(0, take);
                return true;
            }
            gotBytes += take;
            buffer.remove(0, take);
        }
        if (gotBytes == expectedBytes) {
            server->finishUpload(this);
            return true;
        }
        return false;
    }

    void dropUpload() {
        receiving = false;
        delete file;
        file = nullptr;
        expectedBytes = gotBytes = 0;
    }

    HostingServer* server;
    QTcpSocket* socket;
    QByteArray buffer;
    QTimer quiet;
    QString account;
    bool receiving = false;
    qint64 expectedBytes = 0;
    qint64 gotBytes = 0;
    QTemporaryFile* file = nullptr;
};

HostingServer::HostingServer(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    if (!m_options.dataDir.endsWith(u'/'))
        m_options.dataDir += u'/';
}

HostingServer::~HostingServer() {
    // The sessions go with the server; their sockets' last events must not reach it.
    for (Session* s : std::exchange(m_sessions, {})) {
        s->socket->disconnect(this);
        s->dropUpload();
    }
}

bool HostingServer::start(const QHostAddress& address, quint16 port, QString* error) {
    QString why;
    if (!QDir().mkpath(m_options.dataDir + QStringLiteral("sites")) ||
        !QDir().mkpath(m_options.dataDir + QStringLiteral("incoming"))) {
        if (error)
            *error = QStringLiteral("cannot create the data folder ") + m_options.dataDir;
        return false;
    }
    if (!m_accounts.load(m_options.dataDir, &why)) {
        if (error)
            *error = why;
        return false;
    }
    if (m_accounts.accountNumbers().isEmpty())
        m_accounts.setPassword(initialAccountNo, initialPassword);
    QFile noticeFile(m_options.dataDir + QStringLiteral("notice.txt"));
    if (noticeFile.open(QIODevice::ReadOnly))
        m_notice = QString::fromUtf8(noticeFile.readAll()).trimmed();

    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            auto* s = new Session(this, socket);
            m_sessions << s;
            Q_EMIT logLine(QStringLiteral("connection from ") + socket->peerAddress().toString());
            connect(socket, &QTcpSocket::disconnected, this, [this, s] {
                m_sessions.removeOne(s);
                s->dropUpload();
                s->deleteLater();
            });
        }
    });
    if (!m_server->listen(address, port)) {
        if (error)
            *error = m_server->errorString();
        return false;
    }
    return true;
}

quint16 HostingServer::port() const {
    return m_server ? m_server->serverPort() : 0;
}

QString HostingServer::siteFolder(const QString& siteName) const {
    return m_options.dataDir + QStringLiteral("sites/") + siteName.toLower() + u'/';
}

int HostingServer::push(const QString& accountNo, const QByteArray& bytes) {
    int reached = 0;
    for (Session* s : std::as_const(m_sessions)) {
        if (!s->account.isEmpty() && s->account == accountNo) {
            s->send(bytes);
            ++reached;
        }
    }
    return reached;
}

int HostingServer::dropConnections(const QString& accountNo) {
    int closed = 0;
    for (Session* s : QList<Session*>(m_sessions)) {
        if (!s->account.isEmpty() && s->account == accountNo) {
            s->socket->disconnectFromHost();
            ++closed;
        }
    }
    return closed;
}

int HostingServer::pushTalk(const QString& accountNo, const QString& text) {
    return push(accountNo, kTalk + gbk::encode(text));
}

int HostingServer::pushSystem(const QString& accountNo, const QString& text) {
    return push(accountNo, kSystem + gbk::encode(text));
}

int HostingServer::pushSelectTemplate(const QString& accountNo) {
    return push(accountNo, kSelectTemplate);
}

void HostingServer::handle(Session* s, const QString& tag, const QByteArray& payloadBytes) {
    const QString payload = gbk::decode(payloadBytes);
    m_received << tag + payload;
    if (m_received.size() > kKeptMessages)
        m_received.removeFirst();
    const QByteArray t = tag.toLatin1();
    if (t == kGetVersion) {
        if (!m_notice.isEmpty())
            s->reply(kGetVersion, m_notice);
        return;
    }
    if (t == kLogin) {
        const qsizetype bar = payload.indexOf(QStringLiteral("||"));
        if (bar < 0) {
            s->reply(kErr);
            return;
        }
        const QString account = payload.left(bar).trimmed();
        if (m_accounts.checkPassword(account, payload.mid(bar + 2))) {
            s->account = account;
            s->reply(kLogin);
            Q_EMIT logLine(QStringLiteral("login ") + account);
        } else {
            s->account.clear();
            s->reply(kLogout);
            Q_EMIT logLine(QStringLiteral("refused login ") + account);
        }
        return;
    }
    // Everything else needs a login on this connection.
    if (s->account.isEmpty()) {
        s->reply(kErr);
        return;
    }
    if (t == kSiteName) {
        if (!isValidSiteName(payload)) {
            s->reply(kErr);
        } else if (m_accounts.registerSite(s->account, payload)) {
            s->reply(kSiteName);
        } else {
            s->reply(kSiteNameExist);
        }
    } else if (t == kModPwd) {
        if (payload.isEmpty() || !m_accounts.setPassword(s->account, payload))
            s->reply(kErr);
        else
            s->reply(kModPwd);
    } else if (t == kTalk) {
        m_talks.append({s->account, payload, QDateTime::currentDateTime()});
        if (m_talks.size() > kKeptMessages)
            m_talks.removeFirst();
        QFile log(m_options.dataDir + QStringLiteral("messages.log"));
        if (log.open(QIODevice::Append | QIODevice::Text))
            log.write((QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + s->account +
                       u' ' + payload + u'\n')
                          .toUtf8());
        Q_EMIT talkReceived(s->account, payload);
    } else if (t == kSendFileInfo) {
        bool ok = false;
        const qint64 size = payload.trimmed().toLongLong(&ok);
        if (!ok || size <= 0 || size > m_options.maxArchiveBytes ||
            m_accounts.siteName(s->account).isEmpty()) {
            s->reply(kErr);
            return;
        }
        s->dropUpload();
        s->file =
            new QTemporaryFile(m_options.dataDir + QStringLiteral("incoming/upload-XXXXXX.zip"), s);
        if (!s->file->open()) {
            s->dropUpload();
            s->reply(kErr);
            return;
        }
        s->receiving = true;
        s->expectedBytes = size;
        s->gotBytes = 0;
        s->reply(kSendFileInfo);
    }
}

void HostingServer::finishUpload(Session* s) {
    s->file->flush();
    const QString site = m_accounts.siteName(s->account);
    const PublishResult r =
        publishArchive(s->file->fileName(), siteFolder(site), m_options.maxUnpackedBytes);
    s->dropUpload();
    if (r.ok) {
        s->reply(kSystem,
                 QStringLiteral("站点 %1 已发布。<br>共收到 %2 个文件。").arg(site).arg(r.files));
        Q_EMIT logLine(QStringLiteral("published ") + site);
    } else {
        s->reply(kErr);
        Q_EMIT logLine(QStringLiteral("upload refused for ") + site + QStringLiteral(": ") +
                       r.error);
    }
    Q_EMIT published(site, r.ok, r.ok ? QString::number(r.files) : r.error);
}

} // namespace hosting
