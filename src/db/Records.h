#pragma once
// The writes a list screen's rules make to one row found by its row number: add, change and
// delete, each in its own transaction so that a second counter never sees half of it.

#include "db/Database.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <QString>
#include <utility>

using ColumnValues = QList<std::pair<QString, SqlValue>>;

namespace Records {

// The table's row-number column ("id"); throws DbError for a table without one.
QString rowNumberColumn(const QString &table);

// Returns the new row's number. Columns left out take the table's defaults; with no column at
// all there is nothing to add, which is a Refusal. Throws DbError.
qint64 insert(const Database &db, const QString &table, const ColumnValues &values);
// False when no row has that number any more (another counter deleted it). Nothing to change is
// true without a statement. Throws DbError.
bool update(const Database &db, const QString &table, qint64 rowNumber, const ColumnValues &values);
// False when the row was already gone. Throws DbError.
bool remove(const Database &db, const QString &table, qint64 rowNumber);
// The columns of the row with that number, each as a value of its column's kind; nothing when
// there is no such row. Throws DbError.
std::optional<ColumnValues> read(const Database &db, const QString &table, qint64 rowNumber,
                                 const QStringList &columns);

} // namespace Records
