#pragma once
// The main frame's menu bar and tool bar: every entry with its key, caption, icon and
// command, in display order. The frame builds both bars from these tables and runs a
// click through them.

#include <QList>
#include <QString>

namespace mainCommands {

enum class Command {
    None,         // top-level entries, separators, and what does nothing
    Backup,       // back up the working data
    Restore,      // bring the backup back
    Quit,         // close the main frame, which ends the program
    ShowWindow,   // bring a work window to the front (loading it when unloaded)
    Consultation, // the message dialog, not modal
    About,        // the about window, not modal
    Preview,      // the site rendered on this machine, in a window of its own
};

enum class Level { Top, Item, Separator };

struct MenuItem {
    QString key;
    QString caption;
    Level level = Level::Item;
    Command command = Command::None;
    QString window; // the work window of ShowWindow
    QString icon;   // picture in the installation's "images/", or empty
};

struct ToolButton {
    int position = 0; // 1 to 8; the buttons added since are numbered from 10
    QString caption;  // empty for the separator
    QString key;
    Command command = Command::None;
    QString window;
    QString icon;
};

// The menu bar, in display order.
const QList<MenuItem>& menuItems();
// The tool bar's buttons, by position.
const QList<ToolButton>& toolButtons();

// The first entry of the menu table whose key is exactly `key`; an entry that does
// nothing for any other key.
MenuItem menuItem(const QString& key);
// The button at `position`; an entry that does nothing for any other position.
ToolButton toolButton(int position);

} // namespace mainCommands
