#include "app/startup.h"

#include "common/fileops.h"
#include "common/gbk.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace startup {

namespace {

const QString kIni = QStringLiteral("initPath.ini");
const QString kDefaultFolder = QStringLiteral("userImages/");

// Removes every file and subfolder of `folder`, keeping the folder itself.
bool emptyFolder(const QString& folder, QString* why) {
    QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const bool gone = e.isDir() && !e.isSymLink()
                              ? QDir(e.absoluteFilePath()).removeRecursively()
                              : QFile::remove(e.absoluteFilePath());
        if (!gone) {
            *why =
                QStringLiteral("无法删除“%1”").arg(QDir::toNativeSeparators(e.absoluteFilePath()));
            return false;
        }
    }
    return true;
}

} // namespace

QString readFirstLine(const QByteArray& bytes) {
    QByteArray line = bytes;
    const int nl = line.indexOf('\n');
    if (nl >= 0)
        line.truncate(nl);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.startsWith("\xEF\xBB\xBF"))
        line.remove(0, 3);

    return gbk::isValidUtf8(line) ? QString::fromUtf8(line) : gbk::decode(line);
}

QString folderFromLine(const QString& line, const QString& currentPath) {
    QString path = line.trimmed();
    if (path.isEmpty())
        return QString();
    path.replace(u'\\', u'/');
    if (QDir::isRelativePath(path))
        path = currentPath + path;
    return workspace::withSeparator(QDir::cleanPath(path));
}

QString pristineFolder(const QString& currentPath) {
    const QDir dir(currentPath);
    const QStringList found =
        dir.entryList({QStringLiteral("initdata")}, QDir::Dirs | QDir::NoDotAndDotDot,
                      QDir::Name | QDir::IgnoreCase);
    for (const QString& name : found) {
        if (name.compare(QLatin1String("initdata"), Qt::CaseInsensitive) == 0)
            return currentPath + name + u'/';
    }
    return currentPath + QStringLiteral("initdata/");
}

Workspace resolveWorkspace(const QString& currentPath) {
    Workspace ws;
    const QString iniPath = currentPath + kIni;
    const QString pristine = pristineFolder(currentPath);
    const QString defaultPath = currentPath + kDefaultFolder;
    const QString db = QString::fromLatin1(sitedb::fileName);

    QFile ini(iniPath);
    QByteArray bytes;
    if (ini.exists()) {
        if (ini.open(QIODevice::ReadOnly))
            bytes = ini.readAll();
    } else if (ini.open(QIODevice::WriteOnly)) {
        // A missing file is created empty, which selects the default folder.
        ini.close();
    }

    QString work = folderFromLine(readFirstLine(bytes), currentPath);
    if (work.isEmpty())
        work = defaultPath;

    QString why;
    auto resetIni = [&] {
        if (fileops::replaceWith(pristine + kIni, iniPath, &why))
            ws.iniReset = true;
        else
            ws.warnings << why;
    };

    if (work != defaultPath && !QFileInfo(work).isDir()) {
        work = defaultPath;
        resetIni();
    }

    if (!QFileInfo::exists(work + db)) {
        // A named folder without a site database is left as it is: the default folder
        // takes over, and only the default folder is ever emptied and seeded.
        if (work != defaultPath) {
            work = defaultPath;
            resetIni();
        }
        if (!QFileInfo::exists(defaultPath + db)) {
            if (!QDir().mkpath(defaultPath)) {
                ws.problems << QStringLiteral("无法建立工作文件夹“%1”")
                                   .arg(QDir::toNativeSeparators(defaultPath));
                return ws;
            }
            if (!QFileInfo::exists(pristine + db)) {
                ws.problems << QStringLiteral("找不到原始站点数据库“%1”，无法建立工作文件夹。")
                                   .arg(QDir::toNativeSeparators(pristine + db));
                return ws;
            }
            if (!emptyFolder(defaultPath, &why) ||
                !fileops::replaceWith(pristine + db, defaultPath + db, &why)) {
                ws.problems << why;
                return ws;
            }
            ws.reseeded = true;
        }
    }

    ws.workPath = work;
    return ws;
}

QString frameTitle(const QString& webName) {
    return webName + QStringLiteral("--Orvane自动建站系列软件");
}

} // namespace startup
