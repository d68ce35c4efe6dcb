#pragma once
// Opens the add and modify dialogs of a list format for the content window.

#include <QString>

class QWidget;

namespace recordDialogs {

// The add dialog of `format` ("news", "imgs", a product format) for the node, modal.
// True when a record was stored.
bool add(QWidget* parent, const QString& format, const QString& nodeKey,
         const QString& nodeName);
// The modify dialog of `format` for the record `id` of the node, modal. True when the
// record was stored.
bool modify(QWidget* parent, const QString& format, const QString& nodeKey,
            const QString& nodeName, qint64 id);

} // namespace recordDialogs
