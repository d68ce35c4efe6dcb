#pragma once
// "插入表格": a table of empty cells with its counts, size, border, spacing and colours.

#include "richtext/insertDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class dlgFrm_tbl : public insertDialog {
    Q_OBJECT
public:
    explicit dlgFrm_tbl(richEditBase* editor, QWidget* parent = nullptr);

    QLineEdit* txt_row = nullptr;
    QLineEdit* txt_col = nullptr;
    QLineEdit* txt_ID = nullptr;
    QLineEdit* txt_width = nullptr;
    QComboBox* cmb_width = nullptr;
    QLineEdit* txt_height = nullptr;
    QComboBox* cmb_height = nullptr;
    QLineEdit* txt_border = nullptr;
    QLineEdit* txt_pad = nullptr;
    QLineEdit* txt_space = nullptr;
    QLineEdit* txt_backColor = nullptr;
    QPushButton* cmd_backColor = nullptr;
    QLineEdit* txt_foreColor = nullptr;
    QPushButton* cmd_foreColor = nullptr;
    QComboBox* cmb_align = nullptr;

    QString markup() override;
};
