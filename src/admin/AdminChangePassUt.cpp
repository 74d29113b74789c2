#include "AdminChangePassUt.h"
#include "ui_AdminChangePassUt.h"

#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QDateTime>
#include <QShowEvent>

using namespace Qt::StringLiterals;

TAdminChangePassFm::TAdminChangePassFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAdminChangePassFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &TAdminChangePassFm::save);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &TAdminChangePassFm::reject);
}

TAdminChangePassFm::~TAdminChangePassFm() = default;

void TAdminChangePassFm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        m_ui->operatorName->setText(m_ctx.session.operatorName());
        m_ui->oldEdit->clear();
        m_ui->newEdit->clear();
        m_ui->confirmEdit->clear();
        m_ui->oldEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void TAdminChangePassFm::save()
{
    const bool changed = guard(m_ctx.prompt, this, [this] {
        m_rules.changePassword(m_ctx.session.operatorName(), m_ui->oldEdit->text(), m_ui->newEdit->text(),
                               m_ui->confirmEdit->text(), QDateTime::currentDateTime());
    });
    if (!changed)
        return;
    m_ctx.prompt.message(this, u"修改成功！"_s);
    accept();
}
