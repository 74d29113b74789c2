// The read-only grid leaves ordering, counting and summing to the database and reads rows as
// the view scrolls, block after block by key, and seeks; these run it over a table of its own on
// every available database kind.
#include "db/Transaction.h"
#include "support/TestDatabase.h"
#include "support/ScriptedPrompt.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString Table = u"流水"_s;

void createTable(const Database &db)
{
    if (db.kind() == DbKind::Sqlite)
        db.executeScript(u"create table 流水 (id integer primary key, 名称 text, 金额 integer, 数量 integer, "
                         u"时间 text, 日期 text, 已结 integer, 折扣 real, 分组 text)"_s);
    else
        db.executeScript(u"create table 流水 (id integer primary key, 名称 text, 金额 numeric(19,4), "
                         u"数量 integer, 时间 timestamp, 日期 date, 已结 boolean, 折扣 double precision, "
                         u"分组 text)"_s);
}

void addRow(const Database &db, qint64 id, Money amount, const QString &group = u"甲"_s)
{
    db.execute(Statement::insert(Table, {{u"id"_s, SqlValue::integer(id)},
                                         {u"名称"_s, SqlValue::text(u"客%1"_s.arg(id))},
                                         {u"金额"_s, SqlValue::money(amount)},
                                         {u"数量"_s, SqlValue::integer(id % 3)},
                                         {u"分组"_s, SqlValue::text(group)}}));
}

// id runs 1..count; the amount grows with it, the group repeats every three rows.
void addRows(const Database &db, int count)
{
    Transaction transaction(db);
    const QStringList groups{u"甲"_s, u"乙"_s, u"丙"_s};
    for (int id = 1; id <= count; ++id)
        addRow(db, id, Money::fromUnits(id), groups.at(id % 3));
    transaction.commit();
}

QString nameOf(int id)
{
    return u"n%1"_s.arg(id / 3, 4, 10, QChar(u'0'));
}

// Names repeat ("n0000" for ids 1 and 2, then three rows a name) and every seventh row has none,
// so that the order by name has ties, and a run of NULLs longer than a block.
void addNamedRows(const Database &db, int count)
{
    Transaction transaction(db);
    for (int id = 1; id <= count; ++id) {
        db.execute(Statement::insert(
            Table, {{u"id"_s, SqlValue::integer(id)},
                    {u"名称"_s, id % 7 == 0 ? SqlValue::null() : SqlValue::text(nameOf(id))},
                    {u"金额"_s, SqlValue::money(Money::fromUnits(id))}}));
    }
    transaction.commit();
}

QList<GridColumn> gridColumns()
{
    return {
        // Spelt unlike the table's "id", as screens name some row numbers.
        {u"ID"_s, u"序号"_s, 40, ColumnKind::RowNumber, false, false},
        {u"名称"_s, u"名称"_s, 90},
        {u"金额"_s, u"金额"_s, 90, ColumnKind::Money, true},
        {u"数量"_s, u"数量"_s, 60, ColumnKind::Integer, true},
        {u"时间"_s, u"时间"_s, 150, ColumnKind::DateTime},
        {u"日期"_s, u"日期"_s, 100, ColumnKind::Date},
        {u"已结"_s, u"已结"_s, 50, ColumnKind::Boolean},
        {u"折扣"_s, u"折扣"_s, 50, ColumnKind::Factor},
        {u"分组"_s, u"分组"_s, 60},
    };
}

int columnOf(const DataGrid &grid, const QString &field)
{
    for (int i = 0; i < grid.columns().size(); ++i) {
        if (grid.columns().at(i).field == field)
            return i;
    }
    return -1;
}

void clickHeader(DataGrid &grid, const QString &field)
{
    QHeaderView *header = grid.view()->horizontalHeader();
    const int section = columnOf(grid, field);
    const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

QStringList columnTexts(const DataGrid &grid, const QString &field)
{
    QStringList texts;
    for (int row = 0; row < grid.loadedRowCount(); ++row)
        texts.append(grid.displayText(row, field));
    return texts;
}

QList<qint64> loadedIds(const DataGrid &grid)
{
    QList<qint64> ids;
    for (int row = 0; row < grid.loadedRowCount(); ++row)
        ids.append(grid.value(row, u"ID"_s).toLongLong());
    return ids;
}

// The row numbers of the whole result in the grid's order, as the database sorts it at once.
QList<qint64> orderedIds(const DataGrid &grid)
{
    Cursor c = grid.database().query(grid.orderedQuery());
    QList<qint64> ids;
    while (c.next())
        ids.append(c.integer(u"id"_s));
    return ids;
}

// Reads every block after the window.
void readToTheEnd(DataGrid &grid)
{
    while (grid.view()->model()->canFetchMore({}))
        grid.setCurrentRow(grid.loadedRowCount());
}

qint64 currentId(const DataGrid &grid)
{
    return grid.value(grid.currentRow(), u"ID"_s).toLongLong();
}

// The window is a run of the whole order, with no row missing or repeated.
bool isRunOf(const QList<qint64> &window, const QList<qint64> &all)
{
    const qsizetype at = all.indexOf(window.value(0));
    return at >= 0 && all.mid(at, window.size()) == window;
}

struct Fixture
{
    explicit Fixture(const QString &kind) : database(kind, TestDatabase::Content::Empty)
    {
        createTable(db());
        grid.setDatabase(db());
        grid.setColumns(gridColumns());
        grid.resize(900, 300);
    }
    const Database &db() const { return database.db(); }
    void open(Statement base = Statement(u"select * from 流水"_s)) { grid.setQuery(base); }
    bool showGrid()
    {
        grid.show();
        return QTest::qWaitForWindowExposed(&grid);
    }

    TestDatabase database;
    DataGrid grid;
};

} // namespace

