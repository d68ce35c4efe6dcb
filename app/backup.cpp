#include "app/backup.h"

#include "common/fileops.h"
#include "common/workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace backup {

namespace {

const QString kDb = QString::fromLatin1(sitedb::fileName);

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString bare(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// The database and what SQLite keeps beside it while it is open are never copied as
// files: the database is copied as a snapshot, its journals never.
bool isDatabaseFile(const QString& relative) {
    return relative == kDb || relative.startsWith(kDb + u'-');
}

// Copies the working folder into the new folder `to` (which must not exist yet): the
// files, then the site database as one consistent snapshot.
Outcome snapshot(const Folders& f, const QString& to) {
    // When the installation lies inside the working folder, the backup folders are not
    // part of the data.
    const QString backupName = QDir(f.work).relativeFilePath(bare(f.backup));
    const QString keepName = QDir(f.work).relativeFilePath(bare(f.keep));
    const QString stageName = QDir(f.work).relativeFilePath(bare(to));
    auto skip = [&](const QString& relative) {
        if (isDatabaseFile(relative))
            return true;
        for (const QString& own : {backupName, keepName, stageName}) {
            if (relative == own || relative.startsWith(own + u'.'))
                return true;
        }
        return false;
    };
    QString why;
    if (!fileops::copyFolder(f.work, to, &why, skip))
        return Outcome::failure(why);

    const QString source = f.work + kDb;
    const QString target = to + kDb;
    if (sitedb::isOpen() && QFileInfo(sitedb::currentFile()) == QFileInfo(source)) {
        // The connection stays open: SQLite writes a consistent copy from inside one
        // read transaction.
        const Outcome copied = sitedb::exec(QStringLiteral("VACUUM INTO ?"), {target});
        if (!copied)
            return Outcome::failure(
                QStringLiteral("无法复制站点数据库“%1”：%2").arg(native(source), copied.error));
    } else if (QFileInfo::exists(source) && !fileops::replaceWith(source, target, &why)) {
        return Outcome::failure(why);
    }
    return {};
}

// Makes the copy of the working folder complete beside `target`, then puts it in place.
Outcome replaceByCopy(const Folders& f, const QString& target) {
    const QString stage = bare(target) + QStringLiteral(".new/");
    QDir(stage).removeRecursively();
    if (!QDir().mkpath(stage))
        return Outcome::failure(QStringLiteral("无法建立文件夹“%1”").arg(native(stage)));
    Outcome made = snapshot(f, stage);
    QString why;
    if (made && !fileops::replaceFolder(stage, target, &why))
        made = Outcome::failure(why);
    if (!made)
        QDir(stage).removeRecursively();
    return made;
}

// Reads the one table every window needs from a site database, on a connection of its
// own that only reads.
Outcome readable(const QString& file) {
    const QString name = QStringLiteral("backupCheck");
    Outcome out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            out = Outcome::failure(db.lastError().text());
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM user_info")))
                out = Outcome::failure(q.lastError().databaseText());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

} // namespace

Folders folders(const QString& currentPath, const QString& workPath) {
    const QString install = workspace::dataRootFor(currentPath);
    return {workspace::withSeparator(workPath), install + QStringLiteral("savedData/"),
            install + QStringLiteral("savedData.before-restore/")};
}

bool hasBackup(const Folders& f) {
    return QFileInfo(f.backup + kDb).isFile();
}

Outcome backupData(const Folders& f) {
    const Outcome made = replaceByCopy(f, f.backup);
    if (!made)
        return Outcome::failure(QStringLiteral("数据备份失败：") + made.error +
                                QStringLiteral("\n原有的备份没有改动。"));
    return made;
}

Outcome checkBackup(const Folders& f) {
    const Outcome read = readable(f.backup + kDb);
    if (!read)
        return Outcome::failure(QStringLiteral("数据还原失败，备份的站点数据库“%1”无法读取：%2")
                                    .arg(native(f.backup + kDb), read.error));
    return read;
}

Outcome keepCurrent(const Folders& f) {
    const Outcome made = replaceByCopy(f, f.keep);
    if (!made)
        return Outcome::failure(QStringLiteral("数据还原失败，无法保存当前数据：") + made.error +
                                QStringLiteral("\n当前数据没有改动。"));
    return made;
}

Outcome restoreData(const Folders& f) {
    const QString db = f.work + kDb;
    sitedb::close();

    QStringList existed;
    auto scan = [&](const QString& relative) {
        if (relative != kDb && isDatabaseFile(relative))
            return true;
        if (QFileInfo::exists(f.work + relative))
            existed << relative;
        return false;
    };
    QString why;
    QStringList written;
    bool copied = fileops::copyFolder(f.backup, f.work, &why, scan, &written);
    Outcome opened;
    if (copied) {
        opened = sitedb::open(db);
        if (opened)
            return opened;
        why = QStringLiteral("无法打开还原后的站点数据库：") + opened.error;
    }

    // Put back what was overwritten, remove what was added, and work on as before.
    sitedb::close();
    QStringList lost;
    for (const QString& relative : written) {
        QString ignored;
        const bool back = existed.contains(relative)
                              ? fileops::replaceWith(f.keep + relative, f.work + relative, &ignored)
                              : QFile::remove(f.work + relative);
        if (!back)
            lost << native(f.work + relative);
    }
    opened = sitedb::open(db);
    QString text = QStringLiteral("数据还原失败：") + why;
    if (lost.isEmpty() && opened)
        text += QStringLiteral("\n当前数据没有改动。");
    else
        text += QStringLiteral("\n还原前的数据保存在“%1”。").arg(native(bare(f.keep)));
    if (!opened)
        text += QStringLiteral("\n无法打开站点数据库：") + opened.error;
    return Outcome::failure(text);
}

} // namespace backup
