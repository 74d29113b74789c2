#include "TestDatabase.h"

#include "data/DeliveredDatabase.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

QString serverSpec()
{
    return qEnvironmentVariable("VESK_TEST_PG");
}

int counter = 0;

QString withCatalog(const QString &connectionString, const QString &catalog)
{
    const ConnectionString cs = ConnectionString::parse(connectionString);
    return ConnectionString::compose({{u"Provider"_s, u"PostgreSQL"_s},
                                      {u"Data Source"_s, cs.value(u"Data Source"_s)},
                                      {u"User ID"_s, cs.value(u"User ID"_s)},
                                      {u"Password"_s, cs.value(u"Password"_s)},
                                      {u"Initial Catalog"_s, catalog}});
}

void runOnMaintenance(const QString &sql)
{
    const QString name = u"vesk-test-maintenance"_s;
    {
        const Database m = Database::open(serverSpec(), QString(), name);
        QSqlQuery q(m.handle());
        if (!q.exec(sql))
            qWarning("maintenance statement failed: %s", qPrintable(sql));
    }
    Database::remove(name);
}

} // namespace

QStringList TestDatabase::availableKinds()
{
    QStringList kinds{u"sqlite"_s};
    if (!serverSpec().isEmpty())
        kinds.append(u"postgresql"_s);
    return kinds;
}

void TestDatabase::addKindRows()
{
    QTest::addColumn<QString>("kind");
    for (const QString &k : availableKinds())
        QTest::newRow(k.toUtf8().constData()) << k;
}

TestDatabase::TestDatabase(const QString &kind, Content content) : m_kind(kind)
{
    m_connectionName = u"vesk-test-%1-%2"_s.arg(kind).arg(++counter);
    if (kind == u"sqlite"_s) {
        const QString path = m_dir.filePath(u"data.mdb"_s);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.close();
        m_connectionString = u"Provider=SQLite;Data Source=data.mdb"_s;
    } else {
        m_serverDatabase = u"vesk_test_%1"_s.arg(QUuid::createUuid().toString(QUuid::Id128));
        runOnMaintenance(u"create database "_s + m_serverDatabase);
        m_connectionString = withCatalog(serverSpec(), m_serverDatabase);
    }
    m_db = Database::open(m_connectionString, m_dir.path(), m_connectionName);
    if (content == Content::Delivered)
        DeliveredDatabase::create(m_db);
}

TestDatabase::~TestDatabase()
{
    m_db = Database();
    Database::remove(m_connectionName);
    for (const QString &other : std::as_const(m_others))
        Database::remove(other);
    if (!m_serverDatabase.isEmpty())
        runOnMaintenance(u"drop database if exists "_s + m_serverDatabase + u" with (force)"_s);
}

Database TestDatabase::openAnother(const QString &connectionName) const
{
    m_others.append(connectionName);
    return Database::open(m_connectionString, m_dir.path(), connectionName);
}
