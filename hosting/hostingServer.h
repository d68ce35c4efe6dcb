#pragma once
// The reference hosting server: the other side of the client's protocol. It reads each
// connection's stream tag by tag, keeps accounts, short names and published sites in its
// data folder, and can push messages to a connected account.
//
// Its event loop only moves bytes: password hashing runs on one pool of worker threads,
// unpacking and rendering an upload on another, and their results come back to the loop
// as queued calls. A connection waiting for such a result reads nothing further until
// it has its answer, so its replies keep their order.

#include "hosting/accountStore.h"
#include "hosting/loginThrottle.h"
#include "hosting/sitePublisher.h"

#include <QAbstractSocket>
#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>

class QTcpServer;

namespace hosting {

class Session;

struct Options {
    // Where accounts, sites and the kept messages live; ends with "/".
    QString dataDir;
    // The renderer's skins; empty for the folder "skins" beside the program.
    QString skinsDir;
    // What an upload may unpack to; an announced archive above the site quota is refused.
    Quotas quotas;
    // The most text kept waiting for the rest of a message, per connection.
    int maxTextBytes = 64 * 1024;
    // How long a message without a following tag waits for more bytes.
    int quietMs = 80;
    // Connections in all and from one address; those beyond are closed at once.
    int maxConnections = 512;
    int maxPerAddress = 16;
    // A connection that sends nothing for this long is closed: before its login, after it,
    // and while an archive is on its way (its partial file is removed). 0 never.
    int idleBeforeLoginMs = 60 * 1000;
    int idleAfterLoginMs = 30 * 60 * 1000;
    int uploadStallMs = 2 * 60 * 1000;
    // Connections the system may hold waiting to be accepted.
    int listenBacklog = 1024;
    // Failed logins per account and per address.
    ThrottleOptions throttle;
    // Worker threads for password checks and for publishing; 0 for one per processor.
    int hashThreads = 0;
    int publishThreads = 2;
    // Offer uploads of changes with every accepted login.
    bool offerChanges = true;
    // Where the published sites are served: "http://<short name>.<siteDomain>:<sitePort>/",
    // named to the client after each publication. No address is named while sitePort is 0.
    QString siteDomain = QStringLiteral("localhost");
    int sitePort = 0;
};

// A message from a client to the administrator.
struct TalkMessage {
    QString accountNo;
    QString text;
    QDateTime when;
};

// The account created on first start, with the password the client's help text names.
inline const QString initialAccountNo = QStringLiteral("20061001");
inline const QString initialPassword = QStringLiteral("417305");

class HostingServer : public QObject {
    Q_OBJECT
public:
    explicit HostingServer(Options options, QObject* parent = nullptr);
    ~HostingServer() override;

    // Opens the data folder (creating the initial account on first start) and listens.
    bool start(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 port() const;

    // The notice sent in answer to "<#getversion#>"; none when empty.
    void setNotice(const QString& text) { m_notice = text; }
    QString notice() const { return m_notice; }

    // Sends to every connection logged in as `accountNo`; the number reached.
    int pushTalk(const QString& accountNo, const QString& text);
    int pushSystem(const QString& accountNo, const QString& text);
    int pushSelectTemplate(const QString& accountNo);
    // Closes every connection logged in as `accountNo`; the number closed.
    int dropConnections(const QString& accountNo);

    AccountStore& accounts() { return m_accounts; }
    // The latest messages to the administrator (the last thousand).
    const QList<TalkMessage>& talks() const { return m_talks; }
    // The latest text messages received (the last thousand), tag and payload, in order;
    // passwords are left out.
    const QStringList& received() const { return m_received; }
    // The folder a short name's last upload is unpacked in, and the one its pages are
    // published in (see siteLayout.h).
    QString siteFolder(const QString& siteName) const;
    QString publishedFolder(const QString& siteName) const;
    int connectionCount() const { return static_cast<int>(m_sessions.size()); }
    const Options& options() const { return m_options; }

Q_SIGNALS:
    void logLine(const QString& line);
    void talkReceived(const QString& accountNo, const QString& text);
    // After every complete upload: `ok` when its pages were published.
    void published(const QString& siteName, bool ok, const QString& detail);

private:
    friend class Session;
    void accept();
    void acceptFailed(QAbstractSocket::SocketError error);
    void closed(Session* s);
    int push(const QString& accountNo, const QByteArray& bytes);
    void handle(Session* s, const QByteArray& tag, const QByteArray& payload);
    void keep(const QByteArray& tag, const QString& payload);
    void login(Session* s, const QString& payload);
    void loginChecked(quint64 sessionId, const QString& accountNo, const QString& address,
                      bool matched);
    void changePassword(Session* s, const QString& password);
    void registerName(Session* s, const QString& name);
    void announceUpload(Session* s, const QString& payload);
    // The manifest of an upload of changes: answered with the contents lacking.
    void takeManifest(Session* s, const QByteArray& body);
    void finishUpload(Session* s);
    void publishDone(quint64 sessionId, const QString& accountNo, const PublishJob& job,
                     const PublishOutcome& outcome);
    void moveSite(const QString& from, const QString& to);
    // Moves a folder out of the way and removes it off the loop.
    void retire(const QString& folder);
    void discard(const QString& folderInWork);
    QString workFolder() const;
    void openData();
    template <class Work, class Done>
    void offLoop(QThreadPool& pool, Work work, Done done);

    Options m_options;
    QTcpServer* m_server = nullptr;
    AccountStore m_accounts;
    LoginThrottle m_throttle;
    QString m_notice;
    QList<TalkMessage> m_talks;
    QStringList m_received;
    QList<Session*> m_sessions;
    QHash<quint64, Session*> m_byId;
    QHash<QString, int> m_perAddress;
    quint64 m_nextId = 1;
    // Accounts whose upload is being unpacked or rendered.
    QSet<QString> m_publishing;
    QThreadPool m_hashPool;
    QThreadPool m_workPool;
    std::atomic_bool m_stopping{false};
    // A descriptor held back, so that at the descriptor limit a waiting connection can
    // still be taken and closed instead of being offered again and again.
    int m_reserveFd = -1;
    QTimer m_resumeAccepting;
};

} // namespace hosting
