#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace sitedb {

namespace {

// Inside a transaction of `conn`, and whether it changed anything yet: the change is told
// once it is committed.
bool g_inTransaction = false;
bool g_changedInTransaction = false;

void told() {
    if (g_inTransaction)
        g_changedInTransaction = true;
    else
        Q_EMIT changes().stored();
}

QString describe(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text;
}

bool isPlainName(const QString& name) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

// A value as it is bound: a text given as a null QString is stored as the empty text, as
// every text column of the site database expects; only an invalid QVariant binds NULL.
QVariant bound(const QVariant& v) {
    if (v.typeId() == QMetaType::QString && v.toString().isNull())
        return QVariant(QStringLiteral(""));
    return v;
}

Outcome run(QSqlDatabase db, const QString& sql, const QVariantList& args) {
    QSqlQuery q(db);
    if (!q.prepare(sql))
        return Outcome::failure(describe(q.lastError()));
    for (const QVariant& v : args)
        q.addBindValue(bound(v));
    if (!q.exec())
        return Outcome::failure(describe(q.lastError()));
    Outcome out;
    out.rowsAffected = q.numRowsAffected();
    out.lastInsertId = q.lastInsertId();
    return out;
}

// Splits a script at the semicolons that end statements, leaving comments out.
QStringList splitScript(const QString& script) {
    QStringList statements;
    QString current;
    bool inString = false;
    const QStringList lines = script.split(u'\n');
    for (const QString& rawLine : lines) {
        QString line = rawLine;
        if (!inString && line.trimmed().startsWith(QLatin1String("--")))
            continue;
        for (QChar c : line) {
            if (c == u'\'')
                inString = !inString;
            if (c == u';' && !inString) {
                if (!current.trimmed().isEmpty())
                    statements << current.trimmed();
                current.clear();
            } else {
                current += c;
            }
        }
        current += u'\n';
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

} // namespace

QVariant Row::value(const QString& column) const {
    const int i = m_record.indexOf(column);
    return i < 0 ? QVariant() : m_record.value(i);
}

QString Row::text(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

qint64 Row::integer(const QString& column) const {
    bool ok = false;
    const qint64 n = value(column).toLongLong(&ok);
    return ok ? n : 0;
}

bool Row::flag(const QString& column) const {
    const QVariant v = value(column);
    if (v.isNull())
        return false;
    const QString s = v.toString().trimmed().toLower();
    return !(s.isEmpty() || s == u"0" || s == u"false" || s == u"no");
}

QSqlDatabase conn() {
    if (QSqlDatabase::contains(QLatin1String(connectionName)))
        return QSqlDatabase::database(QLatin1String(connectionName), false);
    return QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(connectionName));
}

bool isOpen() {
    return QSqlDatabase::contains(QLatin1String(connectionName)) && conn().isOpen();
}

QString currentFile() {
    return isOpen() ? conn().databaseName() : QString();
}

QString findIn(const QString& folder) {
    const QString exact = QString::fromLatin1(fileName);
    if (QFileInfo(folder + exact).isFile())
        return folder + exact;
    const QStringList found =
        QDir(folder).entryList({exact}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : found) {
        if (name.compare(exact, Qt::CaseInsensitive) == 0)
            return folder + name;
    }
    return {};
}

Outcome checkWritable() {
    if (!isOpen())
        return Outcome::failure(QStringLiteral("站点数据库没有打开"));
    QSqlDatabase db = conn();
    if (!db.transaction())
        return Outcome::failure(describe(db.lastError()));
    // Creating a table writes the file and its journal beside it; nothing of it stays.
    g_inTransaction = true;
    const Outcome made = run(db, QStringLiteral("CREATE TABLE orvane_write_check(x INTEGER)"), {});
    g_inTransaction = false;
    db.rollback();
    return made;
}

Outcome open(const QString& file) {
    close();
    const QFileInfo info(file);
    if (!info.exists())
        return Outcome::failure(QStringLiteral("文件不存在"));
    if (!info.isFile() || !info.isReadable())
        return Outcome::failure(QStringLiteral("文件无法读取"));

    QSqlDatabase db = conn();
    db.setDatabaseName(file);
    // Never create a database here: a missing file is reported above.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        const QString why = describe(db.lastError());
        close();
        return Outcome::failure(why);
    }
    // SQLite opens any file lazily; reading the one table every window needs proves
    // the file is a site database.
    const Rows check = query(QStringLiteral("SELECT COUNT(*) AS n FROM user_info"));
    if (!check.ok) {
        close();
        return Outcome::failure(check.error);
    }
    told();
    return {};
}

void close() {
    if (!QSqlDatabase::contains(QLatin1String(connectionName)))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(connectionName), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(connectionName));
}

