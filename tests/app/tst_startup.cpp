#include "app/startup.h"
#include "fixture.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTest>

namespace {
const QString kDb = QStringLiteral("dalmbuilder.tdc");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstLine_data();
    void firstLine();
    void folderFromLine();
    void freshInstallationIsSeeded();
    void missingIniIsCreated();
    void namedFolderWithDatabaseIsUsed();
    void namedFolderWithoutSeparatorIsUsed();
    void namedFolderMissingFallsBack();
    void namedFolderWithoutDatabaseIsNeverEmptied();
    void defaultFolderWithDatabaseKeepsItsFiles();
    void defaultFolderMissingIsCreated();
    void pristineFolderNameIgnoresCase();
    void missingPristineCopyIsReported();
    void title();
};

void TestStartup::firstLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("empty first line") << QByteArray("\r\n/x/") << QString();
    QTest::newRow("windows line break") << QByteArray("/srv/site/\r\nmore") << "/srv/site/";
    QTest::newRow("utf-8") << QByteArray("/srv/站点/\n") << QStringLiteral("/srv/站点/");
    QStringEncoder gbk("GBK");
    QTest::newRow("gbk") << QByteArray(gbk.encode(QStringLiteral("/srv/站点/")))
                         << QStringLiteral("/srv/站点/");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF/a/") << "/a/";
}

void TestStartup::firstLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QCOMPARE(startup::readFirstLine(bytes), line);
}

void TestStartup::folderFromLine() {
    QCOMPARE(startup::folderFromLine(QString(), "/inst/"), QString());
    QCOMPARE(startup::folderFromLine("/srv/site", "/inst/"), QStringLiteral("/srv/site/"));
    QCOMPARE(startup::folderFromLine("/srv/site/", "/inst/"), QStringLiteral("/srv/site/"));
    QCOMPARE(startup::folderFromLine("C:\\sites\\a\\", "/inst/"),
             QStringLiteral("/inst/C:/sites/a/"));
    QCOMPARE(startup::folderFromLine("mine", "/inst/"), QStringLiteral("/inst/mine/"));
}

void TestStartup::freshInstallationIsSeeded() {
    TempInstall inst;
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.problems.isEmpty());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QVERIFY(ws.reseeded);
    QCOMPARE(readAll(inst.defaultWorkPath() + kDb),
             readAll(inst.currentPath() + "initdata/" + kDb));

    // A second start finds the database and changes nothing.
    inst.write("userImages/logo.gif", "GIF89a");
    const startup::Workspace again = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(!again.reseeded);
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "logo.gif"));
}

void TestStartup::missingIniIsCreated() {
    TempInstall inst;
    QFile::remove(inst.currentPath() + "initPath.ini");
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QVERIFY(QFile::exists(inst.currentPath() + "initPath.ini"));
}

void TestStartup::namedFolderWithDatabaseIsUsed() {
    TempInstall inst;
    inst.write("sites/a/" + kDb, "db");
    inst.write("userImages/keep.jpg", "jpg");
    const QString named = inst.currentPath() + "sites/a/";
    inst.write("initPath.ini", named.toUtf8() + "\r\n");
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, named);
    QVERIFY(!ws.reseeded);
    QVERIFY(!ws.iniReset);
    // The default folder is not touched.
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "keep.jpg"));
}

void TestStartup::namedFolderWithoutSeparatorIsUsed() {
    TempInstall inst;
    inst.write("sites/b/" + kDb, "db");
    inst.write("userImages/keep.jpg", "jpg");
    const QString named = inst.currentPath() + "sites/b";
    inst.write("initPath.ini", named.toUtf8());
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, named + "/");
    QVERIFY(!ws.reseeded);
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "keep.jpg"));
}

void TestStartup::namedFolderMissingFallsBack() {
    TempInstall inst;
    inst.write("initPath.ini", "/no/such/folder/\n");
    inst.write("userImages/" + kDb, "db");
    inst.write("userImages/keep.jpg", "jpg");
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QVERIFY(ws.iniReset);
    QCOMPARE(readAll(inst.currentPath() + "initPath.ini"),
             readAll(inst.currentPath() + "initdata/initPath.ini"));
    // The default folder had its database: nothing of it is emptied.
    QVERIFY(!ws.reseeded);
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "keep.jpg"));
    QCOMPARE(readAll(inst.defaultWorkPath() + kDb), QByteArray("db"));
}

void TestStartup::namedFolderWithoutDatabaseIsNeverEmptied() {
    TempInstall inst;
    inst.write("sites/c/photo.jpg", "mine");
    inst.write("initPath.ini", (inst.currentPath() + "sites/c/").toUtf8());
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QVERIFY(ws.iniReset);
    QVERIFY(ws.reseeded);
    QCOMPARE(readAll(inst.currentPath() + "sites/c/photo.jpg"), QByteArray("mine"));
    QVERIFY(QFile::exists(inst.defaultWorkPath() + kDb));
}

void TestStartup::defaultFolderWithDatabaseKeepsItsFiles() {
    TempInstall inst;
    inst.write("userImages/old.jpg", "old");
    inst.write("userImages/sub/x.txt", "x");
    // No database: the default folder is emptied, subfolders too, and seeded.
    startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.reseeded);
    QVERIFY(!QFile::exists(inst.defaultWorkPath() + "old.jpg"));
    QVERIFY(!QDir(inst.defaultWorkPath() + "sub").exists());
    QVERIFY(QFile::exists(inst.defaultWorkPath() + kDb));
}

void TestStartup::defaultFolderMissingIsCreated() {
    TempInstall inst;
    QDir(inst.defaultWorkPath()).removeRecursively();
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.problems.isEmpty());
    QVERIFY(QFile::exists(inst.defaultWorkPath() + kDb));
}

void TestStartup::pristineFolderNameIgnoresCase() {
    TempInstall inst;
    QVERIFY(QDir(inst.currentPath()).rename("initdata", "initData"));
    QCOMPARE(startup::pristineFolder(inst.currentPath()), inst.currentPath() + "initData/");
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.problems.isEmpty());
    QVERIFY(ws.reseeded);
}

void TestStartup::missingPristineCopyIsReported() {
    TempInstall inst;
    QFile::remove(inst.currentPath() + "initdata/" + kDb);
    inst.write("userImages/keep.jpg", "jpg");
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.workPath.isEmpty());
    QCOMPARE(ws.problems.size(), 1);
    QVERIFY(ws.problems.front().contains("initdata/dalmbuilder.tdc"));
    // Nothing was emptied on the way to failing.
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "keep.jpg"));
}

void TestStartup::title() {
    QCOMPARE(startup::frameTitle(QStringLiteral("奥凡科技")),
             QStringLiteral("奥凡科技--Orvane自动建站系列软件"));
    QCOMPARE(startup::frameTitle(QString()), QStringLiteral("--Orvane自动建站系列软件"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
