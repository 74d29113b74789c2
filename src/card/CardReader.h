#pragma once
// The member-card operations of the run: finding and opening the reader, and reading and writing
// the member card number kept on the card, with the operator's messages.

#include "card/ReaderDevice.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class IniFile;
class Prompt;
class QWidget;

class CardReader
{
public:
    static constexpr int PortCount = 4;
    static constexpr int Baud = 9600;
    // Where the text lives on the card; shorter text ends with a zero byte.
    static constexpr int TextAddress = 32;
    static constexpr int TextLength = 100;

    CardReader(ReaderDevice &device, Prompt &prompt);

    // "COM1".."COM4" for 0-3, "error" otherwise.
    static QString portName(int port);
    // The 3 bytes the program's cards are locked with.
    static QByteArray securityCode();
    // A blank simulated card that this program can write; false when the file could not be written.
    static bool createBlankCard(const QString &path);
    // The bytes written for a text: UTF-8, cut to whole characters so the ending zero still fits.
    static QByteArray cardBytes(const QString &text);

    // Searches COM1-COM4 for the reader and opens the one found; the lines tell the operator how
    // it went, in order.
    QStringList findReader();
    // Opens the reader on readerPort(), saying how it went in a message.
    bool initReader(QWidget *parent = nullptr);
    // True with a card in the reader; otherwise asks for one.
    bool cardPresent(QWidget *parent = nullptr);
    // The card's text; empty without a card, " " when the card could not be read.
    QString readCard(QWidget *parent = nullptr);
    // True when the text reached the card.
    bool writeCard(const QString &text, QWidget *parent = nullptr);
    // Lets go of the reader, if open.
    void closeReader();

    int readerPort() const { return m_port; }
    void setReaderPort(int port) { m_port = port; }
    int readerHandle() const { return m_handle; }

private:
    static QByteArray securityCodeHex();
    // Opens the reader on m_port and beeps when it opened.
    bool open();

    ReaderDevice &m_device;
    Prompt &m_prompt;
    int m_port = 0;
    int m_handle = 0;
};

// The reader the run uses, as system.ini and the environment describe it.
std::unique_ptr<ReaderDevice> makeReaderDevice(const IniFile &ini, const QString &appDir);
