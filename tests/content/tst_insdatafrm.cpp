#include "../richtext/pageScript.h"
#include "app/MDIFrm.h"
#include "common/workspace.h"
#include "content/insDataFrm.h"
#include "content/mdl_ins.h"
#include "content/entryDialog.h"
#include "content/insDataFrm_prod.h"
#include "contentRecord.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "designer/mdl_dgnFrm.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "modal.h"
#include "richtext/advEdit.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineView>

using mdl_nov::Level;

class TestInsDataFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void rootGivesTheWarning();
    void folderOnlyTellsTheStatus();
    void panelFormatsShowTheirPanel_data();
    void panelFormatsShowTheirPanel();
    void listFormatsShowTheirRecords_data();
    void listFormatsShowTheirRecords();
    void typingAsksBeforeLeaving();
    void escapeOnTheQuestionKeepsThePage_data();
    void escapeOnTheQuestionKeepsThePage();
    void anyChangeAsksBeforeLeaving_data();
    void anyChangeAsksBeforeLeaving();
    void expandingIsNotASwitch();
    void keyboardMoveIsASwitch();
    void refreshLeavesNoRecordToActOn();
    void deletingNeedsAPickedRecord();
    void deletingRemovesThePickedRecordOnly();
    void recordButtonsOpenTheFormatsDialogs_data();
    void recordButtonsOpenTheFormatsDialogs();
    void textPageSavesOnceThenUpdatesAndReloadsExactly();
    void blankTitleIsRefused();
    void picturesAreCopiedAndReplacedOnlyAfterSave();
    void pictureChoiceRefusals_data();
    void pictureChoiceRefusals();
    void bigPictureIsShownAtMostFiveHundredWide();
    void advPageIsEditedInTheEditor();
    void refreshShowsTheDesignersTree();
    void rightClickKeepsThePickedNode();
    void theFrameRefreshesAfterEveryDesignerChange();
    void storedMarkupIsShownAsText();
    void folderPutsTheLastPageAway_data();
    void folderPutsTheLastPageAway();

private:
    insDataFrm* open();
    void pick(const QString& text, Qt::MouseButton button = Qt::LeftButton);
    QString listBody();
    static QString picture(const QString& dir, const QString& name, int w, int h);

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    insDataFrm* m_frm = nullptr;
    QTemporaryDir* m_outside = nullptr;
};

void TestInsDataFrm::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    m_outside = new QTemporaryDir;
    mdl_ins::dataChanged = false;
    // A site of every format: level-1 files, a folder with level-2 files, a level-3 file.
    for (const char* f :
         {"txt", "imgTxt01", "imgTxt02", "imgTxt03", "bigImg", "adv", "news", "imgs", "prod01"})
        QCOMPARE(mdl_nov::addNode(Level::None, {}, QStringLiteral("页_") + f, false, f).status,
                 mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "栏目", true).status, mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::First, "栏目", "子栏目", true).status,
             mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::Second, "子栏目", "深处新闻", false, "news").status,
             mdl_nov::AddResult::Added);
}

void TestInsDataFrm::cleanup() {
    delete m_frm;
    m_frm = nullptr;
    delete m_outside;
    delete m_ui;
    delete m_install;
}

insDataFrm* TestInsDataFrm::open() {
    m_frm = new insDataFrm;
    m_frm->resize(900, 640);
    m_frm->show();
    m_frm->tvw_nav->expandAll();
    [this] { QVERIFY(QTest::qWaitForWindowExposed(m_frm)); }();
    return m_frm;
}

void TestInsDataFrm::pick(const QString& text, Qt::MouseButton button) {
    QTreeWidgetItem* item = catalogTree::findByText(m_frm->tvw_nav, text);
    QVERIFY2(item, qPrintable(text));
    m_frm->tvw_nav->scrollToItem(item);
    QTest::mouseClick(m_frm->tvw_nav->viewport(), button, {},
                      m_frm->tvw_nav->visualItemRect(item).center());
}

QString TestInsDataFrm::listBody() {
    return pageScript(m_frm->webMultiData->page(), "document.getElementById('editID').innerHTML")
        .toString();
}

QString TestInsDataFrm::picture(const QString& dir, const QString& name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir + u'/' + name;
    image.save(path);
    return path;
}

void TestInsDataFrm::rootGivesTheWarning() {
    open();
    m_frm->tvw_nav->setCurrentItem(catalogTree::root(m_frm->tvw_nav));
    m_frm->tvw_nav_MouseUp(1, 0, 0, 0);
    QCOMPARE(m_ui->lastText(), QStringLiteral("请先在设计栏目中设计好该栏目或单击右键刷新！"));
    QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
    QVERIFY(!m_frm->pic_edit->isVisible());
    QVERIFY(!m_frm->webMultiData->isVisible());
}

