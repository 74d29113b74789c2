// The member card: the simulated SLE4442 reader, the card operations over it with the operator's
// messages, and the reader's test screen, each on a card file of its own.
#include "card/CardReader.h"
#include "card/SeticmUt.h"
#include "card/SimulatedReader.h"
#include "db/IniFile.h"
#include "support/ScriptedPrompt.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The card's text area as the card file holds it.
QByteArray textArea(const QString &path)
{
    return readFile(path).mid(SimulatedReader::CodeSize + CardReader::TextAddress, CardReader::TextLength);
}

// A card whose text area holds exactly these bytes (the rest zero), under the program's code.
void writeCardWithText(const QString &path, const QByteArray &text)
{
    QByteArray memory(SimulatedReader::MemorySize, '\0');
    memory.replace(CardReader::TextAddress, text.size(), text);
    writeFile(path, CardReader::securityCode() + memory);
}

// A reader whose writes never reach the card, as with a card pulled out halfway.
class FailingWrites : public SimulatedReader
{
public:
    using SimulatedReader::SimulatedReader;
    int swr_4442(int, int, int, const quint8 *) override { return -1; }
};

// Everything one test needs: a card file (not yet created), the reader and the operations.
template<typename Device = SimulatedReader>
struct Rig
{
    explicit Rig(int readerPort = 0)
        : path(dir.filePath(u"card.sim"_s)), device(path, readerPort)
    {
    }
    QTemporaryDir dir;
    QString path;
    Device device;
    ScriptedPrompt prompt;
    CardReader reader{device, prompt};
};

} // namespace

class TestCardReader : public QObject
{
    Q_OBJECT
private slots:
    void cardFilePath_data();
    void cardFilePath();
    void writingNeedsTheCodeOfTheCardInTheReader();

    void portName_data();
    void portName();
    void findReader_data();
    void findReader();
    void initReaderReportsByMessage();
    void writeThenRead_data();
    void writeThenRead();
    void fullTextAreaReadsWhole();
    void writeRefused_data();
    void writeRefused();
    void damagedCardFailsToRead();
    void threeWrongCodesLockTheCardForWriting();
    void writeFailure();
    void deviceOfTheRun();
    void noCardOrClosedReader();
    void screenButtons();
};

void TestCardReader::cardFilePath_data()
{
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("iniValue"); // empty: no [card] section
    QTest::addColumn<QString>("expected"); // relative to the app folder unless absolute

    QTest::newRow("default") << QString() << QString() << u"card.sim"_s;
    QTest::newRow("never set") << QString() << u"0"_s << u"card.sim"_s;
    QTest::newRow("relative") << QString() << u"cards/member.sim"_s << u"cards/member.sim"_s;
    QTest::newRow("absolute") << QString() << u"/var/vesk/c.sim"_s << u"/var/vesk/c.sim"_s;
    QTest::newRow("environment wins") << u"/tmp/env.sim"_s << u"cards/member.sim"_s << u"/tmp/env.sim"_s;
}

void TestCardReader::cardFilePath()
{
    QFETCH(QString, environment);
    QFETCH(QString, iniValue);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    if (!iniValue.isEmpty())
        QVERIFY(ini.write(u"card"_s, u"SimulatedCardFile"_s, iniValue));
    const QByteArray saved = qgetenv("VESK_CARD_FILE");
    if (environment.isEmpty())
        qunsetenv("VESK_CARD_FILE");
    else
        qputenv("VESK_CARD_FILE", environment.toUtf8());
    const QString path = SimulatedReader::cardFilePath(ini, dir.path());
    if (saved.isNull())
        qunsetenv("VESK_CARD_FILE");
    else
        qputenv("VESK_CARD_FILE", saved);

    QCOMPARE(path, expected.startsWith(u'/') ? expected : dir.filePath(expected));
}

void TestCardReader::writingNeedsTheCodeOfTheCardInTheReader()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"card.sim"_s);
    const QString other = dir.filePath(u"other.sim"_s);
    QVERIFY(SimulatedReader::createBlankCard(path, "\x01\x02\x03"));
    QVERIFY(SimulatedReader::createBlankCard(other, "\x04\x05\x06"));
    SimulatedReader device(path);
    const int handle = device.auto_init(0, 9600);
    const std::array<quint8, 3> code{1, 2, 3};
    const std::array<quint8, 2> data{'4', '2'};

    QVERIFY(device.swr_4442(handle, 40, 2, data.data()) != 0);
    QCOMPARE(device.csc_4442(handle, 3, code.data()), 0);
    QCOMPARE(device.swr_4442(handle, 40, 2, data.data()), 0);
    QCOMPARE(readFile(path).mid(3 + 40, 2), "42");
    QVERIFY2(device.swr_4442(handle, 255, 2, data.data()) != 0, "past the end of the memory");

    // Another card put in: still locked with its own code.
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::copy(other, path));
    QVERIFY(device.swr_4442(handle, 40, 2, data.data()) != 0);

    // Closing the reader forgets the code, and a closed handle does nothing.
    QVERIFY(SimulatedReader::createBlankCard(path, "\x01\x02\x03"));
    QCOMPARE(device.csc_4442(handle, 3, code.data()), 0);
    int status = -1;
    QCOMPARE(device.ic_exit(handle), 0);
    QVERIFY(device.ic_exit(handle) != 0);
    QVERIFY(device.get_status(handle, status) != 0);
    QVERIFY(device.swr_4442(handle, 40, 2, data.data()) != 0);
}

