#include "DataClear.h"

#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace DataClear {

bool passwordMatches(const QString &typed)
{
    return typed == u"kdf864209753"_s;
}

void clear(const Database &db, const Choice &choice)
{
    QStringList tables;
    if (choice.commissions)
        tables << u"服务生提成"_s;
    if (choice.business)
        tables << u"结帐管理"_s << u"结帐明细"_s;
    if (choice.recharges)
        tables << u"会员充值"_s;
    if (tables.isEmpty())
        return;
    Transaction t(db);
    for (const QString &table : tables)
        db.execute(Statement(u"delete from "_s + table));
    t.commit();
}

} // namespace DataClear
