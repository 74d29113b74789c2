#include "Catalogue.h"

#include "db/Refusal.h"
#include "db/Transaction.h"
#include "setup/Pinyin.h"

using namespace Qt::StringLiterals;

namespace {

const QString Name = u"项目名"_s;
const QString Pinyin = u"名称拼音"_s;
const QString Price = u"单价"_s;
const QString Rate = u"打折率"_s;
const QString Commission = u"提成金额"_s;

const SqlValue *find(const ColumnValues &values, const QString &column)
{
    for (const auto &[name, value] : values) {
        if (name == column)
            return &value;
    }
    return nullptr;
}

} // namespace

const QString Catalogue::Table = u"商品项目库"_s;

Catalogue::Catalogue(const Database &db) : m_db(db) {}

Statement Catalogue::listQuery()
{
    return Statement(u"select * from 商品项目库"_s);
}

ColumnValues Catalogue::presets()
{
    return {{u"是否需要服务"_s, SqlValue::text(u"否"_s)},
            {u"是否允许打折"_s, SqlValue::text(u"否"_s)},
            {Rate, SqlValue::real(1)},
            {Price, SqlValue::money(Money::fromUnits(1))},
            {Commission, SqlValue::money(Money())}};
}

void Catalogue::requireComplete(const QList<std::pair<QString, QString>> &texts, bool adding)
{
    QStringList order{u"所属类型"_s, u"是否需要服务"_s, Name, Rate, Price};
    if (adding)
        order.append(Commission);
    for (const QString &column : std::as_const(order)) {
        for (const auto &[name, text] : texts) {
            if (name == column && text.trimmed().isEmpty())
                throw Refusal(u"请把信息填写完整!"_s, column);
        }
    }
}

QStringList Catalogue::itemTypes() const
{
    QStringList names;
    Cursor c = m_db.query(Statement(u"select 类型名称 from 商品项目类型"_s));
    while (c.next())
        names.append(c.text(u"类型名称"_s));
    return names;
}

ColumnValues Catalogue::checked(ColumnValues values)
{
    // What the counter multiplies and sums stays inside the amounts a bill may hold.
    for (const QString &column : {Price, Commission}) {
        if (const SqlValue *v = find(values, column); v && !v->isNull()) {
            const Money m = v->moneyValue();
            if (m < Money() || !m.isWithinLimit())
                throw Refusal(u"%1必须在0到%2之间!"_s.arg(column, Money::limitText()), column);
        }
    }
    if (const SqlValue *v = find(values, Rate); v && !v->isNull()) {
        if (!(v->realValue() > 0 && v->realValue() <= 1))
            throw Refusal(u"打折率必须大于0且不大于1!"_s, Rate);
    }
    if (const SqlValue *v = find(values, Name)) {
        values.removeIf([](const auto &pair) { return pair.first == Pinyin; });
        values.append({Pinyin, SqlValue::text(pinyinInitials(v->textValue()))});
    }
    return values;
}

qint64 Catalogue::add(const ColumnValues &values) const
{
    ColumnValues row = checked(values);
    if (!find(row, u"是否允许打折"_s))
        row.append({u"是否允许打折"_s, SqlValue::text(u"否"_s)});
    return Records::insert(m_db, Table, row);
}

void Catalogue::change(qint64 rowNumber, const ColumnValues &values) const
{
    const ColumnValues row = checked(values);
    Transaction tx(m_db);
    const QVariant old = m_db.scalar(Statement(u"select 项目名 from 商品项目库 where ID = "_s).integer(rowNumber));
    if (!old.isValid())
        throw Refusal(u"该项目已被删除，无法保存修改!"_s);
    // Open lines carry the name they were added with, and so do the checkout details they
    // become; two items may share a name, so a new name cannot be carried to the right lines.
    const SqlValue *name = find(row, Name);
    if (name && name->textValue() != old.toString()) {
        const qint64 open =
            m_db.scalar(Statement(u"select count(*) from 手牌消费 where 项目名 = "_s).text(old.toString())).toLongLong();
        if (open > 0)
            throw Refusal(u"有%1条未结帐的消费使用此项目名，请结帐后再改名!"_s.arg(open), Name);
    }
    m_db.execute(Statement::update(Table, row, u"ID"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}
