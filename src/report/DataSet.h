#pragma once
// The rows a report is laid out over: named columns of a known kind, values already in the
// program's own forms (Money, QDateTime), so a report never sees how a database stores them.

#include "db/Money.h"
#include "db/Schema.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <variant>

class Database;
class Statement;

// One cell: nothing (SQL null), text, a whole number, money, a factor, a date-time, a date, a flag.
using ReportValue = std::variant<std::monostate, QString, qint64, Money, double, QDateTime, QDate, bool>;

struct DataColumn
{
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

class DataSet
{
public:
    DataSet() = default;
    explicit DataSet(QList<DataColumn> columns);

    // Every row the statement selects, read through the database's conversions. Column kinds
    // come from the table's definition, then from `computed` (an alias such as a money sum,
    // which SQLite returns as bare ten-thousandths); any other column takes its kind from
    // the value the driver returns.
    static DataSet fromQuery(const Database &db, const Statement &statement, const QString &table,
                             const QList<DataColumn> &computed = {});

    const QList<DataColumn> &columns() const { return m_columns; }
    // By name, ASCII letters compared without case as in the schema; -1 when there is none.
    int columnIndex(const QString &name) const;
    int rowCount() const { return int(m_rows.size()); }
    const ReportValue &value(int row, int column) const { return m_rows.at(row).at(column); }
    // One value per column, in column order; throws ReportError otherwise.
    void addRow(QList<ReportValue> values);

private:
    QList<DataColumn> m_columns;
    QList<QList<ReportValue>> m_rows;
};

// The text a value prints as: money without trailing zeros, date-times "yyyy-MM-dd hh:mm:ss".
QString reportText(const ReportValue &value);
