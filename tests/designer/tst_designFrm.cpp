#include "app/MDIFrm.h"
#include "designer/designFrm.h"
#include "designer/dgnFrm_addCat.h"
#include "designer/dgnFrm_addFile.h"
#include "designer/dgnFrm_modFile.h"
#include "designer/disModel.h"
#include "designer/mdl_dgnFrm.h"
#include "designerDriver.h"
#include "fixture.h"
#include "scriptedUi.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSignalSpy>
#include <QWebEngineView>

using mdl_nov::Level;

class TestDesignFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void loadShowsTheTreeWithTheRootCurrent();
    void activationShowsTheWelcomePage();
    void contextMenuFollowsTheNode_data();
    void contextMenuFollowsTheNode();
    void hintsFollowTheMouse();
    void refusals_data();
    void refusals();
    void deleteAsksThenRemovesTheBranch();
    void deleteCancelledKeepsEverything();
    void deleteFailureKeepsTheNode();
    void moveSwapsWithTheNeighbour_data();
    void moveSwapsWithTheNeighbour();
    void moveWithAMissingRowIsRefused();
    void failingStatementsAreReported_data();
    void failingStatementsAreReported();
    void renameInPlace_data();
    void renameInPlace();
    void renameEscapeChangesNothing();
    void renameStoresWhatIsShown_data();
    void renameStoresWhatIsShown();
    void keyboardMovesActOnTheHighlightedNode_data();
    void keyboardMovesActOnTheHighlightedNode();
    void longNamesCanBeReadWhole();
    void leftClickOnAFileShowsItsPreview();
    void clicksBesideAFileOpenNothing_data();
    void clicksBesideAFileOpenNothing();
    void fileWithoutAFormatOpensTheFormatDialog();
    void addFolderBelowTheRoot();
    void addProductFileBelowALevel2Folder();
    void changeFormatAsksBeforeEmptying_data();
    void changeFormatAsksBeforeEmptying();
    void comingBackShowsTheWelcomeWithNothingToChange();

private:
    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    designFrm* m_frm = nullptr;
};

void TestDesignFrm::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    buildSampleSite();
    m_ui = new ScriptedUi;
    m_frm = new designFrm;
    m_frm->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frm, 30000));
}

void TestDesignFrm::cleanup() {
    delete m_frm;
    m_frm = nullptr;
    delete m_ui;
    m_ui = nullptr;
    delete m_install;
    m_install = nullptr;
}

