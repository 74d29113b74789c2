#include "SharedConnection.h"

#include "data/DeliveredDatabase.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

QString connectionFailedMessage()
{
    return u"数据库连接失败,请选择数据库."_s;
}

QString notOurDatabaseMessage(const QStringList &missingTables)
{
    const QStringList named = missingTables.mid(0, 3);
    return u"所选的数据库不是本系统的数据库(缺少数据表: %1%2),请选择数据库."_s.arg(
        named.join(u", "_s), missingTables.size() > named.size() ? u" 等"_s : QString());
}

std::optional<Database> openSharedConnection(const StartupSettings &settings, const QString &appDir,
                                             Prompt &prompt)
{
    std::optional<Database> db;
    try {
        db = Startup::openShared(settings, appDir);
    } catch (const DbError &) {
        prompt.message(nullptr, connectionFailedMessage(), Prompt::Icon::Warning);
        return std::nullopt;
    }
    // Any file opens; only a database with this program's tables can be worked on, so another
    // one goes the same way back to the database settings as a database that does not open.
    QStringList missing;
    try {
        DeliveredDatabase::addProgramTables(*db);
        missing = DeliveredDatabase::missingTables(*db);
    } catch (const DbError &e) {
        Database::remove(db->connectionName());
        prompt.message(nullptr, e.text(), Prompt::Icon::Error);
        return std::nullopt;
    }
    if (missing.isEmpty())
        return db;
    Database::remove(db->connectionName());
    prompt.message(nullptr, notOurDatabaseMessage(missing), Prompt::Icon::Warning);
    return std::nullopt;
}
