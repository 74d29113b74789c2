#include "EditSpUt.h"
#include "ui_EditSpUt.h"

#include "db/Refusal.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

using namespace Qt::StringLiterals;

TEditSpFm::TEditSpFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, const QString &roomType,
                     QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TEditSpFm>()), m_ctx(ctx), m_rules(ctx.db), m_row(rowNumber)
{
    m_ui->setupUi(this);
    m_ui->stateBox->addItems(Tags::settableStates());
    m_form = new RecordForm(Tags::TagTable, this);
    m_form->bind(u"手牌号码"_s, m_ui->numberEdit, u"手牌号码"_s)
        .bind(u"所属包厢"_s, m_ui->roomBox, u"所属包厢"_s)
        .bind(u"包厢性质"_s, m_ui->natureEdit, u"包厢性质"_s)
        .bind(u"手牌状态"_s, m_ui->stateBox, u"手牌状态"_s)
        .bind(u"所在位置"_s, m_ui->locationEdit, u"所在位置"_s);
    guard(m_ctx.prompt, this, [&] {
        m_ui->roomBox->addItems(m_rules.roomTypeNames());
        if (m_row) {
            if (!m_form->load(m_ctx.db, *m_row))
                throw Refusal(u"该手牌已被删除!"_s);
        } else {
            m_ui->roomBox->setCurrentIndex(m_ui->roomBox->findText(roomType));
        }
    });
    // The state is chosen anew each time, a change included.
    m_ui->stateBox->setCurrentIndex(-1);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TEditSpFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TEditSpFm::reject);
}

TEditSpFm::~TEditSpFm() = default;

void TEditSpFm::save()
{
    const bool written = guard(
        m_ctx.prompt, this,
        [&] {
            const ColumnValues values = m_form->values();
            if (m_row)
                m_rules.changeTag(*m_row, values);
            else
                m_row = m_rules.addTag(values);
        },
        [this](const QString &field) { m_form->focus(field); });
    if (!written)
        return;
    m_ctx.prompt.message(this, u"添加成功！"_s, Prompt::Icon::Warning);
    accept();
}
