// The member rules on every database kind: what enrolment writes and that checkout then accepts
// the member, one member per card number on every path and in the store, recharges (negative ones
// too) with their records, two counters recharging one card at the same moment, deleting only a
// member without money, the member's own password change, and a member's bills for a period.
#include "billing/Checkout.h"
#include "db/PasswordHash.h"
#include "db/Refusal.h"
#include "db/Transaction.h"
#include "members/Members.h"
#include "session/Attempts.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QTest>
#include <QMutex>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

ColumnValues boxes(const QString &card, const QString &name, const QString &type = u"金卡"_s)
{
    return {{u"会员卡号"_s, SqlValue::text(card)},
            {u"会员姓名"_s, SqlValue::text(name)},
            {u"会员类型"_s, SqlValue::text(type)},
            {u"会员性别"_s, SqlValue::text(QString())},
            {u"出生日期"_s, SqlValue::date(QDate(1990, 5, 17))},
            {u"联系电话"_s, SqlValue::text(QString())},
            {u"备注"_s, SqlValue::text(u"无"_s)}};
}

QString refusalOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Refusal &r) {
        return r.text();
    }
    return {};
}

Money balanceOf(const Database &db, qint64 member)
{
    Cursor c = db.query(Statement(u"select 卡内金额 from 会员管理 where id = "_s).integer(member));
    return c.next() ? c.money(u"卡内金额"_s) : Money::fromUnits(-999999);
}

void addBill(const Database &db, const QString &number, const QString &card, const QDateTime &at,
             const QString &received)
{
    db.execute(Statement::insert(u"结帐管理"_s, {{u"结帐单号"_s, SqlValue::text(number)},
                                                 {u"手牌号码"_s, SqlValue::text(u"A1"_s)},
                                                 {u"会员卡号"_s, SqlValue::text(card)},
                                                 {u"结帐时间"_s, SqlValue::dateTime(at)},
                                                 {u"实收金额"_s, SqlValue::money(*Money::parse(received))},
                                                 {u"消费金额"_s, SqlValue::money(*Money::parse(received))},
                                                 {u"状态"_s, SqlValue::text(u"已结"_s)}}));
}

QStringList billNumbers(const Database &db, const Statement &query)
{
    QStringList numbers;
    Cursor c = db.query(query);
    while (c.next())
        numbers.append(c.text(u"结帐单号"_s));
    numbers.sort();
    return numbers;
}

} // namespace

class TestMembers : public QObject
{
    Q_OBJECT
private slots:
    void enrolmentStartsAtZeroWithTheDefaultPasswordThatCheckoutAccepts_data() { TestDatabase::addKindRows(); }
    void enrolmentStartsAtZeroWithTheDefaultPasswordThatCheckoutAccepts();
    void aCardNumberNamesOneMemberOnEveryPath_data() { TestDatabase::addKindRows(); }
    void aCardNumberNamesOneMemberOnEveryPath();
    void anEditKeepsWhatAnotherCounterChangedMeanwhile_data() { TestDatabase::addKindRows(); }
    void anEditKeepsWhatAnotherCounterChangedMeanwhile();
    void rechargesAndNegativeRechargesAreRecorded_data() { TestDatabase::addKindRows(); }
    void rechargesAndNegativeRechargesAreRecorded();
    void twoCountersRechargingOneCardBothCount_data() { TestDatabase::addKindRows(); }
    void twoCountersRechargingOneCardBothCount();
    void onlyAMemberWithoutMoneyIsDeleted_data() { TestDatabase::addKindRows(); }
    void onlyAMemberWithoutMoneyIsDeleted();
    void theMemberChangesTheOwnPassword_data() { TestDatabase::addKindRows(); }
    void theMemberChangesTheOwnPassword();
    void billsOfAPeriodContainingTheText_data() { TestDatabase::addKindRows(); }
    void billsOfAPeriodContainingTheText();
    void aRechargeKilledHalfWayLeavesBalanceAndRecordsAgreeing_data() { TestDatabase::addKindRows(); }
    void aRechargeKilledHalfWayLeavesBalanceAndRecordsAgreeing();
};

