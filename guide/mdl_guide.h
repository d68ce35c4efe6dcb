#pragma once
// The guide's fixed tree of help topics and the pages they show from the installation's
// "help/" folder.

#include <QList>
#include <QString>
#include <QUrl>

namespace mdl_guide {

struct Topic {
    QString key;     // a page's file name in "help/", or a group's own key
    QString text;
    QString parent;  // the group's key; empty at the top level
    QString tag;     // "folder" or "file"
    QString picture; // "open", "close" or "file" at start
};

// The topics in the order the tree is built.
const QList<Topic>& topics();

// The folder that holds the pages, ending with "/".
QString helpFolder(const QString& currentPath);
// The page the guide opens with.
QUrl indexPage(const QString& currentPath);
// What a page topic shows: its file, or an empty page when the file is missing.
QUrl pageFor(const QString& currentPath, const QString& key);

} // namespace mdl_guide
