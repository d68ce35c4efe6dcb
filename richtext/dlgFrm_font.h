#pragma once
// The "综合" dialog of the page editors: font, size and colour for the selected text at
// once.

#include <QDialog>
#include <QString>

class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

class dlgFrm_font : public QDialog {
    Q_OBJECT
public:
    explicit dlgFrm_font(QWidget* parent = nullptr);

    // The script that gives the selection what was chosen ("" when nothing was).
    QString script() const;

    QFontComboBox* cmb_font = nullptr;
    QComboBox* cmb_size = nullptr;
    QPushButton* cmd_color = nullptr;
    QLabel* lbl_color = nullptr;
    QPushButton* cmd_ok = nullptr;
    QPushButton* cmd_cancel = nullptr;

private:
    void cmd_color_Click();
    QString m_color;
};
