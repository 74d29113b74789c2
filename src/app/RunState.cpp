#include "RunState.h"

#include "data/DeliveredDatabase.h"
#include "db/PasswordHash.h"

using namespace Qt::StringLiterals;

QString permissionColumn(Permission p)
{
    static const std::array<QString, PermissionCount> columns{
        u"收银结算"_s, u"消费管理"_s, u"来宾登记"_s,   u"营业查询"_s, u"会员管理"_s, u"数据初始化"_s,
        u"管理员设置"_s, u"会员开户"_s, u"会员充值"_s, u"项目商品管理"_s, u"手牌管理"_s, u"服务生管理"_s,
        u"数据备份"_s, u"数据恢复"_s, u"免单"_s,       u"撤单"_s,
    };
    return columns[std::size_t(p)];
}

Permissions Permissions::all()
{
    Permissions p;
    p.m_flags.fill(true);
    return p;
}

namespace Login {

QStringList operatorNames(const Database &db)
{
    QStringList names;
    Cursor c = db.query(Statement(u"select * from 管理员 order by id"_s));
    while (c.next())
        names << c.text(u"用户名"_s);
    return names;
}

QString prefilledPassword(const Database &db)
{
    Cursor c = db.query(Statement(u"select * from 管理员 order by id"_s));
    if (!c.next())
        return {};
    const QString candidate = DeliveredDatabase::defaultOperatorPassword();
    return PasswordHash::verify(candidate, c.text(u"密码"_s)) ? candidate : QString();
}

std::optional<LoggedIn> logIn(const Database &db, const QString &name, const QString &password,
                              const QDateTime &now)
{
    // Names are not unique: the first operator of that name whose password verifies.
    Cursor c = db.query(Statement(u"select * from 管理员 where 用户名="_s).text(name).sql(u" order by id"_s));
    while (c.next()) {
        if (!PasswordHash::verify(password, c.text(u"密码"_s)))
            continue;
        LoggedIn in;
        for (int i = 0; i < PermissionCount; ++i)
            in.permissions.set(Permission(i), c.boolean(permissionColumn(Permission(i))));
        db.execute(Statement::insert(u"启动记录"_s, {{u"用户名"_s, SqlValue::text(name)},
                                                     {u"登陆时间"_s, SqlValue::dateTime(now)}}));
        in.record = db.lastRowId(u"启动记录"_s);
        return in;
    }
    return std::nullopt;
}

std::pair<QString, QString> shopInfo(const Database &db)
{
    Cursor c = db.query(Statement(u"select * from sysinfo"_s));
    if (!c.next())
        return {};
    return {c.text(u"name"_s), c.text(u"tel"_s)};
}

void recordExit(const Database &db, qint64 record, const QDateTime &now)
{
    db.execute(Statement(u"update 启动记录 set 退出时间="_s).dateTime(now).sql(u" where id="_s).integer(record));
}

} // namespace Login
