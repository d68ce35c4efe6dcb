#include "common/workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace workspace {

namespace {
QString g_currentPath;
QString g_workingPath;
} // namespace

QString withSeparator(const QString& folder) {
    if (folder.isEmpty())
        return folder;
    QString path = folder;
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path == u"/" ? path : path + u'/';
}

QString currentPath() {
    return g_currentPath;
}
QString currImgPath() {
    return g_workingPath;
}
QString currDataPath() {
    return g_workingPath;
}

QString dataRootFor(const QString& installPath) {
    const QString install = withSeparator(installPath);
    if (QFileInfo(install).isWritable())
        return install;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? install : withSeparator(data + QStringLiteral("/orvane"));
}

QString dataRoot() {
    return dataRootFor(g_currentPath);
}

QString installationFor(const QString& programDir) {
    const auto holdsData = [](const QString& dir) {
        return QFileInfo(dir + QStringLiteral("/initdata")).isDir();
    };
    const QString shared = QDir::cleanPath(programDir + QStringLiteral("/../share/orvane"));
    if (!holdsData(programDir) && holdsData(shared))
        return withSeparator(shared);
    return withSeparator(programDir);
}

void setCurrentPath(const QString& path) {
    g_currentPath = withSeparator(path);
}
void setWorkingPath(const QString& path) {
    g_workingPath = withSeparator(path);
}

} // namespace workspace
