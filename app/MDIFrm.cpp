#include "app/MDIFrm.h"

#include "app/backup.h"
#include "app/instanceLock.h"
#include "app/mainCommands.h"
#include "app/startup.h"
#include "appearance/sltTmplFrm.h"
#include "chrome/aboutFrm.h"
#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/unsavedWork.h"
#include "common/workspace.h"
#include "content/insDataFrm.h"
#include "content/mdl_ins.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "guide/guidFrm.h"
#include "organisation/infoFrm.h"
#include "preview/previewFrm.h"
#include "server/dlgFrm.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSessionManager>
#include <QProgressDialog>
#include <QTabBar>
#include <QThread>
#include <QEventLoop>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <atomic>
#include <csignal>
#include <exception>

namespace {

const QString kCompanion = QStringLiteral("closeOfficeMSI");
const QString kUpload = QStringLiteral("updataFrm");

template <typename T> QWidget* make() {
    return new T;
}

struct WorkWindowType {
    QString name;
    QWidget* (*create)();
};

// The work windows, in the order start-up shows them. The menu, the tool bar, the
// restore's unload and showWorkWindow all read this table: a work window joins the
// frame with one line here. Commands for a window not listed do nothing.
const QList<WorkWindowType>& workWindowTypes() {
    static const QList<WorkWindowType> types{
        {QStringLiteral("guidFrm"), make<guidFrm>},
        {QStringLiteral("infoFrm"), make<infoFrm>},
        {QStringLiteral("sltTmplFrm"), make<sltTmplFrm>},
        {QStringLiteral("designFrm"), make<designFrm>},
        {QStringLiteral("insDataFrm"), make<insDataFrm>},
        {kUpload, make<updataFrm>},
    };
    return types;
}

const WorkWindowType* workWindowType(const QString& name) {
    for (const WorkWindowType& t : workWindowTypes()) {
        if (t.name == name)
            return &t;
    }
    return nullptr;
}

QString notBuiltYet() {
    return QStringLiteral("此窗口暂不可用");
}

} // namespace

MDIFrm::MDIFrm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MDIFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Orvane自动建站系列软件"));
    resize(1100, 760);

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setViewMode(QMdiArea::TabbedView);
    m_area->setDocumentMode(true);
    m_area->setTabsMovable(false);
    setCentralWidget(m_area);
}

MDIFrm::~MDIFrm() = default;

bool MDIFrm::load(QWidget* splash, const QString& installPath) {
    // The frame stays invisible until the sequence is done.
    const QString install =
        installPath.isEmpty() ? workspace::installationFor(QCoreApplication::applicationDirPath())
                              : installPath;
    workspace::setCurrentPath(QDir(install).absolutePath());

    // A backup or restore that a killed program left unfinished is finished or undone
    // before the working folder is looked for.
    const backup::Resumed resumed = backup::resumeInterrupted(currentPath());
    if (resumed.kind == backup::Resumed::Failed) {
        fail(splash, resumed.message);
        return false;
    }
    if (resumed.kind != backup::Resumed::Nothing) {
        if (splash)
            splash->hide();
        ui::message(nullptr, resumed.message);
    }
    const startup::Workspace ws = startup::resolveWorkspace(currentPath());
    if (!ws.problems.isEmpty()) {
        fail(splash, ws.problems.join(u'\n'));
        return false;
    }
    if (!ws.warnings.isEmpty()) {
        if (splash)
            splash->hide();
        ui::message(nullptr, ws.warnings.join(QStringLiteral("\n\n")), QStringLiteral("警告"),
                    QMessageBox::Warning);
    }
    workspace::setWorkingPath(ws.workPath);
    if (!takeWorkingFolder(splash))
        return false;

    QString dbFile = ws.databaseFile;
    const sitedb::Outcome opened = sitedb::open(dbFile);
    if (!opened && !recoverDatabase(splash, &dbFile, opened.error))
        return false;
    // A site that cannot be saved is said so now, not at the first save.
    const sitedb::Outcome writable = sitedb::checkWritable();
    if (!writable) {
        sitedb::close();
        fail(splash, QStringLiteral("站点数据库“%1”无法写入，所做的修改都将无法保存。\n"
                                    "请检查该文件及其所在文件夹的写入权限。\n原因：%2")
                         .arg(QDir::toNativeSeparators(dbFile), writable.error));
        return false;
    }

    setWindowTitle(startup::frameTitle(sitedb::userInfo(QStringLiteral("webName"))));
    createCommands();
    // The desktop session ending asks as closing the frame does; without leave to ask,
    // nothing is stored or removed.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        if (session.allowsInteraction() && !settleUnsaved())
            session.cancel();
    });

    // The companion program runs exactly while the work windows load.
    startCompanion();
    createWorkWindows();
    if (splash)
        splash->close();
    show();
    // The area activates its newest window when it first becomes visible; the designer
    // is the one in front.
    showWorkWindow(QStringLiteral("designFrm"));
    stopCompanion();
    return true;
}

