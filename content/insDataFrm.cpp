#include "content/insDataFrm.h"

#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "common/workWindow.h"
#include "content/mdl_ins.h"
#include "content/recordDialogs.h"
#include "common/pictures.h"
#include "designer/catalogTree.h"
#include "designer/mdl_dgnFrm.h"
#include "designer/mdl_nov.h"
#include "richtext/advEdit.h"
#include "richtext/pageBridge.h"

#include <QAction>
#include <QCursor>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

using mdl_dgnFrm::twips;

// The list page's channel object: the page reports the picked record through it.
class ListBridge : public QObject {
    Q_OBJECT
public:
    explicit ListBridge(insDataFrm* frm) : QObject(frm), m_frm(frm) {}
    Q_INVOKABLE void setCurrID(const QString& id) { m_frm->m_currID = id; }

private:
    insDataFrm* m_frm;
};

namespace {

const QString kWelcomePage = QStringLiteral("tmplImg/welcome02.htm");
const QString kListPage = QStringLiteral("multiData.htm");
const QString kPictureFilter = QStringLiteral("图像文件(*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif");

// The editing panel's layout, in pixels.
const int kLeft = twips(400);
const int kHeadTop = twips(135);
const int kGap = twips(100);
const int kLabelHeight = 20;
const int kBoxHeight = 24;
const int kBodyHeight = twips(2900);
const int kThumbWidth = twips(3735);
const int kThumbHeight = twips(2295);
const int kMaxPictureWidth = twips(7500);
const int kBigWidth = twips(7500);
const int kBigHeight = twips(6000);
const int kSlotLabelWidth = 60;
const int kSlotNameWidth = 110;
const int kSlotButtonWidth = 60;

QWebEngineView* newBrowser(QWidget* parent, const QString& name) {
    auto* view = new QWebEngineView(parent);
    view->setObjectName(name);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    return view;
}

} // namespace

using workWindow::named;