void TestCardReader::portName_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("name");
    QTest::newRow("-1") << -1 << u"error"_s;
    QTest::newRow("0") << 0 << u"COM1"_s;
    QTest::newRow("1") << 1 << u"COM2"_s;
    QTest::newRow("2") << 2 << u"COM3"_s;
    QTest::newRow("3") << 3 << u"COM4"_s;
    QTest::newRow("4") << 4 << u"error"_s;
}

void TestCardReader::portName()
{
    QFETCH(int, port);
    QFETCH(QString, name);
    QCOMPARE(CardReader::portName(port), name);
}

void TestCardReader::findReader_data()
{
    QTest::addColumn<int>("readerPort");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("COM1") << 0
                          << QStringList{u"正在检查通信端口:COM1"_s, u"找到设备,连接端口为:COM1"_s,
                                         u"设备初始化成功!"_s};
    QTest::newRow("COM3") << 2
                          << QStringList{u"正在检查通信端口:COM1"_s, u"正在检查通信端口:COM2"_s,
                                         u"正在检查通信端口:COM3"_s, u"找到设备,连接端口为:COM3"_s,
                                         u"设备初始化成功!"_s};
    QTest::newRow("none") << int(SimulatedReader::NoReader)
                          << QStringList{u"正在检查通信端口:COM1"_s, u"正在检查通信端口:COM2"_s,
                                         u"正在检查通信端口:COM3"_s, u"正在检查通信端口:COM4"_s,
                                         u"未发现设备!"_s};
}

void TestCardReader::findReader()
{
    QFETCH(int, readerPort);
    QFETCH(QStringList, lines);

    Rig rig(readerPort);
    rig.reader.setReaderPort(readerPort);
    const bool found = readerPort != SimulatedReader::NoReader;
    QCOMPARE(rig.reader.initReader(), found);
    const int earlier = rig.reader.readerHandle();
    rig.prompt.shown.clear();

    QCOMPARE(rig.reader.findReader(), lines);
    QVERIFY2(!rig.device.isOpen(earlier), "the reader opened before is let go");
    QCOMPARE(rig.device.isOpen(rig.reader.readerHandle()), found);
    QCOMPARE(rig.device.beeps(), found ? 2 : 0);
    if (found)
        QCOMPARE(rig.reader.readerPort(), readerPort);
    QVERIFY(rig.prompt.shown.isEmpty());
}

void TestCardReader::initReaderReportsByMessage()
{
    Rig rig(1);
    QVERIFY(!rig.reader.initReader());
    QCOMPARE(rig.prompt.shown, QStringList{u"设备初始化失败!"_s});
    QVERIFY(rig.reader.readerHandle() <= 0);

    rig.reader.setReaderPort(1);
    QVERIFY(rig.reader.initReader());
    QCOMPARE(rig.prompt.last(), u"设备初始化成功!"_s);
    QVERIFY(rig.reader.readerHandle() > 0);
    QCOMPARE(rig.device.beeps(), 1);
}

void TestCardReader::writeThenRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("onCard");

    const QString digits99 = QString(99, u'7');
    const QString ka33 = QString(33, u'卡'); // 99 bytes
    QTest::newRow("card number") << u"0123456789"_s << u"0123456789"_s;
    QTest::newRow("chinese") << u"会员 Ａ１号"_s << u"会员 Ａ１号"_s;
    QTest::newRow("surrounding spaces kept") << u" 88 "_s << u" 88 "_s;
    QTest::newRow("99 bytes") << digits99 << digits99;
    QTest::newRow("100 bytes") << digits99 + u'8' << digits99;
    QTest::newRow("150 bytes") << QString(150, u'5') << QString(99, u'5');
    QTest::newRow("99 bytes of chinese") << ka33 << ka33;
    QTest::newRow("character across the end") << u'a' + ka33 << u'a' + QString(32, u'卡');
}

