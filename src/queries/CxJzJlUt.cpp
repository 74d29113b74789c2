#include "CxJzJlUt.h"
#include "ui_CxJzJlUt.h"

#include "queries/BillHistory.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"

#include <QShowEvent>

using namespace Qt::StringLiterals;

TCxJzJlFm::TCxJzJlFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TCxJzJlFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    setWindowState(windowState() | Qt::WindowMaximized);
    m_ui->columnBox->addItems({u"备注"_s, u"顾客姓名"_s, u"营业员"_s, u"状态"_s});
    m_ui->columnBox->setCurrentIndex(1);
    m_ui->valueEdit->clear();
    DataGrid *grid = m_ui->recordGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(BillHistory::Records)
                         .add(u"id"_s, 60)
                         .add(u"结帐单号"_s, 80)
                         .add(u"手牌号码"_s, 70)
                         .add(u"进店时间"_s, 140)
                         .add(u"离店时间"_s, 140)
                         .summed(u"实收金额"_s, 80)
                         .sumShown(2, u"Sum is "_s)
                         .summed(u"消费金额"_s, 80)
                         .sumShown(2, u"Sum is "_s)
                         .add(u"结帐方式"_s, 80)
                         .add(u"状态"_s, 50)
                         .add(u"结帐时间"_s, 140)
                         .add(u"顾客姓名"_s, 80)
                         .add(u"营业员"_s, 80)
                         .add(u"备注"_s, 120));
    grid->setFooterVisible(true);
    guard(m_ctx.prompt, grid);

    connect(m_ui->searchButton, &QPushButton::clicked, this, &TCxJzJlFm::search);
    connect(m_ui->valueEdit, &QLineEdit::returnPressed, this, &TCxJzJlFm::search);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TCxJzJlFm::print);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TCxJzJlFm::reject);
}

TCxJzJlFm::~TCxJzJlFm() = default;

void TCxJzJlFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        guard(m_ctx.prompt, this, [&] { m_ui->recordGrid->setQuery(BillHistory::records()); });
    QDialog::showEvent(event);
}

// With either box empty nothing happens, as the search always did.
void TCxJzJlFm::search()
{
    const QString column = m_ui->columnBox->currentText();
    const QString value = m_ui->valueEdit->text();
    if (column.trimmed().isEmpty() || value.isEmpty())
        return;
    guard(m_ctx.prompt, this, [&] { m_ui->recordGrid->setQuery(BillHistory::searchRecords(column, value)); });
}

void TCxJzJlFm::print()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/record_list.json"_s, *m_ui->recordGrid,
                  BillHistory::Records);
    });
}
