#pragma once
// The one backup of the working data in "savedData" and bringing it back.
//
// Both are made complete in a folder of their own and put in place by renames, with a
// journal beside the backup telling how far they came: a program killed at any moment
// leaves the old data or the new data whole, and the next start finishes or undoes what
// was cut off (`resumeInterrupted`). The site database is copied as one consistent
// snapshot. A restore keeps the working folder as it was in "savedData.before-restore"
// (moved, not copied), so a restore answered by mistake can be undone by hand.
//
// Nothing here touches the program's connection `conn`: a backup reads the database on
// a connection of its own and a restore expects `conn` closed, so both may run on a
// worker thread while the window stays alive.

#include "sitedb/sitedb.h"

#include <QString>

#include <functional>

namespace backup {

using sitedb::Outcome;

struct Folders {
    QString work;    // the working folder
    QString backup;  // the backup: "savedData/" in the data root
    QString keep;    // the data as they were before the last restore
    QString journal; // a backup or restore under way, beside the backup
};

// The folder that holds "savedData" and the folders beside it, ending with "/": the one
// place that decides where the backup lives.
QString backupHome(const QString& currentPath);

// The folders for the installation at `currentPath` and the working folder start-up
// resolved; the backup lies in the installation's data root (workspace::dataRootFor).
// Every path ends with "/".
Folders folders(const QString& currentPath, const QString& workPath);

// True when the backup holds a site database.
bool hasBackup(const Folders& f);

// How far a backup or a restore has come: bytes written of the bytes to write. Called on
// the thread doing the work, after every block copied and at every step of the swap.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Replaces the backup by a complete copy of the working folder; the previous backup
// stays as it was when this fails (or does not fit on the disk), and the outcome says why.
Outcome backupData(const Folders& f, const Progress& progress = {});

// Whether a restore may start: the backup's site database can be read and the disk has
// room for the restored copy. Changes nothing.
Outcome checkRestore(const Folders& f);

// Where a restore keeps the working folder as it was: `f.keep`, or a folder beside the
// working folder when `f.keep` lies on another disk or inside the working folder.
QString keptIn(const Folders& f);

// Brings the backup back: the backup's files replace those of the same name, the working
// folder's other files stay, and the working folder as it was goes to `keptIn(f)`. The
// caller closes `conn` before and opens it again after. On failure the working folder is
// as it was and the outcome says why.
Outcome restoreData(const Folders& f, const Progress& progress = {});

// What start-up did with a backup or restore that a killed program left unfinished.
struct Resumed {
    enum Kind { Nothing, Finished, RolledBack, Failed };
    Kind kind = Nothing;
    QString message; // for the user; empty for Nothing
};

// Finishes a swap whose new folder was complete, or removes a new folder that was not,
// for the installation at `currentPath`. Runs before the working folder is resolved.
Resumed resumeInterrupted(const QString& currentPath);

} // namespace backup
