#include "designer/mdl_nov.h"

#include <QRandomGenerator>

namespace mdl_nov {

namespace {

const QString kFirst = QStringLiteral("firstCatalog");
const QString kSecond = QStringLiteral("secondCatalog");
const QString kThird = QStringLiteral("thirdCatalog");

sitedb::Outcome failed(const sitedb::Rows& rows) {
    return sitedb::Outcome::failure(rows.error);
}

CatalogNode nodeFrom(const sitedb::Row& row, const QString& nameColumn) {
    CatalogNode n;
    n.name = row.text(nameColumn);
    n.folder = row.flag(QStringLiteral("catalog"));
    n.orderID = row.integer(QStringLiteral("orderID"));
    n.aspFileName = row.text(QStringLiteral("aspFileName"));
    return n;
}

// The children of one parent, in order; equal orders keep the order of insertion.
sitedb::Rows childrenOf(Level parentLevel, const QString& parentName) {
    switch (parentLevel) {
    case Level::None:
        return sitedb::query(QStringLiteral("SELECT * FROM firstCatalog ORDER BY orderID, rowid"));
    case Level::First:
        return sitedb::query(QStringLiteral("SELECT * FROM secondCatalog WHERE firstCatalog = ? "
                                            "ORDER BY orderID, rowid"),
                             {parentName});
    case Level::Second:
        return sitedb::query(QStringLiteral("SELECT * FROM thirdCatalog WHERE secondCatalog = ? "
                                            "ORDER BY orderID, rowid"),
                             {parentName});
    case Level::Third:
        break;
    }
    return {};
}

} // namespace

Catalog loadCatalog() {
    Catalog cat;
    const sitedb::Rows info = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    if (!info.ok) {
        cat.ok = false;
        cat.error = info.error;
        return cat;
    }
    cat.siteName = info.first().text(QStringLiteral("webName"));

    // Reads the children of `parent` (of level `level`) into `into`, then theirs.
    const std::function<bool(Level, const QString&, QList<CatalogNode>&)> readLevel =
        [&](Level level, const QString& parent, QList<CatalogNode>& into) -> bool {
        const Level own = childLevel(level);
        const sitedb::Rows rows = childrenOf(level, parent);
        if (!rows.ok) {
            cat.ok = false;
            cat.error = rows.error;
            return false;
        }
        for (const sitedb::Row& row : rows.rows) {
            into.append(nodeFrom(row, catalogTable(own)));
            // Nothing is read below level 3.
            if (own != Level::Third && !readLevel(own, into.back().name, into.back().children))
                return false;
        }
        return true;
    };
    readLevel(Level::None, QString(), cat.nodes);
    return cat;
}

Number getMaxOrder(Level parentLevel, const QString& parentName) {
    Number n;
    sitedb::Rows rows;
    switch (parentLevel) {
    case Level::None:
        rows =
            sitedb::query(QStringLiteral("SELECT Max(orderID) AS orderID_Max FROM firstCatalog"));
        break;
    case Level::First:
        rows = sitedb::query(QStringLiteral("SELECT Max(orderID) AS orderID_Max FROM "
                                            "secondCatalog WHERE firstCatalog = ?"),
                             {parentName});
        break;
    case Level::Second:
        rows = sitedb::query(QStringLiteral("SELECT Max(orderID) AS orderID_Max FROM "
                                            "thirdCatalog WHERE secondCatalog = ?"),
                             {parentName});
        break;
    case Level::Third:
        // Nothing is stored below level 3.
        return n;
    }
    if (!rows.ok) {
        n.ok = false;
        n.error = rows.error;
        return n;
    }
    if (rows.isEmpty())
        return n;
    n.value = rows.first().integer(QStringLiteral("orderID_Max"));
    return n;
}

Number getOrderID(Level level, const QString& name) {
    Number n;
    const QString table = catalogTable(level);
    if (table.isEmpty())
        return n;
    const sitedb::Rows rows =
        sitedb::query(QStringLiteral("SELECT orderID FROM ") + table + QStringLiteral(" WHERE ") +
                          table + QStringLiteral(" = ?"),
                      {name});
    if (!rows.ok) {
        n.ok = false;
        n.error = rows.error;
        return n;
    }
    if (!rows.isEmpty())
        n.value = rows.first().integer(QStringLiteral("orderID"));
    return n;
}

sitedb::Outcome swapOrderID(Level level, const QString& nameA, const QString& nameB, qint64 a,
                            qint64 b) {
    const QString table = catalogTable(level);
    if (table.isEmpty())
        return {};
    const QString sql = QStringLiteral("UPDATE ") + table +
                        QStringLiteral(" SET orderID = ? WHERE ") + table + QStringLiteral(" = ?");
    return sitedb::execAll({{sql, {b, nameA}}, {sql, {a, nameB}}});
}

namespace {

// Whether a name is taken; `error` says why the catalog could not be read.
bool nameTaken(const QString& name, QString* error) {
    const sitedb::Rows rows = sitedb::query(
        QStringLiteral("SELECT 1 FROM user_info WHERE webName = ? "
                       "UNION ALL SELECT 1 FROM firstCatalog WHERE firstCatalog = ? "
                       "UNION ALL SELECT 1 FROM secondCatalog WHERE secondCatalog = ? "
                       "UNION ALL SELECT 1 FROM thirdCatalog WHERE thirdCatalog = ? LIMIT 1"),
        {name, name, name, name});
    if (!rows.ok) {
        *error = rows.error;
        return true;
    }
    return !rows.isEmpty();
}

} // namespace

bool existNode(const QString& name) {
    // When the catalog cannot be read the name is not given out.
    QString error;
    return nameTaken(name, &error);
}

QString nodeName(const QString& typed) {
    return typed.trimmed();
}

NameCheck checkNewName(const QString& typed) {
    const QString name = nodeName(typed);
    if (existNode(name))
        return NameCheck::Duplicate;
    if (name.isEmpty())
        return NameCheck::Empty;
    return NameCheck::Ok;
}

sitedb::Outcome delNode(Level level, const QString& name) {
    // Names of the level-2 and level-3 rows of the branch, as subqueries.
    const QString secondsOfFirst =
        QStringLiteral("SELECT secondCatalog FROM secondCatalog WHERE firstCatalog = ?");
    const QString thirdsOfSecond =
        QStringLiteral("SELECT thirdCatalog FROM thirdCatalog WHERE secondCatalog = ?");
    const QString thirdsOfFirst =
        QStringLiteral("SELECT thirdCatalog FROM thirdCatalog WHERE secondCatalog IN (") +
        secondsOfFirst + QStringLiteral(")");

    QList<sitedb::Statement> st;
    switch (level) {
    case Level::First:
        st = {
            {QStringLiteral("DELETE FROM content03 WHERE thirdCatalog IN (") + thirdsOfFirst +
                 QStringLiteral(")"),
             {name}},
            {QStringLiteral("DELETE FROM thirdCatalog WHERE secondCatalog IN (") + secondsOfFirst +
                 QStringLiteral(")"),
             {name}},
            {QStringLiteral("DELETE FROM content02 WHERE secondCatalog IN (") + secondsOfFirst +
                 QStringLiteral(")"),
             {name}},
            {QStringLiteral("DELETE FROM secondCatalog WHERE firstCatalog = ?"), {name}},
            {QStringLiteral("DELETE FROM content01 WHERE firstCatalog = ?"), {name}},
            {QStringLiteral("DELETE FROM firstCatalog WHERE firstCatalog = ?"), {name}},
        };
        break;
    case Level::Second:
        st = {
            {QStringLiteral("DELETE FROM content03 WHERE thirdCatalog IN (") + thirdsOfSecond +
                 QStringLiteral(")"),
             {name}},
            {QStringLiteral("DELETE FROM thirdCatalog WHERE secondCatalog = ?"), {name}},
            {QStringLiteral("DELETE FROM content02 WHERE secondCatalog = ?"), {name}},
            {QStringLiteral("DELETE FROM secondCatalog WHERE secondCatalog = ?"), {name}},
        };
        break;
    case Level::Third:
        st = {
            {QStringLiteral("DELETE FROM content03 WHERE thirdCatalog = ?"), {name}},
            {QStringLiteral("DELETE FROM thirdCatalog WHERE thirdCatalog = ?"), {name}},
        };
        break;
    case Level::None:
        return {};
    }
    return sitedb::execAll(st);
}

sitedb::Outcome renNode(Level level, const QString& oldName, const QString& typedName) {
    const QString newName = nodeName(typedName);
    QString error;
    if (nameTaken(newName, &error))
        return sitedb::Outcome::failure(error.isEmpty() ? QStringLiteral("已存在重名，更改名称!")
                                                        : error);
    if (newName.isEmpty())
        return sitedb::Outcome::failure(QStringLiteral("重命名不能为空！"));
    const QVariantList args{newName, oldName};
    QList<sitedb::Statement> st;
    switch (level) {
    case Level::First:
        st = {
            {QStringLiteral("UPDATE firstCatalog SET firstCatalog = ? WHERE firstCatalog = ?"),
             args},
            {QStringLiteral("UPDATE secondCatalog SET firstCatalog = ? WHERE firstCatalog = ?"),
             args},
            {QStringLiteral("UPDATE thirdCatalog SET firstCatalog = ? WHERE firstCatalog = ?"),
             args},
            {QStringLiteral("UPDATE content01 SET firstCatalog = ? WHERE firstCatalog = ?"), args},
        };
        break;
    case Level::Second:
        st = {
            {QStringLiteral("UPDATE secondCatalog SET secondCatalog = ? WHERE secondCatalog = ?"),
             args},
            {QStringLiteral("UPDATE thirdCatalog SET secondCatalog = ? WHERE secondCatalog = ?"),
             args},
            {QStringLiteral("UPDATE content02 SET secondCatalog = ? WHERE secondCatalog = ?"),
             args},
        };
        break;
    case Level::Third:
        st = {
            {QStringLiteral("UPDATE thirdCatalog SET thirdCatalog = ? WHERE thirdCatalog = ?"),
             args},
            {QStringLiteral("UPDATE content03 SET thirdCatalog = ? WHERE thirdCatalog = ?"), args},
        };
        break;
    case Level::None:
        // The root's name is the site's name.
        st = {{QStringLiteral("UPDATE user_info SET webName = ?"), {newName}}};
        break;
    }
    return sitedb::execAll(st);
}

Number countRecords(Level level, const QString& name) {
    Number n;
    const QString table = contentTable(level);
    if (table.isEmpty()) {
        n.value = 0;
        return n;
    }
    const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT COUNT(*) AS n FROM ") + table +
                                                QStringLiteral(" WHERE ") + catalogTable(level) +
                                                QStringLiteral(" = ?"),
                                            {name});
    if (!rows.ok) {
        n.ok = false;
        n.error = rows.error;
        return n;
    }
    n.value = rows.first().integer(QStringLiteral("n"));
    return n;
}

