#include "HYConsumeCXUt.h"
#include "ui_HYConsumeCXUt.h"

#include "members/Members.h"
#include "widgets/Guard.h"
#include "widgets/PrintRows.h"
#include "widgets/Prompt.h"

#include <QShowEvent>

using namespace Qt::StringLiterals;

THYConsumeCXFm::THYConsumeCXFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::THYConsumeCXFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    setWindowState(windowState() | Qt::WindowMaximized);
    m_ui->fieldBox->addItems({u"会员卡号"_s, u"顾客姓名"_s, u"营业员"_s, u"状态"_s});
    m_ui->fieldBox->setCurrentIndex(0);
    // The month so far: a member asks about recent visits.
    const QDate today = QDate::currentDate();
    m_ui->periodPicker->setPeriod(Period(QDate(today.year(), today.month(), 1), today));

    DataGrid *bills = m_ui->billGrid;
    bills->setDatabase(m_ctx.db);
    bills->setColumns(GridColumns(Members::BillTable)
                          .add(u"id"_s, 60)
                          .add(u"结帐单号"_s, 90)
                          .add(u"手牌号码"_s, 80)
                          .add(u"进店时间"_s, 148)
                          .add(u"离店时间"_s, 148)
                          .summed(u"实收金额"_s, 90)
                          .sumShown(2, u"Sum is "_s)
                          .summed(u"消费金额"_s, 90)
                          .sumShown(2, u"Sum is "_s)
                          .add(u"结帐方式"_s, 80)
                          .add(u"状态"_s, 60)
                          .add(u"结帐时间"_s, 148)
                          .add(u"会员卡号"_s, 100)
                          .add(u"顾客姓名"_s, 90)
                          .add(u"营业员"_s, 90)
                          .add(u"备注"_s, 120));
    bills->setFooterVisible(true);
    DataGrid *lines = m_ui->lineGrid;
    lines->setDatabase(m_ctx.db);
    lines->setColumns(GridColumns(Members::BillLineTable)
                          .rowNumber()
                          .add(u"消费项目"_s, 140)
                          .add(u"消费单价"_s, 80)
                          .add(u"消费数量"_s, 70)
                          .summed(u"消费金额"_s, 90)
                          .add(u"手牌号码"_s, 80)
                          .add(u"服务生编号"_s, 80)
                          .add(u"服务生姓名"_s, 90)
                          .add(u"消费时间"_s, 148)
                          .add(u"状态"_s, 60));
    lines->setFooterVisible(true);
    m_ui->splitter->setStretchFactor(0, 3);
    m_ui->splitter->setStretchFactor(1, 1);
    guard(m_ctx.prompt, bills);
    guard(m_ctx.prompt, lines);

    connect(m_ui->searchButton, &QPushButton::clicked, this, &THYConsumeCXFm::search);
    connect(m_ui->printButton, &QPushButton::clicked, this, &THYConsumeCXFm::print);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &THYConsumeCXFm::reject);
    connect(bills, &DataGrid::currentRowChanged, this, &THYConsumeCXFm::showLines);
}

THYConsumeCXFm::~THYConsumeCXFm() = default;

DataGrid &THYConsumeCXFm::bills() const
{
    return *m_ui->billGrid;
}

DataGrid &THYConsumeCXFm::lines() const
{
    return *m_ui->lineGrid;
}

PeriodPicker &THYConsumeCXFm::period() const
{
    return *m_ui->periodPicker;
}

void THYConsumeCXFm::showEvent(QShowEvent *event)
{
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        search();
    }
    QDialog::showEvent(event);
}

// Without a value, every bill of the period; an unknown column is refused before anything runs
// and the lists keep what they showed.
void THYConsumeCXFm::search()
{
    guard(m_ctx.prompt, this, [this] {
        const Period period = m_ui->periodPicker->period();
        const Statement query = Members::billsQuery(period, m_ui->fieldBox->currentText(), m_ui->valueEdit->text());
        m_ui->billGrid->setQuery(query);
        m_listed = period;
        showLines();
    });
}

void THYConsumeCXFm::showLines()
{
    const QVariant number = m_ui->billGrid->value(m_ui->billGrid->currentRow(), u"结帐单号"_s);
    guard(m_ctx.prompt, this, [&] {
        // No bill selected: no bill number matches an impossible one, so the details are empty.
        m_ui->lineGrid->setQuery(Members::billLinesQuery(number.isValid() ? number.toString() : QString()));
    });
}

void THYConsumeCXFm::print()
{
    guard(m_ctx.prompt, this, [this] {
        // The title says which days the list covers: those of the bills shown, whatever the
        // picker says now.
        const QString days = m_listed ? Members::periodText(*m_listed) : QString();
        printRows(this, m_ctx.prompt, u":/report_templates/member_bills.json"_s, *m_ui->billGrid, Members::BillTable,
                  [&](const QString &object, QString &text) {
                      if (object == u"Period"_s)
                          text = days;
                  });
    });
}
