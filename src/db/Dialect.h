#pragma once
// What differs between the database kinds in the statements the program writes: locking the
// rows a transaction reads, cutting a result into pages, where NULLs sort, and learning the row
// number an insert gave. Rules and grids write their statements through it and never test the
// kind themselves.

#include "db/ConnectionString.h"
#include "db/SqlValue.h"
#include "db/Statement.h"

#include <QList>
#include <QString>
#include <QtCore/qnamespace.h>
#include <utility>

class Dialect
{
public:
    explicit Dialect(DbKind kind) : m_kind(kind) {}

    DbKind kind() const { return m_kind; }

    // A "select ... from" whose rows stay locked against other counters' writes until the
    // transaction ends: lockedTable() names the table, forUpdate() ends the statement.
    // PostgreSQL locks with "for update", SQL Server with the table hint "with (updlock,
    // rowlock)"; SQLite's transactions hold the whole file from their start, so it adds nothing.
    QString lockedTable(const QString &table) const;
    QString forUpdate() const;

    // What follows the "order by" of a select to read `count` rows after the first `offset`.
    QString page(qint64 offset, int count) const;

    // Whether rows whose order column is NULL come before every other row in an "order by" in
    // that direction (none of the kinds shares "nulls first/last"). SQLite and SQL Server sort
    // NULL below every value, so first in ascending and last in descending order; PostgreSQL
    // sorts it above every value, so the other way round.
    bool nullsSortFirst(Qt::SortOrder order) const;

    // An insert that gives back the row number of the row it made, as its one result column,
    // when returnsRowNumber(); SQLite's is the connection's last row number, read by the driver
    // from the statement that inserted.
    // Each is this connection's own insert, whatever other counters insert meanwhile.
    Statement insertReturningRowNumber(const QString &table, const QList<std::pair<QString, SqlValue>> &values,
                                       const QString &rowNumberColumn) const;
    bool returnsRowNumber() const;

private:
    DbKind m_kind;
};
