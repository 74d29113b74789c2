#pragma once
// What the login establishes for the whole run: the operator, the sixteen permission
// flags, the database kind, the system.ini texts and the shop's name and telephone.
// The login window owns the one instance; screens see it only through a SessionView.

#include "db/Database.h"
#include "db/IniFile.h"
#include "session/Login.h"
#include "session/Permissions.h"
#include "session/Startup.h"

#include <QString>

struct RunState
{
    Database db;
    QString appDir;
    IniFile ini{QString()};     // system.ini beside the executable
    StartupSettings settings;  // softname, memo, tel, web, Company, abc, connection
    QString CurrentOperator;
    qint64 loginRecord = 0;       // this run's row of 启动记录
    Permissions permissions;
    QString shopName;
    QString shopTel;
    bool startCardReader = false; // the login's "启动IC读卡器" option; off

    const QString &DatabaseKind() const { return settings.databaseKind; }
    bool has(Permission p) const { return permissions.has(p); }
};

// What a screen may know of the run, and nothing it could change.
class SessionView
{
public:
    explicit SessionView(const RunState &run) : m_run(run) {}

    const QString &operatorName() const { return m_run.CurrentOperator; }
    bool has(Permission p) const { return m_run.permissions.has(p); }
    const Permissions &permissions() const { return m_run.permissions; }
    const QString &shopName() const { return m_run.shopName; }
    const QString &shopTel() const { return m_run.shopTel; }
    // `abc`: "a" for the local file, "s" for a server; for SqlTextQuote and SqlDateQuote.
    const QString &databaseKind() const { return m_run.settings.databaseKind; }
    const StartupSettings &settings() const { return m_run.settings; }
    const QString &appDir() const { return m_run.appDir; }
    // The path of system.ini, for the screens that store settings for the next start.
    const QString &iniPath() const { return m_run.ini.path(); }
    bool cardReaderStarted() const { return m_run.startCardReader; }

private:
    const RunState &m_run;
};
