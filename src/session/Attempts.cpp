#include "Attempts.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace Attempts {

namespace {

QString kindText(Kind kind)
{
    return kind == Kind::Member ? u"会员"_s : u"操作员"_s;
}

// The end of the lock at `now`, when the latest wrong passwords lock the name; invalid otherwise.
QDateTime lockedUntil(const Database &db, Kind kind, const QString &name, const QDateTime &now)
{
    QList<QDateTime> latest;
    {
        Cursor c = db.query(Statement(u"select 时间 from 密码错误 where 类别="_s)
                                .text(kindText(kind))
                                .sql(u" and 名称="_s)
                                .text(name)
                                .sql(u" order by 时间 desc, id desc"_s));
        while (latest.size() < Allowed && c.next())
            latest.append(c.dateTime(u"时间"_s));
    }
    if (latest.size() < Allowed || latest.last().secsTo(latest.first()) > LockMinutes * 60)
        return {};
    const QDateTime until = latest.first().addSecs(LockMinutes * 60);
    return now < until ? until : QDateTime();
}

} // namespace

LockedOut::LockedOut(Kind kind, const QDateTime &until)
    : Refusal((kind == Kind::Member ? u"该会员卡的密码已连续输错%1次,已锁定%2分钟,请于%3以后再试."_s
                                    : u"该操作员的密码已连续输错%1次,已锁定%2分钟,请于%3以后再试."_s)
                  .arg(Allowed)
                  .arg(LockMinutes)
                  .arg(until.toString(u"hh:mm:ss"_s)))
{
}

void checkNotLocked(const Database &db, Kind kind, const QString &name, const QDateTime &now)
{
    const QDateTime until = lockedUntil(db, kind, name, now);
    if (until.isValid())
        throw LockedOut(kind, until);
}

void recordFailure(const Database &db, Kind kind, const QString &name, const QDateTime &now)
{
    // What is older than a day counts for nothing any more.
    db.execute(Statement(u"delete from 密码错误 where 时间<"_s).dateTime(now.addDays(-1)));
    db.execute(Statement::insert(u"密码错误"_s, {{u"类别"_s, SqlValue::text(kindText(kind))},
                                                 {u"名称"_s, SqlValue::text(name)},
                                                 {u"时间"_s, SqlValue::dateTime(now)}}));
    checkNotLocked(db, kind, name, now);
}

void clear(const Database &db, Kind kind, const QString &name)
{
    db.execute(Statement(u"delete from 密码错误 where 类别="_s).text(kindText(kind)).sql(u" and 名称="_s).text(name));
}

} // namespace Attempts
