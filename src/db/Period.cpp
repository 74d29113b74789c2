#include "Period.h"

#include "Refusal.h"

using namespace Qt::StringLiterals;

Period::Period(const QDate &first, const QDate &last) : m_first(first), m_last(last)
{
    if (!first.isValid() || !last.isValid())
        throw Refusal(u"请选择起止日期!"_s);
    if (first > last)
        throw Refusal(u"起始日期不能晚于终止日期!"_s);
}

QDateTime Period::from() const
{
    return m_first.startOfDay();
}

QDateTime Period::until() const
{
    return m_last.addDays(1).startOfDay();
}

bool Period::contains(const QDateTime &moment) const
{
    return moment >= from() && moment < until();
}

Statement &Period::appendBounds(Statement &statement, const QString &column) const
{
    // Bound as dates, not date-times: "yyyy-MM-dd" sorts before every time of that day in
    // SQLite's text and is that day's midnight to the servers, so one form serves both kinds
    // of column.
    return statement.sql(column + u" >= "_s)
        .date(m_first)
        .sql(u" and "_s + column + u" < "_s)
        .date(m_last.addDays(1));
}
