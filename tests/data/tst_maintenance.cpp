// Keeping the data safe: restoring a backup, clearing the history, the shop's information and the
// about box.
#include "admin/AboutUt.h"
#include "admin/SysInfoUt.h"
#include "app/MainUt.h"
#include "data/Backup.h"
#include "data/DataClear.h"
#include "data/DataClearUt.h"
#include "data/Restore.h"
#include "session/Login.h"
#include "session/ShopInfo.h"
#include "session/Startup.h"
#include "support/Fixtures.h"
#include "support/ModalCloser.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"
#include "widgets/RunAside.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace Fixtures;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList restoreRefusal(const Database &db, const QString &chosen)
{
    try {
        Restore::restore(db, chosen, QDateTime::currentDateTime());
    } catch (const Restore::Refused &e) {
        return {e.text()};
    }
    return {};
}

// A bill of one line, settled: its record, detail and commission row, and a recharge record.
void addHistory(const Database &db, const QString &bill)
{
    db.execute(Statement(u"insert into 结帐管理 (结帐单号, 手牌号码, 消费金额, 实收金额, 状态) values ("_s)
                   .text(bill)
                   .sql(u", 'A1', 10, 10, '已结帐')"_s));
    db.execute(Statement(u"insert into 结帐明细 (单据号, 手牌号码, 消费项目, 消费金额, 状态) values ("_s)
                   .text(bill)
                   .sql(u", 'A1', '搓澡', 10, '已结帐')"_s));
    db.execute(Statement(u"insert into 服务生提成 (单据号, 编号, 提成金额) values ("_s)
                   .text(bill)
                   .sql(u", '007', 2)"_s));
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT
private slots:
    void aRestoreRefusesWhatIsNoBackupOfThisProgram();
    void aRestoreReplacesTheDatabaseAndKeepsTheOldOne();
    void aRestoreWaitsForOtherProgramsAndServers();
    void aBackupRestoredOnTheBoardEndsTheRun();
    void longWorkRunsAsideAndItsRefusalComesBack();
    void theClearingPasswordIsExact();
    void clearingDeletesTheChosenHistoryOnly_data() { TestDatabase::addKindRows(); }
    void clearingDeletesTheChosenHistoryOnly();
    void aFailedClearingDeletesNothing_data() { TestDatabase::addKindRows(); }
    void aFailedClearingDeletesNothing();
    void theClearingScreenAsksBeforeItDeletes();
    void theShopInformationIsComplete_data() { TestDatabase::addKindRows(); }
    void theShopInformationIsComplete();
    void theAboutBoxShowsTheStartTexts();
};

// Long work (the backup) runs on a thread of its own while the window waits for it, and a
// refusal from it reaches the screen's guard as if it had run there.
void TestMaintenance::longWorkRunsAsideAndItsRefusalComesBack()
{
    QWidget window;
    window.show();
    QThread *workedOn = nullptr;
    runAside(&window, u"正在备份数据,请稍候..."_s, [&] {
        QThread::msleep(50);
        workedOn = QThread::currentThread();
    });
    QVERIFY(workedOn);
    QVERIFY(workedOn != QThread::currentThread());

    QTemporaryDir dir;
    QString refusal;
    try {
        runAside(&window, u"正在备份数据,请稍候..."_s,
                 [&] { Backup::backUpFile(dir.filePath(u"data.mdb"_s), dir.filePath(u"没有/备份"_s)); });
    } catch (const Backup::Failed &e) {
        refusal = e.text();
    }
    QVERIFY2(refusal.startsWith(u"数据备份失败: 文件夹不存在"_s), qPrintable(refusal));

    // The copy only reads: a path that names no database is refused, not made one.
    const QString missing = dir.filePath(u"无此文件.mdb"_s);
    refusal.clear();
    try {
        Backup::backUpFile(missing, dir.filePath(u"备份"_s));
    } catch (const Backup::Failed &e) {
        refusal = e.text();
    }
    QVERIFY2(refusal.startsWith(u"数据备份失败: "_s), qPrintable(refusal));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!QFile::exists(dir.filePath(u"备份"_s)));
}