void TestMembers::enrolmentStartsAtZeroWithTheDefaultPasswordThatCheckoutAccepts()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMemberType(db, u"金卡"_s, 0.85);
    db.execute(Statement(u"update 会员类型 set 初始积分 = 500"_s));
    const Members members(db);

    QVERIFY(Members::enrolCaption().startsWith(u"添加会员   "_s));
    QVERIFY(Members::enrolCaption().contains(u"1234"_s));

    ColumnValues typed = boxes(u"9001"_s, u"张三"_s);
    // What only the rules decide is not taken from the boxes.
    typed.append({u"卡内金额"_s, SqlValue::money(Money::fromUnits(1000))});
    typed.append({u"当前积分"_s, SqlValue::integer(77)});
    const qint64 row = members.enrol(typed, QDate(2026, 4, 2));
    Cursor c = db.query(Statement(u"select * from 会员管理 where id = "_s).integer(row));
    QVERIFY(c.next());
    QCOMPARE(c.text(u"会员卡号"_s), u"9001"_s);
    QCOMPARE(c.integer(u"当前积分"_s), 0);
    QVERIFY(c.money(u"卡内金额"_s).isZero());
    QCOMPARE(c.text(u"当前状态"_s), u"可用"_s);
    QCOMPARE(c.text(u"会员性别"_s), u"男"_s);
    QCOMPARE(c.date(u"出生日期"_s), QDate(1990, 5, 17));
    QCOMPARE(c.date(u"登记日期"_s), QDate(2026, 4, 2));
    QVERIFY(c.isNull(u"联系电话"_s)); // an empty box is not written
    QCOMPARE(c.text(u"备注"_s), u"无"_s);
    const QString stored = c.text(u"密码"_s);
    QVERIFY(stored != u"1234"_s);
    QVERIFY(PasswordHash::verify(u"1234"_s, stored));

    const std::optional<Checkout::Member> found = Checkout::lookUp(db, u"9001"_s, Members::defaultPassword());
    QVERIFY(found);
    QCOMPARE(found->id, row);
    QCOMPARE(found->name, u"张三"_s);

    // A type box emptied by hand gives "未设置"; the number and the name are required.
    const qint64 untyped = members.enrol(boxes(u"9002"_s, u"李四"_s, QString()));
    QCOMPARE(db.scalar(Statement(u"select 会员类型 from 会员管理 where id = "_s).integer(untyped)).toString(),
             u"未设置"_s);
    QCOMPARE(refusalOf([&] { members.enrol(boxes(u"9003"_s, QString())); }), u"会员卡号和会员姓名必须填写！"_s);
    QCOMPARE(refusalOf([&] { members.enrol(boxes(u"   "_s, u"王五"_s)); }), u"会员卡号和会员姓名必须填写！"_s);
    QCOMPARE(count(db, u"会员管理"_s), 2);
}

void TestMembers::aCardNumberNamesOneMemberOnEveryPath()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Members members(db);
    members.enrol(boxes(u"9001"_s, u"张三"_s));
    const qint64 other = members.enrol(boxes(u"9002"_s, u"李四"_s));

    // Enrolment, blanks around the number being no new number.
    QCOMPARE(refusalOf([&] { members.enrol(boxes(u"9001"_s, u"王五"_s)); }), Members::duplicateCardMessage());
    QCOMPARE(refusalOf([&] { members.enrol(boxes(u" 9001 "_s, u"王五"_s)); }), Members::duplicateCardMessage());
    QCOMPARE(count(db, u"会员管理"_s), 2);

    // Editing another member onto the number.
    QCOMPARE(refusalOf([&] { members.change(other, boxes(u"9001"_s, u"李四"_s)); }), Members::duplicateCardMessage());
    QCOMPARE(db.scalar(Statement(u"select 会员卡号 from 会员管理 where id = "_s).integer(other)).toString(), u"9002"_s);
    // A member keeps the own number through an edit, and the edit's other rule holds.
    members.change(other, boxes(u"9002"_s, u"李四四"_s));
    QCOMPARE(db.scalar(Statement(u"select 会员姓名 from 会员管理 where id = "_s).integer(other)).toString(),
             u"李四四"_s);
    QCOMPARE(refusalOf([&] { members.change(other, boxes(u"9002"_s, u"李四"_s, QString())); }),
             u"会员卡号和会员姓名和会员类型必须认真填写！"_s);

    // The store refuses a second row of the number, whoever writes it.
    bool refused = false;
    try {
        db.insert(u"会员管理"_s, {{u"会员卡号"_s, SqlValue::text(u"9001"_s)}, {u"会员姓名"_s, SqlValue::text(u"赵六"_s)}});
    } catch (const DbError &) {
        refused = true;
    }
    QVERIFY(refused);
    QCOMPARE(count(db, u"会员管理"_s), 2);
}

