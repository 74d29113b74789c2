// The embedded file as a counter leaves it: whole after a clean exit, and holding every settled
// bill even when the program is killed right after the settlement.
#include "billing/Checkout.h"
#include "data/DeliveredDatabase.h"
#include "db/StatementCache.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(21, 30));

// The child: settles tag A1 of the database in its folder, says so, and waits to be killed.
int settleAndWait(const QString &dir, const QString &connectionString)
{
    const Database db = Database::open(connectionString, dir, u"child"_s);
    const Checkout::Bill bill = Checkout::load(db, u"A1"_s);
    Checkout::Settlement s;
    s.tag = u"A1"_s;
    s.shownNumber = bill.shownNumber;
    s.lineIds = bill.lineIds;
    s.arrival = bill.arrival;
    s.consumption = bill.total;
    s.received = bill.total;
    s.remark = u"无"_s;
    s.operatorName = u"收银员甲"_s;
    const Checkout::Outcome out = Checkout::settle(db, s, Now);
    std::printf("settled %lld\n", static_cast<long long>(out.billNumber));
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

} // namespace

class TestDurability : public QObject
{
    Q_OBJECT
private slots:
    void aCleanExitLeavesOneFile();
    void aSettledBillSurvivesAKilledProgram();
    void statementsAreReusedNotShared_data() { TestDatabase::addKindRows(); }
    void statementsAreReusedNotShared();
};

// A database the program created and worked on is one file again once the program has closed
// it: what a copy of the folder or a backup takes is whole.
void TestDurability::aCleanExitLeavesOneFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    DeliveredDatabase::createAt(u"data.mdb"_s, dir.path());
    {
        const Database db =
            Database::open(u"Provider=SQLite;Data Source=data.mdb"_s, dir.path(), u"counter"_s);
        QCOMPARE(db.scalar(Statement(u"pragma journal_mode"_s)).toString(), u"wal"_s);
        QCOMPARE(db.scalar(Statement(u"pragma synchronous"_s)).toInt(), 2); // FULL
        addRoomType(db, u"大厅"_s);
        addTag(db, u"A1"_s, u"大厅"_s, u"空闲"_s);
        // While the counter runs, the log holds what was written.
        QVERIFY(filesIn(dir.path()).contains(u"data.mdb-wal"_s));
    }
    Database::remove(u"counter"_s);
    QCOMPARE(filesIn(dir.path()), QStringList({u"data.mdb"_s}));

    {
        const Database again =
            Database::open(u"Provider=SQLite;Data Source=data.mdb"_s, dir.path(), u"again"_s);
        QCOMPARE(
            again.scalar(Statement(u"select count(*) from 手牌管理 where 手牌号码="_s).text(u"A1"_s)).toInt(),
            1);
    }
    Database::remove(u"again"_s);
}

void TestDurability::aSettledBillSurvivesAKilledProgram()
{
    TestDatabase t(u"sqlite"_s);
    addRoomType(t.db(), u"大厅"_s);
    addTag(t.db(), u"A1"_s, u"大厅"_s, u"占用"_s);
    openBill(t.db(), u"A1"_s, u"A1"_s, Now.addSecs(-3600));
    addFullLine(t.db(), u"A1"_s, u"A1"_s, u"足浴"_s, u"88"_s, 1.0, 1, u"10"_s);
    addFullLine(t.db(), u"A1"_s, u"A1"_s, u"茶水"_s, u"12"_s, 1.0, 2, u"0"_s);

    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({u"--settle-and-wait"_s, t.baseDir(), t.connectionString()});
    child.start();
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains('\n') && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.startsWith("settled "), said.constData());
    child.kill(); // SIGKILL: no destructor, no checkpoint, no close
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const Database after = t.openAnother(u"after-kill"_s);
    const qint64 number = said.mid(8).trimmed().toLongLong();
    QCOMPARE(
        after
            .scalar(
                Statement(u"select count(*) from 结帐管理 where 结帐单号="_s).text(QString::number(number)))
            .toInt(),
        1);
    QCOMPARE(after.scalar(Statement(u"select count(*) from 结帐明细"_s)).toInt(), 2);
    QCOMPARE(after.scalar(Statement(u"select count(*) from 手牌消费"_s)).toInt(), 0);
    QCOMPARE(after.scalar(Statement(u"select 手牌状态 from 手牌管理 where 手牌号码='A1'"_s)).toString(),
             u"可用"_s);
}

// The same statement run again reuses its prepared query, two cursors open over the same text
// each get their own, and a connection that is removed takes its statements with it.
void TestDurability::statementsAreReusedNotShared()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    {
        const Database db = t.openAnother(u"cache-user"_s);
        addRoomType(db, u"大厅"_s);
        for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s})
            addTag(db, tag, u"大厅"_s, u"空闲"_s);
        const Statement tags = Statement(u"select 手牌号码 from 手牌管理 where 所属包厢="_s)
                                   .text(u"大厅"_s)
                                   .sql(u" order by 手牌号码"_s);
        const int before = StatementCache::cachedCount(u"cache-user"_s);
        if (db.kind() == DbKind::Sqlite) {
            // The PostgreSQL driver reads a result as it goes and drops it when the connection
            // runs another statement, so nothing in the program nests reads there.
            Cursor outer = db.query(tags);
            QVERIFY(outer.next());
            Cursor inner = db.query(tags); // the outer one is still being read
            QStringList innerRows;
            while (inner.next())
                innerRows << inner.text(u"手牌号码"_s);
            QCOMPARE(innerRows, QStringList({u"A1"_s, u"A2"_s, u"A3"_s}));
            QCOMPARE(outer.text(u"手牌号码"_s), u"A1"_s);
            QVERIFY(outer.next());
            QCOMPARE(outer.text(u"手牌号码"_s), u"A2"_s);
        } else {
            for (int i = 0; i < 2; ++i) {
                Cursor c = db.query(tags);
                QVERIFY(c.next());
                QCOMPARE(c.text(u"手牌号码"_s), u"A1"_s);
            }
        }
        const int kept = db.kind() == DbKind::Sqlite ? 2 : 1;
        QCOMPARE(StatementCache::cachedCount(u"cache-user"_s), before + kept);
        // Reused with other values bound.
        Cursor again = db.query(Statement(u"select 手牌号码 from 手牌管理 where 所属包厢="_s)
                                    .text(u"无此类型"_s)
                                    .sql(u" order by 手牌号码"_s));
        QVERIFY(!again.next());
        QCOMPARE(StatementCache::cachedCount(u"cache-user"_s), before + kept - 1);
    }
    Database::remove(u"cache-user"_s);
    QCOMPARE(StatementCache::cachedCount(u"cache-user"_s), 0);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--settle-and-wait"_s)
        return settleAndWait(args.at(2), args.at(3));
    TestDurability test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_durability.moc"
