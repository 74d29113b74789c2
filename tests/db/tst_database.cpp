// The data layer gives the same results on SQLite and PostgreSQL: exact money,
// date bounds, values stored verbatim, the declared key, all-or-nothing writes.
#include "db/Database.h"
#include "db/DateTimeText.h"
#include "db/Transaction.h"
#include "support/TestDatabase.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void addLine(const Database &db, const QString &tag, const QString &amount)
{
    db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(tag)},
                                                 {u"主手牌号"_s, SqlValue::text(tag)},
                                                 {u"项目名"_s, SqlValue::text(u"茶水"_s)},
                                                 {u"合计"_s, SqlValue::money(*Money::parse(amount))}}));
}

void addBill(const Database &db, const QString &number, const QDateTime &at)
{
    db.execute(Statement::insert(u"结帐管理"_s, {{u"结帐单号"_s, SqlValue::text(number)},
                                                 {u"结帐时间"_s, SqlValue::dateTime(at)},
                                                 {u"实收金额"_s, SqlValue::money(Money::fromUnits(10))},
                                                 {u"状态"_s, SqlValue::text(u"已结"_s)}}));
}

qint64 count(const Database &db, const QString &table)
{
    return db.scalar(Statement(u"select count(*) from "_s + table)).toLongLong();
}

} // namespace

class TestDatabaseLayer : public QObject
{
    Q_OBJECT
private slots:
    void moneySumsAreExact_data() { TestDatabase::addKindRows(); }
    void moneySumsAreExact();
    void moneyRoundTripsEveryShape_data() { TestDatabase::addKindRows(); }
    void moneyRoundTripsEveryShape();
    void dateBoundsTakeTheWholeLastDay_data() { TestDatabase::addKindRows(); }
    void dateBoundsTakeTheWholeLastDay();
    void storedDateTimeTextIsTheFixedForm();
    void awkwardTextIsStoredAndFoundVerbatim_data() { TestDatabase::addKindRows(); }
    void awkwardTextIsStoredAndFoundVerbatim();
    void secondTagWithTheSameNumberIsRefused_data() { TestDatabase::addKindRows(); }
    void secondTagWithTheSameNumberIsRefused();
    void failedTransactionLeavesNothingBehind_data() { TestDatabase::addKindRows(); }
    void failedTransactionLeavesNothingBehind();
    void balanceChangesByOneAtomicStatement_data() { TestDatabase::addKindRows(); }
    void balanceChangesByOneAtomicStatement();
    void typedValuesReadBack_data() { TestDatabase::addKindRows(); }
    void typedValuesReadBack();
    void failureCarriesDriverTextAndStatement_data() { TestDatabase::addKindRows(); }
    void failureCarriesDriverTextAndStatement();
    void rowsAreInsertedUpdatedAndDeletedByRowNumber_data() { TestDatabase::addKindRows(); }
    void rowsAreInsertedUpdatedAndDeletedByRowNumber();
    void controlCharactersOfTypedTextAreDropped_data() { TestDatabase::addKindRows(); }
    void controlCharactersOfTypedTextAreDropped();
};

void TestDatabaseLayer::moneySumsAreExact()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();

    // a tag without lines sums to no amount at all
    QVERIFY(db.scalar(Statement(u"select sum(合计) from 手牌消费 where 手牌号码="_s).text(u"A1"_s)).isNull());

    for (int i = 0; i < 10; ++i)
        addLine(db, u"A1"_s, u"0.1"_s);
    addLine(db, u"B2"_s, u"0.0001"_s);
    const Money tagSum =
        db.moneyFrom(db.scalar(Statement(u"select sum(合计) as s from 手牌消费 where 手牌号码="_s).text(u"A1"_s)));
    QCOMPARE(tagSum.toString(), u"1"_s);
    QCOMPARE(tagSum, Money::fromUnits(1));
    const Money all = db.moneyFrom(db.scalar(Statement(u"select sum(合计) from 手牌消费"_s)));
    QCOMPARE(all.toString(), u"1.0001"_s);
}

