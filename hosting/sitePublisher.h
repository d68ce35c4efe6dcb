#pragma once
// Publishing an uploaded archive: check it, unpack it beside the site's folder and put
// it in the folder's place only once it is complete.

#include <QString>

namespace hosting {

struct PublishResult {
    bool ok = false;
    QString error;
    // Files unpacked, those of "images.zip" included.
    int files = 0;
};

// The file every upload must hold.
inline const QString siteDatabaseName = QStringLiteral("dalmbuilder.tdc");

// Unpacks `archive` into `siteFolder` (which need not exist): every entry as a plain
// file, and the entries of its "images.zip" into the subfolder "images". An archive that
// is not a ZIP, lacks the site database, names an entry with a path, or unpacks to more
// than `maxBytes` is refused and the previous folder stays as it was.
PublishResult publishArchive(const QString& archive, const QString& siteFolder, qint64 maxBytes);

} // namespace hosting
