// The statements of the query and report screens on every database kind: the period's bounds,
// free bills in no figure, what the turnover sums, items as their details name them, a group's
// lines by its master tag, sums exact over many rows, and the operator's typed columns and values.
#include "db/Refusal.h"
#include "db/Transaction.h"
#include "queries/BillHistory.h"
#include "queries/Commissions.h"
#include "queries/CurrentConsumption.h"
#include "queries/ItemCount.h"
#include "queries/Turnover.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QDate Day(2024, 5, 31);

QDateTime at(const QDate &day, const QTime &time)
{
    return QDateTime(day, time);
}

// A settled (or free) bill with one detail line, and a commission row when given one.
void settleBill(const Database &db, const QString &number, const QDateTime &when, const QString &state,
                const QString &item, const QString &amount, const QString &received, qint64 quantity = 1,
                const QString &customer = u"散客"_s)
{
    db.execute(Statement::insert(u"结帐管理"_s, {{u"结帐单号"_s, SqlValue::text(number)},
                                                 {u"手牌号码"_s, SqlValue::text(u"A1"_s)},
                                                 {u"结帐时间"_s, SqlValue::dateTime(when)},
                                                 {u"离店时间"_s, SqlValue::dateTime(when)},
                                                 {u"消费金额"_s, SqlValue::money(*Money::parse(amount))},
                                                 {u"实收金额"_s, SqlValue::money(*Money::parse(received))},
                                                 {u"结帐方式"_s, SqlValue::text(u"现金支付"_s)},
                                                 {u"状态"_s, SqlValue::text(state)},
                                                 {u"顾客姓名"_s, SqlValue::text(customer)},
                                                 {u"营业员"_s, SqlValue::text(u"超级管理员"_s)}}));
    db.execute(Statement::insert(u"结帐明细"_s, {{u"单据号"_s, SqlValue::text(number)},
                                                 {u"手牌号码"_s, SqlValue::text(u"A1"_s)},
                                                 {u"消费项目"_s, SqlValue::text(item)},
                                                 {u"消费单价"_s, SqlValue::money(*Money::parse(amount))},
                                                 {u"消费数量"_s, SqlValue::integer(quantity)},
                                                 {u"消费金额"_s, SqlValue::money(*Money::parse(amount))},
                                                 {u"消费时间"_s, SqlValue::dateTime(when)},
                                                 {u"服务生编号"_s, SqlValue::text(u"007"_s)},
                                                 {u"服务生姓名"_s, SqlValue::text(u"李小红"_s)},
                                                 {u"营业员"_s, SqlValue::text(u"超级管理员"_s)},
                                                 {u"状态"_s, SqlValue::text(state)}}));
}

void addCommission(const Database &db, const QString &number, const QString &name, const QDate &day,
                   const QString &amount)
{
    db.execute(Statement::insert(u"服务生提成"_s, {{u"编号"_s, SqlValue::text(number)},
                                                   {u"姓名"_s, SqlValue::text(name)},
                                                   {u"结帐时间"_s, SqlValue::date(day)},
                                                   {u"提成金额"_s, SqlValue::money(*Money::parse(amount))},
                                                   {u"单据号"_s, SqlValue::text(u"1"_s)},
                                                   {u"手牌号码"_s, SqlValue::text(u"A1"_s)}}));
}

qint64 rows(const Database &db, const Statement &st)
{
    Cursor c = db.query(st);
    qint64 n = 0;
    while (c.next())
        ++n;
    return n;
}

// 消费项目 → "quantity/amount" of a grouped item statement.
QMap<QString, QString> items(const Database &db, const Statement &st)
{
    QMap<QString, QString> out;
    Cursor c = db.query(st);
    while (c.next())
        out.insert(c.text(u"消费项目"_s), QString::number(c.integer(ItemCount::Quantity)) + u'/' +
                                              c.money(ItemCount::Amount).toString());
    return out;
}

