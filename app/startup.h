#pragma once
// Resolving the working folder at start-up: reading "initPath.ini", falling back to the
// default folder and seeding it from the pristine copy when it has no site database,
// and the ways on when the site database cannot be opened.

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace startup {

struct Workspace {
    // The final working folder, ending with "/"; empty when none could be made.
    QString workPath;
    // Its site database: "dalmbuilder.tdc", also when it came in another letter case
    // (it is renamed, or used under its own name when that fails).
    QString databaseFile;
    // The default folder was emptied and given the pristine site database.
    bool reseeded = false;
    // Why no working folder could be had; when non-empty the program cannot go on.
    QStringList problems;
    // What the user is told before the program goes on: a folder named in "initPath.ini"
    // that could not be used this time, and why.
    QStringList warnings;
};

// The first line of "initPath.ini" as the program reads it: UTF-16 with a byte-order
// mark (or recognisably UTF-16 without one), UTF-8, or GBK when the bytes are not valid
// UTF-8; without its line break. Empty for an empty or missing file.
QString readFirstLine(const QByteArray& bytes);

// The folder named by a first line: separators made "/", a relative path taken from the
// installation folder, always ending with "/". Empty for an empty line.
QString folderFromLine(const QString& line, const QString& currentPath);

// The pristine-copy folder of the installation, found without regard to letter case
// ("initdata" or "initData"); ends with "/".
QString pristineFolder(const QString& currentPath);

// Resolves and, where needed, seeds the working folder of the installation at
// `currentPath` (ending with "/"). "initPath.ini" and the default folder "userImages"
// lie in `dataRoot` (by default the installation's data root, see
// workspace::dataRootFor), which is made when missing; a relative folder named in
// "initPath.ini" is taken from there; the pristine copy is always the installation's.
// A folder that holds a site database in any letter case is never emptied, and
// "initPath.ini" is never rewritten: a named folder that cannot be used gives a warning
// and the default folder for this run.
Workspace resolveWorkspace(const QString& currentPath, const QString& dataRoot = QString());

// The name a damaged site database is kept under, beside itself.
QString asideName(const QString& databaseFile, const QDateTime& when);

struct Recovered {
    bool ok = false;
    QString databaseFile; // the working folder's site database now
    QString aside;        // where the damaged file was kept
    QString error;
};

// Keeps the damaged `databaseFile` under a dated name and puts a site database in its
// place: the backup's when `fromBackup` (restored as the restore command does, the
// working folder's files kept in "savedData.before-restore" first), otherwise the
// pristine copy. Nothing is deleted; on failure the damaged file is back under its own
// name. The connection is closed afterwards.
Recovered recoverDatabase(const QString& currentPath, const QString& databaseFile,
                          bool fromBackup, const QDateTime& when = QDateTime::currentDateTime());

// Installs Qt's own Simplified Chinese texts (buttons of message boxes, file and colour
// dialogs, edit menus) and the Chinese locale. False when the translation is missing.
bool loadQtTranslations();

// The main frame's title for a site name.
QString frameTitle(const QString& webName);

} // namespace startup
