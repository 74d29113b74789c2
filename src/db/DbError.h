#pragma once
// The one error the data layer throws: what went wrong, the driver's words and the statement.

#include <QString>
#include <exception>

class DbError : public std::exception
{
public:
    explicit DbError(QString message, QString driverText = {}, QString statement = {});

    // The text for the operator: the message, then the driver's own words if any.
    QString text() const;
    const QString &message() const { return m_message; }
    const QString &driverText() const { return m_driverText; }
    const QString &statement() const { return m_statement; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QString m_driverText;
    QString m_statement;
    QByteArray m_what;
};
