#pragma once
// The windows' side of bringing a picture or movie in: the file dialog, then `choose`,
// with the refusal shown in a message box.

#include "common/pictures.h"

#include <optional>

class QWidget;

namespace pictures {

// Asks for a file with `filter` ("description|pattern") and brings it into the working
// folder. A name that is not printable ASCII is refused with its notice ("提示",
// information); a cancelled dialog, a file that is no picture or a failed copy are
// reported titled `failureTitle` with the error icon. The dialog may propose a file.
// No value when nothing came in.
std::optional<Choice> ask(QWidget* parent, const QString& filter, const ChoiceOptions& options,
                          const QString& failureTitle, const QString& proposedName = {});

} // namespace pictures
