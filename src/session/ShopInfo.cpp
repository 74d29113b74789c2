#include "ShopInfo.h"

#include "db/Refusal.h"
#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace {

// The same row on every kind of database: sysinfo has no row number, and its rows come back in
// the order they were stored.
std::optional<ShopInfo> firstRow(const Database &db)
{
    Cursor c = db.query(Statement(u"select name, tel, \"add\" from sysinfo"_s));
    if (!c.next())
        return std::nullopt;
    return ShopInfo{c.text(u"name"_s), c.text(u"tel"_s), c.text(u"add"_s)};
}

} // namespace

ShopInfo ShopInfo::read(const Database &db)
{
    return firstRow(db).value_or(ShopInfo{});
}

void ShopInfo::save(const Database &db) const
{
    const std::pair<const QString *, QString> boxes[] = {
        {&name, u"name"_s}, {&tel, u"tel"_s}, {&address, u"add"_s}};
    for (const auto &[value, column] : boxes) {
        if (value->trimmed().isEmpty())
            throw Refusal(u"必须认真填写完整！"_s, column);
    }
    Transaction t(db);
    const std::optional<ShopInfo> first = firstRow(db);
    if (!first) {
        db.execute(Statement(u"insert into sysinfo (name, tel, \"add\") values ("_s)
                       .text(name)
                       .sql(u", "_s)
                       .text(tel)
                       .sql(u", "_s)
                       .text(address)
                       .sql(u")"_s));
    } else {
        // The row is found by what it holds; a NULL reads as the empty text it was shown as.
        db.execute(Statement(u"update sysinfo set name = "_s)
                       .text(name)
                       .sql(u", tel = "_s)
                       .text(tel)
                       .sql(u", \"add\" = "_s)
                       .text(address)
                       .sql(u" where coalesce(name, '') = "_s)
                       .text(first->name)
                       .sql(u" and coalesce(tel, '') = "_s)
                       .text(first->tel)
                       .sql(u" and coalesce(\"add\", '') = "_s)
                       .text(first->address));
    }
    t.commit();
}
