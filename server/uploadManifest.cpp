#include "server/uploadManifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <openssl/evp.h>

namespace mdl_upData {

namespace {

const QString kDatabase = QStringLiteral("dalmbuilder.tdc");
const QString kImagesArchive = QStringLiteral("images.zip");

bool isPlain(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 32 || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

bool isScript(const QFileInfo& f) {
    return f.suffix().compare(u"asp", Qt::CaseInsensitive) == 0;
}

QFileInfoList filesIn(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

qint64 manifestBytes(const Manifest& m) {
    qint64 total = 0;
    for (const ManifestEntry& e : m)
        total += e.size;
    return total;
}

QByteArray manifestText(const Manifest& m) {
    QByteArray out;
    for (const ManifestEntry& e : m)
        out += e.hash + ' ' + QByteArray::number(e.size) + ' ' + e.name.toUtf8() + '\n';
    return out;
}

bool isManifestName(const QString& name) {
    if (name.startsWith(imagesFolder))
        return isPlain(QStringView(name).mid(imagesFolder.size()));
    // The pictures' archive is unpacked into "images/": its files are listed there.
    return isPlain(name) && name.compare(kImagesArchive, Qt::CaseInsensitive) != 0;
}

bool isHash(const QByteArray& hash) {
    if (hash.size() != hashLength)
        return false;
    for (const char c : hash) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

std::optional<Manifest> parseManifest(const QByteArray& text, const ManifestLimits& limits,
                                      QString* error) {
    const auto refuse = [&](const QString& why) -> std::optional<Manifest> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    Manifest m;
    QSet<QString> names;
    qint64 total = 0;
    bool hasDatabase = false;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            return refuse(QStringLiteral("文件清单不完整"));
        const QByteArray line = text.mid(at, end - at);
        at = end + 1;
        const qsizetype s1 = line.indexOf(' ');
        const qsizetype s2 = s1 < 0 ? -1 : line.indexOf(' ', s1 + 1);
        if (s2 < 0)
            return refuse(QStringLiteral("文件清单格式错误"));
        ManifestEntry e;
        e.hash = line.left(s1);
        bool ok = false;
        const QByteArray sizeText = line.mid(s1 + 1, s2 - s1 - 1);
        e.size = sizeText.toLongLong(&ok);
        e.name = QString::fromUtf8(line.mid(s2 + 1));
        if (!isHash(e.hash) || !ok || e.size < 0 || sizeText.startsWith('+'))
            return refuse(QStringLiteral("文件清单格式错误"));
        if (!isManifestName(e.name))
            return refuse(QStringLiteral("文件清单中的文件名无效：") + e.name);
        if (names.contains(e.name))
            return refuse(QStringLiteral("文件清单中的文件名重复：") + e.name);
        names.insert(e.name);
        if (m.size() >= limits.entries)
            return refuse(QStringLiteral("压缩包中的文件超过 %1 个").arg(limits.entries));
        if (e.size > limits.entryBytes)
            return refuse(QStringLiteral("文件 %1 解压后超过单个文件限额 %2")
                              .arg(e.name, byteSize(limits.entryBytes)));
        total += e.size;
        if (total > limits.siteBytes)
            return refuse(QStringLiteral("站点解压后超过空间限额 ") + byteSize(limits.siteBytes));
        if (e.name.compare(kDatabase, Qt::CaseInsensitive) == 0)
            hasDatabase = true;
        m << e;
    }
    if (!hasDatabase)
        return refuse(QStringLiteral("压缩包中没有站点数据库") + kDatabase);
    return m;
}

ContentHasher::ContentHasher() : m_ctx(EVP_MD_CTX_new()) {
    EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_ctx), EVP_sha256(), nullptr);
}

ContentHasher::~ContentHasher() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_ctx));
}

void ContentHasher::add(const char* data, qint64 n) {
    EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(m_ctx), data, size_t(n));
}

QByteArray ContentHasher::result() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    auto* ctx = static_cast<EVP_MD_CTX*>(m_ctx);
    EVP_DigestFinal_ex(ctx, digest, &n);
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    return QByteArray(reinterpret_cast<const char*>(digest), int(n)).toHex();
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    ContentHasher h;
    QByteArray buf(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = f.read(buf.data(), buf.size());
        if (got < 0)
            return {};
        if (got == 0)
            break;
        h.add(buf.constData(), got);
    }
    return h.result();
}

