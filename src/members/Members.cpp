#include "Members.h"

#include "billing/Checkout.h"
#include "db/PasswordHash.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "session/Operators.h"

using namespace Qt::StringLiterals;

namespace {

const QString Card = u"会员卡号"_s;
const QString Name = u"会员姓名"_s;
const QString Type = u"会员类型"_s;
const QString Sex = u"会员性别"_s;
const QString Balance = u"卡内金额"_s;
const QString Points = u"当前积分"_s;
const QString State = u"当前状态"_s;
const QString Password = u"密码"_s;

const SqlValue *find(const ColumnValues &values, const QString &column)
{
    for (const auto &[name, value] : values) {
        if (name == column)
            return &value;
    }
    return nullptr;
}

QString textOf(const ColumnValues &values, const QString &column)
{
    const SqlValue *v = find(values, column);
    return v ? v->textValue() : QString();
}

void put(ColumnValues &values, const QString &column, const SqlValue &value)
{
    for (auto &[name, v] : values) {
        if (name == column) {
            v = value;
            return;
        }
    }
    values.append({column, value});
}

void drop(ColumnValues &values, const QString &column)
{
    values.removeIf([&](const std::pair<QString, SqlValue> &p) { return p.first == column; });
}

// The card number as it is compared and stored: blanks around it are typing, not part of the
// number, and would give two members that look alike in every list.
QString cardNumberOf(const ColumnValues &values)
{
    return textOf(values, Card).trimmed();
}

} // namespace

const QString Members::Table = u"会员管理"_s;
const QString Members::RechargeTable = u"会员充值"_s;
const QString Members::BillTable = u"结帐管理"_s;
const QString Members::BillLineTable = u"结帐明细"_s;

Members::Members(const Database &db) : m_db(db) {}

QString Members::defaultPassword()
{
    return Operators::defaultPassword();
}

QString Members::enrolCaption()
{
    return u"添加会员   （新会员默认初始密码为：%1）"_s.arg(defaultPassword());
}

Statement Members::listQuery()
{
    return Statement(u"select * from 会员管理"_s);
}

Statement Members::rechargeQuery()
{
    return Statement(u"select * from 会员充值"_s);
}

Statement Members::billsQuery(const Period &period, const QString &field, const QString &value)
{
    Statement st(u"select * from 结帐管理 where "_s);
    period.appendBounds(st, u"结帐时间"_s);
    if (field.trimmed().isEmpty() || value.isEmpty())
        return st;
    st.sql(u" and "_s).column(BillTable, field.trimmed());
    if (Schema::column(BillTable, field.trimmed())->kind != ColumnKind::Text)
        throw Refusal(u"\"%1\"不是文字列，不能按包含的文字查询!"_s.arg(field.trimmed()), u"field"_s);
    // The value is found as typed: its % and _ are characters, not wildcards.
    QString escaped = value;
    escaped.replace(u"!"_s, u"!!"_s).replace(u"%"_s, u"!%"_s).replace(u"_"_s, u"!_"_s).replace(u"["_s, u"!["_s);
    return st.sql(u" like "_s).text(u'%' + escaped + u'%').sql(u" escape '!'"_s);
}

QString Members::periodText(const Period &period)
{
    return period.first().toString(u"yyyy-MM-dd"_s) + u" 至 "_s + period.last().toString(u"yyyy-MM-dd"_s);
}

Statement Members::billLinesQuery(const QString &billNumber)
{
    if (billNumber.isEmpty())
        return Statement(u"select * from 结帐明细 where 1 = 0"_s); // no bill chosen
    return Statement(u"select * from 结帐明细 where 单据号 = "_s).text(billNumber);
}

QStringList Members::typeNames() const
{
    QStringList names;
    Cursor c = m_db.query(Statement(u"select 类型名称 from 会员类型 order by id"_s));
    while (c.next())
        names.append(c.text(u"类型名称"_s));
    return names;
}

QString Members::duplicateCardMessage()
{
    return u"会员卡号有重复，请换其他号码！"_s;
}

QString Members::balanceNotZeroMessage(Money balance)
{
    return u"该会员卡内还有余额%1元，不能删除！请先将余额退还或结清后再删除。"_s.arg(balance.toString());
}

bool Members::cardTaken(const QString &cardNumber, std::optional<qint64> except) const
{
    Statement st(u"select count(*) from 会员管理 where 会员卡号 = "_s);
    st.text(cardNumber);
    if (except)
        st.sql(u" and id <> "_s).integer(*except);
    return m_db.scalar(st).toLongLong() > 0;
}

qint64 Members::enrol(const ColumnValues &values, const QDate &today) const
{
    const QString card = cardNumberOf(values);
    if (card.isEmpty() || textOf(values, Name).trimmed().isEmpty())
        throw Refusal(u"会员卡号和会员姓名必须填写！"_s, card.isEmpty() ? Card : Name);

    ColumnValues row;
    for (const auto &[column, value] : values) {
        // What only the rules decide is never taken from the boxes.
        if (column == Balance || column == Points || column == State || column == Password)
            continue;
        // An empty telephone or note is not written: the columns keep their defaults.
        if ((column == u"联系电话"_s || column == u"备注"_s) && value.textValue().isEmpty())
            continue;
        row.append({column, value});
    }
    put(row, Card, SqlValue::text(card));
    if (textOf(row, Type).trimmed().isEmpty())
        put(row, Type, SqlValue::text(u"未设置"_s));
    if (textOf(row, Sex).trimmed().isEmpty())
        put(row, Sex, SqlValue::text(u"男"_s));
    put(row, State, SqlValue::text(u"可用"_s));
    put(row, Balance, SqlValue::money(Money()));
    put(row, Points, SqlValue::integer(0));
    put(row, Password, SqlValue::text(PasswordHash::hash(defaultPassword())));
    if (!find(row, u"登记日期"_s))
        put(row, u"登记日期"_s, SqlValue::date(today));

    try {
        Transaction tx(m_db);
        if (cardTaken(card, std::nullopt))
            throw Refusal(duplicateCardMessage(), Card);
        const qint64 rowNumber = m_db.insert(Table, row);
        tx.commit();
        return rowNumber;
    } catch (const DbError &) {
        // Another counter enrolled the number between the test and the insert; the store's
        // unique index refused the second one.
        if (cardTaken(card, std::nullopt))
            throw Refusal(duplicateCardMessage(), Card);
        throw;
    }
}

