// The record editor reads every box by its column's kind and refuses what does not parse, naming
// the box; it shows stored rows in the system's text forms. The period is the one place of the
// "first day up to the day after the last" rule, checked against stored date-times and dates.
#include "db/Period.h"
#include "db/Refusal.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/PeriodPicker.h"
#include "widgets/RecordForm.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Members = u"会员管理"_s;

// A member's boxes: card (text), balance (money), points (integer), birthday (a date typed as
// text) and the day joined (a date box).
struct MemberForm
{
    MemberForm() : form(Members)
    {
        form.bind(u"会员卡号"_s, &card, u"会员卡号"_s)
            .bind(u"卡内金额"_s, &balance, u"卡内金额"_s)
            .bind(u"当前积分"_s, &points, u"当前积分"_s)
            .bind(u"出生日期"_s, &birthday, u"出生日期"_s)
            .bind(u"登记日期"_s, &joined, u"登记日期"_s);
    }
    QLineEdit *box(const QString &column)
    {
        if (column == u"卡内金额"_s)
            return &balance;
        if (column == u"当前积分"_s)
            return &points;
        if (column == u"出生日期"_s)
            return &birthday;
        return &card;
    }

    QLineEdit card, balance, points, birthday;
    QDateEdit joined;
    RecordForm form;
};

SqlValue valueOf(const ColumnValues &values, const QString &column)
{
    for (const auto &[name, v] : values) {
        if (name == column)
            return v;
    }
    return SqlValue::text(u"<missing>"_s);
}

bool has(const ColumnValues &values, const QString &column)
{
    return std::any_of(values.begin(), values.end(), [&](const auto &p) { return p.first == column; });
}

qint64 countIn(const Database &db, const QString &table, const QString &column, const Period &period)
{
    Statement st(u"select count(*) from "_s + table + u" where "_s);
    period.appendBounds(st, column);
    return db.scalar(st).toLongLong();
}

} // namespace

class TestRecordForm : public QObject
{
    Q_OBJECT
private slots:
    void refusesWhatDoesNotParse_data();
    void refusesWhatDoesNotParse();
    void readsEachKindAndLeavesBlankNumbersOut();
    void showsStoredRowsInTheirTextForms_data() { TestDatabase::addKindRows(); }
    void showsStoredRowsInTheirTextForms();
    void tellsTypingFromFilling();
    void checkedValuesWarnsAndFocusesTheBox();

    void periodRunsToTheDayAfterTheLast();
    void periodBoundsHoldOnStoredColumns_data() { TestDatabase::addKindRows(); }
    void periodBoundsHoldOnStoredColumns();
    void pickerGivesThePeriodOrRefusesIt();
};

void TestRecordForm::refusesWhatDoesNotParse_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("money with letters") << u"卡内金额"_s << u"12.5元"_s << u"卡内金额必须是金额!"_s;
    QTest::newRow("money twice pointed") << u"卡内金额"_s << u"1.2.3"_s << u"卡内金额必须是金额!"_s;
    QTest::newRow("integer with a fraction") << u"当前积分"_s << u"1.5"_s << u"当前积分必须是整数!"_s;
    QTest::newRow("integer as words") << u"当前积分"_s << u"十"_s << u"当前积分必须是整数!"_s;
    QTest::newRow("date in another form") << u"出生日期"_s << u"2024/02/29"_s << u"出生日期必须是日期!"_s;
    QTest::newRow("date that does not exist") << u"出生日期"_s << u"2023-02-29"_s << u"出生日期必须是日期!"_s;
}

