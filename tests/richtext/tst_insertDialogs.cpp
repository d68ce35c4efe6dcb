#include "common/mdl_func.h"
#include "common/workspace.h"
#include "content/mdl_ins.h"
#include "fixture.h"
#include "modal.h"
#include "pageScript.h"
#include "richtext/advEdit.h"
#include "richtext/dlgFrm_flash.h"
#include "richtext/dlgFrm_hr.h"
#include "richtext/dlgFrm_img.h"
#include "richtext/dlgFrm_tbl.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWebEngineView>

class TestInsertDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void fourInsertsAreSavedAndReadBack();
    void fileChoiceRefusals_data();
    void fileChoiceRefusals();

private:
    QString outside(const QString& folder, const QString& name, const QByteArray& bytes);
    QString gif(const QString& folder, const QString& name, QSize size, QColor color);
    void press(advEdit& ed, const char* key) { ed.tlBar->findChild<QAction*>(key)->trigger(); }

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    QTemporaryDir* m_outside = nullptr;
};

void TestInsertDialogs::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    m_outside = new QTemporaryDir;
    mdl_ins::advIsNew = true;
    mdl_ins::dataChanged = false;
}

void TestInsertDialogs::cleanup() {
    delete m_outside;
    delete m_ui;
    delete m_install;
}

QString TestInsertDialogs::outside(const QString& folder, const QString& name,
                                   const QByteArray& bytes) {
    QDir(m_outside->path()).mkpath(folder);
    const QString path = m_outside->path() + u'/' + folder + u'/' + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QString TestInsertDialogs::gif(const QString& folder, const QString& name, QSize size,
                               QColor color) {
    QDir(m_outside->path()).mkpath(folder);
    const QString path = m_outside->path() + u'/' + folder + u'/' + name;
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    image.save(path, "PNG"); // read by its content, whatever the name says
    return path;
}

void TestInsertDialogs::fourInsertsAreSavedAndReadBack() {
    advEdit ed;
    ed.setNodeSource([] { return advEdit::Node{"fst_1", "自由页"}; });
    ed.resize(700, 500);
    ed.show();
    QTRY_VERIFY_WITH_TIMEOUT(ed.isReady(), 30000);
    const QString work = workspace::currImgPath();

    // A picture with every default after browsing a 100 x 50 file, with the X-ray effect.
    m_ui->files.enqueue(gif("one", "a.gif", {100, 50}, Qt::red));
    onModal<dlgFrm_img>([](dlgFrm_img* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("插入图片"));
        d->cmd_imgPath->click();
        QCOMPARE(d->txt_width->text(), QStringLiteral("100"));
        QCOMPARE(d->txt_height->text(), QStringLiteral("50"));
        QVERIFY(d->txt_imgPath->text().endsWith("a.gif"));
        d->cmb_spec->setCurrentText("X光照片");
        d->OKButton->click();
    });
    press(ed, "img");
    // The page has unsaved changes now, as after typing.
    QVERIFY(mdl_ins::dataChanged);
    QString expected = "<img src='" + work + "a.gif' height=50 width=100 border=0 "
                                             "style='filter:xray'>";
    QCOMPARE(ed.innerHTML(), mdl_func::toStoredHtml(expected, work));

    // Another camera's a.gif: the markup names the copy that was made.
    m_ui->files.enqueue(gif("two", "a.gif", {10, 10}, Qt::blue));
    onModal<dlgFrm_img>([](dlgFrm_img* d) {
        d->cmd_imgPath->click();
        d->OKButton->click();
    });
    press(ed, "img");
    expected += "<img src='" + work + "a-2.gif' height=10 width=10 border=0>";
    QCOMPARE(ed.innerHTML(), mdl_func::toStoredHtml(expected, work));
    QVERIFY(QFile::exists(work + "a.gif") && QFile::exists(work + "a-2.gif"));

    // Browsed, then cancelled: the copy goes, the page is unchanged.
    m_ui->files.enqueue(gif("three", "c.gif", {5, 5}, Qt::green));
    onModal<dlgFrm_img>([](dlgFrm_img* d) {
        d->cmd_imgPath->click();
        d->CancelButton->click();
    });
    mdl_ins::dataChanged = false;
    press(ed, "img");
    QVERIFY(!mdl_ins::dataChanged);
    QVERIFY(!QFile::exists(work + "c.gif"));
    QCOMPARE(ed.innerHTML(), mdl_func::toStoredHtml(expected, work));

    m_ui->files.enqueue(outside("f", "intro.swf", "FWS movie"));
    onModal<dlgFrm_flash>([](dlgFrm_flash* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("flash选择"));
        d->cmd_view->click();
        d->txt_width->setText("");
        d->OKButton->click();
    });
    press(ed, "flash");
    QVERIFY(QFile::exists(work + "intro.swf"));
    // The movie's markup (tested in full with the logic) names the copy.
    QVERIFY(ed.innerHTML().contains("<param name=\"Movie\" value=\"[imgpath]/intro.swf\">"));
    QVERIFY(ed.innerHTML().contains(" height=120 width=600 classid="));

    m_ui->colors.enqueue(QColor(0, 0, 128));
    onModal<dlgFrm_tbl>([](dlgFrm_tbl* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("插入表格"));
        d->cmd_foreColor->click();
        d->OKButton->click();
    });
    press(ed, "table");
    QVERIFY(ed.innerHTML().endsWith(
        "<table width=100% border=1 cellpadding=0 cellspacing=0 bordercolor=#000080>"
        "<tr><td>&nbsp;</td><td>&nbsp;</td></tr><tr><td>&nbsp;</td><td>&nbsp;</td></tr></table>"));

    onModal<dlgFrm_hr>([](dlgFrm_hr* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("水平线"));
        QCOMPARE(d->cmb_align->currentText(), QStringLiteral("居中"));
        d->OKButton->click();
    });
    press(ed, "sline");
    QVERIFY(ed.innerHTML().endsWith("<hr size=2 noshade align=center width=500>"));

    // Saved and read back, identically; the design view shows the page.
    const QString page = ed.innerHTML();
    ed.save();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据保存成功！"));
    const QString stored =
        sitedb::query("SELECT value01 FROM content01 WHERE firstCatalog=?", {"自由页"})
            .first()
            .text("value01");
    QCOMPARE(stored, page);
    advEdit again;
    again.show();
    QTRY_VERIFY_WITH_TIMEOUT(again.isReady(), 30000);
    again.writeInnerHTML(stored);
    QCOMPARE(again.innerHTML(), page);
    QTRY_COMPARE_WITH_TIMEOUT(
        pageScript(again.DHTMLEditer->page(), "document.images[0].naturalWidth").toInt(), 100,
        20000);
    QCOMPARE(pageScript(again.DHTMLEditer->page(), "document.querySelectorAll('td').length")
                 .toInt(),
             4);
}