class TestDataGrid : public QObject
{
    Q_OBJECT
private slots:
    void headerClickSortsByTheStoredValue_data() { TestDatabase::addKindRows(); }
    void headerClickSortsByTheStoredValue();
    void footerCountsAndSumsExactly_data() { TestDatabase::addKindRows(); }
    void footerCountsAndSumsExactly();
    void footerStaysUnderItsColumns_data() { TestDatabase::addKindRows(); }
    void footerStaysUnderItsColumns();
    void rowsArriveAsTheViewScrolls_data() { TestDatabase::addKindRows(); }
    void rowsArriveAsTheViewScrolls();
    void refreshShowsChangesAndKeepsPlace_data() { TestDatabase::addKindRows(); }
    void refreshShowsChangesAndKeepsPlace();
    void blocksFollowTiesAndNulls_data() { TestDatabase::addKindRows(); }
    void blocksFollowTiesAndNulls();
    void nextBlockStartsAfterTheLastRowRead_data() { TestDatabase::addKindRows(); }
    void nextBlockStartsAfterTheLastRowRead();
    void seekGoesToTheFirstRowAtOrAfter_data() { TestDatabase::addKindRows(); }
    void seekGoesToTheFirstRowAtOrAfter();
    void aShownSeekReadsOnlyTheBlocksAroundTheRow();
    void aRowIsFoundByItsRowNumber_data() { TestDatabase::addKindRows(); }
    void aRowIsFoundByItsRowNumber();
    void scrollingUpReadsTheRowsBeforeOnce_data() { TestDatabase::addKindRows(); }
    void scrollingUpReadsTheRowsBeforeOnce();
    void cellsShowTheProgramsForms_data() { TestDatabase::addKindRows(); }
    void cellsShowTheProgramsForms();
    void activationAndCurrentRow_data() { TestDatabase::addKindRows(); }
    void activationAndCurrentRow();
    void failuresLeaveAClearState_data() { TestDatabase::addKindRows(); }
    void failuresLeaveAClearState();
    void narrowColumnsWidenToTheirValues();
};

// A declared width is where a column starts: a value or a header wider than it widens the column
// (the board's 合计 was cut to "11…"); a column wide enough keeps its width.
void TestDataGrid::narrowColumnsWidenToTheirValues()
{
    Fixture f(u"sqlite"_s);
    QList<GridColumn> columns = gridColumns();
    columns[2].width = 20; // 金额
    f.grid.setColumns(columns);
    addRow(f.db(), 1, Money::fromUnits(12345678));
    f.open();
    QHeaderView *header = f.grid.view()->horizontalHeader();
    const int amount = columnOf(f.grid, u"金额"_s);
    const QString shown = f.grid.displayText(0, u"金额"_s);
    QCOMPARE(shown, u"12345678"_s);
    QVERIFY2(header->sectionSize(amount) >= f.grid.view()->fontMetrics().horizontalAdvance(shown),
             qPrintable(QString::number(header->sectionSize(amount))));
    QCOMPARE(header->sectionSize(columnOf(f.grid, u"时间"_s)), 150);

    // A value is laid out as the text it is, never as markup: "<b>…</b>" takes its own width.
    const QString markup = u"<b>甲乙丙丁戊</b>"_s;
    addRow(f.db(), 2, Money::fromUnits(1), markup);
    f.grid.refresh();
    QCOMPARE(f.grid.displayText(1, u"分组"_s), markup);
    const int group = columnOf(f.grid, u"分组"_s);
    QVERIFY2(header->sectionSize(group) >= f.grid.view()->fontMetrics().horizontalAdvance(markup),
             qPrintable(QString::number(header->sectionSize(group))));

    // The footer's count is never cut either ("0000 条" for 10000): its column widens to hold it.
    Fixture many(u"sqlite"_s);
    QList<GridColumn> narrow = gridColumns();
    narrow[1].width = 20; // 名称, the first shown: its title and the names in view fit in less
    narrow[1].title = u"名"_s;
    many.grid.setColumns(narrow);
    addRows(many.db(), 10000);
    many.grid.setFooterVisible(true);
    many.open();
    const QLabel *count = many.grid.findChild<QLabel *>(u"footer:名称"_s);
    QVERIFY(count);
    QCOMPARE(count->text(), u"共 10000 条"_s);
    QVERIFY2(count->width() >= count->fontMetrics().horizontalAdvance(count->text()),
             qPrintable(QString::number(count->width())));
    QCOMPARE(count->width(), many.grid.view()->horizontalHeader()->sectionSize(columnOf(many.grid, u"名称"_s)));
}