void TestDesignFrm::loadShowsTheTreeWithTheRootCurrent() {
    QTreeWidget* tree = m_frm->findChild<QTreeWidget*>("tvw_nav");
    QVERIFY(tree);
    QCOMPARE(m_frm->windowTitle(), QStringLiteral("设计栏目"));
    QTreeWidgetItem* root = catalogTree::root(tree);
    QCOMPARE(root->text(0), QStringLiteral("奥凡科技"));
    QCOMPARE(m_frm->mNode, root);
    QCOMPARE(root->childCount(), 3);
    QVERIFY(!m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    QVERIFY(m_ui->messages.isEmpty());
}

void TestDesignFrm::activationShowsTheWelcomePage() {
    auto* browser = m_frm->findChild<QWebEngineView*>("wb_format");
    QTRY_VERIFY_WITH_TIMEOUT(browser->url().toString().endsWith("tmplImg/welcome01.htm"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(browser->title(), QStringLiteral("设计栏目"), 20000);
}

void TestDesignFrm::contextMenuFollowsTheNode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("addCat");
    QTest::addColumn<bool>("addFile");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("down");
    QTest::newRow("root") << "奥凡科技" << true << true << false << false;
    QTest::newRow("level-1 folder, first") << "公司简介" << true << true << false << true;
    QTest::newRow("level-1 file, middle") << "新闻" << false << false << true << true;
    QTest::newRow("level-1 file, last") << "联系我们" << false << false << true << false;
    QTest::newRow("level-2 folder, first") << "产品中心" << false << true << false << true;
    QTest::newRow("level-2 file, last") << "企业文化" << false << false << true << false;
    QTest::newRow("level-3 file, first") << "手机" << false << false << false << true;
    QTest::newRow("level-3 file, last") << "电脑" << false << false << true << false;
}

void TestDesignFrm::contextMenuFollowsTheNode() {
    QFETCH(QString, text);
    QFETCH(bool, addCat);
    QFETCH(bool, addFile);
    QFETCH(bool, up);
    QFETCH(bool, down);
    QTreeWidget* tree = m_frm->tvw_nav;
    QMenu* menu = m_frm->findChild<QMenu*>("ppMnu");
    clickNode(tree, text, Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(m_frm->mNode->text(0), text);
    const auto enabled = [&](const char* name) {
        QAction* a = m_frm->findChild<QAction*>(QLatin1String(name));
        return a && a->isEnabled();
    };
    QCOMPARE(enabled("ppMnu_addCat"), addCat);
    QCOMPARE(enabled("ppMnu_addFile"), addFile);
    QVERIFY(enabled("ppMnu_del"));
    QVERIFY(enabled("ppMnu_ren"));
    QVERIFY(enabled("ppMnu_refresh"));
    QCOMPARE(enabled("ppMnu_moveUp"), up);
    QCOMPARE(enabled("ppMnu_moveDown"), down);
    // The buttons follow the menu.
    QCOMPARE(m_frm->findChild<QPushButton*>("cmd_addCat")->isEnabled(), addCat);
    QCOMPARE(m_frm->findChild<QPushButton*>("cmd_addFile")->isEnabled(), addFile);
    QCOMPARE(m_frm->findChild<QPushButton*>("cmd_up")->isEnabled(), up);
    QCOMPARE(m_frm->findChild<QPushButton*>("cmd_down")->isEnabled(), down);
    QVERIFY(m_frm->findChild<QPushButton*>("cmd_delNode")->isEnabled());
    QVERIFY(m_frm->findChild<QPushButton*>("cmd_ren")->isEnabled());
    menu->hide();
    // A button that is withheld adds nothing, even when its handler is reached.
    const qint64 rows = countRows("SELECT (SELECT COUNT(*) FROM firstCatalog) + "
                                  "(SELECT COUNT(*) FROM secondCatalog) + "
                                  "(SELECT COUNT(*) FROM thirdCatalog) AS n");
    if (!addCat) {
        m_frm->ppMnu_addCat_Click();
        QVERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(countRows("SELECT (SELECT COUNT(*) FROM firstCatalog) + "
                       "(SELECT COUNT(*) FROM secondCatalog) + "
                       "(SELECT COUNT(*) FROM thirdCatalog) AS n"),
             rows);
    QVERIFY(m_ui->messages.isEmpty());
}

void TestDesignFrm::hintsFollowTheMouse() {
    const QList<QPair<const char*, QString>> hints{
        {"cmd_addCat", QStringLiteral("在当前目录下添加子目录")},
        {"cmd_addFile", QStringLiteral("在当前目录下添加子文件")},
        {"cmd_delNode", QStringLiteral("删除当前选中的节点")},
        {"cmd_ren", QStringLiteral("重命名当前选中节点的名称")},
        {"cmd_refresh", QStringLiteral("刷新")},
        {"cmd_up", QStringLiteral("将当前选中节点顺序的上移一位")},
        {"cmd_down", QStringLiteral("将当前选中节点的顺序下移一位")},
        {"cmd_mod", QStringLiteral("修改当前选中节点的显示格式")},
    };
    for (const auto& [name, hint] : hints) {
        QWidget* w = m_frm->findChild<QWidget*>(QLatin1String(name));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w, &enter);
        QCOMPARE(m_frm->statusText(), hint);
    }
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(m_frm->findChild<QWidget*>("Frame_nav"), &enter);
    QCOMPARE(m_frm->statusText(), QString());
}

void TestDesignFrm::refusals_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("delete the root") << "del"
                                     << "不能够删除根目录!"
                                     << "警告" << QMessageBox::Warning;
    QTest::newRow("move the root up") << "up"
                                      << "不能够移动根目录！"
                                      << "警告" << QMessageBox::Warning;
    QTest::newRow("move the root down") << "down"
                                        << "不能够移动根目录！"
                                        << "警告" << QMessageBox::Warning;
}

void TestDesignFrm::refusals() {
    QFETCH(QString, command);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, icon);
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    QCOMPARE(m_frm->mNode, catalogTree::root(m_frm->tvw_nav));
    if (command == u"del")
        QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_delNode"), Qt::LeftButton);
    else if (command == u"up")
        m_frm->ppMnu_moveUp_Click();
    else
        m_frm->ppMnu_moveDown_Click();
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, text, title, icon);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(catalogTree::allItems(m_frm->tvw_nav).size(), 8);
}

