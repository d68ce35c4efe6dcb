#include "guide/guidFrm.h"
#include "guide/mdl_guide.h"
#include "common/workspace.h"
#include "fixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWebEngineView>

namespace {

QTreeWidgetItem* node(guidFrm& frm, const QString& key) {
    for (QTreeWidgetItemIterator it(frm.tvw_title); *it; ++it) {
        if ((*it)->data(0, guidFrm::KeyRole).toString() == key)
            return *it;
    }
    return nullptr;
}

QString picture(guidFrm& frm, const QString& key) {
    return node(frm, key)->data(0, guidFrm::PictureRole).toString();
}

void clickNode(guidFrm& frm, QTreeWidgetItem* item) {
    frm.tvw_title->scrollToItem(item);
    const QRect r = frm.tvw_title->visualItemRect(item);
    QTest::mouseClick(frm.tvw_title->viewport(), Qt::LeftButton, {}, r.center());
}

QUrl helpPage(const TempInstall& inst, const QString& name) {
    return QUrl::fromLocalFile(inst.currentPath() + "help/" + name);
}

} // namespace

class TestGuidFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensOnTheWelcomePage();
    void everyTopicHasItsPage();
    void mouseUpShowsThePage_data();
    void mouseUpShowsThePage();
    void groupPicturesFollowExpansion();
    void keyboardMovesThroughTopics();
};

void TestGuidFrm::opensOnTheWelcomePage() {
    TempInstall inst;
    guidFrm frm;
    QCOMPARE(frm.windowTitle(), QStringLiteral("用法指南"));
    QTRY_COMPARE(frm.weber->url(), helpPage(inst, "index.htm"));
    QCOMPARE(frm.tvw_title->topLevelItemCount(), 4);
    QVERIFY(node(frm, "about")->isExpanded());
    QVERIFY(!node(frm, "doc")->isExpanded());
    QCOMPARE(picture(frm, "about"), QStringLiteral("open"));
    QCOMPARE(picture(frm, "FAQ"), QStringLiteral("close"));
    QCOMPARE(picture(frm, "suc.htm"), QStringLiteral("file"));
    QCOMPARE(node(frm, "faq03.htm")->parent(), node(frm, "FAQ"));
    QVERIFY(!frm.currentTopic());
    // A mouse-up before any node is selected shows nothing new.
    frm.tvw_title_MouseUp(Qt::LeftButton, {}, 0, 0);
    QCOMPARE(frm.weber->url(), helpPage(inst, "index.htm"));
}

void TestGuidFrm::everyTopicHasItsPage() {
    // The installation's pages: one for every page topic, and every picture, style sheet
    // and page they refer to is there.
    const QString help = builtInstallPath() + "help/";
    static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"#:]+)[\"#]"));
    for (const mdl_guide::Topic& t : mdl_guide::topics()) {
        if (t.tag != u"file")
            continue;
        QFile page(help + t.key);
        QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(t.key));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY2(html.contains(u"<title>" + t.text), qPrintable(t.key));
        for (auto m = ref.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            QVERIFY2(QFile::exists(help + target), qPrintable(t.key + " → " + target));
        }
    }
}

void TestGuidFrm::mouseUpShowsThePage_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shows");
    QTest::newRow("a page") << "dgn.htm" << "dgn.htm";
    QTest::newRow("the organisation page") << "basic.htm" << "basic.htm";
    QTest::newRow("the appearance page") << "sltTmpl.htm" << "sltTmpl.htm";
    QTest::newRow("a page at the top level") << "suc.htm" << "suc.htm";
    QTest::newRow("a page whose file is missing") << "ceo.htm" << "about:blank";
    QTest::newRow("a group leaves the page") << "about" << "index.htm";
}

void TestGuidFrm::mouseUpShowsThePage() {
    QFETCH(QString, key);
    QFETCH(QString, shows);
    TempInstall inst;
    QFile::remove(inst.currentPath() + "help/ceo.htm");
    guidFrm frm;
    frm.resize(900, 600);
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    clickNode(frm, node(frm, key));
    QTRY_COMPARE(frm.currentTopic(), node(frm, key));
    const QUrl expected = shows == "about:blank" ? QUrl(shows) : helpPage(inst, shows);
    QTRY_COMPARE(frm.weber->url(), expected);
}

void TestGuidFrm::groupPicturesFollowExpansion() {
    TempInstall inst;
    guidFrm frm;
    frm.resize(900, 600);
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    // The pictures change at the next mouse-up, not with the expansion itself.
    node(frm, "doc")->setExpanded(true);
    node(frm, "about")->setExpanded(false);
    QCOMPARE(picture(frm, "doc"), QStringLiteral("close"));
    clickNode(frm, node(frm, "doc"));
    QTRY_COMPARE(picture(frm, "doc"), QStringLiteral("open"));
    QCOMPARE(picture(frm, "about"), QStringLiteral("close"));
    QCOMPARE(picture(frm, "index.htm"), QStringLiteral("file"));
    QTRY_COMPARE(frm.weber->url(), helpPage(inst, "index.htm"));
}

void TestGuidFrm::keyboardMovesThroughTopics() {
    TempInstall inst;
    guidFrm frm;
    frm.resize(900, 600);
    frm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frm));
    clickNode(frm, node(frm, "prodIntro.htm"));
    QTRY_COMPARE(frm.weber->url(), helpPage(inst, "prodIntro.htm"));
    frm.tvw_title->setFocus();
    QTest::keyClick(frm.tvw_title, Qt::Key_Down);
    QCOMPARE(frm.currentTopic(), node(frm, "setup.htm"));
    QTRY_COMPARE(frm.weber->url(), helpPage(inst, "setup.htm"));
}

QTEST_MAIN(TestGuidFrm)
#include "tst_guidFrm.moc"