void TestInsDataFrm::folderOnlyTellsTheStatus() {
    open();
    pick("栏目");
    QCOMPARE(m_frm->statusText(1), QStringLiteral("当前栏目：栏目"));
    QCOMPARE(m_frm->statusText(2), QStringLiteral("显示格式：（该栏目是父节点）"));
    QVERIFY(m_frm->webBer->isVisible());
    QVERIFY(!m_frm->cmd_ok->isEnabled());
    QVERIFY(m_ui->messages.isEmpty());
}

void TestInsDataFrm::panelFormatsShowTheirPanel_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("pictureSlots");
    QTest::addColumn<bool>("textFields");
    QTest::newRow("txt") << "txt"
                         << "文本格式" << 0 << true;
    QTest::newRow("imgTxt01") << "imgTxt01"
                              << "图文格式一" << 2 << true;
    QTest::newRow("imgTxt02") << "imgTxt02"
                              << "图文格式二" << 2 << true;
    QTest::newRow("imgTxt03") << "imgTxt03"
                              << "图文格式三" << 1 << true;
    QTest::newRow("bigImg") << "bigImg"
                            << "大图片格式" << 1 << false;
}

void TestInsDataFrm::panelFormatsShowTheirPanel() {
    QFETCH(QString, format);
    QFETCH(QString, status);
    QFETCH(int, pictureSlots);
    QFETCH(bool, textFields);
    open();
    const QString node = "页_" + format;
    pick(node);
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(m_frm->pic_edit->isVisible());
    QVERIFY(!m_frm->webBer->isVisible());
    QVERIFY(!m_frm->webMultiData->isVisible());
    QVERIFY(!m_frm->advEditer->isVisible());
    QCOMPARE(m_frm->lbl_head->text(), node + "--样式显示图(" + status + ")");
    QCOMPARE(m_frm->statusText(2), "显示格式：" + status);
    QCOMPARE(m_frm->txt_title->isVisible(), textFields);
    QCOMPARE(m_frm->txt_content->isVisible(), textFields);
    QCOMPARE(m_frm->img[0]->isVisible(), pictureSlots >= 1);
    QCOMPARE(m_frm->cmd_img[1]->isVisible(), pictureSlots == 2);
    QVERIFY(m_frm->cmd_ok->isEnabled());
    for (QPushButton* b : m_frm->cmd_addData)
        QVERIFY(!b->isEnabled());
    if (textFields) {
        QCOMPARE(m_frm->txt_content->height(), 193);
        // The boxes use the panel's width, less its margins.
        QCOMPARE(m_frm->txt_content->width(), m_frm->pic_edit->width() - mdl_dgnFrm::twips(800));
        QCOMPARE(m_frm->txt_title->width(), m_frm->txt_content->width());
    }
    if (pictureSlots == 2) {
        // The second slot lines up with the first and keeps its parts' distances.
        QCOMPARE(m_frm->img[1]->y(), m_frm->img[0]->y());
        QCOMPARE(m_frm->img[1]->size(), QSize(249, 153));
        QCOMPARE(m_frm->cmd_img[1]->x() - m_frm->lbl_img[1]->x(),
                 m_frm->cmd_img[0]->x() - m_frm->lbl_img[0]->x());
    }
    // The scroll bar moves the panel's contents, the heading first.
    const int headTop = m_frm->lbl_head->y();
    m_frm->vscrl->setValue(40);
    QCOMPARE(m_frm->lbl_head->y(), headTop - 40);
    m_frm->vscrl->setValue(0);
    QCOMPARE(m_frm->vscrl->maximum(),
             (textFields && pictureSlots == 0 ? m_frm->txt_content->y() : m_frm->img[0]->y()));
}

void TestInsDataFrm::listFormatsShowTheirRecords_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("status");
    QTest::newRow("news") << "页_news"
                          << "content01"
                          << "firstCatalog"
                          << "新闻格式";
    QTest::newRow("imgs") << "页_imgs"
                          << "content01"
                          << "firstCatalog"
                          << "图片展示格式";
    QTest::newRow("products") << "页_prod01"
                              << "content01"
                              << "firstCatalog"
                              << "产品显示格式";
    QTest::newRow("news, level 3") << "深处新闻"
                                   << "content03"
                                   << "thirdCatalog"
                                   << "新闻格式";
}

void TestInsDataFrm::listFormatsShowTheirRecords() {
    QFETCH(QString, node);
    QFETCH(QString, table);
    QFETCH(QString, owner);
    QFETCH(QString, status);
    addRecord(table, owner, node, {"第一条 & <i>", "2026-05-01", "x"});
    addRecord(table, owner, node, {"第二条", "2026-05-02", "y"});
    open();
    pick(node);
    QVERIFY(m_frm->webMultiData->isVisible());
    QVERIFY(!m_frm->pic_edit->isVisible());
    QCOMPARE(m_frm->statusText(2), "显示格式：" + status);
    for (QPushButton* b : m_frm->cmd_addData)
        QVERIFY(b->isEnabled());
    QVERIFY(!m_frm->cmd_ok->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("第二条"), 20000);
    const QString body = listBody();
    QVERIFY(body.indexOf("第二条") < body.indexOf("第一条"));
    QCOMPARE(pageScript(m_frm->webMultiData->page(),
                        "document.querySelectorAll('input[type=radio]').length")
                 .toInt(),
             2);
}

