#pragma once
// Resolving the working folder at start-up: reading "initPath.ini", falling back to the
// default folder and seeding it from the pristine copy when it has no site database.

#include <QString>
#include <QStringList>

namespace startup {

struct Workspace {
    // The final working folder, ending with "/"; empty when none could be made.
    QString workPath;
    // The default folder was emptied and given the pristine site database.
    bool reseeded = false;
    // "initPath.ini" was replaced by the pristine copy.
    bool iniReset = false;
    // Why no working folder could be had; when non-empty the program cannot go on.
    QStringList problems;
    // Things that went wrong without making the working folder unusable.
    QStringList warnings;
};

// The first line of "initPath.ini" as the program reads it: UTF-8, or GBK when the bytes
// are not valid UTF-8; without its line break. Empty for an empty or missing file.
QString readFirstLine(const QByteArray& bytes);

// The folder named by a first line: separators made "/", a relative path taken from the
// installation folder, always ending with "/". Empty for an empty line.
QString folderFromLine(const QString& line, const QString& currentPath);

// The pristine-copy folder of the installation, found without regard to letter case
// ("initdata" or "initData"); ends with "/".
QString pristineFolder(const QString& currentPath);

// Resolves and, where needed, seeds the working folder of the installation at
// `currentPath` (ending with "/"). A folder that holds a site database is never emptied.
Workspace resolveWorkspace(const QString& currentPath);

// The main frame's title for a site name.
QString frameTitle(const QString& webName);

} // namespace startup
