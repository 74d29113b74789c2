// One guest party's whole road on the real windows: the board, opening a group bill,
// adding a service with its waiter, and a member settling by card.
#include "app/MainUt.h"
#include "card/CardReader.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

template<class T> T *child(QDialog *d, const QString &name)
{
    return childNamed<T>(d, name);
}

void click(QDialog *d, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton);
}

void enter(QDialog *d, const QString &edit, const QString &text)
{
    auto *e = child<QLineEdit>(d, edit);
    e->setText(text);
    QTest::keyClick(e, Qt::Key_Return);
}

// What the cashier does on each screen the board opens.
void cashier(QDialog *d)
{
    const QString title = d->windowTitle();
    if (title == u"顾客开单"_s) {
        auto *free = child<QListWidget>(d, u"freeList"_s);
        const QList<QListWidgetItem *> a2 = free->findItems(u"A2"_s, Qt::MatchExactly);
        QVERIFY(!a2.isEmpty());
        free->setCurrentItem(a2.first());
        click(d, u"joinButton"_s);
        click(d, u"openButton"_s);
    } else if (title == u"增加消费"_s) {
        auto *catalogue = child<DataGrid>(d, u"catalogueGrid"_s);
        for (int row = 0; row < catalogue->loadedRowCount(); ++row) {
            if (catalogue->value(row, u"项目名"_s).toString() == u"中式足疗"_s)
                catalogue->setCurrentRow(row);
        }
        child<QLineEdit>(d, u"quantityEdit"_s)->setText(u"1"_s);
        click(d, u"addButton"_s); // opens the waiter picker, answered below
        click(d, u"closeButton"_s);
    } else if (title == u"选择服务生"_s) {
        auto *waiters = child<DataGrid>(d, u"waiterGrid"_s);
        waiters->setCurrentRow(1);
        QCOMPARE(waiters->value(1, u"服务生编号"_s).toString(), u"007"_s);
        click(d, u"chooseButton"_s);
    } else if (title == u"顾客结帐"_s) {
        enter(d, u"EditCard"_s, u"8001"_s);
        enter(d, u"EditPassword"_s, u"1234"_s);
        child<QRadioButton>(d, u"RadioCard"_s)->setChecked(true);
        click(d, u"ButtonSettle"_s);
    }
}

} // namespace

class TestGuestRoad : public QObject
{
    Q_OBJECT
private slots:
    void fromAFreeTagToASettledBill();
};

