#pragma once
// The records of the list formats without widgets: adding, reading and modifying one news
// item, gallery picture or product in the content table of its node's level, and the
// gallery thumbnail's name and size.

#include "sitedb/sitedb.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace mdl_entry {

// A news item: the body is given as typed and stored encoded.
struct News {
    QString title;
    QString date;
    QString body;
    QString picture;
};

// A gallery picture with its caption and thumbnail.
struct Gallery {
    QString caption;
    QString picture;
    QString thumb;
};

// A product; the introduction is stored rich text.
struct Product {
    QString name;
    QString spec;
    QString unit;
    QString price;
    QString picture;
    QString intro;
};

// How storing a record ended.
struct Result {
    enum Kind {
        Saved,
        NoLevel,  // the node has no level: nothing stored
        NoName,   // the caption or name the record needs is missing
        Missing,  // the record to modify is gone
        Failed,   // the database refused; `error` says why
    };
    Kind kind = Saved;
    QString error;
    qint64 id = 0; // the record stored

    bool ok() const { return kind == Saved; }
};

Result addNews(const QString& nodeKey, const QString& nodeName, const News& news);
Result modifyNews(const QString& nodeKey, qint64 id, const News& news);

// A caption of blanks only is refused; the caption is stored as typed.
Result addGallery(const QString& nodeKey, const QString& nodeName, const Gallery& picture);
Result modifyGallery(const QString& nodeKey, qint64 id, const Gallery& picture);

// Adding trims the name and refuses it empty; modifying stores it as typed and refuses only
// the empty text.
Result addProduct(const QString& nodeKey, const QString& nodeName, const Product& product);
Result modifyProduct(const QString& nodeKey, qint64 id, const Product& product);

// One record of the node's level by its ID.
struct Loaded {
    enum Kind { Found, NoLevel, Missing, Failed };
    Kind kind = Found;
    QString error;
    sitedb::Row row;

    bool ok() const { return kind == Found; }
};
Loaded loadRecord(const QString& nodeKey, qint64 id);

News newsOf(const sitedb::Row& row); // the body decoded for its box
Gallery galleryOf(const sitedb::Row& row);
Product productOf(const sitedb::Row& row);

// The thumbnail of a gallery picture: its name up to the first "." (the whole name when it
// has none) followed by "_small.bmp".
QString thumbName(const QString& pictureName);

// The thumbnail file a gallery picture takes. Its own name (`thumbName`) unless something
// stored names that file for anything but this very picture (a gallery record of another
// picture, such as "photo.jpg" beside "photo.final.jpg"); then the first free
// "stem-2_small.bmp", "stem-3_small.bmp", …. `drawn`: a stored record already shows this
// thumbnail with this picture and its file is there, so it need not be drawn again.
struct Thumb {
    QString name;
    bool drawn = false;
};
Thumb thumbFor(const QString& pictureName);

// The thumbnail's size, in twips, for a picture of `picture` twips: scaled, proportions
// kept, into 3000 × 2000, except that a picture whose height at 3000 wide would reach 3000
// or more is made 3000 high.
QSize thumbSize(const QSize& picture);

// The thumbnail drawn from `picture`, whose own size is `pictureSize` pixels (15 twips to a
// pixel); `picture` may have been read smaller.
QImage thumbOf(const QImage& picture, const QSize& pictureSize);
// Writes the thumbnail as a bitmap file; what was at `path` is replaced only once the new
// file is complete. On failure `why` says so.
bool saveThumb(const QImage& thumb, const QString& path, QString* why);

} // namespace mdl_entry
