#pragma once
// What a list screen asks of its one table: every row, and the rows whose column equals a typed
// value. Widget-free, so rules share it; the writes to one row are in db/Records.h.

#include "Database.h"
#include "Statement.h"

#include <QString>

namespace TableRows {

// "select * from T".
Statement all(const QString &table);

// "select * from T where field = ?", the value compared exactly (not trimmed) in the column's
// own kind. Throws UnknownColumnError for a field the table lacks, before anything runs.
Statement matching(const QString &table, const QString &field, const QString &value);

// The typed value in the kind of the table's column, for comparing with it; a value that cannot
// be of that kind is null, which matches no row. Throws UnknownColumnError for a field the table
// lacks.
SqlValue typedValue(const QString &table, const QString &field, const QString &value);

} // namespace TableRows
