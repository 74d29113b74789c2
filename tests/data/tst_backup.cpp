// Backing up the embedded database while the program works on it.
#include "billing/Checkout.h"
#include "data/Backup.h"
#include "data/DeliveredDatabase.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const int Tags = 400;

// The child: settles the open bills of tags T1, T2, ... one after the other, saying after each
// commit how many it has settled, until it is killed.
int settleInALoop(const QString &dir, const QString &connectionString)
{
    const Database db = Database::open(connectionString, dir, u"child"_s);
    for (int i = 1; i <= Tags; ++i) {
        const QString tag = u"T%1"_s.arg(i);
        const Checkout::Bill bill = Checkout::load(db, tag);
        Checkout::Settlement s;
        s.tag = tag;
        s.shownNumber = bill.shownNumber;
        s.lineIds = bill.lineIds;
        s.arrival = bill.arrival;
        s.consumption = bill.total;
        s.received = bill.total;
        s.remark = u"无"_s;
        s.operatorName = u"收银员甲"_s;
        Checkout::settle(db, s, QDateTime::currentDateTime());
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT
private slots:
    void theProposedNameIsTheDay();
    void aCopyTakenWhileTheProgramWorksHoldsEverything();
    void aFailedCopyLeavesTheEarlierBackup();
    void aServerDatabaseIsNotCopied();
    void aBackupTakenWhileAnotherCounterSettlesHoldsEveryCommittedBill();
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
        const Database copy =
            Database::open(u"Provider=SQLite;Data Source="_s + target, QString(), u"copy"_s);
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
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList({u"占用"_s}));
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

// Another program settles bill after bill on the same file while the backup is taken: the copy is
// whole and holds at least every bill that program had committed when the backup began.
void TestBackup::aBackupTakenWhileAnotherCounterSettlesHoldsEveryCommittedBill()
{
    TestDatabase t(u"sqlite"_s);
    addRoomType(t.db(), u"大厅"_s);
    const QDateTime arrival = QDateTime::currentDateTime().addSecs(-3600);
    for (int i = 1; i <= Tags; ++i) {
        const QString tag = u"T%1"_s.arg(i);
        addTag(t.db(), tag, u"大厅"_s, u"占用"_s);
        openBill(t.db(), tag, tag, arrival);
        addLine(t.db(), tag, tag, u"搓澡"_s, u"25"_s);
    }
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({u"--settle-in-a-loop"_s, t.baseDir(), t.connectionString()});
    child.start();
    QVERIFY(child.waitForStarted());
    int committed = 0;
    QByteArray said;
    while (committed < 20 && child.waitForReadyRead(30000)) {
        said += child.readAllStandardOutput();
        const QList<QByteArray> lines = said.split('\n');
        if (lines.size() > 1)
            committed = lines.at(lines.size() - 2).toInt();
    }
    QVERIFY2(committed >= 20, said.constData());

    QTemporaryDir out;
    const QString target = out.filePath(u"备份"_s);
    Backup::backUp(t.db(), target);
    const bool stillSettling = child.state() == QProcess::Running;
    child.kill();
    child.waitForFinished();
    QVERIFY2(stillSettling, "the other counter had finished before the backup was taken");
    {
        const Database copy =
            Database::open(u"Provider=SQLite;Data Source="_s + target, QString(), u"copy"_s);
        QCOMPARE(copy.scalar(Statement(u"pragma integrity_check"_s)).toString(), u"ok"_s);
        const int bills = copy.scalar(Statement(u"select count(*) from 结帐管理"_s)).toInt();
        QVERIFY2(bills >= committed,
                 qPrintable(u"%1 bills in the copy, %2 committed before"_s.arg(bills).arg(committed)));
        // Every bill in it is whole: its tag freed and its lines moved to the details.
        QCOMPARE(copy.scalar(Statement(u"select count(*) from 结帐明细"_s)).toInt(), bills);
        QCOMPARE(copy.scalar(Statement(u"select count(*) from 手牌开单"_s)).toInt(), Tags - bills);
    }
    Database::remove(u"copy"_s);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--settle-in-a-loop"_s)
        return settleInALoop(args.at(2), args.at(3));
    TestBackup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_backup.moc"
