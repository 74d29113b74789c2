// Adding consumption: how a line is priced and what it carries, the quantity check, the master
// tag of a joined tag, the item search and the waiter lists; then the screen with its picker.
#include "billing/AddConsumeUt.h"
#include "billing/Consumption.h"
#include "billing/FwsXzUt.h"
#include "db/Transaction.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

#include "widgets/DataGrid.h"

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QString Operator = u"超级管理员"_s;

qint64 addItem(const Database &db, const QString &name, const QString &price, double discount,
               const QString &commission = u"0"_s, const QString &service = u"否"_s)
{
    db.execute(
        Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(name)},
                                            {u"单价"_s, SqlValue::money(*Money::parse(price))},
                                            {u"打折率"_s, SqlValue::real(discount)},
                                            {u"提成金额"_s, SqlValue::money(*Money::parse(commission))},
                                            {u"是否需要服务"_s, SqlValue::text(service)}}));
    return db.scalar(Statement(u"select max(ID) from 商品项目库"_s)).toLongLong();
}

void addWaiter(const Database &db, const QString &number, const QString &name, const QString &state,
               const QString &grade)
{
    db.execute(Statement::insert(u"服务生管理"_s, {{u"服务生编号"_s, SqlValue::text(number)},
                                                   {u"服务生姓名"_s, SqlValue::text(name)},
                                                   {u"状态"_s, SqlValue::text(state)},
                                                   {u"服务生等级"_s, SqlValue::text(grade)},
                                                   {u"服务等级"_s, SqlValue::text(u"未用"_s)}}));
}

// What the grid shows in one column, top to bottom, over the rows it has read.
QStringList column(const DataGrid *grid, const QString &field)
{
    QStringList texts;
    for (int row = 0; row < grid->loadedRowCount(); ++row)
        texts << grid->displayText(row, field);
    return texts;
}

QStringList waiterNumbers(const Database &db, const Statement &st)
{
    Cursor c = db.query(Statement(st).sql(u" order by 服务生编号"_s));
    QStringList numbers;
    while (c.next())
        numbers << c.text(u"服务生编号"_s);
    return numbers;
}

