#include "Consumption.h"

#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace Consumption {

std::optional<Item> item(const Database &db, qint64 id)
{
    Cursor c = db.query(Statement(u"select * from 商品项目库 where ID="_s).integer(id));
    if (!c.next())
        return std::nullopt;
    Item it;
    it.name = c.text(u"项目名"_s);
    it.price = c.money(u"单价"_s);
    it.commission = c.money(u"提成金额"_s);
    it.discount = c.isNull(u"打折率"_s) ? 1.0 : c.real(u"打折率"_s); // no rate: full price
    it.needsService = c.text(u"是否需要服务"_s) == u"是"_s;
    return it;
}

Money Line::actualPrice() const
{
    return price.multipliedBy(discount);
}

Money Line::total() const
{
    // One rounding, after the quantity: 50 × 0.8 × 3 is 120 exactly.
    return (price * quantity).multipliedBy(discount);
}

Line newLine(const QString &tag, const QString &master, const Item &item, qint64 quantity,
             const QString &operatorName, const QDateTime &now)
{
    Line line;
    line.tag = tag;
    line.master = master;
    line.item = item.name;
    line.price = item.price;
    line.commission = item.commission;
    line.discount = item.discount;
    line.quantity = quantity;
    line.time = now;
    line.waiterNumber = operatorName;
    line.waiterName = operatorName;
    line.clerk = operatorName;
    if (quantity > MaxQuantity || quantity < -MaxQuantity)
        throw LineOutOfRange(u"消费数量不能超过%1!"_s.arg(MaxQuantity));
    try {
        if (line.price.isWithinLimit() && line.total().isWithinLimit() && line.actualPrice().isWithinLimit())
            return line;
    } catch (const MoneyOutOfRange &) {
        // reported below, with the item named
    }
    throw LineOutOfRange(u"%1 的消费金额超出范围:单笔金额必须小于%2!"_s.arg(item.name, Money::limitText()));
}

LineOutOfRange::LineOutOfRange(const QString &message) : Refusal(message, u"数量"_s) {}

std::optional<qint64> parseQuantity(const QString &text)
{
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

QString badQuantityMessage()
{
    return u"消费数量必须是整数!"_s;
}

QString masterOf(const Database &db, const QString &tag)
{
    Cursor c = db.query(Statement(u"select * from 手牌开单 where 手牌号码="_s).text(tag));
    return c.next() ? c.text(u"主手牌号"_s) : QString();
}

TagNotOpen::TagNotOpen(const QString &tag)
    : Refusal(u"手牌 %1 已经结帐或撤单,不能再增加消费!"_s.arg(tag))
{
}

void post(const Database &db, const Line &line)
{
    // The bill may have been settled or cancelled at another counter since the screen
    // opened: the line goes in only while the tag's open bill is there, and carries the
    // master it has now. Locking the open bill keeps a settlement from passing meanwhile.
    Transaction tx(db);
    const Dialect dialect = db.dialect();
    Statement openBill(u"select 主手牌号 from "_s + dialect.lockedTable(u"手牌开单"_s) + u" where 手牌号码="_s);
    openBill.text(line.tag).sql(dialect.forUpdate());
    Cursor bill = db.query(openBill);
    if (!bill.next())
        throw TagNotOpen(line.tag);
    const QString master = bill.text(u"主手牌号"_s);
    db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(line.tag)},
                                                 {u"项目名"_s, SqlValue::text(line.item)},
                                                 {u"单价"_s, SqlValue::money(line.price)},
                                                 {u"提成金额"_s, SqlValue::money(line.commission)},
                                                 {u"实际单价"_s, SqlValue::money(line.actualPrice())},
                                                 {u"数量"_s, SqlValue::integer(line.quantity)},
                                                 {u"打折率"_s, SqlValue::real(line.discount)},
                                                 {u"合计"_s, SqlValue::money(line.total())},
                                                 {u"消费时间"_s, SqlValue::dateTime(line.time)},
                                                 {u"是否计时"_s, SqlValue::text(u"否"_s)},
                                                 {u"状态"_s, SqlValue::text(u"消费完毕"_s)},
                                                 {u"服务生编号"_s, SqlValue::text(line.waiterNumber)},
                                                 {u"服务生姓名"_s, SqlValue::text(line.waiterName)},
                                                 {u"营业员"_s, SqlValue::text(line.clerk)},
                                                 {u"打折对象"_s, SqlValue::text(u"所有顾客"_s)},
                                                 {u"主手牌号"_s, SqlValue::text(master)}}));
    tx.commit();
}

void remove(const Database &db, qint64 lineId)
{
    db.execute(Statement(u"delete from 手牌消费 where id="_s).integer(lineId));
}

qint64 lineCount(const Database &db, const QString &tag)
{
    return db.scalar(Statement(u"select count(*) from 手牌消费 where 手牌号码="_s).text(tag)).toLongLong();
}

QString nothingToDeleteMessage()
{
    return u"没有可以删除的了!"_s;
}

QString deleteQuestion(const QString &item)
{
    return u"您是否要删除 "_s + item;
}

Statement linesQuery(const QString &tag)
{
    return Statement(u"select * from 手牌消费 where 手牌号码="_s).text(tag);
}

Statement catalogueQuery()
{
    return Statement(u"select * from 商品项目库"_s);
}

std::optional<qint64> findItem(const Database &db, const QString &prefix)
{
    // The catalogue of a venue is a few hundred rows; walking it in the grid's own order keeps
    // "first" the same as the grid shows, whatever the database's collation.
    Cursor c = db.query(Statement(u"select ID, 项目名, 名称拼音 from 商品项目库 order by 项目名, ID"_s));
    std::optional<qint64> byPinyin;
    while (c.next()) {
        if (c.text(u"项目名"_s).startsWith(prefix))
            return c.integer(u"ID"_s);
        if (!byPinyin && !prefix.isEmpty() && c.text(u"名称拼音"_s).startsWith(prefix, Qt::CaseInsensitive))
            byPinyin = c.integer(u"ID"_s);
    }
    return byPinyin;
}

Statement waitersQuery()
{
    // The picker's column is named 服务等级, but the grade the waiters are kept with is 服务生等级.
    return Statement(
        u"select id, 服务生编号, 服务生姓名, 性别, 状态, 服务包厢, 包厢性质, 服务生等级 as 服务等级, "
        u"联系电话, 证件号码, 联系地址 from 服务生管理"_s);
}

Statement waitersNamed(const QString &name)
{
    return waitersQuery().sql(u" where 服务生姓名="_s).text(name);
}

Statement waitersNumbered(const QString &number)
{
    return waitersQuery().sql(u" where 服务生编号="_s).text(number);
}

} // namespace Consumption
