// Opening a bill: the fees and free tags read for the screen, the rows written per tag, the
// deposit check and the all-or-nothing marking of tags; then the screen that drives it.
#include "billing/OpenBill.h"
#include "billing/OpenDanUt.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QString Hall = u"大厅"_s;
const QString Free = u"可用"_s;
const QString Occupied = u"占用"_s;

void setInitialFee(const Database &db, const QString &roomType, const QString &fee)
{
    db.execute(Statement(u"update 包厢类型 set 初始费用="_s)
                   .money(*Money::parse(fee))
                   .sql(u" where 包厢类型="_s)
                   .text(roomType));
}

QString stateOf(const Database &db, const QString &tag)
{
    return db.scalar(Statement(u"select 手牌状态 from 手牌管理 where 手牌号码="_s).text(tag)).toString();
}

// The hall charges a ticket of 20 and an initial fee of 10; A1..A4 free, B1 free in another room
// type, A5 occupied, A6 reserved, A7 disabled.
void addHall(const Database &db, const QString &ticket = u"20"_s)
{
    addRoomType(db, Hall, ticket);
    setInitialFee(db, Hall, u"10"_s);
    addRoomType(db, u"VIP"_s, u"50"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s})
        addTag(db, tag, Hall, Free);
    addTag(db, u"B1"_s, u"VIP"_s, Free);
    addTag(db, u"A5"_s, Hall, Occupied);
    addTag(db, u"A6"_s, Hall, u"预定"_s);
    addTag(db, u"A7"_s, Hall, u"停用"_s);
}

OpenBill::Request request(const Database &db, const QStringList &tags, const QString &deposit = u"0"_s)
{
    OpenBill::Request r;
    r.master = tags.value(0);
    r.tags = tags;
    r.roomType = Hall;
    r.charges = OpenBill::roomCharges(db, Hall);
    r.customer = u"张三"_s;
    r.deposit = deposit;
    r.remark = u"生日"_s;
    r.operatorName = u"收银甲"_s;
    r.now = QDateTime(QDate(2026, 3, 14), QTime(20, 15, 30));
    return r;
}

// The screen over a fresh hall, opened for master A1 and shown.
struct Screen
{
    explicit Screen(const QString &ticket = u"20"_s) : t(u"sqlite"_s)
    {
        addHall(t.db(), ticket);
        run = runState(t.db(), t.baseDir());
        rig = std::make_unique<ScreenRig>(run, prompt);
        form = std::make_unique<TOpenDanFm>(rig->context, u"A1"_s, Hall);
        form->show();
    }

    template <class T> T *child(const QString &name) const { return childNamed<T>(form.get(), name); }
    QString label(const QString &name) const { return child<QLabel>(name)->text(); }
    void click(const QString &name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // Selects the tag in the free list (nothing when absent) and presses "->".
    void join(const QString &tag) const
    {
        auto *list = child<QListWidget>(u"freeList"_s);
        list->clearSelection();
        for (QListWidgetItem *item : list->findItems(tag, Qt::MatchExactly))
            item->setSelected(true);
        click(u"joinButton"_s);
    }
    void leave(const QString &tag) const
    {
        auto *list = child<QTreeWidget>(u"billList"_s);
        list->clearSelection();
        for (QTreeWidgetItem *item : list->findItems(tag, Qt::MatchExactly))
            item->setSelected(true);
        click(u"leaveButton"_s);
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ScreenRig> rig;
    std::unique_ptr<TOpenDanFm> form;
};

// The tag an opening was refused for; empty when the bill was opened.
QString takenBy(const Database &db, const OpenBill::Request &r)
{
    try {
        OpenBill::open(db, r);
    } catch (const OpenBill::TagTaken &e) {
        return e.tag();
    }
    return {};
}

} // namespace

class TestOpenBill : public QObject
{
    Q_OBJECT
private slots:
    // the rules, on every kind of database
    void chargesAndFreeTags_data() { TestDatabase::addKindRows(); }
    void chargesAndFreeTags();
    void groupWritesOneBillAndOneTicketPerTag_data() { TestDatabase::addKindRows(); }
    void groupWritesOneBillAndOneTicketPerTag();
    void freeTicketWritesNoLine_data() { TestDatabase::addKindRows(); }
    void freeTicketWritesNoLine();
    void depositMustBeAnAmount_data();
    void depositMustBeAnAmount();
    void tagTakenMeanwhileWritesNothing_data() { TestDatabase::addKindRows(); }
    void tagTakenMeanwhileWritesNothing();
    // the screen
    void showFillsTheScreenAndTagsMove();
    void enterOpensTheGroup();
    void leavingWritesNothing_data();
    void leavingWritesNothing();
    void refusalsKeepTheScreenOpen();
};

void TestOpenBill::chargesAndFreeTags()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHall(db, u"12.5"_s);
    setInitialFee(db, Hall, u"30"_s);

