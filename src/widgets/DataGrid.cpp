#include "DataGrid.h"
#include "GridCellPainter.h"

#include "db/DateTimeText.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMetaMethod>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlRecord>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

// Rows are read in blocks, each by a statement of its own that is finished before the next event
// is handled, rather than by one forward-only query kept open while the operator scrolls. The
// whole program shares one connection, and a result left open would hold it: the SQL Server
// driver refuses any other statement on a connection with pending results, the PostgreSQL driver
// reads a forward-only result row by row and must drain it before the next statement, and an open
// SQLite read keeps other counters' writes waiting.
//
// A block is found by key, not by offset. The order is the sort column and then the row number,
// which is unique, so a row's values in the two are its place in the order, and the block after
// the window is "where s >= ? and (s > ? or id > ?) order by s, id" from the window's last row
// (the leading range lets the database walk its index on s from the key on); the block before
// the window is the same from its first row in the reverse order. A block costs the same at the
// millionth row as at the first, where an offset costs a walk over every row before it, and rows
// written meanwhile before the key shift nothing: no row shows twice and none is skipped. The
// statements' text is the same for every block of a grid, only the bound keys differ.
// A grid whose columns have no row number (a grouped result) has no such key: it pages by
// offset, its window always starts at the first row, and it cannot seek.

namespace {

bool isNumeric(ColumnKind kind)
{
    return kind == ColumnKind::Integer || kind == ColumnKind::Money || kind == ColumnKind::Factor ||
           kind == ColumnKind::RowNumber;
}

bool isSummable(const GridColumn &column)
{
    return column.summed && (column.kind == ColumnKind::Integer || column.kind == ColumnKind::Money ||
                             column.kind == ColumnKind::Factor);
}

QString factorText(const QVariant &value)
{
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? QString::number(d, 'g', QLocale::FloatingPointShortest) : value.toString();
}

QString cellText(const Database &db, ColumnKind kind, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (kind) {
    case ColumnKind::Money:
        return db.moneyFrom(value).toString();
    case ColumnKind::DateTime:
        // The embedded file stores the very text shown.
        if (value.typeId() == QMetaType::QString && DateTimeText::isDateTimeText(value.toString()))
            return value.toString();
        return DateTimeText::dateTime(db.dateTimeFrom(value));
    case ColumnKind::Date:
        return DateTimeText::date(db.dateFrom(value));
    case ColumnKind::Boolean:
        return db.booleanFrom(value) ? u"是"_s : u"否"_s;
    case ColumnKind::Factor:
        return factorText(value);
    case ColumnKind::Text:
    case ColumnKind::Integer:
    case ColumnKind::RowNumber:
        break;
    }
    return value.toString();
}

// An empty sum (no rows) is shown as nought, as the counter staff read it; with the column's
// decimals when it has them.
QString sumText(const Database &db, const GridColumn &column, const QVariant &sum)
{
    const bool empty = !sum.isValid() || sum.isNull();
    if (column.sumDecimals >= 0) {
        if (column.kind == ColumnKind::Money)
            return (empty ? Money() : db.moneyFrom(sum)).toFixedString(column.sumDecimals);
        return QString::number(empty ? 0.0 : sum.toDouble(), 'f', column.sumDecimals);
    }
    if (empty)
        return u"0"_s;
    if (column.kind == ColumnKind::Money)
        return db.moneyFrom(sum).toString();
    if (column.kind == ColumnKind::Factor)
        return factorText(sum);
    return sum.toString();
}

bool sameAsciiCaseless(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QChar x = a.at(i), y = b.at(i);
        if (x != y && (x.unicode() > 127 || y.unicode() > 127 || x.toLower() != y.toLower()))
            return false;
    }
    return true;
}

} // namespace

GridColumns::GridColumns(QString table) : m_table(std::move(table)) {}

GridColumns &GridColumns::rowNumber()
{
    const QString column = Schema::rowNumberColumn(m_table);
    if (column.isEmpty())
        qWarning("GridColumns: %s has no row number", qUtf8Printable(m_table));
    else
        m_columns.append(GridColumn{column, {}, 0, ColumnKind::RowNumber, false, false});
    return *this;
}

GridColumns &GridColumns::add(const QString &field, int width, const QString &title)
{
    const ColumnDef *c = Schema::column(m_table, field);
    if (!c)
        qWarning("GridColumns: %s is not a column of %s", qUtf8Printable(field), qUtf8Printable(m_table));
    m_columns.append(GridColumn{c ? c->name : field, title, width, c ? c->kind : ColumnKind::Text});
    return *this;
}

GridColumns &GridColumns::hidden(const QString &field)
{
    add(field, 0);
    m_columns.back().visible = false;
    return *this;
}

GridColumns &GridColumns::summed(const QString &field, int width, const QString &title)
{
    add(field, width, title);
    m_columns.back().summed = true;
    return *this;
}

GridColumns &GridColumns::sumShown(int decimals, const QString &prefix)
{
    if (!m_columns.isEmpty()) {
        m_columns.last().sumDecimals = decimals;
        m_columns.last().sumPrefix = prefix;
    }
    return *this;
}