void TestRecordForm::refusesWhatDoesNotParse()
{
    QFETCH(QString, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    MemberForm f;
    f.box(column)->setText(typed);
    try {
        f.form.values();
        QFAIL("the box was accepted");
    } catch (const Refusal &r) {
        QCOMPARE(r.text(), message);
        QCOMPARE(r.field(), column);
    }
}

void TestRecordForm::readsEachKindAndLeavesBlankNumbersOut()
{
    MemberForm f;
    f.balance.setText(u" 1234.5 "_s);
    f.points.setText(u"-7"_s);
    f.birthday.setText(u"2024-02-29"_s);
    f.joined.setDate(QDate(2026, 1, 2));
    ColumnValues v = f.form.values();
    QCOMPARE(valueOf(v, u"卡内金额"_s), SqlValue::money(Money::fromRaw(12345000)));
    QCOMPARE(valueOf(v, u"当前积分"_s), SqlValue::integer(-7));
    QCOMPARE(valueOf(v, u"出生日期"_s), SqlValue::date(QDate(2024, 2, 29)));
    QCOMPARE(valueOf(v, u"登记日期"_s), SqlValue::date(QDate(2026, 1, 2)));
    // An empty text box is an empty text, never dropped: the column is cleared.
    QCOMPARE(valueOf(v, u"会员卡号"_s), SqlValue::text(QString()));

    f.balance.setText(u"  "_s);
    f.points.clear();
    f.birthday.clear();
    v = f.form.values();
    QVERIFY(!has(v, u"卡内金额"_s));
    QVERIFY(!has(v, u"当前积分"_s));
    QVERIFY(!has(v, u"出生日期"_s));

    // A factor takes its decimal text, "abc" is refused.
    QLineEdit rate;
    RecordForm types(u"会员类型"_s);
    types.bind(u"打折率"_s, &rate, u"打折率"_s);
    rate.setText(u"0.88"_s);
    QCOMPARE(valueOf(types.values(), u"打折率"_s), SqlValue::real(0.88));
    rate.setText(u"abc"_s);
    QVERIFY_THROWS_EXCEPTION(Refusal, types.values());
}

void TestRecordForm::showsStoredRowsInTheirTextForms()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const qint64 member = db.insert(Members, {{u"会员卡号"_s, SqlValue::text(u"8001"_s)},
                                              {u"卡内金额"_s, SqlValue::money(*Money::parse(u"1234.5"_s))},
                                              {u"当前积分"_s, SqlValue::integer(30)},
                                              {u"出生日期"_s, SqlValue::date(QDate(1990, 12, 31))},
                                              {u"登记日期"_s, SqlValue::date(QDate(2026, 3, 4))}});
    MemberForm f;
    QVERIFY(f.form.load(db, member));
    QCOMPARE(f.card.text(), u"8001"_s);
    QCOMPARE(f.balance.text(), u"1234.5"_s);
    QCOMPARE(f.points.text(), u"30"_s);
    QCOMPARE(f.birthday.text(), u"1990-12-31"_s);
    QCOMPARE(f.joined.date(), QDate(2026, 3, 4));
    // What is shown reads back as what is stored.
    QCOMPARE(valueOf(f.form.values(), u"卡内金额"_s), SqlValue::money(*Money::parse(u"1234.5"_s)));

    // A rate stored as a double shows its shortest text, not 0.8799999.
    const qint64 type = db.insert(
        u"会员类型"_s, {{u"类型名称"_s, SqlValue::text(u"金卡"_s)}, {u"打折率"_s, SqlValue::real(0.88)}});
    QLineEdit rate;
    RecordForm types(u"会员类型"_s);
    types.bind(u"打折率"_s, &rate, u"打折率"_s);
    QVERIFY(types.load(db, type));
    QCOMPARE(rate.text(), u"0.88"_s);

    // A row that is gone empties the boxes instead of leaving the last one's values.
    QVERIFY(!f.form.load(db, member + 100));
    QVERIFY(f.card.text().isEmpty());
    QVERIFY(f.balance.text().isEmpty());
}

void TestRecordForm::tellsTypingFromFilling()
{
    MemberForm f;
    QSignalSpy edited(&f.form, &RecordForm::edited);
    f.form.setValues({{u"会员卡号"_s, SqlValue::text(u"8001"_s)}, {u"当前积分"_s, SqlValue::integer(3)}});
    QCOMPARE(f.card.text(), u"8001"_s);
    QVERIFY(f.balance.text().isEmpty()); // not among the values: emptied
    QVERIFY(!f.form.isEdited());
    QCOMPARE(edited.count(), 0);

    QTest::keyClicks(&f.points, u"0"_s);
    QVERIFY(f.form.isEdited());
    QVERIFY(edited.count() > 0);
    f.form.clear();
    QVERIFY(!f.form.isEdited());
    f.joined.setDate(QDate(2020, 1, 1));
    QVERIFY(f.form.isEdited());
}

void TestRecordForm::checkedValuesWarnsAndFocusesTheBox()
{
    QWidget screen;
    MemberForm f;
    f.card.setParent(&screen);
    f.points.setParent(&screen);
    screen.show();
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    f.card.setFocus();
    f.points.setText(u"abc"_s);
    ScriptedPrompt prompt;
    QVERIFY(!f.form.checkedValues(prompt, &screen));
    QCOMPARE(prompt.shown, QStringList{u"当前积分必须是整数!"_s});
    QVERIFY(f.points.hasFocus());
    QCOMPARE(f.points.selectedText(), u"abc"_s);

    f.points.setText(u"5"_s);
    QVERIFY(f.form.checkedValues(prompt, &screen));
    QCOMPARE(prompt.shown.size(), 1);
}

