#pragma once
// The catalogue of display formats a file can have, the tables the format picker is
// filled from, the picker's tile layout and the product classifications the node
// dialogs list.

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

namespace mdl_dgnFrm {

enum class FormatGroup { General, Product };

struct DisplayFormat {
    QString key; // stored in aspFileName
    FormatGroup group;
    QString caption;     // the picker's caption
    QString picture;     // below the installation folder
    QString previewPage; // below the installation folder
    QString description; // shown in the designer's status bar
};

// The eleven formats: eight general ones, then three product ones.
const QList<DisplayFormat>& displayFormats();
// The format with exactly this key, or nullptr (keys are case-sensitive).
const DisplayFormat* findFormat(const QString& key);
bool isFormatKey(const QString& key);
// A key beginning with "prod" stands for a product format.
bool isProductFormat(const QString& key);

// One row of a picker table: caption, key and the picture's full path.
struct FormatRow {
    QString caption;
    QString key;
    QString picture;
};
using FormatTable = QList<FormatRow>;

// The picker tables, pictures addressed in the installation folder `currentPath`.
struct FormatTables {
    FormatTable genFormats;
    FormatTable prodFormats;
};
FormatTables fillFormatTables(const QString& currentPath);

// Twips, the unit the window layouts are stated in, to pixels (15 twips a pixel).
int twips(int twipsValue);

// Where the tiles of the picker stand, in twips: three to a row, 180 apart, starting 300
// from the left, rows 100 apart, the first row 200 below the separator line at
// `lineTop`; and the picker's scroll range for a visible height `pictureHeight` (0 when
// everything fits).
struct TileLayout {
    QList<QPoint> positions;
    int scrollMax = 0;
};
TileLayout layoutTiles(int count, int tileWidth, int tileHeight, int lineTop, int pictureHeight);

// The first-level product classifications in Type_ID order, and the second-level ones of
// the type named `typeName`. Empty lists when there are none; `error` when the
// catalogue cannot be read.
struct Names {
    QStringList names;
    bool ok = true;
    QString error;
};
Names prodTypes();
Names prodClasses(const QString& typeName);

} // namespace mdl_dgnFrm
