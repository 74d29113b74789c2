// The waiters list and its dialog on every database kind: what a new waiter is stored with, the
// refusal of a waiter without number or name, which column each box writes, the delete question
// and what a deletion leaves alone, and the printed list read back from its PDF.
#include "db/Money.h"
#include "report/ReportPreviewUt.h"
#include "setup/FormDriver.h"
#include "setup/FwsEditUt.h"
#include "setup/FwsGlUt.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace FormDriver;

namespace {

struct Rig
{
    explicit Rig(const QString &kind)
        : t(kind), run(Fixtures::runState(t.db(), t.baseDir())), screens(run, prompt)
    {
    }

    const Database &db() const { return t.db(); }
    const ScreenContext &ctx() const { return screens.context; }
    qint64 addWaiter(const QString &number, const QString &name) const
    {
        return db().insert(u"服务生管理"_s, {{u"服务生编号"_s, SqlValue::text(number)},
                                             {u"服务生姓名"_s, SqlValue::text(name)},
                                             {u"服务包厢"_s, SqlValue::text(u"贵宾区"_s)},
                                             {u"服务生等级"_s, SqlValue::text(u"高级"_s)},
                                             {u"性别"_s, SqlValue::text(u"女"_s)}});
    }
    QString stored(qint64 row, const QString &column) const
    {
        return db().scalar(Statement(u"select "_s + column + u" from 服务生管理 where id = "_s).integer(row)).toString();
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    Fixtures::ScreenRig screens;
};

} // namespace

class TestWaiters : public QObject
{
    Q_OBJECT
private slots:
    void aNewWaiterKeepsThePresets_data() { TestDatabase::addKindRows(); }
    void aNewWaiterKeepsThePresets();
    void numberAndNameAreRequired_data() { TestDatabase::addKindRows(); }
    void numberAndNameAreRequired();
    void changingShowsTheStoredValuesAndWritesEachColumn_data() { TestDatabase::addKindRows(); }
    void changingShowsTheStoredValuesAndWritesEachColumn();
    void deleteAsksByNameAndLeavesCommissionRows_data() { TestDatabase::addKindRows(); }
    void deleteAsksByNameAndLeavesCommissionRows();
    void printsTheListToPdf_data() { TestDatabase::addKindRows(); }
    void printsTheListToPdf();
};

void TestWaiters::aNewWaiterKeepsThePresets()
{
    QFETCH(QString, kind);
    Rig r(kind);
    TFwsEditFm dialog(r.ctx(), std::nullopt);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"服务生"_s);
    QCOMPARE(text(&dialog, u"性别"_s), u"男"_s);
    QCOMPARE(text(&dialog, u"状态"_s), u"空闲"_s);
    type(&dialog, u"服务生编号"_s, u"007"_s);
    type(&dialog, u"服务生姓名"_s, u"小王"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.savedRow());
    QCOMPARE(r.stored(*dialog.savedRow(), u"性别"_s), u"男"_s);
    QCOMPARE(r.stored(*dialog.savedRow(), u"状态"_s), u"空闲"_s);
    QCOMPARE(r.stored(*dialog.savedRow(), u"服务生姓名"_s), u"小王"_s);

    // Two waiters may share a name.
    TFwsEditFm second(r.ctx(), std::nullopt);
    second.show();
    type(&second, u"服务生编号"_s, u"008"_s);
    type(&second, u"服务生姓名"_s, u"小王"_s);
    click(&second, u"保存"_s);
    QCOMPARE(Fixtures::count(r.db(), u"服务生管理"_s), 2);
    QVERIFY(r.prompt.shown.isEmpty());
}

void TestWaiters::numberAndNameAreRequired()
{
    QFETCH(QString, kind);
    Rig r(kind);
    TFwsEditFm dialog(r.ctx(), std::nullopt);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    type(&dialog, u"服务生编号"_s, u"007"_s);
    type(&dialog, u"服务生姓名"_s, u"  "_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"编号和姓名必须填写！"_s});
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::focusWidget(), box(&dialog, u"服务生姓名"_s));
    QCOMPARE(Fixtures::count(r.db(), u"服务生管理"_s), 0);

    // "退出" writes nothing of what was typed.
    type(&dialog, u"服务生姓名"_s, u"小王"_s);
    click(&dialog, u"退出"_s);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Fixtures::count(r.db(), u"服务生管理"_s), 0);
}

