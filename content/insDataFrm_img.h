#pragma once
// The product dialogs' actual-size viewers: the product picture at its own size, in a
// window as large as the picture; a picture larger than the screen is shown shrunk to the
// room the screen has. A click on the picture, the button or Esc closes it.

#include <QDialog>

class QPushButton;
class QScrollArea;
class actualImage;

class insDataFrm_img : public QDialog {
    Q_OBJECT
public:
    // Shows the picture file at `path`.
    explicit insDataFrm_img(const QString& path, QWidget* parent = nullptr);

    QScrollArea* area = nullptr;
    actualImage* img_prod = nullptr;
    QPushButton* cmd_cancel = nullptr;

    void img_prod_Click() { accept(); }
    void cmd_cancel_Click() { accept(); }
};

// The modify dialog's viewer.
class insDataFrm_imgMod : public insDataFrm_img {
    Q_OBJECT
public:
    explicit insDataFrm_imgMod(const QString& path, QWidget* parent = nullptr);
};
