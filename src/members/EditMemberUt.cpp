#include "EditMemberUt.h"
#include "ui_EditMemberUt.h"

#include "card/CardReader.h"
#include "db/Refusal.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

using namespace Qt::StringLiterals;

TEditMemberFm::TEditMemberFm(const ScreenContext &ctx, qint64 rowNumber, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TEditMemberFm>()), m_ctx(ctx), m_rules(ctx.db), m_row(rowNumber)
{
    m_ui->setupUi(this);
    m_ui->sexEdit->addItems({u"男"_s, u"女"_s});
    m_ui->writeCardButton->setEnabled(m_ctx.session.cardReaderStarted());

    // Dates are typed boxes: a member without a birth date keeps none rather than getting today.
    m_form = new RecordForm(Members::Table, this);
    m_form->bind(u"会员卡号"_s, m_ui->cardEdit, m_ui->cardLabel->text())
        .bind(u"会员姓名"_s, m_ui->nameEdit, m_ui->nameLabel->text())
        .bind(u"会员性别"_s, m_ui->sexEdit, m_ui->sexLabel->text())
        .bind(u"会员类型"_s, m_ui->typeEdit, m_ui->typeLabel->text())
        .bind(u"卡内金额"_s, m_ui->balanceEdit, m_ui->balanceLabel->text())
        .bind(u"当前积分"_s, m_ui->pointsEdit, m_ui->pointsLabel->text())
        .bind(u"当前状态"_s, m_ui->stateEdit, m_ui->stateLabel->text())
        .bind(u"出生日期"_s, m_ui->birthEdit, m_ui->birthLabel->text())
        .bind(u"登记日期"_s, m_ui->signupEdit, m_ui->signupLabel->text())
        .bind(u"联系电话"_s, m_ui->phoneEdit, m_ui->phoneLabel->text())
        .bind(u"备注"_s, m_ui->remarkEdit, m_ui->remarkLabel->text());

    guard(m_ctx.prompt, this, [this] {
        m_ui->typeEdit->addItems(m_rules.typeNames());
        if (!m_form->load(m_ctx.db, m_row))
            throw Refusal(u"该会员已被删除!"_s);
        m_loaded = m_form->values();
    });

    connect(m_ui->saveButton, &QPushButton::clicked, this, &TEditMemberFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TEditMemberFm::reject);
    connect(m_ui->writeCardButton, &QPushButton::clicked, this, &TEditMemberFm::writeCard);
}

TEditMemberFm::~TEditMemberFm() = default;

void TEditMemberFm::save()
{
    const std::optional<ColumnValues> values = m_form->checkedValues(m_ctx.prompt, this);
    if (!values)
        return;
    const bool written = guard(
        m_ctx.prompt, this, [&] { m_rules.change(m_row, *values, m_loaded); },
        [this](const QString &field) { m_form->focus(field); });
    if (written)
        accept();
}

void TEditMemberFm::writeCard()
{
    m_ctx.reader.writeCard(m_ui->cardEdit->text(), this);
}

bool TEditMemberFm::edit(const ScreenContext &ctx, QWidget *parent, qint64 rowNumber)
{
    TEditMemberFm dialog(ctx, rowNumber, parent);
    return dialog.exec() == QDialog::Accepted;
}
