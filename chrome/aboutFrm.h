#pragma once
// The about window "关于Orvane": the product picture, the version, and two ways to close
// (the close box and "关闭"; Esc as well). It draws its own frame.

#include <QWidget>

class QLabel;
class cmdBtn;
class windowBox;
class xp_canvas;

class aboutFrm : public QWidget {
    Q_OBJECT
public:
    explicit aboutFrm(QWidget* parent = nullptr);

    // The loaded window, loading it first when `load` is set. Loaded for `owner` (the
    // main frame) it stays tied to it: above it, with no taskbar entry of its own.
    static aboutFrm* instance(bool load = true, QWidget* owner = nullptr);

    xp_canvas* canvas = nullptr;
    windowBox* winCloseBtn = nullptr;
    QLabel* img_logo = nullptr;
    QLabel* lbl_msg = nullptr;
    cmdBtn* cmd_cancel = nullptr;

public Q_SLOTS:
    void cmd_cancel_Click();
    void winCloseBtn_Click(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
