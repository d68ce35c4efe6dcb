#pragma once
// The client's side of an upload of changes: the manifest goes first, the server names the
// contents it lacks, and one archive brings the site database and those files only. The
// server may ask for the whole archive at any step; the upload then goes on as a whole one.

#include "server/packWorkspace.h"
#include "server/uploadManifest.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace mdl_upData {

// The changes archive: the site database and the files whose contents are in `needed`
// (each content once), named as in the manifest, written to "ZIPTEST.ZIP" of `installPath`.
// `size` is the archive's length; `packedBytes` the bytes of the files it holds.
struct ChangesPack : PackResult {
    qint64 packedBytes = 0;
};
ChangesPack packChanges(const QString& installPath, const Manifest& manifest,
                        const QList<QByteArray>& needed);

class DeltaUpload {
public:
    enum class Phase {
        Idle,
        // The manifest went out; the server names what it lacks, or asks for everything.
        ManifestSent,
        // The changes archive is announced or on its way.
        ChangesSent,
        // Every byte went out; the server checks the upload.
        Checking,
    };
    enum class Event { None, Need, Full, Done };

    Phase phase() const { return m_phase; }
    bool active() const { return m_phase != Phase::Idle; }

    // Makes the manifest of the working folder and the message that carries it; empty,
    // with `error` set, when the folder has no manifest form (the whole archive goes then).
    QByteArray start(const QString& workPath, QString* error);
    void changesAnnounced(const ChangesPack& pack, qint64 announcementBytes);
    void allSent() { m_phase = Phase::Checking; }
    void reset();

    // Takes the server's answer to this upload off `data` (which keeps whatever else came
    // in the same read); with the needed contents for `Need`.
    Event take(QByteArray& data, QList<QByteArray>* needed);

    const Manifest& manifest() const { return m_manifest; }
    // Bytes that went out for this upload, and the bytes of the site that did not.
    qint64 sentBytes() const { return m_sent; }
    qint64 unchangedBytes() const { return m_unchanged; }
    void addSent(qint64 bytes) { m_sent += bytes; }

private:
    Phase m_phase = Phase::Idle;
    Manifest m_manifest;
    QByteArray m_buffer;
    qint64 m_sent = 0;
    qint64 m_unchanged = 0;
};

// The upload window's closing line after an upload of changes.
QString changesSummary(qint64 sentBytes, qint64 unchangedBytes);

} // namespace mdl_upData