// Each refused file leaves data.mdb as it was, to the byte, and the program working on it.
void TestMaintenance::aRestoreRefusesWhatIsNoBackupOfThisProgram()
{
    TestDatabase t(u"sqlite"_s);
    addRoomType(t.db(), u"大厅"_s);
    QTemporaryDir files;

    const QString text = files.filePath(u"说明.txt"_s);
    writeFile(text, "这不是数据库\n");
    const QString empty = files.filePath(u"空文件"_s);
    writeFile(empty, {});
    const QString other = files.filePath(u"other.db"_s);
    {
        QSqlDatabase o = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
        o.setDatabaseName(other);
        QVERIFY(o.open());
        QSqlQuery(u"create table 账本 (日期 text, 金额 integer)"_s, o);
        QSqlQuery(u"insert into 账本 values ('2026-01-01', 5)"_s, o);
        o.close();
    }
    QSqlDatabase::removeDatabase(u"other"_s);
    const QString backup = files.filePath(Backup::proposedName(QDate::currentDate()));
    Backup::backUp(t.db(), backup);
    QByteArray half = bytesOf(backup);
    half.truncate(half.size() / 2);
    const QString truncated = files.filePath(u"截断的备份"_s);
    writeFile(truncated, half);

    const QString dataMdb = t.baseDir() + u"/data.mdb"_s;
    t.db().close();
    const QByteArray before = bytesOf(dataMdb);
    for (const QString &chosen :
         {text, empty, other, truncated, files.filePath(u"没有这个文件"_s), dataMdb}) {
        const QStringList refusal = restoreRefusal(t.db(), chosen);
        QVERIFY2(!refusal.isEmpty(), qPrintable(chosen + u" was restored"_s));
        QVERIFY2(refusal.first().startsWith(u"没有恢复"_s), qPrintable(refusal.first()));
        QVERIFY2(bytesOf(dataMdb) == before, qPrintable(chosen));
        QCOMPARE(QDir(t.baseDir()).entryList({u"data.mdb.*"_s}, QDir::Files), QStringList());
    }
    QVERIFY(restoreRefusal(t.db(), other).first().contains(u"缺少数据表"_s));
    // The connection opens again by itself on the unchanged database.
    addRoomType(t.db(), u"包间"_s);
    QCOMPARE(count(t.db(), u"包厢类型"_s), 2);
}

void TestMaintenance::aRestoreReplacesTheDatabaseAndKeepsTheOldOne()
{
    TestDatabase t(u"sqlite"_s);
    addRoomType(t.db(), u"大厅"_s);
    QTemporaryDir files;
    const QString backup = files.filePath(u"备份"_s);
    Backup::backUp(t.db(), backup);
    addRoomType(t.db(), u"包间"_s);

    const QString dataMdb = t.baseDir() + u"/data.mdb"_s;
    const QDateTime now(QDate(2026, 12, 9), QTime(15, 4, 5));
    // A file of the name the old database would be kept under is not overwritten.
    writeFile(Restore::keptName(dataMdb, now), "earlier");
    const QString kept = Restore::restore(t.db(), backup, now);
    QCOMPARE(kept, dataMdb + u".before-restore-20261209-150405-2"_s);
    QCOMPARE(bytesOf(Restore::keptName(dataMdb, now)), QByteArray("earlier"));
    QVERIFY(!QFileInfo::exists(dataMdb + u"-wal"_s));

    const QStringList left = QDir(t.baseDir()).entryList({u"data.mdb*"_s}, QDir::Files);
    QCOMPARE(left.size(), 3); // data.mdb and the two kept files; no part-copy left behind
    {
        const Database restored =
            Database::open(u"Provider=SQLite;Data Source="_s + dataMdb, QString(), u"restored"_s);
        QCOMPARE(count(restored, u"包厢类型"_s), 1);
        const Database old = Database::open(u"Provider=SQLite;Data Source="_s + kept, QString(), u"old"_s);
        QCOMPARE(count(old, u"包厢类型"_s), 2);
    }
    Database::remove(u"restored"_s);
    Database::remove(u"old"_s);
    QVERIFY(Restore::doneMessage(kept).startsWith(u"数据恢复成功，需要重新启动软件！"_s));
}