void TestDataGrid::headerClickSortsByTheStoredValue()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    // Inserted neither in numeric nor in text order ("10" < "100" < "9").
    addRow(f.db(), 1, Money::fromUnits(10));
    addRow(f.db(), 2, Money::fromUnits(9));
    addRow(f.db(), 3, Money::fromUnits(100));
    f.open();
    QVERIFY(f.showGrid());
    QHeaderView *header = f.grid.view()->horizontalHeader();

    clickHeader(f.grid, u"金额"_s);
    QCOMPARE(columnTexts(f.grid, u"金额"_s), (QStringList{u"9"_s, u"10"_s, u"100"_s}));
    QCOMPARE(header->sortIndicatorSection(), columnOf(f.grid, u"金额"_s));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);

    clickHeader(f.grid, u"金额"_s);
    QCOMPARE(columnTexts(f.grid, u"金额"_s), (QStringList{u"100"_s, u"10"_s, u"9"_s}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(f.grid.sortOrder(), Qt::DescendingOrder);

    // Another column starts ascending again.
    clickHeader(f.grid, u"名称"_s);
    QCOMPARE(columnTexts(f.grid, u"名称"_s), (QStringList{u"客1"_s, u"客2"_s, u"客3"_s}));
    QCOMPARE(header->sortIndicatorSection(), columnOf(f.grid, u"名称"_s));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(f.grid.currentRow(), 0);
}

void TestDataGrid::footerCountsAndSumsExactly()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    for (int id = 1; id <= 10; ++id)
        addRow(f.db(), id, Money::fromRaw(1000), id <= 4 ? u"甲"_s : u"乙"_s); // 0.1 each
    addRow(f.db(), 11, Money::fromUnits(5), u"丙"_s);

    f.open(Statement(u"select * from 流水 where 分组 <> "_s).text(u"丙"_s));
    // Sums are asked for only while the footer shows; the count always.
    QCOMPARE(f.grid.totalCount(), qint64(10));
    QCOMPARE(f.grid.footerText(u"金额"_s), QString());
    f.grid.setFooterVisible(true);
    QCOMPARE(f.grid.footerText(u"金额"_s), u"1"_s);
    QCOMPARE(f.grid.footerText(u"数量"_s), u"10"_s); // 1+2+0+1+2+0+1+2+0+1
    // The hidden row number is not the first visible column.
    QCOMPARE(f.grid.footerText(u"名称"_s), u"共 10 条"_s);
    QCOMPARE(f.grid.footerText(u"ID"_s), QString());
    QCOMPARE(f.grid.footerText(u"时间"_s), QString());

    // Every statement binds the base's values again, in their places.
    f.open(Statement(u"select * from 流水 where 分组 = "_s)
               .text(u"甲"_s)
               .sql(u" and 金额 < "_s)
               .money(Money::fromUnits(1)));
    QCOMPARE(f.grid.footerText(u"名称"_s), u"共 4 条"_s);
    QCOMPARE(f.grid.footerText(u"金额"_s), u"0.4"_s);
    QCOMPARE(f.grid.loadedRowCount(), 4);

    f.open(Statement(u"select * from 流水 where 分组 = "_s).text(u"无"_s));
    QCOMPARE(f.grid.footerText(u"名称"_s), u"共 0 条"_s);
    QCOMPARE(f.grid.footerText(u"金额"_s), u"0"_s);
    QCOMPARE(f.grid.footerText(u"数量"_s), u"0"_s);
    QCOMPARE(f.grid.currentRow(), -1);

    // The count follows the first visible column when columns are moved.
    QHeaderView *header = f.grid.view()->horizontalHeader();
    header->moveSection(header->visualIndex(columnOf(f.grid, u"分组"_s)), 0);
    QCOMPARE(f.grid.footerText(u"分组"_s), u"共 0 条"_s);
    QCOMPARE(f.grid.footerText(u"名称"_s), QString());
}