void TestDatabaseLayer::moneyRoundTripsEveryShape()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const QStringList amounts{u"0"_s, u"-70"_s, u"12.3456"_s, u"0.0001"_s, u"922337203685.4775"_s};
    for (const QString &a : amounts)
        addLine(t.db(), a, a); // tag named after its amount
    for (const QString &a : amounts) {
        Cursor c = t.db().query(Statement(u"select * from 手牌消费 where 手牌号码="_s).text(a));
        QVERIFY(c.next());
        QCOMPARE(c.money(u"合计"_s).toString(), a);
    }
}

void TestDatabaseLayer::dateBoundsTakeTheWholeLastDay()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addBill(db, u"1"_s, QDateTime(QDate(2009, 1, 30), QTime(23, 59, 59)));
    addBill(db, u"2"_s, QDateTime(QDate(2009, 1, 31), QTime(0, 0, 0)));
    addBill(db, u"3"_s, QDateTime(QDate(2009, 2, 28), QTime(23, 59, 59)));
    addBill(db, u"4"_s, QDateTime(QDate(2009, 3, 1), QTime(0, 0, 1)));

    // A report for 2009-01-31 .. 2009-02-28 runs from the first day up to the day after the last.
    Cursor c = db.query(Statement(u"select 结帐单号 from 结帐管理 where 结帐时间>="_s)
                            .date(QDate(2009, 1, 31))
                            .sql(u" and 结帐时间<"_s)
                            .date(QDate(2009, 2, 28).addDays(1))
                            .sql(u" order by 结帐单号"_s));
    QStringList found;
    while (c.next())
        found << c.text(u"结帐单号"_s);
    QCOMPARE(found, (QStringList{u"2"_s, u"3"_s}));

    // commission rows carry the day alone
    db.execute(Statement::insert(u"服务生提成"_s, {{u"编号"_s, SqlValue::text(u"01"_s)},
                                                   {u"结帐时间"_s, SqlValue::date(QDate(2009, 2, 28))},
                                                   {u"提成金额"_s, SqlValue::money(Money::fromUnits(5))}}));
    const QVariant n = db.scalar(Statement(u"select count(*) from 服务生提成 where 结帐时间>="_s)
                                     .date(QDate(2009, 2, 28))
                                     .sql(u" and 结帐时间<"_s)
                                     .date(QDate(2009, 3, 1)));
    QCOMPARE(n.toLongLong(), 1);
}

void TestDatabaseLayer::awkwardTextIsStoredAndFoundVerbatim()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QString awkward = u"O'Neil \"老王\" #1; drop table 会员管理 -- 备注"_s;
    db.execute(Statement::insert(u"会员管理"_s, {{u"会员卡号"_s, SqlValue::text(awkward)},
                                                 {u"会员姓名"_s, SqlValue::text(awkward)}}));
    Cursor exact = db.query(Statement(u"select * from 会员管理 where 会员卡号="_s).text(awkward));
    QVERIFY(exact.next());
    QCOMPARE(exact.text(u"会员姓名"_s), awkward);
    QVERIFY(!exact.next());

    Cursor like = db.query(Statement(u"select * from 会员管理 where "_s)
                               .column(u"会员管理"_s, u"会员姓名"_s)
                               .sql(u" like "_s)
                               .text(u"%#1; drop%"_s));
    QVERIFY(like.next());
    QCOMPARE(like.text(u"会员卡号"_s), awkward);
    QCOMPARE(count(db, u"会员管理"_s), 1); // the table is still there, with its one row
}

void TestDatabaseLayer::secondTagWithTheSameNumberIsRefused()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    auto addTag = [&](const QString &number) {
        db.execute(Statement::insert(u"手牌管理"_s, {{u"手牌号码"_s, SqlValue::text(number)},
                                                     {u"所属包厢"_s, SqlValue::text(u"大厅"_s)},
                                                     {u"手牌状态"_s, SqlValue::text(u"可用"_s)}}));
    };
    addTag(u"01"_s);
    addTag(u"1"_s); // tag numbers are text: "01" and "1" are two tags
    addTag(u"a1"_s);
    addTag(u"A1"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, addTag(u"01"_s));
    QCOMPARE(count(db, u"手牌管理"_s), 4);
}

