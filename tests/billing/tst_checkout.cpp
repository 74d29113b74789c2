// Settling bills, without windows: amounts, rates, members, group bills, commission,
// free bills, bill numbers, and that a settlement happens whole or not at all, also
// with two counters at once and with a process killed half way.
#include "billing/Checkout.h"
#include "billing/Consumption.h"
#include "db/Transaction.h"
#include "session/Attempts.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

QString text(const Database &db, const QString &sql)
{
    return db.scalar(Statement(sql)).toString();
}

qint64 number(const Database &db, const QString &sql)
{
    return db.scalar(Statement(sql)).toLongLong();
}

Money money(const Database &db, const QString &sql)
{
    return db.moneyFrom(db.scalar(Statement(sql)));
}

// What the screen would hand over after showing the tag, with the amounts shown.
Checkout::Settlement settlementFor(const Database &db, const QString &tag)
{
    const Checkout::Bill bill = Checkout::load(db, tag);
    Checkout::Settlement s;
    s.tag = tag;
    s.shownNumber = bill.shownNumber;
    s.lineIds = bill.lineIds;
    s.arrival = bill.arrival;
    s.consumption = bill.total;
    s.received = bill.total;
    s.customerName = bill.customerName;
    s.remark = u"无"_s;
    s.operatorName = u"收银员甲"_s;
    return s;
}

void occupy(const Database &db, const QString &tag, const QString &master)
{
    addTag(db, tag, u"大厅"_s, u"占用"_s);
    openBill(db, tag, master, QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
}

const QDateTime Now(QDate(2026, 12, 9), QTime(12, 30, 0));

} // namespace

class TestCheckout : public QObject
{
    Q_OBJECT
private slots:
    void billNumberFollowsTheCounterEverywhere_data() { TestDatabase::addKindRows(); }
    void billNumberFollowsTheCounterEverywhere();
    void rateAppliesToTheConsumptionOnceAndWithinBounds();
    void amountsBeyondTheLimitAreRefusedBeforeAnythingIsWritten_data() { TestDatabase::addKindRows(); }
    void amountsBeyondTheLimitAreRefusedBeforeAnythingIsWritten();
    void nothingReceivedForABillAboveZeroIsAFreeBill_data() { TestDatabase::addKindRows(); }
    void nothingReceivedForABillAboveZeroIsAFreeBill();
    void memberWhoseCardIsNotUsableIsRefused_data() { TestDatabase::addKindRows(); }
    void memberWhoseCardIsNotUsableIsRefused();
    void guessingAMembersPasswordIsLimited_data() { TestDatabase::addKindRows(); }
    void guessingAMembersPasswordIsLimited();
    void memberTypeRateDiscountsTheReceivedAmountOnly_data() { TestDatabase::addKindRows(); }
    void memberTypeRateDiscountsTheReceivedAmountOnly();
    void cardPaymentMayGoNegativeAndPointsGrowEitherWay_data() { TestDatabase::addKindRows(); }
    void cardPaymentMayGoNegativeAndPointsGrowEitherWay();
    void lookupVerifiesThePassword_data() { TestDatabase::addKindRows(); }
    void lookupVerifiesThePassword();
    void masterTagSettlesTheWholeGroup_data() { TestDatabase::addKindRows(); }
    void masterTagSettlesTheWholeGroup();
    void joinedTagSettlesOnlyItsOwnLines_data() { TestDatabase::addKindRows(); }
    void joinedTagSettlesOnlyItsOwnLines();
    void billWithoutLinesStillTakesANumber_data() { TestDatabase::addKindRows(); }
    void billWithoutLinesStillTakesANumber();
    void commissionOncePerLineAboveZero_data() { TestDatabase::addKindRows(); }
    void commissionOncePerLineAboveZero();
    void freeBillWritesNoCommissionAndLeavesMembersAlone_data() { TestDatabase::addKindRows(); }
    void freeBillWritesNoCommissionAndLeavesMembersAlone();
    void cardPaymentNeedsAMember_data() { TestDatabase::addKindRows(); }
    void cardPaymentNeedsAMember();
    void changedLinesAreRefusedAndNothingIsWritten_data() { TestDatabase::addKindRows(); }
    void changedLinesAreRefusedAndNothingIsWritten();
    void failureHalfWayWritesNothing_data() { TestDatabase::addKindRows(); }
    void failureHalfWayWritesNothing();
    void numberTakenByAnotherCounterIsSaid_data() { TestDatabase::addKindRows(); }
    void numberTakenByAnotherCounterIsSaid();
    void twoCountersAtOnceNeverShareANumberOrLoseAPayment_data() { TestDatabase::addKindRows(); }
    void twoCountersAtOnceNeverShareANumberOrLoseAPayment();
    void killedSettlementIsWholeOrNothing_data() { TestDatabase::addKindRows(); }
    void killedSettlementIsWholeOrNothing();
};

