// The checkout screen: what it shows, member lookup and rates through its keys, the
// checks before writing, and that leaving writes nothing.
#include "billing/CheckOutUt.h"
#include "card/CardReader.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

struct Screen
{
    explicit Screen(const Permissions &flags = Permissions::all()) : t(u"sqlite"_s)
    {
        const Database &db = t.db();
        setBillCounter(db, 41);
        addMemberType(db, u"金卡"_s, 0.85);
        addMemberType(db, u"银卡"_s, 0.875);
        addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"100"_s, 500);
        addMember(db, u"8002"_s, u"5678"_s, u"银卡"_s, u"0"_s, 0);
        for (const QString &tag : {u"A1"_s, u"A2"_s}) {
            addTag(db, tag, u"大厅"_s, u"占用"_s);
            openBill(db, tag, u"A1"_s, QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)), u"50"_s);
        }
        addFullLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"150"_s, 1, 1, u"10"_s);
        addFullLine(db, u"A2"_s, u"A1"_s, u"茶水"_s, u"25"_s, 1, 2, QString());
        run = runState(db, t.baseDir());
        run.permissions = flags;
        rig = std::make_unique<ScreenRig>(run, prompt);
        open();
    }
    void open()
    {
        screen = std::make_unique<TCheckOutFm>(rig->context, u"A1"_s);
        screen->show();
    }
    QString label(const QString &name) const { return screen->findChild<QLabel *>(name)->text(); }
    QLineEdit *edit(const QString &name) const { return screen->findChild<QLineEdit *>(name); }
    void click(const QString &name) const
    {
        QTest::mouseClick(screen->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    void enter(const QString &name, const QString &text) const
    {
        edit(name)->setText(text);
        QTest::keyClick(edit(name), Qt::Key_Return);
    }
    qint64 rows(const QString &table) const { return count(t.db(), table); }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ScreenRig> rig;
    std::unique_ptr<TCheckOutFm> screen;
};

} // namespace

class TestCheckoutScreen : public QObject
{
    Q_OBJECT
private slots:
    void showsTheBillOnOpening();
    void memberLookupAppliesTheTypeRateToTheReceivedAmount();
    void rateIsAppliedToTheConsumptionOnce();
    void failedLookupForgetsTheEarlierMember();
    void leavingWritesNothingAndKeepsTheNumber();
    void freeBillNeedsItsPermission();
    void receivedAmountIsCheckedBeforeWriting();
    void settlingByCardWritesTheBill();
    void previewShowsTheScreenAndWritesNothing();
};

void TestCheckoutScreen::showsTheBillOnOpening()
{
    Screen s;
    QCOMPARE(s.screen->windowTitle(), u"顾客结帐"_s);
    QCOMPARE(s.label(u"lblBillNo"_s), u"42"_s);
    QCOMPARE(s.label(u"lblTag"_s), u"A1"_s);
    QCOMPARE(s.label(u"lblConsumption"_s), u"200"_s);
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"200"_s);
    QCOMPARE(s.label(u"lblCustomer"_s), u"散客"_s);
    QCOMPARE(s.label(u"lblDeposit"_s), u"50"_s);
    QCOMPARE(s.label(u"lblArrival"_s), u"2026-12-09 10:00:00"_s);
    QCOMPARE(s.edit(u"EditRate"_s)->text(), u"1"_s);
    QCOMPARE(s.edit(u"EditCard"_s)->text(), u"1"_s);
    QCOMPARE(s.edit(u"EditCard"_s)->selectedText(), u"1"_s);
    QCOMPARE(s.edit(u"EditRemark"_s)->text(), u"无"_s);
    QCOMPARE(s.label(u"lblMemberCard"_s), u"非会员"_s);
    QCOMPARE(s.label(u"lblMemberName"_s), u"散客"_s);
    QCOMPARE(s.label(u"lblPoints"_s), u"0"_s);
    QCOMPARE(s.label(u"lblBalance"_s), u"0"_s);
    auto *tags = s.screen->findChild<QListWidget *>(u"ListTags"_s);
    QCOMPARE(tags->count(), 2);
    QCOMPARE(tags->item(1)->text(), u"A2"_s);
    QCOMPARE(s.screen->findChild<DataGrid *>(u"DBGrid1"_s)->totalCount(), 2);
    QVERIFY(!s.screen->findChild<QPushButton *>(u"ButtonReadCard"_s)->isEnabled()); // reader not started
    QVERIFY(!s.screen->findChild<QPushButton *>(u"ButtonCredit"_s)->isVisible());
    QVERIFY(s.screen->findChild<QRadioButton *>(u"RadioCash"_s)->isChecked());
}

