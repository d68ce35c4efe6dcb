#include "server/msgLogWindow.h"

#include "common/uiServices.h"
#include "common/workspace.h"
#include "server/mdl_upData.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace mdl_upData {

void appendMsgLog(QWebEngineView* browser, const QString& sender, const QString& text) {
    if (!browser)
        return;
    const QString entry = msgLogEntry(sender, text, QDateTime::currentDateTime());
    // The entry travels as a JSON string literal, so no quote in it can end the script.
    QString literal =
        QString::fromUtf8(QJsonDocument(QJsonArray{entry}).toJson(QJsonDocument::Compact));
    literal = literal.mid(1, literal.size() - 2);
    const QString script = QStringLiteral("(function(){var e=document.getElementById('msg');"
                                          "if(e){e.innerHTML=") +
                           literal + QStringLiteral("+e.innerHTML;}})();");
    browser->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

} // namespace mdl_upData

msgLogWindow::msgLogWindow(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    webBer = new QWebEngineView(this);
    webBer->setObjectName(QStringLiteral("webBer"));
    // The message log is read only: the browser's page menu (save page, view source) does nothing here.
    webBer->setContextMenuPolicy(Qt::NoContextMenu);
    // The log shows text from the service: the page itself runs no script, so markup in
    // a message can never act.
    webBer->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &msgLogWindow::Timer1_Timer);
    connect(webBer, &QWebEngineView::loadFinished, this, [this](bool) {
        m_loaded = true;
        const auto pending = std::exchange(m_beforeLoad, {});
        for (const auto& [sender, text] : pending)
            mdl_upData::appendMsgLog(webBer, sender, text);
    });

    timerLong = 0;
    const QString page = workspace::currentPath() + QStringLiteral("msg.htm");
    if (!QFileInfo(page).isFile())
        ui::message(this, QStringLiteral("找不到文件：") + page, QStringLiteral("提示"),
                    QMessageBox::Critical);
    webBer->load(QUrl::fromLocalFile(page));
}

void msgLogWindow::appendLog(const QString& sender, const QString& text) {
    if (!m_loaded) {
        m_beforeLoad.append({sender, text});
        return;
    }
    mdl_upData::appendMsgLog(webBer, sender, text);
}

void msgLogWindow::parkServerMessage(const QString& text) {
    show();
    raise();
    activateWindow();
    if (timerLong < 1) {
        serverMSG = text;
        m_parked << text;
        if (!Timer1->isActive())
            Timer1->start();
    } else {
        appendLog(QStringLiteral("server"), text);
    }
}

void msgLogWindow::Timer1_Timer() {
    ++timerLong;
    if (timerLong == 2) {
        Timer1->stop();
        showParked();
    }
}

void msgLogWindow::showParked() {
    for (const QString& text : std::exchange(m_parked, {}))
        appendLog(QStringLiteral("server"), text);
}
