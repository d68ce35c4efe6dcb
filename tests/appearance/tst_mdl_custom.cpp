#include "appearance/mdl_custom.h"
#include "common/workspace.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class TestMdlCustom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void homePageFolderChecked_data();
    void homePageFolderChecked();
    void homePageKeepsWhatExtraPagesNeed();
    void header_data();
    void header();
    void extraPages_data();
    void extraPages();
    void extraPagesStayInsideTheWorkingFolder();

private:
    QString work() const { return workspace::currImgPath(); }
    // Writes the files (relative paths, "name=content") below the outside folder `folder`.
    QString make(const QString& folder, const QStringList& files) {
        const QString base = m_outside->filePath(folder) + "/";
        for (const QString& f : files) {
            const QString rel = f.section('=', 0, 0);
            QDir().mkpath(QFileInfo(base + rel).path());
            QFile file(base + rel);
            if (file.open(QIODevice::WriteOnly))
                file.write(f.contains('=') ? f.section('=', 1).toUtf8() : rel.toUtf8());
        }
        return base;
    }
    QByteArray bytesOf(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesBelow(const QString& folder) const {
        QStringList out;
        for (const QString& f : QDir(folder).entryList(QDir::Files, QDir::Name))
            out << f;
        return out;
    }

    TempInstall* m_install = nullptr;
    QTemporaryDir* m_outside = nullptr;
};

void TestMdlCustom::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_outside = new QTemporaryDir;
}

void TestMdlCustom::cleanup() {
    delete m_outside;
    delete m_install;
}

void TestMdlCustom::homePageFolderChecked_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("message"); // "@" stands for the folder, ending with "/"
    const QString only = "在@文件夹只能包含default.htm文件及其相关联的文件夹images"
                         "(网页中包含的图片存放文件夹)，";
    QTest::newRow("accepted") << QStringList{"default.htm", "images/a.jpg"} << "default.htm" << "";
    QTest::newRow("letter case kept")
        << QStringList{"Default.HTM", "images/a.jpg"} << "Default.HTM" << "";
    QTest::newRow("a folder named like the page")
        << QStringList{"default.htm/default.htm", "default.htm/images/a.jpg"}
        << "default.htm/default.htm" << "";
    QTest::newRow("not the home page") << QStringList{"index.htm", "images/a.jpg"} << "index.htm"
                                       << "这不是一个有效的default.htm文件";
    QTest::newRow("one file more") << QStringList{"default.htm", "images/a.jpg", "notes.txt"}
                                   << "default.htm" << only + "含有多余的文件！";
    QTest::newRow("no images") << QStringList{"default.htm", "pics/a.jpg"} << "default.htm"
                               << "在@文件夹中必须包含images文件夹！";
    QTest::newRow("a second folder") << QStringList{"default.htm", "images/a.jpg", "css/a.css"}
                                     << "default.htm" << only + "含有多余的文件夹！";
}

void TestMdlCustom::homePageFolderChecked() {
    QFETCH(QStringList, files);
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    const QString base = make("site", files);
    const QString path = base + chosen;
    message.replace("@", QFileInfo(path).absolutePath() + "/");
    const mdl_custom::Choice done = mdl_custom::setHomePage(path);
    QCOMPARE(done.notice.text, message);
    if (message.isEmpty()) {
        const QString name = QFileInfo(chosen).fileName();
        QCOMPARE(done.name, name);
        QCOMPARE(sitedb::userInfo("defaultFile"), name);
        QCOMPARE(bytesOf(work() + name), bytesOf(path));
        QVERIFY(QFile::exists(work() + "images/a.jpg"));
    } else {
        QCOMPARE(done.notice.kind, mdl_custom::Notice::Info);
        QCOMPARE(sitedb::userInfo("defaultFile"), QString());
        QVERIFY(!QFileInfo::exists(work() + "images"));
    }
    QVERIFY(!QFileInfo::exists(work() + ".images.part"));
}

