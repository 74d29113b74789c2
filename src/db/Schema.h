#pragma once
// What the program knows of its tables: every column and the kind of value it holds.
// The data layer reads money and date-time columns by it; search boxes check typed
// column names against it.

#include <QList>
#include <QString>

enum class ColumnKind { Text, Integer, Money, Factor, DateTime, Date, Boolean, RowNumber };

struct ColumnDef
{
    QString name;
    ColumnKind kind;
};

struct TableDef
{
    QString name;
    QList<ColumnDef> columns;
};

namespace Schema {

// The nineteen tables, in the order the delivered database creates them.
const QList<TableDef> &tables();
const TableDef *table(const QString &name);
// The column of the table with that name (ASCII letters compared without case), or null.
const ColumnDef *column(const QString &table, const QString &name);
bool isMoneyColumn(const QString &table, const QString &name);
// The table's row-number column ("id" or "ID"); empty for a table without one.
QString rowNumberColumn(const QString &table);

} // namespace Schema
