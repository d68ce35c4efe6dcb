#include "hosting/hostingServer.h"

#include "common/gbk.h"
#include "hosting/changesUpload.h"
#include "hosting/publishReport.h"
#include "hosting/siteLayout.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QUuid>

#include <array>
#include <cctype>
#include <latch>
#include <memory>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

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
// Uploads of changes (see server/uploadManifest.h).
const QByteArray kManifest = mdl_upData::tag::manifest.toLatin1();
const QByteArray kDeltaFull = mdl_upData::tag::deltaFull.toLatin1();
const QByteArray kDeltaDone = mdl_upData::tag::deltaDone.toLatin1();
// Sent with the login's acceptance: a client that does not know the tag ignores it.
const QByteArray kDeltaOffer = (mdl_upData::tag::deltaOffer + mdl_upData::deltaMethod).toLatin1();

// How many received messages stay in memory; "messages.log" keeps every talk message.
constexpr qsizetype kKeptMessages = 1000;
// What one connection's socket holds before the system is left to hold the rest.
constexpr qint64 kReadBufferBytes = qint64(1) << 20;
// How long a connection being closed may take to see its last bytes off.
constexpr int kLingerMs = 2000;
// Descriptors kept for everything but connections: the worker threads, the files they
// write, the site databases they read.
constexpr int kSpareDescriptors = 32;

// The tags a client sends; a message runs from its tag to the next of these.
const std::array<const QByteArray*, 7> kClientTags{&kLogin, &kGetVersion,   &kSiteName, &kModPwd,
                                                   &kTalk,  &kSendFileInfo, &kManifest};

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

// The address connections are counted by: IPv4 peers of a dual-stack socket as IPv4.
QString addressKey(const QHostAddress& peer) {
    bool v4 = false;
    const quint32 ip = peer.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : peer.toString();
}

// What a locked login is told after its "<#logout#>".
QString lockText(const LoginThrottle::Lock& lock) {
    return (lock.byAddress ? QStringLiteral("登录失败次数过多，您的地址已被暂时锁定")
                           : QStringLiteral("登录失败次数过多，该账号已被暂时锁定")) +
           QStringLiteral("，请于 %1 分钟后再试。")
               .arg(qMax<qint64>(1, (lock.remainingMs + 59999) / 60000));
}

// The same for the server's log.
QString lockLog(const LoginThrottle::Lock& lock) {
    return QStringLiteral("%1 locked for %2 s")
        .arg(lock.byAddress ? QStringLiteral("address") : QStringLiteral("account"))
        .arg((lock.remainingMs + 999) / 1000);
}

// Worker threads give way to the event loop when the processors are busy.
void yieldToTheLoop() {
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    const int now = getpriority(PRIO_PROCESS, 0);
    setpriority(PRIO_PROCESS, 0, qMin(19, now + 5)); // this thread only, on Linux
}

// Starts every thread of the pool now, and keeps it: a thread needs descriptors of its
// own, and later there may be none to spare.
void startThreads(QThreadPool& pool) {
    pool.setExpiryTimeout(-1);
    const int n = pool.maxThreadCount();
    auto together = std::make_shared<std::latch>(n);
    for (int i = 0; i < n; ++i) {
        pool.start([together] {
            yieldToTheLoop();
            together->arrive_and_wait();
        });
    }
}

// The connections the descriptor limit leaves room for.
int connectionsThatFit(int wanted) {
    rlimit r{};
    if (getrlimit(RLIMIT_NOFILE, &r) != 0 || r.rlim_cur == RLIM_INFINITY)
        return wanted;
    return int(qBound<qint64>(1, qint64(r.rlim_cur) - kSpareDescriptors, qint64(wanted)));
}

void closeSoon(QTcpSocket* socket) {
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
        QTimer::singleShot(kLingerMs, socket, [socket] { socket->abort(); });
}

} // namespace