void TestMdlCustom::homePageKeepsWhatExtraPagesNeed() {
    // Without extra pages the folder is the home page's alone.
    QVERIFY(mdl_custom::setHomePage(make("h1", {"default.htm", "images/one.jpg"}) + "default.htm")
                .notice.ok());
    QVERIFY(mdl_custom::setHomePage(make("h2", {"default.htm", "images/two.jpg"}) + "default.htm")
                .notice.ok());
    QCOMPARE(filesBelow(work() + "images"), QStringList{"two.jpg"});
    QVERIFY(mdl_custom::unsetHomePage().ok());
    QVERIFY(!QFileInfo::exists(work() + "images"));
    QVERIFY(!QFile::exists(work() + "default.htm"));

    // With extra pages stored, their pictures stay whatever the home page does.
    QVERIFY(mdl_custom::setPages(make("extra", {"a.htm", "images/page.gif"})).notice.ok());
    QVERIFY(mdl_custom::setHomePage(make("h3", {"Default.htm", "images/three.jpg"}) + "Default.htm")
                .notice.ok());
    QCOMPARE(filesBelow(work() + "images"), (QStringList{"page.gif", "three.jpg"}));
    QVERIFY(mdl_custom::unsetHomePage().ok());
    QVERIFY(QFile::exists(work() + "images/page.gif"));
    QVERIFY(!QFile::exists(work() + "Default.htm"));
    QVERIFY(QFile::exists(work() + "a.htm"));
    QCOMPARE(sitedb::userInfo("defaultFile"), QString());
}

void TestMdlCustom::header_data() {
    QTest::addColumn<QStringList>("picks"); // "name=content"; "jpg"/"gif" content: a picture
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("headers"); // the header files in the working folder
    QTest::newRow("Logo.SWF") << QStringList{"Logo.SWF=FWS"} << "topHeadSelf.swf" << ""
                              << QStringList{"topHeadSelf.swf"};
    QTest::newRow("logo.png") << QStringList{"logo.png=jpg"} << "" << "这不是一个有效的头文件"
                              << QStringList{};
    QTest::newRow("a picture replaced by another kind")
        << QStringList{"head.jpg=jpg", "head.gif=gif"} << "topHeadSelf.gif" << ""
        << QStringList{"topHeadSelf.gif"};
    QTest::newRow("text named as a picture") << QStringList{"head.jpg=text"} << "" << "head.jpg"
                                             << QStringList{};
}

void TestMdlCustom::header() {
    QFETCH(QStringList, picks);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    QFETCH(QStringList, headers);
    mdl_custom::Choice done;
    for (const QString& pick : picks) {
        const QString name = pick.section('=', 0, 0);
        const QString kind = pick.section('=', 1);
        const QString path = make("h", {pick});
        if (kind == u"jpg" || kind == u"gif") {
            QImage img(76, 13, QImage::Format_RGB32);
            img.fill(Qt::blue);
            QVERIFY(img.save(path + name, kind == u"jpg" ? "JPG" : "PNG"));
        }
        done = mdl_custom::setHeader(path + name);
    }
    QVERIFY2(done.notice.text.contains(message), qPrintable(done.notice.text));
    QCOMPARE(done.notice.ok(), message.isEmpty());
    QCOMPARE(sitedb::userInfo("topHead"), stored);
    QCOMPARE(QDir(work()).entryList({"topHeadSelf.*"}, QDir::Files), headers);
    if (stored.endsWith("swf")) {
        const QString file = work() + stored;
        QCOMPARE(done.name, QStringLiteral("Logo.SWF"));
        const QString html = mdl_custom::headPreviewHtml(file);
        const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
        QVERIFY(html.startsWith(
            "<body  leftmargin=0 topmargin=0><OBJECT codeBase=" + QLatin1String(mdl_custom::kFlashCab) +
            "#version=6,0,29,0 width=760 height=130 "
            "classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000><PARAM NAME='movie' VALUE='" +
            url + "'><PARAM NAME='quality' VALUE='high'><param name='wmode' value='transparent'>"));
        QVERIFY(html.endsWith("</OBJECT>"));
    }
    if (!stored.isEmpty()) {
        mdl_custom::unsetHeader();
        QCOMPARE(sitedb::userInfo("topHead"), QString());
        QVERIFY(QDir(work()).entryList({"topHeadSelf.*"}, QDir::Files).isEmpty());
    }
}

