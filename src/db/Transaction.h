#pragma once
// One user action's writes, all or nothing: begins on construction, rolls back on
// destruction unless commit() was reached.

#include "Database.h"

class Transaction
{
public:
    explicit Transaction(const Database &db); // throws DbError
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit(); // throws DbError; the transaction is over either way

private:
    void rollback() noexcept;

    Database m_db;
    bool m_active = false;
};
