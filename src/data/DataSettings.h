#pragma once
// Where the program keeps its data (local file or server) as system.ini records it, and the
// private connection the settings screen tries a server with before that choice is stored.

#include "db/Database.h"
#include "db/IniFile.h"

#include <QString>

// The servers the program runs on; stored as `ServerKind` in section part1.
enum class ServerKind { PostgreSql, SqlServer };

// What `abc` says at the next start: the local file ("a") or a server ("s").
enum class DatabasePlace { LocalFile, Server };

// The four boxes of the server group, as the operator typed them.
struct ServerLogin
{
    QString server;
    QString database;
    QString user;
    QString password;
};

// What the settings screen shows when it opens.
struct StoredDataSettings
{
    ServerLogin login;
    ServerKind serverKind = ServerKind::PostgreSql;
    QString connectionString; // `cs`
};

class DataSettings
{
public:
    // The Qt name of the test connection; never the shared one, which this class leaves alone.
    static constexpr auto TestConnectionName = "SetDataTestConnection";
    static constexpr int TestTimeoutSeconds = 10;

    explicit DataSettings(IniFile &ini);
    ~DataSettings();
    DataSettings(const DataSettings &) = delete;
    DataSettings &operator=(const DataSettings &) = delete;

    // What the test connection holds before the first test.
    static QString initialConnectionString();
    // The connection string a test opens. The values go in as typed, blanks included; only a
    // value that would otherwise break the string (';' or a leading quote) is quoted.
    static QString compose(ServerKind kind, const ServerLogin &login);
    // compose() with the password replaced by "***": what the operator is shown.
    static QString shownConnectionString(ServerKind kind, const ServerLogin &login);
    static QString serverKindKey(ServerKind kind);
    // "SqlServer" in any case is SQL Server; anything else, a missing key too, PostgreSQL.
    static ServerKind serverKindFromKey(const QString &key);

    // Reads the server boxes, `ServerKind` and `cs`; missing keys read "0".
    StoredDataSettings load() const;

    const QString &testConnectionString() const { return m_testConnectionString; }
    // Closes the test connection, if open, and makes it hold another string.
    void setTestConnectionString(const QString &connectionString);
    // Opens the test connection with its string; false when it cannot be opened.
    bool openTestConnection();
    bool isTestConnectionOpen() const { return m_testConnection.isOpen(); }
    void closeTestConnection();

    // Writes `abc`, the four boxes trimmed, `ServerKind` and the test connection's string as
    // `cs`, in that order. False when system.ini could not be written.
    bool save(DatabasePlace place, const ServerLogin &login, ServerKind kind);

private:
    IniFile &m_ini;
    QString m_testConnectionString;
    Database m_testConnection;
};
