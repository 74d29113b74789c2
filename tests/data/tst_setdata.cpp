// The database settings: how the tested connection string is made and shown, what is stored in
// system.ini and in which order, and when the settings screen lets the operator save.
#include "data/DataSettings.h"
#include "data/SetDataUt.h"
#include "db/ConnectionString.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ServerKind)
Q_DECLARE_METATYPE(DatabasePlace)

namespace {

const QString Restart = u"软件重启后生效!"_s;
const QByteArray DefaultIni = "[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.mdb\n";

// A PostgreSQL socket folder that does not exist: the test fails at once.
const ServerLogin Unreachable{u"/nonexistent/vesk-socket"_s, u"vesk"_s, u"postgres"_s, u"s3cret-pw"_s};

// The server VESK_TEST_PG names, as the four boxes would hold it.
std::optional<ServerLogin> reachable()
{
    const ConnectionString cs = ConnectionString::parse(qEnvironmentVariable("VESK_TEST_PG"));
    if (!cs.kind())
        return std::nullopt;
    return ServerLogin{cs.value(u"Data Source"_s), cs.value(u"Initial Catalog"_s), cs.value(u"User ID"_s),
                       cs.value(u"Password"_s)};
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A system.ini in a temporary folder and a settings screen over it.
struct Fixture
{
    explicit Fixture(const QString &kind = u"0"_s, const QByteArray &content = DefaultIni)
        : path(dir.filePath(u"system.ini"_s)), ini(path)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        screen = std::make_unique<TSetDataFm>(ini, kind, prompt);
    }

    template<typename T> T *child(const QString &name) const { return Fixtures::childNamed<T>(screen.get(), name); }
    QRadioButton *local() const { return child<QRadioButton>(u"localRadio"_s); }
    QRadioButton *server() const { return child<QRadioButton>(u"serverRadio"_s); }
    bool groupEnabled() const { return child<QGroupBox>(u"serverGroup"_s)->isEnabled(); }
    bool saveEnabled() const { return child<QPushButton>(u"saveButton"_s)->isEnabled(); }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    void chooseSqlServer() const { child<QComboBox>(u"serverKindCombo"_s)->setCurrentText(u"SQL Server"_s); }

    QStringList boxes() const
    {
        return {edit(u"serverEdit"_s)->text(), edit(u"databaseEdit"_s)->text(), edit(u"userEdit"_s)->text(),
                edit(u"passwordEdit"_s)->text()};
    }
    void type(const ServerLogin &login) const
    {
        edit(u"serverEdit"_s)->setText(login.server);
        edit(u"databaseEdit"_s)->setText(login.database);
        edit(u"userEdit"_s)->setText(login.user);
        edit(u"passwordEdit"_s)->setText(login.password);
    }
    void click(const QString &button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    QString key(const QString &name) const { return ini.read(u"part1"_s, name, u"<missing>"_s); }
    QStringList loginKeys() const
    {
        return {key(u"ServerName"_s), key(u"DataBaseName"_s), key(u"UserName"_s), key(u"PassWord"_s)};
    }

    QTemporaryDir dir;
    QString path;
    IniFile ini;
    ScriptedPrompt prompt;
    std::unique_ptr<TSetDataFm> screen;
};

} // namespace

class TestSetData : public QObject
{
    Q_OBJECT
private slots:
    // the rules
    void composeKeepsTheTypedValues_data();
    void composeKeepsTheTypedValues();
    void composedValuesReadBack();
    void shownStringHidesThePassword_data();
    void shownStringHidesThePassword();
    void serverKindKeys_data();
    void serverKindKeys();
    void saveWritesTheKeysInOrder_data();
    void saveWritesTheKeysInOrder();
    void testConnectionFollowsTheLastTest();
    // the screen
    void showSelectsTheStartupKind_data();
    void showSelectsTheStartupKind();
    void radioButtonsSetWhatCanBePressed();
    void boxesAreReadOnEveryShow();
    void serverCannotBeSavedBeforeASuccessfulTest();
    void successfulTestStoresTheChangedBoxes();
    void failedTestAfterASuccessKeepsSave();
    void localFileWithoutTestStoresTheInitialString();
    void blanksReachTheTestButNotTheKeys();
    void leavingWritesNothing_data();
    void leavingWritesNothing();
    void unwritableFileKeepsTheScreenOpen();
};

void TestSetData::composeKeepsTheTypedValues_data()
{
    QTest::addColumn<ServerKind>("kind");
    QTest::addColumn<QStringList>("boxes"); // server, database, user, password
    QTest::addColumn<QString>("expected");
    QTest::newRow("sql server") << ServerKind::SqlServer << QStringList{u"srv"_s, u"book"_s, u"sa"_s, u"pw"_s}
                                << u"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                                   u"Initial Catalog=book;Data Source=srv;"_s;
    QTest::newRow("postgresql")
        << ServerKind::PostgreSql << QStringList{u"db:5433"_s, u"vesk"_s, u"u"_s, u"p"_s}
        << u"Provider=PostgreSQL;Password=p;User ID=u;Initial Catalog=vesk;Data Source=db:5433;"_s;
    QTest::newRow("blanks kept")
        << ServerKind::SqlServer << QStringList{u" srv "_s, u"bk "_s, u" sa"_s, u" p "_s}
        << u"Provider=SQLOLEDB.1;Password= p ;Persist Security Info=True;User ID= sa;Initial Catalog=bk ;"
           u"Data Source= srv ;"_s;
}

void TestSetData::composeKeepsTheTypedValues()
{
    QFETCH(ServerKind, kind);
    QFETCH(QStringList, boxes);
    QFETCH(QString, expected);
    QCOMPARE(DataSettings::compose(kind, {boxes[0], boxes[1], boxes[2], boxes[3]}), expected);
}

void TestSetData::composedValuesReadBack()
{
    // Values that would break the "Key=Value;" form must still reach the server whole.
    const ServerLogin odd{u"a;b"_s, u"\"db\""_s, u"'u;1'"_s, u"it's;\"x"_s};
    for (ServerKind kind : {ServerKind::SqlServer, ServerKind::PostgreSql}) {
        const ConnectionString cs = ConnectionString::parse(DataSettings::compose(kind, odd));
        QCOMPARE(cs.kind(), kind == ServerKind::SqlServer ? DbKind::SqlServer : DbKind::PostgreSql);
        QCOMPARE(cs.value(u"Data Source"_s), odd.server);
        QCOMPARE(cs.value(u"Initial Catalog"_s), odd.database);
        QCOMPARE(cs.value(u"User ID"_s), odd.user);
        QCOMPARE(cs.value(u"Password"_s), odd.password);
    }
}

void TestSetData::shownStringHidesThePassword_data()
{
    QTest::addColumn<ServerKind>("kind");
    QTest::addColumn<QString>("password");
    QTest::newRow("sql server") << ServerKind::SqlServer << u"s3cret"_s;
    QTest::newRow("postgresql") << ServerKind::PostgreSql << u"s3cret"_s;
    QTest::newRow("with semicolon") << ServerKind::SqlServer << u"se;cret"_s;
    QTest::newRow("with blanks") << ServerKind::PostgreSql << u" s3 cret "_s;
}

void TestSetData::shownStringHidesThePassword()
{
    QFETCH(ServerKind, kind);
    QFETCH(QString, password);
    const QString shown = DataSettings::shownConnectionString(kind, {u"srv"_s, u"book"_s, u"sa"_s, password});
    QVERIFY2(!shown.contains(password.trimmed()), qPrintable(shown));
    // Everything but the password is what is tested.
    QCOMPARE(shown, DataSettings::compose(kind, {u"srv"_s, u"book"_s, u"sa"_s, u"***"_s}));
}

void TestSetData::serverKindKeys_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<ServerKind>("kind");
    QTest::newRow("PostgreSQL") << u"PostgreSQL"_s << ServerKind::PostgreSql;
    QTest::newRow("SqlServer") << u"SqlServer"_s << ServerKind::SqlServer;
    QTest::newRow("edited by hand") << u" sqlserver"_s << ServerKind::SqlServer;
    QTest::newRow("missing") << u"0"_s << ServerKind::PostgreSql;
}

