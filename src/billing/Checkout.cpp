#include "Checkout.h"

#include "data/TagState.h"

#include "db/PasswordHash.h"
#include "session/Attempts.h"
#include "db/Transaction.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace Checkout {

namespace {

const QString Settled = u"已结"_s;
const QString Free = u"免单"_s;

struct Line
{
    qint64 id = 0;
    QString item;
    Money listPrice;
    Money price;
    qint64 quantity = 0;
    Money amount;
    Money commission;
    QDateTime at;
    QString timed;
    QString waiterNumber;
    QString waiterName;
    QString tag;
};

QList<Line> readLines(const Database &db, const QString &tag)
{
    QList<Line> lines;
    Cursor c = db.query(orderedLinesQuery(tag));
    while (c.next()) {
        Line l;
        l.id = c.integer(u"id"_s);
        l.item = c.text(u"项目名"_s);
        l.listPrice = c.money(u"单价"_s);
        l.price = c.money(u"实际单价"_s);
        l.quantity = c.integer(u"数量"_s);
        l.amount = c.money(u"合计"_s);
        l.commission = c.money(u"提成金额"_s);
        l.at = c.dateTime(u"消费时间"_s);
        l.timed = c.text(u"是否计时"_s);
        l.waiterNumber = c.text(u"服务生编号"_s);
        l.waiterName = c.text(u"服务生姓名"_s);
        l.tag = c.text(u"手牌号码"_s);
        lines.append(l);
    }
    return lines;
}

// Takes the next bill number. The update locks the counter row until the transaction
// ends, so two counters on one server never get the same number.
qint64 takeBillNumber(const Database &db)
{
    db.execute(Statement(u"update 单据号 set 单据号=单据号+1"_s));
    return db.scalar(Statement(u"select 单据号 from 单据号"_s)).toLongLong();
}

Outcome write(const Database &db, const Settlement &s, const QDateTime &now, bool free)
{
    if (!s.received.isWithinLimit() || !s.consumption.isWithinLimit())
        throw Refusal(amountLimitMessage(), u"实收金额"_s);
    if (!free && s.received.isZero() && s.consumption > Money())
        throw Refusal(nothingReceivedMessage(), u"实收金额"_s);
    if (!free && s.payment == Payment::Card && !s.member)
        throw Refusal(cardNeedsMemberMessage());
    Transaction tx(db);
    // Lock the open bills first: a line being added at another counter waits for this
    // settlement, or this settlement sees the line and refuses.
    const Dialect dialect = db.dialect();
    QStringList released; // every tag of the bill, each once, in the order met
    Cursor open = db.query(Statement(u"select 手牌号码 from "_s + dialect.lockedTable(u"手牌开单"_s) + u" where 手牌号码="_s)
                               .text(s.tag)
                               .sql(u" or 主手牌号="_s)
                               .text(s.tag)
                               .sql(u" order by id"_s + dialect.forUpdate()));
    while (open.next()) {
        if (!released.contains(open.text(u"手牌号码"_s)))
            released.append(open.text(u"手牌号码"_s));
    }
    const QList<Line> lines = readLines(db, s.tag);
    QList<qint64> ids;
    for (const Line &l : lines) {
        ids.append(l.id);
        if (!released.contains(l.tag))
            released.append(l.tag);
    }
    if (ids != s.lineIds)
        throw BillChanged();
    if (released.isEmpty())
        throw NothingToSettle(s.tag);

    Outcome out;
    out.billNumber = takeBillNumber(db);
    out.numberChanged = out.billNumber != s.shownNumber;
    const QString number = QString::number(out.billNumber);
    const QString state = free ? Free : Settled;

    QList<std::pair<QString, SqlValue>> record{
        {u"结帐单号"_s, SqlValue::text(number)},
        {u"手牌号码"_s, SqlValue::text(s.tag)},
        {u"进店时间"_s, SqlValue::dateTime(s.arrival)},
        {u"离店时间"_s, SqlValue::dateTime(now)},
        {u"实收金额"_s, SqlValue::money(s.received)},
        {u"消费金额"_s, SqlValue::money(s.consumption)},
        {u"结帐方式"_s, SqlValue::text(s.payment == Payment::Card ? u"卡内扣除"_s : u"现金支付"_s)},
        {u"状态"_s, SqlValue::text(state)},
        {u"结帐时间"_s, SqlValue::dateTime(now)},
        {u"顾客姓名"_s, SqlValue::text(s.customerName)},
        {u"备注"_s, SqlValue::text(s.remark)},
        {u"营业员"_s, SqlValue::text(s.operatorName)},
    };
    if (!free)
        record.append({u"会员卡号"_s, SqlValue::text(s.member ? s.member->cardNumber : u"非会员"_s)});
    db.execute(Statement::insert(u"结帐管理"_s, record));

    if (!free && s.member) {
        // Points and balance change by one statement each, so a payment at another
        // counter at the same moment is not lost.
        db.execute(Statement(u"update 会员管理 set 当前积分=当前积分+"_s)
                       .integer(s.received.roundedToUnits())
                       .sql(u" where id="_s)
                       .integer(s.member->id));
        if (s.payment == Payment::Card)
            db.execute(Statement(u"update 会员管理 set 卡内金额=卡内金额-"_s)
                           .money(s.received)
                           .sql(u" where id="_s)
                           .integer(s.member->id));
    }

    for (const Line &l : lines) {
        db.execute(Statement::insert(u"结帐明细"_s, {
                                                         {u"单据号"_s, SqlValue::text(number)},
                                                         {u"手牌号码"_s, SqlValue::text(s.tag)},
                                                         {u"顾客姓名"_s, SqlValue::text(s.customerName)},
                                                         {u"消费项目"_s, SqlValue::text(l.item)},
                                                         {u"消费单价"_s, SqlValue::money(free ? l.listPrice : l.price)},
                                                         {u"消费数量"_s, SqlValue::integer(l.quantity)},
                                                         {u"消费金额"_s, SqlValue::money(l.amount)},
                                                         {u"消费时间"_s, SqlValue::dateTime(l.at)},
                                                         {u"是否计时"_s, SqlValue::text(l.timed)},
                                                         {u"服务生编号"_s, SqlValue::text(l.waiterNumber)},
                                                         {u"服务生姓名"_s, SqlValue::text(l.waiterName)},
                                                         {u"营业员"_s, SqlValue::text(s.operatorName)},
                                                         {u"状态"_s, SqlValue::text(state)},
                                                     }));
        if (!free && l.commission > Money())
            db.execute(Statement::insert(u"服务生提成"_s, {
                                                               {u"编号"_s, SqlValue::text(l.waiterNumber)},
                                                               {u"姓名"_s, SqlValue::text(l.waiterName)},
                                                               {u"结帐时间"_s, SqlValue::date(now.date())},
                                                               {u"提成金额"_s, SqlValue::money(l.commission)},
                                                               {u"单据号"_s, SqlValue::text(number)},
                                                               {u"手牌号码"_s, SqlValue::text(s.tag)},
                                                           }));
    }

    db.execute(Statement(u"delete from  手牌消费  where 主手牌号="_s).text(s.tag).sql(u"  or 手牌号码="_s).text(s.tag));
    // A tag of the group left occupied would take lines onto a bill that no longer exists, and
    // hand them to the next guest of its master: every tag of the bill is freed.
    for (const QString &tag : std::as_const(released)) {
        db.execute(Statement(u"delete from  手牌开单  where 手牌号码="_s).text(tag));
        db.execute(
            Statement(u"update 手牌管理 set 手牌状态="_s).text(tagStateText(TagState::Free)).sql(u" where 手牌号码="_s).text(tag));
    }
    tx.commit();
    return out;
}

} // namespace

