// Room types and hand tags on every database kind: numbered batches (marker in front, behind,
// none; a run over an existing tag stores none of it; an end below the start), the single-tag
// dialog, the tag-state window and the board's counts after it, the deletions refused while
// something still needs the row, and a room type's new name carried to its tags and open bills.
#include "app/Board.h"
#include "db/Refusal.h"
#include "setup/AddSpUt.h"
#include "setup/EditSpUt.h"
#include "setup/FormDriver.h"
#include "setup/SpSetUt.h"
#include "setup/SpStatusUt.h"
#include "setup/Tags.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace FormDriver;

namespace {

struct Rig
{
    explicit Rig(const QString &kind)
        : t(kind), run(Fixtures::runState(t.db(), t.baseDir())), screens(run, prompt), rules(t.db())
    {
        Fixtures::addRoomType(db(), u"大厅"_s);
        Fixtures::addRoomType(db(), u"贵宾房"_s);
    }

    const Database &db() const { return t.db(); }
    const ScreenContext &ctx() const { return screens.context; }
    // Every tag as "number room state location nature", in the order stored.
    QStringList tags() const
    {
        QStringList rows;
        Cursor c = db().query(Statement(u"select * from 手牌管理 order by id"_s));
        while (c.next()) {
            rows.append(QStringList{c.text(u"手牌号码"_s), c.text(u"所属包厢"_s), c.text(u"手牌状态"_s),
                                    c.text(u"所在位置"_s), c.text(u"包厢性质"_s)}
                            .join(u' '));
        }
        return rows;
    }
    QStringList numbers() const
    {
        QStringList n;
        for (const QString &row : tags())
            n.append(row.section(u' ', 0, 0));
        return n;
    }
    qint64 rowOf(const QString &tag) const
    {
        return db().scalar(Statement(u"select id from 手牌管理 where 手牌号码 = "_s).text(tag)).toLongLong();
    }
    qint64 roomRowOf(const QString &name) const
    {
        return db().scalar(Statement(u"select id from 包厢类型 where 包厢类型 = "_s).text(name)).toLongLong();
    }
    // Runs the batch dialog as typed; true when it closed.
    bool batch(const QString &marker, bool front, const QString &start, const QString &end)
    {
        TAddSpFm dialog(ctx(), u"大厅"_s);
        dialog.show();
        type(&dialog, u"标记字符:"_s, marker);
        Fixtures::childNamed<QRadioButton>(&dialog, front ? u"frontRadio"_s : u"behindRadio"_s)->setChecked(true);
        type(&dialog, u"起始数值:"_s, start);
        type(&dialog, u"终止数值:"_s, end);
        type(&dialog, u"所在位置:"_s, u"二楼"_s);
        type(&dialog, u"包厢性质:"_s, u"男宾"_s);
        click(&dialog, u"保存"_s);
        return dialog.result() == QDialog::Accepted;
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    Fixtures::ScreenRig screens;
    Tags rules;
};

QStringList expected(const QStringList &numbers)
{
    QStringList rows;
    for (const QString &n : numbers)
        rows.append(n + u" 大厅 可用 二楼 男宾"_s);
    return rows;
}

} // namespace

class TestTags : public QObject
{
    Q_OBJECT
private slots:
    void batchesNumberWithoutLeadingZeros_data() { TestDatabase::addKindRows(); }
    void batchesNumberWithoutLeadingZeros();
    void aBatchIsStoredWholeOrNotAtAll_data() { TestDatabase::addKindRows(); }
    void aBatchIsStoredWholeOrNotAtAll();
    void theTagDialogAsksForTheStateEachTime_data() { TestDatabase::addKindRows(); }
    void theTagDialogAsksForTheStateEachTime();
    void theStateWindowNeverTouchesAnOccupiedTag_data() { TestDatabase::addKindRows(); }
    void theStateWindowNeverTouchesAnOccupiedTag();
    void tagsInUseAreNeitherDeletedNorChanged_data() { TestDatabase::addKindRows(); }
    void tagsInUseAreNeitherDeletedNorChanged();
    void roomTypesWithTagsStayAndTheirNewNameTravels_data() { TestDatabase::addKindRows(); }
    void roomTypesWithTagsStayAndTheirNewNameTravels();
    void theScreenShowsTheClickedRoomTypesTags_data() { TestDatabase::addKindRows(); }
    void theScreenShowsTheClickedRoomTypesTags();
};

void TestTags::batchesNumberWithoutLeadingZeros()
{
    QFETCH(QString, kind);
    Rig r(kind);
    QVERIFY(r.batch(u"SP"_s, true, u"1"_s, u"12"_s));
    QCOMPARE(r.prompt.shown, QStringList{u"手牌批量添加成功！"_s});
    QStringList sp;
    for (int n = 1; n <= 12; ++n)
        sp.append(u"SP"_s + QString::number(n));
    QCOMPARE(r.tags(), expected(sp));

    QVERIFY(r.batch(u"A"_s, false, u"5"_s, u"6"_s));
    QVERIFY(r.batch(QString(), true, u"7"_s, u"7"_s));
    QVERIFY(r.batch(u"SP00"_s, true, u"1"_s, u"1"_s));
    QCOMPARE(r.tags(), expected(sp + QStringList{u"5A"_s, u"6A"_s, u"7"_s, u"SP001"_s}));
}

void TestTags::aBatchIsStoredWholeOrNotAtAll()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addTag(r.db(), u"3"_s, u"贵宾房"_s, u"可用"_s);
    QVERIFY(!r.batch(QString(), true, u"1"_s, u"5"_s));
    QCOMPARE(r.prompt.last(), u"手牌号码重复! 手牌\"3\"已经存在，这一批手牌都没有添加。"_s);
    QCOMPARE(r.numbers(), QStringList{u"3"_s});

