#include "common/mdl_func.h"
#include "content/mdl_ins.h"
#include "contentRecord.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QTest>

using mdl_ins::SaveResult;

class TestMdlIns : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void listMarkup_data();
    void listMarkup();
    void recordsComeNewestFirstPerLevel();
    void deleteKeepsOtherRecordsAndTakesWideIds();
    void deleteWithoutLevelIsRefused();
    void pageValuesRoundTrip_data();
    void pageValuesRoundTrip();
    void pageSavedTwiceInsertsOnceThenUpdates_data();
    void pageSavedTwiceInsertsOnceThenUpdates();
    void pageRefusals_data();
    void pageRefusals();
    void advPageDropsCarriageReturns();

private:
    TempInstall* m_install = nullptr;
};

void TestMdlIns::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
}

void TestMdlIns::cleanup() {
    delete m_install;
    m_install = nullptr;
}

// The list page's markup, written out as the hosting service's previews expect it.
static const char* const kFrameHead =
    "<table width=100% border=0 cellpadding=0 cellspacing=0 bgcolor=#990000><tr>"
    "<td><table width=100% border=0 cellspacing=1 cellpadding=0>"
    "<form name='formData' method=post onSubmit='return false;'>";
static const char* const kFrameTail = "</form></table></td></tr></table>";

void TestMdlIns::listMarkup_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QString>("body");

    const QString newsHead =
        "<tr align=center bgcolor=#CCCCCC><td width=12% height=22><input name='currID' "
        "type='hidden' id='currID'>ID</td><td width=64%>标题</td><td width=24%>时间</td></tr>";
    const QString imgsHead = "<tr align=center bgcolor=#CCCCCC><td width=12% height=22><input "
                             "name='currID' type='hidden' id='currID'>ID</td><td "
                             "width=64%>图片说明文字</td><td width=24%>文件名</td></tr>";
    const QString prodHead = "<tr align=center bgcolor=#CCCCCC><td width=8% height=22><input "
                             "name='currID' type='hidden' id='currID'>ID</td><td>产品名称</td>"
                             "<td>规格</td><td>单位</td><td>价格</td></tr>";
    auto row = [](int id, const QStringList& cells) -> QString {
        QString s = QStringLiteral("<tr bgcolor=#FFFFFF><td height=22>&nbsp;<input type='radio' "
                                   "name='ID'  value='%1' onClick='getID(%1);'>%1</td>")
                        .arg(id);
        for (const QString& c : cells)
            s += "<td>&nbsp;" + c + "</td>";
        return s + "</tr>";
    };

    QTest::newRow("news, two records newest first")
        << "news"
        << QList<QStringList>{{"开业&nbsp;大吉", "2026-01-02", "正文"}, {"招聘", "2026-03-04"}}
        << newsHead + row(2, {"招聘", "2026-03-04"}) + row(1, {"开业&amp;nbsp;大吉", "2026-01-02"});
    // Stored titles are text: markup typed into one is shown, never run in the list page.
    QTest::newRow("news, script in the title and the date")
        << "news"
        << QList<QStringList>{{"<img src=x onerror=\"getID(1);document.forms[0].ID.click()\">",
                               "</td></tr></table><script>getID(1)</script>"}}
        << newsHead +
               row(1,
                   {"&lt;img src=x onerror=&quot;getID(1);document.forms[0].ID.click()&quot;&gt;",
                    "&lt;/td&gt;&lt;/tr&gt;&lt;/table&gt;&lt;script&gt;getID(1)&lt;/script&gt;"});
    QTest::newRow("imgs, caption closing the cell")
        << "imgs" << QList<QStringList>{{"a</td><td onclick=x>b", "p'q.jpg"}}
        << imgsHead + row(1, {"a&lt;/td&gt;&lt;td onclick=x&gt;b", "p'q.jpg"});
    QTest::newRow("products, markup in every cell")
        << "prod03" << QList<QStringList>{{"<b>杯</b>", "<i>", "&amp;", "<svg onload=x>"}}
        << prodHead +
               row(1, {"&lt;b&gt;杯&lt;/b&gt;", "&lt;i&gt;", "&amp;amp;", "&lt;svg onload=x&gt;"});
    QTest::newRow("news, none") << "news" << QList<QStringList>{}
                                << newsHead +
                                       "<tr bgcolor=white><td colspan=3 height=30><font color=red>"
                                       "　　　　暂时还没有数据！</font></td></tr>";
    QTest::newRow("imgs, caption missing")
        << "imgs" << QList<QStringList>{{"", "a.jpg", "a_small.bmp"}}
        << imgsHead + row(1, {"", "a.jpg"});
    QTest::newRow("imgs, none") << "imgs" << QList<QStringList>{}
                                << imgsHead +
                                       "<tr bgcolor=white><td colspan=3 height=30><font color=red>"
                                       "　　　　暂时还没有数据！</font></td></tr>";
    QTest::newRow("products") << "prod01"
                              << QList<QStringList>{{"茶杯", "200ml", "个", "12.5", "c.jpg",
                                                     "<p>x</p>"}}
                              << prodHead + row(1, {"茶杯", "200ml", "个", "12.5"});
    QTest::newRow("products, none")
        << "prod02" << QList<QStringList>{}
        << prodHead + "<tr bgcolor=white><td colspan=5 height=30><font color=red>"
                      "　　　　暂时还没有数据！</font></td></tr>";
}