void TestSetData::serverKindKeys()
{
    QFETCH(QString, stored);
    QFETCH(ServerKind, kind);
    QCOMPARE(DataSettings::serverKindFromKey(stored), kind);
    QCOMPARE(DataSettings::serverKindFromKey(DataSettings::serverKindKey(kind)), kind);
}

void TestSetData::saveWritesTheKeysInOrder_data()
{
    QTest::addColumn<DatabasePlace>("place");
    QTest::addColumn<ServerKind>("kind");
    QTest::addColumn<QString>("abc");
    QTest::newRow("local file") << DatabasePlace::LocalFile << ServerKind::SqlServer << u"a"_s;
    QTest::newRow("server") << DatabasePlace::Server << ServerKind::PostgreSql << u"s"_s;
}

void TestSetData::saveWritesTheKeysInOrder()
{
    QFETCH(DatabasePlace, place);
    QFETCH(ServerKind, kind);
    QFETCH(QString, abc);
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    ini.write(u"part1"_s, u"csaccess"_s, u"L"_s);
    DataSettings settings(ini);
    QVERIFY(settings.save(place, {u" srv "_s, u"\tbook"_s, u"sa "_s, u" p w "_s}, kind));
    // New keys go to the end of the section, so the file shows the order they were written in.
    const QStringList expected{u"[part1]"_s, u"csaccess=L"_s, u"abc="_s + abc, u"ServerName=srv"_s,
                               u"DataBaseName=book"_s, u"UserName=sa"_s, u"PassWord=p w"_s,
                               u"ServerKind="_s + DataSettings::serverKindKey(kind),
                               u"cs="_s + DataSettings::initialConnectionString()};
    QCOMPARE(QString::fromUtf8(readBytes(ini.path())).split(u'\n', Qt::SkipEmptyParts), expected);
}

