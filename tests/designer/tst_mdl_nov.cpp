#include "designer/mdl_nov.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QTest>

using mdl_nov::AddResult;
using mdl_nov::Level;

Q_DECLARE_METATYPE(mdl_nov::Level)
Q_DECLARE_METATYPE(mdl_nov::AddResult::Status)
Q_DECLARE_METATYPE(mdl_nov::NameCheck)

namespace {

qint64 count(const QString& sql, const QVariantList& args = {}) {
    return sitedb::query(sql, args).first().integer(QStringLiteral("n"));
}

QStringList names(const QList<mdl_nov::CatalogNode>& nodes) {
    QStringList out;
    for (const auto& n : nodes)
        out << n.name;
    return out;
}

void addRecord(const QString& table, const QString& owner, const QString& name) {
    QVERIFY(sitedb::exec(QStringLiteral("INSERT INTO ") + table + QStringLiteral("(") + owner +
                             QStringLiteral(", value01, field01) VALUES(?, 't', 'f')"),
                         {name}));
}

// The sample site:
//   奥凡科技
//   ├ 公司简介 (folder)        ├ 企业文化 (file, txt)   └ 产品中心 (folder)  ├ 手机 (prod01)
//   │                                                                      └ 电脑 (prod02)
//   ├ 新闻 (file, news)
//   └ 联系我们 (file, txt)
void buildSample() {
    QVERIFY(sitedb::setUserInfo(QStringLiteral("webName"), QStringLiteral("奥凡科技")));
    const auto add = [](Level parent, const QString& parentName, const QString& name, bool folder,
                        const QString& format) {
        const AddResult r = mdl_nov::addNode(parent, parentName, name, folder, format);
        QCOMPARE(r.status, AddResult::Added);
    };
    add(Level::None, {}, QStringLiteral("公司简介"), true, {});
    add(Level::First, QStringLiteral("公司简介"), QStringLiteral("企业文化"), false, "txt");
    add(Level::First, QStringLiteral("公司简介"), QStringLiteral("产品中心"), true, {});
    add(Level::Second, QStringLiteral("产品中心"), QStringLiteral("手机"), false, "prod01");
    add(Level::Second, QStringLiteral("产品中心"), QStringLiteral("电脑"), false, "prod02");
    add(Level::None, {}, QStringLiteral("新闻"), false, "news");
    add(Level::None, {}, QStringLiteral("联系我们"), false, "txt");
    addRecord("content01", "firstCatalog", QStringLiteral("新闻"));
    addRecord("content01", "firstCatalog", QStringLiteral("新闻"));
    addRecord("content01", "firstCatalog", QStringLiteral("联系我们"));
    addRecord("content02", "secondCatalog", QStringLiteral("企业文化"));
    addRecord("content03", "thirdCatalog", QStringLiteral("手机"));
    addRecord("content03", "thirdCatalog", QStringLiteral("手机"));
    addRecord("content03", "thirdCatalog", QStringLiteral("电脑"));
}

} // namespace

class TestMdlNov : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void emptyCatalogIsRootAlone();
    void loadReadsThreeLevelsInOrder();
    void keysTellTheLevel_data();
    void keysTellTheLevel();
    void addBelowEachLevel_data();
    void addBelowEachLevel();
    void newNodesAreAppendedLast();
    void orderNumbers_data();
    void orderNumbers();
    void swapExchangesTwoOrders();
    void deleteRemovesTheWholeBranch_data();
    void deleteRemovesTheWholeBranch();
    void renameCarriesTheNameDown_data();
    void renameCarriesTheNameDown();
    void nameRules_data();
    void nameRules();
    void formatChangeEmptiesOnlyThatFilesRecords_data();
    void formatChangeEmptiesOnlyThatFilesRecords();
    void formatChangeRefusesRootAndFolders_data();
    void formatChangeRefusesRootAndFolders();
    void formatOfANode_data();
    void formatOfANode();
    void newKeysAreNeverInUse();
    void changesAreAllOrNothing_data();
    void changesAreAllOrNothing();

private:
    TempInstall* m_install = nullptr;
};

void TestMdlNov::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
}

void TestMdlNov::cleanup() {
    delete m_install;
    m_install = nullptr;
}

