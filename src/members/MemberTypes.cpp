#include "MemberTypes.h"

#include "billing/Checkout.h"
#include "db/Refusal.h"

using namespace Qt::StringLiterals;

const QString MemberTypes::Table = u"会员类型"_s;

MemberTypes::MemberTypes(const Database &db) : m_db(db) {}

Statement MemberTypes::listQuery()
{
    return Statement(u"select * from 会员类型"_s);
}

QString MemberTypes::deleteQuestion(const QString &name)
{
    return u"您是否要删除\" "_s + name + u"\""_s;
}

QString MemberTypes::nothingToDeleteMessage()
{
    return u"没有可以删除的会员类型!"_s;
}

namespace {

// The counter multiplies a member's bill by the type's rate and refuses any rate that is not above
// 0 and at most 1 (Checkout::BadRate), so such a rate is refused here, where it is typed, in the counter's
// words; stored, it would stop every member of the type from having the discount. A type without
// a rate gives none.
void checkRate(const ColumnValues &values)
{
    for (const auto &[column, value] : values) {
        if (column == u"打折率"_s && !value.isNull() && !(value.realValue() > 0 && value.realValue() <= 1))
            throw Checkout::BadRate();
    }
}

} // namespace

qint64 MemberTypes::add(const ColumnValues &values) const
{
    checkRate(values);
    return Records::insert(m_db, Table, values);
}

void MemberTypes::change(qint64 rowNumber, const ColumnValues &values) const
{
    checkRate(values);
    if (!Records::update(m_db, Table, rowNumber, values))
        throw Refusal(u"该会员类型已被删除，无法保存修改!"_s);
}

void MemberTypes::remove(qint64 rowNumber) const
{
    Records::remove(m_db, Table, rowNumber);
}
