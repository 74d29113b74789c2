#include "AddConsumeUt.h"

#include "billing/Consumption.h"
#include "billing/FwsXzUt.h"
#include "ui_AddConsumeUt.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QShowEvent>

using namespace Qt::StringLiterals;

TAddConsumeFm::TAddConsumeFm(const ScreenContext &ctx, const QString &tag, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAddConsumeFm>()), m_ctx(ctx), m_tag(tag)
{
    m_ui->setupUi(this);

    DataGrid *catalogue = m_ui->catalogueGrid;
    catalogue->setDatabase(m_ctx.db);
    catalogue->setColumns(
        GridColumns(u"商品项目库"_s).rowNumber().add(u"项目名"_s, 140).add(u"单价"_s, 60).hidden(u"名称拼音"_s));
    DataGrid *lines = m_ui->linesGrid;
    lines->setDatabase(m_ctx.db);
    lines->setColumns(GridColumns(u"手牌消费"_s)
                          .rowNumber()
                          .add(u"项目名"_s, 120)
                          .add(u"单价"_s, 50)
                          .add(u"实际单价"_s, 60)
                          .add(u"数量"_s, 40)
                          .add(u"合计"_s, 50)
                          .add(u"服务生编号"_s, 80));

    guard(m_ctx.prompt, catalogue);
    guard(m_ctx.prompt, lines);
    connect(catalogue, &DataGrid::rowActivated, this, &TAddConsumeFm::addLine);
    connect(m_ui->searchEdit, &QLineEdit::returnPressed, this, &TAddConsumeFm::search);
    connect(m_ui->addButton, &QPushButton::clicked, this, &TAddConsumeFm::addLine);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &TAddConsumeFm::deleteLine);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TAddConsumeFm::reject);
    auto *f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, [this] {
        m_ui->quantityEdit->setFocus();
        m_ui->quantityEdit->selectAll();
    });
}

TAddConsumeFm::~TAddConsumeFm() = default;

void TAddConsumeFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        load();
    QDialog::showEvent(event);
}

void TAddConsumeFm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        deleteLine();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAddConsumeFm::load()
{
    m_ui->tagLabel->setText(m_tag);
    m_ui->searchEdit->clear();
    guard(m_ctx.prompt, this, [this] {
        m_master = Consumption::masterOf(m_ctx.db, m_tag);
        m_ui->masterLabel->setText(m_master);
        m_ui->linesGrid->setQuery(Consumption::linesQuery(m_tag));
        m_ui->linesGrid->setEnabled(m_ui->linesGrid->totalCount() > 0);
        m_ui->catalogueGrid->setQuery(Consumption::catalogueQuery(), u"项目名"_s);
    });
}

void TAddConsumeFm::reloadLines()
{
    m_ui->linesGrid->refresh();
    m_ui->linesGrid->setEnabled(m_ui->linesGrid->totalCount() > 0);
}

// The first item in name order whose name begins with the text (letter case counting) becomes
// current, the catalogue keeping whatever order the operator gave it; when no name begins so,
// nothing moves. The database finds the item by its index on the name and the grid reads only
// the rows around it. The names that begin with the text sort together right after the text
// itself under the binary collations of SQLite and of a server created with the C locale; a
// linguistic collation that ignores punctuation may sort another name among them, and a search
// for text holding such punctuation can then miss.
void TAddConsumeFm::search()
{
    DataGrid *grid = m_ui->catalogueGrid;
    const QString text = m_ui->searchEdit->text();
    // The name first; failing that the pinyin initials the catalogue keeps in lower case, so that
    // "tsam" and "TSAM" both find 泰式按摩, and then in capitals, as a catalogue brought in from
    // elsewhere may hold them.
    guard(m_ctx.prompt, this, [&] {
        if (!grid->seekPrefix(u"项目名"_s, text) && !text.isEmpty() &&
            !grid->seekPrefix(u"名称拼音"_s, text.toLower()))
            grid->seekPrefix(u"名称拼音"_s, text.toUpper());
    });
}

void TAddConsumeFm::addLine()
{
    const DataGrid *catalogue = m_ui->catalogueGrid;
    const int row = catalogue->currentRow();
    if (row < 0)
        return;
    // Checked before anything is filled, so that no half-made line is ever posted.
    const std::optional<qint64> quantity = Consumption::parseQuantity(m_ui->quantityEdit->text());
    if (!quantity) {
        m_ctx.prompt.message(this, Consumption::badQuantityMessage(), Prompt::Icon::Warning);
        m_ui->quantityEdit->setFocus();
        m_ui->quantityEdit->selectAll();
        return;
    }
    guard(m_ctx.prompt, this, [&] {
        const std::optional<Consumption::Item> item =
            Consumption::item(m_ctx.db, catalogue->value(row, u"ID"_s).toLongLong());
        if (!item) { // deleted at another counter since the grid was read
            m_ui->catalogueGrid->refresh();
            return;
        }
        Consumption::Line line = Consumption::newLine(m_tag, m_master, *item, *quantity,
                                                      m_ctx.session.operatorName(), QDateTime::currentDateTime());
        if (item->needsService) {
            TFwsXzFm picker(m_ctx, this);
            picker.exec();
            switch (picker.outcome()) {
            case TFwsXzFm::Outcome::Chosen:
                line.waiterNumber = picker.waiterNumber();
                line.waiterName = picker.waiterName();
                break;
            case TFwsXzFm::Outcome::Cancelled:
                reloadLines();
                return;
            case TFwsXzFm::Outcome::Closed:
                break; // served by the operator
            }
        }
        Consumption::post(m_ctx.db, line);
        reloadLines();
    });
}

void TAddConsumeFm::deleteLine()
{
    DataGrid *lines = m_ui->linesGrid;
    if (lines->totalCount() == 0) {
        m_ctx.prompt.message(this, Consumption::nothingToDeleteMessage());
        return;
    }
    const int row = lines->currentRow();
    if (row < 0)
        return;
    if (!m_ctx.prompt.confirm(this, Consumption::deleteQuestion(lines->displayText(row, u"项目名"_s))))
        return;
    guard(m_ctx.prompt, this, [&] {
        Consumption::remove(m_ctx.db, lines->value(row, u"id"_s).toLongLong());
        reloadLines();
    });
}