void TestDataGrid::footerStaysUnderItsColumns()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addRows(f.db(), 40);
    f.grid.setFooterVisible(true);
    f.open();
    f.grid.resize(300, 300); // narrower than the columns, so it scrolls sideways
    QVERIFY(f.showGrid());
    QHeaderView *header = f.grid.view()->horizontalHeader();
    auto *sumLabel = f.grid.findChild<QLabel *>(u"footer:金额"_s);
    QVERIFY(sumLabel);
    QCOMPARE(sumLabel->text(), u"820"_s);

    // Where the footer cell of the money column stands against its header section, or nothing.
    const auto misplacement = [&] {
        const int section = columnOf(f.grid, u"金额"_s);
        const int headerLeft =
            header->viewport()->mapTo(&f.grid, QPoint(header->sectionViewportPosition(section), 0)).x();
        const int labelLeft = sumLabel->mapTo(&f.grid, QPoint(0, 0)).x();
        if (labelLeft == headerLeft && sumLabel->width() == header->sectionSize(section))
            return QString();
        return u"cell at %1 width %2, column at %3 width %4"_s.arg(labelLeft)
            .arg(sumLabel->width())
            .arg(headerLeft)
            .arg(header->sectionSize(section));
    };
    QVERIFY2(misplacement().isEmpty(), qPrintable(misplacement()));
    header->resizeSection(columnOf(f.grid, u"名称"_s), 130);
    QVERIFY2(misplacement().isEmpty(), qPrintable(u"after a resize: "_s + misplacement()));
    header->moveSection(header->visualIndex(columnOf(f.grid, u"金额"_s)), header->count() - 1);
    QVERIFY2(misplacement().isEmpty(), qPrintable(u"after a move: "_s + misplacement()));
    QScrollBar *bar = f.grid.view()->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    QVERIFY2(misplacement().isEmpty(), qPrintable(u"after scrolling: "_s + misplacement()));
    QVERIFY(!sumLabel->visibleRegion().isEmpty());
    // Scrolled back, the last column is out of sight, and so is its footer cell.
    bar->setValue(0);
    QVERIFY(sumLabel->visibleRegion().isEmpty());
}

void TestDataGrid::rowsArriveAsTheViewScrolls()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    const int total = 2000;
    addRows(f.db(), total);
    f.open();
    QCOMPARE(f.grid.totalCount(), qint64(total));
    QCOMPARE(f.grid.footerText(u"名称"_s), u"共 2000 条"_s);
    const int first = f.grid.loadedRowCount();
    QVERIFY(first > 0);
    QVERIFY(first < total);

    QVERIFY(f.showGrid());
    QTableView *view = f.grid.view();
    int loaded = first;
    for (int round = 0; round < total && loaded < total; ++round) {
        view->scrollToBottom();
        QCoreApplication::processEvents();
        QVERIFY2(f.grid.loadedRowCount() > loaded, "scrolling to the bottom read no further rows");
        loaded = f.grid.loadedRowCount();
    }
    QCOMPARE(loaded, total);
    QVERIFY(!view->model()->canFetchMore({}));
    QList<qint64> expected;
    for (int id = 1; id <= total; ++id)
        expected.append(id);
    QCOMPARE(loadedIds(f.grid), expected); // the row number orders rows when nothing else does

    // The largest amount is in the last block; the database finds it, not the rows loaded.
    f.grid.sortBy(u"金额"_s, Qt::DescendingOrder);
    QVERIFY(f.grid.loadedRowCount() < total);
    QCOMPARE(f.grid.displayText(0, u"金额"_s), u"2000"_s);

    // A column full of ties still pages every row exactly once; within a tie the rows run the
    // way the column does, so the descending order is the ascending one reversed.
    QList<QList<qint64>> both;
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        f.grid.sortBy(u"分组"_s, order);
        f.grid.setCurrentRow(total - 1);
        QCOMPARE(f.grid.loadedRowCount(), total);
        QCOMPARE(f.grid.currentRow(), total - 1);
        const QList<qint64> ids = loadedIds(f.grid);
        QCOMPARE(QSet<qint64>(ids.begin(), ids.end()).size(), total);
        const QStringList groups = columnTexts(f.grid, u"分组"_s);
        int runs = 1;
        for (int row = 1; row < total; ++row) {
            if (groups.at(row) != groups.at(row - 1))
                ++runs;
            else if (order == Qt::AscendingOrder)
                QVERIFY(ids.at(row - 1) < ids.at(row));
            else
                QVERIFY(ids.at(row - 1) > ids.at(row));
        }
        QCOMPARE(runs, 3);
        both.append(ids);
    }
    std::reverse(both[1].begin(), both[1].end());
    QCOMPARE(both[0], both[1]);
}

