// The member types screen, clicked through on every database kind: what adding, saving,
// cancelling and deleting write, that typed edits are not lost nor half-written, and that the
// window is left only by "退出" and never in the middle of adding a type.
#include "card/CardReader.h"
#include "db/Refusal.h"
#include "members/MemBerTypeUt.h"
#include "members/MemberTypes.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

const QString Types = u"会员类型"_s;

struct Screen
{
    explicit Screen(const QString &kind) : t(kind)
    {
        const Database &db = t.db();
        addMemberType(db, u"金卡"_s, 0.85);
        addMemberType(db, u"银卡"_s, 0.9);
        run = runState(db, t.baseDir());
        device = makeReaderDevice(run.ini, t.baseDir());
        reader = std::make_unique<CardReader>(*device, prompt);
        screen = std::make_unique<TMemBerTypeFm>(ScreenContext{db, SessionView(run), prompt, *reader});
        screen->show();
    }

    // The box is found by its label, as a screen reader finds it.
    QLineEdit *box(const QString &label) const
    {
        for (const QLabel *l : screen->findChildren<QLabel *>()) {
            if (l->text() == label)
                return qobject_cast<QLineEdit *>(l->buddy());
        }
        qFatal("no box labelled %s", qUtf8Printable(label));
    }
    QPushButton *button(const QString &text) const
    {
        for (QPushButton *b : screen->findChildren<QPushButton *>()) {
            if (b->text() == text)
                return b;
        }
        qFatal("no button %s", qUtf8Printable(text));
    }
    DataGrid *grid() const { return screen->findChild<DataGrid *>(); }
    void click(const QString &text) const { QTest::mouseClick(button(text), Qt::LeftButton); }
    void type(const QString &label, const QString &text) const
    {
        QLineEdit *edit = box(label);
        edit->selectAll();
        // Key by key, as typed; keyClicks() knows Latin-1 only.
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    QStringList shown() const
    {
        return {box(u"类型名称"_s)->text(), box(u"初始积分"_s)->text(), box(u"打折率"_s)->text()};
    }
    // Every type as "name rate points", in the order added.
    QStringList stored() const
    {
        QStringList rows;
        Cursor c = t.db().query(Statement(u"select 类型名称, 打折率, 初始积分 from 会员类型 order by id"_s));
        while (c.next()) {
            rows.append(u"%1 %2 %3"_s.arg(c.text(u"类型名称"_s))
                            .arg(c.real(u"打折率"_s))
                            .arg(c.integer(u"初始积分"_s)));
        }
        return rows;
    }
    bool buttonsOfTheListEnabled() const
    {
        return button(u"添加"_s)->isEnabled() && button(u"删除"_s)->isEnabled() &&
               button(u"退出"_s)->isEnabled();
    }
    bool buttonsOfTheListDisabled() const
    {
        return !button(u"添加"_s)->isEnabled() && !button(u"删除"_s)->isEnabled() &&
               !button(u"退出"_s)->isEnabled();
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    std::unique_ptr<ReaderDevice> device;
    std::unique_ptr<CardReader> reader;
    std::unique_ptr<TMemBerTypeFm> screen;
};

const QStringList Delivered{u"金卡 0.85 0"_s, u"银卡 0.9 0"_s};

} // namespace

class TestMemberTypes : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTheListWithTheFirstTypeInTheBoxes_data() { TestDatabase::addKindRows(); }
    void opensOnTheListWithTheFirstTypeInTheBoxes();
    void addingWritesOneRowOnlyWhenTyped_data() { TestDatabase::addKindRows(); }
    void addingWritesOneRowOnlyWhenTyped();
    void cancelDropsTheNewTypeAndTheEdits_data() { TestDatabase::addKindRows(); }
    void cancelDropsTheNewTypeAndTheEdits();
    void theWindowStaysOpenWhileAdding_data() { TestDatabase::addKindRows(); }
    void theWindowStaysOpenWhileAdding();
    void deleteAsksByNameAndLeavesMembersAlone_data() { TestDatabase::addKindRows(); }
    void deleteAsksByNameAndLeavesMembersAlone();
    void editsAreWrittenBeforeAnotherTypeIsShown_data() { TestDatabase::addKindRows(); }
    void editsAreWrittenBeforeAnotherTypeIsShown();
    void aBadRateIsRefusedAndNothingWritten_data() { TestDatabase::addKindRows(); }
    void aBadRateIsRefusedAndNothingWritten();
};