void TestMdlNov::emptyCatalogIsRootAlone() {
    QVERIFY(sitedb::setUserInfo(QStringLiteral("webName"), QStringLiteral("奥凡科技")));
    const mdl_nov::Catalog cat = mdl_nov::loadCatalog();
    QVERIFY(cat.ok);
    QCOMPARE(cat.siteName, QStringLiteral("奥凡科技"));
    QVERIFY(cat.nodes.isEmpty());
    QCOMPARE(mdl_nov::getMaxOrder(Level::None, {}).value, 0);
}

void TestMdlNov::loadReadsThreeLevelsInOrder() {
    // Rows written out of order, with one tie that keeps the order of insertion.
    const QString first =
        QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID) VALUES(?,?,?)");
    QVERIFY(sitedb::exec(first, {QStringLiteral("丙"), 0, 3}));
    QVERIFY(sitedb::exec(first, {QStringLiteral("甲"), 1, 1}));
    QVERIFY(sitedb::exec(first, {QStringLiteral("乙"), 0, 2}));
    QVERIFY(sitedb::exec(first, {QStringLiteral("乙2"), 0, 2}));
    const QString second = QStringLiteral("INSERT INTO secondCatalog(firstCatalog,secondCatalog,"
                                          "[catalog],orderID) VALUES(?,?,?,?)");
    QVERIFY(sitedb::exec(second, {QStringLiteral("甲"), QStringLiteral("b"), 0, 2}));
    QVERIFY(sitedb::exec(second, {QStringLiteral("甲"), QStringLiteral("a"), 1, 1}));
    const QString third = QStringLiteral("INSERT INTO thirdCatalog(firstCatalog,secondCatalog,"
                                         "thirdCatalog,[catalog],orderID,aspFileName) "
                                         "VALUES(?,?,?,?,?,?)");
    QVERIFY(sitedb::exec(third, {QStringLiteral("甲"), "a", "a2", 0, 9, "news"}));
    QVERIFY(sitedb::exec(third, {QStringLiteral("甲"), "a", "a1", QVariant(), 4, "txt"}));

    const mdl_nov::Catalog cat = mdl_nov::loadCatalog();
    QVERIFY(cat.ok);
    QCOMPARE(names(cat.nodes), (QStringList{"甲", "乙", "乙2", "丙"}));
    QVERIFY(cat.nodes[0].folder);
    QVERIFY(!cat.nodes[1].folder);
    QCOMPARE(names(cat.nodes[0].children), (QStringList{"a", "b"}));
    QCOMPARE(names(cat.nodes[0].children[0].children), (QStringList{"a1", "a2"}));
    const mdl_nov::CatalogNode& a1 = cat.nodes[0].children[0].children[0];
    QVERIFY(!a1.folder); // a null kind reads as a file
    QCOMPARE(a1.aspFileName, QStringLiteral("txt"));
    QCOMPARE(a1.orderID, 4);
}

void TestMdlNov::keysTellTheLevel_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<Level>("level");
    QTest::newRow("root") << "root" << Level::None;
    QTest::newRow("level 1") << "fst_3" << Level::First;
    QTest::newRow("level 2") << "snd_2_1" << Level::Second;
    QTest::newRow("level 3") << "thd_7_4" << Level::Third;
    QTest::newRow("added") << "snd_9921" << Level::Second;
    QTest::newRow("empty") << "" << Level::None;
    QTest::newRow("letter case counts") << "FST_1" << Level::None;
}

void TestMdlNov::keysTellTheLevel() {
    QFETCH(QString, key);
    QFETCH(Level, level);
    QCOMPARE(mdl_nov::levelOfKey(key), level);
}

