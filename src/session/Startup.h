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

QString systemIniPath(const QString &appDir);
// The first start finds no system.ini: the delivered one is written there, so the program starts
// with its own texts and the local database. True when it wrote the file.
bool deliverSystemIniIfMissing(const QString &appDir);
// Reads the keys in the order the program has always read them; missing ones read "0".
StartupSettings readSettings(const IniFile &ini);
// Opens the shared connection; throws DbError when it cannot be opened.
Database openShared(const StartupSettings &settings, const QString &appDir);

} // namespace Startup
