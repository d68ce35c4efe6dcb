#include "content/mdl_entry.h"
#include "contentRecord.h"
#include "fixture.h"
#include "sitedb/sitedb.h"
#include "common/workspace.h"

#include <QBuffer>
#include <QFile>

#include <QTest>

using mdl_entry::Result;

class TestMdlEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void recordsStoreTheirColumns_data();
    void recordsStoreTheirColumns();
    void modifyingADeletedRecordBringsNothingBack();
    void thumbnail_data();
    void thumbnail();
    void thumbnailNeverAnotherPictures_data();
    void thumbnailNeverAnotherPictures();
    void transparentPictureThumbOnWhite_data();
    void transparentPictureThumbOnWhite();
    void recordWithoutPictureStoresEmptyText();

private:
    TempInstall* m_install = nullptr;
};

void TestMdlEntry::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
}

void TestMdlEntry::cleanup() {
    delete m_install;
    m_install = nullptr;
}

// Adds a record of `kind` from `fields`, then modifies it with `changed`: the stored columns
// are read back raw after each step.
void TestMdlEntry::recordsStoreTheirColumns_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("changed");
    QTest::addColumn<QStringList>("storedAfter");

    QTest::newRow("news, apostrophes and an encoded body")
        << "news" << "fst_1" << QStringList{"It's new", "2026-05-01", "a 'b'\n\"c\"", ""}
        << QStringList{"It's new", "2026-05-01", "a&nbsp;&#39;b&#39;<br>&#34;c&#34;", ""}
        << QStringList{"", "not a date", "x", "p.jpg"}
        << QStringList{"", "not a date", "x", "p.jpg"};
    QTest::newRow("gallery, caption kept with its blanks")
        << "imgs" << "snd_1_1" << QStringList{" O'Neil's cat ", "cat.jpg", "cat_small.bmp"}
        << QStringList{" O'Neil's cat ", "cat.jpg", "cat_small.bmp"}
        << QStringList{"dog", "", ""} << QStringList{"dog", "", ""};
    QTest::newRow("product, name trimmed when added, as typed when modified")
        << "prod01" << "thd_2_1"
        << QStringList{"  Tom's cup ", "5'x3'", "pc's", "12.5", "", "<p>[&#39;]</p>"}
        << QStringList{"Tom's cup", "5'x3'", "pc's", "12.5", "", "<p>[&#39;]</p>"}
        << QStringList{"   ", "", "", "", "c.jpg", ""}
        << QStringList{"   ", "", "", "", "c.jpg", ""};
}

void TestMdlEntry::recordsStoreTheirColumns() {
    QFETCH(QString, kind);
    QFETCH(QString, key);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, changed);
    QFETCH(QStringList, storedAfter);
    const QString owner = "O'Brien 栏目";
    // Ids beyond 16 bits address their own record.
    const QString table = key.startsWith("fst") ? "content01"
                          : key.startsWith("snd") ? "content02"
                                                  : "content03";
    QVERIFY(sitedb::exec("INSERT INTO " + table + "(ID) VALUES(70000)"));

    const auto save = [&](const QStringList& f, qint64 id) {
        if (kind == "news") {
            const mdl_entry::News n{f[0], f[1], f[2], f[3]};
            return id ? mdl_entry::modifyNews(key, id, n) : mdl_entry::addNews(key, owner, n);
        }
        if (kind == "imgs") {
            const mdl_entry::Gallery g{f[0], f[1], f[2]};
            return id ? mdl_entry::modifyGallery(key, id, g)
                      : mdl_entry::addGallery(key, owner, g);
        }
        const mdl_entry::Product p{f[0], f[1], f[2], f[3], f[4], f[5]};
        return id ? mdl_entry::modifyProduct(key, id, p) : mdl_entry::addProduct(key, owner, p);
    };
    const auto columns = [&](qint64 id) {
        const mdl_entry::Loaded l = mdl_entry::loadRecord(key, id);
        QStringList values;
        for (int i = 1; i <= stored.size(); ++i)
            values << l.row.text(QStringLiteral("value%1").arg(i, 2, 10, QLatin1Char('0')));
        return values;
    };

    const Result added = save(fields, 0);
    QVERIFY2(added.ok(), qPrintable(added.error));
    QCOMPARE(added.id, qint64(70001));
    QCOMPARE(columns(added.id), stored);
    QCOMPARE(mdl_entry::loadRecord(key, added.id).row.text("value07"), QString());
    QCOMPARE(sitedb::query("SELECT * FROM " + table + " WHERE ID=?", {added.id})
                 .first()
                 .text(table == "content01"   ? "firstCatalog"
                       : table == "content02" ? "secondCatalog"
                                              : "thirdCatalog"),
             owner);
    // What the dialog shows back is what was typed (the body decoded).
    if (kind == "news")
        QCOMPARE(mdl_entry::newsOf(mdl_entry::loadRecord(key, added.id).row).body, fields[2]);

    const Result modified = save(changed, added.id);
    QVERIFY2(modified.ok(), qPrintable(modified.error));
    QCOMPARE(columns(added.id), storedAfter);
    QCOMPARE(mdl_entry::loadRecord(key, 70000).row.text("value01"), QString());
}

