#pragma once
// SQL text with typed holes. Values are bound when the statement runs, never pasted
// into the text; for display the statement renders itself with the value delimiters.

#include "SqlValue.h"

#include <QList>
#include <QString>
#include <utility>

class Statement
{
public:
    Statement() = default;
    explicit Statement(const QString &sql) { this->sql(sql); }

    // Appends literal SQL text written by the program.
    Statement &sql(const QString &text);
    // Appends a hole holding a value.
    Statement &value(const SqlValue &value);
    Statement &text(const QString &v) { return value(SqlValue::text(v)); }
    Statement &integer(qint64 v) { return value(SqlValue::integer(v)); }
    Statement &real(double v) { return value(SqlValue::real(v)); }
    Statement &money(Money v) { return value(SqlValue::money(v)); }
    Statement &boolean(bool v) { return value(SqlValue::boolean(v)); }
    Statement &date(const QDate &v) { return value(SqlValue::date(v)); }
    Statement &dateTime(const QDateTime &v) { return value(SqlValue::dateTime(v)); }
    // Appends a column name the operator chose or typed. It must be a column of the
    // table; otherwise UnknownColumnError is thrown here, before anything runs.
    Statement &column(const QString &table, const QString &name);
    // Appends another statement, text, holes and values, as if written here; for wrapping a
    // statement in another ("select * from (...) as t order by ...").
    Statement &append(const Statement &other);

    // "insert into T (a, b) values (?, ?)" with the columns quoted as identifiers.
    static Statement insert(const QString &table, const QList<std::pair<QString, SqlValue>> &values);
    // "update T set a = ?, b = ? where key = ?": the one row (or rows) whose key column holds the key.
    static Statement update(const QString &table, const QList<std::pair<QString, SqlValue>> &values,
                            const QString &keyColumn, const SqlValue &key);
    // "delete from T where key = ?".
    static Statement remove(const QString &table, const QString &keyColumn, const SqlValue &key);

    // The text handed to the driver, a '?' for every hole.
    QString preparedText() const;
    const QList<SqlValue> &values() const { return m_values; }
    bool isEmpty() const { return m_parts.isEmpty(); }

    // The statement as the operator may see it, values between the delimiters.
    QString display(const QString &textQuote, const QString &dateQuote) const;

private:
    struct Part
    {
        QString text;     // literal text, when hole < 0
        qsizetype hole = -1;
    };
    QList<Part> m_parts;
    QList<SqlValue> m_values;
};

// A column or table name for the statement text, double-quoted when it must be ("add").
QString quoteIdentifier(const QString &name);
