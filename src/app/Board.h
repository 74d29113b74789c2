#pragma once
// The rules of the hand-tag board: which tags a room type shows and with which icon,
// the state counts, the details of a selected tag, what the pop-up menu and the tool
// bar allow for a tag, the quick find, and cancelling a bill.

#include "app/RunState.h"
#include "db/Database.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace Board {

// Board icon indexes; any state word outside the four shows as free.
enum Icon { FreeIcon = 0, OccupiedIcon = 1, ReservedIcon = 2, DisabledIcon = 3 };
int iconForState(const QString &state);

struct Tag
{
    QString number;
    int icon = FreeIcon;
};

// One tab per room type, in the order they were added.
QStringList roomTypes(const Database &db);
QList<Tag> tagsOf(const Database &db, const QString &roomType);

struct Counts
{
    qint64 total = 0;
    qint64 occupied = 0;
    qint64 free = 0;
    qint64 reserved = 0;
    qint64 disabled = 0;
};
Counts counts(const Database &db);

struct Details
{
    QString state;
    QString standard;
    QString arrival;
    QString elapsed;
    QString deposit;
    QString amount;
};
// The details panel for a tag; nothing when the tag's own row cannot be read.
std::optional<Details> details(const Database &db, const QString &tag, const QDateTime &now);
// The sum of the lines entered on this tag alone, as text ("0" when there are none).
QString amountText(const Database &db, const QString &tag);
// "hh:mm:ss" of the stay; whole days drop out.
QString elapsedText(const QDateTime &from, const QDateTime &now);
// The stored state word of a tag, or nothing when the tag does not exist.
std::optional<QString> storedState(const Database &db, const QString &tag);

// The lines the board's grid shows.
Statement tagLinesQuery(const QString &tag);
Statement allLinesQuery();

struct PopupItems
{
    bool openBill = false;       // "开    单"
    bool addConsumption = false; // "追加消费"
    bool checkout = false;       // "结    帐"
    bool changeState = false;    // "修改状态"
    bool cancelBill = false;     // "撤单"
};
// What the pop-up menu enables for the selected tag's icon (none: no tag selected).
PopupItems popupItems(std::optional<int> icon, const Permissions &permissions);

// What a tool button does for the selected tag's icon: a message, a screen, or nothing.
struct ToolOutcome
{
    enum class Kind { Nothing, Message, Screen };
    Kind kind = Kind::Nothing;
    QString message;
};
ToolOutcome openBillButton(std::optional<int> icon);
ToolOutcome addConsumptionButton(std::optional<int> icon);
ToolOutcome checkoutButton(std::optional<int> icon);
// The pop-up checkout refuses a bill whose amount is 0.
ToolOutcome popupCheckout(const QString &amountShown);

// The first tag number equal to the text, exactly and with case; -1 when none is.
int findTag(const QStringList &numbers, const QString &text);

// Cancelling a bill: frees the tag, deletes its open bill, and the lines of the bill it
// is master of as well as its own lines, all in one transaction. Writes no history.
QString noCancelPermissionMessage();
QString cancelledMessage();
void cancelBill(const Database &db, const QString &tag);

} // namespace Board