insDataFrm::insDataFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("insDataFrm"));
    setWindowTitle(QStringLiteral("录入数据"));

    // Left: the tree.
    Frame_nav = named(new QFrame(this), "Frame_nav");
    tvw_nav = named(new QTreeWidget(Frame_nav), "tvw_nav");
    tvw_nav->setHeaderHidden(true);
    tvw_nav->setRootIsDecorated(true);
    tvw_nav->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvw_nav->setContextMenuPolicy(Qt::NoContextMenu);
    tvw_nav->viewport()->installEventFilter(this);
    // A move of the highlight with the keyboard is a pick of that node; the keyboard stays
    // with the tree, though the page editor takes the focus when it is shown.
    catalogTree::onKeyboardMove(tvw_nav, [this](QTreeWidgetItem*) {
        tvw_nav_MouseUp(1, 0, 0, 0);
        tvw_nav->setFocus();
    });
    auto* navLayout = new QVBoxLayout(Frame_nav);
    navLayout->setContentsMargins(0, 0, 0, 0);
    navLayout->addWidget(tvw_nav);
    Frame_nav->setMinimumWidth(twips(2900));

    mnuIns = named(new QMenu(this), "mnuIns");
    mnu_Refresh = named(mnuIns->addAction(QStringLiteral("刷新")), "mnu_Refresh");
    connect(mnu_Refresh, &QAction::triggered, this, &insDataFrm::mnu_Refresh_Click);

    // Right: the welcome page, the list page, the page editor and the editing panel share
    // one place.
    Frame_optn = named(new QWidget(this), "Frame_optn");
    webBer = newBrowser(Frame_optn, QStringLiteral("webBer"));
    webMultiData = newBrowser(Frame_optn, QStringLiteral("webMultiData"));
    pagebridge::attach(webMultiData->page(), new ListBridge(this));
    connect(webMultiData, &QWebEngineView::loadFinished, this, [this](bool ok) {
        m_listLoaded = ok;
        m_currID.clear();
        if (ok && !m_pendingList.isNull())
            setListHtml(QString(m_pendingList));
    });
    advEditer = new advEdit(Frame_optn);
    advEditer->setObjectName(QStringLiteral("advEditer"));
    advEditer->setNodeSource([this] {
        if (!currNode)
            return advEdit::Node{};
        return advEdit::Node{catalogTree::key(currNode), currNode->text(0)};
    });

    pic_edit = named(new QWidget(Frame_optn), "pic_edit");
    pic_edit->setAutoFillBackground(true);
    lbl_head = named(new QLabel(QStringLiteral("欢迎使用Orvane自动建站软件"), pic_edit),
                     "lbl_head");
    QFont headFont = lbl_head->font();
    headFont.setBold(true);
    headFont.setPointSizeF(headFont.pointSizeF() * 1.15);
    lbl_head->setFont(headFont);
    Line1 = named(new QFrame(pic_edit), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    lbl_title =
        named(new QLabel(QStringLiteral("标　　题："), pic_edit), "lbl_title");
    txt_title = named(new QLineEdit(pic_edit), "txt_title");
    lbl_content =
        named(new QLabel(QStringLiteral("内   容："), pic_edit), "lbl_content");
    txt_content = named(new QPlainTextEdit(pic_edit), "txt_content");
    // Any change of the title or the body leaves the page unsaved, however it was made
    // (typed, pasted, cut with the mouse, composed by an input method); filling the panel
    // from a record does not.
    connect(txt_title, &QLineEdit::textChanged, this, [this] {
        if (!m_filling)
            mdl_ins::dataChanged = true;
    });
    connect(txt_content, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            mdl_ins::dataChanged = true;
    });
    const QString slotCaptions[2] = {QStringLiteral("图片一："), QStringLiteral("图片二：")};
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i);
        lbl_img[i] = named(new QLabel(slotCaptions[i], pic_edit), QStringLiteral("lbl_img_") + n);
        img[i] = named(new QLabel(pic_edit), QStringLiteral("img_") + n);
        img[i]->setFrameShape(QFrame::StyledPanel);
        img[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        txt_img[i] = named(new QLineEdit(pic_edit), QStringLiteral("txt_img_") + n);
        // The name shows the picture chosen with the button; it is not typed.
        txt_img[i]->setReadOnly(true);
        cmd_img[i] = named(new QPushButton(QStringLiteral("浏览..."), pic_edit),
                           QStringLiteral("cmd_img_") + n);
        connect(cmd_img[i], &QPushButton::clicked, this, [this, i] { cmd_img_Click(i); });
    }
    vscrl = named(new QScrollBar(Qt::Vertical, Frame_optn), "vscrl");
    connect(vscrl, &QScrollBar::valueChanged, this, [this] { placePanel(); });

    auto* optnLayout = new QGridLayout(Frame_optn);
    optnLayout->setContentsMargins(0, 0, 0, 0);
    optnLayout->setSpacing(0);
    optnLayout->addWidget(webBer, 0, 0);
    optnLayout->addWidget(webMultiData, 0, 0);
    optnLayout->addWidget(advEditer, 0, 0);
    optnLayout->addWidget(pic_edit, 0, 0);
    optnLayout->addWidget(vscrl, 0, 1);
    optnLayout->setColumnStretch(0, 1);
    pic_edit->installEventFilter(this);

    // Below: the record buttons and "保存".
    frame_cmdDesign = named(new QFrame(this), "frame_cmdDesign");
    auto* cmdLayout = new QHBoxLayout(frame_cmdDesign);
    cmdLayout->setContentsMargins(4, 2, 4, 2);
    const QString captions[3] = {QStringLiteral("添加数据"), QStringLiteral("删除数据"),
                                 QStringLiteral("预览&&修改")};
    for (int i = 0; i < 3; ++i) {
        cmd_addData[i] = named(new QPushButton(captions[i], frame_cmdDesign),
                               QStringLiteral("cmd_addData_") + QString::number(i));
        connect(cmd_addData[i], &QPushButton::clicked, this, [this, i] { cmd_addData_Click(i); });
        cmdLayout->addWidget(cmd_addData[i]);
    }
    // The list formats' record dialogs; the list is rebuilt after every save.
    const auto node = [this] {
        return std::pair{currNode ? catalogTree::key(currNode) : QString(),
                         currNode ? currNode->text(0) : QString()};
    };
    connect(this, &insDataFrm::addRecordRequested, this, [this, node](const QString& format) {
        const auto [key, name] = node();
        if (recordDialogs::add(this, format, key, name))
            tvw_nav_MouseUp(1, 0, 0, 0);
    });
    connect(this, &insDataFrm::modifyRecordRequested, this,
            [this, node](const QString& format, qint64 id) {
                const auto [key, name] = node();
                if (recordDialogs::modify(this, format, key, name, id))
                    tvw_nav_MouseUp(1, 0, 0, 0);
            });
    cmdLayout->addStretch(1);
    cmd_ok =
        named(new QPushButton(QStringLiteral("保存"), frame_cmdDesign), "cmd_ok");
    connect(cmd_ok, &QPushButton::clicked, this, &insDataFrm::cmd_ok_Click);
    cmdLayout->addWidget(cmd_ok);

    StsBar = named(new QStatusBar(this), "StsBar");
    StsBar->setSizeGripEnabled(false);
    m_status1 = named(new QLabel(StsBar), "StsBar_1");
    m_status2 = named(new QLabel(StsBar), "StsBar_2");
    StsBar->addWidget(m_status1, 1);
    StsBar->addWidget(m_status2, 1);

    // The tree's side can be widened for long names.
    auto* top = named(new QSplitter(Qt::Horizontal, this), "splitter");
    top->setChildrenCollapsible(false);
    top->addWidget(Frame_nav);
    top->addWidget(Frame_optn);
    top->setStretchFactor(1, 1);
    top->setSizes({twips(2900), twips(10125 - 2900)});
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 0);
    main->setSpacing(2);
    main->addWidget(top, 1);
    main->addWidget(frame_cmdDesign);
    main->addWidget(StsBar);

    // Window load: every step is tried, a failing one is reported and the window opens.
    loadDataTree();
    txt_content->setFixedHeight(kBodyHeight);
    insNode = catalogTree::root(tvw_nav);
    setMinimumSize(twips(10125), twips(6200));
    resize(twips(10125), twips(6200));
    mdl_ins::advIsNew = true;
    webBer->setUrl(QUrl::fromLocalFile(workspace::currentPath() + kWelcomePage));
    webMultiData->setUrl(QUrl::fromLocalFile(workspace::currentPath() + kListPage));
    advEditer->hide();
    showFormatPanel(QString());
    webBer->show();
}

