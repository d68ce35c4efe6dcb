#include "app/MDIFrm.h"
#include "app/frmSplash.h"
#include "app/startup.h"
#include "chrome/aboutFrm.h"
#include "content/insDataFrm.h"
#include "content/mdl_ins.h"
#include "common/workspace.h"
#include "designer/catalogTree.h"
#include "content/insDataFrm.h"
#include "designer/designFrm.h"
#include "designer/mdl_nov.h"
#include "organisation/infoFrm.h"
#include "server/dlgFrm.h"
#include "fixture.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTimer>
#include <QScopeGuard>
#include <QTest>

#include <functional>

#include <unistd.h>

namespace {
// Tells of every widget shown, as it shows.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(std::function<void(QObject*)> onShow) : m_onShow(std::move(onShow)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show)
            m_onShow(o);
        return false;
    }

private:
    std::function<void(QObject*)> m_onShow;
};
} // namespace

class TestMdiFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void loadTitlesFrameWithSiteName();
    void loadWithEmptySiteName();
    void missingPristineCopyStopsWithMessage();
    void brokenDatabaseOffersAWayOn_data();
    void brokenDatabaseOffersAWayOn();
    void siteCopiedInUnderCapitalsOpens();
    void unwritableSiteIsToldAtStart();
    void unusableNamedFolderIsTold();
    void qtTextsAreChinese();
    void splashOpensFrameOnThirdTick();
    void encodeAndDecodeAreOffered();
    void closingUnloadsEveryWindow_data();
    void closingUnloadsEveryWindow();
    void workWindowsInOrderDesignerInFront();
    void commandsReachTheirWindows_data();
    void commandsReachTheirWindows();
    void backupAndRestoreThroughTheMenu();
    void refusedRestoreChangesNothing();
    void backupLeavesTheFrameAlive();
    void afterARestoreWindowsComeBackAsUsual();
    void siteNameFollowsEveryRename_data();
    void siteNameFollowsEveryRename();
    void quittingAsksOnceAboutUnsavedWork_data();
    void quittingAsksOnceAboutUnsavedWork();
};

namespace {

// The action of a menu entry or a tool-bar button by its key.
QAction* command(MDIFrm& frm, const QString& key) {
    const QList<QAction*> found = frm.findChildren<QAction*>(key);
    return found.isEmpty() ? nullptr : found.front();
}

QString activeWindow(MDIFrm& frm) {
    QMdiSubWindow* sub = frm.mdiArea()->activeSubWindow();
    return sub && sub->widget() ? sub->widget()->objectName() : QString();
}

// The designer's tree, as the texts of its nodes.
QStringList designerTree(MDIFrm& frm) {
    QStringList texts;
    auto* tree = frm.workWindow("designFrm")->findChild<QTreeWidget*>("tvw_nav");
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

} // namespace

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

void TestMdiFrm::brokenDatabaseOffersAWayOn_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("site"); // the site opened, or empty when the program ends
    QTest::newRow("no backup, start afresh") << false << QMessageBox::Yes << "";
    QTest::newRow("no backup, stop") << false << QMessageBox::No << "-";
    QTest::newRow("backup restored") << true << QMessageBox::Yes << "备份的站点";
    QTest::newRow("backup there, start afresh") << true << QMessageBox::No << "";
    QTest::newRow("backup there, stop") << true << QMessageBox::Cancel << "-";
}

