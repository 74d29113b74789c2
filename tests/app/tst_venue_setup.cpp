// A venue set up from a delivered database on the real windows alone: a room type, a batch of
// tags, the catalogue, a waiter and a cashier who may only open bills and settle them; then
// the cashier logs in, opens a bill that is served and settled, and finds the rest disabled.
#include "app/LgUt.h"
#include "app/MainUt.h"
#include "admin/AdminUt.h"
#include "card/CardReader.h"
#include "session/Operators.h"
#include "setup/FormDriver.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

void trigger(const QWidget *w, const QString &text)
{
    for (QAction *a : w->findChildren<QAction *>()) {
        if (a->text() == text && a->isEnabled()) {
            a->trigger();
            return;
        }
    }
    QFAIL(qPrintable(w->objectName() + u" has no enabled action "_s + text));
}

struct Item
{
    QString name, price, commission, service;
};
const QList<Item> Items{{u"泰式按摩"_s, u"168"_s, u"30"_s, u"是"_s},
                        {u"可乐"_s, u"8"_s, u"0"_s, u"否"_s},
                        {u"搓澡"_s, u"25"_s, u"5"_s, u"是"_s}};

// What the manager does on each window the set-up opens.
void manager(QDialog *d)
{
    using namespace FormDriver;
    static int item = 0;
    const QString title = d->windowTitle();
    if (title == u"手牌与包厢设置"_s) {
        click(d, u"添加"_s); // the room types' button
        click(d, u"批量添加"_s);
    } else if (title == u"包厢设置"_s) {
        type(d, u"包厢类型:"_s, u"大厅"_s);
        type(d, u"门票价格:"_s, u"0"_s);
        type(d, u"容纳人数:"_s, u"1"_s);
        click(d, u"保存"_s);
    } else if (title == u"批量添加手牌"_s) {
        type(d, u"标记字符:"_s, u"SP"_s);
        type(d, u"起始数值:"_s, u"1"_s);
        type(d, u"终止数值:"_s, u"20"_s);
        type(d, u"包厢类型:"_s, u"大厅"_s);
        click(d, u"保存"_s);
    } else if (title == u"项目/商品库管理"_s) {
        for (item = 0; item < Items.size(); ++item)
            trigger(d, u"添加"_s);
    } else if (title == u"增加消费项目"_s) {
        const Item &i = Items.at(item);
        type(d, u"项目名"_s, i.name);
        type(d, u"单价"_s, i.price);
        type(d, u"提成金额"_s, i.commission);
        type(d, u"打折率"_s, u"1"_s);
        type(d, u"是否需要服务"_s, i.service);
        click(d, u"保存"_s);
    } else if (title == u"服务生管理"_s) {
        trigger(d, u"添加"_s);
    } else if (title == u"服务生"_s) {
        type(d, u"服务生编号"_s, u"007"_s);
        type(d, u"服务生姓名"_s, u"李小红"_s);
        click(d, u"保存"_s);
    } else if (title == Operators::caption()) {
        auto *admin = qobject_cast<TAdminFm *>(d);
        QVERIFY(admin);
        click(d, u"添加"_s);
        type(d, u"用户名:"_s, u"收银员"_s);
        for (const Permission p : {Permission::OpenBill, Permission::Checkout}) {
            QCheckBox *b = admin->box(p);
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        }
        click(d, u"保存"_s);
        click(d, u"退出"_s);
    } else if (title == u"顾客开单"_s) {
        QTest::mouseClick(childNamed<QPushButton>(d, u"openButton"_s), Qt::LeftButton);
    } else if (title == u"增加消费"_s) {
        auto *catalogue = childNamed<DataGrid>(d, u"catalogueGrid"_s);
        for (int row = 0; row < catalogue->loadedRowCount(); ++row) {
            if (catalogue->value(row, u"项目名"_s).toString() == u"泰式按摩"_s)
                catalogue->setCurrentRow(row);
        }
        childNamed<QLineEdit>(d, u"quantityEdit"_s)->setText(u"1"_s);
        QTest::mouseClick(childNamed<QPushButton>(d, u"addButton"_s), Qt::LeftButton);
        QTest::mouseClick(childNamed<QPushButton>(d, u"closeButton"_s), Qt::LeftButton);
    } else if (title == u"选择服务生"_s) {
        childNamed<DataGrid>(d, u"waiterGrid"_s)->setCurrentRow(0);
        QTest::mouseClick(childNamed<QPushButton>(d, u"chooseButton"_s), Qt::LeftButton);
    } else if (title == u"顾客结帐"_s) {
        childNamed<QRadioButton>(d, u"RadioCash"_s)->setChecked(true);
        QTest::mouseClick(childNamed<QPushButton>(d, u"ButtonSettle"_s), Qt::LeftButton);
    }
}

} // namespace

class TestVenueSetup : public QObject
{
    Q_OBJECT
private slots:
    void aDeliveredDatabaseBecomesAWorkingVenue_data() { TestDatabase::addKindRows(); }
    void aDeliveredDatabaseBecomesAWorkingVenue();
};