void TestSetData::testConnectionFollowsTheLastTest()
{
    const QString name = QString::fromLatin1(DataSettings::TestConnectionName);
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    {
        DataSettings settings(ini);
        QVERIFY(settings.testConnectionString().startsWith(
            u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=book;"
            u"Data Source="_s));
        const QString failing = DataSettings::compose(ServerKind::PostgreSql, Unreachable);
        settings.setTestConnectionString(failing);
        QVERIFY(!settings.openTestConnection());
        QCOMPARE(settings.testConnectionString(), failing);

        const std::optional<ServerLogin> server = reachable();
        if (!server)
            QSKIP("VESK_TEST_PG names no PostgreSQL server");
        settings.setTestConnectionString(DataSettings::compose(ServerKind::PostgreSql, *server));
        QVERIFY(settings.openTestConnection());
        QVERIFY(QSqlDatabase::database(name, false).isOpen());
        settings.setTestConnectionString(failing);
        QVERIFY(!settings.isTestConnectionOpen()); // a new string drops the old connection
        QVERIFY(!settings.openTestConnection());
    }
    QVERIFY(!QSqlDatabase::contains(name)); // gone with its owner
}

void TestSetData::showSelectsTheStartupKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("local");
    QTest::addColumn<bool>("server");
    QTest::newRow("a") << u"a"_s << true << false;
    QTest::newRow("s") << u"s"_s << false << true;
    QTest::newRow("S is not a server") << u"S"_s << false << false;
    QTest::newRow("missing") << u"0"_s << false << false;
}

void TestSetData::showSelectsTheStartupKind()
{
    QFETCH(QString, kind);
    QFETCH(bool, local);
    QFETCH(bool, server);
    Fixture f(kind);
    // Nothing is chosen until the screen is shown.
    QVERIFY(!f.local()->isChecked() && !f.server()->isChecked() && !f.groupEnabled() && !f.saveEnabled());
    f.screen->show();
    QCOMPARE(f.local()->isChecked(), local);
    QCOMPARE(f.server()->isChecked(), server);
    QCOMPARE(f.groupEnabled(), server);
    QCOMPARE(f.saveEnabled(), local); // a server needs a test first

    if (local)
        return; // the server cannot be saved untested
    // Saving the local file does not change what the next showing opens with.
    f.local()->setChecked(true);
    f.click(u"saveButton"_s);
    QCOMPARE(f.key(u"abc"_s), u"a"_s);
    f.screen->show();
    QCOMPARE(f.local()->isChecked(), local);
    QCOMPARE(f.server()->isChecked(), server);
}

