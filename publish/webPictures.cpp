// libvips (through GLib) names a structure member "signals", which Qt defines as a word of
// its own: libvips comes first.
#include <vips/vips.h>

#include "publish/webPictures.h"

#include "publish/markup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QThread>
#include <QXmlStreamReader>

#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace publish {

namespace {

// Raised whenever the way derivatives are made changes, so that cached ones are made again.
constexpr const char* kRecipe = "1";
// Pixels a picture may have at all, and one derivative (all frames of an animation together).
constexpr qint64 kMaxSourcePixels = 300'000'000;
constexpr qint64 kMaxOutputPixels = 8'000'000;
constexpr qint64 kMaxAnimationPixels = 32'000'000;
constexpr int kWholeWidth = 1920;
const QString kPicsFolder = QStringLiteral("pics/");

void startVips() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (VIPS_INIT("orvane") != 0)
            qWarning("libvips: %s", vips_error_buffer());
        // Each worker takes a picture of its own: one thread per picture, nothing cached
        // between pictures, and none of the loaders libvips marks as unsafe for input from
        // strangers.
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        vips_block_untrusted_set(TRUE);
    });
}

// The loaders a picture may go through; other pictures Qt reads (BMP) are decoded by Qt.
bool isAllowedLoader(const QByteArray& nick) {
    static const QSet<QByteArray> allowed{"jpegload", "pngload", "gifload", "webpload", "tiffload"};
    return allowed.contains(nick);
}

// The size an SVG drawing asks for, from its root element (width and height, or else its
// viewBox); it is never drawn here.
QSize svgSize(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&f);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement() || xml.name() != u"svg")
        return {};
    const auto length = [](QStringView v) {
        v = v.trimmed();
        if (v.endsWith(u"px"))
            v.chop(2);
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok && d > 0 && d < 100000 ? int(std::lround(d)) : 0;
    };
    int w = length(xml.attributes().value(QLatin1String("width")));
    int h = length(xml.attributes().value(QLatin1String("height")));
    const QStringList box = xml.attributes().value(QLatin1String("viewBox")).toString().simplified().split(u' ');
    if ((w == 0 || h == 0) && box.size() == 4) {
        w = length(box.at(2));
        h = length(box.at(3));
    }
    return w > 0 && h > 0 ? QSize(w, h) : QSize();
}

// Only what the browser needs to show the pixels: the frames' timing stays, every
// metadata block (EXIF, XMP, IPTC, ICC, comments) goes.
void stripMetadata(VipsImage* image) {
    static const QSet<QByteArray> kept{"page-height", "delay", "loop", "gif-delay", "gif-loop"};
    gchar** fields = vips_image_get_fields(image);
    for (gchar** f = fields; f && *f; ++f) {
        if (!kept.contains(QByteArray(*f)))
            vips_image_remove(image, *f);
    }
    g_strfreev(fields);
}

struct Unref {
    void operator()(void* object) const {
        if (object)
            g_object_unref(object);
    }
};
using Image = std::unique_ptr<VipsImage, Unref>;

QString vipsError() {
    QString why = QString::fromUtf8(vips_error_buffer()).trimmed().section(u'\n', 0, 0);
    vips_error_clear();
    return why;
}

QString stemOf(const QString& path) {
    QString stem;
    for (const QChar c : QFileInfo(path).completeBaseName().toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_')
            stem += c;
        else if (!stem.isEmpty() && !stem.endsWith(u'_'))
            stem += u'_';
        if (stem.size() >= 40)
            break;
    }
    while (stem.endsWith(u'_'))
        stem.chop(1);
    return stem.isEmpty() ? QStringLiteral("pic") : stem;
}

