// Money: exact amounts, typed text, half-to-even products, the text form.
#include "db/Money.h"

#include <QTest>
#include <limits>

using namespace Qt::StringLiterals;

class TestMoney : public QObject
{
    Q_OBJECT
private slots:
    void parsesTypedText_data();
    void parsesTypedText();
    void rejectsWhatIsNoAmount_data();
    void rejectsWhatIsNoAmount();
    void textFormHasNoTrailingZeros_data();
    void textFormHasNoTrailingZeros();
    void multipliesHalfToEven_data();
    void multipliesHalfToEven();
    void tenTimesOneTenthIsExactlyOne();
    void largeAmountsDoNotOverflowTheProduct();
    void arithmeticNeverWraps();
};

void TestMoney::parsesTypedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("whole") << u"170"_s << qint64(1700000);
    QTest::newRow("blanks") << u"  12.5 "_s << qint64(125000);
    QTest::newRow("negative") << u"-70"_s << qint64(-700000);
    QTest::newRow("plus") << u"+3"_s << qint64(30000);
    QTest::newRow("leading dot") << u".5"_s << qint64(5000);
    QTest::newRow("trailing dot") << u"5."_s << qint64(50000);
    QTest::newRow("four places") << u"0.1234"_s << qint64(1234);
    QTest::newRow("fifth place rounds up") << u"0.12346"_s << qint64(1235);
    QTest::newRow("tie rounds to even down") << u"0.12345"_s << qint64(1234);
    QTest::newRow("tie rounds to even up") << u"0.12355"_s << qint64(1236);
    QTest::newRow("past the tie") << u"0.123450001"_s << qint64(1235);
    QTest::newRow("negative tie") << u"-0.00015"_s << qint64(-2);
}

void TestMoney::parsesTypedText()
{
    QFETCH(QString, text);
    QFETCH(qint64, raw);
    const std::optional<Money> m = Money::parse(text);
    QVERIFY(m.has_value());
    QCOMPARE(m->raw(), raw);
}

void TestMoney::rejectsWhatIsNoAmount_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << u"   "_s;
    QTest::newRow("letters") << u"abc"_s;
    QTest::newRow("two dots") << u"1.2.3"_s;
    QTest::newRow("sign only") << u"-"_s;
    QTest::newRow("dot only") << u"."_s;
    QTest::newRow("exponent") << u"1e5"_s;
    QTest::newRow("inner blank") << u"1 000"_s;
    QTest::newRow("comma") << u"1,5"_s;
    QTest::newRow("too large") << u"99999999999999999999"_s;
    QTest::newRow("too large by its decimals") << u"922337203685477.9999"_s;
}

void TestMoney::rejectsWhatIsNoAmount()
{
    QFETCH(QString, text);
    QVERIFY(!Money::parse(text).has_value());
}

void TestMoney::textFormHasNoTrailingZeros_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<QString>("two"); // two decimals, rounded half away from zero
    QTest::newRow("whole") << qint64(1700000) << u"170"_s << u"170.0000"_s << u"170.00"_s;
    QTest::newRow("half") << qint64(5000) << u"0.5"_s << u"0.5000"_s << u"0.50"_s;
    QTest::newRow("zero") << qint64(0) << u"0"_s << u"0.0000"_s << u"0.00"_s;
    QTest::newRow("negative") << qint64(-700000) << u"-70"_s << u"-70.0000"_s << u"-70.00"_s;
    QTest::newRow("small negative") << qint64(-1) << u"-0.0001"_s << u"-0.0001"_s << u"0.00"_s;
    QTest::newRow("four places") << qint64(123457) << u"12.3457"_s << u"12.3457"_s << u"12.35"_s;
    QTest::newRow("half a cent") << qint64(123450) << u"12.345"_s << u"12.3450"_s << u"12.35"_s;
    QTest::newRow("half a cent below") << qint64(-123450) << u"-12.345"_s << u"-12.3450"_s << u"-12.35"_s;
    QTest::newRow("just under half") << qint64(123449) << u"12.3449"_s << u"12.3449"_s << u"12.34"_s;
}

