#pragma once
// The site's catalog tree in the site database: three levels of folders and files below
// the site itself, one table per level, rows tied to their parents by name. Every
// operation here keeps the tables consistent: names are unique across the tree, a
// branch is deleted or renamed together with its descendants and content records, and
// changes made of several statements run in one transaction.

#include "sitedb/contract.h"
#include "sitedb/sitedb.h"

#include <QList>
#include <QSet>
#include <QString>

namespace mdl_nov {

// The tables and levels of the catalog, as the site database's vocabulary names them.
using Level = sitedb::Level;
using sitedb::catalogTable;
using sitedb::childLevel;
using sitedb::contentTable;
using sitedb::levelOfKey;
using sitedb::levelPrefix;
using sitedb::noFormat;

// One catalog row and the rows below it, as loaded.
struct CatalogNode {
    QString name;
    bool folder = false;
    qint64 orderID = 0;
    QString aspFileName;
    QList<CatalogNode> children;
};

// The whole tree: the site name (the root's text) and the level-1 nodes in order.
// When a query fails, `error` says why and the nodes read until then are kept.
struct Catalog {
    QString siteName;
    QList<CatalogNode> nodes;
    bool ok = true;
    QString error;
};

// Reads the three levels, each sibling list in `orderID` order (equal orders keep the
// order the database returns them in).
Catalog loadCatalog();

// A number read from the catalog, or why it could not be read.
struct Number {
    qint64 value = -1;
    bool ok = true;
    QString error;
};

// The largest `orderID` among the children of a parent of level `parentLevel` (None is
// the root) named `parentName`: 0 when it has none; -1 when the parent cannot have
// children in the tables (a level-3 node).
Number getMaxOrder(Level parentLevel, const QString& parentName);
// A node's own `orderID`: 0 when the column is empty, -1 when there is no such row or
// the node has no level.
Number getOrderID(Level level, const QString& name);

// Gives the row named `nameA` the order `b` and the row named `nameB` the order `a`, in
// one transaction.
sitedb::Outcome swapOrderID(Level level, const QString& nameA, const QString& nameB, qint64 a,
                            qint64 b);

// True when `name` is taken: it is the site name or the name of any catalog row of any
// level (exact comparison, letter case counts).
bool existNode(const QString& name);

// Deletes a node's row together with the rows of its whole branch and the content
// records of every node in it, in one transaction. Nothing happens for Level::None.
sitedb::Outcome delNode(Level level, const QString& name);

// Renames a node's row and carries the new name into its descendants' parent columns
// and its content records' owner column, in one transaction. The new name is taken
// without its surrounding blanks and checked as checkNewName does. The root
// (Level::None) is the site: its new name is stored as the site name `webName`.
sitedb::Outcome renNode(Level level, const QString& oldName, const QString& typedName);

// The name a typed name is checked and stored under: without surrounding blanks.
QString nodeName(const QString& typed);

// Why a name may not be given to a node, checked in this order (on the name without its
// surrounding blanks: "新闻 " is "新闻", and blanks alone are empty).
enum class NameCheck { Ok, Duplicate, Empty };
NameCheck checkNewName(const QString& typed);

// Stores a display-format key in a node's row.
sitedb::Outcome setAspFileName(Level level, const QString& name, const QString& key);

// The display-format key of a node, "none" when the node has no level or no row.
struct Text {
    QString value;
    bool ok = true;
    QString error;
};
Text getAspFileName(Level level, const QString& name);

// Gives a file another display format: empties field01..field15 and value01..value15 of
// all its content records (the records stay) and stores the key, in one transaction. The
// format the file already has writes nothing.
sitedb::Outcome changeFormat(Level level, const QString& name, const QString& key);

// How many content records a node owns (0 for the root).
Number countRecords(Level level, const QString& name);

// What goes with a node when it is deleted: the folders and files below it and the
// content records of it and of everything below it.
struct Branch {
    qint64 folders = 0;
    qint64 files = 0;
    qint64 records = 0;
    bool ok = true;
    QString error;
};
Branch branchOf(Level level, const QString& name);

// Adding a node below a parent.
struct AddResult {
    enum Status {
        Added,      // the row is written
        Duplicate,  // the name is taken
        EmptyName,  // no name given
        NoOrder,    // the parent's next position could not be found
        NotAllowed, // the parent cannot hold such a node
        Failed      // a statement failed; see error
    };
    Status status = Failed;
    QString name;              // the name stored: the typed one without surrounding blanks
    Level level = Level::None; // the level of the new node
    qint64 orderID = 0;
    QString error;
};

// Adds a folder (`folder` true) or a file with the display format `formatKey` as the last
// child of the parent of level `parentLevel` named `parentName` (None: the root).
// Folders go on levels 1 and 2, files on levels 1 to 3, and only below the root or a
// folder row. The name, without its surrounding blanks, must be new and not empty.
AddResult addNode(Level parentLevel, const QString& parentName, const QString& typedName,
                  bool folder, const QString& formatKey = {});

// A tree key for a new node: the prefix, "_" and a random whole number from 0 to 10000
// that no key in `used` already has.
QString newNodeKey(const QString& prefix, const QSet<QString>& used);

} // namespace mdl_nov
