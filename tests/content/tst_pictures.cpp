#include "common/workspace.h"
#include "content/pictures.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void copyBringsFileUnderItsOwnName();
    void copyOfTheWorkingFileItselfKeepsIt();
    void copyOfMissingFileFails();
    void namedWherever_data();
    void namedWherever();
    void removeUnnamedKeepsWhatIsNamed();
    void removeUnnamedNeverLeavesTheFolder_data();
    void removeUnnamedNeverLeavesTheFolder();

private:
    QString work() const { return workspace::currImgPath(); }
    void put(const QString& path, const QByteArray& bytes) const {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytesOf(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TempInstall* m_install = nullptr;
    QTemporaryDir* m_outside = nullptr;
};

void TestPictures::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_outside = new QTemporaryDir;
}

void TestPictures::cleanup() {
    delete m_outside;
    delete m_install;
}

void TestPictures::copyBringsFileUnderItsOwnName() {
    put(work() + "logo.gif", "old");
    put(m_outside->filePath("logo.gif"), "new");
    const pictures::Copied c = pictures::copyIntoWorkspace(m_outside->filePath("logo.gif"));
    QVERIFY(c.ok);
    QCOMPARE(c.name, QStringLiteral("logo.gif"));
    QCOMPARE(bytesOf(work() + "logo.gif"), QByteArray("new"));
    QVERIFY(!QFile::exists(work() + "logo.gif.part"));
}

void TestPictures::copyOfTheWorkingFileItselfKeepsIt() {
    put(work() + "a.jpg", "picture");
    const pictures::Copied c = pictures::copyIntoWorkspace(work() + "a.jpg");
    QVERIFY(c.ok);
    QCOMPARE(bytesOf(work() + "a.jpg"), QByteArray("picture"));
}

void TestPictures::copyOfMissingFileFails() {
    put(work() + "a.jpg", "picture");
    const pictures::Copied c = pictures::copyIntoWorkspace(m_outside->filePath("a.jpg"));
    QVERIFY(!c.ok);
    QVERIFY(!c.error.isEmpty());
    QCOMPARE(bytesOf(work() + "a.jpg"), QByteArray("picture"));
}

void TestPictures::namedWherever_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("named");
    QTest::newRow("picture slot") << "INSERT INTO content01(firstCatalog,value03) VALUES('p',?)"
                                  << "a.jpg" << true;
    QTest::newRow("rich text") << "INSERT INTO content03(thirdCatalog,value01) VALUES('p',?)"
                               << "<img src=\"[imgpath]/a.jpg\">" << true;
    QTest::newRow("product picture") << "INSERT INTO content02(secondCatalog,value05) VALUES('p',?)"
                                     << "A.JPG" << true;
    QTest::newRow("site logo") << "UPDATE user_info SET logo=?"
                               << "a.jpg" << true;
    QTest::newRow("list setting") << "UPDATE user_info SET adBoard=?"
                                  << "1||a.jpg||300" << true;
    QTest::newRow("other picture") << "INSERT INTO content01(firstCatalog,value03) VALUES('p',?)"
                                   << "b.jpg" << false;
}

void TestPictures::namedWherever() {
    QFETCH(QString, sql);
    QFETCH(QString, value);
    QFETCH(bool, named);
    QVERIFY(!pictures::isNamed("a.jpg"));
    QVERIFY(sitedb::exec(sql, {value}));
    QCOMPARE(pictures::isNamed("a.jpg"), named);
}

void TestPictures::removeUnnamedKeepsWhatIsNamed() {
    for (const char* n : {"old.jpg", "shared.jpg", "current.jpg"})
        put(work() + n, "x");
    // The page now names current.jpg; another page still names shared.jpg.
    QVERIFY(sitedb::exec("INSERT INTO content01(firstCatalog,value03) VALUES('甲',?)",
                         {"current.jpg"}));
    QVERIFY(sitedb::exec("INSERT INTO content02(secondCatalog,value04) VALUES('乙',?)",
                         {"shared.jpg"}));
    const QStringList removed =
        pictures::removeUnnamed({"old.jpg", "shared.jpg", "current.jpg", "", "missing.jpg"});
    QCOMPARE(removed, QStringList{"old.jpg"});
    QVERIFY(!QFile::exists(work() + "old.jpg"));
    QVERIFY(QFile::exists(work() + "shared.jpg"));
    QVERIFY(QFile::exists(work() + "current.jpg"));
}

void TestPictures::removeUnnamedNeverLeavesTheFolder_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("the site database") << "dalmbuilder.tdc";
    QTest::newRow("parent folder") << "../initPath.ini";
    QTest::newRow("dot dot") << "..";
}

void TestPictures::removeUnnamedNeverLeavesTheFolder() {
    QFETCH(QString, name);
    const QString path = work() + name;
    const bool existed = QFile::exists(path);
    QVERIFY(pictures::removeUnnamed({name}).isEmpty());
    QCOMPARE(QFile::exists(path), existed);
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
