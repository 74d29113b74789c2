#include "XfCxUt.h"
#include "ui_XfCxUt.h"

#include "widgets/Guard.h"
#include "widgets/PrintRows.h"
#include "widgets/Prompt.h"

#include <QListWidget>
#include <QShowEvent>

using namespace Qt::StringLiterals;

TXfCxFm::TXfCxFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TXfCxFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    DataGrid *grid = m_ui->lineGrid;
    grid->setDatabase(m_ctx.db);
    grid->setColumns(GridColumns(CurrentConsumption::Table)
                         .rowNumber()
                         .add(u"项目名"_s, 120)
                         .add(u"单价"_s, 70)
                         .add(u"数量"_s, 50)
                         .add(u"合计"_s, 70)
                         .add(u"服务生"_s, 70)
                         .add(u"状态"_s, 70)
                         .add(u"主手牌号"_s, 70)
                         .add(u"消费时间"_s, 140));
    guard(m_ctx.prompt, grid);

    connect(m_ui->tagList, &QListWidget::itemClicked, this, &TXfCxFm::tagClicked);
    connect(m_ui->searchEdit, &QLineEdit::returnPressed, this, &TXfCxFm::search);
    connect(m_ui->printButton, &QPushButton::clicked, this, &TXfCxFm::print);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TXfCxFm::reject);
}

TXfCxFm::~TXfCxFm() = default;

void TXfCxFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        load();
    QDialog::showEvent(event);
}

void TXfCxFm::load()
{
    m_ui->tagList->clear();
    m_ui->searchEdit->clear();
    QStringList tags;
    if (!guard(m_ctx.prompt, this, [&] { tags = m_rules.occupiedTags(); }))
        return;
    if (tags.isEmpty()) {
        m_ctx.prompt.message(this, u"没有正在消费的手牌!"_s);
        return;
    }
    m_ui->tagList->addItems(tags);
    // The first tag shows the lines entered on it; a click shows its bill's, as the list always has.
    showLines(CurrentConsumption::By::Tag, tags.first());
}

void TXfCxFm::showLines(CurrentConsumption::By by, const QString &tag)
{
    m_ui->tagValue->setText(tag);
    m_ui->amountValue->clear();
    guard(m_ctx.prompt, this, [&] {
        m_ui->lineGrid->setQuery(CurrentConsumption::lines(by, tag));
        m_ui->amountValue->setText(m_rules.total(by, tag).toString());
    });
}

void TXfCxFm::tagClicked()
{
    const QListWidgetItem *item = m_ui->tagList->currentItem();
    if (item)
        showLines(CurrentConsumption::By::Master, item->text());
}

// A number that is no bill's master tag shows with no lines and 0: the grid never goes on
// showing another tag's lines beside the number searched for.
void TXfCxFm::search()
{
    showLines(CurrentConsumption::By::Master, m_ui->searchEdit->text());
}

void TXfCxFm::print()
{
    guard(m_ctx.prompt, this, [&] {
        printRows(this, m_ctx.prompt, u":/report_templates/consumption_list.json"_s, *m_ui->lineGrid,
                  CurrentConsumption::Table);
    });
}