void TestCheckoutScreen::memberLookupAppliesTheTypeRateToTheReceivedAmount()
{
    Screen s;
    s.enter(u"EditCard"_s, u"8001"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    QVERIFY(s.prompt.shown.isEmpty());
    QCOMPARE(s.label(u"lblMemberCard"_s), u"8001"_s);
    QCOMPARE(s.label(u"lblMemberName"_s), u"会员8001"_s);
    QCOMPARE(s.label(u"lblCustomer"_s), u"会员8001"_s);
    QCOMPARE(s.label(u"lblMemberType"_s), u"金卡"_s);
    QCOMPARE(s.label(u"lblPoints"_s), u"500"_s);
    QCOMPARE(s.label(u"lblBalance"_s), u"100"_s);
    QCOMPARE(s.edit(u"EditRate"_s)->text(), u"0.85"_s);
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"170"_s);
    QCOMPARE(s.label(u"lblConsumption"_s), u"200"_s); // the lookup leaves the consumption alone

    Screen silver;
    silver.enter(u"EditCard"_s, u"8002"_s);
    silver.enter(u"EditPassword"_s, u"5678"_s);
    QCOMPARE(silver.edit(u"EditRate"_s)->text(), u"0.88"_s);
    QCOMPARE(silver.edit(u"EditReceived"_s)->text(), u"176"_s);
}

// The received amount is the consumption at the rate shown, however often Enter is pressed or
// a member is looked up; what the rate box shows is what was charged.
void TestCheckoutScreen::rateIsAppliedToTheConsumptionOnce()
{
    Screen s;
    s.enter(u"EditRate"_s, u"0.9"_s);
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"180"_s);
    QTest::keyClick(s.edit(u"EditRate"_s), Qt::Key_Return);
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"180"_s);
    QCOMPARE(s.label(u"lblConsumption"_s), u"200"_s);
    // a member's rate replaces the typed one rather than multiplying it
    s.enter(u"EditCard"_s, u"8001"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    QCOMPARE(s.edit(u"EditRate"_s)->text(), u"0.85"_s);
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"170"_s);
    QVERIFY(s.prompt.shown.isEmpty());

    // what is not a rate is refused as typed, never rewritten into another number
    for (const QString &bad : {u"0a.7-"_s, u"1e30"_s, u"0"_s, u"5"_s}) {
        s.enter(u"EditRate"_s, bad);
        QCOMPARE(s.edit(u"EditRate"_s)->text(), bad);
        QCOMPARE(s.prompt.last(), u"打折率必须是大于0且不大于1的数字!"_s);
        QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"170"_s);
    }
    // nothing received for a bill of 200 is not settled as paid
    s.enter(u"EditRate"_s, u"0.85"_s);
    s.edit(u"EditReceived"_s)->setText(u"0"_s);
    s.click(u"ButtonSettle"_s);
    QVERIFY(s.prompt.last().contains(u"免单[F3]"_s));
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    // a received amount that is no plain number is refused, not read as another
    s.edit(u"EditReceived"_s)->setText(u"1,5"_s);
    s.click(u"ButtonSettle"_s);
    QCOMPARE(s.prompt.last(), u"实收金额必须是数字!"_s);
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
}