void TestMembers::anEditKeepsWhatAnotherCounterChangedMeanwhile()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Members members(db);
    const qint64 row = addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"100"_s, 10);
    const ColumnValues shown{{u"卡内金额"_s, SqlValue::money(Money::fromUnits(100))},
                             {u"当前积分"_s, SqlValue::integer(10)}};
    ColumnValues typed = boxes(u"8001"_s, u"新名字"_s);
    typed.append(shown);

    // Another counter recharges and settles while the edit screen is open.
    members.recharge(row, Money::fromUnits(50), QString(), u"收银员"_s);
    db.execute(Statement(u"update 会员管理 set 当前积分 = 当前积分 + 7 where id = "_s).integer(row));
    members.change(row, typed, shown);
    QCOMPARE(balanceOf(db, row).toString(), u"150"_s);
    QCOMPARE(db.scalar(Statement(u"select 当前积分 from 会员管理 where id = "_s).integer(row)).toLongLong(), 17);
    QCOMPARE(db.scalar(Statement(u"select 会员姓名 from 会员管理 where id = "_s).integer(row)).toString(), u"新名字"_s);

    // A balance the operator typed is stored as typed; the password is never written here.
    typed[typed.size() - 2].second = SqlValue::money(Money::fromUnits(80));
    typed.append({u"密码"_s, SqlValue::text(u"0000"_s)});
    members.change(row, typed, shown);
    QCOMPARE(balanceOf(db, row).toString(), u"80"_s);
    QVERIFY(Checkout::lookUp(db, u"8001"_s, u"1234"_s));
    typed[typed.size() - 3].second = SqlValue::money(Money::fromUnits(Money::LimitUnits));
    QCOMPARE(refusalOf([&] { members.change(row, typed, shown); }), Checkout::amountLimitMessage());
}

void TestMembers::rechargesAndNegativeRechargesAreRecorded()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Members members(db);
    const qint64 row = addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    const QDateTime at(QDate(2026, 4, 2), QTime(10, 30));

    QCOMPARE(members.recharge(row, Money::fromUnits(100), u"开卡"_s, u"收银员"_s, at).toString(), u"100"_s);
    QCOMPARE(members.recharge(row, -Money::fromUnits(30), u"冲正"_s, u"店长"_s, at.addSecs(60)).toString(), u"70"_s);
    QCOMPARE(balanceOf(db, row).toString(), u"70"_s);
    QStringList records;
    Cursor c = db.query(Statement(u"select * from 会员充值 order by id"_s));
    while (c.next()) {
        records.append(QStringList{c.text(u"会员卡号"_s), c.text(u"会员姓名"_s), c.text(u"会员类型"_s),
                                   c.money(u"充值金额"_s).toString(), c.dateTime(u"充值日期"_s).toString(u"hh:mm"_s),
                                   c.text(u"备注"_s), c.text(u"营业员"_s)}
                           .join(u' '));
    }
    QCOMPARE(records, (QStringList{u"8001 会员8001 金卡 100 10:30 开卡 收银员"_s, u"8001 会员8001 金卡 -30 10:31 冲正 店长"_s}));

    // 0 is a recharge; a negative one may take the balance below 0; beyond the limit nothing is written.
    members.recharge(row, Money(), QString(), u"收银员"_s, at);
    members.recharge(row, -Money::fromUnits(80), QString(), u"收银员"_s, at);
    QCOMPARE(balanceOf(db, row).toString(), u"-10"_s);
    QCOMPARE(refusalOf([&] { members.recharge(row, Money::fromUnits(Money::LimitUnits), QString(), u"x"_s, at); }),
             Checkout::amountLimitMessage());
    QCOMPARE(count(db, u"会员充值"_s), 4);
    QCOMPARE(balanceOf(db, row).toString(), u"-10"_s);

    // A member deleted meanwhile gets no record.
    db.execute(Statement(u"delete from 会员管理 where id = "_s).integer(row));
    QCOMPARE(refusalOf([&] { members.recharge(row, Money::fromUnits(5), QString(), u"x"_s, at); }),
             u"该会员已被删除，不能充值!"_s);
    QCOMPARE(count(db, u"会员充值"_s), 4);
}

