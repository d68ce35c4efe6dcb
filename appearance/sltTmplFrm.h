#pragma once
// The appearance window: the home-page and inner-page templates, the name styles, the
// background, the advanced design with the user's own pages, and the optional features.
// Every choice is stored at once; there is no OK or Cancel of its own.

#include "appearance/mdl_custom.h"
#include "appearance/mdl_sltTmpl.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class nameLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;

class sltTmplFrm : public QWidget {
    Q_OBJECT
public:
    explicit sltTmplFrm(QWidget* parent = nullptr);

    QWidget* Frame100 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* imgDefaultTmpl = nullptr;
    QLabel* lbl_defaultTmpl = nullptr;
    QPushButton* cmd_default = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* imgHeadTmpl = nullptr;
    QLabel* lbl_headTmpl = nullptr;
    QPushButton* cmd_head = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* imgDefault = nullptr;
    QPushButton* cmd_DefaultFont = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLabel* imgHead = nullptr;
    QPushButton* cmd_headFont = nullptr;
    QGroupBox* Frame5 = nullptr;
    QLabel* img_bg = nullptr;
    nameLabel* lbl_bg = nullptr;
    QPushButton* cmd_bgOK = nullptr;
    QPushButton* cmd_bgCancel = nullptr;
    QGroupBox* Frame6 = nullptr;
    QCheckBox* chk_default = nullptr;
    QLabel* lbl_default = nullptr;
    QLineEdit* txt_default = nullptr;
    QPushButton* cmd_sltDefault = nullptr;
    QPushButton* cmd_viewDefault = nullptr;
    QCheckBox* chk_head = nullptr;
    QLabel* lbl_head = nullptr;
    QLineEdit* txt_head = nullptr;
    QPushButton* cmd_sltHead = nullptr;
    QPushButton* cmd_viewHead = nullptr;
    QCheckBox* chk_other = nullptr;
    QLabel* lbl_other = nullptr;
    QComboBox* cmb_other = nullptr;
    QPushButton* cmd_other = nullptr;
    QGroupBox* Frame7 = nullptr;
    std::array<QCheckBox*, 6> chk_pertain{};
    QStatusBar* StatusBar1 = nullptr;

    // Panel 1 of the status bar.
    QString statusText() const;

    // The catalogue and name-style dialogs show their stored choice here.
    void showTemplate(mdl_sltTmpl::Page page, const QString& name);
    void showFont(mdl_sltTmpl::Page page, const QString& name);

    void Form_Load();
    void cmd_default_Click();
    void cmd_head_Click();
    void cmd_DefaultFont_Click();
    void cmd_headFont_Click();
    void cmd_bgOK_Click();
    void cmd_bgCancel_Click();
    void chk_pertain_MouseUp(int index);
    void chk_default_Click();
    void chk_head_Click();
    void chk_other_Click();
    void cmd_sltDefault_Click();
    void cmd_sltHead_Click();
    void cmd_other_Click();
    void cmd_viewDefault_Click();
    void cmd_viewHead_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildFrames();
    void placeFrame();
    void showPicture(QLabel* label, const QString& path, const QString& missingText);
    void showBackground(const QString& name);
    void setPertain(int index, bool on);
    // Asks whether to edit or to drop the pop-up window or script effect (2 or 3).
    void editFeature(int index);
    void showNotice(const mdl_custom::Notice& notice);
    mdl_custom::Progress busy();
    void idle();

    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_pagesFolder;
};