void TestCheckout::billNumberFollowsTheCounterEverywhere()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    setBillCounter(db, 41);
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, u"10"_s);
    const Checkout::Bill bill = Checkout::load(db, u"A1"_s);
    QCOMPARE(bill.shownNumber, 42);
    QCOMPARE(Checkout::load(db, u"A1"_s).shownNumber, 42); // opening twice consumes nothing

    const Checkout::Outcome out = Checkout::settle(db, settlementFor(db, u"A1"_s), Now);
    QCOMPARE(out.billNumber, 42);
    QVERIFY(!out.numberChanged);
    QCOMPARE(Checkout::closingMessage(out), u"谢谢光临！"_s);
    QCOMPARE(text(db, u"select 结帐单号 from 结帐管理"_s), u"42"_s);
    QCOMPARE(text(db, u"select 单据号 from 结帐明细"_s), u"42"_s);
    QCOMPARE(text(db, u"select 单据号 from 服务生提成"_s), u"42"_s);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 42);
    QCOMPARE(number(db, u"select count(*) from 单据号"_s), 1);
}

void TestCheckout::rateAppliesToTheConsumptionOnceAndWithinBounds()
{
    const Money hundred = Money::fromUnits(100);
    QCOMPARE(Checkout::applyRate(hundred, u"0.9"_s).toString(), u"90"_s);
    QCOMPARE(Checkout::applyRate(hundred, u"1"_s), hundred);
    QCOMPARE(Checkout::rateText(0.875), u"0.88"_s);
    QCOMPARE(Checkout::rateText(0.85), u"0.85"_s);
    QCOMPARE(Checkout::rateText(1), u"1.00"_s);
    QCOMPARE(Checkout::applyRate(Money::fromUnits(200), Checkout::rateText(0.875)).toString(), u"176"_s);
    // four places, ties to even: 0.12345 -> 0.1234
    QCOMPARE(Checkout::applyRate(*Money::parse(u"0.2469"_s), u"0.5"_s).toString(), u"0.1234"_s);
    // a rate of 0 would be a free bill without its permission; above 1 it overcharges; text
    // that is not plainly a number is not rewritten into one
    for (const QString &bad : {u""_s, u"."_s, u"0"_s, u"0.0000"_s, u"-0.5"_s, u"1.0001"_s, u"5"_s, u"99999"_s,
                               u"1e30"_s, u"1,5"_s, u"abc"_s}) {
        QVERIFY_THROWS_EXCEPTION(Checkout::BadRate, Checkout::applyRate(hundred, bad));
    }
}

void TestCheckout::amountsBeyondTheLimitAreRefusedBeforeAnythingIsWritten()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, QString());
    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.received = *Money::parse(u"99999999999999"_s);
    try {
        Checkout::settle(db, s, Now);
        QFAIL("an amount beyond the limit was settled");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), Checkout::amountLimitMessage());
    }
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 0);
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 1);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 0);
}

void TestCheckout::nothingReceivedForABillAboveZeroIsAFreeBill()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, u"10"_s);
    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.received = Money();
    try {
        Checkout::settle(db, s, Now);
        QFAIL("a bill of 100 was settled as paid with nothing received");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), Checkout::nothingReceivedMessage());
        QVERIFY(r.text().contains(u"免单[F3]"_s));
    }
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 0);
    Checkout::settleFree(db, s, Now); // the free bill's own way
    QCOMPARE(text(db, u"select 状态 from 结帐管理"_s), u"免单"_s);
}

