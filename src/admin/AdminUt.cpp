#include "AdminUt.h"
#include "ui_AdminUt.h"

#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

#include <QCheckBox>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

const QString RowNumber = u"id"_s;

} // namespace

TAdminFm::TAdminFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAdminFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    setWindowTitle(Operators::caption());

    m_boxes = {
        {Permission::AdminSettings, m_ui->checkAdminSettings},
        {Permission::Members, m_ui->checkMembers},
        {Permission::Catalogue, m_ui->checkCatalogue},
        {Permission::Tags, m_ui->checkTags},
        {Permission::OpenBill, m_ui->checkOpenBill},
        {Permission::Checkout, m_ui->checkCheckout},
        {Permission::DataClear, m_ui->checkDataClear},
        {Permission::AddConsumption, m_ui->checkAddConsumption},
        {Permission::Queries, m_ui->checkQueries},
        {Permission::Waiters, m_ui->checkWaiters},
        {Permission::Backup, m_ui->checkBackup},
        {Permission::Restore, m_ui->checkRestore},
        {Permission::CancelBill, m_ui->checkCancelBill},
        {Permission::FreeBill, m_ui->checkFreeBill},
    };
    Q_ASSERT(m_boxes.size() == Operators::editable().size());

    m_form = new RecordForm(Operators::Table, this);
    m_form->bind(Operators::Name, m_ui->nameEdit, m_ui->nameEdit->accessibleName());
    for (const auto &[permission, check] : std::as_const(m_boxes)) {
        const QString column = permissionColumn(permission);
        m_form->bind(column, check, check->text());
        // clicked, not toggled: filling the boxes from a row is not the operator's choice.
        connect(check, &QCheckBox::clicked, this, [this, column] { m_touched.insert(column); });
    }

    DataGrid *grid = m_ui->operatorGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(Operators::Table).rowNumber().add(Operators::Name, 140));
    guard(m_ctx.prompt, grid);
    connect(grid, &DataGrid::currentRowChanged, this, &TAdminFm::rowChanged);
    // A header click that sorts another operator under the same index reports no new index.
    connect(
        grid->view()->model(), &QAbstractItemModel::modelReset, this,
        [this] {
            const int row = m_ui->operatorGrid->currentRow();
            if (!m_quiet && m_state == State::Browsing && m_ui->operatorGrid->rowNumber(row) != m_shown)
                rowChanged(row);
        },
        Qt::QueuedConnection);

    connect(m_ui->addButton, &QPushButton::clicked, this, &TAdminFm::add);
    connect(m_ui->editButton, &QPushButton::clicked, this, &TAdminFm::edit);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TAdminFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TAdminFm::cancel);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &TAdminFm::remove);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TAdminFm::leave);
    setState(State::Browsing);
}

TAdminFm::~TAdminFm() = default;

QCheckBox *TAdminFm::box(Permission p) const
{
    for (const auto &[permission, check] : m_boxes) {
        if (permission == p)
            return check;
    }
    return nullptr;
}

void TAdminFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reload();
    QDialog::showEvent(event);
}

void TAdminFm::reload()
{
    setState(State::Browsing);
    guard(m_ctx.prompt, this, [this] {
        QScopedValueRollback quiet(m_quiet, true);
        m_ui->operatorGrid->setQuery(Operators::listQuery(), RowNumber);
    });
    showCurrent();
}

// The boxes show the grid's current operator as stored, dropping anything typed.
void TAdminFm::showCurrent()
{
    m_shown = m_ui->operatorGrid->rowNumber(m_ui->operatorGrid->currentRow());
    m_touched.clear();
    if (m_shown < 0) {
        m_form->clear();
        return;
    }
    guard(m_ctx.prompt, this, [this] { m_form->load(m_ctx.db, m_shown); });
}

void TAdminFm::rowChanged(int row)
{
    // While adding or editing the list is disabled: the boxes belong to the pending row.
    if (m_quiet || m_state != State::Browsing || m_ui->operatorGrid->rowNumber(row) == m_shown)
        return;
    showCurrent();
}

void TAdminFm::setState(State state)
{
    m_state = state;
    const bool browsing = state == State::Browsing;
    m_ui->addButton->setEnabled(browsing);
    m_ui->editButton->setEnabled(browsing);
    m_ui->deleteButton->setEnabled(browsing);
    m_ui->saveButton->setEnabled(!browsing);
    m_ui->cancelButton->setEnabled(!browsing);
    m_ui->nameEdit->setEnabled(!browsing);
    m_ui->permissionGroup->setEnabled(!browsing);
    m_ui->operatorGrid->setEnabled(browsing);
}

void TAdminFm::add()
{
    if (m_state != State::Browsing)
        return;
    m_form->clear();
    m_touched.clear();
    setState(State::Adding);
    m_ui->nameEdit->setFocus();
}

void TAdminFm::edit()
{
    if (m_state != State::Browsing)
        return;
    if (m_shown < 0) {
        m_ctx.prompt.message(this, u"没有可以修改的管理员!"_s, Prompt::Icon::Warning);
        return;
    }
    m_touched.clear();
    setState(State::Editing);
    m_ui->nameEdit->setFocus();
}

void TAdminFm::save()
{
    if (m_state == State::Browsing)
        return;
    const std::optional<ColumnValues> values = m_form->checkedValues(m_ctx.prompt, this);
    if (!values)
        return;
    ColumnValues written;
    for (const auto &cv : *values) {
        if (m_state == State::Editing || cv.first == Operators::Name || m_touched.contains(cv.first))
            written.append(cv);
    }
    qint64 row = m_shown;
    const bool saved = guard(m_ctx.prompt, this, [&] {
        if (m_state == State::Adding)
            row = m_rules.add(written);
        else
            m_rules.change(m_shown, written);
    });
    if (!saved) {
        m_ui->nameEdit->setFocus();
        return;
    }
    setState(State::Browsing);
    guard(m_ctx.prompt, this, [&] {
        QScopedValueRollback quiet(m_quiet, true);
        m_ui->operatorGrid->refresh();
        m_ui->operatorGrid->selectRowNumber(row);
    });
    showCurrent();
}

void TAdminFm::cancel()
{
    setState(State::Browsing);
    showCurrent();
}

void TAdminFm::remove()
{
    if (m_state != State::Browsing)
        return;
    const int row = m_ui->operatorGrid->currentRow();
    if (row < 0) {
        m_ctx.prompt.message(this, u"没有可以删除的管理员!"_s, Prompt::Icon::Warning);
        return;
    }
    const qint64 rowNumber = m_ui->operatorGrid->rowNumber(row);
    if (!guard(m_ctx.prompt, this, [&] { m_rules.checkRemovable(rowNumber); }))
        return;
    const QString name = m_ui->operatorGrid->value(row, Operators::Name).toString();
    if (!m_ctx.prompt.confirm(this, Operators::deleteQuestion(name)))
        return;
    guard(m_ctx.prompt, this, [&] {
        m_rules.remove(rowNumber);
        QScopedValueRollback quiet(m_quiet, true);
        m_ui->operatorGrid->refresh();
    });
    showCurrent();
}

void TAdminFm::leave()
{
    // A pending new or changed operator is dropped, as "取消" would.
    setState(State::Browsing);
    m_ctx.prompt.message(this, Operators::restartMessage());
    accept();
}

void TAdminFm::reject()
{
    leave();
}
