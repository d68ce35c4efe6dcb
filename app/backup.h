#pragma once
// The one backup of the working data in "savedData" and bringing it back.
//
// A backup is made complete in a folder beside "savedData" and only then put in its
// place, so a backup that fails leaves the previous one as it was. The site database is
// copied from the open connection as one consistent snapshot. A restore first keeps the
// current data in "savedData.before-restore", so a restore answered by mistake can be
// undone by hand; one that fails part-way puts back what it had overwritten and reopens
// the connection on the working folder as it was.

#include "sitedb/sitedb.h"

#include <QString>

namespace backup {

using sitedb::Outcome;

struct Folders {
    QString work;   // the working folder
    QString backup; // the backup: "savedData/" in the installation's data root
    QString keep;   // the data as they were before the last restore
};

// The folders for the installation at `currentPath` and the working folder start-up
// resolved; the backup lies in the installation's data root (workspace::dataRootFor).
// Every path ends with "/".
Folders folders(const QString& currentPath, const QString& workPath);

// True when the backup holds a site database.
bool hasBackup(const Folders& f);

// Replaces the backup by a copy of the working folder.
Outcome backupData(const Folders& f);

// Whether the backup's site database can be read; a restore from it is refused otherwise.
Outcome checkBackup(const Folders& f);

// Keeps a copy of the working folder in `f.keep` (replacing an earlier one).
Outcome keepCurrent(const Folders& f);

// Closes the connection, copies the backup onto the working folder (files of the same
// name are overwritten, others stay) and opens the connection again on the working
// folder's site database. On failure whatever was overwritten is put back from
// `f.keep`, the connection is open on the working folder as it was, and the outcome
// says what failed.
Outcome restoreData(const Folders& f);

} // namespace backup