void TestInsDataFrm::typingAsksBeforeLeaving() {
    open();
    pick("页_txt");
    m_frm->txt_title->setFocus();
    QTest::keyClicks(m_frm->txt_title, "New");
    QVERIFY(mdl_ins::dataChanged);

    // Yes: stay, so that the page can be saved first.
    m_ui->answers.enqueue(QMessageBox::Yes);
    pick("页_imgTxt03");
    QCOMPARE(m_ui->lastText(),
             QStringLiteral("是否保存当前数据，如需要保存当前数据，单击工具栏上的保存按钮?"));
    QCOMPARE(m_ui->last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_txt"));
    QCOMPARE(m_frm->tvw_nav->selectedItems(), QList<QTreeWidgetItem*>{m_frm->currNode});
    QCOMPARE(m_frm->txt_title->text(), QStringLiteral("New"));
    QVERIFY(mdl_ins::dataChanged);

    // No: the change is dropped and the other page opens.
    m_ui->answers.enqueue(QMessageBox::No);
    pick("页_imgTxt03");
    QCOMPARE(m_ui->messages.size(), 2);
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_imgTxt03"));
    QVERIFY(m_frm->txt_title->text().isEmpty());
    QVERIFY(!mdl_ins::dataChanged);

    // Typing in the body asks as well, also before the pop-up menu.
    QTest::keyClicks(m_frm->txt_content, "body");
    m_ui->answers.enqueue(QMessageBox::Yes);
    pick("页_txt", Qt::RightButton);
    QCOMPARE(m_ui->messages.size(), 3);
}

void TestInsDataFrm::escapeOnTheQuestionKeepsThePage_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("answer"); // how the real message box is left
    QTest::addColumn<bool>("kept");
    QTest::newRow("Esc on a text page") << "页_txt" << "Esc" << true;
    QTest::newRow("the box's close button") << "页_txt" << "close" << true;
    QTest::newRow("Esc on the free page") << "页_adv" << "Esc" << true;
    QTest::newRow("否 drops the page") << "页_txt" << "否" << false;
}

void TestInsDataFrm::escapeOnTheQuestionKeepsThePage() {
    QFETCH(QString, page);
    QFETCH(QString, answer);
    QFETCH(bool, kept);
    open();
    pick(page);
    if (page == u"页_adv") {
        QTRY_VERIFY(m_frm->advEditer->isReady());
        m_frm->advEditer->setInnerHTML(QStringLiteral("<b>插入的内容</b>"));
        mdl_ins::dataChanged = true;
    } else {
        m_frm->txt_title->insert(QStringLiteral("未保存的标题"));
    }
    QVERIFY(mdl_ins::dataChanged);

    // The real message box, left as the user leaves it.
    ui::install(nullptr);
    const auto scripted = qScopeGuard([this] { ui::install(m_ui); });
    QString asked;
    onModal<QMessageBox>([&asked, answer](QMessageBox* box) {
        asked = box->text();
        if (answer == u"Esc")
            QTest::keyClick(box, Qt::Key_Escape);
        else if (answer == u"close")
            box->close();
        else
            box->button(QMessageBox::No)->click();
    });
    pick("页_imgTxt03");
    QCOMPARE(asked, QStringLiteral("是否保存当前数据，如需要保存当前数据，单击工具栏上的保存按钮?"));
    QCOMPARE(mdl_ins::dataChanged, kept);
    QCOMPARE(m_frm->currNode->text(0), kept ? page : QStringLiteral("页_imgTxt03"));
    if (page == u"页_adv")
        QVERIFY(m_frm->advEditer->innerHTML().contains(QStringLiteral("插入的内容")));
    else
        QCOMPARE(m_frm->txt_title->text(), kept ? QStringLiteral("未保存的标题") : QString());
}

void TestInsDataFrm::anyChangeAsksBeforeLeaving_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("pasted into the title") << "paste";
    QTest::newRow("cut from the body") << "cut";
    QTest::newRow("composed by an input method") << "input method";
    QTest::newRow("only loaded: nothing to ask") << "";
}

