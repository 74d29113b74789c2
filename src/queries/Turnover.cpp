#include "Turnover.h"

#include "queries/BillState.h"

using namespace Qt::StringLiterals;

const QString Turnover::Table = u"结帐管理"_s;

Turnover::Turnover(const Database &db) : m_db(db) {}

namespace {

Statement settledIn(const QString &select, const Period &period)
{
    Statement st(select + u" from 结帐管理 where 状态 = "_s);
    st.text(BillState::Settled).sql(u" and "_s);
    return period.appendBounds(st, u"结帐时间"_s);
}

} // namespace

Statement Turnover::records(const Period &period)
{
    return settledIn(u"select *"_s, period);
}

Statement Turnover::sum(const Period &period)
{
    return settledIn(u"select sum(实收金额) as 合计"_s, period);
}

Money Turnover::total(const Period &period) const
{
    const QVariant stored = m_db.scalar(sum(period));
    return stored.isValid() && !stored.isNull() ? m_db.moneyFrom(stored) : Money();
}
