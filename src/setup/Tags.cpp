#include "Tags.h"

#include "db/Refusal.h"
#include "db/Transaction.h"

#include <limits>

using namespace Qt::StringLiterals;

namespace {

const QString Number = u"手牌号码"_s;
const QString RoomType = u"所属包厢"_s;
const QString State = u"手牌状态"_s;
const QString TypeName = u"包厢类型"_s;

QString textOf(const ColumnValues &values, const QString &column)
{
    for (const auto &[name, value] : values) {
        if (name == column)
            return value.textValue();
    }
    return {};
}

bool has(const ColumnValues &values, const QString &column)
{
    for (const auto &pair : values) {
        if (pair.first == column)
            return true;
    }
    return false;
}

QString occupiedMessage()
{
    return u"该手牌处于占用状态，请先结帐！"_s;
}

} // namespace

const QString Tags::RoomTypeTable = u"包厢类型"_s;
const QString Tags::TagTable = u"手牌管理"_s;

Tags::Tags(const Database &db) : m_db(db) {}

Statement Tags::roomTypesQuery()
{
    return Statement(u"select * from 包厢类型"_s);
}

Statement Tags::allTagsQuery()
{
    return Statement(u"select * from 手牌管理"_s);
}

Statement Tags::tagsOf(const QString &roomType)
{
    return Statement(u"select * from 手牌管理 where 所属包厢="_s).text(roomType);
}

QStringList Tags::settableStates()
{
    return {tagStateText(TagState::Free), tagStateText(TagState::Disabled), tagStateText(TagState::Reserved)};
}

QStringList Tags::batchNumbers(const TagBatch &batch)
{
    if (batch.start.trimmed().isEmpty())
        throw Refusal(u"请输入手牌的起始值和终止值！"_s, u"start"_s);
    if (batch.end.trimmed().isEmpty())
        throw Refusal(u"请输入手牌的起始值和终止值！"_s, u"end"_s);
    bool startOk = false;
    bool endOk = false;
    const qint64 start = batch.start.trimmed().toLongLong(&startOk);
    const qint64 end = batch.end.trimmed().toLongLong(&endOk);
    if (!startOk || start < 0 || start > std::numeric_limits<qint32>::max())
        throw Refusal(u"起始值必须是0到%1之间的整数!"_s.arg(std::numeric_limits<qint32>::max()), u"start"_s);
    if (!endOk || end < 0 || end > std::numeric_limits<qint32>::max())
        throw Refusal(u"终止值必须是0到%1之间的整数!"_s.arg(std::numeric_limits<qint32>::max()), u"end"_s);
    if (end < start)
        throw Refusal(u"终止值不能小于起始值!"_s, u"end"_s);
    if (end - start + 1 > BatchLimit)
        throw Refusal(u"一次最多添加%1个手牌!"_s.arg(BatchLimit), u"end"_s);
    QStringList numbers;
    numbers.reserve(int(end - start + 1));
    for (qint64 n = start; n <= end; ++n) {
        const QString digits = QString::number(n);
        numbers.append(batch.markerInFront ? batch.marker + digits : digits + batch.marker);
    }
    return numbers;
}

QStringList Tags::roomTypeNames() const
{
    QStringList names;
    Cursor c = m_db.query(Statement(u"select 包厢类型 from 包厢类型 order by id"_s));
    while (c.next())
        names.append(c.text(TypeName));
    return names;
}

QStringList Tags::billingMethods() const
{
    QStringList names;
    Cursor c = m_db.query(Statement(u"select 计费方式 from 计费设置"_s));
    while (c.next())
        names.append(c.text(u"计费方式"_s));
    return names;
}

// The board shows one page per room type, captioned with its name, and tags find their room
// type by it: a blank name or one taken twice would put tags on no page or on two.
void Tags::requireFreeName(const QString &name, qint64 exceptRow) const
{
    if (name.trimmed().isEmpty())
        throw Refusal(u"包厢类型必须填写!"_s, TypeName);
    const qint64 taken =
        m_db.scalar(Statement(u"select count(*) from 包厢类型 where 包厢类型 = "_s).text(name).sql(u" and id <> "_s).integer(exceptRow))
            .toLongLong();
    if (taken > 0)
        throw Refusal(u"包厢类型\"%1\"已经存在!"_s.arg(name), TypeName);
}