GridColumns &GridColumns::computed(const QString &field, ColumnKind kind, int width, const QString &title,
                                   bool summed)
{
    m_columns.append(GridColumn{field, title, width, kind, summed});
    return *this;
}

class DataGrid::Model : public QAbstractTableModel
{
public:
    explicit Model(DataGrid *grid) : QAbstractTableModel(grid), m_grid(grid) {}

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    const QList<QVariantList> &rows() const { return m_rows; }
    // Whether the result may have rows before the first and after the last of these.
    bool hasMoreBefore() const { return m_moreBefore; }
    bool hasMoreAfter() const { return m_moreAfter; }
    // The change runs inside the reset, so the view never sees columns and rows disagree.
    void reset(QList<QVariantList> rows, bool moreBefore, bool moreAfter,
               const std::function<void()> &change = {});
    void appendRows(QList<QVariantList> rows, bool more);
    void prependRows(QList<QVariantList> rows, bool more);
    // After a failure to read them, so that the view does not ask again at every layout.
    void stopBefore() { m_moreBefore = false; }

private:
    DataGrid *m_grid;
    QList<QVariantList> m_rows;
    bool m_moreBefore = false;
    bool m_moreAfter = false;
};

int DataGrid::Model::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DataGrid::Model::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_grid->m_columns.size());
}

QVariant DataGrid::Model::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_grid->m_columns.size())
        return {};
    const ColumnKind kind = m_grid->m_columns.at(index.column()).kind;
    switch (role) {
    case Qt::DisplayRole:
        return cellText(m_grid->m_db, kind, m_rows.at(index.row()).value(index.column()));
    case Qt::TextAlignmentRole:
        return int((isNumeric(kind) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DataGrid::Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_grid->m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn &column = m_grid->m_columns.at(section);
    if (role == Qt::DisplayRole)
        return column.title.isEmpty() ? column.field : column.title;
    return {};
}

Qt::ItemFlags DataGrid::Model::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool DataGrid::Model::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_moreAfter;
}

void DataGrid::Model::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_moreAfter)
        return;
    try {
        m_grid->appendBlock();
    } catch (const DbError &e) {
        // The view asks again at every layout; one failure is reported once.
        m_moreAfter = false;
        emit m_grid->queryFailed(e.text());
    }
}

void DataGrid::Model::reset(QList<QVariantList> rows, bool moreBefore, bool moreAfter,
                            const std::function<void()> &change)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_moreBefore = moreBefore;
    m_moreAfter = moreAfter;
    if (change)
        change();
    endResetModel();
}

void DataGrid::Model::appendRows(QList<QVariantList> rows, bool more)
{
    m_moreAfter = more;
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
}

void DataGrid::Model::prependRows(QList<QVariantList> rows, bool more)
{
    m_moreBefore = more;
    if (rows.isEmpty())
        return;
    beginInsertRows({}, 0, int(rows.size()) - 1);
    rows.append(std::move(m_rows));
    m_rows = std::move(rows);
    endInsertRows();
}

DataGrid::DataGrid(QWidget *parent) : QWidget(parent)
{
    m_model = new Model(this);
    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_cells = new GridCellPainter(m_view);
    m_view->setItemDelegate(m_cells);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->verticalHeader()->hide();
    // Fitting a column to its values looks at the rows in view only, not at a thousand of them.
    m_view->verticalHeader()->setResizeContentsPrecision(0);
    QHeaderView *header = m_view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    setFocusProxy(m_view);

    m_footer = new QWidget(this);
    m_footer->setObjectName(u"footer"_s);
    m_footer->setFixedHeight(fontMetrics().height() + 8);
    m_footer->hide();
    m_footerStrip = new QWidget(m_footer);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);

    connect(header, &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
    // The scroll area moves the header on the same signal and connected first, so the header's
    // offset is already the new one when the footer follows it.
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::updateFooter);
    // The view reads the block after the window itself (Model::fetchMore); the block before it is
    // read once the view is scrolled to the top, after the scrolling is done.
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::readBeforeWhenAtTop,
            Qt::QueuedConnection);
    connect(m_view->verticalScrollBar(), &QScrollBar::rangeChanged, this, &DataGrid::readBeforeWhenAtTop,
            Qt::QueuedConnection);
    connect(header, &QHeaderView::sectionResized, this, &DataGrid::updateFooter);
    connect(header, &QHeaderView::sectionMoved, this, &DataGrid::updateFooter);
    connect(header, &QHeaderView::geometriesChanged, this, &DataGrid::updateFooter);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_quiet)
            reportCurrentRow();
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit rowActivated(index.row());
    });
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    m_footer->installEventFilter(this);
}

