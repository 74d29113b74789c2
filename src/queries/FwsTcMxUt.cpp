#include "FwsTcMxUt.h"
#include "ui_FwsTcMxUt.h"

#include "queries/Commissions.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"
#include "widgets/Prompt.h"

#include <QShowEvent>

using namespace Qt::StringLiterals;

TFwsTcMxFm::TFwsTcMxFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFwsTcMxFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    DataGrid *grid = m_ui->rowGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(Commissions::Table)
                         .add(u"id"_s, 60)
                         .add(u"编号"_s, 70)
                         .add(u"姓名"_s, 80)
                         .add(u"结帐时间"_s, 100)
                         .add(u"单据号"_s, 80)
                         .add(u"手牌号码"_s, 70)
                         .summed(u"提成金额"_s, 80));
    grid->setFooterVisible(true);
    guard(m_ctx.prompt, grid);

    connect(m_ui->searchButton, &QPushButton::clicked, this, &TFwsTcMxFm::search);
    connect(m_ui->valueEdit, &QLineEdit::returnPressed, this, &TFwsTcMxFm::search);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TFwsTcMxFm::print);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TFwsTcMxFm::reject);
}

TFwsTcMxFm::~TFwsTcMxFm() = default;

void TFwsTcMxFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_ui->valueEdit->clear();
        m_ui->columnBox->clear();
        m_ui->columnBox->addItems({u"编号"_s, u"姓名"_s, u"手牌号码"_s, u"单据号"_s});
        m_ui->columnBox->setCurrentIndex(0);
        guard(m_ctx.prompt, this, [&] { m_ui->rowGrid->setQuery(Commissions::rows()); });
    }
    QDialog::showEvent(event);
}

// The match is exact, whatever "包含" suggests: a part of a name finds nothing.
void TFwsTcMxFm::search()
{
    const bool ran = guard(m_ctx.prompt, this, [&] {
        m_ui->rowGrid->setQuery(Commissions::search(m_ui->columnBox->currentText(), m_ui->valueEdit->text()));
    });
    if (ran && m_ui->rowGrid->totalCount() == 0)
        m_ctx.prompt.message(this, u"没有找到符合条件的记录"_s);
}

void TFwsTcMxFm::print()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/commission_list.json"_s, *m_ui->rowGrid,
                  Commissions::Table);
    });
}