void TestMdlCustom::extraPages_data() {
    QTest::addColumn<QStringList>("before"); // pages stored first ("" for none)
    QTest::addColumn<QStringList>("folder");
    QTest::addColumn<QString>("stored");     // field01 afterwards
    QTest::addColumn<QString>("message");
    QTest::newRow("pages and a style sheet") << QStringList{}
                                             << QStringList{"a.htm", "b.MHT", "c.css"}
                                             << "||a.htm||b.MHT" << "";
    QTest::newRow("the first file no page") << QStringList{} << QStringList{"0.txt", "b.htm"}
                                            << "||b.htm" << "";
    QTest::newRow("a home page among them")
        << QStringList{"old.htm"} << QStringList{"a.htm", "Default.htm"} << "||old.htm"
        << "不能包含default.htm！";
    QTest::newRow("replaced") << QStringList{"a.htm=old", "old.htm"}
                              << QStringList{"a.htm=new", "n.mht"} << "||a.htm||n.mht" << "";
    QTest::newRow("a name holding the list's separator")
        << QStringList{"old.htm"} << QStringList{"a.htm", "x||y.htm"} << "||old.htm"
        << "文件名中不能包含“||”";
    QTest::newRow("a copy that fails")
        << QStringList{"old.htm"} << QStringList{"a.htm", "blocked.htm", "old.htm=changed"}
        << "||old.htm" << "blocked.htm";
}

void TestMdlCustom::extraPages() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, folder);
    QFETCH(QString, stored);
    QFETCH(QString, message);
    if (!before.isEmpty())
        QVERIFY(mdl_custom::setPages(make("before", before)).notice.ok());
    // Something in the working folder that no page may replace.
    QDir().mkpath(work() + "blocked.htm");
    qint64 last = -1, total = -1;
    const mdl_custom::Pages done = mdl_custom::setPages(
        make("new", folder), [&](qint64 d, qint64 t) { last = d, total = t; });
    QVERIFY2(done.notice.text.contains(message), qPrintable(done.notice.text));
    QCOMPARE(done.notice.ok(), message.isEmpty());
    QCOMPARE(sitedb::userInfo("field01"), stored);
    QStringList pages = filesBelow(work());
    pages.removeAll("dalmbuilder.tdc");
    QStringList expected = stored.split("||", Qt::SkipEmptyParts);
    expected.sort();
    QCOMPARE(pages, expected);
    if (done.notice.ok()) {
        QCOMPARE(done.names, stored.split("||", Qt::SkipEmptyParts));
        QCOMPARE(last, total);
        for (const QString& f : folder) {
            if (expected.contains(f.section('=', 0, 0)))
                QCOMPARE(bytesOf(work() + f.section('=', 0, 0)),
                         bytesOf(m_outside->filePath("new/" + f.section('=', 0, 0))));
        }
    } else {
        // What was stored is there as it was.
        for (const QString& f : before)
            QCOMPARE(bytesOf(work() + f.section('=', 0, 0)),
                     bytesOf(m_outside->filePath("before/" + f.section('=', 0, 0))));
    }
}

void TestMdlCustom::extraPagesStayInsideTheWorkingFolder() {
    // The working folder's "images" is a link to a folder outside it.
    QTemporaryDir elsewhere;
    QVERIFY(QFile::link(elsewhere.path(), work() + "images"));
    QVERIFY(mdl_custom::setPages(make("extra", {"a.htm", "images/p.gif", "images/sub/q.gif"}))
                .notice.ok());
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    QVERIFY(!QFileInfo(work() + "images").isSymLink());
    QVERIFY(QFile::exists(work() + "images/p.gif"));
    QVERIFY(QFile::exists(work() + "images/sub/q.gif"));
    // Un-setting the home page never follows a link either.
    QVERIFY(QFile::link(elsewhere.path(), work() + "images/sub/link"));
    QFile(elsewhere.filePath("keep.txt")).open(QIODevice::WriteOnly);
    QVERIFY(mdl_custom::unsetPages().ok());
    QVERIFY(mdl_custom::unsetHomePage().ok());
    QVERIFY(QFile::exists(elsewhere.filePath("keep.txt")));
    QVERIFY(!QFileInfo::exists(work() + "images"));
}

QTEST_GUILESS_MAIN(TestMdlCustom)
#include "tst_mdl_custom.moc"
