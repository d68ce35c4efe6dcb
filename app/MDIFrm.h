#pragma once

#include <QList>
#include <QMainWindow>
#include <QSqlDatabase>
#include <QString>

class QMdiArea;
class QMdiSubWindow;
class frmSplash;

// The main frame: resolves the working folder, keeps the one site database connection
// `conn` and hosts the work windows.
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
    // A work window by its name ("designFrm", "insDataFrm", …), or nullptr.
    QWidget* workWindow(const QString& name) const;
    // Brings a work window to the front and gives it the focus.
    void showWorkWindow(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createWorkWindows();
    void addWorkWindow(QWidget* window);
    void startCompanion();
    void stopCompanion();
    void fail(QWidget* splash, const QString& text);
    // Offers a way on when the site database cannot be opened: the backup, or a fresh
    // start, with the damaged file kept. True once `dbFile` is open.
    bool recoverDatabase(QWidget* splash, QString* dbFile, const QString& reason);

    QMdiArea* m_area = nullptr;
    QList<QMdiSubWindow*> m_windows;
    qint64 m_companionPid = 0;
    bool m_unloading = false;
};