// The view, its header and its scroll bars are children, which QWidget's destructor would close
// and destroy after this object's members are gone; closing asks the model for header texts and
// moves the header, and both read the columns. So the view goes first, while everything it reads
// is still there, and its last signals reach nothing of this grid.
DataGrid::~DataGrid()
{
    m_view->horizontalHeader()->disconnect(this);
    m_view->horizontalScrollBar()->disconnect(this);
    m_view->verticalScrollBar()->disconnect(this);
    m_view->removeEventFilter(this);
    m_view->viewport()->removeEventFilter(this);
    m_footer->removeEventFilter(this);
    if (QItemSelectionModel *selection = m_view->selectionModel())
        selection->disconnect(this);
    m_view->disconnect(this);
    delete m_view;
    m_view = nullptr;
}

void DataGrid::setDatabase(const Database &db)
{
    m_db = db;
}

void DataGrid::setColumns(const QList<GridColumn> &columns)
{
    m_quiet = true;
    m_model->reset({}, false, false, [&] {
        m_columns = columns;
        m_headerHints.clear();
        m_names.clear();
        m_rowNumberColumn = -1;
        for (int i = 0; i < m_columns.size() && m_rowNumberColumn < 0; ++i) {
            if (m_columns.at(i).kind == ColumnKind::RowNumber)
                m_rowNumberColumn = i;
        }
    });
    m_quiet = false;
    m_totalCount = 0;
    m_sums.clear();
    if (columnIndex(m_sortField) < 0) {
        m_sortField.clear();
        m_sortOrder = Qt::AscendingOrder;
    }

    qDeleteAll(m_footerLabels);
    m_footerLabels.clear();
    const int padding = GridCellPainter::textMargin(m_view);
    for (int i = 0; i < m_columns.size(); ++i) {
        const GridColumn &column = m_columns.at(i);
        m_view->setColumnWidth(i, column.width);
        m_view->setColumnHidden(i, !column.visible);
        auto *label = new QLabel(m_footerStrip);
        label->setObjectName(u"footer:"_s + column.field);
        label->setAlignment((isNumeric(column.kind) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        label->setIndent(padding);
        m_footerLabels.append(label);
    }
    updateSortIndicator();
    updateFooter();
    reportCurrentRow();
}

void DataGrid::setQuery(const Statement &base, const QString &defaultOrderField, Qt::SortOrder order)
{
    m_base = base;
    m_hasQuery = true;
    m_names.clear();
    if (!defaultOrderField.isEmpty() && columnIndex(defaultOrderField) < 0)
        qWarning("DataGrid: %s is not a column of the grid; rows keep their own order",
                 qUtf8Printable(defaultOrderField));
    m_sortField = columnIndex(defaultOrderField) >= 0 ? defaultOrderField : QString();
    m_sortOrder = m_sortField.isEmpty() ? Qt::AscendingOrder : order;
    updateSortIndicator();
    try {
        resolveNames();
        const Totals totals = footerTotals();
        showWindow(firstWindow(), &totals);
    } catch (const DbError &) {
        m_names.clear();
        clearRows();
        throw;
    }
}

void DataGrid::refresh()
{
    if (!m_hasQuery)
        return;
    const int row = currentRow();
    // The current row's values, read before the names may change.
    const QVariantList current = row >= 0 ? m_model->rows().at(row) : QVariantList();
    if (m_names.isEmpty()) {
        try {
            resolveNames();
        } catch (const DbError &) {
            clearRows();
            throw;
        }
    }
    const Totals totals = footerTotals();
    if (!pagesByKey() || current.isEmpty()) {
        showWindow(firstWindow(std::max(row, 0) + 1), &totals);
        return;
    }
    // The row as it is now, wherever its sort value has taken it; when it is gone, its old key
    // still says where it stood, and the window starts with the row after it.
    const QList<QVariantList> now = readRows(quotedName(m_rowNumberColumn) + u" = ?"_s,
                                             {keyValue(current.at(m_rowNumberColumn))}, m_sortOrder, 1);
    showWindow(windowAt(now.isEmpty() ? current : now.first()), &totals);
}

void DataGrid::sortBy(const QString &field, Qt::SortOrder order)
{
    if (columnIndex(field) < 0) {
        qWarning("DataGrid: cannot sort by %s, not a column of the grid", qUtf8Printable(field));
        return;
    }
    const QString oldField = m_sortField;
    const Qt::SortOrder oldOrder = m_sortOrder;
    m_sortField = field;
    m_sortOrder = order;
    if (m_hasQuery && !m_names.isEmpty()) {
        try {
            // The order changes nothing of the count and the sums.
            showWindow(firstWindow(), nullptr);
        } catch (const DbError &) {
            m_sortField = oldField;
            m_sortOrder = oldOrder;
            updateSortIndicator();
            throw;
        }
    }
    updateSortIndicator();
}

bool DataGrid::seek(const QString &field, const SqlValue &value)
{
    return seekRow(field, value, nullptr);
}

bool DataGrid::seekPrefix(const QString &field, const QString &prefix)
{
    return seekRow(field, SqlValue::text(prefix), &prefix);
}

bool DataGrid::seekRow(const QString &field, const SqlValue &value, const QString *prefix)
{
    const int column = columnIndex(field);
    if (column < 0 || !m_hasQuery || m_names.isEmpty() || !pagesByKey()) {
        qWarning("DataGrid: cannot seek on %s", qUtf8Printable(field));
        return false;
    }
    QList<QVariantList> found = readAtOrAfter(column, m_db.bindValue(value));
    if (prefix && (found.isEmpty() || !found.first().at(column).toString().startsWith(*prefix)))
        return false;
    if (found.isEmpty()) {
        showWindow(lastWindow(), nullptr);
        return false;
    }
    const QVariantList row = found.first();
    // A block in the grid's order from the row on is what the window needs after it.
    if (!seeksInOrder(column))
        found.clear();
    showWindow(windowAt(row, std::move(found)), nullptr);
    return true;
}

bool DataGrid::hasRowsBefore() const
{
    return m_model->hasMoreBefore();
}

void DataGrid::setFooterVisible(bool visible)
{
    if (visible == m_footerVisible)
        return;
    m_footerVisible = visible;
    m_footer->setVisible(visible);
    if (visible && m_hasQuery && !m_names.isEmpty()) {
        try {
            const Totals totals = readTotals();
            m_totalCount = totals.count;
            m_sums = totals.sums;
        } catch (const DbError &e) {
            emit queryFailed(e.text());
        }
    }
    updateFooter();
}

QString DataGrid::footerText(const QString &field) const
{
    return footerTextAt(columnIndex(field));
}

int DataGrid::loadedRowCount() const
{
    return m_model->rowCount();
}

int DataGrid::currentRow() const
{
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    // The blocks up to the row are read by one statement, not one after the other.
    if (row >= m_model->rowCount() && m_model->canFetchMore({})) {
        const int missing = row - m_model->rowCount() + 1;
        appendBlock((missing + BlockSize - 1) / BlockSize * BlockSize);
    }
    selectRow(row);
}

qint64 DataGrid::rowNumber(int row) const
{
    if (!pagesByKey() || row < 0 || row >= m_model->rows().size())
        return -1;
    const QVariant number = m_model->rows().at(row).at(m_rowNumberColumn);
    return number.isNull() ? -1 : number.toLongLong();
}

bool DataGrid::selectRowNumber(qint64 number)
{
    if (!pagesByKey() || !m_hasQuery || m_names.isEmpty())
        return false;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (rowNumber(row) == number) {
            selectRow(row);
            return true;
        }
    }
    const QList<QVariantList> found =
        readRows(quotedName(m_rowNumberColumn) + u" = ?"_s, {number}, m_sortOrder, 1);
    if (found.isEmpty())
        return false;
    showWindow(windowAt(found.first()), nullptr);
    return true;
}

QVariant DataGrid::value(int row, const QString &field) const
{
    const int column = columnIndex(field);
    if (column < 0 || row < 0 || row >= m_model->rows().size())
        return {};
    return m_model->rows().at(row).value(column);
}

QString DataGrid::displayText(int row, const QString &field) const
{
    const int column = columnIndex(field);
    if (column < 0)
        return {};
    return cellText(m_db, m_columns.at(column).kind, value(row, field));
}

void DataGrid::setAccessibleName(const QString &name)
{
    QWidget::setAccessibleName(name);
    m_view->setAccessibleName(name);
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (enter && plain && currentRow() >= 0 &&
            isSignalConnected(QMetaMethod::fromSignal(&DataGrid::rowActivated))) {
            emit rowActivated(currentRow());
            return true;
        }
        windowKey(key);
    } else if (watched == m_view && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) {
        m_headerHints.clear();
    } else if ((watched == m_view->viewport() || watched == m_footer) &&
               (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        updateFooter();
    }
    return QWidget::eventFilter(watched, event);
}

// Before the view moves for a key, the rows it moves to are read: the block before the window
// for Up and Page Up on its first row (scrolling there reads it too), the first block for
// Ctrl+Home and the last for Ctrl+End, each by key rather than block by block from where the
// window is.
void DataGrid::windowKey(const QKeyEvent *key)
{
    const bool control = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
    try {
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_PageUp) && currentRow() == 0)
            prependBlock();
        else if (key->key() == Qt::Key_Home && control && m_model->hasMoreBefore())
            showWindow(firstWindow(), nullptr);
        else if (key->key() == Qt::Key_End && control && m_model->hasMoreAfter() && pagesByKey())
            showWindow(lastWindow(), nullptr);
    } catch (const DbError &e) {
        emit queryFailed(e.text());
    }
}

