// The picture pipeline on real files: what each kind of picture becomes, and the cache a
// site keeps between renderings.

#include <vips/vips.h> // before Qt: GLib names a member "signals"

#include "publish/webPictures.h"
#include "cameraPhoto.h"
#include "fixture.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace publish;
using testfiles::readAll;
using testfiles::writeFile;

namespace {

QByteArray vipsBytes(VipsImage* img, const char* suffix) {
    void* buf = nullptr;
    size_t len = 0;
    QByteArray out;
    if (vips_image_write_to_buffer(img, suffix, &buf, &len, nullptr) == 0)
        out = QByteArray(static_cast<const char*>(buf), qsizetype(len));
    g_free(buf);
    g_object_unref(img);
    return out;
}

// A picture of `w` × `h` in one colour, in a format libvips writes.
QByteArray plain(int w, int h, const char* suffix, VipsBandFormat format = VIPS_FORMAT_UCHAR) {
    VipsImage *black = nullptr, *lit = nullptr, *cast = nullptr;
    vips_black(&black, w, h, "bands", 3, nullptr);
    vips_linear1(black, &lit, 1.0, format == VIPS_FORMAT_USHORT ? 30000.0 : 120.0, nullptr);
    vips_cast(lit, &cast, format, nullptr);
    g_object_unref(black);
    g_object_unref(lit);
    if (format == VIPS_FORMAT_USHORT)
        vips_image_set_int(cast, "interpretation", VIPS_INTERPRETATION_RGB16);
    cast->Type = format == VIPS_FORMAT_USHORT ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB;
    return vipsBytes(cast, suffix);
}

// Frames that differ (an encoder may fold equal ones into one).
QByteArray animatedGif(int w, int h, int frames) {
    VipsImage* strip = nullptr;
    vips_black(&strip, w, h * frames, "bands", 4, nullptr);
    VipsImage* cast = nullptr;
    vips_cast(strip, &cast, VIPS_FORMAT_UCHAR, nullptr);
    g_object_unref(strip);
    VipsImage* mem = vips_image_copy_memory(cast);
    g_object_unref(cast);
    for (int f = 0; f < frames; ++f) {
        double ink[4] = {double(60 * f + 40), 200.0 - 50 * f, 90.0, 255.0};
        vips_draw_rect(mem, ink, 4, 0, f * h, w / (f + 1), h, "fill", TRUE, nullptr);
    }
    mem->Type = VIPS_INTERPRETATION_sRGB;
    vips_image_set_int(mem, "page-height", h);
    return vipsBytes(mem, ".gif");
}

QByteArray qtImage(int w, int h, QImage::Format format, const char* kind, bool transparent = false) {
    QImage img(w, h, format);
    img.fill(transparent ? QColor(0, 0, 0, 0) : QColor(Qt::darkCyan));
    if (transparent)
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixelColor(x, y, QColor(200, 30, 30, 255));
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, kind);
    return out;
}

struct Opened {
    VipsImage* img = nullptr;
    explicit Opened(const QString& file) {
        img = vips_image_new_from_file(QFile::encodeName(file).constData(), "n", -1, nullptr);
        if (!img) {
            vips_error_clear();
            img = vips_image_new_from_file(QFile::encodeName(file).constData(), nullptr);
        }
    }
    ~Opened() {
        if (img)
            g_object_unref(img);
    }
};

} // namespace

class TestWebPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(VIPS_INIT("tst_webPictures") == 0); }
    void pictureBecomesWebFiles_data();
    void pictureBecomesWebFiles();
    void cacheKeepsWhatTheSiteUses();
};

