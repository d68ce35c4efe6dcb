#include "designer/catalogTree.h"
#include "designerDriver.h"
#include "fixture.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QTest>
#include <QTreeWidget>

using mdl_nov::Level;

class TestCatalogTree : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void emptyCatalogShowsTheSiteAlone();
    void keysTagsImagesAndIndexes_data();
    void keysTagsImagesAndIndexes();
    void onlyTheRootIsExpanded();
    void reloadNumbersAfresh();
    void fillingACleanedTreeCountsFromOne();
    void failedLoadKeepsWhatWasRead();

private:
    TempInstall* m_install = nullptr;
};

void TestCatalogTree::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    QVERIFY(sitedb::setUserInfo("webName", QStringLiteral("奥凡科技")));
}

void TestCatalogTree::cleanup() {
    delete m_install;
    m_install = nullptr;
}

static void sample() {
    // 甲 (folder) > 甲一 (folder) > 甲一a (file); 甲 > 甲二 (file); 乙 (file)
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "甲", true).status, mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "乙", false, "txt").status,
             mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::First, "甲", "甲一", true).status, mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::First, "甲", "甲二", false, "news").status,
             mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::Second, "甲一", "甲一a", false, "imgs").status,
             mdl_nov::AddResult::Added);
}

void TestCatalogTree::emptyCatalogShowsTheSiteAlone() {
    QTreeWidget tree;
    QVERIFY(catalogTree::loadTree(&tree));
    QCOMPARE(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = catalogTree::root(&tree);
    QCOMPARE(root->text(0), QStringLiteral("奥凡科技"));
    QCOMPARE(catalogTree::key(root), QStringLiteral("root"));
    QCOMPARE(catalogTree::image(root), QStringLiteral("fclose"));
    QVERIFY(!catalogTree::tag(root).isValid());
    QCOMPARE(catalogTree::index(root), 1);
    QVERIFY(root->isExpanded());
    QCOMPARE(root->childCount(), 0);
}

void TestCatalogTree::keysTagsImagesAndIndexes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("parent");
    // Indexes follow the order of insertion: each level-1 node, then its branch.
    QTest::newRow("level-1 folder") << "甲"
                                    << "fst_1" << true << 2 << "奥凡科技";
    QTest::newRow("level-2 folder") << "甲一"
                                    << "snd_2_1" << true << 3 << "甲";
    QTest::newRow("level-3 file") << "甲一a"
                                  << "thd_3_1" << false << 4 << "甲一";
    QTest::newRow("level-2 file") << "甲二"
                                  << "snd_2_2" << false << 5 << "甲";
    QTest::newRow("level-1 file") << "乙"
                                  << "fst_2" << false << 6 << "奥凡科技";
}

void TestCatalogTree::keysTagsImagesAndIndexes() {
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(bool, folder);
    QFETCH(int, index);
    QFETCH(QString, parent);
    sample();
    QTreeWidget tree;
    QVERIFY(catalogTree::loadTree(&tree));
    QTreeWidgetItem* item = catalogTree::findByText(&tree, text);
    QVERIFY(item);
    QCOMPARE(catalogTree::key(item), key);
    QCOMPARE(catalogTree::tag(item), QVariant(folder));
    QCOMPARE(catalogTree::image(item), folder ? QStringLiteral("fclose") : QStringLiteral("file"));
    QCOMPARE(catalogTree::index(item), index);
    QCOMPARE(item->parent()->text(0), parent);
    QCOMPARE(catalogTree::findByKey(&tree, key), item);
}

void TestCatalogTree::onlyTheRootIsExpanded() {
    sample();
    QTreeWidget tree;
    QVERIFY(catalogTree::loadTree(&tree));
    for (QTreeWidgetItem* item : catalogTree::allItems(&tree))
        QCOMPARE(item->isExpanded(), item == catalogTree::root(&tree));
    QCOMPARE(catalogTree::allItems(&tree).size(), 6);
}

void TestCatalogTree::reloadNumbersAfresh() {
    sample();
    QTreeWidget tree;
    QVERIFY(catalogTree::loadTree(&tree));
    QVERIFY(mdl_nov::swapOrderID(Level::First, "甲", "乙", 1, 2));
    QVERIFY(catalogTree::loadTree(&tree));
    QCOMPARE(catalogTree::allItems(&tree).size(), 6);
    QTreeWidgetItem* first = catalogTree::findByText(&tree, "乙");
    QCOMPARE(catalogTree::key(first), QStringLiteral("fst_1"));
    QCOMPARE(catalogTree::index(first), 2);
    // The level-2 keys embed the parent's new Index.
    QCOMPARE(catalogTree::key(catalogTree::findByText(&tree, "甲二")), QStringLiteral("snd_3_2"));
    QCOMPARE(catalogTree::previousSibling(catalogTree::findByText(&tree, "甲")), first);
    QCOMPARE(catalogTree::nextSibling(catalogTree::findByText(&tree, "甲")), nullptr);
}

void TestCatalogTree::fillingACleanedTreeCountsFromOne() {
    sample();
    QTreeWidget tree;
    catalogTree::fill(&tree, mdl_nov::loadCatalog());
    tree.clear();
    catalogTree::fill(&tree, mdl_nov::loadCatalog());
    QCOMPARE(catalogTree::index(catalogTree::root(&tree)), 1);
    QCOMPARE(catalogTree::key(catalogTree::findByText(&tree, "甲二")), QStringLiteral("snd_2_2"));
}

void TestCatalogTree::failedLoadKeepsWhatWasRead() {
    sample();
    QVERIFY(sitedb::exec("DROP TABLE thirdCatalog"));
    ScriptedUi ui;
    QTreeWidget tree;
    QVERIFY(!catalogTree::loadTree(&tree));
    QCOMPARE(ui.messages.size(), 1);
    verifyLastMessage(ui, QStringLiteral("不期望的错误！errNo:mdl_nov"), QStringLiteral("提示"),
                      QMessageBox::Critical);
    QVERIFY(catalogTree::findByText(&tree, "甲"));
    QVERIFY(catalogTree::findByText(&tree, "甲一"));
}

QTEST_MAIN(TestCatalogTree)
#include "tst_catalogTree.moc"
