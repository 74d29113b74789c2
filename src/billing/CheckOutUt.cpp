#include "CheckOutUt.h"

#include "card/CardReader.h"
#include "db/DateTimeText.h"
#include "report/DataSet.h"
#include "report/Receipt.h"
#include "ui_CheckOutUt.h"
#include "widgets/Guard.h"
#include "widgets/Prompt.h"

#include <QAction>
#include <QMouseEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

TCheckOutFm::TCheckOutFm(const ScreenContext &ctx, const QString &tag, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TCheckOutFm>()), m_ctx(ctx), m_tag(tag)
{
    m_ui->setupUi(this);
    // The rate and the received amount are checked when used, not filtered as they are typed:
    // a filter that drops characters would turn "1e30" into 130 without a word.
    m_ui->EditRate->installEventFilter(this);

    m_ui->DBGrid1->setDatabase(m_ctx.db);
    m_ui->DBGrid1->setColumns(GridColumns(u"手牌消费"_s)
                                  .rowNumber()
                                  .add(u"项目名"_s, 100)
                                  .add(u"实际单价"_s, 60)
                                  .add(u"数量"_s, 40)
                                  .add(u"手牌号码"_s, 60)
                                  .add(u"主手牌号"_s, 60)
                                  .add(u"合计"_s, 60)
                                  .add(u"服务生编号"_s, 70)
                                  .add(u"营业员"_s, 70)
                                  .add(u"消费时间"_s, 140));
    guard(m_ctx.prompt, m_ui->DBGrid1);

    // The function keys live in a menu that is never shown.
    const struct
    {
        QString text;
        Qt::Key key;
        std::function<void()> run;
    } keys[] = {
        {u"打印结帐单"_s, Qt::Key_F1, [this] { preview(); }},
        {u"结帐"_s, Qt::Key_F2, [this] { settle(false); }},
        {u"免单"_s, Qt::Key_F3, [this] { settle(true); }},
        {u"挂帐"_s, Qt::Key_F4, [] {}},
        {u"退出"_s, Qt::Key_F5, [this] { reject(); }},
    };
    for (const auto &k : keys) {
        auto *action = new QAction(k.text, this);
        action->setShortcut(QKeySequence(k.key));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, k.run);
        addAction(action);
    }

    connect(m_ui->ButtonSettle, &QPushButton::clicked, this, [this] { settle(false); });
    connect(m_ui->ButtonFree, &QPushButton::clicked, this, [this] { settle(true); });
    connect(m_ui->ButtonPreview, &QPushButton::clicked, this, &TCheckOutFm::preview);
    connect(m_ui->ButtonExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->ButtonReadCard, &QPushButton::clicked, this, &TCheckOutFm::readCard);
    connect(m_ui->EditCard, &QLineEdit::returnPressed, this, [this] { m_ui->EditPassword->setFocus(); });
    connect(m_ui->EditPassword, &QLineEdit::returnPressed, this, &TCheckOutFm::lookUpMember);
    connect(m_ui->EditRate, &QLineEdit::returnPressed, this, &TCheckOutFm::applyRate);

    load();
}

TCheckOutFm::~TCheckOutFm() = default;

