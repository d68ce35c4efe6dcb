#include "appearance/mdl_effects.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QTest>

using mdl_effects::AdBoard;
using mdl_effects::Script;

Q_DECLARE_METATYPE(AdBoard)

class TestMdlEffects : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adBoardStoredText_data();
    void adBoardStoredText();
    void adBoardOpensWithInitialValues();
    void adBoardTitleWithSeparatorRefused();
    void scriptStoredText_data();
    void scriptStoredText();
};

void TestMdlEffects::adBoardStoredText_data() {
    QTest::addColumn<AdBoard>("typed");
    QTest::addColumn<QString>("stored");
    AdBoard plain;
    plain.title = "公告";
    plain.content = "欢迎";
    QTest::newRow("as typed") << plain << "1||400||500||0||0||公告||欢迎";
    AdBoard empty;
    empty.width = empty.height = empty.top = empty.left = QString();
    QTest::newRow("empty boxes") << empty << "1||300||200||0||0||||";
    AdBoard quoted;
    quoted.left = "12.5";
    quoted.top = "7";
    quoted.title = "O'Neil";
    quoted.content = "第一行\n it's \"新\"";
    QTest::newRow("quotes, breaks, a fraction")
        << quoted << "1||400||500||7||12||O'Neil||第一行<br>&nbsp;it&#39;s&nbsp;&#34;新&#34;";
}

void TestMdlEffects::adBoardStoredText() {
    QFETCH(AdBoard, typed);
    QFETCH(QString, stored);
    QCOMPARE(mdl_effects::buildAdBoard(typed), stored);
    // Stored and read back, the editor shows what was typed (the defaults filled in).
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(mdl_effects::storeAdBoard(typed));
    QCOMPARE(sitedb::userInfo("adBoard"), stored);
    const AdBoard back = mdl_effects::parseAdBoard(sitedb::userInfo("adBoard"));
    QCOMPARE(back.title, typed.title);
    QCOMPARE(back.content, typed.content);
}

void TestMdlEffects::adBoardTitleWithSeparatorRefused() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    AdBoard before;
    before.title = "公告";
    QVERIFY(mdl_effects::storeAdBoard(before));
    const QString stored = sitedb::userInfo("adBoard");
    AdBoard typed;
    typed.title = "春节||放假";
    const sitedb::Outcome o = mdl_effects::storeAdBoard(typed);
    QVERIFY(!o.ok);
    QCOMPARE(o.error, QString::fromUtf16(mdl_effects::kTitleSeparatorText));
    QCOMPARE(sitedb::userInfo("adBoard"), stored);
}

void TestMdlEffects::adBoardOpensWithInitialValues() {
    for (const QString& stored : {QString(), QStringLiteral("0"), QStringLiteral("1")}) {
        const AdBoard b = mdl_effects::parseAdBoard(stored);
        QCOMPARE(QStringList({b.left, b.top, b.width, b.height, b.title, b.content}),
                 QStringList({"0", "0", "400", "500", "", ""}));
    }
}

void TestMdlEffects::scriptStoredText_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("标题特效") << 0 << "欢迎" << "1||00.asp||欢迎";
    QTest::newRow("屏幕时钟") << 1 << "still in the box" << "1||01.asp||";
    QTest::newRow("跟随鼠标的星星") << 2 << "x" << "1||02.asp||";
    QTest::newRow("状态栏特效4") << 9 << "O'Neil" << "1||09.asp||O'Neil";
    QTest::newRow("状态栏特效5") << 10 << "欢迎光临" << "1||10.asp||欢迎光临";
    QTest::newRow("状态栏特效7") << 12 << "" << "1||12.asp||";
}

void TestMdlEffects::scriptStoredText() {
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    QCOMPARE(mdl_effects::scriptEffects().size(), 13);
    QCOMPARE(mdl_effects::buildScript({position, text}), stored);
    // Reopened, the editor selects the effect again from the file name.
    const Script back = mdl_effects::parseScript(stored);
    QCOMPARE(back.position, position);
    QCOMPARE(back.text, mdl_effects::usesText(position) ? text : QString());
}

QTEST_GUILESS_MAIN(TestMdlEffects)
#include "tst_mdl_effects.moc"
