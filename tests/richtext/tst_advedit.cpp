#include "common/mdl_func.h"
#include "common/workspace.h"
#include "content/mdl_ins.h"
#include "fixture.h"
#include "pageScript.h"
#include "richtext/advEdit.h"
#include "richtext/advEditProd.h"
#include "richtext/dlgFrm_font.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

class TestAdvEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void storedPageRoundTripsAndShowsWorkingPictures();
    void appendAddsAtTheEnd();
    void typingMarksTheDataChanged();
    void codeEditsCountAndSaveAsTheDesignViewShows();
    void toolbarFormatsTheSelection_data();
    void toolbarFormatsTheSelection();
    void comprehensiveDialogFormatsTheSelection();
    void tabsCarryEditsBetweenViews();
    void writingBringsTheDesignViewBack();
    void saveInsertsThenUpdates();
    void saveRefusals_data();
    void saveRefusals();
    void reducedEditorHasOnlyFormatting();

private:
    static QString bodyOf(QWebEngineView* view) {
        return pageScript(view->page(), "document.body.innerHTML").toString();
    }
    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
};

void TestAdvEdit::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    mdl_ins::dataChanged = false;
    mdl_ins::advIsNew = true;
}

void TestAdvEdit::cleanup() {
    delete m_ui;
    delete m_install;
}

void TestAdvEdit::storedPageRoundTripsAndShowsWorkingPictures() {
    QImage pic(40, 30, QImage::Format_RGB32);
    pic.fill(Qt::red);
    QVERIFY(pic.save(workspace::currImgPath() + "a.png"));

    advEdit ed;
    ed.resize(600, 400);
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    const QString stored = "<p>It[&#39;]s &amp; “好”</p><img src=\"[imgpath]/a.png\">";
    QSignalSpy changed(&ed, &richEditBase::innerHTMLChanged);
    ed.writeInnerHTML(stored);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(ed.innerHTML(), stored);
    // The design view shows the picture straight from the working folder.
    QTRY_VERIFY_WITH_TIMEOUT(
        bodyOf(ed.DHTMLEditer).contains("file://" + workspace::currImgPath() + "a.png"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(
        pageScript(ed.DHTMLEditer->page(), "document.images[0].naturalWidth").toInt(), 40, 20000);
    QVERIFY(bodyOf(ed.DHTMLEditer).contains("It's"));
}

void TestAdvEdit::appendAddsAtTheEnd() {
    advEdit ed;
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>一</p>");
    ed.setInnerHTML("<hr size=2>");
    ed.setInnerHTML("<p>It's</p>");
    QCOMPARE(ed.innerHTML(), QStringLiteral("<p>一</p><hr size=2><p>It[&#39;]s</p>"));
    QTRY_VERIFY_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer).endsWith("<p>It's</p>"), 20000);
}

void TestAdvEdit::typingMarksTheDataChanged() {
    advEdit ed;
    ed.resize(600, 400);
    ed.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ed));
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    // Markup as an insert dialog writes it, which the view holds in its own form.
    ed.writeInnerHTML("<p>x</p><hr size=2>");
    QTRY_VERIFY_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer).contains("<hr"), 20000);
    QVERIFY(!mdl_ins::dataChanged);
    pageScript(ed.DHTMLEditer->page(), "document.body.focus();"
                                       "document.getSelection().selectAllChildren(document.body);"
                                       "document.getSelection().collapseToEnd();");
    ed.DHTMLEditer->setFocus();
    QWidget* target = ed.DHTMLEditer->focusProxy() ? ed.DHTMLEditer->focusProxy() : ed.DHTMLEditer;
    QSignalSpy edits(&ed, &richEditBase::designEdited);
    // An arrow and the release of the Enter that closed a message box change nothing;
    // each letter after them does.
    QTest::keyClick(target, Qt::Key_Left);
    QTest::keyRelease(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_End);
    QTest::keyClicks(target, "abc");
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML().contains("abc"), 20000);
    QVERIFY(mdl_ins::dataChanged);
    QCOMPARE(edits.count(), 3);
}