void TestWaiters::changingShowsTheStoredValuesAndWritesEachColumn()
{
    QFETCH(QString, kind);
    Rig r(kind);
    const qint64 row = r.addWaiter(u"001"_s, u"小李"_s);
    TFwsEditFm dialog(r.ctx(), row);
    dialog.show();
    QCOMPARE(text(&dialog, u"服务生编号"_s), u"001"_s);
    QCOMPARE(text(&dialog, u"性别"_s), u"女"_s);
    QCOMPARE(text(&dialog, u"服务包厢"_s), u"贵宾区"_s);
    QCOMPARE(text(&dialog, u"服务生等级"_s), u"高级"_s);
    QCOMPARE(text(&dialog, u"状态"_s), QString());
    // The box labelled 包厢性质 writes the waiter's 包厢性质, not the room served.
    type(&dialog, u"包厢性质"_s, u"足疗"_s);
    type(&dialog, u"服务生编号"_s, u"002"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.stored(row, u"包厢性质"_s), u"足疗"_s);
    QCOMPARE(r.stored(row, u"服务包厢"_s), u"贵宾区"_s);
    QCOMPARE(r.stored(row, u"服务生编号"_s), u"002"_s);
    QCOMPARE(Fixtures::count(r.db(), u"服务生管理"_s), 1);
}

void TestWaiters::deleteAsksByNameAndLeavesCommissionRows()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.addWaiter(u"001"_s, u"小李"_s);
    r.addWaiter(u"002"_s, u"小张"_s);
    r.db().execute(Statement::insert(u"服务生提成"_s, {{u"编号"_s, SqlValue::text(u"001"_s)},
                                                       {u"姓名"_s, SqlValue::text(u"小李"_s)},
                                                       {u"提成金额"_s, SqlValue::money(Money::fromUnits(10))}}));
    TFwsGlFm list(r.ctx());
    list.show();
    QCOMPARE(list.windowTitle(), u"服务生管理"_s);
    QCOMPARE(list.grid().totalCount(), 2);

    r.prompt.confirmAnswers = {false};
    Fixtures::childNamed<QAction>(&list, u"actDelete"_s)->trigger();
    QCOMPARE(r.prompt.last(), u"您是否要删除\" 小李\""_s);
    QCOMPARE(Fixtures::count(r.db(), u"服务生管理"_s), 2);

    r.prompt.confirmAnswers = {true};
    Fixtures::childNamed<QAction>(&list, u"actDelete"_s)->trigger();
    QCOMPARE(list.grid().totalCount(), 1);
    QCOMPARE(list.grid().displayText(0, u"服务生姓名"_s), u"小张"_s);
    QCOMPARE(r.db().scalar(Statement(u"select 姓名 from 服务生提成"_s)).toString(), u"小李"_s);
}

void TestWaiters::printsTheListToPdf()
{
    QFETCH(QString, kind);
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    Rig r(kind);
    r.addWaiter(u"001"_s, u"小李"_s);
    r.addWaiter(u"002"_s, u"小张"_s);
    TFwsGlFm list(r.ctx());
    list.show();

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"waiters.pdf"_s);
    ModalCloser closer([&](QDialog *dialog) {
        if (auto *preview = qobject_cast<TReportPreviewFm *>(dialog)) {
            r.prompt.fileAnswers = {pdf};
            preview->saveAsPdf();
        }
    });
    Fixtures::childNamed<QAction>(&list, u"actPrint"_s)->trigger();
    QCOMPARE(closer.captions, QStringList{u"打印预览"_s});
    const QString printed = pdfText(pdf);
    QVERIFY2(printed.contains(u"服务生资料编号姓名性别服务包厢服务生等级001小李女贵宾区高级002小张女贵宾区高级"_s),
             qPrintable(printed));
}

QTEST_MAIN(TestWaiters)
#include "tst_waiters.moc"
