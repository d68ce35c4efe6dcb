#pragma once
// The name-style dialogs of the home page and the inner pages: the samples in a
// scrolling column, one picked with a click, stored with OK or a double-click.

#include "appearance/mdl_sltTmpl.h"

#include <QDialog>
#include <QList>
#include <QPointer>

class QLabel;
class QPushButton;
class QScrollBar;
class sltTmplFrm;

class sltTmplFrm_fontDlg : public QDialog {
    Q_OBJECT
public:
    QWidget* Picture1 = nullptr;
    QList<QLabel*> img;
    QScrollBar* scrlVer = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // The current choice: its index and file name (empty until a sample is clicked).
    int currentIndex() const { return m_index; }
    QString currentName() const { return m_name; }

    void Form_Load();
    void img_Click(int index);
    void img_DblClick(int index);
    void scrlVer_Change();
    void OKButton_Click();
    void CancelButton_Click();

    int exec() override;

protected:
    sltTmplFrm_fontDlg(mdl_sltTmpl::Page page, sltTmplFrm* owner, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* newSample(int index);
    void placeSamples();
    bool hasBorder(int index) const;

    mdl_sltTmpl::Page m_page;
    QPointer<sltTmplFrm> m_owner;
    int m_index = 0;
    QString m_name;
};

class sltTmplFrm_defaultFont : public sltTmplFrm_fontDlg {
    Q_OBJECT
public:
    explicit sltTmplFrm_defaultFont(sltTmplFrm* owner, QWidget* parent = nullptr);
};

class sltTmplFrm_headFont : public sltTmplFrm_fontDlg {
    Q_OBJECT
public:
    explicit sltTmplFrm_headFont(sltTmplFrm* owner, QWidget* parent = nullptr);
};
