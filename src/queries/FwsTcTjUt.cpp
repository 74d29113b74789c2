#include "FwsTcTjUt.h"
#include "ui_FwsTcTjUt.h"

#include "queries/Commissions.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QDateEdit>
#include <QShowEvent>
#include <optional>

using namespace Qt::StringLiterals;

TFwsTcTjFm::TFwsTcTjFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFwsTcTjFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    m_ui->periodPicker->setLabels(u"起始日期"_s, u"终止日期"_s);
    DataGrid *grid = m_ui->totalGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(Commissions::Table)
                         .add(u"编号"_s, 100)
                         .computed(Commissions::Total, ColumnKind::Money, 120, {}, true));
    grid->setFooterVisible(true);
    guard(m_ctx.prompt, grid);

    connect(m_ui->searchButton, &QPushButton::clicked, this, &TFwsTcTjFm::search);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TFwsTcTjFm::reject);
}

TFwsTcTjFm::~TFwsTcTjFm() = default;

// Every waiter's total over all time, though both days show today.
void TFwsTcTjFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_ui->periodPicker->setPeriod(Period::day(QDate::currentDate()));
        guard(m_ctx.prompt, this, [&] { m_ui->totalGrid->setQuery(Commissions::totals()); });
    }
    QDialog::showEvent(event);
}

void TFwsTcTjFm::search()
{
    const bool ran = guard(m_ctx.prompt, this, [&] {
        const Period days =
            Commissions::days(m_ui->periodPicker->firstBox()->date(), m_ui->periodPicker->lastBox()->date());
        m_ui->totalGrid->setQuery(Commissions::totals(days));
    });
    if (ran && m_ui->totalGrid->totalCount() == 0)
        m_ctx.prompt.message(this, u"没有找到符合条件的记录"_s);
}
