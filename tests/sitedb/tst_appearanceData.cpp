// The appearance catalogues of the pristine site database against the installation
// beside the program: a row that names a missing picture shows the user a blank tile,
// and a template without its skin cannot be published.

#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QTest>

class TestAppearanceData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyNamedPictureIsThere_data();
    void everyNamedPictureIsThere();
    void catalogueIsAChoice();

private:
    TempInstall* m_install = nullptr;
};

void TestAppearanceData::initTestCase() {
    m_install = new TempInstall;
    QVERIFY(m_install->isValid());
    QVERIFY(m_install->openSite());
}

void TestAppearanceData::cleanupTestCase() {
    delete m_install;
    m_install = nullptr;
}

void TestAppearanceData::everyNamedPictureIsThere_data() {
    QTest::addColumn<QString>("picture"); // below the installation folder
    QTest::addColumn<QString>("source");  // the definition below the source tree, if any

    const auto add = [](const QString& what, const QString& picture, const QString& source) {
        QTest::newRow(qPrintable(what + u' ' + picture)) << picture << source;
    };
    for (const char* table : {"defaultTmpl", "headTmpl"}) {
        const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM ") + table);
        QVERIFY2(rows.ok && !rows.isEmpty(), table);
        for (const sitedb::Row& r : rows.rows) {
            const QString name = r.text("tmplName");
            const QString code = name.left(5);
            add(table, u"template/" + name, u"skins/templates/" + code + u"/skin.html");
            add(table, u"template/" + code + u".jpg", QString());
        }
    }
    const sitedb::Rows fonts = sitedb::query(QStringLiteral("SELECT * FROM font"));
    QVERIFY2(fonts.ok && !fonts.isEmpty(), "font");
    for (const sitedb::Row& r : fonts.rows) {
        const QString name = r.text("font");
        add(QStringLiteral("font"), u"fonts/" + name,
            u"skins/names/" + name.section(u'.', 0, 0) + u".css");
    }
    const sitedb::Row u = sitedb::query(QStringLiteral("SELECT * FROM user_info")).first();
    add(QStringLiteral("user_info"), u"template/" + u.text("defaultTmpl"), QString());
    add(QStringLiteral("user_info"), u"template/" + u.text("headTmpl"), QString());
    add(QStringLiteral("user_info"), u"fonts/" + u.text("defaultFont"), QString());
    add(QStringLiteral("user_info"), u"fonts/" + u.text("headFont"), QString());
    // The picture the background dialog proposes.
    add(QStringLiteral("proposed"), QStringLiteral("backGround/0005.JPG"), QString());
}

void TestAppearanceData::everyNamedPictureIsThere() {
    QFETCH(QString, picture);
    QFETCH(QString, source);
    const QString path = m_install->currentPath() + picture;
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    QImageReader reader(path);
    QVERIFY2(reader.canRead() && reader.size().width() > 0, qPrintable(path));
    if (!source.isEmpty())
        QVERIFY2(QFileInfo::exists(QStringLiteral(ORVANE_SOURCE_DIR "/") + source), qPrintable(source));
}

void TestAppearanceData::catalogueIsAChoice() {
    // Two templates with one code would share one preview; a category of one is no choice.
    QSet<QString> codes;
    for (const char* table : {"defaultTmpl", "headTmpl"}) {
        const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM ") + table);
        QSet<QString> categories;
        for (const sitedb::Row& r : rows.rows) {
            const QString code = r.text("tmplName").left(5);
            QVERIFY2(!codes.contains(code), qPrintable(code));
            codes.insert(code);
            categories.insert(r.text("tmplType"));
        }
        QVERIFY2(rows.rows.size() >= 12 && categories.size() >= 4, table);
    }
}

QTEST_GUILESS_MAIN(TestAppearanceData)
#include "tst_appearanceData.moc"
