#include "CurrentConsumption.h"

#include "data/TagState.h"

using namespace Qt::StringLiterals;

const QString CurrentConsumption::Table = u"手牌消费"_s;

CurrentConsumption::CurrentConsumption(const Database &db) : m_db(db) {}

namespace {

Statement chosen(const QString &select, CurrentConsumption::By by, const QString &tag)
{
    Statement st(select + u" from 手牌消费 where "_s);
    st.sql(by == CurrentConsumption::By::Tag ? u"手牌号码 = "_s : u"主手牌号 = "_s);
    return st.text(tag);
}

} // namespace

QStringList CurrentConsumption::occupiedTags() const
{
    Statement st(u"select 手牌号码 from 手牌管理 where 手牌状态 = "_s);
    st.text(tagStateText(TagState::Occupied)).sql(u" order by id"_s);
    QStringList tags;
    Cursor c = m_db.query(st);
    while (c.next())
        tags << c.text(u"手牌号码"_s);
    return tags;
}

Statement CurrentConsumption::lines(By by, const QString &tag)
{
    return chosen(u"select *"_s, by, tag);
}

Money CurrentConsumption::total(By by, const QString &tag) const
{
    const QVariant stored = m_db.scalar(chosen(u"select sum(合计) as 大合计"_s, by, tag));
    return stored.isValid() && !stored.isNull() ? m_db.moneyFrom(stored) : Money();
}

bool CurrentConsumption::hasLines(By by, const QString &tag) const
{
    return m_db.scalar(chosen(u"select count(*)"_s, by, tag)).toLongLong() > 0;
}
