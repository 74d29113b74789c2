#pragma once
// Prepared statements kept per connection, so that a statement the counter runs again and again
// (the lines of a bill, the tags of the board, the inserts of a settlement) is parsed and planned
// once. A statement is taken out while a cursor or an execution uses it and given back
// afterwards, so two cursors over the same text never share one.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace StatementCache {

struct Taken
{
    QSqlQuery query;
    bool prepared = false;  // false when preparing failed: the query holds the error
    quint64 generation = 0; // handed back to give()
};

// A prepared query for that text on that connection: a cached one, or a new one prepared now.
Taken take(const QSqlDatabase &db, const QString &sql);
// Gives a query back once its rows are read or abandoned; it is reset first, so it holds no
// read lock while it waits. A query that failed, or was taken before the connection was
// forgotten, is dropped instead.
void give(const QSqlDatabase &db, const QString &sql, QSqlQuery query, quint64 generation);
// Forgets every statement of that connection: before it closes, and when the server went away
// (a server forgets its prepared statements with the session).
void forget(const QString &connectionName);
// How many statements of that connection are waiting for reuse (for tests).
int cachedCount(const QString &connectionName);

} // namespace StatementCache