// A WebP file without its metadata chunks (EXIF, XMP, ICC), which libvips may write
// whatever it is asked; the file as it was when it is no WebP of the extended form.
QByteArray withoutWebpMetadata(const QByteArray& webp) {
    if (webp.size() < 30 || !webp.startsWith("RIFF") || webp.mid(8, 4) != "WEBP" ||
        webp.mid(12, 4) != "VP8X")
        return webp;
    QByteArray out = webp.left(12);
    for (qsizetype at = 12; at + 8 <= webp.size();) {
        const QByteArray tag = webp.mid(at, 4);
        const quint32 size = quint8(webp.at(at + 4)) | quint8(webp.at(at + 5)) << 8 |
                             quint8(webp.at(at + 6)) << 16 | quint32(quint8(webp.at(at + 7))) << 24;
        const qsizetype whole = 8 + qsizetype(size) + (size & 1);
        if (at + whole > webp.size())
            return webp;
        if (tag != "EXIF" && tag != "XMP " && tag != "ICCP")
            out += webp.mid(at, whole);
        at += whole;
    }
    out[20] = char(quint8(out.at(20)) & ~(0x20 | 0x08 | 0x04)); // no ICC, EXIF or XMP
    const quint32 riff = quint32(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = char((riff >> (8 * i)) & 0xff);
    return out;
}

bool writeFile(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

QString pictureStem(const QString& fileName) {
    return stemOf(fileName);
}

struct WebPictures::Source {
    enum Kind { Bad, Opaque, Alpha, Animated, Svg };
    QString path, stem, digest, why;
    Kind kind = Bad;
    bool viaQt = false;
    int width = 0, height = 0, pages = 1;
    // The files asked for: name in pics/ to (width, height).
    QMap<QString, QPair<int, int>> wanted;
};

struct WebPictures::Job {
    Source* source = nullptr;
    // (width, height, format, file to write) of the files not made yet.
    struct Out {
        int width, height;
        QString format, file;
    };
    QList<Out> outs;
    bool ok = true;
    QString why;
};

WebPictures::WebPictures(const QString& siteDir, const QString& cacheDir, int workers)
    : m_site(siteDir.endsWith(u'/') ? siteDir : siteDir + u'/'),
      m_cache(cacheDir.isEmpty() || cacheDir.endsWith(u'/') ? cacheDir : cacheDir + u'/'),
      m_workers(workers > 0 ? workers : qMax(1, QThread::idealThreadCount())) {
    startVips();
}

WebPictures::~WebPictures() = default;

QList<int> WebPictures::widths(Box box) {
    switch (box) {
    case Box::Thumb:
        return {160, 240, 360};
    case Box::List:
        return {160, 320};
    case Box::Detail:
        return {320, 640, 960};
    case Box::Wide:
        return {640, 1280, 1920};
    case Box::Intro:
    case Box::Logo:
        return {240, 480};
    case Box::Header:
        return {760, 1520};
    case Box::Whole:
        break;
    }
    return {kWholeWidth};
}

QString WebPictures::sizes(Box box) {
    switch (box) {
    case Box::Thumb:
        return QStringLiteral("(max-width: 480px) 45vw, 180px");
    case Box::List:
        return QStringLiteral("160px");
    case Box::Detail:
        return QStringLiteral("(max-width: 680px) 100vw, 640px");
    case Box::Intro:
        return QStringLiteral("(max-width: 600px) 40vw, 240px");
    case Box::Logo:
        return QStringLiteral("240px");
    case Box::Header:
        return QStringLiteral("(max-width: 760px) 100vw, 760px");
    case Box::Wide:
    case Box::Whole:
        break;
    }
    return QStringLiteral("100vw");
}

// The picture's digest, kind and size: from the cache when this content was seen before,
// else from the file's header (never its pixels).
WebPictures::Source* WebPictures::source(const QString& path) {
    if (Source* known = m_sources.value(path))
        return known;
    auto s = std::make_shared<Source>();
    m_owned << s;
    m_sources.insert(path, s.get());
    s->path = path;
    s->stem = pictureStem(path);
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f)) {
        s->why = QStringLiteral("无法读取");
        return s.get();
    }
    f.close();
    s->digest = QString::fromLatin1(hash.result().toHex());
    const QString meta = m_cache.isEmpty() ? QString() : m_cache + s->digest + QLatin1String(".info");
    if (!meta.isEmpty()) {
        QFile m(meta);
        if (m.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> v = m.readAll().trimmed().split(' ');
            if (v.size() == 5 && v.at(0).toInt() != Source::Bad) {
                s->kind = Source::Kind(v.at(0).toInt());
                s->viaQt = v.at(1) == "qt";
                s->width = v.at(2).toInt();
                s->height = v.at(3).toInt();
                s->pages = qMax(1, v.at(4).toInt());
                if (s->width > 0 && s->height > 0)
                    return s.get();
            }
        }
    }

    const QByteArray file = QFile::encodeName(path);
    if (QFileInfo(path).suffix().compare(u"svg", Qt::CaseInsensitive) == 0) {
        const QSize size = svgSize(path);
        s->kind = size.isValid() ? Source::Svg : Source::Bad;
        s->width = size.width();
        s->height = size.height();
        if (!size.isValid())
            s->why = QStringLiteral("不是可以发布的图片");
        return s.get();
    }
    const char* loader = vips_foreign_find_load(file.constData());
    const QByteArray nick =
        loader ? QByteArray(vips_nickname_find(g_type_from_name(loader))) : QByteArray();
    vips_error_clear();
    if (isAllowedLoader(nick)) {
        VipsImage* raw = nullptr;
        const bool multi = nick == "gifload" || nick == "webpload";
        if (multi)
            raw = vips_image_new_from_file(file.constData(), "access", VIPS_ACCESS_SEQUENTIAL,
                                           "n", -1, nullptr);
        else
            raw = vips_image_new_from_file(file.constData(), "access", VIPS_ACCESS_SEQUENTIAL,
                                           nullptr);
        Image img(raw);
        if (!img) {
            s->why = vipsError();
            return s.get();
        }
        s->pages = multi ? qMax(1, vips_image_get_n_pages(img.get())) : 1;
        s->width = vips_image_get_width(img.get());
        s->height = vips_image_get_height(img.get()) / s->pages;
        const int orientation = vips_image_get_orientation(img.get());
        if (orientation >= 5 && orientation <= 8)
            std::swap(s->width, s->height);
        if (s->pages > 1)
            s->kind = Source::Animated;
        else
            s->kind = vips_image_hasalpha(img.get()) ? Source::Alpha : Source::Opaque;
    } else {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QSize size = reader.size();
        if (!reader.canRead() || !size.isValid() || reader.format() == "svg") {
            s->why = QStringLiteral("不是可以发布的图片");
            return s.get();
        }
        s->viaQt = true;
        s->width = size.width();
        s->height = size.height();
        s->kind = Source::Opaque; // the pixels tell once they are decoded
        if (reader.imageFormat() != QImage::Format_Invalid &&
            QImage(1, 1, reader.imageFormat()).hasAlphaChannel())
            s->kind = Source::Alpha;
    }
    if (s->width <= 0 || s->height <= 0) {
        s->kind = Source::Bad;
        s->why = QStringLiteral("不是可以发布的图片");
    } else if (qint64(s->width) * s->height > kMaxSourcePixels) {
        s->kind = Source::Bad;
        s->why = QStringLiteral("图片过大（%1 × %2）").arg(s->width).arg(s->height);
    }
    if (s->kind != Source::Bad && !meta.isEmpty()) {
        QDir().mkpath(m_cache);
        QSaveFile m(meta);
        if (m.open(QIODevice::WriteOnly)) {
            m.write(QByteArray::number(s->kind) + ' ' + (s->viaQt ? "qt " : "vips ") +
                    QByteArray::number(s->width) + ' ' + QByteArray::number(s->height) + ' ' +
                    QByteArray::number(s->pages));
            m.commit();
        }
    }
    return s.get();
}

