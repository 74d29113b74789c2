#pragma once
// A fresh delivered database for one test: a SQLite file in a temporary folder, or a
// new database on the PostgreSQL server named by VESK_TEST_PG, dropped afterwards.

#include "db/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TestDatabase
{
public:
    enum class Content { Delivered, Empty };

    // "sqlite" always; "postgresql" when VESK_TEST_PG holds a server's connection string.
    static QStringList availableKinds();
    // For _data() functions: a column "kind" and one row per available kind.
    static void addKindRows();

    explicit TestDatabase(const QString &kind, Content content = Content::Delivered);
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    const Database &db() const { return m_db; }
    // The connection string of this database, as system.ini would hold it.
    const QString &connectionString() const { return m_connectionString; }
    // The folder SQLite paths are relative to.
    QString baseDir() const { return m_dir.path(); }
    // A second, independent connection to the same database (another counter).
    Database openAnother(const QString &connectionName) const;

private:
    QTemporaryDir m_dir;
    QString m_kind;
    QString m_connectionName;
    QString m_serverDatabase; // PostgreSQL: the database made for this test
    QString m_connectionString;
    Database m_db;
    mutable QStringList m_others;
};
