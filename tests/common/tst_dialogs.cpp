#include "common/dialogs.h"
#include "scriptedUi.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkNumInputRefusesLetters();
    void checkNumInputPassesNumbers();
    void chooseColor();
    void browseFolder();
};

void TestDialogs::checkNumInputRefusesLetters() {
    ScriptedUi ui;
    QLineEdit box;
    int handled = 0;
    // A change handler that checks its own box must not loop on the correction.
    QObject::connect(&box, &QLineEdit::textChanged, [&] {
        ++handled;
        mdl_func::checkNumInput(&box);
    });
    box.setText(QStringLiteral("12a"));
    QCOMPARE(box.text(), QStringLiteral("12"));
    QCOMPARE(handled, 1);
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().text, QStringLiteral("请输入数字！"));
    QCOMPARE(ui.last().title, QStringLiteral("提示"));
    QCOMPARE(ui.last().icon, QMessageBox::Information);
}

void TestDialogs::checkNumInputPassesNumbers() {
    ScriptedUi ui;
    QLineEdit box;
    for (const QString& t : {QStringLiteral("-3.5"), QString(), QStringLiteral("42")}) {
        box.setText(t);
        QVERIFY(mdl_func::checkNumInput(&box));
        QCOMPARE(box.text(), t);
    }
    QVERIFY(ui.messages.isEmpty());
}

void TestDialogs::chooseColor() {
    ScriptedUi ui;
    ui.colors.enqueue(QColor(255, 0, 0));
    QCOMPARE(mdl_func::chooseColor(nullptr), QStringLiteral("#FF0000"));
    QVERIFY(ui.messages.isEmpty());

    // Cancelled: a message, then black, never an empty text.
    QCOMPARE(mdl_func::chooseColor(nullptr), QStringLiteral("#000000"));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.last().title, QStringLiteral("提示"));
    QCOMPARE(ui.last().icon, QMessageBox::Critical);
    QVERIFY(!ui.last().text.isEmpty());
}

void TestDialogs::browseFolder() {
    ScriptedUi ui;
    ui.folders.enqueue(QStringLiteral("/srv/pages/"));
    QCOMPARE(mdl_mdifrm::browseFolder(nullptr, QStringLiteral("选择文件夹"), QStringLiteral("/")),
             QStringLiteral("/srv/pages"));
    QCOMPARE(mdl_mdifrm::browseFolder(nullptr, QStringLiteral("选择文件夹"), QStringLiteral("/")),
             QString());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