void TestDataGrid::refreshShowsChangesAndKeepsPlace()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addRows(f.db(), 5);
    f.grid.setFooterVisible(true);
    f.open();
    QHeaderView *header = f.grid.view()->horizontalHeader();
    header->resizeSection(columnOf(f.grid, u"名称"_s), 123);
    f.grid.setCurrentRow(3);
    QSignalSpy moved(&f.grid, &DataGrid::currentRowChanged);

    addRow(f.db(), 6, Money::fromRaw(5));
    f.grid.refresh();
    QCOMPARE(f.grid.loadedRowCount(), 6);
    QCOMPARE(f.grid.displayText(5, u"金额"_s), u"0.0005"_s);
    QCOMPARE(f.grid.footerText(u"名称"_s), u"共 6 条"_s);
    QCOMPARE(f.grid.footerText(u"金额"_s), u"15.0005"_s);
    QCOMPARE(f.grid.currentRow(), 3);
    QCOMPARE(moved.count(), 0);
    // The operator's widths and the hidden columns survive.
    QCOMPARE(header->sectionSize(columnOf(f.grid, u"名称"_s)), 123);
    QCOMPARE(header->sectionSize(columnOf(f.grid, u"金额"_s)), 90);
    QVERIFY(header->isSectionHidden(columnOf(f.grid, u"ID"_s)));

    // The current row is gone and no row comes after it: the last row becomes current.
    f.db().execute(Statement(u"delete from 流水 where id > "_s).integer(2));
    f.grid.refresh();
    QCOMPARE(f.grid.loadedRowCount(), 2);
    QCOMPARE(f.grid.currentRow(), 1);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toInt(), 1);

    // A current row beyond the first block is reached again, by its row number.
    f.db().execute(Statement(u"delete from 流水"_s));
    addRows(f.db(), 1200);
    f.grid.refresh();
    f.grid.setCurrentRow(1100);
    f.grid.refresh();
    QCOMPARE(currentId(f.grid), 1101);
    QVERIFY(isRunOf(loadedIds(f.grid), orderedIds(f.grid)));

    // Renamed elsewhere, it stays current where the order now puts it; deleted, the row after
    // it takes its place.
    f.grid.sortBy(u"名称"_s, Qt::AscendingOrder);
    QVERIFY(f.grid.seek(u"名称"_s, SqlValue::text(u"客500"_s)));
    QCOMPARE(currentId(f.grid), 500);
    f.db().execute(Statement(u"update 流水 set 名称 = "_s).text(u"客1150x"_s).sql(u" where id = "_s).integer(500));
    f.grid.refresh();
    QCOMPARE(currentId(f.grid), 500);
    QCOMPARE(f.grid.displayText(f.grid.currentRow() + 1, u"名称"_s), u"客1151"_s);
    f.db().execute(Statement(u"delete from 流水 where id = "_s).integer(500));
    f.grid.refresh();
    QCOMPARE(currentId(f.grid), 1151);
    QVERIFY(isRunOf(loadedIds(f.grid), orderedIds(f.grid)));
}

void TestDataGrid::blocksFollowTiesAndNulls()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    const int total = 700;
    addNamedRows(f.db(), total);
    f.open();
    // Whichever end the database puts the NULLs at, block after block gives every row once, in
    // the order the database gives the whole result at once.
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        f.grid.sortBy(u"名称"_s, order);
        QCOMPARE(f.grid.loadedRowCount(), DataGrid::BlockSize);
        readToTheEnd(f.grid);
        const QList<qint64> all = orderedIds(f.grid);
        QCOMPARE(QSet<qint64>(all.begin(), all.end()).size(), total);
        QCOMPARE(all.size(), total);
        QCOMPARE(loadedIds(f.grid), all);
    }
}

void TestDataGrid::nextBlockStartsAfterTheLastRowRead()
{
    QFETCH(QString, kind);
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        Fixture f(kind);
        const int total = 700;
        addNamedRows(f.db(), total);
        f.open();
        f.grid.sortBy(u"名称"_s, order);
        const QList<qint64> first = loadedIds(f.grid);
        const QVariant lastName = f.grid.value(f.grid.loadedRowCount() - 1, u"名称"_s);
        QVERIFY(!lastName.isNull());

        // Another counter writes rows before and after the last row read, one that ties with
        // it, and two without a name. Those before it would shift every offset; the next block
        // starts right after that row as the order now stands.
        Transaction transaction(f.db());
        int id = 1000;
        for (const SqlValue &name : {SqlValue::text(u"a"_s), SqlValue::text(u"z"_s), SqlValue::text(lastName.toString()),
                                     SqlValue::null(), SqlValue::null()}) {
            f.db().execute(Statement::insert(Table, {{u"id"_s, SqlValue::integer(++id)}, {u"名称"_s, name}}));
        }
        transaction.commit();
        readToTheEnd(f.grid);

        const QList<qint64> now = orderedIds(f.grid);
        const QList<qint64> expected = first + now.mid(now.indexOf(first.last()) + 1);
        const QList<qint64> loaded = loadedIds(f.grid);
        QCOMPARE(loaded, expected);
        const QSet<qint64> seen(loaded.begin(), loaded.end());
        QCOMPARE(seen.size(), loaded.size());
        for (qint64 old = 1; old <= total; ++old)
            QVERIFY2(seen.contains(old), qPrintable(u"row %1 was skipped"_s.arg(old)));
    }
}