void TestMdlIns::listMarkup() {
    QFETCH(QString, kind);
    QFETCH(QList<QStringList>, records);
    QFETCH(QString, body);
    for (const QStringList& r : records)
        addRecord("content01", "firstCatalog", "列表", r);
    addRecord("content01", "firstCatalog", "别的栏目", {"不属于列表"});
    const sitedb::Rows rows = mdl_ins::loadRecords("fst_1", "列表");
    QVERIFY(rows.ok);
    const QString html = kind.startsWith("prod") ? mdl_ins::buildProdListHtml(rows.rows)
                                                 : mdl_ins::buildListHtml(rows.rows, kind);
    QCOMPARE(html, QString::fromUtf8(kFrameHead) + body + QString::fromUtf8(kFrameTail));
}

void TestMdlIns::recordsComeNewestFirstPerLevel() {
    addRecord("content01", "firstCatalog", "同名", {"一级"});
    addRecord("content02", "secondCatalog", "同名", {"二级旧"});
    addRecord("content02", "secondCatalog", "同名", {"二级新"});
    addRecord("content03", "thirdCatalog", "同名", {"三级"});

    const sitedb::Rows second = mdl_ins::loadRecords("snd_1_1", "同名");
    QCOMPARE(second.rows.size(), 2);
    QCOMPARE(second.rows[0].text("value01"), QStringLiteral("二级新"));
    QCOMPARE(mdl_ins::loadRecords("fst_1", "同名").first().text("value01"), QStringLiteral("一级"));
    QCOMPARE(mdl_ins::loadRecords("thd_2_1", "同名").first().text("value01"),
             QStringLiteral("三级"));
    QVERIFY(mdl_ins::loadRecords("root", "同名").isEmpty());
}

void TestMdlIns::deleteKeepsOtherRecordsAndTakesWideIds() {
    // Identifiers beyond 16 bits must address their own record, not a truncated one.
    QVERIFY(sitedb::exec("INSERT INTO content02(ID,secondCatalog,value01) VALUES(?,?,?)",
                         {qint64(70000), "新闻", "大号"}));
    QVERIFY(sitedb::exec("INSERT INTO content02(ID,secondCatalog,value01) VALUES(?,?,?)",
                         {qint64(4464), "新闻", "截断后的号"}));
    QVERIFY(mdl_ins::deleteData("snd_1_1", 70000));
    const sitedb::Rows left = mdl_ins::loadRecords("snd_1_1", "新闻");
    QCOMPARE(left.rows.size(), 1);
    QCOMPARE(left.first().integer("ID"), qint64(4464));
}

void TestMdlIns::deleteWithoutLevelIsRefused() {
    const qint64 id = addRecord("content01", "firstCatalog", "新闻", {"留着"});
    const sitedb::Outcome o = mdl_ins::deleteData("root", id);
    QVERIFY(!o.ok);
    QCOMPARE(o.error, QStringLiteral("不期望的错误：栏目选择错误！"));
    QCOMPARE(mdl_ins::loadRecords("fst_1", "新闻").rows.size(), 1);
}

void TestMdlIns::pageValuesRoundTrip_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::newRow("apostrophes and quotes") << "txt"
                                            << "O'Brien's \"best\""
                                            << "It's \"done\"\nright";
    QTest::newRow("ampersands and markup-like text") << "imgTxt01"
                                                     << "A & B <b>"
                                                     << "x &amp; y\n\n<i>z</i> & w";
    QTest::newRow("Chinese with blanks kept") << "imgTxt03"
                                              << "  公司简介  "
                                              << "第一行\n　第二行：‘引号’";
}

