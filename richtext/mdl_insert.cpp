#include "richtext/mdl_insert.h"

#include "common/mdl_func.h"

#include <cmath>

namespace mdl_insert {

namespace {

// A value written without quotes as long as it cannot end the attribute early; a value
// with blanks, quotes or brackets (an alt text of two words) is quoted so that it stays
// whole.
QString attrValue(const QString& value) {
    static const QString kBreaking = QStringLiteral(" \t\r\n\"'`=<>");
    bool plain = !value.isEmpty();
    for (QChar c : value) {
        if (kBreaking.contains(c)) {
            plain = false;
            break;
        }
    }
    if (plain)
        return value;
    QString v = value;
    v.replace(u'&', QLatin1String("&amp;"));
    v.replace(u'\'', QLatin1String("&#39;"));
    return u'\'' + v + u'\'';
}

// A value inside single quotes.
QString quoted(const QString& value) {
    QString v = value;
    v.replace(u'\'', QLatin1String("&#39;"));
    return u'\'' + v + u'\'';
}

// " name=value" for a box that is not empty; number boxes may carry surrounding blanks.
QString numberAttr(const char* name, const QString& box) {
    const QString v = box.trimmed();
    return v.isEmpty() ? QString() : u' ' + QLatin1String(name) + u'=' + v;
}

QString textAttr(const char* name, const QString& box) {
    return box.trimmed().isEmpty() ? QString()
                                   : u' ' + QLatin1String(name) + u'=' + attrValue(box);
}

QString numberOr(const QString& box, const QString& fallback) {
    return mdl_func::isNumeric(box) ? box.trimmed() : fallback;
}

} // namespace

const QList<Entry>& pictureEffects() {
    static const QList<Entry> entries = {
        {"无", ""},
        {"模糊效果", "filter:blur(add=1,direction=14,strength=15)"},
        {"黑白照片", "filter:gray"},
        {"颠倒显示", "filter:flipv"},
        {"左右反转", "filter:fliph"},
        {"X光照片", "filter:xray"},
        {"颜色反转", "filter:invert"},
    };
    return entries;
}

const QList<Entry>& picturePositions() {
    static const QList<Entry> entries = {
        {"默认位置", ""},        {"左对齐", "left"},         {"居中", "middle"},
        {"右对齐", "right"},     {"顶部对齐", "top"},        {"底部对齐", "bottom"},
        {"基线", "baseline"},    {"绝对顶部", "texttop"},    {"绝对居中", "absmiddle"},
        {"绝对底部", "absbottom"},
    };
    return entries;
}

const QList<Entry>& ruleAlignments() {
    static const QList<Entry> entries = {
        {"左对齐", "left"}, {"居中", "center"}, {"右对齐", "right"}};
    return entries;
}

const QList<Entry>& tableUnits() {
    static const QList<Entry> entries = {{"%", "%"}, {"像数", ""}};
    return entries;
}

const QList<Entry>& tableAlignments() {
    static const QList<Entry> entries = {
        {"默认", ""}, {"左对齐", "left"}, {"居中", "center"}, {"右对齐", "right"}};
    return entries;
}

QString pictureMarkup(const Picture& p, const QString& imgPath) {
    // The address encoded, so that a name with "#", "%" or blanks still finds its file.
    QString s = QStringLiteral("<img src=") + quoted(mdl_func::fileUrl(imgPath + p.fileName));
    s += numberAttr("height", p.height);
    s += numberAttr("width", p.width);
    s += textAttr("alt", p.alt);
    s += numberAttr("border", p.border);
    if (!p.style.isEmpty())
        s += QStringLiteral(" style=") + quoted(p.style);
    if (!p.align.isEmpty())
        s += QStringLiteral(" align=") + quoted(p.align);
    return s + u'>';
}

QString flashMarkup(const Flash& f, const QString& imgPath) {
    // The movie is addressed as the editor addresses every file of the working folder.
    const QString movie = mdl_func::fromStoredHtml(QStringLiteral("[imgpath]/") + f.fileName,
                                                   imgPath);
    QString s = QStringLiteral(
        "<object codebase=http://download.macromedia.com/pub/shockwave/cabs/flash/"
        "swflash.cab#version=6,0,29,0");
    s += QStringLiteral(" height=") + numberOr(f.height, QStringLiteral("120"));
    s += QStringLiteral(" width=") + numberOr(f.width, QStringLiteral("600"));
    s += QStringLiteral(" classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000>");
    const QList<std::pair<QString, QString>> params = {
        {"_cx", "20108"},       {"_cy", "3440"},      {"FlashVars", "20108"},
        {"Movie", movie},       {"Src", movie},       {"WMode", "Window"},
        {"Play", "-1"},         {"Loop", "-1"},       {"Quality", "High"},
        {"SAlign", ""},         {"Menu", "-1"},       {"Base", ""},
        {"AllowScriptAccess", "always"}, {"Scale", "ShowAll"}, {"DeviceFont", "0"},
        {"EmbedMovie", "0"},    {"BGColor", ""},      {"SWRemote", ""},
    };
    for (const auto& [name, value] : params)
        s += QStringLiteral("  <param name=\"") + name + QStringLiteral("\" value=\"") + value +
             QStringLiteral("\">");
    return s + QStringLiteral("</object>");
}

int tableCount(const QString& box, int limit) {
    if (!mdl_func::isNumeric(box))
        return 1;
    const double n = std::floor(box.trimmed().toDouble());
    if (!(n >= 1))
        return 1;
    return n > limit ? limit : int(n);
}

QString tableMarkup(const Table& t) {
    const int rows = tableCount(t.rows, kMaxRows);
    const int cols = tableCount(t.cols, kMaxCols);
    QString s = QStringLiteral("<table");
    s += textAttr("ID", t.id);
    if (!t.width.trimmed().isEmpty())
        s += QStringLiteral(" width=") + t.width.trimmed() + t.widthUnit;
    if (!t.height.trimmed().isEmpty())
        s += QStringLiteral(" height=") + t.height.trimmed() + t.heightUnit;
    s += numberAttr("border", t.border);
    s += numberAttr("cellpadding", t.padding);
    s += numberAttr("cellspacing", t.spacing);
    s += textAttr("bgcolor", t.backColor);
    s += textAttr("bordercolor", t.borderColor);
    s += u'>';
    QString row = QStringLiteral("<tr>");
    for (int c = 0; c < cols; ++c)
        row += QStringLiteral("<td>&nbsp;</td>");
    row += QStringLiteral("</tr>");
    s.reserve(s.size() + rows * row.size() + 8);
    for (int r = 0; r < rows; ++r)
        s += row;
    return s + QStringLiteral("</table>");
}

QString ruleMarkup(const Rule& r) {
    QString s = QStringLiteral("<hr");
    if (!r.color.trimmed().isEmpty())
        s += QStringLiteral(" color=") + quoted(r.color);
    s += numberAttr("size", r.height);
    if (!r.shadow)
        s += QStringLiteral(" noshade");
    if (!r.align.isEmpty())
        s += QStringLiteral(" align=") + r.align;
    s += numberAttr("width", r.width);
    return s + u'>';
}

} // namespace mdl_insert
