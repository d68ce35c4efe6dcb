#include "common/mdl_func.h"

#include <QTest>

class TestMdlFunc : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encodeGivesStoredForm_data();
    void encodeGivesStoredForm();
    void typedTextSurvivesStorage_data();
    void typedTextSurvivesStorage();
    void decodeLeavesLoneLineFeed();
    void storedHtml_data();
    void storedHtml();
    void storedHtmlRoundTrip();
    void isEng_data();
    void isEng();
    void numericInput_data();
    void numericInput();
    void htmlColor();
    void dialogFilter();
};

void TestMdlFunc::encodeGivesStoredForm_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("windows line break, apostrophe, two spaces, quote")
        << QStringLiteral("a\r\nb'c  d\"e") << QStringLiteral("a<br>b&#39;c&nbsp;&nbsp;d&#34;e");
    QTest::newRow("lone line feed of a text box")
        << QStringLiteral("一\n二") << QStringLiteral("一<br>二");
    QTest::newRow("lone carriage return") << QStringLiteral("x\ry") << QStringLiteral("x<br>y");
    QTest::newRow("ampersand untouched") << QStringLiteral("A&B") << QStringLiteral("A&B");
    QTest::newRow("empty") << QString() << QString();
}

void TestMdlFunc::encodeGivesStoredForm() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QCOMPARE(mdl_func::encode(typed), stored);
    QVERIFY(!mdl_func::encode(typed).contains(u'\''));
}

void TestMdlFunc::typedTextSurvivesStorage_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("apostrophes and quotes") << QStringLiteral("It's \"ours\"");
    QTest::newRow("several lines") << QStringLiteral("第一行\n第二行\n\n第四行");
    QTest::newRow("leading and trailing spaces") << QStringLiteral("  缩进 ");
    QTest::newRow("chinese punctuation") << QStringLiteral("公司简介：“诚信”‘为本’");
    QTest::newRow("html-looking text") << QStringLiteral("<b>粗体</b> & 5 < 6");
}

void TestMdlFunc::typedTextSurvivesStorage() {
    QFETCH(QString, typed);
    QCOMPARE(mdl_func::decode(mdl_func::encode(typed)), typed);
}

void TestMdlFunc::decodeLeavesLoneLineFeed() {
    QCOMPARE(mdl_func::decode(QStringLiteral("a\nb")), QStringLiteral("a\nb"));
    QCOMPARE(mdl_func::decode(QStringLiteral("a<br>b&#34;&nbsp;&#39;")),
             QStringLiteral("a\nb\" '"));
}

void TestMdlFunc::storedHtml_data() {
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("imgPath");
    const QString img = QStringLiteral("/opt/site/userImages/");
    QTest::newRow("body inner part, case-insensitive tags")
        << QStringLiteral("<HTML><BODY class=\"x\"><p>hi</p></Body></html>")
        << QStringLiteral("<p>hi</p>") << img;
    QTest::newRow("no body: apostrophes and pictures only")
        << QStringLiteral("<p title='t'><img src=\"file:///opt/site/userImages/a.jpg\"></p>")
        << QStringLiteral("<p title=[&#39;]t[&#39;]><img src=\"[imgpath]/a.jpg\"></p>") << img;
    QTest::newRow("bare working-folder path")
        << QStringLiteral("<img src=\"/opt/site/userImages/b.gif\">")
        << QStringLiteral("<img src=\"[imgpath]/b.gif\">") << img;
    QTest::newRow("last closing body wins")
        << QStringLiteral("<body>a</body>b</body>") << QStringLiteral("a</body>b") << img;
    QTest::newRow("letter case of the path matters")
        << QStringLiteral("<img src=\"/OPT/site/userImages/c.gif\">")
        << QStringLiteral("<img src=\"/OPT/site/userImages/c.gif\">") << img;
    QTest::newRow("working folder with an apostrophe")
        << QStringLiteral("<img title='x' src=\"file:///srv/o'brien/site/d.gif\">")
        << QStringLiteral("<img title=[&#39;]x[&#39;] src=\"[imgpath]/d.gif\">")
        << QStringLiteral("/srv/o'brien/site/");
}

