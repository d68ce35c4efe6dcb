// One running program per working folder: the lock, its takeover from a program that is
// gone, and a real second start of the program.
#include "app/instanceLock.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using instanceLock::Lock;

class TestInstanceLock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneHolderPerFolder_data();
    void oneHolderPerFolder();
    void secondStartBringsTheRunningProgramForward();
    void lockOfACrashedProgramIsTakenOver();
};

namespace {

// The installation with the program itself beside its data, as a user has it.
bool installProgram(const TempInstall& inst) {
    return QFile::copy(builtInstallPath() + QStringLiteral("orvane"),
                       inst.currentPath() + QStringLiteral("orvane"));
}

void startProgram(QProcess& program, const TempInstall& inst) {
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(inst.currentPath() + QStringLiteral("orvane"), {});
}

} // namespace

void TestInstanceLock::oneHolderPerFolder_data() {
    QTest::addColumn<QString>("second"); // the folder the second start opens
    QTest::addColumn<bool>("taken");
    QTest::newRow("the same folder") << "work/" << false;
    QTest::newRow("the same folder, written another way") << "other/../work/./" << false;
    QTest::newRow("the same folder through a link") << "link/" << false;
    QTest::newRow("another folder") << "other/" << true;
}

void TestInstanceLock::oneHolderPerFolder() {
    QFETCH(QString, second);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    const QString base = dir.path() + u'/';
    QVERIFY(QDir().mkpath(base + "work") && QDir().mkpath(base + "other"));
    QVERIFY(QFile::link(base + "work", base + "link"));

    auto first = std::make_unique<Lock>(base + "work/");
    QVERIFY(first->take());
    Lock later(base + second);
    QCOMPARE(later.take(), taken);
    // The lock lies beside the folder, never in it: the folder is uploaded and backed up whole.
    QVERIFY(QDir(base + "work").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
    // Released on exit, the folder is free for the next start.
    first.reset();
    QVERIFY(later.take());
}

void TestInstanceLock::secondStartBringsTheRunningProgramForward() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    sitedb::close();
    QVERIFY(installProgram(inst));
    // This test is the running program of the folder.
    Lock running(inst.defaultWorkPath());
    QVERIFY(running.take());
    QSignalSpy raised(&running, &Lock::raiseRequested);

    QProcess second;
    startProgram(second, inst);
    QVERIFY(raised.wait(60000) || raised.count() == 1);
    QVERIFY(running.isHeld());
    // It says so and goes, without touching the folder; it waits on its message.
    QCOMPARE(second.state(), QProcess::Running);
    second.kill();
    second.waitForFinished();
}

void TestInstanceLock::lockOfACrashedProgramIsTakenOver() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    sitedb::close();
    QVERIFY(installProgram(inst));
    QProcess first;
    startProgram(first, inst);
    QVERIFY(first.waitForStarted());
    // Once the program runs on the folder, nobody else takes it.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(instanceLock::lockFileFor(inst.defaultWorkPath())) ||
                                 first.state() == QProcess::NotRunning,
                             60000);
    QVERIFY(!Lock(inst.defaultWorkPath()).take());
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    QVERIFY(first.waitForFinished());
    Lock next(inst.defaultWorkPath());
    QVERIFY(next.take());
    // And the later start is called, not the program that is gone.
    QSignalSpy raised(&next, &Lock::raiseRequested);
    Lock third(inst.defaultWorkPath());
    QVERIFY(!third.take());
    QVERIFY(third.callHolder());
    QVERIFY(raised.wait() || raised.count() == 1);
}

QTEST_MAIN(TestInstanceLock)
#include "tst_instanceLock.moc"
