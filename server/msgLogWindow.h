#pragma once
// The common part of the message dialog and the notice window: the log page "msg.htm"
// in a browser, written by appendMsgLog, and the parking of a service message while the
// page may still be loading.

#include <QDialog>
#include <QStringList>

class QTimer;
class QWebEngineView;

namespace mdl_upData {
// Puts one entry, newest first, at the top of the log page's element "msg". Failures are
// ignored. Scripts inside the text never run: the page runs none of its own.
void appendMsgLog(QWebEngineView* browser, const QString& sender, const QString& text);
} // namespace mdl_upData

class msgLogWindow : public QDialog {
    Q_OBJECT
public:
    explicit msgLogWindow(QWidget* parent = nullptr);

    QWebEngineView* webBer = nullptr;
    QTimer* Timer1 = nullptr;

    // A service message waiting to be shown while the log page may still be loading.
    QString serverMSG;
    // Ticks of Timer1 since a message was parked; 0 at load.
    qint16 timerLong = 0;

    // Shows the window and the service message: at once when the page has had time to
    // load, otherwise about two seconds later. Messages parked meanwhile all arrive.
    void parkServerMessage(const QString& text);
    // True once the log page finished loading.
    bool pageLoaded() const { return m_loaded; }

public Q_SLOTS:
    void Timer1_Timer();

protected:
    // Appends to this window's log; entries made before the page loaded follow it.
    void appendLog(const QString& sender, const QString& text);

private:
    void showParked();

    bool m_loaded = false;
    QStringList m_parked;
    QList<QPair<QString, QString>> m_beforeLoad;
};