    QVERIFY(!r.batch(QString(), true, u"9"_s, u"8"_s));
    QCOMPARE(r.prompt.last(), u"终止值不能小于起始值!"_s);
    QVERIFY(!r.batch(QString(), true, QString(), u"8"_s));
    QCOMPARE(r.prompt.last(), u"请输入手牌的起始值和终止值！"_s);
    QVERIFY(!r.batch(QString(), true, u"1"_s, u"99999999999"_s));
    QVERIFY(r.prompt.last().startsWith(u"终止值必须是0到"_s));
    QCOMPARE(r.numbers(), QStringList{u"3"_s});

    // A tag number differs by case: "sp1" is not "SP1".
    QVERIFY(r.batch(u"SP"_s, true, u"1"_s, u"1"_s));
    QVERIFY(r.batch(u"sp"_s, true, u"1"_s, u"1"_s));
    QCOMPARE(r.numbers(), (QStringList{u"3"_s, u"SP1"_s, u"sp1"_s}));
}

void TestTags::theTagDialogAsksForTheStateEachTime()
{
    QFETCH(QString, kind);
    Rig r(kind);
    TEditSpFm add(r.ctx(), std::nullopt, u"贵宾房"_s);
    add.show();
    QCOMPARE(text(&add, u"所属包厢:"_s), u"贵宾房"_s);
    type(&add, u"手牌号码:"_s, u"V1"_s);
    click(&add, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"手牌号码 所属包厢 手牌状态必须填写!"_s);
    qobject_cast<QComboBox *>(box(&add, u"手牌状态:"_s))->setCurrentText(u"预定"_s);
    click(&add, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"添加成功！"_s);
    QCOMPARE(r.tags(), QStringList{u"V1 贵宾房 预定  "_s});

    TEditSpFm duplicate(r.ctx(), std::nullopt, u"大厅"_s);
    duplicate.show();
    type(&duplicate, u"手牌号码:"_s, u"V1"_s);
    qobject_cast<QComboBox *>(box(&duplicate, u"手牌状态:"_s))->setCurrentText(u"可用"_s);
    click(&duplicate, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"手牌号码重复!"_s);
    QVERIFY(duplicate.isVisible());

    TEditSpFm change(r.ctx(), r.rowOf(u"V1"_s));
    change.show();
    QCOMPARE(text(&change, u"手牌号码:"_s), u"V1"_s);
    QCOMPARE(text(&change, u"手牌状态:"_s), QString());
    type(&change, u"所在位置:"_s, u"三楼"_s);
    click(&change, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"手牌号码 所属包厢 手牌状态必须填写!"_s);
    qobject_cast<QComboBox *>(box(&change, u"手牌状态:"_s))->setCurrentText(u"停用"_s);
    click(&change, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"添加成功！"_s);
    QCOMPARE(r.tags(), QStringList{u"V1 贵宾房 停用 三楼 "_s});
}

