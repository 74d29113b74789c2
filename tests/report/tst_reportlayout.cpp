// The report engine without a printer: templates read, expressions filled in, text wrapped,
// bands spread over pages; and the pages painted, read back from an image.
#include "db/Transaction.h"
#include "report/ReportLayout.h"
#include "report/ReportPainter.h"
#include "support/TestDatabase.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Now(QDate(2024, 5, 1), QTime(21, 7, 9));

DataSet items(int rows)
{
    DataSet set({{u"项目名"_s, ColumnKind::Text},
                 {u"数量"_s, ColumnKind::Integer},
                 {u"金额"_s, ColumnKind::Money},
                 {u"时间"_s, ColumnKind::DateTime}});
    for (int i = 1; i <= rows; ++i)
        set.addRow({u"项目%1"_s.arg(i), qint64(i), Money::fromRaw(i * 1000), // i tenths
                    QDateTime(QDate(2024, 5, 1), QTime(8, 0)).addSecs(i * 61)});
    return set;
}

const ReportTemplate &pagedList()
{
    static const ReportTemplate t = ReportTemplate::load(u":/tests/paged_list.json"_s);
    return t;
}

// A template of one title band holding the given objects (JSON text of an array).
ReportTemplate titleOnly(const QString &objects)
{
    return ReportTemplate::fromJson(
        (uR"({"dataSet": "Items", "page": {"size": "A4", "margins": [10, 10, 10, 10]},
              "bands": [{"kind": "reportTitle", "top": 100, "height": 300, "objects": )"_s +
         objects + u"}]}"_s)
            .toUtf8());
}

QStringList texts(const LaidOutReport &report, const QString &name)
{
    QStringList found;
    for (const LaidOutPage &page : report.pages) {
        for (const LaidOutObject *o : page.objectsNamed(name))
            found << o->visibleText();
    }
    return found;
}

int darkPixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y) {
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            count += qGray(image.pixel(x, y)) < 128;
    }
    return count;
}

QImage render(const LaidOutPage &page, int highlight = -1)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    ReportPainter::paintPage(painter, page, 96, highlight);
    return image;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT

private slots:
    void expressions_data();
    void expressions();
    void badTemplates_data();
    void badTemplates();
    void pagination_data();
    void pagination();
    void pageBandsRepeat();
    void tallBandTakesAPageOfItsOwn();
    void sumsAreExact();
    void fieldsByBand();
    void valueForms();
    void unknownColumnsAreRefused();
    void hookReplacesByName();
    void wrapsAtWordsAndBetweenHanzi();
    void dropsLinesBelowTheObject();
    void alignsRight();
    void findWrapsRound();
    void fromQueryReadsStoredForms_data();
    void fromQueryReadsStoredForms();
    void paintClipsAndMarks();
};

void TestReportLayout::expressions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // Over items(3), printed at Now; the data band's object sees the second row.
    QTest::newRow("literal") << u"项目名__ 单价"_s << u"项目名__ 单价"_s;
    QTest::newRow("field") << u"/[Items.\"项目名\"]"_s << u"/项目2"_s;
    QTest::newRow("field unquoted") << u"[Items.数量]"_s << u"2"_s;
    QTest::newRow("sum in brackets") << u"小计:[SUM([Items.\"金额\"])]"_s << u"小计:0.6"_s;
    QTest::newRow("sum bare, lower case") << u"[sum(Items.\"金额\")]"_s << u"0.6"_s;
    QTest::newRow("integer sum") << u"[Sum(Items.\"数量\")]"_s << u"6"_s;
    QTest::newRow("date and time") << u"打印时间:[DATE]/[TIME]"_s << u"打印时间:2024-05-01/21:07:09"_s;
    QTest::newRow("unclosed bracket stays text") << u"a[b"_s << u"a[b"_s;
    QTest::newRow("bracket after an expression") << u"[Items.\"项目名\"]]"_s << u"项目2]"_s;
}