QMap<QString, QString> waiterTotals(const Database &db, const Statement &st)
{
    QMap<QString, QString> out;
    Cursor c = db.query(st);
    while (c.next())
        out.insert(c.text(u"编号"_s), c.money(Commissions::Total).toString());
    return out;
}

} // namespace

class TestQueries : public QObject
{
    Q_OBJECT
private slots:
    void aPeriodRunsFromItsFirstMidnightToTheNextAfterItsLast_data() { TestDatabase::addKindRows(); }
    void aPeriodRunsFromItsFirstMidnightToTheNextAfterItsLast();
    void freeBillsAreInNoFigureButInTheRecords_data() { TestDatabase::addKindRows(); }
    void freeBillsAreInNoFigureButInTheRecords();
    void itemsAreCountedByTheNameEachDetailKept_data() { TestDatabase::addKindRows(); }
    void itemsAreCountedByTheNameEachDetailKept();
    void sumsAreExactToFourPlacesOverManyRows_data() { TestDatabase::addKindRows(); }
    void sumsAreExactToFourPlacesOverManyRows();
    void aGroupsLinesAreFoundByItsMasterTag_data() { TestDatabase::addKindRows(); }
    void aGroupsLinesAreFoundByItsMasterTag();
    void detailSearchBindsTheTrimmedValueAndChecksTheColumn_data() { TestDatabase::addKindRows(); }
    void detailSearchBindsTheTrimmedValueAndChecksTheColumn();
    void recordSearchMatchesTypedWildcardsLiterally_data() { TestDatabase::addKindRows(); }
    void recordSearchMatchesTypedWildcardsLiterally();
    void commissionsTotalPerWaiterNumberForCheckoutDays_data() { TestDatabase::addKindRows(); }
    void commissionsTotalPerWaiterNumberForCheckoutDays();
};

void TestQueries::aPeriodRunsFromItsFirstMidnightToTheNextAfterItsLast()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDate first = Day.addDays(-1);
    settleBill(db, u"1"_s, at(first.addDays(-1), QTime(23, 59, 59)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s);
    settleBill(db, u"2"_s, at(first, QTime(0, 0, 0)), u"已结"_s, u"浴资"_s, u"10"_s, u"10"_s);
    settleBill(db, u"3"_s, at(Day, QTime(23, 59, 59)), u"已结"_s, u"浴资"_s, u"100"_s, u"100"_s);
    settleBill(db, u"4"_s, at(Day.addDays(1), QTime(0, 0, 1)), u"已结"_s, u"浴资"_s, u"1000"_s, u"1000"_s);
    const Period period(first, Day);

    QCOMPARE(Turnover(db).total(period).toString(), u"110"_s);
    QCOMPARE(rows(db, Turnover::records(period)), 2);
    QCOMPARE(items(db, ItemCount::period(period)), (QMap<QString, QString>{{u"浴资"_s, u"2/110"_s}}));
    QCOMPARE(rows(db, BillHistory::details(period)), 2);
    QCOMPARE(rows(db, BillHistory::searchDetails(QString(), QString(), period)), 2);
    // A period without settled bills is 0, not a failure.
    QCOMPARE(Turnover(db).total(Period::day(Day.addDays(5))).toString(), u"0"_s);

    // Commission rows carry the checkout day alone: the last day is in, the next is not.
    addCommission(db, u"007"_s, u"李小红"_s, first.addDays(-1), u"1"_s);
    addCommission(db, u"007"_s, u"李小红"_s, first, u"2"_s);
    addCommission(db, u"007"_s, u"李小红"_s, Day, u"4"_s);
    addCommission(db, u"007"_s, u"李小红"_s, Day.addDays(1), u"8"_s);
    QCOMPARE(waiterTotals(db, Commissions::totals(Commissions::days(first, Day))),
             (QMap<QString, QString>{{u"007"_s, u"6"_s}}));
    QCOMPARE(waiterTotals(db, Commissions::totals(Commissions::days(Day, Day))),
             (QMap<QString, QString>{{u"007"_s, u"4"_s}}));
}