bool MDIFrm::recoverDatabase(QWidget* splash, QString* dbFile, const QString& reason) {
    if (splash)
        splash->hide();
    const QString file = QDir::toNativeSeparators(*dbFile);
    const QDateTime when = QDateTime::currentDateTime();
    const QString aside = QDir::toNativeSeparators(startup::asideName(*dbFile, when));
    const bool saved = backup::hasBackup(backup::folders(currentPath(), currImgPath()));
    QString text = QStringLiteral("无法打开站点数据库“%1”。\n原因：%2\n\n").arg(file, reason);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (saved) {
        text += QStringLiteral("选择“是”：用“savedData”中的备份还原站点；\n"
                               "选择“否”：从空白站点重新开始；\n选择“取消”：退出程序。\n"
                               "还原或重新开始前，损坏的文件会改名保存为“%1”。")
                    .arg(aside);
        buttons |= QMessageBox::Cancel;
    } else {
        text += QStringLiteral("是否将损坏的文件改名保存为“%1”，从空白站点重新开始？\n"
                               "选择“否”退出程序，文件保持原样。")
                    .arg(aside);
    }
    const auto answer = ui::message(nullptr, text, QStringLiteral("错误"), QMessageBox::Question,
                                    buttons);
    const bool fromBackup = saved && answer == QMessageBox::Yes;
    if (!fromBackup && answer != (saved ? QMessageBox::No : QMessageBox::Yes)) {
        // The user chose to stop; the file stays as it is.
        if (splash)
            splash->close();
        return false;
    }
    const startup::Recovered r = startup::recoverDatabase(currentPath(), *dbFile, fromBackup, when);
    if (!r.ok) {
        fail(splash, QStringLiteral("无法恢复站点数据库“%1”。\n原因：%2").arg(file, r.error));
        return false;
    }
    *dbFile = r.databaseFile;
    const sitedb::Outcome opened = sitedb::open(*dbFile);
    if (!opened) {
        fail(splash, QStringLiteral("无法打开站点数据库“%1”。\n原因：%2")
                         .arg(QDir::toNativeSeparators(*dbFile), opened.error));
        return false;
    }
    return true;
}

void MDIFrm::fail(QWidget* splash, const QString& text) {
    if (splash)
        splash->close();
    ui::message(nullptr, text, QStringLiteral("错误"), QMessageBox::Critical);
}

QString MDIFrm::currentPath() const {
    return workspace::currentPath();
}
QString MDIFrm::currImgPath() const {
    return workspace::currImgPath();
}
QString MDIFrm::currDataPath() const {
    return workspace::currDataPath();
}
QSqlDatabase MDIFrm::conn() const {
    return sitedb::conn();
}

QString MDIFrm::encode(const QString& text) const {
    return mdl_func::encode(text);
}
QString MDIFrm::decode(const QString& text) const {
    return mdl_func::decode(text);
}