void TestInsDataFrm::anyChangeAsksBeforeLeaving() {
    QFETCH(QString, how);
    addRecord("content01", "firstCatalog", "页_txt", {"标题", "正文"});
    open();
    pick("页_txt");
    QCOMPARE(m_frm->txt_content->toPlainText(), QStringLiteral("正文"));
    QVERIFY(!mdl_ins::dataChanged);
    if (how == u"paste") {
        QGuiApplication::clipboard()->setText(QStringLiteral("粘贴的"));
        m_frm->txt_title->paste();
    } else if (how == u"cut") {
        m_frm->txt_content->selectAll();
        m_frm->txt_content->cut();
    } else if (how == u"input method") {
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("输入法"));
        QApplication::sendEvent(m_frm->txt_title, &composed);
    }
    m_ui->answers.enqueue(QMessageBox::Yes);
    pick("页_imgTxt01");
    if (how.isEmpty()) {
        QVERIFY(m_ui->messages.isEmpty());
        QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_imgTxt01"));
        return;
    }
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->lastText(),
             QStringLiteral("是否保存当前数据，如需要保存当前数据，单击工具栏上的保存按钮?"));
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_txt"));
}

void TestInsDataFrm::expandingIsNotASwitch() {
    open();
    pick("页_txt");
    m_frm->txt_title->insert(QStringLiteral("未保存"));
    QTreeWidgetItem* folder = catalogTree::findByText(m_frm->tvw_nav, "栏目");
    const QRect row = m_frm->tvw_nav->visualItemRect(folder);
    QTest::mouseClick(m_frm->tvw_nav->viewport(), Qt::LeftButton, {},
                      QPoint(row.left() - m_frm->tvw_nav->indentation() / 2, row.center().y()));
    QVERIFY(!folder->isExpanded());
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_txt"));
    QCOMPARE(m_frm->txt_title->text(), QStringLiteral("未保存"));
    QVERIFY(mdl_ins::dataChanged);
}

void TestInsDataFrm::keyboardMoveIsASwitch() {
    addRecord("content01", "firstCatalog", "页_imgTxt01", {"图文的标题"});
    open();
    pick("页_txt");
    QTest::keyClicks(m_frm->txt_title, "x");
    m_frm->tvw_nav->setFocus();
    // Yes: the highlight goes back to the page being edited.
    m_ui->answers.enqueue(QMessageBox::Yes);
    QTest::keyClick(m_frm->tvw_nav, Qt::Key_Down);
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_frm->tvw_nav->currentItem(), m_frm->currNode);
    QCOMPARE(m_frm->txt_title->text(), QStringLiteral("x"));
    // No: the highlighted page is the one shown.
    m_ui->answers.enqueue(QMessageBox::No);
    QTest::keyClick(m_frm->tvw_nav, Qt::Key_Down);
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_imgTxt01"));
    QCOMPARE(m_frm->tvw_nav->currentItem(), m_frm->currNode);
    QCOMPARE(m_frm->txt_title->text(), QStringLiteral("图文的标题"));
    QCOMPARE(m_frm->statusText(2), QStringLiteral("显示格式：图文格式一"));
    // Through the free page, whose editor takes the focus when shown, and on.
    QVERIFY(QTest::qWaitForWindowActive(m_frm));
    m_frm->tvw_nav->setCurrentItem(catalogTree::findByText(m_frm->tvw_nav, "页_bigImg"));
    m_frm->tvw_nav->setFocus();
    for (const char* next : {"页_adv", "页_news"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(m_frm->currNode->text(0), QString::fromUtf8(next));
    }
}

void TestInsDataFrm::refreshLeavesNoRecordToActOn() {
    const qint64 id = addRecord("content01", "firstCatalog", "页_news", {"留着"});
    open();
    pick("页_news");
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("留着"), 20000);
    pageScript(m_frm->webMultiData->page(),
               QStringLiteral("document.querySelector(\"input[value='%1']\").click()").arg(id));
    QTRY_COMPARE_WITH_TIMEOUT(m_frm->currID(), QString::number(id), 20000);
    m_frm->mnu_Refresh_Click();
    QVERIFY(m_frm->webBer->isVisible());
    for (QPushButton* b : m_frm->cmd_addData)
        QVERIFY(!b->isEnabled());
    QVERIFY(!m_frm->cmd_ok->isEnabled());
    QVERIFY(m_frm->currID().isEmpty());
    m_frm->cmd_addData_Click(1);
    QCOMPARE(m_ui->lastText(), QStringLiteral("当前没有选择数据！"));
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_news").rows.size(), 1);
}

void TestInsDataFrm::deletingNeedsAPickedRecord() {
    addRecord("content01", "firstCatalog", "页_news", {"留下"});
    open();
    pick("页_news");
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("留下"), 20000);
    for (int index : {1, 2}) {
        m_ui->clear();
        m_frm->cmd_addData[index]->click();
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->lastText(), QStringLiteral("当前没有选择数据！"));
        QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    }
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_news").rows.size(), 1);
}

