#include "ChongZhiUt.h"
#include "ui_ChongZhiUt.h"

#include "db/Money.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

TChongZhiFm::TChongZhiFm(const ScreenContext &ctx, qint64 memberRow, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TChongZhiFm>()), m_ctx(ctx), m_rules(ctx.db), m_row(memberRow)
{
    m_ui->setupUi(this);
    // Whole amounts only, typed or pasted; the sign comes from "充负数".
    m_ui->amountEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,8}"_s), this));
    m_ui->operatorLabel->setText(u"营业员: "_s + m_ctx.session.operatorName());
    load();

    connect(m_ui->rechargeButton, &QPushButton::clicked, this, &TChongZhiFm::rechargeNow);
    connect(m_ui->amountEdit, &QLineEdit::returnPressed, this, &TChongZhiFm::rechargeNow);
    connect(m_ui->backButton, &QPushButton::clicked, this, &TChongZhiFm::reject);
    m_ui->amountEdit->setFocus();
}

TChongZhiFm::~TChongZhiFm() = default;

void TChongZhiFm::load()
{
    guard(m_ctx.prompt, this, [this] {
        const std::optional<ColumnValues> row = Records::read(
            m_ctx.db, Members::Table, m_row, {u"会员卡号"_s, u"卡内金额"_s, u"会员姓名"_s, u"会员类型"_s});
        if (!row)
            throw Refusal(u"该会员已被删除，不能充值!"_s);
        m_found = true;
        m_ui->cardEdit->setText(row->at(0).second.textValue());
        m_ui->balanceEdit->setText(row->at(1).second.moneyValue().toString());
        m_ui->nameEdit->setText(row->at(2).second.textValue());
        m_ui->typeEdit->setText(row->at(3).second.textValue());
    });
}

void TChongZhiFm::rechargeNow()
{
    const QString typed = m_ui->amountEdit->text().trimmed();
    if (typed.isEmpty()) {
        m_ctx.prompt.message(this, u"请输入充值数值！"_s, Prompt::Icon::Warning);
        m_ui->amountEdit->setFocus();
        return;
    }
    if (!m_found || m_ui->nameEdit->text().isEmpty()) {
        m_ctx.prompt.message(this, u"请先输入会员卡号并按回车键！"_s, Prompt::Icon::Warning);
        return;
    }
    std::optional<Money> amount = Money::parse(typed);
    if (!amount) {
        m_ctx.prompt.message(this, u"充值金额必须是金额!"_s, Prompt::Icon::Warning);
        m_ui->amountEdit->setFocus();
        return;
    }
    if (m_ui->negativeBox->isChecked())
        amount = -*amount;
    Money balance;
    const bool done = guard(m_ctx.prompt, this, [&] {
        balance = m_rules.recharge(m_row, *amount, m_ui->remarkEdit->toPlainText(), m_ctx.session.operatorName());
    });
    if (!done)
        return;
    m_ui->balanceEdit->setText(balance.toString());
    m_ctx.prompt.message(this, u"充值成功！"_s);
    accept();
}

bool TChongZhiFm::recharge(const ScreenContext &ctx, QWidget *parent, qint64 memberRow)
{
    TChongZhiFm dialog(ctx, memberRow, parent);
    return dialog.exec() == QDialog::Accepted;
}