int DataGrid::columnIndex(const QString &field) const
{
    if (field.isEmpty())
        return -1;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).field == field)
            return i;
    }
    return -1;
}

// The schema files leave plain names unquoted, so a server may keep "ID" as "id"; the grid
// quotes the names it sends, so it asks the result how it spells each column, ignoring the case
// of ASCII letters as the rest of the data layer does.
void DataGrid::resolveNames()
{
    const QString sql = u"select * from ("_s + m_base.preparedText() + u") as t where 1 = 0"_s;
    const QSqlRecord record = run(sql).record();
    QStringList names;
    for (const GridColumn &column : std::as_const(m_columns)) {
        QString found;
        for (int i = 0; i < record.count() && found.isEmpty(); ++i) {
            if (record.fieldName(i) == column.field)
                found = record.fieldName(i);
        }
        for (int i = 0; i < record.count() && found.isEmpty(); ++i) {
            if (sameAsciiCaseless(record.fieldName(i), column.field))
                found = record.fieldName(i);
        }
        if (found.isEmpty())
            throw DbError(u"查询结果中没有这个字段:"_s + column.field, QString(), sql);
        names.append(found);
    }
    m_names = names;
}

QString DataGrid::quotedName(int column) const
{
    return quoteIdentifier(m_names.at(column));
}

