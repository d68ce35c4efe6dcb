#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QDirIterator>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace fileops {

namespace {

// Writes all of `size` bytes, going on after an interrupted call.
bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// Copies `from` into the new file `to` block by block, telling `copied` after each block.
// On failure `why` holds the system's reason.
bool copyInBlocks(const QString& from, const QString& to,
                  const std::function<void(qint64)>& copied, QString* why) {
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *why = QStringLiteral("无法读取：") + reason(errno);
        return false;
    }
    const int out = ::open(QFile::encodeName(to).constData(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        *why = QStringLiteral("无法写入：") + reason(errno);
        ::close(in);
        return false;
    }
    constexpr size_t kBlock = 1 << 20;
    QByteArray block(kBlock, Qt::Uninitialized);
    qint64 done = 0;
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, block.data(), kBlock);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = QStringLiteral("无法读取：") + reason(errno);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (!writeAll(out, block.constData(), n)) {
            *why = QStringLiteral("无法写入：") + reason(errno);
            ok = false;
            break;
        }
        done += n;
        if (copied)
            copied(done);
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        *why = QStringLiteral("无法写入：") + reason(errno);
        ok = false;
    }
    return ok;
}

} // namespace

QString reason(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出了磁盘配额");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有访问权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case EFBIG:
        return QStringLiteral("文件超出了系统允许的大小");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("已有同名的文件或文件夹");
    case EBUSY:
        return QStringLiteral("文件或文件夹正在使用中");
    case EXDEV:
        return QStringLiteral("不在同一个磁盘上");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case EINVAL:
        return QStringLiteral("无效的操作（例如把文件夹移到它自己里面）");
    case ELOOP:
        return QStringLiteral("符号链接太多");
    default:
        return QStringLiteral("系统错误 %1（%2）")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

bool replaceWith(const QString& from, const QString& to, QString* why,
                 const std::function<void(qint64)>& copied) {
    if (!QFileInfo(from).isFile()) {
        *why = QStringLiteral("找不到文件“%1”").arg(QDir::toNativeSeparators(from));
        return false;
    }
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    QString failure;
    if (!copyInBlocks(from, partial, copied, &failure)) {
        *why = QStringLiteral("无法复制“%1”到“%2”，%3")
                   .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to), failure);
        QFile::remove(partial);
        return false;
    }
    // One rename puts the copy over the target: at every moment one of the two files is
    // there under the target's name.
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) != 0) {
        const QString cause = reason(errno);
        QFile::remove(partial);
        *why = QStringLiteral("无法替换文件“%1”：%2").arg(QDir::toNativeSeparators(to), cause);
        return false;
    }
    return true;
}

} // namespace fileops

namespace fileops {

namespace {

QString bare(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

bool copyInto(const QString& from, const QString& to, const QString& prefix, QString* why,
              const Skip& skip, QStringList* written, const std::function<void(qint64)>& copied,
              qint64* done) {
    if (!QDir().mkpath(to)) {
        *why = QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(to));
        return false;
    }
    const QFileInfoList entries = QDir(from).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries) {
        const QString relative = prefix + e.fileName();
        if (skip && skip(relative))
            continue;
        const QString target = to + u'/' + e.fileName();
        if (e.isDir() && !e.isSymLink()) {
            if (!copyInto(e.absoluteFilePath(), target, relative + u'/', why, skip, written,
                          copied, done))
                return false;
        } else {
            const qint64 before = *done;
            std::function<void(qint64)> tell;
            if (copied)
                tell = [&copied, before](qint64 n) { copied(before + n); };
            if (!replaceWith(e.absoluteFilePath(), target, why, tell))
                return false;
            *done = before + e.size();
            if (written)
                *written << relative;
        }
    }
    return true;
}

} // namespace

bool copyFolder(const QString& from, const QString& to, QString* why, const Skip& skip,
                QStringList* written, const std::function<void(qint64)>& copied) {
    if (!QFileInfo(from).isDir()) {
        *why = QStringLiteral("找不到文件夹“%1”").arg(QDir::toNativeSeparators(from));
        return false;
    }
    qint64 done = 0;
    return copyInto(bare(from), bare(to), QString(), why, skip, written, copied, &done);
}

bool removeFolder(const QString& folder) {
    const QString path = bare(folder);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() && !info.isSymLink()) {
        // A folder that cannot be written keeps its entries: its owner may make it
        // writable first, as a file manager asks to.
        QDirIterator it(path, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        QStringList folders{path};
        while (it.hasNext()) {
            const QString sub = it.next();
            if (!QFileInfo(sub).isSymLink())
                folders << sub;
        }
        for (const QString& f : folders)
            QFile::setPermissions(f, QFile::permissions(f) | QFile::ReadOwner |
                                         QFile::WriteOwner | QFile::ExeOwner);
        QDir(path).removeRecursively();
    } else {
        QFile::remove(path);
    }
    return !QFileInfo::exists(path) && !QFileInfo(path).isSymLink();
}

QString freeName(const QString& path) {
    const QString base = bare(path);
    QString name = base;
    for (int n = 2; !removeFolder(name); ++n)
        name = base + u'-' + QString::number(n);
    return name;
}

bool syncFileSystem(const QString& folder) {
    const int fd = ::open(QFile::encodeName(bare(folder)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

bool renameFolder(const QString& from, const QString& to, QString* why) {
    if (::rename(QFile::encodeName(bare(from)).constData(), QFile::encodeName(bare(to)).constData()) ==
        0)
        return true;
    *why = QStringLiteral("无法将“%1”改名为“%2”：%3")
               .arg(QDir::toNativeSeparators(bare(from)), QDir::toNativeSeparators(bare(to)),
                    reason(errno));
    return false;
}

bool replaceFolder(const QString& fresh, const QString& target, QString* why) {
    const QString newPath = bare(fresh);
    const QString path = bare(target);
    // A leftover that cannot be removed never stands in the way: the old folder takes a
    // name that is free.
    const QString old = freeName(path + QStringLiteral(".old"));
    const bool hadOld = QFileInfo::exists(path);
    if (hadOld && !renameFolder(path, old, why)) {
        removeFolder(newPath);
        return false;
    }
    if (!renameFolder(newPath, path, why)) {
        if (hadOld)
            QDir().rename(old, path);
        removeFolder(newPath);
        return false;
    }
    if (hadOld)
        removeFolder(old);
    return true;
}

} // namespace fileops
