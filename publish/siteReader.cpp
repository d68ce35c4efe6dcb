#include "publish/siteReader.h"

#include "sitedb/sitedb.h"

#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QUuid>

#include <functional>

namespace publish {

const QString& Record::text(const QString& column) const {
    static const QString none;
    // "value01" .. "value06"
    if (column.size() != 7 || !column.startsWith(QLatin1String("value")))
        return none;
    const int n = column.mid(5).toInt();
    return n >= 1 && n <= 6 ? values[n - 1] : none;
}

namespace {

// A connection of this reader's own, removed when it goes.
class Connection {
public:
    explicit Connection(const QString& file)
        : m_name(QStringLiteral("publish-") + QUuid::createUuid().toString(QUuid::Id128)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
    }
    ~Connection() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};

const sitedb::Level kLevels[] = {sitedb::Level::First, sitedb::Level::Second,
                                 sitedb::Level::Third};

} // namespace

ReadResult readSite(const QString& file) {
    ReadResult r;
    if (!QFileInfo(file).isFile()) {
        r.error = QStringLiteral("没有站点数据库");
        return r;
    }
    Connection c(file);
    if (!c.isOpen()) {
        r.error = QStringLiteral("站点数据库无法打开：") + c.error();
        return r;
    }
    Site& site = r.site;
    const auto fail = [&](const sitedb::Rows& rows) {
        r.error = QStringLiteral("站点数据库无法读取：") + rows.error;
        return r;
    };

    const sitedb::Rows info = sitedb::query(c.db(), QStringLiteral("SELECT * FROM user_info"));
    if (!info.ok)
        return fail(info);
    const QSqlRecord& rec = info.first().record();
    for (int i = 0; i < rec.count(); ++i)
        site.info.insert(rec.fieldName(i).toLower(),
                         rec.value(i).isNull() ? QString() : rec.value(i).toString());

    // The three catalog tables, each sibling list in orderID order; equal orders keep
    // the order of insertion, as the designer shows them.
    QList<sitedb::Row> firsts;
    QHash<QString, QList<sitedb::Row>> childrenOf[3];
    for (const sitedb::Level level : kLevels) {
        const QString table = sitedb::catalogTable(level);
        const sitedb::Rows rows = sitedb::query(
            c.db(), QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY orderID, rowid"));
        if (!rows.ok)
            return fail(rows);
        if (level == sitedb::Level::First) {
            firsts = rows.rows;
            continue;
        }
        const QString parentColumn = sitedb::catalogTable(
            level == sitedb::Level::Second ? sitedb::Level::First : sitedb::Level::Second);
        for (const sitedb::Row& row : rows.rows)
            childrenOf[int(level) - 1][row.text(parentColumn)].append(row);
    }

    // Content records by owner name, newest first.
    QHash<QString, QList<Record>> recordsOf[3];
    for (const sitedb::Level level : kLevels) {
        const QString owner = sitedb::ownerColumn(level);
        const sitedb::Rows rows = sitedb::query(
            c.db(), QStringLiteral("SELECT ID, ") + owner +
                        QStringLiteral(" AS owner, value01, value02, value03, value04, value05, "
                                       "value06 FROM ") +
                        sitedb::contentTable(level) + QStringLiteral(" ORDER BY ID DESC"));
        if (!rows.ok)
            return fail(rows);
        for (const sitedb::Row& row : rows.rows) {
            Record one;
            one.id = row.integer(QStringLiteral("ID"));
            const QSqlRecord& raw = row.record();
            for (int i = 0; i < 6; ++i) {
                const QVariant v = raw.value(2 + i);
                one.values[i] = v.isNull() ? QString() : v.toString();
            }
            recordsOf[int(level) - 1][row.text(QStringLiteral("owner"))].append(std::move(one));
        }
    }

    // A name names one node of its level: a second row of the same name would share the
    // first one's records and children, so it is left out.
    QSet<QString> seen[3];
    const std::function<void(const sitedb::Row&, sitedb::Level, int)> add =
        [&](const sitedb::Row& row, sitedb::Level level, int parent) {
            const int li = int(level) - 1;
            Node n;
            n.name = row.text(sitedb::catalogTable(level));
            n.level = level;
            n.folder = row.flag(QStringLiteral("catalog"));
            n.format = row.text(QStringLiteral("aspFileName"));
            n.parent = parent;
            if (seen[li].contains(n.name)) {
                site.skipped << QStringLiteral("栏目重名，已略去：") + n.name;
                return;
            }
            seen[li].insert(n.name);
            n.records = recordsOf[li].take(n.name);
            const int index = site.nodes.size();
            site.nodes.append(std::move(n));
            if (parent < 0)
                site.top.append(index);
            else
                site.nodes[parent].children.append(index);
            if (level == sitedb::Level::Third)
                return;
            const sitedb::Level below = sitedb::childLevel(level);
            const QList<sitedb::Row> rows =
                childrenOf[int(below) - 1].value(site.nodes[index].name);
            for (const sitedb::Row& child : rows)
                add(child, below, index);
        };
    for (const sitedb::Row& row : firsts)
        add(row, sitedb::Level::First, -1);
    r.ok = true;
    return r;
}

} // namespace publish
