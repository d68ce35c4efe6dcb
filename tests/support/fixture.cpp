#include "fixture.h"

#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

bool copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString target = to + u'/' + e.fileName();
        if (e.isDir()) {
            if (!copyTree(e.absoluteFilePath(), target))
                return false;
        } else if (!e.isExecutable() || e.suffix() == u"htm" || e.suffix() == u"html") {
            if (!QFile::copy(e.absoluteFilePath(), target))
                return false;
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
    return true;
}

} // namespace

QString builtInstallPath() {
    return QStringLiteral(ORVANE_BIN_DIR "/");
}

TempInstall::TempInstall() {
    m_ok = m_dir.isValid() && copyTree(QStringLiteral(ORVANE_BIN_DIR), m_dir.path());
    // The working folder of a fresh installation holds nothing, and there is no backup
    // (the built one may have been used by hand).
    if (m_ok) {
        QDir(defaultWorkPath()).removeRecursively();
        QDir().mkpath(defaultWorkPath());
        const QStringList backups = QDir(currentPath()).entryList(
            {QStringLiteral("savedData*")}, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& b : backups)
            QDir(currentPath() + b).removeRecursively();
        QDir().mkpath(currentPath() + QStringLiteral("savedData"));
        workspace::setCurrentPath(currentPath());
        // The user's own settings start empty as well, and never reach the real home folder.
        const QString config = currentPath() + QStringLiteral(".config");
        QDir().mkpath(config);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        // So does the user's cache (the preview keeps converted pictures there).
        const QString cache = currentPath() + QStringLiteral(".cache");
        QDir().mkpath(cache);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    }
}

TempInstall::~TempInstall() {
    if (m_opened)
        sitedb::close();
}

QString TempInstall::currentPath() const {
    return workspace::withSeparator(m_dir.path());
}

bool TempInstall::openSite() {
    const QString db = QString::fromLatin1(sitedb::fileName);
    QFile::remove(defaultWorkPath() + db);
    if (!QFile::copy(currentPath() + QStringLiteral("initdata/") + db, defaultWorkPath() + db))
        return false;
    QFile::setPermissions(defaultWorkPath() + db,
                          QFile::permissions(defaultWorkPath() + db) | QFile::WriteOwner);
    workspace::setCurrentPath(currentPath());
    workspace::setWorkingPath(defaultWorkPath());
    m_opened = sitedb::open(defaultWorkPath() + db).ok;
    return m_opened;
}

void TempInstall::write(const QString& relative, const QByteArray& bytes) const {
    testfiles::writeFile(currentPath() + relative, bytes);
}

namespace testfiles {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace testfiles