void TestRecordForm::periodRunsToTheDayAfterTheLast()
{
    const Period p(QDate(2026, 2, 27), QDate(2026, 2, 28));
    QCOMPARE(p.from(), QDateTime(QDate(2026, 2, 27), QTime(0, 0)));
    QCOMPARE(p.until(), QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    QVERIFY(p.contains(QDateTime(QDate(2026, 2, 28), QTime(23, 59, 59))));
    QVERIFY(!p.contains(QDateTime(QDate(2026, 3, 1), QTime(0, 0))));
    QVERIFY(!p.contains(QDateTime(QDate(2026, 2, 26), QTime(23, 59, 59))));
    QCOMPARE(Period::day(QDate(2026, 2, 28)).until(), p.until());

    Statement st(u"select 1 where "_s);
    p.appendBounds(st, u"t.结帐时间"_s);
    QCOMPARE(st.display(u"'"_s, u"#"_s),
             u"select 1 where t.结帐时间 >= #2026-02-27# and t.结帐时间 < #2026-03-01#"_s);

    QVERIFY_THROWS_EXCEPTION(Refusal, Period(QDate(2026, 3, 1), QDate(2026, 2, 28)));
    QVERIFY_THROWS_EXCEPTION(Refusal, Period(QDate(), QDate(2026, 2, 28)));
}

void TestRecordForm::periodBoundsHoldOnStoredColumns()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    const QDate first(2026, 3, 1), last(2026, 3, 31);
    // Date-times: the edges of the period on both sides.
    for (const QDateTime &at : {first.addDays(-1).endOfDay(), first.startOfDay(),
                                QDateTime(last, QTime(23, 59, 59)), last.addDays(1).startOfDay()}) {
        db.insert(u"会员充值"_s,
                  {{u"会员卡号"_s, SqlValue::text(u"8001"_s)}, {u"充值日期"_s, SqlValue::dateTime(at)}});
    }
    // Dates: the day before, the first, the last and the day after; a card number names one member.
    int card = 8001;
    for (const QDate &d : {first.addDays(-1), first, last, last.addDays(1)})
        db.insert(Members, {{u"会员卡号"_s, SqlValue::text(QString::number(card++))}, {u"登记日期"_s, SqlValue::date(d)}});

    const Period march(first, last);
    QCOMPARE(countIn(db, u"会员充值"_s, u"充值日期"_s, march), 2);
    QCOMPARE(countIn(db, Members, u"登记日期"_s, march), 2);
    // The inside rows are the right ones: the last second of the last day counts.
    QCOMPARE(countIn(db, u"会员充值"_s, u"充值日期"_s, Period::day(last)), 1);
    QCOMPARE(countIn(db, u"会员充值"_s, u"充值日期"_s, Period::day(last.addDays(1))), 1);
    QCOMPARE(countIn(db, Members, u"登记日期"_s, Period::day(last)), 1);
}

void TestRecordForm::pickerGivesThePeriodOrRefusesIt()
{
    PeriodPicker picker;
    QCOMPARE(picker.period(), Period::day(QDate::currentDate()));
    const QList<QLabel *> labels = picker.findChildren<QLabel *>();
    QStringList texts;
    for (const QLabel *l : labels) {
        texts.append(l->text());
        QVERIFY(qobject_cast<QDateEdit *>(l->buddy()));
    }
    QCOMPARE(texts, (QStringList{u"从"_s, u"到"_s}));
    QVERIFY(picker.firstBox()->calendarPopup());
    QCOMPARE(picker.firstBox()->displayFormat(), u"yyyy-MM-dd"_s);

    picker.firstBox()->setDate(QDate(2026, 5, 2));
    picker.lastBox()->setDate(QDate(2026, 5, 1));
    QVERIFY_THROWS_EXCEPTION(Refusal, picker.period());
    picker.lastBox()->setDate(QDate(2026, 5, 9));
    QCOMPARE(picker.period(), Period(QDate(2026, 5, 2), QDate(2026, 5, 9)));
}

QTEST_MAIN(TestRecordForm)
#include "tst_recordform.moc"
