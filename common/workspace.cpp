#include "common/workspace.h"

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

void setCurrentPath(const QString& path) {
    g_currentPath = withSeparator(path);
}
void setWorkingPath(const QString& path) {
    g_workingPath = withSeparator(path);
}

} // namespace workspace
