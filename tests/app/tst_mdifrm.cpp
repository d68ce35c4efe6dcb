#include "app/MDIFrm.h"
#include "app/frmSplash.h"
#include "common/workspace.h"
#include "fixture.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

class TestMdiFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void loadTitlesFrameWithSiteName();
    void loadWithEmptySiteName();
    void missingPristineCopyStopsWithMessage();
    void brokenDatabaseStopsWithMessage();
    void splashOpensFrameOnThirdTick();
    void encodeAndDecodeAreOffered();
    void closingUnloadsEveryWindow();
    void workWindowsInOrderDesignerInFront();
};

void TestMdiFrm::cleanup() {
    sitedb::close();
}

void TestMdiFrm::loadTitlesFrameWithSiteName() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("奥凡科技")));
    sitedb::close();

    ScriptedUi ui;
    auto* splash = new QWidget;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    QPointer<QWidget> watch(splash);
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(splash, inst.currentPath()));
    QCOMPARE(frm.windowTitle(), QStringLiteral("奥凡科技--Orvane自动建站系列软件"));
    QVERIFY(frm.isVisible());
    QTRY_VERIFY(watch.isNull());
    QCOMPARE(frm.currentPath(), inst.currentPath());
    QCOMPARE(frm.currImgPath(), inst.defaultWorkPath());
    QCOMPARE(frm.currDataPath(), frm.currImgPath());
    QVERIFY(frm.conn().isOpen());
    QVERIFY(ui.messages.isEmpty());
}

void TestMdiFrm::loadWithEmptySiteName() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    QCOMPARE(frm.windowTitle(), QStringLiteral("--Orvane自动建站系列软件"));
}

void TestMdiFrm::missingPristineCopyStopsWithMessage() {
    TempInstall inst;
    QFile::remove(inst.currentPath() + "initdata/dalmbuilder.tdc");
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(!frm.load(nullptr, inst.currentPath()));
    QVERIFY(!frm.isVisible());
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().title, QStringLiteral("错误"));
    QCOMPARE(ui.last().icon, QMessageBox::Critical);
    QVERIFY(ui.last().text.contains("dalmbuilder.tdc"));
}

void TestMdiFrm::brokenDatabaseStopsWithMessage() {
    TempInstall inst;
    inst.write("userImages/dalmbuilder.tdc", QByteArray(2048, '\x7f'));
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(!frm.load(nullptr, inst.currentPath()));
    QCOMPARE(ui.messages.size(), 1);
    QVERIFY(ui.last().text.startsWith(QStringLiteral("无法打开站点数据库")));
    QVERIFY(ui.last().text.contains(inst.defaultWorkPath() + "dalmbuilder.tdc"));
    // The user's file is left as it was.
    QCOMPARE(QFile(inst.defaultWorkPath() + "dalmbuilder.tdc").size(), 2048);
}

void TestMdiFrm::splashOpensFrameOnThirdTick() {
    // The splash opens the frame of the program's own installation; run it on a copy by
    // checking only the timer's count here.
    auto* splash = new frmSplash;
    QCOMPARE(splash->Timer1->interval(), 50);
    QVERIFY(splash->Timer1->isActive());
    QVERIFY(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    splash->Timer1->stop();
    delete splash;
}

void TestMdiFrm::encodeAndDecodeAreOffered() {
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(frm.encode("a b"), QStringLiteral("a&nbsp;b"));
    QCOMPARE(frm.decode("a&nbsp;b"), QStringLiteral("a b"));
}

void TestMdiFrm::closingUnloadsEveryWindow() {
    TempInstall inst;
    ScriptedUi ui;
    auto* frm = new MDIFrm;
    QPointer<MDIFrm> watch(frm);
    QVERIFY(frm->load(nullptr, inst.currentPath()));
    // A window of its own, as the message and notice windows are.
    auto* other = new QWidget;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    QPointer<QWidget> otherWatch(other);
    frm->close();
    QTRY_VERIFY(watch.isNull());
    QTRY_VERIFY(otherWatch.isNull());
}

void TestMdiFrm::workWindowsInOrderDesignerInFront() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    QStringList order;
    for (QMdiSubWindow* sub : frm.mdiArea()->subWindowList(QMdiArea::CreationOrder))
        order << sub->widget()->objectName();
    const QStringList expected{"guidFrm",   "infoFrm",    "sltTmplFrm",
                               "designFrm", "insDataFrm", "updataFrm"};
    // Only the windows that exist are shown, in that order.
    QStringList existing;
    for (const QString& name : expected) {
        if (order.contains(name))
            existing << name;
    }
    QCOMPARE(order, existing);
    QVERIFY(order.contains("designFrm"));
    QCoreApplication::processEvents();
    QVERIFY(frm.mdiArea()->activeSubWindow());
    QCOMPARE(frm.mdiArea()->activeSubWindow()->widget()->objectName(), QStringLiteral("designFrm"));

    // The close shortcut of a sub-window does not take a work window away.
    QMdiSubWindow* active = frm.mdiArea()->activeSubWindow();
    QTest::keyClick(active, Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(frm.mdiArea()->subWindowList().size(), order.size());
    QVERIFY(active->isVisible());
}

QTEST_MAIN(TestMdiFrm)
#include "tst_mdifrm.moc"
