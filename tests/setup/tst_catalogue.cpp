// The catalogue and its item dialogs on every database kind: the presets of a new item, the
// boxes each dialog requires, the pinyin initials written with every save and found by the
// consumption screen's search, the bounds of price, rate and commission, a rename under open
// lines, and the printed item list read back from its PDF.
#include "report/ReportPreviewUt.h"
#include "setup/AddXmUt.h"
#include "setup/FormDriver.h"
#include "setup/Pinyin.h"
#include "setup/XmUt.h"
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
    // Adds the item through the add dialog with the boxes typed as given.
    std::optional<qint64> add(const QList<std::pair<QString, QString>> &typed)
    {
        TAddXmFm dialog(ctx());
        dialog.show();
        for (const auto &[label, text] : typed)
            type(&dialog, label, text);
        click(&dialog, u"保存"_s);
        return dialog.savedRow();
    }
    // The stored columns as text: money in the system's form, the rate as a number.
    QString stored(qint64 row, const QString &column) const
    {
        Cursor c = db().query(Statement(u"select * from 商品项目库 where ID = "_s).integer(row));
        if (!c.next())
            return u"(gone)"_s;
        if (c.isNull(column))
            return u"(null)"_s;
        if (column == u"单价"_s || column == u"提成金额"_s)
            return c.money(column).toString();
        if (column == u"打折率"_s)
            return QString::number(c.real(column));
        return c.text(column);
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    Fixtures::ScreenRig screens;
};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void pinyinInitials_data();
    void pinyinInitials();
    void aNewItemWithOnlyItsNameTakesThePresets_data() { TestDatabase::addKindRows(); }
    void aNewItemWithOnlyItsNameTakesThePresets();
    void withoutItemTypesATypeMustBeTyped_data() { TestDatabase::addKindRows(); }
    void withoutItemTypesATypeMustBeTyped();
    void theEditDialogLeavesTheCommissionOptional_data() { TestDatabase::addKindRows(); }
    void theEditDialogLeavesTheCommissionOptional();
    void valuesOutsideTheirBoundsAreRefused_data() { TestDatabase::addKindRows(); }
    void valuesOutsideTheirBoundsAreRefused();
    void aRenameWaitsForTheOpenLinesOfTheOldName_data() { TestDatabase::addKindRows(); }
    void aRenameWaitsForTheOpenLinesOfTheOldName();
    void deleteAsksByNameAndPrintsToPdf_data() { TestDatabase::addKindRows(); }
    void deleteAsksByNameAndPrintsToPdf();
};

void TestCatalogue::pinyinInitials_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");
    QTest::newRow("massage") << u"泰式按摩"_s << u"tsam"_s;
    QTest::newRow("latin and digits kept") << u"可乐500ML"_s << u"kl500ml"_s;
    QTest::newRow("blanks and marks left out") << u" 足疗（60分钟）"_s << u"zl60fz"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestCatalogue::pinyinInitials()
{
    QFETCH(QString, name);
    QFETCH(QString, initials);
    QCOMPARE(::pinyinInitials(name), initials);
}

void TestCatalogue::aNewItemWithOnlyItsNameTakesThePresets()
{
    QFETCH(QString, kind);
    Rig r(kind);
    TAddXmFm dialog(r.ctx());
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"增加消费项目"_s);
    QCOMPARE(text(&dialog, u"所属类型"_s), u"洗浴"_s);
    type(&dialog, u"项目名"_s, u"泰式按摩"_s);
    click(&dialog, u"保存"_s);
    QVERIFY(r.prompt.shown.isEmpty());
    const qint64 row = dialog.savedRow().value();
    QCOMPARE(r.stored(row, u"单价"_s), u"1"_s);
    QCOMPARE(r.stored(row, u"打折率"_s), u"1"_s);
    QCOMPARE(r.stored(row, u"提成金额"_s), u"0"_s);
    QCOMPARE(r.stored(row, u"是否需要服务"_s), u"否"_s);
    QCOMPARE(r.stored(row, u"是否允许打折"_s), u"否"_s);
    QCOMPARE(r.stored(row, u"所属类型"_s), u"洗浴"_s);
    QCOMPARE(r.stored(row, u"名称拼音"_s), u"tsam"_s);

    // Two items may share a name.
    QVERIFY(r.add({{u"项目名"_s, u"泰式按摩"_s}, {u"单价"_s, u"128.5"_s}}));
    QCOMPARE(Fixtures::count(r.db(), u"商品项目库"_s), 2);
}

