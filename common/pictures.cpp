#include "common/pictures.h"

#include "common/fileops.h"
#include "common/mdl_func.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMultiHash>
#include <QSet>
#include <QSqlRecord>

namespace pictures {

namespace {

// A photo read at its own size may be far larger than Qt's default decoding limit
// (a 12000 × 9000 picture takes 432 MB): allow that much, and no more.
constexpr int kAllocationLimitMb = 1024;

// Files of the working folder that belong to the program, not to a choice.
bool isReserved(const QString& name) {
    static const char* const kReserved[] = {sitedb::fileName, "ZIPTEST.ZIP", "images.zip",
                                            "initPath.ini"};
    for (const char* r : kReserved) {
        if (name.compare(QLatin1String(r), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The reader of a picture file, deciding the format by the content, not the name.
void openReader(QImageReader& reader, const QString& path) {
    reader.setFileName(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
}

// The size as shown: a photo taken upright and stored on its side is taller than wide.
QSize shownSize(QImageReader& reader) {
    const QSize raw = reader.size();
    if (raw.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        return raw.transposed();
    return raw;
}

bool sameContent(const QString& a, const QString& b) {
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kBlock = 1 << 20;
    while (!fa.atEnd()) {
        if (fa.read(kBlock) != fb.read(kBlock))
            return false;
    }
    return true;
}

// "stem-n.rest", the number going before the first "." so that names derived from the
// part before it (gallery thumbnails) differ too.
QString numbered(const QString& name, int n) {
    const int dot = name.indexOf(u'.');
    const QString suffix = u'-' + QString::number(n);
    if (dot < 0)
        return name + suffix;
    return name.left(dot) + suffix + name.mid(dot);
}

QString notPictureText(const QString& path) {
    return QStringLiteral("所选文件不是可以读取的图片：") + QFileInfo(path).fileName();
}

// Brings the file in under the fixed name `name`, replacing a file of that name unless it
// is the very file or one of the same content.
Choice chooseFixed(const QFileInfo& source, const QString& name, const QString& work,
                   Choice out) {
    out.name = name;
    const QString target = work + name;
    if (isReserved(name) || name.contains(u'/') || name == u"." || name == u"..") {
        out.status = Choice::NotCopied;
        out.message = QStringLiteral("不能使用文件名：") + name;
        return out;
    }
    const QFileInfo existing(target);
    if (existing.isFile() &&
        (existing.canonicalFilePath() == source.canonicalFilePath() ||
         sameContent(source.absoluteFilePath(), target))) {
        out.status = Choice::Ok;
        return out;
    }
    QString why;
    if (!fileops::replaceWith(source.absoluteFilePath(), target, &why)) {
        out.status = Choice::NotCopied;
        out.message = why;
        return out;
    }
    out.status = Choice::Ok;
    out.copied = true;
    return out;
}

} // namespace

Loaded load(const QString& path, const QSize& bound) {
    Loaded out;
    if (QImageReader::allocationLimit() < kAllocationLimitMb)
        QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader;
    openReader(reader, path);
    const QSize shown = shownSize(reader);
    if (!reader.canRead() || !shown.isValid()) {
        out.error = notPictureText(path);
        return out;
    }
    out.size = shown;
    if (bound.isValid() && (shown.width() > bound.width() || shown.height() > bound.height())) {
        QSize target = shown.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        const bool sideways =
            reader.transformation() & QImageIOHandler::TransformationRotate90;
        reader.setScaledSize(sideways ? target.transposed() : target);
    }
    if (!reader.read(&out.image) || out.image.isNull()) {
        out.error = notPictureText(path) + QStringLiteral("（") + reader.errorString() +
                    QStringLiteral("）");
        out.image = QImage();
        return out;
    }
    out.ok = true;
    return out;
}

QSize sizeOf(const QString& path) {
    QImageReader reader;
    openReader(reader, path);
    return reader.canRead() ? shownSize(reader) : QSize();
}

Choice choose(const QString& sourcePath, const ChoiceOptions& options) {
    Choice out;
    out.source = sourcePath;
    const QFileInfo source(sourcePath);
    const bool fixed = !options.name.isEmpty();
    const QString title = fixed ? options.name : source.fileName();
    if (!cls_func().isEng(title)) {
        out.status = Choice::NotAscii;
        out.message = QString::fromUtf16(kNotAsciiText);
        return out;
    }
    if (!source.isFile()) {
        out.message = QStringLiteral("文件不存在：") + QDir::toNativeSeparators(sourcePath);
        return out;
    }
    if (options.picture) {
        out.picture = load(sourcePath, options.previewBound);
        if (!out.picture.ok) {
            out.status = Choice::NotPicture;
            out.message = out.picture.error;
            return out;
        }
    }

    const QString work = workspace::currImgPath();
    if (fixed)
        return chooseFixed(source, options.name, work, std::move(out));
    // A file of the working folder itself stays where it is, under its own name.
    if (!isReserved(title) &&
        QFileInfo(source.absolutePath() + u'/').canonicalFilePath() ==
            QFileInfo(work).canonicalFilePath()) {
        out.status = Choice::Ok;
        out.name = title;
        return out;
    }

    const auto companionTaken = [&](const QString& name) {
        if (!options.companion)
            return false;
        const QString c = options.companion(name);
        // A stored record naming it, even while its file is missing, would show ours.
        return !c.isEmpty() && c != name && isNamed(c);
    };
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? title : numbered(title, n);
        if (isReserved(name))
            continue;
        const QString target = work + name;
        if (QFileInfo::exists(target)) {
            if (QFileInfo(target).isFile() && sameContent(source.absoluteFilePath(), target)) {
                out.status = Choice::Ok;
                out.name = name;
                return out;
            }
            continue;
        }
        if (companionTaken(name))
            continue;
        QString why;
        if (!fileops::replaceWith(source.absoluteFilePath(), target, &why)) {
            out.message = why;
            return out;
        }
        out.status = Choice::Ok;
        out.name = name;
        out.copied = true;
        return out;
    }
}

namespace {

// Every text value of the tables whose rows may name a file of the working folder.
const char* const kTables[] = {"content01", "content02", "content03", "user_info"};

// The file names one stored value gives: the value itself (a bare name), each element of
// a "||" list, and every name stored rich text shows from the working folder.
void namesIn(const QString& value, QSet<QString>* names) {
    names->insert(value.trimmed());
    if (value.contains(QLatin1String("||"))) {
        for (const QString& element : value.split(QStringLiteral("||")))
            names->insert(element.trimmed());
    }
    for (const mdl_func::StoredPicture& p : mdl_func::storedPictures(value)) {
        for (const mdl_func::NameReading& r : mdl_func::readingsOf(p.written))
            names->insert(r.name);
    }
}

// Every name the stored values give, read at the first question and kept for the ones
// after, so a folder of pages is checked with one reading of the site database.
class StoredTexts {
public:
    // A name is matched exactly. A stored name in another letter case names the file too
    // while the working folder holds no file of the stored name itself, as the published
    // site then shows this one.
    bool name(const QString& fileName) {
        if (!m_read) {
            m_read = true;
            m_ok = read();
        }
        // A table that cannot be read might name the file: keep it.
        if (!m_ok)
            return true;
        if (m_names.contains(fileName))
            return true;
        const QString work = workspace::currImgPath();
        for (const QString& stored : m_folded.values(fileName.toLower())) {
            if (!QFileInfo::exists(work + stored))
                return true;
        }
        return false;
    }

private:
    bool read() {
        for (const char* table : kTables) {
            const sitedb::Rows rows =
                sitedb::query(QStringLiteral("SELECT * FROM ") + QLatin1String(table));
            if (!rows.ok)
                return false;
            for (const sitedb::Row& row : rows.rows) {
                const QSqlRecord& rec = row.record();
                for (int i = 0; i < rec.count(); ++i) {
                    const QString value = rec.value(i).toString();
                    if (!value.isEmpty())
                        namesIn(value, &m_names);
                }
            }
        }
        m_names.remove(QString());
        for (const QString& n : std::as_const(m_names))
            m_folded.insert(n.toLower(), n);
        return true;
    }

    bool m_read = false;
    bool m_ok = false;
    QSet<QString> m_names;
    QMultiHash<QString, QString> m_folded;
};

} // namespace

bool isNamed(const QString& fileName) {
    return !fileName.isEmpty() && StoredTexts().name(fileName);
}

QStringList removeUnnamed(const QStringList& fileNames) {
    StoredTexts stored;
    QStringList removed;
    for (const QString& name : fileNames) {
        if (name.isEmpty() || removed.contains(name) || name.contains(u'/') ||
            name.contains(u'\\') || name == u"." || name == u".." || isReserved(name))
            continue;
        const QString path = workspace::currImgPath() + name;
        if (!QFileInfo(path).isFile() || stored.name(name))
            continue;
        if (QFile::remove(path))
            removed << name;
    }
    return removed;
}

void Tracker::broughtIn(const Choice& choice) {
    if (choice.ok() && choice.copied && !m_in.contains(choice.name))
        m_in << choice.name;
}

void Tracker::wrote(const QString& name) {
    if (!name.isEmpty() && !m_in.contains(name))
        m_in << name;
}

void Tracker::keep(const QString& name) {
    m_in.removeAll(name);
    m_out.removeAll(name);
}

void Tracker::replacing(const QString& name) {
    if (!name.isEmpty() && !m_out.contains(name))
        m_out << name;
}

QStringList Tracker::saved() {
    const QStringList removed = removeUnnamed(m_out + m_in);
    m_in.clear();
    m_out.clear();
    return removed;
}

QStringList Tracker::dropped() {
    const QStringList removed = removeUnnamed(m_in);
    m_in.clear();
    m_out.clear();
    return removed;
}

} // namespace pictures