QString insDataFrm::statusText(int panel) const {
    return panel == 1 ? m_status1->text() : m_status2->text();
}

void insDataFrm::loadDataTree() {
    catalogTree::loadTree(tvw_nav);
}

bool insDataFrm::eventFilter(QObject* watched, QEvent* event) {
    // A right click opens the tree's pop-up menu and picks nothing: the highlight stays on
    // the node whose page is shown.
    if (watched == tvw_nav->viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    if (watched == tvw_nav->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        const int button = me->button() == Qt::RightButton    ? 2
                           : me->button() == Qt::MiddleButton ? 4
                                                              : 1;
        int shift = 0;
        if (me->modifiers() & Qt::ShiftModifier)
            shift |= 1;
        if (me->modifiers() & Qt::ControlModifier)
            shift |= 2;
        if (me->modifiers() & Qt::AltModifier)
            shift |= 4;
        // The tree picks a node when the button goes down, so the pick is made here. A left
        // click beside a node's own row (its expand arrow, blank space) picks nothing.
        const QPoint p = me->position().toPoint();
        QTreeWidgetItem* hit = tvw_nav->itemAt(p);
        if (button == 1 && !(hit && tvw_nav->visualItemRect(hit).contains(p)))
            return false;
        tvw_nav_MouseUp(button, shift, p.x(), p.y());
        return false;
    }
    if (watched == pic_edit && event->type() == QEvent::Resize)
        placePanel();
    return QWidget::eventFilter(watched, event);
}

void insDataFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placePanel();
}