Branch branchOf(Level level, const QString& name) {
    Branch b;
    // The rows below the node and their records, as delNode finds them.
    const QString secondsOfFirst =
        QStringLiteral("SELECT secondCatalog FROM secondCatalog WHERE firstCatalog = ?");
    QList<sitedb::Statement> counts;
    const auto add = [&](const QString& table, const QString& where, const QString& kind) {
        counts << sitedb::Statement{QStringLiteral("SELECT '") + kind +
                                        QStringLiteral("' AS kind, [catalog] AS folder, COUNT(*) AS n "
                                                       "FROM ") +
                                        table + QStringLiteral(" WHERE ") + where +
                                        QStringLiteral(" GROUP BY [catalog]"),
                                    {name}};
    };
    const auto addRecords = [&](const QString& table, const QString& where) {
        counts << sitedb::Statement{QStringLiteral("SELECT 'records' AS kind, 0 AS folder, "
                                                   "COUNT(*) AS n FROM ") +
                                        table + QStringLiteral(" WHERE ") + where,
                                    {name}};
    };
    switch (level) {
    case Level::First:
        add(kSecond, QStringLiteral("firstCatalog = ?"), QStringLiteral("nodes"));
        add(kThird, QStringLiteral("secondCatalog IN (") + secondsOfFirst + u')',
            QStringLiteral("nodes"));
        addRecords(QStringLiteral("content01"), QStringLiteral("firstCatalog = ?"));
        addRecords(QStringLiteral("content02"), QStringLiteral("secondCatalog IN (") +
                                                    secondsOfFirst + u')');
        addRecords(QStringLiteral("content03"),
                   QStringLiteral("thirdCatalog IN (SELECT thirdCatalog FROM thirdCatalog WHERE "
                                  "secondCatalog IN (") +
                       secondsOfFirst + QStringLiteral("))"));
        break;
    case Level::Second:
        add(kThird, QStringLiteral("secondCatalog = ?"), QStringLiteral("nodes"));
        addRecords(QStringLiteral("content02"), QStringLiteral("secondCatalog = ?"));
        addRecords(QStringLiteral("content03"),
                   QStringLiteral("thirdCatalog IN (SELECT thirdCatalog FROM thirdCatalog WHERE "
                                  "secondCatalog = ?)"));
        break;
    case Level::Third:
        addRecords(QStringLiteral("content03"), QStringLiteral("thirdCatalog = ?"));
        break;
    case Level::None:
        break;
    }
    for (const sitedb::Statement& st : counts) {
        const sitedb::Rows rows = sitedb::query(st.sql, st.args);
        if (!rows.ok) {
            b.ok = false;
            b.error = rows.error;
            return b;
        }
        for (const sitedb::Row& r : rows.rows) {
            const qint64 n = r.integer(QStringLiteral("n"));
            if (r.text(QStringLiteral("kind")) == u"records")
                b.records += n;
            else if (r.flag(QStringLiteral("folder")))
                b.folders += n;
            else
                b.files += n;
        }
    }
    return b;
}