NothingToSettle::NothingToSettle(const QString &tag)
    : Refusal(u"手牌 %1 没有开单,可能已在其他收银台结帐或撤单.请关闭后刷新手牌."_s.arg(tag))
{
}

MemberNotUsable::MemberNotUsable(const QString &state)
    : Refusal(u"该会员卡当前状态为\"%1\",不能使用!"_s.arg(state), u"会员卡号"_s)
{
}

BadRate::BadRate() : Refusal(u"打折率必须是大于0且不大于1的数字!"_s, u"打折率"_s) {}

BillChanged::BillChanged()
    : Refusal(u"这张单的消费明细已被其他收银台改动,请关闭后重新结帐."_s)
{
}

Statement linesQuery(const QString &tag)
{
    return Statement(u"select * from 手牌消费 where 主手牌号="_s).text(tag).sql(u" or 手牌号码="_s).text(tag);
}

Statement orderedLinesQuery(const QString &tag)
{
    return linesQuery(tag).sql(u" order by id"_s);
}

Bill load(const Database &db, const QString &tag)
{
    Bill bill;
    bill.shownNumber = db.scalar(Statement(u"select 单据号 from 单据号"_s)).toLongLong() + 1;
    Cursor open = db.query(Statement(u"select * from 手牌开单 where 手牌号码="_s).text(tag));
    if (open.next()) {
        bill.customerName = open.text(u"顾客姓名"_s);
        bill.deposit = open.money(u"押金金额"_s);
        bill.arrival = open.dateTime(u"进店时间"_s);
    }
    for (const Line &l : readLines(db, tag)) {
        bill.lineIds.append(l.id);
        bill.tagList.append(l.tag);
        bill.total += l.amount;
    }
    return bill;
}