void TestCatalogue::withoutItemTypesATypeMustBeTyped()
{
    QFETCH(QString, kind);
    Rig r(kind);
    r.db().execute(Statement(u"delete from 商品项目类型"_s));
    TAddXmFm dialog(r.ctx());
    dialog.show();
    QCOMPARE(text(&dialog, u"所属类型"_s), QString());
    type(&dialog, u"项目名"_s, u"可乐"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"请把信息填写完整!"_s});
    QVERIFY(!dialog.savedRow());
    QCOMPARE(Fixtures::count(r.db(), u"商品项目库"_s), 0);

    type(&dialog, u"所属类型"_s, u"饮料"_s);
    type(&dialog, u"提成金额"_s, QString());
    click(&dialog, u"保存"_s); // adding needs the commission too
    QCOMPARE(r.prompt.shown.size(), 2);
    QCOMPARE(Fixtures::count(r.db(), u"商品项目库"_s), 0);
    type(&dialog, u"提成金额"_s, u"2"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.stored(dialog.savedRow().value(), u"所属类型"_s), u"饮料"_s);
}

void TestCatalogue::theEditDialogLeavesTheCommissionOptional()
{
    QFETCH(QString, kind);
    Rig r(kind);
    const qint64 row = r.add({{u"项目名"_s, u"足疗"_s}, {u"提成金额"_s, u"20"_s}, {u"单价"_s, u"98"_s}}).value();
    TXmEditFm dialog(r.ctx(), row);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), u"修改项目"_s);
    QCOMPARE(text(&dialog, u"单价"_s), u"98"_s);
    QCOMPARE(text(&dialog, u"所属类型"_s), u"洗浴"_s);
    type(&dialog, u"提成金额"_s, QString());
    type(&dialog, u"项目名"_s, u"中药足疗"_s);
    click(&dialog, u"保存"_s);
    QVERIFY(r.prompt.shown.isEmpty());
    // An emptied commission is no commission, never the old one nor a null.
    QCOMPARE(r.stored(row, u"提成金额"_s), u"0"_s);
    QCOMPARE(r.stored(row, u"名称拼音"_s), u"zyzl"_s);

    TXmEditFm again(r.ctx(), row);
    again.show();
    type(&again, u"单价"_s, QString());
    click(&again, u"保存"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"请把信息填写完整!"_s});
    QCOMPARE(r.stored(row, u"单价"_s), u"98"_s);
}

void TestCatalogue::valuesOutsideTheirBoundsAreRefused()
{
    QFETCH(QString, kind);
    Rig r(kind);
    QVERIFY(!r.add({{u"项目名"_s, u"茶"_s}, {u"打折率"_s, u"1.5"_s}}));
    QCOMPARE(r.prompt.last(), u"打折率必须大于0且不大于1!"_s);
    QVERIFY(!r.add({{u"项目名"_s, u"茶"_s}, {u"打折率"_s, u"0"_s}}));
    QVERIFY(!r.add({{u"项目名"_s, u"茶"_s}, {u"单价"_s, u"-5"_s}}));
    QVERIFY(r.prompt.last().startsWith(u"单价必须在0到"_s));
    QVERIFY(!r.add({{u"项目名"_s, u"茶"_s}, {u"单价"_s, u"abc"_s}}));
    QCOMPARE(r.prompt.shown.size(), 4);
    QCOMPARE(Fixtures::count(r.db(), u"商品项目库"_s), 0);
    QVERIFY(r.add({{u"项目名"_s, u"茶"_s}, {u"打折率"_s, u"0.8"_s}}));
}

