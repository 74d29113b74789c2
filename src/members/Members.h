#pragma once
// The rules of the member register: enrolling and changing a member, deleting one, recharging a
// card and the member's own password change, and the statements of the member lists (the
// register, the recharge records, a member's past bills). A card number names one member only,
// on every path and in the store; a balance changes by one statement inside the transaction that
// records why, so two counters recharging the same card both count.

#include "db/Database.h"
#include "db/Period.h"
#include "db/Records.h"
#include "db/Refusal.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class Members
{
public:
    static const QString Table;         // 会员管理
    static const QString RechargeTable; // 会员充值
    static const QString BillTable;     // 结帐管理
    static const QString BillLineTable; // 结帐明细

    explicit Members(const Database &db);

    // The password every new member starts with, the operators' default.
    static QString defaultPassword();
    // The enrolment screen's caption, which tells the operator that password.
    static QString enrolCaption();
    static Statement listQuery();
    static Statement rechargeQuery();
    // The bills settled within the period, narrowed to those whose field contains the value
    // (anywhere, the value taken verbatim, wildcards included) when a value is given. Throws
    // UnknownColumnError for a field 结帐管理 lacks, before anything runs.
    static Statement billsQuery(const Period &period, const QString &field = {}, const QString &value = {});
    // "2026-04-01 至 2026-04-30", as a printed list names its days.
    static QString periodText(const Period &period);
    // The detail rows of one settled bill.
    static Statement billLinesQuery(const QString &billNumber);

    // The names of the member types, in the order they were added.
    QStringList typeNames() const;

    // Enrols a member from the boxes of the enrolment screen: 0 points and a balance of 0
    // whatever the type says, state "可用", the default password stored as a hash, enrolled
    // today. An empty type is "未设置", an empty sex "男"; an empty telephone or note is left
    // out. Returns the new row number. Throws Refusal (no card number or name, a card number
    // another member has) or DbError.
    qint64 enrol(const ColumnValues &values, const QDate &today = QDate::currentDate()) const;
    // Writes the boxes of the edit screen. asLoaded holds the balance and points as the screen
    // showed them: each is written only when the operator changed it, so a payment or recharge
    // made at another counter meanwhile is not overwritten. Throws Refusal (no card number, name
    // or type, a card number another member has, an amount beyond the limit, the member deleted
    // meanwhile) or DbError.
    void change(qint64 rowNumber, const ColumnValues &values, const ColumnValues &asLoaded = {}) const;
    // Deletes a member whose balance is 0; a member who still holds money (or owes it) is
    // refused with the balance named. A member already gone is no error.
    void remove(qint64 rowNumber) const;

    // Adds the amount (negative for "充负数") to the member's balance and writes the recharge
    // record, in one transaction. Returns the new balance. Throws Refusal (an amount beyond the
    // limit, the member deleted meanwhile) or DbError.
    Money recharge(qint64 rowNumber, Money amount, const QString &note, const QString &operatorName,
                   const QDateTime &now = QDateTime::currentDateTime()) const;

    // The member's own password change: the old password must verify against the stored hash
    // (wrong ones are counted and lock the card as at checkout), then the new one and its
    // confirmation must agree; the new one is stored as a hash.
    void changePassword(const QString &cardNumber, const QString &oldPassword, const QString &newPassword,
                        const QString &confirmation, const QDateTime &now = QDateTime::currentDateTime()) const;

    static QString duplicateCardMessage();
    static QString balanceNotZeroMessage(Money balance);

private:
    bool cardTaken(const QString &cardNumber, std::optional<qint64> except) const;

    Database m_db;
};
