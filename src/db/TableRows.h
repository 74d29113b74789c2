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

} // namespace TableRows
