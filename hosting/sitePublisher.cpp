#include "hosting/sitePublisher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <zip.h>

namespace hosting {

namespace {

// An entry name that is one plain file name: no folders, no way out of the site folder.
bool isPlainName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 32)
            return false;
    }
    return true;
}

struct Archive {
    zip_t* za = nullptr;
    ~Archive() {
        if (za)
            zip_discard(za);
    }
};

// Extracts every entry of `file` into `folder`; `budget` is what may still be written.
bool extractAll(const QString& file, const QString& folder, qint64* budget, int* count,
                QString* error, bool requireDatabase) {
    int code = 0;
    Archive a;
    a.za = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!a.za) {
        *error = QStringLiteral("上传的文件不是有效的ZIP压缩包");
        return false;
    }
    const zip_int64_t n = zip_get_num_entries(a.za, 0);
    bool hasDatabase = false;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(a.za, static_cast<zip_uint64_t>(i), 0, &st) != 0) {
            *error = QStringLiteral("压缩包已损坏");
            return false;
        }
        const QString name = QString::fromUtf8(st.name);
        if (name.endsWith(u'/'))
            continue; // a folder entry: nothing to write
        if (!isPlainName(name)) {
            *error = QStringLiteral("压缩包中的文件名无效：") + name;
            return false;
        }
        if (name.compare(siteDatabaseName, Qt::CaseInsensitive) == 0)
            hasDatabase = true;
        zip_file_t* zf = zip_fopen_index(a.za, static_cast<zip_uint64_t>(i), 0);
        if (!zf) {
            *error = QStringLiteral("无法读取压缩包中的文件：") + name;
            return false;
        }
        QFile out(folder + name);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            zip_fclose(zf);
            *error = out.errorString();
            return false;
        }
        QByteArray buf(256 * 1024, Qt::Uninitialized);
        bool ok = true;
        for (;;) {
            const zip_int64_t got =
                zip_fread(zf, buf.data(), static_cast<zip_uint64_t>(buf.size()));
            if (got < 0) {
                *error = QStringLiteral("压缩包已损坏：") + name;
                ok = false;
                break;
            }
            if (got == 0)
                break;
            *budget -= got;
            if (*budget < 0) {
                *error = QStringLiteral("压缩包解压后过大");
                ok = false;
                break;
            }
            if (out.write(buf.constData(), got) != got) {
                *error = out.errorString();
                ok = false;
                break;
            }
        }
        zip_fclose(zf);
        if (!ok)
            return false;
        ++*count;
    }
    if (requireDatabase && !hasDatabase) {
        *error = QStringLiteral("压缩包中没有站点数据库") + siteDatabaseName;
        return false;
    }
    return true;
}

} // namespace

PublishResult publishArchive(const QString& archive, const QString& siteFolder, qint64 maxBytes) {
    PublishResult r;
    QString target = siteFolder;
    while (target.endsWith(u'/'))
        target.chop(1);
    const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
    const QString fresh = target + QStringLiteral(".new-") + tag + u'/';
    QDir().mkpath(fresh);
    qint64 budget = maxBytes;
    bool ok = extractAll(archive, fresh, &budget, &r.files, &r.error, true);
    if (ok) {
        const QFileInfoList inner = QDir(fresh).entryInfoList(QDir::Files);
        for (const QFileInfo& f : inner) {
            if (f.fileName().compare(u"images.zip", Qt::CaseInsensitive) != 0)
                continue;
            QDir().mkpath(fresh + QStringLiteral("images/"));
            ok = extractAll(f.absoluteFilePath(), fresh + QStringLiteral("images/"), &budget,
                            &r.files, &r.error, false);
            break;
        }
    }
    if (!ok) {
        QDir(fresh).removeRecursively();
        return r;
    }
    // The new site takes the old one's place; the old one goes only after that.
    const QString old = target + QStringLiteral(".old-") + tag;
    const bool hadOld = QFileInfo::exists(target);
    if (hadOld && !QDir().rename(target, old)) {
        QDir(fresh).removeRecursively();
        r.error = QStringLiteral("无法替换原有站点");
        return r;
    }
    if (!QDir().rename(fresh, target)) {
        if (hadOld)
            QDir().rename(old, target);
        QDir(fresh).removeRecursively();
        r.error = QStringLiteral("无法发布站点");
        return r;
    }
    if (hadOld)
        QDir(old).removeRecursively();
    r.ok = true;
    return r;
}

} // namespace hosting