void TestInsDataFrm::deletingRemovesThePickedRecordOnly() {
    addRecord("content01", "firstCatalog", "页_news", {"保留的"});
    const qint64 gone = addRecord("content01", "firstCatalog", "页_news", {"删掉的"});
    open();
    pick("页_news");
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("删掉的"), 20000);
    pageScript(m_frm->webMultiData->page(),
               QStringLiteral("document.querySelector(\"input[value='%1']\").click()").arg(gone));
    QTRY_COMPARE_WITH_TIMEOUT(m_frm->currID(), QString::number(gone), 20000);
    QCOMPARE(pageScript(m_frm->webMultiData->page(), "document.getElementById('currID').value")
                 .toString(),
             QString::number(gone));

    // Cancel keeps it.
    m_ui->answers.enqueue(QMessageBox::Cancel);
    m_frm->cmd_addData[1]->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("确实要删除该条数据吗？"));
    QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
    QCOMPARE(m_ui->last().icon, QMessageBox::NoIcon);
    QCOMPARE(m_ui->last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_news").rows.size(), 2);

    m_ui->answers.enqueue(QMessageBox::Ok);
    m_frm->cmd_addData[1]->click();
    const sitedb::Rows left = mdl_ins::loadRecords("fst_1", "页_news");
    QCOMPARE(left.rows.size(), 1);
    QCOMPARE(left.first().text("value01"), QStringLiteral("保留的"));
    // The list is rebuilt and nothing is picked any more.
    QVERIFY(m_frm->currID().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!listBody().contains("删掉的"), 20000);
    m_ui->clear();
    m_frm->cmd_addData[1]->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("当前没有选择数据！"));
}

void TestInsDataFrm::recordButtonsOpenTheFormatsDialogs_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("addDialog");
    QTest::addColumn<QString>("modifyDialog");
    QTest::addColumn<QString>("nameBox");
    QTest::newRow("news") << "页_news" << "insDatafrm_news" << "insDataFrm_newsMod" << "txt_title";
    QTest::newRow("gallery") << "页_imgs" << "insDataFrm_imgs" << "insDataFrm_imgsMod"
                             << "txt_title";
    QTest::newRow("products") << "页_prod01" << "insDataFrm_prod" << "insDataFrm_prodMod"
                              << "txt_Name";
}

void TestInsDataFrm::recordButtonsOpenTheFormatsDialogs() {
    QFETCH(QString, node);
    QFETCH(QString, addDialog);
    QFETCH(QString, modifyDialog);
    QFETCH(QString, nameBox);
    open();
    pick(node);
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("暂时还没有数据"), 20000);
    // The dialog of the node's format stores into the node, and the list shows it at once.
    const auto fillIn = [nameBox](const QString& expected, const QString& text) {
        onModal<entryDialog>([=](entryDialog* d) {
            QCOMPARE(d->objectName(), expected);
            if (auto* prod = qobject_cast<insDataFrm_prodMod*>(d))
                QTRY_VERIFY(prod->isLoaded());
            d->findChild<QLineEdit*>(nameBox)->setText(text);
            d->findChild<QPushButton*>("OKButton")->click();
        });
    };
    fillIn(addDialog, "It's 第一条");
    m_frm->cmd_addData[0]->click();
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("It's 第一条"), 20000);
    const qint64 id = sitedb::query("SELECT MAX(ID) AS m FROM content01").first().integer("m");
    QVERIFY(id > 0);

    pageScript(m_frm->webMultiData->page(),
               QStringLiteral("document.querySelector(\"input[value='%1']\").click()").arg(id));
    QTRY_COMPARE_WITH_TIMEOUT(m_frm->currID(), QString::number(id), 20000);
    fillIn(modifyDialog, "改过的");
    m_frm->cmd_addData[2]->click();
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("改过的"), 20000);
    QVERIFY(!listBody().contains("第一条"));
    // The rebuilt list has nothing picked.
    QVERIFY(m_frm->currID().isEmpty());
}

void TestInsDataFrm::textPageSavesOnceThenUpdatesAndReloadsExactly() {
    open();
    pick("页_txt");
    const QString title = "  O'Brien & \"Co\" 公司  ";
    const QString body = "第一行 It's\n\n  \"引号\" & <b>不是标签</b>\n末行";
    m_frm->txt_title->setText(title);
    m_frm->txt_content->setPlainText(body);
    mdl_ins::dataChanged = true;
    m_frm->cmd_ok->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据已保存！"));
    QVERIFY(!mdl_ins::dataChanged);
    // The key that closed the message box is let go over the page: that is no change.
    QTest::keyRelease(m_frm->txt_content, Qt::Key_Return);
    QVERIFY(!mdl_ins::dataChanged);
    m_frm->txt_title->setText(title + "二");
    m_frm->cmd_ok->click();
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_txt").rows.size(), 1);

    pick("页_imgTxt01");
    QVERIFY(m_frm->txt_title->text().isEmpty());
    pick("页_txt");
    QCOMPARE(m_frm->txt_title->text(), title + "二");
    QCOMPARE(m_frm->txt_content->toPlainText(), body);
}