void TestDesignFrm::deleteAsksThenRemovesTheBranch() {
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    clickNode(m_frm->tvw_nav, "公司简介", Qt::LeftButton);
    m_ui->answers.enqueue(QMessageBox::Ok);
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_delNode"), Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui,
                      QStringLiteral("确实要删除“公司简介”项吗？\n"
                                     "将同时删除：1 个目录、3 个文件、2 条数据。"),
                      QStringLiteral("警告"), QMessageBox::Question);
    QCOMPARE(m_ui->last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    // The branch is gone from the tree and the tables, records included.
    QCOMPARE(catalogTree::allItems(m_frm->tvw_nav).size(), 3);
    QCOMPARE(m_frm->mNode, catalogTree::root(m_frm->tvw_nav));
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM secondCatalog"), 0);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM thirdCatalog"), 0);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content02"), 0);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content03"), 0);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content01"), 2);
    QCOMPARE(changed.count(), 1);
}

void TestDesignFrm::deleteCancelledKeepsEverything() {
    clickNode(m_frm->tvw_nav, "新闻", Qt::LeftButton);
    m_ui->answers.enqueue(QMessageBox::Cancel);
    m_frm->findChild<QAction*>("ppMnu_del")->trigger();
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->lastText(), QStringLiteral("确实要删除“新闻”项吗？\n将同时删除：2 条数据。"));
    QVERIFY(node(m_frm->tvw_nav, "新闻"));
    QVERIFY(mdl_nov::existNode("新闻"));
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content01"), 2);
    // A page without records is asked about in the plain words.
    clickNode(m_frm->tvw_nav, "联系我们", Qt::LeftButton);
    m_frm->modelessModFile()->close();
    m_ui->answers.enqueue(QMessageBox::Cancel);
    m_frm->ppMnu_del_Click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("确实要删除“联系我们”项吗？"));
}

void TestDesignFrm::deleteFailureKeepsTheNode() {
    clickNode(m_frm->tvw_nav, "手机", Qt::LeftButton);
    QVERIFY(sitedb::exec("DROP TABLE content03"));
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_delNode"), Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    QVERIFY(m_ui->last().text.contains("content03"));
    QCOMPARE(m_ui->last().title, QStringLiteral("提示"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    QVERIFY(node(m_frm->tvw_nav, "手机"));
    QVERIFY(mdl_nov::existNode("手机"));
}

void TestDesignFrm::moveSwapsWithTheNeighbour_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("order"); // the siblings afterwards
    QTest::newRow("level 1 up") << "新闻" << true << QStringList{"新闻", "公司简介", "联系我们"};
    QTest::newRow("level 1 down") << "新闻" << false << QStringList{"公司简介", "联系我们", "新闻"};
    QTest::newRow("level 2 down") << "产品中心" << false << QStringList{"企业文化", "产品中心"};
    QTest::newRow("level 3 up") << "电脑" << true << QStringList{"电脑", "手机"};
    // Nothing is written when there is no neighbour.
    QTest::newRow("first stays first")
        << "公司简介" << true << QStringList{"公司简介", "新闻", "联系我们"};
}

void TestDesignFrm::moveSwapsWithTheNeighbour() {
    QFETCH(QString, text);
    QFETCH(bool, up);
    QFETCH(QStringList, order);
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    clickNode(m_frm->tvw_nav, text, Qt::LeftButton);
    QTRY_COMPARE(m_frm->mNode->text(0), text);
    const QString parent = m_frm->mNode->parent()->text(0);
    if (up)
        m_frm->ppMnu_moveUp_Click();
    else
        m_frm->ppMnu_moveDown_Click();
    QVERIFY(m_ui->messages.isEmpty());
    QTreeWidgetItem* p = node(m_frm->tvw_nav, parent);
    QStringList now;
    for (int i = 0; i < p->childCount(); ++i)
        now << p->child(i)->text(0);
    QCOMPARE(now, order);
    const bool moved = order.first() != u"公司简介" || text != u"公司简介";
    QCOMPARE(changed.count(), moved ? 1 : 0);
    if (moved) {
        // Rebuilt from the tables, collapsed below the root, the root current.
        QCOMPARE(m_frm->mNode, catalogTree::root(m_frm->tvw_nav));
        QVERIFY(!node(m_frm->tvw_nav, "公司简介")->isExpanded());
    }
}

void TestDesignFrm::moveWithAMissingRowIsRefused() {
    clickNode(m_frm->tvw_nav, "联系我们", Qt::LeftButton);
    // The neighbour's row went away behind the tree's back.
    QVERIFY(sitedb::exec("DELETE FROM firstCatalog WHERE firstCatalog='新闻'"));
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_up"), Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, QStringLiteral("排序索引值出错，排序失败!"), QStringLiteral("提示"),
                      QMessageBox::Critical);
    QCOMPARE(mdl_nov::getOrderID(mdl_nov::Level::First, "联系我们").value, 3);
}

