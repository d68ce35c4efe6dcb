#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    if (QFileInfo::exists(to) && !QFile::remove(to)) {
        QFile::remove(partial);
        *why = QStringLiteral("无法替换文件“%1”").arg(QDir::toNativeSeparators(to));
        return false;
    }
    if (!QFile::rename(partial, to)) {
        QFile::remove(partial);
        *why = QStringLiteral("无法复制“%1”到“%2”")
                   .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to));
        return false;
    }
    return true;
}

} // namespace fileops
