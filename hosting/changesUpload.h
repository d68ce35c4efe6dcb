#pragma once
// Uploads of changes on the server: the index of contents kept with every unpacked upload,
// the answer to a manifest, and the complete upload built from the previous one and an
// archive of the changed files.

#include "hosting/sitePublisher.h"
#include "server/uploadManifest.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

namespace hosting {

// The index of an unpacked upload's contents, kept in its folder under a name that no
// archive entry and no manifest name can take (they never hold ":"), hidden from listings of the folder.
inline const QString contentsIndexName = QStringLiteral(".contents:sha256");

// The limits a manifest is held to: those of the archive.
mdl_upData::ManifestLimits manifestLimits(const Quotas& q);

// Hashes the files of an unpacked upload and writes its index.
bool writeContentsIndex(const QString& folder, QString* error = nullptr);
// The index of an unpacked upload; no value when it has none or it is damaged.
std::optional<mdl_upData::Manifest> readContentsIndex(const QString& folder);

// The contents of `wanted` that `have` lacks, one hash a line, each once.
QByteArray lackingContents(const mdl_upData::Manifest& wanted, const mdl_upData::Manifest& have);

struct AssembleResult {
    bool ok = false;
    // The upload could not be completed from what the server has: the whole archive is
    // needed. Otherwise a failure is a refusal, as for a whole archive.
    bool needWhole = false;
    QString error;
    int files = 0;
};

// Builds in `folder` (which must exist, empty) the upload that `manifest` describes: the
// files of the changes archive, and the others linked (or copied) from the previous upload
// in `previous` by their contents. Every file is checked against the manifest; the index
// is written last.
AssembleResult assembleUpload(const QString& archive, const QString& previous, const QString& folder,
                              const mdl_upData::Manifest& manifest, const Quotas& quotas,
                              const std::atomic_bool* cancel = nullptr);

} // namespace hosting
