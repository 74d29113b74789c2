#include "SpStatusUt.h"
#include "ui_SpStatusUt.h"

#include "widgets/Guard.h"
#include "widgets/Icons.h"
#include "widgets/Prompt.h"

using namespace Qt::StringLiterals;

TSpStatusFm::TSpStatusFm(const ScreenContext &ctx, const QString &tag, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TSpStatusFm>()), m_ctx(ctx), m_rules(ctx.db), m_tag(tag)
{
    m_ui->setupUi(this);
    m_ui->freeButton->setIcon(Icons::tagState(int(TagState::Free)));
    m_ui->reserveButton->setIcon(Icons::tagState(int(TagState::Reserved)));
    m_ui->disableButton->setIcon(Icons::tagState(int(TagState::Disabled)));
    m_ui->tagLabel->setText(m_tag);
    guard(m_ctx.prompt, this, [this] { m_state = m_rules.stateOf(m_tag); });
    m_ui->stateLabel->setText(m_state.value_or(QString()));
    connect(m_ui->freeButton, &QPushButton::clicked, this, [this] { change(TagState::Free); });
    connect(m_ui->reserveButton, &QPushButton::clicked, this, [this] { change(TagState::Reserved); });
    connect(m_ui->disableButton, &QPushButton::clicked, this, [this] { change(TagState::Disabled); });
}

TSpStatusFm::~TSpStatusFm() = default;

void TSpStatusFm::change(TagState target)
{
    if (m_state == tagStateText(TagState::Occupied)) {
        m_ctx.prompt.message(this, u"该手牌处于占用状态，请先结帐！"_s);
        return;
    }
    // The rules test the stored state again: a bill opened at another counter meanwhile wins.
    if (guard(m_ctx.prompt, this, [&] { m_rules.setState(m_tag, target); }))
        accept();
}