ShownPicture WebPictures::show(const QString& path, Box box) {
    ShownPicture shown;
    Source* s = source(path);
    if (s->kind == Source::Bad || m_failed.contains(path)) {
        if (!m_failed.contains(path)) {
            m_failed.insert(path);
            m_log << QStringLiteral("图片无法发布（") + s->why + QStringLiteral("）：") +
                         QFileInfo(path).fileName();
        }
        return shown;
    }
    shown.ok = true;
    const auto name = [&](int w, int h, const QString& ext) -> QString {
        const QByteArray key = s->digest.toLatin1() + '/' + QByteArray::number(w) + 'x' +
                               QByteArray::number(h) + '/' + ext.toLatin1() + '/' + kRecipe;
        const QString digest = QString::fromLatin1(
            QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
        return s->stem + u'-' + QString::number(w) + u'-' + digest + u'.' + ext;
    };
    if (s->kind == Source::Svg) {
        // Sent as it is; pages show it by <img> only, and the server keeps its script from
        // running when it is opened by itself.
        const QString file = name(s->width, s->height, QStringLiteral("svg"));
        s->wanted.insert(file, {s->width, s->height});
        shown.svg = true;
        shown.fallbackType = QStringLiteral("image/svg+xml");
        shown.fallback << PictureFile{kPicsFolder + file, s->width, s->height};
        return shown;
    }
    QString ext = QStringLiteral("jpg");
    shown.fallbackType = QStringLiteral("image/jpeg");
    if (s->kind == Source::Alpha) {
        ext = QStringLiteral("png");
        shown.fallbackType = QStringLiteral("image/png");
    } else if (s->kind == Source::Animated) {
        ext = QStringLiteral("gif");
        shown.fallbackType = QStringLiteral("image/gif");
    }
    // Never wider than the picture, nor more pixels than a derivative may have.
    const qint64 most = s->kind == Source::Animated ? kMaxAnimationPixels / s->pages : kMaxOutputPixels;
    const double aspect = double(s->height) / s->width;
    int widest = s->width;
    if (qint64(widest) * s->height > most)
        widest = qMax(1, int(std::sqrt(double(most) / aspect)));
    QList<int> chosen;
    // A picture shown whole is linked or named by its one address, not chosen among widths.
    const bool whole = box == Box::Whole;
    for (int w : widths(box)) {
        w = qMin(w, widest);
        if (!chosen.contains(w))
            chosen << w;
    }
    const QStringList formats = whole ? QStringList{ext} : QStringList{QStringLiteral("webp"), ext};
    for (int w : std::as_const(chosen)) {
        const int h = qMax(1, int(std::lround(w * aspect)));
        for (const QString& format : formats) {
            const QString file = name(w, h, format);
            s->wanted.insert(file, {w, h});
            (format == u"webp" ? shown.webp : shown.fallback)
                << PictureFile{kPicsFolder + file, w, h};
        }
    }
    return shown;
}

// Makes the files of one picture: decoded once (shrunk as it loads where the format
// allows) at its largest width, then each width encoded from that.
bool WebPictures::runJob(Job& job) const {
    const Source& s = *job.source;
    if (s.kind == Source::Svg) {
        for (const Job::Out& o : std::as_const(job.outs)) {
            const QString part = o.file + QLatin1String(".part");
            QFile::remove(part);
            if (!QFile::copy(s.path, part) || !QFile::rename(part, o.file)) {
                QFile::remove(part);
                job.why = QStringLiteral("无法写入");
                return false;
            }
        }
        return true;
    }
    int maxW = 0, maxH = 0;
    for (const Job::Out& o : std::as_const(job.outs)) {
        if (o.width > maxW) {
            maxW = o.width;
            maxH = o.height;
        }
    }
    const bool animated = s.kind == Source::Animated;
    VipsImage* raw = nullptr;
    if (s.viaQt) {
        QImageReader reader(s.path);
        reader.setDecideFormatFromContent(true);
        QImage q = reader.read();
        if (q.isNull()) {
            job.why = reader.errorString();
            return false;
        }
        const bool alpha = s.kind == Source::Alpha;
        q = q.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        const int bands = alpha ? 4 : 3;
        QByteArray pixels(qsizetype(q.width()) * q.height() * bands, Qt::Uninitialized);
        for (int y = 0; y < q.height(); ++y)
            memcpy(pixels.data() + qsizetype(y) * q.width() * bands, q.constScanLine(y),
                   size_t(q.width()) * bands);
        Image mem(vips_image_new_from_memory_copy(pixels.constData(), size_t(pixels.size()),
                                                  q.width(), q.height(), bands,
                                                  VIPS_FORMAT_UCHAR));
        if (!mem || vips_thumbnail_image(mem.get(), &raw, maxW, "height", maxH, "size",
                                         VIPS_SIZE_FORCE, nullptr) != 0) {
            job.why = vipsError();
            return false;
        }
    } else {
        const QByteArray file = QFile::encodeName(s.path);
        const int failed = animated ? vips_thumbnail(QByteArray(file + "[n=-1]").constData(), &raw, maxW,
                                                     nullptr)
                                    : vips_thumbnail(file.constData(), &raw, maxW, "height", maxH,
                                                     "size", VIPS_SIZE_FORCE, nullptr);
        if (failed) {
            job.why = vipsError();
            return false;
        }
    }
    Image largest(raw);
    // Everything in 8-bit sRGB (the thumbnail has already applied an embedded profile).
    VipsImage* srgb = nullptr;
    if (vips_colourspace(largest.get(), &srgb, VIPS_INTERPRETATION_sRGB, nullptr) != 0) {
        job.why = vipsError();
        return false;
    }
    Image base(srgb);
    if (vips_image_get_format(base.get()) != VIPS_FORMAT_UCHAR) {
        VipsImage* cast = nullptr;
        if (vips_cast_uchar(base.get(), &cast, nullptr) != 0) {
            job.why = vipsError();
            return false;
        }
        base.reset(cast);
    }
    Image mem(vips_image_copy_memory(base.get()));
    if (!mem) {
        job.why = vipsError();
        return false;
    }
    stripMetadata(mem.get());
    const bool lossless = s.kind != Source::Opaque;
    for (const Job::Out& o : std::as_const(job.outs)) {
        Image sized;
        if (o.width == maxW) {
            g_object_ref(mem.get());
            sized.reset(mem.get());
        } else {
            VipsImage* t = nullptr;
            const int failed = animated ? vips_thumbnail_image(mem.get(), &t, o.width, nullptr)
                                        : vips_thumbnail_image(mem.get(), &t, o.width, "height",
                                                               o.height, "size", VIPS_SIZE_FORCE,
                                                               nullptr);
            if (failed) {
                job.why = vipsError();
                return false;
            }
            sized.reset(t);
        }
        const QString part = o.file + QLatin1String(".part");
        const QByteArray target = QFile::encodeName(part);
        int failed = 0;
        if (o.format == u"jpg")
            failed = vips_jpegsave(sized.get(), target.constData(), "Q", 80, "strip", TRUE,
                                   "optimize_coding", TRUE, nullptr);
        else if (o.format == u"webp") {
            void* buf = nullptr;
            size_t len = 0;
            failed = lossless ? vips_webpsave_buffer(sized.get(), &buf, &len, "lossless", TRUE,
                                                     "strip", TRUE, "effort", 2, nullptr)
                              : vips_webpsave_buffer(sized.get(), &buf, &len, "Q", 75, "strip",
                                                     TRUE, "effort", 2, nullptr);
            if (!failed && !writeFile(part, withoutWebpMetadata(QByteArray::fromRawData(
                                                static_cast<const char*>(buf), qsizetype(len)))))
                failed = -1;
            g_free(buf);
        }
        else if (o.format == u"png")
            failed = vips_pngsave(sized.get(), target.constData(), "compression", 6, "strip", TRUE,
                                  nullptr);
        else
            failed = vips_gifsave(sized.get(), target.constData(), "strip", TRUE, nullptr);
        if (failed || !QFile::rename(part, o.file)) {
            QFile::remove(part);
            job.why = failed ? vipsError() : QStringLiteral("无法写入");
            return false;
        }
    }
    return true;
}

bool WebPictures::finish() {
    const QString pics = m_site + kPicsFolder;
    QDir().mkpath(pics);
    const QString store = m_cache.isEmpty() ? pics : m_cache;
    QDir().mkpath(store);
    // What each picture still needs made, and every file the site uses from the cache.
    QList<Job> jobs;
    QSet<QString> used, planned;
    for (const auto& owned : std::as_const(m_owned)) {
        Source* s = owned.get();
        if (s->wanted.isEmpty())
            continue;
        used.insert(s->digest + QLatin1String(".info"));
        Job job;
        job.source = s;
        for (auto it = s->wanted.constBegin(); it != s->wanted.constEnd(); ++it) {
            // In the cache by its digest alone: the same derivative of another picture
            // with the same content is the same file.
            const QString key = it.key().section(u'-', -1);
            const QString file = m_cache.isEmpty() ? pics + it.key() : m_cache + key;
            used.insert(key);
            // Two uploads with the same content share their files: each is made once.
            if ((m_cache.isEmpty() || !QFileInfo::exists(file)) && !planned.contains(file)) {
                planned.insert(file);
                job.outs << Job::Out{it.value().first, it.value().second, QFileInfo(key).suffix(),
                                     file};
            }
        }
        if (!job.outs.isEmpty())
            jobs << job;
    }
    // Largest first: the long ones do not come last.
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) {
        return qint64(a.source->width) * a.source->height > qint64(b.source->width) * b.source->height;
    });
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < jobs.size(); i = next++)
            jobs[i].ok = runJob(jobs[i]);
        vips_thread_shutdown();
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < qMin(m_workers, int(jobs.size())); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();

    bool ok = true;
    for (const Job& job : std::as_const(jobs)) {
        if (job.ok)
            continue;
        ok = false;
        m_failed.insert(job.source->path);
        m_log << QStringLiteral("图片无法发布（") + job.why + QStringLiteral("）：") +
                     QFileInfo(job.source->path).fileName();
        for (const Job::Out& o : job.outs)
            QFile::remove(o.file);
        used.remove(job.source->digest + QLatin1String(".info"));
    }
    if (m_cache.isEmpty())
        return ok;
    // Into the site: linked where the file system allows (the cache is kept beside it),
    // copied where it does not.
    for (const auto& owned : std::as_const(m_owned)) {
        const Source* s = owned.get();
        if (m_failed.contains(s->path))
            continue;
        for (auto it = s->wanted.constBegin(); it != s->wanted.constEnd(); ++it) {
            const QString from = m_cache + it.key().section(u'-', -1);
            const QString to = pics + it.key();
            if (QFileInfo::exists(to))
                continue;
            if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 &&
                !QFile::copy(from, to)) {
                ok = false;
                m_failed.insert(s->path);
                m_log << QStringLiteral("图片无法发布（无法写入）：") + QFileInfo(s->path).fileName();
            }
        }
    }
    // What this rendering did not use goes: the cache holds the site as it is now.
    const QStringList kept = QDir(m_cache).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : kept) {
        if (!used.contains(f))
            QFile::remove(m_cache + f);
    }
    return ok;
}

