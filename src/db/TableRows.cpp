#include "TableRows.h"

#include "DateTimeText.h"
#include "Refusal.h"
#include "Schema.h"

using namespace Qt::StringLiterals;

namespace TableRows {

namespace {

// A typed value that cannot be of the column's kind matches no row. It is bound as null
// rather than as text, because a server refuses to compare a number column with text
// instead of finding nothing.
SqlValue typed(ColumnKind kind, const QString &value)
{
    bool ok = false;
    switch (kind) {
    case ColumnKind::Text:
        return SqlValue::text(value);
    case ColumnKind::Integer:
    case ColumnKind::RowNumber: {
        const qint64 n = value.toLongLong(&ok);
        return ok ? SqlValue::integer(n) : SqlValue::null();
    }
    case ColumnKind::Money: {
        const std::optional<Money> m = Money::parse(value);
        return m ? SqlValue::money(*m) : SqlValue::null();
    }
    case ColumnKind::Factor: {
        const double d = value.toDouble(&ok);
        return ok ? SqlValue::real(d) : SqlValue::null();
    }
    case ColumnKind::DateTime: {
        const QDateTime t = DateTimeText::parseDateTime(value);
        return t.isValid() ? SqlValue::dateTime(t) : SqlValue::null();
    }
    case ColumnKind::Date: {
        const QDate d = DateTimeText::parseDate(value);
        return d.isValid() ? SqlValue::date(d) : SqlValue::null();
    }
    case ColumnKind::Boolean:
        if (value == u"是"_s || value == u"1"_s)
            return SqlValue::boolean(true);
        if (value == u"否"_s || value == u"0"_s)
            return SqlValue::boolean(false);
        return SqlValue::null();
    }
    return SqlValue::text(value);
}

} // namespace

Statement all(const QString &table)
{
    return Statement(u"select * from "_s + quoteIdentifier(table));
}

Statement matching(const QString &table, const QString &field, const QString &value)
{
    Statement st = all(table);
    st.sql(u" where "_s).column(table, field).sql(u" = "_s);
    return st.value(typed(Schema::column(table, field.trimmed())->kind, value));
}

SqlValue typedValue(const QString &table, const QString &field, const QString &value)
{
    const ColumnDef *column = Schema::column(table, field.trimmed());
    if (!column)
        throw UnknownColumnError(table, field.trimmed());
    return typed(column->kind, value);
}

} // namespace TableRows
