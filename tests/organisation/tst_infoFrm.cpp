#include "app/MDIFrm.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "content/insDataFrm.h"
#include "fixture.h"
#include "organisation/infoFrm.h"
#include "scriptedUi.h"
#include "typing.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

class TestInfoFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void saveNamesTheSiteEverywhere_data();
    void saveNamesTheSiteEverywhere();
    void leavingWithChangesRemindsOnce();
    void logoShowsAgainAfterARestart();

private:
    infoFrm* info() const { return qobject_cast<infoFrm*>(m_frm->workWindow("infoFrm")); }

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    MDIFrm* m_frm = nullptr;
};

void TestInfoFrm::init() {
    m_install = new TempInstall;
    m_ui = new ScriptedUi;
    m_frm = new MDIFrm;
    m_frm->setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(m_frm->load(nullptr, m_install->currentPath()));
    m_frm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frm, 30000));
    m_frm->showWorkWindow("infoFrm");
}

void TestInfoFrm::cleanup() {
    delete m_frm;
    delete m_ui;
    delete m_install;
}

void TestInfoFrm::saveNamesTheSiteEverywhere_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title"); // of the frame afterwards
    QTest::newRow("a name with an apostrophe")
        << "奥凡's 科技" << "数据保存成功！" << "奥凡's 科技--Orvane自动建站系列软件";
    QTest::newRow("blanks only") << "   " << "站点名称不能为空！" << "--Orvane自动建站系列软件";
}

void TestInfoFrm::saveNamesTheSiteEverywhere() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, title);
    infoFrm* w = info();
    QVERIFY(!w->cmd_ok->isEnabled());
    typeText(w->txt_webName, typed);
    QTest::keyClicks(w->txt_email, "a'b@example.com");
    QVERIFY(w->cmd_ok->isEnabled());
    QTest::mouseClick(w->cmd_ok, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), message);
    QCOMPARE(m_ui->last().title, QStringLiteral("提示"));
    QCOMPARE(m_frm->windowTitle(), title);
    const bool saved = message == u"数据保存成功！";
    QCOMPARE(w->cmd_ok->isEnabled(), !saved);
    QCOMPARE(sitedb::userInfo("webName"), saved ? typed : QString());
    const auto* designer = qobject_cast<designFrm*>(m_frm->workWindow("designFrm"));
    const auto* content = qobject_cast<insDataFrm*>(m_frm->workWindow("insDataFrm"));
    for (const QTreeWidget* tree : {designer->tvw_nav, content->tvw_nav})
        QCOMPARE(catalogTree::root(tree)->text(0), saved ? typed : QString());
}

void TestInfoFrm::leavingWithChangesRemindsOnce() {
    infoFrm* w = info();
    // Leaving without changes is quiet.
    m_frm->showWorkWindow("designFrm");
    QCoreApplication::processEvents();
    QVERIFY(m_ui->messages.isEmpty());
    m_frm->showWorkWindow("infoFrm");
    w->txt_linkMan->setFocus();
    typeText(w->txt_linkMan, "王先生");
    m_frm->showWorkWindow("designFrm");
    QTRY_COMPARE(m_ui->messages.size(), 1);
    // Whatever the reminder queued has run, and asked no more.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(m_ui->messages.size(), 1);
    QCOMPARE(m_ui->last().text, QStringLiteral("数据还未保存！"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Question);
    // The window is in front again, the typing where it was.
    QCOMPARE(m_frm->mdiArea()->activeSubWindow()->widget(), w);
    QCOMPARE(QApplication::focusWidget(), w->txt_linkMan);
    QCOMPARE(w->txt_linkMan->text(), QStringLiteral("王先生"));
    QVERIFY(w->cmd_ok->isEnabled());
    // Each attempt to leave gets its one reminder.
    m_frm->showWorkWindow("updataFrm");
    QTRY_COMPARE(m_ui->messages.size(), 2);
    QCOMPARE(m_frm->mdiArea()->activeSubWindow()->widget(), w);
}

void TestInfoFrm::logoShowsAgainAfterARestart() {
    const QString source = m_install->currentPath() + "pick/logo.png";
    m_install->write("pick/logo.png", {});
    QImage logo(120, 60, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    QVERIFY(logo.save(source, "PNG"));
    infoFrm* w = info();
    m_ui->files.enqueue(source);
    QTest::mouseClick(w->cmd_view, Qt::LeftButton);
    QVERIFY(!w->img->pixmap().isNull());
    typeText(w->txt_webName, "站");
    QTest::mouseClick(w->cmd_ok, Qt::LeftButton);
    QCOMPARE(m_ui->lastText(), QStringLiteral("数据保存成功！"));
    infoFrm again;
    QCOMPARE(again.logoName(), QStringLiteral("logo.png"));
    QVERIFY(!again.img->pixmap().isNull());
    QVERIFY(!again.cmd_ok->isEnabled());
    // Cancelling the dialog is reported under "警告" and changes nothing.
    QTest::mouseClick(again.cmd_view, Qt::LeftButton);
    QCOMPARE(m_ui->last().title, QStringLiteral("警告"));
    QCOMPARE(again.logoName(), QStringLiteral("logo.png"));
}

QTEST_MAIN(TestInfoFrm)
#include "tst_infoFrm.moc"
