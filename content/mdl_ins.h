#pragma once
// Content entry without widgets: which content table a catalog node's records live in,
// the record list markup of the list formats, deleting a record and storing the page of a
// single-record node.

#include "sitedb/sitedb.h"

#include <QList>
#include <QString>

namespace mdl_ins {

// Program-wide: something was typed in the content window's title or body box or in its
// page editor since the last save.
extern bool dataChanged;
// The "adv" page of the content window's current node has no record yet.
extern bool advIsNew;

// The records of the node (key, name), newest first: those of the content table of the
// key's level whose owner column names the node. No level (the root): no rows.
sitedb::Rows loadRecords(const QString& nodeKey, const QString& nodeName);

// The record table of "news" and "imgs" nodes, and of product nodes, as the list page
// shows it. Values are shown as the text they hold (HTML-escaped).
QString buildListHtml(const QList<sitedb::Row>& records, const QString& kind);
QString buildProdListHtml(const QList<sitedb::Row>& records);

// Deletes one record of the node's level. Fails with "不期望的错误：栏目选择错误！" when the
// key has no level.
sitedb::Outcome deleteData(const QString& nodeKey, qint64 id);

// The editable values of a single-record page.
struct PageFields {
    QString title;
    QString body; // as typed; stored encoded
    QString picture1;
    QString picture2;
};

// How saving a page ended.
struct SaveResult {
    enum Kind { Saved, NoLevel, EmptyTitle, Failed };
    Kind kind = Saved;
    QString error; // the database's reason when Failed

    bool ok() const { return kind == Saved; }
};

// Stores the page of a "txt", "imgTxt01", "imgTxt02", "imgTxt03" or "bigImg" node: inserts
// its record when `isNew`, otherwise updates the node's records. The title is stored as
// typed (a title of blanks only is refused for the text formats), the body encoded; an
// empty value is stored as empty text, never as NULL.
SaveResult savePage(const QString& nodeKey, const QString& nodeName, const QString& format,
                    bool isNew, const PageFields& fields);

// Stores the "adv" page (stored rich text; carriage returns are dropped): inserts the
// record when `isNew`, otherwise updates it.
SaveResult saveAdvPage(const QString& nodeKey, const QString& nodeName, const QString& html,
                       bool isNew);

// The formats whose page is a list of records.
bool isListFormat(const QString& format);
// The formats whose page is one record edited in place (without "adv").
bool isPanelFormat(const QString& format);

} // namespace mdl_ins