void TestInsDataFrm::blankTitleIsRefused() {
    open();
    pick("页_imgTxt02");
    m_frm->txt_title->setText("   ");
    m_frm->cmd_ok->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("标题不能为空"));
    QVERIFY(mdl_ins::loadRecords("fst_1", "页_imgTxt02").isEmpty());
}

void TestInsDataFrm::picturesAreCopiedAndReplacedOnlyAfterSave() {
    const QString work = workspace::currImgPath();
    const QString dir = m_outside->path();
    // shared.bmp is also named by another page and must survive being replaced here.
    addRecord("content01", "firstCatalog", "页_bigImg", {"shared.bmp"});
    open();
    pick("页_imgTxt01");
    m_frm->txt_title->setText("图文");
    m_ui->files.enqueue(picture(dir, "one.jpg", 300, 200));
    m_frm->cmd_img[0]->click();
    m_ui->files.enqueue(picture(dir, "shared.bmp", 300, 200));
    m_frm->cmd_img[1]->click();
    QVERIFY(QFile::exists(work + "one.jpg"));
    QCOMPARE(m_frm->txt_img[0]->text(), QStringLiteral("one.jpg"));
    QCOMPARE(m_frm->img[0]->size(), QSize(249, 153));
    QVERIFY(!m_frm->img[0]->pixmap().isNull());
    m_frm->cmd_ok->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据已保存！"));

    // Replacing: the copies stay until the save that stops naming them.
    pick("页_imgTxt01");
    QCOMPARE(m_frm->txt_img[0]->text(), QStringLiteral("one.jpg"));
    QVERIFY(!m_frm->img[1]->pixmap().isNull());
    m_ui->files.enqueue(picture(dir, "two.jpg", 300, 200));
    m_frm->cmd_img[0]->click();
    m_ui->files.enqueue(picture(dir, "three.bmp", 300, 200));
    m_frm->cmd_img[1]->click();
    QVERIFY(QFile::exists(work + "one.jpg"));
    m_ui->answers.enqueue(QMessageBox::Yes);
    m_frm->cmd_ok->click();
    QVERIFY(!QFile::exists(work + "one.jpg"));
    QVERIFY(QFile::exists(work + "two.jpg"));
    QVERIFY(QFile::exists(work + "three.bmp"));
    QVERIFY2(QFile::exists(work + "shared.bmp"), "still named by the big picture page");
    const sitedb::Row r = mdl_ins::loadRecords("fst_1", "页_imgTxt01").first();
    QCOMPARE(r.text("value03"), QStringLiteral("two.jpg"));
    QCOMPARE(r.text("value04"), QStringLiteral("three.bmp"));

    // Choosing the very file the slot holds, from the working folder, keeps it.
    m_ui->files.enqueue(work + "two.jpg");
    m_frm->cmd_img[0]->click();
    m_frm->cmd_ok->click();
    QVERIFY(QFile::exists(work + "two.jpg"));

    // Leaving without saving keeps the stored picture.
    m_ui->files.enqueue(picture(dir, "four.jpg", 300, 200));
    m_frm->cmd_img[0]->click();
    QVERIFY(mdl_ins::dataChanged);
    m_ui->answers.enqueue(QMessageBox::No);
    pick("页_txt");
    QVERIFY(QFile::exists(work + "two.jpg"));
}

void TestInsDataFrm::pictureChoiceRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message");
    QTest::newRow("Chinese name") << "图片.jpg" << false
                                  << "所选择的文件名中不能包含中文，请重命名后选择文件！";
    QTest::newRow("cancelled") << "" << true << "没有选择图片路径！";
    QTest::newRow("not a picture") << "broken.jpg" << false << "所选文件不是可以读取的图片：broken.jpg";
}

