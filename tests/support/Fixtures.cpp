#include "Fixtures.h"

#include "db/PasswordHash.h"

using namespace Qt::StringLiterals;

namespace Fixtures {

void addRoomType(const Database &db, const QString &name, const QString &ticket)
{
    db.execute(Statement::insert(u"包厢类型"_s, {{u"包厢类型"_s, SqlValue::text(name)},
                                                 {u"计费方式"_s, SqlValue::text(u"按次计费"_s)},
                                                 {u"门票价格"_s, SqlValue::money(*Money::parse(ticket))}}));
}

void addTag(const Database &db, const QString &number, const QString &roomType, const QString &state)
{
    db.execute(Statement::insert(u"手牌管理"_s, {{u"手牌号码"_s, SqlValue::text(number)},
                                                 {u"所属包厢"_s, SqlValue::text(roomType)},
                                                 {u"手牌状态"_s, SqlValue::text(state)}}));
}

void openBill(const Database &db, const QString &tag, const QString &master, const QDateTime &arrival,
              const QString &deposit)
{
    db.execute(Statement::insert(u"手牌开单"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                                 {u"主手牌号"_s, SqlValue::text(master)},
                                                 {u"顾客姓名"_s, SqlValue::text(u"散客"_s)},
                                                 {u"押金金额"_s, SqlValue::money(*Money::parse(deposit))},
                                                 {u"进店时间"_s, SqlValue::dateTime(arrival)}}));
}

void addLine(const Database &db, const QString &tag, const QString &master, const QString &item,
             const QString &amount)
{
    const Money m = *Money::parse(amount);
    db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                                 {u"主手牌号"_s, SqlValue::text(master)},
                                                 {u"项目名"_s, SqlValue::text(item)},
                                                 {u"单价"_s, SqlValue::money(m)},
                                                 {u"打折率"_s, SqlValue::real(1)},
                                                 {u"实际单价"_s, SqlValue::money(m)},
                                                 {u"数量"_s, SqlValue::integer(1)},
                                                 {u"合计"_s, SqlValue::money(m)},
                                                 {u"消费时间"_s, SqlValue::dateTime(QDateTime::currentDateTime())}}));
}

void addOperator(const Database &db, const QString &name, const QString &password, const Permissions &flags)
{
    QList<std::pair<QString, SqlValue>> values{{u"用户名"_s, SqlValue::text(name)},
                                               {u"密码"_s, SqlValue::text(PasswordHash::hash(password))}};
    for (int i = 0; i < PermissionCount; ++i)
        values.append({permissionColumn(Permission(i)), SqlValue::boolean(flags.has(Permission(i)))});
    db.execute(Statement::insert(u"管理员"_s, values));
}

qint64 count(const Database &db, const QString &table)
{
    return db.scalar(Statement(u"select count(*) from "_s + quoteIdentifier(table))).toLongLong();
}

RunState runState(const Database &db, const QString &appDir)
{
    RunState run;
    run.db = db;
    run.appDir = appDir;
    run.ini = IniFile(appDir + u"/system.ini"_s);
    run.settings.softname = u"测试系统"_s;
    run.settings.databaseKind = u"a"_s;
    run.CurrentOperator = u"超级管理员"_s;
    run.permissions = Permissions::all();
    return run;
}

} // namespace Fixtures
