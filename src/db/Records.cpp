#include "Records.h"

#include "Refusal.h"
#include "Schema.h"
#include "Transaction.h"

using namespace Qt::StringLiterals;

namespace {

SqlValue readColumn(const Cursor &row, const QString &column, ColumnKind kind)
{
    if (row.isNull(column))
        return SqlValue::null();
    switch (kind) {
    case ColumnKind::Integer:
    case ColumnKind::RowNumber:
        return SqlValue::integer(row.integer(column));
    case ColumnKind::Money:
        return SqlValue::money(row.money(column));
    case ColumnKind::Factor:
        return SqlValue::real(row.real(column));
    case ColumnKind::DateTime:
        return SqlValue::dateTime(row.dateTime(column));
    case ColumnKind::Date:
        return SqlValue::date(row.date(column));
    case ColumnKind::Boolean:
        return SqlValue::boolean(row.boolean(column));
    case ColumnKind::Text:
        break;
    }
    return SqlValue::text(row.text(column));
}

} // namespace

namespace Records {

QString rowNumberColumn(const QString &table)
{
    const QString column = Schema::rowNumberColumn(table);
    if (column.isEmpty())
        throw DbError(u"数据库操作失败"_s, u"表 "_s + table + u" 没有行号"_s);
    return column;
}

qint64 insert(const Database &db, const QString &table, const ColumnValues &values)
{
    if (values.isEmpty())
        throw Refusal(u"没有要保存的内容!"_s);
    Transaction transaction(db);
    const qint64 row = db.insert(table, values);
    transaction.commit();
    return row;
}

bool update(const Database &db, const QString &table, qint64 rowNumber, const ColumnValues &values)
{
    if (values.isEmpty())
        return true;
    const QString key = rowNumberColumn(table);
    Transaction transaction(db);
    const int touched = db.execute(Statement::update(table, values, key, SqlValue::integer(rowNumber)));
    transaction.commit();
    return touched > 0;
}

bool remove(const Database &db, const QString &table, qint64 rowNumber)
{
    const QString key = rowNumberColumn(table);
    Transaction transaction(db);
    const int touched = db.execute(Statement::remove(table, key, SqlValue::integer(rowNumber)));
    transaction.commit();
    return touched > 0;
}

std::optional<ColumnValues> read(const Database &db, const QString &table, qint64 rowNumber,
                                 const QStringList &columns)
{
    QStringList names;
    for (const QString &c : columns)
        names.append(quoteIdentifier(c));
    Statement st(u"select "_s + names.join(u", "_s) + u" from "_s + quoteIdentifier(table) + u" where "_s +
                 quoteIdentifier(rowNumberColumn(table)) + u" = "_s);
    st.integer(rowNumber);
    Cursor row = db.query(st);
    if (!row.next())
        return std::nullopt;
    ColumnValues values;
    for (const QString &c : columns) {
        const ColumnDef *def = Schema::column(table, c);
        values.append({c, readColumn(row, c, def ? def->kind : ColumnKind::Text)});
    }
    return values;
}

} // namespace Records
