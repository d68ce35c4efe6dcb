#include "common/workspace.h"
#include "fixture.h"
#include "organisation/mdl_info.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestMdlInfo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void saveStoresAsTyped_data();
    void saveStoresAsTyped();
    void logoReplacedOnlyOnceStored_data();
    void logoReplacedOnlyOnceStored();

private:
    QString picture(const QString& folder, const QString& name, QColor color) {
        QDir().mkpath(m_outside.filePath(folder));
        const QString path = m_outside.filePath(folder + "/" + name);
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(color);
        img.save(path, "PNG");
        return path;
    }
    static mdl_info::OrgInfo withName(const QString& name, const QString& logo = {}) {
        mdl_info::OrgInfo info = mdl_info::load();
        info.values[0] = name;
        info.logo = logo;
        return info;
    }

    TempInstall* m_install = nullptr;
    QTemporaryDir m_outside;
};

void TestMdlInfo::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
}

void TestMdlInfo::cleanup() {
    delete m_install;
}

void TestMdlInfo::saveStoresAsTyped_data() {
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("status");
    QTest::newRow("apostrophes and Chinese")
        << QStringList{"O'Neil's 网站", "北京奥凡科技有限公司", "朝阳区'一'号", "王 先生", "010-1",
                       "139", "010-2", "100000", "a'b@example.com"}
        << int(mdl_info::SaveResult::Saved);
    QTest::newRow("site name of blanks") << QStringList{"  　 ", "x", "", "", "", "", "", "", ""}
                                         << int(mdl_info::SaveResult::BlankName);
    QTest::newRow("empty site name") << QStringList{"", "", "", "", "", "", "", "", ""}
                                     << int(mdl_info::SaveResult::BlankName);
}

void TestMdlInfo::saveStoresAsTyped() {
    QFETCH(QStringList, values);
    QFETCH(int, status);
    const mdl_info::OrgInfo before = mdl_info::load();
    mdl_info::OrgInfo info{values, QStringLiteral("logo.gif")};
    QCOMPARE(int(mdl_info::save(info).status), status);
    const mdl_info::OrgInfo after = mdl_info::load();
    if (status == mdl_info::SaveResult::Saved) {
        QCOMPARE(after.values, values);
        QCOMPARE(after.logo, QStringLiteral("logo.gif"));
    } else {
        QCOMPARE(after.values, before.values);
    }
}

// Each step picks a picture ("folder/name", "work:name" for a file of the working folder)
// or saves, cancels or drops; the working folder must then hold exactly `files` besides
// the site database, and the stored logo be `stored`.
void TestMdlInfo::logoReplacedOnlyOnceStored_data() {
    QTest::addColumn<bool>("elsewhere"); // a working folder named in initPath.ini
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("stored");
    QTest::newRow("replaced, kept until the save")
        << false << QStringList{"a/old.png", "save", "b/new.png"}
        << QStringList{"new.png", "old.png"} << "old.png";
    QTest::newRow("replaced and saved") << false
                                        << QStringList{"a/old.png", "save", "b/new.png", "save"}
                                        << QStringList{"new.png"} << "new.png";
    QTest::newRow("the stored file picked again")
        << false << QStringList{"a/old.png", "save", "work:old.png", "save"}
        << QStringList{"old.png"} << "old.png";
    QTest::newRow("cancelled, then saved")
        << false << QStringList{"a/old.png", "save", "b/new.png", "cancel", "save"}
        << QStringList{} << "";
    QTest::newRow("left unsaved") << false << QStringList{"a/old.png", "save", "b/new.png", "drop"}
                                  << QStringList{"old.png"} << "old.png";
    QTest::newRow("another working folder")
        << true << QStringList{"a/old.png", "save", "b/new.png", "save"}
        << QStringList{"new.png"} << "new.png";
}

void TestMdlInfo::logoReplacedOnlyOnceStored() {
    QFETCH(bool, elsewhere);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, files);
    QFETCH(QString, stored);
    QTemporaryDir other;
    if (elsewhere) {
        sitedb::close();
        QVERIFY(QFile::copy(m_install->defaultWorkPath() + "dalmbuilder.tdc",
                            other.filePath("dalmbuilder.tdc")));
        workspace::setWorkingPath(other.path());
        QVERIFY(sitedb::open(other.filePath("dalmbuilder.tdc")));
    }
    mdl_info::Logo logo;
    logo.loaded(mdl_info::load().logo);
    int n = 0;
    for (const QString& step : steps) {
        if (step == u"save") {
            QCOMPARE(int(mdl_info::save(withName("站", logo.name())).status),
                     int(mdl_info::SaveResult::Saved));
            logo.saved();
        } else if (step == u"cancel") {
            QVERIFY(logo.cancel());
            QVERIFY(logo.name().isEmpty());
        } else if (step == u"drop") {
            logo.dropped();
        } else {
            const QString path = step.startsWith("work:")
                                     ? workspace::currDataPath() + step.mid(5)
                                     : picture(step.section('/', 0, 0), step.section('/', 1),
                                               QColor::fromHsv(40 * ++n, 200, 200));
            const pictures::Choice c = pictures::choose(path);
            QVERIFY2(c.ok(), qPrintable(c.message));
            logo.brought(c);
        }
    }
    QStringList held = QDir(workspace::currDataPath()).entryList(QDir::Files, QDir::Name);
    held.removeAll("dalmbuilder.tdc");
    QCOMPARE(held, files);
    QCOMPARE(mdl_info::load().logo, stored);
    // The default folder is not the working folder's stand-in.
    if (elsewhere)
        QCOMPARE(QDir(m_install->defaultWorkPath()).entryList(QDir::Files),
                 QStringList{"dalmbuilder.tdc"});
}

QTEST_GUILESS_MAIN(TestMdlInfo)
#include "tst_mdl_info.moc"