void TestInsDataFrm::pictureChoiceRefusals() {
    QFETCH(QString, name);
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    open();
    pick("页_imgTxt03");
    if (cancel) {
        m_ui->files.enqueue(std::nullopt);
    } else if (name == "broken.jpg") {
        QFile f(m_outside->filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        f.close();
        m_ui->files.enqueue(f.fileName());
    } else {
        m_ui->files.enqueue(picture(m_outside->path(), name, 20, 20));
    }
    m_frm->cmd_img[0]->click();
    QCOMPARE(m_ui->lastText(), message);
    QVERIFY(m_frm->txt_img[0]->text().isEmpty());
    if (!name.isEmpty())
        QVERIFY(!QFile::exists(workspace::currImgPath() + name));
}

void TestInsDataFrm::bigPictureIsShownAtMostFiveHundredWide() {
    const QString work = workspace::currImgPath();
    picture(work.chopped(1), "wide.jpg", 1000, 600);
    picture(work.chopped(1), "small.jpg", 120, 80);
    addRecord("content01", "firstCatalog", "页_bigImg", {"wide.jpg"});
    addRecord("content01", "firstCatalog", "页_imgTxt03", {"标题", "正文", "small.jpg", ""});
    open();
    pick("页_bigImg");
    QCOMPARE(m_frm->txt_img[0]->text(), QStringLiteral("wide.jpg"));
    QCOMPARE(m_frm->img[0]->size(), QSize(500, 300));
    // Saving without a new picture keeps the stored name.
    m_frm->cmd_ok->click();
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_bigImg").first().text("value01"),
             QStringLiteral("wide.jpg"));
    pick("页_imgTxt03");
    QCOMPARE(m_frm->img[0]->size(), QSize(120, 80));
    // A missing picture leaves the preview empty, without a message.
    QFile::remove(work + "small.jpg");
    m_ui->clear();
    pick("页_imgTxt03");
    QVERIFY(m_frm->img[0]->pixmap().isNull());
    QVERIFY(m_ui->messages.isEmpty());
}

void TestInsDataFrm::advPageIsEditedInTheEditor() {
    open();
    pick("页_adv");
    QVERIFY(m_frm->advEditer->isVisible());
    QVERIFY(!m_frm->pic_edit->isVisible());
    QCOMPARE(m_frm->statusText(2), QStringLiteral("显示格式：高级设计格式"));
    QVERIFY(mdl_ins::advIsNew);
    QCOMPARE(m_frm->editor()->innerHTML(), QString());
    m_frm->editor()->setInnerHTML("<p>It[&#39;]s 自由页</p>");
    // The window's own "保存" saves through the editor.
    QVERIFY(m_frm->cmd_ok->isEnabled());
    m_frm->cmd_ok->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据保存成功！"));
    m_frm->editor()->setInnerHTML("<hr>");
    m_frm->editor()->save();
    const sitedb::Rows rows = mdl_ins::loadRecords("fst_1", "页_adv");
    QCOMPARE(rows.rows.size(), 1);
    QCOMPARE(rows.first().text("value01"), QStringLiteral("<p>It[&#39;]s 自由页</p><hr>"));

    pick("页_txt");
    pick("页_adv");
    QVERIFY(!mdl_ins::advIsNew);
    QCOMPARE(m_frm->editor()->innerHTML(), QStringLiteral("<p>It[&#39;]s 自由页</p><hr>"));
}

void TestInsDataFrm::refreshShowsTheDesignersTree() {
    open();
    pick("页_txt");
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "新来的", false, "txt").status,
             mdl_nov::AddResult::Added);
    // "刷新" of the tree's pop-up menu.
    pick("页_txt", Qt::RightButton);
    QTRY_VERIFY(m_frm->mnuIns->isVisible());
    QCOMPARE(m_frm->mnuIns->actions(), QList<QAction*>{m_frm->mnu_Refresh});
    QCOMPARE(m_frm->mnu_Refresh->text(), QStringLiteral("刷新"));
    m_frm->mnu_Refresh->trigger();
    m_frm->mnuIns->close();
    QVERIFY(catalogTree::findByText(m_frm->tvw_nav, "新来的"));
    QVERIFY(m_frm->webBer->isVisible());
    QVERIFY(!m_frm->pic_edit->isVisible());
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_txt"));
    QCOMPARE(m_frm->insNode, m_frm->currNode);

    // A page typed in before the refresh comes back when the user keeps it.
    pick("页_txt");
    QTest::keyClicks(m_frm->txt_title, "Kept");
    m_frm->mnu_Refresh_Click();
    m_frm->tvw_nav->expandAll();
    QVERIFY(!m_frm->pic_edit->isVisible());
    m_ui->answers.enqueue(QMessageBox::Yes);
    pick("新来的");
    QVERIFY(m_frm->pic_edit->isVisible());
    QCOMPARE(m_frm->txt_title->text(), QStringLiteral("Kept"));
    m_frm->cmd_ok->click();
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_txt").first().text("value01"),
             QStringLiteral("Kept"));
}

void TestInsDataFrm::rightClickKeepsThePickedNode() {
    // The highlight and the page on the right stay on the same node.
    open();
    pick("页_txt");
    QTest::keyClicks(m_frm->txt_title, "Mine");
    m_frm->cmd_ok->click();
    for (const char* other : {"页_news", "栏目", "页_txt"}) {
        pick(other, Qt::RightButton);
        QTRY_VERIFY(m_frm->mnuIns->isVisible());
        m_frm->mnuIns->close();
        QCOMPARE(m_frm->tvw_nav->currentItem()->text(0), QStringLiteral("页_txt"));
        QCOMPARE(m_frm->tvw_nav->selectedItems(), QList<QTreeWidgetItem*>{m_frm->currNode});
        QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_txt"));
        QVERIFY(m_frm->pic_edit->isVisible());
        QCOMPARE(m_frm->txt_title->text(), QStringLiteral("Mine"));
    }
    // The next left click picks as before.
    pick("页_news");
    QCOMPARE(m_frm->currNode->text(0), QStringLiteral("页_news"));
    QCOMPARE(m_frm->tvw_nav->selectedItems(), QList<QTreeWidgetItem*>{m_frm->currNode});
}