// ---- the menu bar and the tool bar ----

void MDIFrm::createCommands() {
    if (xMenu1)
        return;
    using namespace mainCommands;
    const QString images = currentPath() + QStringLiteral("images/");

    xMenu1 = menuBar();
    xMenu1->setObjectName(QStringLiteral("xMenu1"));
    QMenu* menu = nullptr;
    for (const MenuItem& m : menuItems()) {
        if (m.level == Level::Top) {
            menu = xMenu1->addMenu(m.caption);
            menu->setObjectName(m.key);
            menu->menuAction()->setObjectName(m.key);
            menu->setToolTipsVisible(true);
            continue;
        }
        if (!menu)
            continue;
        QAction* a = m.level == Level::Separator ? menu->addSeparator() : menu->addAction(m.caption);
        a->setObjectName(m.key);
        if (!m.icon.isEmpty())
            a->setIcon(QIcon(images + m.icon));
        if (m.level == Level::Item && m.command == Command::None) {
            // Shown, and does nothing.
            a->setEnabled(false);
            a->setToolTip(QStringLiteral("暂不提供此功能"));
        }
        if (m.command == Command::ShowWindow && !workWindowType(m.window)) {
            a->setEnabled(false);
            a->setToolTip(notBuiltYet());
        }
        connect(a, &QAction::triggered, this, [this, key = m.key] { xMenu1_Click(key); });
    }

    xToolbar1 = new QToolBar(QStringLiteral("工具栏"), this);
    xToolbar1->setObjectName(QStringLiteral("xToolbar1"));
    xToolbar1->setMovable(false);
    xToolbar1->setFloatable(false);
    xToolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    xToolbar1->setIconSize(QSize(32, 32));
    xToolbar1->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, xToolbar1);
    for (const ToolButton& b : toolButtons()) {
        if (b.caption.isEmpty()) {
            xToolbar1->addSeparator();
            continue;
        }
        QAction* a = xToolbar1->addAction(QIcon(images + b.icon), b.caption);
        a->setObjectName(b.key);
        a->setToolTip(b.caption);
        if (b.command == Command::ShowWindow && !workWindowType(b.window)) {
            a->setEnabled(false);
            a->setToolTip(b.caption + QStringLiteral("（") + notBuiltYet() + QStringLiteral("）"));
        }
        connect(a, &QAction::triggered, this,
                [this, p = b.position] { xToolbar1_ButtonClick(p); });
    }
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MDIFrm::xMenu1_Click(const QString& key) {
    using namespace mainCommands;
    const MenuItem m = menuItem(key);
    switch (m.command) {
    case Command::Backup:
        backupData();
        break;
    case Command::Restore:
        restoreData();
        break;
    case Command::Quit:
        close();
        break;
    case Command::ShowWindow:
        showWorkWindow(m.window);
        break;
    case Command::Consultation: {
        dlgFrm* d = dlgFrm::instance();
        d->show();
        d->raise();
        d->activateWindow();
        break;
    }
    case Command::About: {
        aboutFrm* a = aboutFrm::instance(true, this);
        a->show();
        a->raise();
        a->activateWindow();
        break;
    }
    case Command::Preview:
        previewFrm::open(this);
        break;
    case Command::None:
        break;
    }
}

void MDIFrm::xToolbar1_ButtonClick(int position) {
    using namespace mainCommands;
    const ToolButton b = toolButton(position);
    try {
        if (b.command == Command::ShowWindow)
            showWorkWindow(b.window);
        else if (b.command == Command::Preview)
            previewFrm::open(this);
        else if (b.command == Command::Quit)
            close();
    } catch (const std::exception& e) {
        ui::message(this, QString::fromLocal8Bit(e.what()));
    }
}

// ---- the work windows ----

