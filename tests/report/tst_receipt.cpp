// The checkout receipt: the bill's lines under the compiled-in template, the shop, member and
// payment filled in from the checkout screen's texts, and the same receipt written as PDF.
#include "report/Receipt.h"
#include "report/ReportPainter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2024, 5, 1), QTime(21, 7, 9));

struct Line
{
    QString item;
    QString price;  // list price
    QString actual; // after the item's own discount
    qint64 count;
    QString tag = u"A08"_s;
    QDateTime at = QDateTime(QDate(2024, 5, 1), QTime(19, 45, 30));
};

DataSet lines(const QList<Line> &rows)
{
    DataSet set({{u"项目名"_s, ColumnKind::Text},
                 {u"单价"_s, ColumnKind::Money},
                 {u"实际单价"_s, ColumnKind::Money},
                 {u"数量"_s, ColumnKind::Integer},
                 {u"合计"_s, ColumnKind::Money},
                 {u"消费时间"_s, ColumnKind::DateTime},
                 {u"手牌号码"_s, ColumnKind::Text},
                 {u"主手牌号"_s, ColumnKind::Text},
                 {u"服务生编号"_s, ColumnKind::Text},
                 {u"营业员"_s, ColumnKind::Text}});
    for (const Line &l : rows) {
        const Money actual = *Money::parse(l.actual);
        set.addRow({l.item, *Money::parse(l.price), actual, l.count, actual * l.count, l.at, l.tag, u"A08"_s,
                    u"007"_s, u"超级管理员"_s});
    }
    return set;
}

DataSet manyLines(int count)
{
    QList<Line> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({u"项目%1"_s.arg(i), u"%1"_s.arg(i), u"%1"_s.arg(i), 1});
    return lines(rows);
}

ReceiptValues walkIn()
{
    ReceiptValues v;
    v.shopName = u"清泉浴场"_s;
    v.shopTel = u"0571-88886666"_s;
    v.billNumber = u"20240501-0012"_s;
    v.points = u"0"_s;
    v.balance = u"0"_s;
    v.received = u"120"_s;
    v.rate = u"1"_s;
    return v;
}

QString text(const LaidOutReport &report, const QString &name)
{
    for (const LaidOutPage &page : report.pages) {
        if (const LaidOutObject *o = page.object(name))
            return o->visibleText();
    }
    return u"<missing>"_s;
}

} // namespace

class TestReceipt : public QObject
{
    Q_OBJECT

private slots:
    void payment_data();
    void payment();
    void discountedBill();
    void titleShowsTheFirstLine();
    void fixedTextsPrintWhole();
    void layoutIsRepeatable();
    void manyLinesRunOverPages();
    void pdfHoldsTheReceipt();
};

void TestReceipt::payment_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("balance");
    QTest::addColumn<QString>("received");
    QTest::addColumn<bool>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pointsText");
    QTest::addColumn<QString>("balanceText");

    QTest::newRow("walk-in, cash") << u""_s << u"0"_s << u"0"_s << u"120"_s << false << u"姓名:散客"_s
                                   << u"积分:120"_s << u"卡上余额:0"_s;
    QTest::newRow("member, card") << u"张三"_s << u"500"_s << u"300"_s << u"170"_s << true << u"姓名:张三"_s
                                  << u"积分:670"_s << u"卡上余额:130"_s;
    QTest::newRow("member, cash") << u"张三"_s << u"500"_s << u"300"_s << u"170"_s << false << u"姓名:张三"_s
                                  << u"积分:670"_s << u"卡上余额:300"_s;
    // 100.1 - 0.3 and 12.5 + 0.3 in doubles are 99.79999999999998 and 12.8 by luck only.
    // the points printed are those stored: the received amount rounded half to even
    QTest::newRow("decimals, card") << u"李四"_s << u"12"_s << u"100.1"_s << u"0.3"_s << true
                                    << u"姓名:李四"_s << u"积分:12"_s << u"卡上余额:99.8"_s;
    QTest::newRow("cash keeps the balance as shown") << u"李四"_s << u"3"_s << u"300.50"_s << u"1"_s << false
                                                     << u"姓名:李四"_s << u"积分:4"_s << u"卡上余额:300.50"_s;
    QTest::newRow("many points") << u"王五"_s << u"9500"_s << u"0"_s << u"130.5"_s << false << u"姓名:王五"_s
                                 << u"积分:9630"_s << u"卡上余额:0"_s;
    QTest::newRow("half rounds up to even") << u"王五"_s << u"9500"_s << u"0"_s << u"131.5"_s << false
                                            << u"姓名:王五"_s << u"积分:9632"_s << u"卡上余额:0"_s;
    QTest::newRow("texts that are no numbers count 0")
        << u"  "_s << u"--"_s << u""_s << u"170"_s << true << u"姓名:散客"_s << u"积分:170"_s
        << u"卡上余额:-170"_s;
}

