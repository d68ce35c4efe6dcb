#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fileops {

namespace {

// Copies block by block, telling `copied` after each block.
bool copyInBlocks(QFile& source, const QString& target,
                  const std::function<void(qint64)>& copied) {
    QFile out(target);
    if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kBlock = 1 << 20;
    qint64 done = 0;
    while (!source.atEnd()) {
        const QByteArray block = source.read(kBlock);
        if (block.isEmpty() && source.error() != QFileDevice::NoError)
            return false;
        if (out.write(block) != block.size())
            return false;
        done += block.size();
        copied(done);
    }
    return out.flush();
}

} // namespace

bool replaceWith(const QString& from, const QString& to, QString* why,
                 const std::function<void(qint64)>& copied) {
    if (!QFileInfo(from).isFile()) {
        *why = QStringLiteral("找不到文件“%1”").arg(QDir::toNativeSeparators(from));
        return false;
    }
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(from);
    if (copied ? !copyInBlocks(source, partial, copied) : !source.copy(partial)) {
        *why = QStringLiteral("无法复制“%1”到“%2”：%3")
                   .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                        source.errorString());
        QFile::remove(partial);
        return false;
    }
    QFile::setPermissions(partial,
                          QFile::permissions(partial) | QFile::WriteOwner | QFile::ReadOwner);
    // One rename puts the copy over the target: at every moment one of the two files is
    // there under the target's name.
    if (::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partial);
        *why = QStringLiteral("无法替换文件“%1”：%2").arg(QDir::toNativeSeparators(to), reason);
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

bool replaceFolder(const QString& fresh, const QString& target, QString* why) {
    const QString newPath = bare(fresh);
    const QString path = bare(target);
    const QString old = path + QStringLiteral(".old");
    QDir(old).removeRecursively();
    const bool hadOld = QFileInfo::exists(path);
    if (hadOld && !QDir().rename(path, old)) {
        QDir(newPath).removeRecursively();
        *why = QStringLiteral("无法替换文件夹“%1”").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!QDir().rename(newPath, path)) {
        if (hadOld)
            QDir().rename(old, path);
        QDir(newPath).removeRecursively();
        *why = QStringLiteral("无法替换文件夹“%1”").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (hadOld)
        QDir(old).removeRecursively();
    return true;
}

} // namespace fileops