class Session : public QObject {
public:
    Session(HostingServer* server, QTcpSocket* socket, quint64 id, QString address)
        : QObject(server), server(server), socket(socket), id(id), address(std::move(address)) {
        socket->setParent(this);
        socket->setReadBufferSize(kReadBufferBytes);
        quiet.setSingleShot(true);
        quiet.setInterval(server->m_options.quietMs);
        idle.setSingleShot(true);
        connect(socket, &QTcpSocket::readyRead, this, [this] { onData(); });
        connect(&quiet, &QTimer::timeout, this, [this] { process(true); });
        connect(&idle, &QTimer::timeout, this, [this] { timedOut(); });
        rearm();
    }
    ~Session() override { dropUpload(); }

    void send(const QByteArray& bytes) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            socket->write(bytes);
    }
    void reply(const QByteArray& tag, const QString& payload = {}) {
        send(tag + gbk::encode(payload));
    }
    // A refusal the user reads: one system message saying what failed. A client acts on
    // the first tag it finds in what one read brings and shows the rest as text, so a
    // refusal carries no second tag.
    void refuse(const QString& why) { reply(kSystem, why); }

    // Starts the time-out that fits the connection's state again.
    void rearm() {
        const Options& o = server->m_options;
        const int ms = receiving          ? o.uploadStallMs
                       : account.isEmpty() ? o.idleBeforeLoginMs
                                           : o.idleAfterLoginMs;
        if (ms > 0)
            idle.start(ms);
        else
            idle.stop();
    }

    void timedOut() {
        if (receiving) {
            Q_EMIT server->logLine(QStringLiteral("upload of %1 stalled at %2 of %3 bytes; closed")
                                       .arg(account)
                                       .arg(gotBytes)
                                       .arg(expectedBytes));
            dropUpload();
            reply(kSystem, QStringLiteral("上传中断：%1 秒内没有收到数据，连接已断开。")
                               .arg(server->m_options.uploadStallMs / 1000));
        } else {
            Q_EMIT server->logLine(QStringLiteral("idle connection from ") + address +
                                   (account.isEmpty() ? QString() : u' ' + account) +
                                   QStringLiteral(" closed"));
        }
        closeSoon(socket);
    }

    void onData() {
        rearm();
        if (busy)
            return; // the bytes wait in the socket until the answer is out
        buffer += socket->readAll();
        process(false);
    }

    // An answer worked out off the loop has gone out: the connection reads on.
    void resume() {
        busy = false;
        rearm();
        onData();
    }

    // Works through the buffer; `flush` treats its end as the end of the last message.
    void process(bool flush) {
        for (;;) {
            if (busy)
                return;
            if (receiving) {
                if (gotBytes == 0 && buffer.startsWith("<#") && !buffer.startsWith(kSendFileInfo)) {
                    // A message sent before the client saw the go-ahead (the notice it
                    // asks for after the login, a chat line): answered, and the archive
                    // is still awaited.
                    if (!takeCrossingMessage(flush))
                        return;
                    continue;
                }
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
            if (tag == &kManifest) {
                if (!takeManifest())
                    return;
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
            QByteArray payload = buffer.mid(tag->size(), stop - tag->size());
            buffer.remove(0, stop);
            server->handle(this, *tag, payload);
            payload.fill('\0'); // it may hold a password
        }
    }

    int limit() const { return server->m_options.maxTextBytes; }

    // Takes a manifest off the start of the buffer; false while its bytes are on their way.
    bool takeManifest() {
        QByteArray body;
        const qint64 most = qint64(server->m_options.quotas.entries) * 1024;
        switch (mdl_upData::takeFramed(buffer, mdl_upData::tag::manifest, most, &body)) {
        case mdl_upData::Frame::Incomplete:
            return false;
        case mdl_upData::Frame::Invalid:
            buffer.remove(0, kManifest.size());
            manifest.reset();
            reply(kErr);
            return true;
        case mdl_upData::Frame::Complete:
            server->takeManifest(this, body);
            return true;
        }
        return true;
    }

    // Handles the message at the start of the buffer while an archive is awaited; false
    // when more must arrive. Such a message ends at the next tag or where the archive
    // begins (every ZIP archive opens with a "PK" signature that typed text never holds).
    bool takeCrossingMessage(bool flush) {
        const QByteArray* tag = nullptr;
        for (const QByteArray* t : kClientTags) {
            if (buffer.startsWith(*t))
                tag = t;
        }
        if (!tag) {
            if (buffer.size() < 32 && mayBeginTag(buffer) && !flush)
                return false; // the rest of the tag is on its way
            buffer.remove(0, 2); // not a message: what follows is read as the archive
            reply(kErr);
            return true;
        }
        qsizetype end = nextTag(buffer, tag->size()).first;
        for (const char* signature : {"PK\x03\x04", "PK\x05\x06"}) {
            const qsizetype at = buffer.indexOf(QByteArray(signature, 4), tag->size());
            if (at >= 0 && (end < 0 || at < end))
                end = at;
        }
        if (end < 0 && tag == &kGetVersion)
            end = tag->size(); // it carries nothing
        if (end < 0) {
            if (!flush && buffer.size() <= limit()) {
                quiet.start();
                return false;
            }
            end = buffer.size();
        }
        QByteArray payload = buffer.mid(tag->size(), end - tag->size());
        buffer.remove(0, end);
        server->handle(this, *tag, payload);
        payload.fill('\0'); // it may hold a password
        return true;
    }

    // Moves archive bytes from the buffer to the file; false when more must arrive.
    bool takeArchiveBytes() {
        if (gotBytes == 0 && buffer.startsWith("<#")) {
            // Text instead of an archive: the client announced again before sending.
            dropUpload();
            rearm();
            return true;
        }
        if (gotBytes == 0 && buffer.size() < 2 && buffer.startsWith('<'))
            return false;
        const qint64 take = qMin<qint64>(buffer.size(), expectedBytes - gotBytes);
        if (take > 0) {
            if (file->write(buffer.constData(), take) != take) {
                Q_EMIT server->logLine(QStringLiteral("cannot store the upload of ") + account +
                                       QStringLiteral(": ") + file->errorString());
                dropUpload();
                refuse(QStringLiteral("服务器无法保存上传的数据，请稍后再试。"));
                // The rest of the archive would be read as messages: the connection ends.
                buffer.clear();
                closeSoon(socket);
                return false;
            }
            gotBytes += take;
            buffer.remove(0, take);
        }
        if (gotBytes == expectedBytes) {
            server->finishUpload(this);
            rearm();
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
    const quint64 id;
    const QString address;
    QByteArray buffer;
    QTimer quiet;
    QTimer idle;
    QString account;
    // An answer is being worked out off the loop; what follows waits for it.
    bool busy = false;
    bool receiving = false;
    qint64 expectedBytes = 0;
    qint64 gotBytes = 0;
    QTemporaryFile* file = nullptr;
    // The manifest of the upload of changes whose archive is awaited.
    std::optional<mdl_upData::Manifest> manifest;
};

HostingServer::HostingServer(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_throttle(m_options.throttle) {
    if (!m_options.dataDir.endsWith(u'/'))
        m_options.dataDir += u'/';
    if (m_options.skinsDir.isEmpty())
        m_options.skinsDir = QCoreApplication::applicationDirPath() + QStringLiteral("/skins/");
    m_hashPool.setMaxThreadCount(m_options.hashThreads > 0 ? m_options.hashThreads
                                                           : QThread::idealThreadCount());
    m_workPool.setMaxThreadCount(qMax(1, m_options.publishThreads));
    m_resumeAccepting.setSingleShot(true);
    m_resumeAccepting.setInterval(250);
    connect(&m_resumeAccepting, &QTimer::timeout, this, [this] {
        if (m_server)
            m_server->resumeAccepting();
    });
}

HostingServer::~HostingServer() {
    // Work under way stops where it can; what it leaves in work/ goes at the next start.
    m_stopping = true;
    m_workPool.waitForDone();
    m_hashPool.waitForDone();
    // The sessions go with the server; their sockets' last events must not reach it.
    for (Session* s : std::exchange(m_sessions, {})) {
        s->socket->disconnect(this);
        s->dropUpload();
    }
    if (m_reserveFd >= 0)
        ::close(m_reserveFd);
}

template <class Work, class Done>
void HostingServer::offLoop(QThreadPool& pool, Work work, Done done) {
    pool.start([this, work = std::move(work), done = std::move(done)]() mutable {
        yieldToTheLoop();
        auto result = work();
        QMetaObject::invokeMethod(
            this, [done = std::move(done), result = std::move(result)]() mutable { done(result); },
            Qt::QueuedConnection);
    });
}

QString HostingServer::workFolder() const {
    return m_options.dataDir + QStringLiteral("work/");
}

void HostingServer::openData() {
    const QString data = m_options.dataDir;
    // Data folders of earlier versions kept the unpacked uploads in sites/.
    if (QFileInfo::exists(data + QStringLiteral("sites")) &&
        !QFileInfo::exists(data + QStringLiteral("uploads")))
        QDir().rename(data + QStringLiteral("sites"), data + QStringLiteral("uploads"));
    // What was being received or prepared when the server stopped is of no use.
    for (const char* sub : {"incoming", "work"}) {
        QDir(data + QLatin1String(sub)).removeRecursively();
        QDir().mkpath(data + QLatin1String(sub));
    }
    for (const char* sub : {"uploads", "www"})
        QDir().mkpath(data + QLatin1String(sub));
}

bool HostingServer::start(const QHostAddress& address, quint16 port, QString* error) {
    QString why;
    openData();
    for (const char* sub : {"uploads", "www", "incoming", "work"}) {
        if (!QFileInfo(m_options.dataDir + QLatin1String(sub)).isDir()) {
            if (error)
                *error = QStringLiteral("cannot create the data folder ") + m_options.dataDir;
            return false;
        }
    }
    if (!m_accounts.load(m_options.dataDir, &why)) {
        if (error)
            *error = why;
        return false;
    }
    if (m_accounts.accountNumbers().isEmpty())
        m_accounts.setPassword(initialAccountNo, initialPassword);
    // Folders of names nobody holds any more (left behind by earlier versions) go, so an
    // address that changed hands never shows the pages of its previous holder.
    for (const char* sub : {"uploads", "www"}) {
        const QString root = m_options.dataDir + QLatin1String(sub) + u'/';
        for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (m_accounts.owner(name).isEmpty())
                retire(root + name);
        }
    }
    m_accounts.credentials(QString()); // the stand-in for unknown accounts, made once
    QFile noticeFile(m_options.dataDir + QStringLiteral("notice.txt"));
    if (noticeFile.open(QIODevice::ReadOnly))
        m_notice = QString::fromUtf8(noticeFile.readAll()).trimmed();

    startThreads(m_hashPool);
    startThreads(m_workPool);
    const int fit = connectionsThatFit(m_options.maxConnections);
    if (fit < m_options.maxConnections) {
        Q_EMIT logLine(QStringLiteral("the descriptor limit leaves room for %1 connections").arg(fit));
        m_options.maxConnections = fit;
    }
    m_reserveFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    m_server = new QTcpServer(this);
    m_server->setListenBacklogSize(m_options.listenBacklog);
    m_server->setMaxPendingConnections(qMax(30, m_options.maxConnections));
    connect(m_server, &QTcpServer::newConnection, this, &HostingServer::accept);
    connect(m_server, &QTcpServer::acceptError, this, &HostingServer::acceptFailed);
    if (!m_server->listen(address, port)) {
        if (error)
            *error = m_server->errorString();
        return false;
    }
    return true;
}

void HostingServer::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        const QString address = addressKey(socket->peerAddress());
        QString full;
        if (m_sessions.size() >= m_options.maxConnections)
            full = QStringLiteral("服务器连接数已满，请稍后再试。");
        else if (m_perAddress.value(address) >= m_options.maxPerAddress)
            full = QStringLiteral("来自您的地址的连接过多，请稍后再试。");
        if (!full.isEmpty()) {
            Q_EMIT logLine(QStringLiteral("refused connection from ") + address +
                           QStringLiteral(" (too many connections)"));
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->write(kSystem + gbk::encode(full));
            closeSoon(socket);
            continue;
        }
        const quint64 id = m_nextId++;
        auto* s = new Session(this, socket, id, address);
        m_sessions << s;
        m_byId.insert(id, s);
        ++m_perAddress[address];
        Q_EMIT logLine(QStringLiteral("connection from ") + address);
        connect(socket, &QTcpSocket::disconnected, this, [this, s] { closed(s); });
        if (socket->state() != QAbstractSocket::ConnectedState)
            closed(s); // gone before it was taken
    }
}

void HostingServer::closed(Session* s) {
    if (!m_byId.remove(s->id))
        return;
    m_sessions.removeOne(s);
    if (--m_perAddress[s->address] <= 0)
        m_perAddress.remove(s->address);
    s->dropUpload();
    s->deleteLater();
    // A descriptor is free again.
    if (m_resumeAccepting.isActive()) {
        m_resumeAccepting.stop();
        m_server->resumeAccepting();
    }
}

void HostingServer::acceptFailed(QAbstractSocket::SocketError error) {
    // The server stops accepting after such an error. Out of descriptors, the waiting
    // connections are taken with the reserve one and closed at once, so that they are
    // refused rather than left hanging, and accepting resumes a little later.
    if (error == QAbstractSocket::SocketResourceError && m_reserveFd >= 0) {
        ::close(m_reserveFd);
        m_reserveFd = -1;
        int shed = 0;
        for (int fd; (fd = ::accept(int(m_server->socketDescriptor()), nullptr, nullptr)) >= 0;) {
            ::close(fd);
            ++shed;
        }
        m_reserveFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        Q_EMIT logLine(QStringLiteral("out of file descriptors: %1 connection(s) refused").arg(shed));
    } else {
        Q_EMIT logLine(QStringLiteral("cannot accept a connection: ") + m_server->errorString());
    }
    m_resumeAccepting.start();
}

quint16 HostingServer::port() const {
    return m_server ? m_server->serverPort() : 0;
}

QString HostingServer::siteFolder(const QString& siteName) const {
    return uploadDir(m_options.dataDir, siteName);
}

QString HostingServer::publishedFolder(const QString& siteName) const {
    return publishedDir(m_options.dataDir, siteName);
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
    int closedCount = 0;
    for (Session* s : QList<Session*>(m_sessions)) {
        if (!s->account.isEmpty() && s->account == accountNo) {
            s->socket->disconnectFromHost();
            ++closedCount;
        }
    }
    return closedCount;
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

void HostingServer::keep(const QByteArray& tag, const QString& payload) {
    QString kept = QString::fromLatin1(tag);
    if (tag == kLogin)
        kept += payload.section(QStringLiteral("||"), 0, 0) + QStringLiteral("||");
    else if (tag != kModPwd)
        kept += payload;
    m_received << kept;
    if (m_received.size() > kKeptMessages)
        m_received.removeFirst();
}

void HostingServer::handle(Session* s, const QByteArray& tag, const QByteArray& payloadBytes) {
    QString payload = gbk::decode(payloadBytes);
    keep(tag, payload);
    if (tag == kGetVersion) {
        if (!m_notice.isEmpty())
            s->reply(kGetVersion, m_notice);
        return;
    }
    if (tag == kLogin) {
        login(s, payload);
        payload.fill(u'\0');
        return;
    }
    // Everything else needs a login on this connection.
    if (s->account.isEmpty()) {
        s->reply(kErr);
        return;
    }
    if (tag == kSiteName) {
        registerName(s, payload);
    } else if (tag == kModPwd) {
        changePassword(s, payload);
        payload.fill(u'\0');
    } else if (tag == kTalk) {
        m_talks.append({s->account, payload, QDateTime::currentDateTime()});
        if (m_talks.size() > kKeptMessages)
            m_talks.removeFirst();
        QFile log(m_options.dataDir + QStringLiteral("messages.log"));
        if (log.open(QIODevice::Append | QIODevice::Text))
            log.write((QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' + s->account +
                       u' ' + payload + u'\n')
                          .toUtf8());
        Q_EMIT talkReceived(s->account, payload);
    } else if (tag == kSendFileInfo) {
        announceUpload(s, payload);
    }
    // A manifest is read whole by its session; one crossing an archive is dropped.
}

void HostingServer::login(Session* s, const QString& payload) {
    const qsizetype bar = payload.indexOf(QStringLiteral("||"));
    if (bar < 0) {
        s->reply(kErr);
        return;
    }
    const QString account = payload.left(bar).trimmed();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const LoginThrottle::Lock lock = m_throttle.lockFor(account, s->address, now);
    if (lock.locked) {
        s->account.clear();
        s->rearm();
        s->reply(kLogout, lockText(lock));
        Q_EMIT logLine(QStringLiteral("refused login %1 from %2: ").arg(account, s->address) +
                       lockLog(lock));
        return;
    }
    // The hash is as slow for an unknown account as for a known one.
    const Credentials credentials = m_accounts.credentials(account);
    QString password = payload.mid(bar + 2);
    s->busy = true;
    offLoop(
        m_hashPool, [credentials, password]() mutable {
            const bool matched = credentials.matches(password);
            password.fill(u'\0');
            return matched;
        },
        [this, id = s->id, account, address = s->address](bool matched) {
            loginChecked(id, account, address, matched);
        });
    password.fill(u'\0');
}

void HostingServer::loginChecked(quint64 sessionId, const QString& account, const QString& address,
                                 bool matched) {
    Session* s = m_byId.value(sessionId);
    if (matched) {
        m_throttle.succeeded(account);
        if (!s)
            return;
        s->account = account;
        s->manifest.reset();
        s->send(m_options.offerChanges ? kLogin + kDeltaOffer : kLogin);
        Q_EMIT logLine(QStringLiteral("login %1 from %2").arg(account, address));
        s->resume();
        return;
    }
    // A failure counts whether or not its connection is still there.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 delay = m_throttle.failed(account, address, now);
    const LoginThrottle::Lock lock = m_throttle.lockFor(account, address, now);
    Q_EMIT logLine(QStringLiteral("refused login %1 from %2").arg(account, address) +
                   (lock.locked ? QStringLiteral("; ") + lockLog(lock)
                    : delay > 0 ? QStringLiteral("; answered after %1 ms").arg(delay)
                                : QString()));
    if (!s)
        return;
    s->account.clear();
    const auto answer = [this, sessionId, lock] {
        Session* s = m_byId.value(sessionId);
        if (!s)
            return;
        s->reply(kLogout, lock.locked ? lockText(lock) : QString());
        s->resume();
    };
    if (delay > 0)
        QTimer::singleShot(delay, s, answer);
    else
        answer();
}

void HostingServer::changePassword(Session* s, const QString& password) {
    if (password.isEmpty()) {
        s->reply(kErr);
        return;
    }
    s->busy = true;
    offLoop(
        m_hashPool, [password = QString(password)]() mutable {
            const Credentials made = Credentials::make(password);
            password.fill(u'\0');
            return made;
        },
        [this, id = s->id, account = s->account](const Credentials& made) {
            const bool ok = m_accounts.setCredentials(account, made);
            if (ok)
                Q_EMIT logLine(QStringLiteral("password changed for ") + account);
            Session* s = m_byId.value(id);
            if (!s)
                return;
            s->reply(ok ? kModPwd : kErr);
            s->resume();
        });
}

void HostingServer::registerName(Session* s, const QString& name) {
    if (!isValidSiteName(name)) {
        s->reply(kErr);
        return;
    }
    const QString holder = m_accounts.owner(name);
    if (!holder.isEmpty() && holder != s->account) {
        s->reply(kSiteNameExist);
        return;
    }
    const QString before = m_accounts.siteName(s->account);
    if (!m_accounts.registerSite(s->account, name)) {
        s->reply(kErr);
        return;
    }
    if (before.compare(name, Qt::CaseInsensitive) != 0)
        moveSite(before, name);
    s->reply(kSiteName);
}

void HostingServer::moveSite(const QString& from, const QString& to) {
    using Place = QString (*)(const QString&, const QString&);
    for (const Place place : {Place(&uploadDir), Place(&publishedDir), Place(&pictureCacheDir)}) {
        QString target = place(m_options.dataDir, to);
        target.chop(1);
        // Whatever lies under the new name is no one's now.
        if (QFileInfo::exists(target))
            retire(target);
        if (from.isEmpty())
            continue;
        QString source = place(m_options.dataDir, from);
        source.chop(1);
        if (!QFileInfo::exists(source))
            continue;
        if (QDir().rename(source, target)) {
            Q_EMIT logLine(QStringLiteral("moved %1 to %2").arg(source, target));
        } else {
            // The old address must not go on showing the pages.
            Q_EMIT logLine(QStringLiteral("cannot move %1 to %2; removed").arg(source, target));
            retire(source);
        }
    }
}

void HostingServer::retire(const QString& folder) {
    const QString away = workFolder() + QStringLiteral("retired-") +
                         QUuid::createUuid().toString(QUuid::Id128);
    if (QDir().rename(folder, away))
        discard(away);
    else
        Q_EMIT logLine(QStringLiteral("cannot remove ") + folder);
}

void HostingServer::discard(const QString& folderInWork) {
    m_workPool.start([folderInWork] {
        yieldToTheLoop();
        QDir(folderInWork).removeRecursively();
    });
}

void HostingServer::announceUpload(Session* s, const QString& payload) {
    bool ok = false;
    const qint64 size = payload.trimmed().toLongLong(&ok);
    if (!ok || size <= 0 || m_accounts.siteName(s->account).isEmpty()) {
        s->reply(kErr);
        return;
    }
    s->dropUpload();
    if (size > m_options.quotas.siteBytes) {
        Q_EMIT logLine(QStringLiteral("refused an upload of %1 bytes from %2: above the site quota")
                           .arg(size)
                           .arg(s->account));
        s->refuse(QStringLiteral("上传被拒绝：压缩包大小 %1 字节，超过站点空间限额 %2。")
                      .arg(size)
                      .arg(sizeText(m_options.quotas.siteBytes)));
        return;
    }
    if (m_publishing.contains(s->account)) {
        s->refuse(QStringLiteral("上一次上传的站点还在发布中，请稍后再上传。"));
        return;
    }
    s->file = new QTemporaryFile(
        m_options.dataDir + QStringLiteral("incoming/upload-XXXXXX.zip"), s);
    if (!s->file->open()) {
        s->dropUpload();
        s->reply(kErr);
        return;
    }
    s->file->fileName(); // gives the file its name in incoming/, where it can be seen
    s->receiving = true;
    s->expectedBytes = size;
    s->gotBytes = 0;
    s->rearm();
    s->reply(kSendFileInfo);
}

void HostingServer::takeManifest(Session* s, const QByteArray& body) {
    keep(kManifest, QString::number(body.size()));
    s->manifest.reset();
    const QString site = m_accounts.siteName(s->account);
    if (s->account.isEmpty() || site.isEmpty()) {
        s->reply(kErr);
        return;
    }
    if (m_publishing.contains(s->account)) {
        s->refuse(QStringLiteral("上一次上传的站点还在发布中，请稍后再上传。"));
        return;
    }
    QString why;
    std::optional<mdl_upData::Manifest> m =
        mdl_upData::parseManifest(body, manifestLimits(m_options.quotas), &why);
    if (!m) {
        Q_EMIT logLine(QStringLiteral("manifest refused for %1: %2").arg(site, why));
        s->refuse(QStringLiteral("上传被拒绝：") + why + QStringLiteral("<br>原来的站点保持不变。"));
        return;
    }
    const std::optional<mdl_upData::Manifest> before = readContentsIndex(siteFolder(site));
    if (!before) {
        s->send(kDeltaFull);
        return;
    }
    const QByteArray lacking = lackingContents(*m, *before);
    s->manifest = std::move(m);
    s->send(mdl_upData::framed(mdl_upData::tag::deltaNeed, lacking));
}

void HostingServer::finishUpload(Session* s) {
    PublishJob job;
    s->file->setAutoRemove(false);
    const bool stored = s->file->flush();
    job.archive = s->file->fileName();
    s->file->close();
    s->dropUpload();
    if (!stored) {
        QFile::remove(job.archive);
        s->refuse(QStringLiteral("服务器无法保存上传的数据，请稍后再试。"));
        return;
    }
    job.workDir = workFolder() + QStringLiteral("job-") +
                  QUuid::createUuid().toString(QUuid::Id128) + u'/';
    job.skinsDir = m_options.skinsDir;
    // The address the server will name for the site, as its pages name themselves.
    if (const QString site = m_accounts.siteName(s->account); m_options.sitePort > 0 && !site.isEmpty())
        job.publicAddress = siteAddress(site, m_options.siteDomain, m_options.sitePort);
    job.quotas = m_options.quotas;
    const QString account = s->account;
    job.pictureCache = pictureCacheDir(m_options.dataDir, m_accounts.siteName(account));
    // The pictures of one upload share the threads a publish may use.
    job.pictureWorkers = qMax(1, m_options.publishThreads);
    if (s->manifest) {
        job.manifest = std::exchange(s->manifest, std::nullopt);
        job.previous = siteFolder(m_accounts.siteName(account));
        job.assembled = [this, id = s->id] {
            QMetaObject::invokeMethod(
                this,
                [this, id] {
                    if (Session* s = m_byId.value(id))
                        s->send(kDeltaDone);
                },
                Qt::QueuedConnection);
        };
    }
    m_publishing.insert(account);
    Q_EMIT logLine(QStringLiteral("received an upload from ") + account);
    offLoop(
        m_workPool, [job, cancel = &m_stopping] { return prepareSite(job, cancel); },
        [this, id = s->id, account, job](const PublishOutcome& outcome) {
            publishDone(id, account, job, outcome);
        });
}

void HostingServer::publishDone(quint64 sessionId, const QString& account, const PublishJob& job,
                                const PublishOutcome& o) {
    m_publishing.remove(account);
    Session* s = m_byId.value(sessionId);
    if (s && s->account != account)
        s = nullptr;
    const auto tell = [&](const QString& why, bool failed) {
        if (!s)
            return;
        if (failed)
            s->refuse(why);
        else
            s->reply(kSystem, why);
    };
    // The account's name now: it may have changed while the upload was being prepared.
    const QString site = m_accounts.siteName(account);
    QString why;
    if (o.needWhole) {
        // Nothing changes: the client sends the whole archive.
        Q_EMIT logLine(QStringLiteral("upload of changes for %1 incomplete (%2); whole archive asked for")
                           .arg(site, o.error));
        if (s)
            s->send(kDeltaFull);
        discard(job.workDir);
        return;
    }
    if (!o.unpacked) {
        Q_EMIT logLine(QStringLiteral("upload refused for %1: %2").arg(site, o.error));
        tell(QStringLiteral("上传被拒绝：") + o.error + QStringLiteral("<br>原来的站点保持不变。"),
             true);
    } else if (!replaceFolder(o.uploadFolder, siteFolder(site), job.workDir + QStringLiteral("old-upload"),
                              &why)) {
        Q_EMIT logLine(QStringLiteral("cannot keep the upload of %1: %2").arg(site, why));
        tell(QStringLiteral("服务器无法保存上传的站点，请稍后再试。"), true);
    } else {
        for (const QString& line : o.renderLog)
            Q_EMIT logLine(QStringLiteral("render %1: %2").arg(site, line));
        if (!o.rendered) {
            Q_EMIT logLine(QStringLiteral("render of %1 failed: %2").arg(site, o.error));
            tell(QStringLiteral("站点 %1 发布失败：%2<br>原来发布的网页保持不变。").arg(site, o.error),
                 false);
        } else if (!replaceFolder(o.siteFolder, publishedFolder(site),
                                  job.workDir + QStringLiteral("old-www"), &why)) {
            Q_EMIT logLine(QStringLiteral("cannot publish %1: %2").arg(site, why));
            tell(QStringLiteral("站点 %1 发布失败：无法替换原来的网页。").arg(site), false);
        } else {
            Q_EMIT logLine(QStringLiteral("published %1: %2 files, %3 pages")
                               .arg(site)
                               .arg(o.files)
                               .arg(o.pages));
            // The address goes in the text itself: every client shows it, and one that
            // knows the form opens it from "浏览".
            const QString address =
                m_options.sitePort > 0
                    ? QStringLiteral("<br>网址：") + siteAddress(site, m_options.siteDomain, m_options.sitePort)
                    : QString();
            // Then what the renderer left out or changed, briefly.
            tell(QStringLiteral("站点 %1 已发布。%4<br>共收到 %2 个文件，生成 %3 个网页。")
                         .arg(site)
                         .arg(o.files)
                         .arg(o.pages)
                         .arg(address) +
                     publishNotes(o.renderLog),
                 false);
        }
    }
    discard(job.workDir);
    const bool ok = o.unpacked && o.rendered && why.isEmpty();
    Q_EMIT published(site, ok, ok ? QString::number(o.pages) : o.error);
}

} // namespace hosting
