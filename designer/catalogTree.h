#pragma once
// The catalog tree in a QTreeWidget, as the designer and the content window show it.
// Every item carries its key, its Tag (true for a folder, false for a file, nothing for
// the root), its image key and its 1-based Index in the order of insertion in item
// data roles.

#include "designer/mdl_nov.h"

#include <QIcon>
#include <functional>
#include <QString>
#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

namespace catalogTree {

inline constexpr int KeyRole = Qt::UserRole + 1;
inline constexpr int TagRole = Qt::UserRole + 2;
inline constexpr int IndexRole = Qt::UserRole + 3;
inline constexpr int ImageRole = Qt::UserRole + 4;

// Image keys: the root and folders, files.
inline const QString folderImage = QStringLiteral("fclose");
inline const QString fileImage = QStringLiteral("file");

QString key(const QTreeWidgetItem* item);
// The Tag: invalid for the root.
QVariant tag(const QTreeWidgetItem* item);
// A folder (Tag true). The root counts as a folder for what may be added below it.
bool isFolder(const QTreeWidgetItem* item);
int index(const QTreeWidgetItem* item);
QString image(const QTreeWidgetItem* item);
mdl_nov::Level level(const QTreeWidgetItem* item);

// The tree's icon for an image key, loaded from the installation's "images/" folder.
QIcon icon(const QString& imageKey);

// Appends a node: as a top-level item when `parent` is null, else as the parent's last
// child. `tag` is invalid for the root. Its Index is the next in insertion order.
QTreeWidgetItem* addNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& key,
                         const QString& text, const QString& imageKey, const QVariant& tag);

// Builds the tree from a loaded catalog into an empty tree: the root "root" with the site
// name, expanded; every name shown whole (sideways scrolling, the name as tool-tip); level-1 keys "fst_" + n, level-2 "snd_" + Index of the parent + "_" + m,
// level-3 "thd_" + Index of the parent + "_" + k; everything below the root collapsed.
void fill(QTreeWidget* tree, const mdl_nov::Catalog& catalog);

// Clears the tree and loads it from the site database. A failure shows
// "不期望的错误！errNo:mdl_nov" and leaves the nodes read until then; false then.
bool loadTree(QTreeWidget* tree);

// The root item, or null for an empty tree.
QTreeWidgetItem* root(const QTreeWidget* tree);
// Every item in the order of the tree (pre-order), the root first.
QList<QTreeWidgetItem*> allItems(const QTreeWidget* tree);
QTreeWidgetItem* findByKey(const QTreeWidget* tree, const QString& key);
QTreeWidgetItem* findByText(const QTreeWidget* tree, const QString& text);
QSet<QString> usedKeys(const QTreeWidget* tree);

// Calls `moved` with the new current item whenever a key moves the tree's highlight
// (arrows, Home, End, the page keys, typing a name), never for a click or for a change
// the program makes itself.
void onKeyboardMove(QTreeWidget* tree, std::function<void(QTreeWidgetItem*)> moved);

// The siblings of an item: its parent's children, or the top-level items.
QTreeWidgetItem* previousSibling(QTreeWidgetItem* item);
QTreeWidgetItem* nextSibling(QTreeWidgetItem* item);

} // namespace catalogTree
