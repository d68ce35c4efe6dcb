#pragma once
// Gives a file of the designer another display format. The file's content records lose
// their fields, as they were entered for the old format, so the user is asked first.

#include "designer/dgnFrm_picker.h"
#include "designer/mdl_nov.h"

class QTreeWidgetItem;

class dgnFrm_modFile : public dgnFrm_picker {
    Q_OBJECT
public:
    // Acts on `node`, the designer's current node when the dialog opens, whatever node is
    // current when it closes. The node's own format is preselected.
    dgnFrm_modFile(designFrm* designer, QTreeWidgetItem* node, QWidget* parent = nullptr);

    // Whether the dialog was opened for `node`.
    bool isFor(const QTreeWidgetItem* node) const;

    void cmd_cfm_Click() override;

private:
    mdl_nov::Level m_level = mdl_nov::Level::None;
    QString m_key;
    QString m_name;
    bool m_file = false;
    QString m_format;
};
