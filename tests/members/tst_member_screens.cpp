// The member screens as the front desk uses them: the register enrolling, recharging and refusing
// to delete a member who holds money, the editor refusing another member's card, the recharge
// records with their sum, the password screen, a member's bills with their details, the three
// printed lists read back from their PDFs, and a member's whole road on the real windows.
#include "app/MainUt.h"
#include "billing/Checkout.h"
#include "card/CardReader.h"
#include "members/AddMemberUt.h"
#include "members/ChongZhiRecordUt.h"
#include "members/ChongZhiUt.h"
#include "members/EditMemberUt.h"
#include "members/HYChangePassUt.h"
#include "members/HYConsumeCXUt.h"
#include "members/MemberUt.h"
#include "members/Members.h"
#include "report/ReportPreviewUt.h"
#include "setup/FormDriver.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/DataGrid.h"
#include "widgets/PeriodPicker.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
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
        Fixtures::addMemberType(t.db(), u"金卡"_s, 0.85);
        Fixtures::addMemberType(t.db(), u"银卡"_s, 0.9);
    }

    const Database &db() const { return t.db(); }
    const ScreenContext &ctx() const { return screens.context; }
    QString stored(const QString &card, const QString &column) const
    {
        return db().scalar(Statement(u"select "_s + column + u" from 会员管理 where 会员卡号 = "_s).text(card)).toString();
    }
    Money balance(const QString &card) const
    {
        Cursor c = db().query(Statement(u"select 卡内金额 from 会员管理 where 会员卡号 = "_s).text(card));
        return c.next() ? c.money(u"卡内金额"_s) : Money::fromUnits(-999999);
    }

    TestDatabase t;
    RunState run;
    ScriptedPrompt prompt;
    Fixtures::ScreenRig screens;
};

void act(const QWidget *screen, const QString &action)
{
    Fixtures::childNamed<QAction>(screen, action)->trigger();
}

bool selectRow(DataGrid &grid, const QString &field, const QString &value)
{
    for (int row = 0; row < grid.loadedRowCount(); ++row) {
        if (grid.value(row, field).toString() == value) {
            grid.setCurrentRow(row);
            return true;
        }
    }
    return false;
}

