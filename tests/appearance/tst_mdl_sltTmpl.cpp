#include "appearance/mdl_sltTmpl.h"
#include "common/mdl_func.h"
#include "common/workspace.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestMdlSltTmpl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tileGrid_data();
    void tileGrid();
    void templateName();
    void sampleColumn();
    void storedSettingsShown_data();
    void storedSettingsShown();
    void featuresStored();
    void backgroundReplacedOnlyOnceStored_data();
    void backgroundReplacedOnlyOnceStored();
};

void TestMdlSltTmpl::tileGrid_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("scroll");
    QTest::addColumn<QList<QPoint>>("positions"); // of every tile, in twips
    QTest::addColumn<int>("scrollMax");           // for a visible height of 3000 twips
    QTest::newRow("one") << 1 << 0 << QList<QPoint>{{250, 0}} << 0;
    QTest::newRow("seven") << 7 << 0
                           << QList<QPoint>{{250, 0},    {2750, 0},    {5250, 0},   {250, 1680},
                                            {2750, 1680}, {5250, 1680}, {250, 3360}}
                           << 3360 - 3000 + 2000;
    QTest::newRow("four, scrolled") << 4 << 500
                                    << QList<QPoint>{{250, -500}, {2750, -500}, {5250, -500},
                                                     {250, 1180}}
                                    << 1680 - 3000 + 2000;
}

void TestMdlSltTmpl::tileGrid() {
    QFETCH(int, count);
    QFETCH(int, scroll);
    QFETCH(QList<QPoint>, positions);
    QFETCH(int, scrollMax);
    QList<QPoint> got;
    for (int i = 0; i < count; ++i)
        got << mdl_sltTmpl::tilePosition(i, scroll);
    QCOMPARE(got, positions);
    QCOMPARE(mdl_sltTmpl::tileScrollMax(count, 3000), scrollMax);
}

void TestMdlSltTmpl::templateName() {
    workspace::setCurrentPath("/inst/");
    QCOMPARE(mdl_sltTmpl::templateCaption("tmp01a.gif"), QStringLiteral("tmp01a"));
    QCOMPARE(mdl_sltTmpl::templateCode("tmp01a.gif"), QStringLiteral("tmp01"));
    QCOMPARE(mdl_sltTmpl::thumbnailPath("tmp01a.gif"), QStringLiteral("/inst/template/tmp01a.gif"));
    QCOMPARE(mdl_sltTmpl::previewPath("tmp01a.gif"), QStringLiteral("/inst/template/tmp01.jpg"));
    QCOMPARE(mdl_sltTmpl::previewHtml("tmp01a.gif"),
             QStringLiteral("<html><head></head><body  leftmargin=2 topmargin=0 "
                            "oncontextmenu='return false;'><img "
                            "src='file:///inst/template/tmp01.jpg'></body></html>"));
    // A folder whose name would end the attribute is escaped in the address.
    workspace::setCurrentPath("/O'Neil 的/");
    QVERIFY(!mdl_sltTmpl::previewHtml("tmp01a.gif").contains("O'Neil"));
}

void TestMdlSltTmpl::sampleColumn() {
    // Three samples 60, 80 and 40 high, 7 apart, in a column 100 high.
    const mdl_sltTmpl::Column top = mdl_sltTmpl::layoutColumn({60, 80, 40}, 7, 100, 0);
    QCOMPARE(top.tops, (QList<int>{0, 67, 154}));
    QCOMPARE(top.scrollMax, 154 + 40 - 100 + 7);
    QCOMPARE(mdl_sltTmpl::layoutColumn({60, 80, 40}, 7, 100, 30).tops, (QList<int>{-30, 37, 124}));
    QCOMPARE(mdl_sltTmpl::layoutColumn({60}, 7, 100, 0).scrollMax, 0);
}

void TestMdlSltTmpl::storedSettingsShown_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QList<bool>>("pertain");
    const QList<bool> off(6, false);
    QTest::newRow("two pages") << "field01" << "||a.htm||b.mht" << QStringList{"a.htm", "b.mht"}
                               << off;
    QTest::newRow("blank list") << "field01" << "  " << QStringList{} << off;
    QTest::newRow("forum on") << "field02" << "1" << QStringList{}
                              << QList<bool>{true, false, false, false, false, false};
    QTest::newRow("pop-up with content") << "adBoard" << "1||300||200||0||0||t||c" << QStringList{}
                                         << QList<bool>{false, false, true, false, false, false};
    QTest::newRow("script cancelled") << "javascript" << "0" << QStringList{} << off;
    QTest::newRow("office not a number") << "field05" << "ja" << QStringList{} << off;
}