void TestMdlIns::pageValuesRoundTrip() {
    QFETCH(QString, format);
    QFETCH(QString, title);
    QFETCH(QString, body);
    const mdl_ins::PageFields f{title, body, "p1.jpg", "p2.jpg"};
    QVERIFY(mdl_ins::savePage("thd_1_1", "简介's", format, true, f).ok());
    const sitedb::Row r = mdl_ins::loadRecords("thd_1_1", "简介's").first();
    QCOMPARE(r.text("value01"), title);
    QCOMPARE(r.text("value02"), mdl_func::encode(body));
    QCOMPARE(mdl_func::decode(r.text("value02")), body);
    // A text page names no picture; a one-picture page never names a second one.
    QCOMPARE(r.text("value03"), format == "txt" ? QString() : QStringLiteral("p1.jpg"));
    QCOMPARE(r.text("value04"), format != "imgTxt01" ? QString() : QStringLiteral("p2.jpg"));
    // Empty, not NULL, where a picture page has no second picture.
    QCOMPARE(r.value("value04").isNull(), format == "txt");
}

void TestMdlIns::pageSavedTwiceInsertsOnceThenUpdates_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("column");
    QTest::newRow("txt") << "txt"
                         << "value01";
    QTest::newRow("imgTxt02") << "imgTxt02"
                              << "value04";
    QTest::newRow("bigImg") << "bigImg"
                            << "value01";
}

void TestMdlIns::pageSavedTwiceInsertsOnceThenUpdates() {
    QFETCH(QString, format);
    QFETCH(QString, column);
    QVERIFY(mdl_ins::savePage("fst_1", "页", format, true, {"一", "b", "x.jpg", "y.jpg"}).ok());
    QVERIFY(mdl_ins::savePage("fst_1", "页", format, false, {"二", "b", "y.jpg", "z.jpg"}).ok());
    const sitedb::Rows rows = mdl_ins::loadRecords("fst_1", "页");
    QCOMPARE(rows.rows.size(), 1);
    const QString expected = column == "value04" ? "z.jpg" : (format == "txt" ? "二" : "y.jpg");
    QCOMPARE(rows.first().text(column), expected);
}

void TestMdlIns::pageRefusals_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("kind");
    QTest::newRow("root") << "root"
                          << "txt"
                          << "标题" << int(SaveResult::NoLevel);
    QTest::newRow("blank title") << "fst_1"
                                 << "txt"
                                 << " \t　" << int(SaveResult::EmptyTitle);
    QTest::newRow("blank title, pictures") << "fst_1"
                                           << "imgTxt01"
                                           << "" << int(SaveResult::EmptyTitle);
    QTest::newRow("big picture needs no title") << "fst_1"
                                                << "bigImg"
                                                << "" << int(SaveResult::Saved);
}

void TestMdlIns::pageRefusals() {
    QFETCH(QString, key);
    QFETCH(QString, format);
    QFETCH(QString, title);
    QFETCH(int, kind);
    const SaveResult r = mdl_ins::savePage(key, "页", format, true, {title, "", "a.jpg", ""});
    QCOMPARE(int(r.kind), kind);
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页").rows.size(), kind == SaveResult::Saved ? 1 : 0);
}

void TestMdlIns::advPageDropsCarriageReturns() {
    const QString page = "<p>It[&#39;]s</p>\r\n<img src=\"[imgpath]/a.jpg\">";
    QVERIFY(mdl_ins::saveAdvPage("snd_1_1", "自由页", page, true).ok());
    QVERIFY(mdl_ins::saveAdvPage("snd_1_1", "自由页", page + "<p>二</p>", false).ok());
    const sitedb::Rows rows = mdl_ins::loadRecords("snd_1_1", "自由页");
    QCOMPARE(rows.rows.size(), 1);
    QCOMPARE(rows.first().text("value01"),
             QStringLiteral("<p>It[&#39;]s</p>\n<img src=\"[imgpath]/a.jpg\"><p>二</p>"));
    QCOMPARE(int(mdl_ins::saveAdvPage("root", "自由页", page, true).kind),
             int(SaveResult::NoLevel));
}

QTEST_GUILESS_MAIN(TestMdlIns)
#include "tst_mdl_ins.moc"
