#pragma once
// The gallery dialogs: `insDataFrm_imgs` adds a picture with its caption to the current
// node, `insDataFrm_imgsMod` shows the picked one and stores its changes. The picture is
// shown at its own size (at most the screen's) in a frame with scroll bars, and its bitmap
// thumbnail is written beside it.

#include "content/entryDialog.h"

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class actualImage;
class nameLabel;

class galleryDialog : public entryDialog {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLineEdit* txt_title = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* pic_imgs = nullptr;
    actualImage* img = nullptr;
    std::array<QScrollBar*, 2> scrl{}; // 0 vertical, 1 horizontal
    QLabel* lbl_angr = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* pic_imgsSmall = nullptr;
    QPushButton* cmd_img = nullptr;
    nameLabel* lbl_imgName = nullptr;

    void cmd_img_Click();
    void scrl_Change(int index);

    // The names the dialog holds.
    QString pictureName() const { return fileName; }
    QString thumbnailName() const { return thumbName; }

    // The frame's size and the thumbnail box's, in pixels.
    static QSize frameSize() { return {420, 300}; }
    static QSize thumbBox() { return {200, 133}; }
    // The largest picture the frame shows at its own size: a camera photo larger than the
    // screen is read, and shown, only as large as the screen.
    QSize actualBound() const;

protected:
    galleryDialog(const Target& target, bool modify, QWidget* parent);
    mdl_entry::Gallery fields() const;
    // Shows the picture at its own size and sets the scroll bars for it.
    void showActual(const QImage& image);
    void showThumb(const QImage& thumb);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString thumbName;
    QString prevThumbName;
};

class insDataFrm_imgs : public galleryDialog {
    Q_OBJECT
public:
    insDataFrm_imgs(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;
};

class insDataFrm_imgsMod : public galleryDialog {
    Q_OBJECT
public:
    insDataFrm_imgsMod(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;

private:
    void Form_Load();
};