void TestCheckoutScreen::failedLookupForgetsTheEarlierMember()
{
    Screen s;
    s.enter(u"EditCard"_s, u"8001"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    QVERIFY(s.screen->member().has_value());
    s.enter(u"EditCard"_s, u"8002"_s);
    s.enter(u"EditPassword"_s, u"wrong"_s);
    QCOMPARE(s.prompt.shown,
             QStringList{u"没有找到该会员的信息，请检查该会员是否处于停用状态，或者是您密码错误！"_s});
    QVERIFY(!s.screen->member().has_value());
    QCOMPARE(s.label(u"lblMemberCard"_s), u"非会员"_s);
    QCOMPARE(s.label(u"lblCustomer"_s), u"散客"_s);
    QCOMPARE(s.edit(u"EditRate"_s)->text(), u"1"_s); // the member's discount went with the member
    QCOMPARE(s.edit(u"EditReceived"_s)->text(), u"200"_s);
    QVERIFY(s.edit(u"EditPassword"_s)->text().isEmpty());
    QCOMPARE(s.edit(u"EditCard"_s)->selectedText(), u"8002"_s);

    s.click(u"ButtonSettle"_s);
    QCOMPARE(s.t.db().scalar(Statement(u"select 会员卡号 from 结帐管理"_s)).toString(), u"非会员"_s);
    QCOMPARE(s.t.db().scalar(Statement(u"select 当前积分 from 会员管理 where 会员卡号='8001'"_s)).toInt(), 500);
}

void TestCheckoutScreen::leavingWritesNothingAndKeepsTheNumber()
{
    Screen s;
    s.click(u"ButtonExit"_s);
    QCOMPARE(s.screen->result(), int(QDialog::Rejected));
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    QCOMPARE(s.rows(u"手牌消费"_s), 2);
    s.open();
    QCOMPARE(s.label(u"lblBillNo"_s), u"42"_s);
}

void TestCheckoutScreen::freeBillNeedsItsPermission()
{
    Permissions flags = Permissions::all();
    flags.set(Permission::FreeBill, false);
    Screen s(flags);
    s.click(u"ButtonFree"_s);
    QCOMPARE(s.prompt.shown, QStringList{u"操作失败:您没有免单权限,请让有更高权限的人来操作!"_s});
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    QVERIFY(s.screen->isVisible());

    Screen allowed;
    allowed.click(u"ButtonFree"_s);
    QCOMPARE(allowed.prompt.shown, QStringList{u"谢谢光临！"_s});
    QCOMPARE(allowed.t.db().scalar(Statement(u"select 状态 from 结帐管理"_s)).toString(), u"免单"_s);
    QCOMPARE(allowed.screen->result(), int(QDialog::Accepted));
}

void TestCheckoutScreen::receivedAmountIsCheckedBeforeWriting()
{
    Screen s;
    for (const QString &bad : {QString(), u"."_s, u"1.2.3"_s}) {
        s.edit(u"EditReceived"_s)->setText(bad);
        s.click(u"ButtonSettle"_s);
        QCOMPARE(s.prompt.last(), u"实收金额必须是数字!"_s);
    }
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    QCOMPARE(s.rows(u"手牌消费"_s), 2);
}

void TestCheckoutScreen::settlingByCardWritesTheBill()
{
    Screen s;
    s.screen->findChild<QRadioButton *>(u"RadioCard"_s)->setChecked(true);
    s.click(u"ButtonSettle"_s); // nobody's card to charge yet
    QCOMPARE(s.prompt.shown, QStringList{u"卡内扣除前请先输入会员卡号和密码,找到会员后再结帐!"_s});
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    s.prompt.shown.clear();
    s.enter(u"EditCard"_s, u"8001"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    s.screen->findChild<QRadioButton *>(u"RadioCard"_s)->setChecked(true);
    s.edit(u"EditRemark"_s)->setText(u"老客户"_s);
    s.click(u"ButtonSettle"_s);
    QCOMPARE(s.prompt.shown, QStringList{u"谢谢光临！"_s});
    QCOMPARE(s.screen->settledNumber(), 42);
    const Database &db = s.t.db();
    Cursor c = db.query(Statement(u"select * from 结帐管理"_s));
    QVERIFY(c.next());
    QCOMPARE(c.text(u"结帐单号"_s), u"42"_s);
    QCOMPARE(c.money(u"实收金额"_s).toString(), u"170"_s);
    QCOMPARE(c.money(u"消费金额"_s).toString(), u"200"_s);
    QCOMPARE(c.text(u"结帐方式"_s), u"卡内扣除"_s);
    QCOMPARE(c.text(u"会员卡号"_s), u"8001"_s);
    QCOMPARE(c.text(u"备注"_s), u"老客户"_s);
    QCOMPARE(c.text(u"营业员"_s), u"超级管理员"_s);
    QCOMPARE(c.dateTime(u"进店时间"_s), QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
    QCOMPARE(db.moneyFrom(db.scalar(Statement(u"select 卡内金额 from 会员管理 where 会员卡号='8001'"_s))).toString(),
             u"-70"_s);
    QCOMPARE(s.rows(u"结帐明细"_s), 2);
    QCOMPARE(s.rows(u"服务生提成"_s), 1);
    QCOMPARE(s.rows(u"手牌开单"_s), 0);
}

void TestCheckoutScreen::previewShowsTheScreenAndWritesNothing()
{
    Screen s;
    s.run.shopName = u"清水湾浴场"_s;
    s.open();
    s.enter(u"EditCard"_s, u"8001"_s);
    s.enter(u"EditPassword"_s, u"1234"_s);
    s.screen->findChild<QRadioButton *>(u"RadioCard"_s)->setChecked(true);
    const ReceiptValues v = s.screen->receiptValues();
    QCOMPARE(v.shopName, u"清水湾浴场"_s);
    QCOMPARE(v.billNumber, u"42"_s);
    QCOMPARE(v.memberName, u"会员8001"_s);
    QCOMPARE(v.points, u"500"_s);
    QCOMPARE(v.balance, u"100"_s);
    QCOMPARE(v.received, u"170"_s);
    QCOMPARE(v.rate, u"0.85"_s);
    QVERIFY(v.cardPayment);

    ModalCloser preview;
    s.click(u"ButtonPreview"_s);
    s.screen->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.screen.get()));
    QTest::keyClick(s.screen.get(), Qt::Key_F1);
    QCOMPARE(preview.captions.size(), 2); // the button and F1 both preview
    QCOMPARE(s.rows(u"结帐管理"_s), 0);
    QCOMPARE(s.rows(u"手牌消费"_s), 2);
    QCOMPARE(s.t.db().scalar(Statement(u"select 单据号 from 单据号"_s)).toInt(), 41);
    QVERIFY(s.screen->isVisible());
}

QTEST_MAIN(TestCheckoutScreen)
#include "tst_checkout_screen.moc"