void TestCardReader::writeThenRead()
{
    QFETCH(QString, text);
    QFETCH(QString, onCard);

    Rig rig;
    QVERIFY(CardReader::createBlankCard(rig.path));
    QVERIFY(rig.reader.initReader());
    QVERIFY(rig.reader.writeCard(text));
    QCOMPARE(rig.prompt.last(), u"写卡成功!"_s);

    const QByteArray area = textArea(rig.path);
    const QByteArray expected = onCard.toUtf8();
    QCOMPARE(area.left(expected.size()), expected);
    QCOMPARE(area.at(expected.size()), '\0');
    const QByteArray before = readFile(rig.path).left(3 + CardReader::TextAddress);
    QCOMPARE(before, CardReader::securityCode() + QByteArray(CardReader::TextAddress, '\0'));

    const int beeps = rig.device.beeps();
    QCOMPARE(rig.reader.readCard(), onCard);
    QCOMPARE(rig.device.beeps(), beeps + 1);
    QCOMPARE(rig.prompt.shown, (QStringList{u"设备初始化成功!"_s, u"写卡成功!"_s}));
}

void TestCardReader::fullTextAreaReadsWhole()
{
    // A card written elsewhere may fill all 100 bytes without an ending zero.
    Rig rig;
    writeCardWithText(rig.path, QByteArray(CardReader::TextLength, '6') + "tail");
    rig.reader.initReader();
    QCOMPARE(rig.reader.readCard(), QString(CardReader::TextLength, u'6'));
}

void TestCardReader::writeRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("programsCard");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << QString() << true << u"请输入要写入的数据!"_s;
    QTest::newRow("spaces") << u"  \t "_s << true << u"请输入要写入的数据!"_s;
    QTest::newRow("another program's card") << u"0123456789"_s << false << u"密码校验失败!"_s;
    QTest::newRow("code checked first") << u" "_s << false << u"密码校验失败!"_s;
}

void TestCardReader::writeRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, programsCard);
    QFETCH(QString, message);

    Rig rig;
    writeCardWithText(rig.path, "A123");
    if (!programsCard)
        QVERIFY(SimulatedReader::createBlankCard(rig.path, "\x11\x22\x33"));
    const QByteArray before = readFile(rig.path);
    rig.reader.initReader();
    rig.prompt.shown.clear();
    QVERIFY(!rig.reader.writeCard(text));
    QCOMPARE(rig.prompt.shown, QStringList{message});
    // the code and the memory are as they were; a wrong code used up one attempt
    QCOMPARE(readFile(rig.path).left(SimulatedReader::FileSize), before);
}

void TestCardReader::damagedCardFailsToRead()
{
    Rig rig;
    writeFile(rig.path, CardReader::securityCode() + QByteArray(40, 'x'));
    rig.reader.initReader();
    rig.prompt.shown.clear();
    const int beeps = rig.device.beeps();
    QVERIFY(rig.reader.cardPresent());
    QCOMPARE(rig.reader.readCard(), u" "_s);
    QCOMPARE(rig.prompt.shown, QStringList{u"数据读取失败!"_s});
    QCOMPARE(rig.device.beeps(), beeps);

    // Bytes that are no printable text are no card number, however they decode.
    for (const QByteArray &foreign : {QByteArray("\x01\x02" "AB\x7f", 5), QByteArray("8001\xff\xfe", 6),
                                      QByteArray("80\n01", 5)}) {
        writeCardWithText(rig.path, foreign);
        rig.prompt.shown.clear();
        QCOMPARE(rig.reader.readCard(), u" "_s);
        QCOMPARE(rig.prompt.shown, QStringList{u"数据读取失败!"_s});
    }
    writeCardWithText(rig.path, QByteArray("会员8001"));
    QCOMPARE(rig.reader.readCard(), u"会员8001"_s);
}

// As on a real SLE4442 card: each wrong code uses one of three attempts, the right code gives
// them back, and with none left the card stays locked for writing (it still reads).
void TestCardReader::threeWrongCodesLockTheCardForWriting()
{
    Rig rig;
    QVERIFY(CardReader::createBlankCard(rig.path));
    const int handle = rig.device.auto_init(0, CardReader::Baud);
    const QByteArray right = CardReader::securityCode();
    const QByteArray wrong("\x00\x00\x00", 3);
    const auto present = [&](const QByteArray &code) {
        return rig.device.csc_4442(handle, SimulatedReader::CodeSize, reinterpret_cast<const quint8 *>(code.constData()));
    };
    QVERIFY(present(wrong) != 0);
    QVERIFY(present(wrong) != 0);
    QCOMPARE(present(right), 0); // two wrong ones are forgiven by the right one
    for (int i = 0; i < 3; ++i)
        QVERIFY(present(wrong) != 0);
    QVERIFY(present(right) != 0); // locked for good
    rig.device.ic_exit(handle);
    rig.reader.initReader();
    QVERIFY(!rig.reader.writeCard(u"8001"_s));
    QCOMPARE(rig.prompt.last(), u"密码校验失败!"_s);
    QCOMPARE(rig.reader.readCard(), QString()); // a blank card still reads, as empty
}

