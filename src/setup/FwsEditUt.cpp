#include "FwsEditUt.h"
#include "ui_FwsEditUt.h"

#include "db/Refusal.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

using namespace Qt::StringLiterals;

TFwsEditFm::TFwsEditFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFwsEditFm>()), m_ctx(ctx), m_rules(ctx.db), m_row(rowNumber)
{
    m_ui->setupUi(this);
    m_ui->sexBox->addItems({u"男"_s, u"女"_s});

    // The box labelled 包厢性质 keeps the waiter's own 包厢性质, which the list and the waiter
    // picker show; 服务包厢 has its own box.
    m_form = new RecordForm(Waiters::Table, this);
    m_form->bind(u"服务生编号"_s, m_ui->numberEdit, m_ui->numberLabel->text())
        .bind(u"服务生姓名"_s, m_ui->nameEdit, m_ui->nameLabel->text())
        .bind(u"性别"_s, m_ui->sexBox, m_ui->sexLabel->text())
        .bind(u"状态"_s, m_ui->stateBox, m_ui->stateLabel->text())
        .bind(u"证件号码"_s, m_ui->idEdit, m_ui->idLabel->text())
        .bind(u"备注"_s, m_ui->remarkEdit, m_ui->remarkLabel->text())
        .bind(u"服务包厢"_s, m_ui->roomBox, m_ui->roomLabel->text())
        .bind(u"包厢性质"_s, m_ui->natureBox, m_ui->natureLabel->text())
        .bind(u"服务生等级"_s, m_ui->gradeBox, m_ui->gradeLabel->text())
        .bind(u"联系电话"_s, m_ui->phoneEdit, m_ui->phoneLabel->text());

    if (m_row) {
        guard(m_ctx.prompt, this, [this] {
            if (!m_form->load(m_ctx.db, *m_row))
                throw Refusal(u"该服务生已被删除!"_s);
        });
    } else {
        m_form->setValues(Waiters::presets());
    }

    connect(m_ui->saveButton, &QPushButton::clicked, this, &TFwsEditFm::save);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &TFwsEditFm::reject);
}

TFwsEditFm::~TFwsEditFm() = default;

void TFwsEditFm::save()
{
    const std::optional<ColumnValues> values = m_form->checkedValues(m_ctx.prompt, this);
    if (!values)
        return;
    const bool written = guard(
        m_ctx.prompt, this,
        [&] {
            if (m_row)
                m_rules.change(*m_row, *values);
            else
                m_row = m_rules.add(*values);
        },
        [this](const QString &field) { m_form->focus(field); });
    if (!written)
        return;
    m_saved = m_row;
    accept();
}

bool TFwsEditFm::edit(const ScreenContext &ctx, QWidget *parent, std::optional<qint64> rowNumber)
{
    TFwsEditFm dialog(ctx, rowNumber, parent);
    return dialog.exec() == QDialog::Accepted;
}
