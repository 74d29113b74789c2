#pragma once
// The shop's name, telephone and address: the first row of sysinfo. The login reads the name and
// telephone once at start, and receipts print them, so a change shows from the next start on.
// The table has one row; it has no row number, so with several rows "first" is the order the
// database returns them in, which on a server may change when a row is updated.

#include "db/Database.h"

#include <QString>

struct ShopInfo
{
    QString name;
    QString tel;
    QString address;

    // The first row; all empty when the table has none.
    static ShopInfo read(const Database &db);
    // Refused with "必须认真填写完整！" when the name, the telephone or the address is blank
    // (tested in that order; the refusal names the column: name, tel, add).
    // Changes the first row, or adds it when there is none; later rows stay as they are.
    void save(const Database &db) const;
};
