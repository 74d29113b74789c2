// The query and report screens on the real windows: three bills settled through the board (one
// of them free), then every report opened from its menu for today, its figures read off the
// screen and its printed lists read back from their PDFs; a turnover that fails is no "0"; the
// detail search shows its statement and refuses a column the table lacks; the current consumption
// of a group by its master tag; what the commission screens say when nothing is found.
#include "app/MainUt.h"
#include "card/CardReader.h"
#include "queries/CountMingXiUt.h"
#include "queries/CountProfitUt.h"
#include "queries/FwsTcMxUt.h"
#include "queries/FwsTcTjUt.h"
#include "queries/XfCxUt.h"
#include "report/ReportPreviewUt.h"
#include "session/GgUt.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"
#include "widgets/PeriodPicker.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

template <class T> T *child(QWidget *d, const QString &name)
{
    return childNamed<T>(d, name);
}

void click(QWidget *d, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
}

QString label(QWidget *d, const QString &name)
{
    return child<QLabel>(d, name)->text();
}

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(u"pdftotext"_s),
                  {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    if (!process.waitForFinished(30000))
        return {};
    // Line by line as printed; the extractor's spaces are its own. The CJK face's radicals read back as
    // the ideographs printed after compatibility normalisation.
    return QString::fromUtf8(process.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(u"\\s"_s));
}

void prepareVenue(const Database &db)
{
    addRoomType(db, u"大厅"_s, u"38"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s})
        addTag(db, tag, u"大厅"_s, u"可用"_s);
    db.execute(Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(u"中式足疗"_s)},
                                                   {u"单价"_s, SqlValue::money(Money::fromUnits(128))},
                                                   {u"打折率"_s, SqlValue::real(0.9)},
                                                   {u"提成金额"_s, SqlValue::money(Money::fromUnits(20))},
                                                   {u"是否需要服务"_s, SqlValue::text(u"是"_s)}}));
    db.execute(Statement::insert(u"服务生管理"_s, {{u"服务生编号"_s, SqlValue::text(u"007"_s)},
                                                   {u"服务生姓名"_s, SqlValue::text(u"李小红"_s)},
                                                   {u"状态"_s, SqlValue::text(u"空闲"_s)}}));
}

} // namespace

class TestReportScreens : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportsOfTheDayShowWhatTheBoardSettled();
    void aFailedTurnoverShowsNoFigure_data() { TestDatabase::addKindRows(); }
    void aFailedTurnoverShowsNoFigure();
    void theDetailSearchShowsItsStatementAndRefusesUnknownColumns_data() { TestDatabase::addKindRows(); }
    void theDetailSearchShowsItsStatementAndRefusesUnknownColumns();
    void currentConsumptionShowsAGroupByItsMasterTag_data() { TestDatabase::addKindRows(); }
    void currentConsumptionShowsAGroupByItsMasterTag();
    void commissionScreensSayWhenNothingIsFound_data() { TestDatabase::addKindRows(); }
    void commissionScreensSayWhenNothingIsFound();
};

void TestReportScreens::initTestCase()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
}