void TestQueries::freeBillsAreInNoFigureButInTheRecords()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    // The turnover is what was received, not what was consumed.
    settleBill(db, u"1"_s, at(Day, QTime(12, 0)), u"已结"_s, u"浴资"_s, u"200"_s, u"170"_s);
    settleBill(db, u"2"_s, at(Day, QTime(13, 0)), u"免单"_s, u"足疗"_s, u"99"_s, u"0"_s);
    const Period period = Period::day(Day);

    QCOMPARE(Turnover(db).total(period).toString(), u"170"_s);
    QCOMPARE(rows(db, Turnover::records(period)), 1);
    QCOMPARE(items(db, ItemCount::period(period)), (QMap<QString, QString>{{u"浴资"_s, u"1/200"_s}}));
    QCOMPARE(items(db, ItemCount::allTime()), (QMap<QString, QString>{{u"浴资"_s, u"1/200"_s}}));
    QCOMPARE(rows(db, BillHistory::details(period)), 1);
    QCOMPARE(rows(db, BillHistory::searchDetails(u"消费项目"_s, u"足疗"_s, std::nullopt)), 0);
    // The record search shows every state: the free bill is found by its state.
    QCOMPARE(rows(db, BillHistory::records()), 2);
    Cursor free = db.query(BillHistory::searchRecords(u"状态"_s, u"免单"_s));
    QVERIFY(free.next());
    QCOMPARE(free.text(u"结帐单号"_s), u"2"_s);
    QVERIFY(!free.next());
}

void TestQueries::itemsAreCountedByTheNameEachDetailKept()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    settleBill(db, u"1"_s, at(Day, QTime(10, 0)), u"已结"_s, u"足疗"_s, u"88"_s, u"88"_s, 2);
    settleBill(db, u"2"_s, at(Day, QTime(11, 0)), u"已结"_s, u"足疗"_s, u"44"_s, u"44"_s, 1);
    // Renamed in the catalogue between two checkouts.
    settleBill(db, u"3"_s, at(Day, QTime(12, 0)), u"已结"_s, u"中式足疗"_s, u"50"_s, u"50"_s, 1);
    const QMap<QString, QString> expected{{u"足疗"_s, u"3/132"_s}, {u"中式足疗"_s, u"1/50"_s}};
    QCOMPARE(items(db, ItemCount::period(Period::day(Day))), expected);
    QCOMPARE(items(db, ItemCount::allTime()), expected);
    // "人数:" is the number of these rows: items, not bills (three) or guests.
    QCOMPARE(rows(db, ItemCount::period(Period::day(Day))), 2);
    QCOMPARE(rows(db, ItemCount::period(Period::day(Day.addDays(1)))), 0);
}

void TestQueries::sumsAreExactToFourPlacesOverManyRows()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    // 0.0001 too much or too little from any of 3,001 doubles would show in the last place.
    {
        Transaction tx(db);
        for (int i = 0; i < 3001; ++i) {
            const QString amount = u"33.3333"_s;
            settleBill(db, QString::number(i), at(Day, QTime(8, 0).addSecs(i)), u"已结"_s, u"浴资"_s, amount,
                       amount);
            addCommission(db, u"007"_s, u"李小红"_s, Day, amount);
        }
        tx.commit();
    }
    const Period period = Period::day(Day);
    QCOMPARE(Turnover(db).total(period).toString(), u"100033.2333"_s);
    QCOMPARE(items(db, ItemCount::period(period)),
             (QMap<QString, QString>{{u"浴资"_s, u"3001/100033.2333"_s}}));
    QCOMPARE(waiterTotals(db, Commissions::totals(period)),
             (QMap<QString, QString>{{u"007"_s, u"100033.2333"_s}}));
    QCOMPARE(waiterTotals(db, Commissions::totals()), (QMap<QString, QString>{{u"007"_s, u"100033.2333"_s}}));
}

