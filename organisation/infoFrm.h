#pragma once
// The organisation window: the site name, the organisation's names and contact data, and
// its logo. Changes are kept in the boxes until "保存"; the window reminds the user once
// when they leave it with changes pending.

#include "common/unsavedWork.h"
#include "organisation/mdl_info.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiSubWindow;
class QPushButton;
class QStatusBar;

class infoFrm : public QWidget, public unsavedWork::Holder {
    Q_OBJECT
public:
    explicit infoFrm(QWidget* parent = nullptr);
    ~infoFrm() override;

    QGroupBox* frm_info = nullptr;
    QLineEdit* txt_webName = nullptr;
    QLineEdit* txt_dalmName = nullptr;
    QLineEdit* txt_addr = nullptr;
    QLineEdit* txt_linkMan = nullptr;
    QLineEdit* txt_tel = nullptr;
    QLineEdit* txt_mobile = nullptr;
    QLineEdit* txt_fax = nullptr;
    QLineEdit* txt_zip = nullptr;
    QLineEdit* txt_email = nullptr;
    QGroupBox* frm_logo = nullptr;
    QLabel* img = nullptr;
    QPushButton* cmd_view = nullptr;
    QPushButton* cmd_img_cancel = nullptr;
    QPushButton* cmd_ok = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // The logo name a save would store.
    QString logoName() const { return m_logo.name(); }
    QString statusText() const;

    void Form_Load();
    void cmd_ok_Click();
    void cmd_view_Click();
    void cmd_img_cancel_Click();
    // The site was renamed elsewhere: the name box shows the stored name, and the window
    // counts as changed only if it did before.
    void showSiteName(const QString& webName);

    QStringList unsavedItems() override;
    bool saveUnsaved() override;
    void discardUnsaved() override;

Q_SIGNALS:
    // The organisation data was stored; the frame and the catalog trees show the name.
    void siteNameChanged(const QString& webName);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QList<QLineEdit*> boxes() const;
    // Stores the boxes and the logo; false, after saying why, when they were not stored.
    bool store();
    void setDirty(bool dirty);
    void watchLeaving();
    void remindUnsaved();
    void placeFrame();

    mdl_info::Logo m_logo;
    QWidget* m_pane = nullptr;
    QLabel* m_status = nullptr;
    QPointer<QMdiSubWindow> m_sub;
    QPointer<QWidget> m_lastFocus;
    bool m_reminding = false;
    bool m_closed = false;
};
