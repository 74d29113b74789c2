// The board's rules, without windows: icons, counts, details, what the pop-up menu and the
// tool bar allow, the quick find, cancelling a bill and recording the exit.
#include "app/Board.h"
#include "support/Fixtures.h"
#include "support/TestDatabase.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

Q_DECLARE_METATYPE(std::optional<TagState>)

class TestBoard : public QObject
{
    Q_OBJECT
private slots:
    void tabsAndTagsKeepTheOrderTheyWereAdded_data() { TestDatabase::addKindRows(); }
    void tabsAndTagsKeepTheOrderTheyWereAdded();
    void countsCoverEveryTagButOnlyTheFourWords_data() { TestDatabase::addKindRows(); }
    void countsCoverEveryTagButOnlyTheFourWords();
    void detailsOfFreeAndOccupiedTags_data() { TestDatabase::addKindRows(); }
    void detailsOfFreeAndOccupiedTags();
    void elapsedTimeDropsWholeDays();
    void popupItemsFollowTheIconAndThePermissions_data();
    void popupItemsFollowTheIconAndThePermissions();
    void toolButtonsAnswerForEveryState();
    void popupCheckoutRefusesANothingBill();
    void quickFindIsExactAndCaseSensitive();
    void cancellingTheMasterTagDeletesTheLinesOfTheGroup_data() { TestDatabase::addKindRows(); }
    void cancellingTheMasterTagDeletesTheLinesOfTheGroup();
    void cancellingAJoinedTagTouchesOnlyItself_data() { TestDatabase::addKindRows(); }
    void cancellingAJoinedTagTouchesOnlyItself();
    void exitTimeGoesToThisRunsLogin_data() { TestDatabase::addKindRows(); }
    void exitTimeGoesToThisRunsLogin();
};

void TestBoard::tabsAndTagsKeepTheOrderTheyWereAdded()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s);
    addRoomType(db, u"VIP"_s);
    addRoomType(db, u"空房型"_s);
    addTag(db, u"B2"_s, u"大厅"_s, u"可用"_s);
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"V1"_s, u"VIP"_s, u"预定"_s);
    addTag(db, u"01"_s, u"大厅"_s, u"停用"_s);
    addTag(db, u"1"_s, u"大厅"_s, u"维修"_s);
    // a state change must not move the tag on the board (PostgreSQL rewrites updated rows)
    db.execute(Statement(u"update 手牌管理 set 手牌状态="_s).text(u"可用"_s).sql(u" where 手牌号码="_s).text(u"B2"_s));

    QCOMPARE(Board::roomTypes(db), (QStringList{u"大厅"_s, u"VIP"_s, u"空房型"_s}));
    const QList<Board::Tag> hall = Board::tagsOf(db, u"大厅"_s);
    QStringList numbers;
    QList<TagState> states;
    for (const Board::Tag &tag : hall) {
        numbers << tag.number;
        states << tag.state;
    }
    QCOMPARE(numbers, (QStringList{u"B2"_s, u"A1"_s, u"01"_s, u"1"_s}));
    // a word outside the four shows as free
    QCOMPARE(states, (QList<TagState>{TagState::Free, TagState::Occupied, TagState::Disabled, TagState::Free}));
    QVERIFY(Board::tagsOf(db, u"空房型"_s).isEmpty());
    QCOMPARE(Board::tagsOf(db, u"VIP"_s).value(0).state, TagState::Reserved);
}

void TestBoard::countsCoverEveryTagButOnlyTheFourWords()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addTag(db, u"A1"_s, u"大厅"_s, u"可用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A3"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A4"_s, u"大厅"_s, u"预定"_s);
    addTag(db, u"A5"_s, u"大厅"_s, u"停用"_s);
    addTag(db, u"A6"_s, u"大厅"_s, u"维修"_s);
    addTag(db, u"X1"_s, u"没有这个房型"_s, u"可用"_s); // on no tab, still counted
    const Board::Counts n = Board::counts(db);
    QCOMPARE(n.total, 7);
    QCOMPARE(n.free, 2);
    QCOMPARE(n.occupied, 2);
    QCOMPARE(n.reserved, 1);
    QCOMPARE(n.disabled, 1);
}

