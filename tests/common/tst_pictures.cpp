#include "common/workspace.h"
#include "common/pictures.h"
#include "fixture.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

class TestPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void chooseNeverOverwritesAnotherFile_data();
    void chooseNeverOverwritesAnotherFile();
    void chooseRefusesWhatItCannotCarry_data();
    void chooseRefusesWhatItCannotCarry();
    void largePhotoIsReadOnlyAsLargeAsItsPreview();
    void trackerDefersAndKeepsWhatIsStored();
    void namedWherever_data();
    void namedWherever();
    void removeUnnamedKeepsWhatIsNamed();
    void namedExactlyInEveryStoredForm_data();
    void namedExactlyInEveryStoredForm();
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

// Each row picks, in turn, files of the outside folder (or "work:" for a file of the
// working folder) and names what the working folder must end up storing them as.
void TestPictures::chooseNeverOverwritesAnotherFile_data() {
    QTest::addColumn<QStringList>("picks");     // "folder/name=content"
    QTest::addColumn<QStringList>("expected");  // the stored names, in order
    QTest::addColumn<QString>("storedThumb");   // a thumbnail a stored record names
    QTest::newRow("two cameras, one name")
        << QStringList{"a/IMG_0001.JPG=one", "b/IMG_0001.JPG=two"}
        << QStringList{"IMG_0001.JPG", "IMG_0001-2.JPG"} << QString();
    QTest::newRow("the same file again")
        << QStringList{"a/IMG_0001.JPG=one", "a/IMG_0001.JPG=one"}
        << QStringList{"IMG_0001.JPG", "IMG_0001.JPG"} << QString();
    QTest::newRow("third of a name")
        << QStringList{"a/p.jpg=1", "b/p.jpg=2", "c/p.jpg=3", "b/p.jpg=2"}
        << QStringList{"p.jpg", "p-2.jpg", "p-3.jpg", "p-2.jpg"} << QString();
    QTest::newRow("from the working folder itself")
        << QStringList{"work:/logo.gif=x"} << QStringList{"logo.gif"} << QString();
    QTest::newRow("the program's own files")
        << QStringList{"a/dalmbuilder.tdc=x", "a/ZIPTEST.ZIP=y"}
        << QStringList{"dalmbuilder-2.tdc", "ZIPTEST-2.ZIP"} << QString();
    QTest::newRow("a thumbnail another record shows")
        << QStringList{"a/photo.final.jpg=x"} << QStringList{"photo-2.final.jpg"}
        << "photo_small.bmp";
    // "!": the record names the thumbnail, whose file is missing.
    QTest::newRow("a thumbnail another record names, file missing")
        << QStringList{"a/photo.png=x"} << QStringList{"photo-2.png"} << "!photo_small.bmp";
}

void TestPictures::chooseNeverOverwritesAnotherFile() {
    QFETCH(QStringList, picks);
    QFETCH(QStringList, expected);
    QFETCH(QString, storedThumb);
    const bool thumbMissing = storedThumb.startsWith(u'!');
    if (thumbMissing)
        storedThumb.remove(0, 1);
    if (!storedThumb.isEmpty()) {
        if (!thumbMissing)
            put(work() + storedThumb, "thumb");
        QVERIFY(sitedb::exec("INSERT INTO content01(firstCatalog,value03) VALUES('g',?)",
                             {storedThumb}));
    }
    pictures::ChoiceOptions options;
    options.picture = false;
    options.companion = [](const QString& n) { return n.section(u'.', 0, 0) + "_small.bmp"; };
    for (int i = 0; i < picks.size(); ++i) {
        const QString file = picks[i].section(u'=', 0, 0);
        const QByteArray content = picks[i].section(u'=', 1).toUtf8();
        QString path;
        if (file.startsWith("work:")) {
            path = work() + file.mid(6);
        } else {
            QDir(m_outside->path()).mkpath(file.section(u'/', 0, 0));
            path = m_outside->filePath(file);
        }
        put(path, content);
        const pictures::Choice c = pictures::choose(path, options);
        QVERIFY2(c.ok(), qPrintable(c.message));
        QCOMPARE(c.name, expected[i]);
        QCOMPARE(bytesOf(work() + c.name), content);
    }
    // Every file chosen earlier is still there with its own content.
    for (int i = 0; i < picks.size(); ++i)
        QCOMPARE(bytesOf(work() + expected[i]), picks[i].section(u'=', 1).toUtf8());
    QVERIFY(sitedb::query("SELECT * FROM user_info").ok);
    if (!storedThumb.isEmpty() && !thumbMissing)
        QCOMPARE(bytesOf(work() + storedThumb), QByteArray("thumb"));
}