void TestInsDataFrm::theFrameRefreshesAfterEveryDesignerChange() {
    sitedb::close();
    MDIFrm frame;
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frame.load(nullptr, m_install->currentPath()));
    auto* designer = qobject_cast<designFrm*>(frame.workWindow("designFrm"));
    auto* content = qobject_cast<insDataFrm*>(frame.workWindow("insDataFrm"));
    QVERIFY(designer);
    QVERIFY(content);
    QVERIFY(!catalogTree::findByText(content->tvw_nav, "后来的"));
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "后来的", false, "news").status,
             mdl_nov::AddResult::Added);
    emit designer->catalogChanged();
    QVERIFY(catalogTree::findByText(content->tvw_nav, "后来的"));
    sitedb::close();
}

void TestInsDataFrm::storedMarkupIsShownAsText() {
    // A title that would pick its own record (and so arm "删除数据") if the page ran it.
    const qint64 id = addRecord("content01", "firstCatalog", "页_news", {"x"});
    const QString title = QStringLiteral("<img src=x onerror=\"getID(%1)\"><b>粗</b>").arg(id);
    QVERIFY(sitedb::exec("UPDATE content01 SET value01=? WHERE ID=?", {title, id}));
    open();
    pick("页_news");
    QTRY_VERIFY_WITH_TIMEOUT(listBody().contains("粗"), 20000);
    QCOMPARE(pageScript(m_frm->webMultiData->page(),
                        "document.querySelectorAll('#editID img, #editID b').length")
                 .toInt(),
             0);
    QVERIFY(pageScript(m_frm->webMultiData->page(), "document.getElementById('editID').innerText")
                .toString()
                .contains(title));
    QVERIFY(m_frm->currID().isEmpty());
    m_frm->cmd_addData[1]->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("当前没有选择数据！"));
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页_news").rows.size(), 1);
}

void TestInsDataFrm::folderPutsTheLastPageAway_data() {
    QTest::addColumn<QString>("node");
    QTest::addColumn<QStringList>("record");
    QTest::newRow("picture-text page") << "页_imgTxt01" << QStringList{"标题", "正文", "", ""};
    QTest::newRow("big picture page") << "页_bigImg" << QStringList{""};
    QTest::newRow("news list") << "页_news" << QStringList{"新闻一", "2026-05-01"};
    QTest::newRow("free page") << "页_adv" << QStringList{"<p>自由页</p>"};
}

void TestInsDataFrm::folderPutsTheLastPageAway() {
    QFETCH(QString, node);
    QFETCH(QStringList, record);
    addRecord("content01", "firstCatalog", node, record);
    open();
    pick(node);
    QVERIFY(m_ui->messages.isEmpty());
    pick("栏目");
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(m_frm->statusText(2), QStringLiteral("显示格式：（该栏目是父节点）"));
    // Nothing of the last page is left to act on: no box, no picture button, no record
    // button, no save.
    QVERIFY(m_frm->webBer->isVisible());
    for (QWidget* page :
         {static_cast<QWidget*>(m_frm->pic_edit), static_cast<QWidget*>(m_frm->webMultiData),
          static_cast<QWidget*>(m_frm->advEditer)})
        QVERIFY2(!page->isVisible() && !page->isEnabled(), qPrintable(page->objectName()));
    QVERIFY(m_frm->txt_title->text().isEmpty());
    QVERIFY(m_frm->txt_content->toPlainText().isEmpty());
    for (QPushButton* b : m_frm->cmd_addData)
        QVERIFY(!b->isEnabled());
    QVERIFY(!m_frm->cmd_ok->isEnabled());
    // A picture cannot be chosen for the page that is not shown.
    const QString chosen = picture(m_outside->path(), "stray.jpg", 40, 30);
    m_ui->files.enqueue(chosen);
    m_frm->cmd_img_Click(0);
    QVERIFY(!QFile::exists(workspace::currImgPath() + "stray.jpg"));
    QVERIFY(m_frm->txt_img[0]->text().isEmpty());
    QVERIFY(!mdl_ins::dataChanged);

    // The file's page comes back whole when it is picked again.
    pick(node);
    QVERIFY(m_frm->webMultiData->isEnabled() && m_frm->pic_edit->isEnabled() &&
            m_frm->advEditer->isEnabled());
    QVERIFY(!m_frm->webBer->isVisible());
}

QTEST_MAIN(TestInsDataFrm)
#include "tst_insdatafrm.moc"
