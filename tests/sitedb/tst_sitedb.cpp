#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QTest>

class TestSitedb : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pristineHasEveryTableAndColumn_data();
    void pristineHasEveryTableAndColumn();
    void pristineSeed();
    void namesAreCaseInsensitive();
    void boundValuesKeepTheirText_data();
    void boundValuesKeepTheirText();
    void identifiersAreWide();
    void transactionIsAllOrNothing();
    void failuresSayWhy();
    void openRefusesWhatIsNoSiteDatabase();
    void everyStoredChangeIsToldOnce_data();
    void everyStoredChangeIsToldOnce();

private:
    TempInstall* m_install = nullptr;
};

void TestSitedb::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->isValid());
    QVERIFY(m_install->openSite());
}

void TestSitedb::cleanup() {
    delete m_install;
    m_install = nullptr;
}

static QStringList contentColumns(const QString& owner) {
    QStringList cols{QStringLiteral("ID"), owner};
    for (int i = 1; i <= 15; ++i)
        cols << QStringLiteral("value%1").arg(i, 2, 10, QLatin1Char('0'));
    for (int i = 1; i <= 15; ++i)
        cols << QStringLiteral("field%1").arg(i, 2, 10, QLatin1Char('0'));
    return cols;
}

void TestSitedb::pristineHasEveryTableAndColumn_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("user_info") << QStringLiteral("user_info")
                               << QStringList{
                                      "user_ID",   "webName",     "dalm_name",   "Address",
                                      "linkMan",   "Tel",         "Mobile",      "Fax",
                                      "Zip",       "Email",       "logo",        "site_name",
                                      "accountNo", "defaultTmpl", "headTmpl",    "defaultFont",
                                      "headFont",  "backGround",  "defaultFile", "topHead",
                                      "field01",   "field02",     "field03",     "field04",
                                      "field05",   "adBoard",     "javascript",  "field06"};
    QTest::newRow("firstCatalog") << QStringLiteral("firstCatalog")
                                  << QStringList{"firstCatalog", "catalog", "orderID",
                                                 "aspFileName"};
    QTest::newRow("secondCatalog")
        << QStringLiteral("secondCatalog")
        << QStringList{"firstCatalog", "secondCatalog", "catalog", "orderID", "aspFileName"};
    QTest::newRow("thirdCatalog") << QStringLiteral("thirdCatalog")
                                  << QStringList{"firstCatalog", "secondCatalog", "thirdCatalog",
                                                 "catalog",      "orderID",       "aspFileName"};
    QTest::newRow("content01") << QStringLiteral("content01") << contentColumns("firstCatalog");
    QTest::newRow("content02") << QStringLiteral("content02") << contentColumns("secondCatalog");
    QTest::newRow("content03") << QStringLiteral("content03") << contentColumns("thirdCatalog");
    QTest::newRow("defaultTmpl") << QStringLiteral("defaultTmpl")
                                 << QStringList{"tmplType", "tmplName"};
    QTest::newRow("headTmpl") << QStringLiteral("headTmpl") << QStringList{"tmplType", "tmplName"};
    QTest::newRow("font") << QStringLiteral("font") << QStringList{"font"};
    QTest::newRow("prodType") << QStringLiteral("prodType") << QStringList{"Type_ID", "Type_name"};
    QTest::newRow("prodClass") << QStringLiteral("prodClass")
                               << QStringList{"Type_ID", "class_name"};
}

void TestSitedb::pristineHasEveryTableAndColumn() {
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    const QSqlRecord rec = sitedb::conn().record(table);
    QVERIFY2(!rec.isEmpty(), qPrintable(table));
    for (const QString& c : columns)
        QVERIFY2(rec.indexOf(c) >= 0, qPrintable(table + "." + c));
}

void TestSitedb::pristineSeed() {
    const sitedb::Rows users = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    QVERIFY(users.ok);
    QCOMPARE(users.rows.size(), 1);
    const sitedb::Row u = users.first();
    QCOMPARE(u.integer("user_ID"), 1);
    QVERIFY(!u.text("accountNo").isEmpty());
    QVERIFY(u.text("webName").isEmpty());
    QVERIFY(u.text("site_name").isEmpty());
    QVERIFY(u.text("field06").contains(QLatin1String("||")));

    const sitedb::Rows types =
        sitedb::query(QStringLiteral("SELECT * FROM prodType ORDER BY type_ID"));
    QVERIFY(types.rows.size() >= 5);
    for (const sitedb::Row& t : types.rows) {
        const sitedb::Rows classes = sitedb::query(
            QStringLiteral("SELECT prodClass.*, prodType.Type_name FROM prodType INNER JOIN "
                           "prodClass ON prodType.Type_ID = prodClass.Type_ID WHERE "
                           "(((prodType.Type_name)=?));"),
            {t.text("Type_name")});
        QVERIFY2(!classes.rows.isEmpty(), qPrintable(t.text("Type_name")));
    }
}

void TestSitedb::namesAreCaseInsensitive() {
    QVERIFY(sitedb::exec(QStringLiteral("INSERT INTO firstcatalog (FIRSTCATALOG, [catalog], "
                                        "orderid) VALUES (?, ?, ?)"),
                         {QStringLiteral("公司简介"), true, 1}));
    const sitedb::Rows r = sitedb::query(
        QStringLiteral("SELECT * FROM firstCatalog WHERE(firstCatalog.firstCatalog=?)"),
        {QStringLiteral("公司简介")});
    QCOMPARE(r.rows.size(), 1);
    QVERIFY(r.first().flag("Catalog"));
    QCOMPARE(r.first().integer("ORDERID"), 1);
    QCOMPARE(sitedb::userInfo(QStringLiteral("SITE_NAME")), QString());
}

