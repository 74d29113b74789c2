#include "Restore.h"

#include "data/Backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Copies the file and syncs the copy, so that the rename that follows never names a file
// whose bytes are still only in memory. False, with nothing left behind, when it cannot.
bool copySynced(const QString &from, const QString &to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (out.isOpen())
            out.remove();
        return false;
    }
    QByteArray block;
    bool ok = true;
    while (ok && !(block = in.read(1 << 20)).isEmpty())
        ok = out.write(block) == block.size();
    ok = ok && in.error() == QFileDevice::NoError && out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    if (!ok)
        QFile::remove(to);
    return ok;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

namespace Restore {

Refused::Refused(const QString &message) : Refusal(message) {}

QString keptName(const QString &databaseFile, const QDateTime &now)
{
    return databaseFile + u".before-restore-"_s + now.toString(u"yyyyMMdd-hhmmss"_s);
}

QString doneMessage(const QString &kept)
{
    return u"数据恢复成功，需要重新启动软件！\n原来的数据库保存为: "_s + shown(kept);
}

void checkEmbedded(const Database &db)
{
    if (db.kind() != DbKind::Sqlite)
        throw Refused(u"数据库在服务器上,本程序只恢复本机的数据库文件.请用服务器的工具恢复"
                      "(PostgreSQL: pg_restore 或 psql)."_s);
}

QString restore(const Database &db, const QString &chosen, const QDateTime &now)
{
    checkEmbedded(db);
    const QString target = db.filePath();
    const QFileInfo chosenInfo(chosen);
    if (!chosenInfo.isFile())
        throw Refused(u"没有恢复: 找不到文件 "_s + shown(chosen));
    if (chosenInfo.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        throw Refused(u"没有恢复: 所选文件就是正在使用的数据库."_s);
    if (const QString problem = Backup::checkDatabaseFile(chosen); !problem.isEmpty())
        throw Refused(u"没有恢复: 所选文件不是本程序的数据库备份,数据库没有改变.\n"_s + problem);

    // Closing checkpoints the log into data.mdb. SQLite removes the log when its last connection
    // closes: one still there belongs to another program working on this file, whose data
    // would be cut from under it.
    db.close();
    if (QFileInfo::exists(target + u"-wal"_s))
        throw Refused(u"没有恢复: 数据库正被其他收银台或程序使用.请先关闭它们,再恢复."_s);

    const QString folder = QFileInfo(target).absolutePath();
    const QString part = target + u".restore-"_s + QUuid::createUuid().toString(QUuid::Id128);
    if (!copySynced(chosen, part))
        throw Refused(u"没有恢复: 无法在 "_s + shown(folder) + u" 写入文件,数据库没有改变."_s);
    if (const QString problem = Backup::checkDatabaseFile(part); !problem.isEmpty()) {
        QFile::remove(part);
        throw Refused(u"没有恢复: 复制的文件没有通过检查,数据库没有改变.\n"_s + problem);
    }
    QString kept = keptName(target, now);
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = keptName(target, now) + u"-%1"_s.arg(n);
    if (!copySynced(target, kept)) {
        QFile::remove(part);
        throw Refused(u"没有恢复: 无法保存原来的数据库,数据库没有改变."_s);
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(part);
        QFile::remove(kept);
        throw Refused(u"没有恢复: 无法替换 "_s + shown(target) + u",数据库没有改变."_s);
    }
    // A shared-memory index of the replaced file describes nothing of the new one.
    QFile::remove(target + u"-shm"_s);
    syncFolder(folder);
    return kept;
}

} // namespace Restore