Rows query(const QString& sql, const QVariantList& args) {
    Rows out;
    if (!isOpen()) {
        out.ok = false;
        out.error = QStringLiteral("站点数据库没有打开");
        return out;
    }
    return query(conn(), sql, args);
}

Rows query(QSqlDatabase db, const QString& sql, const QVariantList& args) {
    Rows out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        out.ok = false;
        out.error = describe(q.lastError());
        return out;
    }
    for (const QVariant& v : args)
        q.addBindValue(bound(v));
    if (!q.exec()) {
        out.ok = false;
        out.error = describe(q.lastError());
        return out;
    }
    while (q.next())
        out.rows.append(Row(q.record()));
    return out;
}

Outcome exec(const QString& sql, const QVariantList& args) {
    if (!isOpen())
        return Outcome::failure(QStringLiteral("站点数据库没有打开"));
    Outcome out = run(conn(), sql, args);
    if (out.ok)
        told();
    return out;
}

Outcome transaction(const std::function<Outcome()>& body) {
    if (!isOpen())
        return Outcome::failure(QStringLiteral("站点数据库没有打开"));
    QSqlDatabase db = conn();
    if (!db.transaction())
        return Outcome::failure(describe(db.lastError()));
    g_inTransaction = true;
    g_changedInTransaction = false;
    Outcome out = body();
    g_inTransaction = false;
    if (!out.ok) {
        db.rollback();
        return out;
    }
    if (!db.commit()) {
        const QString why = describe(db.lastError());
        db.rollback();
        return Outcome::failure(why);
    }
    if (g_changedInTransaction)
        told();
    return out;
}

Outcome execAll(const QList<Statement>& statements) {
    return transaction([&]() -> Outcome {
        Outcome total;
        for (const Statement& s : statements) {
            Outcome one = exec(s.sql, s.args);
            if (!one.ok)
                return one;
            total.rowsAffected += one.rowsAffected;
            total.lastInsertId = one.lastInsertId;
        }
        return total;
    });
}

QString userInfo(const QString& column) {
    return query(QStringLiteral("SELECT * FROM user_info")).first().text(column);
}

Outcome setUserInfo(const QString& column, const QString& value) {
    if (!isPlainName(column))
        return Outcome::failure(QStringLiteral("无效的列名：") + column);
    return exec(QStringLiteral("UPDATE user_info SET ") + column + QStringLiteral("=?"), {value});
}

Outcome createFromScripts(const QString& file, const QStringList& scripts) {
    QFile::remove(file);
    const QString name = QStringLiteral("sitedb_create");
    Outcome out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            out = Outcome::failure(describe(db.lastError()));
        } else {
            db.transaction();
            for (const QString& path : scripts) {
                QFile f(path);
                if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
                    out = Outcome::failure(path + QStringLiteral(": ") + f.errorString());
                    break;
                }
                for (const QString& statement : splitScript(QString::fromUtf8(f.readAll()))) {
                    out = run(db, statement, {});
                    if (!out.ok) {
                        out.error = path + QStringLiteral(": ") + out.error;
                        break;
                    }
                }
                if (!out.ok)
                    break;
            }
            if (out.ok)
                db.commit();
            else
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!out.ok)
        QFile::remove(file);
    return out;
}

ReadConnection::ReadConnection(const QString& file, const QString& purpose) {
    static std::atomic<quint64> serial{0};
    m_name = purpose + QString::number(++serial);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=60000"));
    if (!QFileInfo(file).isFile())
        m_error = QStringLiteral("文件不存在");
    else if (!db.open())
        m_error = describe(db.lastError());
}

ReadConnection::~ReadConnection() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

Outcome ReadConnection::exec(const QString& sql, const QVariantList& args) {
    if (!m_error.isEmpty())
        return Outcome::failure(m_error);
    return run(QSqlDatabase::database(m_name, false), sql, args);
}

Outcome snapshot(const QString& file, const QString& target) {
    return ReadConnection(file, QStringLiteral("snapshot"))
        .exec(QStringLiteral("VACUUM INTO ?"), {QVariant(target)});
}

Changes& changes() {
    static Changes* c = new Changes;
    return *c;
}

} // namespace sitedb
