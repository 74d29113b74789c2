#include "DataGrid.h"

#include "db/DateTimeText.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMetaMethod>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlRecord>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

// Rows are read in pages ("limit/offset"), each by a statement of its own that is finished before
// the next event is handled, rather than by one forward-only query kept open while the operator
// scrolls. The whole program shares one connection, and a result left open would hold it: the
// SQL Server driver refuses any other statement on a connection with pending results, the
// PostgreSQL driver reads a forward-only result row by row and must drain it before the next
// statement, and an open SQLite read keeps other counters' writes waiting. Paging needs a total
// order, which orderClause() provides. A page costs the database a walk over the rows before its
// offset: nothing for the first pages, which are what the operator reads, and little deeper down
// when the order column has an index.

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

// An empty sum (no rows) is shown as nought, as the counter staff read it.
QString sumText(const Database &db, ColumnKind kind, const QVariant &sum)
{
    if (!sum.isValid() || sum.isNull())
        return u"0"_s;
    if (kind == ColumnKind::Money)
        return db.moneyFrom(sum).toString();
    if (kind == ColumnKind::Factor)
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

GridColumns &GridColumns::summed(const QString &field, int width, const QString &title)
{
    add(field, width, title);
    m_columns.back().summed = true;
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
    // The change runs inside the reset, so the view never sees columns and rows disagree.
    void reset(QList<QVariantList> rows, bool more, const std::function<void()> &change = {});
    void appendRows(QList<QVariantList> rows, bool more);

private:
    DataGrid *m_grid;
    QList<QVariantList> m_rows;
    bool m_more = false;
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
    return !parent.isValid() && m_more;
}

void DataGrid::Model::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || !m_more)
        return;
    try {
        m_grid->appendBlock();
    } catch (const DbError &e) {
        // The view asks again at every layout; one failure is reported once.
        m_more = false;
        emit m_grid->queryFailed(e.text());
    }
}

void DataGrid::Model::reset(QList<QVariantList> rows, bool more, const std::function<void()> &change)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_more = more;
    if (change)
        change();
    endResetModel();
}

void DataGrid::Model::appendRows(QList<QVariantList> rows, bool more)
{
    m_more = more;
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
}

DataGrid::DataGrid(QWidget *parent) : QWidget(parent)
{
    m_model = new Model(this);
    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->verticalHeader()->hide();
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
    m_model->reset({}, false, [&] {
        m_columns = columns;
        m_names.clear();
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
    const int padding = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1;
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
        load(1, true, 0);
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
    const int row = std::max(currentRow(), 0);
    if (m_names.isEmpty()) {
        try {
            resolveNames();
        } catch (const DbError &) {
            clearRows();
            throw;
        }
    }
    load(row + 1, true, row);
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
            load(1, false, 0);
        } catch (const DbError &) {
            m_sortField = oldField;
            m_sortOrder = oldOrder;
            updateSortIndicator();
            throw;
        }
    }
    updateSortIndicator();
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
    while (row >= m_model->rowCount() && m_model->canFetchMore({}))
        appendBlock();
    selectRow(row);
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
    } else if ((watched == m_view->viewport() || watched == m_footer) &&
               (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        updateFooter();
    }
    return QWidget::eventFilter(watched, event);
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
// in their own order each time.
QSqlQuery DataGrid::run(const QString &sql) const
{
    m_db.reopenIfLost();
    QSqlQuery query(m_db.handle());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        m_db.fail(u"数据库操作失败"_s, query.lastError().text(), sql);
    for (const SqlValue &v : m_base.values())
        query.addBindValue(m_db.bindValue(v));
    if (!query.exec())
        m_db.fail(u"数据库操作失败"_s, query.lastError().text(), sql);
    return query;
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

QList<QVariantList> DataGrid::readRows(qint64 offset, int count) const
{
    if (m_columns.isEmpty())
        return {};
    QStringList select;
    for (int i = 0; i < m_columns.size(); ++i)
        select.append(quotedName(i));
    QString sql = u"select "_s + select.join(u", "_s) + u" from ("_s + m_base.preparedText() + u") as t"_s +
                  orderClause();
    sql += m_db.dialect().page(offset, count);

    QSqlQuery query = run(sql);
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

// Pages are cut by offset, so the order must leave no ties, or a row could show on two pages
// and another on none. Ties of the chosen column are broken by the row number when the columns
// have one (it is unique), else by every column, in the same direction so that the reverse
// order is exactly the reverse.
QString DataGrid::orderClause() const
{
    const QString direction = m_sortOrder == Qt::DescendingOrder ? u" desc"_s : u" asc"_s;
    const int sortColumn = columnIndex(m_sortField);
    QStringList terms;
    if (sortColumn >= 0)
        terms.append(quotedName(sortColumn) + direction);
    QStringList rowNumbers, others;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (i == sortColumn)
            continue;
        (m_columns.at(i).kind == ColumnKind::RowNumber ? rowNumbers : others)
            .append(quotedName(i) + direction);
    }
    terms += rowNumbers.isEmpty() ? others : rowNumbers;
    return terms.isEmpty() ? QString() : u" order by "_s + terms.join(u", "_s);
}

// Everything is read before anything shown changes, so a failure leaves the grid as it was.
void DataGrid::load(int rowsWanted, bool withTotals, int currentRow)
{
    Totals totals;
    if (withTotals)
        totals = readTotals();
    const int blocks = std::max(1, (rowsWanted + BlockSize - 1) / BlockSize);
    QList<QVariantList> rows = readRows(0, blocks * BlockSize);
    const bool more = rows.size() == blocks * BlockSize;

    m_quiet = true;
    if (withTotals) {
        m_totalCount = totals.count;
        m_sums = totals.sums;
    }
    m_model->reset(std::move(rows), more);
    selectRow(std::min(currentRow, m_model->rowCount() - 1));
    m_quiet = false;
    updateFooter();
    reportCurrentRow();
}

void DataGrid::appendBlock()
{
    QList<QVariantList> rows = readRows(m_model->rowCount(), BlockSize);
    const bool more = rows.size() == BlockSize;
    m_model->appendRows(std::move(rows), more);
}

void DataGrid::clearRows()
{
    m_quiet = true;
    m_model->reset({}, false);
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
        return u"共 %1 条"_s.arg(m_totalCount);
    if (isSummable(m_columns.at(column)) && column < m_sums.size())
        return sumText(m_db, m_columns.at(column).kind, m_sums.at(column));
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
    return Statement(u"select * from ("_s).append(m_base).sql(u") as t"_s + orderClause());
}
