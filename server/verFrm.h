#pragma once
// The notice window "系统公告": shows the service's notice and lets the user hide it for
// a while.

#include "server/msgLogWindow.h"

#include <QPointer>

class QCheckBox;
class QPushButton;

class verFrm : public msgLogWindow {
    Q_OBJECT
public:
    explicit verFrm(QWidget* parent = nullptr);

    // The loaded window, loading it first when `load` is set.
    static verFrm* instance(bool load = true);

    QCheckBox* chk_ver = nullptr;
    QPushButton* CancelButton = nullptr;

public Q_SLOTS:
    void chk_ver_Click();
    void CancelButton_Click();
};
