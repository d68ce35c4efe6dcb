#include "hosting/sitePublisher.h"

#include "hosting/changesUpload.h"
#include "hosting/webFiles.h"

#include "publish/publish.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
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

QString siteLimit(const Quotas& q) {
    return QStringLiteral("站点解压后超过空间限额 ") + sizeText(q.siteBytes);
}

struct Archive {
    zip_t* za = nullptr;
    ~Archive() {
        if (za)
            zip_discard(za);
    }
};

struct Unpacker {
    const Quotas& quotas;
    const std::atomic_bool* cancel;
    UnpackResult& r;
    int entriesSeen = 0;

    bool refuse(const QString& why) {
        r.error = why;
        return false;
    }
    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }

    // Extracts every entry of `file` into `folder`. A refusal names an entry as it lay in the
    // user's working folder: `shownFolder` followed by its name.
    bool extractAll(const QString& file, const QString& folder, bool requireDatabase,
                    const QString& shownFolder = {}) {
        int code = 0;
        Archive a;
        a.za = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
        if (!a.za)
            return refuse(QStringLiteral("上传的文件不是有效的ZIP压缩包"));
        const zip_int64_t n = zip_get_num_entries(a.za, 0);
        if (n < 0 || entriesSeen + n > quotas.entries)
            return refuse(QStringLiteral("压缩包中的文件超过 %1 个").arg(quotas.entries));
        entriesSeen += int(n);

        // The sizes the archive announces, checked before a byte is written.
        QList<zip_stat_t> entries;
        entries.reserve(n);
        qint64 announced = r.bytes;
        bool hasDatabase = false;
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            if (zip_stat_index(a.za, static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
                !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
                return refuse(QStringLiteral("压缩包已损坏"));
            const QString name = QString::fromUtf8(st.name);
            if (name.endsWith(u'/'))
                continue; // a folder entry: nothing to write
            if (!isPlainName(name))
                return refuse(QStringLiteral("压缩包中的文件名无效：") + shownFolder + name);
            if (name.compare(siteDatabaseName, Qt::CaseInsensitive) == 0)
                hasDatabase = true;
            const qint64 size = qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(1) << 62));
            // The pictures' archive only holds files of the user's: each of them is held to
            // the file quota as it is unpacked, and named as it lay in the working folder.
            const bool picturesArchive =
                requireDatabase && name.compare(u"images.zip", Qt::CaseInsensitive) == 0;
            if (size > quotas.entryBytes && !picturesArchive)
                return refuse(QStringLiteral("文件 %1 解压后超过单个文件限额 %2")
                                  .arg(shownFolder + name, sizeText(quotas.entryBytes)));
            announced += size;
            if (announced > quotas.siteBytes)
                return refuse(siteLimit(quotas));
            entries << st;
        }
        if (requireDatabase && !hasDatabase)
            return refuse(QStringLiteral("压缩包中没有站点数据库") + siteDatabaseName);

        QByteArray buf(256 * 1024, Qt::Uninitialized);
        for (const zip_stat_t& st : std::as_const(entries)) {
            if (cancelled())
                return refuse(QStringLiteral("服务器正在停止"));
            const QString name = QString::fromUtf8(st.name);
            const QString shown = shownFolder + name;
            zip_file_t* zf = zip_fopen_index(a.za, st.index, 0);
            if (!zf)
                return refuse(QStringLiteral("无法读取压缩包中的文件：") + shown);
            QFile out(folder + name);
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                zip_fclose(zf);
                return refuse(QStringLiteral("无法写入文件：") + shown);
            }
            // The bytes as they come out: never more than the archive said, so that
            // sizes it lies about cannot get past the quotas checked above.
            const qint64 said = qint64(st.size);
            qint64 written = 0;
            bool ok = true;
            for (;;) {
                const zip_int64_t got =
                    zip_fread(zf, buf.data(), static_cast<zip_uint64_t>(buf.size()));
                if (got < 0) {
                    ok = refuse(QStringLiteral("压缩包已损坏：") + shown);
                    break;
                }
                if (got == 0)
                    break;
                written += got;
                r.bytes += got;
                if (written > said) {
                    ok = refuse(QStringLiteral("压缩包已损坏：") + shown);
                    break;
                }
                if (r.bytes > quotas.siteBytes) {
                    ok = refuse(siteLimit(quotas));
                    break;
                }
                if (out.write(buf.constData(), got) != got) {
                    ok = refuse(QStringLiteral("无法写入文件：") + shown + QStringLiteral("：") +
                                out.errorString());
                    break;
                }
                if (cancelled()) {
                    ok = refuse(QStringLiteral("服务器正在停止"));
                    break;
                }
            }
            zip_fclose(zf);
            if (!ok)
                return false;
            if (written != said)
                return refuse(QStringLiteral("压缩包已损坏：") + shown);
            ++r.files;
        }
        return true;
    }
};