void TestSetData::radioButtonsSetWhatCanBePressed()
{
    Fixture f;
    f.screen->show();
    f.local()->setChecked(true);
    QVERIFY(!f.groupEnabled() && f.saveEnabled());
    QTest::mouseClick(f.server(), Qt::LeftButton);
    QVERIFY(f.server()->isChecked());
    QVERIFY(f.groupEnabled() && !f.saveEnabled());
    f.local()->setChecked(true);
    QVERIFY(!f.groupEnabled() && f.saveEnabled());
    f.edit(u"passwordEdit"_s)->setText(u"abc"_s);
    QCOMPARE(f.edit(u"passwordEdit"_s)->displayText(), u"***"_s);
}

void TestSetData::boxesAreReadOnEveryShow()
{
    Fixture f(u"s"_s, "[part1]\nabc=s\n");
    f.screen->show();
    QCOMPARE(f.boxes(), QStringList(4, u"0"_s));
    QCOMPARE(f.child<QPlainTextEdit>(u"csEdit"_s)->toPlainText(), u"0"_s);
    QVERIFY(f.child<QPlainTextEdit>(u"csEdit"_s)->isHidden());
    QCOMPARE(f.child<QComboBox>(u"serverKindCombo"_s)->currentText(), u"PostgreSQL"_s);
    f.screen->reject();

    QFile file(f.path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[part1]\nServerName=srv\nDataBaseName=book\nUserName=sa\nPassWord=pw\n"
               "ServerKind=SqlServer\n");
    file.close();
    f.type({u"x"_s, u"x"_s, u"x"_s, u"x"_s});
    f.screen->show();
    QCOMPARE(f.boxes(), (QStringList{u"srv"_s, u"book"_s, u"sa"_s, u"pw"_s}));
    QCOMPARE(f.child<QComboBox>(u"serverKindCombo"_s)->currentText(), u"SQL Server"_s);
}

void TestSetData::serverCannotBeSavedBeforeASuccessfulTest()
{
    Fixture f(u"s"_s);
    const QByteArray before = readBytes(f.path);
    f.screen->show();
    f.click(u"saveButton"_s);
    QVERIFY(f.prompt.shown.isEmpty());
    f.type(Unreachable);
    f.click(u"testButton"_s);
    const QString shown = DataSettings::shownConnectionString(ServerKind::PostgreSql, Unreachable);
    QCOMPARE(f.prompt.shown, (QStringList{shown, u"连接失败"_s}));
    QVERIFY(!f.prompt.shown.first().contains(Unreachable.password));
    QVERIFY(!f.saveEnabled());
    f.click(u"saveButton"_s);
    QVERIFY(f.screen->isVisible());
    QCOMPARE(readBytes(f.path), before);
}

void TestSetData::successfulTestStoresTheChangedBoxes()
{
    const std::optional<ServerLogin> server = reachable();
    if (!server)
        QSKIP("VESK_TEST_PG names no PostgreSQL server");
    Fixture f(u"s"_s);
    f.screen->show();
    f.type(*server);
    f.click(u"testButton"_s);
    QCOMPARE(f.prompt.last(), u"连接成功!"_s);
    QVERIFY(f.saveEnabled());

    f.type({u" other-host "_s, u" otherdb"_s, u"someone "_s, u" pw2 "_s});
    f.click(u"saveButton"_s);
    QCOMPARE(f.prompt.last(), Restart);
    QCOMPARE(f.screen->result(), int(QDialog::Accepted));
    QVERIFY(!QSqlDatabase::contains(QString::fromLatin1(DataSettings::TestConnectionName)));
    QCOMPARE(f.key(u"abc"_s), u"s"_s);
    QCOMPARE(f.loginKeys(), (QStringList{u"other-host"_s, u"otherdb"_s, u"someone"_s, u"pw2"_s}));
    QCOMPARE(f.key(u"ServerKind"_s), u"PostgreSQL"_s);
    QCOMPARE(f.key(u"cs"_s), DataSettings::compose(ServerKind::PostgreSql, *server));
    QCOMPARE(f.key(u"csaccess"_s), u"Provider=SQLite;Data Source=data.mdb"_s);
}