void TestReportScreens::reportsOfTheDayShowWhatTheBoardSettled()
{
    TestDatabase t(u"sqlite"_s);
    const Database &db = t.db();
    prepareVenue(db);
    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(run.ini, t.baseDir());
    CardReader reader(*device, prompt);
    TMainFm board(run, prompt, reader);
    board.show();

    QTemporaryDir dir;
    bool settleFree = false;
    QString pdfName;
    QMap<QString, QString> pdfs;     // template file → text read back
    QMap<QString, QStringList> seen; // screen → what it showed
    // Prints the list behind the button into a PDF named after the list.
    const auto printTo = [&](QDialog *screen, const QString &button, const QString &name) {
        pdfName = dir.filePath(name + u".pdf"_s);
        prompt.fileAnswers = {pdfName};
        click(screen, button);
        pdfs.insert(name, pdfText(pdfName));
    };
    ModalCloser closer([&](QDialog *d) {
        const QString title = d->windowTitle();
        if (auto *preview = qobject_cast<TReportPreviewFm *>(d)) {
            preview->saveAsPdf();
        } else if (title == u"顾客开单"_s) {
            click(d, u"openButton"_s);
        } else if (title == u"增加消费"_s) {
            auto *catalogue = child<DataGrid>(d, u"catalogueGrid"_s);
            catalogue->setCurrentRow(0);
            child<QLineEdit>(d, u"quantityEdit"_s)->setText(u"1"_s);
            click(d, u"addButton"_s);
            click(d, u"closeButton"_s);
        } else if (title == u"选择服务生"_s) {
            child<DataGrid>(d, u"waiterGrid"_s)->setCurrentRow(0);
            click(d, u"chooseButton"_s);
        } else if (title == u"顾客结帐"_s) {
            click(d, settleFree ? u"ButtonFree"_s : u"ButtonSettle"_s);
        } else if (title == u"统计利润"_s) {
            seen[title] = {label(d, u"countValue"_s), label(d, u"turnoverValue"_s)};
            printTo(d, u"printButton"_s, u"turnover"_s);
        } else if (title == u"营业项目统计"_s) {
            auto *period = child<DataGrid>(d, u"periodGrid"_s);
            QStringList items;
            for (int row = 0; row < period->loadedRowCount(); ++row)
                items << period->displayText(row, u"消费项目"_s) + u'/' +
                             period->displayText(row, u"总消费数量"_s) + u'/' +
                             period->displayText(row, u"总消费金额"_s);
            seen[title] = QStringList{label(d, u"turnoverValue"_s), label(d, u"itemsValue"_s),
                                      QString::number(child<DataGrid>(d, u"allGrid"_s)->totalCount())} +
                          items;
            printTo(d, u"printPeriodButton"_s, u"items_period"_s);
            printTo(d, u"printAllButton"_s, u"items_all"_s);
        } else if (title == u"统计结帐单据明细"_s) {
            seen[title] = {label(d, u"countValue"_s), label(d, u"turnoverValue"_s),
                           child<DataGrid>(d, u"detailGrid"_s)->footerText(u"消费金额"_s)};
            printTo(d, u"printButton"_s, u"details"_s);
        } else if (title == u"查询结帐记录"_s) {
            auto *grid = child<DataGrid>(d, u"recordGrid"_s);
            seen[title] = {QString::number(grid->totalCount()), grid->footerText(u"实收金额"_s)};
            child<QComboBox>(d, u"columnBox"_s)->setCurrentText(u"状态"_s);
            child<QLineEdit>(d, u"valueEdit"_s)->setText(u"免单"_s);
            click(d, u"searchButton"_s);
            seen[title] << QString::number(grid->totalCount());
            printTo(d, u"printButton"_s, u"records"_s);
        } else if (title == u"服务生提成统计"_s) {
            auto *grid = child<DataGrid>(d, u"totalGrid"_s);
            seen[title] = {QString::number(grid->totalCount()), grid->displayText(0, u"编号"_s),
                           grid->displayText(0, u"金额"_s)};
            click(d, u"searchButton"_s); // both days today
            seen[title] << QString::number(grid->totalCount());
        } else if (title == u"服务生提成明细"_s) {
            seen[title] = {QString::number(child<DataGrid>(d, u"rowGrid"_s)->totalCount())};
            printTo(d, u"printButton"_s, u"commissions"_s);
        } else if (title == u"消费查询"_s) {
            auto *tags = child<QListWidget>(d, u"tagList"_s);
            seen[title] = {QString::number(tags->count()), label(d, u"tagValue"_s),
                           label(d, u"amountValue"_s)};
            printTo(d, u"printButton"_s, u"consumption"_s);
        }
    });
    const auto action = [&](const QString &name) { board.findChild<QAction *>(name)->trigger(); };
    const auto settle = [&](const QString &tag, bool withService, bool free) {
        QVERIFY(board.selectTag(tag));
        action(u"toolOpenBill"_s);
        if (withService) {
            QVERIFY(board.selectTag(tag));
            action(u"toolAddConsume"_s);
        }
        settleFree = free;
        QVERIFY(board.selectTag(tag));
        action(u"toolCheckout"_s);
    };
    settle(u"A1"_s, true, false);  // 38 + 115.2, received in cash, 20 commission for 007
    settle(u"A2"_s, false, false); // 38
    settle(u"A3"_s, true, true);   // free: in no figure
    QCOMPARE(db.scalar(Statement(u"select count(*) from 结帐管理 where 状态 = '免单'"_s)).toInt(), 1);
    QCOMPARE(count(db, u"结帐管理"_s), 3);
    // A guest still in the venue, for the current consumption.
    QVERIFY(board.selectTag(u"A4"_s));
    action(u"toolOpenBill"_s);

    for (const QString &menu : {u"actCountProfit"_s, u"actItemCount"_s, u"actCountMingXi"_s, u"actCxJzJl"_s,
                                u"actFwsTcTj"_s, u"actFwsTcMx"_s, u"actXfCx"_s})
        action(menu);

    QCOMPARE(seen.value(u"统计利润"_s), (QStringList{u"2"_s, u"191.2"_s}));
    // Two items sold today: the tickets of two settled bills and one foot massage.
    QCOMPARE(seen.value(u"营业项目统计"_s),
             (QStringList{u"191.2"_s, u"2"_s, u"2"_s, u"中式足疗/1/115.2"_s, u"门票/2/76"_s}));
    QCOMPARE(seen.value(u"统计结帐单据明细"_s).mid(0, 2), (QStringList{u"3"_s, u"191.2"_s}));
    QCOMPARE(seen.value(u"统计结帐单据明细"_s).value(2), u"191.20"_s); // the footer, two decimals
    QCOMPARE(seen.value(u"查询结帐记录"_s).value(0), u"3"_s);
    // Every record, the free one too: checkout keeps the amount shown in a free bill's 实收金额.
    QCOMPARE(seen.value(u"查询结帐记录"_s).value(1), u"Sum is 344.40"_s);
    QCOMPARE(seen.value(u"查询结帐记录"_s).value(2), u"1"_s);
    QCOMPARE(seen.value(u"服务生提成统计"_s), (QStringList{u"1"_s, u"007"_s, u"20"_s, u"1"_s}));
    QCOMPARE(seen.value(u"服务生提成明细"_s), QStringList{u"1"_s});
    QCOMPARE(seen.value(u"消费查询"_s), (QStringList{u"1"_s, u"A4"_s, u"38"_s}));

    // Each printed list, read back from its PDF.
    const QMap<QString, QStringList> expected{
        {u"turnover"_s,
         {u"ID编号结帐单号顾客姓名消费金额实收金额结帐方式营业员"_s, u"消费金额:191.2"_s,
          u"实收金额:191.2"_s}},
        {u"items_period"_s,
         {u"消费项目总消费数量总消费金额"_s, u"中式足疗1115.2"_s, u"消费数量:3"_s, u"消费金额:191.2"_s}},
        {u"items_all"_s,
         {u"消费项目消费数量消费金额"_s, u"中式足疗"_s, u"消费数量:3"_s, u"消费金额:191.2"_s}},
        {u"details"_s,
         {u"ID编号消费项目消费单价消费数量消费金额服务生"_s, u"中式足疗"_s, u"消费金额:191.2"_s}},
        {u"records"_s,
         {u"ID编号结帐单号会员卡号顾客姓名消费金额实收金额营业员"_s, u"消费金额:153.2"_s,
          u"实收金额:153.2"_s}},
        {u"commissions"_s, {u"打印时间:"_s, u"ID编号姓名时间单据号提成金额"_s, u"007李小红"_s, u"20"_s}},
        {u"consumption"_s,
         {u"手牌号码项目名单价数量打折率合计"_s, u"A4"_s, u"数量:1"_s, u"合计:38"_s,
          u"超级管理员消费完毕"_s}},
    };
    QCOMPARE(pdfs.keys(), expected.keys());
    // The CJK face draws some ideographs (门) with the radical's glyph, which the PDF's text map
    // names as the radical: the lists are checked by texts without them.
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QString text = pdfs.value(it.key());
        for (const QString &part : it.value())
            QVERIFY2(text.contains(part.normalized(QString::NormalizationForm_KC)),
                     qPrintable(it.key() + u": "_s + part + u" not in "_s + text));
    }
}