QStringList MDIFrm::workWindowNames() {
    QStringList names;
    for (const WorkWindowType& t : workWindowTypes())
        names << t.name;
    return names;
}

void MDIFrm::createWorkWindows() {
    for (const WorkWindowType& t : workWindowTypes())
        loadWorkWindow(t.name);
}

QMdiSubWindow* MDIFrm::subWindow(const QString& name) const {
    const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* sub : subs) {
        if (sub->widget() && sub->widget()->objectName() == name)
            return sub;
    }
    return nullptr;
}

QMdiSubWindow* MDIFrm::loadWorkWindow(const QString& name) {
    if (QMdiSubWindow* sub = subWindow(name))
        return sub;
    const WorkWindowType* type = workWindowType(name);
    if (!type)
        return nullptr;
    QWidget* window = type->create();
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    sub->setObjectName(window->objectName() + QStringLiteral("_sub"));
    sub->setWindowTitle(window->windowTitle());
    sub->setWindowIcon(window->windowIcon());
    // Work windows stay loaded for the whole run; the user switches between them but
    // never closes one. Only the restore unloads them.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setSystemMenu(nullptr);
    sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowMinMaxButtonsHint);
    sub->showMaximized();
    placeInOrder(sub);
    connectWorkWindows();
    return sub;
}

void MDIFrm::placeInOrder(QMdiSubWindow* sub) {
    // A window loaded again (after a restore) takes its usual place among the tabs, not
    // the last one.
    auto* tabs = m_area->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (!tabs)
        return;
    const QStringList order = workWindowNames();
    const QList<QMdiSubWindow*> subs = m_area->subWindowList(QMdiArea::CreationOrder);
    const qsizetype rank = order.indexOf(sub->widget()->objectName());
    int to = 0;
    for (QMdiSubWindow* other : subs) {
        if (other != sub && other->widget() && order.indexOf(other->widget()->objectName()) < rank)
            ++to;
    }
    const int from = int(subs.indexOf(sub));
    if (from >= 0 && from != to && from < tabs->count() && to < tabs->count())
        tabs->moveTab(from, to);
}

void MDIFrm::connectWorkWindows() {
    // The content window keeps its own copy of the tree: every change of the designer's
    // tree rebuilds it.
    auto* designer = qobject_cast<designFrm*>(workWindow(QStringLiteral("designFrm")));
    auto* content = qobject_cast<insDataFrm*>(workWindow(QStringLiteral("insDataFrm")));
    if (designer && content)
        connect(designer, &designFrm::catalogChanged, content, &insDataFrm::mnu_Refresh_Click,
                Qt::UniqueConnection);
    // A site name stored by the organisation window or by renaming the designer's root
    // shows in the title, at the root of both catalog trees and in the organisation window.
    if (auto* info = qobject_cast<infoFrm*>(workWindow(QStringLiteral("infoFrm"))))
        connect(info, &infoFrm::siteNameChanged, this, &MDIFrm::showSiteName,
                Qt::UniqueConnection);
    if (designer)
        connect(designer, &designFrm::siteNameChanged, this, &MDIFrm::showSiteName,
                Qt::UniqueConnection);
}

void MDIFrm::showSiteName(const QString& webName) {
    setWindowTitle(startup::frameTitle(webName));
    if (auto* info = qobject_cast<infoFrm*>(workWindow(QStringLiteral("infoFrm"))))
        info->showSiteName(webName);
    for (const char* name : {"designFrm", "insDataFrm"}) {
        auto* tree = workWindow(QLatin1String(name))
                         ? workWindow(QLatin1String(name))->findChild<QTreeWidget*>("tvw_nav")
                         : nullptr;
        if (QTreeWidgetItem* root = tree ? catalogTree::root(tree) : nullptr)
            root->setText(0, webName);
    }
}

QWidget* MDIFrm::workWindow(const QString& name) const {
    QMdiSubWindow* sub = subWindow(name);
    return sub ? sub->widget() : nullptr;
}

