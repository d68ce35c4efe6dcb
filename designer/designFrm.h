#pragma once
// The designer window: the site's catalog tree with its commands, and the preview of a
// file's display format.

#include "common/unsavedWork.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;
class dgnFrm_modFile;

class designFrm : public QWidget, public unsavedWork::Holder {
    Q_OBJECT
public:
    explicit designFrm(QWidget* parent = nullptr);
    ~designFrm() override;

    // The node the commands act on: the root after every reload of the tree.
    QTreeWidgetItem* mNode = nullptr;
    // The display-format key last shown by right_canvas.
    QString currModel;

    QFrame* Frame_nav = nullptr;
    QTreeWidget* tvw_nav = nullptr;
    QFrame* frame_cmdNode = nullptr;
    QPushButton* cmd_addCat = nullptr;
    QPushButton* cmd_addFile = nullptr;
    QPushButton* cmd_delNode = nullptr;
    QPushButton* cmd_ren = nullptr;
    QPushButton* cmd_refresh = nullptr;
    QPushButton* cmd_up = nullptr;
    QPushButton* cmd_down = nullptr;
    QFrame* Frame_optn = nullptr;
    QWebEngineView* wb_format = nullptr;
    QFrame* frame_cmdDesign = nullptr;
    QPushButton* cmd_mod = nullptr;
    QStatusBar* StsBar = nullptr;
    // Between the tree's side and the preview: drawn to widen the tree.
    QSplitter* splitter = nullptr;

    QMenu* ppMnu = nullptr;
    QAction* ppMnu_addCat = nullptr;
    QAction* ppMnu_addFile = nullptr;
    QAction* ppMnu_del = nullptr;
    QAction* ppMnu_ren = nullptr;
    QAction* ppMnu_refresh = nullptr;
    QAction* ppMnu_moveUp = nullptr;
    QAction* ppMnu_moveDown = nullptr;

    // Panel 1 of the status bar: command hints and the format description.
    QString statusText() const;

    // Shows a display format's preview and description; any other key opens the
    // change-format dialog.
    void right_canvas(const QString& key);

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void tvw_nav_NodeClick(QTreeWidgetItem* node);
    void tvw_nav_MouseUp(Qt::MouseButton button, const QPoint& pos);
    void tvw_nav_AfterLabelEdit(const QString& newText);
    void ppMnu_addCat_Click();
    void ppMnu_addFile_Click();
    void ppMnu_del_Click();
    void ppMnu_ren_Click();
    void ppMnu_refresh_Click();
    void ppMnu_moveUp_Click();
    void ppMnu_moveDown_Click();
    void cmd_mod_Click();

    // Clears the tree, loads it again and makes the root current.
    void reloadTree();
    // The change-format dialog opened without modality, while it is open.
    dgnFrm_modFile* modelessModFile() const;

    // A rename typed in the tree and not yet ended.
    QStringList unsavedItems() override;
    bool saveUnsaved() override;
    void discardUnsaved() override;
    void keepUnsaved() override;

Q_SIGNALS:
    // The catalog tree changed: a node was added, deleted, renamed or moved, or a file's
    // display format changed.
    void catalogChanged();
    // The root was renamed: the site has the name `webName` now.
    void siteNameChanged(const QString& webName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void setCurrent(QTreeWidgetItem* node);
    // Enables the commands that add below the current node and move it.
    void updateCommands();
    void moveNode(bool up);
    // Shows a file's format as a click on it does; a file without a known format opens
    // the change-format dialog only when `askWhenNone`.
    void showFormatOf(QTreeWidgetItem* node, bool askWhenNone);
    void openModFile(bool modal);
    void showHint(const QString& text);
    // Writes the rename of `node` (named m_editOldName) to `newText`; false, after saying
    // why, when it was refused or failed (the tree is then loaded again).
    bool rename(QTreeWidgetItem* node, const QString& newText);
    // The box of the rename being typed, or nullptr.
    QLineEdit* labelEditor() const;

    QLabel* m_panel1 = nullptr;
    QTreeWidgetItem* editNode = nullptr;
    QString m_editOldName;
    // Counts the reloads of the tree, so an edit that outlived its nodes is dropped.
    int m_generation = 0;
    int m_editGeneration = -1;
    // A rename put aside while the program asks whether to keep it: its node and text.
    QTreeWidgetItem* m_parkedNode = nullptr;
    QString m_parkedText;
    QPointer<dgnFrm_modFile> m_modeless;
    bool m_activationHooked = false;
};
