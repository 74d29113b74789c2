#pragma once
// The login rules: the operators offered, the pre-filled password, checking a login and
// recording it, the shop's texts, and the exit time of the run.

#include "db/Database.h"
#include "session/Permissions.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace Login {

// Every operator's user name, first to last.
QStringList operatorNames(const Database &db);
// A password already verified against a stored hash in this run. The hash is salted afresh
// whenever a password is stored, so the same stored text still holding means the same password.
struct Verified
{
    QString password;
    QString stored;
};
// The one-character password pre-filled when the first operator still has it (with the hash it
// was verified against), else nothing.
std::optional<Verified> prefilledPassword(const Database &db);
// The same in two steps, so that the slow one can run while the window is being built: the first
// operator's stored hash with the delivered password (nothing when there is no operator), and
// whether that password still verifies against it (it touches no connection, so any thread may
// ask).
std::optional<Verified> prefillCandidate(const Database &db);
bool stillDefault(const Verified &candidate);
struct LoggedIn
{
    Permissions permissions;
    qint64 record = 0; // the 启动记录 row written for this login
};
// Checks name and password; on success records the login (one 启动记录 row) and
// returns the operator's flags. A wrong password of a known operator is counted, and a locked
// operator is refused (Attempts::LockedOut) without looking at the password. A password already
// verified against the very hash stored (the pre-filled one) is not derived a second time.
// Throws DbError.
std::optional<LoggedIn> logIn(const Database &db, const QString &name, const QString &password,
                              const QDateTime &now, const std::optional<Verified> &verified = std::nullopt);
// The shop's name and telephone from the first sysinfo row.
std::pair<QString, QString> shopInfo(const Database &db);
// Writes the exit time into this run's login record. Other counters log in to the same
// database, so the newest record need not be this run's.
void recordExit(const Database &db, qint64 record, const QDateTime &now);

} // namespace Login