void TestMdiFrm::brokenDatabaseOffersAWayOn() {
    QFETCH(bool, backup);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, site);
    TempInstall inst;
    if (backup) {
        QVERIFY(inst.openSite());
        QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("备份的站点")));
        sitedb::close();
        QDir().mkpath(inst.currentPath() + "savedData");
        QVERIFY(QFile::rename(inst.defaultWorkPath() + "dalmbuilder.tdc",
                              inst.currentPath() + "savedData/dalmbuilder.tdc"));
        inst.write("savedData/logo.gif", "GIF89a");
    }
    const QString db = inst.defaultWorkPath() + "dalmbuilder.tdc";
    inst.write("userImages/dalmbuilder.tdc", QByteArray(2048, '\x7f'));
    ScriptedUi ui;
    ui.answers.enqueue(answer);
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(frm.load(nullptr, inst.currentPath()), site != u"-");
    QCOMPARE(ui.messages.size(), 1);
    QVERIFY(ui.last().text.startsWith(QStringLiteral("无法打开站点数据库“") + db + "”"));
    QCOMPARE(ui.last().buttons.testFlag(QMessageBox::Cancel), backup);
    const QStringList aside =
        QDir(inst.defaultWorkPath()).entryList({"dalmbuilder.tdc.damaged-*"}, QDir::Files);
    if (site == u"-") {
        // The user's file is left as it was.
        QCOMPARE(QFile(db).size(), 2048);
        QVERIFY(aside.isEmpty());
        return;
    }
    // The damaged file is kept, named in the question, and the site opens.
    QCOMPARE(aside.size(), 1);
    QCOMPARE(QFile(inst.defaultWorkPath() + aside.front()).size(), 2048);
    QVERIFY(ui.last().text.contains(aside.front()));
    QVERIFY(sitedb::isOpen());
    QCOMPARE(sitedb::userInfo("webName"), site);
    QCOMPARE(QFile::exists(inst.defaultWorkPath() + "logo.gif"), site == u"备份的站点");
}

void TestMdiFrm::siteCopiedInUnderCapitalsOpens() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("复制来的站点")));
    sitedb::close();
    QVERIFY(QFile::rename(inst.defaultWorkPath() + "dalmbuilder.tdc",
                          inst.defaultWorkPath() + "DALMBUILDER.TDC"));
    inst.write("userImages/photo.jpg", "jpg");
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    QVERIFY(ui.messages.isEmpty());
    QCOMPARE(frm.windowTitle(), QStringLiteral("复制来的站点--Orvane自动建站系列软件"));
    QVERIFY(QFile::exists(inst.defaultWorkPath() + "photo.jpg"));
}

void TestMdiFrm::unwritableSiteIsToldAtStart() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    sitedb::close();
    // A file that cannot be written; the administrator needs the immutable mark for that.
    const QString db = inst.defaultWorkPath() + "dalmbuilder.tdc";
    QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const bool admin = ::geteuid() == 0;
    if (admin && QProcess::execute("chattr", {"+i", db}) != 0)
        QSKIP("the immutable mark is not available here");
    const auto unmark = qScopeGuard([&] {
        if (admin)
            QProcess::execute("chattr", {"-i", db});
    });
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(!frm.load(nullptr, inst.currentPath()));
    QVERIFY(!frm.isVisible());
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().title, QStringLiteral("错误"));
    QVERIFY(ui.last().text.startsWith(QStringLiteral("站点数据库“") + inst.defaultWorkPath() +
                                      "dalmbuilder.tdc”无法写入"));
    QVERIFY2(ui.last().text.contains("原因："), qPrintable(ui.last().text));
}

void TestMdiFrm::unusableNamedFolderIsTold() {
    TempInstall inst;
    inst.write("initPath.ini", "/media/usb/site/\r\n");
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().title, QStringLiteral("警告"));
    QVERIFY(ui.last().text.contains("/media/usb/site/"));
    QCOMPARE(frm.currImgPath(), inst.defaultWorkPath());
}