void TestMdlEntry::modifyingADeletedRecordBringsNothingBack() {
    const qint64 id = addRecord("content02", "secondCatalog", "n", {"gone"});
    QVERIFY(sitedb::exec("DELETE FROM content02"));
    QCOMPARE(int(mdl_entry::loadRecord("snd_1_1", id).kind), int(mdl_entry::Loaded::Missing));
    QCOMPARE(int(mdl_entry::modifyNews("snd_1_1", id, {"t", "d", "b", ""}).kind),
             int(Result::Missing));
    QCOMPARE(int(mdl_entry::modifyProduct("snd_1_1", id, {"p", "", "", "", "", ""}).kind),
             int(Result::Missing));
    QVERIFY(sitedb::query("SELECT * FROM content02").isEmpty());
    QCOMPARE(int(mdl_entry::loadRecord("root", id).kind), int(mdl_entry::Loaded::NoLevel));
    QCOMPARE(int(mdl_entry::addNews("root", "n", {}).kind), int(Result::NoLevel));
    QVERIFY(sitedb::query("SELECT * FROM content01").isEmpty());
}

void TestMdlEntry::thumbnail_data() {
    QTest::addColumn<QSize>("picture"); // twips
    QTest::addColumn<QSize>("thumb");   // twips
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("thumbName");
    QTest::newRow("wide") << QSize(6000, 3000) << QSize(3000, 1500) << "flower.jpg"
                          << "flower_small.bmp";
    QTest::newRow("moderately tall") << QSize(3000, 2400) << QSize(2500, 2000)
                                     << "photo.final.jpg" << "photo_small.bmp";
    QTest::newRow("tall") << QSize(2000, 4000) << QSize(1500, 3000) << "a.b.jpg"
                          << "a_small.bmp";
    QTest::newRow("camera photo, 8000 x 6000 pixels")
        << QSize(120000, 90000) << QSize(2667, 2000) << "IMG_0001-2.JPG" << "IMG_0001-2_small.bmp";
    QTest::newRow("square, no dot") << QSize(15, 15) << QSize(3000, 3000) << "picture" << "picture_small.bmp";
}

void TestMdlEntry::thumbnail() {
    QFETCH(QSize, picture);
    QFETCH(QSize, thumb);
    QFETCH(QString, name);
    QFETCH(QString, thumbName);
    QCOMPARE(mdl_entry::thumbSize(picture), thumb);
    QCOMPARE(mdl_entry::thumbName(name), thumbName);
    // The bitmap drawn is the thumbnail's size in pixels, from a picture read smaller.
    const QImage image(8, 8, QImage::Format_RGB32);
    const QImage drawn = mdl_entry::thumbOf(image, picture / 15);
    QCOMPARE(drawn.size(), QSize(qRound(thumb.width() / 15.0), qRound(thumb.height() / 15.0)));
    const QString path = m_install->currentPath() + thumbName;
    QString why;
    QVERIFY2(mdl_entry::saveThumb(drawn, path, &why), qPrintable(why));
    QImage back;
    QVERIFY(back.load(path, "BMP"));
    QCOMPARE(back.size(), drawn.size());
}

