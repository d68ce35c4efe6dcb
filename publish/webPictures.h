#pragma once
// Pictures for the web: a picture file in, the files a page needs to show it in one of its
// boxes out, with the markup that names them.
//
// Each picture goes out at the widths its box uses (never wider than itself), as WebP and
// as JPEG (PNG for a picture with transparency, GIF for an animation), turned upright,
// in sRGB and stripped of every metadata block (camera, GPS). Published names carry a
// digest of the content and the size, so a browser may keep them for a year. SVG goes out
// as it is, to be shown by <img> only, where its script never runs.
//
// Derivatives are made by a bounded number of threads once every page has asked for what
// it shows (finish()); with a cache folder they are kept there, by content and size, and
// found again by the next rendering of the same site, which removes those no longer used.

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace publish {

// The boxes a page shows a picture in.
enum class Box {
    Thumb,  // a tile of a gallery or a product grid
    List,   // the picture beside a product in a list
    Detail, // a picture in a record's text
    Wide,   // a picture the width of the page
    Intro,  // the home page's introduction
    Logo,   // the organisation's logo
    Header, // the inner pages' custom header
    Whole,  // the picture as it is (no wider than 1920): backgrounds, rich text, full views
};

struct PictureFile {
    QString url; // relative to the site's folder: "pics/…"
    int width = 0, height = 0;
};

// What a picture becomes for one box.
struct ShownPicture {
    bool ok = false;
    bool svg = false;
    QList<PictureFile> webp;     // by width, ascending; empty for SVG
    QList<PictureFile> fallback; // JPEG, PNG or GIF (or the SVG), by width, ascending
    QString fallbackType;        // "image/jpeg", "image/png", "image/gif", "image/svg+xml"
    const PictureFile& largest() const { return fallback.constLast(); }
};

class WebPictures {
public:
    // `siteDir`: the site's folder (pictures go to its "pics/"); `cacheDir`: a folder kept
    // between renderings of this site, or empty; `workers`: threads at once, 0 for one per core.
    WebPictures(const QString& siteDir, const QString& cacheDir, int workers);
    ~WebPictures();
    WebPictures(const WebPictures&) = delete;
    WebPictures& operator=(const WebPictures&) = delete;

    // The files a picture file needs for a box; not ok (the reason in log()) when it is no
    // picture that can be decoded or is too large to work on.
    ShownPicture show(const QString& source, Box box);

    // Makes every file asked for, keeps the cache to what this rendering used. False when
    // a picture could not be made; its name is in log() and failed() holds it.
    bool finish();

    // Sources that could not be shown, and why, one line each.
    const QStringList& log() const { return m_log; }
    QSet<QString> failed() const { return m_failed; }

    // The widths a box publishes and the "sizes" its markup gives.
    static QList<int> widths(Box box);
    static QString sizes(Box box);

private:
    struct Source;
    struct Job;
    Source* source(const QString& path);
    bool runJob(Job& job) const;

    QString m_site, m_cache;
    int m_workers;
    QHash<QString, Source*> m_sources;
    QList<std::shared_ptr<Source>> m_owned;
    QStringList m_log;
    QSet<QString> m_failed;
};

// The readable start of a published picture's name: the upload's name in lower-case
// letters, digits and "_" ("IMG 0042.JPG" → "img_0042"), "pic" when none is left; the
// width and a digest of the content and size follow ("img_0042-640-3f2a9c0d1e2b4a5c.jpg").
QString pictureStem(const QString& fileName);

// The markup of a picture in its box: a <picture> with the WebP versions and an <img>
// with the fallback versions, its width and height, loaded lazily unless it is on the
// first screen. `cls` is the <img>'s class (empty for none); `alt` is plain text.
QString pictureMarkup(const ShownPicture& shown, Box box, const QString& alt, const QString& cls,
                      bool firstScreen);

} // namespace publish
