#include "app/startup.h"

#include "app/backup.h"
#include "common/fileops.h"
#include "common/gbk.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QTranslator>

#include <optional>

namespace startup {

namespace {

// The kinds the file dialogs write beside each name, which the installed Qt translation
// does not carry.
class FileKindTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* = nullptr,
                      int = -1) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const QHash<QByteArray, QString> texts{
            {"Folder", QStringLiteral("文件夹")},   {"File", QStringLiteral("文件")},
            {"%1 File", QStringLiteral("%1 文件")}, {"Drive", QStringLiteral("驱动器")},
            {"Alias", QStringLiteral("替身")},      {"Shortcut", QStringLiteral("快捷方式")},
            {"Unknown", QStringLiteral("未知")}};
        return texts.value(QByteArray(sourceText));
    }
};

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
    // UTF-16, as some editors save: with a byte-order mark, or told by its zero bytes.
    std::optional<QStringConverter::Encoding> wide;
    QByteArray data = bytes;
    if (data.startsWith("\xFF\xFE")) {
        wide = QStringConverter::Utf16LE;
        data.remove(0, 2);
    } else if (data.startsWith("\xFE\xFF")) {
        wide = QStringConverter::Utf16BE;
        data.remove(0, 2);
    } else if (data.size() >= 2 && data.contains('\0')) {
        wide = data[0] == '\0' ? QStringConverter::Utf16BE : QStringConverter::Utf16LE;
    }
    if (wide) {
        QStringDecoder decode(*wide);
        QString text = decode(data);
        const qsizetype nl = text.indexOf(u'\n');
        if (nl >= 0)
            text.truncate(nl);
        if (text.endsWith(u'\r'))
            text.chop(1);
        return text;
    }

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

namespace {

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Why a folder named in "initPath.ini" cannot be the working folder; empty when it can.
QString unusable(const QString& folder, const QString& pristine) {
    const QFileInfo info(QDir::cleanPath(folder));
    if (sameFolder(folder, pristine))
        return QStringLiteral("这是安装目录中保存原始数据的文件夹，不能作为工作文件夹");
    if (!info.exists())
        return QStringLiteral("文件夹不存在或无法访问");
    if (!info.isDir())
        return QStringLiteral("这不是文件夹");
    if (!info.isReadable() || !QDir(folder).isReadable())
        return QStringLiteral("文件夹无法读取");
    if (sitedb::findIn(folder).isEmpty())
        return QStringLiteral("其中没有站点数据库“%1”").arg(QString::fromLatin1(sitedb::fileName));
    return {};
}

} // namespace

Workspace resolveWorkspace(const QString& currentPath, const QString& dataRoot) {
    Workspace ws;
    const QString root = dataRoot.isEmpty() ? workspace::dataRootFor(currentPath)
                                            : workspace::withSeparator(dataRoot);
    const QString iniPath = root + kIni;
    const QString pristine = pristineFolder(currentPath);
    const QString defaultPath = root + kDefaultFolder;
    const QString db = QString::fromLatin1(sitedb::fileName);
    const auto shown = [](const QString& path) { return QDir::toNativeSeparators(path); };

    // A user's own data root is made on first start.
    if (!QDir().mkpath(root)) {
        ws.problems << QStringLiteral("无法建立数据文件夹“%1”").arg(shown(root));
        return ws;
    }
    QFile ini(iniPath);
    QByteArray bytes;
    if (ini.exists()) {
        if (ini.open(QIODevice::ReadOnly))
            bytes = ini.readAll();
        else
            ws.warnings << QStringLiteral("无法读取“%1”：%2。\n本次使用默认工作文件夹“%3”。")
                               .arg(shown(iniPath), ini.errorString(), shown(defaultPath));
    } else if (ini.open(QIODevice::WriteOnly)) {
        // A missing file is created empty, which selects the default folder.
        ini.close();
    }

    QString work = defaultPath;
    const QString named = folderFromLine(readFirstLine(bytes), root);
    if (!named.isEmpty() && named != defaultPath) {
        // A folder that cannot be used this time (an unmounted drive, a share that is not
        // there) is named to the user and stays in "initPath.ini" for the next start.
        const QString why = unusable(named, pristine);
        if (why.isEmpty())
            work = named;
        else
            ws.warnings << QStringLiteral("无法使用“initPath.ini”指定的工作文件夹“%1”：%2。\n"
                                          "本次使用默认工作文件夹“%3”，“initPath.ini”保持不变。")
                               .arg(shown(named), why, shown(defaultPath));
    }

    // Only the default folder is ever emptied and seeded, and only when it holds no site
    // database in any spelling.
    if (work == defaultPath && sitedb::findIn(defaultPath).isEmpty()) {
        if (!QDir().mkpath(defaultPath)) {
            ws.problems << QStringLiteral("无法建立工作文件夹“%1”").arg(shown(defaultPath));
            return ws;
        }
        if (!QFileInfo::exists(pristine + db)) {
            ws.problems << QStringLiteral("找不到原始站点数据库“%1”，无法建立工作文件夹。")
                               .arg(shown(pristine + db));
            return ws;
        }
        QString why;
        if (!emptyFolder(defaultPath, &why) ||
            !fileops::replaceWith(pristine + db, defaultPath + db, &why)) {
            ws.problems << why;
            return ws;
        }
        ws.reseeded = true;
    }

    ws.workPath = work;
    ws.databaseFile = sitedb::findIn(work);
    // A database copied in under another spelling takes the name every part of the
    // system (backup, upload, the hosting server) looks for; when it cannot be renamed it
    // is used under its own.
    if (!ws.databaseFile.isEmpty() && ws.databaseFile != work + db &&
        QFile::rename(ws.databaseFile, work + db))
        ws.databaseFile = work + db;
    return ws;
}