void TestWebPictures::pictureBecomesWebFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("type"); // the fallback's type; empty when it cannot be shown
    QTest::addColumn<QSize>("largest");
    QTest::addColumn<int>("frames");

    // 400 × 300 as the sensor saw it, turned a quarter on the page: 300 × 400.
    QTest::newRow("camera photo, turned, with GPS")
        << "photo.jpg" << testsupport::cameraJpeg(400, 300, 6, 1) << int(Box::Detail) << "image/jpeg"
        << QSize(300, 400) << 1;
    QTest::newRow("BMP thumbnail") << "g1_small.bmp" << qtImage(200, 150, QImage::Format_RGB32, "BMP")
                                   << int(Box::Thumb) << "image/jpeg" << QSize(200, 150) << 1;
    QTest::newRow("transparent PNG") << "logo.png"
                                     << qtImage(100, 80, QImage::Format_ARGB32, "PNG", true)
                                     << int(Box::Logo) << "image/png" << QSize(100, 80) << 1;
    QTest::newRow("16-bit photo PNG") << "scan.png" << plain(1200, 900, ".png", VIPS_FORMAT_USHORT)
                                      << int(Box::Detail) << "image/jpeg" << QSize(960, 720) << 1;
    QTest::newRow("TIFF") << "scan.tif" << testsupport::plainTiff(500, 400) << int(Box::List) << "image/jpeg"
                          << QSize(320, 256) << 1;
    QTest::newRow("panorama 30000 x 200") << "pano.jpg" << plain(30000, 200, ".jpg") << int(Box::Wide)
                                          << "image/jpeg" << QSize(1920, 13) << 1;
    QTest::newRow("animated GIF") << "spin.gif" << animatedGif(60, 40, 3) << int(Box::Thumb)
                                  << "image/gif" << QSize(60, 40) << 3;
    QTest::newRow("SVG with a script")
        << "mark.svg"
        << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"60\">"
                      "<script>alert(1)</script><rect width=\"120\" height=\"60\" fill=\"red\"/></svg>")
        << int(Box::Logo) << "image/svg+xml" << QSize(120, 60) << 1;
    QTest::newRow("not a picture") << "broken.jpg" << QByteArray("this is no JPEG at all")
                                   << int(Box::Detail) << QString() << QSize() << 0;
}

