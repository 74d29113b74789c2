#pragma once
// The read-only grid of every list screen, over one select. Ordering, counting and summing are
// left to the database and rows are read a block at a time as the view scrolls, so a grid over
// half a million bills opens as quickly as one over ten.
//
// The rows loaded are a window of the result: contiguous in the grid's order, starting at its
// first row unless seek(), refresh() or Ctrl+End started them further on. Rows are addressed by
// their index in that window (currentRow(), value(), setCurrentRow()). Scrolling above the
// window's first row reads the block before it, which moves every index down by the rows read;
// what must stay the same row across that is kept by its row number, not its index.
// totalCount() and the footer always speak of the whole result.

#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <optional>

class GridCellPainter;
class QKeyEvent;
class QLabel;
class QTableView;

struct GridColumn
{
    QString field;  // a column of the query's result, spelt exactly as the result names it
    QString title;  // header text; the field when empty
    int width = 80; // pixels at first; a wider header or value widens it
    ColumnKind kind = ColumnKind::Text;
    bool summed = false; // the footer shows its sum (Integer, Money and Factor columns only)
    bool visible = true; // a hidden column is still read, so value() gives it (row ids, say)
    int sumDecimals = -1; // the sum with that many decimals; -1: as the column shows its values
    QString sumPrefix = {}; // written before the sum
};

// The columns of a grid over one table, declared by name and width; each column's kind is the
// one the schema gives it, so a screen never restates what the table already says.
//   GridColumns(u"手牌消费"_s).rowNumber().add(u"单据号"_s, 150).summed(u"合计"_s, 40)
class GridColumns
{
public:
    explicit GridColumns(QString table);

    // The table's row number, read but not shown (for finding the row again).
    GridColumns &rowNumber();
    GridColumns &add(const QString &field, int width, const QString &title = {});
    // A column of the table read but not shown (to seek on, say).
    GridColumns &hidden(const QString &field);
    // A column whose sum the footer shows.
    GridColumns &summed(const QString &field, int width, const QString &title = {});
    // How the footer shows the sum of the column added last: with that many decimals, after the
    // prefix ("Sum is " gives "Sum is 1234.50").
    GridColumns &sumShown(int decimals, const QString &prefix = {});
    // A column of the result that is not one of the table's (an alias, a sum), of the kind given.
    GridColumns &computed(const QString &field, ColumnKind kind, int width, const QString &title = {},
                          bool summed = false);

    const QString &table() const { return m_table; }
    const QList<GridColumn> &columns() const { return m_columns; }
    operator QList<GridColumn>() const { return m_columns; }

private:
    QString m_table;
    QList<GridColumn> m_columns;
};

