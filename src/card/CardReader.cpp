#include "CardReader.h"

#include "card/SimulatedReader.h"
#include "widgets/Prompt.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int BeepLength = 10;
constexpr int CodeLength = 3;

} // namespace

CardReader::CardReader(ReaderDevice &device, Prompt &prompt) : m_device(device), m_prompt(prompt) {}

QString CardReader::portName(int port)
{
    if (port < 0 || port >= PortCount)
        return u"error"_s;
    return u"COM"_s + QString::number(port + 1);
}

QByteArray CardReader::securityCodeHex()
{
    // Put together when needed, so the code is not lying in the executable as text.
    const quint32 code = (0x3Au << 16) | (0x9Cu << 8) | 0x51u;
    return QByteArray::number(code, 16).toUpper().rightJustified(2 * CodeLength, '0');
}

QByteArray CardReader::securityCode()
{
    return QByteArray::fromHex(securityCodeHex());
}

bool CardReader::createBlankCard(const QString &path)
{
    return SimulatedReader::createBlankCard(path, securityCode());
}

QByteArray CardReader::cardBytes(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    const qsizetype room = TextLength - 1;
    if (bytes.size() > room) {
        qsizetype cut = room;
        // Step back over continuation bytes so that no character is left half written.
        while (cut > 0 && (quint8(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        bytes.truncate(cut);
    }
    return bytes;
}

bool CardReader::open()
{
    m_handle = m_device.auto_init(m_port, Baud);
    if (m_handle <= 0)
        return false;
    m_device.dv_beep(m_handle, BeepLength);
    return true;
}

QStringList CardReader::findReader()
{
    closeReader();
    QStringList lines;
    bool found = false;
    for (int port = 0; port < PortCount && !found; ++port) {
        lines << u"正在检查通信端口:"_s + portName(port);
        if (m_device.chk_baud(port) >= 0) {
            lines << u"找到设备,连接端口为:"_s + portName(port);
            m_port = port;
            found = true;
        }
    }
    if (!found) {
        lines << u"未发现设备!"_s;
        return lines;
    }
    lines << (open() ? u"设备初始化成功!"_s : u"设备初始化失败!"_s);
    return lines;
}

bool CardReader::initReader(QWidget *parent)
{
    closeReader();
    const bool opened = open();
    if (opened)
        m_prompt.message(parent, u"设备初始化成功!"_s);
    else
        m_prompt.message(parent, u"设备初始化失败!"_s, Prompt::Icon::Warning);
    return opened;
}

bool CardReader::cardPresent(QWidget *parent)
{
    int status = 0;
    m_device.get_status(m_handle, status);
    if (status == 1)
        return true;
    m_prompt.message(parent, u"请插卡!"_s, Prompt::Icon::Warning);
    return false;
}

QString CardReader::readCard(QWidget *parent)
{
    if (!cardPresent(parent))
        return {};
    // One byte more than is read, so the text always ends.
    std::array<quint8, TextLength + 1> buffer{};
    const auto text = reinterpret_cast<const char *>(buffer.data());
    // A card holds printable text up to its first zero byte; anything else (a foreign or
    // damaged card) is no card number, however it might decode.
    QString result;
    bool readable = m_device.srd_4442(m_handle, TextAddress, TextLength, buffer.data()) == 0;
    if (readable) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        result = utf8.decode(QByteArrayView(text, qsizetype(qstrnlen(text, TextLength))));
        readable = !utf8.hasError() && std::all_of(result.cbegin(), result.cend(), [](QChar c) { return c.isPrint(); });
    }
    if (!readable) {
        m_prompt.message(parent, u"数据读取失败!"_s, Prompt::Icon::Error);
        return u" "_s;
    }
    m_device.dv_beep(m_handle, BeepLength);
    return result;
}

bool CardReader::writeCard(const QString &text, QWidget *parent)
{
    if (!cardPresent(parent))
        return false;
    std::array<quint8, CodeLength> code{};
    m_device.asc_hex(securityCodeHex().constData(), code.data(), CodeLength);
    if (m_device.csc_4442(m_handle, CodeLength, code.data()) != 0) {
        m_prompt.message(parent, u"密码校验失败!"_s, Prompt::Icon::Error);
        return false;
    }
    if (text.trimmed().isEmpty()) {
        m_prompt.message(parent, u"请输入要写入的数据!"_s, Prompt::Icon::Warning);
        return false;
    }
    // The whole text area is written, so whatever a longer earlier text left behind is cleared.
    std::array<quint8, 257> buffer{};
    const QByteArray bytes = cardBytes(text);
    std::memcpy(buffer.data(), bytes.constData(), size_t(bytes.size()));
    if (m_device.swr_4442(m_handle, TextAddress, TextLength, buffer.data()) != 0) {
        m_prompt.message(parent, u"数据写入失败"_s, Prompt::Icon::Error);
        return false;
    }
    m_device.dv_beep(m_handle, BeepLength);
    m_prompt.message(parent, u"写卡成功!"_s);
    return true;
}

void CardReader::closeReader()
{
    if (m_handle > 0)
        m_device.ic_exit(m_handle); // a reader already gone is closed all the same
    m_handle = 0;
}

std::unique_ptr<ReaderDevice> makeReaderDevice(const IniFile &ini, const QString &appDir)
{
    return std::make_unique<SimulatedReader>(SimulatedReader::cardFilePath(ini, appDir));
}
