#pragma once

#include <QTimer>
#include <QWidget>

class MDIFrm;

// The splash window: a picture above every other window; its timer opens the main
// frame about 150 ms after it is shown. The main frame closes it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QTimer* Timer1 = nullptr;
    // The main frame the timer opened, once it has.
    MDIFrm* mainFrame() const { return m_frame; }

private:
    void Timer1_Timer();
    void paintEvent(QPaintEvent*) override;

    int m_total = 0;
    MDIFrm* m_frame = nullptr;
};
