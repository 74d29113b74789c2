#include "AddSpUt.h"
#include "ui_AddSpUt.h"

#include "db/Refusal.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

TAddSpFm::TAddSpFm(const ScreenContext &ctx, const QString &roomType, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAddSpFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    // Digits only; what is too long for a number is refused on "保存" with its own message.
    auto *digits = new QRegularExpressionValidator(QRegularExpression(u"[0-9]*"_s), this);
    m_ui->startEdit->setValidator(digits);
    m_ui->endEdit->setValidator(digits);
    guard(m_ctx.prompt, this, [&] {
        m_ui->roomBox->addItems(m_rules.roomTypeNames());
        m_ui->roomBox->setEditText(roomType);
    });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TAddSpFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TAddSpFm::reject);
}

TAddSpFm::~TAddSpFm() = default;

void TAddSpFm::save()
{
    const TagBatch batch{m_ui->markerEdit->text(), m_ui->frontRadio->isChecked(), m_ui->startEdit->text(),
                         m_ui->endEdit->text(),    m_ui->roomBox->currentText(),  m_ui->locationEdit->text(),
                         m_ui->natureEdit->text()};
    const bool written = guard(
        m_ctx.prompt, this, [&] { m_rules.addBatch(batch); },
        [this](const QString &field) {
            if (field == u"start"_s)
                m_ui->startEdit->setFocus();
            else if (field == u"end"_s)
                m_ui->endEdit->setFocus();
            else
                m_ui->roomBox->setFocus();
        });
    if (!written)
        return;
    m_ctx.prompt.message(this, u"手牌批量添加成功！"_s, Prompt::Icon::Warning);
    accept();
}
