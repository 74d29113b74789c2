#include "ItemCount.h"

#include "queries/BillState.h"

using namespace Qt::StringLiterals;

namespace ItemCount {

namespace {

Statement grouped(const Period *period)
{
    Statement st(
        u"select 消费项目, sum(消费数量) as 总消费数量, sum(消费金额) as 总消费金额 from 结帐明细 where 状态 = "_s);
    st.text(BillState::Settled);
    if (period)
        period->appendBounds(st.sql(u" and "_s), u"消费时间"_s);
    return st.sql(u" group by 消费项目"_s);
}

} // namespace

Statement period(const Period &period)
{
    return grouped(&period);
}

Statement allTime()
{
    return grouped(nullptr);
}

} // namespace ItemCount
