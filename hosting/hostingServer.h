#pragma once
// The reference hosting server: the other side of the client's protocol. It reads each
// connection's stream tag by tag, keeps accounts, short names and published sites in its
// data folder, and can push messages to a connected account.

#include "hosting/accountStore.h"

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;

namespace hosting {

class Session;

struct Options {
    // Where accounts, sites and the kept messages live; ends with "/".
    QString dataDir;
    // The largest archive accepted, and the most its files may unpack to.
    qint64 maxArchiveBytes = qint64(4) << 30;
    qint64 maxUnpackedBytes = qint64(8) << 30;
    // The most text kept waiting for the rest of a message, per connection.
    int maxTextBytes = 64 * 1024;
    // How long a message without a following tag waits for more bytes.
    int quietMs = 80;
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
    // The latest text messages received (the last thousand), tag and payload, in order.
    const QStringList& received() const { return m_received; }
    // The folder a short name's site is published in.
    QString siteFolder(const QString& siteName) const;
    int connectionCount() const { return static_cast<int>(m_sessions.size()); }

Q_SIGNALS:
    void logLine(const QString& line);
    void talkReceived(const QString& accountNo, const QString& text);
    void published(const QString& siteName, bool ok, const QString& detail);

private:
    friend class Session;
    int push(const QString& accountNo, const QByteArray& bytes);
    void handle(Session* s, const QString& tag, const QByteArray& payload);
    void finishUpload(Session* s);

    Options m_options;
    QTcpServer* m_server = nullptr;
    AccountStore m_accounts;
    QString m_notice;
    QList<TalkMessage> m_talks;
    QStringList m_received;
    QList<Session*> m_sessions;
};

} // namespace hosting
