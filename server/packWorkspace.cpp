#include "server/packWorkspace.h"

#include "server/mdl_upData.h"

#include <QDir>
#include <QFileInfo>
#include <QTcpSocket>

#include <array>
#include <cmath>

#include <zip.h>
#include <zlib.h>

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

// Whether deflating a piece of content is likely to pay: its byte statistics leave room
// for a shorter code, or deflate finds enough repeats in it.
struct Probe {
    z_stream z{};
    bool ready = false;
    Probe() {
        ready = deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Probe() {
        if (ready)
            deflateEnd(&z);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // True when the bytes' entropy allows a code at least a tenth shorter.
    static bool skewed(const unsigned char* p, qsizetype n) {
        std::array<quint32, 256> counts{};
        for (qsizetype i = 0; i < n; ++i)
            ++counts[p[i]];
        double bits = 0;
        for (const quint32 c : counts) {
            if (c)
                bits -= double(c) * std::log2(double(c) / double(n));
        }
        return bits <= kShrinkEnough * 8.0 * double(n);
    }
    // True when deflate takes the block to at most `kShrinkEnough` of its size.
    bool deflates(const unsigned char* p, qsizetype n) {
        if (!ready || deflateReset(&z) != Z_OK)
            return true;
        unsigned char out[kProbeBlock + kProbeBlock / 8 + 64];
        z.next_in = const_cast<unsigned char*>(p);
        z.avail_in = static_cast<uInt>(n);
        z.next_out = out;
        z.avail_out = sizeof out;
        const int rc = deflate(&z, Z_FINISH);
        return rc == Z_STREAM_END && double(z.total_out) <= kShrinkEnough * double(n);
    }

    static constexpr qsizetype kProbeBlock = 4096;
    static constexpr double kShrinkEnough = 0.9;
};

// Decides by the content whether a file is deflated or stored. Three blocks, from the
// start, the middle and the end, are looked at; a file most of whose blocks have skewed
// byte statistics is deflated; otherwise the middle block is deflated on trial, which
// finds repeats that statistics miss. So pictures, films and archives under any name
// are stored, and a film whose index at its start is text is stored as well.
bool worthDeflating(const QString& path, qint64 size, Probe& probe) {
    constexpr qsizetype block = Probe::kProbeBlock;
    QFile f(path);
    if (size <= 0 || !f.open(QIODevice::ReadOnly))
        return true;
    QByteArray buf;
    QList<std::pair<qsizetype, qsizetype>> pieces; // offset in buf, length
    auto take = [&](qint64 at, qint64 n) {
        if (!f.seek(at))
            return;
        const qsizetype start = buf.size();
        buf.resize(start + n);
        const qint64 got = f.read(buf.data() + start, n);
        buf.resize(start + qMax<qint64>(0, got));
        if (got > 0)
            pieces.append({start, qsizetype(got)});
    };
    if (size <= 3 * block) {
        take(0, size);
    } else {
        take(0, block);
        take(size / 2 - block / 2, block);
        take(size - block, block);
    }
    if (pieces.isEmpty())
        return true;
    const auto* data = reinterpret_cast<const unsigned char*>(buf.constData());
    int votes = 0;
    for (const auto& [at, n] : pieces)
        votes += Probe::skewed(data + at, n);
    if (votes * 2 > pieces.size())
        return true;
    const auto& [at, n] = pieces.size() == 3 ? pieces.at(1) : pieces.at(0);
    return probe.deflates(data + at, qMin(n, block));
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

} // namespace

bool writeUploadArchive(const QString& target, const QList<ArchiveFile>& files,
                        QStringList* warnings, QString* error) {
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
    Probe probe;
    for (const ArchiveFile& f : files) {
        const QByteArray path = QFile::encodeName(f.path);
        zip_source_t* src = zip_source_file(za, path.constData(), 0, -1);
        if (!src) {
            *warnings << f.name + QStringLiteral(": ") + QString::fromLocal8Bit(zip_strerror(za));
            continue;
        }
        const QByteArray entry = f.name.toUtf8();
        const zip_int64_t idx =
            zip_file_add(za, entry.constData(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            *warnings << f.name + QStringLiteral(": ") + QString::fromLocal8Bit(zip_strerror(za));
            continue;
        }
        zip_set_file_compression(za, static_cast<zip_uint64_t>(idx),
                                 worthDeflating(f.path, QFileInfo(f.path).size(), probe)
                                     ? ZIP_CM_DEFLATE
                                     : ZIP_CM_STORE,
                                 0);
    }
    if (zip_close(za) != 0) {
        const int ze = zip_error_code_zip(zip_get_error(za));
        *error = failure(zipErrorText(zip_get_error(za)), ze);
        zip_discard(za);
        return false;
    }
    return true;
}

namespace {

// Writes `files` into a new archive `target` under their bare names.
bool writeArchive(const QString& target, const QFileInfoList& files, QStringList* warnings,
                  QString* error) {
    QList<ArchiveFile> named;
    for (const QFileInfo& f : files)
        named.append({f.fileName(), f.absoluteFilePath()});
    return writeUploadArchive(target, named, warnings, error);
}

} // namespace

bool removeServerScripts(const QString& workPath, QString* error) {
    const QString images = workPath + QStringLiteral("images/");
    return (!QFileInfo(images).isDir() || removeScripts(images, error)) &&
           removeScripts(workPath, error);
}

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
