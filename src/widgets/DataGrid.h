#pragma once
// The read-only grid of every list screen, over one select. Ordering, counting and summing are
// left to the database and rows are read a block at a time as the view scrolls, so a grid over
// half a million bills opens as quickly as one over ten.

#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statement.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

class QLabel;
class QTableView;

struct GridColumn
{
    QString field;  // a column of the query's result, spelt exactly as the result names it
    QString title;  // header text; the field when empty
    int width = 80; // pixels
    ColumnKind kind = ColumnKind::Text;
    bool summed = false; // the footer shows its sum (Integer, Money and Factor columns only)
    bool visible = true; // a hidden column is still read, so value() gives it (row ids, say)
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
    // A column whose sum the footer shows.
    GridColumns &summed(const QString &field, int width, const QString &title = {});
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
    // Runs the query again with the same order and keeps the current row's index when the new
    // result still reaches it. Throws DbError, leaving the rows shown as they were.
    void refresh();
    // The field must be one of setColumns(); anything else is ignored. The current row becomes
    // the first. Throws DbError, leaving rows and order as they were.
    void sortBy(const QString &field, Qt::SortOrder order);
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

    // The number of rows of the whole result, counted by the database whenever the query runs
    // (whether or not the footer is shown), so screens can tell an empty result at once.
    qint64 totalCount() const { return m_totalCount; }
    int loadedRowCount() const;

    // -1 when there is no current row.
    int currentRow() const;
    // Reads further blocks as needed to reach the row (throws DbError if that fails); a row past
    // the end of the result leaves no current row.
    void setCurrentRow(int row);

    // The value as the database returned it; an invalid QVariant for a row not loaded or a
    // field not among the columns.
    QVariant value(int row, const QString &field) const;
    // The text the grid shows in that cell.
    QString displayText(int row, const QString &field) const;

    // Names the grid and its view, for screen readers. It hides QWidget's function of that
    // name so that a form's generated code, which calls it on the grid, reaches the view that
    // holds the keyboard focus.
    void setAccessibleName(const QString &name);

    QTableView *view() const { return m_view; }

signals:
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
        qint64 count = 0;
        QVariantList sums; // by column, invalid where not summed; empty when not asked for
    };

    int columnIndex(const QString &field) const;
    void resolveNames();
    QString quotedName(int column) const;
    QSqlQuery run(const QString &sql) const;
    Totals readTotals() const;
    QList<QVariantList> readRows(qint64 offset, int count) const;
    QString orderClause() const;
    void load(int rowsWanted, bool withTotals, int currentRow);
    void appendBlock();
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
    QStringList m_names; // the result's own spelling of each column's field; empty until resolved
    QString m_sortField;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    qint64 m_totalCount = 0;
    QVariantList m_sums;
    bool m_footerVisible = false;
    bool m_quiet = false; // while rows are replaced, the passing current rows are not reported
    int m_reportedRow = -1;

    Model *m_model = nullptr;
    QTableView *m_view = nullptr;
    QWidget *m_footer = nullptr;
    QWidget *m_footerStrip = nullptr; // spans the view's viewport, so cells scrolled out are clipped
    QList<QLabel *> m_footerLabels;
};