void TestDataGrid::seekGoesToTheFirstRowAtOrAfter()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    const int total = 2000;
    addNamedRows(f.db(), total);
    f.open();
    // The first row of the grid's order whose name is at or after the value, by the order's
    // own ties; a row without a name is never it.
    const auto expectedAt = [&](const QString &value) -> qint64 {
        const bool ascending = f.grid.sortOrder() == Qt::AscendingOrder;
        for (const qint64 id : orderedIds(f.grid)) {
            if (id % 7 != 0 && (ascending ? nameOf(int(id)) >= value : nameOf(int(id)) <= value))
                return id;
        }
        return -1;
    };

    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        f.grid.sortBy(u"名称"_s, order);
        const QList<qint64> all = orderedIds(f.grid);
        // "n0300x" falls between names, next to a row without one; the last value has fewer
        // rows than a block at or after it, and then the rows without a name when the order
        // puts them last.
        const QString nearTheEnd = order == Qt::AscendingOrder ? u"n0660"_s : u"n0010"_s;
        for (const QString &value : {u"n0300"_s, u"n0300x"_s, u"n0500"_s, nearTheEnd}) {
            QVERIFY(f.grid.seek(u"名称"_s, SqlValue::text(value)));
            QCOMPARE(currentId(f.grid), expectedAt(value));
            // The rows before it were not read from the first on; those read are the rows
            // around it in the order, and the blocks after them go on to the last row.
            QVERIFY(f.grid.hasRowsBefore());
            QVERIFY(isRunOf(loadedIds(f.grid), all));
            QCOMPARE(f.grid.totalCount(), qint64(total));
            readToTheEnd(f.grid);
            QVERIFY(isRunOf(loadedIds(f.grid), all));
            QCOMPARE(loadedIds(f.grid).last(), all.last());
        }
    }

    // Past every name: the last row, whatever it holds.
    f.grid.sortBy(u"名称"_s, Qt::AscendingOrder);
    QVERIFY(!f.grid.seek(u"名称"_s, SqlValue::text(u"o"_s)));
    QCOMPARE(currentId(f.grid), orderedIds(f.grid).last());
    QVERIFY(!f.grid.view()->model()->canFetchMore({}));

    // A prefix must begin the name found; when it does not, nothing moves.
    QVERIFY(f.grid.seekPrefix(u"名称"_s, u"n05"_s));
    QCOMPARE(currentId(f.grid), 1500);
    const QList<qint64> window = loadedIds(f.grid);
    QVERIFY(!f.grid.seekPrefix(u"名称"_s, u"n0300x"_s));
    QVERIFY(!f.grid.seekPrefix(u"名称"_s, u"N05"_s));
    QCOMPARE(currentId(f.grid), 1500);
    QCOMPARE(loadedIds(f.grid), window);

    // A money sort column takes a money value.
    f.grid.sortBy(u"金额"_s, Qt::AscendingOrder);
    QVERIFY(f.grid.seek(u"金额"_s, SqlValue::money(*Money::parse(u"1234.5"_s))));
    QCOMPARE(currentId(f.grid), 1235);

    // Another field than the sort field: the order stays, and the row first in name order is
    // current where that order puts it.
    f.grid.sortBy(u"金额"_s, Qt::DescendingOrder);
    QVERIFY(f.grid.seek(u"名称"_s, SqlValue::text(u"n0500"_s)));
    QCOMPARE(currentId(f.grid), 1500);
    QCOMPARE(f.grid.sortField(), u"金额"_s);
    QCOMPARE(f.grid.displayText(f.grid.currentRow() + 1, u"金额"_s), u"1499"_s);
    QVERIFY(isRunOf(loadedIds(f.grid), orderedIds(f.grid)));
}

// A seek in a grid on the screen reads a screenful before the row and the block from it; the view
// reads the next block only when it is scrolled to it.
void TestDataGrid::aShownSeekReadsOnlyTheBlocksAroundTheRow()
{
    Fixture f(u"sqlite"_s);
    addNamedRows(f.db(), 2000);
    f.open();
    QVERIFY(f.showGrid());
    QVERIFY(f.grid.seek(u"ID"_s, SqlValue::integer(1000)));
    QCoreApplication::processEvents();
    QCOMPARE(currentId(f.grid), 1000);
    QCOMPARE(f.grid.loadedRowCount(), DataGrid::RowsBeforeJump + DataGrid::BlockSize);
    f.grid.view()->scrollToBottom();
    QCoreApplication::processEvents();
    QCOMPARE(f.grid.loadedRowCount(), DataGrid::RowsBeforeJump + 2 * DataGrid::BlockSize);
}

// A row is made current by its row number, loaded or not, wherever the order puts it.
void TestDataGrid::aRowIsFoundByItsRowNumber()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addNamedRows(f.db(), 2000);
    f.open();
    f.grid.sortBy(u"名称"_s, Qt::DescendingOrder);
    const QList<qint64> loaded = loadedIds(f.grid);
    const qint64 near = loaded.at(100);
    QVERIFY(f.grid.selectRowNumber(near));
    QCOMPARE(f.grid.currentRow(), 100);
    QCOMPARE(f.grid.rowNumber(f.grid.currentRow()), near);
    QCOMPARE(loadedIds(f.grid), loaded);

    const QList<qint64> all = orderedIds(f.grid);
    const qint64 far = all.at(1500);
    QVERIFY(!loaded.contains(far));
    QVERIFY(f.grid.selectRowNumber(far));
    QCOMPARE(currentId(f.grid), far);
    QVERIFY(f.grid.hasRowsBefore());
    QVERIFY(isRunOf(loadedIds(f.grid), all));

    QVERIFY(!f.grid.selectRowNumber(99999));
    QCOMPARE(currentId(f.grid), far);
    QCOMPARE(f.grid.rowNumber(-1), -1);
    QCOMPARE(f.grid.rowNumber(f.grid.loadedRowCount()), -1);
}