void TestDesignFrm::failingStatementsAreReported_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::newRow("move") << "BEFORE UPDATE ON firstCatalog"
                          << "新闻"
                          << "up"
                          << "改变排序失败！"
                          << "失败";
    QTest::newRow("rename") << "BEFORE UPDATE ON secondCatalog"
                            << "企业文化"
                            << "rename"
                            << "refused"
                            << "提示";
    QTest::newRow("click on a file") << ""
                                     << "企业文化"
                                     << "click"
                                     << "secondCatalog"
                                     << "提示";
}

void TestDesignFrm::failingStatementsAreReported() {
    QFETCH(QString, trigger);
    QFETCH(QString, node);
    QFETCH(QString, command);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    clickNode(m_frm->tvw_nav, node, Qt::LeftButton);
    // The click has been handled: the file's preview is shown.
    QTRY_VERIFY(m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    if (trigger.isEmpty())
        QVERIFY(sitedb::exec("ALTER TABLE secondCatalog RENAME TO secondCatalogGone"));
    else
        QVERIFY(sitedb::exec("CREATE TRIGGER refuse " + trigger +
                             " BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    if (command == u"up") {
        m_frm->ppMnu_moveUp_Click();
    } else if (command == u"click") {
        clickNode(m_frm->tvw_nav, node, Qt::LeftButton);
    } else {
        m_frm->ppMnu_ren_Click();
        QLineEdit* editor = nullptr;
        QTRY_VERIFY((editor = m_frm->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
        editor->setText(QStringLiteral("企业精神"));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QTRY_COMPARE(m_ui->messages.size(), 1);
    QVERIFY2(m_ui->last().text.contains(message), qPrintable(m_ui->last().text));
    QCOMPARE(m_ui->last().title, title);
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    QCOMPARE(changed.count(), 0);
    if (trigger.isEmpty())
        return;
    // The tree shows what the tables hold.
    QVERIFY(catalogTree::findByText(m_frm->tvw_nav, node));
    QVERIFY(mdl_nov::existNode(node));
    QCOMPARE(mdl_nov::getOrderID(mdl_nov::Level::First, "公司简介").value, 1);
}

void TestDesignFrm::renameInPlace_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("new name") << "产品中心"
                              << "It's “产品”"
                              << ""
                              << "" << QMessageBox::NoIcon;
    QTest::newRow("another node's name") << "产品中心"
                                         << "新闻"
                                         << "已存在重名，更改名称!"
                                         << "警告" << QMessageBox::Warning;
    QTest::newRow("its own name") << "新闻"
                                  << "新闻"
                                  << "已存在重名，更改名称!"
                                  << "警告" << QMessageBox::Warning;
    QTest::newRow("the site's name") << "手机"
                                     << "奥凡科技"
                                     << "已存在重名，更改名称!"
                                     << "警告" << QMessageBox::Warning;
    QTest::newRow("empty") << "企业文化"
                           << ""
                           << "重命名不能为空！"
                           << "提示" << QMessageBox::Information;
}

void TestDesignFrm::renameInPlace() {
    QFETCH(QString, text);
    QFETCH(QString, newText);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, icon);
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    clickNode(m_frm->tvw_nav, text, Qt::LeftButton);
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_ren"), Qt::LeftButton);
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = m_frm->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
    QCOMPARE(editor->text(), text);
    editor->setText(newText);
    QTest::keyClick(editor, Qt::Key_Return);

    if (message.isEmpty()) {
        QTRY_COMPARE(changed.count(), 1);
        QVERIFY(m_ui->messages.isEmpty());
        QVERIFY(node(m_frm->tvw_nav, newText));
        QVERIFY(!mdl_nov::existNode(text));
        QVERIFY(mdl_nov::existNode(newText));
        // The children follow their renamed parent.
        QCOMPARE(
            countRows("SELECT COUNT(*) AS n FROM thirdCatalog WHERE secondCatalog=?", {newText}),
            2);
        m_frm->ppMnu_refresh_Click();
        QVERIFY(node(m_frm->tvw_nav, "手机"));
        QCOMPARE(node(m_frm->tvw_nav, "手机")->parent()->text(0), newText);
        return;
    }
    QTRY_COMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, message, title, icon);
    QCOMPARE(changed.count(), 0);
    // The tree was rebuilt from the unchanged tables.
    QVERIFY(node(m_frm->tvw_nav, text));
    QVERIFY(mdl_nov::existNode(text));
    QCOMPARE(m_frm->mNode, catalogTree::root(m_frm->tvw_nav));
    QCOMPARE(catalogTree::allItems(m_frm->tvw_nav).size(), 8);
}

void TestDesignFrm::renameEscapeChangesNothing() {
    clickNode(m_frm->tvw_nav, "新闻", Qt::LeftButton);
    m_frm->findChild<QAction*>("ppMnu_ren")->trigger();
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = m_frm->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
    editor->setText(QStringLiteral("别的"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!editor->isVisible());
    // Whatever the end of the edit queued has run.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(node(m_frm->tvw_nav, "新闻"));
    QVERIFY(mdl_nov::existNode("新闻"));
}

void TestDesignFrm::renameStoresWhatIsShown_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // empty: refused as a duplicate
    QTest::newRow("blanks around") << "新闻" << "  要闻　" << "要闻";
    QTest::newRow("another name with a blank") << "新闻" << "联系我们 " << "";
    QTest::newRow("the root renames the site") << "奥凡科技" << "奥凡集团" << "奥凡集团";
}

void TestDesignFrm::renameStoresWhatIsShown() {
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    clickNode(m_frm->tvw_nav, text, Qt::LeftButton);
    if (auto* dlg = m_frm->modelessModFile())
        dlg->close();
    m_frm->ppMnu_ren_Click();
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = m_frm->tvw_nav->findChild<QLineEdit*>()) && editor->isVisible());
    editor->setText(typed);
    QTest::keyClick(editor, Qt::Key_Return);
    if (shown.isEmpty()) {
        QTRY_COMPARE(m_ui->lastText(), QStringLiteral("已存在重名，更改名称!"));
        QVERIFY(mdl_nov::existNode(text));
        return;
    }
    QTRY_VERIFY(node(m_frm->tvw_nav, shown));
    QVERIFY(m_ui->messages.isEmpty());
    // A reload shows the same: the name was stored as it is shown.
    m_frm->ppMnu_refresh_Click();
    QVERIFY(node(m_frm->tvw_nav, shown));
    QVERIFY(!node(m_frm->tvw_nav, text));
}