void TestDatabaseLayer::failedTransactionLeavesNothingBehind()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    try {
        Transaction tx(db);
        addBill(db, u"9"_s, QDateTime::currentDateTime());
        addLine(db, u"A1"_s, u"5"_s);
        db.execute(Statement(u"update 没有的表 set x=1"_s)); // fails half way
        tx.commit();
        QFAIL("the failing statement did not throw");
    } catch (const DbError &) {
    }
    QCOMPARE(count(db, u"结帐管理"_s), 0);
    QCOMPARE(count(db, u"手牌消费"_s), 0);

    {
        Transaction tx(db);
        addBill(db, u"10"_s, QDateTime::currentDateTime());
        tx.commit();
    }
    QCOMPARE(count(db, u"结帐管理"_s), 1);

    // A transaction left without commit (an early return, an exception) rolls back.
    {
        Transaction tx(db);
        addBill(db, u"11"_s, QDateTime::currentDateTime());
    }
    QCOMPARE(count(db, u"结帐管理"_s), 1);
}

void TestDatabaseLayer::balanceChangesByOneAtomicStatement()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    db.execute(Statement::insert(u"会员管理"_s, {{u"会员卡号"_s, SqlValue::text(u"8001"_s)},
                                                 {u"卡内金额"_s, SqlValue::money(Money::fromUnits(100))},
                                                 {u"当前积分"_s, SqlValue::integer(500)}}));
    const Database other = t.openAnother(u"second-counter"_s);
    const auto pay = [](const Database &on, const QString &amount) {
        return on.execute(Statement(u"update 会员管理 set 卡内金额=卡内金额-"_s)
                              .money(*Money::parse(amount))
                              .sql(u", 当前积分=当前积分+"_s)
                              .integer(170)
                              .sql(u" where 会员卡号="_s)
                              .text(u"8001"_s));
    };
    QCOMPARE(pay(db, u"170"_s), 1);
    QCOMPARE(pay(other, u"0.5"_s), 1);
    Cursor c = db.query(Statement(u"select * from 会员管理 where 会员卡号="_s).text(u"8001"_s));
    QVERIFY(c.next());
    QCOMPARE(c.money(u"卡内金额"_s).toString(), u"-70.5"_s);
    QCOMPARE(c.integer(u"当前积分"_s), 840);
}

void TestDatabaseLayer::typedValuesReadBack()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDateTime at(QDate(2026, 12, 9), QTime(8, 7, 6));
    db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(u"A1"_s)},
                                                 {u"打折率"_s, SqlValue::real(0.88)},
                                                 {u"数量"_s, SqlValue::integer(3)},
                                                 {u"消费时间"_s, SqlValue::dateTime(at)}}));
    Cursor c = db.query(Statement(u"select * from 手牌消费"_s));
    QVERIFY(c.next());
    QCOMPARE(c.dateTime(u"消费时间"_s), at);
    QCOMPARE(c.real(u"打折率"_s), 0.88);
    QCOMPARE(c.integer(u"数量"_s), 3);
    QVERIFY(c.isNull(u"服务生姓名"_s));

    Cursor op = db.query(Statement(u"select * from 管理员"_s));
    QVERIFY(op.next());
    QVERIFY(op.boolean(u"免单"_s));
    db.execute(Statement(u"update 管理员 set 免单="_s).boolean(false));
    Cursor op2 = db.query(Statement(u"select * from 管理员"_s));
    QVERIFY(op2.next());
    QVERIFY(!op2.boolean(u"免单"_s));
    QVERIFY(op2.boolean(u"撤单"_s));
}

void TestDatabaseLayer::failureCarriesDriverTextAndStatement()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    try {
        t.db().query(Statement(u"select 没有的列 from 手牌管理 where 手牌号码="_s).text(u"A1"_s));
        QFAIL("a broken select did not throw");
    } catch (const DbError &e) {
        QVERIFY(!e.driverText().isEmpty());
        QVERIFY(e.statement().contains(u"手牌号码='A1'"_s));
    }
}

