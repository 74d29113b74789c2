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

void addFullLine(const Database &db, const QString &tag, const QString &master, const QString &item,
                 const QString &price, double rate, qint64 quantity, const QString &commission,
                 const QString &waiterNumber, const QString &waiterName)
{
    const Money list = *Money::parse(price);
    db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                                 {u"主手牌号"_s, SqlValue::text(master)},
                                                 {u"项目名"_s, SqlValue::text(item)},
                                                 {u"单价"_s, SqlValue::money(list)},
                                                 {u"打折率"_s, SqlValue::real(rate)},
                                                 {u"实际单价"_s, SqlValue::money(list.multipliedBy(rate))},
                                                 {u"数量"_s, SqlValue::integer(quantity)},
                                                 {u"合计"_s, SqlValue::money((list * quantity).multipliedBy(rate))},
                                                 {u"提成金额"_s, commission.isEmpty()
                                                                      ? SqlValue::null()
                                                                      : SqlValue::money(*Money::parse(commission))},
                                                 {u"消费时间"_s, SqlValue::dateTime(QDateTime::currentDateTime())},
                                                 {u"是否计时"_s, SqlValue::text(u"否"_s)},
                                                 {u"状态"_s, SqlValue::text(u"消费完毕"_s)},
                                                 {u"服务生编号"_s, SqlValue::text(waiterNumber)},
                                                 {u"服务生姓名"_s, SqlValue::text(waiterName)}}));
}

void addMemberType(const Database &db, const QString &name, double rate)
{
    db.execute(Statement::insert(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(name)},
                                                 {u"打折率"_s, SqlValue::real(rate)},
                                                 {u"初始积分"_s, SqlValue::integer(0)}}));
}

qint64 addMember(const Database &db, const QString &card, const QString &password, const QString &type,
                 const QString &balance, qint64 points)
{
    db.execute(Statement::insert(u"会员管理"_s, {{u"会员卡号"_s, SqlValue::text(card)},
                                                 {u"会员姓名"_s, SqlValue::text(u"会员"_s + card)},
                                                 {u"密码"_s, SqlValue::text(PasswordHash::hash(password))},
                                                 {u"当前状态"_s, SqlValue::text(u"可用"_s)},
                                                 {u"会员类型"_s, SqlValue::text(type)},
                                                 {u"卡内金额"_s, SqlValue::money(*Money::parse(balance))},
                                                 {u"当前积分"_s, SqlValue::integer(points)}}));
    return db.scalar(Statement(u"select max(id) from 会员管理"_s)).toLongLong();
}

void setBillCounter(const Database &db, qint64 last)
{
    db.execute(Statement(u"update 单据号 set 单据号="_s).integer(last));
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

ScreenRig::ScreenRig(const RunState &run, Prompt &prompt)
    : device(makeReaderDevice(run.ini, run.appDir)), reader(std::make_unique<CardReader>(*device, prompt)),
      context{run.db, SessionView(run), prompt, *reader}
{
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