void TestDesignFrm::keyboardMovesActOnTheHighlightedNode_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("delete") << "del";
    QTest::newRow("move up") << "up";
    QTest::newRow("rename") << "ren";
}

void TestDesignFrm::keyboardMovesActOnTheHighlightedNode() {
    QFETCH(QString, command);
    QTreeWidget* tree = m_frm->tvw_nav;
    clickNode(tree, "公司简介", Qt::LeftButton);
    QTRY_COMPARE(m_frm->mNode->text(0), QStringLiteral("公司简介"));
    // Down from the collapsed folder lands on the page after it.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("新闻"));
    QCOMPARE(m_frm->mNode, tree->currentItem());
    // Its format is shown as a click would show it.
    QCOMPARE(m_frm->currModel, QStringLiteral("news"));
    QVERIFY(m_frm->cmd_mod->isEnabled());
    QVERIFY(m_frm->cmd_up->isEnabled());
    if (command == u"del") {
        m_ui->answers.enqueue(QMessageBox::Cancel);
        QTest::mouseClick(m_frm->cmd_delNode, Qt::LeftButton);
        QVERIFY(m_ui->lastText().startsWith(QStringLiteral("确实要删除“新闻”项吗？")));
    } else if (command == u"up") {
        QTest::mouseClick(m_frm->cmd_up, Qt::LeftButton);
        QCOMPARE(catalogTree::root(tree)->child(0)->text(0), QStringLiteral("新闻"));
    } else {
        QTest::mouseClick(m_frm->cmd_ren, Qt::LeftButton);
        QLineEdit* editor = nullptr;
        QTRY_VERIFY((editor = tree->findChild<QLineEdit*>()) && editor->isVisible());
        QCOMPARE(editor->text(), QStringLiteral("新闻"));
    }
}