// The base statement appears once in every statement the grid runs, so its values are bound
// in their own order each time, and the keys the grid adds after them.
QSqlQuery DataGrid::run(const QString &sql, const QVariantList &keys) const
{
    m_db.reopenIfLost();
    QSqlQuery query(m_db.handle());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        m_db.fail(u"数据库操作失败"_s, query.lastError().text(), sql);
    for (const SqlValue &v : m_base.values())
        query.addBindValue(m_db.bindValue(v));
    for (const QVariant &key : keys)
        query.addBindValue(key);
    if (!query.exec())
        m_db.fail(u"数据库操作失败"_s, query.lastError().text(), sql);
    return query;
}

// A key goes back to the database as it came, so that it compares exactly with what is stored:
// SQLite's money as its integer, the servers' numeric as its decimal text, text as it is (not
// made printable as typed text is). Only the servers' date-times and dates, which their drivers
// hand over as QDateTime and QDate, are written in the program's own text form, which their
// timestamp(0) and date columns read as the same value.
QVariant DataGrid::keyValue(const QVariant &stored) const
{
    if (stored.typeId() == QMetaType::QDateTime)
        return m_db.bindValue(SqlValue::dateTime(stored.toDateTime()));
    if (stored.typeId() == QMetaType::QDate)
        return m_db.bindValue(SqlValue::date(stored.toDate()));
    return stored;
}

DataGrid::Totals DataGrid::footerTotals() const
{
    return m_footerVisible ? readTotals() : Totals{};
}

qint64 DataGrid::totalCount() const
{
    if (m_totalCount)
        return *m_totalCount;
    if (!m_hasQuery || m_names.isEmpty())
        return 0;
    try {
        m_totalCount = readTotals().count.value_or(0);
    } catch (const DbError &e) {
        emit const_cast<DataGrid *>(this)->queryFailed(e.text());
        return m_model->rowCount();
    }
    return *m_totalCount;
}

DataGrid::Totals DataGrid::readTotals() const
{
    QString select = u"select count(*)"_s;
    QList<int> summed;
    if (m_footerVisible) {
        for (int i = 0; i < m_columns.size(); ++i) {
            if (isSummable(m_columns.at(i))) {
                select += u", sum("_s + quotedName(i) + u")"_s;
                summed.append(i);
            }
        }
    }
    QSqlQuery query = run(select + u" from ("_s + m_base.preparedText() + u") as t"_s);
    Totals totals;
    if (!query.next())
        return totals;
    totals.count = query.value(0).toLongLong();
    if (m_footerVisible) {
        totals.sums.resize(m_columns.size());
        for (int j = 0; j < summed.size(); ++j)
            totals.sums[summed.at(j)] = query.value(j + 1);
    }
    return totals;
}

QString DataGrid::selectText() const
{
    QStringList select;
    for (int i = 0; i < m_columns.size(); ++i)
        select.append(quotedName(i));
    return u"select "_s + select.join(u", "_s) + u" from ("_s + m_base.preparedText() + u") as t"_s;
}

// The sort column and then the row number, which leaves no ties; without a row number, every
// column. All in the same direction, so that the reverse order is exactly the reverse.
QString DataGrid::orderClause(Qt::SortOrder order) const
{
    const QString direction = order == Qt::DescendingOrder ? u" desc"_s : u" asc"_s;
    const int sortColumn = columnIndex(m_sortField);
    QStringList terms;
    if (sortColumn >= 0)
        terms.append(quotedName(sortColumn) + direction);
    for (int i = 0; i < m_columns.size(); ++i) {
        if (i != sortColumn && (!pagesByKey() || i == m_rowNumberColumn))
            terms.append(quotedName(i) + direction);
    }
    return terms.isEmpty() ? QString() : u" order by "_s + terms.join(u", "_s);
}

// The rows of the result that satisfy `where` (over the result's columns, with a '?' for each
// key), in that order, from the offset on.
QList<QVariantList> DataGrid::readRows(const QString &where, const QVariantList &keys, Qt::SortOrder order,
                                       int count, qint64 offset) const
{
    if (m_columns.isEmpty())
        return {};
    QString sql = selectText();
    if (!where.isEmpty())
        sql += u" where "_s + where;
    sql += orderClause(order) + m_db.dialect().page(offset, count);

    QSqlQuery query = run(sql, keys);
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row.append(query.value(i));
        rows.append(std::move(row));
    }
    return rows;
}

