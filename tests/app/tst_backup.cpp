#include "app/backup.h"
#include "common/workspace.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kDb = QStringLiteral("dalmbuilder.tdc");

void addPage(const QString& name) {
    QVERIFY(sitedb::exec("INSERT INTO firstCatalog (firstCatalog, catalog, orderID, aspFileName) "
                         "VALUES (?, 0, 1, 'txt')",
                         {name}));
}

QStringList pages() {
    QStringList names;
    for (const sitedb::Row& r : sitedb::query("SELECT firstCatalog FROM firstCatalog").rows)
        names << r.text("firstCatalog");
    return names;
}

// The pages of a site database that is not open.
QStringList pagesIn(const QString& file) {
    const QString open = sitedb::currentFile();
    sitedb::open(file);
    const QStringList names = pages();
    sitedb::open(open);
    return names;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden);
    names.sort();
    return names;
}

// Every folder beside the backup: nothing half-made is left behind.
QStringList backupFolders(const QString& install) {
    return QDir(install).entryList({"savedData*"}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backupTwiceKeepsTheSecond_data();
    void backupTwiceKeepsTheSecond();
    void failedBackupKeepsThePrevious_data();
    void failedBackupKeepsThePrevious();
    void restoreBringsBackTheDatabase();
    void failedRestoreChangesNothing_data();
    void failedRestoreChangesNothing();
    void killedAnywhereLeavesOneWholeState_data();
    void killedAnywhereLeavesOneWholeState();
    void restoreOnANearlyFullDisk_data();
    void restoreOnANearlyFullDisk();
    void leftoversNeverBlockABackup_data();
    void leftoversNeverBlockABackup();
};

void TestBackup::backupTwiceKeepsTheSecond_data() {
    QTest::addColumn<QString>("namedFolder");
    QTest::newRow("default working folder") << QString();
    QTest::newRow("folder named in initPath.ini") << QStringLiteral("我的 网站's/");
}

void TestBackup::backupTwiceKeepsTheSecond() {
    QFETCH(QString, namedFolder);
    TempInstall inst;
    QVERIFY(inst.openSite());
    QString work = inst.defaultWorkPath();
    if (!namedFolder.isEmpty()) {
        work = inst.currentPath() + namedFolder;
        QDir().mkpath(work);
        QVERIFY(QFile::copy(inst.defaultWorkPath() + kDb, work + kDb));
        QVERIFY(sitedb::open(work + kDb));
        workspace::setWorkingPath(work);
    }
    const backup::Folders f = backup::folders(inst.currentPath(), work);
    QCOMPARE(f.work, work);

    addPage("首页");
    writeFile(work + "a.gif", "first");
    writeFile(work + "images/logo.gif", "logo");
    QVERIFY(!backup::hasBackup(f));
    QVERIFY(backup::backupData(f));

    addPage("新闻");
    QFile::remove(work + "a.gif");
    writeFile(work + "b.gif", "second");
    const backup::Outcome second = backup::backupData(f);
    QVERIFY2(second, qPrintable(second.error));

    QVERIFY(backup::hasBackup(f));
    QCOMPARE(filesIn(f.backup), QStringList({"b.gif", kDb}));
    QCOMPARE(filesIn(f.backup + "images"), QStringList{"logo.gif"});
    QCOMPARE(pagesIn(f.backup + kDb), QStringList({"首页", "新闻"}));
    QCOMPARE(backupFolders(inst.currentPath()), QStringList{"savedData"});
    // The connection stayed open on the working folder throughout.
    QCOMPARE(QFileInfo(sitedb::currentFile()), QFileInfo(work + kDb));
}

void TestBackup::failedBackupKeepsThePrevious_data() {
    QTest::addColumn<QString>("cause");
    QTest::newRow("a file of the working folder cannot be read") << "unreadable";
    QTest::newRow("the backup folder cannot be written") << "unwritable";
}

void TestBackup::failedBackupKeepsThePrevious() {
    QFETCH(QString, cause);
    TempInstall inst;
    QVERIFY(inst.openSite());
    backup::Folders f = backup::folders(inst.currentPath(), inst.defaultWorkPath());
    addPage("首页");
    QVERIFY(backup::backupData(f));
    addPage("新闻");

    if (cause == "unreadable") {
        QVERIFY(QFile::link(inst.currentPath() + "gone.gif", f.work + "zzz.gif"));
    } else {
        // A folder below a plain file cannot be made, not even by the superuser.
        writeFile(inst.currentPath() + "blocked", "x");
        f.backup = inst.currentPath() + "blocked/savedData/";
    }
    const backup::Outcome failed = backup::backupData(f);
    QVERIFY(!failed);
    QVERIFY2(failed.error.startsWith(QStringLiteral("数据备份失败：")), qPrintable(failed.error));
    // Only a backup that is there is said to be unchanged: the unwritable one never was.
    QCOMPARE(failed.error.endsWith(QStringLiteral("原有的备份没有改动。")), cause == "unreadable");

    const QString previous = inst.currentPath() + "savedData/";
    QCOMPARE(pagesIn(previous + kDb), QStringList{"首页"});
    QCOMPARE(filesIn(previous), QStringList{kDb});
    QCOMPARE(backupFolders(inst.currentPath()), QStringList{"savedData"});
    QCOMPARE(pages(), QStringList({"首页", "新闻"}));
}

void TestBackup::restoreBringsBackTheDatabase() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    const backup::Folders f = backup::folders(inst.currentPath(), inst.defaultWorkPath());
    addPage("首页");
    writeFile(f.work + "a.gif", "backed up");
    QVERIFY(backup::backupData(f));

    addPage("新闻");
    writeFile(f.work + "a.gif", "changed");
    writeFile(f.work + "new.gif", "added later");
    QVERIFY(backup::checkRestore(f));
    sitedb::close();
    const backup::Outcome restored = backup::restoreData(f);
    QVERIFY2(restored, qPrintable(restored.error));
    QVERIFY(sitedb::open(f.work + kDb));

    QVERIFY(sitedb::isOpen());
    QCOMPARE(QFileInfo(sitedb::currentFile()), QFileInfo(f.work + kDb));
    QCOMPARE(pages(), QStringList{"首页"});
    QFile a(f.work + "a.gif");
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("backed up"));
    QVERIFY(QFile::exists(f.work + "new.gif"));
    // What was there before the restore can be brought back by hand.
    QCOMPARE(pagesIn(f.keep + kDb), QStringList({"首页", "新闻"}));
    QCOMPARE(filesIn(f.keep), QStringList({"a.gif", kDb, "new.gif"}));
}