void TestMaintenance::aRestoreWaitsForOtherProgramsAndServers()
{
    TestDatabase t(u"sqlite"_s);
    QTemporaryDir files;
    const QString backup = files.filePath(u"备份"_s);
    Backup::backUp(t.db(), backup);
    const Database counter2 = t.openAnother(u"counter2"_s);
    addRoomType(counter2, u"大厅"_s);
    const QStringList refusal = restoreRefusal(t.db(), backup);
    QVERIFY(!refusal.isEmpty());
    QVERIFY2(refusal.first().contains(u"正被其他收银台或程序使用"_s), qPrintable(refusal.first()));
    QCOMPARE(count(counter2, u"包厢类型"_s), 1);
    QCOMPARE(count(t.db(), u"包厢类型"_s), 1);

    if (!TestDatabase::availableKinds().contains(u"postgresql"_s))
        QSKIP("the server case needs the PostgreSQL server of the test command");
    TestDatabase server(u"postgresql"_s);
    const QStringList serverRefusal = restoreRefusal(server.db(), backup);
    QVERIFY(!serverRefusal.isEmpty());
    QVERIFY2(serverRefusal.first().contains(u"服务器"_s), qPrintable(serverRefusal.first()));
    QCOMPARE(count(server.db(), u"管理员"_s), 1);
}

namespace {

void settleOnTheBoard(QDialog *d)
{
    if (d->windowTitle() == u"顾客结帐"_s) {
        childNamed<QRadioButton>(d, u"RadioCash"_s)->setChecked(true);
        QTest::mouseClick(childNamed<QPushButton>(d, u"ButtonSettle"_s), Qt::LeftButton);
    }
}

} // namespace

// 数据备份, a bill settled, 数据恢复 of that backup: the run ends, and the next start finds the
// database as it was at the backup.
void TestMaintenance::aBackupRestoredOnTheBoardEndsTheRun()
{
    TestDatabase t(u"sqlite"_s);
    const Database &db = t.db();
    addRoomType(db, u"大厅"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s})
        addTag(db, tag, u"大厅"_s, u"占用"_s);
    for (const QString &tag : {u"A1"_s, u"A2"_s}) {
        openBill(db, tag, tag, QDateTime::currentDateTime().addSecs(-3600));
        addLine(db, tag, tag, u"搓澡"_s, u"25"_s);
    }
    ScriptedPrompt prompt;
    ModalCloser windows(settleOnTheBoard);
    RunState run = runState(db, t.baseDir());
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(run.ini, t.baseDir());
    CardReader reader(*device, prompt);
    TMainFm board(run, prompt, reader);
    board.show();
    const auto use = [&board](const QString &name) {
        auto *a = board.findChild<QAction *>(name);
        QVERIFY2(a && a->isEnabled(), qPrintable(name));
        a->trigger();
    };

    QVERIFY(board.selectTag(u"A1"_s));
    use(u"toolCheckout"_s);
    QCOMPARE(count(db, u"结帐管理"_s), 1);
    QTemporaryDir files;
    const QString backup = files.filePath(u"备份"_s);
    prompt.fileAnswers = {backup};
    use(u"actBackup"_s);
    QVERIFY2(QFileInfo::exists(backup), qPrintable(prompt.last()));
    QVERIFY(board.selectTag(u"A2"_s));
    use(u"toolCheckout"_s);
    QCOMPARE(count(db, u"结帐管理"_s), 2);

    // Cancelling the file dialog changes nothing and the board goes on.
    prompt.fileAnswers.clear();
    use(u"actRestore"_s);
    QVERIFY(board.isVisible());
    QCOMPARE(count(db, u"结帐管理"_s), 2);

    prompt.fileAnswers = {backup};
    use(u"actRestore"_s);
    QVERIFY2(prompt.last().startsWith(u"数据恢复成功，需要重新启动软件！"_s), qPrintable(prompt.last()));
    QVERIFY(!board.isVisible());

    const Database next = Database::open(u"Provider=SQLite;Data Source="_s + t.baseDir() + u"/data.mdb"_s,
                                         QString(), u"next"_s);
    QCOMPARE(count(next, u"结帐管理"_s), 1);
    QCOMPARE(next.scalar(Statement(u"select 手牌号码 from 结帐管理"_s)).toString(), u"A1"_s);
    QCOMPARE(count(next, u"手牌开单"_s), 1); // A2's bill is open again, as at the backup
    Database::remove(u"next"_s);
}

