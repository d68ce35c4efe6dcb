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

void setCurrentPath(const QString& path);
void setWorkingPath(const QString& path);

// A folder path with exactly one trailing "/" (empty stays empty).
QString withSeparator(const QString& folder);

} // namespace workspace
