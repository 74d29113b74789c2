#include "Commissions.h"

#include "db/Refusal.h"
#include "db/TableRows.h"

using namespace Qt::StringLiterals;

namespace Commissions {

Period days(const QDate &first, const QDate &last)
{
    if (first.isValid() && last.isValid() && last < first)
        throw Refusal(u"起始日期不能大于终止日期,请重新选择!"_s);
    return Period(first, last);
}

Statement totals()
{
    return Statement(u"select 编号, sum(提成金额) as 金额 from 服务生提成 group by 编号"_s);
}

Statement totals(const Period &period)
{
    Statement st(u"select 编号, sum(提成金额) as 金额 from 服务生提成 where "_s);
    return period.appendBounds(st, u"结帐时间"_s).sql(u" group by 编号"_s);
}

Statement rows()
{
    return TableRows::all(Table);
}

Statement search(const QString &column, const QString &value)
{
    if (column.trimmed().isEmpty() || value.isEmpty())
        throw Refusal(u"请认真填写查询条件"_s);
    return TableRows::matching(Table, column, value);
}

} // namespace Commissions
