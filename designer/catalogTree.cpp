#include "designer/catalogTree.h"

#include "common/uiServices.h"
#include "common/workspace.h"

#include <QHash>
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeWidget>

namespace catalogTree {

namespace {

// The tree remembers the last Index it gave out.
const char* const kLastIndex = "catalogLastIndex";

int nextIndex(QTreeWidget* tree) {
    const int n = tree->property(kLastIndex).toInt() + 1;
    tree->setProperty(kLastIndex, n);
    return n;
}

void collect(QTreeWidgetItem* item, QList<QTreeWidgetItem*>& into) {
    into << item;
    for (int i = 0; i < item->childCount(); ++i)
        collect(item->child(i), into);
}

// A node whose tool-tip is always its whole name, however long and however renamed.
class CatalogItem : public QTreeWidgetItem {
public:
    QVariant data(int column, int role) const override {
        if (role == Qt::ToolTipRole)
            return text(column);
        return QTreeWidgetItem::data(column, role);
    }
};

QTreeWidgetItem* sibling(QTreeWidgetItem* item, int step) {
    if (!item)
        return nullptr;
    if (QTreeWidgetItem* p = item->parent()) {
        const int i = p->indexOfChild(item) + step;
        return i >= 0 && i < p->childCount() ? p->child(i) : nullptr;
    }
    QTreeWidget* tree = item->treeWidget();
    if (!tree)
        return nullptr;
    const int i = tree->indexOfTopLevelItem(item) + step;
    return i >= 0 && i < tree->topLevelItemCount() ? tree->topLevelItem(i) : nullptr;
}

} // namespace

QString key(const QTreeWidgetItem* item) {
    return item ? item->data(0, KeyRole).toString() : QString();
}

QVariant tag(const QTreeWidgetItem* item) {
    return item ? item->data(0, TagRole) : QVariant();
}

bool isFolder(const QTreeWidgetItem* item) {
    if (!item)
        return false;
    const QVariant t = tag(item);
    return !t.isValid() || t.toBool();
}

int index(const QTreeWidgetItem* item) {
    return item ? item->data(0, IndexRole).toInt() : 0;
}

QString image(const QTreeWidgetItem* item) {
    return item ? item->data(0, ImageRole).toString() : QString();
}

mdl_nov::Level level(const QTreeWidgetItem* item) {
    return mdl_nov::levelOfKey(key(item));
}

QIcon icon(const QString& imageKey) {
    static QHash<QString, QIcon> cache;
    const QString path =
        workspace::currentPath() + QStringLiteral("images/") + imageKey + QStringLiteral(".png");
    auto it = cache.find(path);
    if (it == cache.end())
        it = cache.insert(path, QIcon(path));
    return it.value();
}

QTreeWidgetItem* addNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& key,
                         const QString& text, const QString& imageKey, const QVariant& tag) {
    auto* item = new CatalogItem;
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    item->setData(0, TagRole, tag);
    item->setData(0, ImageRole, imageKey);
    item->setData(0, IndexRole, nextIndex(tree));
    item->setIcon(0, icon(imageKey));
    if (parent)
        parent->addChild(item);
    else
        tree->addTopLevelItem(item);
    return item;
}

void fill(QTreeWidget* tree, const mdl_nov::Catalog& catalog) {
    // A tree filled afresh numbers its nodes from 1 again.
    if (tree->topLevelItemCount() == 0)
        tree->setProperty(kLastIndex, 0);
    tree->setRootIsDecorated(true);
    tree->setHeaderHidden(true);
    // Long names are shown whole: the column is as wide as its longest name and the tree
    // scrolls sideways.
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QTreeWidgetItem* rootItem =
        addNode(tree, nullptr, QStringLiteral("root"), catalog.siteName, folderImage, QVariant());
    rootItem->setExpanded(true);

    const std::function<void(QTreeWidgetItem*, const QList<mdl_nov::CatalogNode>&, const QString&)>
        addLevel = [&](QTreeWidgetItem* parent, const QList<mdl_nov::CatalogNode>& nodes,
                       const QString& keyHead) {
            int n = 0;
            for (const mdl_nov::CatalogNode& node : nodes) {
                ++n;
                QTreeWidgetItem* item =
                    addNode(tree, parent, keyHead + QString::number(n), node.name,
                            node.folder ? folderImage : fileImage, node.folder);
                const mdl_nov::Level own = mdl_nov::levelOfKey(keyHead);
                if (own != mdl_nov::Level::Third && !node.children.isEmpty()) {
                    const QString childHead = mdl_nov::levelPrefix(mdl_nov::childLevel(own)) +
                                              QStringLiteral("_") + QString::number(index(item)) +
                                              QStringLiteral("_");
                    addLevel(item, node.children, childHead);
                }
            }
        };
    addLevel(rootItem, catalog.nodes, QStringLiteral("fst_"));
}

bool loadTree(QTreeWidget* tree) {
    tree->clear();
    const mdl_nov::Catalog catalog = mdl_nov::loadCatalog();
    fill(tree, catalog);
    if (!catalog.ok) {
        ui::message(tree->window(), QStringLiteral("不期望的错误！errNo:mdl_nov"),
                    QStringLiteral("提示"), QMessageBox::Critical);
        return false;
    }
    return true;
}

QTreeWidgetItem* root(const QTreeWidget* tree) {
    return tree->topLevelItemCount() > 0 ? tree->topLevelItem(0) : nullptr;
}

QList<QTreeWidgetItem*> allItems(const QTreeWidget* tree) {
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        collect(tree->topLevelItem(i), items);
    return items;
}

QTreeWidgetItem* findByKey(const QTreeWidget* tree, const QString& k) {
    for (QTreeWidgetItem* item : allItems(tree)) {
        if (key(item) == k)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* findByText(const QTreeWidget* tree, const QString& text) {
    for (QTreeWidgetItem* item : allItems(tree)) {
        if (item->text(0) == text)
            return item;
    }
    return nullptr;
}

QSet<QString> usedKeys(const QTreeWidget* tree) {
    QSet<QString> keys;
    for (QTreeWidgetItem* item : allItems(tree))
        keys.insert(key(item));
    return keys;
}

namespace {

// Arms itself while the tree handles a key press, so the highlight moves made by that
// key reach the window.
class KeyboardMoves : public QObject {
public:
    KeyboardMoves(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> moved)
        : QObject(tree), m_moved(std::move(moved)) {
        tree->installEventFilter(this);
        connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now) {
            if (!m_armed || !now)
                return;
            m_armed = false;
            m_moved(now);
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            m_armed = true;
            // Disarmed once the tree has handled this key.
            QTimer::singleShot(0, this, [this] { m_armed = false; });
        }
        return false;
    }

private:
    std::function<void(QTreeWidgetItem*)> m_moved;
    bool m_armed = false;
};

} // namespace

void onKeyboardMove(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> moved) {
    new KeyboardMoves(tree, std::move(moved));
}

QTreeWidgetItem* previousSibling(QTreeWidgetItem* item) {
    return sibling(item, -1);
}
QTreeWidgetItem* nextSibling(QTreeWidgetItem* item) {
    return sibling(item, +1);
}

} // namespace catalogTree
