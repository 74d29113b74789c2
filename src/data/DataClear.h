#pragma once
// Clearing the venue's history: commission rows, checkout records with their details, recharge
// records. Members with their balances and points, the catalogue, tags, open bills, waiters,
// operators and the bill counter stay as they are. What is chosen is deleted in one transaction:
// a failure deletes nothing.

#include "db/Database.h"

#include <QString>

namespace DataClear {

struct Choice
{
    bool commissions = false; // 服务生提成
    bool business = false;    // 结帐管理 and 结帐明细
    bool recharges = false;   // 会员充值
};

// The clearing password, compared exactly: no trimming, case counts.
bool passwordMatches(const QString &typed);

// Deletes what is chosen; nothing chosen deletes nothing. Throws DbError, having deleted nothing.
void clear(const Database &db, const Choice &choice);

} // namespace DataClear