// A block of the rows that come after the row (a row of the result, as read) in that order, or
// at it and after it when including. Reading in the reverse of the grid's order gives the rows
// before the row, nearest first.
// A NULL sort value compares with nothing, so the rows whose sort column is NULL form a run of
// their own, ordered by row number, which the database puts before or after all the others: a
// key in that run continues by row number within it, and a read that reaches the end of one run
// goes on at the start of the other, by a second statement. Those rows cost that second
// statement; none is lost or read twice.
QList<QVariantList> DataGrid::readAfter(const QVariantList &row, Qt::SortOrder order, bool including,
                                        int count) const
{
    const bool ascending = order == Qt::AscendingOrder;
    const QString after = ascending ? u" > ?"_s : u" < ?"_s;
    const QString rowNumber = quotedName(m_rowNumberColumn);
    const QString rowNumberAfter = rowNumber + (!including ? after : ascending ? u" >= ?"_s : u" <= ?"_s);
    const QVariant id = keyValue(row.at(m_rowNumberColumn));
    const int sortColumn = columnIndex(m_sortField);
    if (sortColumn < 0 || sortColumn == m_rowNumberColumn)
        return readRows(rowNumberAfter, {id}, order, count);

    const QString sort = quotedName(sortColumn);
    QList<QVariantList> rows;
    if (row.at(sortColumn).isNull()) {
        rows = readRows(sort + u" is null and "_s + rowNumberAfter, {id}, order, count);
        if (m_db.dialect().nullsSortFirst(order) && rows.size() < count) {
            rows += readRows(sort + u" is not null"_s, {}, order, count);
            rows.resize(std::min(rows.size(), qsizetype(count)));
        }
    } else {
        const QVariant key = keyValue(row.at(sortColumn));
        const QString where = sort + (ascending ? u" >= ?"_s : u" <= ?"_s) + u" and ("_s + sort + after +
                              u" or "_s + rowNumberAfter + u")"_s;
        rows = readRows(where, {key, key, id}, order, count);
        addNullsAfter(rows, order, count);
    }
    return rows;
}

// A block that reached the end of the sort column's values goes on with the rows whose sort
// column is NULL when the order puts them after the values.
void DataGrid::addNullsAfter(QList<QVariantList> &rows, Qt::SortOrder order, int count) const
{
    const int sortColumn = columnIndex(m_sortField);
    if (rows.size() >= count || sortColumn < 0 || sortColumn == m_rowNumberColumn ||
        m_db.dialect().nullsSortFirst(order))
        return;
    rows += readRows(quotedName(sortColumn) + u" is null"_s, {}, order, count);
    rows.resize(std::min(rows.size(), qsizetype(count)));
}

namespace {

Qt::SortOrder reversed(Qt::SortOrder order)
{
    return order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
}

} // namespace

// The first blocks of the result, as many as hold that many rows, read by one statement.
DataGrid::Window DataGrid::firstWindow(int rowsWanted) const
{
    const int blocks = std::max(1, (rowsWanted + BlockSize - 1) / BlockSize);
    Window window;
    window.rows = readRows({}, {}, m_sortOrder, blocks * BlockSize);
    window.moreAfter = window.rows.size() == blocks * BlockSize;
    window.current = std::min(rowsWanted, int(window.rows.size())) - 1;
    return window;
}

// The last block, read backwards from the end of the order.
DataGrid::Window DataGrid::lastWindow() const
{
    Window window;
    window.rows = readRows({}, {}, reversed(m_sortOrder));
    std::reverse(window.rows.begin(), window.rows.end());
    window.moreBefore = window.rows.size() == BlockSize;
    window.current = int(window.rows.size()) - 1;
    return window;
}

// The block that starts at the row and the rows that fill a screen before it; the row (or, when
// it is gone, the one after where it stood) is current. The block from the row on is read unless
// given. Scrolling further up reads whole blocks before.
DataGrid::Window DataGrid::windowAt(const QVariantList &row, QList<QVariantList> after) const
{
    if (after.isEmpty())
        after = readAfter(row, m_sortOrder, true);
    QList<QVariantList> before = readAfter(row, reversed(m_sortOrder), false, RowsBeforeJump);
    std::reverse(before.begin(), before.end());
    Window window;
    window.moreBefore = before.size() == RowsBeforeJump;
    window.moreAfter = after.size() == BlockSize;
    window.current = int(before.size()) - (after.isEmpty() ? 1 : 0);
    window.rows = std::move(before);
    window.rows.append(std::move(after));
    return window;
}

// Whether a seek on the column finds its row in the grid's own order, so that the block read from
// the row on is the window's: the sort column, or the row number when nothing else orders the
// grid and it runs upwards (in the other direction a seek on it still means "at or after").
bool DataGrid::seeksInOrder(int column) const
{
    const int sortColumn = columnIndex(m_sortField);
    if (sortColumn >= 0)
        return column == sortColumn;
    return column == m_rowNumberColumn && m_sortOrder == Qt::AscendingOrder;
}

