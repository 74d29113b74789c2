// The main window on the screen: tabs, board, counts, quick find, pop-up menu, tool bar,
// permissions, bill cancellation, exit and the close box.
#include "app/MainUt.h"
#include "card/CardReader.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "widgets/DataGrid.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

// One main window over a database with three room types and tags in every state.
class Board
{
public:
    explicit Board(const Permissions &flags = Permissions::all()) : t(u"sqlite"_s)
    {
        const Database &db = t.db();
        addRoomType(db, u"大厅"_s);
        addRoomType(db, u"VIP"_s);
        addRoomType(db, u"空房型"_s);
        addTag(db, u"A1"_s, u"大厅"_s, u"可用"_s);
        addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
        addTag(db, u"A3"_s, u"大厅"_s, u"预定"_s);
        addTag(db, u"A4"_s, u"大厅"_s, u"停用"_s);
        addTag(db, u"a2"_s, u"大厅"_s, u"占用"_s);
        addTag(db, u"V1"_s, u"VIP"_s, u"占用"_s);
        addTag(db, u"X1"_s, u"无房型"_s, u"可用"_s);
        const QDateTime at = QDateTime::currentDateTime().addSecs(-600);
        openBill(db, u"A2"_s, u"A2"_s, at);
        openBill(db, u"a2"_s, u"A2"_s, at);
        openBill(db, u"V1"_s, u"V1"_s, at);
        addLine(db, u"A2"_s, u"A2"_s, u"门票"_s, u"38"_s);
        addLine(db, u"a2"_s, u"A2"_s, u"茶水"_s, u"12"_s);
        addLine(db, u"V1"_s, u"V1"_s, u"门票"_s, u"0"_s);
        run = runState(db, t.baseDir());
        run.permissions = flags;
        device = makeReaderDevice(run.ini, t.baseDir());
        reader = std::make_unique<CardReader>(*device, prompt);
        window = std::make_unique<TMainFm>(run, prompt, *reader);
        window->show();
    }
    ~Board() { window.reset(); }

    template<class T> T *child(const QString &name) const { return window->findChild<T *>(name); }
    QString label(const QString &name) const { return child<QLabel>(name)->text(); }
    QAction *action(const QString &name) const { return child<QAction>(name); }
    QStringList boardTags() const
    {
        QStringList tags;
        auto *list = child<QListWidget>(u"ListView1"_s);
        for (int i = 0; i < list->count(); ++i)
            tags << list->item(i)->text();
        return tags;
    }
    void popup() const
    {
        emit child<QListWidget>(u"ListView1"_s)->customContextMenuRequested(QPoint());
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ReaderDevice> device;
    std::unique_ptr<CardReader> reader;
    std::unique_ptr<TMainFm> window;
    ModalCloser screens; // the screens the board opens, closed again at once
};

// The tags the board opened that screen on, in order.
QStringList openedOn(const QSignalSpy &requests, const QString &screen)
{
    QStringList tags;
    for (const QList<QVariant> &args : requests) {
        if (args.at(0).toString() == screen)
            tags << args.at(1).toString();
    }
    return tags;
}

QStringList enabledEntries(const TMainFm &w)
{
    QStringList names;
    for (QAction *a : w.findChildren<QAction *>()) {
        if (!a->objectName().isEmpty() && a->isEnabled())
            names << a->objectName();
    }
    for (QMenu *m : w.findChildren<QMenu *>()) {
        if (!m->objectName().isEmpty() && m->menuAction()->isEnabled())
            names << m->objectName();
    }
    names.sort();
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void showsTabsBoardCountsAndAllLines();
    void tabChangeLoadsThatRoomType();
    void quickFindSelectsOrWarns();
    void popupEnablingFollowsTheSelectedTag();
    void toolBarMessages();
    void checkoutOfANothingBillIsRefusedFromBothPaths();
    void doubleClickAsksForTheRightScreen();
    void eachPermissionDisablesExactlyItsEntries_data();
    void eachPermissionDisablesExactlyItsEntries();
    void cancellationNeedsItsPermission();
    void cancellationFreesTheTagAndRecounts();
    void exitWritesTheExitTimeAndTheCloseBoxDoesNot();
    void closeBoxAnsweredNoKeepsTheWindow();
};

void TestMainWindow::showsTabsBoardCountsAndAllLines()
{
    Board b;
    auto *tabs = b.child<QTabBar>(u"PageControl1"_s);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(1), u"VIP"_s);
    QCOMPARE(b.boardTags(), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s, u"A4"_s, u"a2"_s}));
    QCOMPARE(b.label(u"lblRoomType"_s), u"大厅"_s);
    QCOMPARE(b.label(u"lblTotal"_s), u"7"_s);
    QCOMPARE(b.label(u"lblOccupied"_s), u"3"_s);
    QCOMPARE(b.label(u"lblFree"_s), u"2"_s);
    QCOMPARE(b.label(u"lblReserved"_s), u"1"_s);
    QCOMPARE(b.label(u"lblDisabled"_s), u"1"_s);
    QCOMPARE(b.child<DataGrid>(u"DBGrid1"_s)->totalCount(), 3); // every open line after show
    QCOMPARE(b.window->windowTitle(), u"测试系统"_s);
    QVERIFY(!b.label(u"lblClock"_s).isEmpty());
}