void TestTags::theStateWindowNeverTouchesAnOccupiedTag()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addTag(r.db(), u"A1"_s, u"大厅"_s, u"可用"_s);
    Fixtures::addTag(r.db(), u"A2"_s, u"大厅"_s, u"占用"_s);
    const QList<std::pair<QString, QString>> moves{{u"变为预定"_s, u"预定"_s}, {u"变为停用"_s, u"停用"_s},
                                                   {u"变为可用"_s, u"可用"_s}, {u"变为停用"_s, u"停用"_s},
                                                   {u"变为预定"_s, u"预定"_s}, {u"变为可用"_s, u"可用"_s}};
    for (const auto &[caption, state] : moves) {
        TSpStatusFm window(r.ctx(), u"A1"_s);
        window.show();
        click(&window, caption);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(r.rules.stateOf(u"A1"_s), std::optional<QString>(state));
    }
    TSpStatusFm window(r.ctx(), u"A1"_s);
    window.show();
    click(&window, u"变为停用"_s);
    QCOMPARE(Board::counts(r.db()).disabled, 1);
    QCOMPARE(Board::counts(r.db()).free, 0);
    QCOMPARE(Board::counts(r.db()).occupied, 1);

    TSpStatusFm occupied(r.ctx(), u"A2"_s);
    occupied.show();
    for (const QString &caption : {u"变为可用"_s, u"变为预定"_s, u"变为停用"_s}) {
        click(&occupied, caption);
        QCOMPARE(r.prompt.last(), u"该手牌处于占用状态，请先结帐！"_s);
        QVERIFY(occupied.isVisible());
    }
    QCOMPARE(r.rules.stateOf(u"A2"_s), std::optional<QString>(u"占用"_s));

    // A bill opened at another counter after the window read the state wins.
    TSpStatusFm late(r.ctx(), u"A1"_s);
    late.show();
    r.db().execute(Statement(u"update 手牌管理 set 手牌状态 = '占用' where 手牌号码 = 'A1'"_s));
    click(&late, u"变为可用"_s);
    QCOMPARE(r.prompt.last(), u"该手牌处于占用状态，请先结帐！"_s);
    QCOMPARE(r.rules.stateOf(u"A1"_s), std::optional<QString>(u"占用"_s));
}

void TestTags::tagsInUseAreNeitherDeletedNorChanged()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addTag(r.db(), u"A1"_s, u"大厅"_s, u"占用"_s);
    Fixtures::addTag(r.db(), u"A2"_s, u"大厅"_s, u"可用"_s); // joined to A1's bill, state not yet written
    Fixtures::addTag(r.db(), u"A3"_s, u"大厅"_s, u"可用"_s); // a line left on it
    Fixtures::addTag(r.db(), u"A4"_s, u"大厅"_s, u"可用"_s);
    Fixtures::openBill(r.db(), u"A2"_s, u"A1"_s, QDateTime::currentDateTime());
    Fixtures::addLine(r.db(), u"A3"_s, u"A3"_s, u"茶"_s, u"10"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s, u"A3"_s}) {
        try {
            r.rules.removeTag(r.rowOf(tag));
            QFAIL(qPrintable(u"deleted "_s + tag));
        } catch (const Refusal &refusal) {
            QCOMPARE(refusal.text(), u"手牌\"%1\"正在使用(占用或有未结帐的消费)，请先结帐再删除!"_s.arg(tag));
        }
    }
    QVERIFY_THROWS_EXCEPTION(Refusal, r.rules.changeTag(r.rowOf(u"A1"_s), {{u"手牌号码"_s, SqlValue::text(u"B1"_s)},
                                                                          {u"所属包厢"_s, SqlValue::text(u"大厅"_s)},
                                                                          {u"手牌状态"_s, SqlValue::text(u"可用"_s)}}));
    r.rules.removeTag(r.rowOf(u"A4"_s));
    QCOMPARE(r.numbers(), (QStringList{u"A1"_s, u"A2"_s, u"A3"_s}));

    // Through the screen: the question names the tag, the refusal is shown, the list keeps it.
    TSpSetFm screen(r.ctx());
    screen.show();
    r.prompt.confirmAnswers = {true};
    click(&screen, u"删除"_s); // the room types' button comes first: 大厅 still has tags
    QCOMPARE(r.prompt.shown.at(r.prompt.shown.size() - 2), u"您是否要删除\" 大厅\""_s);
    QCOMPARE(r.prompt.last(),
             u"包厢类型\"大厅\"下还有3个手牌，请先删除这些手牌或把它们改到别的包厢类型!"_s);
    QCOMPARE(screen.roomTypeGrid()->totalCount(), 2);
}