void insDataFrm::clearFields() {
    const QScopedValueRollback<bool> filling(m_filling, true);
    txt_title->clear();
    txt_content->clear();
    for (int i = 0; i < 2; ++i) {
        txt_img[i]->clear();
        img[i]->clear();
    }
    for (ImgSlot& s : imgSlot)
        s = ImgSlot{};
    m_pictures.dropped();
}

void insDataFrm::tvw_nav_MouseUp(int button, int shift, int x, int y) {
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (mdl_ins::dataChanged) {
        const auto answer = ui::message(
            this, QStringLiteral("是否保存当前数据，如需要保存当前数据，单击工具栏上的保存按钮?"),
            QStringLiteral("提示"), QMessageBox::Information, QMessageBox::Yes | QMessageBox::No);
        // Only "否" throws the page away; Esc or closing the box keeps it, as "是" does.
        if (answer != QMessageBox::No) {
            // The tree shows again the node whose page is still being edited, and the page
            // comes back if a refresh had put it away.
            if (currNode) {
                tvw_nav->setCurrentItem(currNode);
                insNode = currNode;
                const bool shown = pic_edit->isVisible() || advEditer->isVisible();
                if (!shown && (mdl_ins::isPanelFormat(currFormat) || currFormat == u"adv")) {
                    webBer->hide();
                    showFormatPanel(currFormat);
                }
            }
            return;
        }
        mdl_ins::dataChanged = false;
    }
    if (button == 2) {
        mnuIns->popup(QCursor::pos());
        return;
    }
    clearFields();
    cmd_ok->setEnabled(false);

    const QList<QTreeWidgetItem*> picked = tvw_nav->selectedItems();
    if (!picked.isEmpty()) {
        insNode = picked.first();
        currNode = insNode;
    }
    if (!insNode)
        return;

    // The root has no Tag and counts as a file here: it has no catalog row, so it warns.
    if (!catalogTree::tag(insNode).toBool()) {
        webBer->hide();
        currFormat = getNodeFormat();
        cmd_ok->setEnabled(true);
        if (currFormat != mdl_nov::noFormat) {
            showFormatPanel(currFormat);
            loadNodeData(currFormat, currNode);
        } else {
            ui::message(this, QStringLiteral("请先在设计栏目中设计好该栏目或单击右键刷新！"),
                        QStringLiteral("警告"), QMessageBox::Warning);
        }
    } else {
        // A folder has no page: the last file's page goes away, emptied and disabled, so
        // that nothing is chosen or stored for a page that is not shown.
        putPageAway();
        if (button == 1)
            showStatus(insNode->text(0), QStringLiteral("（该栏目是父节点）"));
    }
}

QString insDataFrm::getNodeFormat() {
    const mdl_nov::Text format =
        mdl_nov::getAspFileName(catalogTree::level(insNode), insNode->text(0));
    if (!format.ok) {
        ui::message(this, format.error, QStringLiteral("提示"), QMessageBox::Critical);
        return mdl_nov::noFormat;
    }
    return format.value;
}