// A group bill A1 (master) + A2 and a single bill B1, a catalogue and three waiters.
void addVenue(const Database &db)
{
    addTag(db, u"A1"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
    addTag(db, u"B1"_s, u"大厅"_s, u"占用"_s);
    const QDateTime at = QDateTime::currentDateTime().addSecs(-600);
    openBill(db, u"A1"_s, u"A1"_s, at);
    openBill(db, u"A2"_s, u"A1"_s, at);
    openBill(db, u"B1"_s, u"B1"_s, at);
    addItem(db, u"足疗"_s, u"50"_s, 0.8, u"5"_s, u"是"_s);
    addItem(db, u"可乐"_s, u"6"_s, 1, u"0"_s, u"否"_s);
    addItem(db, u"啤酒"_s, u"12.5"_s, 0.88, u"1"_s, u""_s);
    addItem(db, u"啤酒(大)"_s, u"20"_s, 1);
    addWaiter(db, u"001"_s, u"小王"_s, u"上班"_s, u"一级"_s);
    addWaiter(db, u"002"_s, u"小李"_s, u"下班"_s, u"二级"_s);
    addWaiter(db, u"003"_s, u"小王"_s, u"请假"_s, u"三级"_s);
}

// The screen for one tag over a fresh venue, shown.
struct Screen
{
    explicit Screen(const QString &tag = u"A2"_s, bool withLines = true, const QString &kind = u"sqlite"_s)
        : t(kind)
    {
        addVenue(t.db());
        if (withLines) {
            addLine(t.db(), u"A1"_s, u"A1"_s, u"门票"_s, u"20"_s);
            addLine(t.db(), u"A2"_s, u"A1"_s, u"门票"_s, u"20"_s);
            addLine(t.db(), u"A2"_s, u"A1"_s, u"茶水"_s, u"8"_s);
        }
        run = runState(t.db(), t.baseDir());
        rig = std::make_unique<ScreenRig>(run, prompt);
        form = std::make_unique<TAddConsumeFm>(rig->context, tag);
        form->show();
    }

    template <class T> T *child(const QString &name) const { return childNamed<T>(form.get(), name); }
    DataGrid *catalogue() const { return child<DataGrid>(u"catalogueGrid"_s); }
    DataGrid *lines() const { return child<DataGrid>(u"linesGrid"_s); }
    void click(const QString &name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void chooseItem(const QString &name) const
    {
        const int row = int(column(catalogue(), u"项目名"_s).indexOf(name));
        QVERIFY(row >= 0);
        catalogue()->setCurrentRow(row);
    }
    // Adds the item; act ends the picker the item is expected to open. A picker that opens
    // unexpected is closed, so that a fault fails the test rather than hanging it.
    void add(const QString &item, const std::function<void(TFwsXzFm &)> &act = {})
    {
        chooseItem(item);
        bool pickerSeen = false;
        QTimer timer; // gone with this call, so it never fires into a later one
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *picker = qobject_cast<TFwsXzFm *>(QApplication::activeModalWidget());
            if (!picker)
                return;
            pickerSeen = true;
            if (act)
                act(*picker);
            else
                picker->close();
        });
        timer.start(0);
        click(u"addButton"_s);
        QCOMPARE(pickerSeen, bool(act));
    }
    // The tag's lines as "item/waiter number/waiter name", oldest first.
    QStringList storedLines(const QString &tag) const
    {
        Cursor c = t.db().query(
            Statement(u"select * from 手牌消费 where 手牌号码="_s).text(tag).sql(u" order by id"_s));
        QStringList out;
        while (c.next())
            out << c.text(u"项目名"_s) + u'/' + c.text(u"服务生编号"_s) + u'/' + c.text(u"服务生姓名"_s);
        return out;
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ScreenRig> rig;
    std::unique_ptr<TAddConsumeFm> form;
};

// A picker over a fresh venue, shown on its own.
struct Picker
{
    Picker() : t(u"sqlite"_s)
    {
        addVenue(t.db());
        run = runState(t.db(), t.baseDir());
        rig = std::make_unique<ScreenRig>(run, prompt);
        form = std::make_unique<TFwsXzFm>(rig->context);
        form->show();
    }
    DataGrid *grid() const { return form->findChild<DataGrid *>(u"waiterGrid"_s); }
    QLineEdit *edit(const QString &name) const { return form->findChild<QLineEdit *>(name); }
    void enter(const QString &box, const QString &text) const
    {
        edit(box)->setText(text);
        QTest::keyClick(edit(box), Qt::Key_Return);
    }
    void click(const QString &name) const
    {
        QTest::mouseClick(form->findChild<QPushButton *>(name), Qt::LeftButton);
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ScreenRig> rig;
    std::unique_ptr<TFwsXzFm> form;
};

} // namespace

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestAddConsume : public QObject
{
    Q_OBJECT
private slots:
    // the rules, on every kind of database
    void linePricing_data();
    void linePricing();
    void quantityIsAWholeNumber_data();
    void quantityIsAWholeNumber();
    void itemAndMasterAreRead_data() { TestDatabase::addKindRows(); }
    void linesBeyondTheLimitAreRefused();
    void itemAndMasterAreRead();
    void searchTakesTheFirstNameWithThePrefix_data();
    void searchTakesTheFirstNameWithThePrefix();
    void waiterListsShowTheGradeAndMatchExactly_data() { TestDatabase::addKindRows(); }
    void waiterListsShowTheGradeAndMatchExactly();
    void linesGoOnlyToAnOpenBillAndItsCurrentMaster_data() { TestDatabase::addKindRows(); }
    void linesGoOnlyToAnOpenBillAndItsCurrentMaster();
    void itemWithoutARateIsAtFullPrice_data() { TestDatabase::addKindRows(); }
    void itemWithoutARateIsAtFullPrice();
    // the screen
    void joinedTagShowsAndAddsItsOwnLines();
    void pickerOutcomeDecidesTheLine_data();
    void pickerOutcomeDecidesTheLine();
    void badQuantityWritesNothing_data();
    void badQuantityWritesNothing();
    void quantityIsKeptBetweenAdditions();
    void searchMovesToTheFirstMatch();
    void deletingAsksAndDisablesAnEmptyGrid();
    void escapeDeletesAndEmptyTagSaysSo();
    // the picker
    void pickerSearchesAndChooses();
};

void TestAddConsume::linePricing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("price");
    QTest::addColumn<double>("discount");
    QTest::addColumn<qint64>("quantity");
    QTest::addColumn<QString>("commission");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("total");
    for (const QString &kind : TestDatabase::availableKinds()) {
        const auto row = [&kind](const char *name) -> QTestData & {
            return QTest::addRow("%s %s", qPrintable(kind), name) << kind;
        };
        row("eight tenths of 50, three times")
            << u"50"_s << 0.8 << qint64(3) << u"5"_s << u"40"_s << u"120"_s;
        row("no discount") << u"38"_s << 1.0 << qint64(2) << u"0"_s << u"38"_s << u"76"_s;
        // one rounding after the quantity: 3 × 0.0003 × 0.5 is 0.00045, to even 0.0004, where three
        // rounded unit prices would make 0.0006
        row("rounded once") << u"0.0003"_s << 0.5 << qint64(3) << u"1.5"_s << u"0.0002"_s << u"0.0004"_s;
        row("nought quantity") << u"12.5"_s << 0.88 << qint64(0) << u"2"_s << u"11"_s << u"0"_s;
        row("negative quantity") << u"12.5"_s << 0.88 << qint64(-2) << u"2"_s << u"11"_s << u"-22"_s;
    }
}

