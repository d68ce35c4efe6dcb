#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fileops {

bool replaceWith(const QString& from, const QString& to, QString* why) {
    if (!QFileInfo(from).isFile()) {
        *why = QStringLiteral("找不到文件“%1”").arg(QDir::toNativeSeparators(from));
        return false;
    }
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(from);
    if (!source.copy(partial)) {
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
