#include "designer/designFrm.h"

#include "common/uiServices.h"
#include "common/workspace.h"
#include "designer/catalogTree.h"
#include "designer/dgnFrm_addCat.h"
#include "designer/dgnFrm_addFile.h"
#include "designer/dgnFrm_modFile.h"
#include "designer/mdl_dgnFrm.h"
#include "designer/mdl_nov.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <utility>

using mdl_dgnFrm::twips;
using mdl_nov::Level;

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

bool isRoot(const QTreeWidgetItem* node) {
    return catalogTree::key(node).startsWith(QLatin1String("roo"));
}

} // namespace

designFrm::designFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("designFrm"));
    setWindowTitle(QStringLiteral("设计栏目"));
    setMinimumSize(twips(10125), twips(6200));
    resize(twips(10125), twips(6240));

    Frame_nav = new QFrame(this);
    Frame_nav->setObjectName(QStringLiteral("Frame_nav"));
    Frame_nav->setFrameShape(QFrame::StyledPanel);
    tvw_nav = new QTreeWidget(Frame_nav);
    tvw_nav->setObjectName(QStringLiteral("tvw_nav"));
    tvw_nav->setHeaderHidden(true);
    tvw_nav->setRootIsDecorated(true);
    // Labels are edited in place only when the rename command starts it.
    tvw_nav->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* navLayout = new QVBoxLayout(Frame_nav);
    navLayout->setContentsMargins(4, 4, 4, 4);
    navLayout->addWidget(tvw_nav);

    frame_cmdNode = new QFrame(this);
    frame_cmdNode->setObjectName(QStringLiteral("frame_cmdNode"));
    cmd_addCat = button(frame_cmdNode, "cmd_addCat", QStringLiteral("添加目录"));
    cmd_addFile = button(frame_cmdNode, "cmd_addFile", QStringLiteral("添加文件"));
    cmd_delNode = button(frame_cmdNode, "cmd_delNode", QStringLiteral("删除"));
    cmd_ren = button(frame_cmdNode, "cmd_ren", QStringLiteral("重命名"));
    cmd_refresh = button(frame_cmdNode, "cmd_refresh", QStringLiteral("刷新"));
    cmd_up = button(frame_cmdNode, "cmd_up", QStringLiteral("上移一位"));
    cmd_down = button(frame_cmdNode, "cmd_down", QStringLiteral("下移一位"));
    auto* nodeButtons = new QGridLayout(frame_cmdNode);
    nodeButtons->setContentsMargins(0, 0, 0, 0);
    nodeButtons->addWidget(cmd_addCat, 0, 0);
    nodeButtons->addWidget(cmd_addFile, 0, 1);
    nodeButtons->addWidget(cmd_delNode, 0, 2);
    nodeButtons->addWidget(cmd_ren, 1, 0);
    nodeButtons->addWidget(cmd_refresh, 1, 1);
    nodeButtons->addWidget(cmd_up, 2, 0);
    nodeButtons->addWidget(cmd_down, 2, 1);

    Frame_optn = new QFrame(this);
    Frame_optn->setObjectName(QStringLiteral("Frame_optn"));
    Frame_optn->setFrameShape(QFrame::StyledPanel);
    wb_format = new QWebEngineView(Frame_optn);
    wb_format->setObjectName(QStringLiteral("wb_format"));
    // A preview: its page menu (save, view source) would lead nowhere.
    wb_format->setContextMenuPolicy(Qt::NoContextMenu);
    auto* optnLayout = new QVBoxLayout(Frame_optn);
    // The browser takes the frame less 200 twips across and 800 twips down.
    optnLayout->setContentsMargins(twips(100), twips(400), twips(100), twips(400));
    optnLayout->addWidget(wb_format);

    frame_cmdDesign = new QFrame(this);
    frame_cmdDesign->setObjectName(QStringLiteral("frame_cmdDesign"));
    cmd_mod = button(frame_cmdDesign, "cmd_mod", QStringLiteral("修改样式"));
    cmd_mod->setEnabled(false);
    auto* designButtons = new QHBoxLayout(frame_cmdDesign);
    designButtons->setContentsMargins(0, 0, 0, 0);
    designButtons->addStretch();
    designButtons->addWidget(cmd_mod);

    StsBar = new QStatusBar(this);
    StsBar->setObjectName(QStringLiteral("StsBar"));
    StsBar->setSizeGripEnabled(false);
    m_panel1 = new QLabel(StsBar);
    m_panel1->setObjectName(QStringLiteral("StsBar_panel1"));
    StsBar->addWidget(m_panel1, 1);

    // The tree's side can be widened for long names.
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    auto* leftSide = new QWidget(splitter);
    auto* left = new QVBoxLayout(leftSide);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(Frame_nav, 1);
    left->addWidget(frame_cmdNode);
    auto* rightSide = new QWidget(splitter);
    auto* right = new QVBoxLayout(rightSide);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(Frame_optn, 1);
    right->addWidget(frame_cmdDesign);
    leftSide->setMinimumWidth(twips(3600));
    splitter->addWidget(leftSide);
    splitter->addWidget(rightSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({twips(3600), twips(10125 - 3600)});
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 0);
    outer->addWidget(splitter, 1);
    outer->addWidget(StsBar);

    ppMnu = new QMenu(QStringLiteral("操作弹出"), this);
    ppMnu->setObjectName(QStringLiteral("ppMnu"));
    ppMnu_addCat = menuItem(ppMnu, "ppMnu_addCat", QStringLiteral("添加目录(&C)"));
    ppMnu_addFile = menuItem(ppMnu, "ppMnu_addFile", QStringLiteral("添加文件(&F)"));
    ppMnu_del = menuItem(ppMnu, "ppMnu_del", QStringLiteral("删除(&D)"));
    ppMnu_ren = menuItem(ppMnu, "ppMnu_ren", QStringLiteral("重命名(&R)"));
    ppMnu->addSeparator()->setObjectName(QStringLiteral("ppMnu_lin02"));
    ppMnu_refresh = menuItem(ppMnu, "ppMnu_refresh", QStringLiteral("刷新(&E)"));
    ppMnu->addSeparator()->setObjectName(QStringLiteral("ppMnu_line01"));
    ppMnu_moveUp = menuItem(ppMnu, "ppMnu_moveUp", QStringLiteral("上移一位(&U)"));
    ppMnu_moveDown = menuItem(ppMnu, "ppMnu_moveDown", QStringLiteral("下移一位(&D)"));

    connect(ppMnu_addCat, &QAction::triggered, this, &designFrm::ppMnu_addCat_Click);
    connect(ppMnu_addFile, &QAction::triggered, this, &designFrm::ppMnu_addFile_Click);
    connect(ppMnu_del, &QAction::triggered, this, &designFrm::ppMnu_del_Click);
    connect(ppMnu_ren, &QAction::triggered, this, &designFrm::ppMnu_ren_Click);
    connect(ppMnu_refresh, &QAction::triggered, this, &designFrm::ppMnu_refresh_Click);
    connect(ppMnu_moveUp, &QAction::triggered, this, &designFrm::ppMnu_moveUp_Click);
    connect(ppMnu_moveDown, &QAction::triggered, this, &designFrm::ppMnu_moveDown_Click);
    connect(cmd_addCat, &QPushButton::clicked, this, &designFrm::ppMnu_addCat_Click);
    connect(cmd_addFile, &QPushButton::clicked, this, &designFrm::ppMnu_addFile_Click);
    connect(cmd_delNode, &QPushButton::clicked, this, &designFrm::ppMnu_del_Click);
    connect(cmd_ren, &QPushButton::clicked, this, &designFrm::ppMnu_ren_Click);
    connect(cmd_refresh, &QPushButton::clicked, this, &designFrm::ppMnu_refresh_Click);
    connect(cmd_up, &QPushButton::clicked, this, &designFrm::ppMnu_moveUp_Click);
    connect(cmd_down, &QPushButton::clicked, this, &designFrm::ppMnu_moveDown_Click);
    connect(cmd_mod, &QPushButton::clicked, this, &designFrm::cmd_mod_Click);

    connect(tvw_nav, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { tvw_nav_NodeClick(item); });
    // The current node is the highlighted one, however the highlight got there; a move by
    // the keyboard shows the file's format as a click does.
    connect(tvw_nav, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now) {
        if (now && now != mNode)
            setCurrent(now);
    });
    catalogTree::onKeyboardMove(tvw_nav, [this](QTreeWidgetItem* now) {
        setCurrent(now);
        showFormatOf(now, false);
    });
    tvw_nav->viewport()->installEventFilter(this);
    connect(tvw_nav->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (!editNode)
                    return;
                editNode->setFlags(editNode->flags() & ~Qt::ItemIsEditable);
                if (hint == QAbstractItemDelegate::RevertModelCache) {
                    editNode = nullptr; // the user cancelled the edit
                    return;
                }
                // Handled once the view has finished with the editor, as the handler may
                // rebuild the tree.
                const QString text = editNode->text(0);
                QMetaObject::invokeMethod(
                    this, [this, text] { tvw_nav_AfterLabelEdit(text); }, Qt::QueuedConnection);
            });

    for (QWidget* w : {static_cast<QWidget*>(cmd_addCat), static_cast<QWidget*>(cmd_addFile),
                       static_cast<QWidget*>(cmd_delNode), static_cast<QWidget*>(cmd_ren),
                       static_cast<QWidget*>(cmd_refresh), static_cast<QWidget*>(cmd_up),
                       static_cast<QWidget*>(cmd_down), static_cast<QWidget*>(cmd_mod),
                       static_cast<QWidget*>(Frame_nav)})
        w->installEventFilter(this);

    Form_Load();
}