void MDIFrm::showWorkWindow(const QString& name) {
    QMdiSubWindow* sub = loadWorkWindow(name);
    if (!sub)
        return;
    sub->showMaximized();
    m_area->setActiveSubWindow(sub);
    sub->widget()->setFocus();
}

void MDIFrm::unloadWorkWindow(const QString& name) {
    if (QMdiSubWindow* sub = subWindow(name)) {
        m_area->removeSubWindow(sub);
        delete sub;
    }
}

// ---- backup and restore ----

backup::Outcome MDIFrm::runWithProgress(
    const QString& label, const std::function<backup::Outcome(const backup::Progress&)>& work) {
    QProgressDialog dialog(label, QString(), 0, 1000, this);
    dialog.setObjectName(QStringLiteral("progress"));
    dialog.setWindowTitle(QStringLiteral("提示"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setCancelButton(nullptr);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    dialog.show();

    // The work runs on a thread of its own; the frame keeps answering and painting, and
    // the dialog shows how far the work has come.
    std::atomic<int> permille{0};
    backup::Outcome outcome;
    QThread* thread = QThread::create([&] {
        outcome = work([&permille](qint64 done, qint64 total) {
            permille = total > 0 ? int(done * 1000 / total) : 0;
        });
    });
    QEventLoop loop;
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer meter;
    meter.setInterval(100);
    connect(&meter, &QTimer::timeout, &dialog, [&] { dialog.setValue(permille); });
    meter.start();
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
    QApplication::restoreOverrideCursor();
    return outcome;
}

void MDIFrm::backupData() {
    const backup::Folders f = backup::folders(currentPath(), currImgPath());
    const backup::Outcome done =
        runWithProgress(QStringLiteral("正在备份数据，请稍候……"),
                        [f](const backup::Progress& p) { return backup::backupData(f, p); });
    ui::message(this, done ? QStringLiteral("数据备份成功！") : done.error);
}

void MDIFrm::restoreData() {
    const backup::Folders f = backup::folders(currentPath(), currImgPath());
    if (!backup::hasBackup(f)) {
        ui::message(this, QStringLiteral("数据还原失败，不存在备份数据！"));
        return;
    }
    if (ui::message(this,
                    QStringLiteral("确实要还原数据吗，当前数据将被覆盖！\n"
                                   "数据还原后，Orvane将有可能重新启动！"),
                    QStringLiteral("提示"), QMessageBox::Information,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // Nothing is unloaded or moved before the backup is known to be readable and to fit.
    const backup::Outcome ready = backup::checkRestore(f);
    if (!ready) {
        ui::message(this, ready.error);
        return;
    }

    for (const QString& name : workWindowNames()) {
        if (name != kUpload)
            unloadWorkWindow(name);
    }
    if (auto* upload = qobject_cast<updataFrm*>(workWindow(kUpload)))
        upload->stopUpload();
    unloadWorkWindow(kUpload);
    // The page being edited went with the content window: nothing is left unsaved.
    mdl_ins::dataChanged = false;

    // The connection is never used from two threads: it is closed while the folders are
    // swapped and opened again on the working folder, restored or as it was.
    sitedb::close();
    const QString kept = QDir::toNativeSeparators(QDir::cleanPath(backup::keptIn(f)));
    const backup::Outcome restored =
        runWithProgress(QStringLiteral("正在还原数据，请稍候……"),
                        [f](const backup::Progress& p) { return backup::restoreData(f, p); });
    const backup::Outcome opened = sitedb::open(currImgPath() + QString::fromLatin1(sitedb::fileName));
    if (!restored || !opened) {
        QString text = restored ? QStringLiteral("数据已还原，但") : restored.error + u'\n';
        if (!opened)
            text += QStringLiteral("无法打开站点数据库：") + opened.error;
        ui::message(this, text.trimmed());
        return;
    }
    setWindowTitle(startup::frameTitle(sitedb::userInfo(QStringLiteral("webName"))));
    ui::message(this, QStringLiteral("数据还原成功！\n还原前的数据保存在“%1”，需要时可以从那里取回。\n"
                                     "请从“视图”菜单或工具栏打开各窗口。")
                          .arg(kept));
}

// ---- the companion program and the end ----

void MDIFrm::startCompanion() {
    const QFileInfo program(currentPath() + kCompanion);
    if (!program.isFile() || !program.isExecutable())
        return;
    qint64 pid = 0;
    if (QProcess::startDetached(program.absoluteFilePath(), {}, currentPath(), &pid))
        m_companionPid = pid;
}

void MDIFrm::stopCompanion() {
    // Asks the companion to close, as a window would be asked; it is never waited for.
    if (m_companionPid > 0)
        ::kill(static_cast<pid_t>(m_companionPid), SIGTERM);
    m_companionPid = 0;
}

void MDIFrm::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    if (!settleUnsaved()) {
        event->ignore();
        return;
    }
    m_unloading = true;
    // The next start on the working folder may take it from here.
    m_folderLock.reset();
    // The connection to the hosting service ends with the program.
    if (auto* upload = qobject_cast<updataFrm*>(workWindow(kUpload)))
        upload->closeSocket();
    // Every window is unloaded; one that refuses does not stop the others.
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (QWidget* w = sub->widget())
            w->close();
    }
    // The message, notice and about windows are top-level windows of their own.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isWindow() && w->isVisible())
            w->close();
    }
    event->accept();
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

// ---- one program per working folder ----

bool MDIFrm::takeWorkingFolder(QWidget* splash) {
    m_folderLock = std::make_unique<instanceLock::Lock>(currImgPath());
    if (m_folderLock->take()) {
        connect(m_folderLock.get(), &instanceLock::Lock::raiseRequested, this, [this] {
            if (isMinimized())
                showNormal();
            raise();
            activateWindow();
        });
        return true;
    }
    const bool raised = m_folderLock->callHolder();
    m_folderLock.reset();
    if (splash)
        splash->close();
    QString text = QStringLiteral("Orvane已经在运行，正在使用工作文件夹“%1”。\n"
                                  "同一个工作文件夹只能由一个Orvane打开，本次启动不再继续。")
                       .arg(QDir::toNativeSeparators(currImgPath()));
    if (raised)
        text += QStringLiteral("\n正在运行的Orvane窗口已切换到最前面。");
    ui::message(nullptr, text, QStringLiteral("提示"), QMessageBox::Information);
    return false;
}

// ---- what the work windows hold unsaved ----

bool MDIFrm::settleUnsaved() {
    struct Held {
        QString window;
        unsavedWork::Holder* holder;
    };
    QList<Held> held;
    QStringList items;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        auto* holder = dynamic_cast<unsavedWork::Holder*>(sub->widget());
        const QStringList unsaved = holder ? holder->unsavedItems() : QStringList();
        if (unsaved.isEmpty())
            continue;
        held.append({sub->widget()->objectName(), holder});
        items << unsaved;
    }
    if (held.isEmpty())
        return true;

    const auto answer =
        ui::message(this, unsavedWork::quitQuestion(items), QStringLiteral("提示"),
                    QMessageBox::Question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Discard) {
        for (const Held& h : held)
            h.holder->discardUnsaved();
        return true;
    }
    if (answer == QMessageBox::Save) {
        for (qsizetype i = 0; i < held.size(); ++i) {
            if (held[i].holder->saveUnsaved())
                continue;
            // The window that could not save is in front; what was not saved stays as it was.
            for (qsizetype j = i; j < held.size(); ++j)
                held[j].holder->keepUnsaved();
            showWorkWindow(held[i].window);
            return false;
        }
        return true;
    }
    for (const Held& h : held)
        h.holder->keepUnsaved();
    return false;
}
