#include "common/gbk.h"

#include <QTest>

class TestGbk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void invalidBytesNeverFail();
    void unencodableBecomesQuestionMark();
};

void TestGbk::roundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QStringLiteral("<#login#>20061001||417305");
    QTest::newRow("chinese") << QStringLiteral("您好，欢迎使用！");
    QTest::newRow("mixed") << QStringLiteral("站点 abc123 “引号”");
}

void TestGbk::roundTrip() {
    QFETCH(QString, text);
    const QByteArray bytes = gbk::encode(text);
    QCOMPARE(gbk::decode(bytes), text);
}

void TestGbk::invalidBytesNeverFail() {
    // "你" in GBK is C4 E3; a lone lead byte at the end cannot be decoded.
    const QString s = gbk::decode(QByteArray("\xC4\xE3\xC4", 3));
    QVERIFY(s.startsWith(QStringLiteral("你")));
    QVERIFY(s.size() >= 2);
    QVERIFY(s.contains(QChar::ReplacementCharacter));
    QCOMPARE(gbk::encode(QStringLiteral("你")), QByteArray("\xC4\xE3"));
}

void TestGbk::unencodableBecomesQuestionMark() {
    const QByteArray b = gbk::encode(QStringLiteral("a😀b"));
    QVERIFY(b.startsWith('a'));
    QVERIFY(b.endsWith('b'));
}

QTEST_GUILESS_MAIN(TestGbk)
#include "tst_gbk.moc"
