#include "richtext/richEditBase.h"

#include "common/dialogs.h"
#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "richtext/dlgFrm_font.h"
#include "richtext/pageBridge.h"

#include <QAction>
#include <QFileInfo>
#include <QIcon>
#include <QJsonValue>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

// The design view's channel object: the page reports every edit through it.
class EditorBridge : public QObject {
    Q_OBJECT
public:
    explicit EditorBridge(richEditBase* editor) : QObject(editor), m_editor(editor) {}
    Q_INVOKABLE void contentChanged(const QString& bodyHtml, int version, bool byKey) {
        m_editor->pageEdited(bodyHtml, version, byKey);
    }
    Q_INVOKABLE void contentSettled(const QString& bodyHtml, int version) {
        m_editor->pageSettled(bodyHtml, version);
    }

private:
    richEditBase* m_editor;
};

using pagebridge::jsString;

richEditBase::richEditBase(const QList<mdl_richtext::ToolButton>& buttons, QWidget* parent)
    : QWidget(parent) {
    tlBar = new QToolBar(this);
    tlBar->setObjectName(QStringLiteral("tlBar"));
    // Captions under the icons, so "保存", "插入图" or "flash" can be found by name.
    tlBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // A smaller caption, so the whole row fits the editor's width.
    QFont captions = tlBar->font();
    captions.setPointSizeF(captions.pointSizeF() * 0.85);
    tlBar->setFont(captions);
    tlBar->setIconSize(QSize(18, 18));
    const QString icons = workspace::currentPath() + QStringLiteral("editor/icons/");
    for (const mdl_richtext::ToolButton& b : buttons) {
        QAction* a = tlBar->addAction(b.caption);
        const QString icon = icons + b.key + QStringLiteral(".png");
        if (QFileInfo::exists(icon))
            a->setIcon(QIcon(icon));
        a->setObjectName(b.key);
        a->setToolTip(b.hint);
        const mdl_richtext::ToolButton button = b;
        connect(a, &QAction::triggered, this, [this, button] { toolButtonClicked(button); });
    }

    DHTMLEditer = new QWebEngineView(this);
    DHTMLEditer->setObjectName(QStringLiteral("DHTMLEditer"));
    DHTMLEditer->setContextMenuPolicy(Qt::NoContextMenu);
    DHTMLEditer->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    DHTMLEditer->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    DHTMLEditer->settings()->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    pagebridge::attach(DHTMLEditer->page(), new EditorBridge(this));
    connect(DHTMLEditer, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_ready = ok;
        if (ok)
            showDocument(DHTMLEditer, m_designDoc, m_version, true);
    });
    DHTMLEditer->setUrl(editorPage());
}

QUrl richEditBase::editorPage() {
    return QUrl::fromLocalFile(workspace::currentPath() + QStringLiteral("editor/editor.htm"));
}

void richEditBase::showDocument(QWebEngineView* view, const QString& markup, int version,
                                bool editable) {
    // Before the page has loaded there is no setContent yet: the view's loadFinished
    // shows the document then.
    view->page()->runJavaScript(QStringLiteral("if (window.setContent) setContent(") +
                                jsString(markup) + u',' + QString::number(version) + u',' +
                                (editable ? QStringLiteral("true") : QStringLiteral("false")) +
                                QStringLiteral(");"));
}

QString richEditBase::innerHTML() const {
    return mdl_func::toStoredHtml(m_designDoc, workspace::currImgPath());
}

void richEditBase::writeInnerHTML(const QString& stored) {
    setDesignDocument(mdl_func::fromStoredHtml(stored, workspace::currImgPath()));
    emit innerHTMLChanged();
}

void richEditBase::setInnerHTML(const QString& markup) {
    setDesignDocument(mdl_func::fromStoredHtml(mdl_richtext::appendToStored(innerHTML(), markup),
                                               workspace::currImgPath()));
    emit innerHTMLChanged();
}

void richEditBase::setAspFileName(const QString& key) {
    m_aspFileName = key;
    emit aspFileNameChanged();
}

void richEditBase::setDesignDocument(const QString& markup, bool readAsShown) {
    m_designDoc = markup;
    m_readAsShown = readAsShown;
    ++m_version;
    showDocument(DHTMLEditer, m_designDoc, m_version, true);
}

void richEditBase::pageEdited(const QString& bodyHtml, int version, bool byKey) {
    // An edit made on a document the program has since replaced is stale.
    if (version != m_version)
        return;
    // Only a change of the page counts: a key that changes nothing (an arrow, the Enter
    // that closed a message box) does not.
    const QString doc = QStringLiteral("<body>") + bodyHtml + QStringLiteral("</body>");
    if (doc == m_designDoc || doc == m_shownDoc)
        return;
    m_designDoc = doc;
    emit designEdited(byKey);
}

void richEditBase::pageSettled(const QString& bodyHtml, int version) {
    if (version != m_version)
        return;
    m_shownDoc = QStringLiteral("<body>") + bodyHtml + QStringLiteral("</body>");
    if (m_readAsShown)
        m_designDoc = m_shownDoc;
}

void richEditBase::runScript(const QString& script) {
    DHTMLEditer->setFocus();
    DHTMLEditer->page()->runJavaScript(script);
}

void richEditBase::setToolbarEnabled(bool enabled) {
    for (QAction* a : tlBar->actions())
        a->setEnabled(enabled);
}

void richEditBase::toolButtonClicked(const mdl_richtext::ToolButton& button) {
    using mdl_richtext::Action;
    switch (button.action) {
    case Action::Command:
        runScript(QStringLiteral("run(") + jsString(button.command) + QStringLiteral(");"));
        break;
    case Action::EditAction: {
        static const QHash<QString, QWebEnginePage::WebAction> actions = {
            {"undo", QWebEnginePage::Undo},
            {"redo", QWebEnginePage::Redo},
            {"cut", QWebEnginePage::Cut},
            {"copy", QWebEnginePage::Copy},
            {"paste", QWebEnginePage::Paste}};
        DHTMLEditer->setFocus();
        DHTMLEditer->page()->triggerAction(actions.value(button.command));
        break;
    }
    case Action::Link: {
        // The selection is kept while the address is asked for, and linked afterwards.
        runScript(QStringLiteral("keepSelection();"));
        const std::optional<QString> address =
            ui::askText(this, QStringLiteral("超连接"), QStringLiteral("超连接地址："),
                        QStringLiteral("http://"));
        const QString to = address ? address->trimmed() : QString();
        if (!to.isEmpty() && to != u"http://")
            runScript(QStringLiteral("linkTo(") + jsString(to) + QStringLiteral(");"));
        break;
    }
    case Action::Color: {
        dlgFrm_font dialog(this);
        if (dialog.exec() == QDialog::Accepted && !dialog.script().isEmpty())
            runScript(dialog.script());
        break;
    }
    case Action::Dialog:
        emit dialogRequested(button.key);
        break;
    case Action::Save:
        break;
    }
}

#include "richEditBase.moc"
