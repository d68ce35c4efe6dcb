#pragma once
// Where the hosting server keeps a site in its data folder:
//
//   uploads/<short name>/   the last upload received whole and within the quotas, unpacked
//                           (the pictures of its "images.zip" in images/)
//   www/<short name>/       the published pages of the last upload that rendered; index.html
//   pictures/<short name>/  the pictures made for the site's pages, kept for the next
//                           rendering (by content and size; what it no longer uses goes)
//   incoming/               archives while their bytes arrive
//   work/                   uploads being unpacked and rendered, and folders on their way out
//
// Folder names are the short name in lower case, so an address in any letter case finds
// the same site. Both folders move with the short name.

#include <QString>

namespace hosting {

// A short name holds 1 to 63 ASCII letters and digits.
inline bool isValidSiteName(const QString& name) {
    if (name.isEmpty() || name.size() > 63)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')))
            return false;
    }
    return true;
}

namespace detail {
inline QString siteSubfolder(QString dataDir, const char* kind, const QString& shortName) {
    if (!isValidSiteName(shortName))
        return {};
    if (!dataDir.endsWith(u'/'))
        dataDir += u'/';
    return dataDir + QLatin1String(kind) + u'/' + shortName.toLower() + u'/';
}
} // namespace detail

// The folder a short name's pages are published in, ending with "/"; empty for a name
// that is no valid short name (so no request can reach outside www/).
inline QString publishedDir(const QString& dataDir, const QString& shortName) {
    return detail::siteSubfolder(dataDir, "www", shortName);
}

// The folder a short name's last upload is unpacked in, ending with "/"; empty for a name
// that is no valid short name.
inline QString uploadDir(const QString& dataDir, const QString& shortName) {
    return detail::siteSubfolder(dataDir, "uploads", shortName);
}

// The folder a short name's pictures are made in and kept between renderings, ending
// with "/"; empty for a name that is no valid short name.
inline QString pictureCacheDir(const QString& dataDir, const QString& shortName) {
    return detail::siteSubfolder(dataDir, "pictures", shortName);
}

// A site's own address: "http://<short name>.<domain>[:port]/", in lower case, the port
// left out when it is 80.
inline QString siteAddress(const QString& shortName, const QString& domain, int port) {
    return QStringLiteral("http://") + shortName.toLower() + u'.' + domain.toLower() +
           (port == 80 ? QString() : u':' + QString::number(port)) + u'/';
}

} // namespace hosting
