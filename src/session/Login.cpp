#include "Login.h"
#include "ShopInfo.h"

#include "data/DeliveredDatabase.h"
#include "db/PasswordHash.h"
#include "session/Attempts.h"

using namespace Qt::StringLiterals;

namespace Login {

QStringList operatorNames(const Database &db)
{
    QStringList names;
    Cursor c = db.query(Statement(u"select * from 管理员 order by id"_s));
    while (c.next())
        names << c.text(u"用户名"_s);
    return names;
}

std::optional<Verified> prefillCandidate(const Database &db)
{
    Cursor c = db.query(Statement(u"select 密码 from 管理员 order by id"_s));
    if (!c.next())
        return std::nullopt;
    return Verified{DeliveredDatabase::defaultOperatorPassword(), c.text(u"密码"_s)};
}

bool stillDefault(const Verified &candidate)
{
    return PasswordHash::verify(candidate.password, candidate.stored);
}

std::optional<Verified> prefilledPassword(const Database &db)
{
    std::optional<Verified> v = prefillCandidate(db);
    if (v && !stillDefault(*v))
        return std::nullopt;
    return v;
}

std::optional<LoggedIn> logIn(const Database &db, const QString &name, const QString &password,
                              const QDateTime &now, const std::optional<Verified> &verified)
{
    // Names are not unique: the first operator of that name whose password verifies. The read
    // is finished before the login is written: a write begun while this connection still reads
    // would be refused at once on SQLite whenever another counter is writing, instead of waiting.
    Attempts::checkNotLocked(db, Attempts::Kind::Operator, name, now);
    std::optional<LoggedIn> in;
    bool known = false;
    {
        Cursor c = db.query(Statement(u"select * from 管理员 where 用户名="_s).text(name).sql(u" order by id"_s));
        while (!in && c.next()) {
            known = true;
            const QString stored = c.text(u"密码"_s);
            const bool verifiedBefore = verified && verified->stored == stored && verified->password == password;
            if (!verifiedBefore && !PasswordHash::verify(password, stored))
                continue;
            in.emplace();
            for (int i = 0; i < PermissionCount; ++i)
                in->permissions.set(Permission(i), c.boolean(permissionColumn(Permission(i))));
        }
    }
    if (in) {
        Attempts::clear(db, Attempts::Kind::Operator, name);
        in->record = db.insert(u"启动记录"_s, {{u"用户名"_s, SqlValue::text(name)},
                                               {u"登陆时间"_s, SqlValue::dateTime(now)}});
    } else if (known) {
        Attempts::recordFailure(db, Attempts::Kind::Operator, name, now);
    }
    return in;
}

std::pair<QString, QString> shopInfo(const Database &db)
{
    const ShopInfo shop = ShopInfo::read(db);
    return {shop.name, shop.tel};
}

void recordExit(const Database &db, qint64 record, const QDateTime &now)
{
    db.execute(Statement(u"update 启动记录 set 退出时间="_s).dateTime(now).sql(u" where id="_s).integer(record));
}

} // namespace Login
