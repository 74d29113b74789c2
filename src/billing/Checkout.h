#pragma once
// The rules of settling a bill: what the checkout screen shows for a tag, the member
// lookup and the discount rate, and writing a settled or free bill in one transaction
// with its bill number taken at that moment.

#include "db/Database.h"
#include "db/Refusal.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace Checkout {

// What the screen shows when it opens on a tag.
struct Bill
{
    qint64 shownNumber = 0;   // the counter plus one, at the time of opening
    QString customerName;     // from the tag's open bill
    Money deposit;
    QDateTime arrival;        // invalid when the tag has no open bill
    QList<qint64> lineIds;    // the gathered lines, in the order the database keeps them
    QStringList tagList;      // the tag of every gathered line, one entry per line
    Money total;              // their sum; 0 without lines
};

// The lines of the bill: the tag's own and, for a master tag, those of its whole group.
// Without an order, for grids that order it themselves.
Statement linesQuery(const QString &tag);
// The same lines in the order they were entered.
Statement orderedLinesQuery(const QString &tag);
Bill load(const Database &db, const QString &tag);

struct Member
{
    qint64 id = 0;
    QString cardNumber;
    QString name;
    QString type;
    qint64 points = 0;
    Money balance;
    QString state; // 当前状态: only "可用" may pay or earn points
};
// The member with this card number and password, or nothing. A member whose card is not
// "可用" (停用, 挂失, ...) is refused with MemberNotUsable.
// A wrong password for an existing card is counted, and a locked card is refused
// (Attempts::LockedOut) without looking at the password.
std::optional<Member> lookUp(const Database &db, const QString &cardNumber, const QString &password,
                             const QDateTime &now = QDateTime::currentDateTime());
class MemberNotUsable : public Refusal
{
public:
    explicit MemberNotUsable(const QString &state);
};
// The discount rate of a member type, or nothing when the type is unknown.
std::optional<double> typeRate(const Database &db, const QString &type);
// The rate as the screen shows and applies it: two decimals ("0.88" for 0.875).
QString rateText(double rate);
// The amount to receive for the consumption at a rate typed as text: consumption × rate,
// however often it is applied. The rate must be a number above 0 and at most 1 (BadRate);
// a free bill is settled with "免单", not with a rate of 0.
Money applyRate(Money consumption, const QString &rate);
class BadRate : public Refusal
{
public:
    BadRate();
};

enum class Payment { Cash, Card };

struct Settlement
{
    QString tag;
    qint64 shownNumber = 0;
    QList<qint64> lineIds;   // the lines the cashier saw; settling refuses other ones
    QDateTime arrival;
    Money consumption;
    Money received;
    Payment payment = Payment::Cash;
    std::optional<Member> member;
    QString customerName;
    QString remark;
    QString operatorName;
};

struct Outcome
{
    qint64 billNumber = 0;  // the number the bill was written with
    bool numberChanged = false; // another counter took the number shown meanwhile
};

// Thrown when the bill's lines changed after the screen gathered them.
class BillChanged : public Refusal
{
public:
    BillChanged();
};
// Thrown when the tag has neither an open bill nor lines: settled or cancelled already.
class NothingToSettle : public Refusal
{
public:
    explicit NothingToSettle(const QString &tag);
};

// "结帐": the checkout record, details, commission rows, the member's points and balance,
// the lines and open bills removed, the tags freed, the counter advanced. All or nothing.
// The tags freed are every tag of the bill: those that carry a gathered line and those whose
// open bill is the tag's or names it as master, lines or not. Refused before anything is
// written: amounts beyond Money's limit, nothing received for a bill above 0 (that is a free
// bill), a card payment without a member, lines changed meanwhile, a tag with nothing open.
Outcome settle(const Database &db, const Settlement &s, const QDateTime &now);
// "免单": the same record and details marked free, no commission, no member change.
Outcome settleFree(const Database &db, const Settlement &s, const QDateTime &now);

// The closing message: thanks, and the bill number when it is not the one shown.
QString closingMessage(const Outcome &outcome);
QString noFreeBillPermissionMessage();
QString memberNotFoundMessage();
QString badReceivedAmountMessage();
// Card payment needs an identified member: otherwise nobody's card would be charged.
QString cardNeedsMemberMessage();
// Nothing received for a bill above 0: a free bill needs its permission and its button.
QString nothingReceivedMessage();
QString amountLimitMessage();

} // namespace Checkout
