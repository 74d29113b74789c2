// Backing up the embedded database while the program works on it.
#include "data/Backup.h"
#include "data/DeliveredDatabase.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    void theProposedNameIsTheDay();
    void aCopyTakenWhileTheProgramWorksHoldsEverything();
    void aFailedCopyLeavesTheEarlierBackup();
    void aServerDatabaseIsNotCopied();
};

void TestBackup::theProposedNameIsTheDay()
{
    QCOMPARE(Backup::proposedName(QDate(2026, 3, 9)), u"2026-03-09备份文件"_s);
}

// The last settled rows live in the write-ahead log while the program runs: a byte copy of
// data.mdb would miss them; the backup holds them, opens whole, and replaces an earlier one.
void TestBackup::aCopyTakenWhileTheProgramWorksHoldsEverything()
{
    TestDatabase t(u"sqlite"_s);
    addRoomType(t.db(), u"大厅"_s);
    for (int i = 1; i <= 30; ++i)
        addTag(t.db(), u"A%1"_s.arg(i), u"大厅"_s, u"可用"_s);
    QVERIFY(QFileInfo(t.baseDir() + u"/data.mdb-wal"_s).size() > 0);

    QTemporaryDir out;
    const QString target = out.filePath(Backup::proposedName(QDate::currentDate()));
    QFile earlier(target);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an older backup");
    earlier.close();

    Backup::backUp(t.db(), target);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList({QFileInfo(target).fileName()}));
    {
        const Database copy = Database::open(u"Provider=SQLite;Data Source="_s + target, QString(), u"copy"_s);
        QCOMPARE(copy.scalar(Statement(u"select count(*) from 手牌管理"_s)).toInt(), 30);
        QCOMPARE(copy.scalar(Statement(u"pragma integrity_check"_s)).toString(), u"ok"_s);
        QVERIFY(DeliveredDatabase::missingTables(copy).isEmpty());
    }
    Database::remove(u"copy"_s);
    // The program goes on working on its own database.
    addTag(t.db(), u"B1"_s, u"大厅"_s, u"可用"_s);
}

void TestBackup::aFailedCopyLeavesTheEarlierBackup()
{
    TestDatabase t(u"sqlite"_s);
    QTemporaryDir out;
    try {
        Backup::backUp(t.db(), out.filePath(u"没有这个文件夹/备份"_s));
        QFAIL("a backup into a missing folder was reported done");
    } catch (const Backup::Failed &e) {
        QVERIFY2(e.text().contains(u"文件夹不存在"_s), qPrintable(e.text()));
    }
    // A target that cannot be replaced (a folder of that name): the copy is not left behind.
    QVERIFY(QDir(out.path()).mkdir(u"占用"_s));
    QFile inside(out.filePath(u"占用/文件"_s));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();
    try {
        Backup::backUp(t.db(), out.filePath(u"占用"_s));
        QFAIL("a backup over a folder was reported done");
    } catch (const Backup::Failed &e) {
        QVERIFY2(e.text().startsWith(u"数据备份失败"_s), qPrintable(e.text()));
    }
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList({u"占用"_s}));
    QVERIFY(QFileInfo::exists(out.filePath(u"占用/文件"_s)));
}

void TestBackup::aServerDatabaseIsNotCopied()
{
    if (!TestDatabase::availableKinds().contains(u"postgresql"_s))
        QSKIP("needs the PostgreSQL server of the test command");
    TestDatabase t(u"postgresql"_s);
    QTemporaryDir out;
    try {
        Backup::backUp(t.db(), out.filePath(u"备份"_s));
        QFAIL("a server database was 'backed up'");
    } catch (const Backup::Failed &e) {
        QVERIFY2(e.text().contains(u"pg_dump"_s), qPrintable(e.text()));
    }
    QVERIFY(QDir(out.path()).isEmpty());
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