designFrm::~designFrm() = default;

dgnFrm_modFile* designFrm::modelessModFile() const {
    return m_modeless.data();
}

QString designFrm::statusText() const {
    return m_panel1->text();
}

void designFrm::showHint(const QString& text) {
    m_panel1->setText(text);
}

void designFrm::Form_Load() {
    reloadTree();
}

void designFrm::Form_Activate() {
    wb_format->load(
        QUrl::fromLocalFile(workspace::currentPath() + QStringLiteral("tmplImg/welcome01.htm")));
    // The welcome page describes no format and offers none to change.
    showHint(QString());
    cmd_mod->setEnabled(false);
}

bool designFrm::event(QEvent* event) {
    if (event->type() == QEvent::Show && !m_activationHooked) {
        // As a work window the designer becomes active through its MDI sub-window.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &designFrm::Form_Activate);
            m_activationHooked = true;
        }
        Form_Activate();
    }
    return QWidget::event(event);
}

bool designFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvw_nav->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        const Qt::MouseButton b = me->button();
        const QPoint pos = me->position().toPoint();
        // After the view has handled the release (the selection is then final).
        QMetaObject::invokeMethod(
            this, [this, b, pos] { tvw_nav_MouseUp(b, pos); }, Qt::QueuedConnection);
    } else if (event->type() == QEvent::Enter) {
        static const QHash<QString, QString> hints{
            {QStringLiteral("cmd_addCat"), QStringLiteral("在当前目录下添加子目录")},
            {QStringLiteral("cmd_addFile"), QStringLiteral("在当前目录下添加子文件")},
            {QStringLiteral("cmd_delNode"), QStringLiteral("删除当前选中的节点")},
            {QStringLiteral("cmd_ren"), QStringLiteral("重命名当前选中节点的名称")},
            {QStringLiteral("cmd_refresh"), QStringLiteral("刷新")},
            {QStringLiteral("cmd_up"), QStringLiteral("将当前选中节点顺序的上移一位")},
            {QStringLiteral("cmd_down"), QStringLiteral("将当前选中节点的顺序下移一位")},
            {QStringLiteral("cmd_mod"), QStringLiteral("修改当前选中节点的显示格式")},
            {QStringLiteral("Frame_nav"), QString()},
        };
        const auto it = hints.find(watched->objectName());
        if (it != hints.end())
            showHint(it.value());
    }
    return QWidget::eventFilter(watched, event);
}

