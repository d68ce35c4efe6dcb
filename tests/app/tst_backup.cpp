#include "app/backup.h"
#include "common/workspace.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QTest>

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
    QVERIFY(failed.error.endsWith(QStringLiteral("原有的备份没有改动。")));

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
    QVERIFY(backup::checkBackup(f));
    QVERIFY(backup::keepCurrent(f));
    const backup::Outcome restored = backup::restoreData(f);
    QVERIFY2(restored, qPrintable(restored.error));

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
        QVERIFY(backup::checkBackup(f));
    } else {
        writeFile(f.backup + kDb, QByteArray(4096, '\x5a'));
        QVERIFY(!backup::checkBackup(f));
    }
    QVERIFY(backup::keepCurrent(f));
    const backup::Outcome failed = backup::restoreData(f);
    QVERIFY(!failed);
    QVERIFY2(failed.error.startsWith(QStringLiteral("数据还原失败：")), qPrintable(failed.error));
    QVERIFY(failed.error.endsWith(QStringLiteral("当前数据没有改动。")));

    QVERIFY(sitedb::isOpen());
    QCOMPARE(pages(), QStringList({"首页", "新闻"}));
    QCOMPARE(filesIn(f.work), QStringList({"a.gif", kDb}));
    QFile a(f.work + "a.gif");
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("mine"));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