void TestMdiFrm::qtTextsAreChinese() {
    QVERIFY(startup::loadQtTranslations());
    QMessageBox box(QMessageBox::Question, "提示", "?",
                    QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    QCOMPARE(box.button(QMessageBox::Yes)->text().left(1), QStringLiteral("是"));
    QCOMPARE(box.button(QMessageBox::No)->text().left(1), QStringLiteral("否"));
    // The file dialog's kind column.
    const QAbstractFileIconProvider kinds;
    QCOMPARE(kinds.type(QFileInfo(QDir::tempPath())), QStringLiteral("文件夹"));
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

void TestMdiFrm::closingUnloadsEveryWindow_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("closing the frame") << QString();
    QTest::newRow("退出(&Q)") << "mnuFile_quit";
    QTest::newRow("退出系统") << "User";
}

void TestMdiFrm::closingUnloadsEveryWindow() {
    QFETCH(QString, key);
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
    if (key.isEmpty())
        frm->close();
    else
        command(*frm, key)->trigger();
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

void TestMdiFrm::commandsReachTheirWindows_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("window");
    QTest::newRow("用法指南(&G) ...") << "mnuView_guid" << "guidFrm";
    QTest::newRow("帮助(&H)...") << "mnuHelp_hlep" << "guidFrm";
    QTest::newRow("基本信息(B)...") << "mnuView_info" << "infoFrm";
    QTest::newRow("选择模板(&T) ...") << "mnuView_sltTmpl" << "sltTmplFrm";
    QTest::newRow("设计栏目(&D) ...") << "mnuView_design" << "designFrm";
    QTest::newRow("录入数据(&I) ...") << "mnuView_insData" << "insDataFrm";
    QTest::newRow("上传数据(&U) ...") << "mnuView_upData" << "updataFrm";
    QTest::newRow("tool bar 用法指南") << "088" << "guidFrm";
    QTest::newRow("tool bar 基本信息") << "242" << "infoFrm";
    QTest::newRow("tool bar 选择模板") << "043" << "sltTmplFrm";
    QTest::newRow("tool bar 设计栏目") << "Control Panel" << "designFrm";
    QTest::newRow("tool bar 录入数据") << "ins" << "insDataFrm";
    QTest::newRow("tool bar 上传数据") << "112" << "updataFrm";
    QTest::newRow("咨询台...") << "MnuTool_consultation" << "dlgFrm";
    QTest::newRow("关于(&A)...") << "mnuHelp_about" << "aboutFrm";
}

void TestMdiFrm::commandsReachTheirWindows() {
    QFETCH(QString, key);
    QFETCH(QString, window);
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    // Start from another window than the one the command brings forward.
    const QString other = window == "designFrm" ? "updataFrm" : "designFrm";
    frm.showWorkWindow(other);
    QCOMPARE(activeWindow(frm), other);

    QAction* action = command(frm, key);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
    if (window == "dlgFrm" || window == "aboutFrm") {
        QWidget* top = window == "dlgFrm" ? static_cast<QWidget*>(dlgFrm::instance(false))
                                          : aboutFrm::instance(false);
        QVERIFY(top && top->isVisible());
        QVERIFY(!top->isModal());
        // The about window belongs to the frame: no taskbar entry of its own.
        if (window == "aboutFrm")
            QVERIFY(top->isWindow() && top->parentWidget() == &frm);
        QCOMPARE(activeWindow(frm), other);
        delete top;
    } else {
        QCOMPARE(activeWindow(frm), window);
    }
    QVERIFY(ui.messages.isEmpty());

    // Entries of no command do nothing.
    for (const QString& none : {"MnuTool_update", "mnufile", "nothing"})
        frm.xMenu1_Click(none);
    frm.xToolbar1_ButtonClick(7);
    frm.xToolbar1_ButtonClick(9);
    QVERIFY(frm.isVisible());
    QVERIFY(ui.messages.isEmpty());
}

void TestMdiFrm::backupAndRestoreThroughTheMenu() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    const QString work = frm.currImgPath();

    command(frm, "mnufile_revert")->trigger();
    QCOMPARE(ui.lastText(), QStringLiteral("数据还原失败，不存在备份数据！"));
    QCOMPARE(ui.last().title, QStringLiteral("提示"));
    QCOMPARE(ui.last().icon, QMessageBox::Information);

    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("奥凡科技")));
    command(frm, "mnufile_backup")->trigger();
    QCOMPARE(ui.lastText(), QStringLiteral("数据备份成功！"));
    QCOMPARE(ui.last().title, QStringLiteral("提示"));
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("新名称")));

    QVERIFY(sitedb::exec("INSERT INTO firstCatalog (firstCatalog, catalog, orderID, aspFileName) "
                         "VALUES ('公司''简介', 0, 1, 'txt')"));
    inst.write("userImages/photo.jpg", "picture");
    const int windows = frm.mdiArea()->subWindowList().size();

    // Answered No: nothing changes.
    ui.clear();
    ui.answers << QMessageBox::No;
    command(frm, "mnufile_revert")->trigger();
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().text, QStringLiteral("确实要还原数据吗，当前数据将被覆盖！\n"
                                            "数据还原后，Orvane将有可能重新启动！"));
    QCOMPARE(ui.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(ui.last().icon, QMessageBox::Information);
    QCOMPARE(frm.mdiArea()->subWindowList().size(), windows);
    QCOMPARE(sitedb::query("SELECT * FROM firstCatalog").rows.size(), 1);

    // Answered Yes: the work windows are unloaded and the database is the backed-up one.
    ui.clear();
    ui.answers << QMessageBox::Yes;
    command(frm, "mnufile_revert")->trigger();
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY2(ui.last().text.startsWith(QStringLiteral("数据还原成功！")), qPrintable(ui.lastText()));
    QVERIFY(ui.last().text.contains("savedData.before-restore"));
    QVERIFY(frm.mdiArea()->subWindowList().isEmpty());
    QVERIFY(sitedb::isOpen());
    QVERIFY(sitedb::query("SELECT * FROM firstCatalog").rows.isEmpty());
    QVERIFY(QFile::exists(work + "photo.jpg"));
    // The title names the restored site.
    QCOMPARE(frm.windowTitle(), QStringLiteral("奥凡科技--Orvane自动建站系列软件"));

    // Shown again, a window loads afresh from the restored database.
    command(frm, "Control Panel")->trigger();
    QCOMPARE(activeWindow(frm), QStringLiteral("designFrm"));
    QVERIFY(!designerTree(frm).contains(QStringLiteral("公司'简介")));
    command(frm, "mnuView_insData")->trigger();
    QCOMPARE(activeWindow(frm), QStringLiteral("insDataFrm"));
    QCOMPARE(frm.mdiArea()->subWindowList().size(), 2);
}

