#pragma once
// The vocabulary of the site database that the client and the hosting server share:
// which catalog and content tables a tree level uses, the owner columns, the display
// formats and what each format keeps in the value columns of its records.

#include <QString>
#include <QStringList>

namespace sitedb {

// The level of a tree node, told by the first three characters of its key: "fst", "snd",
// "thd"; the root ("roo") and anything else have no level.
enum class Level { None = 0, First = 1, Second = 2, Third = 3 };

Level levelOfKey(const QString& key);
// "fst", "snd", "thd" for the three levels, "roo" for none.
QString levelPrefix(Level level);
// The level below `level` (None below Third).
Level childLevel(Level level);

// Table names of a level: the catalog table, which is also its name column, and the
// content table whose owner column carries the catalog table's name. Empty for None.
QString catalogTable(Level level);
QString contentTable(Level level);
// The column of a content table that names the owning file node.
inline QString ownerColumn(Level level) { return catalogTable(level); }

// The key "none": what a node without a catalog row has as its display format.
inline const QString noFormat = QStringLiteral("none");

// The eleven display-format keys, in catalogue order: the general formats, then the
// product formats.
const QStringList& formatKeys();
// A key that begins with "prod".
bool isProductFormat(const QString& key);
// Formats whose page is a list of records ("news", "imgs", the product formats); the
// others keep one record per file.
bool isListFormat(const QString& key);

// What the value columns hold, by format.
namespace columns {
// "txt", "imgTxt01", "imgTxt02", "imgTxt03": the body is stored encoded.
inline const QString pageTitle = QStringLiteral("value01");
inline const QString pageBody = QStringLiteral("value02");
inline const QString pagePicture1 = QStringLiteral("value03");
inline const QString pagePicture2 = QStringLiteral("value04");
// "bigImg"
inline const QString bigPicture = QStringLiteral("value01");
// "adv": the page as stored rich text.
inline const QString advPage = QStringLiteral("value01");
// "news": the body is stored encoded.
inline const QString newsTitle = QStringLiteral("value01");
inline const QString newsDate = QStringLiteral("value02");
inline const QString newsBody = QStringLiteral("value03");
inline const QString newsPicture = QStringLiteral("value04");
// "imgs"
inline const QString galleryCaption = QStringLiteral("value01");
inline const QString galleryPicture = QStringLiteral("value02");
inline const QString galleryThumbnail = QStringLiteral("value03");
// "prod01", "prod02", "prod03": the introduction is stored rich text.
inline const QString productName = QStringLiteral("value01");
inline const QString productSpec = QStringLiteral("value02");
inline const QString productUnit = QStringLiteral("value03");
inline const QString productPrice = QStringLiteral("value04");
inline const QString productPicture = QStringLiteral("value05");
inline const QString productIntro = QStringLiteral("value06");
} // namespace columns

} // namespace sitedb
