#include "Board.h"

#include "db/DateTimeText.h"
#include "db/Transaction.h"

using namespace Qt::StringLiterals;

namespace Board {

namespace {

qint64 countWhere(const Database &db, std::optional<TagState> state)
{
    Statement st(u"select count(*) from 手牌管理"_s);
    if (state)
        st.sql(u" where 手牌状态="_s).text(tagStateText(*state));
    return db.scalar(st).toLongLong();
}

ToolOutcome message(const QString &text)
{
    return {ToolOutcome::Kind::Message, text};
}

ToolOutcome screen()
{
    return {ToolOutcome::Kind::Screen, {}};
}

} // namespace

QStringList roomTypes(const Database &db)
{
    QStringList names;
    Cursor c = db.query(Statement(u"select * from 包厢类型 order by id"_s));
    while (c.next())
        names << c.text(u"包厢类型"_s);
    return names;
}

QList<Tag> tagsOf(const Database &db, const QString &roomType)
{
    QList<Tag> tags;
    Cursor c = db.query(Statement(u"select * from 手牌管理 where 所属包厢="_s).text(roomType).sql(u" order by id"_s));
    while (c.next())
        tags.append({c.text(u"手牌号码"_s), tagStateShown(c.text(u"手牌状态"_s))});
    return tags;
}

Counts counts(const Database &db)
{
    Counts n;
    n.total = countWhere(db, std::nullopt);
    n.occupied = countWhere(db, TagState::Occupied);
    n.reserved = countWhere(db, TagState::Reserved);
    n.free = countWhere(db, TagState::Free);
    n.disabled = countWhere(db, TagState::Disabled);
    return n;
}

QString elapsedText(const QDateTime &from, const QDateTime &now)
{
    const qint64 seconds = std::max<qint64>(0, from.secsTo(now)) % 86400;
    return QTime(0, 0).addSecs(int(seconds)).toString(u"hh:mm:ss"_s);
}

Money amount(const Database &db, const QString &tag)
{
    // An empty sum reads as nought.
    return db.moneyFrom(db.scalar(Statement(u"select sum(合计) as 金额 from 手牌消费 where 手牌号码="_s).text(tag)));
}

std::optional<QString> storedState(const Database &db, const QString &tag)
{
    Cursor c = db.query(Statement(u"select * from 手牌管理 where 手牌号码="_s).text(tag));
    if (!c.next())
        return std::nullopt;
    return c.text(u"手牌状态"_s);
}

void setState(const Database &db, const QString &tag, TagState state)
{
    db.execute(Statement(u"update 手牌管理 set 手牌状态="_s).text(tagStateText(state)).sql(u" where 手牌号码="_s).text(tag));
}

std::optional<Details> details(const Database &db, const QString &tag, const QDateTime &now)
{
    try {
        if (!storedState(db, tag))
            return std::nullopt;
        Cursor c = db.query(Statement(u"select * from 手牌开单 where 手牌号码="_s).text(tag));
        Details d;
        d.standard = u"标准"_s;
        if (c.next()) {
            const QDateTime arrival = c.dateTime(u"进店时间"_s);
            d.state = TagState::Occupied;
            d.arrival = DateTimeText::dateTime(arrival);
            d.elapsed = elapsedText(arrival, now);
            d.deposit = c.money(u"押金金额"_s);
            const bool single = !c.next();
            if (single) {
                d.amount = amount(db, tag);
                return d;
            }
        }
        // no open bill, or (against every rule) more than one: the tag counts as free
        d.state = TagState::Free;
        d.arrival = d.elapsed = u"0"_s;
        d.deposit = d.amount = Money();
        return d;
    } catch (const DbError &) {
        return std::nullopt;
    }
}

Statement tagLinesQuery(const QString &tag)
{
    return Statement(u"select * from 手牌消费 where 手牌号码="_s).text(tag);
}

Statement allLinesQuery()
{
    return Statement(u"select * from 手牌消费"_s);
}

PopupItems popupItems(std::optional<TagState> icon, const Permissions &permissions)
{
    PopupItems items;
    if (!icon)
        return items;
    switch (*icon) {
    case TagState::Occupied:
        items.addConsumption = true;
        items.checkout = true;
        items.cancelBill = true;
        break;
    case TagState::Reserved:
    case TagState::Free:
        items.openBill = true;
        items.changeState = true;
        break;
    case TagState::Disabled:
        items.changeState = true;
        break;
    }
    items.openBill = items.openBill && permissions.has(Permission::OpenBill);
    items.addConsumption = items.addConsumption && permissions.has(Permission::AddConsumption);
    items.checkout = items.checkout && permissions.has(Permission::Checkout);
    return items;
}

ToolOutcome openBillButton(std::optional<TagState> icon)
{
    if (!icon)
        return message(u"没有选手牌号！"_s);
    if (*icon == TagState::Occupied)
        return message(u"请选择一个没被占用的手牌来开单"_s);
    if (*icon == TagState::Free)
        return screen();
    return {};
}

ToolOutcome addConsumptionButton(std::optional<TagState> icon)
{
    if (!icon)
        return message(u"没有选手牌号！"_s);
    if (*icon == TagState::Free)
        return message(u"该手牌还没有开单，无法增加消费！"_s);
    if (*icon == TagState::Occupied)
        return screen();
    return {};
}

ToolOutcome checkoutButton(std::optional<TagState> icon)
{
    if (!icon)
        return message(u"没有选手牌号！"_s);
    if (*icon == TagState::Free)
        return message(u"该手牌还没有开单，无法结帐！"_s);
    if (*icon == TagState::Occupied)
        return screen();
    return {};
}

ToolOutcome popupCheckout(Money amount)
{
    if (!amount.isZero())
        return screen();
    return message(u"操作失败:消费金额为0,不能结帐."_s);
}

int findTag(const QStringList &numbers, const QString &text)
{
    return int(numbers.indexOf(text)); // QString equality: exact and case-sensitive
}

QString noCancelPermissionMessage()
{
    return u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s;
}

QString cancelledMessage()
{
    return u"撤单完毕"_s;
}

void cancelBill(const Database &db, const QString &tag)
{
    Transaction tx(db);
    // The master's bill is the group's: every tag of it is freed with it, or a tag left occupied
    // would take lines onto a bill that no longer exists.
    QStringList tags{tag};
    Cursor group = db.query(Statement(u"select 手牌号码 from 手牌开单 where 主手牌号="_s).text(tag).sql(u" order by id"_s));
    while (group.next()) {
        if (!tags.contains(group.text(u"手牌号码"_s)))
            tags.append(group.text(u"手牌号码"_s));
    }
    db.execute(Statement(u"delete from  手牌消费  where 主手牌号="_s)
                   .text(tag)
                   .sql(u"  or 手牌号码="_s)
                   .text(tag));
    for (const QString &t : std::as_const(tags)) {
        setState(db, t, TagState::Free);
        db.execute(Statement(u"delete from  手牌开单  where 手牌号码="_s).text(t));
    }
    tx.commit();
}

} // namespace Board
