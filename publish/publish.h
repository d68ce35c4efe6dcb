#pragma once
// The site renderer: an unpacked upload (the site database and the files beside it) in,
// a complete static site out: plain HTML, CSS and pictures with relative links only,
// which any web server can serve or a browser can open from disk.
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

// Renders the upload in `uploadDir` (the site database "dalmbuilder.tdc", the pictures
// and pages beside it, the custom pages' pictures in "images/") with the skins of
// `skinsDir` (templates/, names/, common/, effects/, catalogue.json) into `outDir`,
// which must not exist yet or be empty. The home page is "index.html". Nothing is
// written outside `outDir`; on failure `outDir` may hold part of the site.
Result renderSite(const QString& uploadDir, const QString& skinsDir, const QString& outDir);

} // namespace publish
