#include "MemBerTypeUt.h"
#include "ui_MemBerTypeUt.h"

#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

const QString RowNumber = u"id"_s;

} // namespace

TMemBerTypeFm::TMemBerTypeFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TMemBerTypeFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    // No close box: the list is left through "退出", which first writes what was typed.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_form = new RecordForm(MemberTypes::Table, this);
    m_form->bind(u"类型名称"_s, m_ui->nameEdit, m_ui->nameLabel->text())
        .bind(u"初始积分"_s, m_ui->pointsEdit, m_ui->pointsLabel->text())
        .bind(u"打折率"_s, m_ui->rateEdit, m_ui->rateLabel->text());

    DataGrid *grid = m_ui->typeGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(MemberTypes::Table)
                         .add(RowNumber, 40)
                         .add(u"类型名称"_s, 120)
                         .add(u"打折率"_s, 60)
                         .add(u"初始积分"_s, 70));
    guard(m_ctx.prompt, grid);
    connect(grid, &DataGrid::currentRowChanged, this, &TMemBerTypeFm::rowChanged);
    // The grid reports a new index only: a header click that sorts another type under the same
    // index is caught here, once the rows are in and the current row is set.
    connect(
        grid->view()->model(), &QAbstractItemModel::modelReset, this,
        [this] {
            const int row = m_ui->typeGrid->currentRow();
            if (!m_quiet && m_ui->typeGrid->rowNumber(row) != m_shown)
                rowChanged(row);
        },
        Qt::QueuedConnection);

    connect(m_ui->addButton, &QPushButton::clicked, this, &TMemBerTypeFm::add);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TMemBerTypeFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TMemBerTypeFm::cancel);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &TMemBerTypeFm::remove);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TMemBerTypeFm::leave);
}

TMemBerTypeFm::~TMemBerTypeFm() = default;

void TMemBerTypeFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reload();
    QDialog::showEvent(event);
}

void TMemBerTypeFm::reload()
{
    setAdding(false);
    guard(m_ctx.prompt, this, [this] {
        QScopedValueRollback quiet(m_quiet, true);
        m_ui->typeGrid->setQuery(MemberTypes::listQuery(), RowNumber);
    });
    showCurrent();
}

// The boxes show the grid's current row as stored, dropping anything typed.
void TMemBerTypeFm::showCurrent()
{
    m_shown = m_ui->typeGrid->rowNumber(m_ui->typeGrid->currentRow());
    if (m_shown < 0) {
        m_form->clear();
        return;
    }
    guard(m_ctx.prompt, this, [this] { m_form->load(m_ctx.db, m_shown); });
}

// Writes what the boxes hold that the list does not: the new type, or the changes to the shown
// one; a new type never typed into is simply dropped. False when a box or the database refused:
// the operator was told and the boxes keep what was typed.
bool TMemBerTypeFm::commitPending()
{
    if (m_form->isEdited()) {
        const std::optional<ColumnValues> values = m_form->checkedValues(m_ctx.prompt, this);
        if (!values)
            return false;
        qint64 added = -1;
        const bool written = guard(m_ctx.prompt, this, [&] {
            if (m_adding)
                added = m_rules.add(*values);
            else if (m_shown >= 0)
                m_rules.change(m_shown, *values);
        });
        if (!written)
            return false;
        m_form->setEdited(false);
        guard(m_ctx.prompt, this, [&] {
            QScopedValueRollback quiet(m_quiet, true);
            m_ui->typeGrid->refresh();
            if (added >= 0)
                selectRowNumber(added);
        });
    }
    setAdding(false);
    return true;
}

void TMemBerTypeFm::rowChanged(int row)
{
    const qint64 wanted = m_ui->typeGrid->rowNumber(row);
    if (m_quiet || (wanted == m_shown && !m_adding))
        return;
    const bool committed = commitPending();
    guard(m_ctx.prompt, this, [&] {
        QScopedValueRollback quiet(m_quiet, true);
        selectRowNumber(committed ? wanted : m_shown);
    });
    if (committed)
        showCurrent();
}

// The order may have shifted under another counter's writes, so the row is found by its number
// rather than by where it was.
void TMemBerTypeFm::selectRowNumber(qint64 rowNumber)
{
    if (rowNumber < 0)
        m_ui->typeGrid->setCurrentRow(-1);
    else
        m_ui->typeGrid->selectRowNumber(rowNumber);
}

void TMemBerTypeFm::setAdding(bool adding)
{
    m_adding = adding;
    m_ui->addButton->setEnabled(!adding);
    m_ui->deleteButton->setEnabled(!adding);
    m_ui->exitButton->setEnabled(!adding);
}

void TMemBerTypeFm::add()
{
    if (m_adding || !commitPending())
        return;
    m_form->clear();
    setAdding(true);
    m_ui->nameEdit->setFocus();
}

void TMemBerTypeFm::save()
{
    if (commitPending())
        showCurrent();
}

void TMemBerTypeFm::cancel()
{
    setAdding(false);
    showCurrent();
}

void TMemBerTypeFm::remove()
{
    if (m_adding)
        return;
    const DataGrid *grid = m_ui->typeGrid;
    const int row = grid->currentRow();
    if (row < 0) {
        m_ctx.prompt.message(this, MemberTypes::nothingToDeleteMessage(), Prompt::Icon::Warning);
        return;
    }
    const qint64 rowNumber = grid->value(row, RowNumber).toLongLong();
    if (!m_ctx.prompt.confirm(this, MemberTypes::deleteQuestion(grid->value(row, u"类型名称"_s).toString())))
        return;
    guard(m_ctx.prompt, this, [&] {
        m_rules.remove(rowNumber);
        QScopedValueRollback quiet(m_quiet, true);
        m_ui->typeGrid->refresh();
    });
    showCurrent();
}

void TMemBerTypeFm::leave()
{
    if (m_adding || !commitPending())
        return;
    accept();
}

void TMemBerTypeFm::reject()
{
    leave();
}
