#include "CountProfitUt.h"
#include "ui_CountProfitUt.h"

#include "widgets/Guard.h"
#include "widgets/PrintRows.h"

#include <QShowEvent>
#include <optional>

using namespace Qt::StringLiterals;

TCountProfitFm::TCountProfitFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TCountProfitFm>()), m_ctx(ctx), m_turnover(ctx.db)
{
    m_ui->setupUi(this);
    setWindowState(windowState() | Qt::WindowMaximized);
    DataGrid *grid = m_ui->recordGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(Turnover::Table)
                         .rowNumber()
                         .add(u"结帐单号"_s, 90)
                         .add(u"顾客姓名"_s, 100)
                         .add(u"结帐方式"_s, 80)
                         .add(u"结帐时间"_s, 150)
                         .add(u"营业员"_s, 90)
                         .add(u"实收金额"_s, 90)
                         .add(u"消费金额"_s, 90));
    guard(m_ctx.prompt, grid);

    connect(m_ui->countButton, &QPushButton::clicked, this, &TCountProfitFm::FreshDate);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TCountProfitFm::print);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TCountProfitFm::reject);
}

TCountProfitFm::~TCountProfitFm() = default;

void TCountProfitFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FreshDate();
    QDialog::showEvent(event);
}

void TCountProfitFm::FreshDate()
{
    m_ui->countValue->clear();
    m_ui->turnoverValue->clear();
    std::optional<Period> period;
    if (!guard(m_ctx.prompt, this, [&] { period = m_ui->periodPicker->period(); }))
        return;
    // In the order the bills were settled, which the period's index gives without sorting.
    if (guard(m_ctx.prompt, this,
              [&] { m_ui->recordGrid->setQuery(Turnover::records(*period), u"结帐时间"_s); }))
        m_ui->countValue->setText(QString::number(m_ui->recordGrid->totalCount()));
    // A sum that failed is shown as the failure and leaves no figure: "0" would read as a day
    // without business.
    guard(m_ctx.prompt, this, [&] { m_ui->turnoverValue->setText(m_turnover.total(*period).toString()); });
}

void TCountProfitFm::print()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/turnover_list.json"_s, *m_ui->recordGrid,
                  Turnover::Table);
    });
}
