#pragma once
// Creating the database a venue starts with: the eighteen tables, their indexes and
// the delivered rows, for the embedded file or for a server.

#include "db/Database.h"

namespace DeliveredDatabase {

// The password the delivered operator "超级管理员" starts with; the login pre-fills it.
QString defaultOperatorPassword();
QString defaultOperatorName();

QString schemaScript(DbKind kind);
// The system.ini shipped beside the executable.
QByteArray deliveredIni();

// True when the database already holds any of the system's tables.
bool holdsTables(const Database &db);
// The program's tables the database lacks, in the order they are created; empty for a database
// of this program. A file that is no database at all lacks every one.
QStringList missingTables(const Database &db);
// A database of an earlier version of the program holds the system's tables but not the ones the
// program added since (密码错误): those are created, with their indexes, in one transaction. A
// database without the system's tables is left alone. Throws DbError.
void addProgramTables(const Database &db);
// Creates tables, indexes and delivered rows in one transaction. Throws DbError,
// and refuses a database that already holds the tables.
void create(const Database &db);

// Creates a delivered database at a SQLite path or at the server a connection string
// names. Refuses, changing nothing, when the target already holds the tables. Throws DbError.
void createAt(const QString &target, const QString &baseDir);

} // namespace DeliveredDatabase
