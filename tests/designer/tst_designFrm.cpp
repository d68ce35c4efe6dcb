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
#include <QSignalSpy>
#include <QWebEngineView>

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
    void leftClickOnAFileShowsItsPreview();
    void fileWithoutAFormatOpensTheFormatDialog();
    void addFolderBelowTheRoot();
    void addProductFileBelowALevel2Folder();
    void changeFormatEmptiesTheRecords();
    void changeFormatOfTheRootIsRefused();

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
    QVERIFY(QTest::qWaitForWindowExposed(m_frm));
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
    verifyLastMessage(*m_ui, QStringLiteral("确实要删除“公司简介”项吗？"), QStringLiteral("警告"),
                      QMessageBox::Question);
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
    QVERIFY(node(m_frm->tvw_nav, "新闻"));
    QVERIFY(mdl_nov::existNode("新闻"));
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content01"), 2);
}

void TestDesignFrm::deleteFailureKeepsTheNode() {
    clickNode(m_frm->tvw_nav, "手机", Qt::LeftButton);
    QVERIFY(sitedb::exec("DROP TABLE content03"));
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_delNode"), Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 2);
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
    QTest::qWait(50);
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(node(m_frm->tvw_nav, "新闻"));
    QVERIFY(mdl_nov::existNode("新闻"));
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

void TestDesignFrm::fileWithoutAFormatOpensTheFormatDialog() {
    clickNode(m_frm->tvw_nav, "联系我们", Qt::LeftButton);
    QTRY_VERIFY(m_frm->modelessModFile());
    dgnFrm_modFile* dlg = m_frm->modelessModFile();
    QVERIFY(dlg->isVisible());
    QVERIFY(!dlg->isModal());
    QVERIFY(!m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    // Its OK acts on the file current at that moment.
    dlg->disModelObj_click(1);
    QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
    QTRY_VERIFY(!m_frm->modelessModFile());
    QCOMPARE(mdl_nov::getAspFileName(mdl_nov::Level::First, "联系我们").value,
             QStringLiteral("news"));
    QCOMPARE(m_frm->currModel, QStringLiteral("news"));
    QVERIFY(m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
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

void TestDesignFrm::changeFormatEmptiesTheRecords() {
    clickNode(m_frm->tvw_nav, "新闻", Qt::LeftButton);
    QTRY_VERIFY(m_frm->findChild<QPushButton*>("cmd_mod")->isEnabled());
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    bool ran = false;
    onModal<dgnFrm_modFile>([&](dgnFrm_modFile* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("修改显示模式"));
        QVERIFY(!dlg->chk_prod->isChecked());
        QVERIFY(!dlg->findChild<QLineEdit*>("txt_Name"));
        QTest::mouseClick(dlg->disModelObj[6]->opt, Qt::LeftButton);
        QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
        QCOMPARE(m_frm->statusText(), mdl_dgnFrm::findFormat("imgs")->description);
        ran = true;
    });
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_mod"), Qt::LeftButton);
    QVERIFY(ran);
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(mdl_nov::getAspFileName(mdl_nov::Level::First, "新闻").value, QStringLiteral("imgs"));
    QCOMPARE(m_frm->currModel, QStringLiteral("imgs"));
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content01 WHERE value01='' AND field03=''"), 2);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content03 WHERE value01='v1'"), 1);
    QCOMPARE(changed.count(), 1);

    // A product file opens the dialog on the product formats.
    clickNode(m_frm->tvw_nav, "手机", Qt::LeftButton);
    QTRY_COMPARE(m_frm->currModel, QStringLiteral("prod01"));
    ran = false;
    onModal<dgnFrm_modFile>([&](dgnFrm_modFile* dlg) {
        QVERIFY(dlg->chk_prod->isChecked());
        QCOMPARE(dlg->disModelObj.size(), 3);
        QVERIFY(dlg->disModelObj[0]->selected());
        QTest::mouseClick(dlg->cmd_cnl, Qt::LeftButton);
        ran = true;
    });
    QTest::mouseClick(m_frm->findChild<QPushButton*>("cmd_mod"), Qt::LeftButton);
    QVERIFY(ran);
    QCOMPARE(countRows("SELECT COUNT(*) AS n FROM content03 WHERE value01='v1'"), 1);
}

void TestDesignFrm::changeFormatOfTheRootIsRefused() {
    // A left click on the root opens the format dialog without modality.
    clickNode(m_frm->tvw_nav, "奥凡科技", Qt::LeftButton);
    QTRY_VERIFY(m_frm->modelessModFile());
    dgnFrm_modFile* dlg = m_frm->modelessModFile();
    QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                      QMessageBox::Critical);
    QVERIFY(dlg->isVisible());
    // So is a folder made current meanwhile.
    clickNode(m_frm->tvw_nav, "公司简介", Qt::LeftButton);
    QTest::mouseClick(dlg->cmd_cfm, Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 2);
    QCOMPARE(m_ui->last().text, QStringLiteral("没有在左边选择栏目！"));
    QVERIFY(sitedb::query("SELECT aspFileName FROM firstCatalog WHERE firstCatalog='公司简介'")
                .first()
                .text("aspFileName")
                .isEmpty());
    dlg->close();
}

QTEST_MAIN(TestDesignFrm)
#include "tst_designFrm.moc"
