#pragma once
// The site's appearance as the single `user_info` row stores it: templates, name styles,
// background, custom pages and optional features; the template and name-style
// catalogues of the installation; and where their tiles and samples stand.

#include "common/pictures.h"
#include "designer/mdl_dgnFrm.h"
#include "sitedb/sitedb.h"

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>

namespace mdl_sltTmpl {

// "||" lists: the pieces of a stored list, and a stored list of names ("||a||b").
QStringList splitList(const QString& text);
// The names of a list that starts with "||", the empty pieces left out.
QStringList listNames(const QString& text);
QString joinNames(const QStringList& names);
// The on/off flag a "||" list starts with.
bool flagOf(const QString& text);

// The address of a local file in a page the program writes, safe inside a quoted
// attribute whatever the folder's name.
QString fileUrl(const QString& path);

// Everything the appearance window shows, as stored.
struct Settings {
    bool hasRow = false;
    QString defaultTmpl, headTmpl, defaultFont, headFont, backGround;
    QString defaultFile, topHead;
    QStringList otherPages;
    std::array<bool, 6> pertain{};
};
Settings loadSettings();

// The optional features, by check-box index.
struct Feature {
    const char16_t* caption;
    const char* column;
};
const std::array<Feature, 6>& features();
// Stores a feature switched on or off. The pop-up window and the script effect (2, 3)
// are stored on by their editors; switching them off here drops what the editors stored.
sitedb::Outcome setFeature(int index, bool on);

// The two catalogues of templates and the name styles of the home page and inner pages.
enum class Page { Home, Inner };
QString templateTable(Page page); // also the user_info column of the choice
QString fontColumn(Page page);

// A template's name: its first five characters are its code, the text before its first
// "." its caption; its thumbnail is the name itself in the installation's "template/",
// its full-size preview the code with ".jpg" there.
QString templateCode(const QString& name);
QString templateCaption(const QString& name);
QString thumbnailPath(const QString& name);
QString previewPath(const QString& name);
// The title the installation's catalogue of skins gives the template ("蓝色经典"), or
// empty when the catalogue does not list it.
QString templateTitle(const QString& name);
// The page the template preview writes: the full-size picture at the top left.
QString previewHtml(const QString& name);

mdl_dgnFrm::Names categories(Page page);
mdl_dgnFrm::Names templates(Page page, const QString& category);
sitedb::Outcome storeTemplate(Page page, const QString& name);

// The tile grid of a catalogue, in grid units: three to a row, tile i at left 250 + 2500 ×
// (i mod 3) and top 1680 × (i div 3) less the scroll value; the scroll range of a
// visible height (never below 0).
inline constexpr int kTileLeft = 250;
inline constexpr int kTilePitchX = 2500;
inline constexpr int kTilePitchY = 1680;
// Grid units in pixels, 12 to a pixel: a row has room for a thumbnail with the
// template's code and title under it.
constexpr int gridPixels(int units) {
    return units / 12;
}
QPoint tilePosition(int index, int scroll);
int tileScrollMax(int count, int visibleHeight);

// The name-style samples: the installation's "fonts/" pictures the `font` table lists.
mdl_dgnFrm::Names fonts();
QString fontPath(const QString& name);
sitedb::Outcome storeFont(Page page, const QString& name);
// The column of samples: each `gap` below the one before, the first at minus the scroll
// value; and the scroll range of a visible height (never below 0).
struct Column {
    QList<int> tops;
    int scrollMax = 0;
};
Column layoutColumn(const QList<int>& heights, int gap, int visibleHeight, int scroll);

// The background picture brought into the working folder is stored; the one it replaces
// is removed once nothing stored names it. A picture that could not be stored goes again
// when nothing names it.
sitedb::Outcome storeBackground(const pictures::Choice& choice);
sitedb::Outcome cancelBackground();

} // namespace mdl_sltTmpl