std::optional<Member> lookUp(const Database &db, const QString &cardNumber, const QString &password,
                             const QDateTime &now)
{
    Attempts::checkNotLocked(db, Attempts::Kind::Member, cardNumber, now);
    std::optional<Member> found;
    bool known = false;
    {
        Cursor c = db.query(Statement(u"select * from 会员管理 where 会员卡号="_s).text(cardNumber).sql(u" order by id"_s));
        while (!found && c.next()) {
            known = true;
            if (!PasswordHash::verify(password, c.text(u"密码"_s)))
                continue;
            Member m;
            m.id = c.integer(u"id"_s);
            m.cardNumber = c.text(u"会员卡号"_s);
            m.name = c.text(u"会员姓名"_s);
            m.type = c.text(u"会员类型"_s);
            m.points = c.integer(u"当前积分"_s);
            m.balance = c.money(u"卡内金额"_s);
            m.state = c.text(u"当前状态"_s);
            found = m;
        }
    }
    // The read is over before anything is written, so the write waits for another counter's.
    if (!found) {
        if (known)
            Attempts::recordFailure(db, Attempts::Kind::Member, cardNumber, now);
        return std::nullopt;
    }
    Attempts::clear(db, Attempts::Kind::Member, cardNumber);
    if (found->state != u"可用"_s)
        throw MemberNotUsable(found->state);
    return found;
}

std::optional<double> typeRate(const Database &db, const QString &type)
{
    Cursor c = db.query(Statement(u"select * from 会员类型 where 类型名称="_s).text(type));
    if (!c.next())
        return std::nullopt;
    return c.isNull(u"打折率"_s) ? 1.0 : c.real(u"打折率"_s); // a type without a rate gives none
}

QString rateText(double rate)
{
    // Rounded as the decimal the rate is written as, so 0.875 shows 0.88 and 0.865 shows 0.87.
    const Money scaled = Money::fromRaw(10000).multipliedBy(rate);
    const qint64 hundredths = (scaled.raw() + (scaled.raw() >= 0 ? 50 : -50)) / 100;
    return QString::number(double(hundredths) / 100.0, 'f', 2);
}

Money applyRate(Money consumption, const QString &rate)
{
    const std::optional<Money> factor = Money::parse(rate);
    if (!factor || *factor <= Money() || *factor > Money::fromUnits(1))
        throw BadRate();
    return consumption.multipliedBy(double(factor->raw()) / double(Money::Scale));
}

Outcome settle(const Database &db, const Settlement &s, const QDateTime &now)
{
    return write(db, s, now, false);
}

Outcome settleFree(const Database &db, const Settlement &s, const QDateTime &now)
{
    return write(db, s, now, true);
}

QString closingMessage(const Outcome &outcome)
{
    if (!outcome.numberChanged)
        return u"谢谢光临！"_s;
    return u"谢谢光临！\n结帐单号已被其他收银台使用,本单的结帐单号为 %1."_s.arg(outcome.billNumber);
}

QString noFreeBillPermissionMessage()
{
    return u"操作失败:您没有免单权限,请让有更高权限的人来操作!"_s;
}

QString memberNotFoundMessage()
{
    return u"没有找到该会员的信息，请检查该会员是否处于停用状态，或者是您密码错误！"_s;
}

QString cardNeedsMemberMessage()
{
    return u"卡内扣除前请先输入会员卡号和密码,找到会员后再结帐!"_s;
}

QString nothingReceivedMessage()
{
    return u"实收金额为0:不收钱的帐单请用\"免单[F3]\"结帐."_s;
}

QString amountLimitMessage()
{
    return u"金额超出范围:单笔金额必须小于%1!"_s.arg(Money::limitText());
}

QString badReceivedAmountMessage()
{
    return u"实收金额必须是数字!"_s;
}

} // namespace Checkout
