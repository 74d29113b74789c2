#include "ItemCountUt.h"
#include "ui_ItemCountUt.h"

#include "queries/ItemCount.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"

#include <QShowEvent>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QList<GridColumn> itemColumns()
{
    return GridColumns(ItemCount::Table)
        .add(u"消费项目"_s, 200)
        .computed(ItemCount::Quantity, ColumnKind::Integer, 100)
        .computed(ItemCount::Amount, ColumnKind::Money, 120);
}

} // namespace

TItemCountFm::TItemCountFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TItemCountFm>()), m_ctx(ctx), m_turnover(ctx.db)
{
    m_ui->setupUi(this);
    for (DataGrid *grid : {m_ui->periodGrid, m_ui->allGrid}) {
        grid->setDatabase(m_ctx.db);
        grid->setColumns(itemColumns());
        guard(m_ctx.prompt, grid);
    }
    connect(m_ui->countButton, &QPushButton::clicked, this, &TItemCountFm::FreshDate);
    connect(m_ui->printPeriodButton, &QPushButton::clicked, this, &TItemCountFm::printPeriod);
    connect(m_ui->printAllButton, &QPushButton::clicked, this, &TItemCountFm::printAll);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TItemCountFm::reject);
}

TItemCountFm::~TItemCountFm() = default;

void TItemCountFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FreshDate();
    QDialog::showEvent(event);
}

void TItemCountFm::FreshDate()
{
    m_ui->turnoverValue->clear();
    m_ui->itemsValue->clear();
    std::optional<Period> period;
    if (!guard(m_ctx.prompt, this, [&] { period = m_ui->periodPicker->period(); }))
        return;
    // "人数:" has always counted the item rows of the period, not guests or bills.
    if (guard(m_ctx.prompt, this, [&] { m_ui->periodGrid->setQuery(ItemCount::period(*period)); }))
        m_ui->itemsValue->setText(QString::number(m_ui->periodGrid->totalCount()));
    guard(m_ctx.prompt, this, [&] { m_ui->allGrid->setQuery(ItemCount::allTime()); });
    guard(m_ctx.prompt, this, [&] { m_ui->turnoverValue->setText(m_turnover.total(*period).toString()); });
}

void TItemCountFm::printPeriod()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/item_period_list.json"_s, *m_ui->periodGrid,
                  ItemCount::Table);
    });
}

void TItemCountFm::printAll()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/item_all_list.json"_s, *m_ui->allGrid,
                  ItemCount::Table);
    });
}