void TestBackup::failedRestoreChangesNothing_data() {
    QTest::addColumn<QString>("cause");
    QTest::newRow("a backed-up file cannot be read") << "unreadable";
    QTest::newRow("the backed-up database is damaged") << "damaged";
}

void TestBackup::failedRestoreChangesNothing() {
    QFETCH(QString, cause);
    TempInstall inst;
    QVERIFY(inst.openSite());
    const backup::Folders f = backup::folders(inst.currentPath(), inst.defaultWorkPath());
    addPage("首页");
    QVERIFY(backup::backupData(f));
    addPage("新闻");
    writeFile(f.work + "a.gif", "mine");

    if (cause == "unreadable") {
        // Sorted after the database, so the database is overwritten before this fails.
        writeFile(f.backup + "a.gif", "old");
        QVERIFY(QFile::link(inst.currentPath() + "gone.gif", f.backup + "zzz.gif"));
        QVERIFY(backup::checkRestore(f));
    } else {
        writeFile(f.backup + kDb, QByteArray(4096, '\x5a'));
        QVERIFY(!backup::checkRestore(f));
    }
    sitedb::close();
    const backup::Outcome failed = backup::restoreData(f);
    QVERIFY(!failed);
    QVERIFY2(failed.error.startsWith(QStringLiteral("数据还原失败")), qPrintable(failed.error));
    QVERIFY(failed.error.endsWith(QStringLiteral("当前数据没有改动。")));
    QVERIFY(sitedb::open(f.work + kDb));

    QVERIFY(sitedb::isOpen());
    QCOMPARE(pages(), QStringList({"首页", "新闻"}));
    QCOMPARE(filesIn(f.work), QStringList({"a.gif", kDb}));
    QFile a(f.work + "a.gif");
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("mine"));
}

namespace {

// A small installation of its own: the backup and the working folder, each with a site
// database named by its site name and a few pictures.
struct Scene {
    QString home; // ends with "/"
    backup::Folders f;

    explicit Scene(const QString& folder)
        : home(workspace::withSeparator(folder)),
          f(backup::folders(home, home + QStringLiteral("userImages/"))) {}

    void site(const QString& folder, const QString& webName) const {
        QDir().mkpath(folder);
        QFile::remove(folder + kDb);
        QFile::copy(builtInstallPath() + "initdata/" + kDb, folder + kDb);
        QFile::setPermissions(folder + kDb, QFile::permissions(folder + kDb) | QFile::WriteOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "scene");
            db.setDatabaseName(folder + kDb);
            db.open();
            QSqlQuery(db).exec("UPDATE user_info SET webName='" + webName + "'");
            db.close();
        }
        QSqlDatabase::removeDatabase("scene");
    }
};

