#pragma once
// What each waiter earned: the commission rows checkout writes, one per line with a commission,
// dated by the day of checkout. Totals are per waiter number, whatever name a row carries.

#include "db/Period.h"
#include "db/Statement.h"

#include <QDate>
#include <QString>

namespace Commissions {

inline const QString Table = QStringLiteral("服务生提成");
inline const QString Total = QStringLiteral("金额");

// The days from first to last; refused with the system's message when they are the wrong way
// round, which would otherwise list nothing, as if nobody had earned anything.
Period days(const QDate &first, const QDate &last);

// 编号, 金额: every waiter's total over all time.
Statement totals();
// The same for the rows of the checkout days of the period.
Statement totals(const Period &period);

// Every commission row.
Statement rows();
// The rows whose column equals the value as typed. Refuses with the system's message when the
// column or the value is empty, and a column the table lacks (UnknownColumnError).
Statement search(const QString &column, const QString &value);

} // namespace Commissions