void TestBoard::detailsOfFreeAndOccupiedTags()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A3"_s, u"大厅"_s, u"预定"_s);
    const QDateTime now(QDate(2026, 12, 9), QTime(15, 30, 0));
    const QDateTime arrival(QDate(2026, 12, 9), QTime(13, 5, 30));
    openBill(db, u"A1"_s, u"A1"_s, arrival, u"100"_s);
    openBill(db, u"A2"_s, u"A1"_s, arrival);
    addLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s);
    addLine(db, u"A1"_s, u"A1"_s, u"足疗"_s, u"115.2"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"茶水"_s, u"10"_s);

    const std::optional<Board::Details> a1 = Board::details(db, u"A1"_s, now);
    QVERIFY(a1.has_value());
    QCOMPARE(a1->state, TagState::Occupied);
    QCOMPARE(a1->standard, u"标准"_s);
    QCOMPARE(a1->arrival, u"2026-12-09 13:05:30"_s);
    QCOMPARE(a1->elapsed, u"02:24:30"_s);
    QCOMPARE(a1->deposit.toString(), u"100"_s);
    QCOMPARE(a1->amount.toString(), u"153.2"_s); // this tag's lines only, not the group's

    const std::optional<Board::Details> a2 = Board::details(db, u"A2"_s, now);
    QCOMPARE(a2->amount.toString(), u"10"_s);

    // a reserved tag without an open bill reads as free in the panel
    const std::optional<Board::Details> a3 = Board::details(db, u"A3"_s, now);
    QCOMPARE(a3->state, TagState::Free);
    QCOMPARE(a3->arrival, u"0"_s);
    QCOMPARE(a3->elapsed, u"0"_s);
    QVERIFY(a3->deposit.isZero());
    QVERIFY(a3->amount.isZero());

    QVERIFY(!Board::details(db, u"无此牌"_s, now).has_value());
    QVERIFY(Board::amount(db, u"A3"_s).isZero());
}

void TestBoard::elapsedTimeDropsWholeDays()
{
    const QDateTime arrival(QDate(2026, 12, 7), QTime(9, 0, 0));
    QCOMPARE(Board::elapsedText(arrival, arrival.addSecs(25 * 3600 + 61)), u"01:01:01"_s);
    QCOMPARE(Board::elapsedText(arrival, arrival.addSecs(59)), u"00:00:59"_s);
    QCOMPARE(Board::elapsedText(arrival, arrival.addSecs(48 * 3600)), u"00:00:00"_s);
}

void TestBoard::popupItemsFollowTheIconAndThePermissions_data()
{
    QTest::addColumn<std::optional<TagState>>("icon");
    QTest::addColumn<bool>("withPermissions");
    QTest::addColumn<QString>("expected"); // open, add, checkout, change state, cancel
    QTest::newRow("free") << std::optional<TagState>(TagState::Free) << true << u"10010"_s;
    QTest::newRow("occupied") << std::optional<TagState>(TagState::Occupied) << true << u"01101"_s;
    QTest::newRow("reserved") << std::optional<TagState>(TagState::Reserved) << true << u"10010"_s;
    QTest::newRow("disabled") << std::optional<TagState>(TagState::Disabled) << true << u"00010"_s;
    QTest::newRow("no tag") << std::optional<TagState>() << true << u"00000"_s;
    QTest::newRow("free, no 来宾登记") << std::optional<TagState>(TagState::Free) << false << u"00010"_s;
    QTest::newRow("occupied, no 消费管理 and 收银结算") << std::optional<TagState>(TagState::Occupied) << false << u"00001"_s;
}

void TestBoard::popupItemsFollowTheIconAndThePermissions()
{
    QFETCH(std::optional<TagState>, icon);
    QFETCH(bool, withPermissions);
    QFETCH(QString, expected);
    Permissions flags = Permissions::all();
    if (!withPermissions) {
        flags.set(Permission::OpenBill, false);
        flags.set(Permission::AddConsumption, false);
        flags.set(Permission::Checkout, false);
    }
    const Board::PopupItems items = Board::popupItems(icon, flags);
    const auto bit = [](bool b) { return b ? u'1' : u'0'; };
    const QString got = QString(bit(items.openBill)) + bit(items.addConsumption) + bit(items.checkout)
                        + bit(items.changeState) + bit(items.cancelBill);
    QCOMPARE(got, expected);
}

void TestBoard::toolButtonsAnswerForEveryState()
{
    using K = Board::ToolOutcome::Kind;
    const std::optional<TagState> none;
    QCOMPARE(Board::openBillButton(none).message, u"没有选手牌号！"_s);
    QCOMPARE(Board::openBillButton(TagState::Occupied).message, u"请选择一个没被占用的手牌来开单"_s);
    QCOMPARE(Board::openBillButton(TagState::Free).kind, K::Screen);
    QCOMPARE(Board::openBillButton(TagState::Reserved).kind, K::Nothing); // reserved: the tool button does nothing
    QCOMPARE(Board::openBillButton(TagState::Disabled).kind, K::Nothing);

    QCOMPARE(Board::addConsumptionButton(none).message, u"没有选手牌号！"_s);
    QCOMPARE(Board::addConsumptionButton(TagState::Free).message, u"该手牌还没有开单，无法增加消费！"_s);
    QCOMPARE(Board::addConsumptionButton(TagState::Occupied).kind, K::Screen);
    QCOMPARE(Board::addConsumptionButton(TagState::Reserved).kind, K::Nothing);

    QCOMPARE(Board::checkoutButton(none).message, u"没有选手牌号！"_s);
    QCOMPARE(Board::checkoutButton(TagState::Free).message, u"该手牌还没有开单，无法结帐！"_s);
    QCOMPARE(Board::checkoutButton(TagState::Occupied).kind, K::Screen);
    QCOMPARE(Board::checkoutButton(TagState::Disabled).kind, K::Nothing);
}

