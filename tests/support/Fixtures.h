#pragma once
// Rows that tests put into a fresh database: room types, tags, open bills, lines, operators.

#include "card/CardReader.h"
#include "db/Database.h"
#include "session/RunState.h"
#include "widgets/ScreenContext.h"

#include <QDateTime>
#include <QObject>
#include <QString>

namespace Fixtures {

// The named control of a screen; a test without it cannot go on, so a missing one ends the run.
template<class T> T *childNamed(const QObject *screen, const QString &name)
{
    T *w = screen->findChild<T *>(name);
    if (!w)
        qFatal("%s has no %s", qPrintable(screen->objectName()), qPrintable(name));
    return w;
}

void addRoomType(const Database &db, const QString &name, const QString &ticket = QStringLiteral("0"));
void addTag(const Database &db, const QString &number, const QString &roomType, const QString &state);
// An open bill on tag, joined to the bill of master (itself for a single tag).
void openBill(const Database &db, const QString &tag, const QString &master, const QDateTime &arrival,
              const QString &deposit = QStringLiteral("0"));
void addLine(const Database &db, const QString &tag, const QString &master, const QString &item,
             const QString &amount);
// A line with everything the checkout copies: price, rate, quantity, commission, waiter.
void addFullLine(const Database &db, const QString &tag, const QString &master, const QString &item,
                 const QString &price, double rate, qint64 quantity, const QString &commission,
                 const QString &waiterNumber = QStringLiteral("001"),
                 const QString &waiterName = QStringLiteral("小李"));
void addMemberType(const Database &db, const QString &name, double rate);
// Returns the member's row number.
qint64 addMember(const Database &db, const QString &card, const QString &password, const QString &type,
                 const QString &balance, qint64 points);
void setBillCounter(const Database &db, qint64 last);
void addOperator(const Database &db, const QString &name, const QString &password, const Permissions &flags);
qint64 count(const Database &db, const QString &table);

// A state for the run of a test, logged in as the delivered operator with every permission.
RunState runState(const Database &db, const QString &appDir);

// What a screen under test is given: the run's view, the test's prompt and a card reader over
// the simulated card of the run's folder.
struct ScreenRig
{
    ScreenRig(const RunState &run, Prompt &prompt);

    std::unique_ptr<ReaderDevice> device;
    std::unique_ptr<CardReader> reader;
    ScreenContext context;
};

} // namespace Fixtures