void TestInsertDialogs::fileChoiceRefusals_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("file"); // "" for a cancelled file dialog
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::newRow("Chinese picture name")
        << "img" << "图.gif" << "所选择的文件名中不能包含中文，请重命名后选择文件！"
        << int(QMessageBox::Information);
    QTest::newRow("Chinese movie name")
        << "flash" << "片.swf" << "所选择的文件名中不能包含中文，请重命名后选择文件！"
        << int(QMessageBox::Information);
    QTest::newRow("picture cancelled, then OK") << "img" << "" << "图片路径不能为空！"
                                                << int(QMessageBox::Information);
    QTest::newRow("movie cancelled, then OK") << "flash" << "" << "路径不能为空！"
                                              << int(QMessageBox::Information);
    QTest::newRow("text named as a picture")
        << "img" << "notes.gif" << "所选文件不是可以读取的图片：notes.gif"
        << int(QMessageBox::Critical);
}

void TestInsertDialogs::fileChoiceRefusals() {
    QFETCH(QString, key);
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(int, icon);
    advEdit ed;
    if (file.isEmpty())
        m_ui->files.enqueue(std::nullopt);
    else
        m_ui->files.enqueue(outside("x", file, "not a picture"));
    bool stayedOpen = false;
    const auto act = [&](insertDialog* d) {
        d->findChild<QPushButton*>(key == "img" ? "cmd_imgPath" : "cmd_view")->click();
        if (file.isEmpty())
            QCOMPARE(m_ui->lastText(), QStringLiteral("选定了“取消”。"));
        d->OKButton->click();
        stayedOpen = d->isVisible();
        d->CancelButton->click();
    };
    if (key == "img")
        onModal<dlgFrm_img>(act);
    else
        onModal<dlgFrm_flash>(act);
    press(ed, key.toLatin1());
    QVERIFY(m_ui->messages.size() >= 1);
    const RecordedMessage& shown = m_ui->messages[file.isEmpty() ? 1 : 0];
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, QStringLiteral("提示"));
    QCOMPARE(int(shown.icon), icon);
    QVERIFY(stayedOpen);
    QCOMPARE(ed.innerHTML(), QString());
    if (!file.isEmpty())
        QVERIFY(!QFile::exists(workspace::currImgPath() + file));
}

QTEST_MAIN(TestInsertDialogs)
#include "tst_insertDialogs.moc"
