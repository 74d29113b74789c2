#include "BaoXiangUt.h"
#include "ui_BaoXiangUt.h"

#include "db/Refusal.h"
#include "widgets/Guard.h"
#include "widgets/RecordForm.h"

using namespace Qt::StringLiterals;

TBaoXiangFm::TBaoXiangFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TBaoXiangFm>()), m_ctx(ctx), m_rules(ctx.db),
      m_row(rowNumber)
{
    m_ui->setupUi(this);
    m_form = new RecordForm(Tags::RoomTypeTable, this);
    m_form->bind(u"包厢类型"_s, m_ui->nameEdit, u"包厢类型"_s)
        .bind(u"包厢性质"_s, m_ui->natureEdit, u"包厢性质"_s)
        .bind(u"计费方式"_s, m_ui->billingBox, u"计费方式"_s)
        .bind(u"门票价格"_s, m_ui->ticketEdit, u"门票价格"_s)
        .bind(u"容纳人数"_s, m_ui->capacityEdit, u"容纳人数"_s);
    guard(m_ctx.prompt, this, [this] {
        m_ui->billingBox->addItems(m_rules.billingMethods());
        m_ui->billingBox->setEditText(QString());
        if (m_row && !m_form->load(m_ctx.db, *m_row))
            throw Refusal(u"该包厢类型已被删除!"_s);
    });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TBaoXiangFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TBaoXiangFm::reject);
}

TBaoXiangFm::~TBaoXiangFm() = default;

void TBaoXiangFm::save()
{
    const bool written = guard(
        m_ctx.prompt, this,
        [&] {
            const ColumnValues values = m_form->values();
            if (m_row)
                m_rules.changeRoomType(*m_row, values);
            else
                m_row = m_rules.addRoomType(values);
        },
        [this](const QString &field) { m_form->focus(field); });
    if (written)
        accept();
}
