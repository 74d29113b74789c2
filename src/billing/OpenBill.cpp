#include "OpenBill.h"

#include "data/TagState.h"

#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace OpenBill {

RoomCharges roomCharges(const Database &db, const QString &roomType)
{
    Cursor c = db.query(
        Statement(u"select * from 包厢类型 where 包厢类型="_s).text(roomType).sql(u" order by id"_s));
    RoomCharges charges;
    if (c.next()) {
        charges.initialFee = c.money(u"初始费用"_s);
        charges.ticket = c.money(u"门票价格"_s);
    }
    return charges;
}

QStringList freeTags(const Database &db, const QString &roomType, const QString &master)
{
    Statement st = Statement(u"select * from 手牌管理 where 手牌状态="_s)
                       .text(tagStateText(TagState::Free))
                       .sql(u" and 所属包厢="_s)
                       .text(roomType);
    // Without a master there is nothing to leave out: "<> null" would match no row at all.
    if (!master.isEmpty())
        st.sql(u" and 手牌号码<>"_s).text(master);
    Cursor c = db.query(st.sql(u" order by id"_s));
    QStringList tags;
    while (c.next())
        tags << c.text(u"手牌号码"_s);
    return tags;
}

QString badDepositMessage()
{
    return u"押金金额必须是数字!"_s;
}

QString tagTakenMessage(const QString &tag)
{
    return u"手牌 %1 已不可用,请重新选择!"_s.arg(tag);
}

BadDeposit::BadDeposit(const QString &message) : Refusal(message, u"押金金额"_s) {}

QString negativeDepositMessage()
{
    return u"押金金额不能小于0!"_s;
}

TagTaken::TagTaken(const QString &tag) : Refusal(tagTakenMessage(tag), u"手牌号码"_s), m_tag(tag) {}

void open(const Database &db, const Request &request)
{
    const std::optional<Money> deposit = Money::parse(request.deposit);
    if (!deposit)
        throw BadDeposit(badDepositMessage());
    if (*deposit < Money())
        throw BadDeposit(negativeDepositMessage());
    if (!deposit->isWithinLimit())
        throw BadDeposit(u"押金金额必须小于%1!"_s.arg(Money::limitText()));

    Transaction transaction(db);
    for (const QString &tag : request.tags) {
        // Another counter may have taken the tag since the list was read; the state in the
        // where clause makes the check and the marking one step. The master tag may also be
        // a reserved one: the board's pop-up menu opens bills on reserved tags.
        Statement mark(u"update 手牌管理 set 手牌状态="_s);
        mark.text(tagStateText(TagState::Occupied)).sql(u" where 手牌号码="_s).text(tag).sql(u" and (手牌状态="_s).text(tagStateText(TagState::Free));
        if (tag == request.master)
            mark.sql(u" or 手牌状态="_s).text(tagStateText(TagState::Reserved));
        mark.sql(u")"_s);
        const int marked = db.execute(mark);
        if (marked != 1)
            throw TagTaken(tag);

        db.execute(
            Statement::insert(u"手牌开单"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                              {u"包厢类型"_s, SqlValue::text(request.roomType)},
                                              {u"包厢性质"_s, SqlValue::text(u"无"_s)},
                                              {u"顾客姓名"_s, SqlValue::text(request.customer)},
                                              {u"押金金额"_s, SqlValue::money(*deposit)},
                                              {u"合计金额"_s, SqlValue::money(request.charges.total())},
                                              {u"进店时间"_s, SqlValue::dateTime(request.now)},
                                              {u"备注"_s, SqlValue::text(request.remark)},
                                              {u"主手牌号"_s, SqlValue::text(request.master)}}));

        // The initial fee is never a line: it stays in the bill's 合计金额 alone.
        if (request.charges.ticket > Money())
            db.execute(
                Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                                  {u"项目名"_s, SqlValue::text(u"门票"_s)},
                                                  {u"单价"_s, SqlValue::money(request.charges.ticket)},
                                                  {u"实际单价"_s, SqlValue::money(request.charges.ticket)},
                                                  {u"数量"_s, SqlValue::integer(1)},
                                                  {u"打折率"_s, SqlValue::real(1)},
                                                  {u"合计"_s, SqlValue::money(request.charges.ticket)},
                                                  {u"消费时间"_s, SqlValue::dateTime(request.now)},
                                                  {u"是否计时"_s, SqlValue::text(u"否"_s)},
                                                  {u"状态"_s, SqlValue::text(u"消费完毕"_s)},
                                                  {u"服务生编号"_s, SqlValue::text(u"无"_s)},
                                                  {u"营业员"_s, SqlValue::text(request.operatorName)},
                                                  {u"打折对象"_s, SqlValue::text(u"好汉"_s)},
                                                  {u"主手牌号"_s, SqlValue::text(request.master)}}));
    }
    transaction.commit();
}

} // namespace OpenBill
