#include "designer/mdl_dgnFrm.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QFileInfo>
#include <QTest>

class TestMdlDgnFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogueHasElevenFormats();
    void keysAreExact_data();
    void keysAreExact();
    void everyFormatIsInstalled();
    void tablesHoldFullPicturePaths();
    void tilesStandThreeToARow_data();
    void tilesStandThreeToARow();
    void productLists();
    void emptyProductListsAreNoError();
};

void TestMdlDgnFrm::catalogueHasElevenFormats() {
    const auto& all = mdl_dgnFrm::displayFormats();
    QStringList keys;
    for (const auto& f : all)
        keys << f.key;
    QCOMPARE(keys, (QStringList{"txt", "news", "imgTxt01", "imgTxt02", "imgTxt03", "bigImg", "imgs",
                                "adv", "prod01", "prod02", "prod03"}));
    // Two formats share a caption; group and key tell them apart.
    QCOMPARE(mdl_dgnFrm::findFormat("txt")->caption, mdl_dgnFrm::findFormat("prod01")->caption);
    QCOMPARE(mdl_dgnFrm::findFormat("prod01")->group, mdl_dgnFrm::FormatGroup::Product);
    QCOMPARE(mdl_dgnFrm::findFormat("imgs")->previewPage, QStringLiteral("tmplImg/imgs.htm"));
    QCOMPARE(mdl_dgnFrm::findFormat("adv")->picture, QStringLiteral("images/gen08.gif"));
    QCOMPARE(mdl_dgnFrm::findFormat("prod03")->picture, QStringLiteral("images/prod03.gif"));
}

void TestMdlDgnFrm::keysAreExact_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("format");
    QTest::addColumn<bool>("product");
    QTest::newRow("general") << "imgTxt02" << true << false;
    QTest::newRow("product") << "prod02" << true << true;
    QTest::newRow("other letter case") << "IMGTXT02" << false << false;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("none") << "none" << false << false;
    QTest::newRow("unknown product") << "prod09" << false << true;
}

void TestMdlDgnFrm::keysAreExact() {
    QFETCH(QString, key);
    QFETCH(bool, format);
    QFETCH(bool, product);
    QCOMPARE(mdl_dgnFrm::isFormatKey(key), format);
    QCOMPARE(mdl_dgnFrm::isProductFormat(key), product);
}

void TestMdlDgnFrm::everyFormatIsInstalled() {
    const QString install = builtInstallPath();
    for (const auto& f : mdl_dgnFrm::displayFormats()) {
        QVERIFY2(QFileInfo(install + f.previewPage).isFile(), qPrintable(f.previewPage));
        QVERIFY2(QFileInfo(install + f.picture).isFile(), qPrintable(f.picture));
    }
    for (const char* page : {"tmplImg/welcome01.htm", "tmplImg/welcome02.htm", "images/H_POINT.CUR",
                             "images/fclose.png", "images/file.png"})
        QVERIFY2(QFileInfo(install + QLatin1String(page)).isFile(), page);
}

void TestMdlDgnFrm::tablesHoldFullPicturePaths() {
    const auto t = mdl_dgnFrm::fillFormatTables(QStringLiteral("/opt/orvane/"));
    QCOMPARE(t.genFormats.size(), 8);
    QCOMPARE(t.prodFormats.size(), 3);
    QCOMPARE(t.genFormats[1].caption, QStringLiteral("新闻格式"));
    QCOMPARE(t.genFormats[1].key, QStringLiteral("news"));
    QCOMPARE(t.genFormats[1].picture, QStringLiteral("/opt/orvane/images/gen02.gif"));
    QCOMPARE(t.prodFormats[2].picture, QStringLiteral("/opt/orvane/images/prod03.gif"));
}

void TestMdlDgnFrm::tilesStandThreeToARow_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pictureHeight");
    QTest::addColumn<QList<QPoint>>("positions");
    QTest::addColumn<int>("scrollMax");
    // Tiles of 2420 x 2000 below a line at 100: columns at 300, 2900, 5500; rows at 300,
    // 2400, 4500.
    QTest::newRow("general formats")
        << 8 << 4000 << QList<QPoint>{{300, 300},   {2900, 300},  {5500, 300}, {300, 2400},
                                      {2900, 2400}, {5500, 2400}, {300, 4500}, {2900, 4500}}
        << (4500 + 2000 + 200 - 4000);
    QTest::newRow("product formats, all visible")
        << 3 << 4000 << QList<QPoint>{{300, 300}, {2900, 300}, {5500, 300}} << 0;
    QTest::newRow("just too tall")
        << 3 << 2499 << QList<QPoint>{{300, 300}, {2900, 300}, {5500, 300}} << 1;
    QTest::newRow("exactly fitting")
        << 3 << 2500 << QList<QPoint>{{300, 300}, {2900, 300}, {5500, 300}} << 0;
}

void TestMdlDgnFrm::tilesStandThreeToARow() {
    QFETCH(int, count);
    QFETCH(int, pictureHeight);
    QFETCH(QList<QPoint>, positions);
    QFETCH(int, scrollMax);
    const auto layout = mdl_dgnFrm::layoutTiles(count, 2420, 2000, 100, pictureHeight);
    QCOMPARE(layout.positions, positions);
    QCOMPARE(layout.scrollMax, scrollMax);
}

void TestMdlDgnFrm::productLists() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    const auto types = mdl_dgnFrm::prodTypes();
    QVERIFY(types.ok);
    QCOMPARE(types.names.size(), 8);
    QCOMPARE(types.names.first(), QStringLiteral("电子电工"));
    const auto classes = mdl_dgnFrm::prodClasses(types.names.first());
    QVERIFY(classes.ok);
    QCOMPARE(classes.names.first(), QStringLiteral("手机通讯"));
    QCOMPARE(classes.names.size(), 5);
    // A type name with an apostrophe is a value like any other.
    QVERIFY(mdl_dgnFrm::prodClasses(QStringLiteral("it's")).ok);
}

void TestMdlDgnFrm::emptyProductListsAreNoError() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::exec("DELETE FROM prodClass"));
    QVERIFY(sitedb::exec("DELETE FROM prodType"));
    const auto types = mdl_dgnFrm::prodTypes();
    QVERIFY(types.ok);
    QVERIFY(types.names.isEmpty());
    QVERIFY(mdl_dgnFrm::prodClasses(QString()).names.isEmpty());
}

QTEST_GUILESS_MAIN(TestMdlDgnFrm)
#include "tst_mdl_dgnFrm.moc"