void TestAdvEdit::codeEditsCountAndSaveAsTheDesignViewShows() {
    advEdit ed;
    ed.setNodeSource([] { return advEdit::Node{"fst_1", "页"}; });
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>x</p>");
    ed.sstb->setCurrentIndex(1);
    QVERIFY(!mdl_ins::dataChanged);
    const QString typed = "<p>Intro <b>bold <table><tr><td>c</td></tr></table>";
    ed.txt_code->setPlainText(typed);
    QVERIFY(mdl_ins::dataChanged);
    ed.sstb->setCurrentIndex(0);
    // What is read back, and saved, is the balanced page the design view shows.
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML() != typed, 20000);
    QCOMPARE(ed.innerHTML(), mdl_func::toStoredHtml(bodyOf(ed.DHTMLEditer), {}));
    ed.save();
    QCOMPARE(mdl_ins::loadRecords("fst_1", "页").first().text("value01"), ed.innerHTML());
}

void TestAdvEdit::toolbarFormatsTheSelection_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bold") << "bold"
                          << "<p>word</p>"
                          << "<b>word</b>";
    QTest::newRow("italic") << "italic"
                            << "<p>word</p>"
                            << "<i>word</i>";
    QTest::newRow("centre") << "Acenter"
                            << "<p>word</p>"
                            << "text-align: center";
    QTest::newRow("remove format") << "RemoveFormat"
                                   << "<p><b>word</b></p>"
                                   << "<p>word</p>";
    // The address is asked for in a dialog of the program's own.
    QTest::newRow("link") << "link"
                          << "<p>word</p>"
                          << "<a href=\"http://orvane.example/\">word</a>";
}

void TestAdvEdit::toolbarFormatsTheSelection() {
    QFETCH(QString, key);
    QFETCH(QString, before);
    QFETCH(QString, expected);
    advEdit ed;
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML(before);
    QTRY_VERIFY_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer) == before, 20000);
    ed.tlBar->findChild<QAction*>("selectAll")->trigger();
    m_ui->texts.enqueue(QStringLiteral("http://orvane.example/"));
    ed.tlBar->findChild<QAction*>(key)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML().contains(expected), 20000);
    QVERIFY(mdl_ins::dataChanged);
}

void TestAdvEdit::comprehensiveDialogFormatsTheSelection() {
    advEdit ed;
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>word</p>");
    QTRY_VERIFY_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer) == "<p>word</p>", 20000);
    ed.tlBar->findChild<QAction*>("selectAll")->trigger();
    m_ui->colors.enqueue(QColor(255, 0, 0));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<dlgFrm_font*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->cmb_size->setCurrentIndex(5);
        dialog->cmd_color->click();
        QCOMPARE(dialog->lbl_color->text(), QStringLiteral("#FF0000"));
        dialog->cmd_ok->click();
    });
    ed.tlBar->findChild<QAction*>("color")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML().contains("size=\"5\""), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML().toLower().contains("#ff0000"), 20000);
}

void TestAdvEdit::tabsCarryEditsBetweenViews() {
    advEdit ed;
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>设计[&#39;]</p>");
    const auto toolbarEnabled = [&] {
        bool all = true, any = false;
        for (QAction* a : ed.tlBar->actions()) {
            all = all && a->isEnabled();
            any = any || a->isEnabled();
        }
        return all ? 1 : (any ? -1 : 0);
    };
    QCOMPARE(toolbarEnabled(), 1);

    // Design to code: the code view holds the stored form.
    ed.sstb->setCurrentIndex(1);
    QCOMPARE(ed.txt_code->toPlainText(), QStringLiteral("<p>设计[&#39;]</p>"));
    QCOMPARE(toolbarEnabled(), 0);
    ed.txt_code->setPlainText("<p>代码[&#39;]</p>");
    QCOMPARE(ed.innerHTML(), QStringLiteral("<p>代码[&#39;]</p>"));

    // Code to preview: the preview shows the edited page.
    ed.sstb->setCurrentIndex(2);
    QCOMPARE(toolbarEnabled(), 0);
    QCOMPARE(ed.innerHTML(), QStringLiteral("<p>代码[&#39;]</p>"));
    QTRY_COMPARE_WITH_TIMEOUT(bodyOf(ed.DHTMLSafer), QStringLiteral("<p>代码'</p>"), 20000);
    QCOMPARE(pageScript(ed.DHTMLSafer->page(), "document.body.isContentEditable").toBool(), false);

    // Preview to design: the design view takes the preview's page.
    ed.sstb->setCurrentIndex(0);
    QCOMPARE(toolbarEnabled(), 1);
    QCOMPARE(ed.innerHTML(), QStringLiteral("<p>代码[&#39;]</p>"));
    QTRY_COMPARE_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer), QStringLiteral("<p>代码'</p>"), 20000);

    // Code straight to design.
    ed.sstb->setCurrentIndex(1);
    ed.txt_code->setPlainText("<h1>再改</h1>");
    ed.sstb->setCurrentIndex(0);
    QCOMPARE(ed.innerHTML(), QStringLiteral("<h1>再改</h1>"));
    QTRY_COMPARE_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer), QStringLiteral("<h1>再改</h1>"), 20000);
}

