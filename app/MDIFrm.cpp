#include "app/MDIFrm.h"

#include "app/startup.h"
#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "content/insDataFrm.h"
#include "designer/designFrm.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
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
    if (!ws.warnings.isEmpty()) {
        if (splash)
            splash->hide();
        ui::message(nullptr, ws.warnings.join(QStringLiteral("\n\n")), QStringLiteral("警告"),
                    QMessageBox::Warning);
    }
    workspace::setWorkingPath(ws.workPath);

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
    // The backup is that of the default working folder.
    const bool backup = currImgPath() == currentPath() + QStringLiteral("userImages/") &&
                        !startup::backupDatabase(currentPath()).isEmpty();
    QString text = QStringLiteral("无法打开站点数据库“%1”。\n原因：%2\n\n").arg(file, reason);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (backup) {
        text += QStringLiteral("选择“是”：用“savedData”中的备份恢复站点；\n"
                               "选择“否”：从空白站点重新开始；\n选择“取消”：退出程序。\n"
                               "恢复或重新开始前，损坏的文件会改名保存为“%1”。")
                    .arg(aside);
        buttons |= QMessageBox::Cancel;
    } else {
        text += QStringLiteral("是否将损坏的文件改名保存为“%1”，从空白站点重新开始？\n"
                               "选择“否”退出程序，文件保持原样。")
                    .arg(aside);
    }
    const auto answer = ui::message(nullptr, text, QStringLiteral("错误"), QMessageBox::Question,
                                    buttons);
    const bool fromBackup = backup && answer == QMessageBox::Yes;
    if (!fromBackup && answer != (backup ? QMessageBox::No : QMessageBox::Yes)) {
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
    if (!r.error.isEmpty())
        ui::message(nullptr, QStringLiteral("站点数据库已恢复，但有文件未能从备份复制。\n原因：%1")
                                 .arg(r.error),
                    QStringLiteral("警告"), QMessageBox::Warning);
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
    auto* designer = new designFrm;
    addWorkWindow(designer);
    auto* content = new insDataFrm;
    addWorkWindow(content);
    // The content window keeps its own copy of the tree: every change of the designer's
    // tree rebuilds it.
    connect(designer, &designFrm::catalogChanged, content, &insDataFrm::mnu_Refresh_Click);
    addWorkWindow(new updataFrm);
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