// The rows from the first whose value in the column is the one given or after it. On the sort
// column that is a block in the grid's order; on another column, the first row in that
// column's own ascending order, alone. Empty when no row has such a value.
QList<QVariantList> DataGrid::readAtOrAfter(int column, const QVariant &value) const
{
    const QString name = quotedName(column);
    if (seeksInOrder(column)) {
        QList<QVariantList> rows = readRows(
            name + (m_sortOrder == Qt::AscendingOrder ? u" >= ?"_s : u" <= ?"_s), {value}, m_sortOrder);
        if (!rows.isEmpty())
            addNullsAfter(rows, m_sortOrder);
        return rows;
    }
    QString sql = selectText() + u" where "_s + name + u" >= ? order by "_s + name + u" asc"_s;
    if (column != m_rowNumberColumn)
        sql += u", "_s + quotedName(m_rowNumberColumn) + u" asc"_s;
    QSqlQuery query = run(sql + m_db.dialect().page(0, 1), {value});
    if (!query.next())
        return {};
    QVariantList row;
    for (int i = 0; i < m_columns.size(); ++i)
        row.append(query.value(i));
    return {row};
}

// Everything is read before anything shown changes, so a failure leaves the grid as it was.
void DataGrid::showWindow(Window window, const Totals *totals)
{
    m_quiet = true;
    if (totals) {
        m_totalCount = totals->count;
        m_sums = totals->sums;
        if (!m_totalCount && !window.moreBefore && !window.moreAfter)
            m_totalCount = window.rows.size();
    }
    m_model->reset(std::move(window.rows), window.moreBefore, window.moreAfter);
    // The view learns the new rows at its next layout; until then its scroll bar keeps the old
    // range, so bringing the current row into view would stop at the old end, which the view takes
    // for a request to read the block after the window. That block was read for nothing.
    m_view->doItemsLayout();
    widenToContent();
    selectRow(window.current);
    m_quiet = false;
    updateFooter();
    reportCurrentRow();
}

// A column's declared width is where it starts; a header or a value wider than that widens it,
// so that no amount is cut to "11…". The rows in view decide, and the grid never narrows a
// column the operator widened. A value's width is its text as the cells lay it out (and keep it
// for painting) plus the cell's margins: the delegate's own size hint lays every cell's text out
// again, about twenty times the cost, and this runs whenever a new window of rows is shown.
void DataGrid::widenToContent()
{
    QHeaderView *header = m_view->horizontalHeader();
    const QHeaderView *rowsHeader = m_view->verticalHeader();
    const int rowCount = m_model->rowCount();
    const int top = std::max(0, rowsHeader->visualIndexAt(0));
    int bottom = rowsHeader->visualIndexAt(m_view->viewport()->height());
    if (bottom < 0 || !m_view->isVisible())
        bottom = rowCount - 1;
    const QFont font = m_view->font();
    const int margins = 2 * GridCellPainter::textMargin(m_view) + (m_view->showGrid() ? 1 : 0);
    // A header's width is measured once per title, sort indicator and font.
    if (m_headerHints.size() != m_columns.size()) {
        m_headerHints.clear();
        for (int i = 0; i < m_columns.size(); ++i)
            m_headerHints.append(header->sectionSizeHint(i));
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (header->isSectionHidden(i))
            continue;
        int wanted = m_headerHints.at(i);
        for (int row = top; row <= bottom && row < rowCount; ++row) {
            const QString text = m_model->data(m_model->index(row, i), Qt::DisplayRole).toString();
            if (!text.isEmpty())
                wanted = std::max(wanted, m_cells->textWidth(text, font) + margins);
        }
        if (wanted > header->sectionSize(i))
            m_view->setColumnWidth(i, wanted);
    }
}

void DataGrid::appendBlock(int count)
{
    const QList<QVariantList> &loaded = m_model->rows();
    QList<QVariantList> rows;
    if (!pagesByKey())
        rows = readRows({}, {}, m_sortOrder, count, loaded.size());
    else if (loaded.isEmpty())
        rows = readRows({}, {}, m_sortOrder, count);
    else
        rows = readAfter(loaded.last(), m_sortOrder, false, count);
    const bool more = rows.size() == count;
    m_model->appendRows(std::move(rows), more);
}

