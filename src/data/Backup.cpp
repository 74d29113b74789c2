#include "Backup.h"

#include "data/DeliveredDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace Backup {

namespace {

// Opens the file read-only on a connection of its own (a path that names no database is not made
// one), hands it to the work, and closes it again: the program's shared connection belongs to its
// own thread, and these may run on another. The answer is what went wrong, empty when nothing did.
QString onConnectionOfItsOwn(const QString &path, const std::function<QString(QSqlDatabase &)> &work)
{
    const QString name = u"backup-"_s + QUuid::createUuid().toString(QUuid::Id128);
    QString problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        // Reading in WAL mode waits for no writer; the busy timeout covers a checkpoint under way.
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"_s);
        problem = db.open() ? work(db) : db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}

} // namespace

QString checkDatabaseFile(const QString &path)
{
    return onConnectionOfItsOwn(path, [](QSqlDatabase &db) {
        QString problem;
        QSqlQuery q(db);
        if (!q.exec(u"pragma integrity_check"_s) || !q.next())
            problem = q.lastError().text();
        else if (q.value(0).toString() != u"ok"_s)
            problem = u"完整性检查: "_s + q.value(0).toString();
        q.finish();
        if (problem.isEmpty()) {
            const QStringList missing = DeliveredDatabase::missingTables(Database(db, DbKind::Sqlite));
            if (!missing.isEmpty())
                problem = u"缺少数据表: "_s + missing.join(u", "_s);
        }
        return problem;
    });
}

Failed::Failed(const QString &message) : Refusal(message) {}

QString proposedName(const QDate &today)
{
    return today.toString(u"yyyy-MM-dd"_s) + u"备份文件"_s;
}

QString doneMessage(const QString &target)
{
    return u"数据备份完毕！备份文件: "_s + QDir::toNativeSeparators(target);
}

QString embeddedFile(const Database &db)
{
    if (db.kind() != DbKind::Sqlite)
        throw Failed(u"数据库在服务器上,本程序只备份本机的数据库文件.请用服务器的备份工具备份"
                     "(PostgreSQL: pg_dump)."_s);
    return db.filePath();
}

void backUp(const Database &db, const QString &target)
{
    backUpFile(embeddedFile(db), target);
}

void backUpFile(const QString &databaseFile, const QString &target)
{
    const QFileInfo info(target);
    if (!info.absoluteDir().exists())
        throw Failed(u"数据备份失败: 文件夹不存在: "_s + QDir::toNativeSeparators(info.absolutePath()));
    // Written beside the target, so that putting it in place is a rename on the same disk.
    const QString part = info.absoluteFilePath() + u".part-"_s + QUuid::createUuid().toString(QUuid::Id128);
    QString problem = onConnectionOfItsOwn(databaseFile, [&part](QSqlDatabase &db) {
        QSqlQuery vacuum(db);
        if (!vacuum.prepare(u"vacuum into ?"_s))
            return vacuum.lastError().text();
        vacuum.addBindValue(part);
        return vacuum.exec() ? QString() : vacuum.lastError().text();
    });
    if (!problem.isEmpty()) {
        QFile::remove(part);
        throw Failed(u"数据备份失败: "_s + problem);
    }
    problem = checkDatabaseFile(part);
    if (!problem.isEmpty()) {
        QFile::remove(part);
        throw Failed(u"数据备份失败,备份文件没有通过检查: "_s + problem);
    }
    // rename() replaces an earlier backup of that name in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        QFile::remove(part);
        throw Failed(u"数据备份失败: 无法写入 "_s + QDir::toNativeSeparators(info.absoluteFilePath()));
    }
}

} // namespace Backup