void TestAddConsume::linePricing()
{
    QFETCH(QString, kind);
    QFETCH(QString, price);
    QFETCH(double, discount);
    QFETCH(qint64, quantity);
    QFETCH(QString, commission);
    QFETCH(QString, actual);
    QFETCH(QString, total);
    TestDatabase t(kind);
    const Database &db = t.db();
    openBill(db, u"A2"_s, u"A1"_s, QDateTime::currentDateTime());
    const qint64 id = addItem(db, u"项目"_s, price, discount, commission);
    const std::optional<Consumption::Item> item = Consumption::item(db, id);
    QVERIFY(item);
    const QDateTime now(QDate(2026, 5, 1), QTime(21, 0, 5));
    Consumption::Line line = Consumption::newLine(u"A2"_s, u"A1"_s, *item, quantity, u"收银甲"_s, now);
    QCOMPARE(line.actualPrice().toString(), actual);
    QCOMPARE(line.total().toString(), total);
    Consumption::post(db, line);

    Cursor c = db.query(Statement(u"select * from 手牌消费"_s));
    QVERIFY(c.next());
    QCOMPARE(c.text(u"手牌号码"_s), u"A2"_s);
    QCOMPARE(c.text(u"主手牌号"_s), u"A1"_s);
    QCOMPARE(c.text(u"项目名"_s), u"项目"_s);
    QCOMPARE(c.money(u"单价"_s).toString(), Money::parse(price)->toString());
    QCOMPARE(c.money(u"提成金额"_s).toString(), Money::parse(commission)->toString()); // once per line
    QCOMPARE(c.money(u"实际单价"_s).toString(), actual);
    QCOMPARE(c.integer(u"数量"_s), quantity);
    QCOMPARE(c.real(u"打折率"_s), discount);
    QCOMPARE(c.money(u"合计"_s).toString(), total);
    QCOMPARE(c.dateTime(u"消费时间"_s), now);
    QCOMPARE(c.text(u"是否计时"_s), u"否"_s);
    QCOMPARE(c.text(u"状态"_s), u"消费完毕"_s);
    QCOMPARE(c.text(u"服务生编号"_s), u"收银甲"_s);
    QCOMPARE(c.text(u"服务生姓名"_s), u"收银甲"_s);
    QCOMPARE(c.text(u"营业员"_s), u"收银甲"_s);
    QCOMPARE(c.text(u"打折对象"_s), u"所有顾客"_s);
    QVERIFY(!c.next());
}

