#pragma once
// Copying files and folders into the installation and the working folder.

#include <QString>
#include <QStringList>

#include <functional>

namespace fileops {

// The reason a system call failed, told in plain Chinese ("磁盘空间不足").
QString reason(int error);

// Copies `from` over `to`. The copy is made beside `to` first and put in its place only
// when complete, so a failed copy never costs the file it was to replace. The result is
// writable by its owner (the pristine copies may be read-only). On failure `why` names
// the file and the reason.
// `copied`, when given, hears how many bytes of the file are copied so far, block by
// block, so a window can show the progress of a large file.
bool replaceWith(const QString& from, const QString& to, QString* why,
                 const std::function<void(qint64)>& copied = {});

// Which entries of a folder copy to leave out, by path relative to the folder copied
// ("images/a.gif"); folders are asked before their content.
using Skip = std::function<bool(const QString& relative)>;

// Copies every file of the folder `from`, subfolders included, into the folder `to`
// (made when missing), each through replaceWith; files of `to` that `from` does not
// hold stay. `written` receives the relative path of each file put in place, in order,
// also when a later one fails. `copied`, when given, hears how many bytes of the whole
// folder are copied so far.
bool copyFolder(const QString& from, const QString& to, QString* why, const Skip& skip = {},
                QStringList* written = nullptr, const std::function<void(qint64)>& copied = {});

// Removes a folder with everything in it, folders that cannot be written included (their
// owner may make them writable). True when it is gone, or was never there.
bool removeFolder(const QString& folder);

// `path`, or, when a leftover there cannot be removed, the first of `path-2`, `path-3`, …
// that is free; without a trailing "/".
QString freeName(const QString& path);

// Writes what the file system holding `folder` still keeps in memory to the disk, so that
// what was copied survives a power cut as well as a killed program.
bool syncFileSystem(const QString& folder);

// Renames a folder (or a file) in one step; on failure `why` names both and the reason.
bool renameFolder(const QString& from, const QString& to, QString* why);

// Puts the complete folder `fresh` in the place of `target`: the old `target`, if any,
// goes only once `fresh` stands in its place (a leftover that cannot be removed does not
// stand in the way). On failure `target` is as it was and `fresh` is removed.
bool replaceFolder(const QString& fresh, const QString& target, QString* why);

} // namespace fileops
