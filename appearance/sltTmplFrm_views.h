#pragma once
// The previews of the stored custom home page and custom inner-page header.

#include <QDialog>

class QPushButton;
class QWebEngineView;

class sltTmplFrm_pageView : public QDialog {
    Q_OBJECT
public:
    QWebEngineView* wb_view = nullptr;
    QPushButton* CancelButton = nullptr;

    // Shows the stored page; false, after saying why, when there is none to show.
    virtual bool Form_Load() = 0;
    int exec() override;

protected:
    explicit sltTmplFrm_pageView(QWidget* parent);
};

class sltTmplFrm_view : public sltTmplFrm_pageView {
    Q_OBJECT
public:
    explicit sltTmplFrm_view(QWidget* parent = nullptr);
    bool Form_Load() override;
};

class sltTmplFrm_viewHead : public sltTmplFrm_pageView {
    Q_OBJECT
public:
    explicit sltTmplFrm_viewHead(QWidget* parent = nullptr);
    bool Form_Load() override;
    // The page written into the browser.
    QString writtenHtml() const { return m_html; }

private:
    QString m_html;
};
