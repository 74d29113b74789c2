#include "SpSetUt.h"
#include "ui_SpSetUt.h"

#include "setup/AddSpUt.h"
#include "setup/BaoXiangUt.h"
#include "setup/EditSpUt.h"
#include "widgets/DataGrid.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QShowEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

const QString RowNumber = u"id"_s;

} // namespace

TSpSetFm::TSpSetFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TSpSetFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    DataGrid *rooms = m_ui->roomTypeGrid;
    rooms->setDatabase(m_ctx.db);
    rooms->setColumns(GridColumns(Tags::RoomTypeTable)
                          .rowNumber()
                          .add(u"包厢类型"_s, 110)
                          .add(u"包厢性质"_s, 90)
                          .add(u"初始费用"_s, 70)
                          .add(u"门票价格"_s, 70)
                          .add(u"计费方式"_s, 80)
                          .add(u"容纳人数"_s, 70));
    guard(m_ctx.prompt, rooms);
    DataGrid *tags = m_ui->tagGrid;
    tags->setDatabase(m_ctx.db);
    tags->setColumns(GridColumns(Tags::TagTable)
                         .rowNumber()
                         .add(u"手牌号码"_s, 90)
                         .add(u"所属包厢"_s, 110)
                         .add(u"包厢性质"_s, 90)
                         .add(u"手牌状态"_s, 70)
                         .add(u"所在位置"_s, 120));
    tags->setFooterVisible(true);
    guard(m_ctx.prompt, tags);

    // A click, or Enter, on a room type shows its tags; moving through the list does not, so
    // that the tag list is not read again for every row passed.
    connect(rooms->view(), &QTableView::clicked, this, [this](const QModelIndex &index) { showTagsOfRow(index.row()); });
    connect(rooms, &DataGrid::rowActivated, this, &TSpSetFm::showTagsOfRow);
    connect(tags, &DataGrid::rowActivated, this, &TSpSetFm::editTag);

    connect(m_ui->addRoomTypeButton, &QPushButton::clicked, this, &TSpSetFm::addRoomType);
    connect(m_ui->editRoomTypeButton, &QPushButton::clicked, this, &TSpSetFm::editRoomType);
    connect(m_ui->deleteRoomTypeButton, &QPushButton::clicked, this, &TSpSetFm::deleteRoomType);
    connect(m_ui->addTagButton, &QPushButton::clicked, this, &TSpSetFm::addTag);
    connect(m_ui->addBatchButton, &QPushButton::clicked, this, &TSpSetFm::addBatch);
    connect(m_ui->editTagButton, &QPushButton::clicked, this, &TSpSetFm::editTag);
    connect(m_ui->deleteTagButton, &QPushButton::clicked, this, &TSpSetFm::deleteTag);
    // The board reads the room types and tags again whichever way the screen is left.
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TSpSetFm::accept);
}

TSpSetFm::~TSpSetFm() = default;

DataGrid *TSpSetFm::roomTypeGrid() const
{
    return m_ui->roomTypeGrid;
}

DataGrid *TSpSetFm::tagGrid() const
{
    return m_ui->tagGrid;
}

void TSpSetFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reload();
    QDialog::showEvent(event);
}

void TSpSetFm::reload()
{
    guard(m_ctx.prompt, this, [this] { m_ui->roomTypeGrid->setQuery(Tags::roomTypesQuery(), RowNumber); });
    showTags({});
}

void TSpSetFm::showTags(const QString &roomType)
{
    m_roomType = roomType;
    guard(m_ctx.prompt, this, [&] {
        m_ui->tagGrid->setQuery(roomType.isEmpty() ? Tags::allTagsQuery() : Tags::tagsOf(roomType), RowNumber);
    });
}

void TSpSetFm::showTagsOfRow(int row)
{
    if (row >= 0)
        showTags(m_ui->roomTypeGrid->value(row, u"包厢类型"_s).toString());
}

void TSpSetFm::refreshTags()
{
    guard(m_ctx.prompt, this, [this] { m_ui->tagGrid->refresh(); });
}

std::optional<qint64> TSpSetFm::requireRow(DataGrid *grid)
{
    const QVariant value = grid->value(grid->currentRow(), RowNumber);
    if (!value.isValid() || value.isNull()) {
        m_ctx.prompt.message(this, u"请先选择一条记录!"_s);
        return std::nullopt;
    }
    return value.toLongLong();
}

QString TSpSetFm::currentRoomType() const
{
    const DataGrid *rooms = m_ui->roomTypeGrid;
    return rooms->value(rooms->currentRow(), u"包厢类型"_s).toString();
}

void TSpSetFm::runDialog(QDialog &dialog, bool roomTypes)
{
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (roomTypes) {
        guard(m_ctx.prompt, this, [this] { m_ui->roomTypeGrid->refresh(); });
        // A renamed room type took its tags with it: the list shows them all again.
        showTags({});
    } else {
        refreshTags();
    }
}

void TSpSetFm::addRoomType()
{
    TBaoXiangFm dialog(m_ctx, std::nullopt, this);
    runDialog(dialog, true);
}

void TSpSetFm::editRoomType()
{
    if (const std::optional<qint64> row = requireRow(m_ui->roomTypeGrid)) {
        TBaoXiangFm dialog(m_ctx, row, this);
        runDialog(dialog, true);
    }
}

void TSpSetFm::deleteRoomType()
{
    const std::optional<qint64> row = requireRow(m_ui->roomTypeGrid);
    if (!row || !m_ctx.prompt.confirm(this, u"您是否要删除\" "_s + currentRoomType() + u"\""_s))
        return;
    if (guard(m_ctx.prompt, this, [&] { m_rules.removeRoomType(*row); }))
        guard(m_ctx.prompt, this, [this] { m_ui->roomTypeGrid->refresh(); });
}

void TSpSetFm::addTag()
{
    TEditSpFm dialog(m_ctx, std::nullopt, m_roomType.isEmpty() ? currentRoomType() : m_roomType, this);
    runDialog(dialog, false);
}

void TSpSetFm::addBatch()
{
    TAddSpFm dialog(m_ctx, m_roomType.isEmpty() ? currentRoomType() : m_roomType, this);
    runDialog(dialog, false);
}

void TSpSetFm::editTag()
{
    if (const std::optional<qint64> row = requireRow(m_ui->tagGrid)) {
        TEditSpFm dialog(m_ctx, row, {}, this);
        runDialog(dialog, false);
    }
}

void TSpSetFm::deleteTag()
{
    DataGrid *tags = m_ui->tagGrid;
    const std::optional<qint64> row = requireRow(tags);
    if (!row)
        return;
    const QString number = tags->value(tags->currentRow(), u"手牌号码"_s).toString();
    if (!m_ctx.prompt.confirm(this, u"您是否要删除\" "_s + number + u"\""_s))
        return;
    if (guard(m_ctx.prompt, this, [&] { m_rules.removeTag(*row); }))
        refreshTags();
}