void TestMdlSltTmpl::storedSettingsShown() {
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(QStringList, pages);
    QFETCH(QList<bool>, pertain);
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo(column, value));
    const mdl_sltTmpl::Settings s = mdl_sltTmpl::loadSettings();
    QVERIFY(s.hasRow);
    QCOMPARE(s.otherPages, pages);
    QCOMPARE(QList<bool>(s.pertain.begin(), s.pertain.end()), pertain);
}

void TestMdlSltTmpl::featuresStored() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("adBoard", "1||300||200||0||0||t||c"));
    const char* const columns[] = {"field02", "field03", "adBoard", "javascript", "field04", "field05"};
    for (int i : {0, 1, 4, 5}) {
        QVERIFY(mdl_sltTmpl::setFeature(i, true));
        QCOMPARE(sitedb::userInfo(columns[i]), QStringLiteral("1"));
        QVERIFY(mdl_sltTmpl::setFeature(i, false));
        QCOMPARE(sitedb::userInfo(columns[i]), QStringLiteral("0"));
    }
    // Switched on, the pop-up keeps what its editor stored; switched off, it is dropped.
    QVERIFY(mdl_sltTmpl::setFeature(2, true));
    QCOMPARE(sitedb::userInfo("adBoard"), QStringLiteral("1||300||200||0||0||t||c"));
    QVERIFY(mdl_sltTmpl::setFeature(2, false));
    QCOMPARE(sitedb::userInfo("adBoard"), QStringLiteral("0"));
}

// Each step picks "folder/name" (or "work:name") as the background, or cancels it.
void TestMdlSltTmpl::backgroundReplacedOnlyOnceStored_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("replaced") << QStringList{"a/0005.JPG", "b/0002.JPG"} << "0002.JPG"
                              << QStringList{"0002.JPG"};
    QTest::newRow("the current one again") << QStringList{"a/0005.JPG", "work:0005.JPG"}
                                           << "0005.JPG" << QStringList{"0005.JPG"};
    QTest::newRow("a name a content picture has")
        << QStringList{"a/photo.jpg"} << "photo-2.jpg" << QStringList{"photo-2.jpg", "photo.jpg"};
    QTest::newRow("cancelled") << QStringList{"a/0005.JPG", "cancel"} << ""
                               << QStringList{};
    QTest::newRow("Chinese name refused") << QStringList{"a/背景.jpg"} << "" << QStringList{};
}

void TestMdlSltTmpl::backgroundReplacedOnlyOnceStored() {
    QFETCH(QStringList, steps);
    QFETCH(QString, stored);
    QFETCH(QStringList, files);
    TempInstall inst;
    QVERIFY(inst.openSite());
    QTemporaryDir outside;
    // A content record shows a picture of its own named photo.jpg.
    {
        QImage own(8, 8, QImage::Format_RGB32);
        own.fill(Qt::red);
        QVERIFY(own.save(workspace::currImgPath() + "photo.jpg", "JPG"));
        QVERIFY(sitedb::exec("INSERT INTO content01(firstCatalog,value03) VALUES('甲',?)",
                             {"photo.jpg"}));
    }
    int n = 0;
    for (const QString& step : steps) {
        if (step == u"cancel") {
            QVERIFY(mdl_sltTmpl::cancelBackground());
            continue;
        }
        QString path = workspace::currImgPath() + step.mid(5);
        if (!step.startsWith("work:")) {
            QDir().mkpath(outside.filePath(step.section('/', 0, 0)));
            path = outside.filePath(step);
            QImage tile(16, 16, QImage::Format_RGB32);
            tile.fill(QColor::fromHsv(60 * ++n, 255, 255));
            QVERIFY(tile.save(path, "JPG"));
        }
        const pictures::Choice bg = pictures::choose(path);
        QCOMPARE(bg.ok(), cls_func().isEng(step));
        if (bg.ok())
            QVERIFY(mdl_sltTmpl::storeBackground(bg));
    }
    QCOMPARE(sitedb::userInfo("backGround"), stored);
    QStringList held = QDir(workspace::currImgPath()).entryList(QDir::Files, QDir::Name);
    held.removeAll("dalmbuilder.tdc");
    if (!files.contains("photo.jpg"))
        held.removeAll("photo.jpg");
    QCOMPARE(held, files);
}

QTEST_GUILESS_MAIN(TestMdlSltTmpl)
#include "tst_mdl_sltTmpl.moc"
