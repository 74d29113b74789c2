#pragma once
// What a list screen asks of its one table: every row, the rows whose column equals a typed
// value, and the removal of one row by its row number. Widget-free, so rules share it.

#include "Database.h"
#include "Statement.h"

#include <QString>

namespace TableRows {

// "select * from T".
Statement all(const QString &table);

// "select * from T where field = ?", the value compared exactly (not trimmed) in the column's
// own kind. Throws UnknownColumnError for a field the table lacks, before anything runs.
Statement matching(const QString &table, const QString &field, const QString &value);

// The table's row-number column; empty when it has none.
QString rowNumberColumn(const QString &table);

// Deletes the row in a transaction of its own. Throws DbError, or Refusal for a table
// without a row number.
void remove(const Database &db, const QString &table, qint64 rowNumber);

} // namespace TableRows
