#include "richtext/mdl_insert.h"

#include "common/mdl_func.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <QTest>

using namespace mdl_insert;

class TestMdlInsert : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void picture_data();
    void picture();
    void table_data();
    void table();
    void rule_data();
    void rule();
    void flash();
    void pictureFoundWhateverItsName_data();
    void pictureFoundWhateverItsName();
};

namespace {
const QString kWork = QStringLiteral("/site/work/");

QString entryValue(const QList<Entry>& entries, const QString& caption) {
    for (const Entry& e : entries) {
        if (e.caption == caption)
            return e.value;
    }
    return QStringLiteral("?");
}
} // namespace

void TestMdlInsert::picture_data() {
    QTest::addColumn<QStringList>("fields"); // height, width, border, alt, effect, position
    QTest::addColumn<QString>("markup");
    QTest::newRow("defaults after browsing a 100 x 50 a.gif")
        << QStringList{"50", "100", "0", "", "无", "默认位置"}
        << "<img src='file:///site/work/a.gif' height=50 width=100 border=0>";
    QTest::newRow("X-ray, default position")
        << QStringList{"50", "100", "0", "", "X光照片", "默认位置"}
        << "<img src='file:///site/work/a.gif' height=50 width=100 border=0 style='filter:xray'>";
    QTest::newRow("every attribute, in order")
        << QStringList{"20", "30", "2", "Logo", "模糊效果", "绝对居中"}
        << "<img src='file:///site/work/a.gif' height=20 width=30 alt=Logo border=2 "
           "style='filter:blur(add=1,direction=14,strength=15)' align='absmiddle'>";
    QTest::newRow("empty boxes add nothing") << QStringList{"", "", "", "  ", "无", "默认位置"}
                                             << "<img src='file:///site/work/a.gif'>";
    QTest::newRow("an alt text of two words stays whole")
        << QStringList{"", "", "0", "Tom's shop", "无", "右对齐"}
        << "<img src='file:///site/work/a.gif' alt='Tom&#39;s shop' border=0 align='right'>";
}

void TestMdlInsert::picture() {
    QFETCH(QStringList, fields);
    QFETCH(QString, markup);
    const Picture p{"a.gif",   fields[0],
                    fields[1], fields[2],
                    fields[3], entryValue(pictureEffects(), fields[4]),
                    entryValue(picturePositions(), fields[5])};
    QCOMPARE(pictureMarkup(p, kWork), markup);
}

void TestMdlInsert::table_data() {
    QTest::addColumn<QStringList>("fields"); // rows, cols, width, width unit, height, ID
    QTest::addColumn<QString>("markup");
    const QString cell = "<td>&nbsp;</td>";
    QTest::newRow("defaults") << QStringList{"2", "2", "100", "%", "", ""}
                              << "<table width=100% border=1 cellpadding=0 cellspacing=0><tr>" +
                                     cell + cell + "</tr><tr>" + cell + cell + "</tr></table>";
    QTest::newRow("pixels: no unit, row box cleared")
        << QStringList{"", "3", "300", "像数", "40", "t1"}
        << "<table ID=t1 width=300 height=40% border=1 cellpadding=0 cellspacing=0><tr>" + cell +
               cell + cell + "</tr></table>";
    QTest::newRow("a count that is not a whole positive number")
        << QStringList{"-2", "1.9", "", "%", "", ""}
        << "<table border=1 cellpadding=0 cellspacing=0><tr>" + cell + "</tr></table>";
}

void TestMdlInsert::table() {
    QFETCH(QStringList, fields);
    QFETCH(QString, markup);
    Table t;
    t.rows = fields[0];
    t.cols = fields[1];
    t.width = fields[2];
    t.widthUnit = entryValue(tableUnits(), fields[3]);
    t.height = fields[4];
    t.id = fields[5];
    QCOMPARE(tableMarkup(t), markup);

    // Colours come last, and a mistyped count cannot flood the page.
    t = Table();
    t.backColor = "#FFFFFF";
    t.borderColor = "#000080";
    QVERIFY(tableMarkup(t).startsWith("<table width=100% border=1 cellpadding=0 cellspacing=0 "
                                      "bgcolor=#FFFFFF bordercolor=#000080><tr>"));
    t.rows = "1e9";
    QCOMPARE(tableMarkup(t).count("<tr>"), kMaxRows);
}

