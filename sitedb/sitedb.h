#pragma once
// The site database connection `conn` and the helpers every statement goes through.
// Values are always bound to `?` placeholders; only fixed table and column names are
// ever part of the SQL text.

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <functional>

namespace sitedb {

// The name of the one connection the program keeps open on the site database.
inline constexpr const char* connectionName = "conn";
// The site database's file name inside the working folder.
inline constexpr const char* fileName = "dalmbuilder.tdc";

// What a statement did, or why it failed.
struct Outcome {
    bool ok = true;
    QString error;
    qint64 rowsAffected = 0;
    QVariant lastInsertId;

    explicit operator bool() const { return ok; }
    static Outcome failure(const QString& why) { return {false, why, 0, {}}; }
};

// One row of a query. Columns are found without regard to letter case.
class Row {
public:
    Row() = default;
    explicit Row(QSqlRecord record) : m_record(std::move(record)) {}

    bool has(const QString& column) const { return m_record.indexOf(column) >= 0; }
    QVariant value(const QString& column) const;
    // The text of a column; null reads as empty.
    QString text(const QString& column) const;
    // A whole number; null or text that is not a number reads as 0.
    qint64 integer(const QString& column) const;
    // A yes/no column; null reads as false.
    bool flag(const QString& column) const;

    const QSqlRecord& record() const { return m_record; }

private:
    QSqlRecord m_record;
};

struct Rows {
    bool ok = true;
    QString error;
    QList<Row> rows;

    bool isEmpty() const { return rows.isEmpty(); }
    // The first row, or an empty row when there is none.
    Row first() const { return rows.isEmpty() ? Row() : rows.front(); }
};

struct Statement {
    QString sql;
    QVariantList args;
};

// The site database of a folder (ending with "/"): the file named "dalmbuilder.tdc" in
// any letter case, as a site copied from another system or out of an archive may spell
// it; the exact name is preferred. Empty when the folder holds none.
QString findIn(const QString& folder);

// Opens `conn` on the given file and checks that it is a site database. A file that is
// missing, unreadable or not a site database fails with the reason.
Outcome open(const QString& file);
void close();
bool isOpen();
// Whether the open database can be written: a change is made and rolled back, so a file
// or folder that cannot be written fails here with the reason, not at the first save.
Outcome checkWritable();
QSqlDatabase conn();
// The file `conn` is open on, or empty.
QString currentFile();

Rows query(const QString& sql, const QVariantList& args = {});
// The same on another open connection (one a worker thread made for itself).
Rows query(QSqlDatabase db, const QString& sql, const QVariantList& args = {});
Outcome exec(const QString& sql, const QVariantList& args = {});

// Runs the statements as one transaction: all of them take effect or none.
Outcome execAll(const QList<Statement>& statements);
// Runs `body` inside one transaction; commits when it succeeds, rolls back otherwise.
Outcome transaction(const std::function<Outcome()>& body);

// The single `user_info` row: one column's text ("" when the table is empty), and an
// update of one column. `column` must be a plain column name.
QString userInfo(const QString& column);
Outcome setUserInfo(const QString& column, const QString& value);

// Creates a site database from SQL script files (statements separated by ";").
Outcome createFromScripts(const QString& file, const QStringList& scripts);

// A connection of the calling thread's own on a site database file, read only, removed
// when it goes: how a worker thread reads while the program keeps writing through
// `conn`. A reader waits for a writer of the program to finish rather than failing.
class ReadConnection {
public:
    ReadConnection(const QString& file, const QString& purpose);
    ~ReadConnection();
    ReadConnection(const ReadConnection&) = delete;
    ReadConnection& operator=(const ReadConnection&) = delete;

    // Runs one statement; the database's reason on failure (or why the file is not open).
    Outcome exec(const QString& sql, const QVariantList& args = {});

private:
    QString m_name;
    QString m_error;
};

// Writes a copy of the site database `file` to `target` (which must not exist yet) as one
// consistent snapshot, read on a connection of the calling thread's own.
Outcome snapshot(const QString& file, const QString& target);

// Told whenever `conn` stores a change: after each statement that runs outside a
// transaction, once after a transaction commits (never for one rolled back), and when
// `conn` is opened on a file, whose data all stand anew. Lives on the window's thread.
class Changes : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void stored();
};
Changes& changes();

} // namespace sitedb
