#pragma once
// Puts a content record straight into the site database, for the tests of the windows and
// logic that read records.

#include "sitedb/sitedb.h"

#include <QStringList>

// Inserts a record owned by `name` with value01, value02, … set from `values`; its ID.
inline qint64 addRecord(const QString& table, const QString& owner, const QString& name,
                        const QStringList& values) {
    QString cols = owner;
    QString marks = QStringLiteral("?");
    QVariantList args{name};
    for (int i = 0; i < values.size(); ++i) {
        cols += QStringLiteral(",value%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        marks += QStringLiteral(",?");
        args << values[i];
    }
    return sitedb::exec(QStringLiteral("INSERT INTO %1(%2) VALUES(%3)").arg(table, cols, marks),
                        args)
        .lastInsertId.toLongLong();
}