void TestAddConsume::quantityIsAWholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint64>>("expected");
    QTest::newRow("one") << u"1"_s << std::optional<qint64>(1);
    QTest::newRow("blanks around") << u" 12 "_s << std::optional<qint64>(12);
    QTest::newRow("nought") << u"0"_s << std::optional<qint64>(0);
    QTest::newRow("negative") << u"-3"_s << std::optional<qint64>(-3);
    QTest::newRow("empty") << QString() << std::optional<qint64>();
    QTest::newRow("fraction") << u"1.5"_s << std::optional<qint64>();
    QTest::newRow("words") << u"两"_s << std::optional<qint64>();
    QTest::newRow("trailing letters") << u"3杯"_s << std::optional<qint64>();
}

void TestAddConsume::quantityIsAWholeNumber()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint64>, expected);
    QCOMPARE(Consumption::parseQuantity(text), expected);
}

// A quantity or a price that would take a line past what money holds is refused when the
// line is made, naming the item, before any picker opens or anything is written.
void TestAddConsume::linesBeyondTheLimitAreRefused()
{
    const QDateTime now(QDate(2026, 12, 9), QTime(12, 0));
    const Consumption::Item tea{u"茶水"_s, Money::fromUnits(100), Money(), 1, false};
    QVERIFY_THROWS_EXCEPTION(Consumption::LineOutOfRange,
                             Consumption::newLine(u"A1"_s, u"A1"_s, tea, 92233720368548, u"甲"_s, now));
    QVERIFY_THROWS_EXCEPTION(Consumption::LineOutOfRange,
                             Consumption::newLine(u"A1"_s, u"A1"_s, tea, -(Consumption::MaxQuantity + 1), u"甲"_s, now));
    const Consumption::Item dear{u"金卡套餐"_s, *Money::parse(u"99999999999999"_s), Money(), 1, false};
    try {
        Consumption::newLine(u"A1"_s, u"A1"_s, dear, 10, u"甲"_s, now);
        QFAIL("a line of a price beyond the limit was made");
    } catch (const Consumption::LineOutOfRange &e) {
        QVERIFY(e.text().contains(u"金卡套餐"_s));
    }
    const Consumption::Item fine{u"足疗"_s, *Money::parse(u"9999.99"_s), Money(), 0.9, false};
    const Consumption::Line line =
        Consumption::newLine(u"A1"_s, u"A1"_s, fine, Consumption::MaxQuantity, u"甲"_s, now);
    QCOMPARE(line.total().toString(), u"89990910.009"_s);
}

void TestAddConsume::itemAndMasterAreRead()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addVenue(db);
    const auto needs = [&db](const QString &name) {
        const qint64 id =
            db.scalar(Statement(u"select ID from 商品项目库 where 项目名="_s).text(name)).toLongLong();
        return Consumption::item(db, id)->needsService;
    };
    QVERIFY(needs(u"足疗"_s));
    QVERIFY(!needs(u"可乐"_s));
    QVERIFY(!needs(u"啤酒"_s)); // empty is not "是"
    QVERIFY(!Consumption::item(db, 999999).has_value());

    QCOMPARE(Consumption::masterOf(db, u"A2"_s), u"A1"_s);
    QCOMPARE(Consumption::masterOf(db, u"A1"_s), u"A1"_s);
    QCOMPARE(Consumption::masterOf(db, u"无此牌"_s), QString());
}

