#pragma once
// What the venue took in a period: the settled bills (free bills are no takings) and the sum of
// what was received for them, by the time each bill was settled.

#include "db/Database.h"
#include "db/Money.h"
#include "db/Period.h"

#include <QString>

class Turnover
{
public:
    static const QString Table; // 结帐管理

    explicit Turnover(const Database &db);

    // The settled bills of the period, every column.
    static Statement records(const Period &period);
    // sum(实收金额) of the same bills, as 合计.
    static Statement sum(const Period &period);

    // What was received for the settled bills of the period; zero for a period without any.
    // Throws DbError: a failed sum is no figure, and never reads as a day without business.
    Money total(const Period &period) const;

private:
    Database m_db;
};
