#pragma once
// The pictures and files the user picks live in the working folder under their own bare
// names. Copying one in, and removing one the site no longer names, are done here for
// every window.

#include <QString>
#include <QStringList>

namespace pictures {

// The outcome of bringing a file into the working folder.
struct Copied {
    bool ok = false;
    QString name;  // bare file name inside the working folder
    QString error; // why the copy failed
};

// Copies `sourcePath` into the working folder under its own name, replacing a file of
// that name. A file that already is that file of the working folder is left as it is.
Copied copyIntoWorkspace(const QString& sourcePath);

// True when any stored value of the site database (content records, site settings)
// names `fileName`, as a bare name, inside a "||" list or inside stored rich text.
bool isNamed(const QString& fileName);

// Removes from the working folder each of `fileNames` that nothing stored names any more.
// Empty names, names with a folder part and the site database itself are never touched.
// The names actually removed.
QStringList removeUnnamed(const QStringList& fileNames);

} // namespace pictures
