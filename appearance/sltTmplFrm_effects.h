#pragma once
// The editors of the two features that carry content of their own: the pop-up window of
// the published home page and its script effect.

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class sltTmplFrm_adBoardFrm : public QDialog {
    Q_OBJECT
public:
    explicit sltTmplFrm_adBoardFrm(QWidget* parent = nullptr);

    QGroupBox* Frame2 = nullptr;
    QLineEdit* txt_left = nullptr;
    QLineEdit* txt_top = nullptr;
    QLineEdit* txt_width = nullptr;
    QLineEdit* txt_height = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txt_title = nullptr;
    QPlainTextEdit* txt_content = nullptr;
    QPushButton* cmd_ok = nullptr;
    QPushButton* cmd_cancel = nullptr;

    void Form_Load();
    void cmd_ok_Click();

    int exec() override;
};

class sltTmplFrm_javaScrpt : public QDialog {
    Q_OBJECT
public:
    explicit sltTmplFrm_javaScrpt(QWidget* parent = nullptr);

    QComboBox* cmb_javaScript = nullptr;
    QLineEdit* txt_javascript = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void Form_Load();
    void cmb_javaScript_Click();
    void OKButton_Click();

    int exec() override;
};
