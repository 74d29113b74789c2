#pragma once
// One typed value for a hole in a statement: bound on execution, shown with delimiters for display.

#include "Money.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <variant>

class SqlValue
{
public:
    enum class Kind { Null, Text, Integer, Real, Money, Boolean, Date, DateTime };

    SqlValue() = default;
    static SqlValue text(const QString &value);
    static SqlValue integer(qint64 value);
    static SqlValue real(double value);
    static SqlValue money(Money value);
    static SqlValue boolean(bool value);
    static SqlValue date(const QDate &value);
    static SqlValue dateTime(const QDateTime &value);
    static SqlValue null() { return SqlValue(); }

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    const QString &textValue() const { return m_text; }
    qint64 integerValue() const { return m_integer; }
    double realValue() const { return m_real; }
    Money moneyValue() const { return Money::fromRaw(m_integer); }
    bool booleanValue() const { return m_integer != 0; }
    QDate dateValue() const { return m_date; }
    QDateTime dateTimeValue() const { return m_dateTime; }

    // The value as it stands in SQL text for display: text between the text delimiter,
    // dates ("yyyy-MM-dd") and date-times between the date delimiter, numbers bare.
    QString display(const QString &textQuote, const QString &dateQuote) const;

    bool operator==(const SqlValue &other) const = default;

private:
    Kind m_kind = Kind::Null;
    QString m_text;
    qint64 m_integer = 0;
    double m_real = 0;
    QDate m_date;
    QDateTime m_dateTime;
};
