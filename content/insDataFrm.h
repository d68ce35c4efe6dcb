#pragma once
// The content window: the catalog tree, read-only, and for the picked file either its
// page edited in place (text, picture-text, big picture, free page) or the list of its
// records with the buttons that add, delete and modify them.

#include "common/pictures.h"
#include "common/unsavedWork.h"

#include <QString>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineView;
class advEdit;

class insDataFrm : public QWidget, public unsavedWork::Holder {
    Q_OBJECT
public:
    explicit insDataFrm(QWidget* parent = nullptr);

    // The tree's mouse release; called with (1, 0, 0, 0) to re-run a left click on the
    // selected node, which rebuilds the record list.
    void tvw_nav_MouseUp(int button, int shift, int x, int y);
    // Rebuilds the tree and returns to the welcome page.
    void mnu_Refresh_Click();

    // The picked record of the list page, as the page holds it ("" when none is picked).
    QString currID() const { return m_currID; }
    // The page editor of the "adv" format; the insert dialogs add their markup to it.
    advEdit* editor() const { return advEditer; }
    // The display format of the shown node ("none" when it has no catalog row).
    QString currentFormat() const { return currFormat; }
    // The text of a status bar panel (1 or 2).
    QString statusText(int panel) const;
    // True once the list page has loaded and shows the latest list.
    bool isListReady() const { return m_listLoaded && m_pendingList.isNull(); }

    // The node last picked in the tree, the root after load.
    QTreeWidgetItem* insNode = nullptr;
    // The file node whose content is shown.
    QTreeWidgetItem* currNode = nullptr;

    QFrame* Frame_nav = nullptr;
    QWidget* Frame_optn = nullptr;
    QFrame* frame_cmdDesign = nullptr;
    QTreeWidget* tvw_nav = nullptr;
    QMenu* mnuIns = nullptr;
    QAction* mnu_Refresh = nullptr;
    QWebEngineView* webBer = nullptr;
    QWebEngineView* webMultiData = nullptr;
    QWidget* pic_edit = nullptr;
    QLabel* lbl_head = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* lbl_title = nullptr;
    QLineEdit* txt_title = nullptr;
    QLabel* lbl_content = nullptr;
    QPlainTextEdit* txt_content = nullptr;
    std::array<QLabel*, 2> lbl_img{};
    std::array<QLabel*, 2> img{};
    std::array<QLineEdit*, 2> txt_img{};
    std::array<QPushButton*, 2> cmd_img{};
    advEdit* advEditer = nullptr;
    QScrollBar* vscrl = nullptr;
    std::array<QPushButton*, 3> cmd_addData{};
    QPushButton* cmd_ok = nullptr;
    QStatusBar* StsBar = nullptr;

Q_SIGNALS:
    // "添加数据" on a list format, and "预览&&修改" with a picked record: the record dialogs
    // of the list formats answer these.
    void addRecordRequested(const QString& format);
    void modifyRecordRequested(const QString& format, qint64 id);

public:
    QStringList unsavedItems() override;
    bool saveUnsaved() override;
    void discardUnsaved() override;

    void cmd_addData_Click(int index);
    void cmd_ok_Click();
    void cmd_img_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One picture of the editing panel: the name chosen or loaded, and the name it held
    // before.
    struct ImgSlot {
        QString fileName;
        QString prevFileName;
    };

    void loadDataTree();
    // Stores the page shown, saying so when `tellSuccess`; false, after saying why, when
    // it was not stored.
    bool storePage(bool tellSuccess);
    QString getNodeFormat();
    void showFormatPanel(const QString& format);
    void showStatus(const QString& nodeText, const QString& formatText);
    void loadNodeData(const QString& format, QTreeWidgetItem* node);
    void layoutImgTxtPanel(const QString& format);
    // Shows the editing panel laid out for a single-record format.
    void showPanel(const QString& format);
    void deleteData(qint64 id);
    void placePanel();
    void clearFields();
    void setListHtml(const QString& html);
    void showWelcome();
    // Shows the welcome page instead of any node's page, and disables what acted on it.
    void putPageAway();
    // Loads a picture into preview `index`: stretched into its box, or at its natural size
    // up to 500 pixels wide (scaled down beyond).
    bool loadPreview(int index, const QString& path, bool stretch);
    void showPreview(int index, const QImage& image, bool stretch);
    static QSize previewBound(bool stretch);
    QTreeWidgetItem* findAgain(const QString& key, const QString& text) const;

    friend class ListBridge;
    QString currFormat = QStringLiteral("none");
    bool isNewData = false;
    std::array<ImgSlot, 3> imgSlot{};
    // Pictures the panel brought in or stopped naming since the last save; removed from
    // the working folder after the save (or when the page is left unsaved) when nothing
    // stored names them any more.
    pictures::Tracker m_pictures;
    QString m_panelFormat;
    QString m_currID;
    QString m_pendingList;
    bool m_listLoaded = false;
    // The panel is being filled by the program, not edited by the user.
    bool m_filling = false;
    QLabel* m_status1 = nullptr;
    QLabel* m_status2 = nullptr;
};