void TestAddConsume::linesGoOnlyToAnOpenBillAndItsCurrentMaster()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addVenue(db);
    const qint64 cola = db.scalar(Statement(u"select ID from 商品项目库 where 项目名="_s).text(u"可乐"_s)).toLongLong();
    const Consumption::Item item = *Consumption::item(db, cola);
    const QDateTime now = QDateTime::currentDateTime();

    // the screen read master A1 for A2; meanwhile the bill was settled elsewhere
    const Consumption::Line late = Consumption::newLine(u"A2"_s, u"A1"_s, item, 1, Operator, now);
    db.execute(Statement(u"delete from 手牌开单 where 手牌号码="_s).text(u"A2"_s));
    QVERIFY_THROWS_EXCEPTION(Consumption::TagNotOpen, Consumption::post(db, late));
    QCOMPARE(count(db, u"手牌消费"_s), 0);

    // the bill of B1 was opened again, now joined to A1's group
    db.execute(Statement(u"update 手牌开单 set 主手牌号="_s).text(u"A1"_s).sql(u" where 手牌号码="_s).text(u"B1"_s));
    Consumption::post(db, Consumption::newLine(u"B1"_s, u"B1"_s, item, 1, Operator, now));
    QCOMPARE(db.scalar(Statement(u"select 主手牌号 from 手牌消费"_s)).toString(), u"A1"_s);
}

void TestAddConsume::itemWithoutARateIsAtFullPrice()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    db.execute(Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(u"毛巾"_s)},
                                                   {u"单价"_s, SqlValue::money(Money::fromUnits(5))},
                                                   {u"打折率"_s, SqlValue::null()}}));
    const qint64 id = db.scalar(Statement(u"select max(ID) from 商品项目库"_s)).toLongLong();
    const Consumption::Line line =
        Consumption::newLine(u"A1"_s, u"A1"_s, *Consumption::item(db, id), 2, Operator, QDateTime::currentDateTime());
    QCOMPARE(line.total().toString(), u"10"_s);
    // and an item added without naming a rate gets the full-price default
    db.execute(Statement::insert(u"商品项目库"_s, {{u"项目名"_s, SqlValue::text(u"拖鞋"_s)},
                                                   {u"单价"_s, SqlValue::money(Money::fromUnits(3))}}));
    const qint64 second = db.scalar(Statement(u"select max(ID) from 商品项目库"_s)).toLongLong();
    QCOMPARE(Consumption::item(db, second)->discount, 1.0);
}

void TestAddConsume::searchTakesTheFirstNameWithThePrefix_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("expected"); // empty: none, the current row stays
    for (const QString &kind : TestDatabase::availableKinds()) {
        const auto row = [&kind](const char *name, const QString &prefix, const QString &expected) {
            QTest::addRow("%s %s", qPrintable(kind), name) << kind << prefix << expected;
        };
        row("prefix of two", u"啤"_s, u"啤酒"_s);
        row("longer prefix", u"啤酒("_s, u"啤酒(大)"_s);
        row("no name begins so", u"乐"_s, QString());
        row("empty: the first of all", QString(), u"Tea"_s);
        row("case counts", u"tea"_s, QString());
        row("far past the first block", u"足"_s, u"足疗"_s);
        row("initials", u"tsam"_s, u"泰式按摩"_s);
        row("initials in capitals", u"TS"_s, u"泰式按摩"_s);
        row("initials stored in capitals", u"bs"_s, u"冰水"_s);
        row("a name before initials", u"汤0"_s, u"汤000"_s);
    }
}

void TestAddConsume::searchTakesTheFirstNameWithThePrefix()
{
    QFETCH(QString, kind);
    QFETCH(QString, prefix);
    QFETCH(QString, expected);
    Screen s(u"B1"_s, false, kind);
    const Database &db = s.t.db();
    addItem(db, u"Tea"_s, u"5"_s, 1);
    const qint64 massage = addItem(db, u"泰式按摩"_s, u"198"_s, 1);
    db.execute(Statement(u"update 商品项目库 set 名称拼音="_s).text(u"tsam"_s).sql(u" where ID="_s).integer(massage));
    // A catalogue brought in from elsewhere may keep its initials in capitals.
    const qint64 water = addItem(db, u"冰水"_s, u"3"_s, 1);
    db.execute(Statement(u"update 商品项目库 set 名称拼音="_s).text(u"BS"_s).sql(u" where ID="_s).integer(water));
    {
        // Between 啤酒 and 足疗 in name order, so that 足疗 is far from the first rows read.
        Transaction transaction(db);
        for (int i = 0; i < 600; ++i)
            addItem(db, u"汤%1"_s.arg(i, 3, 10, QChar(u'0')), u"8"_s, 1);
        transaction.commit();
    }
    DataGrid *catalogue = s.catalogue();
    catalogue->refresh();
    catalogue->setCurrentRow(1);
    const QString before = catalogue->displayText(1, u"项目名"_s);

    auto *search = s.child<QLineEdit>(u"searchEdit"_s);
    search->setText(prefix);
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(catalogue->displayText(catalogue->currentRow(), u"项目名"_s), expected.isEmpty() ? before : expected);
    QVERIFY(s.prompt.shown.isEmpty());
}

