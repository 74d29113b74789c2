#include "Records.h"

#include "Refusal.h"
#include "Schema.h"
#include "Transaction.h"

using namespace Qt::StringLiterals;

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

} // namespace Records
