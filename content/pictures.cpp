#include "content/pictures.h"

#include "common/fileops.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlField>

namespace pictures {

Copied copyIntoWorkspace(const QString& sourcePath) {
    const QFileInfo source(sourcePath);
    Copied out;
    out.name = source.fileName();
    if (!source.isFile()) {
        out.error = QStringLiteral("文件不存在：") + sourcePath;
        return out;
    }
    const QString target = workspace::currImgPath() + out.name;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == source.canonicalFilePath()) {
        out.ok = true;
        return out;
    }
    QString why;
    if (!fileops::replaceWith(source.absoluteFilePath(), target, &why)) {
        out.error = why;
        return out;
    }
    out.ok = true;
    return out;
}

namespace {

// Every text value of the tables whose rows may name a file of the working folder.
const char* const kTables[] = {"content01", "content02", "content03", "user_info"};

bool valueNames(const QString& value, const QString& fileName) {
    // A bare name, an element of a "||" list, a "[imgpath]/name" reference or any other
    // mention: when in doubt the file is kept.
    return value.contains(fileName, Qt::CaseInsensitive);
}

} // namespace

bool isNamed(const QString& fileName) {
    if (fileName.isEmpty())
        return false;
    for (const char* table : kTables) {
        const sitedb::Rows rows =
            sitedb::query(QStringLiteral("SELECT * FROM ") + QLatin1String(table));
        // A table that cannot be read might name the file: keep it.
        if (!rows.ok)
            return true;
        for (const sitedb::Row& row : rows.rows) {
            const QSqlRecord& rec = row.record();
            for (int i = 0; i < rec.count(); ++i) {
                if (valueNames(rec.value(i).toString(), fileName))
                    return true;
            }
        }
    }
    return false;
}

QStringList removeUnnamed(const QStringList& fileNames) {
    QStringList removed;
    for (const QString& name : fileNames) {
        if (name.isEmpty() || removed.contains(name) || name.contains(u'/') ||
            name.contains(u'\\') || name == u"." || name == u".." ||
            name.compare(QLatin1String(sitedb::fileName), Qt::CaseInsensitive) == 0)
            continue;
        const QString path = workspace::currImgPath() + name;
        if (!QFileInfo(path).isFile() || isNamed(name))
            continue;
        if (QFile::remove(path))
            removed << name;
    }
    return removed;
}

} // namespace pictures
