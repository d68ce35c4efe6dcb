#include "app/startup.h"
#include "common/workspace.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

using testfiles::readAll;
const QString kDb = QStringLiteral("dalmbuilder.tdc");

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
    void unusableNamedFolderIsToldAndKept_data();
    void unusableNamedFolderIsToldAndKept();
    void unreadableIniIsTold();
    void databaseInAnyLetterCase_data();
    void databaseInAnyLetterCase();
    void recoveryKeepsTheDamagedFile_data();
    void recoveryKeepsTheDamagedFile();
    void defaultFolderWithDatabaseKeepsItsFiles();
    void defaultFolderMissingIsCreated();
    void pristineFolderNameIgnoresCase();
    void missingPristineCopyIsReported();
    void title();
    void userDataRoot_data();
    void userDataRoot();
    void installationFolder_data();
    void installationFolder();
    void readOnlyInstallationSendsUsersHome();
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
    const auto utf16 = [](QStringConverter::Encoding e, bool bom) {
        QStringEncoder enc(e, bom ? QStringConverter::Flag::WriteBom
                                  : QStringConverter::Flag::Default);
        return QByteArray(enc.encode(QStringLiteral("/srv/站点/\r\n第二行")));
    };
    QTest::newRow("utf-16 little-endian with mark")
        << utf16(QStringConverter::Utf16LE, true) << QStringLiteral("/srv/站点/");
    QTest::newRow("utf-16 big-endian with mark")
        << utf16(QStringConverter::Utf16BE, true) << QStringLiteral("/srv/站点/");
    QTest::newRow("utf-16 without mark")
        << utf16(QStringConverter::Utf16LE, false) << QStringLiteral("/srv/站点/");
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
    QVERIFY(ws.warnings.isEmpty());
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

void TestStartup::unusableNamedFolderIsToldAndKept_data() {
    QTest::addColumn<QString>("named"); // relative to the installation
    QTest::addColumn<bool>("defaultHasDatabase");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing, default kept") << "gone/" << true << "文件夹不存在或无法访问";
    QTest::newRow("missing, default seeded") << "gone/" << false << "文件夹不存在或无法访问";
    QTest::newRow("no site database") << "sites/c/" << false << "其中没有站点数据库";
    QTest::newRow("the pristine copy") << "initdata/" << true << "原始数据";
    QTest::newRow("a file") << "sites/c/photo.jpg" << true << "这不是文件夹";
}

void TestStartup::unusableNamedFolderIsToldAndKept() {
    QFETCH(QString, named);
    QFETCH(bool, defaultHasDatabase);
    QFETCH(QString, reason);
    TempInstall inst;
    inst.write("sites/c/photo.jpg", "mine");
    if (defaultHasDatabase)
        inst.write("userImages/" + kDb, "db");
    inst.write("userImages/keep.jpg", "jpg");
    const QByteArray ini = (inst.currentPath() + named).toUtf8() + "\r\n";
    inst.write("initPath.ini", ini);
    const QByteArray pristine = readAll(inst.currentPath() + "initdata/" + kDb);

    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QCOMPARE(ws.databaseFile, inst.defaultWorkPath() + kDb);
    QCOMPARE(ws.warnings.size(), 1);
    QVERIFY2(ws.warnings.front().contains(reason), qPrintable(ws.warnings.front()));
    QVERIFY(ws.warnings.front().contains(QDir::cleanPath(inst.currentPath() + named)));
    QVERIFY(ws.warnings.front().contains("本次使用默认工作文件夹"));
    // The named site stays named for the next start, and nothing of it is touched.
    QCOMPARE(readAll(inst.currentPath() + "initPath.ini"), ini);
    QCOMPARE(readAll(inst.currentPath() + "sites/c/photo.jpg"), QByteArray("mine"));
    QCOMPARE(readAll(inst.currentPath() + "initdata/" + kDb), pristine);
    // The default folder is emptied only when it lacks its database.
    QCOMPARE(ws.reseeded, !defaultHasDatabase);
    QCOMPARE(QFile::exists(inst.defaultWorkPath() + "keep.jpg"), defaultHasDatabase);
}