void TestWebPictures::pictureBecomesWebFiles() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, box);
    QFETCH(QString, type);
    QFETCH(QSize, largest);
    QFETCH(int, frames);
    QVERIFY(!bytes.isEmpty());
    QTemporaryDir dir;
    const QString source = dir.filePath(name);
    writeFile(source, bytes);
    const QString site = dir.filePath(QStringLiteral("www/"));
    WebPictures pictures(site, QString(), 2);
    const ShownPicture shown = pictures.show(source, Box(box));
    QCOMPARE(shown.ok, !type.isEmpty());
    pictures.finish();
    if (type.isEmpty()) {
        QVERIFY(pictures.log().join(u'\n').contains(name));
        QVERIFY(pictures.failed().contains(source));
        QVERIFY(pictureMarkup(shown, Box(box), QStringLiteral("x"), {}, true).isEmpty());
        return;
    }
    QVERIFY2(pictures.log().isEmpty(), qPrintable(pictures.log().join(u'\n')));
    QCOMPARE(shown.fallbackType, type);
    QCOMPARE(QSize(shown.largest().width, shown.largest().height), largest);
    QCOMPARE(shown.webp.isEmpty(), type == u"image/svg+xml");

    const QList<PictureFile> all = shown.webp + shown.fallback;
    for (const PictureFile& f : all) {
        const QString path = site + f.url;
        const QByteArray out = readAll(path);
        QVERIFY2(!out.isEmpty(), qPrintable(f.url));
        QVERIFY2(f.url.startsWith(QLatin1String("pics/")), qPrintable(f.url));
        // Never the upload itself (an SVG goes out as it is, under a name of its own).
        QVERIFY(QFileInfo(f.url).fileName() != name);
        if (type == u"image/svg+xml") {
            QCOMPARE(out, bytes);
            continue;
        }
        QVERIFY2(!out.contains(testsupport::kCameraSerial), qPrintable(f.url));
        QVERIFY2(!out.contains("Exif"), qPrintable(f.url));
        Opened img(path);
        QVERIFY2(img.img, qPrintable(f.url));
        const int pages = qMax(1, vips_image_get_n_pages(img.img));
        QCOMPARE(pages, frames);
        QCOMPARE(vips_image_get_width(img.img), f.width);
        QCOMPARE(vips_image_get_height(img.img) / pages, f.height);
        QVERIFY2(vips_image_get_typeof(img.img, VIPS_META_EXIF_NAME) == 0, qPrintable(f.url));
        QCOMPARE(bool(vips_image_hasalpha(img.img)), type == u"image/png" || type == u"image/gif");
        if (name == u"photo.jpg") {
            // The sensor's dark top-left corner is the top right once the photo stands up.
            double left = 0, right = 0;
            double* v = nullptr;
            int n = 0;
            QVERIFY(vips_getpoint(img.img, &v, &n, 2, 2, nullptr) == 0);
            left = v[2];
            g_free(v);
            QVERIFY(vips_getpoint(img.img, &v, &n, f.width - 3, 2, nullptr) == 0);
            right = v[2];
            g_free(v);
            QVERIFY2(right < 40 && left > 60, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }
    const QString markup = pictureMarkup(shown, Box(box), QStringLiteral("图 \"1\""), QStringLiteral("orv-x"), false);
    QVERIFY(markup.contains(QStringLiteral(" width=\"%1\" height=\"%2\"").arg(largest.width()).arg(largest.height())));
    QVERIFY(markup.contains(QStringLiteral("alt=\"图 &quot;1&quot;\"")));
    QVERIFY(markup.contains(QLatin1String(" class=\"orv-x\"")));
    QVERIFY(markup.contains(QLatin1String("loading=\"lazy\" decoding=\"async\"")));
    QCOMPARE(markup.startsWith(QLatin1String("<picture>")), !shown.webp.isEmpty());
    QVERIFY(!pictureMarkup(shown, Box(box), QString(), QString(), true).contains(QLatin1String("lazy")));
}

void TestWebPictures::cacheKeepsWhatTheSiteUses() {
    QTemporaryDir dir;
    const QString cache = dir.filePath(QStringLiteral("cache/"));
    const QString a = dir.filePath(QStringLiteral("a.jpg")), b = dir.filePath(QStringLiteral("b.jpg"));
    const auto put = [](const QString& file, const QByteArray& bytes) { writeFile(file, bytes); };
    put(a, testsupport::cameraJpeg(700, 500, 1, 1));
    put(b, testsupport::cameraJpeg(700, 500, 1, 2));

    const auto render = [&](const QString& site, QStringList* names) {
        WebPictures p(dir.filePath(site), cache, 1);
        for (const QString& src : {a, b}) {
            const ShownPicture s = p.show(src, Box::Detail);
            for (const PictureFile& f : s.webp + s.fallback)
                *names << f.url;
        }
        QVERIFY(p.finish());
        for (const QString& n : std::as_const(*names))
            QVERIFY2(QFileInfo::exists(dir.filePath(site) + u'/' + n), qPrintable(n));
    };
    QStringList first;
    render(QStringLiteral("www1"), &first);
    QCOMPARE(first.size(), 12); // 320, 640 and 700 wide, WebP and JPEG, of each
    const QStringList cached = QDir(cache).entryList(QDir::Files);
    QHash<QString, QDateTime> made;
    for (const QString& f : cached)
        made.insert(f, QFileInfo(cache + f).lastModified());

    // b changes: a's files are found again, untouched, under the same names; b's get new
    // names and its old ones leave the cache.
    put(b, testsupport::cameraJpeg(700, 500, 1, 3));
    QStringList second;
    render(QStringLiteral("www2"), &second);
    QCOMPARE(second.mid(0, 6), first.mid(0, 6));
    for (int i = 6; i < 12; ++i)
        QVERIFY(!second.contains(first.at(i)));
    const QStringList now = QDir(cache).entryList(QDir::Files);
    for (const QString& f : first.mid(0, 6)) {
        const QString key = QFileInfo(f).fileName().section(u'-', -1);
        QVERIFY2(now.contains(key), qPrintable(key));
        QCOMPARE(QFileInfo(cache + key).lastModified(), made.value(key));
    }
    for (const QString& f : first.mid(6))
        QVERIFY2(!now.contains(QFileInfo(f).fileName().section(u'-', -1)), qPrintable(f));
    // The first site keeps its files whatever the cache does.
    for (const QString& f : std::as_const(first))
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("www1/")) + f));
}

QTEST_GUILESS_MAIN(TestWebPictures)
#include "tst_webPictures.moc"