void TestAddConsume::waiterListsShowTheGradeAndMatchExactly()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addVenue(db);
    // every waiter, whatever the state
    QCOMPARE(waiterNumbers(db, Consumption::waitersQuery()), (QStringList{u"001"_s, u"002"_s, u"003"_s}));
    QCOMPARE(waiterNumbers(db, Consumption::waitersNamed(u"小王"_s)), (QStringList{u"001"_s, u"003"_s}));
    QCOMPARE(waiterNumbers(db, Consumption::waitersNamed(u"小"_s)), QStringList());
    QCOMPARE(waiterNumbers(db, Consumption::waitersNumbered(u"002"_s)), QStringList{u"002"_s});
    QCOMPARE(waiterNumbers(db, Consumption::waitersNumbered(u"2"_s)), QStringList());

    Cursor c = db.query(Consumption::waitersNumbered(u"003"_s));
    QVERIFY(c.next());
    QCOMPARE(c.text(u"服务等级"_s), u"三级"_s);
}

void TestAddConsume::joinedTagShowsAndAddsItsOwnLines()
{
    Screen s(u"A2"_s);
    QCOMPARE(s.form->windowTitle(), u"增加消费"_s);
    QCOMPARE(s.child<QLabel>(u"tagLabel"_s)->text(), u"A2"_s);
    QCOMPARE(s.child<QLabel>(u"masterLabel"_s)->text(), u"A1"_s);
    QCOMPARE(s.lines()->totalCount(), 2);
    QCOMPARE(column(s.lines(), u"项目名"_s), (QStringList{u"门票"_s, u"茶水"_s}));
    QVERIFY(s.lines()->isEnabled());
    QCOMPARE(column(s.catalogue(), u"项目名"_s),
             (QStringList{u"可乐"_s, u"啤酒"_s, u"啤酒(大)"_s, u"足疗"_s}));
    QCOMPARE(column(s.catalogue(), u"单价"_s), (QStringList{u"6"_s, u"12.5"_s, u"20"_s, u"50"_s}));
    QVERIFY(s.child<QLineEdit>(u"searchEdit"_s)->text().isEmpty());
    QCOMPARE(s.child<QLineEdit>(u"quantityEdit"_s)->text(), u"1"_s);
    // no service needed: no picker, and the operator is the waiter
    s.add(u"可乐"_s);
    QVERIFY(s.prompt.shown.isEmpty());
    QCOMPARE(s.storedLines(u"A2"_s).last(), u"可乐/"_s + Operator + u'/' + Operator);
    QCOMPARE(column(s.lines(), u"项目名"_s).last(), u"可乐"_s);
    Cursor c = s.t.db().query(Statement(u"select * from 手牌消费 where 项目名="_s).text(u"可乐"_s));
    QVERIFY(c.next());
    QCOMPARE(c.text(u"主手牌号"_s), u"A1"_s); // the master of the joined tag's bill
    QCOMPARE(Consumption::lineCount(s.t.db(), u"A1"_s), 1);
}

void TestAddConsume::pickerOutcomeDecidesTheLine_data()
{
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QStringList>("expected");
    const QString before = u"门票//"_s; // the fixture's lines have no waiter
    QTest::newRow("chosen") << u"chosen"_s << QStringList{before, u"茶水//"_s, u"足疗/002/小李"_s};
    QTest::newRow("double click") << u"activated"_s << QStringList{before, u"茶水//"_s, u"足疗/002/小李"_s};
    QTest::newRow("cancelled") << u"cancelled"_s << QStringList{before, u"茶水//"_s};
    QTest::newRow("escape") << u"escape"_s << QStringList{before, u"茶水//"_s};
    QTest::newRow("close box") << u"closed"_s
                               << QStringList{before, u"茶水//"_s, u"足疗/"_s + Operator + u'/' + Operator};
}

