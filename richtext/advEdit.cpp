#include "richtext/advEdit.h"

#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "content/mdl_ins.h"
#include "designer/mdl_nov.h"
#include "richtext/insertDialog.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

advEdit::advEdit(QWidget* parent) : richEditBase(mdl_richtext::fullToolbar(), parent) {
    setObjectName(QStringLiteral("advEdit"));

    sstb = new QTabWidget(this);
    sstb->setObjectName(QStringLiteral("sstb"));
    sstb->setTabPosition(QTabWidget::South);

    txt_code = new QPlainTextEdit(this);
    txt_code->setObjectName(QStringLiteral("txt_code"));
    txt_code->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    DHTMLSafer = new QWebEngineView(this);
    DHTMLSafer->setObjectName(QStringLiteral("DHTMLSafer"));
    DHTMLSafer->setContextMenuPolicy(Qt::NoContextMenu);
    DHTMLSafer->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    connect(DHTMLSafer, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (ok)
            showDocument(DHTMLSafer, m_previewDoc, m_previewVersion, false);
    });
    DHTMLSafer->setUrl(editorPage());

    sstb->addTab(DHTMLEditer, QStringLiteral("可视编辑"));
    sstb->addTab(txt_code, QStringLiteral("代码编辑"));
    sstb->addTab(DHTMLSafer, QStringLiteral("浏览"));
    connect(sstb, &QTabWidget::currentChanged, this, &advEdit::sstb_Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tlBar);
    layout->addWidget(sstb, 1);

    // The insert dialogs add their markup to this page, which then has unsaved changes.
    connect(this, &richEditBase::dialogRequested, this, [this](const QString& key) {
        if (insertDialog::open(this, key))
            mdl_ins::dataChanged = true;
    });
    // Every edit of the design view or of the code is a change the content window asks
    // about; what the editor writes into the code view itself is not.
    connect(this, &richEditBase::designEdited, this, [] { mdl_ins::dataChanged = true; });
    connect(txt_code, &QPlainTextEdit::textChanged, this, [] { mdl_ins::dataChanged = true; });
}

QString advEdit::innerHTML() const {
    switch (m_shownTab) {
    case 0:
        return richEditBase::innerHTML();
    case 1:
        return txt_code->toPlainText();
    case 2:
        return mdl_func::toStoredHtml(m_previewDoc, workspace::currImgPath());
    default:
        return QStringLiteral("none");
    }
}

void advEdit::writeInnerHTML(const QString& stored) {
    // The page written is the page shown and read back: a code or preview view still
    // holding the previous page would otherwise be what the next save stores.
    if (sstb->currentIndex() != 0) {
        m_silentSwitch = true;
        sstb->setCurrentIndex(0);
        m_silentSwitch = false;
        m_shownTab = 0;
        setToolbarEnabled(true);
    }
    richEditBase::writeInnerHTML(stored);
}

void advEdit::setPreviewDocument(const QString& markup) {
    m_previewDoc = markup;
    ++m_previewVersion;
    showDocument(DHTMLSafer, m_previewDoc, m_previewVersion, false);
}

void advEdit::sstb_Click(int tab) {
    const int left = m_shownTab;
    m_shownTab = tab;
    if (m_silentSwitch || tab == left)
        return;
    const QString imgPath = workspace::currImgPath();
    switch (tab) {
    case 0:
        if (left == 1)
            setDesignDocument(mdl_func::fromStoredHtml(txt_code->toPlainText(), imgPath), true);
        else if (left == 2)
            setDesignDocument(m_previewDoc, true);
        setToolbarEnabled(true);
        DHTMLEditer->setFocus();
        break;
    case 1: {
        const QSignalBlocker quiet(txt_code);
        txt_code->setPlainText(
            mdl_func::toStoredHtml(left == 2 ? m_previewDoc : designDocument(), imgPath));
        setToolbarEnabled(false);
        break;
    }
    case 2:
        if (left == 1)
            setPreviewDocument(mdl_func::fromStoredHtml(txt_code->toPlainText(), imgPath));
        else
            setPreviewDocument(designDocument());
        setToolbarEnabled(false);
        break;
    default:
        break;
    }
}

void advEdit::toolButtonClicked(const mdl_richtext::ToolButton& button) {
    if (button.action == mdl_richtext::Action::Save) {
        save();
        return;
    }
    richEditBase::toolButtonClicked(button);
}

bool advEdit::save(bool tellSuccess) {
    const Node node = m_nodeSource ? m_nodeSource() : Node{};
    if (mdl_nov::levelOfKey(node.key) == mdl_nov::Level::None) {
        ui::message(this, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return false;
    }
    if (aspFileName() == u"news")
        return true;
    const mdl_ins::SaveResult r =
        mdl_ins::saveAdvPage(node.key, node.text, innerHTML(), mdl_ins::advIsNew);
    if (!r.ok()) {
        ui::message(this, r.error, QStringLiteral("提示"), QMessageBox::Information);
        return false;
    }
    mdl_ins::advIsNew = false;
    if (tellSuccess)
        ui::message(this, QStringLiteral("数据保存成功！"), QStringLiteral("提示"),
                    QMessageBox::Information);
    mdl_ins::dataChanged = false;
    return true;
}

void advEdit::showEvent(QShowEvent* event) {
    richEditBase::showEvent(event);
    if (sstb->currentIndex() == 0)
        DHTMLEditer->setFocus();
}
