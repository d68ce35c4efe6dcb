#pragma once
// Adds a folder below the designer's current node.

#include <QDialog>

class QLineEdit;
class QPushButton;
class designFrm;

class dgnFrm_addCat : public QDialog {
    Q_OBJECT
public:
    dgnFrm_addCat(designFrm* designer, QWidget* parent = nullptr);

    QLineEdit* txt_Name = nullptr;
    QPushButton* cmd_cfm = nullptr;
    QPushButton* cmd_cnl = nullptr;

    void cmd_cfm_Click();

private:
    designFrm* m_designer;
};