// The rows before the window go in above it; the rows in sight stay where they were on the
// screen, and the current row, the same row, is reported under its new index.
void DataGrid::prependBlock()
{
    if (!m_model->hasMoreBefore() || m_model->rows().isEmpty())
        return;
    QList<QVariantList> rows = readAfter(m_model->rows().first(), reversed(m_sortOrder), false);
    std::reverse(rows.begin(), rows.end());
    const bool more = rows.size() == BlockSize;
    const int added = int(rows.size());
    const int top = m_view->rowAt(0);
    m_quiet = true;
    m_model->prependRows(std::move(rows), more);
    m_quiet = false;
    if (top >= 0 && added > 0) {
        const int horizontal = m_view->horizontalScrollBar()->value();
        m_view->doItemsLayout(); // the scroll bar's range must take the new rows first
        m_view->scrollTo(m_model->index(top + added, std::max(firstVisibleColumn(), 0)),
                         QAbstractItemView::PositionAtTop);
        m_view->horizontalScrollBar()->setValue(horizontal);
    }
    reportCurrentRow();
}

void DataGrid::readBeforeWhenAtTop()
{
    const QScrollBar *bar = m_view->verticalScrollBar();
    if (!m_view->isVisible() || !m_model->hasMoreBefore() || bar->value() != bar->minimum())
        return;
    try {
        prependBlock();
    } catch (const DbError &e) {
        m_model->stopBefore();
        emit queryFailed(e.text());
    }
}

void DataGrid::clearRows()
{
    m_quiet = true;
    m_model->reset({}, false, false);
    m_totalCount = 0;
    m_sums.clear();
    m_quiet = false;
    updateFooter();
    reportCurrentRow();
}

void DataGrid::headerClicked(int section)
{
    if (section < 0 || section >= m_columns.size())
        return;
    const QString &field = m_columns.at(section).field;
    const bool reverse = field == m_sortField && m_sortOrder == Qt::AscendingOrder;
    try {
        sortBy(field, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
    } catch (const DbError &e) {
        emit queryFailed(e.text());
    }
}

// The header flips its own indicator on a click; the grid's order is the one it shows.
void DataGrid::updateSortIndicator()
{
    m_view->horizontalHeader()->setSortIndicator(columnIndex(m_sortField), m_sortOrder);
    m_headerHints.clear(); // the sorted column's header makes room for the indicator
}

void DataGrid::updateFooter()
{
    if (!m_footerVisible)
        return;
    const QWidget *viewport = m_view->viewport();
    const int left = viewport->mapTo(this, QPoint(0, 0)).x() - m_footer->x();
    m_footerStrip->setGeometry(left, 0, viewport->width(), m_footer->height());
    const QHeaderView *header = m_view->horizontalHeader();
    for (int i = 0; i < m_footerLabels.size(); ++i) {
        QLabel *label = m_footerLabels.at(i);
        if (i >= header->count() || header->isSectionHidden(i)) {
            label->hide();
            continue;
        }
        label->setText(footerTextAt(i));
    }
    // A count or a sum cut to its column would read as another number ("469781 条" for
    // 1,469,781): its column widens to hold it, as it does for a value. Widening moves the
    // columns after it, so the labels are placed once every width is final.
    if (!m_wideningFooter) {
        const QScopedValueRollback widening(m_wideningFooter, true);
        for (int i = 0; i < m_footerLabels.size() && i < header->count(); ++i) {
            const QLabel *label = m_footerLabels.at(i);
            if (header->isSectionHidden(i) || label->text().isEmpty())
                continue;
            const int wanted = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->indent() + 2;
            if (wanted > header->sectionSize(i))
                m_view->setColumnWidth(i, wanted);
        }
    }
    for (int i = 0; i < m_footerLabels.size(); ++i) {
        QLabel *label = m_footerLabels.at(i);
        if (i >= header->count() || header->isSectionHidden(i))
            continue;
        label->setGeometry(header->sectionViewportPosition(i), 0, header->sectionSize(i),
                           m_footerStrip->height());
        label->show();
    }
}

// A summed column that is also the first visible one shows the count: screens count under
// their first column and sum money further right.
QString DataGrid::footerTextAt(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    if (column == firstVisibleColumn())
        return u"共 %1 条"_s.arg(totalCount());
    if (isSummable(m_columns.at(column)) && column < m_sums.size())
        return m_columns.at(column).sumPrefix + sumText(m_db, m_columns.at(column), m_sums.at(column));
    return {};
}

int DataGrid::firstVisibleColumn() const
{
    const QHeaderView *header = m_view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

void DataGrid::selectRow(int row)
{
    QItemSelectionModel *selection = m_view->selectionModel();
    if (row < 0 || row >= m_model->rowCount()) {
        selection->clear();
        return;
    }
    const int column = std::max(firstVisibleColumn(), 0);
    const QModelIndex index = m_model->index(row, column);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Bringing the row into view must not scroll the operator back to the first column.
    const int horizontal = m_view->horizontalScrollBar()->value();
    m_view->scrollTo(index);
    m_view->horizontalScrollBar()->setValue(horizontal);
}

void DataGrid::reportCurrentRow()
{
    const int row = currentRow();
    if (row == m_reportedRow)
        return;
    m_reportedRow = row;
    emit currentRowChanged(row);
}

Statement DataGrid::orderedQuery() const
{
    if (m_names.isEmpty())
        return m_base;
    return Statement(u"select * from ("_s).append(m_base).sql(u") as t"_s + orderClause(m_sortOrder));
}
