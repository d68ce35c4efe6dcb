#pragma once
// What both page editors share: the design view over an editable document, the toolbar
// and the stored form of the page. The program's copy of the document is always current,
// so the page can be read at any moment without waiting for the browser engine.

#include "richtext/mdl_richtext.h"

#include <QString>
#include <QWidget>

class QAction;
class QToolBar;
class QWebEngineView;

class richEditBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString innerHTML READ innerHTML WRITE writeInnerHTML NOTIFY innerHTMLChanged)
    Q_PROPERTY(QString aspFileName READ aspFileName WRITE setAspFileName NOTIFY aspFileNameChanged)
public:
    // The page in its stored form (the inner part of the body, "[&#39;]", "[imgpath]/").
    virtual QString innerHTML() const;
    // Replaces the page with stored text; the design view shows it.
    virtual void writeInnerHTML(const QString& stored);
    // Adds markup at the end of the page.
    void setInnerHTML(const QString& markup);

    QString aspFileName() const { return m_aspFileName; }
    void setAspFileName(const QString& key);

    // The design view's document as the program holds it.
    QString designDocument() const { return m_designDoc; }
    // True once the design view's page has loaded and shows the document.
    bool isReady() const { return m_ready; }

    QToolBar* tlBar = nullptr;
    QWebEngineView* DHTMLEditer = nullptr;

Q_SIGNALS:
    void innerHTMLChanged();
    void aspFileNameChanged();
    // An insert dialog's button ("sline", "table", "img", "flash") was pressed.
    void dialogRequested(const QString& key);
    // The user edited the design view; `byKey` when a key was released.
    void designEdited(bool byKey);

protected:
    richEditBase(const QList<mdl_richtext::ToolButton>& buttons, QWidget* parent);

    // Sets the design view's document. With `readAsShown` (a page the user wrote in the
    // code view) the page read back becomes the view's own, balanced form once the view
    // has taken it; otherwise it reads as written until the user edits it.
    void setDesignDocument(const QString& markup, bool readAsShown = false);
    // A toolbar button was pressed; the base runs the editing commands.
    virtual void toolButtonClicked(const mdl_richtext::ToolButton& button);
    void setToolbarEnabled(bool enabled);
    // The page every view of the editor shows.
    static QUrl editorPage();
    // Shows `markup` in `view` once its page has loaded.
    static void showDocument(QWebEngineView* view, const QString& markup, int version,
                             bool editable);

private:
    friend class EditorBridge;
    void pageEdited(const QString& bodyHtml, int version, bool byKey);
    // The view has shown a document the program wrote; it holds it in this form.
    void pageSettled(const QString& bodyHtml, int version);
    void runScript(const QString& script);

    QString m_designDoc = QStringLiteral("<body></body>");
    // The document as the view holds what the program last wrote: a report of that same
    // page is no edit.
    QString m_shownDoc;
    bool m_readAsShown = false;
    QString m_aspFileName = QStringLiteral("none");
    int m_version = 0;
    bool m_ready = false;
};
