#pragma once
// Reading an uploaded site database into memory: the organisation's row, the catalog
// tree in the order the designer shows it, and every file's records, newest first.

#include "sitedb/contract.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace publish {

// One content record: its ID and the value columns a format uses (value01..value06).
struct Record {
    qint64 id = 0;
    QString values[6];
    // The value of a column named by the contract (sitedb::columns), "" for another.
    const QString& text(const QString& column) const;
};

struct Node {
    QString name;
    sitedb::Level level = sitedb::Level::None;
    bool folder = false;
    QString format;      // the display-format key of a file
    int parent = -1;     // index in Site::nodes, -1 below the root
    QList<int> children; // indexes in Site::nodes, in order
    QList<Record> records;
};

struct Site {
    // The user_info row by lower-case column name.
    QHash<QString, QString> info;
    QString value(const QString& column) const { return info.value(column.toLower()); }
    // Every node of the tree, each parent before its children, siblings in order.
    QList<Node> nodes;
    QList<int> top; // the level-1 nodes
    // Rows that could not take part in the tree, one line each.
    QStringList skipped;
};

struct ReadResult {
    bool ok = false;
    QString error;
    Site site;
};

// Reads the site database `file` on a connection of its own, read only.
ReadResult readSite(const QString& file);

} // namespace publish
