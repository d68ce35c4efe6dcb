#include "designer/mdl_dgnFrm.h"

#include "sitedb/sitedb.h"

#include <cmath>

namespace mdl_dgnFrm {

namespace {

DisplayFormat general(const char* key, const QString& caption, const char* picture,
                      const QString& description) {
    const QString k = QString::fromLatin1(key);
    return {k,
            FormatGroup::General,
            caption,
            QStringLiteral("images/") + QLatin1String(picture),
            QStringLiteral("tmplImg/") + k + QStringLiteral(".htm"),
            description};
}

DisplayFormat product(const char* key, const QString& caption, const QString& description) {
    const QString k = QString::fromLatin1(key);
    return {k,
            FormatGroup::Product,
            caption,
            QStringLiteral("images/") + k + QStringLiteral(".gif"),
            QStringLiteral("tmplImg/") + k + QStringLiteral(".htm"),
            description};
}

Names namesFrom(const sitedb::Rows& rows, const QString& column) {
    Names out;
    out.ok = rows.ok;
    out.error = rows.error;
    for (const sitedb::Row& r : rows.rows)
        out.names << r.text(column);
    return out;
}

} // namespace

const QList<DisplayFormat>& displayFormats() {
    static const QList<DisplayFormat> formats{
        general("txt", QStringLiteral("文本格式"), "gen01.gif",
                QStringLiteral("该显示格式能够以纯文本的方式显示用户内容")),
        general(
            "news", QStringLiteral("新闻格式"), "gen02.gif",
            QStringLiteral("该显示格式能够以超连接的方式显示内容标题，点击超连接可浏览详细内容")),
        general("imgTxt01", QStringLiteral("图文格式一"), "gen03.gif",
                QStringLiteral("该显示格式能够显示在文本中插入两张图片")),
        general("imgTxt02", QStringLiteral("图文格式二"), "gen04.gif",
                QStringLiteral("该显示格式能够在内容顶端显示两张图片")),
        general("imgTxt03", QStringLiteral("图文格式三"), "gen05.gif",
                QStringLiteral("该显示格式能够在内容顶端显示一张大图片")),
        general("bigImg", QStringLiteral("大图片格式"), "gen06.gif",
                QStringLiteral("该显示格式能够在整个显示区域中显示一张大图片")),
        general(
            "imgs", QStringLiteral("图片展示格式"), "gen07.gif",
            QStringLiteral("该显示格式能够显示以图库的形式显示图片，每张图片以超连接显示缩略图，"
                           "点击超连接可放大图片")),
        general("adv", QStringLiteral("高级设计格式"), "gen08.gif",
                QStringLiteral("该显示格式能够类似于Microsoft Word编辑功能，能够灵活的设计网页")),
        product("prod01", QStringLiteral("文本格式"),
                QStringLiteral("该显示格式能够将产品以不带图片的方式排列显示")),
        product("prod02", QStringLiteral("图表格式"),
                QStringLiteral("该显示格式能够将产品以带图片表格的方式显示")),
        product("prod03", QStringLiteral("图片格式"),
                QStringLiteral("该显示格式能够将品产以图片的方式显示")),
    };
    return formats;
}

const DisplayFormat* findFormat(const QString& key) {
    for (const DisplayFormat& f : displayFormats()) {
        if (f.key == key)
            return &f;
    }
    return nullptr;
}

bool isFormatKey(const QString& key) {
    return findFormat(key) != nullptr;
}

bool isProductFormat(const QString& key) {
    return key.startsWith(QLatin1String("prod"));
}

FormatTables fillFormatTables(const QString& currentPath) {
    FormatTables t;
    for (const DisplayFormat& f : displayFormats()) {
        FormatRow row{f.caption, f.key, currentPath + f.picture};
        (f.group == FormatGroup::General ? t.genFormats : t.prodFormats) << row;
    }
    return t;
}

int twips(int twipsValue) {
    return static_cast<int>(std::lround(twipsValue / 15.0));
}

TileLayout layoutTiles(int count, int tileWidth, int tileHeight, int lineTop, int pictureHeight) {
    TileLayout out;
    int top = lineTop + 200;
    int column = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && i % 3 == 0) {
            top = out.positions.back().y() + tileHeight + 100;
            column = 0;
        }
        out.positions << QPoint((tileWidth + 180) * column + 300, top);
        ++column;
    }
    const int range = top + tileHeight + 200 - pictureHeight;
    out.scrollMax = range < 1 ? 0 : range;
    return out;
}

Names prodTypes() {
    return namesFrom(sitedb::query(QStringLiteral("SELECT * FROM prodType ORDER BY Type_ID")),
                     QStringLiteral("Type_name"));
}

Names prodClasses(const QString& typeName) {
    return namesFrom(
        sitedb::query(QStringLiteral("SELECT prodClass.*, prodType.Type_name FROM prodType "
                                     "INNER JOIN prodClass ON prodType.Type_ID = prodClass.Type_ID "
                                     "WHERE prodType.Type_name = ? ORDER BY prodClass.ID"),
                      {typeName}),
        QStringLiteral("class_name"));
}

} // namespace mdl_dgnFrm