bool TCheckOutFm::eventFilter(QObject *watched, QEvent *event)
{
    // A click in the rate box selects all of it, ready for a new rate.
    if (watched == m_ui->EditRate && event->type() == QEvent::MouseButtonPress) {
        QTimer::singleShot(0, m_ui->EditRate, &QLineEdit::selectAll);
        m_ui->EditRate->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TCheckOutFm::load()
{
    m_ui->ButtonReadCard->setEnabled(m_ctx.session.cardReaderStarted());
    m_ui->EditRate->setText(u"1"_s);
    m_ui->lblTag->setText(m_tag);
    m_ui->EditPassword->clear();
    m_ui->EditRemark->setText(u"无"_s);
    m_ui->EditCard->setText(u"1"_s);
    resetMember();
    m_ui->EditCard->setFocus();
    m_ui->EditCard->selectAll();
    guard(m_ctx.prompt, this, [this] {
        m_bill = Checkout::load(m_ctx.db, m_tag);
        m_ui->lblBillNo->setText(QString::number(m_bill.shownNumber));
        m_ui->lblCustomer->setText(m_bill.customerName);
        m_ui->lblDeposit->setText(m_bill.deposit.toString());
        m_ui->lblArrival->setText(DateTimeText::dateTime(m_bill.arrival));
        m_ui->ListTags->clear();
        m_ui->ListTags->addItems(m_bill.tagList);
        m_ui->lblConsumption->setText(m_bill.total.toString());
        m_ui->EditReceived->setText(m_bill.total.toString());
        m_ui->DBGrid1->setQuery(Checkout::linesQuery(m_tag));
    });
}

void TCheckOutFm::resetMember()
{
    m_member.reset();
    m_ui->lblMemberCard->setText(u"非会员"_s);
    m_ui->lblMemberName->setText(u"散客"_s);
    m_ui->lblMemberType->setText(u"散客"_s);
    m_ui->lblPoints->setText(u"0"_s);
    m_ui->lblBalance->setText(u"0"_s);
}

void TCheckOutFm::lookUpMember()
{
    std::optional<Checkout::Member> found;
    std::optional<double> rate;
    const bool read = guard(m_ctx.prompt, this, [&] {
        found = Checkout::lookUp(m_ctx.db, m_ui->EditCard->text(), m_ui->EditPassword->text());
        if (found)
            rate = Checkout::typeRate(m_ctx.db, found->type);
    });
    if (!read || !found) {
        if (read)
            m_ctx.prompt.message(this, Checkout::memberNotFoundMessage(), Prompt::Icon::Warning);
        forgetMember();
        m_ui->EditPassword->clear();
        m_ui->EditCard->setFocus();
        m_ui->EditCard->selectAll();
        return;
    }
    m_member = found;
    m_ui->lblMemberCard->setText(found->cardNumber);
    m_ui->lblMemberName->setText(found->name);
    m_ui->lblCustomer->setText(found->name);
    m_ui->lblMemberType->setText(found->type);
    m_ui->lblPoints->setText(QString::number(found->points));
    m_ui->lblBalance->setText(found->balance.toString());
    // The member's rate replaces any rate applied before; a type the venue no longer has
    // charges the full amount.
    m_ui->EditRate->setText(rate ? Checkout::rateText(*rate) : u"1"_s);
    applyRate();
}

// No member counts as identified until a lookup succeeds again, and the member's discount
// goes with the member.
void TCheckOutFm::forgetMember()
{
    if (!m_member)
        return;
    resetMember();
    m_ui->lblCustomer->setText(m_bill.customerName);
    m_ui->EditRate->setText(u"1"_s);
    m_ui->EditReceived->setText(m_bill.total.toString());
}

// The received amount is the bill's total at the rate, however often the rate is applied.
void TCheckOutFm::applyRate()
{
    const bool applied = guard(m_ctx.prompt, this, [this] {
        m_ui->EditReceived->setText(Checkout::applyRate(m_bill.total, m_ui->EditRate->text()).toString());
    });
    if (!applied) {
        m_ui->EditRate->setFocus();
        m_ui->EditRate->selectAll();
    }
}

void TCheckOutFm::readCard()
{
    m_ui->EditCard->setText(m_ctx.reader.readCard(this));
    m_ui->EditPassword->setFocus();
}

void TCheckOutFm::settle(bool free)
{
    if (free && !m_ctx.session.has(Permission::FreeBill)) {
        m_ctx.prompt.message(this, Checkout::noFreeBillPermissionMessage(), Prompt::Icon::Warning);
        return;
    }
    const std::optional<Money> received = Money::parse(m_ui->EditReceived->text());
    if (!received) {
        m_ctx.prompt.message(this, Checkout::badReceivedAmountMessage(), Prompt::Icon::Warning);
        m_ui->EditReceived->setFocus();
        return;
    }
    if (!free && m_ui->RadioCard->isChecked() && !m_member) {
        m_ctx.prompt.message(this, Checkout::cardNeedsMemberMessage(), Prompt::Icon::Warning);
        m_ui->EditCard->setFocus();
        m_ui->EditCard->selectAll();
        return;
    }
    Checkout::Settlement s;
    s.tag = m_tag;
    s.shownNumber = m_bill.shownNumber;
    s.lineIds = m_bill.lineIds;
    s.arrival = m_bill.arrival;
    s.consumption = m_bill.total;
    s.received = *received;
    s.payment = m_ui->RadioCard->isChecked() ? Checkout::Payment::Card : Checkout::Payment::Cash;
    s.member = m_member;
    s.customerName = m_member ? m_member->name : m_bill.customerName;
    s.remark = m_ui->EditRemark->text();
    s.operatorName = m_ctx.session.operatorName();
    const bool settled = guard(m_ctx.prompt, this, [&] {
        const Checkout::Outcome out = free ? Checkout::settleFree(m_ctx.db, s, QDateTime::currentDateTime())
                                           : Checkout::settle(m_ctx.db, s, QDateTime::currentDateTime());
        m_settledNumber = out.billNumber;
        m_ctx.prompt.message(this, Checkout::closingMessage(out));
    });
    if (settled)
        accept();
}

ReceiptValues TCheckOutFm::receiptValues() const
{
    ReceiptValues v;
    v.shopName = m_ctx.session.shopName();
    v.shopTel = m_ctx.session.shopTel();
    v.billNumber = QString::number(m_bill.shownNumber);
    v.memberName = m_member ? m_member->name : QString();
    v.points = m_member ? QString::number(m_member->points) : u"0"_s;
    v.balance = m_member ? m_member->balance.toString() : u"0"_s;
    v.received = m_ui->EditReceived->text();
    v.rate = m_ui->EditRate->text();
    v.cardPayment = m_ui->RadioCard->isChecked();
    return v;
}

void TCheckOutFm::preview()
{
    // The receipt shows the screen as it stands, before settling; nothing is written.
    guard(m_ctx.prompt, this, [this] {
        const DataSet lines = DataSet::fromQuery(m_ctx.db, Checkout::orderedLinesQuery(m_tag), u"手牌消费"_s);
        Receipt::preview(this, lines, receiptValues(), m_ctx.prompt);
    });
}
