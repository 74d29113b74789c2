#pragma once
// The sqlite3 C API without the program's data layer, for the benches' "raw" figures: the same
// statements on the same file, each prepared once and reset between runs. Failures throw
// std::runtime_error with SQLite's words; a bench has nobody to tell but its output.

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <stdexcept>
#include <string>

class RawStatement
{
public:
    RawStatement(sqlite3 *db, const QString &sql) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &m_stmt,
                               nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("prepare: ") + sqlite3_errmsg(db) + " in " +
                                     text.toStdString());
    }
    ~RawStatement() { sqlite3_finalize(m_stmt); }
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    // Holes are numbered from 1, as SQLite numbers them.
    RawStatement &bind(int hole, qint64 value)
    {
        check(sqlite3_bind_int64(m_stmt, hole, value));
        return *this;
    }
    RawStatement &bind(int hole, double value)
    {
        check(sqlite3_bind_double(m_stmt, hole, value));
        return *this;
    }
    RawStatement &bind(int hole, const QString &value)
    {
        const QByteArray text = value.toUtf8();
        check(sqlite3_bind_text(m_stmt, hole, text.constData(), int(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    RawStatement &bindNull(int hole)
    {
        check(sqlite3_bind_null(m_stmt, hole));
        return *this;
    }

    // True while a row is there to read.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string("step: ") + sqlite3_errmsg(m_db));
        return false;
    }
    // Runs to the end, reading nothing, and makes the statement ready for its next run.
    int run()
    {
        while (step()) {
        }
        reset();
        return sqlite3_changes(m_db);
    }
    void reset()
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) const { return sqlite3_column_double(m_stmt, column); }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)),
                                 sqlite3_column_bytes(m_stmt, column));
    }
    int columnCount() const { return sqlite3_column_count(m_stmt); }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw std::runtime_error(std::string("bind: ") + sqlite3_errmsg(m_db));
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

class RawSqlite
{
public:
    explicit RawSqlite(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const std::string why = m_db ? sqlite3_errmsg(m_db) : "out of memory";
            sqlite3_close(m_db);
            throw std::runtime_error("open " + path.toStdString() + ": " + why);
        }
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~RawSqlite() { sqlite3_close(m_db); }
    RawSqlite(const RawSqlite &) = delete;
    RawSqlite &operator=(const RawSqlite &) = delete;

    sqlite3 *handle() const { return m_db; }

    void exec(const QString &sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string why = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error("exec: " + why + " in " + sql.toStdString());
        }
    }
    // The first column of the first row as text ("wal", "2"): for reading pragmas.
    QString textOf(const QString &sql)
    {
        RawStatement st(m_db, sql);
        const QString value = st.step() ? st.text(0) : QString();
        st.reset();
        return value;
    }

private:
    sqlite3 *m_db = nullptr;
};
