#pragma once
// "flash选择": a Flash movie of the working folder with its width and height.

#include "richtext/insertDialog.h"

class QLineEdit;
class QPushButton;

class dlgFrm_flash : public insertDialog {
    Q_OBJECT
public:
    explicit dlgFrm_flash(richEditBase* editor, QWidget* parent = nullptr);

    QLineEdit* txt_path = nullptr;
    QPushButton* cmd_view = nullptr;
    QLineEdit* txt_width = nullptr;
    QLineEdit* txt_height = nullptr;

    void cmd_view_Click();
    QString markup() override;
};
