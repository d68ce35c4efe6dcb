#include "content/mdl_entry.h"

#include "common/mdl_func.h"
#include "common/pictures.h"
#include "common/workspace.h"
#include "designer/mdl_nov.h"

#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QStringList>

#include <cmath>

namespace mdl_entry {

namespace {

struct Level {
    bool ok = false;
    QString table;
    QString ownerColumn;
};

Level levelOf(const QString& nodeKey) {
    const mdl_nov::Level level = mdl_nov::levelOfKey(nodeKey);
    if (level == mdl_nov::Level::None)
        return {};
    return {true, mdl_nov::contentTable(level), mdl_nov::catalogTable(level)};
}

QString valueColumn(int i) {
    return QStringLiteral("value%1").arg(i + 1, 2, 10, QLatin1Char('0'));
}

// Inserts a record of the node with value01, value02, … from `values`.
Result insert(const QString& nodeKey, const QString& nodeName, const QStringList& values) {
    const Level level = levelOf(nodeKey);
    if (!level.ok)
        return {Result::NoLevel, {}, 0};
    QString columns = level.ownerColumn;
    QString marks = QStringLiteral("?");
    QVariantList args{nodeName};
    for (int i = 0; i < values.size(); ++i) {
        columns += u',' + valueColumn(i);
        marks += QStringLiteral(",?");
        args << values[i];
    }
    const sitedb::Outcome o =
        sitedb::exec(QStringLiteral("INSERT INTO ") + level.table + u'(' + columns +
                         QStringLiteral(") VALUES(") + marks + QStringLiteral(");"),
                     args);
    if (!o)
        return {Result::Failed, o.error, 0};
    return {Result::Saved, {}, o.lastInsertId.toLongLong()};
}

// Sets value01, value02, … of the record `id` of the node's level.
Result update(const QString& nodeKey, qint64 id, const QStringList& values) {
    const Level level = levelOf(nodeKey);
    if (!level.ok)
        return {Result::NoLevel, {}, 0};
    QStringList sets;
    QVariantList args;
    for (int i = 0; i < values.size(); ++i) {
        sets << valueColumn(i) + QStringLiteral("=?");
        args << values[i];
    }
    args << id;
    const sitedb::Outcome o =
        sitedb::exec(QStringLiteral("UPDATE ") + level.table + QStringLiteral(" SET ") +
                         sets.join(u',') + QStringLiteral(" WHERE(ID=?);"),
                     args);
    if (!o)
        return {Result::Failed, o.error, id};
    // Nothing to update: the record was deleted meanwhile, and is not brought back empty.
    if (o.rowsAffected == 0)
        return {Result::Missing, {}, id};
    return {Result::Saved, {}, id};
}

QStringList newsValues(const News& n) {
    return {n.title, n.date, mdl_func::encode(n.body), n.picture};
}

QStringList galleryValues(const Gallery& g) {
    return {g.caption, g.picture, g.thumb};
}

QStringList productValues(const Product& p, const QString& name) {
    return {name, p.spec, p.unit, p.price, p.picture, p.intro};
}

} // namespace

Result addNews(const QString& nodeKey, const QString& nodeName, const News& news) {
    return insert(nodeKey, nodeName, newsValues(news));
}

Result modifyNews(const QString& nodeKey, qint64 id, const News& news) {
    return update(nodeKey, id, newsValues(news));
}

Result addGallery(const QString& nodeKey, const QString& nodeName, const Gallery& picture) {
    if (picture.caption.trimmed().isEmpty())
        return {Result::NoName, {}, 0};
    return insert(nodeKey, nodeName, galleryValues(picture));
}

Result modifyGallery(const QString& nodeKey, qint64 id, const Gallery& picture) {
    if (picture.caption.trimmed().isEmpty())
        return {Result::NoName, {}, id};
    return update(nodeKey, id, galleryValues(picture));
}

Result addProduct(const QString& nodeKey, const QString& nodeName, const Product& product) {
    const QString name = product.name.trimmed();
    if (name.isEmpty())
        return {Result::NoName, {}, 0};
    return insert(nodeKey, nodeName, productValues(product, name));
}

Result modifyProduct(const QString& nodeKey, qint64 id, const Product& product) {
    if (product.name.isEmpty())
        return {Result::NoName, {}, id};
    return update(nodeKey, id, productValues(product, product.name));
}

Loaded loadRecord(const QString& nodeKey, qint64 id) {
    const Level level = levelOf(nodeKey);
    if (!level.ok)
        return {Loaded::NoLevel, {}, {}};
    const sitedb::Rows rows = sitedb::query(
        QStringLiteral("SELECT * FROM ") + level.table + QStringLiteral(" WHERE(ID=?);"), {id});
    if (!rows.ok)
        return {Loaded::Failed, rows.error, {}};
    if (rows.isEmpty())
        return {Loaded::Missing, {}, {}};
    return {Loaded::Found, {}, rows.first()};
}

News newsOf(const sitedb::Row& row) {
    return {row.text(QStringLiteral("value01")), row.text(QStringLiteral("value02")),
            mdl_func::decode(row.text(QStringLiteral("value03"))),
            row.text(QStringLiteral("value04"))};
}

Gallery galleryOf(const sitedb::Row& row) {
    return {row.text(QStringLiteral("value01")), row.text(QStringLiteral("value02")),
            row.text(QStringLiteral("value03"))};
}

Product productOf(const sitedb::Row& row) {
    return {row.text(QStringLiteral("value01")), row.text(QStringLiteral("value02")),
            row.text(QStringLiteral("value03")), row.text(QStringLiteral("value04")),
            row.text(QStringLiteral("value05")), row.text(QStringLiteral("value06"))};
}

QString thumbName(const QString& pictureName) {
    return pictureName.section(u'.', 0, 0) + QStringLiteral("_small.bmp");
}

Thumb thumbFor(const QString& pictureName) {
    const QString stem = pictureName.section(u'.', 0, 0);
    for (int n = 1;; ++n) {
        const QString thumb = thumbName(n == 1 ? pictureName : stem + u'-' + QString::number(n));
        if (!pictures::isNamed(thumb))
            return {thumb, false};
        // Named: free only to the gallery records of this picture.
        bool others = false;
        bool ours = false;
        for (const mdl_nov::Level level :
             {mdl_nov::Level::First, mdl_nov::Level::Second, mdl_nov::Level::Third}) {
            const sitedb::Rows rows =
                sitedb::query(QStringLiteral("SELECT value02 FROM ") +
                                  mdl_nov::contentTable(level) + QStringLiteral(" WHERE value03=?"),
                              {thumb});
            // A table that cannot be read might show it for another picture.
            if (!rows.ok)
                others = true;
            for (const sitedb::Row& row : rows.rows) {
                if (row.text(QStringLiteral("value02")) == pictureName)
                    ours = true;
                else
                    others = true;
            }
        }
        if (ours && !others)
            return {thumb, QFileInfo(workspace::currImgPath() + thumb).isFile()};
    }
}

QSize thumbSize(const QSize& picture) {
    const double w = picture.width();
    const double h = picture.height();
    if (w <= 0 || h <= 0)
        return {};
    qint64 width = 3000;
    qint64 height = 2000;
    const qint64 t = std::llround(h * width / w);
    if (t >= width)
        height = width;
    if (t < height)
        height = t;
    else
        width = std::llround(w * height / h);
    return QSize(int(std::max<qint64>(width, 1)), int(std::max<qint64>(height, 1)));
}

QImage thumbOf(const QImage& picture, const QSize& pictureSize) {
    constexpr int kTwips = 15;
    const QSize t = thumbSize(pictureSize * kTwips);
    if (picture.isNull() || t.isEmpty())
        return {};
    const QSize pixels(std::max(1, qRound(t.width() / double(kTwips))),
                       std::max(1, qRound(t.height() / double(kTwips))));
    // A bitmap has no transparency: what the picture leaves clear is drawn white.
    QImage thumb(pixels, QImage::Format_RGB32);
    thumb.fill(Qt::white);
    QPainter painter(&thumb);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), pixels),
                      picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return thumb;
}

bool saveThumb(const QImage& thumb, const QString& path, QString* why) {
    QSaveFile file(path);
    if (thumb.isNull() || !file.open(QIODevice::WriteOnly) || !thumb.save(&file, "BMP") ||
        !file.commit()) {
        if (why)
            *why = QStringLiteral("无法写入缩略图：") + path +
                   (file.errorString().isEmpty() ? QString() : u'（' + file.errorString() + u'）');
        return false;
    }
    return true;
}

} // namespace mdl_entry
