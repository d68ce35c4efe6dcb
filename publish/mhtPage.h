#pragma once
// A web archive (an ".mht" file: a MIME message whose parts are a page and the pictures
// and style sheets it shows) turned into a plain page and the files beside it.

#include <QByteArray>
#include <QList>
#include <QString>

namespace publish {

struct MhtFile {
    QString name; // a plain file name, unique within the page's folder
    QByteArray bytes;
};

struct MhtPage {
    bool ok = false;
    // Why there is no page (when !ok), a few words for the owner.
    QString why;
    // The page's own title, plain text; empty when it has none.
    QString title;
    // The page in UTF-8; the addresses of the archive's parts lead into the folder.
    QByteArray html;
    QList<MhtFile> files;
};

// Converts `archive`. `folder` is the relative address of the folder the files will be
// written into, ending with "/"; the page addresses them through it. Nothing is written:
// the names of the files come from the archive only when they are plain and harmless, and
// are made up otherwise.
MhtPage convertMht(const QByteArray& archive, const QString& folder);

// The text of a page's <title>, tags removed and blanks simplified; empty when it has none.
QString htmlTitle(const QString& page);

} // namespace publish