void TestMainWindow::tabChangeLoadsThatRoomType()
{
    Board b;
    b.child<QTabBar>(u"PageControl1"_s)->setCurrentIndex(1);
    QCOMPARE(b.boardTags(), QStringList{u"V1"_s});
    QCOMPARE(b.window->activeRoomType(), u"VIP"_s);
    QCOMPARE(b.label(u"lblRoomType"_s), u"VIP"_s);
    b.child<QTabBar>(u"PageControl1"_s)->setCurrentIndex(2);
    QVERIFY(b.boardTags().isEmpty());
}

void TestMainWindow::quickFindSelectsOrWarns()
{
    Board b;
    auto *find = b.child<QLineEdit>(u"EditFind"_s);
    find->setText(u"a2"_s);
    emit find->returnPressed();
    QCOMPARE(b.window->selectedTag(), u"a2"_s);
    QCOMPARE(b.label(u"lblTagNumber"_s), u"a2"_s);
    QCOMPARE(b.label(u"lblState"_s), u"占用"_s);
    QCOMPARE(b.label(u"lblAmount"_s), u"12"_s);
    QCOMPARE(b.child<DataGrid>(u"DBGrid1"_s)->totalCount(), 1); // the tag's own lines
    QVERIFY(b.prompt.shown.isEmpty());

    for (const QString &missing : {u"V1"_s /* another tab */, u"A"_s, u"x"_s}) {
        find->setText(missing);
        emit find->returnPressed();
        QCOMPARE(b.prompt.last(), u"没有找到！注意字符大小写！"_s);
    }
    QCOMPARE(b.prompt.shown.size(), 3);
    QCOMPARE(b.window->selectedTag(), u"a2"_s);
}

void TestMainWindow::popupEnablingFollowsTheSelectedTag()
{
    Board b;
    const QStringList items{u"popOpenBill"_s, u"popAddConsume"_s, u"popCheckout"_s, u"popChangeState"_s,
                            u"popCancel"_s};
    const auto enabled = [&] {
        QString bits;
        for (const QString &name : items)
            bits += b.action(name)->isEnabled() ? u'1' : u'0';
        return bits;
    };
    b.popup();
    QCOMPARE(enabled(), u"00000"_s); // nothing selected
    const QList<std::pair<QString, QString>> expected{
        {u"A1"_s, u"10010"_s}, {u"A2"_s, u"01101"_s}, {u"A3"_s, u"10010"_s}, {u"A4"_s, u"00010"_s}};
    // "修改状态" is on for every tag that is not occupied
    for (const auto &[tag, bits] : expected) {
        QVERIFY(b.window->selectTag(tag));
        b.popup();
        QCOMPARE(enabled(), bits);
    }
    QVERIFY(!b.action(u"popReserve"_s)->isVisible());
}

void TestMainWindow::toolBarMessages()
{
    Board b;
    QSignalSpy opened(b.window.get(), &TMainFm::screenRequested);
    b.action(u"toolOpenBill"_s)->trigger();
    b.action(u"toolAddConsume"_s)->trigger();
    b.action(u"toolCheckout"_s)->trigger();
    QCOMPARE(b.prompt.shown, (QStringList{u"没有选手牌号！"_s, u"没有选手牌号！"_s, u"没有选手牌号！"_s}));

    b.prompt.shown.clear();
    b.window->selectTag(u"A1"_s);
    b.action(u"toolAddConsume"_s)->trigger();
    b.action(u"toolCheckout"_s)->trigger();
    b.action(u"toolOpenBill"_s)->trigger();
    QCOMPARE(b.prompt.shown,
             (QStringList{u"该手牌还没有开单，无法增加消费！"_s, u"该手牌还没有开单，无法结帐！"_s}));
    QCOMPARE(openedOn(opened, u"TOpenDanFm"_s), QStringList{u"A1"_s});
    QCOMPARE(opened.size(), 1);

    b.prompt.shown.clear();
    b.window->selectTag(u"A2"_s);
    b.action(u"toolOpenBill"_s)->trigger();
    QCOMPARE(b.prompt.shown, QStringList{u"请选择一个没被占用的手牌来开单"_s});

    b.prompt.shown.clear();
    b.window->selectTag(u"A3"_s); // reserved: the tool button does nothing at all
    b.action(u"toolOpenBill"_s)->trigger();
    QVERIFY(b.prompt.shown.isEmpty());
    QCOMPARE(opened.size(), 1);

    b.action(u"toolReminder"_s)->trigger();
    QCOMPARE(b.prompt.last(), u"为了您的数据安全 请注意备份您的数据！"_s);
}