    const OpenBill::RoomCharges charges = OpenBill::roomCharges(db, Hall);
    QCOMPARE(charges.initialFee.toString(), u"30"_s);
    QCOMPARE(charges.ticket.toString(), u"12.5"_s);
    QCOMPARE(charges.total().toString(), u"42.5"_s);
    QCOMPARE(OpenBill::roomCharges(db, u"没有这个房型"_s).total(), Money());

    // never the master, another room type's tags, or a tag in any state but free
    QCOMPARE(OpenBill::freeTags(db, Hall, u"A2"_s), (QStringList{u"A1"_s, u"A3"_s, u"A4"_s}));
    QCOMPARE(OpenBill::freeTags(db, u"VIP"_s, u"B1"_s), QStringList());
    // without a master tag, every free tag of the room type
    QCOMPARE(OpenBill::freeTags(db, Hall, QString()), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s}));
}

void TestOpenBill::groupWritesOneBillAndOneTicketPerTag()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHall(db);
    const OpenBill::Request r = request(db, {u"A2"_s, u"A4"_s, u"A1"_s}, u" 100.5 "_s);

    OpenBill::open(db, r);

    for (const QString &tag : r.tags)
        QCOMPARE(stateOf(db, tag), Occupied);
    QCOMPARE(stateOf(db, u"A3"_s), Free);

    Cursor bills = db.query(Statement(u"select * from 手牌开单 order by id"_s));
    QStringList billed;
    while (bills.next()) {
        billed << bills.text(u"手牌号码"_s);
        QCOMPARE(bills.text(u"包厢类型"_s), Hall);
        QCOMPARE(bills.text(u"包厢性质"_s), u"无"_s);
        QCOMPARE(bills.text(u"顾客姓名"_s), u"张三"_s);
        QCOMPARE(bills.money(u"押金金额"_s).toString(), u"100.5"_s);
        QCOMPARE(bills.money(u"合计金额"_s).toString(), u"30"_s); // initial fee + ticket
        QCOMPARE(bills.dateTime(u"进店时间"_s), r.now);
        QCOMPARE(bills.text(u"备注"_s), u"生日"_s);
        QCOMPARE(bills.text(u"主手牌号"_s), u"A2"_s);
    }
    QCOMPARE(billed, r.tags); // in list order, the master first

    Cursor lines = db.query(Statement(u"select * from 手牌消费 order by id"_s));
    QStringList ticketed;
    while (lines.next()) {
        ticketed << lines.text(u"手牌号码"_s);
        QCOMPARE(lines.text(u"项目名"_s), u"门票"_s);
        QCOMPARE(lines.money(u"单价"_s).toString(), u"20"_s);
        QCOMPARE(lines.money(u"实际单价"_s).toString(), u"20"_s);
        QCOMPARE(lines.integer(u"数量"_s), 1);
        QCOMPARE(lines.real(u"打折率"_s), 1.0);
        QCOMPARE(lines.money(u"合计"_s).toString(), u"20"_s);
        QCOMPARE(lines.dateTime(u"消费时间"_s), r.now);
        QCOMPARE(lines.text(u"是否计时"_s), u"否"_s);
        QCOMPARE(lines.text(u"状态"_s), u"消费完毕"_s);
        QCOMPARE(lines.text(u"服务生编号"_s), u"无"_s);
        QVERIFY(lines.text(u"服务生姓名"_s).isEmpty());
        QCOMPARE(lines.text(u"营业员"_s), u"收银甲"_s);
        QCOMPARE(lines.text(u"打折对象"_s), u"好汉"_s);
        QCOMPARE(lines.text(u"主手牌号"_s), u"A2"_s);
    }
    QCOMPARE(ticketed, r.tags);
}

void TestOpenBill::freeTicketWritesNoLine()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHall(db, u"0"_s);
    OpenBill::open(db, request(db, {u"A1"_s, u"A2"_s}));
    QCOMPARE(count(db, u"手牌开单"_s), 2);
    QCOMPARE(count(db, u"手牌消费"_s), 0);
    QCOMPARE(stateOf(db, u"A1"_s), Occupied);
    QCOMPARE(stateOf(db, u"A2"_s), Occupied);
    // the initial fee alone still makes the bill's amount
    Cursor c = db.query(Statement(u"select 合计金额 from 手牌开单"_s));
    QVERIFY(c.next());
    QCOMPARE(c.money(u"合计金额"_s).toString(), u"10"_s);
}

