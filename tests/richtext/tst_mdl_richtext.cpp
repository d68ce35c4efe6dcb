#include "richtext/mdl_richtext.h"

#include <QTest>

class TestMdlRichtext : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendLandsAtTheEndOfThePage_data();
    void appendLandsAtTheEndOfThePage();
    void toolbarsHoldTheirButtons();
};

void TestMdlRichtext::appendLandsAtTheEndOfThePage_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty page") << ""
                                << "<hr>";
    QTest::newRow("plain page") << "<p>a</p>"
                                << "<p>a</p><hr>";
    QTest::newRow("before the closing body") << "<p>a</p></body></html>"
                                             << "<p>a</p><hr></body></html>";
    QTest::newRow("last closing body, any case") << "x</BODY>y</Body>z"
                                                 << "x</BODY>y<hr></Body>z";
}

void TestMdlRichtext::appendLandsAtTheEndOfThePage() {
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    QCOMPARE(mdl_richtext::appendToStored(stored, "<hr>"), expected);
}

void TestMdlRichtext::toolbarsHoldTheirButtons() {
    QStringList full;
    for (const auto& b : mdl_richtext::fullToolbar())
        full << b.key;
    QCOMPARE(full,
             (QStringList{"save",    "selectAll", "undo",         "redo",   "cut",       "copy",
                          "paste",   "delete",    "bold",         "italic", "underLine", "Aleft",
                          "Acenter", "Aright",    "RemoveFormat", "sline",  "link",      "unlink",
                          "table",   "img",       "flash",        "color"}));
    QStringList reduced;
    for (const auto& b : mdl_richtext::reducedToolbar())
        reduced << b.key;
    QCOMPARE(reduced,
             (QStringList{"undo", "redo", "cut", "copy", "paste", "delete", "bold", "italic",
                          "underLine", "Aleft", "Acenter", "Aright", "link", "unlink", "color"}));
    QVERIFY(!mdl_richtext::toolButton("nothing"));
}

QTEST_GUILESS_MAIN(TestMdlRichtext)
#include "tst_mdl_richtext.moc"
