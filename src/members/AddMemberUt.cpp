#include "AddMemberUt.h"
#include "ui_AddMemberUt.h"

#include "card/CardReader.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

using namespace Qt::StringLiterals;

TAddMemberFm::TAddMemberFm(const ScreenContext &ctx, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAddMemberFm>()), m_ctx(ctx), m_rules(ctx.db)
{
    m_ui->setupUi(this);
    setWindowTitle(Members::enrolCaption());
    m_ui->sexBox->addItems({u"男"_s, u"女"_s});
    guard(m_ctx.prompt, this, [this] { m_ui->typeBox->addItems(m_rules.typeNames()); });
    m_ui->typeBox->setCurrentIndex(m_ui->typeBox->count() > 0 ? 0 : -1);
    // Like checkout's "读卡", the card is reached only when the reader was started at login.
    m_ui->writeCardButton->setEnabled(m_ctx.session.cardReaderStarted());

    m_form = new RecordForm(Members::Table, this);
    m_form->bind(u"会员卡号"_s, m_ui->cardEdit, m_ui->cardLabel->text())
        .bind(u"会员姓名"_s, m_ui->nameEdit, m_ui->nameLabel->text())
        .bind(u"会员类型"_s, m_ui->typeBox, m_ui->typeLabel->text())
        .bind(u"会员性别"_s, m_ui->sexBox, m_ui->sexLabel->text())
        .bind(u"出生日期"_s, m_ui->birthEdit, m_ui->birthLabel->text())
        .bind(u"联系电话"_s, m_ui->phoneEdit, m_ui->phoneLabel->text())
        .bind(u"备注"_s, m_ui->remarkEdit, m_ui->remarkLabel->text());
    clear();

    connect(m_ui->saveButton, &QPushButton::clicked, this, &TAddMemberFm::save);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &TAddMemberFm::clear);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TAddMemberFm::reject);
    connect(m_ui->writeCardButton, &QPushButton::clicked, this, &TAddMemberFm::writeCard);
}

TAddMemberFm::~TAddMemberFm() = default;

void TAddMemberFm::save()
{
    const std::optional<ColumnValues> values = m_form->checkedValues(m_ctx.prompt, this);
    if (!values)
        return;
    const bool written = guard(
        m_ctx.prompt, this, [&] { m_saved = m_rules.enrol(*values); },
        [this](const QString &field) { m_form->focus(field); });
    if (!written)
        return;
    m_ctx.prompt.message(this, u"保存成功!"_s);
    accept();
}

// The type and the birth date stay: the next member is often of the same kind.
void TAddMemberFm::clear()
{
    m_ui->cardEdit->clear();
    m_ui->nameEdit->clear();
    m_ui->phoneEdit->clear();
    m_ui->sexBox->setCurrentIndex(0);
    m_ui->remarkEdit->setPlainText(u"无"_s);
    m_ui->cardEdit->setFocus();
}

void TAddMemberFm::writeCard()
{
    m_ctx.reader.writeCard(m_ui->cardEdit->text(), this);
}

bool TAddMemberFm::enrol(const ScreenContext &ctx, QWidget *parent)
{
    TAddMemberFm dialog(ctx, parent);
    dialog.exec();
    // "保存" closes the screen; whatever way it was left, the register reads its rows again.
    return true;
}