void TestReportLayout::expressions()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QJsonObject memo{{u"name"_s, u"M"_s}, {u"w"_s, 700}, {u"h"_s, 20}, {u"text"_s, text}};
    const QJsonObject band{{u"kind"_s, u"masterData"_s}, {u"height"_s, 20}, {u"objects"_s, QJsonArray{memo}}};
    const QJsonObject json{{u"dataSet"_s, u"Items"_s}, {u"bands"_s, QJsonArray{band}}};
    const LaidOutReport report =
        layoutReport(ReportTemplate::fromJson(QJsonDocument(json).toJson()), items(3), Now);
    QCOMPARE(texts(report, u"M"_s).value(1), expected);
}

void TestReportLayout::badTemplates_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("complaint");

    const QString page = uR"("dataSet": "Items", "page": {"size": "A4", "margins": [0, 0, 0, 0]})"_s;
    const auto withBands = [&](const QString &bands) { return u"{%1, \"bands\": %2}"_s.arg(page, bands); };
    QTest::newRow("not JSON") << u"{"_s << u"JSON"_s;
    QTest::newRow("unknown band") << withBands(uR"([{"kind": "groupHeader"}])"_s) << u"groupHeader"_s;
    QTest::newRow("band twice") << withBands(uR"([{"kind": "masterData"}, {"kind": "masterData"}])"_s)
                                << u"masterData"_s;
    QTest::newRow("object above its band")
        << withBands(uR"([{"kind": "masterData", "top": 50, "objects": [{"name": "Up", "y": 40}]}])"_s)
        << u"Up"_s;
    QTest::newRow("unknown expression")
        << withBands(uR"([{"kind": "masterData", "objects": [{"text": "[LINE]"}]}])"_s) << u"LINE"_s;
    QTest::newRow("other data set")
        << withBands(uR"([{"kind": "masterData", "objects": [{"text": "[ADOQuery2.\"x\"]"}]}])"_s)
        << u"ADOQuery2"_s;
    QTest::newRow("unknown paper") << uR"({"page": {"size": "B9"}})"_s << u"B9"_s;
}

void TestReportLayout::badTemplates()
{
    QFETCH(QString, json);
    QFETCH(QString, complaint);
    try {
        ReportTemplate::fromJson(json.toUtf8());
        QFAIL("the template was accepted");
    } catch (const ReportError &error) {
        QVERIFY2(error.text().contains(complaint), qPrintable(error.text()));
    }
}

void TestReportLayout::pagination_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("rowsPerPage");
    QTest::addColumn<int>("footerPage");

    // A4 less 10 mm margins is 1046.9 px; less the 30 px page footer, bands fill 1016.9 px.
    // Page 1 opens with title, page header and master header (114 px): 45 rows of 20 px;
    // later pages with the page header alone: 49 rows.
    QTest::newRow("no rows") << 0 << QList<int>{0} << 1;
    QTest::newRow("footer and summary still fit") << 41 << QList<int>{41} << 1;
    QTest::newRow("summary spills over") << 43 << QList<int>{43, 0} << 1;
    QTest::newRow("first page full") << 45 << QList<int>{45, 0} << 2;
    QTest::newRow("second page full") << 94 << QList<int>{45, 49, 0} << 3;
    QTest::newRow("200 rows") << 200 << QList<int>{45, 49, 49, 49, 8} << 5;
}

void TestReportLayout::pagination()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, rowsPerPage);
    QFETCH(int, footerPage);

    const LaidOutReport report = layoutReport(pagedList(), items(rows), Now);
    QCOMPARE(report.pages.size(), rowsPerPage.size());
    int next = 1;
    for (int p = 0; p < report.pages.size(); ++p) {
        const LaidOutPage &page = report.pages.at(p);
        const auto data = page.objectsNamed(u"Item"_s);
        QCOMPARE(data.size(), rowsPerPage.at(p));
        // Every row once, in order, and none running into the page footer.
        const qreal footerTop = page.object(u"Footer"_s)->rect.top() - 6;
        for (const LaidOutObject *item : data) {
            QCOMPARE(item->visibleText(), u"项目%1"_s.arg(next++));
            QVERIFY(item->rect.bottom() <= footerTop);
        }
        QCOMPARE(page.objectsNamed(u"Total"_s).size(), p + 1 == footerPage ? 1 : 0);
    }
    QCOMPARE(next, rows + 1);
    QCOMPARE(texts(report, u"Printed"_s).size(), 1);
    QVERIFY(report.pages.last().object(u"Printed"_s));
}

