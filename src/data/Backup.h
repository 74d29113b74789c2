#pragma once
// Backing up the embedded database while the program works on it. The copy is taken by SQLite
// itself (VACUUM INTO), which reads a consistent snapshot including what the write-ahead log
// holds, written beside the target, checked to open whole with the program's tables, and only
// then put in the target's place; a failure leaves any earlier file of that name untouched.

#include "db/Database.h"
#include "db/Refusal.h"

#include <QDate>
#include <QString>

namespace Backup {

// The name the save dialog proposes: the day, "yyyy-MM-dd", and "备份文件", no extension.
QString proposedName(const QDate &today);

// Copies the database the connection works on to the target path, replacing a file there.
// Refused (Backup::Failed) for a database on a server, and when the copy cannot be made or does
// not check out; the message says why.
void backUp(const Database &db, const QString &target);
// The same in two steps, so that the long one can run on a thread of its own while the windows
// go on painting: the file of the embedded database the connection works on (Failed for a
// database on a server), and the copy of that file, taken through a connection of its own.
QString embeddedFile(const Database &db);
void backUpFile(const QString &databaseFile, const QString &target);

// What a database file holds, read on a connection of its own that cannot write to it: an
// empty text when it opens, passes SQLite's integrity check and has this program's tables,
// else what is wrong with it.
QString checkDatabaseFile(const QString &path);

class Failed : public Refusal
{
public:
    explicit Failed(const QString &message);
};

QString doneMessage(const QString &target);

} // namespace Backup