void TestAdvEdit::writingBringsTheDesignViewBack() {
    advEdit ed;
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>甲页</p>");
    ed.sstb->setCurrentIndex(1);
    // Another page is loaded while the code view shows the first one.
    ed.writeInnerHTML("<p>乙页</p>");
    QCOMPARE(ed.sstb->currentIndex(), 0);
    QCOMPARE(ed.innerHTML(), QStringLiteral("<p>乙页</p>"));
    QVERIFY(ed.tlBar->findChild<QAction*>("bold")->isEnabled());
}

void TestAdvEdit::saveInsertsThenUpdates() {
    advEdit ed;
    ed.setNodeSource([] { return advEdit::Node{"snd_1_2", "关于's"}; });
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>第一版</p>");
    // The buttons show their captions beside their icons.
    auto* saveButton =
        qobject_cast<QToolButton*>(ed.tlBar->widgetForAction(ed.tlBar->findChild<QAction*>("save")));
    QCOMPARE(saveButton->text(), QStringLiteral("保存"));
    QCOMPARE(saveButton->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    mdl_ins::dataChanged = true;
    ed.tlBar->findChild<QAction*>("save")->trigger();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据保存成功！"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Information);
    QVERIFY(!mdl_ins::advIsNew);
    QVERIFY(!mdl_ins::dataChanged);

    ed.writeInnerHTML("<p>第二版</p>");
    ed.save();
    const sitedb::Rows rows = mdl_ins::loadRecords("snd_1_2", "关于's");
    QCOMPARE(rows.rows.size(), 1);
    QCOMPARE(rows.first().text("value01"), QStringLiteral("<p>第二版</p>"));
    QCOMPARE(m_ui->messages.size(), 2);
}

void TestAdvEdit::saveRefusals_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("aspFileName");
    QTest::addColumn<QString>("message");
    QTest::newRow("root") << "root"
                          << "none"
                          << "没有在左边选择栏目！";
    QTest::newRow("no node") << ""
                             << "none"
                             << "没有在左边选择栏目！";
    QTest::newRow("news page") << "fst_1"
                               << "news"
                               << "";
}

void TestAdvEdit::saveRefusals() {
    QFETCH(QString, key);
    QFETCH(QString, aspFileName);
    QFETCH(QString, message);
    advEdit ed;
    ed.setNodeSource([key] { return advEdit::Node{key, "页"}; });
    ed.setAspFileName(aspFileName);
    ed.writeInnerHTML("<p>x</p>");
    mdl_ins::dataChanged = true;
    ed.save();
    QCOMPARE(m_ui->lastText(), message);
    if (!message.isEmpty()) {
        QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
        QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    }
    QVERIFY(mdl_ins::dataChanged);
    QVERIFY(mdl_ins::advIsNew);
    QVERIFY(mdl_ins::loadRecords("fst_1", "页").isEmpty());
}

void TestAdvEdit::reducedEditorHasOnlyFormatting() {
    advEditProd ed;
    QCOMPARE(ed.tlBar->actions().size(), 15);
    for (const char* key : {"save", "img", "table", "flash", "sline", "selectAll"})
        QVERIFY2(!ed.tlBar->findChild<QAction*>(key), key);
    QVERIFY(!ed.findChild<QTabWidget*>());
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    ed.writeInnerHTML("<p>产品[&#39;]介绍</p>");
    QTRY_VERIFY_WITH_TIMEOUT(bodyOf(ed.DHTMLEditer) == "<p>产品'介绍</p>", 20000);
    pageScript(ed.DHTMLEditer->page(), "document.getSelection().selectAllChildren(document.body)");
    ed.tlBar->findChild<QAction*>("underLine")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(ed.innerHTML() == "<p><u>产品[&#39;]介绍</u></p>", 20000);
    // The reduced editor tracks no changes of the content window.
    QVERIFY(!mdl_ins::dataChanged);
}

QTEST_MAIN(TestAdvEdit)
#include "tst_advedit.moc"