void TestGuestRoad::fromAFreeTagToASettledBill()
{
    TestDatabase t(u"sqlite"_s);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s, u"38"_s);
    addTag(db, u"A1"_s, u"大厅"_s, u"可用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"可用"_s);
    addTag(db, u"A3"_s, u"大厅"_s, u"可用"_s);
    db.execute(Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(u"中式足疗"_s)},
                                                   {u"单价"_s, SqlValue::money(Money::fromUnits(128))},
                                                   {u"打折率"_s, SqlValue::real(0.9)},
                                                   {u"提成金额"_s, SqlValue::money(Money::fromUnits(20))},
                                                   {u"是否需要服务"_s, SqlValue::text(u"是"_s)}}));
    db.execute(Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(u"可乐"_s)},
                                                   {u"单价"_s, SqlValue::money(Money::fromUnits(8))},
                                                   {u"打折率"_s, SqlValue::real(1)},
                                                   {u"是否需要服务"_s, SqlValue::text(u"否"_s)}}));
    for (const auto &[number, name] : {std::pair{u"001"_s, u"王芳"_s}, std::pair{u"007"_s, u"李小红"_s}})
        db.execute(Statement::insert(u"服务生管理"_s, {{u"服务生编号"_s, SqlValue::text(number)},
                                                       {u"服务生姓名"_s, SqlValue::text(name)},
                                                       {u"状态"_s, SqlValue::text(u"空闲"_s)}}));
    addMemberType(db, u"金卡"_s, 0.85);
    addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"500"_s, 0);

    RunState run = runState(db, t.baseDir());
    ScriptedPrompt prompt;
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(run.ini, t.baseDir());
    CardReader reader(*device, prompt);
    TMainFm board(run, prompt, reader);
    board.show();
    ModalCloser screens(cashier);
    const auto action = [&](const QString &name) { board.findChild<QAction *>(name)->trigger(); };

    QVERIFY(board.selectTag(u"A1"_s));
    action(u"toolOpenBill"_s);
    QCOMPARE(*std::as_const(screens.captions).begin(), u"顾客开单"_s);
    QCOMPARE(count(db, u"手牌开单"_s), 2);
    QCOMPARE(count(db, u"手牌消费"_s), 2); // a ticket line per tag
    QCOMPARE(board.selectedState(), std::optional<TagState>(TagState::Occupied));

    QVERIFY(board.selectTag(u"A1"_s));
    action(u"toolAddConsume"_s);
    Cursor line = db.query(Statement(u"select * from 手牌消费 where 项目名="_s).text(u"中式足疗"_s));
    QVERIFY(line.next());
    QCOMPARE(line.text(u"服务生编号"_s), u"007"_s);
    QCOMPARE(line.text(u"服务生姓名"_s), u"李小红"_s);
    QCOMPARE(line.text(u"主手牌号"_s), u"A1"_s);
    QCOMPARE(line.money(u"合计"_s).toString(), u"115.2"_s);

    QVERIFY(board.selectTag(u"A1"_s));
    action(u"toolCheckout"_s);
    QCOMPARE(screens.captions,
             (QStringList{u"顾客开单"_s, u"增加消费"_s, u"选择服务生"_s, u"顾客结帐"_s}));
    QVERIFY(prompt.shown.contains(u"谢谢光临！"_s));
    // The board shows nothing of the settled bill: no details, no lines.
    QCOMPARE(board.findChild<QLabel *>(u"lblState"_s)->text(), QString());
    QCOMPARE(board.findChild<QLabel *>(u"lblAmount"_s)->text(), QString());
    QCOMPARE(board.findChild<DataGrid *>(u"DBGrid1"_s)->loadedRowCount(), 0);

    Cursor bill = db.query(Statement(u"select * from 结帐管理"_s));
    QVERIFY(bill.next());
    QCOMPARE(bill.text(u"结帐单号"_s), u"1"_s);
    QCOMPARE(bill.money(u"消费金额"_s).toString(), u"191.2"_s);
    QCOMPARE(bill.money(u"实收金额"_s).toString(), u"162.52"_s);
    QCOMPARE(bill.text(u"结帐方式"_s), u"卡内扣除"_s);
    QCOMPARE(bill.text(u"会员卡号"_s), u"8001"_s);
    QCOMPARE(bill.text(u"顾客姓名"_s), u"会员8001"_s);
    QCOMPARE(count(db, u"结帐明细"_s), 3);
    QCOMPARE(count(db, u"服务生提成"_s), 1);
    QCOMPARE(db.scalar(Statement(u"select 编号 from 服务生提成"_s)).toString(), u"007"_s);
    Cursor member = db.query(Statement(u"select * from 会员管理"_s));
    QVERIFY(member.next());
    QCOMPARE(member.money(u"卡内金额"_s).toString(), u"337.48"_s);
    QCOMPARE(member.integer(u"当前积分"_s), 163);
    QCOMPARE(count(db, u"手牌开单"_s), 0);
    QCOMPARE(count(db, u"手牌消费"_s), 0);
    QCOMPARE(db.scalar(Statement(u"select count(*) from 手牌管理 where 手牌状态='可用'"_s)).toInt(), 3);
    QCOMPARE(db.scalar(Statement(u"select 单据号 from 单据号"_s)).toInt(), 1);
}

QTEST_MAIN(TestGuestRoad)
#include "tst_guest_road.moc"
