#include "SimulatedReader.h"

#include "db/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr int Baud = 9600;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

SimulatedReader::SimulatedReader(QString cardFile, int readerPort)
    : m_cardFile(std::move(cardFile)), m_readerPort(readerPort)
{
}

QString SimulatedReader::cardFilePath(const IniFile &ini, const QString &appDir)
{
    const QString fromEnvironment = qEnvironmentVariable("VESK_CARD_FILE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // system.ini writes "0" for a setting that was never made.
    const QString configured = ini.read(u"card"_s, u"SimulatedCardFile"_s, QString()).trimmed();
    const QDir dir(appDir);
    if (configured.isEmpty() || configured == u"0"_s)
        return dir.filePath(u"card.sim"_s);
    return QDir::cleanPath(dir.filePath(configured));
}

bool SimulatedReader::createBlankCard(const QString &path, const QByteArray &code)
{
    if (code.size() != CodeSize)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(code);
    file.write(QByteArray(MemorySize, '\0'));
    return file.commit();
}

QByteArray SimulatedReader::loadCard()
{
    QFile file(m_cardFile);
    if (!file.exists()) {
        m_acceptedCode.clear();
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(FileSize + 2);
    if (bytes.size() == FileSize)
        bytes.append(char(CodeAttempts));
    if (bytes.size() != FileSize + 1)
        return {};
    return bytes;
}

bool SimulatedReader::inRange(int offset, int length) const
{
    return offset >= 0 && length >= 0 && offset + length <= MemorySize;
}

int SimulatedReader::chk_baud(int port)
{
    return port == m_readerPort && port >= 0 ? 0 : -1;
}

int SimulatedReader::auto_init(int port, int baud)
{
    if (chk_baud(port) < 0 || baud != Baud)
        return -1;
    const int handle = m_nextHandle++;
    m_open.insert(handle);
    return handle;
}

void SimulatedReader::dv_beep(int handle, int)
{
    if (isOpen(handle))
        ++m_beeps;
}

int SimulatedReader::get_status(int handle, int &status)
{
    status = 0;
    if (!isOpen(handle))
        return -1;
    if (QFile::exists(m_cardFile))
        status = 1;
    else
        m_acceptedCode.clear();
    return 0;
}

int SimulatedReader::srd_4442(int handle, int offset, int length, quint8 *buffer)
{
    if (!isOpen(handle) || !inRange(offset, length) || !buffer)
        return -1;
    const QByteArray card = loadCard();
    if (card.isEmpty())
        return -1;
    std::memcpy(buffer, card.constData() + CodeSize + offset, size_t(length));
    return 0;
}

int SimulatedReader::asc_hex(const char *hex, quint8 *bytes, int count)
{
    if (!hex || !bytes || count < 0 || std::strlen(hex) < size_t(2 * count))
        return -1;
    for (int i = 0; i < count; ++i) {
        const int high = hexDigit(hex[2 * i]);
        const int low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return -1;
        bytes[i] = quint8(high << 4 | low);
    }
    return 0;
}

int SimulatedReader::csc_4442(int handle, int length, const quint8 *code)
{
    if (!isOpen(handle) || length != CodeSize || !code)
        return -1;
    QByteArray card = loadCard();
    const QByteArray presented(reinterpret_cast<const char *>(code), CodeSize);
    if (card.isEmpty())
        return -1;
    // The attempts left live on the card, so a card taken to another counter stays locked.
    const int left = quint8(card.at(FileSize));
    if (left <= 0)
        return -1;
    const bool right = card.left(CodeSize) == presented;
    const int now = right ? CodeAttempts : left - 1;
    if (now != left) {
        card[FileSize] = char(now);
        if (!saveCard(card))
            return -1;
    }
    if (!right)
        return -1;
    m_acceptedCode = presented;
    return 0;
}

int SimulatedReader::swr_4442(int handle, int offset, int length, const quint8 *buffer)
{
    if (!isOpen(handle) || !inRange(offset, length) || !buffer)
        return -1;
    QByteArray card = loadCard();
    // Another card put in since the code was accepted is still locked.
    if (card.isEmpty() || m_acceptedCode.isEmpty() || card.left(CodeSize) != m_acceptedCode)
        return -1;
    card.replace(CodeSize + offset, length, reinterpret_cast<const char *>(buffer), length);
    return saveCard(card) ? 0 : -1;
}

bool SimulatedReader::saveCard(const QByteArray &card) const
{
    QSaveFile file(m_cardFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(card);
    return file.commit();
}

int SimulatedReader::ic_exit(int handle)
{
    if (!m_open.remove(handle))
        return -1;
    m_acceptedCode.clear();
    return 0;
}