void TestQueries::aGroupsLinesAreFoundByItsMasterTag()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s})
        addTag(db, tag, u"大厅"_s, tag == u"A3"_s ? u"可用"_s : u"占用"_s);
    addTag(db, u"B1"_s, u"大厅"_s, u"占用"_s);
    addLine(db, u"A1"_s, u"A1"_s, u"浴资"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"浴资"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"可乐"_s, u"8.5"_s);
    const CurrentConsumption c(db);
    QCOMPARE(c.occupiedTags(), (QStringList{u"A1"_s, u"A2"_s, u"B1"_s}));

    using By = CurrentConsumption::By;
    // The master tag: its own line by tag, the whole group by master tag.
    QCOMPARE(rows(db, CurrentConsumption::lines(By::Tag, u"A1"_s)), 1);
    QCOMPARE(c.total(By::Tag, u"A1"_s).toString(), u"38"_s);
    QCOMPARE(rows(db, CurrentConsumption::lines(By::Master, u"A1"_s)), 3);
    QCOMPARE(c.total(By::Master, u"A1"_s).toString(), u"84.5"_s);
    // Another tag of the group is no master: no lines and 0.
    QVERIFY(!c.hasLines(By::Master, u"A2"_s));
    QCOMPARE(c.total(By::Master, u"A2"_s).toString(), u"0"_s);
    // An occupied tag without lines.
    QCOMPARE(c.total(By::Tag, u"B1"_s).toString(), u"0"_s);
    // A quote typed into the search is a value like any other.
    QCOMPARE(c.total(By::Master, u"A1' or '1'='1"_s).toString(), u"0"_s);
}

void TestQueries::detailSearchBindsTheTrimmedValueAndChecksTheColumn()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    settleBill(db, u"1"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"38"_s, u"38"_s);
    settleBill(db, u"2"_s, at(Day.addDays(-3), QTime(10, 0)), u"已结"_s, u"O'Neil 茶"_s, u"20"_s, u"20"_s);

    QVERIFY_THROWS_EXCEPTION(Refusal, BillHistory::searchDetails(u"消费项目"_s, u"   "_s, std::nullopt));
    try {
        BillHistory::searchDetails(u"消费项目"_s, QString(), std::nullopt);
        QFAIL("no condition was accepted");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), u"请输入查询条件或者选择结帐时间作为查询条件!"_s);
    }
    // A column the table lacks, or SQL in its place, is refused before anything runs.
    QVERIFY_THROWS_EXCEPTION(UnknownColumnError,
                             BillHistory::searchDetails(u"1=1 or 消费项目"_s, u"浴资"_s, std::nullopt));
    QVERIFY_THROWS_EXCEPTION(UnknownColumnError,
                             BillHistory::searchDetails(u"会员卡号"_s, u"x"_s, std::nullopt));

    // The waiter 007 typed between blanks.
    QCOMPARE(rows(db, BillHistory::searchDetails(u"服务生编号"_s, u" 007 "_s, std::nullopt)), 2);
    QCOMPARE(rows(db, BillHistory::searchDetails(u"服务生编号"_s, u" 007 "_s, Period::day(Day))), 1);
    // A quote is part of the value, bound, and shown between the delimiters only for reading.
    const Statement quoted = BillHistory::searchDetails(u"消费项目"_s, u"O'Neil 茶"_s, std::nullopt);
    QCOMPARE(rows(db, quoted), 1);
    QCOMPARE(quoted.display(u"'"_s, u"'"_s),
             u"select * from 结帐明细 where 状态 = '已结' and 消费项目 = 'O'Neil 茶'"_s);
    QVERIFY(!quoted.preparedText().contains(u"O'Neil"_s));
    // A column of another kind compares in its kind: a quantity typed as text.
    QCOMPARE(rows(db, BillHistory::searchDetails(u"消费数量"_s, u"1"_s, std::nullopt)), 2);
    QCOMPARE(rows(db, BillHistory::searchDetails(u"消费数量"_s, u"one"_s, std::nullopt)), 0);
}

