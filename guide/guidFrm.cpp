#include "guide/guidFrm.h"

#include "common/workspace.h"
#include "guide/mdl_guide.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QAction>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// Twips to pixels, 15 to one.
constexpr int px(int twips) {
    return twips / 15;
}
constexpr int kMinWidth = px(10125);
constexpr int kMinHeight = px(6200);
constexpr int kTreeWidth = 240;

const QString kFolder = QStringLiteral("folder");
const QString kFile = QStringLiteral("file");

} // namespace

guidFrm::guidFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("guidFrm"));
    setWindowTitle(QStringLiteral("用法指南"));
    setMinimumSize(kMinWidth, kMinHeight);

    const QString images = workspace::currentPath() + QStringLiteral("images/");
    ImageList1.insert(QStringLiteral("open"), QIcon(images + QStringLiteral("fopen.png")));
    ImageList1.insert(QStringLiteral("close"), QIcon(images + QStringLiteral("fclose.png")));
    ImageList1.insert(QStringLiteral("file"), QIcon(images + QStringLiteral("fhelp.png")));

    frame_title = new QFrame(this);
    frame_title->setObjectName(QStringLiteral("frame_title"));
    frame_title->setFrameShape(QFrame::StyledPanel);
    tvw_title = new QTreeWidget(frame_title);
    tvw_title->setObjectName(QStringLiteral("tvw_title"));
    tvw_title->setHeaderHidden(true);
    tvw_title->setColumnCount(1);
    tvw_title->setIndentation(16);
    tvw_title->setIconSize(QSize(16, 16));
    tvw_title->setTextElideMode(Qt::ElideNone);
    tvw_title->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tvw_title->header()->setStretchLastSection(false);
    tvw_title->viewport()->installEventFilter(this);
    tvw_title->installEventFilter(this);

    frame_content = new QFrame(this);
    frame_content->setObjectName(QStringLiteral("frame_content"));
    frame_content->setFrameShape(QFrame::StyledPanel);
    weber = new QWebEngineView(frame_content);
    weber->setObjectName(QStringLiteral("weber"));
    weber->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    // The page's own menu offers what works in the guide (back, forward, reload, copy):
    // there are no other windows and no downloads to receive the rest.
    for (const QWebEnginePage::WebAction a :
         {QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::DownloadLinkToDisk,
          QWebEnginePage::DownloadImageToDisk, QWebEnginePage::DownloadMediaToDisk,
          QWebEnginePage::SavePage, QWebEnginePage::ViewSource})
        weber->pageAction(a)->setVisible(false);

    // The window stands in the top-left corner of the frame's client area.
    move(0, 0);
    buildTree();
    weber->load(mdl_guide::indexPage(workspace::currentPath()));
}

void guidFrm::buildTree() {
    QHash<QString, QTreeWidgetItem*> groups;
    for (const mdl_guide::Topic& t : mdl_guide::topics()) {
        QTreeWidgetItem* parent = groups.value(t.parent);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvw_title);
        item->setText(0, t.text);
        item->setToolTip(0, t.text);
        item->setData(0, KeyRole, t.key);
        item->setData(0, TagRole, t.tag);
        setPicture(item, t.picture);
        if (t.tag == kFolder)
            groups.insert(t.key, item);
    }
    if (QTreeWidgetItem* about = groups.value(QStringLiteral("about")))
        about->setExpanded(true);
}

void guidFrm::setPicture(QTreeWidgetItem* item, const QString& picture) {
    item->setData(0, PictureRole, picture);
    item->setIcon(0, ImageList1.value(picture));
}

bool guidFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvw_title->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint at = e->position().toPoint();
        // After the tree has handled the release itself.
        QMetaObject::invokeMethod(
            this,
            [this, b = e->button(), m = e->modifiers(), at] {
                tvw_title_MouseUp(b, m, at.x(), at.y());
            },
            Qt::QueuedConnection);
    } else if (watched == tvw_title && event->type() == QEvent::KeyRelease) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            tvw_title_MouseUp(Qt::NoButton, Qt::NoModifier, 0, 0);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void guidFrm::tvw_title_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    for (QTreeWidgetItemIterator it(tvw_title); *it; ++it) {
        QTreeWidgetItem* node = *it;
        if (node->isSelected())
            m_current = node;
        if (node->isExpanded())
            setPicture(node, QStringLiteral("open"));
        else if (node->data(0, TagRole).toString() == kFolder)
            setPicture(node, QStringLiteral("close"));
    }
    // Before any node was selected there is nothing to show; a group leaves the page.
    if (!m_current || m_current->data(0, TagRole).toString() != kFile)
        return;
    weber->load(mdl_guide::pageFor(workspace::currentPath(), m_current->data(0, KeyRole).toString()));
}

void guidFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = std::max(width(), kMinWidth);
    const int h = std::max(height(), kMinHeight);
    const int gap = 4;
    frame_title->setGeometry(gap, gap, kTreeWidth, h - 2 * gap);
    tvw_title->setGeometry(frame_title->contentsRect().adjusted(2, 2, -2, -2));
    const int left = kTreeWidth + 2 * gap;
    frame_content->setGeometry(left, gap, w - left - gap, h - 2 * gap);
    // The browser stands 100 twips from the left and 200 from the top of its frame,
    // 200 twips narrower and 300 less high.
    weber->setGeometry(px(100), px(200), frame_content->width() - px(200),
                       frame_content->height() - px(300));
}