void TestReportLayout::pageBandsRepeat()
{
    const LaidOutReport report = layoutReport(pagedList(), items(200), Now);
    QCOMPARE(texts(report, u"Title"_s), QStringList{u"项目清单"_s});
    QVERIFY(report.pages.first().object(u"Title"_s));
    QCOMPARE(report.pages.first().object(u"Title"_s)->rect.top(), 10.0);
    const qreal bottom = report.printableSize.height();
    for (int p = 0; p < report.pages.size(); ++p) {
        const LaidOutPage &page = report.pages.at(p);
        const LaidOutObject *header = page.object(u"Header"_s);
        QVERIFY(header);
        // Below the title on the first page, at the top of every other.
        QCOMPARE(header->rect.top(), p == 0 ? 66.0 : 6.0);
        QCOMPARE(page.object(u"HeaderPage"_s)->visibleText(), u"第%1页"_s.arg(p + 1));
        const LaidOutObject *footer = page.object(u"Footer"_s);
        QCOMPARE(footer->visibleText(), u"第%1页 共5页"_s.arg(p + 1));
        QCOMPARE(footer->rect.top(), bottom - 30 + 6);
    }
    QCOMPARE(report.pages.at(4).objectsNamed(u"Captions"_s).size(), 0);
    QCOMPARE(texts(report, u"Captions"_s).size(), 1);
}

void TestReportLayout::tallBandTakesAPageOfItsOwn()
{
    // Taller than a page: each row overflows a page of its own instead of asking for more.
    const ReportTemplate tall =
        ReportTemplate::fromJson(uR"({"dataSet": "Items", "page": {"size": "A4", "margins": [10, 10, 10, 10]},
             "bands": [{"kind": "masterData", "top": 0, "height": 2000,
                        "objects": [{"name": "Item", "w": 200, "h": 16, "text": "[Items.项目名]"}]}]})"_s
                                     .toUtf8());
    const LaidOutReport report = layoutReport(tall, items(3), Now);
    QCOMPARE(report.pages.size(), 3);
    for (int p = 0; p < 3; ++p)
        QCOMPARE(
            texts(LaidOutReport{report.pageLayout, report.printableSize, {report.pages.at(p)}}, u"Item"_s),
            QStringList{u"项目%1"_s.arg(p + 1)});
}

void TestReportLayout::sumsAreExact()
{
    // Tenths are no exact doubles; summed as Money, 0.1 + 0.2 + ... + 20 is 2010 to the last digit.
    const LaidOutReport report = layoutReport(pagedList(), items(200), Now);
    QCOMPARE(texts(report, u"Total"_s), QStringList{u"合计:2010 数量:20100 末项:项目200"_s});
}

void TestReportLayout::fieldsByBand()
{
    // Title and headers show the first row, footers the last, data bands their own.
    const LaidOutReport report = layoutReport(pagedList(), items(60), Now);
    QCOMPARE(texts(report, u"FirstItem"_s), QStringList{u"首项:项目1"_s});
    QVERIFY(texts(report, u"Total"_s).value(0).endsWith(u"末项:项目60"_s));

    const LaidOutReport empty = layoutReport(pagedList(), items(0), Now);
    QCOMPARE(texts(empty, u"FirstItem"_s), QStringList{u"首项:"_s});
    QCOMPARE(texts(empty, u"Total"_s), QStringList{u"合计:0 数量:0 末项:"_s});
}

