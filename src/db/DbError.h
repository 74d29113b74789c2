#pragma once
// The one error the data layer throws: what went wrong, the driver's words and the statement.

#include <QString>
#include <exception>

// The failures a counter meets often enough to be told in its own words what to do.
enum class DbFault {
    Other,
    Locked,         // another counter held the database past the wait
    ReadOnly,       // the file or its folder may not be written
    NotOurs,        // not a database at all, or damaged
    CannotOpen,     // the file is gone, moved, or may not be opened
    MissingTable,   // a database, but not of this program (or of an older schema)
    DriverMissing,  // the database driver is not installed
    ConnectionLost, // the server went away; the connection is opened again by the next action
    DiskFull,
};

class DbError : public std::exception
{
public:
    explicit DbError(QString message, QString driverText = {}, QString statement = {});

    // A statement failed: the message says what happened and what to do when the driver's words
    // name a known fault, else it is `generic`; the driver's words stay as the detail.
    static DbError failure(const QString &generic, const QString &driverText, const QString &statement);
    static DbFault faultOf(const QString &driverText);
    // What the operator is told for the fault; empty for Other.
    static QString advice(DbFault fault);

    DbFault fault() const { return m_fault; }

    // The text for the operator: the message, then the driver's own words if any.
    QString text() const;
    const QString &message() const { return m_message; }
    const QString &driverText() const { return m_driverText; }
    const QString &statement() const { return m_statement; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    DbFault m_fault = DbFault::Other;
    QString m_message;
    QString m_driverText;
    QString m_statement;
    QByteArray m_what;
};