// The gallery records stored ("picture=thumbnail") and the files of the working folder
// decide which thumbnail a picture takes and whether it is there already.
void TestMdlEntry::thumbnailNeverAnotherPictures_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("thumb");
    QTest::addColumn<bool>("drawn");
    const QStringList photo{"photo.jpg=photo_small.bmp"};
    const QStringList files{"photo.jpg", "photo_small.bmp", "photo.final.jpg"};
    QTest::newRow("beside the picture whose thumbnail has its name")
        << photo << files << "photo.final.jpg" << "photo-2_small.bmp" << false;
    QTest::newRow("the next name taken as well")
        << (photo + QStringList{"photo-2.jpg=photo-2_small.bmp"}) << files << "photo.final.jpg"
        << "photo-3_small.bmp" << false;
    QTest::newRow("the same picture again") << photo << files << "photo.jpg"
                                            << "photo_small.bmp" << true;
    QTest::newRow("the same picture, its thumbnail gone")
        << photo << QStringList{"photo.jpg"} << "photo.jpg" << "photo_small.bmp" << false;
    QTest::newRow("a thumbnail two pictures share")
        << QStringList{"a.jpg=a_small.bmp", "a.b.jpg=a_small.bmp"} << QStringList{"a_small.bmp"}
        << "a.jpg" << "a-2_small.bmp" << false;
    QTest::newRow("nothing stored") << QStringList{} << files << "photo.final.jpg"
                                    << "photo_small.bmp" << false;
}

void TestMdlEntry::thumbnailNeverAnotherPictures() {
    QFETCH(QStringList, stored);
    QFETCH(QStringList, files);
    QFETCH(QString, picture);
    QFETCH(QString, thumb);
    QFETCH(bool, drawn);
    for (const QString& f : files) {
        QFile file(workspace::currImgPath() + f);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    bool first = true; // the records spread over two levels
    for (const QString& r : stored) {
        QVERIFY(addRecord(first ? "content01" : "content03", first ? "firstCatalog" : "thirdCatalog",
                          "图库", {"说明", r.section('=', 0, 0), r.section('=', 1)}) > 0);
        first = !first;
    }
    const mdl_entry::Thumb t = mdl_entry::thumbFor(picture);
    QCOMPARE(t.name, thumb);
    QCOMPARE(t.drawn, drawn);
}

// A picture with transparent parts gets white behind it in its bitmap thumbnail.
void TestMdlEntry::transparentPictureThumbOnWhite_data() {
    QTest::addColumn<QByteArray>("bytes");
    // 1 x 1 GIF whose one pixel is the transparent colour (black in its palette).
    QTest::newRow("GIF") << QByteArray::fromHex(
        "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");
    QImage png(40, 20, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");
    QTest::newRow("PNG") << pngBytes;
}

void TestMdlEntry::transparentPictureThumbOnWhite() {
    QFETCH(QByteArray, bytes);
    QImage picture;
    QVERIFY(picture.loadFromData(bytes));
    const QImage thumb = mdl_entry::thumbOf(picture, picture.size());
    QCOMPARE(QColor(thumb.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(thumb.pixel(thumb.width() - 1, thumb.height() - 1)), QColor(Qt::white));
}

// Saved without a picture, as the dialogs save it: the picture columns hold the empty text.
void TestMdlEntry::recordWithoutPictureStoresEmptyText() {
    QVERIFY(mdl_entry::addNews("snd_1_1", "页", {"标题", {}, {}, {}}).ok());
    QVERIFY(mdl_entry::addGallery("snd_1_1", "页", {"说明", {}, {}}).ok());
    const Result p = mdl_entry::addProduct("snd_1_1", "页", {"产品", {}, {}, {}, {}, {}});
    QVERIFY(mdl_entry::modifyProduct("snd_1_1", p.id, {"产品", {}, {}, {}, {}, {}}).ok());
    QCOMPARE(sitedb::query("SELECT * FROM content02").rows.size(), 3);
    QVERIFY(sitedb::query("SELECT * FROM content02 WHERE value02 IS NULL OR value03 IS NULL OR "
                          "(value01='标题' AND value04 IS NULL) OR "
                          "(value01='产品' AND value05 IS NULL)")
                .isEmpty());
}

QTEST_GUILESS_MAIN(TestMdlEntry)
#include "tst_mdl_entry.moc"
