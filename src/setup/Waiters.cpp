#include "Waiters.h"

#include "db/Refusal.h"

using namespace Qt::StringLiterals;

namespace {

const QString Number = u"服务生编号"_s;
const QString Name = u"服务生姓名"_s;

// The number and the name are what a consumption line is given, so neither may be blank; a
// value of only blanks names nobody either.
void requireNumberAndName(const ColumnValues &values)
{
    for (const QString &column : {Number, Name}) {
        bool given = false;
        for (const auto &[name, value] : values) {
            if (name == column)
                given = !value.textValue().trimmed().isEmpty();
        }
        if (!given)
            throw Refusal(u"编号和姓名必须填写！"_s, column);
    }
}

} // namespace

const QString Waiters::Table = u"服务生管理"_s;

Waiters::Waiters(const Database &db) : m_db(db) {}

Statement Waiters::listQuery()
{
    return Statement(u"select * from 服务生管理"_s);
}

ColumnValues Waiters::presets()
{
    return {{u"性别"_s, SqlValue::text(u"男"_s)}, {u"状态"_s, SqlValue::text(u"空闲"_s)}};
}

qint64 Waiters::add(const ColumnValues &values) const
{
    requireNumberAndName(values);
    return Records::insert(m_db, Table, values);
}

void Waiters::change(qint64 rowNumber, const ColumnValues &values) const
{
    requireNumberAndName(values);
    if (!Records::update(m_db, Table, rowNumber, values))
        throw Refusal(u"该服务生已被删除，无法保存修改!"_s);
}
