#include "HYChangePassUt.h"
#include "ui_HYChangePassUt.h"

#include "widgets/Guard.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

THYChangePassFm::THYChangePassFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::THYChangePassFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &THYChangePassFm::save);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &THYChangePassFm::reject);
    m_ui->cardEdit->setFocus();
}

THYChangePassFm::~THYChangePassFm() = default;

void THYChangePassFm::save()
{
    const bool changed = guard(m_ctx.prompt, this, [this] {
        m_rules.changePassword(m_ui->cardEdit->text(), m_ui->oldEdit->text(), m_ui->newEdit->text(),
                               m_ui->confirmEdit->text());
    });
    if (!changed)
        return;
    m_ctx.prompt.message(this, u"修改成功！"_s);
    accept();
}
