#pragma once
// The site renderer: an unpacked upload (the site database and the files beside it) in,
// a complete static site out: plain HTML, CSS and pictures with relative links between
// them, which any web server can serve or a browser can open from disk. Given the site's
// public address, the pages also name themselves absolutely, and the news feeds and the
// sitemap are written.
//
// It needs no event loop and touches no shared state: it opens its own connection on
// the site database, so it may run on any thread, several sites at once.

#include <QString>
#include <QStringList>

namespace publish {

struct Result {
    bool ok = false;
    // Why the site could not be rendered (when !ok).
    QString error;
    // What the renderer left out or replaced, one line each, for the server's log:
    // features that need the provider's approval, pictures that are missing, a template
    // that is not installed.
    QStringList log;
    // HTML files written.
    int pages = 0;
};

// What a rendering reads and where it writes.
struct Options {
    // The upload: the site database "dalmbuilder.tdc", the pictures and pages beside it,
    // the custom pages' pictures in "images/".
    QString uploadDir;
    // The skins: templates/, names/, common/, effects/, catalogue.json.
    QString skinsDir;
    // Where the site goes; it must not exist yet or be empty.
    QString outDir;
    // The address visitors reach the site at ("https://name.example.org/"), for the
    // addresses that must be absolute (canonical links, sitemap, feeds); empty when the
    // site has none yet (a local preview), and those are left out.
    QString publicAddress;
    // A folder kept between renderings of the same site where work on pictures may be
    // kept and found again; empty for none.
    QString pictureCache;
    // Threads that may work on pictures at once; 0 for as many as the machine has cores.
    int pictureWorkers = 0;
};

// Renders the upload into `outDir` with the skins. The home page is "index.html".
// Nothing is written outside `outDir` (and `pictureCache`); on failure `outDir` may hold
// part of the site.
Result renderSite(const Options& options);
Result renderSite(const QString& uploadDir, const QString& skinsDir, const QString& outDir);

} // namespace publish
