#pragma once
// A reader with an SLE4442 card that lives in a file, for counters without a reader and for tests.
//
// The card file is 259 bytes: the 3-byte security code, then the card's 256 bytes of main memory
// (card address 0 first), and optionally a 260th byte, the card's error counter (the attempts at
// the code left; a file without it has all three). The card is inserted while the file exists; a
// file of any other size is a damaged card: it is seen, but it can neither be read nor unlocked.
// As on the real card, writing needs the security code presented first, and the card forgets it
// when taken out; each wrong code uses up one attempt, the right one gives all three back, and a
// card with none left is locked for writing for good (it still reads).
//
// A blank card is createBlankCard() with the program's code (CardReader::createBlankCard()), or
// from a shell: { printf '\x3a\x9c\x51'; head -c 256 /dev/zero; } > card.sim

#include "card/ReaderDevice.h"

#include <QByteArray>
#include <QSet>
#include <QString>

class IniFile;

class SimulatedReader : public ReaderDevice
{
public:
    static constexpr int CodeSize = 3;
    static constexpr int MemorySize = 256;
    static constexpr int FileSize = CodeSize + MemorySize;
    static constexpr int CodeAttempts = 3;
    // The reader answers on no port at all.
    static constexpr int NoReader = -1;

    // The reader answers on readerPort only (0 = COM1).
    explicit SimulatedReader(QString cardFile, int readerPort = 0);

    // The card file of the run: the environment's VESK_CARD_FILE as given, else system.ini's
    // [card] SimulatedCardFile (relative to appDir), else card.sim in appDir.
    static QString cardFilePath(const IniFile &ini, const QString &appDir);
    // A card with the given code and all of its memory zero; false when it could not be written.
    static bool createBlankCard(const QString &path, const QByteArray &code);

    const QString &cardFile() const { return m_cardFile; }
    // How often the reader has beeped; the counter's only sign that an operation went through.
    int beeps() const { return m_beeps; }
    bool isOpen(int handle) const { return m_open.contains(handle); }

    int chk_baud(int port) override;
    int auto_init(int port, int baud) override;
    void dv_beep(int handle, int duration) override;
    int get_status(int handle, int &status) override;
    int srd_4442(int handle, int offset, int length, quint8 *buffer) override;
    int asc_hex(const char *hex, quint8 *bytes, int count) override;
    int csc_4442(int handle, int length, const quint8 *code) override;
    int swr_4442(int handle, int offset, int length, const quint8 *buffer) override;
    int ic_exit(int handle) override;

private:
    // The whole card file, or nothing when the card is out or damaged.
    QByteArray loadCard();
    bool saveCard(const QByteArray &card) const;
    bool inRange(int offset, int length) const;

    QString m_cardFile;
    int m_readerPort;
    int m_nextHandle = 1;
    QSet<int> m_open;
    int m_beeps = 0;
    // The code last accepted by the card in the reader; empty until one is, and again once the
    // card is taken out.
    QByteArray m_acceptedCode;
};
