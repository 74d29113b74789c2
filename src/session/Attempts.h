#pragma once
// Wrong passwords, counted per member card and per operator in the database so that every
// counter sees them: five wrong ones within ten minutes lock that card or operator for ten
// minutes after the fifth. A right password clears the count.

#include "db/Database.h"
#include "db/Refusal.h"

#include <QDateTime>
#include <QString>

namespace Attempts {

enum class Kind { Member, Operator };
inline constexpr int Allowed = 5;
inline constexpr int LockMinutes = 10;

// Refused while the card or operator is locked; the message says until when.
class LockedOut : public Refusal
{
public:
    LockedOut(Kind kind, const QDateTime &until);
};

// Throws LockedOut while the name is locked at `now`.
void checkNotLocked(const Database &db, Kind kind, const QString &name, const QDateTime &now);
// Counts one wrong password; throws LockedOut when this one locks the name.
void recordFailure(const Database &db, Kind kind, const QString &name, const QDateTime &now);
void clear(const Database &db, Kind kind, const QString &name);

} // namespace Attempts