void TestMdiFrm::refusedRestoreChangesNothing() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    command(frm, "mnufile_backup")->trigger();
    QCOMPARE(ui.lastText(), QStringLiteral("数据备份成功！"));
    inst.write("savedData/dalmbuilder.tdc", QByteArray(4096, '\x5a'));
    inst.write("savedData.before-restore/earlier.gif", "kept from the last restore");
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("当前的站点")));

    ui.clear();
    ui.answers << QMessageBox::Yes;
    command(frm, "mnufile_revert")->trigger();
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY2(ui.lastText().contains(QStringLiteral("无法读取")), qPrintable(ui.lastText()));
    QVERIFY(ui.lastText().endsWith(QStringLiteral("当前数据没有改动。")));
    // Nothing changed: not the kept data of the last restore, not the windows, not the site.
    QCOMPARE(QDir(inst.currentPath() + "savedData.before-restore").entryList(QDir::Files),
             QStringList{"earlier.gif"});
    QCOMPARE(frm.mdiArea()->subWindowList().size(), MDIFrm::workWindowNames().size());
    QCOMPARE(sitedb::userInfo("webName"), QStringLiteral("当前的站点"));
}

void TestMdiFrm::backupLeavesTheFrameAlive() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    inst.write("userImages/photo.jpg", "picture");
    // The progress dialog shows, with the busy cursor on, while the backup is under way.
    bool progressShown = false;
    bool busy = false;
    ShowWatch watch([&](QObject* shown) {
        if (!qobject_cast<QProgressDialog*>(shown))
            return;
        progressShown = true;
        busy = QApplication::overrideCursor() &&
               QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    });
    qApp->installEventFilter(&watch);
    command(frm, "mnufile_backup")->trigger();
    qApp->removeEventFilter(&watch);
    QVERIFY(progressShown);
    QVERIFY(busy);
    QCOMPARE(ui.lastText(), QStringLiteral("数据备份成功！"));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(QFile::exists(inst.currentPath() + "savedData/photo.jpg"));
}