void TestSitedb::boundValuesKeepTheirText_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien's");
    QTest::newRow("quotes and semicolon") << QStringLiteral("\"x\"; DROP TABLE user_info; --");
    QTest::newRow("chinese") << QStringLiteral("北京奥凡科技有限公司");
    QTest::newRow("line breaks") << QStringLiteral("a\r\nb\nc");
}

void TestSitedb::boundValuesKeepTheirText() {
    QFETCH(QString, value);
    QVERIFY(sitedb::setUserInfo(QStringLiteral("dalm_name"), value));
    QCOMPARE(sitedb::userInfo(QStringLiteral("dalm_name")), value);
    QVERIFY(sitedb::query(QStringLiteral("SELECT * FROM user_info")).rows.size() == 1);
}

void TestSitedb::identifiersAreWide() {
    // Record numbers beyond 16 bits stay whole.
    QVERIFY(sitedb::exec(QStringLiteral("INSERT INTO content01 (ID, firstCatalog) VALUES (?, ?)"),
                         {qint64(5000000000), QStringLiteral("新闻")}));
    const sitedb::Outcome next =
        sitedb::exec(QStringLiteral("INSERT INTO content01 (firstCatalog) VALUES (?)"),
                     {QStringLiteral("新闻")});
    QVERIFY(next);
    QCOMPARE(next.lastInsertId.toLongLong(), qint64(5000000001));
    const sitedb::Rows r = sitedb::query(
        QStringLiteral("SELECT * FROM content01 WHERE (firstCatalog=?) ORDER BY ID DESC"),
        {QStringLiteral("新闻")});
    QCOMPARE(r.first().integer("ID"), qint64(5000000001));
}

void TestSitedb::transactionIsAllOrNothing() {
    const sitedb::Outcome out = sitedb::execAll({
        {QStringLiteral("UPDATE user_info SET webName=?"), {QStringLiteral("新名字")}},
        {QStringLiteral("UPDATE no_such_table SET x=1"), {}},
    });
    QVERIFY(!out.ok);
    QVERIFY(!out.error.isEmpty());
    QCOMPARE(sitedb::userInfo(QStringLiteral("webName")), QString());

    QVERIFY(sitedb::execAll({
        {QStringLiteral("UPDATE user_info SET webName=?"), {QStringLiteral("新名字")}},
        {QStringLiteral("UPDATE user_info SET Tel=?"), {QStringLiteral("010-1234")}},
    }));
    QCOMPARE(sitedb::userInfo(QStringLiteral("webName")), QStringLiteral("新名字"));
    QCOMPARE(sitedb::userInfo(QStringLiteral("tel")), QStringLiteral("010-1234"));
}

void TestSitedb::failuresSayWhy() {
    const sitedb::Rows bad = sitedb::query(QStringLiteral("SELECT * FROM nowhere"));
    QVERIFY(!bad.ok);
    QVERIFY(bad.error.contains(QLatin1String("nowhere")));
    QVERIFY(!sitedb::setUserInfo(QStringLiteral("webName=1, Tel"), QStringLiteral("x")));
}

void TestSitedb::openRefusesWhatIsNoSiteDatabase() {
    const QString junk = m_install->currentPath() + QStringLiteral("junk.tdc");
    m_install->write(QStringLiteral("junk.tdc"), QByteArray(4096, 'x'));
    const sitedb::Outcome notDb = sitedb::open(junk);
    QVERIFY(!notDb.ok);
    QVERIFY(!notDb.error.isEmpty());
    QVERIFY(!sitedb::isOpen());

    const sitedb::Outcome missing = sitedb::open(m_install->currentPath() + "none.tdc");
    QVERIFY(!missing.ok);
    QVERIFY(!QFile::exists(m_install->currentPath() + "none.tdc"));
}

// The preview renders the site again on every change told: a change missed leaves it
// stale, one told for nothing renders for nothing.
void TestSitedb::everyStoredChangeIsToldOnce_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("told");
    QTest::newRow("one statement") << 0 << 1;
    QTest::newRow("a transaction of two") << 1 << 1;
    QTest::newRow("a transaction rolled back") << 2 << 0;
    QTest::newRow("a statement that fails") << 3 << 0;
    QTest::newRow("the write check") << 4 << 0;
    QTest::newRow("reading") << 5 << 0;
    QTest::newRow("opening") << 6 << 1;
}

void TestSitedb::everyStoredChangeIsToldOnce() {
    QFETCH(int, step);
    QFETCH(int, told);
    const QString file = sitedb::currentFile();
    QSignalSpy spy(&sitedb::changes(), &sitedb::Changes::stored);
    const sitedb::Statement name{QStringLiteral("UPDATE user_info SET webName=?"), {QStringLiteral("新")}};
    const sitedb::Statement tel{QStringLiteral("UPDATE user_info SET Tel=?"), {QStringLiteral("1")}};
    const sitedb::Statement bad{QStringLiteral("UPDATE nowhere SET x=1"), {}};
    switch (step) {
    case 0: QVERIFY(sitedb::exec(name.sql, name.args)); break;
    case 1: QVERIFY(sitedb::execAll({name, tel})); break;
    case 2: QVERIFY(!sitedb::execAll({name, bad})); break;
    case 3: QVERIFY(!sitedb::exec(bad.sql)); break;
    case 4: QVERIFY(sitedb::checkWritable()); break;
    case 5: QVERIFY(sitedb::query(QStringLiteral("SELECT * FROM user_info")).ok); break;
    case 6: QVERIFY(sitedb::open(file)); break;
    }
    QCOMPARE(spy.count(), told);
}

QTEST_GUILESS_MAIN(TestSitedb)
#include "tst_sitedb.moc"