QString pictureMarkup(const ShownPicture& shown, Box box, const QString& alt, const QString& cls,
                      bool firstScreen) {
    if (!shown.ok || shown.fallback.isEmpty())
        return {};
    const auto srcset = [](const QList<PictureFile>& files) {
        QStringList parts;
        for (const PictureFile& f : files)
            parts << f.url + u' ' + QString::number(f.width) + u'w';
        return parts.join(QLatin1String(", "));
    };
    const PictureFile& big = shown.largest();
    const QString sizes = WebPictures::sizes(box);
    QString img = QLatin1String("<img");
    if (!cls.isEmpty())
        img += QLatin1String(" class=\"") + cls + u'"';
    img += QLatin1String(" src=\"") + big.url + u'"';
    if (shown.fallback.size() > 1)
        img += QLatin1String(" srcset=\"") + srcset(shown.fallback) + QLatin1String("\" sizes=\"") +
               sizes + u'"';
    img += QLatin1String(" width=\"") + QString::number(big.width) + QLatin1String("\" height=\"") +
           QString::number(big.height) + QLatin1String("\" alt=\"") + esc(alt) + u'"';
    if (!firstScreen)
        img += QLatin1String(" loading=\"lazy\"");
    img += QLatin1String(" decoding=\"async\">");
    if (shown.webp.isEmpty())
        return img;
    return QLatin1String("<picture><source type=\"image/webp\" srcset=\"") + srcset(shown.webp) +
           QLatin1String("\" sizes=\"") + sizes + QLatin1String("\">") + img +
           QLatin1String("</picture>");
}

} // namespace publish