void TestDesignFrm::longNamesCanBeReadWhole() {
    const QString name = QStringLiteral("本公司历年来获得的各级政府部门和行业协会颁发的荣誉证书与资质");
    QCOMPARE(mdl_nov::addNode(Level::None, {}, name, false, "txt").status,
             mdl_nov::AddResult::Added);
    m_frm->ppMnu_refresh_Click();
    QTreeWidgetItem* item = node(m_frm->tvw_nav, name);
    QCOMPARE(item->data(0, Qt::ToolTipRole).toString(), name);
    // The tree scrolls sideways to the end of the name, and its side can be widened.
    QCoreApplication::processEvents();
    QScrollBar* across = m_frm->tvw_nav->horizontalScrollBar();
    QVERIFY(across->maximum() > 0);
    const int narrow = m_frm->tvw_nav->width();
    m_frm->splitter->setSizes({narrow + 300, m_frm->width() - narrow - 300});
    QCoreApplication::processEvents();
    QVERIFY(m_frm->tvw_nav->width() > narrow + 200);
}

void TestDesignFrm::leftClickOnAFileShowsItsPreview() {
    auto* browser = m_frm->findChild<QWebEngineView*>("wb_format");
    clickNode(m_frm->tvw_nav, "电脑", Qt::LeftButton);
    QTRY_VERIFY(m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    QCOMPARE(m_frm->currModel, QStringLiteral("prod02"));
    QCOMPARE(m_frm->statusText(), QStringLiteral("该显示格式能够将产品以带图片表格的方式显示"));
    QTRY_VERIFY_WITH_TIMEOUT(browser->url().toString().endsWith("tmplImg/prod02.htm"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(browser->title(), QStringLiteral("产品图表格式"), 20000);
    // A click on a folder disables the format command again.
    clickNode(m_frm->tvw_nav, "产品中心", Qt::LeftButton);
    QTRY_VERIFY(!m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    QVERIFY(!m_frm->modelessModFile());
}

void TestDesignFrm::clicksBesideAFileOpenNothing_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("expand arrow of a folder") << "arrow";
    QTest::newRow("blank space") << "blank";
    QTest::newRow("the root") << "root";
}

void TestDesignFrm::clicksBesideAFileOpenNothing() {
    QFETCH(QString, where);
    QTreeWidget* tree = m_frm->tvw_nav;
    QPoint at;
    if (where == u"arrow") {
        const QRect row = tree->visualItemRect(node(tree, "公司简介"));
        at = QPoint(row.left() - tree->indentation() / 2, row.center().y());
    } else if (where == u"blank") {
        at = QPoint(10, tree->viewport()->height() - 5);
    } else {
        at = tree->visualItemRect(catalogTree::root(tree)).center();
    }
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(!m_frm->modelessModFile());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(node(tree, "公司简介")->isExpanded(), where == u"arrow");
}

void TestDesignFrm::fileWithoutAFormatOpensTheFormatDialog() {
    clickNode(m_frm->tvw_nav, "联系我们", Qt::LeftButton);
    QTRY_VERIFY(m_frm->modelessModFile());
    dgnFrm_modFile* dlg = m_frm->modelessModFile();
    QVERIFY(dlg->isVisible());
    QVERIFY(!dlg->isModal());
    QVERIFY(!m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    // Its OK acts on the file it was opened for, though another is current by then.
    clickNode(m_frm->tvw_nav, "新闻", Qt::LeftButton);
    QTRY_COMPARE(m_frm->currModel, QStringLiteral("news"));
    dlg->disModelObj_click(0);
    QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
    QTRY_VERIFY(!m_frm->modelessModFile());
    QCOMPARE(mdl_nov::getAspFileName(mdl_nov::Level::First, "联系我们").value,
             QStringLiteral("txt"));
    QCOMPARE(mdl_nov::getAspFileName(mdl_nov::Level::First, "新闻").value, QStringLiteral("news"));
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content01 WHERE value01='v1'"), 2);
    // The preview still shows the page that is current.
    QCOMPARE(m_frm->currModel, QStringLiteral("news"));
    QVERIFY(m_ui->messages.isEmpty());
}

void TestDesignFrm::addFolderBelowTheRoot() {
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    bool ran = false;
    onModal<dgnFrm_addCat>([&](dgnFrm_addCat* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("添加目录"));
        dlg->txt_Name->setText(QStringLiteral("O'Brien的\"目录\""));
        QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
        ran = true;
    });
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_addCat"), Qt::LeftButton);
    QVERIFY(ran);
    QVERIFY(m_ui->messages.isEmpty());
    QTreeWidgetItem* root = catalogTree::root(m_frm->tvw_nav);
    QTreeWidgetItem* added = root->child(root->childCount() - 1);
    QCOMPARE(added->text(0), QStringLiteral("O'Brien的\"目录\""));
    QCOMPARE(catalogTree::image(added), QStringLiteral("fclose"));
    QCOMPARE(catalogTree::tag(added), QVariant(true));
    QVERIFY(catalogTree::key(added).startsWith("fst_"));
    QCOMPARE(catalogTree::usedKeys(m_frm->tvw_nav).size(), 9);
    QVERIFY(root->isExpanded());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(mdl_nov::getOrderID(mdl_nov::Level::First, added->text(0)).value, 4);
    // After a reload it stands where it was added.
    m_frm->ppMnu_refresh_Click();
    root = catalogTree::root(m_frm->tvw_nav);
    QCOMPARE(root->child(3)->text(0), QStringLiteral("O'Brien的\"目录\""));
}

void TestDesignFrm::addProductFileBelowALevel2Folder() {
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    clickNode(m_frm->tvw_nav, "产品中心", Qt::LeftButton);
    QTRY_COMPARE(m_frm->mNode->text(0), QStringLiteral("产品中心"));
    bool ran = false;
    onModal<dgnFrm_addFile>([&](dgnFrm_addFile* dlg) {
        dlg->txt_Name->setText(QStringLiteral("平板电脑"));
        QTest::mouseClick(dlg->chk_prod, Qt::LeftButton);
        QCOMPARE(dlg->disModelObj.size(), 3);
        QTest::mouseClick(dlg->disModelObj[2]->img, Qt::LeftButton);
        QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
        ran = true;
    });
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_addFile"), Qt::LeftButton);
    QVERIFY(ran);
    QVERIFY(m_ui->messages.isEmpty());
    QTreeWidgetItem* parent = node(m_frm->tvw_nav, "产品中心");
    QCOMPARE(parent->childCount(), 3);
    QTreeWidgetItem* added = parent->child(2);
    QCOMPARE(added->text(0), QStringLiteral("平板电脑"));
    QCOMPARE(catalogTree::image(added), QStringLiteral("file"));
    QCOMPARE(catalogTree::tag(added), QVariant(false));
    QVERIFY(catalogTree::key(added).startsWith("thd_"));
    QVERIFY(parent->isExpanded());
    QCOMPARE(changed.count(), 1);
    const sitedb::Row row =
        sitedb::query("SELECT * FROM thirdCatalog WHERE thirdCatalog='平板电脑'").first();
    QCOMPARE(row.text("aspFileName"), QStringLiteral("prod03"));
    QCOMPARE(row.text("secondCatalog"), QStringLiteral("产品中心"));
    QCOMPARE(row.text("firstCatalog"), QStringLiteral("公司简介"));
    QCOMPARE(row.integer("orderID"), 3);
    QVERIFY(!row.flag("catalog"));
}

void TestDesignFrm::changeFormatAsksBeforeEmptying_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QMessageBox::StandardButton>("answer"); // NoButton: nothing is asked
    QTest::addColumn<QString>("stored");
    QTest::newRow("yes empties") << "新闻" << "news" << "imgs" << QMessageBox::Yes << "imgs";
    QTest::newRow("no keeps everything") << "新闻" << "news" << "imgs" << QMessageBox::No << "news";
    QTest::newRow("the same format writes nothing")
        << "新闻" << "news" << "news" << QMessageBox::NoButton << "news";
    QTest::newRow("a product page") << "手机" << "prod01" << "prod03" << QMessageBox::Yes << "prod03";
}

void TestDesignFrm::changeFormatAsksBeforeEmptying() {
    QFETCH(QString, page);
    QFETCH(QString, current);
    QFETCH(QString, chosen);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, stored);
    clickNode(m_frm->tvw_nav, page, Qt::LeftButton);
    QTRY_VERIFY(m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    const Level level = catalogTree::level(m_frm->mNode);
    const qint64 records = mdl_nov::countRecords(level, page).value;
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    if (answer != QMessageBox::NoButton)
        m_ui->answers.enqueue(answer);
    bool ran = false;
    onModal<dgnFrm_modFile>([&](dgnFrm_modFile* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("修改显示模式"));
        QVERIFY(!dlg->findChild<QLineEdit*>("txt_Name"));
        // The page's own format is the one picked to begin with.
        QCOMPARE(dlg->selectedModel(), current);
        QCOMPARE(dlg->chk_prod->isChecked(), current.startsWith("prod"));
        dlg->selectModel(chosen);
        QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
        // Kept open after No, to choose again or cancel.
        QCOMPARE(dlg->isVisible(), answer == QMessageBox::No);
        if (stored != current)
            QCOMPARE(m_frm->statusText(), mdl_dgnFrm::findFormat(stored)->description);
        dlg->reject();
        ran = true;
    });
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_mod"), Qt::LeftButton);
    QVERIFY(ran);
    if (answer == QMessageBox::NoButton) {
        QVERIFY(m_ui->messages.isEmpty());
    } else {
        QCOMPARE(m_ui->messages.size(), 1);
        verifyLastMessage(*m_ui,
                          QStringLiteral("更改“%1”的显示格式，将清空该页面已有的 %2 条数据的内容，"
                                         "是否继续？")
                              .arg(page)
                              .arg(records),
                          QStringLiteral("警告"), QMessageBox::Question);
    }
    QCOMPARE(mdl_nov::getAspFileName(level, page).value, stored);
    const bool emptied = stored != current;
    QCOMPARE(changed.count(), emptied ? 1 : 0);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM " + mdl_nov::contentTable(level) + " WHERE " +
                           mdl_nov::catalogTable(level) + "=? AND value01='v1' AND field03='f3'",
                       {page}),
             emptied ? 0 : records);
    QCOMPARE(m_frm->currModel, stored);
}

