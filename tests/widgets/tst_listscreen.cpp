// The list screen, declared here as a small member list and run on every available database
// kind: searching and its refusals, the footer and sorting, the actions on the current row, and
// the printed list in the grid's order.
#include "card/CardReader.h"
#include "card/SimulatedReader.h"
#include "db/Refusal.h"
#include "db/TableRows.h"
#include "report/ReportPreviewUt.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/ListScreen.h"
#include "widgets/PrintRows.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Fixtures::childNamed;

namespace {

const QString Table = u"会员管理"_s;

void addMember(const Database &db, const QString &card, const QString &name, const QString &balance,
               qint64 points)
{
    db.execute(Statement::insert(Table, {{u"会员卡号"_s, SqlValue::text(card)},
                                         {u"会员姓名"_s, SqlValue::text(name)},
                                         {u"卡内金额"_s, SqlValue::money(*Money::parse(balance))},
                                         {u"当前积分"_s, SqlValue::integer(points)}}));
}

qint64 rowNumberOf(const Database &db, const QString &card)
{
    return db.scalar(Statement(u"select id from 会员管理 where 会员卡号 = "_s).text(card)).toLongLong();
}

struct Fixture
{
    explicit Fixture(const QString &kind)
        : database(kind), run(Fixtures::runState(database.db(), database.baseDir())),
          device(database.baseDir() + u"/card.sim"_s),
          reader(device, prompt), context{database.db(), SessionView(run), prompt, reader}
    {
        addMember(db(), u"A001"_s, u"张三"_s, u"100.5"_s, 10);
        addMember(db(), u"A002"_s, u"李四"_s, u"200"_s, 20);
        addMember(db(), u"A003"_s, u"张 三"_s, u"0.25"_s, 5);
        addMember(db(), u"A010"_s, u"王五"_s, u"50"_s, 1);
    }

    // The whole declaration of a list screen over the members.
    ListSpec spec()
    {
        return {
            .objectName = u"TMemberListFm"_s,
            .caption = u"会员列表"_s,
            .table = Table,
            .columns = GridColumns(Table)
                           .rowNumber()
                           .add(u"会员卡号"_s, 80)
                           .add(u"会员姓名"_s, 90)
                           .summed(u"卡内金额"_s, 90)
                           .summed(u"当前积分"_s, 60),
            .searchFields = {u"会员卡号"_s, u"会员姓名"_s, u"卡内金额"_s, u"当前积分"_s},
            .printTemplate = u":/tests/member_list.json"_s,
            .nameField = u"会员姓名"_s,
            // Renames the row as an editor would, and says it saved.
            .editor =
                [this](const ScreenContext &c, QWidget *, std::optional<qint64> row) {
                    edited.append(row);
                    c.db.execute(Statement::update(Table, {{u"会员姓名"_s, SqlValue::text(u"改名"_s)}},
                                                   u"id"_s, SqlValue::integer(row.value_or(0))));
                    return true;
                },
            .extras = {{u"actRecharge"_s, u"充值"_s,
                        [](const ScreenContext &, QWidget *, qint64) { return false; }}},
        };
    }

    bool open(ListSpec declared)
    {
        screen = std::make_unique<ListScreen>(context, std::move(declared));
        screen->resize(700, 400);
        screen->show();
        return QTest::qWaitForWindowExposed(screen.get());
    }
    bool open() { return open(spec()); }

    const Database &db() const { return database.db(); }
    DataGrid &grid() { return screen->grid(); }
    void trigger(const QString &action) { childNamed<QAction>(screen.get(), action)->trigger(); }
    void search(const QString &field, const QString &value)
    {
        childNamed<QComboBox>(screen.get(), u"fieldBox"_s)->setEditText(field);
        childNamed<QLineEdit>(screen.get(), u"valueEdit"_s)->setText(value);
        QTest::mouseClick(childNamed<QPushButton>(screen.get(), u"searchButton"_s), Qt::LeftButton);
    }
    QStringList cards()
    {
        QStringList texts;
        for (int row = 0; row < grid().loadedRowCount(); ++row)
            texts.append(grid().displayText(row, u"会员卡号"_s));
        return texts;
    }
    void clickHeader(const QString &field)
    {
        const QList<GridColumn> &columns = grid().columns();
        int section = 0;
        while (columns.at(section).field != field)
            ++section;
        QHeaderView *header = grid().view()->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }

    TestDatabase database;
    RunState run;
    ScriptedPrompt prompt;
    SimulatedReader device;
    CardReader reader;
    ScreenContext context;
    QList<std::optional<qint64>> edited;
    std::unique_ptr<ListScreen> screen;
};

QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(u"pdftotext"_s), {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).remove(QRegularExpression(u"\\s"_s));
}

} // namespace