void TestMdiFrm::afterARestoreWindowsComeBackAsUsual() {
    TempInstall inst;
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    QVERIFY(sitedb::exec("INSERT INTO firstCatalog (firstCatalog, catalog, orderID, aspFileName) "
                         "VALUES ('简介', 0, 1, 'txt')"));
    command(frm, "mnufile_backup")->trigger();
    QCOMPARE(ui.lastText(), QStringLiteral("数据备份成功！"));
    QStringList titles;
    for (const QString& name : MDIFrm::workWindowNames())
        titles << frm.workWindow(name)->windowTitle();

    // Something typed in the content window and never saved goes with the restore.
    qobject_cast<insDataFrm*>(frm.workWindow("insDataFrm"))->txt_title->setText("typed");
    ui.clear();
    ui.answers << QMessageBox::Yes;
    command(frm, "mnufile_revert")->trigger();
    QVERIFY2(ui.lastText().startsWith(QStringLiteral("数据还原成功！")), qPrintable(ui.lastText()));
    // Opened again in another order, the windows take their usual places.
    for (const char* key : {"112", "ins", "088", "Control Panel", "043", "242"})
        command(frm, key)->trigger();
    QStringList order;
    for (QMdiSubWindow* sub : frm.mdiArea()->subWindowList(QMdiArea::CreationOrder))
        order << sub->widget()->objectName();
    QCOMPARE(order, MDIFrm::workWindowNames());
    auto* tabs = frm.mdiArea()->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(tabs);
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        shown << tabs->tabText(i);
    QCOMPARE(shown, titles);

    // Nobody edited anything: a click on a page of the content window asks nothing.
    ui.clear();
    auto* content = qobject_cast<insDataFrm*>(frm.workWindow("insDataFrm"));
    auto* tree = content->findChild<QTreeWidget*>("tvw_nav");
    QTreeWidgetItem* page = catalogTree::root(tree)->child(0);
    QVERIFY(page);
    tree->setCurrentItem(page);
    content->tvw_nav_MouseUp(1, 0, 0, 0);
    QVERIFY2(ui.messages.isEmpty(), qPrintable(ui.lastText()));
}

void TestMdiFrm::siteNameFollowsEveryRename_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("pending"); // the organisation window holds other changes
    QTest::newRow("the designer's root") << "designFrm" << false;
    QTest::newRow("the designer's root, other changes pending") << "designFrm" << true;
    QTest::newRow("the organisation window") << "infoFrm" << false;
}

