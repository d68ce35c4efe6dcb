#include "app/instanceLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace instanceLock {

namespace {

const QByteArray kRaise = QByteArrayLiteral("raise\n");

// The folder as one path, whichever way it was written.
QString canonical(const QString& workPath) {
    const QString c = QFileInfo(workPath).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(workPath).absolutePath()) : c;
}

QString folderKey(const QString& workPath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(canonical(workPath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

} // namespace

QString lockFileFor(const QString& workPath) {
    const QFileInfo folder(canonical(workPath));
    const QFileInfo parent(folder.absolutePath());
    // Beside the folder, not in it: the working folder is backed up, restored and uploaded
    // whole, and the lock is no part of the site.
    if (parent.isDir() && parent.isWritable())
        return parent.absoluteFilePath() + QStringLiteral("/.") + folder.fileName() +
               QStringLiteral(".orvane.lock");
    return QDir::tempPath() + QStringLiteral("/orvane-") + folderKey(workPath) +
           QStringLiteral(".lock");
}

QString serverNameFor(const QString& workPath) {
    return QStringLiteral("orvane-") + folderKey(workPath);
}

Lock::Lock(const QString& workPath, QObject* parent)
    : QObject(parent), m_workPath(workPath), m_file(lockFileFor(workPath)) {
    // A lock is never given up for its age: only when the program holding it is gone.
    m_file.setStaleLockTime(0);
}

Lock::~Lock() {
    release();
}

bool Lock::take() {
    if (m_file.isLocked())
        return true;
    if (!m_file.tryLock(0))
        return false;
    // The folder is this program's now: a socket left by a holder that is gone goes too.
    const QString name = serverNameFor(m_workPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        QLocalServer::removeServer(name);
        m_server->listen(name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            const auto read = [this, s] {
                while (s->canReadLine()) {
                    if (s->readLine() == kRaise)
                        Q_EMIT raiseRequested();
                }
            };
            connect(s, &QLocalSocket::readyRead, this, read);
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            read();
        }
    });
    return true;
}

bool Lock::callHolder() {
    QLocalSocket socket;
    socket.connectToServer(serverNameFor(m_workPath));
    if (!socket.waitForConnected(3000))
        return false;
    socket.write(kRaise);
    const bool sent = socket.waitForBytesWritten(3000);
    socket.disconnectFromServer();
    return sent;
}

void Lock::release() {
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_file.isLocked())
        m_file.unlock();
}

} // namespace instanceLock
