#include "chrome/aboutFrm.h"
#include "chrome/cmdBtn.h"
#include "chrome/windowBox.h"
#include "chrome/xp_canvas.h"
#include "fixture.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

class TestAboutFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsProductAndVersion();
    void closes_data();
    void closes();
    void closeBoxLooks();
};

void TestAboutFrm::showsProductAndVersion() {
    TempInstall inst;
    aboutFrm* frm = aboutFrm::instance();
    QCOMPARE(aboutFrm::instance(), frm);
    QCOMPARE(frm->windowTitle(), QStringLiteral("关于Orvane"));
    QCOMPARE(frm->canvas->caption(), QStringLiteral("关于Orvane"));
    QCOMPARE(frm->lbl_msg->text(), QStringLiteral("欢迎使用Orvane自动建站软件\n\n版本号：Ver3.05"));
    QVERIFY(!frm->img_logo->pixmap().isNull());
    QCOMPARE(frm->cmd_cancel->caption(), QStringLiteral("关闭"));
    frm->show();
    QVERIFY(QTest::qWaitForWindowExposed(frm));
    // Nothing stands outside the window.
    for (QWidget* w : {static_cast<QWidget*>(frm->winCloseBtn), static_cast<QWidget*>(frm->img_logo),
                       static_cast<QWidget*>(frm->lbl_msg), static_cast<QWidget*>(frm->cmd_cancel)})
        QVERIFY2(frm->rect().contains(w->geometry()), qPrintable(w->objectName()));
    delete frm;
    QVERIFY(!aboutFrm::instance(false));
}

void TestAboutFrm::closes_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("close box") << "box";
    QTest::newRow("关闭") << "button";
    QTest::newRow("Enter on 关闭") << "enter";
    QTest::newRow("Esc") << "esc";
}

void TestAboutFrm::closes() {
    QFETCH(QString, how);
    TempInstall inst;
    QPointer<aboutFrm> frm = aboutFrm::instance();
    frm->show();
    QVERIFY(QTest::qWaitForWindowExposed(frm));
    if (how == "box")
        QTest::mouseClick(frm->winCloseBtn, Qt::LeftButton);
    else if (how == "button")
        QTest::mouseClick(frm->cmd_cancel, Qt::LeftButton);
    else if (how == "enter")
        QTest::keyClick(frm->cmd_cancel, Qt::Key_Return);
    else
        QTest::keyClick(frm, Qt::Key_Escape);
    QTRY_VERIFY(frm.isNull());
}

void TestAboutFrm::closeBoxLooks() {
    windowBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    int clicks = 0;
    connect(&box, &windowBox::Click, [&] { ++clicks; });
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(box.look(), windowBox::Look::Pressed);
    // Released outside the box: no click.
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(box.look(), windowBox::Look::Normal);
    QCOMPARE(clicks, 0);
}

QTEST_MAIN(TestAboutFrm)
#include "tst_aboutFrm.moc"