void TestMdlInsert::rule_data() {
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("align");
    QTest::addColumn<bool>("shadow");
    QTest::addColumn<QString>("markup");
    QTest::newRow("defaults") << "" << "500" << "2" << "居中" << false
                              << "<hr size=2 noshade align=center width=500>";
    QTest::newRow("colour, shadow, left, no width")
        << "#FF0000" << "" << "3" << "左对齐" << true << "<hr color='#FF0000' size=3 align=left>";
    QTest::newRow("blank colour, right") << "  " << "80" << "" << "右对齐" << false
                                         << "<hr noshade align=right width=80>";
}

void TestMdlInsert::rule() {
    QFETCH(QString, color);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, align);
    QFETCH(bool, shadow);
    QFETCH(QString, markup);
    QCOMPARE(ruleMarkup({color, width, height, entryValue(ruleAlignments(), align), shadow}),
             markup);
}

void TestMdlInsert::flash() {
    const QString movie = "file:///site/work/intro.swf";
    const QString params =
        "  <param name=\"_cx\" value=\"20108\">  <param name=\"_cy\" value=\"3440\">"
        "  <param name=\"FlashVars\" value=\"20108\">  <param name=\"Movie\" value=\"" +
        movie + "\">  <param name=\"Src\" value=\"" + movie +
        "\">  <param name=\"WMode\" value=\"Window\">  <param name=\"Play\" value=\"-1\">"
        "  <param name=\"Loop\" value=\"-1\">  <param name=\"Quality\" value=\"High\">"
        "  <param name=\"SAlign\" value=\"\">  <param name=\"Menu\" value=\"-1\">"
        "  <param name=\"Base\" value=\"\">  <param name=\"AllowScriptAccess\" "
        "value=\"always\">  <param name=\"Scale\" value=\"ShowAll\">  <param "
        "name=\"DeviceFont\" value=\"0\">  <param name=\"EmbedMovie\" value=\"0\">  <param "
        "name=\"BGColor\" value=\"\">  <param name=\"SWRemote\" value=\"\"></object>";
    const QString head = "<object codebase=http://download.macromedia.com/pub/shockwave/cabs/"
                         "flash/swflash.cab#version=6,0,29,0 height=%1 width=%2 "
                         "classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000>";
    QCOMPARE(flashMarkup({"intro.swf", "400", "90"}, kWork), head.arg("90", "400") + params);
    // A box that holds no number falls back to the defaults.
    QCOMPARE(flashMarkup({"intro.swf", "", "x"}, kWork), head.arg("120", "600") + params);
}

// A picture whose name means something in an address is found from the markup the insert
// dialog writes, from the stored form the browser hands back, and from older stored forms,
// in a working folder whose own path holds a blank and an apostrophe.
void TestMdlInsert::pictureFoundWhateverItsName_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("apostrophe, blank, hash, percent") << "it's 1#%.jpg";
    QTest::newRow("percent that starts an escape, ampersand") << "50%20off&b.jpg";
}

void TestMdlInsert::pictureFoundWhateverItsName() {
    QFETCH(QString, name);
    QTemporaryDir tmp;
    const QString work = tmp.path() + "/my site's/";
    QVERIFY(QDir().mkpath(work));
    QFile f(work + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QString url = mdl_func::fileUrl(work + name);
    QCOMPARE(QUrl(url).toLocalFile(), work + name);
    QCOMPARE(pictureMarkup({name, {}, {}, {}, {}, {}, {}}, work), "<img src='" + url + "'>");
    // As the browser hands the page back: double quotes, "&" written as "&amp;".
    const QString stored = mdl_func::toStoredHtml(
        "<img src=\"" + QString(url).replace("&", "&amp;") + "\">", work);
    QVERIFY2(stored.startsWith("<img src=\"[imgpath]/"), qPrintable(stored));
    QString raw = name;
    raw.replace("'", "[&#39;]");
    QString referenced = name;
    referenced.replace("&", "&amp;").replace("'", "&#39;");
    for (const QString& form : QStringList{stored, "<img src=\"[imgpath]/" + raw + "\">",
                                           "<img src=\"[imgpath]/" + referenced + "\">"})
        QCOMPARE(mdl_func::fromStoredHtml(form, work), "<img src=\"" + url + "\">");
}

QTEST_GUILESS_MAIN(TestMdlInsert)
#include "tst_mdl_insert.moc"