void TestBoard::popupCheckoutRefusesANothingBill()
{
    using K = Board::ToolOutcome::Kind;
    QCOMPARE(Board::popupCheckout(Money()).message, u"操作失败:消费金额为0,不能结帐."_s);
    QCOMPARE(Board::popupCheckout(*Money::parse(u"153.2"_s)).kind, K::Screen);
    QCOMPARE(Board::popupCheckout(*Money::parse(u"-5"_s)).kind, K::Screen); // a negative bill is settled too
}

void TestBoard::quickFindIsExactAndCaseSensitive()
{
    const QStringList numbers{u"a1"_s, u"A1"_s, u"A10"_s, u"01"_s};
    QCOMPARE(Board::findTag(numbers, u"A1"_s), 1);
    QCOMPARE(Board::findTag(numbers, u"a1"_s), 0);
    QCOMPARE(Board::findTag(numbers, u"1"_s), -1);
    QCOMPARE(Board::findTag(numbers, u"A"_s), -1);
    QCOMPARE(Board::findTag(numbers, QString()), -1);
}

// Cancelling the master cancels the group: every tag of it is freed with its open bill, or a
// tag left occupied would take lines onto a bill that is gone.
void TestBoard::cancellingTheMasterTagDeletesTheLinesOfTheGroup()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s})
        addTag(db, tag, u"大厅"_s, u"占用"_s);
    const QDateTime at = QDateTime::currentDateTime();
    openBill(db, u"A1"_s, u"A1"_s, at);
    openBill(db, u"A2"_s, u"A1"_s, at);
    openBill(db, u"A3"_s, u"A3"_s, at);
    addLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"门票"_s, u"38"_s);
    addLine(db, u"A3"_s, u"A3"_s, u"门票"_s, u"38"_s);

    Board::cancelBill(db, u"A1"_s);
    QCOMPARE(*Board::storedState(db, u"A1"_s), u"可用"_s);
    QCOMPARE(*Board::storedState(db, u"A2"_s), u"可用"_s);
    QCOMPARE(*Board::storedState(db, u"A3"_s), u"占用"_s); // another bill
    QCOMPARE(count(db, u"手牌开单"_s), 1);
    QCOMPARE(db.scalar(Statement(u"select 手牌号码 from 手牌开单"_s)).toString(), u"A3"_s);
    QCOMPARE(count(db, u"手牌消费"_s), 1); // only A3's line is left
    QCOMPARE(db.scalar(Statement(u"select 手牌号码 from 手牌消费"_s)).toString(), u"A3"_s);
    QCOMPARE(count(db, u"结帐管理"_s), 0);
    QCOMPARE(count(db, u"结帐明细"_s), 0);
    QCOMPARE(db.scalar(Statement(u"select 单据号 from 单据号"_s)).toInt(), 0);
}

void TestBoard::cancellingAJoinedTagTouchesOnlyItself()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    for (const QString &tag : {u"A1"_s, u"A2"_s})
        addTag(db, tag, u"大厅"_s, u"占用"_s);
    const QDateTime at = QDateTime::currentDateTime();
    openBill(db, u"A1"_s, u"A1"_s, at);
    openBill(db, u"A2"_s, u"A1"_s, at);
    addLine(db, u"A1"_s, u"A1"_s, u"门票"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"门票"_s, u"38"_s);
    addLine(db, u"A2"_s, u"A1"_s, u"茶水"_s, u"8"_s);

    Board::cancelBill(db, u"A2"_s);
    QCOMPARE(*Board::storedState(db, u"A2"_s), u"可用"_s);
    QCOMPARE(*Board::storedState(db, u"A1"_s), u"占用"_s);
    QCOMPARE(count(db, u"手牌开单"_s), 1);
    QCOMPARE(count(db, u"手牌消费"_s), 1);
    QCOMPARE(Board::amount(db, u"A1"_s).toString(), u"38"_s);
}

void TestBoard::exitTimeGoesToThisRunsLogin()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const Database other = t.openAnother(u"second-counter"_s);
    const QDateTime morning(QDate(2026, 12, 9), QTime(8, 0, 0));
    const std::optional<Login::LoggedIn> mine = Login::logIn(db, u"超级管理员"_s, u"1"_s, morning);
    QVERIFY(mine.has_value());
    // another counter logs in later, on its own connection
    const std::optional<Login::LoggedIn> theirs = Login::logIn(other, u"超级管理员"_s, u"1"_s, morning.addSecs(3600));
    QVERIFY(theirs.has_value());
    QVERIFY(mine->record != theirs->record);
    Login::recordExit(db, mine->record, morning.addSecs(7200));
    Cursor c = db.query(Statement(u"select * from 启动记录 order by id"_s));
    QVERIFY(c.next());
    QCOMPARE(c.integer(u"id"_s), mine->record);
    QCOMPARE(c.dateTime(u"退出时间"_s), morning.addSecs(7200));
    QVERIFY(c.next());
    QVERIFY(c.isNull(u"退出时间"_s));
}

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
