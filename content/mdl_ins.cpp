#include "content/mdl_ins.h"

#include "common/mdl_func.h"
#include "designer/mdl_dgnFrm.h"
#include "designer/mdl_nov.h"

#include <QStringList>

#include <optional>

namespace mdl_ins {

bool dataChanged = false;
bool advIsNew = true;

namespace {

// The content table of a node's level and its owner column, which carries the name of
// the level's catalog table.
struct ContentLevel {
    QString table;
    QString ownerColumn;
};

std::optional<ContentLevel> contentLevel(const QString& nodeKey) {
    const mdl_nov::Level level = mdl_nov::levelOfKey(nodeKey);
    if (level == mdl_nov::Level::None)
        return std::nullopt;
    return ContentLevel{mdl_nov::contentTable(level), mdl_nov::catalogTable(level)};
}

} // namespace

sitedb::Rows loadRecords(const QString& nodeKey, const QString& nodeName) {
    const auto level = contentLevel(nodeKey);
    if (!level)
        return {};
    return sitedb::query(QStringLiteral("SELECT * From ") + level->table +
                             QStringLiteral(" WHERE (") + level->ownerColumn +
                             QStringLiteral("=?) ORDER BY ID DESC;"),
                         {nodeName});
}

namespace {

const QString kEmptyRow =
    QStringLiteral("<tr bgcolor=white><td colspan=%1 height=30><font color=red>"
                   "　　　　暂时还没有数据！</font></td></tr>");

QString listFrame(const QString& headingRow, const QString& rows) {
    return QStringLiteral("<table width=100% border=0 cellpadding=0 cellspacing=0 bgcolor=#990000>"
                          "<tr>"
                          "<td><table width=100% border=0 cellspacing=1 cellpadding=0>"
                          "<form name='formData' method=post onSubmit='return false;'>") +
           headingRow + rows +
           QStringLiteral("</form>"
                          "</table></td>"
                          "</tr>"
                          "</table>");
}

QString recordRows(const QList<sitedb::Row>& records, const QStringList& columns) {
    QString rows;
    for (const sitedb::Row& r : records) {
        const QString id = QString::number(r.integer(QStringLiteral("ID")));
        rows += QStringLiteral("<tr bgcolor=#FFFFFF>"
                               "<td height=22>&nbsp;<input type='radio' name='ID' ") +
                QStringLiteral(" value='") + id + QStringLiteral("' onClick='getID(") + id +
                QStringLiteral(");'>") + id + QStringLiteral("</td>");
        // What the user typed is shown as text: markup in a title never runs in the page.
        for (const QString& c : columns)
            rows +=
                QStringLiteral("<td>&nbsp;") + r.text(c).toHtmlEscaped() + QStringLiteral("</td>");
        rows += QStringLiteral("</tr>");
    }
    if (records.isEmpty())
        rows = kEmptyRow.arg(columns.size() + 1);
    return rows;
}

} // namespace

QString buildListHtml(const QList<sitedb::Row>& records, const QString& kind) {
    const bool news = kind == u"news";
    const QString heading2 = news ? QStringLiteral("标题") : QStringLiteral("图片说明文字");
    const QString heading3 = news ? QStringLiteral("时间") : QStringLiteral("文件名");
    const QString heading =
        QStringLiteral("<tr align=center bgcolor=#CCCCCC>"
                       "<td width=12% height=22><input name='currID' type='hidden' "
                       "id='currID'>ID</td>"
                       "<td width=64%>") +
        heading2 + QStringLiteral("</td><td width=24%>") + heading3 + QStringLiteral("</td></tr>");
    return listFrame(heading,
                     recordRows(records, {QStringLiteral("value01"), QStringLiteral("value02")}));
}

QString buildProdListHtml(const QList<sitedb::Row>& records) {
    const QString heading =
        QStringLiteral("<tr align=center bgcolor=#CCCCCC>"
                       "<td width=8% height=22><input name='currID' type='hidden' "
                       "id='currID'>ID</td>"
                       "<td>产品名称</td><td>规格</td><td>单位</td><td>价格</td></tr>");
    return listFrame(heading,
                     recordRows(records, {QStringLiteral("value01"), QStringLiteral("value02"),
                                          QStringLiteral("value03"), QStringLiteral("value04")}));
}

sitedb::Outcome deleteData(const QString& nodeKey, qint64 id) {
    const auto level = contentLevel(nodeKey);
    if (!level)
        return sitedb::Outcome::failure(QStringLiteral("不期望的错误：栏目选择错误！"));
    return sitedb::exec(
        QStringLiteral("DELETE FROM ") + level->table + QStringLiteral(" WHERE(ID=?);"), {id});
}

namespace {

SaveResult outcomeOf(const sitedb::Outcome& o) {
    if (o)
        return {};
    return {SaveResult::Failed, o.error};
}

bool hasTitle(const QString& format) {
    return format == u"txt" || format.startsWith(QLatin1String("imgTxt"));
}

} // namespace

SaveResult savePage(const QString& nodeKey, const QString& nodeName, const QString& format,
                    bool isNew, const PageFields& fields) {
    const auto level = contentLevel(nodeKey);
    if (!level)
        return {SaveResult::NoLevel, {}};
    if (hasTitle(format) && fields.title.trimmed().isEmpty())
        return {SaveResult::EmptyTitle, {}};

    const QString& t = level->table;
    const QString& c = level->ownerColumn;
    // Empty values are stored as empty text, never as NULL.
    const auto text = [](const QString& v) { return v.isNull() ? QStringLiteral("") : v; };
    const QString body = text(mdl_func::encode(fields.body));
    // A one-picture page never names a second picture.
    const QString picture1 = text(fields.picture1);
    const QString picture2 = format == u"imgTxt03" ? QStringLiteral("") : text(fields.picture2);

    if (format == u"txt") {
        if (isNew)
            return outcomeOf(sitedb::exec(QStringLiteral("INSERT INTO ") + t + u'(' + c +
                                              QStringLiteral(",value01,value02) VALUES(?,?,?);"),
                                          {nodeName, text(fields.title), body}));
        return outcomeOf(sitedb::exec(QStringLiteral("UPDATE ") + t +
                                          QStringLiteral(" SET value01 = ?, value02 = ? WHERE(") +
                                          c + QStringLiteral("=?);"),
                                      {text(fields.title), body, nodeName}));
    }
    if (format.startsWith(QLatin1String("imgTxt"))) {
        if (isNew)
            return outcomeOf(sitedb::exec(
                QStringLiteral("INSERT INTO ") + t + u'(' + c +
                    QStringLiteral(",value01,value02,value03,value04) VALUES(?,?,?,?,?);"),
                {nodeName, text(fields.title), body, picture1, picture2}));
        return outcomeOf(
            sitedb::exec(QStringLiteral("UPDATE ") + t +
                             QStringLiteral(" SET value01 = ?, value02 = ?, value03=?,value04=? "
                                            "WHERE(") +
                             c + QStringLiteral("=?);"),
                         {text(fields.title), body, picture1, picture2, nodeName}));
    }
    if (format == u"bigImg") {
        if (isNew)
            return outcomeOf(sitedb::exec(QStringLiteral("INSERT INTO ") + t + u'(' + c +
                                              QStringLiteral(",value01) VALUES(?,?);"),
                                          {nodeName, picture1}));
        return outcomeOf(sitedb::exec(QStringLiteral("UPDATE ") + t +
                                          QStringLiteral(" SET value01 = ? WHERE(") + c +
                                          QStringLiteral("=?);"),
                                      {picture1, nodeName}));
    }
    return {SaveResult::Failed, QStringLiteral("未知的显示格式：") + format};
}

SaveResult saveAdvPage(const QString& nodeKey, const QString& nodeName, const QString& html,
                       bool isNew) {
    const auto level = contentLevel(nodeKey);
    if (!level)
        return {SaveResult::NoLevel, {}};
    QString h = html;
    h.remove(u'\r');
    if (isNew)
        return outcomeOf(sitedb::exec(QStringLiteral("INSERT INTO ") + level->table + u'(' +
                                          level->ownerColumn +
                                          QStringLiteral(",value01) VALUES(?,?);"),
                                      {nodeName, h}));
    return outcomeOf(sitedb::exec(QStringLiteral("UPDATE ") + level->table +
                                      QStringLiteral(" SET value01 = ? WHERE(") +
                                      level->ownerColumn + QStringLiteral("=?);"),
                                  {h, nodeName}));
}

bool isListFormat(const QString& format) {
    return format == u"news" || format == u"imgs" || mdl_dgnFrm::isProductFormat(format);
}

bool isPanelFormat(const QString& format) {
    return format == u"txt" || format == u"imgTxt01" || format == u"imgTxt02" ||
           format == u"imgTxt03" || format == u"bigImg";
}

} // namespace mdl_ins
