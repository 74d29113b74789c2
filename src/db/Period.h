#pragma once
// A span of whole days, first to last, and the one place that turns it into bounds: from the
// first day's midnight up to (not including) the midnight after the last, so a bill settled at
// 23:59:59 of the last day counts and one at 00:00:00 of the next does not.

#include "db/Statement.h"

#include <QDate>
#include <QDateTime>
#include <QString>

class Period
{
public:
    // Throws Refusal when a day is missing or the first comes after the last: a report over days
    // picked the wrong way round would show an empty list that looks like a quiet day.
    Period(const QDate &first, const QDate &last);
    static Period day(const QDate &day) { return Period(day, day); }

    QDate first() const { return m_first; }
    QDate last() const { return m_last; }
    // The first day at 00:00, included.
    QDateTime from() const;
    // The day after the last at 00:00, excluded.
    QDateTime until() const;
    bool contains(const QDateTime &moment) const;

    // Appends "column >= ? and column < ?" with the two bounds bound as dates. Right for
    // date-time columns (text "yyyy-MM-dd hh:mm:ss" on SQLite, timestamps on the servers) and
    // date columns alike. column is SQL text written by the program ("b.结帐时间"), never typed.
    Statement &appendBounds(Statement &statement, const QString &column) const;

    bool operator==(const Period &other) const = default;

private:
    QDate m_first;
    QDate m_last;
};