// Each counter learns the row number of its own insert, even when another counter inserts
// in between; an update or a delete by that number touches that row alone.
void TestDatabaseLayer::rowsAreInsertedUpdatedAndDeletedByRowNumber()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Database other = t.openAnother(u"other-counter"_s);
    const auto type = [](const QString &name, double rate) {
        return QList<std::pair<QString, SqlValue>>{{u"类型名称"_s, SqlValue::text(name)}, {u"打折率"_s, SqlValue::real(rate)}};
    };
    const qint64 gold = db.insert(u"会员类型"_s, type(u"金卡"_s, 0.8));
    const qint64 silver = other.insert(u"会员类型"_s, type(u"银卡"_s, 0.9));
    const qint64 ordinary = db.insert(u"会员类型"_s, type(u"普通"_s, 1));
    QVERIFY(gold != silver && silver != ordinary && gold != ordinary);
    QCOMPARE(db.scalar(Statement(u"select 类型名称 from 会员类型 where id="_s).integer(silver)).toString(), u"银卡"_s);

    const Statement rename = Statement::update(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(u"白金卡"_s)}, {u"打折率"_s, SqlValue::real(0.7)}},
                                               u"id"_s, SqlValue::integer(gold));
    QCOMPARE(rename.preparedText(), u"update 会员类型 set 类型名称 = ?, 打折率 = ? where id = ?"_s);
    QCOMPARE(db.execute(rename), 1);
    QCOMPARE(db.execute(Statement::remove(u"会员类型"_s, u"id"_s, SqlValue::integer(silver))), 1);

    QStringList left;
    Cursor c = db.query(Statement(u"select * from 会员类型 order by id"_s));
    while (c.next())
        left << c.text(u"类型名称"_s) + u'/' + QString::number(c.real(u"打折率"_s));
    QCOMPARE(left, (QStringList{u"白金卡/0.7"_s, u"普通/1"_s}));
}

// A NUL pasted into a box ends the text on PostgreSQL; no control character means anything in
// a stored name or remark, while tabs and line ends do.
void TestDatabaseLayer::controlCharactersOfTypedTextAreDropped()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    QString typed = u"张三"_s;
    typed += QChar(0);
    typed += u"\u0001备注\t第二行\n结束\u007f"_s;
    db.execute(Statement::insert(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(typed)}}));
    QCOMPARE(db.scalar(Statement(u"select 类型名称 from 会员类型"_s)).toString(), u"张三备注\t第二行\n结束"_s);
}

QTEST_GUILESS_MAIN(TestDatabaseLayer)
// The stored form compares as text and is read back by the reports: always "yyyy-MM-dd hh:mm:ss",
// zero-padded, whatever the date.
void TestDatabaseLayer::storedDateTimeTextIsTheFixedForm()
{
    const QList<QDateTime> values = {QDateTime(QDate(2026, 12, 9), QTime(0, 0)),
                                     QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59, 999)),
                                     QDateTime(QDate(99, 7, 4), QTime(8, 5, 3)),
                                     QDateTime(QDate(9999, 12, 31), QTime(12, 0, 1)),
                                     QDateTime(QDate(-45, 3, 15), QTime(1, 2, 3))};
    for (const QDateTime &v : values) {
        QCOMPARE(DateTimeText::dateTime(v), v.toString(u"yyyy-MM-dd hh:mm:ss"_s));
        QCOMPARE(DateTimeText::date(v.date()), v.date().toString(u"yyyy-MM-dd"_s));
        if (v.date().year() > 0)
            QCOMPARE(DateTimeText::parseDateTime(DateTimeText::dateTime(v)), v.addMSecs(-v.time().msec()));
    }
    QCOMPARE(DateTimeText::dateTime(QDateTime()), QString());
    QCOMPARE(DateTimeText::date(QDate()), QString());
}

#include "tst_database.moc"
