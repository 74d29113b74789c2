#pragma once
// The rules of the operator accounts: adding, changing and deleting operators with their
// permission flags, and an operator changing his own password. User names are unique, because
// the login finds an operator by name, and some operator always holds 管理员设置, because only
// such an operator can open the operator screen to mend anything.

#include "db/Database.h"
#include "db/Records.h"
#include "session/Permissions.h"

#include <QDateTime>
#include <QList>
#include <QString>

class Operators
{
public:
    static const QString Table;   // 管理员
    static const QString Name;    // 用户名
    static const QString Password; // 密码

    explicit Operators(const Database &db);

    // The password every new operator starts with; new members are given the same.
    static QString defaultPassword();
    // The operator screen's caption, which tells the operator that password.
    static QString caption();
    // The fourteen flags the operator screen edits, in the order of its boxes; 会员开户 and
    // 会员充值 keep what they hold.
    static const QList<Permission> &editable();
    static Statement listQuery();
    static QString deleteQuestion(const QString &name);
    static QString restartMessage();

    // Adds an operator with the default password. `values`: 用户名 and the permission columns the
    // operator set; the others take the table's defaults. Returns the new row number.
    // Throws Refusal (no name, a name taken) or DbError.
    qint64 add(const ColumnValues &values) const;
    // Throws Refusal (no name, a name taken, the row gone, the last holder of 管理员设置
    // losing it) or DbError.
    void change(qint64 rowNumber, const ColumnValues &values) const;
    // Throws the Refusal that forbids deleting this operator, if one does: the only operator,
    // "超级管理员", the last holder of 管理员设置. Asked before the delete question.
    void checkRemovable(qint64 rowNumber) const;
    // Checks again, in the transaction that deletes. A row already gone is no error.
    void remove(qint64 rowNumber) const;

    // The logged-in operator's own password: the old one must verify against the stored hash
    // (a wrong one counts as a guess, Attempts), the new one typed twice alike; it is stored
    // as a hash. Throws Refusal (Attempts::LockedOut among them) or DbError.
    void changePassword(const QString &name, const QString &oldPassword, const QString &newPassword,
                        const QString &confirmation, const QDateTime &now) const;

private:
    void requireFreeName(const ColumnValues &values, qint64 rowNumber) const;
    void requireRemovable(qint64 rowNumber) const;
    qint64 otherAdministrators(qint64 rowNumber) const;

    Database m_db;
};