void TestReportLayout::valueForms()
{
    DataSet set({{u"项目名"_s, ColumnKind::Text},
                 {u"数量"_s, ColumnKind::Integer},
                 {u"金额"_s, ColumnKind::Money},
                 {u"时间"_s, ColumnKind::DateTime}});
    set.addRow(
        {u"浴资"_s, qint64(1), *Money::parse(u"38.00"_s), QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5))});
    set.addRow({u"按摩"_s, qint64(2), *Money::parse(u"115.2"_s), std::monostate()});
    set.addRow(
        {u"退单"_s, qint64(-1), *Money::parse(u"-70"_s), QDateTime(QDate(2024, 12, 31), QTime(23, 59))});
    const LaidOutReport report = layoutReport(pagedList(), set, Now);
    QCOMPARE(texts(report, u"Amount"_s), (QStringList{u"38"_s, u"115.2"_s, u"-70"_s}));
    QCOMPARE(texts(report, u"When"_s),
             (QStringList{u"2024-01-02 03:04:05"_s, QString(), u"2024-12-31 23:59:00"_s}));
    QCOMPARE(texts(report, u"Printed"_s), QStringList{u"打印于 2024-05-01 21:07:09"_s});
    QVERIFY(texts(report, u"Total"_s).value(0).startsWith(u"合计:83.2 数量:2 "_s));
}

void TestReportLayout::unknownColumnsAreRefused()
{
    DataSet renamed({{u"名称"_s, ColumnKind::Text},
                     {u"数量"_s, ColumnKind::Integer},
                     {u"金额"_s, ColumnKind::Money},
                     {u"时间"_s, ColumnKind::DateTime}});
    QVERIFY_THROWS_EXCEPTION(ReportError, layoutReport(pagedList(), renamed, Now));

    const ReportTemplate sumsDates =
        titleOnly(uR"([{"name": "S", "y": 100, "text": "[SUM(Items.时间)]"}])"_s);
    QVERIFY_THROWS_EXCEPTION(ReportError, layoutReport(sumsDates, items(2), Now));
    QVERIFY_THROWS_EXCEPTION(ReportError, DataSet(items(0).columns()).addRow({u"only one"_s}));
}

void TestReportLayout::hookReplacesByName()
{
    QStringList asked;
    const ReportHook hook = [&](const QString &name, QString &text) {
        asked << name;
        if (name == u"Title"_s)
            text = u"[DATE] 不是表达式"_s;
        else if (name == u"Footer"_s)
            text += u"!"_s;
    };
    const LaidOutReport report = layoutReport(pagedList(), items(100), Now, hook);
    // The hook's own text is printed as it stands.
    QCOMPARE(texts(report, u"Title"_s), QStringList{u"[DATE] 不是表达式"_s});
    QCOMPARE(texts(report, u"Footer"_s).value(2), u"第[PAGE]页 共[PAGES]页!"_s);
    // Objects it leaves alone print as stored, expressions filled in.
    QCOMPARE(texts(report, u"FirstItem"_s), QStringList{u"首项:项目1"_s});
    // Asked once for every text object placed, lines never.
    QCOMPARE(asked.count(u"Item"_s), 100);
    QCOMPARE(asked.count(u"Footer"_s), report.pages.size());
    QCOMPARE(asked.count(u"Rule"_s), 0);
}

