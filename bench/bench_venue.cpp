// Makes the bench venue when it is missing and prints where it is.
// Usage: bench_venue [sqlite|postgresql] [seed]
//   postgresql: the database VESK_BENCH_PG names (a connection string in the program's form).
#include "Venue.h"

#include <QCoreApplication>
#include <QTextStream>

#include <exception>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const Venue::Kind kind = args.value(0) == u"postgresql"_s ? Venue::Kind::PostgreSql : Venue::Kind::Sqlite;
    const quint64 seed = args.size() > 1 ? args.at(1).toULongLong() : Venue::DefaultSeed;
    QTextStream out(stdout);
    QTextStream err(stderr);
    try {
        const Venue::Place place = Venue::ensure(kind, seed, Venue::Size::full(), &err);
        const Venue::WritingTimes &w = place.writing;
        err << u"%1 bills, %2 details, %3 commission rows; history written through the data layer in %4 s"_s
                   .arg(w.bills)
                   .arg(w.details)
                   .arg(w.commissions)
                   .arg(w.dataLayerMs / 1000, 0, 'f', 1);
        if (w.rawMs >= 0)
            err << u", through the sqlite3 C API in %1 s (building the rows alone %2 s)"_s
                       .arg(w.rawMs / 1000, 0, 'f', 1)
                       .arg(w.buildMs / 1000, 0, 'f', 1);
        err << Qt::endl;
        out << (place.path.isEmpty() ? place.connectionString : place.path) << Qt::endl;
    } catch (const DbError &e) {
        err << u"bench_venue: "_s << e.text() << Qt::endl;
        return 1;
    } catch (const std::exception &e) {
        err << u"bench_venue: "_s << QString::fromLocal8Bit(e.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