// A bill of nothing is not settled from the pop-up menu nor from the tool bar (it is cancelled);
// both read the amount as it stands when used, not as it stood at the last click.
void TestMainWindow::checkoutOfANothingBillIsRefusedFromBothPaths()
{
    Board b;
    QSignalSpy checkout(b.window.get(), &TMainFm::screenRequested);
    b.child<QTabBar>(u"PageControl1"_s)->setCurrentIndex(1);
    b.window->selectTag(u"V1"_s);
    b.popup();
    b.action(u"popCheckout"_s)->trigger();
    QCOMPARE(b.prompt.last(), u"操作失败:消费金额为0,不能结帐."_s);
    b.prompt.shown.clear();
    b.action(u"toolCheckout"_s)->trigger();
    QCOMPARE(b.prompt.shown, QStringList{u"操作失败:消费金额为0,不能结帐."_s});
    QCOMPARE(checkout.size(), 0);
    // a line added since the click counts at once
    addLine(b.t.db(), u"V1"_s, u"V1"_s, u"茶水"_s, u"15"_s);
    b.action(u"toolCheckout"_s)->trigger();
    QCOMPARE(openedOn(checkout, u"TCheckOutFm"_s), QStringList{u"V1"_s});
    QCOMPARE(b.screens.captions, QStringList{u"顾客结帐"_s});
}

void TestMainWindow::doubleClickAsksForTheRightScreen()
{
    Board b;
    QSignalSpy requests(b.window.get(), &TMainFm::screenRequested);
    const auto open = [&] { return openedOn(requests, u"TOpenDanFm"_s); };
    const auto add = [&] { return openedOn(requests, u"TAddConsumeFm"_s); };
    auto *list = b.child<QListWidget>(u"ListView1"_s);
    b.window->selectTag(u"A2"_s);
    emit list->itemDoubleClicked(list->currentItem());
    QCOMPARE(add(), QStringList{u"A2"_s});
    b.window->selectTag(u"A1"_s);
    emit list->itemDoubleClicked(list->currentItem());
    QCOMPARE(open(), QStringList{u"A1"_s});
    // the state word comes from the table: a tag freed elsewhere opens a bill
    b.t.db().execute(Statement(u"update 手牌管理 set 手牌状态="_s).text(u"可用"_s).sql(u" where 手牌号码="_s).text(u"A2"_s));
    b.window->selectTag(u"A2"_s);
    emit list->itemDoubleClicked(list->currentItem());
    QCOMPARE(open(), (QStringList{u"A1"_s, u"A2"_s}));
    QCOMPARE(add(), QStringList{u"A2"_s});
    QCOMPARE(b.label(u"lblState"_s), u"可用"_s);
}

void TestMainWindow::eachPermissionDisablesExactlyItsEntries_data()
{
    QTest::addColumn<int>("permission");
    QTest::addColumn<QStringList>("gated");
    const auto row = [](Permission p, const QStringList &entries) {
        QTest::newRow(permissionColumn(p).toUtf8().constData()) << int(p) << entries;
    };
    row(Permission::Checkout, {u"toolCheckout"_s, u"popCheckout"_s});
    row(Permission::AddConsumption, {u"toolAddConsume"_s, u"popAddConsume"_s});
    row(Permission::OpenBill, {u"toolOpenBill"_s, u"popOpenBill"_s});
    row(Permission::Queries, {u"menuQuery"_s});
    row(Permission::Members, {u"toolMember"_s, u"actMember"_s, u"actMemberType"_s});
    row(Permission::DataClear, {u"actDataClear"_s});
    row(Permission::AdminSettings, {u"actAdmin"_s, u"actSetData"_s, u"actSysInfo"_s});
    row(Permission::MemberEnrol, {});
    row(Permission::MemberRecharge, {});
    row(Permission::Catalogue, {u"toolXm"_s, u"actXm"_s});
    row(Permission::Tags, {u"actSpSet"_s});
    row(Permission::Waiters, {u"actFwsGl"_s});
    row(Permission::Backup, {u"actBackup"_s});
    row(Permission::Restore, {u"actRestore"_s});
    row(Permission::FreeBill, {});
    row(Permission::CancelBill, {});
}