void TestReportLayout::wrapsAtWordsAndBetweenHanzi()
{
    const LaidOutReport report = layoutReport(
        titleOnly(uR"([{"name": "Latin", "x": 0, "y": 100, "w": 50, "h": 200, "text": "Hello world again"},
                      {"name": "Hanzi", "x": 100, "y": 100, "w": 40, "h": 200, "font": {"size": 8},
                       "text": "泰式按摩加足浴"},
                      {"name": "Long", "x": 200, "y": 100, "w": 30, "h": 200, "text": "12345678901234"}])"_s),
        items(0), Now);
    const LaidOutPage &page = report.pages.first();
    const LaidOutObject *latin = page.object(u"Latin"_s);
    QCOMPARE(latin->lines.size(), 3);
    QCOMPARE(latin->visibleText(), u"Hello\nworld\nagain"_s);
    // Three 8-point Hanzi (10.7 px each) fit into the 36 px between the gaps, four do not.
    QCOMPARE(page.object(u"Hanzi"_s)->visibleText(), u"泰式按\n摩加足\n浴"_s);
    // A word wider than its object is broken rather than cut off.
    const LaidOutObject *longWord = page.object(u"Long"_s);
    QVERIFY(longWord->lines.size() > 1);
    QCOMPARE(longWord->visibleText().remove(u'\n'), u"12345678901234"_s);
    for (const LaidOutObject *o : {latin, page.object(u"Hanzi"_s), longWord}) {
        for (const LaidOutLine &line : o->lines) {
            QVERIFY2(line.rect.left() >= o->rect.left() && line.rect.right() <= o->rect.right(),
                     qPrintable(line.text));
        }
        // Lines follow each other down the object.
        for (int i = 1; i < o->lines.size(); ++i)
            QCOMPARE(o->lines.at(i).rect.top(), o->lines.at(i - 1).rect.bottom());
    }
}

void TestReportLayout::dropsLinesBelowTheObject()
{
    const LaidOutReport report =
        layoutReport(titleOnly(uR"([{"name": "Two", "x": 0, "y": 100, "w": 40, "h": 31, "font": {"size": 8},
                        "text": "一二三四五六七八九十"},
                       {"name": "Tiny", "x": 100, "y": 100, "w": 41, "h": 5, "text": "一二三四五六"},
                       {"name": "NoWrap", "x": 200, "y": 100, "w": 40, "h": 40, "wordWrap": false,
                        "text": "一二三四五六"}])"_s),
                     items(0), Now);
    const LaidOutPage &page = report.pages.first();
    QCOMPARE(page.object(u"Two"_s)->visibleText(), u"一二三\n四五六"_s);
    QCOMPARE(page.object(u"Two"_s)->text, u"一二三四五六七八九十"_s);
    // The first line always shows, however little of it the object holds.
    QCOMPARE(page.object(u"Tiny"_s)->visibleText(), u"一二三"_s);
    QCOMPARE(page.object(u"NoWrap"_s)->visibleText(), u"一二三四五六"_s);
}

void TestReportLayout::alignsRight()
{
    const LaidOutReport report = layoutReport(pagedList(), items(12), Now);
    const LaidOutObject *count = report.pages.first().objectsNamed(u"Count"_s).at(11);
    QCOMPARE(count->visibleText(), u"12"_s);
    QCOMPARE(count->lines.first().rect.right(), count->rect.right() - 2);
    const LaidOutObject *item = report.pages.first().objectsNamed(u"Item"_s).at(11);
    QCOMPARE(item->lines.first().rect.left(), item->rect.left() + 2);
}

void TestReportLayout::findWrapsRound()
{
    const LaidOutReport report = layoutReport(pagedList(), items(200), Now);
    const FindHit first = report.find(u"项目150"_s);
    QVERIFY(first.found());
    QCOMPARE(first.page, 3); // 45 + 49 + 49 rows come before page 4
    QCOMPARE(report.pages.at(first.page).objects.at(first.object).visibleText(), u"项目150"_s);
    // The only hit: searching on finds it again after going round.
    QCOMPARE(report.find(u"项目150"_s, first), first);

    const FindHit footer2 = report.find(u"第2页 共"_s);
    QCOMPARE(footer2.page, 1);
    const FindHit footer3 = report.find(u"共5页"_s, footer2);
    QCOMPARE(footer3.page, 2);
    QVERIFY(!report.find(u"不存在"_s).found());
    QVERIFY(!report.find(QString()).found());
}

void TestReportLayout::fromQueryReadsStoredForms_data()
{
    TestDatabase::addKindRows();
}