void TestTags::roomTypesWithTagsStayAndTheirNewNameTravels()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addTag(r.db(), u"V1"_s, u"贵宾房"_s, u"占用"_s);
    r.db().execute(Statement::insert(u"手牌开单"_s, {{u"手牌号码"_s, SqlValue::text(u"V1"_s)},
                                                     {u"主手牌号"_s, SqlValue::text(u"V1"_s)},
                                                     {u"包厢类型"_s, SqlValue::text(u"贵宾房"_s)}}));
    r.rules.changeRoomType(r.roomRowOf(u"贵宾房"_s), {{u"包厢类型"_s, SqlValue::text(u"至尊房"_s)}});
    QCOMPARE(r.tags(), QStringList{u"V1 至尊房 占用  "_s});
    QCOMPARE(r.db().scalar(Statement(u"select 包厢类型 from 手牌开单"_s)).toString(), u"至尊房"_s);
    QCOMPARE(r.rules.roomTypeNames(), (QStringList{u"大厅"_s, u"至尊房"_s}));

    // A name another room type has, or none, would put tags on two pages or on none.
    QVERIFY_THROWS_EXCEPTION(Refusal, r.rules.changeRoomType(r.roomRowOf(u"至尊房"_s),
                                                             {{u"包厢类型"_s, SqlValue::text(u"大厅"_s)}}));
    QVERIFY_THROWS_EXCEPTION(Refusal, r.rules.addRoomType({{u"包厢类型"_s, SqlValue::text(u" "_s)}}));
    QCOMPARE(r.tags(), QStringList{u"V1 至尊房 占用  "_s});

    QVERIFY_THROWS_EXCEPTION(Refusal, r.rules.removeRoomType(r.roomRowOf(u"至尊房"_s)));
    r.rules.removeRoomType(r.roomRowOf(u"大厅"_s));
    QCOMPARE(r.rules.roomTypeNames(), QStringList{u"至尊房"_s});
}

void TestTags::theScreenShowsTheClickedRoomTypesTags()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addTag(r.db(), u"A1"_s, u"大厅"_s, u"可用"_s);
    Fixtures::addTag(r.db(), u"A2"_s, u"大厅"_s, u"可用"_s);
    TSpSetFm screen(r.ctx());
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(screen.windowTitle(), u"手牌与包厢设置"_s);
    QCOMPARE(screen.tagGrid()->totalCount(), 2);

    QTableView *rooms = screen.roomTypeGrid()->view();
    QTest::mouseClick(rooms->viewport(), Qt::LeftButton, {},
                      rooms->visualRect(rooms->model()->index(1, 1)).center());
    QCOMPARE(screen.shownRoomType(), u"贵宾房"_s);
    QCOMPARE(screen.tagGrid()->totalCount(), 0);
    QTest::mouseClick(rooms->viewport(), Qt::LeftButton, {},
                      rooms->visualRect(rooms->model()->index(0, 1)).center());
    QCOMPARE(screen.tagGrid()->totalCount(), 2);
}

QTEST_MAIN(TestTags)
#include "tst_tags.moc"