class DataGrid : public QWidget
{
    Q_OBJECT

public:
    // Rows read by one statement, while scrolling.
    static constexpr int BlockSize = 256;
    // Rows read before a row that a seek or a refresh goes to: more than a screen shows above it.
    static constexpr int RowsBeforeJump = 64;

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    void setDatabase(const Database &db);
    const Database &database() const { return m_db; }
    // Empties the grid; the rows come with the next setQuery() or refresh().
    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }

    // Runs base, a select without "order by" whose result has every column of setColumns(), and
    // shows its first rows with the first row current. An empty order field leaves the order to
    // the row-number column, if the columns have one, else to the columns from left to right.
    // Throws DbError; the grid is then empty (and stays so on refresh() until a query succeeds).
    void setQuery(const Statement &base, const QString &defaultOrderField = {},
                  Qt::SortOrder order = Qt::AscendingOrder);
    // Runs the query again with the same order and keeps the current row: the same row, found by
    // its row number wherever the new result puts it, or else the row that now stands where it
    // stood (the last row when none comes after it); the window is read around it, so its index
    // may differ. With no current row the first row becomes current. A grid without a row-number
    // column keeps the current row's index instead, reading from the first row. Throws DbError,
    // leaving the rows shown as they were.
    void refresh();
    // The field must be one of setColumns(); anything else is ignored. The window starts again at
    // the first row, which becomes current. Throws DbError, leaving rows and order as they were.
    void sortBy(const QString &field, Qt::SortOrder order);

    // Goes to the first row, in the grid's order, whose field holds the value or one after it
    // (">= value" in ascending order, "<= value" in descending), and makes it current: the window
    // becomes the block that starts at it and the rows that fill a screen before it, read by key,
    // so the rows before it are never walked. Returns true. When no row holds the value or one
    // after it, the window becomes the last block and its last row current, and false is
    // returned. A NULL field holds no value and is never the row found.
    // A field that is not the sort field leaves the grid's order as it is: the row found is the
    // first in that field's ascending order (ties by row number), shown where the grid's order
    // puts it. Before setQuery(), for a field not among the columns, and on a grid without a
    // row-number column (which pages by offset), nothing moves and false is returned.
    // Throws DbError, leaving the grid as it was.
    bool seek(const QString &field, const SqlValue &value);
    // seek() on a text field, where the row found must also begin with the prefix, letter case
    // counting: when the first row at or after the prefix does not, nothing moves and false is
    // returned.
    bool seekPrefix(const QString &field, const QString &prefix);
    // Whether the result has rows before the window's first; the view reads them as it is
    // scrolled up to them (or with Ctrl+Home).
    bool hasRowsBefore() const;
    QString sortField() const { return m_sortField; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // The statement setQuery() was last given; empty before.
    const Statement &query() const { return m_base; }
    // Every row of the query, every column of it, in the order the grid shows them (what a
    // printed list reads); the query itself until it has run.
    Statement orderedQuery() const;

    // The footer (hidden at first) shows the row count under the first visible column and the
    // sums of the summed columns under theirs.
    void setFooterVisible(bool visible);
    bool isFooterVisible() const { return m_footerVisible; }
    // What the footer shows under that column: "共 N 条", a sum or nothing. Kept up to date
    // while the footer is hidden too, except for the sums, which are only asked for when shown.
    QString footerText(const QString &field) const;

    // The number of rows of the whole result. A first block that holds the whole result is its
    // count; otherwise the database counts when the footer shows or when this is first asked
    // after the query ran, not before: counting millions of rows costs what reading them does.
    // seek() and the view's reading change nothing of it. A failed count is reported through
    // queryFailed() and gives the rows loaded.
    qint64 totalCount() const;
    // The rows of the window.
    int loadedRowCount() const;

    // The current row's index in the window; -1 when there is no current row.
    int currentRow() const;
    // Makes the row at that index of the window current, reading further blocks after the window
    // as needed to reach it (throws DbError if that fails); a row past the end of the result, or
    // a negative one, leaves no current row.
    void setCurrentRow(int row);

    // The row number (the first row-number column's value) of the row at that index of the
    // window; -1 for no such row, and on a grid without a row-number column.
    qint64 rowNumber(int row) const;
    // Makes the row with that row number current, wherever the grid's order puts it: among the
    // rows loaded, or else read with the blocks around it by key, as seek() does (its index is
    // then currentRow()). When no row of the result has it, or the grid has no row-number column,
    // nothing moves and false is returned. Throws DbError, leaving the grid as it was.
    bool selectRowNumber(qint64 rowNumber);

    // The value at that index of the window, as the database returned it; an invalid QVariant
    // for a row not loaded or a field not among the columns.
    QVariant value(int row, const QString &field) const;
    // The text the grid shows in that cell.
    QString displayText(int row, const QString &field) const;

    // Names the grid and its view, for screen readers. It hides QWidget's function of that
    // name so that a form's generated code, which calls it on the grid, reaches the view that
    // holds the keyboard focus.
    void setAccessibleName(const QString &name);

    QTableView *view() const { return m_view; }

signals:
    // The current row's index changed: another row became current, or the rows read before the
    // window moved the same row down.
    void currentRowChanged(int row);
    // A double click on a row, or Enter with a current row. While nobody listens, Enter is left
    // to the dialog (its default button).
    void rowActivated(int row);
    // A statement that the view or a header click ran failed (the grid read further rows while
    // scrolling, or sorted). Screens show the text; the public functions throw instead.
    void queryFailed(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Model;
    struct Totals
    {
        std::optional<qint64> count; // nothing when not counted
        QVariantList sums;           // by column, invalid where not summed; empty when not asked for
    };

    // Rows read to be shown together, in the grid's order, and the one to make current.
    struct Window
    {
        QList<QVariantList> rows;
        bool moreBefore = false;
        bool moreAfter = false;
        int current = -1;
    };

    int columnIndex(const QString &field) const;
    bool pagesByKey() const { return m_rowNumberColumn >= 0; }
    void resolveNames();
    QString quotedName(int column) const;
    QSqlQuery run(const QString &sql, const QVariantList &keys = {}) const;
    QVariant keyValue(const QVariant &stored) const;
    Totals readTotals() const;
    // The count and sums the footer shows, read only while it shows.
    Totals footerTotals() const;
    QString selectText() const;
    QString orderClause(Qt::SortOrder order) const;
    QList<QVariantList> readRows(const QString &where, const QVariantList &keys, Qt::SortOrder order,
                                 int count = BlockSize, qint64 offset = 0) const;
    QList<QVariantList> readAfter(const QVariantList &row, Qt::SortOrder order, bool including,
                                  int count = BlockSize) const;
    Window firstWindow(int rowsWanted = 1) const;
    Window lastWindow() const;
    void addNullsAfter(QList<QVariantList> &rows, Qt::SortOrder order, int count = BlockSize) const;
    Window windowAt(const QVariantList &row, QList<QVariantList> after = {}) const;
    bool seeksInOrder(int column) const;
    QList<QVariantList> readAtOrAfter(int column, const QVariant &value) const;
    bool seekRow(const QString &field, const SqlValue &value, const QString *prefix);
    void showWindow(Window window, const Totals *totals);
    void appendBlock(int count = BlockSize);
    void widenToContent();
    void prependBlock();
    void readBeforeWhenAtTop();
    void windowKey(const QKeyEvent *key);
    void clearRows();
    void headerClicked(int section);
    void updateSortIndicator();
    void updateFooter();
    QString footerTextAt(int column) const;
    int firstVisibleColumn() const;
    void selectRow(int row);
    void reportCurrentRow();

    Database m_db;
    QList<GridColumn> m_columns;
    Statement m_base;
    bool m_hasQuery = false;
    QList<int> m_headerHints; // each column's header width, measured when first needed
    QStringList m_names; // the result's own spelling of each column's field; empty until resolved
    // The first row-number column: it breaks the sort column's ties, so that a row's values in the
    // two are its key in the order. -1 when the columns have none; the grid then pages by offset.
    int m_rowNumberColumn = -1;
    QString m_sortField;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    mutable std::optional<qint64> m_totalCount;
    QVariantList m_sums;
    bool m_footerVisible = false;
    bool m_wideningFooter = false; // while columns widen to their footer texts
    bool m_quiet = false; // while rows are replaced, the passing current rows are not reported
    int m_reportedRow = -1;

    Model *m_model = nullptr;
    GridCellPainter *m_cells = nullptr;
    QTableView *m_view = nullptr;
    QWidget *m_footer = nullptr;
    QWidget *m_footerStrip = nullptr; // spans the view's viewport, so cells scrolled out are clipped
    QList<QLabel *> m_footerLabels;
};
