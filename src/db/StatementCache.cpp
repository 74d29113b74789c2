#include "StatementCache.h"

#include <QMutex>
#include <QMutexLocker>
#include <QHashFunctions>
#include <QSqlError>
#include <list>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Enough for every statement of a screen and of a settlement; the least recently used goes.
constexpr int Capacity = 64;

struct Entry
{
    size_t hash; // compared first: the texts of one connection often share a long beginning
    QString sql;
    QSqlQuery query;
};

struct Connection
{
    quint64 generation = 0;   // counts forget(): a query taken before it is not given back
    std::list<Entry> entries; // most recently given first
};

// Keyed by the Qt connection name: every copy of a Database over one connection shares it.
// Connections live on different threads in tests; each is only used by its own.
QMutex mutex;
std::map<QString, Connection> connections;

} // namespace

namespace StatementCache {

Taken take(const QSqlDatabase &db, const QString &sql)
{
    Taken t;
    {
        QMutexLocker lock(&mutex);
        Connection &c = connections[db.connectionName()];
        t.generation = c.generation;
        const size_t hash = qHash(sql);
        for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
            if (it->hash == hash && it->sql == sql) {
                t.query = std::move(it->query);
                t.prepared = true;
                c.entries.erase(it);
                return t;
            }
        }
    }
    t.query = QSqlQuery(db);
    t.query.setForwardOnly(true);
    t.prepared = t.query.prepare(sql);
    return t;
}

void give(const QSqlDatabase &db, const QString &sql, QSqlQuery query, quint64 generation)
{
    if (!db.isOpen() || query.lastError().isValid())
        return;
    query.finish();
    QMutexLocker lock(&mutex);
    auto found = connections.find(db.connectionName());
    if (found == connections.end() || found->second.generation != generation)
        return;
    Connection &c = found->second;
    c.entries.push_front(Entry{qHash(sql), sql, std::move(query)});
    while (c.entries.size() > Capacity)
        c.entries.pop_back();
}

void forget(const QString &connectionName)
{
    Connection dropped;
    {
        QMutexLocker lock(&mutex);
        auto found = connections.find(connectionName);
        if (found == connections.end())
            return;
        dropped.entries.swap(found->second.entries);
        ++found->second.generation;
    }
    // The queries are destroyed outside the lock: a server statement is deallocated on the way.
}

int cachedCount(const QString &connectionName)
{
    QMutexLocker lock(&mutex);
    const auto found = connections.find(connectionName);
    return found == connections.end() ? 0 : int(found->second.entries.size());
}

} // namespace StatementCache
