#include "hosting/changesUpload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <unistd.h>
#include <zip.h>

namespace hosting {

using mdl_upData::Manifest;
using mdl_upData::ManifestEntry;

namespace {

QFileInfoList filesIn(const QString& folder) {
    return QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
}

bool saveIndex(const QString& folder, const Manifest& m, QString* error) {
    QSaveFile f(folder + contentsIndexName);
    if (!f.open(QIODevice::WriteOnly) || f.write(mdl_upData::manifestText(m)) < 0 || !f.commit()) {
        if (error)
            *error = f.errorString();
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

} // namespace

mdl_upData::ManifestLimits manifestLimits(const Quotas& q) {
    return {q.entries, q.entryBytes, q.siteBytes};
}

bool writeContentsIndex(const QString& folder, QString* error) {
    Manifest m;
    const auto add = [&](const QString& name, const QFileInfo& f) {
        if (!mdl_upData::isManifestName(name))
            return true;
        ManifestEntry e{name, f.size(), mdl_upData::fileHash(f.absoluteFilePath()), {}};
        if (e.hash.isEmpty()) {
            if (error)
                *error = QStringLiteral("cannot read ") + f.absoluteFilePath();
            return false;
        }
        m << e;
        return true;
    };
    for (const QFileInfo& f : filesIn(folder)) {
        if (!add(f.fileName(), f))
            return false;
    }
    for (const QFileInfo& f : filesIn(folder + mdl_upData::imagesFolder)) {
        if (!add(mdl_upData::imagesFolder + f.fileName(), f))
            return false;
    }
    return saveIndex(folder, m, error);
}

std::optional<Manifest> readContentsIndex(const QString& folder) {
    if (folder.isEmpty())
        return std::nullopt;
    QFile f(folder + contentsIndexName);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Written by the server itself for an upload that passed the quotas of its day.
    const mdl_upData::ManifestLimits any{1 << 30, qint64(1) << 62, qint64(1) << 62};
    return mdl_upData::parseManifest(f.readAll(), any, nullptr);
}

QByteArray lackingContents(const Manifest& wanted, const Manifest& have) {
    QSet<QByteArray> held;
    for (const ManifestEntry& e : have)
        held.insert(e.hash);
    QByteArray out;
    for (const ManifestEntry& e : wanted) {
        if (!held.contains(e.hash)) {
            held.insert(e.hash);
            out += e.hash + '\n';
        }
    }
    return out;
}

AssembleResult assembleUpload(const QString& archive, const QString& previous, const QString& folder,
                              const Manifest& manifest, const Quotas& quotas,
                              const std::atomic_bool* cancel) {
    // Every entry must have its manifest size, and the manifest was held to the quotas.
    Q_UNUSED(quotas);
    AssembleResult r;
    const auto whole = [&](const QString& why) {
        r.needWhole = true;
        r.error = why;
        return r;
    };
    const auto refuse = [&](const QString& why) {
        r.error = why;
        return r;
    };
    const auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };

    const std::optional<Manifest> before = readContentsIndex(previous);
    if (!before)
        return whole(QStringLiteral("no previous upload"));
    // Contents at hand, by hash: the previous upload's files that are still as indexed.
    QHash<QByteArray, QString> known;
    for (const ManifestEntry& e : *before) {
        if (QFileInfo(previous + e.name).size() == e.size)
            known.insert(e.hash, previous + e.name);
    }
    QHash<QString, const ManifestEntry*> byName;
    bool hasImages = false;
    for (const ManifestEntry& e : manifest) {
        byName.insert(e.name, &e);
        hasImages = hasImages || e.name.startsWith(mdl_upData::imagesFolder);
    }
    if (hasImages && !QDir().mkpath(folder + mdl_upData::imagesFolder))
        return refuse(QStringLiteral("无法建立图片文件夹"));

    int code = 0;
    Archive a;
    a.za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!a.za)
        return refuse(QStringLiteral("上传的文件不是有效的ZIP压缩包"));
    const zip_int64_t n = zip_get_num_entries(a.za, 0);
    if (n < 0 || n > manifest.size())
        return whole(QStringLiteral("more entries than the manifest names"));
    QSet<QString> arrived;
    QByteArray buf(256 * 1024, Qt::Uninitialized);
    mdl_upData::ContentHasher hasher;
    for (zip_int64_t i = 0; i < n; ++i) {
        if (cancelled())
            return refuse(QStringLiteral("服务器正在停止"));
        zip_stat_t st;
        if (zip_stat_index(a.za, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_COMP_SIZE))
            return refuse(QStringLiteral("压缩包已损坏"));
        const QString name = QString::fromUtf8(st.name);
        const ManifestEntry* e = byName.value(name);
        if (!e || arrived.contains(name) || qint64(st.size) != e->size)
            return whole(QStringLiteral("entry %1 not as in the manifest").arg(name));
        zip_file_t* zf = zip_fopen_index(a.za, st.index, 0);
        if (!zf)
            return refuse(QStringLiteral("无法读取压缩包中的文件：") + name);
        QFile out(folder + name);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            zip_fclose(zf);
            return refuse(QStringLiteral("无法写入文件：") + name);
        }
        qint64 written = 0;
        bool ok = true;
        for (;;) {
            const zip_int64_t got = zip_fread(zf, buf.data(), zip_uint64_t(buf.size()));
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            written += got;
            if (written > e->size || out.write(buf.constData(), got) != got) {
                ok = false;
                break;
            }
            hasher.add(buf.constData(), got);
        }
        zip_fclose(zf);
        const QByteArray hash = hasher.result();
        if (!ok || written != e->size || hash != e->hash)
            return whole(QStringLiteral("entry %1 does not match the manifest").arg(name));
        arrived.insert(name);
        known.insert(e->hash, folder + name);
        ++r.files;
    }
    for (const ManifestEntry& e : manifest) {
        if (arrived.contains(e.name))
            continue;
        if (cancelled())
            return refuse(QStringLiteral("服务器正在停止"));
        const QString from = known.value(e.hash);
        if (from.isEmpty() || QFileInfo(from).size() != e.size)
            return whole(QStringLiteral("content of %1 not at hand").arg(e.name));
        const QString to = folder + e.name;
        // Uploads are never changed in place, so the new one may share the old one's files.
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 &&
            !QFile::copy(from, to))
            return refuse(QStringLiteral("无法写入文件：") + e.name);
        ++r.files;
    }
    QString why;
    if (!saveIndex(folder, manifest, &why))
        return refuse(QStringLiteral("无法写入文件：") + why);
    r.ok = true;
    return r;
}

} // namespace hosting