void TestMaintenance::theClearingPasswordIsExact()
{
    QVERIFY(DataClear::passwordMatches(u"kdf864209753"_s));
    for (const QString &wrong :
         {QString(), u"KDF864209753"_s, u" kdf864209753"_s, u"kdf864209753 "_s, u"kdf86420975"_s})
        QVERIFY2(!DataClear::passwordMatches(wrong), qPrintable(wrong));
}

// Members keep their balances and points, open bills their lines, the bill counter its number.
void TestMaintenance::clearingDeletesTheChosenHistoryOnly()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addMemberType(db, u"金卡"_s, 0.8);
    addMember(db, u"8001"_s, u"1234"_s, u"金卡"_s, u"350.5"_s, 120);
    addRoomType(db, u"大厅"_s);
    addTag(db, u"A2"_s, u"大厅"_s, u"占用"_s);
    openBill(db, u"A2"_s, u"A2"_s, QDateTime::currentDateTime());
    addLine(db, u"A2"_s, u"A2"_s, u"可乐"_s, u"8"_s);
    setBillCounter(db, 41);
    addHistory(db, u"40"_s);
    addHistory(db, u"41"_s);
    db.execute(Statement(u"insert into 会员充值 (会员卡号, 充值金额) values ('8001', 100)"_s));

    DataClear::clear(db, {});
    for (const QString &table : {u"结帐管理"_s, u"结帐明细"_s, u"服务生提成"_s})
        QCOMPARE(count(db, table), 2);
    QCOMPARE(count(db, u"会员充值"_s), 1);

    DataClear::clear(db, {.commissions = false, .business = true, .recharges = false});
    QCOMPARE(count(db, u"结帐管理"_s), 0);
    QCOMPARE(count(db, u"结帐明细"_s), 0);
    QCOMPARE(count(db, u"服务生提成"_s), 2);
    QCOMPARE(count(db, u"会员充值"_s), 1);

    DataClear::clear(db, {.commissions = true, .business = false, .recharges = true});
    QCOMPARE(count(db, u"服务生提成"_s), 0);
    QCOMPARE(count(db, u"会员充值"_s), 0);

    Cursor member = db.query(Statement(u"select 卡内金额, 当前积分 from 会员管理"_s));
    QVERIFY(member.next());
    QCOMPARE(member.money(u"卡内金额"_s).toString(), u"350.5"_s);
    QCOMPARE(member.integer(u"当前积分"_s), 120);
    QCOMPARE(count(db, u"手牌消费"_s), 1);
    QCOMPARE(count(db, u"手牌开单"_s), 1);
    QCOMPARE(db.scalar(Statement(u"select 单据号 from 单据号"_s)).toLongLong(), 41);
}

