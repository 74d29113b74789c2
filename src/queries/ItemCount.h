#pragma once
// What the venue sold: per item name, the quantity and amount of the settled checkout details,
// for a period (by the time each line was consumed) and for all time. An item renamed between
// two checkouts is two rows: each detail keeps the name it was settled under.

#include "db/Period.h"
#include "db/Statement.h"

#include <QString>

namespace ItemCount {

inline const QString Table = QStringLiteral("结帐明细");
inline const QString Quantity = QStringLiteral("总消费数量");
inline const QString Amount = QStringLiteral("总消费金额");

// 消费项目, 总消费数量, 总消费金额 of the details consumed in the period.
Statement period(const Period &period);
// The same over every settled detail.
Statement allTime();

} // namespace ItemCount
