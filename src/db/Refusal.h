#pragma once
// A business rule said no: a tag already taken, a bill changed meanwhile, a duplicate card,
// a column the table does not have. It carries the system's own message for the operator
// and is kept apart from DbError, which says the database itself failed.

#include <QByteArray>
#include <QString>
#include <exception>

class Refusal : public std::exception
{
public:
    // field: the column or box the refusal is about, when there is one (a screen may put
    // the focus there); empty otherwise.
    explicit Refusal(QString message, QString field = {});

    const QString &text() const { return m_message; }
    const QString &field() const { return m_field; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QString m_field;
    QByteArray m_what;
};

// A column name typed by the operator that the table does not have; refused before any
// statement runs.
class UnknownColumnError : public Refusal
{
public:
    UnknownColumnError(const QString &table, const QString &column);
    const QString &column() const { return m_column; }

private:
    QString m_column;
};