QString withoutSlash(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

QString sizeText(qint64 bytes) {
    if (bytes >= (qint64(1) << 20) && bytes % (qint64(1) << 20) == 0)
        return QString::number(bytes >> 20) + QStringLiteral(" MB");
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QString::number(bytes >> 10) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" 字节");
}

UnpackResult unpackArchive(const QString& archive, const QString& folder, const Quotas& quotas,
                           const std::atomic_bool* cancel) {
    UnpackResult r;
    const QString dir = folder.endsWith(u'/') ? folder : folder + u'/';
    Unpacker u{quotas, cancel, r};
    if (!u.extractAll(archive, dir, true))
        return r;
    const QFileInfoList inner = QDir(dir).entryInfoList(QDir::Files);
    for (const QFileInfo& f : inner) {
        if (f.fileName().compare(u"images.zip", Qt::CaseInsensitive) != 0)
            continue;
        if (!QDir().mkpath(dir + QStringLiteral("images/"))) {
            r.error = QStringLiteral("无法建立图片文件夹");
            return r;
        }
        if (!u.extractAll(f.absoluteFilePath(), dir + QStringLiteral("images/"), false,
                          QStringLiteral("images/")))
            return r;
        break;
    }
    r.ok = true;
    return r;
}

PublishOutcome prepareSite(const PublishJob& job, const std::atomic_bool* cancel) {
    PublishOutcome o;
    const QString work = job.workDir.endsWith(u'/') ? job.workDir : job.workDir + u'/';
    o.uploadFolder = work + QStringLiteral("upload/");
    o.siteFolder = work + QStringLiteral("www/");
    if (!QDir().mkpath(o.uploadFolder)) {
        QFile::remove(job.archive);
        o.error = QStringLiteral("无法建立站点文件夹");
        return o;
    }
    if (job.manifest) {
        const AssembleResult a =
            assembleUpload(job.archive, job.previous, o.uploadFolder, *job.manifest, job.quotas, cancel);
        QFile::remove(job.archive);
        o.files = a.files;
        if (!a.ok) {
            o.error = a.error;
            o.needWhole = a.needWhole;
            return o;
        }
        if (job.assembled)
            job.assembled();
    } else {
        const UnpackResult u = unpackArchive(job.archive, o.uploadFolder, job.quotas, cancel);
        QFile::remove(job.archive);
        o.files = u.files;
        if (!u.ok) {
            o.error = u.error;
            return o;
        }
        // Without its index the next upload of changes asks for the whole archive.
        writeContentsIndex(o.uploadFolder);
    }
    o.unpacked = true;
    if (cancel && cancel->load()) {
        o.error = QStringLiteral("服务器正在停止");
        return o;
    }
    publish::Options options;
    options.uploadDir = o.uploadFolder;
    options.skinsDir = job.skinsDir;
    options.outDir = o.siteFolder;
    options.publicAddress = job.publicAddress;
    options.pictureCache = job.pictureCache;
    options.pictureWorkers = job.pictureWorkers;
    const publish::Result rendered = publish::renderSite(options);
    o.rendered = rendered.ok;
    o.error = rendered.error;
    o.pages = rendered.pages;
    o.renderLog = rendered.log;
    // Visitors' browsers take the text files compressed, and a missing page finds the
    // site's own answer (the renderer writes one in the site's skin; this one is for a
    // site whose pages bring none).
    QString why;
    if (o.rendered && !(writeNotFoundPage(o.siteFolder) && writeCompressedCopies(o.siteFolder, &why))) {
        o.rendered = false;
        o.error = QStringLiteral("无法写入网页：") + why;
    }
    return o;
}

bool replaceFolder(const QString& fresh, const QString& target, const QString& retired,
                   QString* error) {
    const QByteArray from = QFile::encodeName(withoutSlash(fresh));
    const QByteArray to = QFile::encodeName(withoutSlash(target));
    const QByteArray away = QFile::encodeName(withoutSlash(retired));
    const auto fail = [&](const char* what) {
        if (error)
            *error = QString::fromLatin1(what) + QStringLiteral(": ") +
                     QString::fromLocal8Bit(std::strerror(errno));
        return false;
    };
    QDir().mkpath(QFileInfo(withoutSlash(target)).absolutePath());
    if (!QFileInfo::exists(withoutSlash(target)))
        return std::rename(from.constData(), to.constData()) == 0 || fail("rename");
#ifdef RENAME_EXCHANGE
    // Both in one step: the new folder in place, the old one where the new one was.
    // (Should the old one not move on, it stays where the new one was, which goes too.)
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        std::rename(from.constData(), away.constData());
        return true;
    }
#endif
    // The file system cannot exchange: the old folder steps aside for the new one.
    if (std::rename(to.constData(), away.constData()) != 0)
        return fail("rename");
    if (std::rename(from.constData(), to.constData()) != 0) {
        const bool failed = fail("rename");
        std::rename(away.constData(), to.constData());
        return failed;
    }
    return true;
}

} // namespace hosting
