#pragma once
// What the program reads from system.ini when it starts, and the shared connection.

#include "db/Database.h"
#include "db/IniFile.h"

struct StartupSettings
{
    QString softname;
    QString memo;
    QString tel;
    QString web;
    QString company;
    QString databaseKind;     // `abc`: "a" local file, "s" server; compared exactly
    QString connectionString; // `csaccess`, or `cs` when the kind is "s"
};

namespace Startup {

// The Qt name of the one connection every screen shares.
inline constexpr auto SharedConnection = "ADOConnection1";

// Where system.ini and the embedded data.mdb live: beside the program when its folder can be
// written, as the program has always kept them; for an installed program (its folder under /usr,
// or not writable) the user's data folder, made when missing.
QString dataFolder(const QString &programDir);
QString systemIniPath(const QString &appDir);
// The first start finds no system.ini: the delivered one is written there, so the program starts
// with its own texts and the local database. True when it wrote the file.
bool deliverSystemIniIfMissing(const QString &appDir);
// On the first start in a folder (system.ini just delivered), the delivered embedded database the
// settings name is made when it is missing. A database missing later is not replaced silently:
// the database settings are offered instead. Throws DbError when it cannot be made.
void deliverDatabaseOnFirstStart(const StartupSettings &settings, const QString &appDir);
// Reads the keys in the order the program has always read them; missing ones read "0".
StartupSettings readSettings(const IniFile &ini);
// Opens the shared connection; throws DbError when it cannot be opened.
Database openShared(const StartupSettings &settings, const QString &appDir);

} // namespace Startup
