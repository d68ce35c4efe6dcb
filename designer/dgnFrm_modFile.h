#pragma once
// Gives the designer's current file another display format. The file's content records
// lose their fields, as they were entered for the old format.

#include "designer/dgnFrm_picker.h"

class dgnFrm_modFile : public dgnFrm_picker {
    Q_OBJECT
public:
    dgnFrm_modFile(designFrm* designer, QWidget* parent = nullptr);

    void cmd_cfm_Click() override;
};
