#pragma once
// Publishing an upload: the archive is checked and unpacked within the site's quotas,
// the unpacked site is rendered, and both are put in place of the previous ones only
// once they are complete. Unpacking and rendering need no event loop; the server runs
// them on worker threads.

#include "server/uploadManifest.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace hosting {

// The file every upload must hold.
inline const QString siteDatabaseName = QStringLiteral("dalmbuilder.tdc");

// What one upload may unpack to; the nested "images.zip" counts with the archive.
struct Quotas {
    // All files together (and the largest archive that may be announced).
    qint64 siteBytes = qint64(1) << 30;
    // Files in the archive and in its "images.zip".
    int entries = 20000;
    // One file.
    qint64 entryBytes = qint64(256) << 20;
};
// How well a file compresses is no limit: a flat picture packs a thousandfold and is still
// an ordinary file. What an archive may unpack to is bounded by the sizes it announces,
// which must stay within the quotas before a byte is written and which no file may outgrow
// as it comes out.

// A quota as the user reads it: "1 MB", "512 KB", "1000 字节".
QString sizeText(qint64 bytes);

struct UnpackResult {
    bool ok = false;
    // Why the archive was refused: which limit, or what is wrong with it.
    QString error;
    // Files unpacked, those of "images.zip" included, and their bytes.
    int files = 0;
    qint64 bytes = 0;
};

// Unpacks `archive` into `folder` (which must exist): every entry as a plain file, and the
// entries of its "images.zip" into the subfolder "images". An archive that is not a ZIP,
// lacks the site database, names an entry with a path, or goes beyond a quota is refused;
// the quotas are checked on the sizes the archive announces before anything is written,
// and again on the bytes as they come out. `cancel`, when set, stops the work.
UnpackResult unpackArchive(const QString& archive, const QString& folder, const Quotas& quotas,
                           const std::atomic_bool* cancel = nullptr);

// One upload to publish: unpacked into `workDir`/upload/, rendered into `workDir`/www/.
struct PublishJob {
    QString archive; // removed once it is unpacked
    QString workDir; // a new folder of this job's own
    QString skinsDir;
    // The address the site is served at, for the pages' absolute addresses; empty when the
    // server names none.
    QString publicAddress;
    // The site's picture cache (siteLayout.h), kept between its renderings; empty for none.
    QString pictureCache;
    // Threads that may make pictures at once; 0 for one per core.
    int pictureWorkers = 0;
    Quotas quotas;
    // An upload of changes: the manifest the archive completes, the folder of the previous
    // upload, and what to do (on the worker) once the upload is complete and checked.
    std::optional<mdl_upData::Manifest> manifest;
    QString previous;
    std::function<void()> assembled;
};

struct PublishOutcome {
    // The archive passed every check and quota.
    bool unpacked = false;
    // The site rendered.
    bool rendered = false;
    // An upload of changes that the server could not complete: the whole archive is needed.
    bool needWhole = false;
    // What failed: the refusal, or the renderer's error.
    QString error;
    int files = 0;
    int pages = 0;
    // What the renderer left out or replaced, for the server's log.
    QStringList renderLog;
    // The job's folders, ending with "/".
    QString uploadFolder;
    QString siteFolder;
};

PublishOutcome prepareSite(const PublishJob& job, const std::atomic_bool* cancel = nullptr);

// Puts the folder `fresh` in the place of `target` (which need not exist) in one step where
// the file system allows it, so that whoever reads `target` sees the old folder or the new
// one; the old one is moved to `retired`. False, with `target` as it was, on failure.
bool replaceFolder(const QString& fresh, const QString& target, const QString& retired,
                   QString* error = nullptr);

} // namespace hosting