// The details refuse to be deleted: the checkout records deleted just before come back, and so
// do the commission rows deleted before them.
void TestMaintenance::aFailedClearingDeletesNothing()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    addHistory(db, u"1"_s);
    addHistory(db, u"2"_s);
    if (kind == u"sqlite"_s) {
        db.executeScript(u"create trigger keep_details before delete on 结帐明细 "
                         "begin select raise(abort, 'details are kept'); end"_s);
    } else {
        db.executeScript(u"create function keep_details() returns trigger language plpgsql as $$ "
                         "begin raise exception 'details are kept'; end $$;\n"
                         "create trigger keep_details before delete on 结帐明细 "
                         "for each row execute function keep_details()"_s);
    }
    try {
        DataClear::clear(db, {.commissions = true, .business = true, .recharges = true});
        QFAIL("a clearing whose delete failed was reported done");
    } catch (const DbError &e) {
        QVERIFY2(e.driverText().contains(u"details are kept"_s), qPrintable(e.driverText()));
    }
    for (const QString &table : {u"结帐管理"_s, u"结帐明细"_s, u"服务生提成"_s})
        QCOMPARE(count(db, table), 2);
}

void TestMaintenance::theClearingScreenAsksBeforeItDeletes()
{
    TestDatabase t(u"sqlite"_s);
    addHistory(t.db(), u"1"_s);
    ScriptedPrompt prompt;
    RunState run = runState(t.db(), t.baseDir());
    ScreenRig rig(run, prompt);
    {
        const TDataClearFm screen(rig.context);
        QCOMPARE(screen.windowTitle(), u"数据初始化"_s);
        const QList<QCheckBox *> boxes = screen.findChildren<QCheckBox *>();
        QCOMPARE(boxes.size(), 3);
        for (const QCheckBox *box : boxes)
            QVERIFY2(!box->isChecked(), qPrintable(box->text()));
    }
    const auto clearWith = [&](std::optional<QString> password, bool confirmed, bool tickBusiness) {
        TDataClearFm screen(rig.context);
        childNamed<QCheckBox>(&screen, u"businessBox"_s)->setChecked(tickBusiness);
        prompt.inputAnswers = {password};
        prompt.confirmAnswers = {confirmed};
        prompt.shown.clear();
        QTest::mouseClick(childNamed<QPushButton>(&screen, u"clearButton"_s), Qt::LeftButton);
        return screen.result();
    };
    const QString asked = u"输入正确的密码后才能执行删除任务:"_s;
    QCOMPARE(clearWith(u"kdf86420975"_s, true, true), int(QDialog::Rejected));
    QCOMPARE(prompt.shown, QStringList({asked, u"密码错误!"_s}));
    QCOMPARE(clearWith(std::nullopt, true, true), int(QDialog::Rejected));
    QCOMPARE(prompt.shown, QStringList({asked, u"密码错误!"_s}));
    QCOMPARE(clearWith(u"kdf864209753"_s, false, true), int(QDialog::Rejected));
    QCOMPARE(prompt.shown, QStringList({asked, u"您是否真的要删除?"_s}));
    QCOMPARE(count(t.db(), u"结帐管理"_s), 1);
    // Nothing ticked still asks, and deletes nothing.
    QCOMPARE(clearWith(u"kdf864209753"_s, true, false), int(QDialog::Accepted));
    QCOMPARE(prompt.shown, QStringList({asked, u"您是否真的要删除?"_s, u"清理完毕！"_s}));
    QCOMPARE(count(t.db(), u"结帐管理"_s), 1);
    QCOMPARE(clearWith(u"kdf864209753"_s, true, true), int(QDialog::Accepted));
    QCOMPARE(count(t.db(), u"结帐管理"_s), 0);
}

