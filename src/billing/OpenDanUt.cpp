#include "OpenDanUt.h"

#include "ui_OpenDanUt.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

#include <QShowEvent>

using namespace Qt::StringLiterals;

TOpenDanFm::TOpenDanFm(const ScreenContext &ctx, const QString &masterTag, const QString &roomType,
                       QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TOpenDanFm>()), m_ctx(ctx), m_master(masterTag),
      m_roomType(roomType)
{
    m_ui->setupUi(this);
    connect(m_ui->joinButton, &QPushButton::clicked, this, &TOpenDanFm::joinSelected);
    connect(m_ui->leaveButton, &QPushButton::clicked, this, &TOpenDanFm::leaveSelected);
    connect(m_ui->freeList, &QListWidget::itemDoubleClicked, this, &TOpenDanFm::join);
    connect(m_ui->billList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { leave(item); });
    connect(m_ui->openButton, &QPushButton::clicked, this, &TOpenDanFm::openBill);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TOpenDanFm::reject);
}

TOpenDanFm::~TOpenDanFm() = default;

void TOpenDanFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        load();
    QDialog::showEvent(event);
}

void TOpenDanFm::load()
{
    m_ui->masterLabel->setText(m_master);
    m_ui->freeList->clear();
    m_ui->billList->clear();
    guard(m_ctx.prompt, this, [this] {
        m_charges = OpenBill::roomCharges(m_ctx.db, m_roomType);
        m_ui->initialFeeLabel->setText(m_charges.initialFee.toString());
        m_ui->ticketLabel->setText(m_charges.ticket.toString());
        m_ui->roomTypeLabel->setText(m_roomType);
        m_ui->totalLabel->setText(m_charges.total().toString());
        for (const QString &tag : OpenBill::freeTags(m_ctx.db, m_roomType, m_master))
            addFree(tag);
    });
    addToBill(m_master);
}

QStringList TOpenDanFm::billTags() const
{
    QStringList tags;
    for (int i = 0; i < m_ui->billList->topLevelItemCount(); ++i)
        tags << m_ui->billList->topLevelItem(i)->text(0);
    return tags;
}

QStringList TOpenDanFm::freeTags() const
{
    QStringList tags;
    for (int i = 0; i < m_ui->freeList->count(); ++i)
        tags << m_ui->freeList->item(i)->text();
    return tags;
}

void TOpenDanFm::addFree(const QString &tag)
{
    new QListWidgetItem(Icons::tagState(0), tag, m_ui->freeList);
}

void TOpenDanFm::addToBill(const QString &tag)
{
    m_ui->billList->addTopLevelItem(new QTreeWidgetItem(QStringList{tag}));
}

void TOpenDanFm::join(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString tag = item->text();
    delete item;
    addToBill(tag);
}

void TOpenDanFm::leave(QTreeWidgetItem *item)
{
    // The bill is opened on the master tag: it cannot leave its own bill.
    if (!item || item->text(0) == m_master)
        return;
    const QString tag = item->text(0);
    delete item;
    addFree(tag);
}

void TOpenDanFm::joinSelected()
{
    join(m_ui->freeList->selectedItems().value(0));
}

void TOpenDanFm::leaveSelected()
{
    leave(m_ui->billList->selectedItems().value(0));
}

// After a tag was found taken: the tags still free that the bill does not hold, and the bill
// without the tags (other than the master) that are free no longer.
void TOpenDanFm::reloadFreeTags()
{
    const QStringList free = OpenBill::freeTags(m_ctx.db, m_roomType, m_master);
    for (int i = m_ui->billList->topLevelItemCount() - 1; i >= 0; --i) {
        const QString tag = m_ui->billList->topLevelItem(i)->text(0);
        if (tag != m_master && !free.contains(tag))
            delete m_ui->billList->takeTopLevelItem(i);
    }
    const QStringList held = billTags();
    m_ui->freeList->clear();
    for (const QString &tag : free) {
        if (!held.contains(tag))
            addFree(tag);
    }
}

void TOpenDanFm::openBill()
{
    OpenBill::Request request;
    request.master = m_master;
    request.tags = billTags();
    request.roomType = m_roomType;
    request.charges = m_charges;
    request.customer = m_ui->customerEdit->text();
    request.deposit = m_ui->depositEdit->text();
    request.remark = m_ui->remarkEdit->toPlainText();
    request.operatorName = m_ctx.session.operatorName();
    request.now = QDateTime::currentDateTime();
    const bool opened = guard(m_ctx.prompt, this, [&] {
        try {
            OpenBill::open(m_ctx.db, request);
        } catch (const OpenBill::BadDeposit &) {
            m_ui->depositEdit->setFocus();
            m_ui->depositEdit->selectAll();
            throw;
        } catch (const OpenBill::TagTaken &) {
            // The lists show what is free now; the operator chooses again.
            reloadFreeTags();
            throw;
        }
    });
    if (opened)
        accept();
}
