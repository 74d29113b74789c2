#pragma once
// The rules of the waiters list. Consumption lines, checkout details and commission rows copy a
// waiter's number and name, so a waiter may be changed or deleted without touching them.

#include "db/Database.h"
#include "db/Records.h"

#include <QString>

class Waiters
{
public:
    static const QString Table; // 服务生管理

    explicit Waiters(const Database &db);

    // Every waiter in the order they were added.
    static Statement listQuery();
    // What a new waiter starts with when the operator touches nothing: a man, idle.
    static ColumnValues presets();

    // Returns the new waiter's row number. Throws Refusal (no number or name) or DbError.
    qint64 add(const ColumnValues &values) const;
    // Throws Refusal (no number or name, or the waiter was deleted meanwhile) or DbError.
    void change(qint64 rowNumber, const ColumnValues &values) const;

private:
    Database m_db;
};
