#include "server/packWorkspace.h"

#include "server/mdl_upData.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTcpSocket>

#include <zip.h>

namespace mdl_upData {

namespace {

// Larger blocks keep the connection busy; a few of them queued bound the memory used.
constexpr qint64 kChunk = 256 * 1024;
constexpr qint64 kQueued = 4 * kChunk;

// A failure as the user sees it: number, where, description.
QString failure(const QString& description, int number = 0) {
    return QString::number(number) + QStringLiteral(" Form1::cmdZip_Click ") + description;
}

bool isScript(const QFileInfo& f) {
    return f.suffix().compare(u"asp", Qt::CaseInsensitive) == 0;
}

bool isCompressed(const QFileInfo& f) {
    static const QSet<QString> kinds{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),
        QStringLiteral("gif"),  QStringLiteral("webp"), QStringLiteral("zip"),
        QStringLiteral("rar"),  QStringLiteral("7z"),   QStringLiteral("gz"),
        QStringLiteral("bz2"),  QStringLiteral("xz"),   QStringLiteral("swf"),
        QStringLiteral("flv"),  QStringLiteral("mp3"),  QStringLiteral("mp4"),
        QStringLiteral("avi"),  QStringLiteral("wmv"),  QStringLiteral("rm"),
        QStringLiteral("rmvb"), QStringLiteral("mov"),  QStringLiteral("wma")};
    return kinds.contains(f.suffix().toLower());
}

QFileInfoList filesIn(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

// Removes a file even when it is read-only.
bool forceRemove(const QString& path) {
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner | QFile::WriteUser);
    return QFile::remove(path);
}

// Removes the server-side scripts lying directly in `folder`.
bool removeScripts(const QString& folder, QString* error) {
    for (const QFileInfo& f : filesIn(folder)) {
        if (isScript(f) && !forceRemove(f.absoluteFilePath())) {
            *error = failure(QStringLiteral("无法删除文件“%1”").arg(f.absoluteFilePath()));
            return false;
        }
    }
    return true;
}

// Removes every file of `folder` whose name is `name` in any letter case.
bool removeAnyCase(const QString& folder, const QString& name, bool force, QString* error) {
    for (const QFileInfo& f : filesIn(folder)) {
        if (f.fileName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const bool removed =
            force ? forceRemove(f.absoluteFilePath()) : QFile::remove(f.absoluteFilePath());
        if (!removed) {
            *error = failure(QStringLiteral("无法删除文件“%1”").arg(f.absoluteFilePath()));
            return false;
        }
    }
    return true;
}

QString zipErrorText(zip_error_t* err) {
    return QString::fromLocal8Bit(zip_error_strerror(err));
}

// Writes `files` into a new archive `target` under their bare names. A file the writer
// cannot add is named in `warnings` and left out. False only when the archive itself
// cannot be made.
bool writeArchive(const QString& target, const QFileInfoList& files, QStringList* warnings,
                  QString* error) {
    int code = 0;
    const QByteArray targetName = QFile::encodeName(target);
    zip_t* za = zip_open(targetName.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!za) {
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        *error = failure(zipErrorText(&err), code);
        zip_error_fini(&err);
        return false;
    }
    for (const QFileInfo& f : files) {
        const QByteArray path = QFile::encodeName(f.absoluteFilePath());
        zip_source_t* src = zip_source_file(za, path.constData(), 0, -1);
        if (!src) {
            *warnings << f.fileName() + QStringLiteral(": ") +
                             QString::fromLocal8Bit(zip_strerror(za));
            continue;
        }
        const QByteArray entry = f.fileName().toUtf8();
        const zip_int64_t idx =
            zip_file_add(za, entry.constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            *warnings << f.fileName() + QStringLiteral(": ") +
                             QString::fromLocal8Bit(zip_strerror(za));
            continue;
        }
        zip_set_file_compression(za, static_cast<zip_uint64_t>(idx),
                                 isCompressed(f) ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(za) != 0) {
        const int ze = zip_error_code_zip(zip_get_error(za));
        *error = failure(zipErrorText(zip_get_error(za)), ze);
        zip_discard(za);
        return false;
    }
    return true;
}

} // namespace

QString archivePath(const QString& installPath) {
    return installPath + archiveName;
}

PackResult packWorkspace(const QString& installPath, const QString& workPath) {
    PackResult r;
    if (!QFileInfo(workPath).isDir()) {
        r.error = failure(QStringLiteral("工作目录不存在：") + workPath);
        return r;
    }
    if (!removeAnyCase(installPath, archiveName, true, &r.error))
        return r;

    const QString images = workPath + QStringLiteral("images/");
    if (QFileInfo(images).isDir()) {
        if (!removeScripts(images, &r.error))
            return r;
        if (!removeAnyCase(workPath, imagesArchiveName, false, &r.error))
            return r;
        const QFileInfoList pictures = filesIn(images);
        if (!pictures.isEmpty() &&
            !writeArchive(workPath + imagesArchiveName, pictures, &r.warnings, &r.error))
            return r;
    }

    if (!removeScripts(workPath, &r.error))
        return r;
    const QFileInfoList files = filesIn(workPath);
    if (files.isEmpty()) {
        r.error = failure(QStringLiteral("工作目录中没有文件：") + workPath);
        return r;
    }
    if (!writeArchive(archivePath(installPath), files, &r.warnings, &r.error))
        return r;
    r.size = QFileInfo(archivePath(installPath)).size();
    r.ok = true;
    return r;
}

ArchiveSender::ArchiveSender(QObject* parent) : QObject(parent) {}

bool ArchiveSender::start(QTcpSocket* socket, const QString& file, qint64 size, QString* error) {
    abort();
    m_file.setFileName(file);
    if (!m_file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    if (m_file.size() < size || size <= 0) {
        m_file.close();
        if (error)
            *error = QStringLiteral("文件“%1”的长度与通告的不符").arg(file);
        return false;
    }
    m_socket = socket;
    m_size = size;
    m_queued = 0;
    m_sent = 0;
    m_active = true;
    connect(socket, &QTcpSocket::bytesWritten, this, &ArchiveSender::onBytesWritten);
    pump();
    return true;
}

void ArchiveSender::abort() {
    if (m_socket)
        disconnect(m_socket, nullptr, this, nullptr);
    m_socket.clear();
    m_file.close();
    m_active = false;
}

void ArchiveSender::pump() {
    while (m_active && m_socket && m_queued < m_size && m_socket->bytesToWrite() < kQueued) {
        const QByteArray block = m_file.read(qMin(kChunk, m_size - m_queued));
        if (block.isEmpty()) {
            abort();
            return;
        }
        if (m_socket->write(block) != block.size()) {
            abort();
            return;
        }
        m_queued += block.size();
    }
}

void ArchiveSender::onBytesWritten(qint64 bytes) {
    if (!m_active)
        return;
    // Only the archive's own bytes count, even if a text message was queued before it.
    const qint64 counted = qMin(bytes, m_size - m_sent);
    m_sent += counted;
    if (counted > 0)
        Q_EMIT progress(counted);
    pump();
    if (m_active && m_sent >= m_size) {
        abort();
        Q_EMIT finished();
    }
}

} // namespace mdl_upData
