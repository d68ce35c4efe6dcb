#pragma once
// The installation folder and the working folder of this run. The main frame fixes them
// at start-up; every folder path here ends with a separator.

#include <QString>

namespace workspace {

// The folder that holds the program and its installation data.
QString currentPath();
// The working folder: the site database and every picture and file the user adds.
QString currImgPath();
// Always the same folder as currImgPath.
QString currDataPath();

// Where a user's own files live beside the installation: "initPath.ini", the default
// working folder, the backup "savedData" and the upload archive. That is the installation
// folder itself while it is writable (a build folder, a copy of one's own); an installed,
// read-only one sends every user to "orvane" in their own data folder ($XDG_DATA_HOME,
// normally ~/.local/share), so no two users share a working folder. Ends with "/".
QString dataRootFor(const QString& installPath);
// The same for this run's installation folder.
QString dataRoot();

// The installation folder of the program in `programDir`: the program's own folder when
// the installation data lie beside it (a build), else "../share/orvane" of it (an
// installed package) when that holds them. Ends with "/".
QString installationFor(const QString& programDir);

void setCurrentPath(const QString& path);
void setWorkingPath(const QString& path);

// A folder path with exactly one trailing "/" (empty stays empty).
QString withSeparator(const QString& folder);

} // namespace workspace
