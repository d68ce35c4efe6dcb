#pragma once
// "插入图片": a picture of the working folder with its size, border, alternative text,
// effect and position.

#include "richtext/insertDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class dlgFrm_img : public insertDialog {
    Q_OBJECT
public:
    explicit dlgFrm_img(richEditBase* editor, QWidget* parent = nullptr);

    QLineEdit* txt_imgPath = nullptr;
    QPushButton* cmd_imgPath = nullptr;
    QLineEdit* txt_height = nullptr;
    QLineEdit* txt_width = nullptr;
    QLineEdit* txt_border = nullptr;
    QLineEdit* txt_alt = nullptr;
    QComboBox* cmb_spec = nullptr;
    QComboBox* cmb_align = nullptr;

    void cmd_imgPath_Click();
    QString markup() override;
};