void TestVenueSetup::aDeliveredDatabaseBecomesAWorkingVenue()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    ScriptedPrompt prompt;
    ModalCloser windows(manager);

    // The delivered operator sets the venue up on his board.
    RunState managerRun = runState(db, t.baseDir());
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(managerRun.ini, t.baseDir());
    CardReader reader(*device, prompt);
    TMainFm setup(managerRun, prompt, reader);
    setup.show();
    const auto use = [](const TMainFm &board, const QString &name) {
        auto *a = board.findChild<QAction *>(name);
        QVERIFY(a && a->isEnabled());
        a->trigger();
    };
    for (const QString &entry : {u"actSpSet"_s, u"actXm"_s, u"actFwsGl"_s, u"actAdmin"_s})
        use(setup, entry);
    QCOMPARE(count(db, u"包厢类型"_s), 1);
    QCOMPARE(db.scalar(Statement(u"select count(*) from 手牌管理 where 所属包厢="_s).text(u"大厅"_s)).toInt(), 20);
    QCOMPARE(db.scalar(Statement(u"select count(*) from 手牌管理 where 手牌号码="_s).text(u"SP20"_s)).toInt(), 1);
    QCOMPARE(count(db, u"商品项目库"_s), 3);
    QCOMPARE(count(db, u"服务生管理"_s), 1);
    QCOMPARE(count(db, u"管理员"_s), 2);
    QVERIFY(!prompt.shown.contains(u"用户名必须填写！"_s));

    // The cashier logs in with the default password.
    RunState loginRun = runState(db, t.baseDir());
    loginRun.CurrentOperator.clear();
    loginRun.permissions = Permissions();
    TLgFm login(std::move(loginRun), prompt);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    login.findChild<QComboBox *>(u"ComboBox1"_s)->setEditText(u"收银员"_s);
    login.findChild<QLineEdit *>(u"Edit1"_s)->setText(Operators::defaultPassword());
    QTest::mouseClick(login.findChild<QPushButton *>(u"Button1"_s), Qt::LeftButton);
    TMainFm *board = login.mainWindow();
    QVERIFY(board);
    QCOMPARE(login.run().CurrentOperator, u"收银员"_s);

    // Only opening and settling are the cashier's; so is changing his own password.
    for (const QString &allowed : {u"toolOpenBill"_s, u"toolCheckout"_s, u"actAdminChangePass"_s})
        QVERIFY2(board->findChild<QAction *>(allowed)->isEnabled(), qPrintable(allowed));
    for (const QString &barred : {u"toolAddConsume"_s, u"toolXm"_s, u"toolMember"_s, u"actXm"_s, u"actSpSet"_s,
                                  u"actSetData"_s, u"actFwsGl"_s, u"actAdmin"_s, u"actDataClear"_s,
                                  u"actBackup"_s, u"actRestore"_s, u"actSysInfo"_s, u"actMemberType"_s})
        QVERIFY2(!board->findChild<QAction *>(barred)->isEnabled(), qPrintable(barred));
    QVERIFY(!board->findChild<QMenu *>(u"menuQuery"_s)->menuAction()->isEnabled());

    QVERIFY(board->selectTag(u"SP1"_s));
    use(*board, u"toolOpenBill"_s);
    QCOMPARE(count(db, u"手牌开单"_s), 1);

    // Serving is not the cashier's: the manager's counter adds the massage with its waiter.
    setup.PageControl1Change(); // the tab read again, as a click on it does
    QVERIFY(setup.selectTag(u"SP1"_s));
    use(setup, u"toolAddConsume"_s);
    QCOMPARE(db.scalar(Statement(u"select 服务生姓名 from 手牌消费 where 项目名="_s).text(u"泰式按摩"_s)).toString(),
             u"李小红"_s);

    QVERIFY(board->selectTag(u"SP1"_s));
    use(*board, u"toolCheckout"_s);
    QVERIFY(prompt.shown.contains(u"谢谢光临！"_s));
    Cursor bill = db.query(Statement(u"select * from 结帐管理"_s));
    QVERIFY(bill.next());
    QCOMPARE(bill.money(u"消费金额"_s).toString(), u"168"_s);
    QCOMPARE(bill.text(u"结帐方式"_s), u"现金支付"_s);
    QCOMPARE(db.scalar(Statement(u"select 编号 from 服务生提成"_s)).toString(), u"007"_s);
    QCOMPARE(count(db, u"手牌开单"_s), 0);
    QCOMPARE(db.scalar(Statement(u"select 手牌状态 from 手牌管理 where 手牌号码="_s).text(u"SP1"_s)).toString(),
             u"可用"_s);

    prompt.confirmAnswers = {true, true};
    board->close();
    setup.close();
}

QTEST_MAIN(TestVenueSetup)
#include "tst_venue_setup.moc"
