#include "MemberTypes.h"

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

qint64 MemberTypes::add(const ColumnValues &values) const
{
    return Records::insert(m_db, Table, values);
}

void MemberTypes::change(qint64 rowNumber, const ColumnValues &values) const
{
    if (!Records::update(m_db, Table, rowNumber, values))
        throw Refusal(u"该会员类型已被删除，无法保存修改!"_s);
}

void MemberTypes::remove(qint64 rowNumber) const
{
    Records::remove(m_db, Table, rowNumber);
}
