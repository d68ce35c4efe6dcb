#pragma once
// The full page editor: design, HTML code and preview views on a tab strip, the 22-button
// toolbar and the save command that stores the "adv" page of the content window's node.

#include "richtext/richEditBase.h"

#include <functional>

class QPlainTextEdit;
class QTabWidget;

class advEdit : public richEditBase {
    Q_OBJECT
public:
    // The catalog node whose page the save command stores.
    struct Node {
        QString key;
        QString text;
    };

    explicit advEdit(QWidget* parent = nullptr);

    // Reads the page from the view shown: the design or preview document in stored form,
    // or the code view's text as it stands.
    QString innerHTML() const override;
    // Replaces the page; the editor comes back to the design view to show it.
    void writeInnerHTML(const QString& stored) override;

    // Where the save command finds the node being edited.
    void setNodeSource(std::function<Node()> source) { m_nodeSource = std::move(source); }
    // Stores the page of the node (the toolbar's "保存"), saying so when `tellSuccess`.
    // False, after saying why, when it was not stored.
    bool save(bool tellSuccess = true);

    QString previewDocument() const { return m_previewDoc; }

    QTabWidget* sstb = nullptr;
    QPlainTextEdit* txt_code = nullptr;
    QWebEngineView* DHTMLSafer = nullptr;

protected:
    void toolButtonClicked(const mdl_richtext::ToolButton& button) override;
    void showEvent(QShowEvent* event) override;

private:
    void sstb_Click(int tab);
    void setPreviewDocument(const QString& markup);

    QString m_previewDoc = QStringLiteral("<body></body>");
    int m_previewVersion = 0;
    int m_shownTab = 0;
    bool m_silentSwitch = false;
    std::function<Node()> m_nodeSource;
};
