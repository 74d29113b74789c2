// The database failures a counter meets, told in its own words; and a server that goes away in
// the middle of a session: the interrupted action is reported as not done and wrote nothing,
// and the next action opens the connection again.
#include "db/Transaction.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

class TestOutage : public QObject
{
    Q_OBJECT
private slots:
    void driverWordsBecomeAdvice_data();
    void driverWordsBecomeAdvice();
    void foreignFilesAreNamedAsSuch();
    void serverRestartIsSurvived();
};

void TestOutage::driverWordsBecomeAdvice_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("fault");
    const auto row = [](const char *name, const QString &driver, DbFault fault) {
        QTest::newRow(name) << driver << int(fault);
    };
    row("locked", u"database is locked Unable to fetch row"_s, DbFault::Locked);
    row("read-only", u"attempt to write a readonly database Unable to fetch row"_s, DbFault::ReadOnly);
    row("no driver", u"Driver not loaded Driver not loaded"_s, DbFault::DriverMissing);
    row("not a database", u"file is not a database Unable to execute statement"_s, DbFault::NotOurs);
    row("gone", u"unable to open database file"_s, DbFault::CannotOpen);
    row("no table (SQLite)", u"no such table: sysinfo Unable to execute statement"_s, DbFault::MissingTable);
    row("no table (PostgreSQL)", u"ERROR:  relation \"sysinfo\" does not exist"_s, DbFault::MissingTable);
    row("disk full", u"database or disk is full"_s, DbFault::DiskFull);
    row("server gone", u"server closed the connection unexpectedly\n\tThis probably means"_s,
        DbFault::ConnectionLost);
    row("server killed", u"FATAL:  terminating connection due to administrator command"_s, DbFault::ConnectionLost);
    row("something else", u"ERROR:  syntax error at or near \"selec\""_s, DbFault::Other);
}

void TestOutage::driverWordsBecomeAdvice()
{
    QFETCH(QString, driver);
    QFETCH(int, fault);
    const DbError e = DbError::failure(u"数据库操作失败"_s, driver, u"select 1"_s);
    QCOMPARE(int(e.fault()), fault);
    // the operator reads what to do in Chinese; the driver's words stay as the detail
    QCOMPARE(e.message(), fault == int(DbFault::Other) ? u"数据库操作失败"_s : DbError::advice(DbFault(fault)));
    QVERIFY(e.text().startsWith(e.message()));
    QVERIFY(e.text().contains(driver));
}

// A file that is not a database, and a database of another program, are named as such when the
// first statement meets them.
void TestOutage::foreignFilesAreNamedAsSuch()
{
    TestDatabase empty(u"sqlite"_s, TestDatabase::Content::Empty);
    try {
        empty.db().query(Statement(u"select * from sysinfo"_s));
        QFAIL("a database without the program's tables was read");
    } catch (const DbError &e) {
        QCOMPARE(e.fault(), DbFault::MissingTable);
    }

    TestDatabase garbage(u"sqlite"_s, TestDatabase::Content::Empty);
    QFile file(garbage.baseDir() + u"/data.mdb"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const Database other = garbage.openAnother(u"garbage-file"_s);
    try {
        other.query(Statement(u"select * from sysinfo"_s));
        QFAIL("a file that is no database was read");
    } catch (const DbError &e) {
        QCOMPARE(e.fault(), DbFault::NotOurs);
        QVERIFY(e.text().contains(u"数据库设置"_s));
    }
}

void TestOutage::serverRestartIsSurvived()
{
    const QString restart = qEnvironmentVariable("VESK_TEST_PG_RESTART");
    if (!TestDatabase::availableKinds().contains(u"postgresql"_s) || restart.isEmpty())
        QSKIP("needs the throwaway PostgreSQL server of the test command, and the command that restarts it");
    TestDatabase t(u"postgresql"_s);
    const Database &db = t.db();
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    openBill(db, u"A1"_s, u"A1"_s, QDateTime::currentDateTime());

    // A line is written, and the server restarts before the action commits.
    bool reportedDone = false;
    try {
        Transaction tx(db);
        addLine(db, u"A1"_s, u"A1"_s, u"茶水"_s, u"10"_s);
        QCOMPARE(QProcess::execute(u"sh"_s, {u"-c"_s, restart}), 0);
        tx.commit();
        reportedDone = true;
    } catch (const DbError &e) {
        QCOMPARE(e.fault(), DbFault::ConnectionLost);
        QVERIFY(e.text().contains(u"没有完成"_s));
    }
    QVERIFY(!reportedDone);

    // The next action opens the connection again, and finds nothing of the interrupted one.
    QCOMPARE(count(db, u"手牌消费"_s), 0);
    addLine(db, u"A1"_s, u"A1"_s, u"茶水"_s, u"10"_s);
    QCOMPARE(count(db, u"手牌消费"_s), 1);
}

QTEST_GUILESS_MAIN(TestOutage)
#include "tst_outage.moc"