// Five wrong passwords for a card within ten minutes lock it for ten minutes at every counter;
// a right password before that clears the count.
void TestCheckout::guessingAMembersPasswordIsLimited()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"500"_s, 0);
    const QDateTime at = Now;
    for (int i = 0; i < 4; ++i)
        QVERIFY(!Checkout::lookUp(db, u"8001"_s, u"000%1"_s.arg(i), at.addSecs(i)));
    QVERIFY(Checkout::lookUp(db, u"8001"_s, u"1234"_s, at.addSecs(10))); // clears the count
    for (int i = 0; i < 4; ++i)
        QVERIFY(!Checkout::lookUp(db, u"8001"_s, u"x"_s, at.addSecs(20 + i)));
    QVERIFY_THROWS_EXCEPTION(Attempts::LockedOut, Checkout::lookUp(db, u"8001"_s, u"y"_s, at.addSecs(30)));
    // locked at another counter too, even with the right password
    const Database other = t.openAnother(u"other-counter"_s);
    try {
        Checkout::lookUp(other, u"8001"_s, u"1234"_s, at.addSecs(60));
        QFAIL("a locked card was looked up");
    } catch (const Attempts::LockedOut &e) {
        QVERIFY(e.text().contains(at.addSecs(30 + 600).toString(u"hh:mm:ss"_s)));
    }
    // ten minutes after the fifth, the card works again
    QVERIFY(Checkout::lookUp(db, u"8001"_s, u"1234"_s, at.addSecs(30 + 601)));
    // guesses at cards nobody holds are not kept
    for (int i = 0; i < 6; ++i)
        QVERIFY(!Checkout::lookUp(db, u"9999"_s, u"x"_s, at.addSecs(700 + i)));
    QCOMPARE(number(db, u"select count(*) from 密码错误"_s), 0);
}

void TestCheckout::memberWhoseCardIsNotUsableIsRefused()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const qint64 id = addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"500"_s, 0);
    db.execute(Statement(u"update 会员管理 set 当前状态="_s).text(u"挂失"_s).sql(u" where id="_s).integer(id));
    try {
        Checkout::lookUp(db, u"8001"_s, u"1234"_s);
        QFAIL("a lost card was accepted");
    } catch (const Checkout::MemberNotUsable &e) {
        QVERIFY(e.text().contains(u"挂失"_s));
    }
    // without the right password nothing is told about the card
    QVERIFY(!Checkout::lookUp(db, u"8001"_s, u"0000"_s));
}

void TestCheckout::memberTypeRateDiscountsTheReceivedAmountOnly()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMemberType(db, u"金卡"_s, 0.85);
    addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"1000"_s, 0);
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"200"_s, 1, 1, QString());

    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.member = Checkout::lookUp(db, u"8001"_s, u"1234"_s);
    QVERIFY(s.member);
    const std::optional<double> rate = Checkout::typeRate(db, s.member->type);
    QVERIFY(rate);
    s.received = Checkout::applyRate(s.consumption, Checkout::rateText(*rate));
    s.customerName = s.member->name;
    QCOMPARE(s.received.toString(), u"170"_s);
    Checkout::settle(db, s, Now);
    QCOMPARE(money(db, u"select 实收金额 from 结帐管理"_s).toString(), u"170"_s);
    QCOMPARE(money(db, u"select 消费金额 from 结帐管理"_s).toString(), u"200"_s);
    QCOMPARE(text(db, u"select 会员卡号 from 结帐管理"_s), u"8001"_s);
    QCOMPARE(text(db, u"select 顾客姓名 from 结帐管理"_s), u"会员8001"_s);
    QCOMPARE(text(db, u"select 顾客姓名 from 结帐明细"_s), u"会员8001"_s);
    QCOMPARE(money(db, u"select 消费金额 from 结帐明细"_s).toString(), u"200"_s); // lines keep their own amounts
    QVERIFY(!Checkout::typeRate(db, u"没有的类型"_s).has_value());
}