void TestStartup::unreadableIniIsTold() {
    TempInstall inst;
    QFile::remove(inst.currentPath() + "initPath.ini");
    QVERIFY(QDir().mkpath(inst.currentPath() + "initPath.ini"));
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QCOMPARE(ws.workPath, inst.defaultWorkPath());
    QCOMPARE(ws.warnings.size(), 1);
    QVERIFY(ws.warnings.front().startsWith("无法读取"));
    QVERIFY(QFileInfo(inst.currentPath() + "initPath.ini").isDir());
}

void TestStartup::databaseInAnyLetterCase_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("default, upper case") << "userImages/" << "DALMBUILDER.TDC";
    QTest::newRow("default, capitalised") << "userImages/" << "Dalmbuilder.tdc";
    QTest::newRow("named, upper case") << "sites/w/" << "DALMBUILDER.TDC";
}

void TestStartup::databaseInAnyLetterCase() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    TempInstall inst;
    inst.write(folder + name, "site copied from elsewhere");
    inst.write(folder + "logo.gif", "GIF89a");
    if (folder != u"userImages/")
        inst.write("initPath.ini", (inst.currentPath() + folder).toUtf8());
    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath());
    QVERIFY(ws.warnings.isEmpty());
    QCOMPARE(ws.workPath, inst.currentPath() + folder);
    // It takes the name the rest of the system looks for.
    QCOMPARE(ws.databaseFile, inst.currentPath() + folder + kDb);
    QVERIFY(!QFile::exists(inst.currentPath() + folder + name));
    QVERIFY(!ws.reseeded);
    QCOMPARE(readAll(ws.databaseFile), QByteArray("site copied from elsewhere"));
    QVERIFY(QFile::exists(inst.currentPath() + folder + "logo.gif"));
}

void TestStartup::recoveryKeepsTheDamagedFile_data() {
    QTest::addColumn<bool>("fromBackup");
    QTest::newRow("from the backup") << true;
    QTest::newRow("from the pristine copy") << false;
}

void TestStartup::recoveryKeepsTheDamagedFile() {
    QFETCH(bool, fromBackup);
    TempInstall inst;
    QVERIFY(inst.openSite()); // a site database that opens, for the backup
    sitedb::close();
    QDir().mkpath(inst.currentPath() + "savedData");
    QVERIFY(QFile::rename(inst.defaultWorkPath() + kDb, inst.currentPath() + "savedData/" + kDb));
    const QByteArray backedUp = readAll(inst.currentPath() + "savedData/" + kDb);
    inst.write("userImages/" + kDb, "damaged");
    inst.write("userImages/photo.jpg", "newer photo");
    inst.write("savedData/photo.jpg", "older photo");
    const QDateTime when(QDate(2026, 5, 1), QTime(10, 30, 0));

    const startup::Recovered r = startup::recoverDatabase(
        inst.currentPath(), inst.defaultWorkPath() + kDb, fromBackup, when);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.aside, inst.defaultWorkPath() + kDb + ".damaged-20260501-103000");
    QCOMPARE(readAll(r.aside), QByteArray("damaged"));
    QCOMPARE(r.databaseFile, inst.defaultWorkPath() + kDb);
    QCOMPARE(readAll(r.databaseFile),
             fromBackup ? backedUp : readAll(inst.currentPath() + "initdata/" + kDb));
    // The restore is the restore command's: what it overwrites is kept beside the backup.
    QCOMPARE(readAll(inst.defaultWorkPath() + "photo.jpg"),
             fromBackup ? QByteArray("older photo") : QByteArray("newer photo"));
    if (fromBackup)
        QCOMPARE(readAll(inst.currentPath() + "savedData.before-restore/photo.jpg"),
                 QByteArray("newer photo"));
    QVERIFY(!sitedb::isOpen());
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