void TestMoney::textFormHasNoTrailingZeros()
{
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QFETCH(QString, fixed);
    QCOMPARE(Money::fromRaw(raw).toString(), text);
    QCOMPARE(Money::fromRaw(raw).toFixedString(), fixed);
    QFETCH(QString, two);
    QCOMPARE(Money::fromRaw(raw).toFixedString(2), two);
    QCOMPARE(Money::parse(text)->raw(), raw); // the text form reads back as the same amount
}

void TestMoney::multipliesHalfToEven_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("expected");
    QTest::newRow("member rate") << u"200"_s << 0.85 << u"170"_s;
    QTest::newRow("rate twice, first") << u"100"_s << 0.9 << u"90"_s;
    QTest::newRow("rate twice, second") << u"90"_s << 0.9 << u"81"_s;
    QTest::newRow("0.88 is exactly 0.88") << u"1"_s << 0.88 << u"0.88"_s;
    // 0.12345 at four places: the tie goes to the even neighbour
    QTest::newRow("tie to even down") << u"0.2469"_s << 0.5 << u"0.1234"_s;
    QTest::newRow("tie to even up") << u"0.2471"_s << 0.5 << u"0.1236"_s;
    QTest::newRow("negative") << u"-10"_s << 0.333 << u"-3.33"_s;
    QTest::newRow("a third") << u"10"_s << (1.0 / 3.0) << u"3.3333"_s;
    QTest::newRow("factor one") << u"12.3456"_s << 1.0 << u"12.3456"_s;
    QTest::newRow("factor zero") << u"12.3456"_s << 0.0 << u"0"_s;
}

void TestMoney::multipliesHalfToEven()
{
    QFETCH(QString, amount);
    QFETCH(double, factor);
    QFETCH(QString, expected);
    QCOMPARE(Money::parse(amount)->multipliedBy(factor).toString(), expected);
}

void TestMoney::tenTimesOneTenthIsExactlyOne()
{
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum += *Money::parse(u"0.1"_s);
    QCOMPARE(sum, Money::fromUnits(1));
    QCOMPARE(sum.toString(), u"1"_s);
}

void TestMoney::largeAmountsDoNotOverflowTheProduct()
{
    // A hundred million yuan at a sixteen-digit factor needs more than 64 bits midway.
    const Money big = Money::fromUnits(100'000'000);
    QCOMPARE(big.multipliedBy(0.3333333333333333).toString(), u"33333333.3333"_s);
    QCOMPARE(big.multipliedBy(0.85).toString(), u"85000000"_s);
}

// Every result outside what the amount can hold is an error, never a wrapped value.
void TestMoney::arithmeticNeverWraps()
{
    const Money largest = Money::fromRaw(std::numeric_limits<qint64>::max());
    const Money smallest = Money::fromRaw(std::numeric_limits<qint64>::min());
    const Money tenth = Money::fromRaw(1000);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, largest + tenth);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, smallest - tenth);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, -smallest);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, *Money::parse(u"99999999999999"_s) * 10);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, Money::fromUnits(100) * qint64(92233720368548));
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, *Money::parse(u"-99999999999999"_s) * -10);
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, Money::fromUnits(std::numeric_limits<qint64>::max() / 1000));
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, largest.multipliedBy(1.5));
    Money sum = largest;
    QVERIFY_THROWS_EXCEPTION(MoneyOutOfRange, sum += Money::fromRaw(1));
    QCOMPARE(sum, largest); // a refused sum leaves the amount as it was
    // right at the edges nothing is refused
    QCOMPARE((largest - tenth) + tenth, largest);
    QCOMPARE(Money::fromRaw(-4611686018427387904) * 2, smallest);
    QCOMPARE((*Money::parse(u"-3"_s) * -3).toString(), u"9"_s);
    // the counter's own limit, for what is typed
    QVERIFY(Money::fromUnits(Money::LimitUnits - 1).isWithinLimit());
    QVERIFY(!Money::fromUnits(Money::LimitUnits).isWithinLimit());
    QVERIFY(!Money::fromUnits(-Money::LimitUnits).isWithinLimit());
}

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
