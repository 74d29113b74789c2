// The rules of opening, adding, rating and settling fed with random amounts, quantities, rates
// and texts near the limits (seeded, so a failure repeats): no amount ever wraps, every refusal
// leaves the database as it was, and every accepted bill sums exactly.
#include "billing/Checkout.h"
#include "billing/Consumption.h"
#include "billing/OpenBill.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QDateTime Now(QDate(2026, 12, 9), QTime(12, 0, 0));

// An oracle independent of Money: the exact decimal product in 128 bits, rounded half to even.
__int128 roundedProduct(__int128 tenThousandths, qint64 quantity, qint64 rateNumerator, qint64 rateDenominator)
{
    const __int128 n = tenThousandths * quantity * rateNumerator;
    __int128 q = n / rateDenominator;
    __int128 r = n % rateDenominator;
    if (r < 0)
        r = -r;
    if (2 * r > rateDenominator || (2 * r == rateDenominator && (q % 2 != 0)))
        q += n < 0 ? -1 : 1;
    return q;
}

// The rows that every refusal must leave as they were.
QString snapshot(const Database &db)
{
    QString out;
    for (const QString &table : {u"手牌开单"_s, u"手牌消费"_s, u"结帐管理"_s, u"结帐明细"_s, u"服务生提成"_s}) {
        Cursor c = db.query(Statement(u"select count(*), sum("_s +
                                      (table == u"手牌开单"_s     ? u"押金金额"_s
                                       : table == u"手牌消费"_s   ? u"合计"_s
                                       : table == u"结帐管理"_s   ? u"实收金额"_s
                                       : table == u"结帐明细"_s   ? u"消费金额"_s
                                                                  : u"提成金额"_s) +
                                      u") from "_s + table));
        c.next();
        out += table + u'=' + c.raw(0).toString() + u'/' + c.money(1).toString() + u';';
    }
    Cursor tags = db.query(Statement(u"select 手牌号码, 手牌状态 from 手牌管理 order by id"_s));
    while (tags.next())
        out += tags.text(u"手牌号码"_s) + tags.text(u"手牌状态"_s);
    return out + db.scalar(Statement(u"select 单据号 from 单据号"_s)).toString();
}

class Feeder
{
public:
    explicit Feeder(quint32 seed) : m_random(seed) {}

    int below(int n) { return int(m_random.bounded(n)); }

    // Typed money: mostly ordinary, often at or past the edges, sometimes no amount at all.
    QString amountText()
    {
        switch (below(9)) {
        case 0:
            return u"99999999.9999"_s;
        case 1:
            return u"100000000"_s;
        case 2:
            return u"99999999999999"_s;
        case 3:
            return u"-"_s + QString::number(below(1000));
        case 4: {
            static const QStringList words{u""_s, u"abc"_s, u"1e30"_s, u"1,5"_s, u" 12 "_s};
            return words.at(below(int(words.size())));
        }
        case 5:
            return QString::number(m_random.bounded(quint64(1) << 62)); // far past any limit
        default:
            return QString::number(below(100000)) + u'.' + QString::number(below(10000)).rightJustified(4, u'0');
        }
    }
    qint64 quantity()
    {
        switch (below(6)) {
        case 0:
            return Consumption::MaxQuantity;
        case 1:
            return Consumption::MaxQuantity + 1;
        case 2:
            return 92233720368548;
        case 3:
            return -below(20);
        default:
            return 1 + below(20);
        }
    }
    QString rateText()
    {
        static const QStringList rates{u"1"_s,    u"0.9"_s, u"0.85"_s, u"0.88"_s, u"0.5"_s, u"0.01"_s, u"0.0001"_s,
                                       u"0"_s,    u"5"_s,   u"1.0001"_s, u"-1"_s, u"abc"_s, u"99999"_s};
        return rates.at(below(int(rates.size())));
    }

private:
    QRandomGenerator m_random;
};

} // namespace

class TestBillingLimits : public QObject
{
    Q_OBJECT
private slots:
    void randomBillsNeverWrapAndRefusalsWriteNothing_data();
    void randomBillsNeverWrapAndRefusalsWriteNothing();
};

void TestBillingLimits::randomBillsNeverWrapAndRefusalsWriteNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rounds");
    for (const QString &kind : TestDatabase::availableKinds())
        QTest::newRow(qPrintable(kind)) << kind << (kind == u"sqlite"_s ? 600 : 300);
}