void insDataFrm::showFormatPanel(const QString& format) {
    vscrl->setValue(0);
    m_panelFormat.clear();
    for (QWidget* page :
         {static_cast<QWidget*>(advEditer), static_cast<QWidget*>(webMultiData), pic_edit})
        page->setEnabled(true);
    pic_edit->hide();
    vscrl->hide();
    advEditer->hide();
    webMultiData->hide();
    for (QPushButton* b : cmd_addData)
        b->setEnabled(false);
    cmd_ok->setEnabled(false);

    const QString t = insNode ? insNode->text(0) : QString();
    struct PanelFormat {
        const char* key;
        const char* heading;
        const char* status;
    };
    static const PanelFormat panels[] = {
        {"txt", "--样式显示图(文本格式)", "文本格式"},
        {"imgTxt01", "--样式显示图(图文格式一)", "图文格式一"},
        {"imgTxt02", "--样式显示图(图文格式二)", "图文格式二"},
        {"imgTxt03", "--样式显示图(图文格式三)", "图文格式三"},
        {"bigImg", "--样式显示图(大图片格式)", "大图片格式"},
    };
    for (const PanelFormat& p : panels) {
        if (format == QLatin1String(p.key)) {
            lbl_head->setText(t + QString::fromUtf8(p.heading));
            showStatus(t, QString::fromUtf8(p.status));
            if (format.startsWith(QLatin1String("imgTxt")))
                layoutImgTxtPanel(format);
            else
                showPanel(format);
            return;
        }
    }
    if (mdl_ins::isListFormat(format)) {
        const QString status = format == u"news"   ? QStringLiteral("新闻格式")
                               : format == u"imgs" ? QStringLiteral("图片展示格式")
                                                   : QStringLiteral("产品显示格式");
        showStatus(t, status);
        webMultiData->show();
        for (QPushButton* b : cmd_addData)
            b->setEnabled(true);
    } else if (format == u"adv") {
        showStatus(t, QStringLiteral("高级设计格式"));
        advEditer->show();
        // "保存" saves the page through the editor, as the editor's own button does.
        cmd_ok->setEnabled(true);
    }
}

void insDataFrm::layoutImgTxtPanel(const QString& format) {
    showPanel(format);
}

void insDataFrm::showPanel(const QString& format) {
    m_panelFormat = format;
    placePanel();
    // The panel scrolls as far as the body box of a text page or the first picture.
    vscrl->setMaximum((format == u"txt" ? txt_content->y() : img[0]->y()) + vscrl->value());
    vscrl->show();
    pic_edit->show();
    cmd_ok->setEnabled(true);
}

void insDataFrm::placePanel() {
    const QString& f = m_panelFormat;
    const bool text = f == u"txt" || f.startsWith(QLatin1String("imgTxt"));
    const bool big = f == u"bigImg";
    const int slotCount =
        big || f == u"imgTxt03" ? 1 : (f.startsWith(QLatin1String("imgTxt")) ? 2 : 0);
    const int pw = pic_edit->width();
    // The boxes take the panel's width, less its margins.
    const int boxWidth = pw - twips(800);
    int y = kHeadTop - vscrl->value();

    lbl_head->setGeometry(kLeft, y, std::max(pw - 2 * kLeft, 100), kBoxHeight);
    y += kBoxHeight + 2;
    Line1->setGeometry(kLeft / 2, y, std::max(pw - kLeft, 100), 2);
    y += 2 + kGap * 2;

    for (QWidget* w : {static_cast<QWidget*>(lbl_title), static_cast<QWidget*>(txt_title),
                       static_cast<QWidget*>(lbl_content), static_cast<QWidget*>(txt_content)})
        w->setVisible(text);
    if (text) {
        lbl_title->setGeometry(kLeft, y, 120, kLabelHeight);
        y += kLabelHeight;
        txt_title->setGeometry(kLeft, y, std::max(boxWidth, 100), kBoxHeight);
        y += kBoxHeight + kGap * 2;
        lbl_content->setGeometry(kLeft, y, 120, kLabelHeight);
        y += kLabelHeight;
        txt_content->setGeometry(kLeft, y, std::max(boxWidth, 100), kBodyHeight);
        y += kBodyHeight + kGap;
    }

    for (int i = 0; i < 2; ++i) {
        const bool on = i < slotCount;
        lbl_img[i]->setVisible(on);
        img[i]->setVisible(on);
        txt_img[i]->setVisible(on);
        cmd_img[i]->setVisible(on);
        if (!on)
            continue;
        // Slot 1 keeps the distances of slot 0's parts from their label.
        const int x = kLeft + i * (kThumbWidth + 2 * kGap);
        lbl_img[i]->setGeometry(x, y + 2, kSlotLabelWidth, kLabelHeight);
        txt_img[i]->setGeometry(x + kSlotLabelWidth, y, kSlotNameWidth, kBoxHeight);
        cmd_img[i]->setGeometry(x + kSlotLabelWidth + kSlotNameWidth + 4, y, kSlotButtonWidth,
                                kBoxHeight);
        const int picTop = y + kBoxHeight + kGap;
        // A picture shown at its natural size keeps the size it was loaded with.
        const bool natural = big || f == u"imgTxt03";
        if (natural && !img[i]->pixmap().isNull())
            img[i]->move(x, picTop);
        else if (big)
            img[i]->setGeometry(x, picTop, kBigWidth, kBigHeight);
        else
            img[i]->setGeometry(x, picTop, kThumbWidth, kThumbHeight);
    }
}

