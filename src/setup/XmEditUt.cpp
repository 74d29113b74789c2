#include "XmEditUt.h"
#include "ui_XmEditUt.h"

#include "db/Refusal.h"
#include "setup/AddXmUt.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"
#include "widgets/RecordForm.h"

#include <QEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

TXmEditFm::TXmEditFm(const ScreenContext &ctx, qint64 rowNumber, QWidget *parent)
    : TXmEditFm(ctx, std::optional<qint64>(rowNumber), parent)
{
}

TXmEditFm::TXmEditFm(const ScreenContext &ctx, std::optional<qint64> rowNumber, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TXmEditFm>()), m_ctx(ctx), m_rules(ctx.db), m_row(rowNumber)
{
    m_ui->setupUi(this);
    setObjectName(m_row ? u"TXmEditFm"_s : u"TAddXmFm"_s);
    setWindowTitle(m_row ? u"修改项目"_s : u"增加消费项目"_s);
    m_ui->serviceBox->addItems({u"是"_s, u"否"_s});

    m_form = new RecordForm(Catalogue::Table, this);
    m_form->bind(u"项目名"_s, m_ui->nameEdit, m_ui->nameLabel->text())
        .bind(u"所属类型"_s, m_ui->typeBox, m_ui->typeLabel->text())
        .bind(u"单价"_s, m_ui->priceEdit, m_ui->priceLabel->text())
        .bind(u"提成金额"_s, m_ui->commissionEdit, m_ui->commissionLabel->text())
        .bind(u"是否需要服务"_s, m_ui->serviceBox, m_ui->serviceLabel->text())
        .bind(u"打折率"_s, m_ui->rateEdit, m_ui->rateLabel->text());

    // A click into an amount selects it, so that typing replaces it.
    for (QWidget *amount :
         {static_cast<QWidget *>(m_ui->priceEdit), static_cast<QWidget *>(m_ui->commissionEdit),
          static_cast<QWidget *>(m_ui->rateEdit)})
        amount->installEventFilter(this);

    guard(m_ctx.prompt, this, [this] {
        const QStringList types = m_rules.itemTypes();
        if (m_row) {
            if (!m_form->load(m_ctx.db, *m_row))
                throw Refusal(u"该项目已被删除!"_s);
            const QString own = m_ui->typeBox->currentText();
            m_ui->typeBox->addItems(types);
            m_ui->typeBox->setEditText(own);
        } else {
            m_ui->typeBox->addItems(types);
            ColumnValues presets = Catalogue::presets();
            // With no item types, none is chosen; one can still be typed.
            presets.append({u"所属类型"_s, SqlValue::text(types.value(0))});
            m_form->setValues(presets);
        }
    });

    connect(m_ui->saveButton, &QPushButton::clicked, this, &TXmEditFm::save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TXmEditFm::reject);
}

TXmEditFm::~TXmEditFm() = default;

bool TXmEditFm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void TXmEditFm::save()
{
    const bool adding = !m_row;
    std::optional<ColumnValues> values;
    const bool written = guard(
        m_ctx.prompt, this,
        [&] {
            Catalogue::requireComplete({{u"所属类型"_s, m_ui->typeBox->currentText()},
                                        {u"是否需要服务"_s, m_ui->serviceBox->currentText()},
                                        {u"项目名"_s, m_ui->nameEdit->text()},
                                        {u"打折率"_s, m_ui->rateEdit->text()},
                                        {u"单价"_s, m_ui->priceEdit->text()},
                                        {u"提成金额"_s, m_ui->commissionEdit->text()}},
                                       adding);
            values = m_form->values();
            // An emptied commission box is no commission, not the old one kept.
            if (m_ui->commissionEdit->text().trimmed().isEmpty())
                values->append({u"提成金额"_s, SqlValue::money(Money())});
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

bool TXmEditFm::edit(const ScreenContext &ctx, QWidget *parent, std::optional<qint64> rowNumber)
{
    if (!rowNumber) {
        TAddXmFm dialog(ctx, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    TXmEditFm dialog(ctx, *rowNumber, parent);
    return dialog.exec() == QDialog::Accepted;
}