void TestCheckout::cardPaymentMayGoNegativeAndPointsGrowEitherWay()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMember(db, u"8001"_s, u"1"_s, u"散客"_s, u"100"_s, 500);
    addMember(db, u"8002"_s, u"1"_s, u"散客"_s, u"100"_s, 500);
    for (const QString &tag : {u"A1"_s, u"A2"_s}) {
        occupy(db, tag, tag);
        addFullLine(db, tag, tag, u"足疗"_s, u"170"_s, 1, 1, QString());
    }
    Checkout::Settlement card = settlementFor(db, u"A1"_s);
    card.member = Checkout::lookUp(db, u"8001"_s, u"1"_s);
    card.payment = Checkout::Payment::Card;
    Checkout::settle(db, card, Now);
    Checkout::Settlement cash = settlementFor(db, u"A2"_s);
    cash.member = Checkout::lookUp(db, u"8002"_s, u"1"_s);
    Checkout::settle(db, cash, Now);

    Cursor c = db.query(Statement(u"select * from 会员管理 order by id"_s));
    QVERIFY(c.next());
    QCOMPARE(c.money(u"卡内金额"_s).toString(), u"-70"_s);
    QCOMPARE(c.integer(u"当前积分"_s), 670);
    QVERIFY(c.next());
    QCOMPARE(c.money(u"卡内金额"_s).toString(), u"100"_s);
    QCOMPARE(c.integer(u"当前积分"_s), 670);
    QCOMPARE(text(db, u"select 结帐方式 from 结帐管理 where 手牌号码='A1'"_s), u"卡内扣除"_s);
    QCOMPARE(text(db, u"select 结帐方式 from 结帐管理 where 手牌号码='A2'"_s), u"现金支付"_s);
}

void TestCheckout::lookupVerifiesThePassword()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"12.5"_s, 7);
    QVERIFY(!Checkout::lookUp(db, u"8001"_s, u"4321"_s));
    QVERIFY(!Checkout::lookUp(db, u"8001"_s, QString()));
    QVERIFY(!Checkout::lookUp(db, u"8002"_s, u"1234"_s));
    QVERIFY(!Checkout::lookUp(db, u"8001' or '1'='1"_s, u"1234"_s));
    const std::optional<Checkout::Member> m = Checkout::lookUp(db, u"8001"_s, u"1234"_s);
    QVERIFY(m);
    QCOMPARE(m->balance.toString(), u"12.5"_s);
    QCOMPARE(m->points, 7);
    QCOMPARE(m->type, u"金卡"_s);
}

// A tag of the group left occupied would take lines onto a bill that is gone and hand them to
// the next guest of its master: settling the master frees the whole group, lines or not.
void TestCheckout::masterTagSettlesTheWholeGroup()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    occupy(db, u"A2"_s, u"A1"_s);
    occupy(db, u"A3"_s, u"A1"_s); // joined, but no line of its own
    occupy(db, u"B1"_s, u"B1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s, 1, 1, QString());
    addFullLine(db, u"A2"_s, u"A1"_s, u"门票"_s, u"38"_s, 1, 1, QString());
    addFullLine(db, u"A2"_s, u"A1"_s, u"茶水"_s, u"10"_s, 1, 2, QString());
    addFullLine(db, u"B1"_s, u"B1"_s, u"门票"_s, u"38"_s, 1, 1, QString());

    const Checkout::Bill bill = Checkout::load(db, u"A1"_s);
    QCOMPARE(bill.total.toString(), u"96"_s);
    QCOMPARE(bill.tagList, (QStringList{u"A1"_s, u"A2"_s, u"A2"_s}));
    Checkout::settle(db, settlementFor(db, u"A1"_s), Now);

    QCOMPARE(number(db, u"select count(*) from 结帐明细"_s), 3);
    QCOMPARE(number(db, u"select count(*) from 结帐明细 where 手牌号码='A1'"_s), 3); // the checkout tag
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 1);                   // B1's line stays
    for (const QString &freed : {u"A1"_s, u"A2"_s, u"A3"_s})
        QCOMPARE(text(db, u"select 手牌状态 from 手牌管理 where 手牌号码='"_s + freed + u"'"_s), u"可用"_s);
    QCOMPARE(number(db, u"select count(*) from 手牌开单"_s), 1); // B1's
    // A3 takes no line any more, so a new guest of A1 never pays for it
    Consumption::Item tea{u"茶水"_s, Money::fromUnits(10), Money(), 1, false};
    QVERIFY_THROWS_EXCEPTION(Consumption::TagNotOpen,
                             Consumption::post(db, Consumption::newLine(u"A3"_s, u"A1"_s, tea, 1, u"甲"_s, Now)));
}

