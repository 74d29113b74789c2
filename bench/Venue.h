#pragma once
// A venue at the scale the counter must stay quick at: five years of a busy bath-house, made
// from a seed through the program's own data layer, so that every bench measures the same rows.
//
//   const Venue::Place venue = Venue::ensure(Venue::Kind::Sqlite);
//   Database db = Database::open(venue.connectionString, {}, u"bench"_s);
//
// A generated venue is kept between runs (see cacheDir()); its name carries the seed, the
// generator's version, the schema it was made with and its size, so a change of any of them makes
// a new one. Its history ends on the day it was made. Same seed, size and last day: the same rows.

#include "db/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>

class QTextStream;

namespace Venue {

// Raise it whenever the rows generate() writes change.
inline constexpr int GeneratorVersion = 1;
inline constexpr quint64 DefaultSeed = 20240611;

enum class Kind
{
    Sqlite,
    PostgreSql
};

struct Size
{
    int roomTypes = 10;
    int tags = 1000; // spread evenly over the room types
    int items = 20000;
    int waiters = 200;
    int members = 50000;
    int bills = 500000; // about five lines each, three in five with a waiter's commission
    int years = 5;

    static Size full() { return {}; }
    // A venue small enough for a test.
    static Size tiny() { return {3, 30, 200, 10, 100, 2000, 1}; }
    bool operator==(const Size &) const = default;
};

// How long writing the history (bills, their details and the commission rows) took, through the
// data layer and, for the embedded database, through the sqlite3 C API with each statement
// prepared once and the same transactions. Negative when not measured.
struct WritingTimes
{
    qint64 bills = 0;
    qint64 details = 0;
    qint64 commissions = 0;
    double dataLayerMs = -1;
    double rawMs = -1;
    double buildMs = -1; // building the same rows and writing them nowhere, which both figures include
};

struct Place
{
    QString connectionString; // for Database::open; an SQLite file is named by its absolute path
    QString path;             // the SQLite file; empty for a server
    WritingTimes writing;     // as measured when the venue was generated
    QDate lastDay;            // the last day of its history, the day it was generated
    bool generated = false;   // made by this call, not found ready
};

// The folder generated venues are kept in: $XDG_CACHE_HOME/vesk-bench, else ~/.cache/vesk-bench.
QString cacheDir();

// Finds the venue of that seed and size or generates it, ending today. The embedded one is a
// file in cacheDir(); PostgreSQL's is the database VESK_BENCH_PG names (a connection string in
// the program's form), made again when it is missing or was made by another generator, schema,
// seed or size. Progress goes to log when given. Throws DbError or std::runtime_error.
Place ensure(Kind kind, quint64 seed = DefaultSeed, const Size &size = Size::full(),
             QTextStream *log = nullptr);

// Writes a venue into db, a delivered database that holds nothing else yet: room types, tags,
// the catalogue, waiters, member types, members, and the history up to lastDay. The history is
// written in large transactions; relaxing durability meanwhile is the caller's choice. With
// rawPath (an empty delivered SQLite database), the same history is written there again through
// the sqlite3 C API, for the comparison in the returned times.
WritingTimes generate(const Database &db, quint64 seed, const Size &size, const QDate &lastDay,
                      QTextStream *log = nullptr, const QString &rawPath = {});

// What the benches log in and look up with.
QString memberCard(int index);     // the card number of the index-th member (from 0)
QString memberPassword(int index); // and its password
QString operatorName();            // the operator the history is written by

} // namespace Venue