class TestListScreen : public QObject
{
    Q_OBJECT

private slots:
    void search_data() { TestDatabase::addKindRows(); }
    void search();
    void footerAndSort_data() { TestDatabase::addKindRows(); }
    void footerAndSort();
    void rowActions_data() { TestDatabase::addKindRows(); }
    void rowActions();
    void print_data() { TestDatabase::addKindRows(); }
    void print();
};

void TestListScreen::search()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    QVERIFY(f.open());
    auto *fieldBox = childNamed<QComboBox>(f.screen.get(), u"fieldBox"_s);
    auto *valueEdit = childNamed<QLineEdit>(f.screen.get(), u"valueEdit"_s);
    QCOMPARE(fieldBox->currentText(), u"会员卡号"_s);
    QCOMPARE(fieldBox->count(), 4);
    QVERIFY(!fieldBox->accessibleName().isEmpty());
    QLabel *contains = nullptr;
    for (QLabel *label : f.screen->findChildren<QLabel *>()) {
        if (label->text() == u"中含有"_s)
            contains = label;
    }
    QVERIFY(contains && contains->buddy() == valueEdit);
    QVERIFY(!f.grid().view()->accessibleName().isEmpty());
    QCOMPARE(f.cards(), (QStringList{u"A001"_s, u"A002"_s, u"A003"_s, u"A010"_s}));
    const QString base = f.screen->currentStatement().preparedText();

    // Equality, not containment; the value as typed, blanks and all.
    f.search(u"会员姓名"_s, u"张三"_s);
    QCOMPARE(f.cards(), QStringList{u"A001"_s});
    f.search(u"会员姓名"_s, u"张 三"_s);
    QCOMPARE(f.cards(), QStringList{u"A003"_s});
    QVERIFY(f.prompt.shown.isEmpty());
    f.search(u"会员姓名"_s, u"张"_s);
    QCOMPARE(f.cards(), QStringList());
    QCOMPARE(f.grid().footerText(u"会员卡号"_s), u"共 0 条"_s);
    QCOMPARE(f.prompt.shown, QStringList{u"没有找到符合条件的数据."_s});
    f.search(u"会员姓名"_s, u"张三 "_s);
    QCOMPARE(f.cards(), QStringList());

    // Numbers are compared as numbers; text that is none finds nothing rather than failing.
    f.prompt.shown.clear();
    f.search(u"卡内金额"_s, u"200"_s);
    QCOMPARE(f.cards(), QStringList{u"A002"_s});
    f.search(u"当前积分"_s, u"abc"_s);
    QCOMPARE(f.cards(), QStringList());
    QCOMPARE(f.prompt.shown, QStringList{u"没有找到符合条件的数据."_s});

    // Enter in the value box searches.
    f.prompt.shown.clear();
    fieldBox->setEditText(u"会员卡号"_s);
    valueEdit->setText(u"A010"_s);
    QTest::keyClick(valueEdit, Qt::Key_Return);
    QCOMPARE(f.cards(), QStringList{u"A010"_s});
    const QString searched = f.screen->currentStatement().preparedText();

    // A field the table lacks is refused before anything runs; so are empty boxes.
    f.search(u"电话 or 1=1"_s, u"A001"_s);
    QCOMPARE(f.prompt.shown, QStringList{UnknownColumnError(Table, u"电话 or 1=1"_s).text()});
    f.search(u"  "_s, u"A001"_s);
    f.search(u"会员卡号"_s, QString());
    QCOMPARE(f.prompt.shown.mid(1), (QStringList{u"请填写查询条件!"_s, u"请填写查询条件!"_s}));
    QCOMPARE(f.cards(), QStringList{u"A010"_s});
    QCOMPARE(f.screen->currentStatement().preparedText(), searched);

    f.trigger(u"actShowAll"_s);
    QCOMPARE(f.screen->currentStatement().preparedText(), base);
    QCOMPARE(f.cards().size(), 4);
}

void TestListScreen::footerAndSort()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    QVERIFY(f.open());
    QCOMPARE(f.grid().footerText(u"会员卡号"_s), u"共 4 条"_s);
    QCOMPARE(f.grid().footerText(u"卡内金额"_s), u"350.75"_s);
    QCOMPARE(f.grid().footerText(u"当前积分"_s), u"36"_s);

    f.clickHeader(u"卡内金额"_s);
    QCOMPARE(f.cards(), (QStringList{u"A003"_s, u"A010"_s, u"A001"_s, u"A002"_s}));
    f.clickHeader(u"卡内金额"_s);
    QCOMPARE(f.cards(), (QStringList{u"A002"_s, u"A001"_s, u"A010"_s, u"A003"_s}));

    // The footer follows a search; "刷新" keeps the search and the current row, and shows
    // rows written since.
    f.search(u"会员姓名"_s, u"李四"_s);
    QCOMPARE(f.grid().footerText(u"卡内金额"_s), u"200"_s);
    addMember(f.db(), u"A012"_s, u"李四"_s, u"1"_s, 0);
    f.trigger(u"actRefresh"_s);
    QCOMPARE(f.cards(), (QStringList{u"A002"_s, u"A012"_s}));
    QCOMPARE(f.grid().footerText(u"会员卡号"_s), u"共 2 条"_s);
    QCOMPARE(f.grid().footerText(u"卡内金额"_s), u"201"_s);
    f.grid().setCurrentRow(1);
    f.trigger(u"actRefresh"_s);
    QVERIFY(f.screen->currentRowNumber() == rowNumberOf(f.db(), u"A012"_s));
    QVERIFY(f.prompt.shown.isEmpty());
}

