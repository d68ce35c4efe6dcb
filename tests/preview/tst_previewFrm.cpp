#include "../content/contentRecord.h"
#include "../richtext/pageScript.h"
#include "app/MDIFrm.h"
#include "content/insDataFrm.h"
#include "designer/catalogTree.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "preview/previewFrm.h"
#include "preview/sitePreview.h"
#include "scriptedUi.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineView>

using mdl_nov::Level;

class TestPreviewFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void theSiteShowsAtBothWidths_data();
    void theSiteShowsAtBothWidths();
    void aSaveRefreshesThePageInView();

private:
    previewFrm* waitForSite();
    QString pageText(previewFrm* p) {
        return pageScript(p->web_preview->page(), "document.body ? document.body.innerText : ''")
            .toString();
    }

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    MDIFrm* m_frm = nullptr;
};

void TestPreviewFrm::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    // A small site: a news page with a record, an introduction whose picture is missing.
    QVERIFY(sitedb::setUserInfo("webName", "晨光贸易"));
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "公司新闻", false, "news").status,
             mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "关于我们", false, "txt").status,
             mdl_nov::AddResult::Added);
    addRecord("content01", "firstCatalog", "公司新闻", {"新品发布会圆满成功", "2026-12-01", "正文"});
    addRecord("content01", "firstCatalog", "关于我们", {"公司简介", "简介正文", "gone.jpg"});
    m_frm = new MDIFrm;
    m_frm->setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(m_frm->load(nullptr, m_install->currentPath()));
}

void TestPreviewFrm::cleanup() {
    delete previewFrm::instance();
    delete m_frm;
    m_frm = nullptr;
    delete m_ui;
    delete m_install;
}

// The preview once it shows the site's home page; nullptr when it never does.
previewFrm* TestPreviewFrm::waitForSite() {
    previewFrm* p = previewFrm::instance();
    const bool shown = p && QTest::qWaitFor([&] { return p->sitePreview()->hasSite(); }, 60000) &&
                       QTest::qWaitFor([&] { return pageText(p).contains("晨光贸易"); }, 20000);
    return shown ? p : nullptr;
}

void TestPreviewFrm::theSiteShowsAtBothWidths_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("width");
    QTest::newRow("电脑, from the menu") << "mnuView_preview" << "cmd_desktop" << 1366;
    QTest::newRow("手机, from the tool bar") << "preview" << "cmd_phone" << 390;
}

void TestPreviewFrm::theSiteShowsAtBothWidths() {
    QFETCH(QString, command);
    QFETCH(QString, button);
    QFETCH(int, width);
    QAction* action = m_frm->findChild<QAction*>(command);
    QVERIFY(action && action->isEnabled());
    QCOMPARE(action->text(), QStringLiteral("预览网站"));
    action->trigger();
    previewFrm* p = waitForSite();
    QVERIFY(p);
    // A width chosen while the page is laid out at the other one.
    p->findChild<QPushButton*>(button == "cmd_phone" ? "cmd_desktop" : "cmd_phone")->click();
    p->findChild<QPushButton*>(button)->click();
    QCOMPARE(p->pageWidth(), width);
    QTRY_COMPARE_WITH_TIMEOUT(
        pageScript(p->web_preview->page(), "window.innerWidth").toInt(), width, 20000);
    const QString text = pageText(p);
    QVERIFY2(text.contains("新品发布会圆满成功"), qPrintable(text));
    // What the server would leave out is said under the page.
    QCOMPARE(p->lst_left->count(), 1);
    QCOMPARE(p->lst_left->item(0)->text(), QStringLiteral("图片不存在：gone.jpg"));
    QVERIFY(m_ui->messages.isEmpty());
}

void TestPreviewFrm::aSaveRefreshesThePageInView() {
    m_frm->showWorkWindow("updataFrm");
    auto* upload = qobject_cast<updataFrm*>(m_frm->workWindow("updataFrm"));
    QVERIFY(upload);
    upload->cmd_preview->click();
    previewFrm* p = waitForSite();
    QVERIFY(p);
    QWebEnginePage* page = p->web_preview->page();
    const QUrl home = page->url();
    // Links work inside the preview.
    pageScript(page, "[...document.links].find(a => a.textContent.trim() == '关于我们').click()");
    QTRY_VERIFY_WITH_TIMEOUT(page->url() != home && pageText(p).contains("公司简介"), 20000);
    const QUrl about = page->url();

    m_frm->showWorkWindow("insDataFrm");
    auto* content = qobject_cast<insDataFrm*>(m_frm->workWindow("insDataFrm"));
    QVERIFY(content);
    content->tvw_nav->expandAll();
    QTreeWidgetItem* item = catalogTree::findByText(content->tvw_nav, "关于我们");
    QVERIFY(item);
    QTest::mouseClick(content->tvw_nav->viewport(), Qt::LeftButton, {},
                      content->tvw_nav->visualItemRect(item).center());
    QCOMPARE(content->txt_title->text(), QStringLiteral("公司简介"));
    content->txt_title->setText("焕然一新的简介");
    content->cmd_ok->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据已保存！"));

    // The page in view shows the change, and stays the page in view.
    QTRY_VERIFY_WITH_TIMEOUT(pageText(p).contains("焕然一新的简介"), 30000);
    QCOMPARE(page->url(), about);

    p->cmd_browser->click();
    QCOMPARE(m_ui->openedUrls, QList<QUrl>{about});
}

QTEST_MAIN(TestPreviewFrm)
#include "tst_previewFrm.moc"
