#pragma once
// The page editors' toolbars and the appending of markup to a page in its stored form.

#include <QList>
#include <QString>
#include <QStringList>

namespace mdl_richtext {

// What a toolbar button does.
enum class Action {
    Save,       // stores the page of the content window's current node
    Command,    // an editing command of the browser engine (`command`)
    EditAction, // a standard edit action of the page (cut, copy, paste, undo, redo)
    Link,       // asks for an address and links the selection to it
    Color,      // asks for font, size and colour and gives them to the selection
    Dialog,     // opens one of the insert dialogs
};

struct ToolButton {
    QString key;
    QString caption;
    QString hint;
    Action action = Action::Command;
    QString command; // the engine's command name for Command and EditAction
};

// The full editor's 22 buttons and the reduced editor's 15, in display order.
const QList<ToolButton>& fullToolbar();
QList<ToolButton> reducedToolbar();
// A button of the full toolbar by key; nullptr for an unknown key.
const ToolButton* toolButton(const QString& key);

// The stored page `stored` with `markup` added at its end: before a closing "</body>" the
// page may still carry (the last one, any letter case), otherwise after everything.
QString appendToStored(const QString& stored, const QString& markup);

} // namespace mdl_richtext