void TestListScreen::rowActions()
{
    QFETCH(QString, kind);
    Fixture f(kind);
    QVERIFY(f.open());

    f.grid().setCurrentRow(-1);
    f.trigger(u"actDelete"_s);
    QCOMPARE(f.prompt.shown, QStringList{u"请先选择一条记录!"_s});

    f.prompt.shown.clear();
    f.grid().setCurrentRow(2);
    f.trigger(u"actDelete"_s);
    QCOMPARE(f.prompt.shown, QStringList{u"您是否要删除\" 张 三\""_s});
    QCOMPARE(Fixtures::count(f.db(), Table), qint64(4));

    f.prompt.confirmAnswers = {true};
    f.trigger(u"actDelete"_s);
    QCOMPARE(Fixtures::count(f.db(), Table), qint64(3));
    QCOMPARE(rowNumberOf(f.db(), u"A003"_s), qint64(0));
    QCOMPARE(f.cards(), (QStringList{u"A001"_s, u"A002"_s, u"A010"_s}));
    QCOMPARE(f.grid().footerText(u"卡内金额"_s), u"350.5"_s);

    // A screen's own rule may refuse; the row stays and the operator reads why.
    ListSpec guarded = f.spec();
    guarded.deleteRule = [](const ScreenContext &, qint64) { throw Refusal(u"卡上还有余额"_s); };
    QVERIFY(f.open(std::move(guarded)));
    f.prompt.shown.clear();
    f.prompt.confirmAnswers = {true};
    f.trigger(u"actDelete"_s);
    QCOMPARE(f.prompt.shown, (QStringList{u"您是否要删除\" 张三\""_s, u"卡上还有余额"_s}));
    QCOMPARE(Fixtures::count(f.db(), Table), qint64(3));

    // "修改" and the extra actions need a row too; what the editor wrote shows at once.
    f.prompt.shown.clear();
    f.grid().setCurrentRow(-1);
    f.trigger(u"actEdit"_s);
    f.trigger(u"actRecharge"_s);
    QCOMPARE(f.prompt.shown, (QStringList{u"请先选择一条记录!"_s, u"请先选择一条记录!"_s}));
    QVERIFY(f.edited.isEmpty());
    f.grid().setCurrentRow(1);
    f.trigger(u"actEdit"_s);
    QVERIFY(f.edited == (QList<std::optional<qint64>>{rowNumberOf(f.db(), u"A002"_s)}));
    QCOMPARE(f.grid().displayText(1, u"会员姓名"_s), u"改名"_s);
}

void TestListScreen::print()
{
    QFETCH(QString, kind);
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    Fixture f(kind);
    QVERIFY(f.open());
    f.clickHeader(u"卡内金额"_s);
    f.clickHeader(u"卡内金额"_s);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"members.pdf"_s);
    ModalCloser closer([&](QDialog *dialog) {
        if (auto *preview = qobject_cast<TReportPreviewFm *>(dialog)) {
            f.prompt.fileAnswers = {pdf};
            preview->saveAsPdf();
        }
    });
    f.trigger(u"actPrint"_s);
    QCOMPARE(closer.captions, QStringList{u"打印预览"_s});
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(u"会员列表A002李四200A001张三100.5A010王五50A003张三0.25合计:350.75"_s),
             qPrintable(text));

    // A list longer than a printed list may be is not laid out: the operator is asked to search.
    f.prompt.shown.clear();
    printRows(f.screen.get(), f.prompt, f.screen->spec().printTemplate, f.grid(), Table, {}, 3);
    QCOMPARE(f.prompt.shown,
             QStringList{u"要打印的记录太多(共 4 条,一次最多打印 3 条),请先检索缩小范围再打印!"_s});
    QCOMPARE(closer.captions, QStringList{u"打印预览"_s});

    // A search prints what it found.
    f.search(u"会员卡号"_s, u"A010"_s);
    const LaidOutReport found = layoutRows(f.screen->spec().printTemplate, f.grid(), Table, QDateTime());
    QCOMPARE(found.pages.size(), 1);
    const auto printed = found.pages.first().objectsNamed(u"Card"_s);
    QCOMPARE(printed.size(), 1);
    QCOMPARE(printed.first()->visibleText(), u"A010"_s);
}

QTEST_MAIN(TestListScreen)
#include "tst_listscreen.moc"