void TestCheckout::joinedTagSettlesOnlyItsOwnLines()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    occupy(db, u"A2"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s, 1, 1, QString());
    addFullLine(db, u"A2"_s, u"A1"_s, u"茶水"_s, u"10"_s, 1, 1, QString());
    Checkout::settle(db, settlementFor(db, u"A2"_s), Now);
    QCOMPARE(money(db, u"select 消费金额 from 结帐管理"_s).toString(), u"10"_s);
    QCOMPARE(text(db, u"select 手牌状态 from 手牌管理 where 手牌号码='A2'"_s), u"可用"_s);
    QCOMPARE(text(db, u"select 手牌状态 from 手牌管理 where 手牌号码='A1'"_s), u"占用"_s);
    QCOMPARE(number(db, u"select count(*) from 手牌开单"_s), 1);
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 1);
}

// A bill without lines is settled once: its tag is freed with it, and a second settlement of
// the same tag is refused instead of writing a second record.
void TestCheckout::billWithoutLinesStillTakesANumber()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    const Checkout::Bill bill = Checkout::load(db, u"A1"_s);
    QCOMPARE(bill.total, Money());
    QVERIFY(bill.tagList.isEmpty());
    Checkout::settle(db, settlementFor(db, u"A1"_s), Now);
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 1);
    QCOMPARE(money(db, u"select 实收金额 from 结帐管理"_s), Money());
    QCOMPARE(number(db, u"select count(*) from 结帐明细"_s), 0);
    QCOMPARE(text(db, u"select 手牌状态 from 手牌管理"_s), u"可用"_s);
    QCOMPARE(number(db, u"select count(*) from 手牌开单"_s), 0);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 1);
    QVERIFY_THROWS_EXCEPTION(Checkout::NothingToSettle, Checkout::settle(db, settlementFor(db, u"A1"_s), Now));
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 1);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 1);
}

void TestCheckout::commissionOncePerLineAboveZero()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s, 1, 1, QString(), u"无"_s, QString());
    addFullLine(db, u"A1"_s, u"A1"_s, u"茶水"_s, u"8"_s, 1, 2, u"0"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"50"_s, 0.8, 3, u"10"_s, u"007"_s, u"小红"_s);
    Checkout::settle(db, settlementFor(db, u"A1"_s), Now);
    QCOMPARE(number(db, u"select count(*) from 服务生提成"_s), 1);
    Cursor c = db.query(Statement(u"select * from 服务生提成"_s));
    QVERIFY(c.next());
    QCOMPARE(c.money(u"提成金额"_s).toString(), u"10"_s);
    QCOMPARE(c.text(u"编号"_s), u"007"_s);
    QCOMPARE(c.text(u"姓名"_s), u"小红"_s);
    QCOMPARE(c.date(u"结帐时间"_s), Now.date());
    QCOMPARE(c.text(u"手牌号码"_s), u"A1"_s);
    Cursor d = db.query(Statement(u"select * from 结帐明细 where 消费项目="_s).text(u"足疗"_s));
    QVERIFY(d.next());
    QCOMPARE(d.money(u"消费单价"_s).toString(), u"40"_s); // the price charged
    QCOMPARE(d.money(u"消费金额"_s).toString(), u"120"_s);
    QCOMPARE(d.integer(u"消费数量"_s), 3);
    QCOMPARE(d.text(u"状态"_s), u"已结"_s);
    QCOMPARE(d.text(u"营业员"_s), u"收银员甲"_s);
}

void TestCheckout::freeBillWritesNoCommissionAndLeavesMembersAlone()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMember(db, u"8001"_s, u"1"_s, u"金卡"_s, u"300"_s, 500);
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"50"_s, 0.8, 3, u"10"_s);
    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.member = Checkout::lookUp(db, u"8001"_s, u"1"_s);
    s.payment = Checkout::Payment::Card;
    Checkout::settleFree(db, s, Now);
    QCOMPARE(number(db, u"select count(*) from 服务生提成"_s), 0);
    QCOMPARE(text(db, u"select 状态 from 结帐管理"_s), u"免单"_s);
    QVERIFY(db.scalar(Statement(u"select 会员卡号 from 结帐管理"_s)).isNull());
    QCOMPARE(money(db, u"select 实收金额 from 结帐管理"_s).toString(), u"120"_s); // as shown, not zeroed
    QCOMPARE(text(db, u"select 状态 from 结帐明细"_s), u"免单"_s);
    QCOMPARE(money(db, u"select 消费单价 from 结帐明细"_s).toString(), u"50"_s); // the list price
    QCOMPARE(money(db, u"select 卡内金额 from 会员管理"_s).toString(), u"300"_s);
    QCOMPARE(number(db, u"select 当前积分 from 会员管理"_s), 500);
    QCOMPARE(text(db, u"select 手牌状态 from 手牌管理"_s), u"可用"_s);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 1);
}

