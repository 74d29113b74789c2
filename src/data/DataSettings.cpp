#include "DataSettings.h"

#include "db/ConnectionString.h"
#include "db/DbError.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

const QString Section = u"part1"_s;

// One "Key=value;" part. A value is left exactly as typed unless the string could not be read
// back with it: a ';' would end it early and a leading quote would start a quoted value.
QString part(const QString &key, const QString &value)
{
    const QString lead = value.trimmed();
    if (value.contains(u';') || lead.startsWith(u'"') || lead.startsWith(u'\''))
        return ConnectionString::compose({{key, value}});
    return key + u'=' + value + u';';
}

} // namespace

DataSettings::DataSettings(IniFile &ini) : m_ini(ini), m_testConnectionString(initialConnectionString()) {}

DataSettings::~DataSettings()
{
    closeTestConnection();
}

QString DataSettings::initialConnectionString()
{
    return u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=book;"
           u"Data Source=(local)"_s;
}

QString DataSettings::compose(ServerKind kind, const ServerLogin &login)
{
    if (kind == ServerKind::SqlServer)
        return u"Provider=SQLOLEDB.1;"_s + part(u"Password"_s, login.password)
               + u"Persist Security Info=True;"_s + part(u"User ID"_s, login.user)
               + part(u"Initial Catalog"_s, login.database) + part(u"Data Source"_s, login.server);
    return u"Provider=PostgreSQL;"_s + part(u"Password"_s, login.password) + part(u"User ID"_s, login.user)
           + part(u"Initial Catalog"_s, login.database) + part(u"Data Source"_s, login.server);
}

QString DataSettings::shownConnectionString(ServerKind kind, const ServerLogin &login)
{
    ServerLogin masked = login;
    masked.password = u"***"_s;
    return compose(kind, masked);
}

QString DataSettings::serverKindKey(ServerKind kind)
{
    return kind == ServerKind::SqlServer ? u"SqlServer"_s : u"PostgreSQL"_s;
}

ServerKind DataSettings::serverKindFromKey(const QString &key)
{
    // The program's own tests run on PostgreSQL, so that is what an unset key means.
    return key.trimmed().compare(u"SqlServer"_s, Qt::CaseInsensitive) == 0 ? ServerKind::SqlServer
                                                                          : ServerKind::PostgreSql;
}

StoredDataSettings DataSettings::load() const
{
    StoredDataSettings s;
    s.login.server = m_ini.read(Section, u"ServerName"_s);
    s.login.database = m_ini.read(Section, u"DataBaseName"_s);
    s.login.user = m_ini.read(Section, u"UserName"_s);
    s.login.password = m_ini.read(Section, u"PassWord"_s);
    s.connectionString = m_ini.read(Section, u"cs"_s);
    s.serverKind = serverKindFromKey(m_ini.read(Section, u"ServerKind"_s));
    return s;
}

void DataSettings::setTestConnectionString(const QString &connectionString)
{
    closeTestConnection();
    m_testConnectionString = connectionString;
}

bool DataSettings::openTestConnection()
{
    closeTestConnection();
    try {
        m_testConnection = Database::open(m_testConnectionString, QFileInfo(m_ini.path()).absolutePath(),
                                          QString::fromLatin1(TestConnectionName), TestTimeoutSeconds);
        return true;
    } catch (const DbError &) {
        return false;
    }
}

void DataSettings::closeTestConnection()
{
    // Our copy of the handle must go first, or Qt complains the connection is still in use.
    m_testConnection = Database();
    const QString name = QString::fromLatin1(TestConnectionName);
    if (QSqlDatabase::contains(name))
        Database::remove(name);
}

bool DataSettings::save(DatabasePlace place, const ServerLogin &login, ServerKind kind)
{
    // Every key is tried even after a failure, so a passing write problem loses as little as it can.
    bool ok = m_ini.write(Section, u"abc"_s, place == DatabasePlace::Server ? u"s"_s : u"a"_s);
    ok &= m_ini.write(Section, u"ServerName"_s, login.server.trimmed());
    ok &= m_ini.write(Section, u"DataBaseName"_s, login.database.trimmed());
    ok &= m_ini.write(Section, u"UserName"_s, login.user.trimmed());
    ok &= m_ini.write(Section, u"PassWord"_s, login.password.trimmed());
    ok &= m_ini.write(Section, u"ServerKind"_s, serverKindKey(kind));
    ok &= m_ini.write(Section, u"cs"_s, m_testConnectionString.trimmed());
    return ok;
}