// The site name of a database that is not open; empty when it cannot be read.
QString webNameIn(const QString& file) {
    QString name;
    if (!QFileInfo(file).isFile())
        return name;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "look");
        db.setDatabaseName(file);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT webName FROM user_info") && q.next())
                name = q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("look");
    return name;
}

// A folder as one line: its site name, then every other file with its content, sorted.
QString contentOf(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("(none)");
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(folder).relativeFilePath(path);
        if (relative == kDb)
            continue;
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files << relative + u'=' + QString::fromUtf8(f.read(40));
    }
    files.sort();
    return webNameIn(workspace::withSeparator(folder) + kDb) + u'|' + files.join(u',');
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The data of the kill test: an earlier kept folder, a backup and a working folder that
// differ in their database, a picture of the same name, and pictures only one holds.
void killScene(const Scene& s) {
    s.site(s.f.backup, QStringLiteral("备份的站点"));
    writeFile(s.f.backup + "same.gif", "backed up");
    writeFile(s.f.backup + "a/only-backup.gif", "backup only");
    for (int i = 0; i < 4; ++i)
        writeFile(s.f.backup + QStringLiteral("b%1.gif").arg(i), QByteArray(300 * 1024, 'b'));
    s.site(s.f.work, QStringLiteral("当前的站点"));
    writeFile(s.f.work + "same.gif", "current");
    writeFile(s.f.work + "a/only-work.gif", "work only");
    writeFile(s.f.keep + "earlier.gif", "kept before");
}

// The helper process run by the tests: `kill <backup|restore> <home> <n>` runs the one or
// the other and kills itself with SIGKILL at the n-th report of progress, printing the
// number of reports when it got to the end.
int killChild(const QStringList& args) {
    const Scene s(args.value(1));
    const int at = args.value(2).toInt();
    int reports = 0;
    const backup::Progress progress = [&](qint64, qint64) {
        if (++reports == at)
            ::raise(SIGKILL);
    };
    const backup::Outcome done = args.value(0) == u"backup" ? backup::backupData(s.f, progress)
                                                            : backup::restoreData(s.f, progress);
    std::printf("%d %s\n", reports, qPrintable(done.error));
    return done ? 0 : 1;
}

// `disk <dir> <kilobytes> <backup kilobytes>`: on a disk of its own of that size, in a
// mount namespace of its own, restores a backup of that size over a working folder that
// fills most of the rest; prints the outcome, then the working and the kept folder.
int diskChild(const QStringList& args) {
    const QString dir = args.value(0);
    const QByteArray options = "size=" + args.value(1).toLatin1() + "k";
    if (::mount("orvane", QFile::encodeName(dir).constData(), "tmpfs", 0, options.constData()) != 0)
        return 77;
    const Scene s(dir);
    s.site(s.f.backup, QStringLiteral("备份的站点"));
    writeFile(s.f.backup + "banner.bmp", QByteArray(args.value(2).toInt() * 1024, 'b'));
    s.site(s.f.work, QStringLiteral("当前的站点"));
    // Pictures added since the backup: they fill the disk.
    for (int i = 0; i < 9; ++i)
        writeFile(s.f.work + QStringLiteral("photo%1.jpg").arg(i), QByteArray(100 * 1024, 'p'));
    backup::Outcome done = backup::checkRestore(s.f);
    if (done)
        done = backup::restoreData(s.f);
    std::printf("%s\n%s|%s\n%s\n", done ? "ok" : qPrintable(QString(done.error).replace(u'\n', u' ')),
                qPrintable(webNameIn(s.f.work + kDb)), qPrintable(entriesOf(s.f.work).join(u',')),
                qPrintable(webNameIn(backup::keptIn(s.f) + kDb)));
    return 0;
}

// A namespace of its own where this process may mount a small disk; false when the
// system allows none.
bool privateMounts() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
        auto put = [](const char* file, const QByteArray& text) {
            const int fd = ::open(file, O_WRONLY);
            const bool ok = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
            if (fd >= 0)
                ::close(fd);
            return ok;
        };
        put("/proc/self/setgroups", "deny");
        if (!put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
            !put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
            return false;
    } else if (uid != 0 || ::unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    // Nothing mounted here is seen outside.
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// `backup <home> <file size limit in KB, 0 for none> <times>`: backs up as a user who
// cannot write what is read-only (nobody, when run by the superuser), printing each
// outcome on a line.
int backupChild(const QStringList& args) {
    const Scene s(args.value(0));
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        return 77;
    if (const int limit = args.value(1).toInt()) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{rlim_t(limit) * 1024, rlim_t(limit) * 1024};
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    for (int i = 0; i < args.value(2).toInt(); ++i) {
        const backup::Outcome done = backup::backupData(s.f);
        std::printf("%s\n", done ? "ok" : qPrintable(QString(done.error).replace(u'\n', u' ')));
    }
    return 0;
}

// Runs this program as the helper process; its output and exit code.
int runChild(const QStringList& args, QString* output) {
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), QStringList{"--child"} + args);
    p.waitForFinished(120000);
    *output = QString::fromUtf8(p.readAllStandardOutput());
    if (output->endsWith(u'\n'))
        output->chop(1);
    if (p.exitStatus() == QProcess::CrashExit)
        return -p.exitCode() - 1000;
    return p.exitCode();
}

