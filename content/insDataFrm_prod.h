#pragma once
// The product dialogs: `insDataFrm_prod` adds a product to the current node,
// `insDataFrm_prodMod` loads the picked one shortly after it opens and stores its changes.
// Name, model and size, unit, price, an optional picture and an introduction written in
// the product editor.

#include "content/entryDialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class advEditProd;

class productDialog : public entryDialog {
    Q_OBJECT
public:
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txt_Name = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txt_spec = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txt_unit = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txt_price = nullptr;
    QLabel* Label7 = nullptr;
    QGroupBox* Frame2 = nullptr;
    advEditProd* advEdit_Prod = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* img_prod = nullptr;
    QPushButton* cmd_view = nullptr;
    QPushButton* cmd_cancel = nullptr;
    QPushButton* cmd_actual = nullptr;

    void txt_price_Change();
    void cmd_view_Click();
    void cmd_cancel_Click();
    void cmd_actual_Click();
    void img_prod_Click();

    QString pictureName() const { return fileName; }
    static QSize previewSize() { return {220, 165}; }

protected:
    productDialog(const Target& target, bool modify, QWidget* parent);
    mdl_entry::Product fields() const;
    void showPicture(const QImage& image);
    // Opens this dialog's actual-size viewer.
    virtual void openViewer() = 0;
    // After "名称不能为空！": the name box gets the focus.
    void refuseName();
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

};

class insDataFrm_prod : public productDialog {
    Q_OBJECT
public:
    insDataFrm_prod(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;

protected:
    void openViewer() override;
};

class insDataFrm_prodMod : public productDialog {
    Q_OBJECT
public:
    insDataFrm_prodMod(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;

    QTimer* tmr_prod = nullptr;
    // The record has been read into the fields.
    bool isLoaded() const { return m_loaded; }

protected:
    void openViewer() override;

private:
    void Form_Load();
    void tmr_prod_Timer();
    void loadProduct();

    int m_ticks = 0;
    bool m_loaded = false;
};
