#include "Operators.h"

#include "db/PasswordHash.h"
#include "db/Refusal.h"
#include "db/Transaction.h"
#include "session/Attempts.h"

using namespace Qt::StringLiterals;

namespace {

const QString SuperOperator = u"超级管理员"_s;

const SqlValue *valueOf(const ColumnValues &values, const QString &column)
{
    for (const auto &[name, value] : values) {
        if (name == column)
            return &value;
    }
    return nullptr;
}

QString nameOf(const ColumnValues &values)
{
    const SqlValue *v = valueOf(values, Operators::Name);
    return v ? v->textValue().trimmed() : QString();
}

// The name as the login will be asked for it: without the blanks around it.
ColumnValues withTrimmedName(ColumnValues values)
{
    for (auto &[name, value] : values) {
        if (name == Operators::Name)
            value = SqlValue::text(value.textValue().trimmed());
    }
    return values;
}

QString lockOutMessage()
{
    return u"至少要有一个管理员拥有“管理员管理”权限，否则没有人能再管理操作员！"_s;
}

} // namespace

const QString Operators::Table = u"管理员"_s;
const QString Operators::Name = u"用户名"_s;
const QString Operators::Password = u"密码"_s;

Operators::Operators(const Database &db) : m_db(db) {}

QString Operators::defaultPassword()
{
    return u"1234"_s;
}

QString Operators::caption()
{
    return u"管理员管理 （新用户默认初始密码为：%1）"_s.arg(defaultPassword());
}

const QList<Permission> &Operators::editable()
{
    static const QList<Permission> boxes{
        Permission::AdminSettings, Permission::Members,    Permission::Catalogue, Permission::Tags,
        Permission::OpenBill,      Permission::Checkout,   Permission::DataClear, Permission::AddConsumption,
        Permission::Queries,       Permission::Waiters,    Permission::Backup,    Permission::Restore,
        Permission::CancelBill,    Permission::FreeBill,
    };
    return boxes;
}

Statement Operators::listQuery()
{
    return Statement(u"select * from 管理员"_s);
}

QString Operators::deleteQuestion(const QString &name)
{
    return u"您是否要删除\" "_s + name + u"\""_s;
}

QString Operators::restartMessage()
{
    return u"重启软件后,新的设置才能生效!"_s;
}

void Operators::requireFreeName(const ColumnValues &values, qint64 rowNumber) const
{
    const QString name = nameOf(values);
    if (name.isEmpty())
        throw Refusal(u"用户名必须填写！"_s, Name);
    const qint64 taken = m_db.scalar(Statement(u"select count(*) from 管理员 where 用户名="_s)
                                         .text(name)
                                         .sql(u" and id <> "_s)
                                         .integer(rowNumber))
                             .toLongLong();
    if (taken > 0)
        throw Refusal(u"用户名“%1”已被其他操作员使用，请换一个用户名！"_s.arg(name), Name);
}

// Operators other than this row who hold 管理员设置, read under a lock so that two counters
// cannot each take the flag from a different one of the last two holders.
qint64 Operators::otherAdministrators(qint64 rowNumber) const
{
    const Dialect dialect = m_db.dialect();
    Cursor c = m_db.query(Statement(u"select id from "_s + dialect.lockedTable(Table) + u" where 管理员设置 = "_s)
                              .boolean(true)
                              .sql(u" and id <> "_s)
                              .integer(rowNumber)
                              .sql(dialect.forUpdate()));
    qint64 n = 0;
    while (c.next())
        ++n;
    return n;
}

qint64 Operators::add(const ColumnValues &values) const
{
    const ColumnValues row = withTrimmedName(values);
    Transaction tx(m_db);
    requireFreeName(row, -1);
    ColumnValues stored = row;
    stored.append({Password, SqlValue::text(PasswordHash::hash(defaultPassword()))});
    const qint64 rowNumber = m_db.insert(Table, stored);
    tx.commit();
    return rowNumber;
}

void Operators::change(qint64 rowNumber, const ColumnValues &values) const
{
    const ColumnValues row = withTrimmedName(values);
    Transaction tx(m_db);
    bool holds = false;
    {
        Cursor c = m_db.query(Statement(u"select 管理员设置 from 管理员 where id = "_s).integer(rowNumber));
        if (!c.next())
            throw Refusal(u"该操作员已被删除，无法保存修改!"_s);
        holds = c.boolean(permissionColumn(Permission::AdminSettings));
    }
    if (valueOf(row, Name))
        requireFreeName(row, rowNumber);
    const SqlValue *admin = valueOf(row, permissionColumn(Permission::AdminSettings));
    if (admin && !admin->booleanValue() && holds && otherAdministrators(rowNumber) == 0)
        throw Refusal(lockOutMessage(), permissionColumn(Permission::AdminSettings));
    // A password is never written here: only its own screen changes it.
    ColumnValues written;
    for (const auto &cv : row) {
        if (cv.first != Password)
            written.append(cv);
    }
    m_db.execute(Statement::update(Table, written, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

void Operators::requireRemovable(qint64 rowNumber) const
{
    QString name;
    bool admin = false;
    {
        Cursor c = m_db.query(Statement(u"select 用户名, 管理员设置 from 管理员 where id = "_s).integer(rowNumber));
        if (!c.next())
            return; // already gone
        name = c.text(Name);
        admin = c.boolean(permissionColumn(Permission::AdminSettings));
    }
    if (m_db.scalar(Statement(u"select count(*) from 管理员"_s)).toLongLong() <= 1)
        throw Refusal(u"至少留有一个管理员！！"_s);
    if (name == SuperOperator)
        throw Refusal(u"超级管理员 用户不能删除！"_s);
    if (admin && otherAdministrators(rowNumber) == 0)
        throw Refusal(lockOutMessage());
}

void Operators::checkRemovable(qint64 rowNumber) const
{
    requireRemovable(rowNumber);
}

void Operators::remove(qint64 rowNumber) const
{
    Transaction tx(m_db);
    requireRemovable(rowNumber);
    m_db.execute(Statement::remove(Table, u"id"_s, SqlValue::integer(rowNumber)));
    tx.commit();
}

void Operators::changePassword(const QString &name, const QString &oldPassword, const QString &newPassword,
                               const QString &confirmation, const QDateTime &now) const
{
    Attempts::checkNotLocked(m_db, Attempts::Kind::Operator, name, now);
    qint64 found = -1;
    {
        // Databases from before names were unique may still hold two of a name: the row whose
        // password verifies is the operator's, as at the login.
        Cursor c = m_db.query(Statement(u"select id, 密码 from 管理员 where 用户名="_s).text(name).sql(u" order by id"_s));
        while (found < 0 && c.next()) {
            if (PasswordHash::verify(oldPassword, c.text(Password)))
                found = c.integer(u"id"_s);
        }
    }
    if (found < 0) {
        Attempts::recordFailure(m_db, Attempts::Kind::Operator, name, now);
        throw Refusal(u"旧密码输入错误！"_s, u"旧密码"_s);
    }
    Attempts::clear(m_db, Attempts::Kind::Operator, name);
    if (newPassword != confirmation)
        throw Refusal(u"两次输入的新密码不一致！"_s, u"新密码"_s);
    if (!Records::update(m_db, Table, found, {{Password, SqlValue::text(PasswordHash::hash(newPassword))}}))
        throw Refusal(u"该操作员已被删除，无法保存修改!"_s);
}
