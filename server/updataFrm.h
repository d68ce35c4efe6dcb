#pragma once
// The upload window "上传数据": connection to the hosting service, the site's short name
// and published address, the password change and the upload of the working folder.

#include "server/deltaUpload.h"
#include "server/packWorkspace.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTcpSocket;
class QTimer;

class updataFrm : public QWidget {
    Q_OBJECT
public:
    explicit updataFrm(QWidget* parent = nullptr);
    ~updataFrm() override;

    // Closes the connection if it is open (the main frame's unload).
    void closeSocket();
    // Stops an upload under way, then closes the connection: the restore does this
    // before it replaces the data being sent.
    void stopUpload();
    // The text of status panel 1 or 2.
    QString panelText(int panel) const;

    QLineEdit* txt_accountNo = nullptr;
    QLineEdit* txt_pwd = nullptr;
    QLineEdit* txt_webName = nullptr;
    QPushButton* cmd_changeWebName = nullptr;
    QLineEdit* txt_url = nullptr;
    QPushButton* cmd_browser = nullptr;
    QLineEdit* txt_severIP = nullptr;
    QPushButton* cmd_connSever = nullptr;
    QPushButton* cmd_disconn = nullptr;
    QLineEdit* txt_newpwd = nullptr;
    QLineEdit* txt_cpwd = nullptr;
    QPushButton* cmd_modPwd = nullptr;
    QPushButton* cmd_updata = nullptr;
    QPushButton* cmd_preview = nullptr;
    QProgressBar* ccprg = nullptr;
    QLabel* lbl_desc = nullptr;
    QLabel* img_desc = nullptr;
    QStatusBar* StsBar = nullptr;
    QTcpSocket* sckClient = nullptr;
    QTimer* timer_verion = nullptr;
    QTimer* Timer_sck = nullptr;
    QTimer* timer_doZip = nullptr;

public Q_SLOTS:
    void txt_webName_Change();
    void cmd_changeWebName_Click();
    void cmd_browser_Click();
    void cmd_connSever_Click();
    void cmd_disconn_Click();
    void txt_newpwd_Change();
    void cmd_modPwd_Click();
    void cmd_updata_Click();
    void cmd_preview_Click();
    void timer_verion_Timer();
    void Timer_sck_Timer();
    void timer_doZip_Timer();
    void sckClient_Connect();
    void sckClient_DataArrival();
    void sckClient_Close();
    void sckClient_Error();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // The published address and the help text, for the server in the address box.
    void showPublishedAddress();
    // The address the server last announced for a published site, and the address box's
    // text at that time.
    QString m_announced;
    QString m_announcedBox;
    void load();
    // Sends one text message; says so when there is no connection, or when an archive
    // is announced or on its way (only a new announcement may go before it is sent).
    bool sendMsg(const QString& text, bool announcement = false);
    bool sendBytes(const QByteArray& bytes, bool announcement);
    // Packs the whole working folder and announces it.
    void startFullUpload();
    // Sends the manifest to a service that takes uploads of changes; false when the
    // folder has none and the whole archive must go.
    bool startChangesUpload();
    // The service's answers to an upload of changes.
    void changesNeeded(const QList<QByteArray>& needed);
    void changesDone();
    void changesAbandoned();
    void sendArchive();
    void onSendProgress(qint64 bytes);
    void onSendComplete();
    // The connection is gone: no login, no transfer.
    void connectionEnded();
    // Reads on what arrived while the answers were held.
    void readHeldReplies();
    void setPanel(int panel, const QString& text);

    QFrame* m_frame = nullptr;
    QLabel* m_panel1 = nullptr;
    QLabel* m_panel2 = nullptr;
    mdl_upData::ArchiveSender* m_sender = nullptr;
    mdl_upData::DeltaUpload m_delta;
    int m_verionCount = 0;
    int m_sckCount = 0;
    qint64 m_progressBytes = 0;
    int m_progressShift = 0;
    bool m_closingSocket = false;
    // The address box's text the connection under way was made to.
    QString m_connectingTo;
    // A box about the service's answers is open: further answers wait in the socket.
    bool m_holdReplies = false;
};