void TestMainWindow::eachPermissionDisablesExactlyItsEntries()
{
    QFETCH(int, permission);
    QFETCH(QStringList, gated);
    QStringList all;
    {
        Board full;
        all = enabledEntries(*full.window);
    }
    Permissions flags = Permissions::all();
    flags.set(Permission(permission), false);
    Board b(flags);
    const QStringList now = enabledEntries(*b.window);
    QStringList lost;
    for (const QString &name : all) {
        if (!now.contains(name))
            lost << name;
    }
    QStringList expected;
    for (const QString &name : gated) {
        if (all.contains(name)) // entries whose screens exist
            expected << name;
    }
    expected.sort();
    QCOMPARE(lost, expected);
    for (const QString &name : now)
        QVERIFY2(all.contains(name), qPrintable(name)); // nothing became enabled
}

void TestMainWindow::cancellationNeedsItsPermission()
{
    Permissions flags = Permissions::all();
    flags.set(Permission::CancelBill, false);
    Board b(flags);
    b.window->selectTag(u"A2"_s);
    b.popup();
    QVERIFY(b.action(u"popCancel"_s)->isEnabled()); // enabled by state; the flag is tested when used
    b.action(u"popCancel"_s)->trigger();
    QCOMPARE(b.prompt.shown, QStringList{u"操作失败:您没有撤单权限,请让有此权限的管理员来操作!"_s});
    QCOMPARE(count(b.t.db(), u"手牌开单"_s), 3);
}

void TestMainWindow::cancellationFreesTheTagAndRecounts()
{
    Board b;
    b.window->selectTag(u"A2"_s);
    b.popup();
    b.action(u"popCancel"_s)->trigger();
    QCOMPARE(b.prompt.shown, QStringList{u"撤单完毕"_s});
    QCOMPARE(b.window->selectedState(), std::optional<TagState>(TagState::Free));
    QCOMPARE(b.label(u"lblOccupied"_s), u"1"_s); // a2 of the group is freed with it
    QCOMPARE(b.label(u"lblFree"_s), u"4"_s);
    // The details speak of the freed tag, not of the bill that was.
    QCOMPARE(b.label(u"lblState"_s), u"可用"_s);
    QCOMPARE(b.label(u"lblArrival"_s), u"0"_s);
    QCOMPARE(b.label(u"lblDeposit"_s), u"0"_s);
    QCOMPARE(b.label(u"lblAmount"_s), u"0"_s);
    QCOMPARE(b.child<DataGrid>(u"DBGrid1"_s)->loadedRowCount(), 0);
    QCOMPARE(count(b.t.db(), u"手牌开单"_s), 1); // V1's
    QCOMPARE(count(b.t.db(), u"手牌消费"_s), 1); // the group's lines went, V1's stays
}

void TestMainWindow::exitWritesTheExitTimeAndTheCloseBoxDoesNot()
{
    Board b;
    const std::optional<Login::LoggedIn> in = Login::logIn(b.t.db(), u"超级管理员"_s, u"1"_s, QDateTime::currentDateTime());
    QVERIFY(in.has_value());
    b.run.loginRecord = in->record;
    QSignalSpy closed(b.window.get(), &TMainFm::closed);
    b.prompt.confirmAnswers = {false};
    b.action(u"toolExit"_s)->trigger();
    QCOMPARE(closed.size(), 0);
    QCOMPARE(b.prompt.shown, QStringList{u"您是否要退出本系统?"_s});
    QVERIFY(b.t.db().scalar(Statement(u"select 退出时间 from 启动记录"_s)).isNull());

    b.prompt.confirmAnswers = {true};
    b.action(u"toolExit"_s)->trigger();
    QCOMPARE(closed.size(), 1);
    QCOMPARE(b.prompt.shown.mid(1), (QStringList{u"您是否要退出本系统?"_s, u"谢谢使用！"_s}));
    QVERIFY(!b.t.db().scalar(Statement(u"select 退出时间 from 启动记录"_s)).isNull());

    Board other;
    QVERIFY(Login::logIn(other.t.db(), u"超级管理员"_s, u"1"_s, QDateTime::currentDateTime()).has_value());
    other.prompt.confirmAnswers = {true};
    QVERIFY(other.window->close());
    QCOMPARE(other.prompt.shown, QStringList{u"确认要退出吗?"_s});
    QCOMPARE(other.prompt.lastTitle, u"请确认"_s);
    QVERIFY(other.t.db().scalar(Statement(u"select 退出时间 from 启动记录"_s)).isNull());
}

void TestMainWindow::closeBoxAnsweredNoKeepsTheWindow()
{
    Board b;
    b.prompt.confirmAnswers = {false};
    QVERIFY(!b.window->close());
    QVERIFY(b.window->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