void TestOpenBill::depositMustBeAnAmount_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("deposit");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");
    for (const QString &kind : TestDatabase::availableKinds()) {
        const auto row = [&kind](const char *name, const QString &deposit, bool accepted,
                                 const QString &message = OpenBill::badDepositMessage()) {
            QTest::addRow("%s %s", qPrintable(kind), name) << kind << deposit << accepted << message;
        };
        row("empty", QString(), false);
        row("words", u"一百"_s, false);
        row("trailing letters", u"100元"_s, false);
        row("negative", u"-50"_s, false, OpenBill::negativeDepositMessage());
        row("beyond the limit", u"100000000"_s, false, u"押金金额必须小于100000000!"_s);
        row("nought", u"0"_s, true);
        row("decimal", u"99.99"_s, true);
        row("just below the limit", u"99999999.99"_s, true);
    }
}

void TestOpenBill::depositMustBeAnAmount()
{
    QFETCH(QString, kind);
    QFETCH(QString, deposit);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHall(db);
    if (!accepted) {
        try {
            OpenBill::open(db, request(db, {u"A1"_s, u"A2"_s}, deposit));
            QFAIL("a deposit that is no amount was accepted");
        } catch (const OpenBill::BadDeposit &e) {
            QCOMPARE(e.text(), message);
        }
        QCOMPARE(stateOf(db, u"A1"_s), Free);
        QCOMPARE(count(db, u"手牌开单"_s), 0);
        QCOMPARE(count(db, u"手牌消费"_s), 0);
        return;
    }
    OpenBill::open(db, request(db, {u"A1"_s, u"A2"_s}, deposit));
    Cursor c = db.query(Statement(u"select 押金金额 from 手牌开单"_s));
    while (c.next()) // the same deposit on every bill of the group
        QCOMPARE(c.money(u"押金金额"_s), *Money::parse(deposit));
}

void TestOpenBill::tagTakenMeanwhileWritesNothing()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHall(db);
    const OpenBill::Request r = request(db, {u"A1"_s, u"A2"_s, u"A3"_s});
    // another counter opens A3 after this one listed it as free
    const Database other = t.openAnother(u"other-counter"_s);
    other.execute(Statement(u"update 手牌管理 set 手牌状态="_s)
                      .text(Occupied)
                      .sql(u" where 手牌号码="_s)
                      .text(u"A3"_s));

    QCOMPARE(takenBy(db, r), u"A3"_s);
    QVERIFY(OpenBill::tagTakenMessage(u"A3"_s).contains(u"A3"_s));
    QCOMPARE(stateOf(db, u"A1"_s), Free);
    QCOMPARE(stateOf(db, u"A2"_s), Free);
    QCOMPARE(count(db, u"手牌开单"_s), 0);
    QCOMPARE(count(db, u"手牌消费"_s), 0);

    // a disabled master is refused, and so is a reserved tag that is not the master
    QCOMPARE(takenBy(db, request(db, {u"A7"_s, u"A1"_s})), u"A7"_s);
    QCOMPARE(takenBy(db, request(db, {u"A1"_s, u"A6"_s})), u"A6"_s);
    QCOMPARE(stateOf(db, u"A1"_s), Free);

    // the board's pop-up opens a bill on a reserved tag
    OpenBill::open(db, request(db, {u"A6"_s, u"A1"_s}));
    QCOMPARE(stateOf(db, u"A6"_s), u"占用"_s);
    QCOMPARE(stateOf(db, u"A1"_s), u"占用"_s);
}

void TestOpenBill::showFillsTheScreenAndTagsMove()
{
    Screen s;
    QCOMPARE(s.form->windowTitle(), u"顾客开单"_s);
    const QStringList shown{s.label(u"masterLabel"_s), s.label(u"initialFeeLabel"_s),
                            s.label(u"ticketLabel"_s), s.label(u"roomTypeLabel"_s), s.label(u"totalLabel"_s)};
    QCOMPARE(shown, (QStringList{u"A1"_s, u"10"_s, u"20"_s, Hall, u"30"_s}));
    QCOMPARE(s.child<QLineEdit>(u"depositEdit"_s)->text(), u"0"_s);
    QCOMPARE(s.child<QLineEdit>(u"customerEdit"_s)->text(), u"散客"_s);
    QCOMPARE(s.child<QPlainTextEdit>(u"remarkEdit"_s)->toPlainText(), u"无"_s);
    QCOMPARE(s.form->freeTags(), (QStringList{u"A2"_s, u"A3"_s, u"A4"_s}));
    QCOMPARE(s.form->billTags(), QStringList{u"A1"_s});

    s.join(u"无此牌"_s); // nothing selected: nothing moves
    s.join(u"A3"_s);
    auto *free = s.child<QListWidget>(u"freeList"_s);
    emit free->itemDoubleClicked(free->findItems(u"A4"_s, Qt::MatchExactly).value(0));
    QCOMPARE(s.form->billTags(), (QStringList{u"A1"_s, u"A3"_s, u"A4"_s}));
    s.leave(u"A3"_s);
    s.leave(u"A1"_s); // the master never leaves its bill
    auto *bill = s.child<QTreeWidget>(u"billList"_s);
    emit bill->itemDoubleClicked(bill->topLevelItem(0), 0);
    QCOMPARE(s.form->billTags(), (QStringList{u"A1"_s, u"A4"_s}));
    QCOMPARE(s.form->freeTags(), (QStringList{u"A2"_s, u"A3"_s})); // back at the end
}