void TestReportScreens::aFailedTurnoverShowsNoFigure()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    RunState run = runState(t.db(), t.baseDir());
    ScriptedPrompt prompt;
    ScreenRig rig(run, prompt);
    {
        // A day without settled bills is 0.
        TCountProfitFm screen(rig.context);
        screen.show();
        QCOMPARE(label(&screen, u"turnoverValue"_s), u"0"_s);
        QCOMPARE(label(&screen, u"countValue"_s), u"0"_s);
        QVERIFY(prompt.shown.isEmpty());
    }
    t.db().executeScript(u"drop table 结帐管理"_s);
    TCountProfitFm screen(rig.context);
    screen.show();
    QVERIFY(!prompt.shown.isEmpty());
    QCOMPARE(label(&screen, u"turnoverValue"_s), QString());
    QCOMPARE(label(&screen, u"countValue"_s), QString());
}

void TestReportScreens::theDetailSearchShowsItsStatementAndRefusesUnknownColumns()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDateTime now = QDateTime::currentDateTime();
    db.execute(Statement::insert(u"结帐明细"_s, {{u"单据号"_s, SqlValue::text(u"1"_s)},
                                                 {u"消费项目"_s, SqlValue::text(u"浴资"_s)},
                                                 {u"消费金额"_s, SqlValue::money(Money::fromUnits(38))},
                                                 {u"消费时间"_s, SqlValue::dateTime(now.addDays(-2))},
                                                 {u"服务生编号"_s, SqlValue::text(u"007"_s)},
                                                 {u"状态"_s, SqlValue::text(u"已结"_s)}}));
    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    ScreenRig rig(run, prompt);
    TCountMingXiFm screen(rig.context);
    screen.show();
    auto *grid = child<DataGrid>(&screen, u"detailGrid"_s);
    // Today's details on opening: none, the detail is two days old.
    QCOMPARE(grid->totalCount(), 0);
    QCOMPARE(label(&screen, u"countValue"_s), u"0"_s);
    QVERIFY(!child<QWidget>(&screen, u"periodPicker"_s)->isEnabled());

    click(&screen, u"searchButton"_s);
    QCOMPARE(prompt.last(), u"请输入查询条件或者选择结帐时间作为查询条件!"_s);

    child<QComboBox>(&screen, u"columnBox"_s)->setCurrentText(u"服务生编号"_s);
    child<QLineEdit>(&screen, u"valueEdit"_s)->setText(u" 007 "_s);
    click(&screen, u"searchButton"_s);
    const QString q = SqlTextQuote(run.DatabaseKind());
    QCOMPARE(prompt.last(), u"select * from 结帐明细 where 状态 = "_s + q + u"已结"_s + q +
                                u" and 服务生编号 = "_s + q + u"007"_s + q);
    QCOMPARE(grid->totalCount(), 1);
    // "数量:" keeps the figure of the opening day.
    QCOMPARE(label(&screen, u"countValue"_s), u"0"_s);

    // A column the table lacks is refused before anything runs; the grid keeps its rows.
    const qsizetype shown = prompt.shown.size();
    child<QComboBox>(&screen, u"columnBox"_s)->setCurrentText(u"状态='已结' or 1=1 --"_s);
    click(&screen, u"searchButton"_s);
    QCOMPARE(prompt.shown.size(), shown + 1);
    QVERIFY2(!prompt.last().startsWith(u"select"_s), qPrintable(prompt.last()));
    QCOMPARE(grid->totalCount(), 1);

    // Ticking the period enables it and limits the details to its days.
    child<QCheckBox>(&screen, u"timeCheck"_s)->setChecked(true);
    QVERIFY(child<QWidget>(&screen, u"periodPicker"_s)->isEnabled());
    child<QComboBox>(&screen, u"columnBox"_s)->setCurrentText(u"消费项目"_s);
    child<QLineEdit>(&screen, u"valueEdit"_s)->clear();
    click(&screen, u"searchButton"_s);
    QVERIFY2(prompt.last().contains(u"消费时间 >= "_s), qPrintable(prompt.last()));
    QCOMPARE(grid->totalCount(), 0);
}