void TestMaintenance::theShopInformationIsComplete()
{
    QFETCH(QString, kind);
    TestDatabase t(kind);
    const Database &db = t.db();
    ScriptedPrompt prompt;
    RunState run = runState(db, t.baseDir());
    ScreenRig rig(run, prompt);
    {
        TSysInfoFm screen(rig.context);
        QCOMPARE(childNamed<QLineEdit>(&screen, u"nameEdit"_s)->text(), u"本店名称"_s);
        childNamed<QLineEdit>(&screen, u"nameEdit"_s)->setText(u"清水浴场"_s);
        childNamed<QLineEdit>(&screen, u"telEdit"_s)->setText(u"0571-8888"_s);
        childNamed<QLineEdit>(&screen, u"addressEdit"_s)->setText(u"  "_s);
        screen.show();
        QTest::mouseClick(childNamed<QPushButton>(&screen, u"saveButton"_s), Qt::LeftButton);
        QCOMPARE(prompt.last(), u"必须认真填写完整！"_s);
        QVERIFY(screen.isVisible());
        QCOMPARE(screen.focusWidget(), childNamed<QLineEdit>(&screen, u"addressEdit"_s));
        QCOMPARE(Login::shopInfo(db).first, u"本店名称"_s);
        childNamed<QLineEdit>(&screen, u"addressEdit"_s)->setText(u"湖滨路1号"_s);
        QTest::mouseClick(childNamed<QPushButton>(&screen, u"saveButton"_s), Qt::LeftButton);
        QCOMPARE(prompt.last(), u"重启软件后生效！"_s);
        QCOMPARE(screen.result(), int(QDialog::Accepted));
    }
    QCOMPARE(count(db, u"sysinfo"_s), 1);
    QCOMPARE(Login::shopInfo(db), std::make_pair(u"清水浴场"_s, u"0571-8888"_s));
    QCOMPARE(ShopInfo::read(db).address, u"湖滨路1号"_s);

    // No row: saving adds it.
    db.execute(Statement(u"delete from sysinfo"_s));
    QCOMPARE(ShopInfo::read(db).name, QString());
    ShopInfo{u"一店"_s, u"1"_s, u"甲路"_s}.save(db);
    QCOMPARE(ShopInfo::read(db).name, u"一店"_s);
    // A second row is never touched. (A server keeps no order of rows it was not asked for: an
    // updated row may come back after the other, so which row is "first" is the embedded file's.)
    if (kind != u"sqlite"_s)
        return;
    db.execute(Statement(u"insert into sysinfo (name, tel, \"add\") values ('二店', '2', '乙路')"_s));
    ShopInfo{u"一店新名"_s, u"1"_s, u"甲路"_s}.save(db);
    QCOMPARE(db.scalar(Statement(u"select count(*) from sysinfo where name = '二店'"_s)).toInt(), 1);
    QCOMPARE(ShopInfo::read(db).name, u"一店新名"_s);
}

void TestMaintenance::theAboutBoxShowsTheStartTexts()
{
    TestDatabase t(u"sqlite"_s);
    ScriptedPrompt prompt;
    RunState run = runState(t.db(), t.baseDir());
    QTemporaryDir folder;
    writeFile(folder.filePath(u"system.ini"_s), {});
    run.settings = Startup::readSettings(IniFile(folder.filePath(u"system.ini"_s)));
    ScreenRig rig(run, prompt);
    TAboutFm about(rig.context);
    QCOMPARE(about.windowTitle(), u"关于"_s);
    QStringList lines;
    for (const QString &label :
         {u"softnameLabel"_s, u"memoLabel"_s, u"telLabel"_s, u"webLabel"_s, u"companyLabel"_s})
        lines << childNamed<QLabel>(&about, label)->text();
    QCOMPARE(lines, QStringList(5, u"0"_s));
    QVERIFY(!(about.windowFlags() & Qt::WindowCloseButtonHint));
    QTest::mouseClick(childNamed<QPushButton>(&about, u"okButton"_s), Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