void TestMdlNov::addBelowEachLevel_data() {
    QTest::addColumn<Level>("parentLevel");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<AddResult::Status>("status");
    QTest::addColumn<QString>("table");

    QTest::newRow("folder below the root")
        << Level::None << "" << true << AddResult::Added << "firstCatalog";
    QTest::newRow("file below the root")
        << Level::None << "" << false << AddResult::Added << "firstCatalog";
    QTest::newRow("folder below a level-1 folder")
        << Level::First << "公司简介" << true << AddResult::Added << "secondCatalog";
    QTest::newRow("file below a level-1 folder")
        << Level::First << "公司简介" << false << AddResult::Added << "secondCatalog";
    QTest::newRow("folder below a level-2 folder")
        << Level::Second << "产品中心" << true << AddResult::NotAllowed << "";
    QTest::newRow("file below a level-2 folder")
        << Level::Second << "产品中心" << false << AddResult::Added << "thirdCatalog";
    QTest::newRow("file below a level-1 file")
        << Level::First << "新闻" << false << AddResult::NotAllowed << "";
    QTest::newRow("folder below a level-1 file")
        << Level::First << "新闻" << true << AddResult::NotAllowed << "";
    QTest::newRow("file below a level-2 file")
        << Level::Second << "企业文化" << false << AddResult::NotAllowed << "";
    QTest::newRow("file below a level-3 file")
        << Level::Third << "手机" << false << AddResult::NotAllowed << "";
    QTest::newRow("file below a parent that is gone")
        << Level::First << "不存在" << false << AddResult::NotAllowed << "";
}

void TestMdlNov::addBelowEachLevel() {
    QFETCH(Level, parentLevel);
    QFETCH(QString, parent);
    QFETCH(bool, folder);
    QFETCH(AddResult::Status, status);
    QFETCH(QString, table);
    buildSample();
    const QString name = QStringLiteral("O'Neil的\"新\"页");
    const qint64 before = count(QStringLiteral("SELECT (SELECT COUNT(*) FROM firstCatalog) + "
                                               "(SELECT COUNT(*) FROM secondCatalog) + "
                                               "(SELECT COUNT(*) FROM thirdCatalog) AS n"));
    const AddResult r = mdl_nov::addNode(parentLevel, parent, name, folder, "news");
    QCOMPARE(r.status, status);
    const qint64 after = count(QStringLiteral("SELECT (SELECT COUNT(*) FROM firstCatalog) + "
                                              "(SELECT COUNT(*) FROM secondCatalog) + "
                                              "(SELECT COUNT(*) FROM thirdCatalog) AS n"));
    if (status != AddResult::Added) {
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(after, before + 1);
    const sitedb::Row row =
        sitedb::query(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + table +
                          QStringLiteral(" = ?"),
                      {name})
            .first();
    QCOMPARE(row.text(table), name);
    QCOMPARE(row.flag("catalog"), folder);
    QCOMPARE(row.text("aspFileName"), folder ? QString() : QStringLiteral("news"));
    QCOMPARE(row.integer("orderID"), r.orderID);
    if (table == u"secondCatalog")
        QCOMPARE(row.text("firstCatalog"), parent);
    if (table == u"thirdCatalog") {
        QCOMPARE(row.text("secondCatalog"), parent);
        QCOMPARE(row.text("firstCatalog"), QStringLiteral("公司简介"));
    }
    QVERIFY(mdl_nov::existNode(name));
}

void TestMdlNov::newNodesAreAppendedLast() {
    buildSample();
    QCOMPARE(mdl_nov::getMaxOrder(Level::None, {}).value, 3);
    QCOMPARE(mdl_nov::getMaxOrder(Level::First, QStringLiteral("公司简介")).value, 2);
    QCOMPARE(mdl_nov::getMaxOrder(Level::Second, QStringLiteral("产品中心")).value, 2);
    // A parent without children gives 0, so its first child gets 1.
    QCOMPARE(mdl_nov::getMaxOrder(Level::First, QStringLiteral("新闻")).value, 0);
    QCOMPARE(mdl_nov::addNode(Level::None, {}, QStringLiteral("招聘"), false, "txt").orderID, 4);
    const mdl_nov::Catalog cat = mdl_nov::loadCatalog();
    QCOMPARE(cat.nodes.back().name, QStringLiteral("招聘"));
}

void TestMdlNov::orderNumbers_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("order");
    QTest::newRow("level 1") << Level::First << "新闻" << qint64(2);
    QTest::newRow("level 2") << Level::Second << "产品中心" << qint64(2);
    QTest::newRow("level 3") << Level::Third << "电脑" << qint64(2);
    QTest::newRow("missing row") << Level::First << "无此节点" << qint64(-1);
    QTest::newRow("empty column") << Level::First << "无序" << qint64(0);
    QTest::newRow("wrong level") << Level::Second << "新闻" << qint64(-1);
    // The root has no row, even when a level-1 node is called "xtb".
    QTest::newRow("root") << Level::None << "xtb" << qint64(-1);
}