void Members::change(qint64 rowNumber, const ColumnValues &values, const ColumnValues &asLoaded) const
{
    ColumnValues row = values;
    drop(row, Password); // only the password screen changes a password
    for (const QString &column : {Card, Name, Type}) {
        if (textOf(row, column).trimmed().isEmpty())
            throw Refusal(u"会员卡号和会员姓名和会员类型必须认真填写！"_s, column);
    }
    const QString card = cardNumberOf(row);
    put(row, Card, SqlValue::text(card));
    if (const SqlValue *balance = find(row, Balance)) {
        if (!balance->moneyValue().isWithinLimit())
            throw Refusal(Checkout::amountLimitMessage(), Balance);
    }
    // A balance or points the operator left as shown are not written back: another counter may
    // have changed them since the screen read them.
    for (const QString &column : {Balance, Points}) {
        const SqlValue *typed = find(row, column);
        const SqlValue *shown = find(asLoaded, column);
        if (typed && shown && typed->kind() == shown->kind() && *typed == *shown)
            drop(row, column);
    }

    try {
        Transaction tx(m_db);
        if (cardTaken(card, rowNumber))
            throw Refusal(duplicateCardMessage(), Card);
        if (!m_db.execute(Statement::update(Table, row, u"id"_s, SqlValue::integer(rowNumber))))
            throw Refusal(u"该会员已被删除，无法保存修改!"_s);
        tx.commit();
    } catch (const DbError &) {
        if (cardTaken(card, rowNumber))
            throw Refusal(duplicateCardMessage(), Card);
        throw;
    }
}

void Members::remove(qint64 rowNumber) const
{
    // One statement: a recharge or payment at another counter between a test and the delete
    // cannot slip through.
    if (m_db.execute(Statement(u"delete from 会员管理 where id = "_s)
                         .integer(rowNumber)
                         .sql(u" and (卡内金额 = "_s)
                         .money(Money())
                         .sql(u" or 卡内金额 is null)"_s)) > 0)
        return;
    Cursor c = m_db.query(Statement(u"select 卡内金额 from 会员管理 where id = "_s).integer(rowNumber));
    if (c.next())
        throw Refusal(balanceNotZeroMessage(c.money(Balance)));
}

Money Members::recharge(qint64 rowNumber, Money amount, const QString &note, const QString &operatorName,
                        const QDateTime &now) const
{
    if (!amount.isWithinLimit())
        throw Refusal(Checkout::amountLimitMessage(), u"充值金额"_s);
    Transaction tx(m_db);
    // One statement adds to the stored balance, so a recharge or payment made at the same
    // moment at another counter is added to, not overwritten.
    if (m_db.execute(Statement(u"update 会员管理 set 卡内金额 = 卡内金额 + "_s)
                         .money(amount)
                         .sql(u" where id = "_s)
                         .integer(rowNumber)) == 0)
        throw Refusal(u"该会员已被删除，不能充值!"_s);
    Money balance;
    ColumnValues record;
    {
        Cursor c = m_db.query(Statement(u"select 会员卡号, 会员姓名, 会员类型, 卡内金额 from 会员管理 where id = "_s)
                                  .integer(rowNumber));
        if (!c.next())
            throw Refusal(u"该会员已被删除，不能充值!"_s);
        balance = c.money(Balance);
        record = {{Card, SqlValue::text(c.text(Card))},
                  {Name, SqlValue::text(c.text(Name))},
                  {Type, SqlValue::text(c.text(Type))}};
    }
    record.append({u"充值金额"_s, SqlValue::money(amount)});
    record.append({u"充值日期"_s, SqlValue::dateTime(now)});
    record.append({u"备注"_s, SqlValue::text(note)});
    record.append({u"营业员"_s, SqlValue::text(operatorName)});
    m_db.insert(RechargeTable, record);
    tx.commit();
    return balance;
}

void Members::changePassword(const QString &cardNumber, const QString &oldPassword, const QString &newPassword,
                             const QString &confirmation, const QDateTime &now) const
{
    // Checkout's lookup: the same count of wrong passwords, so this screen is no way round the
    // lock, and the same refusal of a card that is not "可用".
    const std::optional<Checkout::Member> member = Checkout::lookUp(m_db, cardNumber, oldPassword, now);
    if (!member)
        throw Refusal(u"旧密码输入错误！"_s, u"旧密码"_s);
    if (newPassword != confirmation)
        throw Refusal(u"两次输入的新密码不一致！"_s, u"新密码"_s);
    if (!Records::update(m_db, Table, member->id, {{Password, SqlValue::text(PasswordHash::hash(newPassword))}}))
        throw Refusal(u"该会员已被删除，无法保存修改!"_s);
}
