#pragma once
// Adds a file with its display format below the designer's current node.

#include "designer/dgnFrm_picker.h"

class QLineEdit;

class dgnFrm_addFile : public dgnFrm_picker {
    Q_OBJECT
public:
    dgnFrm_addFile(designFrm* designer, QWidget* parent = nullptr);

    QLineEdit* txt_Name = nullptr;

    void cmd_cfm_Click() override;
};