void TestMdlNov::orderNumbers() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    QFETCH(qint64, order);
    buildSample();
    QVERIFY(sitedb::exec(QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog]) "
                                        "VALUES('无序',0), ('xtb',0)")));
    const mdl_nov::Number n = mdl_nov::getOrderID(level, name);
    QVERIFY(n.ok);
    QCOMPARE(n.value, order);
    // Nothing lies below level 3.
    QCOMPARE(mdl_nov::getMaxOrder(Level::Third, QStringLiteral("手机")).value, -1);
}

void TestMdlNov::swapExchangesTwoOrders() {
    buildSample();
    QVERIFY(
        mdl_nov::swapOrderID(Level::Third, QStringLiteral("手机"), QStringLiteral("电脑"), 1, 2));
    QCOMPARE(mdl_nov::getOrderID(Level::Third, QStringLiteral("手机")).value, 2);
    QCOMPARE(mdl_nov::getOrderID(Level::Third, QStringLiteral("电脑")).value, 1);
    QCOMPARE(names(mdl_nov::loadCatalog().nodes[0].children[1].children),
             (QStringList{"电脑", "手机"}));

    // Equal orders are written back unchanged.
    QVERIFY(mdl_nov::swapOrderID(Level::First, QStringLiteral("新闻"), QStringLiteral("联系我们"),
                                 5, 5));
    QCOMPARE(mdl_nov::getOrderID(Level::First, QStringLiteral("新闻")).value, 5);
    QCOMPARE(mdl_nov::getOrderID(Level::First, QStringLiteral("联系我们")).value, 5);
}

void TestMdlNov::deleteRemovesTheWholeBranch_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("gone");
    QTest::addColumn<qint64>("records"); // content records left, of the 7
    QTest::addColumn<qint64>("folders"); // folders and files below, told before deleting
    QTest::addColumn<qint64>("files");
    QTest::newRow("level-1 folder")
        << Level::First << "公司简介" << QStringList{"公司简介", "企业文化", "产品中心", "手机", "电脑"}
        << qint64(3) << qint64(1) << qint64(3);
    QTest::newRow("level-2 folder") << Level::Second << "产品中心"
                                    << QStringList{"产品中心", "手机", "电脑"} << qint64(4)
                                    << qint64(0) << qint64(2);
    QTest::newRow("level-1 file") << Level::First << "新闻" << QStringList{"新闻"} << qint64(5)
                                  << qint64(0) << qint64(0);
    QTest::newRow("level-2 file") << Level::Second << "企业文化" << QStringList{"企业文化"}
                                  << qint64(6) << qint64(0) << qint64(0);
    QTest::newRow("level-3 file") << Level::Third << "手机" << QStringList{"手机"} << qint64(5)
                                  << qint64(0) << qint64(0);
    QTest::newRow("root writes nothing")
        << Level::None << "奥凡科技" << QStringList{} << qint64(7) << qint64(0) << qint64(0);
}

void TestMdlNov::deleteRemovesTheWholeBranch() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    QFETCH(QStringList, gone);
    QFETCH(qint64, records);
    QFETCH(qint64, folders);
    QFETCH(qint64, files);
    buildSample();
    // What the confirmation tells is what the delete takes.
    const mdl_nov::Branch told = mdl_nov::branchOf(level, name);
    QVERIFY2(told.ok, qPrintable(told.error));
    QCOMPARE(told.folders, folders);
    QCOMPARE(told.files, files);
    QCOMPARE(told.records, 7 - records);
    QVERIFY(mdl_nov::delNode(level, name));
    const QStringList all{"公司简介", "企业文化", "产品中心", "手机", "电脑", "新闻", "联系我们"};
    for (const QString& n : all)
        QVERIFY2(mdl_nov::existNode(n) != gone.contains(n), qPrintable(n));
    QCOMPARE(count(QStringLiteral("SELECT (SELECT COUNT(*) FROM content01) + "
                                  "(SELECT COUNT(*) FROM content02) + "
                                  "(SELECT COUNT(*) FROM content03) AS n")),
             records);
    // A new node with a deleted node's name starts without records.
    if (level == Level::First || level == Level::Third) {
        QCOMPARE(mdl_nov::addNode(Level::None, {}, name, false, "txt").status, AddResult::Added);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) AS n FROM content01 WHERE firstCatalog=?"),
                       {name}),
                 0);
    }
}