void designFrm::reloadTree() {
    // An edit still open ends with the nodes it was on.
    editNode = nullptr;
    ++m_generation;
    catalogTree::loadTree(tvw_nav);
    setCurrent(catalogTree::root(tvw_nav));
}

void designFrm::setCurrent(QTreeWidgetItem* node) {
    mNode = node;
    if (node && tvw_nav->currentItem() != node)
        tvw_nav->setCurrentItem(node);
    updateCommands();
}

void designFrm::updateCommands() {
    const bool root = isRoot(mNode);
    const Level level = catalogTree::level(mNode);
    const bool folder = catalogTree::tag(mNode).toBool();
    // Folders go on levels 1 and 2, files on levels 1 to 3; nothing goes below a file.
    const bool addCat = root || (level == Level::First && folder);
    const bool addFile = root || ((level == Level::First || level == Level::Second) && folder);
    ppMnu_addCat->setEnabled(mNode && addCat);
    cmd_addCat->setEnabled(mNode && addCat);
    ppMnu_addFile->setEnabled(mNode && addFile);
    cmd_addFile->setEnabled(mNode && addFile);
    ppMnu_del->setEnabled(true);
    ppMnu_ren->setEnabled(true);
    ppMnu_refresh->setEnabled(true);

    // The root counts as the first and the last of its siblings.
    const bool first = !mNode || root || !catalogTree::previousSibling(mNode);
    const bool last = !mNode || root || !catalogTree::nextSibling(mNode);
    ppMnu_moveUp->setEnabled(!first);
    cmd_up->setEnabled(!first);
    ppMnu_moveDown->setEnabled(!last);
    cmd_down->setEnabled(!last);
}

