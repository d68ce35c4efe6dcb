#pragma once
// One running program per working folder. The program that opens a folder holds a lock
// file beside it for as long as it runs; a later start on the same folder finds the lock
// held and asks the holder, over a local socket named after the folder, to come to the
// front. A lock left by a program that is gone (after a crash) is taken over.

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

namespace instanceLock {

// The lock file of the working folder `workPath` (ending with "/"): beside the folder, or
// in the temporary folder when the folder's parent cannot be written.
QString lockFileFor(const QString& workPath);
// The name of the local socket the holder of `workPath` listens on.
QString serverNameFor(const QString& workPath);

class Lock : public QObject {
    Q_OBJECT
public:
    explicit Lock(const QString& workPath, QObject* parent = nullptr);
    ~Lock() override;

    // Takes the folder's lock, also from a program that is gone, and listens for later
    // starts. False when another running program holds it.
    bool take();
    bool isHeld() const { return m_file.isLocked(); }
    // Asks the running program that holds the lock to come to the front. False when it
    // could not be reached.
    bool callHolder();
    // Lets the folder go: the next start takes it.
    void release();

Q_SIGNALS:
    // A later start on the same folder asked this program to come to the front.
    void raiseRequested();

private:
    QString m_workPath;
    QLockFile m_file;
    QLocalServer* m_server = nullptr;
};

} // namespace instanceLock