void TestDataGrid::scrollingUpReadsTheRowsBeforeOnce()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addNamedRows(f.db(), 2000);
    f.open();
    QVERIFY(f.showGrid());
    QTableView *view = f.grid.view();
    QScrollBar *bar = view->verticalScrollBar();
    const auto idInSight = [&] { return f.grid.value(view->rowAt(0), u"ID"_s).toLongLong(); };

    // Up through the NULLs too: they come first in one of the two orders on every kind.
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        f.grid.sortBy(u"名称"_s, order);
        const QList<qint64> all = orderedIds(f.grid);
        QVERIFY(f.grid.seek(u"名称"_s, SqlValue::text(u"n0400"_s)));
        const qint64 sought = currentId(f.grid);
        for (int round = 0; round < 20 && f.grid.hasRowsBefore(); ++round) {
            bar->setValue(bar->minimum());
            const qint64 top = idInSight();
            const int loaded = f.grid.loadedRowCount();
            QCoreApplication::processEvents();
            QVERIFY2(f.grid.loadedRowCount() > loaded, "scrolling to the top read no rows before");
            QCOMPARE(idInSight(), top); // the rows in sight stay where they were
        }
        QVERIFY(!f.grid.hasRowsBefore());
        const QList<qint64> loaded = loadedIds(f.grid);
        QCOMPARE(loaded, all.mid(0, loaded.size()));
        QCOMPARE(currentId(f.grid), sought);

        // Ctrl+End reads the last block from the end; Up on its first row reads the block before.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(currentId(f.grid), all.last());
        QVERIFY(f.grid.loadedRowCount() <= DataGrid::BlockSize);
        f.grid.setCurrentRow(0);
        const qint64 above = currentId(f.grid);
        const int before = f.grid.loadedRowCount();
        QTest::keyClick(view, Qt::Key_Up);
        QVERIFY(f.grid.loadedRowCount() > before);
        QCOMPARE(currentId(f.grid), all.at(all.indexOf(above) - 1));
        QCOMPARE(loadedIds(f.grid), all.mid(all.size() - f.grid.loadedRowCount()));
        // Ctrl+Home goes back to the first row.
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(f.grid.currentRow(), 0);
        QCOMPARE(currentId(f.grid), all.first());
        QVERIFY(!f.grid.hasRowsBefore());
    }
}