// Prints through the screen's button and saves the preview as a PDF; its lines as laid out, each
// without blanks, so that a row's columns read together.
QStringList printed(const std::function<void()> &print, ScriptedPrompt &prompt)
{
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (pdftotext.isEmpty())
        qFatal("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"list.pdf"_s);
    ModalCloser closer([&](QDialog *dialog) {
        if (auto *preview = qobject_cast<TReportPreviewFm *>(dialog)) {
            prompt.fileAnswers = {pdf};
            preview->saveAsPdf();
        }
    });
    print();
    if (qEnvironmentVariableIsSet("VESK_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("VESK_KEEP_PDF") + u'/' + QString::number(QDateTime::currentMSecsSinceEpoch()) +
                             u".pdf"_s);
    QProcess process;
    process.start(pdftotext, {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {u"no PDF: "_s + prompt.shown.join(u" | "_s)};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput())
                                   .normalized(QString::NormalizationForm_KC)
                                   .split(u'\n')) {
        const QString packed = QString(line).remove(QRegularExpression(u"\\s"_s));
        if (!packed.isEmpty())
            lines.append(packed);
    }
    return lines;
}

} // namespace

class TestMemberScreens : public QObject
{
    Q_OBJECT
private slots:
    void theRegisterEnrolsRechargesAndKeepsMembersWithMoney_data() { TestDatabase::addKindRows(); }
    void theRegisterEnrolsRechargesAndKeepsMembersWithMoney();
    void theEditorRefusesAnotherMembersCard_data() { TestDatabase::addKindRows(); }
    void theEditorRefusesAnotherMembersCard();
    void theRechargeScreenTakesWholeAmountsAndTheSign();
    void theRecordsSumWhatTheyShowAndPrint_data() { TestDatabase::addKindRows(); }
    void theRecordsSumWhatTheyShowAndPrint();
    void thePasswordScreenSaysWhatWentWrong();
    void aMembersBillsShowTheirDetailsAndPrint_data() { TestDatabase::addKindRows(); }
    void aMembersBillsShowTheirDetailsAndPrint();
    void aMemberEnrolledAtTheDeskPaysByCardAndFindsTheBill();
    void theDialogsOfTheRegisterNameEveryBox();
};

void TestMemberScreens::theRegisterEnrolsRechargesAndKeepsMembersWithMoney()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addMember(r.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    TMemberFm list(r.ctx());
    list.show();
    QCOMPARE(list.windowTitle(), u"会员管理"_s);
    QCOMPARE(list.grid().totalCount(), 1);

    QStringList types;
    std::optional<ModalCloser> screens(std::in_place, [&](QDialog *d) {
        if (qobject_cast<TAddMemberFm *>(d)) {
            types.clear();
            auto *typeBox = qobject_cast<QComboBox *>(box(d, u"会员类型"_s));
            for (int i = 0; i < typeBox->count(); ++i)
                types << typeBox->itemText(i);
            QCOMPARE(text(d, u"会员类型"_s), u"金卡"_s);
            QCOMPARE(text(d, u"备   注"_s), u"无"_s);
            QCOMPARE(qobject_cast<QDateEdit *>(box(d, u"出生日期"_s))->date(), QDate(2006, 6, 3));
            // "清空" empties what names the member and keeps the type.
            type(d, u"会员卡号"_s, u"x"_s);
            type(d, u"会员类型"_s, u"银卡"_s);
            click(d, u"清空"_s);
            QCOMPARE(text(d, u"会员卡号"_s), QString());
            QCOMPARE(text(d, u"会员类型"_s), u"银卡"_s);
            // A card another member has is refused, the screen staying open with the input.
            type(d, u"会员卡号"_s, u"8001"_s);
            type(d, u"会员姓名"_s, u"O'Neil 王"_s);
            click(d, u"保存"_s);
            QCOMPARE(r.prompt.last(), Members::duplicateCardMessage());
            QVERIFY(d->isVisible());
            type(d, u"会员卡号"_s, u"8002"_s);
            click(d, u"保存"_s);
            QCOMPARE(r.prompt.last(), u"保存成功!"_s);
        } else if (qobject_cast<TChongZhiFm *>(d)) {
            QCOMPARE(text(d, u"会员卡号"_s), u"8002"_s);
            QCOMPARE(text(d, u"卡内金额"_s), u"0"_s);
            type(d, u"充值金额"_s, u"120"_s);
            click(d, u"充值"_s);
        }
    });
    act(&list, u"actAdd"_s);
    QVERIFY(types == (QStringList{u"金卡"_s, u"银卡"_s}));
    QCOMPARE(screens->captions.first(), Members::enrolCaption());
    QCOMPARE(list.grid().totalCount(), 2);
    QCOMPARE(r.stored(u"8002"_s, u"会员类型"_s), u"银卡"_s);
    QCOMPARE(r.stored(u"8002"_s, u"当前积分"_s), u"0"_s);

    // A name with a quote is found as typed.
    auto *field = Fixtures::childNamed<QComboBox>(&list, u"fieldBox"_s);
    field->setCurrentText(u"会员姓名"_s);
    Fixtures::childNamed<QLineEdit>(&list, u"valueEdit"_s)->setText(u"O'Neil 王"_s);
    QTest::mouseClick(Fixtures::childNamed<QPushButton>(&list, u"searchButton"_s), Qt::LeftButton);
    QCOMPARE(list.grid().totalCount(), 1);
    QCOMPARE(list.grid().value(0, u"会员卡号"_s).toString(), u"8002"_s);

    act(&list, u"actRecharge"_s);
    QCOMPARE(r.prompt.last(), u"充值成功！"_s);
    QCOMPARE(r.balance(u"8002"_s).toString(), u"120"_s);
    QCOMPARE(list.grid().displayText(0, u"卡内金额"_s), u"120"_s);
    screens.reset();

    // Deleting a member who holds money is refused, naming the balance.
    r.prompt.confirmAnswers = {true};
    act(&list, u"actDelete"_s);
    QCOMPARE(r.prompt.shown.at(r.prompt.shown.size() - 2), u"您是否要删除\" O'Neil 王\""_s);
    QCOMPARE(r.prompt.last(), Members::balanceNotZeroMessage(Money::fromUnits(120)));
    QCOMPARE(Fixtures::count(r.db(), u"会员管理"_s), 2);

    act(&list, u"actShowAll"_s);
    QVERIFY(selectRow(list.grid(), u"会员卡号"_s, u"8001"_s));
    r.prompt.confirmAnswers = {true};
    act(&list, u"actDelete"_s);
    QCOMPARE(Fixtures::count(r.db(), u"会员管理"_s), 1);
    QCOMPARE(list.grid().totalCount(), 1);

    const QStringList lines = printed([&] { act(&list, u"actPrint"_s); }, r.prompt);
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    QVERIFY2(lines == (QStringList{u"会员资料"_s + today, u"会员卡号会员姓名性别会员类型联系电话"_s, u"8002O'Neil王男银卡"_s,
                                   u"打印日期:"_s + today}),
             qPrintable(lines.join(u'\n')));
}

void TestMemberScreens::theEditorRefusesAnotherMembersCard()
{
    QFETCH(QString, kind);
    Rig r(kind);
    Fixtures::addMember(r.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"10"_s, 3);
    const qint64 row = Fixtures::addMember(r.db(), u"8002"_s, u"1234"_s, u"金卡"_s, u"20"_s, 4);
    TEditMemberFm editor(r.ctx(), row);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QCOMPARE(editor.windowTitle(), u"会员资料修改"_s);
    QCOMPARE(text(&editor, u"卡内金额"_s), u"20"_s);
    QCOMPARE(text(&editor, u"当前积分"_s), u"4"_s);
    QCOMPARE(text(&editor, u"出生日期"_s), QString());

    type(&editor, u"会员卡号"_s, u"8001"_s);
    click(&editor, u"保存"_s);
    QCOMPARE(r.prompt.last(), Members::duplicateCardMessage());
    QVERIFY(editor.isVisible());
    QCOMPARE(QApplication::focusWidget(), box(&editor, u"会员卡号"_s));

    type(&editor, u"会员卡号"_s, u"8003"_s);
    type(&editor, u"当前积分"_s, u"40"_s);
    type(&editor, u"出生日期"_s, u"1988-02-29"_s);
    click(&editor, u"保存"_s);
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(r.stored(u"8003"_s, u"当前积分"_s), u"40"_s);
    QCOMPARE(r.balance(u"8003"_s).toString(), u"20"_s);
    QCOMPARE(r.db().scalar(Statement(u"select count(*) from 会员管理 where 出生日期 is null"_s)).toInt(), 1);
}

void TestMemberScreens::theRechargeScreenTakesWholeAmountsAndTheSign()
{
    Rig r(u"sqlite"_s);
    const qint64 row = Fixtures::addMember(r.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"50"_s, 0);
    TChongZhiFm screen(r.ctx(), row);
    screen.show();
    QCOMPARE(Fixtures::childNamed<QLabel>(&screen, u"operatorLabel"_s)->text(), u"营业员: 超级管理员"_s);
    for (const QString &label : {u"会员卡号"_s, u"卡内金额"_s, u"会员姓名"_s, u"会员类型"_s})
        QVERIFY(!box(&screen, label)->isEnabled());

    click(&screen, u"充值"_s);
    QCOMPARE(r.prompt.last(), u"请输入充值数值！"_s);
    // Only digits get into the box, typed or pasted.
    type(&screen, u"充值金额"_s, u"8-0.5a"_s);
    QCOMPARE(text(&screen, u"充值金额"_s), u"805"_s);
    type(&screen, u"充值金额"_s, u"80"_s);
    Fixtures::childNamed<QCheckBox>(&screen, u"negativeBox"_s)->setChecked(true);
    QTest::keyClick(box(&screen, u"充值金额"_s), Qt::Key_Return); // Enter in the amount box recharges
    QCOMPARE(r.prompt.last(), u"充值成功！"_s);
    QCOMPARE(text(&screen, u"卡内金额"_s), u"-30"_s);
    QCOMPARE(r.balance(u"8001"_s).toString(), u"-30"_s);
    QCOMPARE(Fixtures::count(r.db(), u"会员充值"_s), 1);
}

void TestMemberScreens::theRecordsSumWhatTheyShowAndPrint()
{
    QFETCH(QString, kind);
    Rig r(kind);
    const Members members(r.db());
    const qint64 a = Fixtures::addMember(r.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    const qint64 b = Fixtures::addMember(r.db(), u"8002"_s, u"1234"_s, u"银卡"_s, u"0"_s, 0);
    members.recharge(a, Money::fromUnits(100), u"开卡"_s, u"收银员"_s);
    members.recharge(a, -Money::fromUnits(30), u"冲正"_s, u"收银员"_s);
    members.recharge(b, Money::fromRaw(2500), QString(), u"店长"_s);

    TChongZhiRecordFm records(r.ctx());
    records.show();
    QCOMPARE(records.windowTitle(), u"充值记录查询"_s);
    QVERIFY(!Fixtures::childNamed<QAction>(&records, u"actDelete"_s)->isVisible());
    QVERIFY(!Fixtures::childNamed<QAction>(&records, u"actAdd"_s)->isVisible());
    QCOMPARE(records.grid().footerText(u"充值金额"_s), u"70.25"_s);

    // Blanks typed around the operator are no part of it.
    Fixtures::childNamed<QComboBox>(&records, u"fieldBox"_s)->setCurrentText(u"营业员"_s);
    auto *value = Fixtures::childNamed<QLineEdit>(&records, u"valueEdit"_s);
    value->setText(u" 收银员 "_s);
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(records.grid().totalCount(), 2);
    QCOMPARE(records.grid().footerText(u"充值金额"_s), u"70"_s);
    QCOMPARE(records.grid().footerText(u"会员卡号"_s), u"共 2 条"_s);
    value->setText(u"nobody"_s);
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(r.prompt.last(), u"没有符合条件的记录!"_s);
    value->clear();
    QTest::keyClick(value, Qt::Key_Return);
    QCOMPARE(r.prompt.last(), u"请输入查询条件!"_s);

    act(&records, u"actShowAll"_s);
    const QStringList lines = printed([&] { act(&records, u"actPrint"_s); }, r.prompt);
    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    QVERIFY2(lines.size() == 6 && lines.at(0) == u"会员充值记录"_s + today &&
                 lines.at(1) == u"会员卡号会员姓名会员类型充值金额充值日期营业员备注"_s &&
                 lines.at(2).startsWith(u"8001会员8001金卡100"_s + today) && lines.at(2).endsWith(u"收银员开卡"_s) &&
                 lines.at(3).startsWith(u"8001会员8001金卡-30"_s) && lines.at(4).startsWith(u"8002会员8002银卡0.25"_s) &&
                 lines.at(5) == u"充值金额合计:70.25"_s,
             qPrintable(lines.join(u'\n')));
}

void TestMemberScreens::thePasswordScreenSaysWhatWentWrong()
{
    Rig r(u"sqlite"_s);
    Members(r.db()).enrol({{u"会员卡号"_s, SqlValue::text(u"9001"_s)}, {u"会员姓名"_s, SqlValue::text(u"张三"_s)}});
    THYChangePassFm screen(r.ctx());
    screen.show();
    QCOMPARE(screen.windowTitle(), u"会员更改密码"_s);
    type(&screen, u"会员号:"_s, u"9001"_s);
    type(&screen, u"旧密码:"_s, u"1234"_s);
    type(&screen, u"新密码:"_s, u"5678"_s);
    type(&screen, u"确认新密码:"_s, u"5679"_s);
    QCOMPARE(qobject_cast<QLineEdit *>(box(&screen, u"新密码:"_s))->echoMode(), QLineEdit::Password);
    click(&screen, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"两次输入的新密码不一致！"_s);
    QVERIFY(screen.isVisible());
    type(&screen, u"确认新密码:"_s, u"5678"_s);
    click(&screen, u"保存"_s);
    QCOMPARE(r.prompt.last(), u"修改成功！"_s);
    QVERIFY(!screen.isVisible());
    QVERIFY(Checkout::lookUp(r.db(), u"9001"_s, u"5678"_s));
}

void TestMemberScreens::aMembersBillsShowTheirDetailsAndPrint()
{
    QFETCH(QString, kind);
    Rig r(kind);
    const QDateTime now = QDateTime::currentDateTime();
    const auto bill = [&](const QString &number, const QString &card, const QDateTime &at, qint64 received) {
        r.db().execute(Statement::insert(u"结帐管理"_s, {{u"结帐单号"_s, SqlValue::text(number)},
                                                         {u"会员卡号"_s, SqlValue::text(card)},
                                                         {u"顾客姓名"_s, SqlValue::text(u"顾客"_s + number)},
                                                         {u"结帐时间"_s, SqlValue::dateTime(at)},
                                                         {u"实收金额"_s, SqlValue::money(Money::fromUnits(received))},
                                                         {u"消费金额"_s, SqlValue::money(Money::fromUnits(received + 10))},
                                                         {u"营业员"_s, SqlValue::text(u"收银员"_s)},
                                                         {u"状态"_s, SqlValue::text(u"已结"_s)}}));
        r.db().execute(Statement::insert(u"结帐明细"_s, {{u"单据号"_s, SqlValue::text(number)},
                                                         {u"消费项目"_s, SqlValue::text(u"项目"_s + number)},
                                                         {u"消费数量"_s, SqlValue::integer(1)},
                                                         {u"消费金额"_s, SqlValue::money(Money::fromUnits(received + 10))},
                                                         {u"状态"_s, SqlValue::text(u"已结"_s)}}));
    };
    bill(u"11"_s, u"8001"_s, now, 100);
    bill(u"12"_s, u"8002"_s, now, 200);
    bill(u"13"_s, u"8001"_s, now, 50);
    bill(u"10"_s, u"8001"_s, now.addDays(-40), 999); // before the period

    THYConsumeCXFm screen(r.ctx());
    screen.show();
    QCOMPARE(screen.windowTitle(), u"会员消费查询"_s);
    screen.period().setPeriod(Period::day(now.date()));
    type(&screen, u"中包含"_s, u"8001"_s);
    click(&screen, u"查询"_s);
    QCOMPARE(screen.bills().totalCount(), 2);
    QCOMPARE(screen.bills().footerText(u"实收金额"_s), u"Sum is 150.00"_s);
    QCOMPARE(screen.bills().footerText(u"消费金额"_s), u"Sum is 170.00"_s);
    QVERIFY(selectRow(screen.bills(), u"结帐单号"_s, u"13"_s));
    QCOMPARE(screen.lines().totalCount(), 1);
    QCOMPARE(screen.lines().value(0, u"消费项目"_s).toString(), u"项目13"_s);

    // The title names the days of the bills shown, not what the picker says since.
    screen.period().setPeriod(Period(now.date().addDays(-50), now.date()));
    const QStringList lines = printed([&] { click(&screen, u"打印"_s); }, r.prompt);
    const QString day = now.date().toString(u"yyyy-MM-dd"_s);
    QVERIFY2(lines == (QStringList{u"会员消费查询"_s + day + u"至"_s + day,
                                   u"ID编号结帐单号会员卡号顾客姓名消费金额实收金额营业员"_s, u"1118001顾客11110100收银员"_s,
                                   u"3138001顾客136050收银员"_s, u"消费金额:170实收金额:150"_s}),
             qPrintable(lines.join(u'\n')));

    // An unknown column is refused and the list keeps what it showed.
    qobject_cast<QComboBox *>(Fixtures::childNamed<QComboBox>(&screen, u"fieldBox"_s))->setCurrentText(u"密码"_s);
    click(&screen, u"查询"_s);
    QVERIFY(r.prompt.last().contains(u"密码"_s));
    QCOMPARE(screen.bills().totalCount(), 2);
}

// 会员管理 → 添加 with the card written → 充值, then at the board 开单 → 结帐 reading the card and
// paying from the balance, and 会员消费查询 finds the bill.
void TestMemberScreens::aMemberEnrolledAtTheDeskPaysByCardAndFindsTheBill()
{
    TestDatabase t(u"sqlite"_s);
    const Database &db = t.db();
    Fixtures::addRoomType(db, u"大厅"_s, u"38"_s);
    Fixtures::addTag(db, u"A1"_s, u"大厅"_s, u"可用"_s);
    Fixtures::addMemberType(db, u"金卡"_s, 0.85);
    QVERIFY(CardReader::createBlankCard(t.baseDir() + u"/card.sim"_s));

    RunState run = Fixtures::runState(db, t.baseDir());
    run.startCardReader = true;
    ScriptedPrompt prompt;
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(run.ini, t.baseDir());
    CardReader reader(*device, prompt);
    TMainFm board(run, prompt, reader);
    board.show();
    QCOMPARE(prompt.last(), u"设备初始化成功!"_s);

    qint64 billsFound = -1;
    QString detail;
    ModalCloser desk([&](QDialog *d) {
        if (auto *list = qobject_cast<TMemberFm *>(d)) {
            act(list, u"actAdd"_s);
            QVERIFY(selectRow(list->grid(), u"会员卡号"_s, u"6001"_s));
            act(list, u"actRecharge"_s);
        } else if (qobject_cast<TAddMemberFm *>(d)) {
            type(d, u"会员卡号"_s, u"6001"_s);
            type(d, u"会员姓名"_s, u"陈静"_s);
            click(d, u"写卡"_s);
            QCOMPARE(prompt.last(), u"写卡成功!"_s);
            click(d, u"保存"_s);
        } else if (qobject_cast<TChongZhiFm *>(d)) {
            type(d, u"充值金额"_s, u"500"_s);
            click(d, u"充值"_s);
        } else if (d->windowTitle() == u"顾客开单"_s) {
            QTest::mouseClick(Fixtures::childNamed<QPushButton>(d, u"openButton"_s), Qt::LeftButton);
        } else if (d->windowTitle() == u"顾客结帐"_s) {
            auto *read = Fixtures::childNamed<QPushButton>(d, u"ButtonReadCard"_s);
            QVERIFY(read->isEnabled());
            QTest::mouseClick(read, Qt::LeftButton);
            QCOMPARE(Fixtures::childNamed<QLineEdit>(d, u"EditCard"_s)->text(), u"6001"_s);
            auto *password = Fixtures::childNamed<QLineEdit>(d, u"EditPassword"_s);
            password->setText(Members::defaultPassword());
            QTest::keyClick(password, Qt::Key_Return);
            Fixtures::childNamed<QRadioButton>(d, u"RadioCard"_s)->setChecked(true);
            QTest::mouseClick(Fixtures::childNamed<QPushButton>(d, u"ButtonSettle"_s), Qt::LeftButton);
        } else if (auto *bills = qobject_cast<THYConsumeCXFm *>(d)) {
            type(d, u"中包含"_s, u"6001"_s);
            click(d, u"查询"_s);
            billsFound = bills->bills().totalCount();
            detail = bills->lines().value(0, u"消费项目"_s).toString();
        }
    });
    const auto use = [&](const QString &name) {
        auto *a = board.findChild<QAction *>(name);
        QVERIFY(a && a->isEnabled());
        a->trigger();
    };

    use(u"toolMember"_s);
    QCOMPARE(Fixtures::count(db, u"会员管理"_s), 1);
    {
        Cursor recharged = db.query(Statement(u"select 卡内金额 from 会员管理"_s));
        QVERIFY(recharged.next());
        QCOMPARE(recharged.money(u"卡内金额"_s).toString(), u"500"_s);
    }
    QVERIFY(prompt.shown.contains(u"充值成功！"_s));

    QVERIFY(board.selectTag(u"A1"_s));
    use(u"toolOpenBill"_s);
    QVERIFY(board.selectTag(u"A1"_s));
    use(u"toolCheckout"_s);
    QVERIFY(prompt.shown.contains(u"谢谢光临！"_s));
    Cursor member = db.query(Statement(u"select * from 会员管理"_s));
    QVERIFY(member.next());
    QCOMPARE(member.money(u"卡内金额"_s).toString(), u"467.7"_s); // 500 - 38 × 0.85
    QCOMPARE(member.integer(u"当前积分"_s), 32);

    use(u"actHyConsume"_s);
    QCOMPARE(billsFound, 1);
    QCOMPARE(detail, u"门票"_s);
    QCOMPARE(desk.captions.first(), u"会员管理"_s);

    prompt.confirmAnswers = {true};
    board.close();
}

// The register's own dialogs are not in the screen registry, so the desktop test does not open
// them: every box is named by its label, for screen readers.
void TestMemberScreens::theDialogsOfTheRegisterNameEveryBox()
{
    Rig r(u"sqlite"_s);
    const qint64 row = Fixtures::addMember(r.db(), u"8001"_s, u"1234"_s, u"金卡"_s, u"0"_s, 0);
    TAddMemberFm add(r.ctx());
    TEditMemberFm edit(r.ctx(), row);
    TChongZhiFm recharge(r.ctx(), row);
    THYChangePassFm password(r.ctx());
    for (const QDialog *d : std::initializer_list<const QDialog *>{&add, &edit, &recharge, &password}) {
        QHash<const QWidget *, QString> labelled;
        for (const QLabel *label : d->findChildren<QLabel *>()) {
            if (label->buddy())
                labelled.insert(label->buddy(), label->text().remove(u':').trimmed());
        }
        int boxes = 0;
        for (const QWidget *w : d->findChildren<QWidget *>()) {
            const bool input = (qobject_cast<const QLineEdit *>(w) && !qobject_cast<const QComboBox *>(w->parentWidget()) &&
                                !qobject_cast<const QAbstractSpinBox *>(w->parentWidget())) ||
                               qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
                               qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QCheckBox *>(w);
            if (!input)
                continue;
            ++boxes;
            const QString where = d->objectName() + u'/' + w->objectName();
            QVERIFY2(!w->accessibleName().trimmed().isEmpty(), qPrintable(where));
            if (labelled.contains(w))
                QVERIFY2(w->accessibleName() == labelled.value(w), qPrintable(where + u": "_s + w->accessibleName()));
        }
        QVERIFY2(boxes >= 4, qPrintable(d->objectName()));
    }
}

QTEST_MAIN(TestMemberScreens)
#include "tst_member_screens.moc"