sitedb::Outcome setAspFileName(Level level, const QString& name, const QString& key) {
    const QString table = catalogTable(level);
    if (table.isEmpty())
        return {};
    return sitedb::exec(QStringLiteral("UPDATE ") + table +
                            QStringLiteral(" SET aspFileName = ? WHERE ") + table +
                            QStringLiteral(" = ?"),
                        {key, name});
}

Text getAspFileName(Level level, const QString& name) {
    Text t;
    t.value = noFormat;
    const QString table = catalogTable(level);
    if (table.isEmpty())
        return t;
    const sitedb::Rows rows =
        sitedb::query(QStringLiteral("SELECT aspFileName FROM ") + table +
                          QStringLiteral(" WHERE ") + table + QStringLiteral(" = ?"),
                      {name});
    if (!rows.ok) {
        t.ok = false;
        t.error = rows.error;
        return t;
    }
    if (!rows.isEmpty())
        t.value = rows.first().text(QStringLiteral("aspFileName"));
    return t;
}

sitedb::Outcome changeFormat(Level level, const QString& name, const QString& key) {
    const QString table = catalogTable(level);
    if (table.isEmpty())
        return sitedb::Outcome::failure(QStringLiteral("没有在左边选择栏目！"));
    const sitedb::Rows own =
        sitedb::query(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + table +
                          QStringLiteral(" = ?"),
                      {name});
    if (!own.ok)
        return failed(own);
    // Only a file has a display format.
    if (own.isEmpty() || own.first().flag(QStringLiteral("catalog")))
        return sitedb::Outcome::failure(QStringLiteral("没有在左边选择栏目！"));
    // The same format again keeps the records as they are.
    if (own.first().text(QStringLiteral("aspFileName")) == key)
        return {};

    QString empty = QStringLiteral("UPDATE ") + contentTable(level) + QStringLiteral(" SET ");
    for (int i = 1; i <= 15; ++i) {
        const QString n = QString::number(i).rightJustified(2, u'0');
        if (i > 1)
            empty += QStringLiteral(", ");
        empty += QStringLiteral("field") + n + QStringLiteral(" = '', value") + n +
                 QStringLiteral(" = ''");
    }
    empty += QStringLiteral(" WHERE ") + table + QStringLiteral(" = ?");
    return sitedb::execAll({
        {empty, {name}},
        {QStringLiteral("UPDATE ") + table + QStringLiteral(" SET aspFileName = ? WHERE ") + table +
             QStringLiteral(" = ?"),
         {key, name}},
    });
}

