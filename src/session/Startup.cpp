#include "Startup.h"

#include "data/DeliveredDatabase.h"
#include "db/ConnectionString.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace Startup {

QString systemIniPath(const QString &appDir)
{
    return QDir(appDir).filePath(u"system.ini"_s);
}

QString dataFolder(const QString &programDir)
{
    const QFileInfo dir(programDir);
    // Root may write under /usr, but an installed program's data never belongs there.
    const bool installed = dir.absoluteFilePath().startsWith(u"/usr/"_s) || !dir.isWritable();
    if (!installed)
        return programDir;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return folder;
}

void deliverDatabaseOnFirstStart(const StartupSettings &settings, const QString &appDir)
{
    const std::optional<DbKind> kind = ConnectionString::parse(settings.connectionString).kind();
    if (settings.databaseKind == u"s"_s || kind != DbKind::Sqlite)
        return;
    const QString file = ConnectionString::parse(settings.connectionString).value(u"Data Source"_s).trimmed();
    if (file.isEmpty() || QFileInfo::exists(QDir(appDir).absoluteFilePath(file)))
        return;
    DeliveredDatabase::createAt(file, appDir);
}

bool deliverSystemIniIfMissing(const QString &appDir)
{
    const QString path = systemIniPath(appDir);
    if (QFileInfo::exists(path))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    f.write(DeliveredDatabase::deliveredIni());
    return f.commit();
}

StartupSettings readSettings(const IniFile &ini)
{
    StartupSettings s;
    s.softname = ini.read(u"KT270"_s, u"softname"_s);
    s.memo = ini.read(u"KT270"_s, u"memo"_s);
    s.tel = ini.read(u"KT270"_s, u"tel"_s);
    s.web = ini.read(u"KT270"_s, u"web"_s);
    s.company = ini.read(u"KT270"_s, u"Company"_s);
    s.databaseKind = ini.read(u"part1"_s, u"abc"_s);
    s.connectionString = ini.read(u"part1"_s, u"csaccess"_s);
    if (s.databaseKind == u"s"_s)
        s.connectionString = ini.read(u"part1"_s, u"cs"_s);
    return s;
}

Database openShared(const StartupSettings &settings, const QString &appDir)
{
    return Database::open(settings.connectionString, appDir, QString::fromLatin1(SharedConnection));
}

} // namespace Startup