QSize insDataFrm::previewBound(bool stretch) {
    // Natural size, but never wider than 7500 twips: a wider picture is scaled down.
    return stretch ? QSize(kThumbWidth, kThumbHeight) : QSize(kMaxPictureWidth, 1 << 20);
}

bool insDataFrm::loadPreview(int index, const QString& path, bool stretch) {
    const pictures::Loaded loaded = pictures::load(path, previewBound(stretch));
    showPreview(index, loaded.image, stretch);
    return loaded.ok;
}

void insDataFrm::showPreview(int index, const QImage& image, bool stretch) {
    QLabel* box = img[index];
    if (image.isNull()) {
        box->clear();
        return;
    }
    box->setScaledContents(true);
    box->setPixmap(QPixmap::fromImage(image));
    box->resize(stretch ? QSize(kThumbWidth, kThumbHeight) : image.size());
}

void insDataFrm::showStatus(const QString& nodeText, const QString& formatText) {
    m_status1->setText(QStringLiteral("当前栏目：") + nodeText);
    m_status2->setText(QStringLiteral("显示格式：") + formatText);
}

void insDataFrm::setListHtml(const QString& html) {
    // The rebuilt list has no record picked.
    m_currID.clear();
    if (!m_listLoaded) {
        m_pendingList = html;
        return;
    }
    const QString script = QStringLiteral("document.getElementById('editID').innerHTML = ") +
                           pagebridge::jsString(html) + QStringLiteral(";");
    m_pendingList = QString();
    webMultiData->page()->runJavaScript(script);
}