void TestMemberTypes::opensOnTheListWithTheFirstTypeInTheBoxes()
{
    QFETCH(QString, kind);
    Screen s(kind);
    QCOMPARE(s.screen->windowTitle(), u"会员类型"_s);
    QVERIFY(!(s.screen->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(s.grid()->totalCount(), 2);
    QCOMPARE(s.grid()->view()->accessibleName(), u"会员类型"_s);
    QStringList fields;
    for (const GridColumn &c : s.grid()->columns())
        fields.append(c.field);
    QCOMPARE(fields, (QStringList{u"id"_s, u"类型名称"_s, u"打折率"_s, u"初始积分"_s}));
    QCOMPARE(s.shown(), (QStringList{u"金卡"_s, u"0"_s, u"0.85"_s}));
    QVERIFY(s.buttonsOfTheListEnabled());
}

void TestMemberTypes::addingWritesOneRowOnlyWhenTyped()
{
    QFETCH(QString, kind);
    Screen s(kind);
    s.click(u"添加"_s);
    QCOMPARE(s.shown(), (QStringList{QString(), QString(), QString()}));
    QVERIFY(s.buttonsOfTheListDisabled());
    s.click(u"保存"_s); // never typed into: dropped
    QCOMPARE(s.stored(), Delivered);
    QVERIFY(s.buttonsOfTheListEnabled());
    QCOMPARE(s.shown().first(), u"金卡"_s);

    s.click(u"添加"_s);
    s.type(u"类型名称"_s, u"钻石卡"_s);
    s.type(u"打折率"_s, u"0.7"_s);
    s.click(u"保存"_s);
    // The points box was left empty: the table's nought, never a null.
    QCOMPARE(s.stored(), Delivered + QStringList{u"钻石卡 0.7 0"_s});
    QVERIFY(s.buttonsOfTheListEnabled());
    QVERIFY(!s.screen->isAdding());
    QCOMPARE(s.grid()->currentRow(), 2);
    QCOMPARE(s.shown(), (QStringList{u"钻石卡"_s, u"0"_s, u"0.7"_s}));
    QVERIFY(s.prompt.shown.isEmpty());

    // Names may repeat; the rate left empty is the table's 1, no discount.
    s.click(u"添加"_s);
    s.type(u"类型名称"_s, u"金卡"_s);
    s.click(u"保存"_s);
    QCOMPARE(s.stored().last(), u"金卡 1 0"_s);
}

void TestMemberTypes::cancelDropsTheNewTypeAndTheEdits()
{
    QFETCH(QString, kind);
    Screen s(kind);
    s.click(u"添加"_s);
    s.type(u"类型名称"_s, u"钻石卡"_s);
    s.click(u"取消"_s);
    QCOMPARE(s.stored(), Delivered);
    QVERIFY(s.buttonsOfTheListEnabled());
    QCOMPARE(s.shown(), (QStringList{u"金卡"_s, u"0"_s, u"0.85"_s}));

    s.type(u"打折率"_s, u"0.5"_s);
    s.click(u"取消"_s);
    QCOMPARE(s.shown().last(), u"0.85"_s);
    s.click(u"保存"_s); // nothing left to write
    QCOMPARE(s.stored(), Delivered);
}

void TestMemberTypes::theWindowStaysOpenWhileAdding()
{
    QFETCH(QString, kind);
    Screen s(kind);
    s.click(u"添加"_s);
    QVERIFY(!s.button(u"退出"_s)->isEnabled());
    QTest::keyClick(s.screen.get(), Qt::Key_Escape);
    QVERIFY(s.screen->isVisible());
    s.screen->reject();
    QVERIFY(s.screen->isVisible());

    s.click(u"取消"_s);
    s.click(u"退出"_s);
    QVERIFY(!s.screen->isVisible());
}

void TestMemberTypes::deleteAsksByNameAndLeavesMembersAlone()
{
    QFETCH(QString, kind);
    Screen s(kind);
    addMember(s.t.db(), u"8001"_s, u"1"_s, u"银卡"_s, u"0"_s, 0);
    s.grid()->setCurrentRow(1);
    QCOMPARE(s.shown().first(), u"银卡"_s);

    s.prompt.confirmAnswers = {false};
    s.click(u"删除"_s);
    QCOMPARE(s.prompt.shown, QStringList{u"您是否要删除\" 银卡\""_s});
    QCOMPARE(s.stored(), Delivered);

    s.prompt.confirmAnswers = {true};
    s.click(u"删除"_s);
    QCOMPARE(s.stored(), QStringList{u"金卡 0.85 0"_s});
    QCOMPARE(s.t.db().scalar(Statement(u"select 会员类型 from 会员管理"_s)).toString(), u"银卡"_s);
    QCOMPARE(s.shown().first(), u"金卡"_s);

    s.prompt.confirmAnswers = {true};
    s.click(u"删除"_s);
    QCOMPARE(s.stored(), QStringList());
    QCOMPARE(s.shown(), (QStringList{QString(), QString(), QString()}));
    s.prompt.shown.clear();
    s.prompt.confirmAnswers = {true};
    s.click(u"删除"_s);
    QCOMPARE(s.prompt.shown, QStringList{MemberTypes::nothingToDeleteMessage()});
}

void TestMemberTypes::editsAreWrittenBeforeAnotherTypeIsShown()
{
    QFETCH(QString, kind);
    Screen s(kind);
    s.type(u"类型名称"_s, u"黄金卡"_s);
    s.grid()->setCurrentRow(1);
    QCOMPARE(s.stored(), (QStringList{u"黄金卡 0.85 0"_s, u"银卡 0.9 0"_s}));
    QCOMPARE(s.shown().first(), u"银卡"_s);

    s.type(u"初始积分"_s, u"100"_s);
    s.click(u"保存"_s);
    QCOMPARE(s.stored().last(), u"银卡 0.9 100"_s);
    QCOMPARE(s.grid()->currentRow(), 1);

    const qint64 silver = s.grid()->value(1, u"id"_s).toLongLong();

    // A header click that sorts another type under the same index: the boxes follow it, once
    // the edit of the one they showed is written.
    s.grid()->setCurrentRow(0);
    s.type(u"打折率"_s, u"0.8"_s);
    s.grid()->sortBy(u"id"_s, Qt::DescendingOrder);
    QTRY_COMPARE(s.shown().first(), u"银卡"_s);
    QCOMPARE(s.grid()->currentRow(), 0);
    QCOMPARE(s.stored(), (QStringList{u"黄金卡 0.8 0"_s, u"银卡 0.9 100"_s}));

    // A type deleted by another counter meanwhile is not written back by an edit.
    MemberTypes rules(s.t.db());
    rules.remove(silver);
    QVERIFY_THROWS_EXCEPTION(Refusal, rules.change(silver, {{u"类型名称"_s, SqlValue::text(u"白银卡"_s)}}));
    QCOMPARE(s.stored(), QStringList{u"黄金卡 0.8 0"_s});
}

void TestMemberTypes::aBadRateIsRefusedAndNothingWritten()
{
    QFETCH(QString, kind);
    Screen s(kind);
    QVERIFY(QTest::qWaitForWindowActive(s.screen.get()));
    s.click(u"添加"_s);
    s.type(u"类型名称"_s, u"钻石卡"_s);
    s.type(u"打折率"_s, u"abc"_s);
    s.click(u"保存"_s);
    QCOMPARE(s.prompt.shown, QStringList{u"打折率必须是数字!"_s});
    QVERIFY(s.box(u"打折率"_s)->hasFocus());
    QCOMPARE(s.stored(), Delivered);
    QVERIFY(s.screen->isAdding());
    s.click(u"取消"_s);

    // Leaving a type with a refused edit stays on it, the typing kept.
    s.prompt.shown.clear();
    s.type(u"初始积分"_s, u"1.5"_s);
    s.grid()->setCurrentRow(1);
    QCOMPARE(s.prompt.shown, QStringList{u"初始积分必须是整数!"_s});
    QCOMPARE(s.grid()->currentRow(), 0);
    QCOMPARE(s.shown(), (QStringList{u"金卡"_s, u"1.5"_s, u"0.85"_s}));
    QCOMPARE(s.stored(), Delivered);
    s.click(u"退出"_s);
    QVERIFY(s.screen->isVisible());

    // A rate the counter would refuse at checkout is refused here: above 1, 0 or below.
    s.type(u"初始积分"_s, u"0"_s);
    for (const QString &rate : {u"2"_s, u"0"_s, u"-0.5"_s}) {
        s.prompt.shown.clear();
        s.type(u"打折率"_s, rate);
        s.click(u"保存"_s);
        QCOMPARE(s.prompt.shown, QStringList{u"打折率必须是大于0且不大于1的数字!"_s});
        QCOMPARE(s.stored(), Delivered);
    }
    s.prompt.shown.clear();
    s.type(u"打折率"_s, u"1"_s);
    s.click(u"保存"_s);
    QVERIFY(s.prompt.shown.isEmpty());
    QVERIFY(s.stored() != Delivered);
}

QTEST_MAIN(TestMemberTypes)
#include "tst_membertypes.moc"