// A data root apart from the installation (a user's own, for an installation they cannot
// write): "initPath.ini" and the default folder live there, seeded from the
// installation's pristine copy; a folder named in that "initPath.ini" still wins.
void TestStartup::userDataRoot_data() {
    QTest::addColumn<QString>("iniLine"); // "%root%": the data root
    QTest::addColumn<QString>("named");   // a folder made with a site database, or empty
    QTest::addColumn<QString>("expected");
    QTest::newRow("first start seeds the user's folder") << "" << "" << "%root%userImages/";
    QTest::newRow("relative name, from the data root")
        << "mysite" << "%root%mysite/" << "%root%mysite/";
    QTest::newRow("absolute name") << "%root%other/a" << "%root%other/a/" << "%root%other/a/";
    QTest::newRow("unusable name falls back to the user's folder")
        << "%root%gone/" << "" << "%root%userImages/";
}

void TestStartup::userDataRoot() {
    QFETCH(QString, iniLine);
    QFETCH(QString, named);
    QFETCH(QString, expected);
    TempInstall inst;
    QTemporaryDir home;
    const QString root = home.path() + QStringLiteral("/share/orvane/");
    if (!iniLine.isEmpty())
        QVERIFY(QDir().mkpath(root));
    const auto at = [&](QString s) { return s.replace(QStringLiteral("%root%"), root); };
    if (!named.isEmpty()) {
        QVERIFY(QDir().mkpath(at(named)));
        QFile db(at(named) + kDb);
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.write("db");
    }
    if (!iniLine.isEmpty()) {
        QFile ini(root + "initPath.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(at(iniLine).toUtf8());
    }
    QFile::remove(inst.currentPath() + "initPath.ini");
    const QStringList installed = QDir(inst.currentPath()).entryList(QDir::AllEntries);

    const startup::Workspace ws = startup::resolveWorkspace(inst.currentPath(), root);
    QVERIFY2(ws.problems.isEmpty(), qPrintable(ws.problems.join(u'\n')));
    QCOMPARE(ws.workPath, at(expected));
    QVERIFY(QFile::exists(root + "initPath.ini"));
    if (named.isEmpty())
        QCOMPARE(readAll(ws.databaseFile), readAll(inst.currentPath() + "initdata/" + kDb));
    // The installation is only read.
    QCOMPARE(QDir(inst.currentPath()).entryList(QDir::AllEntries), installed);
}

void TestStartup::installationFolder_data() {
    QTest::addColumn<QStringList>("dataIn"); // folders that hold "initdata"
    QTest::addColumn<QString>("expected");
    QTest::newRow("a build: data beside the program") << QStringList{"bin", "share/orvane"}
                                                      << "bin/";
    QTest::newRow("installed: data in share/orvane") << QStringList{"share/orvane"}
                                                     << "share/orvane/";
    QTest::newRow("no data anywhere: the program's folder") << QStringList{} << "bin/";
}

void TestStartup::installationFolder() {
    QFETCH(QStringList, dataIn);
    QFETCH(QString, expected);
    QTemporaryDir prefix;
    const QString base = prefix.path() + u'/';
    QVERIFY(QDir().mkpath(base + "bin"));
    for (const QString& d : dataIn)
        QVERIFY(QDir().mkpath(base + d + "/initdata"));
    QCOMPARE(workspace::installationFor(base + "bin"), base + expected);
}

void TestStartup::readOnlyInstallationSendsUsersHome() {
    TempInstall inst;
    QCOMPARE(workspace::dataRootFor(inst.currentPath()), inst.currentPath());
    if (::geteuid() == 0)
        QSKIP("root writes every folder; the package test runs this as ordinary users");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QVERIFY(QFile::setPermissions(inst.currentPath(), QFile::ReadOwner | QFile::ExeOwner));
    const QString root = workspace::dataRootFor(inst.currentPath());
    QFile::setPermissions(inst.currentPath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(root, home.path() + QStringLiteral("/orvane/"));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
