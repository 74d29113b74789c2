// system.ini: private-profile semantics, encodings, and writes that reach the file at once.
#include "db/IniFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void missingFileReadsTheDefault();
    void sectionsAndKeysIgnoreCase();
    void valueIsTheRestOfTheLine();
    void keyOutsideItsSectionIsNotFound();
    void writeReplacesInPlaceAndKeepsTheRest();
    void writeAddsMissingKeyAndSection();
    void writeCreatesMissingFile();
    void gb18030FileIsReadAndStaysGb18030();
    void windowsLineEndsSurviveAWrite();
    void writtenFileIsReadableByItsOwnerOnly();
};

void TestIniFile::missingFileReadsTheDefault()
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"0"_s);
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s, u"x"_s), u"x"_s);
}

void TestIniFile::sectionsAndKeysIgnoreCase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "[PART1]\nABC=s\nCsAccess=Provider=SQLite\n");
    IniFile ini(path);
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"s"_s);
    QCOMPARE(ini.read(u"Part1"_s, u"csaccess"_s), u"Provider=SQLite"_s);
    QCOMPARE(ini.read(u"part1"_s, u"cs"_s), u"0"_s);
}

void TestIniFile::valueIsTheRestOfTheLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "[part1]\ncs = Provider=SQLOLEDB.1;Password=a=b;c;Data Source=srv  \n"
                     "; a comment=not a key\n");
    IniFile ini(path);
    QCOMPARE(ini.read(u"part1"_s, u"cs"_s), u"Provider=SQLOLEDB.1;Password=a=b;c;Data Source=srv"_s);
    QCOMPARE(ini.read(u"part1"_s, u"; a comment"_s), u"0"_s);
}

void TestIniFile::keyOutsideItsSectionIsNotFound()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "abc=s\n[KT270]\nabc=s\n[part1]\nother=1\n");
    IniFile ini(path);
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"0"_s);
    QCOMPARE(ini.read(u"KT270"_s, u"abc"_s), u"s"_s);
}

void TestIniFile::writeReplacesInPlaceAndKeepsTheRest()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "; settings\n[KT270]\nsoftname=甲\n\n[part1]\nABC=a\ncs=0\n");
    IniFile ini(path);
    QVERIFY(ini.write(u"part1"_s, u"abc"_s, u"s"_s));
    QVERIFY(ini.write(u"part1"_s, u"cs"_s, u"Provider=SQLOLEDB.1;Password=x;=y"_s));
    QCOMPARE(QString::fromUtf8(readBytes(path)),
             u"; settings\n[KT270]\nsoftname=甲\n\n[part1]\nabc=s\ncs=Provider=SQLOLEDB.1;Password=x;=y\n"_s);
    // a second object on the same file sees the write at once
    QCOMPARE(IniFile(path).read(u"PART1"_s, u"CS"_s), u"Provider=SQLOLEDB.1;Password=x;=y"_s);
}

void TestIniFile::writeAddsMissingKeyAndSection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "[part1]\nabc=a\n\n[KT270]\nsoftname=乙\n");
    IniFile ini(path);
    QVERIFY(ini.write(u"part1"_s, u"ServerName"_s, u"srv"_s));
    QVERIFY(ini.write(u"extra"_s, u"k"_s, u"v"_s));
    QCOMPARE(QString::fromUtf8(readBytes(path)),
             u"[part1]\nabc=a\nServerName=srv\n\n[KT270]\nsoftname=乙\n\n[extra]\nk=v\n"_s);
}

void TestIniFile::writeCreatesMissingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    IniFile ini(path);
    QVERIFY(ini.write(u"part1"_s, u"abc"_s, u"a"_s));
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"a"_s);
    QVERIFY(!IniFile(dir.filePath(u"nodir/system.ini"_s)).write(u"a"_s, u"b"_s, u"c"_s));
}

void TestIniFile::gb18030FileIsReadAndStaysGb18030()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    QStringEncoder gb("GB18030");
    QVERIFY(gb.isValid());
    const QByteArray bytes = gb.encode(u"[KT270]\nsoftname=洗浴管理系统\n"_s);
    QVERIFY(bytes != u"[KT270]\nsoftname=洗浴管理系统\n"_s.toUtf8());
    writeBytes(path, bytes);
    IniFile ini(path);
    QCOMPARE(ini.read(u"KT270"_s, u"softname"_s), u"洗浴管理系统"_s);
    QVERIFY(ini.write(u"KT270"_s, u"memo"_s, u"前台收银"_s));
    QCOMPARE(readBytes(path), gb.encode(u"[KT270]\nsoftname=洗浴管理系统\nmemo=前台收银\n"_s));
}

void TestIniFile::windowsLineEndsSurviveAWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "[part1]\r\nabc=a\r\n");
    IniFile ini(path);
    QCOMPARE(ini.read(u"part1"_s, u"abc"_s), u"a"_s);
    QVERIFY(ini.write(u"part1"_s, u"abc"_s, u"s"_s));
    QCOMPARE(readBytes(path), QByteArray("[part1]\r\nabc=s\r\n"));
}

// The file holds the server's password: whatever it was before, a write leaves it to its owner.
void TestIniFile::writtenFileIsReadableByItsOwnerOnly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"system.ini"_s);
    writeBytes(path, "[part1]\ncs=Password=secret\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    IniFile ini(path);
    QVERIFY(ini.write(u"part1"_s, u"abc"_s, u"s"_s));
    const QFile::Permissions p = QFile::permissions(path);
    QVERIFY(p.testFlag(QFile::ReadOwner) && p.testFlag(QFile::WriteOwner));
    QVERIFY(!p.testFlag(QFile::ReadGroup) && !p.testFlag(QFile::ReadOther) && !p.testFlag(QFile::WriteOther));
    QCOMPARE(ini.read(u"part1"_s, u"cs"_s), u"Password=secret"_s);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
