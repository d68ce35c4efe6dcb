#include "../content/contentRecord.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "preview/sitePreview.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using mdl_nov::Level;
using testfiles::readAll;
using testfiles::writeFile;

class TestSitePreview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void theStageHoldsWhatAnUploadBrings_data();
    void theStageHoldsWhatAnUploadBrings();
    void changesRenderTheSiteAgain_data();
    void changesRenderTheSiteAgain();

private:
    TempInstall* m_install = nullptr;
};

void TestSitePreview::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
}

void TestSitePreview::cleanup() {
    delete m_install;
    m_install = nullptr;
}

void TestSitePreview::theStageHoldsWhatAnUploadBrings_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("staged");
    QTest::newRow("a picture") << "photo.jpg" << true;
    QTest::newRow("a custom page's picture") << "images/b.gif" << true;
    QTest::newRow("a server-side script") << "x.asp" << false;
    QTest::newRow("a script among the pictures") << "images/y.ASP" << false;
    QTest::newRow("the packed pictures") << "images.zip" << false;
}

// The preview renders what an upload would bring, and follows the working folder: a file
// changed there is changed in the stage, a file removed there is gone from it.
void TestSitePreview::theStageHoldsWhatAnUploadBrings() {
    QFETCH(QString, file);
    QFETCH(bool, staged);
    const QString work = m_install->defaultWorkPath();
    QTemporaryDir stageDir;
    const QString stage = stageDir.path() + u'/';
    QDir().mkpath(work + "images");
    writeFile(work + file, "first");
    QString error;
    QVERIFY2(preview::stageUpload(work, stage, &error), qPrintable(error));
    QCOMPARE(QFile::exists(stage + file), staged);
    // The database is a snapshot that reads as a site database.
    QVERIFY(sitedb::ReadConnection(stage + "dalmbuilder.tdc", "check")
                .exec("SELECT COUNT(*) FROM user_info"));

    QFile::remove(work + file);
    writeFile(work + file, "second, longer");
    QVERIFY(preview::stageUpload(work, stage, &error));
    QCOMPARE(readAll(stage + file), staged ? QByteArray("second, longer") : QByteArray());
    QCOMPARE(readAll(work + file), QByteArray("second, longer"));

    QFile::remove(work + file);
    QVERIFY(preview::stageUpload(work, stage, &error));
    QVERIFY(!QFile::exists(stage + file));
}

void TestSitePreview::changesRenderTheSiteAgain_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("left");
    QTest::newRow("a record's title saved") << 0 << "今日新闻标题" << "";
    QTest::newRow("the site renamed") << 1 << "新的站名" << "";
    QTest::newRow("a picture gone") << 2 << "晨光贸易" << "图片不存在：photo.jpg";
}

// After the first rendering, a change stored in the site database renders the site again
// by itself; a picture gone from the working folder is said to be left out.
void TestSitePreview::changesRenderTheSiteAgain() {
    QFETCH(int, change);
    QFETCH(QString, shown);
    QFETCH(QString, left);
    const QString work = m_install->defaultWorkPath();
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(work + "photo.jpg"));
    QVERIFY(sitedb::setUserInfo("webName", "晨光贸易"));
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "新闻", false, "news").status,
             mdl_nov::AddResult::Added);
    QCOMPARE(mdl_nov::addNode(Level::None, {}, "关于", false, "txt").status,
             mdl_nov::AddResult::Added);
    addRecord("content01", "firstCatalog", "新闻", {"旧闻标题", "2026-12-01", "正文"});
    addRecord("content01", "firstCatalog", "关于", {"公司简介", "简介正文", "photo.jpg"});

    preview::SitePreview p(work, m_install->currentPath() + "skins/", {});
    QSignalSpy rendered(&p, &preview::SitePreview::rendered);
    p.render();
    QVERIFY(rendered.wait(60000));
    QVERIFY2(p.last().ok, qPrintable(p.last().error));
    QVERIFY(p.last().left.isEmpty());
    const QString home = p.siteFolder() + "index.html";
    QVERIFY(QString::fromUtf8(readAll(home)).contains("旧闻标题"));

    p.followChanges(true);
    if (change == 0)
        QVERIFY(sitedb::exec("UPDATE content01 SET value01=? WHERE firstCatalog=?",
                             {"今日新闻标题", "新闻"}));
    else if (change == 1)
        QVERIFY(sitedb::setUserInfo("webName", "新的站名"));
    else {
        QVERIFY(QFile::remove(work + "photo.jpg"));
        p.render();
    }
    QVERIFY(rendered.wait(60000));
    QVERIFY2(p.last().ok, qPrintable(p.last().error));
    QVERIFY(QString::fromUtf8(readAll(home)).contains(shown));
    QCOMPARE(p.last().left.join('\n'), left);
}

QTEST_GUILESS_MAIN(TestSitePreview)
#include "tst_sitePreview.moc"
