#include "server/deltaUpload.h"

#include "server/mdl_upData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace mdl_upData {

namespace {

// The longest list of needed contents: one line per file of the largest site.
constexpr qint64 kMaxNeedList = qint64(hashLength + 1) * 100000;

const QString kDatabase = QStringLiteral("dalmbuilder.tdc");

} // namespace

ChangesPack packChanges(const QString& installPath, const Manifest& manifest,
                        const QList<QByteArray>& needed) {
    ChangesPack r;
    QSet<QByteArray> wanted(needed.begin(), needed.end());
    QList<ArchiveFile> files;
    for (const ManifestEntry& e : manifest) {
        const bool database = e.name.compare(kDatabase, Qt::CaseInsensitive) == 0;
        if (!database && !wanted.remove(e.hash))
            continue;
        if (database)
            wanted.remove(e.hash);
        files.append({e.name, e.path});
        r.packedBytes += e.size;
    }
    QString error;
    for (const QFileInfo& old :
         QDir(installPath).entryInfoList(QStringList{archiveName}, QDir::Files | QDir::Hidden)) {
        if (old.fileName().compare(archiveName, Qt::CaseInsensitive) == 0)
            QFile::remove(old.absoluteFilePath());
    }
    if (!writeUploadArchive(archivePath(installPath), files, &r.warnings, &r.error))
        return r;
    r.size = QFileInfo(archivePath(installPath)).size();
    r.ok = r.size > 0;
    return r;
}

QByteArray DeltaUpload::start(const QString& workPath, QString* error) {
    reset();
    std::optional<Manifest> m = workspaceManifest(workPath, error);
    if (!m)
        return {};
    m_manifest = std::move(*m);
    const QByteArray message = framed(tag::manifest, manifestText(m_manifest));
    m_sent = message.size();
    m_phase = Phase::ManifestSent;
    return message;
}

void DeltaUpload::changesAnnounced(const ChangesPack& pack, qint64 announcementBytes) {
    m_sent += announcementBytes + pack.size;
    m_unchanged = qMax<qint64>(0, manifestBytes(m_manifest) - pack.packedBytes);
    m_phase = Phase::ChangesSent;
}

void DeltaUpload::reset() {
    m_phase = Phase::Idle;
    m_manifest.clear();
    m_buffer.clear();
    m_sent = 0;
    m_unchanged = 0;
}

DeltaUpload::Event DeltaUpload::take(QByteArray& data, QList<QByteArray>* needed) {
    if (m_phase == Phase::Idle)
        return Event::None;
    m_buffer += data;
    data.clear();
    const QByteArray need = tag::deltaNeed.toLatin1();
    const QByteArray full = tag::deltaFull.toLatin1();
    const QByteArray done = tag::deltaDone.toLatin1();
    qsizetype at = -1;
    const QByteArray* which = nullptr;
    for (const QByteArray* t : {&need, &full, &done}) {
        const qsizetype i = m_buffer.indexOf(*t);
        if (i >= 0 && (at < 0 || i < at)) {
            at = i;
            which = t;
        }
    }
    if (!which) {
        // Keep what may be the start of an answer whose rest is on its way.
        qsizetype keep = 0;
        for (qsizetype n = qMin<qsizetype>(m_buffer.size(), need.size() - 1); n > 0 && !keep; --n) {
            const QByteArray tail = m_buffer.right(n);
            if (need.startsWith(tail) || full.startsWith(tail) || done.startsWith(tail))
                keep = n;
        }
        data = m_buffer.left(m_buffer.size() - keep);
        m_buffer.remove(0, m_buffer.size() - keep);
        return Event::None;
    }
    data = m_buffer.left(at);
    QByteArray rest = m_buffer.mid(at);
    Event ev = Event::None;
    if (which == &need) {
        QByteArray body;
        switch (takeFramed(rest, tag::deltaNeed, kMaxNeedList, &body)) {
        case Frame::Incomplete:
            m_buffer = rest;
            return Event::None;
        case Frame::Invalid:
            rest.remove(0, need.size());
            ev = Event::Full;
            break;
        case Frame::Complete:
            *needed = neededHashes(body);
            ev = Event::Need;
            break;
        }
    } else {
        rest.remove(0, which->size());
        ev = which == &full ? Event::Full : Event::Done;
    }
    data += rest;
    m_buffer.clear();
    return ev;
}

QString changesSummary(qint64 sentBytes, qint64 unchangedBytes) {
    return QStringLiteral("已上传 %1，其余 %2 未改动。").arg(byteSize(sentBytes), byteSize(unchangedBytes));
}

} // namespace mdl_upData