void TestMdlFunc::storedHtml() {
    QFETCH(QString, markup);
    QFETCH(QString, stored);
    QFETCH(QString, imgPath);
    QCOMPARE(mdl_func::toStoredHtml(markup, imgPath), stored);
}

void TestMdlFunc::storedHtmlRoundTrip() {
    const QString img = QStringLiteral("/home/用户/my site/");
    const QString page = QStringLiteral(
        "<html><body><p>It's</p><img src=\"file:///home/%E7%94%A8%E6%88%B7/my%20site/a.jpg\">"
        "<img src=\"file:///home/用户/my site/b.jpg\"></body></html>");
    const QString stored = mdl_func::toStoredHtml(page, img);
    QCOMPARE(stored, QStringLiteral("<p>It[&#39;]s</p><img src=\"[imgpath]/a.jpg\">"
                                    "<img src=\"[imgpath]/b.jpg\">"));
    QCOMPARE(mdl_func::fromStoredHtml(stored, img),
             QStringLiteral("<p>It's</p><img src=\"file:///home/用户/my site/a.jpg\">"
                            "<img src=\"file:///home/用户/my site/b.jpg\">"));
}

void TestMdlFunc::isEng_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("eng");
    QTest::newRow("logo.gif") << QStringLiteral("logo.gif") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("space and tilde") << QStringLiteral("my pic~1.jpg") << true;
    QTest::newRow("DEL is allowed") << QString(QChar(127)) << true;
    QTest::newRow("chinese") << QStringLiteral("标志.gif") << false;
    QTest::newRow("tab") << QStringLiteral("a\tb.gif") << false;
    QTest::newRow("above 127") << QStringLiteral("caf\u00e9.jpg") << false;
}

void TestMdlFunc::isEng() {
    QFETCH(QString, name);
    QFETCH(bool, eng);
    QCOMPARE(cls_func().isEng(name), eng);
}

void TestMdlFunc::numericInput_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("accepted"); // the box's last accepted text; "-" unknown
    QTest::addColumn<QString>("kept");
    QTest::newRow("letter typed after digits") << "12a" << "-" << "12";
    QTest::newRow("negative decimal") << "-3.5" << "-" << "-3.5";
    QTest::newRow("exponent") << "1e5" << "-" << "1e5";
    QTest::newRow("empty") << QString() << "-" << QString();
    QTest::newRow("leading point") << ".5" << "-" << ".5";
    QTest::newRow("chinese digit") << "3五" << "-" << "3";
    // No letter stays in the box, wherever it went in.
    QTest::newRow("letter typed inside") << "1x2" << "12" << "12";
    QTest::newRow("letters pasted") << "12abc" << "12" << "12";
    QTest::newRow("letters pasted, nothing known") << "1x2ab" << "-" << "1";
    QTest::newRow("letters pasted into an empty box") << "abc" << "" << "";
}

void TestMdlFunc::numericInput() {
    QFETCH(QString, text);
    QFETCH(QString, accepted);
    QFETCH(QString, kept);
    const std::optional<QString> known =
        accepted == u"-" ? std::nullopt : std::optional<QString>(accepted);
    QCOMPARE(mdl_func::checkedNumInput(text, known), kept);
}

void TestMdlFunc::htmlColor() {
    QCOMPARE(mdl_func::htmlColor(QColor(255, 0, 0)), QStringLiteral("#FF0000"));
    QCOMPARE(mdl_func::htmlColor(QColor(10, 171, 205)), QStringLiteral("#0AABCD"));
}

void TestMdlFunc::dialogFilter() {
    QCOMPARE(
        mdl_func::dialogFilter(QStringLiteral("图片文件(*.jpg;*.gif)|*.jpg;*.gif|所有文件|*.*")),
        QStringLiteral("图片文件(*.jpg;*.gif) (*.jpg *.gif);;所有文件 (*.*)"));
}

QTEST_GUILESS_MAIN(TestMdlFunc)
#include "tst_mdl_func.moc"
