#pragma once
// Copying files into the installation and the working folder.

#include <QString>

namespace fileops {

// Copies `from` over `to`. The copy is made beside `to` first and put in its place only
// when complete, so a failed copy never costs the file it was to replace. The result is
// writable by its owner (the pristine copies may be read-only). On failure `why` names
// the file and the reason.
bool replaceWith(const QString& from, const QString& to, QString* why);

} // namespace fileops