void TestAddConsume::pickerOutcomeDecidesTheLine()
{
    QFETCH(QString, ending);
    QFETCH(QStringList, expected);
    Screen s(u"A2"_s);
    s.add(u"足疗"_s, [&ending](TFwsXzFm &picker) {
        auto *grid = picker.findChild<DataGrid *>(u"waiterGrid"_s);
        grid->setCurrentRow(1); // 002 小李
        if (ending == u"chosen"_s)
            QTest::mouseClick(picker.findChild<QPushButton *>(u"chooseButton"_s), Qt::LeftButton);
        else if (ending == u"activated"_s)
            emit grid->rowActivated(1);
        else if (ending == u"cancelled"_s)
            QTest::mouseClick(picker.findChild<QPushButton *>(u"cancelButton"_s), Qt::LeftButton);
        else if (ending == u"escape"_s)
            QTest::keyClick(&picker, Qt::Key_Escape);
        else
            picker.close();
    });
    QCOMPARE(s.storedLines(u"A2"_s), expected);
    QCOMPARE(s.lines()->totalCount(), qint64(expected.size()));
    QVERIFY(s.form->isVisible());
}

void TestAddConsume::badQuantityWritesNothing_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::newRow("fraction") << u"1.5"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("words") << u"两"_s;
}

void TestAddConsume::badQuantityWritesNothing()
{
    QFETCH(QString, quantity);
    Screen s(u"B1"_s, false);
    s.child<QLineEdit>(u"quantityEdit"_s)->setText(quantity);
    s.add(u"足疗"_s); // needs service, yet no picker opens for a bad quantity
    QCOMPARE(s.prompt.shown, QStringList{Consumption::badQuantityMessage()});
    QCOMPARE(count(s.t.db(), u"手牌消费"_s), 0);
    QVERIFY(!s.lines()->isEnabled());
}

void TestAddConsume::quantityIsKeptBetweenAdditions()
{
    Screen s(u"B1"_s, false);
    QVERIFY(!s.lines()->isEnabled());
    s.child<QLineEdit>(u"quantityEdit"_s)->setText(u"-2"_s);
    s.add(u"可乐"_s);
    QVERIFY(s.lines()->isEnabled()); // the first line enables the grid
    // a double click on the catalogue adds as "增加" does
    s.chooseItem(u"啤酒"_s);
    emit s.catalogue()->rowActivated(s.catalogue()->currentRow());
    QCOMPARE(s.child<QLineEdit>(u"quantityEdit"_s)->text(), u"-2"_s);
    QCOMPARE(column(s.lines(), u"数量"_s), (QStringList{u"-2"_s, u"-2"_s}));
    QCOMPARE(column(s.lines(), u"合计"_s), (QStringList{u"-12"_s, u"-22"_s}));
    QCOMPARE(column(s.lines(), u"实际单价"_s), (QStringList{u"6"_s, u"11"_s}));
}

void TestAddConsume::searchMovesToTheFirstMatch()
{
    Screen s;
    auto *search = s.child<QLineEdit>(u"searchEdit"_s);
    const auto find = [&](const QString &text) {
        search->setText(text);
        QTest::keyClick(search, Qt::Key_Return);
        return s.catalogue()->displayText(s.catalogue()->currentRow(), u"项目名"_s);
    };
    QCOMPARE(find(u"啤"_s), u"啤酒"_s);
    QCOMPARE(find(u"足"_s), u"足疗"_s);
    QCOMPARE(find(u"咖啡"_s), u"足疗"_s); // no match: the grid stays where it is
    QVERIFY(s.prompt.shown.isEmpty());
    QCOMPARE(count(s.t.db(), u"手牌消费"_s), 3); // Enter in the search box adds nothing

    // sorted by price downwards, the search still finds the item by name
    s.catalogue()->sortBy(u"单价"_s, Qt::DescendingOrder);
    QCOMPARE(find(u"可"_s), u"可乐"_s);
    QCOMPARE(s.catalogue()->currentRow(), 3);
}

