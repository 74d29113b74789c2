#pragma once
// Putting a backup in the place of the embedded database. The chosen file is examined first and
// anything that is not a whole database of this program is refused, changing nothing. A good one
// is copied beside data.mdb and checked again, the database it replaces is kept beside it
// (data.mdb.before-restore-<date-time>), and the copy then takes data.mdb's name in one rename.
// The program ends afterwards: the restored file is used from the next start on.

#include "db/Database.h"
#include "db/Refusal.h"

#include <QDateTime>
#include <QString>

namespace Restore {

class Refused : public Refusal
{
public:
    explicit Refused(const QString &message);
};

// Refused for a database on a server: there is no file here to restore.
void checkEmbedded(const Database &db);

// The name the replaced database is kept under, beside it.
QString keptName(const QString &databaseFile, const QDateTime &now);

// Replaces the database the connection works on with the chosen backup and returns where the
// replaced one is kept. The connection is closed for it; after a refusal the next statement opens
// it again on the unchanged file. Refused for a database on a server, a file that is no database of
// this program, the database itself, and a database another program still has open.
QString restore(const Database &db, const QString &chosen, const QDateTime &now);

// What the operator is told when it is done.
QString doneMessage(const QString &kept);

} // namespace Restore
