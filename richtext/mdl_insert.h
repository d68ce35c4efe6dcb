#pragma once
// The markup the editor's insert dialogs add to a page: a picture, a Flash movie, a table
// and a horizontal rule, each a function of the dialog's fields. Boxes left empty add no
// attribute; values go in as typed.

#include <QList>
#include <QString>

namespace mdl_insert {

// An entry of a drop-down list and what it puts into the markup ("" for nothing).
struct Entry {
    QString caption;
    QString value;
};

// The picture dialog's special effects (a style) and positions (an align value), and the
// rule dialog's alignments, in list order.
const QList<Entry>& pictureEffects();
const QList<Entry>& picturePositions();
const QList<Entry>& ruleAlignments();
// The table dialog's unit lists: "%" and "像数" (pixels, no unit written).
const QList<Entry>& tableUnits();
// The table dialog's alignment list; it does not enter the markup.
const QList<Entry>& tableAlignments();

struct Picture {
    QString fileName; // the bare name of the copy in the working folder
    QString height;
    QString width;
    QString border;
    QString alt;
    QString style; // from pictureEffects()
    QString align; // from picturePositions()
};
QString pictureMarkup(const Picture& p, const QString& imgPath);

struct Flash {
    QString fileName;
    QString width;  // not a number: 600
    QString height; // not a number: 120
};
QString flashMarkup(const Flash& f, const QString& imgPath);

struct Table {
    QString rows = QStringLiteral("2");
    QString cols = QStringLiteral("2");
    QString id;
    QString width = QStringLiteral("100");
    QString widthUnit = QStringLiteral("%");
    QString height;
    QString heightUnit = QStringLiteral("%");
    QString border = QStringLiteral("1");
    QString padding = QStringLiteral("0");
    QString spacing = QStringLiteral("0");
    QString backColor;
    QString borderColor;
};
QString tableMarkup(const Table& t);
// The rows or columns a box asks for: 1 when empty or less, whole numbers only, and at most
// `limit`, so that a mistyped count cannot flood the page.
int tableCount(const QString& box, int limit);
inline constexpr int kMaxRows = 1000;
inline constexpr int kMaxCols = 100;

struct Rule {
    QString color;
    QString width = QStringLiteral("500");
    QString height = QStringLiteral("2");
    QString align = QStringLiteral("center"); // from ruleAlignments()
    bool shadow = false;
};
QString ruleMarkup(const Rule& r);

} // namespace mdl_insert