void designFrm::tvw_nav_NodeClick(QTreeWidgetItem* node) {
    if (node)
        setCurrent(node);
}

void designFrm::tvw_nav_MouseUp(Qt::MouseButton button, const QPoint& pos) {
    cmd_mod->setEnabled(false);
    if (button == Qt::RightButton) {
        // The menu acts on the selected node.
        for (QTreeWidgetItem* item : catalogTree::allItems(tvw_nav)) {
            if (item->isSelected()) {
                setCurrent(item);
                break;
            }
        }
        updateCommands();
        ppMnu->popup(tvw_nav->viewport()->mapToGlobal(pos));
        return;
    }
    updateCommands();
    if (button != Qt::LeftButton || !mNode)
        return;
    // Only a click on a node's own row picks it: not its expand arrow, nor blank space.
    QTreeWidgetItem* hit = tvw_nav->itemAt(pos);
    if (hit != mNode || !tvw_nav->visualItemRect(hit).contains(pos))
        return;
    showFormatOf(mNode, true);
}

void designFrm::showFormatOf(QTreeWidgetItem* node, bool askWhenNone) {
    cmd_mod->setEnabled(false);
    // Only a file has a format; the root and folders have none.
    if (!node || isRoot(node) || catalogTree::tag(node).toBool())
        return;
    const mdl_nov::Text format = mdl_nov::getAspFileName(catalogTree::level(node), node->text(0));
    if (!format.ok) {
        ui::message(this, format.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    if (mdl_dgnFrm::findFormat(format.value) || askWhenNone)
        right_canvas(format.value);
}

void designFrm::right_canvas(const QString& key) {
    currModel = key;
    if (const mdl_dgnFrm::DisplayFormat* f = mdl_dgnFrm::findFormat(key)) {
        cmd_mod->setEnabled(true);
        wb_format->load(QUrl::fromLocalFile(workspace::currentPath() + f->previewPage));
        showHint(f->description);
        return;
    }
    openModFile(false);
}

void designFrm::openModFile(bool modal) {
    if (modal) {
        dgnFrm_modFile dlg(this, mNode, this);
        dlg.exec();
        return;
    }
    if (m_modeless && m_modeless->isFor(mNode)) {
        m_modeless->raise();
        m_modeless->activateWindow();
        return;
    }
    // One open for another page gives way: each acts on the page it was opened for.
    if (m_modeless)
        m_modeless->close();
    m_modeless = new dgnFrm_modFile(this, mNode, this);
    m_modeless->setAttribute(Qt::WA_DeleteOnClose);
    m_modeless->show();
}

void designFrm::ppMnu_addCat_Click() {
    if (!mNode || !ppMnu_addCat->isEnabled())
        return;
    dgnFrm_addCat dlg(this, this);
    dlg.exec();
}

void designFrm::ppMnu_addFile_Click() {
    if (!mNode || !ppMnu_addFile->isEnabled())
        return;
    dgnFrm_addFile dlg(this, this);
    dlg.exec();
}

void designFrm::ppMnu_del_Click() {
    if (!mNode)
        return;
    if (isRoot(mNode)) {
        ui::message(this, QStringLiteral("不能够删除根目录!"), QStringLiteral("警告"),
                    QMessageBox::Warning);
        return;
    }
    const QString name = mNode->text(0);
    // What goes with the node is told on a second line.
    const mdl_nov::Branch branch = mdl_nov::branchOf(catalogTree::level(mNode), name);
    if (!branch.ok) {
        ui::message(this, branch.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    QStringList parts;
    if (branch.folders > 0)
        parts << QStringLiteral("%1 个目录").arg(branch.folders);
    if (branch.files > 0)
        parts << QStringLiteral("%1 个文件").arg(branch.files);
    if (branch.records > 0)
        parts << QStringLiteral("%1 条数据").arg(branch.records);
    QString question = QStringLiteral("确实要删除“") + name + QStringLiteral("”项吗？");
    if (!parts.isEmpty())
        question += QStringLiteral("\n将同时删除：") + parts.join(QStringLiteral("、")) +
                    QStringLiteral("。");
    const auto answer = ui::message(this, question, QStringLiteral("警告"), QMessageBox::Question,
                                    QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    const sitedb::Outcome out = mdl_nov::delNode(catalogTree::level(mNode), name);
    if (!out) {
        ui::message(this, out.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    // The node goes with its whole branch.
    delete mNode;
    setCurrent(catalogTree::root(tvw_nav));
    setFocus();
    Q_EMIT catalogChanged();
}

void designFrm::ppMnu_moveUp_Click() {
    moveNode(true);
}
void designFrm::ppMnu_moveDown_Click() {
    moveNode(false);
}

void designFrm::moveNode(bool up) {
    if (!mNode)
        return;
    if (isRoot(mNode)) {
        ui::message(this, QStringLiteral("不能够移动根目录！"), QStringLiteral("警告"),
                    QMessageBox::Warning);
        return;
    }
    QTreeWidgetItem* neighbour =
        up ? catalogTree::previousSibling(mNode) : catalogTree::nextSibling(mNode);
    // Already the first (or last): nothing to write.
    if (!neighbour)
        return;
    const Level level = catalogTree::level(mNode);
    const mdl_nov::Number a = mdl_nov::getOrderID(level, mNode->text(0));
    const mdl_nov::Number b =
        mdl_nov::getOrderID(catalogTree::level(neighbour), neighbour->text(0));
    if (!a.ok || !b.ok) {
        ui::message(this, a.ok ? b.error : a.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    if (a.value == -1 || b.value == -1) {
        ui::message(this, QStringLiteral("排序索引值出错，排序失败!"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        return;
    }
    // The neighbour's row receives the current node's order and the other way round.
    const sitedb::Outcome out =
        up ? mdl_nov::swapOrderID(level, neighbour->text(0), mNode->text(0), b.value, a.value)
           : mdl_nov::swapOrderID(level, mNode->text(0), neighbour->text(0), a.value, b.value);
    if (!out) {
        ui::message(this, QStringLiteral("改变排序失败！"), QStringLiteral("失败"),
                    QMessageBox::Critical);
        return;
    }
    reloadTree();
    Q_EMIT catalogChanged();
}

void designFrm::ppMnu_refresh_Click() {
    reloadTree();
}

void designFrm::ppMnu_ren_Click() {
    if (!mNode)
        return;
    // The edit is bound to the current node: its row is the one renamed.
    editNode = mNode;
    m_editOldName = mNode->text(0);
    m_editGeneration = m_generation;
    editNode->setFlags(editNode->flags() | Qt::ItemIsEditable);
    tvw_nav->setCurrentItem(editNode);
    tvw_nav->scrollToItem(editNode);
    tvw_nav->setFocus();
    tvw_nav->editItem(editNode, 0);
}

void designFrm::tvw_nav_AfterLabelEdit(const QString& newText) {
    QTreeWidgetItem* node = editNode;
    editNode = nullptr;
    if (!node || m_editGeneration != m_generation)
        return;
    rename(node, newText);
}

bool designFrm::rename(QTreeWidgetItem* node, const QString& newText) {
    switch (mdl_nov::checkNewName(newText)) {
    case mdl_nov::NameCheck::Duplicate:
        ui::message(this, QStringLiteral("已存在重名，更改名称!"), QStringLiteral("警告"),
                    QMessageBox::Warning);
        reloadTree();
        return false;
    case mdl_nov::NameCheck::Empty:
        ui::message(this, QStringLiteral("重命名不能为空！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        reloadTree();
        return false;
    case mdl_nov::NameCheck::Ok:
        break;
    }
    // Renaming the root renames the site.
    const sitedb::Outcome out = mdl_nov::renNode(catalogTree::level(node), m_editOldName, newText);
    if (!out) {
        ui::message(this, out.error, QStringLiteral("提示"), QMessageBox::Critical);
        reloadTree();
        return false;
    }
    node->setText(0, mdl_nov::nodeName(newText));
    Q_EMIT catalogChanged();
    if (catalogTree::level(node) == mdl_nov::Level::None)
        Q_EMIT siteNameChanged(node->text(0));
    return true;
}

QLineEdit* designFrm::labelEditor() const {
    if (!editNode)
        return nullptr;
    for (QLineEdit* box : tvw_nav->viewport()->findChildren<QLineEdit*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

QStringList designFrm::unsavedItems() {
    QLineEdit* box = labelEditor();
    if (!box)
        return {};
    // The rename is put aside: a question shown now would otherwise end it, and write it.
    m_parkedNode = std::exchange(editNode, nullptr);
    m_parkedText = box->text();
    m_parkedNode->setFlags(m_parkedNode->flags() & ~Qt::ItemIsEditable);
    tvw_nav->closePersistentEditor(m_parkedNode);
    if (m_parkedText == m_editOldName)
        return {};
    return {QStringLiteral("设计栏目：“%1”改名为“%2”").arg(m_editOldName, m_parkedText)};
}

bool designFrm::saveUnsaved() {
    QTreeWidgetItem* node = std::exchange(m_parkedNode, nullptr);
    if (!node || m_editGeneration != m_generation || m_parkedText == m_editOldName)
        return true;
    return rename(node, m_parkedText);
}

void designFrm::discardUnsaved() {
    m_parkedNode = nullptr;
}

void designFrm::keepUnsaved() {
    QTreeWidgetItem* node = std::exchange(m_parkedNode, nullptr);
    if (!node || m_editGeneration != m_generation)
        return;
    // The edit opens again on the same node, with the text as the user left it.
    const QString oldName = m_editOldName;
    editNode = node;
    editNode->setFlags(editNode->flags() | Qt::ItemIsEditable);
    tvw_nav->setCurrentItem(editNode);
    tvw_nav->setFocus();
    tvw_nav->editItem(editNode, 0);
    m_editOldName = oldName;
    if (QLineEdit* box = labelEditor())
        box->setText(m_parkedText);
}

void designFrm::cmd_mod_Click() {
    openModFile(true);
}