void TestQueries::recordSearchMatchesTypedWildcardsLiterally()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    settleBill(db, u"1"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"张三"_s);
    settleBill(db, u"2"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"老张"_s);
    settleBill(db, u"3"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"李四"_s);
    settleBill(db, u"4"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"50%会员"_s);
    settleBill(db, u"5"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"508会员"_s);
    settleBill(db, u"6"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"a_b"_s);
    settleBill(db, u"7"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"axb"_s);
    settleBill(db, u"8"_s, at(Day, QTime(10, 0)), u"已结"_s, u"浴资"_s, u"1"_s, u"1"_s, 1, u"C:\\x"_s);

    const auto found = [&](const QString &column, const QString &value) {
        QStringList numbers;
        Cursor c = db.query(BillHistory::searchRecords(column, value));
        while (c.next())
            numbers << c.text(u"结帐单号"_s);
        return numbers;
    };
    QCOMPARE(found(u"顾客姓名"_s, u"张"_s), (QStringList{u"1"_s, u"2"_s}));
    QCOMPARE(found(u"顾客姓名"_s, u"50%"_s), QStringList{u"4"_s});
    QCOMPARE(found(u"顾客姓名"_s, u"a_b"_s), QStringList{u"6"_s});
    QCOMPARE(found(u"顾客姓名"_s, u"\\"_s), QStringList{u"8"_s});
    QCOMPARE(found(u"顾客姓名"_s, u"'"_s), QStringList{});
    // Blanks typed are kept: nobody's name contains " 张".
    QCOMPARE(found(u"顾客姓名"_s, u" 张"_s), QStringList{});
    // Typed columns: any text column of the table; another kind or an unknown name is refused.
    QCOMPARE(found(u"结帐单号"_s, u"7"_s), QStringList{u"7"_s});
    QVERIFY_THROWS_EXCEPTION(UnknownColumnError, BillHistory::searchRecords(u"姓名"_s, u"张"_s));
    QVERIFY_THROWS_EXCEPTION(Refusal, BillHistory::searchRecords(u"实收金额"_s, u"1"_s));
}

void TestQueries::commissionsTotalPerWaiterNumberForCheckoutDays()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addCommission(db, u"007"_s, u"李小红"_s, Day, u"20"_s);
    addCommission(db, u"007"_s, u"李红"_s, Day, u"5.5"_s); // renamed meanwhile: still one total
    addCommission(db, u"001"_s, u"王芳"_s, Day.addDays(-40), u"12"_s);
    QCOMPARE(waiterTotals(db, Commissions::totals()),
             (QMap<QString, QString>{{u"007"_s, u"25.5"_s}, {u"001"_s, u"12"_s}}));
    QCOMPARE(waiterTotals(db, Commissions::totals(Commissions::days(Day, Day))),
             (QMap<QString, QString>{{u"007"_s, u"25.5"_s}}));
    try {
        Commissions::days(Day, Day.addDays(-1));
        QFAIL("reversed days were accepted");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), u"起始日期不能大于终止日期,请重新选择!"_s);
    }
    // The detail search is exact: a part of a name finds nothing.
    QCOMPARE(rows(db, Commissions::search(u"姓名"_s, u"李小红"_s)), 1);
    QCOMPARE(rows(db, Commissions::search(u"姓名"_s, u"小红"_s)), 0);
    QCOMPARE(rows(db, Commissions::rows()), 3);
    try {
        Commissions::search(u"编号"_s, QString());
        QFAIL("an empty value was accepted");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), u"请认真填写查询条件"_s);
    }
    QVERIFY_THROWS_EXCEPTION(UnknownColumnError, Commissions::search(u"服务生编号"_s, u"007"_s));
}

QTEST_MAIN(TestQueries)
#include "tst_queries.moc"