void TestCatalogue::aRenameWaitsForTheOpenLinesOfTheOldName()
{
    QFETCH(QString, kind);
    Rig r(kind);
    const qint64 row = r.add({{u"项目名"_s, u"足疗"_s}, {u"单价"_s, u"98"_s}}).value();
    Fixtures::addRoomType(r.db(), u"大厅"_s);
    Fixtures::addTag(r.db(), u"A1"_s, u"大厅"_s, u"占用"_s);
    Fixtures::addLine(r.db(), u"A1"_s, u"A1"_s, u"足疗"_s, u"98"_s);

    TXmEditFm dialog(r.ctx(), row);
    dialog.show();
    type(&dialog, u"项目名"_s, u"泰式足疗"_s);
    type(&dialog, u"单价"_s, u"108"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.prompt.shown, QStringList{u"有1条未结帐的消费使用此项目名，请结帐后再改名!"_s});
    QVERIFY(dialog.isVisible());
    QCOMPARE(r.stored(row, u"项目名"_s), u"足疗"_s);
    QCOMPARE(r.stored(row, u"单价"_s), u"98"_s);

    // The price may change: the open line keeps the price it was added with.
    type(&dialog, u"项目名"_s, u"足疗"_s);
    click(&dialog, u"保存"_s);
    QCOMPARE(r.stored(row, u"单价"_s), u"108"_s);
    r.db().execute(Statement(u"delete from 手牌消费"_s));
    TXmEditFm later(r.ctx(), row);
    later.show();
    type(&later, u"项目名"_s, u"泰式足疗"_s);
    click(&later, u"保存"_s);
    QCOMPARE(r.stored(row, u"项目名"_s), u"泰式足疗"_s);
}

void TestCatalogue::deleteAsksByNameAndPrintsToPdf()
{
    QFETCH(QString, kind);
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    Rig r(kind);
    r.add({{u"项目名"_s, u"足疗"_s}, {u"单价"_s, u"98"_s}, {u"所属类型"_s, u"足疗按摩"_s}});
    r.add({{u"项目名"_s, u"可乐"_s}, {u"单价"_s, u"5.5"_s}, {u"所属类型"_s, u"茶水饮料"_s}});
    r.add({{u"项目名"_s, u"搓背"_s}, {u"单价"_s, u"30"_s}});
    TXmFm list(r.ctx());
    list.show();
    QCOMPARE(list.windowTitle(), u"项目/商品库管理"_s);
    QCOMPARE(list.grid().totalCount(), 3);

    list.grid().setCurrentRow(2);
    r.prompt.confirmAnswers = {false};
    Fixtures::childNamed<QAction>(&list, u"actDelete"_s)->trigger();
    QCOMPARE(r.prompt.last(), u"您是否要删除\" 搓背\""_s);
    QCOMPARE(list.grid().totalCount(), 3);
    r.prompt.confirmAnswers = {true};
    Fixtures::childNamed<QAction>(&list, u"actDelete"_s)->trigger();
    QCOMPARE(list.grid().totalCount(), 2);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"items.pdf"_s);
    ModalCloser closer([&](QDialog *dialog) {
        if (auto *preview = qobject_cast<TReportPreviewFm *>(dialog)) {
            r.prompt.fileAnswers = {pdf};
            preview->saveAsPdf();
        }
    });
    Fixtures::childNamed<QAction>(&list, u"actPrint"_s)->trigger();
    QCOMPARE(closer.captions, QStringList{u"打印预览"_s});
    const QString printed = pdfText(pdf);
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    QVERIFY2(printed.contains(u"商品项目列表"_s + today + u"项目名单价所属类型是否需要服务足疗98足疗按摩否可乐5.5茶水饮料否"_s),
             qPrintable(printed));
}

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