void TestMdiFrm::siteNameFollowsEveryRename() {
    QFETCH(QString, where);
    QFETCH(bool, pending);
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("奥凡科技")));
    sitedb::close();
    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    auto* designer = qobject_cast<designFrm*>(frm.workWindow("designFrm"));
    auto* info = qobject_cast<infoFrm*>(frm.workWindow("infoFrm"));
    QVERIFY(designer && info);
    QCOMPARE(info->txt_webName->text(), QStringLiteral("奥凡科技"));
    if (pending)
        info->txt_tel->setText("0571-1234567");

    const QString name = QStringLiteral("奥凡集团");
    if (where == "designFrm") {
        QTreeWidgetItem* root = catalogTree::root(designer->tvw_nav);
        designer->tvw_nav->setCurrentItem(root);
        designer->tvw_nav_NodeClick(root);
        designer->ppMnu_ren_Click();
        QLineEdit* editor = nullptr;
        QTRY_VERIFY((editor = designer->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
        editor->setText(name);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(sitedb::userInfo("webName"), name);
    } else {
        frm.showWorkWindow("infoFrm");
        info->txt_webName->setText(name);
        info->cmd_ok->click();
        QCOMPARE(ui.lastText(), QStringLiteral("数据保存成功！"));
    }
    QTRY_COMPARE(frm.windowTitle(), name + QStringLiteral("--Orvane自动建站系列软件"));
    for (const char* window : {"designFrm", "insDataFrm"}) {
        auto* tree = frm.workWindow(window)->findChild<QTreeWidget*>("tvw_nav");
        QCOMPARE(catalogTree::root(tree)->text(0), name);
    }
    QCOMPARE(info->txt_webName->text(), name);
    // Nothing the user typed elsewhere in the organisation window is lost or saved.
    QCOMPARE(info->cmd_ok->isEnabled(), pending);
    QCOMPARE(info->txt_tel->text(), pending ? QStringLiteral("0571-1234567") : QString());
    QVERIFY(sitedb::userInfo("Tel").isEmpty());
}

void TestMdiFrm::quittingAsksOnceAboutUnsavedWork_data() {
    QTest::addColumn<QStringList>("unsaved"); // info, logo, page, blankPage, rename
    QTest::addColumn<QString>("how");         // the frame's close box, or a command's key
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("named");   // the lines the question names
    QTest::addColumn<bool>("quits");
    using B = QMessageBox;
    const QString info = QStringLiteral("基本信息");
    const QString page = QStringLiteral("录入数据：“公司简介”的内容");
    const QString rename = QStringLiteral("设计栏目：“产品”改名为“产品中心”");
    QTest::newRow("nothing unsaved: no question")
        << QStringList{} << "" << int(B::NoButton) << QStringList{} << true;
    QTest::newRow("基本信息 and a new logo, 保存")
        << QStringList{"info", "logo"} << "mnuFile_quit" << int(B::Save) << QStringList{info} << true;
    QTest::newRow("基本信息 and a new logo, 不保存")
        << QStringList{"info", "logo"} << "User" << int(B::Discard) << QStringList{info} << true;
    QTest::newRow("基本信息 and a new logo, 取消")
        << QStringList{"info", "logo"} << "" << int(B::Cancel) << QStringList{info} << false;
    QTest::newRow("Esc on the question")
        << QStringList{"info"} << "" << int(B::NoButton) << QStringList{info} << false;
    QTest::newRow("every window, 保存") << QStringList{"info", "page", "rename"} << "User"
                                      << int(B::Save) << QStringList{info, rename, page} << true;
    QTest::newRow("every window, 不保存") << QStringList{"info", "page", "rename"} << ""
                                        << int(B::Discard) << QStringList{info, rename, page} << true;
    QTest::newRow("every window, 取消") << QStringList{"info", "page", "rename"} << ""
                                      << int(B::Cancel) << QStringList{info, rename, page} << false;
    QTest::newRow("a page that cannot be saved")
        << QStringList{"info", "blankPage"} << "" << int(B::Save) << QStringList{info, page} << false;
}

void TestMdiFrm::quittingAsksOnceAboutUnsavedWork() {
    QFETCH(QStringList, unsaved);
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(QStringList, named);
    QFETCH(bool, quits);
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("奥凡科技")));
    for (const char* name : {"公司简介", "产品"})
        QCOMPARE(mdl_nov::addNode(mdl_nov::Level::None, {}, QString::fromUtf8(name), false, "txt")
                     .status,
                 mdl_nov::AddResult::Added);
    sitedb::close();
    mdl_ins::dataChanged = false;
    QTemporaryDir outside;
    const QString logo = outside.filePath("quit-logo.jpg");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(logo));

    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    auto* info = qobject_cast<infoFrm*>(frm.workWindow("infoFrm"));
    auto* content = qobject_cast<insDataFrm*>(frm.workWindow("insDataFrm"));
    auto* designer = qobject_cast<designFrm*>(frm.workWindow("designFrm"));
    QVERIFY(info && content && designer);
    const QString work = inst.defaultWorkPath();

    const bool page = unsaved.contains("page") || unsaved.contains("blankPage");
    if (page) {
        frm.showWorkWindow("insDataFrm");
        QTreeWidgetItem* node = catalogTree::findByText(content->tvw_nav, "公司简介");
        content->tvw_nav->setCurrentItem(node);
        content->tvw_nav_MouseUp(1, 0, 0, 0);
        content->txt_title->setText(unsaved.contains("page") ? "新标题" : "   ");
        content->txt_content->setPlainText("正文");
    }
    QLineEdit* editor = nullptr;
    if (unsaved.contains("rename")) {
        frm.showWorkWindow("designFrm");
        QTreeWidgetItem* node = catalogTree::findByText(designer->tvw_nav, "产品");
        designer->tvw_nav->setCurrentItem(node);
        designer->tvw_nav_NodeClick(node);
        designer->ppMnu_ren_Click();
        QTRY_VERIFY((editor = designer->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
        editor->setText("产品中心");
    }
    if (unsaved.contains("info"))
        info->txt_tel->setText("0571-1234567");
    if (unsaved.contains("logo")) {
        ui.files.enqueue(logo);
        info->cmd_view_Click();
        QVERIFY(QFileInfo::exists(work + "quit-logo.jpg"));
    }
    ui.clear();

    ui.answers.enqueue(QMessageBox::StandardButton(answer));
    if (how.isEmpty())
        frm.close();
    else
        command(frm, how)->trigger();
    QCOMPARE(!frm.isVisible(), quits);

    // One question, naming everything unsaved, with 保存 / 不保存 / 取消.
    QList<RecordedMessage> questions;
    for (const RecordedMessage& m : ui.messages) {
        if (m.buttons == (QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel))
            questions << m;
    }
    QCOMPARE(questions.size(), named.isEmpty() ? 0 : 1);
    if (!named.isEmpty()) {
        QStringList lines;
        for (const QString& line : questions.front().text.split(u'\n'))
            lines << line.trimmed();
        for (const QString& item : named)
            QVERIFY2(lines.contains(item), qPrintable(questions.front().text));
        QCOMPARE(questions.front().title, QStringLiteral("提示"));
    }

    const bool saved = answer == QMessageBox::Save;
    const bool cancelled = !quits && !saved;
    if (unsaved.contains("info")) {
        QCOMPARE(sitedb::userInfo("Tel"), saved ? QStringLiteral("0571-1234567") : QString());
        QCOMPARE(info->cmd_ok->isEnabled(), cancelled);
        QCOMPARE(info->txt_tel->text(), QStringLiteral("0571-1234567"));
    }
    if (unsaved.contains("logo")) {
        // The picture goes only when the user discards it.
        QCOMPARE(QFileInfo::exists(work + "quit-logo.jpg"), answer != QMessageBox::Discard);
        QCOMPARE(sitedb::userInfo("logo"), saved ? QStringLiteral("quit-logo.jpg") : QString());
    }
    if (page) {
        const sitedb::Rows rows = sitedb::query(
            "SELECT value01 FROM content01 WHERE firstCatalog = ?", {QStringLiteral("公司简介")});
        QVERIFY(rows.ok);
        const bool stored = saved && unsaved.contains("page");
        QCOMPARE(rows.isEmpty(), !stored);
        if (cancelled || !stored)
            QCOMPARE(content->txt_content->toPlainText(),
                     cancelled || !quits ? QStringLiteral("正文") : QString());
        if (!quits && saved) {
            QCOMPARE(ui.lastText(), QStringLiteral("标题不能为空"));
            QCOMPARE(activeWindow(frm), QStringLiteral("insDataFrm"));
        }
        QCOMPARE(mdl_ins::dataChanged, !quits);
    }
    if (unsaved.contains("rename")) {
        QCOMPARE(mdl_nov::checkNewName("产品中心") == mdl_nov::NameCheck::Duplicate, saved);
        QCOMPARE(mdl_nov::checkNewName("产品") == mdl_nov::NameCheck::Duplicate, !saved);
        if (cancelled) {
            // The rename is open again, as the user left it.
            QTRY_VERIFY((editor = designer->tvw_nav->findChild<QLineEdit*>()) &&
                        editor->isVisible());
            QCOMPARE(editor->text(), QStringLiteral("产品中心"));
        }
    }
    mdl_ins::dataChanged = false;
}

QTEST_MAIN(TestMdiFrm)
#include "tst_mdifrm.moc"