// Gives the folder and everything in it to the user the helper process runs as.
void giveToHelper(const QString& folder) {
    if (::geteuid() != 0)
        return;
    ::chown(QFile::encodeName(folder).constData(), 65534, 65534);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        ::lchown(QFile::encodeName(it.next()).constData(), 65534, 65534);
}

void makeReadOnly(const QString& folder) {
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList all;
    while (it.hasNext())
        all << it.next();
    all << folder;
    for (const QString& path : all)
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

} // namespace

void TestBackup::killedAnywhereLeavesOneWholeState_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("restore") << "restore";
    QTest::newRow("backup") << "backup";
}

void TestBackup::killedAnywhereLeavesOneWholeState() {
    QFETCH(QString, operation);
    const bool restore = operation == u"restore";
    int reports = 0;
    QStringList seen;
    // Killed at every report of progress in turn, until the run gets to the end.
    for (int at = 1; at < 200; ++at) {
        QTemporaryDir dir;
        const Scene s(dir.path());
        killScene(s);
        const QString work = contentOf(s.f.work);
        const QString saved = contentOf(s.f.backup);
        const QString kept = contentOf(s.f.keep);
        const QStringList entries = entriesOf(s.home);

        QString output;
        const int code = runChild({"kill", operation, s.home, QString::number(at)}, &output);
        const bool killed = code != 0;
        const backup::Resumed r = backup::resumeInterrupted(s.home);
        if (!killed) {
            QVERIFY2(output == QString::number(at - 1) + u' ', qPrintable(output));
            QCOMPARE(r.kind, backup::Resumed::Nothing);
            reports = at - 1;
        } else {
            QVERIFY2(r.kind == backup::Resumed::Finished || r.kind == backup::Resumed::RolledBack,
                     qPrintable(r.message));
            seen << (r.kind == backup::Resumed::Finished ? "finished" : "rolled back");
        }
        const bool done = !killed || r.kind == backup::Resumed::Finished;
        const QString where = QStringLiteral("killed at report %1: %2").arg(at).arg(r.message);
        // Nothing half-made is left behind.
        QCOMPARE(entriesOf(s.home), entries);
        if (restore) {
            QVERIFY2(contentOf(s.f.backup) == saved, qPrintable(where));
            if (done) {
                // The backup's files, and the working folder's own picture stays.
                QStringList files = saved.section(u'|', 1).split(u',');
                files << QStringLiteral("a/only-work.gif=work only");
                files.sort();
                QVERIFY2(contentOf(s.f.work) == QStringLiteral("备份的站点|") + files.join(u','),
                         qPrintable(where + u' ' + contentOf(s.f.work)));
                QVERIFY2(contentOf(s.f.keep) == work, qPrintable(where));
                QVERIFY(!killed || r.message.contains(QStringLiteral("现已完成还原")));
            } else {
                QVERIFY2(contentOf(s.f.work) == work, qPrintable(where));
                QVERIFY2(contentOf(s.f.keep) == kept, qPrintable(where));
                QVERIFY(r.message.contains(QStringLiteral("已撤销")));
            }
        } else {
            QVERIFY2(contentOf(s.f.work) == work, qPrintable(where));
            QVERIFY2(contentOf(s.f.backup) == (done ? work : saved), qPrintable(where));
        }
        if (!killed)
            break;
    }
    QVERIFY2(reports > 5, qPrintable(QString::number(reports)));
    // Both ends were met: a copy cut off is undone, a complete one is put in place.
    QVERIFY2(seen.contains("finished") && seen.contains("rolled back"), qPrintable(seen.join(',')));
}

void TestBackup::restoreOnANearlyFullDisk_data() {
    QTest::addColumn<int>("backupKB");
    QTest::addColumn<bool>("fits");
    // A 1.5 MB disk: the working folder takes 1 MB of it, the backup the rest but for
    // what the restore needs: the working folder is moved aside, not copied.
    QTest::newRow("the restored copy fits") << 100 << true;
    QTest::newRow("the restored copy does not fit") << 300 << false;
}

