#pragma once
// The connection every screen shares, and the typed reading of what a query returns.
// Money and date-time columns are stored differently per database kind; this class
// hides that: money comes back as Money, date-times as QDateTime, on every kind.

#include "ConnectionString.h"
#include "DbError.h"
#include "Dialect.h"
#include "Money.h"
#include "Statement.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

class Cursor;

class Database
{
public:
    Database() = default;
    Database(const QSqlDatabase &db, DbKind kind) : m_db(db), m_kind(kind) {}

    // Opens what the connection string names under the given Qt connection name.
    // SQLite paths are relative to baseDir and a missing file is not created.
    // Throws DbError when it cannot be opened.
    static Database open(const QString &connectionString, const QString &baseDir,
                         const QString &connectionName, int timeoutSeconds = 0);
    // Closes and forgets the named Qt connection.
    static void remove(const QString &connectionName);
    // Closes the connection but keeps it known: the next statement opens it again. An embedded
    // file is checkpointed first, so that data.mdb alone holds everything when no other
    // connection has it open.
    void close() const;
    // The file an embedded database works on, absolute; empty for a server.
    QString filePath() const;

    bool isOpen() const { return m_db.isValid() && m_db.isOpen(); }
    DbKind kind() const { return m_kind; }
    Dialect dialect() const { return Dialect(m_kind); }
    QSqlDatabase handle() const { return m_db; }
    QString connectionName() const { return m_db.connectionName(); }

    // Runs a select; throws DbError on failure.
    Cursor query(const Statement &statement) const;
    // Runs anything else; returns the number of rows it touched. Throws DbError.
    int execute(const Statement &statement) const;
    // Runs a script of statements separated by ';' at line ends (schema files).
    void executeScript(const QString &script) const;
    // Inserts one row and returns the row number the database gave it (the table's row-number
    // column, from the schema). Throws DbError.
    qint64 insert(const QString &table, const QList<std::pair<QString, SqlValue>> &values) const;
    // The first column of the first row, or an invalid QVariant when there is none.
    QVariant scalar(const Statement &statement) const;

    // Opens the connection again when it was closed after the server went away; does nothing
    // otherwise. Every statement asks this first. Throws DbError when the server is still away.
    void reopenIfLost() const;
    // Throws the DbError of a failed statement, in the operator's words when the fault is a
    // known one. A lost server connection is closed, so that the next action opens it again.
    [[noreturn]] void fail(const QString &generic, const QString &driverText, const QString &statement) const;

    // Conversions between the stored and the program's forms.
    QVariant bindValue(const SqlValue &value) const;
    Money moneyFrom(const QVariant &stored) const;
    QDateTime dateTimeFrom(const QVariant &stored) const;
    QDate dateFrom(const QVariant &stored) const;
    bool booleanFrom(const QVariant &stored) const;

    // The tables that exist in the database, as the driver lists them.
    QStringList tableNames() const;

private:
    friend class Cursor;
    struct Prepared
    {
        QSqlQuery query;
        QString sql;
        quint64 generation = 0;
    };
    // A prepared query for the statement, from the connection's statement cache, with the
    // statement's values bound. Throws DbError.
    Prepared prepare(const Statement &statement) const;
    void release(Prepared &&prepared) const;

    QSqlDatabase m_db;
    DbKind m_kind = DbKind::Sqlite;
};

// A forward-only walk over the rows of a select; columns addressed by name. Its statement goes
// back to the connection's cache when the cursor is destroyed.
class Cursor
{
public:
    Cursor(const Database &db, QSqlQuery query, QString sql = {}, quint64 generation = 0);
    ~Cursor();
    Cursor(Cursor &&) = default;
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    bool next() { return m_query.next(); }
    bool isNull(const QString &column) const;
    QVariant raw(const QString &column) const;
    QString text(const QString &column) const;
    qint64 integer(const QString &column) const;
    double real(const QString &column) const;
    Money money(const QString &column) const;
    bool boolean(const QString &column) const;
    QDateTime dateTime(const QString &column) const;
    QDate date(const QString &column) const;
    // By position, for sums and counts.
    QVariant raw(int index) const { return m_query.value(index); }
    Money money(int index) const { return m_db.moneyFrom(m_query.value(index)); }
    QSqlRecord record() const { return m_query.record(); }

private:
    int indexOf(const QString &column) const;

    Database m_db;
    QSqlQuery m_query;
    QString m_sql; // the cache's key; empty for a query that is not the cache's
    quint64 m_generation = 0;
};