void TestDataGrid::cellsShowTheProgramsForms()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    const QDateTime at(QDate(2024, 3, 5), QTime(7, 8, 9));
    f.db().execute(Statement::insert(Table, {{u"id"_s, SqlValue::integer(1)},
                                             {u"名称"_s, SqlValue::text(u"茶 'A'"_s)},
                                             {u"金额"_s, SqlValue::money(Money::fromRaw(123400))},
                                             {u"数量"_s, SqlValue::integer(-3)},
                                             {u"时间"_s, SqlValue::dateTime(at)},
                                             {u"日期"_s, SqlValue::date(QDate(2024, 12, 31))},
                                             {u"已结"_s, SqlValue::boolean(true)},
                                             {u"折扣"_s, SqlValue::real(0.88)}}));
    f.db().execute(Statement::insert(Table, {{u"id"_s, SqlValue::integer(2)},
                                             {u"金额"_s, SqlValue::money(Money::fromRaw(-5000))},
                                             {u"已结"_s, SqlValue::boolean(false)},
                                             {u"折扣"_s, SqlValue::real(1)}}));
    f.open();

    QCOMPARE(f.grid.displayText(0, u"名称"_s), u"茶 'A'"_s);
    QCOMPARE(f.grid.displayText(0, u"金额"_s), u"12.34"_s);
    QCOMPARE(f.grid.displayText(1, u"金额"_s), u"-0.5"_s);
    QCOMPARE(f.grid.displayText(0, u"数量"_s), u"-3"_s);
    QCOMPARE(f.grid.displayText(0, u"时间"_s), u"2024-03-05 07:08:09"_s);
    QCOMPARE(f.grid.displayText(0, u"日期"_s), u"2024-12-31"_s);
    QCOMPARE(f.grid.displayText(0, u"已结"_s), u"是"_s);
    QCOMPARE(f.grid.displayText(1, u"已结"_s), u"否"_s);
    QCOMPARE(f.grid.displayText(0, u"折扣"_s), u"0.88"_s);
    QCOMPARE(f.grid.displayText(1, u"折扣"_s), u"1"_s);
    // Nothing stored shows nothing, not "0" or a made-up date.
    QCOMPARE(f.grid.displayText(1, u"名称"_s), QString());
    QCOMPARE(f.grid.displayText(1, u"时间"_s), QString());
    QCOMPARE(f.grid.displayText(1, u"数量"_s), QString());

    // value() is what the database returned, read back through the data layer.
    QCOMPARE(f.db().moneyFrom(f.grid.value(0, u"金额"_s)), Money::fromRaw(123400));
    QCOMPARE(f.grid.value(1, u"ID"_s).toLongLong(), 2);
    QVERIFY(!f.grid.value(2, u"名称"_s).isValid());
    QVERIFY(!f.grid.value(0, u"没有"_s).isValid());

    // The view shows the same texts, numbers to the right.
    const QAbstractItemModel *model = f.grid.view()->model();
    const QModelIndex money = model->index(0, columnOf(f.grid, u"金额"_s));
    const QModelIndex name = model->index(0, columnOf(f.grid, u"名称"_s));
    QCOMPARE(model->data(money).toString(), u"12.34"_s);
    QVERIFY(model->data(money, Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    QVERIFY(!(model->data(name, Qt::TextAlignmentRole).toInt() & Qt::AlignRight));
}

void TestDataGrid::activationAndCurrentRow()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addRows(f.db(), 5);

    // Nobody listens for activation: Enter is the dialog's default button.
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *grid = new DataGrid(&dialog);
    auto *choose = new QPushButton(u"选择"_s, &dialog);
    layout->addWidget(grid);
    layout->addWidget(choose);
    choose->setDefault(true);
    int chosen = 0;
    connect(choose, &QPushButton::clicked, &dialog, [&chosen] { ++chosen; });
    grid->setDatabase(f.db());
    grid->setColumns(gridColumns());
    grid->setQuery(Statement(u"select * from 流水"_s));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    grid->view()->setFocus();
    QTest::keyClick(grid->view(), Qt::Key_Return);
    QCOMPARE(chosen, 1);

    // Someone listens: Enter activates the current row and goes no further.
    QSignalSpy activated(grid, &DataGrid::rowActivated);
    QSignalSpy current(grid, &DataGrid::currentRowChanged);
    QTest::keyClick(grid->view(), Qt::Key_Down);
    QCOMPARE(grid->currentRow(), 1);
    QCOMPARE(current.count(), 1);
    QTest::keyClick(grid->view(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(chosen, 1);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(activated.last().at(0).toInt(), 1);

    const QRect cell = grid->view()->visualRect(grid->view()->model()->index(3, columnOf(*grid, u"名称"_s)));
    // A real double click arrives as a click followed by the double-click event.
    QTest::mouseClick(grid->view()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(activated.count(), 2);
    QCOMPARE(activated.last().at(0).toInt(), 3);
    QCOMPARE(grid->currentRow(), 3);

    grid->setCurrentRow(2);
    QCOMPARE(current.last().at(0).toInt(), 2);
    QVERIFY(grid->view()->selectionModel()->isRowSelected(2, {}));
    grid->setCurrentRow(99);
    QCOMPARE(grid->currentRow(), -1);
    QCOMPARE(current.last().at(0).toInt(), -1);
}

void TestDataGrid::failuresLeaveAClearState()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    addRows(f.db(), 3);
    f.open();
    QVERIFY(f.showGrid());
    QSignalSpy failed(&f.grid, &DataGrid::queryFailed);
    ScriptedPrompt prompt;
    guard(prompt, &f.grid);

    // A click that cannot sort keeps the rows and the order the grid had, and says why.
    clickHeader(f.grid, u"金额"_s);
    QCOMPARE(f.grid.displayText(0, u"金额"_s), u"1"_s);
    f.db().executeScript(u"alter table 流水 rename to 旧流水"_s);
    clickHeader(f.grid, u"金额"_s);
    QCOMPARE(failed.count(), 1);
    QVERIFY(!failed.last().at(0).toString().isEmpty());
    QCOMPARE(prompt.shown, QStringList{failed.last().at(0).toString()}); // the operator is told
    QCOMPARE(f.grid.loadedRowCount(), 3);
    QCOMPARE(f.grid.sortOrder(), Qt::AscendingOrder);
    QCOMPARE(f.grid.view()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QVERIFY_THROWS_EXCEPTION(DbError, f.grid.refresh());
    QCOMPARE(f.grid.loadedRowCount(), 3);

    // A query naming a column its result lacks empties the grid.
    f.db().executeScript(u"alter table 旧流水 rename to 流水"_s);
    QVERIFY_THROWS_EXCEPTION(DbError, f.open(Statement(u"select id, 名称 from 流水"_s)));
    QCOMPARE(f.grid.loadedRowCount(), 0);
    QCOMPARE(f.grid.totalCount(), qint64(0));
    QCOMPARE(f.grid.currentRow(), -1);
    QVERIFY_THROWS_EXCEPTION(DbError, f.grid.refresh());
    f.open();
    QCOMPARE(f.grid.loadedRowCount(), 3);
}

QTEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