void TestCheckout::cardPaymentNeedsAMember()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, QString());
    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.payment = Checkout::Payment::Card;
    try {
        Checkout::settle(db, s, Now);
        QFAIL("a card payment without a member was settled");
    } catch (const Refusal &e) {
        QCOMPARE(e.text(), Checkout::cardNeedsMemberMessage());
    }
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 0);
    // a free bill takes no money, whatever the method
    Checkout::settleFree(db, s, Now);
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 1);
    // a member type without a rate gives full price
    db.execute(Statement::insert(u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(u"普通"_s)}, {u"打折率"_s, SqlValue::null()}}));
    QCOMPARE(Checkout::typeRate(db, u"普通"_s), std::optional<double>(1.0));
}

void TestCheckout::changedLinesAreRefusedAndNothingIsWritten()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, u"10"_s);
    const Checkout::Settlement s = settlementFor(db, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"茶水"_s, u"8"_s, 1, 1, QString()); // another counter adds a line
    QVERIFY_THROWS_EXCEPTION(Checkout::BillChanged, Checkout::settle(db, s, Now));
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 0);
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 2);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 0);
}

void TestCheckout::failureHalfWayWritesNothing()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMember(db, u"8001"_s, u"1"_s, u"金卡"_s, u"300"_s, 0);
    occupy(db, u"A1"_s, u"A1"_s);
    addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"100"_s, 1, 1, u"10"_s);
    Checkout::Settlement s = settlementFor(db, u"A1"_s);
    s.member = Checkout::lookUp(db, u"8001"_s, u"1"_s);
    s.payment = Checkout::Payment::Card;
    // The commission table is gone: the settlement fails after record, member and details.
    db.executeScript(u"drop table 服务生提成;"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, Checkout::settle(db, s, Now));
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 0);
    QCOMPARE(number(db, u"select count(*) from 结帐明细"_s), 0);
    QCOMPARE(money(db, u"select 卡内金额 from 会员管理"_s).toString(), u"300"_s);
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 1);
    QCOMPARE(text(db, u"select 手牌状态 from 手牌管理"_s), u"占用"_s);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 0);
}

void TestCheckout::numberTakenByAnotherCounterIsSaid()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    for (const QString &tag : {u"A1"_s, u"A2"_s}) {
        occupy(db, tag, tag);
        addFullLine(db, tag, tag, u"足疗"_s, u"100"_s, 1, 1, QString());
    }
    const Checkout::Settlement first = settlementFor(db, u"A1"_s);
    const Checkout::Settlement second = settlementFor(db, u"A2"_s); // both show bill 1
    QCOMPARE(Checkout::settle(db, second, Now).billNumber, 1);
    const Checkout::Outcome out = Checkout::settle(db, first, Now);
    QCOMPARE(out.billNumber, 2);
    QVERIFY(out.numberChanged);
    QVERIFY(Checkout::closingMessage(out).contains(u"2"_s));
    QVERIFY(Checkout::closingMessage(out).startsWith(u"谢谢光临！"_s));
    QCOMPARE(text(db, u"select 结帐单号 from 结帐管理 where 手牌号码='A1'"_s), u"2"_s);
}