void TestReportScreens::currentConsumptionShowsAGroupByItsMasterTag()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    ScreenRig rig(run, prompt);
    {
        TXfCxFm empty(rig.context);
        empty.show();
        QCOMPARE(prompt.shown, QStringList{u"没有正在消费的手牌!"_s});
        QCOMPARE(child<QListWidget>(&empty, u"tagList"_s)->count(), 0);
    }
    addRoomType(db, u"大厅"_s);
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
    addLine(db, u"A1"_s, u"A1"_s, u"浴资"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"浴资"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"可乐"_s, u"8.5"_s);
    TXfCxFm screen(rig.context);
    screen.show();
    auto *tags = child<QListWidget>(&screen, u"tagList"_s);
    auto *grid = child<DataGrid>(&screen, u"lineGrid"_s);
    const auto shown = [&] {
        return QStringList{label(&screen, u"tagValue"_s), label(&screen, u"amountValue"_s),
                           QString::number(grid->totalCount())};
    };
    // The first tag with the lines entered on it.
    QCOMPARE(shown(), (QStringList{u"A1"_s, u"38"_s, u"1"_s}));
    // A click shows the bill the tag is master of: the whole group on A1, nothing on A2.
    const auto clickTag = [&](int row) {
        const QRect cell = tags->visualItemRect(tags->item(row));
        QTest::mouseClick(tags->viewport(), Qt::LeftButton, {}, cell.center());
    };
    clickTag(0);
    QCOMPARE(shown(), (QStringList{u"A1"_s, u"84.5"_s, u"3"_s}));
    clickTag(1);
    QCOMPARE(shown(), (QStringList{u"A2"_s, u"0"_s, u"0"_s}));
    clickTag(0);
    // A number that is no master tag shows with 0 and no lines, never beside another tag's lines.
    auto *search = child<QLineEdit>(&screen, u"searchEdit"_s);
    search->setText(u"B9"_s);
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(shown(), (QStringList{u"B9"_s, u"0"_s, u"0"_s}));
    QVERIFY(screen.isVisible());
    search->setText(u"A1"_s);
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(shown(), (QStringList{u"A1"_s, u"84.5"_s, u"3"_s}));
    QCOMPARE(prompt.shown, QStringList{u"没有正在消费的手牌!"_s});
}