QString asideName(const QString& databaseFile, const QDateTime& when) {
    return databaseFile + QStringLiteral(".damaged-") +
           when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

Recovered recoverDatabase(const QString& currentPath, const QString& databaseFile,
                          bool fromBackup, const QDateTime& when) {
    Recovered r;
    const QString work = workspace::withSeparator(QFileInfo(databaseFile).absolutePath());
    const QString pristine = pristineFolder(currentPath) + QString::fromLatin1(sitedb::fileName);
    const backup::Folders folders = backup::folders(currentPath, work);
    if (fromBackup) {
        const sitedb::Outcome readable = backup::checkRestore(folders);
        if (!readable) {
            r.error = readable.error;
            return r;
        }
    } else if (!QFileInfo(pristine).isFile()) {
        r.error = QStringLiteral("找不到文件“%1”").arg(QDir::toNativeSeparators(pristine));
        return r;
    }

    r.aside = asideName(databaseFile, when);
    for (int n = 2; QFileInfo::exists(r.aside); ++n)
        r.aside = asideName(databaseFile, when) + u'-' + QString::number(n);
    if (!QFile::rename(databaseFile, r.aside)) {
        r.error = QStringLiteral("无法将“%1”改名为“%2”")
                      .arg(QDir::toNativeSeparators(databaseFile), QDir::toNativeSeparators(r.aside));
        r.aside.clear();
        return r;
    }
    r.databaseFile = work + QString::fromLatin1(sitedb::fileName);
    // The backup is brought back as the restore command does it: what the working folder
    // held is kept in "savedData.before-restore".
    sitedb::Outcome done;
    if (fromBackup) {
        sitedb::close();
        done = backup::restoreData(folders);
    } else if (!fileops::replaceWith(pristine, r.databaseFile, &r.error)) {
        done = sitedb::Outcome::failure(r.error);
    }
    if (!done) {
        r.error = done.error;
        QFile::rename(r.aside, databaseFile);
        r.aside.clear();
        return r;
    }
    r.ok = true;
    return r;
}

bool loadQtTranslations() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool base = false;
    for (const char* name : {"qtbase_zh_CN", "qtwebengine_zh_CN"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLatin1String(name), dir) &&
            QCoreApplication::installTranslator(translator)) {
            base = base || qstrcmp(name, "qtbase_zh_CN") == 0;
        } else {
            delete translator;
        }
    }
    QCoreApplication::installTranslator(new FileKindTexts(QCoreApplication::instance()));
    return base;
}

QString frameTitle(const QString& webName) {
    return webName + QStringLiteral("--Orvane自动建站系列软件");
}

} // namespace startup