void TestAddConsume::deletingAsksAndDisablesAnEmptyGrid()
{
    Screen s(u"A2"_s);
    s.lines()->setCurrentRow(1);
    s.prompt.confirmAnswers = {false};
    s.click(u"deleteButton"_s);
    QCOMPARE(s.prompt.shown, QStringList{u"您是否要删除 茶水"_s});
    QCOMPARE(s.lines()->totalCount(), 2);

    s.prompt.confirmAnswers = {true, true};
    s.click(u"deleteButton"_s);
    QCOMPARE(s.lines()->totalCount(), 1);
    QVERIFY(s.lines()->isEnabled());
    s.lines()->setCurrentRow(0);
    s.click(u"deleteButton"_s); // the ticket line may go too
    QCOMPARE(s.prompt.shown.last(), u"您是否要删除 门票"_s);
    QCOMPARE(s.lines()->totalCount(), 0);
    QVERIFY(!s.lines()->isEnabled());
    QCOMPARE(Consumption::lineCount(s.t.db(), u"A1"_s), 1); // the master's line is not this tag's

    s.add(u"可乐"_s);
    QVERIFY(s.lines()->isEnabled());
}

void TestAddConsume::escapeDeletesAndEmptyTagSaysSo()
{
    Screen s(u"B1"_s, false);
    QTest::keyClick(s.child<QLineEdit>(u"quantityEdit"_s), Qt::Key_Escape);
    QCOMPARE(s.prompt.shown, QStringList{u"没有可以删除的了!"_s});
    QVERIFY(s.form->isVisible()); // Escape deletes; it does not close the screen

    s.add(u"可乐"_s);
    s.prompt.confirmAnswers = {true};
    QTest::keyClick(s.lines()->view(), Qt::Key_Escape); // from the grid as well
    QCOMPARE(s.prompt.shown.last(), u"您是否要删除 可乐"_s);
    QCOMPARE(count(s.t.db(), u"手牌消费"_s), 0);

    s.click(u"closeButton"_s);
    QVERIFY(!s.form->isVisible());
}

void TestAddConsume::pickerSearchesAndChooses()
{
    Picker p;
    QCOMPARE(p.form->windowTitle(), u"选择服务生"_s);
    QCOMPARE(column(p.grid(), u"服务生编号"_s), (QStringList{u"001"_s, u"002"_s, u"003"_s}));
    QCOMPARE(column(p.grid(), u"服务等级"_s), (QStringList{u"一级"_s, u"二级"_s, u"三级"_s}));
    QCOMPARE(column(p.grid(), u"状态"_s), (QStringList{u"上班"_s, u"下班"_s, u"请假"_s}));

    p.enter(u"nameEdit"_s, u"小王"_s);
    QCOMPARE(column(p.grid(), u"服务生编号"_s), (QStringList{u"001"_s, u"003"_s}));
    p.enter(u"numberEdit"_s, u"002"_s);
    QCOMPARE(column(p.grid(), u"服务生编号"_s), QStringList{u"002"_s});
    p.enter(u"nameEdit"_s, QString()); // an empty box does nothing
    QCOMPARE(column(p.grid(), u"服务生编号"_s), QStringList{u"002"_s});
    p.click(u"allButton"_s);
    QCOMPARE(p.grid()->totalCount(), 3);
    QVERIFY(p.form->isVisible());       // Enter in a box never ends the picker
    p.enter(u"numberEdit"_s, u"999"_s); // "选择" on an empty list is refused: no nameless waiter
    p.click(u"chooseButton"_s);
    QVERIFY(p.form->isVisible());
    QCOMPARE(p.prompt.last(), u"请先选择服务生!"_s);
    QVERIFY(p.form->outcome() != TFwsXzFm::Outcome::Chosen);
    QVERIFY(p.form->waiterNumber().isEmpty() && p.form->waiterName().isEmpty());
}

QTEST_MAIN(TestAddConsume)
#include "tst_addconsume.moc"