void TestReceipt::payment()
{
    QFETCH(QString, member);
    QFETCH(QString, points);
    QFETCH(QString, balance);
    QFETCH(QString, received);
    QFETCH(bool, card);
    ReceiptValues v = walkIn();
    v.memberName = member;
    v.points = points;
    v.balance = balance;
    v.received = received;
    v.cardPayment = card;
    const LaidOutReport report = Receipt::layout(lines({{u"浴资"_s, u"120"_s, u"120"_s, 1}}), v, Now);
    QTEST(text(report, u"Memo10"_s), "name");
    QTEST(text(report, u"Memo12"_s), "pointsText");
    QTEST(text(report, u"Memo16"_s), "balanceText");
    QCOMPARE(text(report, u"Memo15"_s), u"实收金额:"_s + received + u"  折扣:1"_s);
}

void TestReceipt::discountedBill()
{
    ReceiptValues v = walkIn();
    v.received = u"170"_s;
    v.rate = u"0.85"_s;
    // The massage carries an item discount of its own: its list price prints, its total is discounted.
    const DataSet bill = lines({{u"浴资"_s, u"38"_s, u"38"_s, 2}, {u"泰式按摩"_s, u"140"_s, u"126"_s, 1}});
    const LaidOutReport report = Receipt::layout(bill, v, Now);
    QCOMPARE(report.pages.size(), 1);
    const LaidOutPage &page = report.pages.first();
    QStringList printed;
    for (int i = 0; i < 2; ++i) {
        printed << page.objectsNamed(u"Memo1"_s).at(i)->visibleText() +
                       page.objectsNamed(u"Memo2"_s).at(i)->visibleText() +
                       page.objectsNamed(u"Memo3"_s).at(i)->visibleText() +
                       page.objectsNamed(u"Memo5"_s).at(i)->visibleText();
    }
    QCOMPARE(printed, (QStringList{u"浴资/38/2/76"_s, u"泰式按摩/140/1/126"_s}));
    QCOMPARE(text(report, u"Memo13"_s), u"小计:202"_s);
    QCOMPARE(text(report, u"Memo15"_s), u"实收金额:170  折扣:0.85"_s);
}

void TestReceipt::titleShowsTheFirstLine()
{
    // A group of tags: the title shows the first line's tag and time, not the last.
    const DataSet bill =
        lines({{u"浴资"_s, u"38"_s, u"38"_s, 1, u"A08"_s, QDateTime(QDate(2024, 5, 1), QTime(19, 5))},
               {u"浴资"_s, u"38"_s, u"38"_s, 1, u"B12"_s, QDateTime(QDate(2024, 5, 1), QTime(20, 0))}});
    const LaidOutReport report = Receipt::layout(bill, walkIn(), Now);
    QCOMPARE(text(report, u"Memo9"_s), u"进店时间:2024-05-01 19:05:00"_s);
    QCOMPARE(text(report, u"Memo4"_s), u"手牌号:A08"_s);
    QCOMPARE(text(report, u"Memo8"_s), u"清泉浴场"_s);
    QCOMPARE(text(report, u"Memo14"_s), u"帐单号:20240501-0012"_s);
    QCOMPARE(text(report, u"Memo17"_s), u"电话号码:0571-88886666"_s);
    QCOMPARE(text(report, u"Memo6"_s), u"打印时间:2024-05-01/21:07:09"_s);
}

void TestReceipt::fixedTextsPrintWhole()
{
    // The template's objects are sized for their texts: nothing of them may be left out.
    ReceiptValues v = walkIn();
    v.memberName = u"欧阳明月"_s;
    v.points = u"500"_s;
    v.received = u"170"_s;
    v.rate = u"0.85"_s;
    const LaidOutReport report = Receipt::layout(lines({{u"足疗"_s, u"1280"_s, u"1280"_s, 12}}), v, Now);
    for (const LaidOutObject &o : report.pages.first().objects) {
        if (o.kind == ReportObject::Kind::Memo)
            QCOMPARE(o.visibleText(), o.text);
    }
    QCOMPARE(text(report, u"Memo11"_s), u"顾客签字:\n\n\n        谢谢光临\n    欢迎下次再来！"_s);
    QCOMPARE(text(report, u"Memo7"_s), u"项目名__ 单价__ 数量__ 合计"_s);
    // A long item name takes the second line of its object.
    const LaidOutReport longName =
        Receipt::layout(lines({{u"中药足浴加泰式按摩"_s, u"1"_s, u"1"_s, 1}}), v, Now);
    QCOMPARE(report.pages.first().object(u"Memo1"_s)->lines.size(), 1);
    QCOMPARE(longName.pages.first().object(u"Memo1"_s)->lines.size(), 2);
}

