#pragma once
// Packing the working folder for upload and streaming the archive onto the connection.

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QTcpSocket;

namespace mdl_upData {

struct PackResult {
    bool ok = false;
    // Why packing failed, as shown to the user.
    QString error;
    // Files the archive writer could not add; the archive holds the rest.
    QStringList warnings;
    // The upload archive's length in bytes.
    qint64 size = 0;
};

// The upload archive: "ZIPTEST.ZIP" in the installation's data root.
QString archivePath(const QString& installPath);

// Packs the working folder `workPath` for upload. Server-side scripts ("*.asp") are
// removed from the working folder and its "images" subfolder first; the files of
// "images" go into "images.zip" in the working folder (none is made when it holds no
// file); then every file lying directly in the working folder goes into "ZIPTEST.ZIP" of
// `installPath`, replacing an older archive of that name in any letter case. Content that
// deflate would hardly shrink (pictures, films, archives, whatever their names) is stored,
// the rest deflated.
PackResult packWorkspace(const QString& installPath, const QString& workPath);

// One file of an upload archive: its name in the archive and where it is read.
struct ArchiveFile {
    QString name;
    QString path;
};
// Writes `files` into a new archive `target`, storing or deflating each by its content. A
// file the writer cannot add is named in `warnings` and left out. False, with `error` set,
// only when the archive itself cannot be made.
bool writeUploadArchive(const QString& target, const QList<ArchiveFile>& files,
                        QStringList* warnings, QString* error);

// Removes the server-side scripts ("*.asp") from the working folder and its "images"
// subfolder, as packing does.
bool removeServerScripts(const QString& workPath, QString* error);

// Writes a file onto a connection in chunks, keeping only a little of it queued, and
// reports every block the connection hands on.
class ArchiveSender : public QObject {
    Q_OBJECT
public:
    explicit ArchiveSender(QObject* parent = nullptr);

    // Starts sending the first `size` bytes of `file` on `socket`. False, with `error`
    // set, when the file cannot be read or holds fewer bytes.
    bool start(QTcpSocket* socket, const QString& file, qint64 size, QString* error = nullptr);
    // Stops sending; nothing more is queued.
    void abort();
    bool isActive() const { return m_active; }
    qint64 sent() const { return m_sent; }

Q_SIGNALS:
    // Bytes the connection just handed on.
    void progress(qint64 bytes);
    // Every byte of the archive was handed on.
    void finished();

private:
    void pump();
    void onBytesWritten(qint64 bytes);

    QPointer<QTcpSocket> m_socket;
    QFile m_file;
    qint64 m_size = 0;
    qint64 m_queued = 0;
    qint64 m_sent = 0;
    bool m_active = false;
};

} // namespace mdl_upData
