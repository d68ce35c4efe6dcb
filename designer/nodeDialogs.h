#pragma once
// What the node dialogs share: adding a node that the catalog accepted to the designer's
// tree, and the messages for a node that was refused.

#include "designer/mdl_nov.h"

class QWidget;
class designFrm;

namespace nodeDialogs {

// Appends the new node as the last child of the designer's current node under a key no
// other node has, expands the current node and announces the change.
void appendNode(designFrm* designer, const QString& name, bool folder);

// Shows why a node could not be added; `noOrder` is the message for a missing position.
void showRefusal(QWidget* dialog, const mdl_nov::AddResult& result, bool folder,
                 const QString& noOrder);

} // namespace nodeDialogs
