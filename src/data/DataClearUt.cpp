#include "DataClearUt.h"
#include "ui_DataClearUt.h"

#include "data/DataClear.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

TDataClearFm::TDataClearFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TDataClearFm>()), m_ctx(ctx)
{
    m_ui->setupUi(this);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &TDataClearFm::clearChosen);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TDataClearFm::reject);
}

TDataClearFm::~TDataClearFm() = default;

void TDataClearFm::clearChosen()
{
    const std::optional<QString> typed =
        m_ctx.prompt.inputText(this, u"输入密码"_s, u"输入正确的密码后才能执行删除任务:"_s, QString(), true);
    if (!DataClear::passwordMatches(typed.value_or(QString()))) {
        m_ctx.prompt.message(this, u"密码错误!"_s, Prompt::Icon::Warning);
        return;
    }
    if (!m_ctx.prompt.confirm(this, u"您是否真的要删除?"_s))
        return;
    DataClear::Choice choice;
    choice.commissions = m_ui->commissionsBox->isChecked();
    choice.business = m_ui->businessBox->isChecked();
    choice.recharges = m_ui->rechargesBox->isChecked();
    if (!guard(m_ctx.prompt, this, [&] { DataClear::clear(m_ctx.db, choice); }))
        return;
    m_ctx.prompt.message(this, u"清理完毕！"_s);
    accept();
}
