#include "CountMingXiUt.h"
#include "ui_CountMingXiUt.h"

#include "queries/BillHistory.h"
#include "session/GgUt.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"
#include "widgets/Prompt.h"

#include <QShowEvent>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Details of a period are listed in the order they were consumed, which the period's index gives
// without sorting millions of rows. Details a column chooses are few and keep the order they were
// written in: ordered by time, the database would walk every detail in time looking for them.
const QString ConsumedAt = u"消费时间"_s;

} // namespace

TCountMingXiFm::TCountMingXiFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TCountMingXiFm>()), m_ctx(ctx), m_turnover(ctx.db)
{
    m_ui->setupUi(this);
    setWindowState(windowState() | Qt::WindowMaximized);
    DataGrid *grid = m_ui->detailGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(BillHistory::Details)
                         .add(u"单据号"_s, 80)
                         .add(u"手牌号码"_s, 70)
                         .add(u"顾客姓名"_s, 80)
                         .add(u"消费项目"_s, 120)
                         .summed(u"消费单价"_s, 70)
                         .sumShown(2)
                         .add(u"消费数量"_s, 60)
                         .summed(u"消费金额"_s, 80)
                         .sumShown(2)
                         .add(u"消费时间"_s, 140)
                         .add(u"服务生编号"_s, 70)
                         .add(u"服务生姓名"_s, 70)
                         .add(u"营业员"_s, 80)
                         .add(u"状态"_s, 50)
                         .rowNumber()
                         .hidden(u"是否计时"_s));
    grid->setFooterVisible(true);
    guard(m_ctx.prompt, grid);

    connect(m_ui->timeCheck, &QCheckBox::toggled, m_ui->periodPicker, &QWidget::setEnabled);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &TCountMingXiFm::search);
    connect(m_ui->valueEdit, &QLineEdit::returnPressed, this, &TCountMingXiFm::search);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TCountMingXiFm::print);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TCountMingXiFm::reject);
}

TCountMingXiFm::~TCountMingXiFm() = default;

void TCountMingXiFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_ui->periodPicker->setPeriod(Period::day(QDate::currentDate()));
        m_ui->timeCheck->setChecked(false);
        m_ui->periodPicker->setEnabled(false);
        FreshDate();
        m_ui->valueEdit->clear();
        m_ui->columnBox->clear();
        m_ui->columnBox->addItems({u"消费项目"_s, u"服务生编号"_s, u"服务生姓名"_s, u"营业员"_s});
        m_ui->columnBox->setCurrentIndex(0);
    }
    QDialog::showEvent(event);
}

// Today's details whatever the check box says; "检索" later leaves these two figures alone.
void TCountMingXiFm::FreshDate()
{
    m_ui->countValue->clear();
    m_ui->turnoverValue->clear();
    std::optional<Period> period;
    if (!guard(m_ctx.prompt, this, [&] { period = m_ui->periodPicker->period(); }))
        return;
    if (guard(m_ctx.prompt, this,
              [&] { m_ui->detailGrid->setQuery(BillHistory::details(*period), ConsumedAt); }))
        m_ui->countValue->setText(QString::number(m_ui->detailGrid->totalCount()));
    guard(m_ctx.prompt, this, [&] { m_ui->turnoverValue->setText(m_turnover.total(*period).toString()); });
}

// The operator sees the statement with its values between the delimiters; what runs has them
// bound. A refused condition or a column the table lacks runs nothing and the grid keeps its rows.
void TCountMingXiFm::search()
{
    std::optional<Statement> statement;
    const bool built = guard(m_ctx.prompt, this, [&] {
        std::optional<Period> period;
        if (m_ui->timeCheck->isChecked())
            period = m_ui->periodPicker->period();
        statement =
            BillHistory::searchDetails(m_ui->columnBox->currentText(), m_ui->valueEdit->text(), period);
    });
    if (!built)
        return;
    const QString kind = m_ctx.session.databaseKind();
    m_ctx.prompt.message(this, statement->display(SqlTextQuote(kind), SqlDateQuote(kind)));
    const QString order = m_ui->valueEdit->text().trimmed().isEmpty() ? ConsumedAt : QString();
    guard(m_ctx.prompt, this, [&] { m_ui->detailGrid->setQuery(*statement, order); });
}

void TCountMingXiFm::print()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/detail_list.json"_s, *m_ui->detailGrid,
                  BillHistory::Details);
    });
}