void TestReportLayout::fromQueryReadsStoredForms()
{
    QFETCH(QString, kind);
    TestDatabase test(kind);
    const Database &db = test.db();
    const QDateTime when(QDate(2024, 5, 1), QTime(20, 30, 15));
    const auto addLine = [&](const QString &item, const QString &price, qint64 count) {
        const Money m = *Money::parse(price);
        db.execute(Statement::insert(u"手牌消费"_s, {{u"手牌号码"_s, SqlValue::text(u"A01"_s)},
                                                     {u"主手牌号"_s, SqlValue::text(u"A01"_s)},
                                                     {u"项目名"_s, SqlValue::text(item)},
                                                     {u"单价"_s, SqlValue::money(m)},
                                                     {u"数量"_s, SqlValue::integer(count)},
                                                     {u"合计"_s, SqlValue::money(m * count)},
                                                     {u"消费时间"_s, SqlValue::dateTime(when)}}));
    };
    {
        Transaction transaction(db);
        addLine(u"浴资"_s, u"38"_s, 2);
        addLine(u"果盘"_s, u"12.5"_s, 1);
        transaction.commit();
    }
    const DataSet lines = DataSet::fromQuery(
        db,
        Statement(u"select 项目名, 单价, 数量, 合计, 消费时间, 合计 as 金额 from 手牌消费 where 主手牌号="_s)
            .text(u"A01"_s),
        u"手牌消费"_s, {{u"金额"_s, ColumnKind::Money}});
    QCOMPARE(lines.rowCount(), 2);
    QCOMPARE(lines.columns().at(lines.columnIndex(u"单价"_s)).kind, ColumnKind::Money);
    QCOMPARE(lines.columns().at(lines.columnIndex(u"消费时间"_s)).kind, ColumnKind::DateTime);
    const int price = lines.columnIndex(u"单价"_s);
    const int alias = lines.columnIndex(u"金额"_s);
    QStringList prices, aliases;
    for (int row = 0; row < lines.rowCount(); ++row) {
        prices << reportText(lines.value(row, price));
        aliases << reportText(lines.value(row, alias));
    }
    // Rows come in no promised order; compare as sets.
    std::sort(prices.begin(), prices.end());
    std::sort(aliases.begin(), aliases.end());
    QCOMPARE(prices, (QStringList{u"12.5"_s, u"38"_s}));
    QCOMPARE(aliases, (QStringList{u"12.5"_s, u"76"_s}));
    QCOMPARE(reportText(lines.value(0, lines.columnIndex(u"消费时间"_s))), u"2024-05-01 20:30:15"_s);
}

void TestReportLayout::paintClipsAndMarks()
{
    const LaidOutReport report =
        layoutReport(titleOnly(uR"([{"name": "Cut", "x": 20, "y": 120, "w": 64, "h": 12, "font": {"size": 14},
                        "text": "一二三四五六七八九十"},
                       {"name": "Boxed", "x": 200, "y": 120, "w": 100, "h": 40, "frame": {"sides": "all"},
                        "text": ""}])"_s),
                     items(0), Now);
    const LaidOutPage &page = report.pages.first();
    const QRect cut = page.object(u"Cut"_s)->rect.toAlignedRect();
    const QImage plain = render(page);
    QVERIFY(darkPixels(plain, cut) > 20);
    // The first line is taller than its object and is cut at its bottom; the rest is left out.
    QCOMPARE(darkPixels(plain, QRect(cut.left() - 5, cut.bottom() + 1, cut.width() + 10, 60)), 0);
    QCOMPARE(darkPixels(plain, QRect(cut.right() + 1, cut.top(), 40, cut.height())), 0);
    const QRect boxed = page.object(u"Boxed"_s)->rect.toAlignedRect();
    QVERIFY(darkPixels(plain, boxed.adjusted(-1, -1, 1, 1)) >= 2 * (boxed.width() + boxed.height()) - 8);
    QCOMPARE(darkPixels(plain, boxed.adjusted(3, 3, -3, -3)), 0);

    const QImage marked = render(page, 1);
    const QPoint inside = boxed.center();
    QVERIFY(marked.pixel(inside) != plain.pixel(inside));
}

QTEST_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