// Each counter its own connection in its own thread, as two programs on one database.
void TestMembers::twoCountersRechargingOneCardBothCount()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const qint64 row = addMember(t.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    constexpr int Each = 50;
    QStringList failures;
    QMutex failuresLock;
    QList<QThread *> counters;
    for (int i = 0; i < 2; ++i) {
        counters.append(QThread::create([&, i] {
            const QString name = u"counter%1"_s.arg(i);
            try {
                const Database db = Database::open(t.connectionString(), t.baseDir(), name, 30);
                const Members members(db);
                for (int n = 0; n < Each; ++n)
                    members.recharge(row, Money::fromUnits(i == 0 ? 3 : 7), QString(), name);
            } catch (const std::exception &e) {
                const QMutexLocker lock(&failuresLock);
                failures.append(QString::fromUtf8(e.what()));
            }
            Database::remove(name);
        }));
    }
    for (QThread *c : counters)
        c->start();
    for (QThread *c : counters) {
        QVERIFY(c->wait(120000));
        delete c;
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    QCOMPARE(balanceOf(t.db(), row), Money::fromUnits(Each * 3 + Each * 7));
    QCOMPARE(count(t.db(), u"会员充值"_s), 2 * Each);
    QCOMPARE(t.db().scalar(Statement(u"select count(*) from 会员充值 where 营业员 = "_s).text(u"counter1"_s)).toInt(),
             Each);
}

void TestMembers::onlyAMemberWithoutMoneyIsDeleted()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Members members(db);
    const qint64 rich = addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"50.5"_s, 0);
    const qint64 owing = addMember(db, u"8002"_s, u"1234"_s, u"金卡"_s, u"-3"_s, 0);
    const qint64 empty = addMember(db, u"8003"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);

    QCOMPARE(refusalOf([&] { members.remove(rich); }), Members::balanceNotZeroMessage(Money::fromRaw(505000)));
    QVERIFY(Members::balanceNotZeroMessage(Money::fromRaw(505000)).contains(u"50.5"_s));
    QCOMPARE(refusalOf([&] { members.remove(owing); }), Members::balanceNotZeroMessage(-Money::fromUnits(3)));
    members.remove(empty);
    QCOMPARE(count(db, u"会员管理"_s), 2);

    // Once the money is paid out the member goes, records staying.
    members.recharge(rich, -Money::fromRaw(505000), u"退卡"_s, u"店长"_s);
    members.remove(rich);
    members.remove(rich); // already gone: nothing to refuse
    QCOMPARE(count(db, u"会员管理"_s), 1);
    QCOMPARE(count(db, u"会员充值"_s), 1);
}

void TestMembers::theMemberChangesTheOwnPassword()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Members members(db);
    members.enrol(boxes(u"9001"_s, u"张三"_s));
    const QDateTime now = QDateTime::currentDateTime();

    // A wrong old password is told before differing new ones, and an unknown card alike.
    QCOMPARE(refusalOf([&] { members.changePassword(u"9001"_s, u"9999"_s, u"a"_s, u"b"_s, now); }), u"旧密码输入错误！"_s);
    QCOMPARE(refusalOf([&] { members.changePassword(u"0000"_s, u"1234"_s, u"a"_s, u"a"_s, now); }), u"旧密码输入错误！"_s);
    QCOMPARE(refusalOf([&] { members.changePassword(u"9001"_s, u"1234"_s, u"Abc"_s, u"abc"_s, now); }),
             u"两次输入的新密码不一致！"_s);
    members.changePassword(u"9001"_s, u"1234"_s, u"Abc"_s, u"Abc"_s, now);
    const QString stored = db.scalar(Statement(u"select 密码 from 会员管理"_s)).toString();
    QVERIFY(!stored.contains(u"Abc"_s));
    QVERIFY(Checkout::lookUp(db, u"9001"_s, u"Abc"_s, now));
    QVERIFY(!Checkout::lookUp(db, u"9001"_s, u"1234"_s, now));

    // The screen is no way round the lock on guessing: the fifth wrong one locks the card.
    QString last;
    for (int i = 0; i < Attempts::Allowed; ++i)
        last = refusalOf([&] { members.changePassword(u"9001"_s, u"guess"_s, u"x"_s, u"x"_s, now); });
    QVERIFY2(last != u"旧密码输入错误！"_s, qPrintable(last));
    QVERIFY(!refusalOf([&] { members.changePassword(u"9001"_s, u"Abc"_s, u"x"_s, u"x"_s, now); }).isEmpty());
    QVERIFY(Checkout::lookUp(db, u"9001"_s, u"Abc"_s, now.addSecs(Attempts::LockMinutes * 60 + 1)));
}