void TestReportScreens::commissionScreensSayWhenNothingIsFound()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDate today = QDate::currentDate();
    for (const auto &[name, day, amount] :
         {std::tuple{u"李小红"_s, today.addDays(-30), 12}, std::tuple{u"李红"_s, today.addDays(-30), 8}})
        db.execute(
            Statement::insert(u"服务生提成"_s, {{u"编号"_s, SqlValue::text(u"007"_s)},
                                                {u"姓名"_s, SqlValue::text(name)},
                                                {u"结帐时间"_s, SqlValue::date(day)},
                                                {u"提成金额"_s, SqlValue::money(Money::fromUnits(amount))}}));
    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    ScreenRig rig(run, prompt);
    {
        TFwsTcTjFm totals(rig.context);
        totals.show();
        auto *grid = child<DataGrid>(&totals, u"totalGrid"_s);
        // Every waiter's all-time total on opening, though both days show today; one total for
        // the waiter number, whatever name its rows carry.
        QCOMPARE(grid->totalCount(), 1);
        QCOMPARE(grid->displayText(0, u"金额"_s), u"20"_s);
        auto *picker = child<PeriodPicker>(&totals, u"periodPicker"_s);
        picker->lastBox()->setDate(today.addDays(-1));
        click(&totals, u"searchButton"_s);
        QCOMPARE(prompt.last(), u"起始日期不能大于终止日期,请重新选择!"_s);
        QCOMPARE(grid->totalCount(), 1);
        picker->lastBox()->setDate(today);
        click(&totals, u"searchButton"_s);
        QCOMPARE(prompt.last(), u"没有找到符合条件的记录"_s);
        QCOMPARE(grid->totalCount(), 0);
    }
    prompt.shown.clear();
    TFwsTcMxFm rows(rig.context);
    rows.show();
    auto *grid = child<DataGrid>(&rows, u"rowGrid"_s);
    QCOMPARE(grid->totalCount(), 2);
    child<QComboBox>(&rows, u"columnBox"_s)->setCurrentText(u"姓名"_s);
    click(&rows, u"searchButton"_s);
    QCOMPARE(prompt.last(), u"请认真填写查询条件"_s);
    child<QLineEdit>(&rows, u"valueEdit"_s)->setText(u"小红"_s);
    click(&rows, u"searchButton"_s);
    QCOMPARE(prompt.last(), u"没有找到符合条件的记录"_s);
    child<QLineEdit>(&rows, u"valueEdit"_s)->setText(u"李小红"_s);
    click(&rows, u"searchButton"_s);
    QCOMPARE(grid->totalCount(), 1);
    QCOMPARE(prompt.shown.size(), 2);
}

QTEST_MAIN(TestReportScreens)
#include "tst_report_screens.moc"