AddResult addNode(Level parentLevel, const QString& parentName, const QString& typedName,
                  bool folder, const QString& formatKey) {
    AddResult res;
    const QString name = nodeName(typedName);
    res.name = name;
    res.level = childLevel(parentLevel);
    if (name.isEmpty()) {
        res.status = AddResult::EmptyName;
        return res;
    }
    QString error;
    if (nameTaken(name, &error)) {
        res.status = error.isEmpty() ? AddResult::Duplicate : AddResult::Failed;
        res.error = error;
        return res;
    }
    // Folders on levels 1 and 2, files on levels 1 to 3.
    if (res.level == Level::None || (folder && res.level == Level::Third)) {
        res.status = AddResult::NotAllowed;
        return res;
    }

    QString grandparent;
    if (parentLevel != Level::None) {
        const QString table = catalogTable(parentLevel);
        const sitedb::Rows parent =
            sitedb::query(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") +
                              table + QStringLiteral(" = ?"),
                          {parentName});
        if (!parent.ok) {
            res.error = parent.error;
            return res;
        }
        // Nothing goes below a file or below a row that no longer exists.
        if (parent.isEmpty() || !parent.first().flag(QStringLiteral("catalog"))) {
            res.status = AddResult::NotAllowed;
            return res;
        }
        grandparent = parent.first().text(kFirst);
    }

    const Number max = getMaxOrder(parentLevel, parentName);
    if (!max.ok) {
        res.error = max.error;
        return res;
    }
    if (max.value < 0) {
        res.status = AddResult::NoOrder;
        return res;
    }
    res.orderID = max.value + 1;

    const QVariant kind = folder ? 1 : 0;
    const QVariant format = folder ? QVariant() : QVariant(formatKey);
    sitedb::Outcome out;
    switch (res.level) {
    case Level::First:
        out = sitedb::exec(QStringLiteral("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID,"
                                          "aspFileName) VALUES(?,?,?,?)"),
                           {name, kind, res.orderID, format});
        break;
    case Level::Second:
        out = sitedb::exec(QStringLiteral("INSERT INTO secondCatalog(firstCatalog,secondCatalog,"
                                          "[catalog],orderID,aspFileName) VALUES(?,?,?,?,?)"),
                           {parentName, name, kind, res.orderID, format});
        break;
    case Level::Third:
        out = sitedb::exec(QStringLiteral("INSERT INTO thirdCatalog(firstCatalog,secondCatalog,"
                                          "thirdCatalog,[catalog],orderID,aspFileName) "
                                          "VALUES(?,?,?,?,?,?)"),
                           {grandparent, parentName, name, kind, res.orderID, format});
        break;
    case Level::None:
        break;
    }
    if (!out) {
        res.error = out.error;
        return res;
    }
    res.status = AddResult::Added;
    return res;
}

QString newNodeKey(const QString& prefix, const QSet<QString>& used) {
    const QString head = prefix + QStringLiteral("_");
    // Random numbers first, as the tree always had; counting on past 10000 if every one
    // of them is taken.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString key = head + QString::number(QRandomGenerator::global()->bounded(10001));
        if (!used.contains(key))
            return key;
    }
    for (qint64 n = 0;; ++n) {
        const QString key = head + QString::number(n);
        if (!used.contains(key))
            return key;
    }
}

} // namespace mdl_nov