void TestCardReader::writeFailure()
{
    Rig<FailingWrites> rig;
    QVERIFY(CardReader::createBlankCard(rig.path));
    const QByteArray before = readFile(rig.path);
    rig.reader.initReader();
    const int beeps = rig.device.beeps();
    QVERIFY(!rig.reader.writeCard(u"0123456789"_s));
    QCOMPARE(rig.prompt.last(), u"数据写入失败"_s);
    QCOMPARE(rig.device.beeps(), beeps);
    QCOMPARE(readFile(rig.path), before);
}

void TestCardReader::deviceOfTheRun()
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(u"system.ini"_s));
    QVERIFY(ini.write(u"card"_s, u"SimulatedCardFile"_s, u"member.sim"_s));
    const QByteArray saved = qgetenv("VESK_CARD_FILE");
    qunsetenv("VESK_CARD_FILE");
    const std::unique_ptr<ReaderDevice> device = makeReaderDevice(ini, dir.path());
    if (!saved.isNull())
        qputenv("VESK_CARD_FILE", saved);

    const auto simulated = dynamic_cast<SimulatedReader *>(device.get());
    QVERIFY(simulated);
    QCOMPARE(simulated->cardFile(), dir.filePath(u"member.sim"_s));

    QVERIFY(CardReader::createBlankCard(dir.filePath(u"member.sim"_s)));
    const QByteArray blank = readFile(dir.filePath(u"member.sim"_s));
    QCOMPARE(blank.size(), SimulatedReader::FileSize);
    QCOMPARE(blank.left(3), CardReader::securityCode());
    QVERIFY2(CardReader::securityCode() != QByteArray(3, '\xff'), "not the factory code");
    QCOMPARE(blank.mid(3), QByteArray(SimulatedReader::MemorySize, '\0'));
    ScriptedPrompt prompt;
    CardReader reader(*device, prompt);
    QCOMPARE(reader.findReader().last(), u"设备初始化成功!"_s);
    QVERIFY(reader.writeCard(u"555"_s));
    QCOMPARE(reader.readCard(), u"555"_s);
}

void TestCardReader::noCardOrClosedReader()
{
    Rig rig;
    rig.reader.initReader();
    rig.prompt.shown.clear();
    QCOMPARE(rig.reader.readCard(), QString());
    QVERIFY(!rig.reader.writeCard(u"0123456789"_s));
    QVERIFY(!QFile::exists(rig.path));

    // The login window closes the reader; the card is then out of reach.
    QVERIFY(CardReader::createBlankCard(rig.path));
    const int handle = rig.reader.readerHandle();
    rig.reader.closeReader();
    rig.reader.closeReader();
    QVERIFY(!rig.device.isOpen(handle));
    QCOMPARE(rig.reader.readCard(), QString());
    QCOMPARE(rig.prompt.shown, QStringList(3, u"请插卡!"_s));
    QCOMPARE(rig.device.beeps(), 1);
}

void TestCardReader::screenButtons()
{
    Rig rig;
    TSeticmFm screen(rig.reader);
    QCOMPARE(screen.windowTitle(), u"IC设备设置"_s);
    const auto memo = screen.findChild<QPlainTextEdit *>(u"Memo"_s);
    const auto edit = screen.findChild<QLineEdit *>(u"WriteEdit"_s);
    const auto test = screen.findChild<QPushButton *>(u"TestButton"_s);
    const auto read = screen.findChild<QPushButton *>(u"ReadButton"_s);
    const auto write = screen.findChild<QPushButton *>(u"WriteButton"_s);
    QVERIFY(memo && edit && test && read && write);
    QVERIFY(memo->isReadOnly());

    QTest::mouseClick(test, Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), u"正在检查通信端口:COM1\n找到设备,连接端口为:COM1\n设备初始化成功!"_s);

    memo->clear();
    QTest::mouseClick(read, Qt::LeftButton);
    QCOMPARE(rig.prompt.shown, QStringList{u"请插卡!"_s});
    QVERIFY(CardReader::createBlankCard(rig.path));
    QTest::mouseClick(write, Qt::LeftButton);
    QCOMPARE(rig.prompt.last(), u"写卡成功!"_s);
    QCOMPARE(textArea(rig.path).left(11), "0123456789\0"_ba);
    edit->setText(u"VIP-42"_s);
    QTest::mouseClick(write, Qt::LeftButton);
    QTest::mouseClick(read, Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), u"读取值为:\n读取值为:VIP-42"_s);
}

QTEST_MAIN(TestCardReader)
#include "tst_cardreader.moc"
