#pragma once
// The rules of opening a bill on one hand tag or a group of them: the room type's fees, the
// free tags that may join, and the writes that mark the tags occupied, open one bill per tag
// and charge the entry ticket.

#include "db/Database.h"
#include "db/Money.h"
#include "db/Refusal.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace OpenBill {

struct RoomCharges
{
    Money initialFee;
    Money ticket;
    Money total() const { return initialFee + ticket; }
};
// The fees of the room type; nought for both when the room type has no row.
RoomCharges roomCharges(const Database &db, const QString &roomType);

// The tags of the room type still free, other than the master tag (none when empty), in the order
// they were added.
QStringList freeTags(const Database &db, const QString &roomType, const QString &master);

struct Request
{
    QString master;
    QStringList tags; // the bill's tags, the master first
    QString roomType;
    RoomCharges charges; // as shown when the screen opened
    QString customer;
    QString deposit; // as typed
    QString remark;
    QString operatorName;
    QDateTime now;
};

// The deposit typed is no amount, is below 0, or is beyond the limit of a single amount.
class BadDeposit : public Refusal
{
public:
    explicit BadDeposit(const QString &message);
};
// A tag of the bill is free no longer: another counter took it, or it was never free.
class TagTaken : public Refusal
{
public:
    explicit TagTaken(const QString &tag);
    const QString &tag() const { return m_tag; }

private:
    QString m_tag;
};

QString badDepositMessage();
QString negativeDepositMessage();
QString tagTakenMessage(const QString &tag);

// All or nothing: every tag must still be free when it is marked, else nothing is written.
// Throws BadDeposit or TagTaken (refusals) or DbError, having written nothing.
void open(const Database &db, const Request &request);

} // namespace OpenBill
