// Start-up: which settings are read from system.ini, which connection string is chosen,
// the delimiters that follow from the database kind, and the failed-open message.
#include "session/GgUt.h"
#include "app/SharedConnection.h"
#include "session/Startup.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString writeIni(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = Startup::systemIniPath(dir.path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void settingsChooseTheConnectionString_data();
    void settingsChooseTheConnectionString();
    void missingFileReadsZeroEverywhere();
    void delimitersFollowTheKindExactly_data();
    void delimitersFollowTheKindExactly();
    void failedOpenTellsTheOperator();
    void missingDatabaseFileIsNotCreated();
    void opensTheDeliveredFileRelativeToTheProgram();
    void foreignDatabaseGoesBackToTheSettings();
    void firstStartGetsTheDeliveredSettings();
};

void TestStartup::settingsChooseTheConnectionString_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("connection");
    QTest::newRow("local file") << QByteArray("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.mdb\ncs=X\n")
                                << u"a"_s << u"Provider=SQLite;Data Source=data.mdb"_s;
    QTest::newRow("server") << QByteArray("[part1]\nabc=s\ncsaccess=L\ncs=Provider=SQLOLEDB.1;Data Source=srv\n")
                            << u"s"_s << u"Provider=SQLOLEDB.1;Data Source=srv"_s;
    QTest::newRow("server without cs") << QByteArray("[part1]\nabc=s\ncsaccess=L\n") << u"s"_s << u"0"_s;
    QTest::newRow("upper-case S is not a server") << QByteArray("[part1]\nabc=S\ncsaccess=L\ncs=R\n") << u"S"_s
                                                  << u"L"_s;
    QTest::newRow("upper-case keys") << QByteArray("[PART1]\nABC=s\nCS=R\n") << u"s"_s << u"R"_s;
}

void TestStartup::settingsChooseTheConnectionString()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, kind);
    QFETCH(QString, connection);
    QTemporaryDir dir;
    const StartupSettings s = Startup::readSettings(IniFile(writeIni(dir, ini)));
    QCOMPARE(s.databaseKind, kind);
    QCOMPARE(s.connectionString, connection);
}

void TestStartup::missingFileReadsZeroEverywhere()
{
    QTemporaryDir dir;
    const StartupSettings s = Startup::readSettings(IniFile(Startup::systemIniPath(dir.path())));
    for (const QString &v : {s.softname, s.memo, s.tel, s.web, s.company, s.databaseKind, s.connectionString})
        QCOMPARE(v, u"0"_s);
    QCOMPARE(SqlTextQuote(s.databaseKind), QString());
    QCOMPARE(SqlDateQuote(s.databaseKind), QString());
}

void TestStartup::delimitersFollowTheKindExactly_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("date");
    QTest::newRow("s") << u"s"_s << u"'"_s << u"'"_s;
    QTest::newRow("a") << u"a"_s << u"\""_s << u"#"_s;
    QTest::newRow("S") << u"S"_s << QString() << QString();
    QTest::newRow("A") << u"A"_s << QString() << QString();
    QTest::newRow("s with blank") << u"s "_s << QString() << QString();
    QTest::newRow("0") << u"0"_s << QString() << QString();
}

void TestStartup::delimitersFollowTheKindExactly()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, date);
    QCOMPARE(SqlTextQuote(kind), text);
    QCOMPARE(SqlDateQuote(kind), date);
}

void TestStartup::failedOpenTellsTheOperator()
{
    QTemporaryDir dir;
    const StartupSettings s = Startup::readSettings(IniFile(writeIni(dir, "[part1]\nabc=s\n")));
    ScriptedPrompt prompt;
    QVERIFY(!openSharedConnection(s, dir.path(), prompt).has_value());
    QCOMPARE(prompt.shown, QStringList{u"数据库连接失败,请选择数据库."_s});
}

void TestStartup::missingDatabaseFileIsNotCreated()
{
    QTemporaryDir dir;
    const StartupSettings s = Startup::readSettings(
        IniFile(writeIni(dir, "[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.mdb\n")));
    ScriptedPrompt prompt;
    QVERIFY(!openSharedConnection(s, dir.path(), prompt).has_value());
    QCOMPARE(prompt.shown.size(), 1);
    QVERIFY(!QFile::exists(dir.filePath(u"data.mdb"_s)));
}

void TestStartup::opensTheDeliveredFileRelativeToTheProgram()
{
    // the test database lives in its own folder as data.mdb, like the delivered one;
    // an old-style connection string naming the file opens it too
    TestDatabase t(u"sqlite"_s);
    StartupSettings settings;
    settings.databaseKind = u"a"_s;
    settings.connectionString = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb;"
                                u"Persist Security Info=False;Jet OLEDB:Database Password=x"_s;
    ScriptedPrompt prompt;
    const std::optional<Database> db = openSharedConnection(settings, t.baseDir(), prompt);
    QVERIFY(db.has_value());
    QVERIFY(prompt.shown.isEmpty());
    QCOMPARE(db->scalar(Statement(u"select count(*) from 管理员"_s)).toLongLong(), 1);
    Database::remove(db->connectionName());
}

// A file that opens but is not this program's database is refused at start, naming what it
// lacks, so the operator is taken to the database settings instead of a login that cannot work.
void TestStartup::foreignDatabaseGoesBackToTheSettings()
{
    TestDatabase empty(u"sqlite"_s, TestDatabase::Content::Empty);
    empty.db().execute(Statement(u"create table 会员管理 (id integer)"_s));
    StartupSettings settings;
    settings.databaseKind = u"a"_s;
    settings.connectionString = empty.connectionString();
    ScriptedPrompt prompt;
    QVERIFY(!openSharedConnection(settings, empty.baseDir(), prompt).has_value());
    QCOMPARE(prompt.shown.size(), 1);
    QVERIFY(prompt.last().contains(u"不是本系统的数据库"_s));
    QVERIFY(prompt.last().contains(u"手牌管理"_s));
    QVERIFY(!prompt.last().contains(u"会员管理"_s)); // what it has is not named missing
    QVERIFY(!QSqlDatabase::contains(QString::fromLatin1(Startup::SharedConnection)));
}

void TestStartup::firstStartGetsTheDeliveredSettings()
{
    QTemporaryDir dir;
    QVERIFY(Startup::deliverSystemIniIfMissing(dir.path()));
    const StartupSettings s = Startup::readSettings(IniFile(Startup::systemIniPath(dir.path())));
    QCOMPARE(s.databaseKind, u"a"_s);
    QVERIFY(s.connectionString.contains(u"data.mdb"_s));
    QVERIFY(s.softname != u"0"_s); // the login window has its caption
    // a venue's own file is never replaced
    IniFile(Startup::systemIniPath(dir.path())).write(u"KT270"_s, u"softname"_s, u"清水湾"_s);
    QVERIFY(!Startup::deliverSystemIniIfMissing(dir.path()));
    QCOMPARE(Startup::readSettings(IniFile(Startup::systemIniPath(dir.path()))).softname, u"清水湾"_s);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
