#include "ListScreen.h"

#include "db/Records.h"
#include "db/TableRows.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"
#include "widgets/Prompt.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ListScreen::ListScreen(const ScreenContext &context, ListSpec spec, QWidget *parent)
    : QDialog(parent), m_context(context), m_spec(std::move(spec))
{
    setObjectName(m_spec.objectName);
    setWindowTitle(m_spec.caption);
    resize(960, 640);
    if (m_spec.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (m_spec.base.isEmpty())
        m_spec.base = TableRows::all(m_spec.table);
    if (!m_spec.deleteRule) {
        m_spec.deleteRule = [table = m_spec.table](const ScreenContext &c, qint64 rowNumber) {
            Records::remove(c.db, table, rowNumber);
        };
    }
    for (const GridColumn &column : std::as_const(m_spec.columns)) {
        if (column.kind == ColumnKind::RowNumber) {
            m_rowNumberField = column.field;
            break;
        }
    }
    if (m_rowNumberField.isEmpty())
        qWarning("ListScreen %s: the columns hold no row number", qUtf8Printable(m_spec.objectName));

    auto *layout = new QVBoxLayout(this);
    buildToolBar();

    auto *searchGroup = new QGroupBox(u"查询"_s, this);
    searchGroup->setObjectName(u"searchGroup"_s);
    auto *searchLayout = new QHBoxLayout(searchGroup);
    m_fieldBox = new QComboBox(searchGroup);
    m_fieldBox->setObjectName(u"fieldBox"_s);
    m_fieldBox->setEditable(true);
    m_fieldBox->setAccessibleName(u"查询字段"_s);
    auto *containsLabel = new QLabel(u"中含有"_s, searchGroup);
    m_valueEdit = new QLineEdit(searchGroup);
    m_valueEdit->setObjectName(u"valueEdit"_s);
    containsLabel->setBuddy(m_valueEdit);
    m_valueEdit->setAccessibleName(containsLabel->text());
    auto *searchButton = new QPushButton(u"检索"_s, searchGroup);
    searchButton->setObjectName(u"searchButton"_s);
    // Enter belongs to the value box, and to the grid's row (the editor) when it has the focus.
    searchButton->setAutoDefault(false);
    searchLayout->addWidget(m_fieldBox, 1);
    searchLayout->addWidget(containsLabel);
    searchLayout->addWidget(m_valueEdit, 2);
    searchLayout->addWidget(searchButton);
    layout->addWidget(searchGroup);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(u"grid"_s);
    m_grid->setAccessibleName(m_spec.caption);
    m_grid->setDatabase(m_context.db);
    m_grid->setColumns(m_spec.columns);
    m_grid->setFooterVisible(true);
    layout->addWidget(m_grid, 1);

    connect(searchButton, &QPushButton::clicked, this, &ListScreen::search);
    connect(m_valueEdit, &QLineEdit::returnPressed, this, &ListScreen::search);
    guard(m_context.prompt, m_grid);
    if (m_spec.editor)
        connect(m_grid, &DataGrid::rowActivated, this, &ListScreen::editRow);
}

ListScreen::~ListScreen() = default;

void ListScreen::buildToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(u"toolBar"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    layout()->setMenuBar(bar);
    // Picture buttons: the desktop's icon theme where it has one, else the style's own pictures.
    const auto add = [&](const QString &name, const QString &text, const char *themeIcon,
                         QStyle::StandardPixmap fallback, auto slot) {
        QAction *action = bar->addAction(QIcon::fromTheme(QString::fromLatin1(themeIcon), style()->standardIcon(fallback)), text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(u"actAdd"_s, u"添加"_s, "list-add", QStyle::SP_FileIcon, &ListScreen::addRow)->setVisible(bool(m_spec.editor));
    add(u"actEdit"_s, u"修改"_s, "document-edit", QStyle::SP_FileDialogDetailedView, &ListScreen::editRow)
        ->setVisible(bool(m_spec.editor));
    add(u"actDelete"_s, u"删除"_s, "edit-delete", QStyle::SP_TrashIcon, &ListScreen::deleteRow)
        ->setVisible(m_spec.deletable);
    add(u"actRefresh"_s, u"刷新"_s, "view-refresh", QStyle::SP_BrowserReload, &ListScreen::refresh);
    add(u"actShowAll"_s, u"显示全部"_s, "view-list-details", QStyle::SP_FileDialogListView, &ListScreen::showAll);
    add(u"actPrint"_s, u"打印"_s, "document-print", QStyle::SP_FileDialogContentsView, &ListScreen::print)
        ->setVisible(!m_spec.printTemplate.isEmpty());
    for (const ListAction &extra : std::as_const(m_spec.extras))
        add(extra.objectName, extra.text, "", QStyle::SP_ArrowForward, [this, extra] { runExtra(extra); });
    add(u"actExit"_s, u"退出"_s, "application-exit", QStyle::SP_DialogCloseButton, &ListScreen::reject);
}

std::optional<qint64> ListScreen::currentRowNumber() const
{
    const QVariant value = m_grid->value(m_grid->currentRow(), m_rowNumberField);
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

void ListScreen::showEvent(QShowEvent *event)
{
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        m_fieldBox->addItems(m_spec.searchFields);
        m_fieldBox->setCurrentIndex(m_spec.searchFields.isEmpty() ? -1 : 0);
        run(m_spec.base);
    }
    QDialog::showEvent(event);
}

void ListScreen::run(const Statement &statement)
{
    guard(m_context.prompt, this, [&] { m_grid->setQuery(statement); });
}

void ListScreen::search()
{
    const QString field = m_fieldBox->currentText().trimmed();
    const QString value = m_spec.trimSearchValue ? m_valueEdit->text().trimmed() : m_valueEdit->text();
    if (field.isEmpty() || value.isEmpty()) {
        m_context.prompt.message(this, m_spec.emptySearchMessage.isEmpty() ? u"请填写查询条件!"_s
                                                                           : m_spec.emptySearchMessage);
        return;
    }
    // An unknown field is refused while the statement is built, so nothing runs and the
    // grid keeps what it showed.
    const bool ran = guard(m_context.prompt, this,
                           [&] { m_grid->setQuery(TableRows::matching(m_spec.table, field, value)); });
    if (ran && m_grid->totalCount() == 0)
        m_context.prompt.message(this, m_spec.notFoundMessage.isEmpty() ? u"没有找到符合条件的数据."_s
                                                                        : m_spec.notFoundMessage);
}

void ListScreen::showAll()
{
    run(m_spec.base);
}

void ListScreen::refresh()
{
    guard(m_context.prompt, this, [&] { m_grid->refresh(); });
}

void ListScreen::addRow()
{
    if (m_spec.editor)
        openEditor(std::nullopt);
}

void ListScreen::editRow()
{
    if (!m_spec.editor)
        return;
    if (const std::optional<qint64> row = requireRow())
        openEditor(row);
}

// Editors and extra actions guard their own writes; one that lets a Refusal or DbError pass
// is still shown rather than left to escape the event loop.
void ListScreen::openEditor(std::optional<qint64> rowNumber)
{
    bool saved = false;
    guard(m_context.prompt, this, [&] { saved = m_spec.editor(m_context, this, rowNumber); });
    if (saved)
        refresh();
}

void ListScreen::deleteRow()
{
    if (!m_spec.deletable)
        return;
    const std::optional<qint64> row = requireRow();
    if (!row)
        return;
    const QString name = m_grid->displayText(m_grid->currentRow(), m_spec.nameField);
    if (!m_context.prompt.confirm(this, u"您是否要删除\" "_s + name + u"\""_s))
        return;
    if (guard(m_context.prompt, this, [&] { m_spec.deleteRule(m_context, *row); }))
        refresh();
}

void ListScreen::print()
{
    guard(m_context.prompt, this,
          [&] { printRows(this, m_context.prompt, m_spec.printTemplate, *m_grid, m_spec.table); });
}

void ListScreen::runExtra(const ListAction &action)
{
    const std::optional<qint64> row = requireRow();
    if (!row || !action.run)
        return;
    bool changed = false;
    guard(m_context.prompt, this, [&] { changed = action.run(m_context, this, *row); });
    if (changed)
        refresh();
}

std::optional<qint64> ListScreen::requireRow()
{
    const std::optional<qint64> row = currentRowNumber();
    if (!row)
        m_context.prompt.message(this, u"请先选择一条记录!"_s);
    return row;
}
