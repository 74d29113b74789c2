#include "Dialect.h"

using namespace Qt::StringLiterals;

QString Dialect::lockedTable(const QString &table) const
{
    const QString name = quoteIdentifier(table);
    return m_kind == DbKind::SqlServer ? name + u" with (updlock, rowlock)"_s : name;
}

QString Dialect::forUpdate() const
{
    return m_kind == DbKind::PostgreSql ? u" for update"_s : QString();
}

QString Dialect::page(qint64 offset, int count) const
{
    if (m_kind == DbKind::SqlServer)
        return u" offset %1 rows fetch next %2 rows only"_s.arg(offset).arg(count);
    return u" limit %1 offset %2"_s.arg(count).arg(offset);
}

bool Dialect::nullsSortFirst(Qt::SortOrder order) const
{
    const bool nullsLowest = m_kind != DbKind::PostgreSql;
    return (order == Qt::AscendingOrder) == nullsLowest;
}

Statement Dialect::insertReturningRowNumber(const QString &table, const QList<std::pair<QString, SqlValue>> &values,
                                            const QString &rowNumberColumn) const
{
    if (m_kind != DbKind::SqlServer) {
        Statement st = Statement::insert(table, values);
        if (m_kind == DbKind::PostgreSql)
            st.sql(u" returning "_s + quoteIdentifier(rowNumberColumn));
        return st;
    }
    // SQL Server names the returned column between the column list and the values.
    QStringList names;
    for (const auto &[name, v] : values)
        names.append(quoteIdentifier(name));
    Statement st(u"insert into "_s + quoteIdentifier(table) + u" ("_s + names.join(u", "_s) + u") output inserted."_s +
                 quoteIdentifier(rowNumberColumn) + u" values ("_s);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            st.sql(u", "_s);
        st.value(values.at(i).second);
    }
    return st.sql(u")"_s);
}

bool Dialect::returnsRowNumber() const
{
    return m_kind != DbKind::Sqlite;
}

