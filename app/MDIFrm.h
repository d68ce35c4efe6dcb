#pragma once

#include <QMainWindow>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <functional>

#include "app/backup.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenuBar;
class QToolBar;
class frmSplash;
namespace instanceLock {
class Lock;
}

// The main frame: resolves the working folder, keeps the one site database connection
// `conn`, hosts the work windows and carries the main commands.
class MDIFrm : public QMainWindow {
    Q_OBJECT
public:
    explicit MDIFrm(QWidget* parent = nullptr);
    ~MDIFrm() override;

    // The start-up sequence for the installation in `installPath` (the program's own
    // folder when empty). Closes `splash` once the work windows are shown. False, after
    // telling the user why, when there is no usable site database: the program ends.
    bool load(QWidget* splash = nullptr, const QString& installPath = {});

    QString currentPath() const;
    QString currImgPath() const;
    QString currDataPath() const;
    QSqlDatabase conn() const;

    QString encode(const QString& text) const;
    QString decode(const QString& text) const;

    QMdiArea* mdiArea() const { return m_area; }
    QMenuBar* xMenu1 = nullptr;
    QToolBar* xToolbar1 = nullptr;

    // The work windows the frame knows, in the order start-up shows them.
    static QStringList workWindowNames();
    // A loaded work window by its name ("designFrm", "insDataFrm", …), or nullptr.
    QWidget* workWindow(const QString& name) const;
    // Brings a work window to the front and gives it the focus, loading it afresh when
    // it is not loaded. A name the frame does not know does nothing.
    void showWorkWindow(const QString& name);
    // Unloads a work window; it loads again, from the database, when shown next.
    void unloadWorkWindow(const QString& name);

public Q_SLOTS:
    // A menu entry by its key; keys of no command do nothing.
    void xMenu1_Click(const QString& key);
    // A tool-bar button by its position, 1 to 8.
    void xToolbar1_ButtonClick(int position);
    void backupData();
    void restoreData();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createCommands();
    void createWorkWindows();
    QMdiSubWindow* subWindow(const QString& name) const;
    QMdiSubWindow* loadWorkWindow(const QString& name);
    void connectWorkWindows();
    void showSiteName(const QString& webName);
    void startCompanion();
    void stopCompanion();
    void fail(QWidget* splash, const QString& text);
    // Makes this program the one that runs on the working folder. False, after telling
    // the user and bringing the running program to the front, when another one holds it.
    bool takeWorkingFolder(QWidget* splash);
    // Before the program ends: asks once about what the work windows hold unsaved, and
    // saves or drops it as answered. False when the program is to stay open.
    bool settleUnsaved();
    // Runs a backup or a restore off the window's thread behind a progress dialog and the
    // busy cursor; its outcome.
    backup::Outcome runWithProgress(
        const QString& label, const std::function<backup::Outcome(const backup::Progress&)>& work);
    void placeInOrder(QMdiSubWindow* sub);
    // Offers a way on when the site database cannot be opened: the backup, or a fresh
    // start, with the damaged file kept. True once `dbFile` is open.
    bool recoverDatabase(QWidget* splash, QString* dbFile, const QString& reason);

    QMdiArea* m_area = nullptr;
    qint64 m_companionPid = 0;
    bool m_unloading = false;
    std::unique_ptr<instanceLock::Lock> m_folderLock;
};