void TestReceipt::layoutIsRepeatable()
{
    const DataSet bill = manyLines(30);
    const LaidOutReport a = Receipt::layout(bill, walkIn(), Now);
    const LaidOutReport b = Receipt::layout(bill, walkIn(), Now);
    QCOMPARE(a.pages.size(), b.pages.size());
    for (int p = 0; p < a.pages.size(); ++p) {
        QCOMPARE(a.pages.at(p).objects.size(), b.pages.at(p).objects.size());
        for (int i = 0; i < a.pages.at(p).objects.size(); ++i) {
            const LaidOutObject &x = a.pages.at(p).objects.at(i);
            const LaidOutObject &y = b.pages.at(p).objects.at(i);
            QCOMPARE(x.visibleText(), y.visibleText());
            QCOMPARE(x.rect, y.rect);
        }
    }
}

void TestReceipt::manyLinesRunOverPages()
{
    const LaidOutReport report = Receipt::layout(manyLines(200), walkIn(), Now);
    QVERIFY(report.pages.size() > 1);
    int next = 1;
    for (int p = 0; p < report.pages.size(); ++p) {
        const LaidOutPage &page = report.pages.at(p);
        QCOMPARE(page.objectsNamed(u"Memo8"_s).size(), p == 0 ? 1 : 0);
        QCOMPARE(page.objectsNamed(u"Memo7"_s).size(), p == 0 ? 1 : 0);
        for (const LaidOutObject *item : page.objectsNamed(u"Memo1"_s)) {
            QCOMPARE(item->visibleText(), u"项目%1"_s.arg(next++));
            QVERIFY(item->rect.bottom() <= report.printableSize.height());
        }
    }
    QCOMPARE(next, 201);
    // The footer prints once, whole, below the last line: on a page of its own when the
    // last page of lines has no room left for its 204 px.
    const LaidOutPage &last = report.pages.last();
    QVERIFY(last.object(u"Memo13"_s) && last.object(u"Memo6"_s));
    QCOMPARE(text(report, u"Memo13"_s), u"小计:20100"_s);
    const auto onLast = last.objectsNamed(u"Memo1"_s);
    if (!onLast.isEmpty())
        QVERIFY(last.object(u"Line2"_s)->rect.top() >= onLast.last()->rect.bottom());
    QVERIFY(last.object(u"Memo6"_s)->rect.bottom() <= report.printableSize.height());
    int footers = 0;
    for (const LaidOutPage &page : report.pages)
        footers += int(page.objectsNamed(u"Memo11"_s).size());
    QCOMPARE(footers, 1);
}

void TestReceipt::pdfHoldsTheReceipt()
{
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (pdftotext.isEmpty())
        QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    ReceiptValues v = walkIn();
    v.memberName = u"张三"_s;
    v.points = u"500"_s;
    v.balance = u"300"_s;
    v.received = u"170"_s;
    v.rate = u"0.85"_s;
    v.cardPayment = true;
    const LaidOutReport report = Receipt::layout(
        lines({{u"浴资"_s, u"38"_s, u"38"_s, 2}, {u"泰式按摩"_s, u"140"_s, u"126"_s, 1}}), v, Now);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"receipt.pdf"_s);
    QVERIFY(ReportPainter::savePdf(report, pdf));

    QProcess process;
    process.start(pdftotext, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    // Spaces and line ends are the extractor's own; compare the text without them. The CJK
    // face draws 小 and the radical ⼩ with one glyph, and the PDF's text map names the radical
    // for both: compatibility normalisation reads them back as the ideographs printed.
    const QString extracted = QString::fromUtf8(process.readAllStandardOutput())
                                  .normalized(QString::NormalizationForm_KC)
                                  .remove(QRegularExpression(u"\\s"_s));
    for (const QString &expected : {u"清泉浴场"_s, u"姓名:张三"_s, u"浴资"_s, u"泰式按摩/140/1/126"_s,
                                    u"小计:202"_s, u"实收金额:170折扣:0.85"_s, u"卡上余额:130"_s,
                                    u"积分:670"_s, u"欢迎下次再来！"_s, u"打印时间:2024-05-01/21:07:09"_s})
        QVERIFY2(extracted.contains(expected.normalized(QString::NormalizationForm_KC)),
                 qPrintable(expected + u" not in "_s + extracted));

    QVERIFY(!ReportPainter::savePdf(report, dir.filePath(u"missing/receipt.pdf"_s)));
}

QTEST_MAIN(TestReceipt)
#include "tst_receipt.moc"