void TestPictures::chooseRefusesWhatItCannotCarry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::newRow("Chinese name") << "花.jpg" << QByteArray("x")
                                  << int(pictures::Choice::NotAscii);
    QTest::newRow("text named as a picture") << "notes.jpg" << QByteArray("just text")
                                             << int(pictures::Choice::NotPicture);
    QTest::newRow("empty file") << "empty.gif" << QByteArray()
                                << int(pictures::Choice::NotPicture);
}

void TestPictures::chooseRefusesWhatItCannotCarry() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    put(m_outside->filePath(name), content);
    const pictures::Choice c = pictures::choose(m_outside->filePath(name));
    QCOMPARE(int(c.status), status);
    QVERIFY(!c.message.isEmpty());
    QVERIFY(!QFile::exists(work() + name));
    if (status == pictures::Choice::NotPicture)
        QVERIFY(c.message.contains(name));
}

void TestPictures::largePhotoIsReadOnlyAsLargeAsItsPreview() {
    // A 48-megapixel camera photo, named as cameras name them.
    const QString path = m_outside->filePath("IMG_0001.JPG");
    {
        QImage photo(8000, 6000, QImage::Format_RGB888);
        photo.fill(QColor(40, 120, 200));
        QVERIFY(QImageWriter(path, "jpeg").write(photo));
    }
    pictures::ChoiceOptions options;
    options.previewBound = QSize(200, 133);
    const pictures::Choice c = pictures::choose(path, options);
    QVERIFY2(c.ok(), qPrintable(c.message));
    QCOMPARE(c.picture.size, QSize(8000, 6000));
    QVERIFY(c.picture.image.width() <= 200 && c.picture.image.height() <= 133);
    QCOMPARE(c.picture.image.width(), 177);  // 133 high, the proportions kept
    QCOMPARE(pictures::sizeOf(work() + c.name), QSize(8000, 6000));
    // At its own size too, for the actual-size views.
    QCOMPARE(pictures::load(path).image.size(), QSize(8000, 6000));
}

