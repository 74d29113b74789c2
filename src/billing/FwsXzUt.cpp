#include "FwsXzUt.h"

#include "billing/Consumption.h"
#include "ui_FwsXzUt.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QCloseEvent>
#include <QShowEvent>

using namespace Qt::StringLiterals;

TFwsXzFm::TFwsXzFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFwsXzFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    DataGrid *grid = m_ui->waiterGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(u"服务生管理"_s)
                         .rowNumber()
                         .add(u"服务生编号"_s, 70)
                         .add(u"服务生姓名"_s, 70)
                         .add(u"性别"_s, 40)
                         .add(u"状态"_s, 50)
                         .add(u"服务包厢"_s, 70)
                         .add(u"包厢性质"_s, 60)
                         .add(u"服务等级"_s, 60)
                         .add(u"联系电话"_s, 90)
                         .add(u"证件号码"_s, 130)
                         .add(u"联系地址"_s, 150));
    guard(m_ctx.prompt, grid);
    connect(grid, &DataGrid::rowActivated, this, &TFwsXzFm::choose);
    connect(m_ui->nameEdit, &QLineEdit::returnPressed, this, &TFwsXzFm::findByName);
    connect(m_ui->numberEdit, &QLineEdit::returnPressed, this, &TFwsXzFm::findByNumber);
    connect(m_ui->allButton, &QPushButton::clicked, this, &TFwsXzFm::showAll);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &TFwsXzFm::choose);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TFwsXzFm::reject);
}

TFwsXzFm::~TFwsXzFm() = default;

void TFwsXzFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_ui->nameEdit->clear();
        m_ui->numberEdit->clear();
        showAll();
    }
    QDialog::showEvent(event);
}

void TFwsXzFm::run(const Statement &statement)
{
    guard(m_ctx.prompt, this, [&] { m_ui->waiterGrid->setQuery(statement); });
}

void TFwsXzFm::showAll()
{
    run(Consumption::waitersQuery());
}

void TFwsXzFm::findByName()
{
    const QString name = m_ui->nameEdit->text();
    if (!name.isEmpty())
        run(Consumption::waitersNamed(name));
}

void TFwsXzFm::findByNumber()
{
    const QString number = m_ui->numberEdit->text();
    if (!number.isEmpty())
        run(Consumption::waitersNumbered(number));
}

void TFwsXzFm::choose()
{
    const DataGrid *grid = m_ui->waiterGrid;
    const int row = grid->currentRow();
    if (row < 0) { // an empty list, or nothing chosen: no waiter without a name serves
        m_ctx.prompt.message(this, u"请先选择服务生!"_s, Prompt::Icon::Warning);
        return;
    }
    m_number = grid->value(row, u"服务生编号"_s).toString();
    m_name = grid->value(row, u"服务生姓名"_s).toString();
    m_outcome = Outcome::Chosen;
    accept();
}

void TFwsXzFm::reject()
{
    m_outcome = m_closeBox ? Outcome::Closed : Outcome::Cancelled;
    QDialog::reject();
}

void TFwsXzFm::closeEvent(QCloseEvent *event)
{
    // Only a close of the visible window is the operator's close box; done() may close too.
    m_closeBox = isVisible();
    QDialog::closeEvent(event);
    m_closeBox = false;
}