qint64 Tags::addRoomType(const ColumnValues &values) const
{
    Transaction tx(m_db);
    requireFreeName(textOf(values, TypeName), -1);
    const qint64 row = m_db.insert(RoomTypeTable, values);
    tx.commit();
    return row;
}

void Tags::changeRoomType(qint64 rowNumber, const ColumnValues &values) const
{
    Transaction tx(m_db);
    const QVariant old = m_db.scalar(Statement(u"select 包厢类型 from 包厢类型 where id = "_s).integer(rowNumber));
    if (!old.isValid())
        throw Refusal(u"该包厢类型已被删除，无法保存修改!"_s);
    if (has(values, TypeName)) {
        const QString name = textOf(values, TypeName);
        requireFreeName(name, rowNumber);
        if (name != old.toString()) {
            m_db.execute(Statement(u"update 手牌管理 set 所属包厢 = "_s).text(name).sql(u" where 所属包厢 = "_s).text(old.toString()));
            m_db.execute(Statement(u"update 手牌开单 set 包厢类型 = "_s).text(name).sql(u" where 包厢类型 = "_s).text(old.toString()));
        }
    }
    m_db.execute(Statement::update(RoomTypeTable, values, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

void Tags::removeRoomType(qint64 rowNumber) const
{
    Transaction tx(m_db);
    const QVariant name = m_db.scalar(Statement(u"select 包厢类型 from 包厢类型 where id = "_s).integer(rowNumber));
    if (!name.isValid())
        return; // already gone
    const qint64 tags =
        m_db.scalar(Statement(u"select count(*) from 手牌管理 where 所属包厢 = "_s).text(name.toString())).toLongLong();
    if (tags > 0)
        throw Refusal(u"包厢类型\"%1\"下还有%2个手牌，请先删除这些手牌或把它们改到别的包厢类型!"_s.arg(name.toString()).arg(tags));
    m_db.execute(Statement::remove(RoomTypeTable, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

bool Tags::tagInUse(const QString &tag) const
{
    const QVariant state = m_db.scalar(Statement(u"select 手牌状态 from 手牌管理 where 手牌号码 = "_s).text(tag));
    if (state.toString() == tagStateText(TagState::Occupied))
        return true;
    const qint64 bills = m_db.scalar(Statement(u"select count(*) from 手牌开单 where 手牌号码 = "_s)
                                         .text(tag)
                                         .sql(u" or 主手牌号 = "_s)
                                         .text(tag))
                             .toLongLong();
    const qint64 lines = m_db.scalar(Statement(u"select count(*) from 手牌消费 where 手牌号码 = "_s)
                                         .text(tag)
                                         .sql(u" or 主手牌号 = "_s)
                                         .text(tag))
                             .toLongLong();
    return bills > 0 || lines > 0;
}

void Tags::requireNewTagNumber(const QString &number) const
{
    // Tag numbers compare case-sensitively, as the unique index does.
    const qint64 taken =
        m_db.scalar(Statement(u"select count(*) from 手牌管理 where 手牌号码 = "_s).text(number)).toLongLong();
    if (taken > 0)
        throw Refusal(u"手牌号码重复!"_s, Number);
}

namespace {

void requireTagBoxes(const ColumnValues &values)
{
    for (const QString &column : {Number, RoomType, State}) {
        if (textOf(values, column).trimmed().isEmpty())
            throw Refusal(u"手牌号码 所属包厢 手牌状态必须填写!"_s, column);
    }
    if (!Tags::settableStates().contains(textOf(values, State)))
        throw Refusal(u"手牌状态只能是可用、停用或预定!"_s, State);
}

} // namespace

// A tag is shown on its room type's page of the board; a room type that does not exist has none.
void Tags::requireRoomType(const QString &name) const
{
    const qint64 found =
        m_db.scalar(Statement(u"select count(*) from 包厢类型 where 包厢类型 = "_s).text(name)).toLongLong();
    if (found == 0)
        throw Refusal(u"包厢类型\"%1\"不存在!"_s.arg(name), RoomType);
}

qint64 Tags::addTag(const ColumnValues &values) const
{
    requireTagBoxes(values);
    Transaction tx(m_db);
    requireRoomType(textOf(values, RoomType));
    requireNewTagNumber(textOf(values, Number));
    const qint64 row = m_db.insert(TagTable, values);
    tx.commit();
    return row;
}

void Tags::changeTag(qint64 rowNumber, const ColumnValues &values) const
{
    requireTagBoxes(values);
    Transaction tx(m_db);
    const QVariant old = m_db.scalar(Statement(u"select 手牌号码 from 手牌管理 where id = "_s).integer(rowNumber));
    if (!old.isValid())
        throw Refusal(u"该手牌已被删除，无法保存修改!"_s);
    // Open bills and lines find their tag by its number and the board by its state.
    if (tagInUse(old.toString()))
        throw Refusal(occupiedMessage());
    requireRoomType(textOf(values, RoomType));
    const QString number = textOf(values, Number);
    if (number != old.toString())
        requireNewTagNumber(number);
    m_db.execute(Statement::update(TagTable, values, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

void Tags::removeTag(qint64 rowNumber) const
{
    Transaction tx(m_db);
    const QVariant number = m_db.scalar(Statement(u"select 手牌号码 from 手牌管理 where id = "_s).integer(rowNumber));
    if (!number.isValid())
        return; // already gone
    if (tagInUse(number.toString()))
        throw Refusal(u"手牌\"%1\"正在使用(占用或有未结帐的消费)，请先结帐再删除!"_s.arg(number.toString()));
    m_db.execute(Statement::remove(TagTable, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

qint64 Tags::addBatch(const TagBatch &batch) const
{
    const QStringList numbers = batchNumbers(batch);
    if (batch.roomType.trimmed().isEmpty())
        throw Refusal(u"手牌号码 所属包厢 手牌状态必须填写!"_s, RoomType);
    Transaction tx(m_db);
    requireRoomType(batch.roomType);
    for (const QString &number : numbers) {
        const qint64 taken =
            m_db.scalar(Statement(u"select count(*) from 手牌管理 where 手牌号码 = "_s).text(number)).toLongLong();
        if (taken > 0)
            throw Refusal(u"手牌号码重复! 手牌\"%1\"已经存在，这一批手牌都没有添加。"_s.arg(number), u"start"_s);
        m_db.execute(Statement::insert(TagTable, {{Number, SqlValue::text(number)},
                                                  {RoomType, SqlValue::text(batch.roomType)},
                                                  {State, SqlValue::text(tagStateText(TagState::Free))},
                                                  {u"所在位置"_s, SqlValue::text(batch.location)},
                                                  {u"包厢性质"_s, SqlValue::text(batch.nature)}}));
    }
    tx.commit();
    return numbers.size();
}

std::optional<QString> Tags::stateOf(const QString &tag) const
{
    Cursor c = m_db.query(Statement(u"select 手牌状态 from 手牌管理 where 手牌号码 = "_s).text(tag));
    if (!c.next())
        return std::nullopt;
    return c.text(State);
}

void Tags::setState(const QString &tag, TagState state) const
{
    if (state == TagState::Occupied)
        throw Refusal(occupiedMessage());
    const int touched = m_db.execute(Statement(u"update 手牌管理 set 手牌状态 = "_s)
                                         .text(tagStateText(state))
                                         .sql(u" where 手牌号码 = "_s)
                                         .text(tag)
                                         .sql(u" and (手牌状态 is null or 手牌状态 <> "_s)
                                         .text(tagStateText(TagState::Occupied))
                                         .sql(u")"_s));
    if (touched == 0) {
        if (!stateOf(tag))
            throw Refusal(u"手牌\"%1\"已被删除!"_s.arg(tag));
        throw Refusal(occupiedMessage());
    }
}