void TestDesignFrm::comingBackShowsTheWelcomeWithNothingToChange() {
    delete m_frm;
    m_frm = nullptr;
    sitedb::close();
    MDIFrm frame;
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frame.load(nullptr, m_install->currentPath()));
    auto* designer = qobject_cast<designFrm*>(frame.workWindow("designFrm"));
    clickNode(designer->tvw_nav, "电脑", Qt::LeftButton);
    QTRY_VERIFY(designer->cmd_mod->isEnabled());
    // A dialog that opens and closes is not a coming back.
    onModal<dgnFrm_modFile>([](dgnFrm_modFile* dlg) { dlg->reject(); });
    QTest::mouseClick(designer->cmd_mod, Qt::LeftButton);
    QVERIFY(designer->cmd_mod->isEnabled());
    QVERIFY(!designer->statusText().isEmpty());
    frame.showWorkWindow("insDataFrm");
    frame.showWorkWindow("designFrm");
    QVERIFY(!designer->cmd_mod->isEnabled());
    QCOMPARE(designer->statusText(), QString());
    auto* browser = designer->findChild<QWebEngineView*>("wb_format");
    QTRY_VERIFY_WITH_TIMEOUT(browser->url().toString().endsWith("tmplImg/welcome01.htm"), 20000);
}

QTEST_MAIN(TestDesignFrm)
#include "tst_designFrm.moc"
