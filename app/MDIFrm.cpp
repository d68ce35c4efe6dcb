#include "app/MDIFrm.h"

#include "app/startup.h"
#include "appearance/sltTmplFrm.h"
#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "content/insDataFrm.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "organisation/infoFrm.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTreeWidget>
#include <QTimer>

#include <csignal>

namespace {
const QString kCompanion = QStringLiteral("closeOfficeMSI");
}

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
        installPath.isEmpty() ? QCoreApplication::applicationDirPath() : installPath;
    workspace::setCurrentPath(QDir(install).absolutePath());

    const startup::Workspace ws = startup::resolveWorkspace(currentPath());
    if (!ws.problems.isEmpty()) {
        fail(splash, ws.problems.join(u'\n'));
        return false;
    }
    workspace::setWorkingPath(ws.workPath);

    const QString dbFile = currImgPath() + QString::fromLatin1(sitedb::fileName);
    const sitedb::Outcome opened = sitedb::open(dbFile);
    if (!opened) {
        fail(splash, QStringLiteral("无法打开站点数据库“%1”：%2")
                         .arg(QDir::toNativeSeparators(dbFile), opened.error));
        return false;
    }

    setWindowTitle(startup::frameTitle(sitedb::userInfo(QStringLiteral("webName"))));

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

void MDIFrm::createWorkWindows() {
    // The work windows in the order they are shown; load() brings the designer to the
    // front once the frame is visible.
    // guidFrm, infoFrm, sltTmplFrm, designFrm, insDataFrm, updataFrm
    auto* info = new infoFrm;
    addWorkWindow(info);
    addWorkWindow(new sltTmplFrm);
    auto* designer = new designFrm;
    addWorkWindow(designer);
    auto* content = new insDataFrm;
    addWorkWindow(content);
    // The content window keeps its own copy of the tree: every change of the designer's
    // tree rebuilds it.
    connect(designer, &designFrm::catalogChanged, content, &insDataFrm::mnu_Refresh_Click);
    addWorkWindow(new updataFrm);
    // A saved site name shows in the title and at the root of both catalog trees.
    connect(info, &infoFrm::siteNameChanged, this, [this, designer, content](const QString& name) {
        setWindowTitle(startup::frameTitle(name));
        for (QTreeWidget* tree : {designer->tvw_nav, content->tvw_nav}) {
            if (QTreeWidgetItem* root = catalogTree::root(tree))
                root->setText(0, name);
        }
    });
}

void MDIFrm::addWorkWindow(QWidget* window) {
    QMdiSubWindow* sub = m_area->addSubWindow(window);
    sub->setObjectName(window->objectName() + QStringLiteral("_sub"));
    sub->setWindowTitle(window->windowTitle());
    sub->setWindowIcon(window->windowIcon());
    // Work windows stay loaded for the whole run; the user switches between them but
    // never closes one (nothing would bring it back).
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setSystemMenu(nullptr);
    sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowMinMaxButtonsHint);
    m_windows << sub;
    sub->showMaximized();
}

QWidget* MDIFrm::workWindow(const QString& name) const {
    for (QMdiSubWindow* sub : m_windows) {
        if (sub->widget() && sub->widget()->objectName() == name)
            return sub->widget();
    }
    return nullptr;
}

void MDIFrm::showWorkWindow(const QString& name) {
    for (QMdiSubWindow* sub : m_windows) {
        if (sub->widget() && sub->widget()->objectName() == name) {
            sub->showMaximized();
            m_area->setActiveSubWindow(sub);
            sub->widget()->setFocus();
            return;
        }
    }
}

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
    m_unloading = true;
    // The connection to the hosting service ends with the program.
    if (auto* upload = qobject_cast<updataFrm*>(workWindow(QStringLiteral("updataFrm"))))
        upload->closeSocket();
    // Every window is unloaded; one that refuses does not stop the others.
    for (QMdiSubWindow* sub : m_windows) {
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
