#pragma once
// The screen every list over one table is declared with: tool bar, search bar, grid and footer,
// the "no current row" message and the delete confirmation, once for all of them.

#include "db/Statement.h"
#include "widgets/DataGrid.h"
#include "widgets/ScreenContext.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

// Opens the record editor over the screen: for the row with that row number, or for a new
// row when there is none. True when it saved; the list is then read again.
using ListEditor =
    std::function<bool(const ScreenContext &, QWidget *screen, std::optional<qint64> rowNumber)>;
// Deletes the row; may throw Refusal (a rules class saying no) or DbError.
using ListDeleteRule = std::function<void(const ScreenContext &, qint64 rowNumber)>;

// A further tool bar action on the current row ("充值"). True when the list must be read again.
struct ListAction
{
    QString objectName{}; // for tests, "actRecharge"
    QString text{};
    std::function<bool(const ScreenContext &, QWidget *screen, qint64 rowNumber)> run{};
};

struct ListSpec
{
    // Every member has an initializer, so a declaration names only what it gives.
    QString objectName{}; // the screen's class name, "TMemberFm"
    QString caption{};
    QString table{};
    // Must hold the table's row number (GridColumns::rowNumber()): rows are edited and
    // deleted by it.
    QList<GridColumn> columns{};
    QStringList searchFields{};  // the field box's list; the first is the default
    Statement base{};            // empty: every row of the table
    QString printTemplate{};     // a template resource; empty hides "打印"
    QString nameField{};         // the grid column that names a row in the delete question
    ListEditor editor{};         // none hides "添加" and "修改"
    ListDeleteRule deleteRule{}; // none: the row is deleted by its row number
    QList<ListAction> extras{};
    bool maximized{true}; // lists open over the whole screen, as the venue reads them
    bool deletable{true}; // false hides "删除": rows kept as a record (recharges, say)
    // The search's own messages, where a list words them differently; empty: the usual ones.
    QString emptySearchMessage{};
    QString notFoundMessage{};
    bool trimSearchValue{false}; // blanks typed around the value are not part of it
};

class ListScreen : public QDialog
{
    Q_OBJECT

public:
    ListScreen(const ScreenContext &context, ListSpec spec, QWidget *parent = nullptr);
    ~ListScreen() override;

    const ListSpec &spec() const { return m_spec; }
    const DataGrid &grid() const { return *m_grid; }
    DataGrid &grid() { return *m_grid; }
    // The row number of the current row; nothing without one.
    std::optional<qint64> currentRowNumber() const;
    // What the grid shows: the base statement, or the last search.
    const Statement &currentStatement() const { return m_grid->query(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildToolBar();
    void run(const Statement &statement);
    void search();
    void showAll();
    void refresh();
    void addRow();
    void editRow();
    void deleteRow();
    void print();
    void openEditor(std::optional<qint64> rowNumber);
    void runExtra(const ListAction &action);
    // The current row's number, or nothing after telling the operator there is none.
    std::optional<qint64> requireRow();

    ScreenContext m_context;
    ListSpec m_spec;
    QString m_rowNumberField;
    bool m_shown = false;

    DataGrid *m_grid = nullptr;
    QComboBox *m_fieldBox = nullptr;
    QLineEdit *m_valueEdit = nullptr;
};
