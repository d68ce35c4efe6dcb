#pragma once
// The message dialog "咨询台": a running log of the messages exchanged with the service's
// administrator and a box to send one.

#include "server/msgLogWindow.h"

#include <QPointer>

class QPlainTextEdit;
class QPushButton;

class dlgFrm : public msgLogWindow {
    Q_OBJECT
public:
    explicit dlgFrm(QWidget* parent = nullptr);

    // The loaded dialog, loading it first when `load` is set.
    static dlgFrm* instance(bool load = true);

    QPlainTextEdit* txt_msg = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

public Q_SLOTS:
    void OKButton_Click();
    void CancelButton_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
