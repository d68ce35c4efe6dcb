#pragma once
// Copying files into the installation and the working folder.

#include <QString>

#include <functional>

namespace fileops {

// Copies `from` over `to`. The copy is made beside `to` first and put in its place only
// when complete, so a failed copy never costs the file it was to replace. The result is
// writable by its owner (the pristine copies may be read-only). On failure `why` names
// the file and the reason.
// `copied`, when given, hears how many bytes of the file are copied so far, block by
// block, so a window can show the progress of a large file.
bool replaceWith(const QString& from, const QString& to, QString* why,
                 const std::function<void(qint64)>& copied = {});

} // namespace fileops