void TestBillingLimits::randomBillsNeverWrapAndRefusalsWriteNothing()
{
    QFETCH(QString, kind);
    QFETCH(int, rounds);
    TestDatabase t(kind);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s);
    for (int i = 0; i < 4; ++i)
        addTag(db, u"T%1"_s.arg(i), u"大厅"_s, u"可用"_s);
    // The item rates as decimals written exactly, with the oracle's fraction for each.
    const QList<std::tuple<double, qint64, qint64>> itemRates{{1, 1, 1}, {0.9, 9, 10}, {0.875, 875, 1000}, {0.01, 1, 100}};

    Feeder feed(20261209);
    std::map<QString, __int128> expected; // each tag's open lines, by the oracle, in ten-thousandths
    int opened = 0, settled = 0, refused = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString tag = u"T%1"_s.arg(feed.below(4));
        const QString before = snapshot(db);
        OpenBill::Request request;
        request.master = tag;
        request.tags = {tag};
        request.roomType = u"大厅"_s;
        request.deposit = feed.amountText();
        request.operatorName = u"甲"_s;
        request.now = Now;
        try {
            OpenBill::open(db, request);
            ++opened;
        } catch (const Refusal &) {
            ++refused;
            QCOMPARE(snapshot(db), before);
        }

        for (int line = feed.below(4); line > 0; --line) {
            const auto [rate, numerator, denominator] = itemRates.at(feed.below(int(itemRates.size())));
            const std::optional<Money> price = Money::parse(feed.amountText());
            if (!price)
                continue;
            const Consumption::Item item{u"项目"_s, *price, Money(), rate, false};
            const qint64 quantity = feed.quantity();
            const QString linesBefore = snapshot(db);
            try {
                Consumption::post(db, Consumption::newLine(tag, tag, item, quantity, u"甲"_s, Now));
                expected[tag] += roundedProduct(price->raw(), quantity, numerator, denominator);
            } catch (const Refusal &) {
                QCOMPARE(snapshot(db), linesBefore);
                // what was refused was really out of range, or the tag had no open bill
                const __int128 total = roundedProduct(price->raw(), quantity, numerator, denominator);
                const __int128 limit = __int128(Money::LimitUnits) * Money::Scale;
                const bool outOfRange = quantity > Consumption::MaxQuantity || quantity < -Consumption::MaxQuantity ||
                                        total >= limit || total <= -limit || price->raw() >= limit ||
                                        price->raw() <= -limit;
                QVERIFY(outOfRange || Consumption::masterOf(db, tag).isEmpty());
            }
        }

        if (feed.below(3) == 0)
            continue; // the bill stays open a while, collecting more lines next round
        const Checkout::Bill bill = Checkout::load(db, tag);
        QVERIFY(__int128(bill.total.raw()) == expected[tag]); // every line summed exactly
        Checkout::Settlement s;
        s.tag = tag;
        s.shownNumber = bill.shownNumber;
        s.lineIds = bill.lineIds;
        s.arrival = bill.arrival;
        s.consumption = bill.total;
        s.operatorName = u"甲"_s;
        const QString settleBefore = snapshot(db);
        try {
            s.received = Checkout::applyRate(bill.total, feed.rateText());
            Checkout::settle(db, s, Now);
            ++settled;
            // the record carries the lines' exact sum
            const Money recorded = db.moneyFrom(db.scalar(
                Statement(u"select 消费金额 from 结帐管理 where 结帐单号="_s).text(QString::number(bill.shownNumber))));
            QCOMPARE(recorded, bill.total);
            QCOMPARE(db.moneyFrom(db.scalar(Statement(u"select sum(消费金额) from 结帐明细 where 单据号="_s)
                                                .text(QString::number(bill.shownNumber)))),
                     bill.total);
            QCOMPARE(Consumption::masterOf(db, tag), QString());
            expected[tag] = 0;
        } catch (const Refusal &) {
            ++refused;
            QCOMPARE(snapshot(db), settleBefore);
        }
    }
    // The sums of everything settled are exact and fit: the database summed them without error.
    const Money details = db.moneyFrom(db.scalar(Statement(u"select sum(消费金额) from 结帐明细"_s)));
    const Money records = db.moneyFrom(db.scalar(Statement(u"select sum(消费金额) from 结帐管理"_s)));
    QCOMPARE(details, records);
    QVERIFY(opened > rounds / 10 && settled > rounds / 20 && refused > rounds / 10);
}

QTEST_GUILESS_MAIN(TestBillingLimits)
#include "tst_billing_limits.moc"
