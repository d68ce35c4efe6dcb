#include "appearance/mdl_sltTmpl.h"

#include "common/mdl_func.h"
#include "common/workspace.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace mdl_sltTmpl {

namespace {

const QString kSep = QStringLiteral("||");

mdl_dgnFrm::Names column(const sitedb::Rows& rows, const QString& name) {
    mdl_dgnFrm::Names out;
    out.ok = rows.ok;
    out.error = rows.error;
    for (const sitedb::Row& row : rows.rows)
        out.names << row.text(name);
    return out;
}

} // namespace

QStringList splitList(const QString& text) {
    return text.split(kSep);
}

QStringList listNames(const QString& text) {
    QStringList names = splitList(text);
    // The piece before the first "||" is empty in a stored list of names.
    names.removeFirst();
    names.removeAll(QString());
    return names;
}

QString joinNames(const QStringList& names) {
    QString text;
    for (const QString& n : names)
        text += kSep + n;
    return text;
}

bool flagOf(const QString& text) {
    return splitList(text).front().trimmed() == u"1";
}

QString fileUrl(const QString& path) {
    return mdl_func::fileUrl(path);
}

Settings loadSettings() {
    Settings s;
    const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    if (rows.isEmpty())
        return s;
    const sitedb::Row row = rows.first();
    s.hasRow = true;
    s.defaultTmpl = row.text(QStringLiteral("defaultTmpl")).trimmed();
    s.headTmpl = row.text(QStringLiteral("headTmpl")).trimmed();
    s.defaultFont = row.text(QStringLiteral("defaultFont")).trimmed();
    s.headFont = row.text(QStringLiteral("headFont")).trimmed();
    s.backGround = row.text(QStringLiteral("backGround")).trimmed();
    s.defaultFile = row.text(QStringLiteral("defaultFile")).trimmed();
    s.topHead = row.text(QStringLiteral("topHead")).trimmed();
    const QString pages = row.text(QStringLiteral("field01"));
    if (!pages.trimmed().isEmpty())
        s.otherPages = listNames(pages);
    for (int i = 0; i < 6; ++i)
        s.pertain[i] = flagOf(row.text(QLatin1String(features()[i].column)));
    return s;
}

const std::array<Feature, 6>& features() {
    static const std::array<Feature, 6> kFeatures = {{
        {u"站点论坛", "field02"},
        {u"邮局登陆", "field03"},
        {u"弹出窗口", "adBoard"},
        {u"JavaSript脚本效果", "javascript"},
        {u"客户留言", "field04"},
        {u"办公系统", "field05"},
    }};
    return kFeatures;
}

sitedb::Outcome setFeature(int index, bool on) {
    if (index < 0 || index >= int(features().size()))
        return sitedb::Outcome::failure(QStringLiteral("没有这项功能"));
    // The pop-up window and the script effect are stored on by their editors.
    if (on && (index == 2 || index == 3))
        return {};
    return sitedb::setUserInfo(QLatin1String(features()[index].column),
                               on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString templateTable(Page page) {
    return page == Page::Home ? QStringLiteral("defaultTmpl") : QStringLiteral("headTmpl");
}

QString fontColumn(Page page) {
    return page == Page::Home ? QStringLiteral("defaultFont") : QStringLiteral("headFont");
}

QString templateCode(const QString& name) {
    return name.left(5);
}

QString templateCaption(const QString& name) {
    return name.section(u'.', 0, 0);
}

QString thumbnailPath(const QString& name) {
    return workspace::currentPath() + QStringLiteral("template/") + name;
}

QString previewPath(const QString& name) {
    return workspace::currentPath() + QStringLiteral("template/") + templateCode(name) +
           QStringLiteral(".jpg");
}

QString templateTitle(const QString& name) {
    // The catalogue is read once per installation folder.
    static QString readFrom;
    static QHash<QString, QString> titles;
    const QString file = workspace::currentPath() + QStringLiteral("skins/catalogue.json");
    if (file != readFrom) {
        readFrom = file;
        titles.clear();
        QFile f(file);
        if (f.open(QIODevice::ReadOnly)) {
            const QJsonArray all = QJsonDocument::fromJson(f.readAll())
                                       .object()
                                       .value(QStringLiteral("templates"))
                                       .toArray();
            for (const QJsonValue& t : all) {
                const QJsonObject o = t.toObject();
                titles.insert(o.value(QStringLiteral("code")).toString(),
                              o.value(QStringLiteral("title")).toString());
            }
        }
    }
    return titles.value(templateCode(name));
}

QString previewHtml(const QString& name) {
    return QStringLiteral("<html><head></head>") +
           QStringLiteral("<body  leftmargin=2 topmargin=0 oncontextmenu='return false;'>") +
           QStringLiteral("<img src='") + fileUrl(previewPath(name)) + QStringLiteral("'>") +
           QStringLiteral("</body></html>");
}

mdl_dgnFrm::Names categories(Page page) {
    return column(sitedb::query(QStringLiteral("SELECT tmplType FROM ") + templateTable(page) +
                                QStringLiteral(" GROUP BY tmplType")),
                  QStringLiteral("tmplType"));
}

mdl_dgnFrm::Names templates(Page page, const QString& category) {
    return column(sitedb::query(QStringLiteral("SELECT * FROM ") + templateTable(page) +
                                    QStringLiteral(" WHERE(tmplType=?) ORDER BY ID;"),
                                {category}),
                  QStringLiteral("tmplName"));
}

sitedb::Outcome storeTemplate(Page page, const QString& name) {
    return sitedb::setUserInfo(templateTable(page), name);
}

QPoint tilePosition(int index, int scroll) {
    return {kTileLeft + kTilePitchX * (index % 3), kTilePitchY * (index / 3) - scroll};
}

int tileScrollMax(int count, int visibleHeight) {
    if (count <= 0)
        return 0;
    return std::max(0, tilePosition(count - 1, 0).y() - visibleHeight + 2000);
}

mdl_dgnFrm::Names fonts() {
    return column(sitedb::query(QStringLiteral("SELECT * FROM font ORDER BY ID")),
                  QStringLiteral("font"));
}

QString fontPath(const QString& name) {
    return workspace::currentPath() + QStringLiteral("fonts/") + name;
}

sitedb::Outcome storeFont(Page page, const QString& name) {
    return sitedb::setUserInfo(fontColumn(page), name);
}

Column layoutColumn(const QList<int>& heights, int gap, int visibleHeight, int scroll) {
    Column c;
    int top = -scroll;
    for (int i = 0; i < heights.size(); ++i) {
        if (i > 0)
            top += heights[i - 1] + gap;
        c.tops << top;
    }
    if (!heights.isEmpty())
        c.scrollMax = std::max(0, c.tops.back() + scroll + heights.back() - visibleHeight + gap);
    return c;
}

sitedb::Outcome storeBackground(const pictures::Choice& choice) {
    const QString previous = sitedb::userInfo(QStringLiteral("backGround")).trimmed();
    const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("backGround"), choice.name);
    if (!stored) {
        if (choice.copied)
            pictures::removeUnnamed({choice.name});
        return stored;
    }
    if (previous != choice.name)
        pictures::removeUnnamed({previous});
    return stored;
}

sitedb::Outcome cancelBackground() {
    const QString previous = sitedb::userInfo(QStringLiteral("backGround")).trimmed();
    const sitedb::Outcome done = sitedb::setUserInfo(QStringLiteral("backGround"), QString());
    if (done)
        pictures::removeUnnamed({previous});
    return done;
}

} // namespace mdl_sltTmpl