void TestMdlNov::renameCarriesTheNameDown_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::newRow("level-1 folder") << Level::First << "公司简介";
    QTest::newRow("level-2 folder") << Level::Second << "产品中心";
    QTest::newRow("level-1 file") << Level::First << "新闻";
    QTest::newRow("level-2 file") << Level::Second << "企业文化";
    QTest::newRow("level-3 file") << Level::Third << "手机";
    QTest::newRow("the root: the site") << Level::None << "奥凡科技";
}

void TestMdlNov::renameCarriesTheNameDown() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    buildSample();
    const QString renamed = QStringLiteral("It's \"新\"");
    const mdl_nov::Catalog before = mdl_nov::loadCatalog();
    QVERIFY(mdl_nov::renNode(level, name, renamed));
    QVERIFY(!mdl_nov::existNode(name));
    QVERIFY(mdl_nov::existNode(renamed));

    // Same shape, same records, only the one name changed.
    const mdl_nov::Catalog after = mdl_nov::loadCatalog();
    std::function<void(const QList<mdl_nov::CatalogNode>&, const QList<mdl_nov::CatalogNode>&)>
        same = [&](const auto& a, const auto& b) {
            QCOMPARE(a.size(), b.size());
            for (int i = 0; i < a.size(); ++i) {
                QCOMPARE(b[i].name, a[i].name == name ? renamed : a[i].name);
                same(a[i].children, b[i].children);
            }
        };
    same(before.nodes, after.nodes);
    QCOMPARE(after.siteName, level == Level::None ? renamed : before.siteName);
    const QString content = mdl_nov::contentTable(level);
    const QString owner = mdl_nov::catalogTable(level);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) AS n FROM ") + content +
                       QStringLiteral(" WHERE ") + owner + QStringLiteral("=?"),
                   {name}),
             0);
    const qint64 owned = count(QStringLiteral("SELECT COUNT(*) AS n FROM ") + content +
                                   QStringLiteral(" WHERE ") + owner + QStringLiteral("=?"),
                               {renamed});
    QCOMPARE(owned, (QStringList{"新闻", "手机"}.contains(name) ? 2 : name == u"企业文化" ? 1 : 0));
    if (level == Level::First)
        QCOMPARE(count("SELECT COUNT(*) AS n FROM thirdCatalog WHERE firstCatalog=?", {renamed}),
                 name == u"公司简介" ? 2 : 0);
}

void TestMdlNov::nameRules_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<mdl_nov::NameCheck>("check");
    QTest::newRow("site name") << "奥凡科技" << mdl_nov::NameCheck::Duplicate;
    QTest::newRow("level-1 name") << "新闻" << mdl_nov::NameCheck::Duplicate;
    QTest::newRow("level-2 name") << "企业文化" << mdl_nov::NameCheck::Duplicate;
    QTest::newRow("level-3 name") << "电脑" << mdl_nov::NameCheck::Duplicate;
    QTest::newRow("empty") << "" << mdl_nov::NameCheck::Empty;
    QTest::newRow("other letter case") << "XTB" << mdl_nov::NameCheck::Ok;
    QTest::newRow("trailing blank") << "新闻 " << mdl_nov::NameCheck::Duplicate;
    QTest::newRow("blanks only") << " \u3000 " << mdl_nov::NameCheck::Empty;
    QTest::newRow("surrounded by blanks") << "  招聘 " << mdl_nov::NameCheck::Ok;
    QTest::newRow("apostrophe") << "O'Neil" << mdl_nov::NameCheck::Ok;
    QTest::newRow("quotes") << "\"精品\"推荐" << mdl_nov::NameCheck::Ok;
}