void TestOpenBill::enterOpensTheGroup()
{
    Screen s;
    s.join(u"A4"_s);
    s.join(u"A2"_s);
    s.child<QLineEdit>(u"depositEdit"_s)->setText(u"50"_s);
    auto *customer = s.child<QLineEdit>(u"customerEdit"_s);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QTest::keyClick(customer, Qt::Key_Return); // "开单" is the default button
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    QCOMPARE(s.form->result(), int(QDialog::Accepted));
    QVERIFY(!s.form->isVisible());
    QVERIFY(s.prompt.shown.isEmpty());
    const Database &db = s.t.db();
    Cursor bills = db.query(Statement(u"select * from 手牌开单 order by id"_s));
    QStringList tags;
    while (bills.next()) {
        tags << bills.text(u"手牌号码"_s);
        QCOMPARE(bills.text(u"顾客姓名"_s), u"散客"_s); // left at its default
        QCOMPARE(bills.money(u"押金金额"_s).toString(), u"50"_s);
        QCOMPARE(bills.text(u"备注"_s), u"无"_s);
        QCOMPARE(bills.text(u"主手牌号"_s), u"A1"_s);
        const QDateTime arrival = bills.dateTime(u"进店时间"_s);
        QVERIFY(arrival >= before && arrival <= after);
    }
    QCOMPARE(tags, (QStringList{u"A1"_s, u"A4"_s, u"A2"_s}));
    QCOMPARE(count(db, u"手牌消费"_s), 3);
    QCOMPARE(db.scalar(Statement(u"select min(营业员) from 手牌消费"_s)).toString(), s.run.CurrentOperator);
    QCOMPARE(stateOf(db, u"A3"_s), Free);
}

void TestOpenBill::leavingWritesNothing_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("取消") << false;
    QTest::newRow("close box") << true;
}

void TestOpenBill::leavingWritesNothing()
{
    QFETCH(bool, closeBox);
    Screen s;
    s.join(u"A2"_s);
    if (closeBox)
        QVERIFY(s.form->close());
    else
        s.click(u"cancelButton"_s);
    QCOMPARE(s.form->result(), int(QDialog::Rejected));
    QVERIFY(!s.form->isVisible());
    QCOMPARE(count(s.t.db(), u"手牌开单"_s), 0);
    QCOMPARE(stateOf(s.t.db(), u"A1"_s), Free);
    QCOMPARE(stateOf(s.t.db(), u"A2"_s), Free);
}

void TestOpenBill::refusalsKeepTheScreenOpen()
{
    Screen s;
    s.join(u"A2"_s);
    s.join(u"A3"_s);
    s.child<QLineEdit>(u"depositEdit"_s)->setText(u"一百"_s);
    s.click(u"openButton"_s);
    QCOMPARE(s.prompt.shown, QStringList{OpenBill::badDepositMessage()});
    QVERIFY(s.form->isVisible());

    const Database other = s.t.openAnother(u"other-counter"_s);
    const auto setState = [&other](const QString &tag, const QString &state) {
        other.execute(
            Statement(u"update 手牌管理 set 手牌状态="_s).text(state).sql(u" where 手牌号码="_s).text(tag));
    };
    setState(u"A2"_s, Occupied);
    setState(u"A6"_s, Free); // freed at the other counter: it shows up on the reload
    s.child<QLineEdit>(u"depositEdit"_s)->setText(u"100"_s);
    s.click(u"openButton"_s);
    QCOMPARE(s.prompt.last(), OpenBill::tagTakenMessage(u"A2"_s));
    QVERIFY(s.form->isVisible());
    QCOMPARE(count(s.t.db(), u"手牌开单"_s), 0);
    QCOMPARE(stateOf(s.t.db(), u"A1"_s), Free);
    QCOMPARE(s.form->billTags(), (QStringList{u"A1"_s, u"A3"_s}));
    QCOMPARE(s.form->freeTags(), (QStringList{u"A4"_s, u"A6"_s}));

    s.click(u"openButton"_s);
    QCOMPARE(s.form->result(), int(QDialog::Accepted));
    QCOMPARE(count(s.t.db(), u"手牌开单"_s), 2);
}

QTEST_MAIN(TestOpenBill)
#include "tst_openbill.moc"