void TestPictures::trackerDefersAndKeepsWhatIsStored() {
    // The record names old.jpg; the window picks new.jpg, then newer.jpg.
    put(work() + "old.jpg", "x");
    QVERIFY(sitedb::exec("INSERT INTO content01(firstCatalog,value02) VALUES('n',?)",
                         {"old.jpg"}));
    pictures::ChoiceOptions options;
    options.picture = false;
    pictures::Tracker dropped;
    for (const char* n : {"new.jpg", "newer.jpg"}) {
        put(m_outside->filePath(n), n);
        dropped.broughtIn(pictures::choose(m_outside->filePath(n), options));
    }
    dropped.replacing("old.jpg");
    QVERIFY(QFile::exists(work() + "old.jpg"));  // nothing goes before the save
    // Cancelled: the copies go, what the record names stays.
    QCOMPARE(dropped.dropped(), (QStringList{"new.jpg", "newer.jpg"}));
    QVERIFY(QFile::exists(work() + "old.jpg"));

    // Saved naming newer.jpg: the old picture and the superseded copy go.
    pictures::Tracker saved;
    for (const char* n : {"new.jpg", "newer.jpg"})
        saved.broughtIn(pictures::choose(m_outside->filePath(n), options));
    saved.replacing("old.jpg");
    QVERIFY(sitedb::exec("UPDATE content01 SET value02=?", {"newer.jpg"}));
    QCOMPARE(saved.saved(), (QStringList{"old.jpg", "new.jpg"}));
    QVERIFY(QFile::exists(work() + "newer.jpg"));
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

// One stored value, in the form its column keeps names in, against the files of the
// working folder: a file is kept exactly when the value names it, whole.
void TestPictures::namedExactlyInEveryStoredForm_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("files"); // in the working folder
    QTest::addColumn<QStringList>("named"); // those the value names
    const QString rich = "INSERT INTO content03(thirdCatalog,value01) VALUES('页',?)";
    const QString slot = "INSERT INTO content01(firstCatalog,value03) VALUES('页',?)";
    const QString list = "UPDATE user_info SET field01=?";
    const QStringList apostrophe{"it's.jpg", "it.jpg", "s.jpg"};
    QTest::newRow("rich text, apostrophe stored")
        << rich << "<p><img src=\"[imgpath]/it[&#39;]s.jpg\"></p>" << apostrophe
        << QStringList{"it's.jpg"};
    QTest::newRow("rich text, apostrophe as a reference")
        << rich << "<img src=\"[imgpath]/it&#39;s.jpg\" alt=\"\">" << apostrophe
        << QStringList{"it's.jpg"};
    const QStringList odd{"it's 1#%.jpg", "it's 1", "a&b.jpg", "b.jpg"};
    QTest::newRow("rich text, percent-encoded address")
        << rich << "<img src=\"[imgpath]/it%27s%201%23%25.jpg\">" << odd
        << QStringList{"it's 1#%.jpg"};
    QTest::newRow("rich text, blank, hash and percent as typed")
        << rich << "<img src=\"[imgpath]/it[&#39;]s 1#%.jpg\">"
        << QStringList{"it's 1#%.jpg", "it.jpg", "1#%.jpg"} << QStringList{"it's 1#%.jpg"};
    QTest::newRow("rich text, ampersand and a CSS address")
        << rich
        << "<div style=\"background: url(&quot;[imgpath]/a&amp;b.jpg&quot;)\"></div>"
           "<img src=\"[imgpath]/b.jpg\">"
        << odd << QStringList{"a&b.jpg", "b.jpg"};
    const QStringList small{"small.bmp", "mid_small.bmp", "small.bmp.jpg"};
    QTest::newRow("bare name holding another")
        << slot << "mid_small.bmp" << small << QStringList{"mid_small.bmp"};
    QTest::newRow("rich text naming a longer name")
        << rich << "<img src=\"[imgpath]/small.bmp.jpg\"><img src=\"[imgpath]/mid_small.bmp\">"
        << small << QStringList{"small.bmp.jpg", "mid_small.bmp"};
    QTest::newRow("\"||\" list") << list << "||a.htm||ab.htm"
                                 << QStringList{"a.htm", "b.htm", "ab.htm", "a.htm||ab.htm"}
                                 << QStringList{"a.htm", "ab.htm"};
    QTest::newRow("letter case, while the stored name's own file is missing")
        << slot << "Photo.JPG" << QStringList{"photo.jpg"} << QStringList{"photo.jpg"};
    QTest::newRow("letter case, beside the stored name's own file")
        << slot << "Photo.JPG" << QStringList{"photo.jpg", "Photo.JPG"}
        << QStringList{"Photo.JPG"};
}

void TestPictures::namedExactlyInEveryStoredForm() {
    QFETCH(QString, sql);
    QFETCH(QString, value);
    QFETCH(QStringList, files);
    QFETCH(QStringList, named);
    for (const QString& f : files)
        put(work() + f, f.toUtf8());
    QVERIFY(sitedb::exec(sql, {value}));
    for (const QString& f : files)
        QVERIFY2(pictures::isNamed(f) == named.contains(f), qPrintable(f));
    QStringList unnamed = files;
    for (const QString& f : named)
        unnamed.removeAll(f);
    QCOMPARE(pictures::removeUnnamed(files), unnamed);
    for (const QString& f : files)
        QCOMPARE(QFile::exists(work() + f), named.contains(f));
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
