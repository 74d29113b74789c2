#pragma once
// The contact-card reader as its library offers it: one call per operation, each answering
// with the library's own result codes, so that a simulated card, the serial reader and a later
// PC/SC reader all stand behind the same card operations.

#include <QtGlobal>

class ReaderDevice
{
public:
    virtual ~ReaderDevice() = default;

    // >= 0 when a reader answers on the port (0-3 stand for COM1-COM4).
    virtual int chk_baud(int port) = 0;
    // Opens the reader on the port; a handle > 0 when opened, otherwise <= 0.
    virtual int auto_init(int port, int baud) = 0;
    virtual void dv_beep(int handle, int duration) = 0;
    // 0 when the reader answered; status is 1 while a card is inserted.
    virtual int get_status(int handle, int &status) = 0;
    // Reads length bytes of the card's main memory from offset into buffer; 0 when read.
    virtual int srd_4442(int handle, int offset, int length, quint8 *buffer) = 0;
    // Converts count bytes written as 2 * count hexadecimal characters.
    virtual int asc_hex(const char *hex, quint8 *bytes, int count) = 0;
    // Presents the card's security code (length bytes); 0 when the card accepted it.
    virtual int csc_4442(int handle, int length, const quint8 *code) = 0;
    // Writes length bytes from buffer into the card's main memory at offset; 0 when written.
    virtual int swr_4442(int handle, int offset, int length, const quint8 *buffer) = 0;
    // Closes the handle; 0 when closed.
    virtual int ic_exit(int handle) = 0;
};