void TestMdlNov::nameRules() {
    QFETCH(QString, name);
    QFETCH(mdl_nov::NameCheck, check);
    buildSample();
    QVERIFY(sitedb::exec("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID) "
                         "VALUES('xtb',0,9)"));
    QCOMPARE(mdl_nov::checkNewName(name), check);
    // Adding and renaming keep to the same rules and then write nothing.
    const AddResult added = mdl_nov::addNode(Level::None, {}, name, false, "txt");
    const sitedb::Outcome renamed =
        mdl_nov::renNode(Level::First, QStringLiteral("联系我们"), name);
    switch (check) {
    case mdl_nov::NameCheck::Duplicate:
        QCOMPARE(added.status, AddResult::Duplicate);
        QVERIFY(!renamed.ok);
        QVERIFY(mdl_nov::existNode(QStringLiteral("联系我们")));
        break;
    case mdl_nov::NameCheck::Empty:
        QCOMPARE(added.status, AddResult::EmptyName);
        QVERIFY(!renamed.ok);
        QVERIFY(mdl_nov::existNode(QStringLiteral("联系我们")));
        break;
    case mdl_nov::NameCheck::Ok: {
        // Stored without its surrounding blanks.
        const QString stored = name.trimmed();
        QCOMPARE(added.status, AddResult::Added);
        QCOMPARE(added.name, stored);
        QVERIFY(mdl_nov::existNode(stored));
        // Now the name is taken by the added node.
        QVERIFY(!renamed.ok);
        QVERIFY(mdl_nov::renNode(Level::First, stored, " " + stored + QStringLiteral("2 ")));
        QVERIFY(mdl_nov::existNode(stored + QStringLiteral("2")));
        break;
    }
    }
}

void TestMdlNov::formatChangeEmptiesOnlyThatFilesRecords_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("level 1") << Level::First << "新闻"
                             << "imgs" << true;
    QTest::newRow("level 2") << Level::Second << "企业文化"
                             << "adv" << true;
    QTest::newRow("level 3") << Level::Third << "手机"
                             << "prod03" << true;
    QTest::newRow("the same format keeps the records") << Level::Third << "电脑"
                                                       << "prod02" << false;
}

void TestMdlNov::formatChangeEmptiesOnlyThatFilesRecords() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(bool, emptied);
    buildSample();
    // Fill every field of every record.
    for (const QString table : {"content01", "content02", "content03"}) {
        QString set;
        for (int i = 1; i <= 15; ++i) {
            const QString n = QString::number(i).rightJustified(2, u'0');
            set += (i > 1 ? QStringLiteral(", ") : QString()) + QStringLiteral("value") + n +
                   QStringLiteral("='v', field") + n + QStringLiteral("='f'");
        }
        QVERIFY(sitedb::exec(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + set));
    }
    const qint64 total = 7;
    QVERIFY(mdl_nov::changeFormat(level, name, key));
    QCOMPARE(mdl_nov::getAspFileName(level, name).value, key);

    const QString table = mdl_nov::contentTable(level);
    const QString owner = mdl_nov::catalogTable(level);
    const QList<sitedb::Row> rows =
        sitedb::query(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + owner +
                          QStringLiteral("=?"),
                      {name})
            .rows;
    QVERIFY(!rows.isEmpty()); // the records stay
    for (const sitedb::Row& r : rows) {
        for (int i = 1; i <= 15; ++i) {
            const QString n = QString::number(i).rightJustified(2, u'0');
            QCOMPARE(r.value("value" + n).toString(), emptied ? QString() : QString("v"));
            QCOMPARE(r.value("field" + n).toString(), emptied ? QString() : QString("f"));
            QVERIFY(!r.value("value" + n).isNull());
        }
    }
    // Every other record keeps its fields.
    QCOMPARE(count(QStringLiteral("SELECT (SELECT COUNT(*) FROM content01 WHERE value15='v') + "
                                  "(SELECT COUNT(*) FROM content02 WHERE field15='f') + "
                                  "(SELECT COUNT(*) FROM content03 WHERE value01='v') AS n")),
             total - (emptied ? rows.size() : 0));
    QCOMPARE(mdl_nov::countRecords(level, name).value, qint64(rows.size()));
}

void TestMdlNov::formatChangeRefusesRootAndFolders_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::newRow("root") << Level::None << "奥凡科技";
    QTest::newRow("level-1 folder") << Level::First << "公司简介";
    QTest::newRow("level-2 folder") << Level::Second << "产品中心";
    QTest::newRow("missing file") << Level::First << "无此文件";
}

void TestMdlNov::formatChangeRefusesRootAndFolders() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    buildSample();
    const sitedb::Outcome out = mdl_nov::changeFormat(level, name, "txt");
    QVERIFY(!out.ok);
    QCOMPARE(out.error, QStringLiteral("没有在左边选择栏目！"));
    QCOMPARE(count("SELECT COUNT(*) AS n FROM firstCatalog WHERE aspFileName IS NOT NULL"), 2);
    QCOMPARE(count("SELECT COUNT(*) AS n FROM content01 WHERE value01='t'"), 3);
}