void TestBackup::restoreOnANearlyFullDisk() {
    QFETCH(int, backupKB);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    QString output;
    const int code = runChild({"disk", dir.path(), "1500", QString::number(backupKB)}, &output);
    if (code == 77)
        QSKIP("this system gives no mount namespace of its own for a small disk");
    QCOMPARE(code, 0);
    const QStringList lines = output.split(u'\n');
    QCOMPARE(lines.size(), 3);
    if (fits) {
        QCOMPARE(lines[0], QStringLiteral("ok"));
        QVERIFY2(lines[1].startsWith(QStringLiteral("备份的站点|banner.bmp,dalmbuilder.tdc,photo0.jpg")),
                 qPrintable(lines[1]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("photo8.jpg")), qPrintable(lines[1]));
        QCOMPARE(lines[2], QStringLiteral("当前的站点"));
    } else {
        // Said plainly, with how much is needed; nothing changed.
        QVERIFY2(lines[0].startsWith(QStringLiteral("数据还原失败，磁盘空间不足：还原数据需要 ")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[0].contains(QStringLiteral("请腾出至少 ")), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith(QStringLiteral("当前的站点|dalmbuilder.tdc,photo0.jpg")),
                 qPrintable(lines[1]));
        QCOMPARE(lines[2], QString());
    }
}

void TestBackup::leftoversNeverBlockABackup_data() {
    QTest::addColumn<QString>("leftover"); // made read-only before the backup
    QTest::addColumn<int>("limitKB");      // the largest file the system lets be written
    QTest::addColumn<bool>("hadBackup");
    QTest::addColumn<QString>("said");     // each outcome, "|"-separated
    QTest::newRow("read-only savedData.old")
        << "savedData.old" << 0 << true << "ok|ok";
    QTest::newRow("read-only savedData")
        << "savedData" << 0 << true << "ok|ok";
    QTest::newRow("read-only savedData.new")
        << "savedData.new" << 0 << true << "ok|ok";
    QTest::newRow("a file too large, no backup yet")
        << "" << 200 << false
        << "数据备份失败：无法复制“{work}big.bmp”到“{home}savedData.new/big.bmp”，"
           "无法写入：文件超出了系统允许的大小";
    QTest::newRow("a file too large, a backup there")
        << "" << 200 << true
        << "数据备份失败：无法复制“{work}big.bmp”到“{home}savedData.new/big.bmp”，"
           "无法写入：文件超出了系统允许的大小 原有的备份没有改动。";
}

void TestBackup::leftoversNeverBlockABackup() {
    QFETCH(QString, leftover);
    QFETCH(int, limitKB);
    QFETCH(bool, hadBackup);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const Scene s(dir.path());
    if (hadBackup) {
        s.site(s.f.backup, QStringLiteral("旧的备份"));
        writeFile(s.f.backup + "old.gif", "old");
    }
    s.site(s.f.work, QStringLiteral("当前的站点"));
    writeFile(s.f.work + "new.gif", "new");
    if (limitKB)
        writeFile(s.f.work + "big.bmp", QByteArray(300 * 1024, 'b'));
    if (!leftover.isEmpty()) {
        writeFile(s.home + leftover + "/old.gif", "left over");
        makeReadOnly(s.home + leftover);
    }
    giveToHelper(s.home);
    const QString before = contentOf(s.f.backup);

    QString output;
    const int code = runChild({"backup", s.home, QString::number(limitKB),
                               QString::number(said.count(u'|') + 1)},
                              &output);
    QCOMPARE(code, 0);
    QCOMPARE(output.split(u'\n').join(u'|'),
             QString(said).replace("{work}", s.f.work).replace("{home}", s.home));
    QCOMPARE(contentOf(s.f.backup),
             said.startsWith("ok") ? QStringLiteral("当前的站点|new.gif=new") : before);
    QVERIFY(!QFileInfo::exists(s.f.journal));
}

int main(int argc, char** argv) {
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0) {
        // Before any thread starts: a namespace is only given to a process of one thread.
        if (qstrcmp(argv[2], "disk") == 0 && !privateMounts())
            return 77;
        QCoreApplication app(argc, argv);
        const QStringList args = app.arguments().mid(3);
        const QString what = app.arguments().at(2);
        if (what == u"kill")
            return killChild(args);
        if (what == u"disk")
            return diskChild(args);
        return backupChild(args);
    }
    QCoreApplication app(argc, argv);
    TestBackup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"