void TestMembers::billsOfAPeriodContainingTheText()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDate first(2026, 4, 1);
    addBill(db, u"1"_s, u"8001"_s, QDateTime(first.addDays(-1), QTime(23, 59, 59)), u"10"_s);
    addBill(db, u"2"_s, u"8001"_s, QDateTime(first, QTime(0, 0, 0)), u"20"_s);
    addBill(db, u"3"_s, u"8001"_s, QDateTime(QDate(2026, 4, 30), QTime(23, 59, 59)), u"30"_s);
    addBill(db, u"4"_s, u"8001"_s, QDateTime(QDate(2026, 5, 1), QTime(0, 0, 0)), u"40"_s);
    addBill(db, u"5"_s, u"O'8001"_s, QDateTime(QDate(2026, 4, 10), QTime(12, 0)), u"50"_s);
    addBill(db, u"6"_s, u"18%01"_s, QDateTime(QDate(2026, 4, 10), QTime(12, 0)), u"60"_s);
    addBill(db, u"7"_s, u"非会员"_s, QDateTime(QDate(2026, 4, 10), QTime(12, 0)), u"70"_s);
    const Period april(first, QDate(2026, 4, 30));

    QCOMPARE(billNumbers(db, Members::billsQuery(april)), (QStringList{u"2"_s, u"3"_s, u"5"_s, u"6"_s, u"7"_s}));
    QCOMPARE(billNumbers(db, Members::billsQuery(april, u"会员卡号"_s, u"8001"_s)),
             (QStringList{u"2"_s, u"3"_s, u"5"_s}));
    QCOMPARE(billNumbers(db, Members::billsQuery(april, u"会员卡号"_s, u"O'8"_s)), QStringList{u"5"_s});
    // Wildcards typed are characters.
    QCOMPARE(billNumbers(db, Members::billsQuery(april, u"会员卡号"_s, u"8%0"_s)), QStringList{u"6"_s});
    QCOMPARE(billNumbers(db, Members::billsQuery(april, u"会员卡号"_s, u"_"_s)), QStringList());
    QCOMPARE(billNumbers(db, Members::billsQuery(april, u"会员卡号"_s, u"非会员"_s)), QStringList{u"7"_s});
    QCOMPARE(billNumbers(db, Members::billsQuery(Period::day(first), u"会员卡号"_s, u"8001"_s)), QStringList{u"2"_s});

    // A field that is no text column of the bills is refused before anything runs.
    bool unknown = false;
    try {
        Members::billsQuery(april, u"会员卡号; drop table 结帐管理"_s, u"1"_s);
    } catch (const UnknownColumnError &) {
        unknown = true;
    }
    QVERIFY(unknown);
    QVERIFY(!refusalOf([&] { Members::billsQuery(april, u"实收金额"_s, u"1"_s); }).isEmpty());
    QCOMPARE(count(db, u"结帐管理"_s), 7);
}

// A counter recharging 1 at a time, each recharge said on its output, until it is killed.
int rechargeUntilKilled(const QString &connectionString, const QString &baseDir, qint64 row)
{
    QTextStream out(stdout);
    try {
        const Database db = Database::open(connectionString, baseDir, u"killed"_s, 30);
        const Members members(db);
        for (;;) {
            members.recharge(row, Money::fromUnits(1), QString(), u"killed"_s);
            out << "." << Qt::flush;
        }
    } catch (const std::exception &e) {
        QTextStream(stderr) << e.what() << Qt::endl;
    }
    return 3; // only a kill may end it
}

void TestMembers::aRechargeKilledHalfWayLeavesBalanceAndRecordsAgreeing()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const qint64 row = addMember(t.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    QRandomGenerator random(20260402);
    for (int round = 0; round < 8; ++round) {
        QProcess counter;
        counter.start(QCoreApplication::applicationFilePath(),
                      {u"--recharge-until-killed"_s, t.connectionString(), t.baseDir(), QString::number(row)});
        QVERIFY(counter.waitForReadyRead(30000));
        QThread::usleep(random.bounded(20000));
        counter.kill();
        QVERIFY(counter.waitForFinished(30000));
        QCOMPARE(counter.exitStatus(), QProcess::CrashExit);
    }
    const qint64 records = count(t.db(), u"会员充值"_s);
    QVERIFY(records >= 8);
    QCOMPARE(balanceOf(t.db(), row), Money::fromUnits(records));
    QCOMPARE(t.db().scalar(Statement(u"select count(*) from 会员充值 where 充值金额 <> "_s).money(Money::fromUnits(1))).toInt(), 0);
}

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], "--recharge-until-killed") == 0) {
        QCoreApplication app(argc, argv);
        return rechargeUntilKilled(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                   QByteArray(argv[4]).toLongLong());
    }
    QCoreApplication app(argc, argv);
    TestMembers test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_members.moc"