void TestMdlNov::formatOfANode_data() {
    QTest::addColumn<Level>("level");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::newRow("level-1 file") << Level::First << "新闻"
                                  << "news";
    QTest::newRow("level-2 file") << Level::Second << "企业文化"
                                  << "txt";
    QTest::newRow("level-3 file") << Level::Third << "电脑"
                                  << "prod02";
    QTest::newRow("folder has none stored") << Level::First << "公司简介"
                                            << "";
    QTest::newRow("missing row") << Level::Second << "新闻"
                                 << "none";
    QTest::newRow("root, though a row is named xtb") << Level::None << "xtb"
                                                     << "none";
}

void TestMdlNov::formatOfANode() {
    QFETCH(Level, level);
    QFETCH(QString, name);
    QFETCH(QString, format);
    buildSample();
    QVERIFY(sitedb::exec("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID,aspFileName) "
                         "VALUES('xtb',0,9,'adv')"));
    const mdl_nov::Text t = mdl_nov::getAspFileName(level, name);
    QVERIFY(t.ok);
    QCOMPARE(t.value, format);
}

void TestMdlNov::newKeysAreNeverInUse() {
    QSet<QString> used;
    for (int i = 0; i <= 10000; ++i)
        used.insert(QStringLiteral("fst_") + QString::number(i));
    used.remove(QStringLiteral("fst_4711"));
    // Only one number of the range is free: it is found.
    QCOMPARE(mdl_nov::newNodeKey(QStringLiteral("fst"), used), QStringLiteral("fst_4711"));
    used.insert(QStringLiteral("fst_4711"));
    const QString beyond = mdl_nov::newNodeKey(QStringLiteral("fst"), used);
    QVERIFY(!used.contains(beyond));
    QVERIFY(beyond.startsWith(QStringLiteral("fst_")));
}

void TestMdlNov::changesAreAllOrNothing_data() {
    QTest::addColumn<QString>("trigger"); // makes the last statement of the change fail
    QTest::addColumn<QString>("change");
    QTest::newRow("delete a folder") << "BEFORE DELETE ON firstCatalog"
                                     << "delete";
    QTest::newRow("rename a folder") << "BEFORE UPDATE ON content01"
                                     << "rename";
    QTest::newRow("change a format") << "BEFORE UPDATE OF aspFileName ON firstCatalog"
                                     << "format";
    QTest::newRow("swap two orders") << "BEFORE UPDATE ON firstCatalog WHEN OLD.firstCatalog='新闻'"
                                     << "swap";
}

void TestMdlNov::changesAreAllOrNothing() {
    QFETCH(QString, trigger);
    QFETCH(QString, change);
    buildSample();
    QVERIFY(sitedb::exec(QStringLiteral("CREATE TRIGGER refuse ") + trigger +
                         QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    const auto snapshot = [] {
        QStringList rows;
        for (const QString table : {"firstCatalog", "secondCatalog", "thirdCatalog", "content01",
                                    "content02", "content03"}) {
            for (const sitedb::Row& r : sitedb::query("SELECT * FROM " + table).rows) {
                QStringList cells;
                for (int i = 0; i < r.record().count(); ++i)
                    cells << r.record().value(i).toString();
                rows << table + ":" + cells.join('|');
            }
        }
        return rows;
    };
    const QStringList before = snapshot();
    sitedb::Outcome out;
    if (change == u"delete")
        out = mdl_nov::delNode(Level::First, QStringLiteral("公司简介"));
    else if (change == u"rename")
        out = mdl_nov::renNode(Level::First, QStringLiteral("新闻"), QStringLiteral("要闻"));
    else if (change == u"format")
        out = mdl_nov::changeFormat(Level::First, QStringLiteral("新闻"), "imgs");
    else
        out = mdl_nov::swapOrderID(Level::First, QStringLiteral("公司简介"), QStringLiteral("新闻"),
                                   1, 2);
    QVERIFY(!out.ok);
    QVERIFY(out.error.contains("refused"));
    QCOMPARE(snapshot(), before);
}

QTEST_GUILESS_MAIN(TestMdlNov)
#include "tst_mdl_nov.moc"