void TestSetData::failedTestAfterASuccessKeepsSave()
{
    const std::optional<ServerLogin> server = reachable();
    if (!server)
        QSKIP("VESK_TEST_PG names no PostgreSQL server");
    Fixture f(u"s"_s);
    f.screen->show();
    f.type(*server);
    f.click(u"testButton"_s);
    f.type(Unreachable);
    f.click(u"testButton"_s);
    QCOMPARE(f.prompt.last(), u"连接失败"_s);
    QVERIFY(f.saveEnabled());
    f.click(u"saveButton"_s);
    QCOMPARE(f.key(u"cs"_s), DataSettings::compose(ServerKind::PostgreSql, Unreachable));
}

void TestSetData::localFileWithoutTestStoresTheInitialString()
{
    Fixture f;
    f.screen->show();
    f.local()->setChecked(true);
    f.chooseSqlServer();
    f.click(u"saveButton"_s);
    QCOMPARE(f.prompt.shown, QStringList{Restart});
    QCOMPARE(f.key(u"abc"_s), u"a"_s);
    QCOMPARE(f.loginKeys(), QStringList(4, u"0"_s));
    QCOMPARE(f.key(u"ServerKind"_s), u"SqlServer"_s);
    QCOMPARE(f.key(u"cs"_s), DataSettings::initialConnectionString());
}

void TestSetData::blanksReachTheTestButNotTheKeys()
{
    Fixture f(u"s"_s);
    f.screen->show();
    const ServerLogin blanks{u" /nonexistent/dir "_s, u" vesk "_s, u" sa "_s, u" pw "_s};
    f.type(blanks);
    f.chooseSqlServer();
    f.click(u"testButton"_s);
    QCOMPARE(f.prompt.shown.first(), DataSettings::shownConnectionString(ServerKind::SqlServer, blanks));
    f.local()->setChecked(true);
    f.click(u"saveButton"_s);
    QCOMPARE(f.loginKeys(), (QStringList{u"/nonexistent/dir"_s, u"vesk"_s, u"sa"_s, u"pw"_s}));
    QCOMPARE(f.key(u"cs"_s), u"Provider=SQLOLEDB.1;Password= pw ;Persist Security Info=True;User ID= sa ;"
                             u"Initial Catalog= vesk ;Data Source= /nonexistent/dir ;"_s);
}

void TestSetData::leavingWritesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("退出") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("Escape") << 2;
}

void TestSetData::leavingWritesNothing()
{
    QFETCH(int, how);
    Fixture f(u"a"_s);
    const QByteArray before = readBytes(f.path);
    f.screen->show();
    f.type({u"srv"_s, u"db"_s, u"u"_s, u"p"_s});
    f.server()->setChecked(true);
    if (how == 0)
        f.click(u"exitButton"_s);
    else if (how == 1)
        f.screen->close();
    else
        QTest::keyClick(f.screen.get(), Qt::Key_Escape);
    QCOMPARE(f.prompt.shown, QStringList{Restart});
    QVERIFY(!f.screen->isVisible());
    QCOMPARE(f.screen->result(), int(QDialog::Rejected));
    QCOMPARE(readBytes(f.path), before);
}

void TestSetData::unwritableFileKeepsTheScreenOpen()
{
    Fixture f(u"a"_s);
    QVERIFY(QFile::remove(f.path));
    QVERIFY(QDir(f.dir.path()).mkdir(u"system.ini"_s)); // a folder where the file should be
    f.screen->show();
    f.click(u"saveButton"_s);
    QCOMPARE(f.prompt.shown.size(), 1);
    QVERIFY(f.prompt.last() != Restart);
    QVERIFY(f.screen->isVisible());
}

QTEST_MAIN(TestSetData)
#include "tst_setdata.moc"