void TestCheckout::twoCountersAtOnceNeverShareANumberOrLoseAPayment()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    constexpr int Rounds = 40;
    const qint64 member = addMember(db, u"8001"_s, u"1"_s, u"金卡"_s, u"10000"_s, 0);
    for (int i = 0; i < Rounds; ++i) {
        for (const QString &counter : {u"L"_s, u"R"_s}) {
            const QString tag = counter + QString::number(i);
            occupy(db, tag, tag);
            addFullLine(db, tag, tag, u"足疗"_s, u"12.34"_s, 1, 1, u"1"_s);
        }
    }
    std::atomic<int> failures = 0;
    const auto counter = [&](const QString &side) {
        const QString name = u"counter-"_s + side;
        {
            const Database own = Database::open(t.connectionString(), t.baseDir(), name);
            for (int i = 0; i < Rounds; ++i) {
                try {
                    Checkout::Settlement s = settlementFor(own, side + QString::number(i));
                    s.member = Checkout::Member{member, u"8001"_s, u"会员"_s, u"金卡"_s, 0, Money(), u"可用"_s};
                    s.payment = Checkout::Payment::Card;
                    Checkout::settle(own, s, Now);
                } catch (const DbError &e) {
                    qWarning("%s", e.what());
                    ++failures;
                }
            }
        }
        Database::remove(name);
    };
    std::thread left(counter, u"L"_s);
    std::thread right(counter, u"R"_s);
    left.join();
    right.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(number(db, u"select count(*) from 结帐管理"_s), 2 * Rounds);
    QCOMPARE(number(db, u"select count(distinct 结帐单号) from 结帐管理"_s), 2 * Rounds);
    QCOMPARE(number(db, u"select 单据号 from 单据号"_s), 2 * Rounds);
    QCOMPARE(money(db, u"select 卡内金额 from 会员管理"_s),
             Money::fromUnits(10000) - *Money::parse(u"12.34"_s) * (2 * Rounds));
    QCOMPARE(number(db, u"select 当前积分 from 会员管理"_s), 12 * 2 * Rounds);
    QCOMPARE(number(db, u"select count(*) from 手牌消费"_s), 0);
}

void TestCheckout::killedSettlementIsWholeOrNothing()
{
    QFETCH(QString, kind);
    constexpr int Lines = 1500;
    int whole = 0, nothing = 0;
    qint64 duration = 0; // how long the child takes to settle, learnt in the first round
    for (int round = 0; round < 8; ++round) {
        TestDatabase t(kind);
        const Database &db = t.db();
        occupy(db, u"A1"_s, u"A1"_s);
        {
            Transaction tx(db);
            for (int i = 0; i < Lines; ++i)
                addFullLine(db, u"A1"_s, u"A1"_s, u"茶水"_s, u"1.5"_s, 1, 1, u"0.1"_s);
            tx.commit();
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"--settle-child"_s, t.connectionString(), t.baseDir(), u"A1"_s});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000)); // "ready": it has gathered the bill
        QElapsedTimer timer;
        timer.start();
        if (round == 0) {
            QVERIFY(child.waitForFinished(60000));
            duration = std::max<qint64>(timer.elapsed(), 1);
        } else {
            // somewhere within the settlement, most of the time
            QTest::qSleep(int(QRandomGenerator::global()->bounded(duration + duration / 4 + 1)));
            child.kill();
            child.waitForFinished();
        }

        const qint64 records = number(db, u"select count(*) from 结帐管理"_s);
        const qint64 details = number(db, u"select count(*) from 结帐明细"_s);
        const qint64 commission = number(db, u"select count(*) from 服务生提成"_s);
        const qint64 open = number(db, u"select count(*) from 手牌消费"_s);
        const qint64 counter = number(db, u"select 单据号 from 单据号"_s);
        if (records == 1) {
            ++whole;
            QCOMPARE(details, Lines);
            QCOMPARE(commission, Lines);
            QCOMPARE(open, 0);
            QCOMPARE(counter, 1);
        } else {
            ++nothing;
            QCOMPARE(records, 0);
            QCOMPARE(details, 0);
            QCOMPARE(commission, 0);
            QCOMPARE(open, Lines);
            QCOMPARE(counter, 0);
        }
    }
    qInfo("settling took %lld ms; killed settlements: %d whole, %d nothing", duration, whole - 1, nothing);
}

// The child of killedSettlementIsWholeOrNothing: settles one bill and is killed meanwhile.
static int settleChild(const QStringList &args)
{
    const Database db = Database::open(args.at(2), args.at(3), u"child"_s);
    const Checkout::Settlement s = settlementFor(db, args.at(4));
    fputs("ready\n", stdout);
    fflush(stdout);
    Checkout::settle(db, s, QDateTime::currentDateTime());
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 5 && args.at(1) == u"--settle-child"_s)
        return settleChild(args);
    TestCheckout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_checkout.moc"
