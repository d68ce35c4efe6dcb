#pragma once
// The guide window "用法指南": a fixed tree of help topics on the left, the topic's page
// from the installation's "help/" folder on the right.

#include <QHash>
#include <QIcon>
#include <QWidget>

class QFrame;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;

class guidFrm : public QWidget {
    Q_OBJECT
public:
    // Item data of the tree's nodes.
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int TagRole = Qt::UserRole + 1;
    static constexpr int PictureRole = Qt::UserRole + 2;

    explicit guidFrm(QWidget* parent = nullptr);

    QFrame* frame_title = nullptr;
    QFrame* frame_content = nullptr;
    QTreeWidget* tvw_title = nullptr;
    QWebEngineView* weber = nullptr;
    // The pictures "open", "close" and "file" of the tree.
    QHash<QString, QIcon> ImageList1;

    // The topic node last found selected; nullptr before the first.
    QTreeWidgetItem* currentTopic() const { return m_current; }

public Q_SLOTS:
    // Runs after every mouse button release in the tree (and, for the keyboard, every
    // key that moves the selection).
    void tvw_title_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTree();
    void setPicture(QTreeWidgetItem* item, const QString& picture);

    QTreeWidgetItem* m_current = nullptr;
};
