#include "richtext/mdl_richtext.h"

#include <QTest>

using mdl_richtext::Action;

class TestMdlRichtext : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void appendLandsAtTheEndOfThePage_data();
    void appendLandsAtTheEndOfThePage();
    void toolbarsHoldTheirButtons();
    void buttonsRunTheirCommands_data();
    void buttonsRunTheirCommands();
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

void TestMdlRichtext::buttonsRunTheirCommands_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("hint");
    QTest::newRow("select all") << "selectAll" << int(Action::Command) << "selectAll"
                                << "全选";
    QTest::newRow("underline") << "underLine" << int(Action::Command) << "underline"
                               << "下划线";
    QTest::newRow("centre") << "Acenter" << int(Action::Command) << "justifyCenter"
                            << "居中";
    QTest::newRow("remove format") << "RemoveFormat" << int(Action::Command) << "removeFormat"
                                   << "取消文字格式";
    QTest::newRow("link") << "link" << int(Action::Link) << "createLink"
                          << "添加超连接";
    QTest::newRow("unlink") << "unlink" << int(Action::Command) << "unlink"
                            << "取消超连接";
    QTest::newRow("paste") << "paste" << int(Action::EditAction) << "paste"
                           << "粘贴";
    QTest::newRow("picture dialog") << "img" << int(Action::Dialog) << ""
                                    << "插入图片";
    QTest::newRow("flash dialog") << "flash" << int(Action::Dialog) << ""
                                  << "flash文件";
    QTest::newRow("save") << "save" << int(Action::Save) << ""
                          << "保存";
}

void TestMdlRichtext::buttonsRunTheirCommands() {
    QFETCH(QString, key);
    QFETCH(int, action);
    QFETCH(QString, command);
    QFETCH(QString, hint);
    const mdl_richtext::ToolButton* b = mdl_richtext::toolButton(key);
    QVERIFY(b);
    QCOMPARE(int(b->action), action);
    QCOMPARE(b->command, command);
    QCOMPARE(b->hint, hint);
}

QTEST_GUILESS_MAIN(TestMdlRichtext)
#include "tst_mdl_richtext.moc"
