#pragma once
// The template catalogues, one for the home page and one for the inner pages: the
// categories, the templates of the chosen one as a scrolling grid of tiles, a full-size
// preview, and the choice stored at once.

#include "appearance/mdl_sltTmpl.h"

#include <QDialog>
#include <QList>
#include <QPointer>

class QGroupBox;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QTimer;
class QWebEngineView;
class sltTmplFrm;
class tmpl;

class sltTmplFrm_tmplDlg : public QDialog {
    Q_OBJECT
public:
    QGroupBox* Frame1 = nullptr;
    QListWidget* lst_type = nullptr;
    QGroupBox* Frame2 = nullptr;
    QWidget* Picture1 = nullptr;
    QList<tmpl*> tmpl1;
    QScrollBar* scrlVer = nullptr;
    QProgressBar* ccrpPrgBar = nullptr;
    QPushButton* cmd_view = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    mdl_sltTmpl::Page page() const { return m_page; }
    // The value of the first selected tile, or empty.
    QString selectedValue() const;

    // Lists the categories and loads the first; false, after saying why, when there is
    // nothing to choose from.
    bool Form_Load();
    void lst_type_Click();
    void scrlVer_Change();
    void tmpl1_click(int index);
    void tmpl1_DoubleClick(int index);
    void OKButton_Click();
    void CancelButton_Click();
    virtual void cmd_view_Click();

    int exec() override;

protected:
    sltTmplFrm_tmplDlg(mdl_sltTmpl::Page page, sltTmplFrm* owner, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadCategory(const QString& category);
    void placeTiles();
    tmpl* newTile(int index);
    void selectTile(int index);
    void showTile(int index);

    mdl_sltTmpl::Page m_page;
    QPointer<sltTmplFrm> m_owner;
};

class sltTmplFrm_defaultTmpl : public sltTmplFrm_tmplDlg {
    Q_OBJECT
public:
    explicit sltTmplFrm_defaultTmpl(sltTmplFrm* owner, QWidget* parent = nullptr);
    // True while the preview opened from this dialog is shown.
    bool BdefaultTmpl = false;
    void cmd_view_Click() override;
};

class sltTmplFrm_headTmpl : public sltTmplFrm_tmplDlg {
    Q_OBJECT
public:
    explicit sltTmplFrm_headTmpl(sltTmplFrm* owner, QWidget* parent = nullptr);
};

// The full-size preview of the template selected in the catalogue that opened it.
class sltTmplFrm_viewTmpl : public QDialog {
    Q_OBJECT
public:
    explicit sltTmplFrm_viewTmpl(sltTmplFrm_tmplDlg* catalogue);

    QWebEngineView* wb_view11 = nullptr;
    QPushButton* CancelButton = nullptr;
    QTimer* Timer1 = nullptr;

    // The page written into the browser, once the second tick has passed.
    QString writtenHtml() const { return m_html; }

private:
    void Timer1_Timer();

    QPointer<sltTmplFrm_tmplDlg> m_catalogue;
    int m_ticks = 0;
    QString m_html;
};