void insDataFrm::loadNodeData(const QString& format, QTreeWidgetItem* node) {
    if (!node)
        return;
    const QScopedValueRollback<bool> filling(m_filling, true);
    const sitedb::Rows records = mdl_ins::loadRecords(catalogTree::key(node), node->text(0));
    if (!records.ok) {
        ui::message(this, records.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    if (format == u"news" || format == u"imgs") {
        setListHtml(mdl_ins::buildListHtml(records.rows, format));
        return;
    }
    if (mdl_dgnFrm::isProductFormat(format)) {
        setListHtml(mdl_ins::buildProdListHtml(records.rows));
        return;
    }
    if (records.isEmpty()) {
        advEditer->writeInnerHTML(QString());
        mdl_ins::advIsNew = true;
        isNewData = true;
        return;
    }
    const sitedb::Row r = records.first();
    const QString work = workspace::currImgPath();
    if (format == u"txt") {
        txt_title->setText(r.text(QStringLiteral("value01")));
        txt_content->setPlainText(mdl_func::decode(r.text(QStringLiteral("value02"))));
    } else if (format.startsWith(QLatin1String("imgTxt"))) {
        txt_title->setText(r.text(QStringLiteral("value01")));
        txt_content->setPlainText(mdl_func::decode(r.text(QStringLiteral("value02"))));
        const QString pictures[2] = {r.text(QStringLiteral("value03")),
                                     r.text(QStringLiteral("value04"))};
        for (int i = 0; i < 2; ++i) {
            txt_img[i]->setText(pictures[i]);
            imgSlot[i] = ImgSlot{pictures[i], pictures[i]};
        }
        loadPreview(0, work + pictures[0], format != u"imgTxt03");
        loadPreview(1, work + pictures[1], true);
        placePanel();
    } else if (format == u"bigImg") {
        const QString picture = r.text(QStringLiteral("value01"));
        txt_img[0]->setText(picture);
        imgSlot[0] = ImgSlot{picture, picture};
        loadPreview(0, work + picture, false);
        placePanel();
    } else if (format == u"adv") {
        advEditer->writeInnerHTML(r.text(QStringLiteral("value01")));
        mdl_ins::advIsNew = false;
    }
    isNewData = false;
}

void insDataFrm::cmd_img_Click(int index) {
    // Only a slot of the page shown takes a picture.
    if (!cmd_img[index]->isEnabled() || !cmd_img[index]->isVisibleTo(this))
        return;
    const std::optional<QString> chosen = ui::openFile(this, kPictureFilter);
    if (!chosen) {
        ui::message(this, QStringLiteral("没有选择图片路径！"), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return;
    }
    const bool stretch = !(currFormat == u"bigImg" || currFormat == u"imgTxt03") || index == 1;
    pictures::ChoiceOptions options;
    options.previewBound = previewBound(stretch);
    const pictures::Choice choice = pictures::choose(*chosen, options);
    switch (choice.status) {
    case pictures::Choice::Ok:
        break;
    case pictures::Choice::NotAscii:
        ui::message(this, choice.message, QStringLiteral("提示"), QMessageBox::Information);
        return;
    case pictures::Choice::NotPicture:
        ui::message(this, choice.message, QStringLiteral("警告"), QMessageBox::Critical);
        return;
    case pictures::Choice::NotCopied:
        ui::message(this, choice.message, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    showPreview(index, choice.picture.image, stretch);
    placePanel();

    // The picture the slot showed is removed once a save no longer names it.
    m_pictures.broughtIn(choice);
    const QString previous = txt_img[index]->text();
    if (previous != choice.name)
        m_pictures.replacing(previous);
    imgSlot[index].fileName = choice.name;
    imgSlot[index].prevFileName = choice.name;
    txt_img[index]->setText(choice.name);
    mdl_ins::dataChanged = true;
}

void insDataFrm::cmd_ok_Click() {
    storePage(true);
}

bool insDataFrm::storePage(bool tellSuccess) {
    if (currFormat == u"adv")
        return advEditer->save(tellSuccess);
    const QString key = currNode ? catalogTree::key(currNode) : QString();
    const QString name = currNode ? currNode->text(0) : QString();
    const mdl_ins::PageFields fields{txt_title->text(), txt_content->toPlainText(),
                                     txt_img[0]->text(), txt_img[1]->text()};
    const mdl_ins::SaveResult r = mdl_ins::savePage(key, name, currFormat, isNewData, fields);
    switch (r.kind) {
    case mdl_ins::SaveResult::NoLevel:
        ui::message(this, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return false;
    case mdl_ins::SaveResult::EmptyTitle:
        ui::message(this, QStringLiteral("标题不能为空"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return false;
    case mdl_ins::SaveResult::Failed:
        ui::message(this, QStringLiteral("保存数据失败"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        return false;
    case mdl_ins::SaveResult::Saved:
        break;
    }
    isNewData = false;
    for (int i = 0; i < 2; ++i)
        imgSlot[i] = ImgSlot{};
    m_pictures.saved();
    if (tellSuccess)
        ui::message(this, QStringLiteral("数据已保存！"), QStringLiteral("提示"),
                    QMessageBox::Information);
    mdl_ins::dataChanged = false;
    return true;
}

QStringList insDataFrm::unsavedItems() {
    if (!mdl_ins::dataChanged || !currNode)
        return {};
    return {QStringLiteral("录入数据：“%1”的内容").arg(currNode->text(0))};
}

bool insDataFrm::saveUnsaved() {
    return storePage(false);
}

void insDataFrm::discardUnsaved() {
    clearFields();
    mdl_ins::dataChanged = false;
}

void insDataFrm::cmd_addData_Click(int index) {
    const bool picked = mdl_func::isNumeric(m_currID);
    switch (index) {
    case 0:
        if (mdl_ins::isListFormat(currFormat))
            emit addRecordRequested(currFormat);
        break;
    case 1:
        if (!picked) {
            ui::message(this, QStringLiteral("当前没有选择数据！"), QStringLiteral("提示"),
                        QMessageBox::Critical);
            return;
        }
        if (ui::message(this, QStringLiteral("确实要删除该条数据吗？"), QStringLiteral("警告"),
                        QMessageBox::NoIcon,
                        QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
            return;
        deleteData(m_currID.trimmed().toLongLong());
        tvw_nav_MouseUp(1, 0, 0, 0);
        break;
    case 2:
        if (!picked) {
            ui::message(this, QStringLiteral("当前没有选择数据！"), QStringLiteral("提示"),
                        QMessageBox::Critical);
            return;
        }
        if (mdl_ins::isListFormat(currFormat))
            emit modifyRecordRequested(currFormat, m_currID.trimmed().toLongLong());
        break;
    default:
        break;
    }
}

void insDataFrm::deleteData(qint64 id) {
    const QString key = currNode ? catalogTree::key(currNode) : QString();
    if (mdl_nov::levelOfKey(key) == mdl_nov::Level::None) {
        ui::message(this, QStringLiteral("不期望的错误：栏目选择错误！"), QStringLiteral("错误"),
                    QMessageBox::Critical);
        return;
    }
    const sitedb::Outcome o = mdl_ins::deleteData(key, id);
    if (!o)
        ui::message(this, o.error, QStringLiteral("提示"), QMessageBox::Critical);
}

QTreeWidgetItem* insDataFrm::findAgain(const QString& key, const QString& text) const {
    QTreeWidgetItem* byKey = catalogTree::findByKey(tvw_nav, key);
    if (byKey && byKey->text(0) == text)
        return byKey;
    return catalogTree::findByText(tvw_nav, text);
}

void insDataFrm::showWelcome() {
    webBer->setUrl(QUrl::fromLocalFile(workspace::currentPath() + kWelcomePage));
    webBer->show();
}

void insDataFrm::mnu_Refresh_Click() {
    // The picked nodes are found again in the new tree by key and name; a node that is
    // gone leaves the root picked and no current node.
    const QString insKey = insNode ? catalogTree::key(insNode) : QString();
    const QString insText = insNode ? insNode->text(0) : QString();
    const QString currKey = currNode ? catalogTree::key(currNode) : QString();
    const QString currText = currNode ? currNode->text(0) : QString();
    const bool hadCurr = currNode != nullptr;
    tvw_nav->clear();
    loadDataTree();
    insNode = findAgain(insKey, insText);
    if (!insNode)
        insNode = catalogTree::root(tvw_nav);
    currNode = hadCurr ? findAgain(currKey, currText) : nullptr;

    putPageAway();
}

void insDataFrm::putPageAway() {
    showWelcome();
    for (QWidget* page :
         {static_cast<QWidget*>(advEditer), static_cast<QWidget*>(webMultiData), pic_edit}) {
        page->hide();
        page->setEnabled(false);
    }
    vscrl->hide();
    m_panelFormat.clear();
    // Nothing shown, nothing to act on: no record is picked and the buttons wait for a node.
    m_currID.clear();
    for (QPushButton* b : cmd_addData)
        b->setEnabled(false);
    cmd_ok->setEnabled(false);
}

#include "insDataFrm.moc"
