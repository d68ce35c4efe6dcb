#pragma once
// "水平线": a horizontal rule with its colour, width, thickness, alignment and shadow.

#include "richtext/insertDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class dlgFrm_hr : public insertDialog {
    Q_OBJECT
public:
    explicit dlgFrm_hr(richEditBase* editor, QWidget* parent = nullptr);

    QLineEdit* txt_color = nullptr;
    QPushButton* cmd_color = nullptr;
    QLineEdit* txt_width = nullptr;
    QLineEdit* txt_height = nullptr;
    QComboBox* cmb_align = nullptr;
    QComboBox* cmb_shadow = nullptr;

    QString markup() override;
};