QByteArray framed(const QString& tag, const QByteArray& body) {
    return tag.toLatin1() + QByteArray::number(body.size()) + ':' + body;
}

Frame takeFramed(QByteArray& buffer, const QString& tag, qint64 maxBody, QByteArray* body) {
    const qsizetype start = tag.size();
    qsizetype p = start;
    while (p < buffer.size() && buffer[p] >= '0' && buffer[p] <= '9')
        ++p;
    if (p == buffer.size())
        return p - start > 12 ? Frame::Invalid : Frame::Incomplete;
    if (p == start || buffer[p] != ':')
        return Frame::Invalid;
    bool ok = false;
    const qint64 length = buffer.mid(start, p - start).toLongLong(&ok);
    if (!ok || length > maxBody)
        return Frame::Invalid;
    if (buffer.size() - (p + 1) < length)
        return Frame::Incomplete;
    *body = buffer.mid(p + 1, length);
    buffer.remove(0, p + 1 + length);
    return Frame::Complete;
}

QList<WorkspaceFile> workspaceFiles(const QString& workPath, bool* strayArchive) {
    const bool hasImages = QFileInfo(workPath + imagesFolder).isDir();
    QList<WorkspaceFile> files;
    for (const QFileInfo& f : filesIn(workPath)) {
        if (isScript(f))
            continue;
        if (f.fileName().compare(kImagesArchive, Qt::CaseInsensitive) == 0) {
            if (!hasImages && strayArchive)
                *strayArchive = true;
            continue;
        }
        files.append({f.fileName(), f});
    }
    if (hasImages) {
        for (const QFileInfo& f : filesIn(workPath + imagesFolder)) {
            if (!isScript(f))
                files.append({imagesFolder + f.fileName(), f});
        }
    }
    return files;
}

std::optional<Manifest> workspaceManifest(const QString& workPath, QString* error) {
    bool strayArchive = false;
    const QList<WorkspaceFile> files = workspaceFiles(workPath, &strayArchive);
    // Without "images/" an "images.zip" of the user's own travels as it is and the server
    // unpacks it: only the whole archive does that.
    if (strayArchive) {
        *error = QStringLiteral("工作目录中有图片压缩包而没有图片文件夹");
        return std::nullopt;
    }
    Manifest m;
    for (const auto& [name, f] : files) {
        if (!isManifestName(name)) {
            *error = QStringLiteral("文件名无效：") + name;
            return std::nullopt;
        }
        ManifestEntry e;
        e.name = name;
        e.path = f.absoluteFilePath();
        e.size = f.size();
        e.hash = fileHash(e.path);
        if (e.hash.isEmpty()) {
            *error = QStringLiteral("无法读取文件“%1”").arg(e.path);
            return std::nullopt;
        }
        m << e;
    }
    return m;
}

QList<QByteArray> neededHashes(const QByteArray& body) {
    QList<QByteArray> out;
    QSet<QByteArray> seen;
    for (const QByteArray& line : body.split('\n')) {
        if (isHash(line) && !seen.contains(line)) {
            seen.insert(line);
            out << line;
        }
    }
    return out;
}

QString byteSize(qint64 bytes) {
    constexpr qint64 kb = 1024, mb = kb * 1024, gb = mb * 1024;
    if (bytes < kb)
        return QString::number(bytes) + QStringLiteral(" 字节");
    // Limits are round numbers and read as set.
    if (bytes % mb == 0)
        return QString::number(bytes / mb) + QStringLiteral(" MB");
    if (bytes < mb)
        return QString::number(qMax<qint64>(1, (bytes + kb / 2) / kb)) + QStringLiteral(" KB");
    if (bytes < 10 * mb)
        return QString::number(double(bytes) / mb, 'f', 1) + QStringLiteral(" MB");
    if (bytes < gb)
        return QString::number((bytes + mb / 2) / mb) + QStringLiteral(" MB");
    return QString::number(double(bytes) / gb, 'f', 1) + QStringLiteral(" GB");
}

} // namespace mdl_upData
