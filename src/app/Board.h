#pragma once
// The rules of the hand-tag board: which tags a room type shows and with which icon,
// the state counts, the details of a selected tag, what the pop-up menu and the tool
// bar allow for a tag, the quick find, and cancelling a bill.

#include "data/TagState.h"
#include "db/Database.h"
#include "session/Permissions.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace Board {

struct Tag
{
    QString number;
    TagState state = TagState::Free; // as the board shows it: an unknown word shows free
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
    TagState state = TagState::Free; // occupied while the tag has its open bill, else free
    QString standard;
    QString arrival; // "0" without an open bill
    QString elapsed; // "0" without an open bill
    Money deposit;
    Money amount;
};
// The details panel for a tag; nothing when the tag's own row cannot be read.
std::optional<Details> details(const Database &db, const QString &tag, const QDateTime &now);
// The sum of the lines entered on this tag alone (0 when there are none).
Money amount(const Database &db, const QString &tag);
// "hh:mm:ss" of the stay; whole days drop out.
QString elapsedText(const QDateTime &from, const QDateTime &now);
// The stored state word of a tag, or nothing when the tag does not exist.
std::optional<QString> storedState(const Database &db, const QString &tag);
// Sets a tag's state; throws DbError.
void setState(const Database &db, const QString &tag, TagState state);

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
PopupItems popupItems(std::optional<TagState> icon, const Permissions &permissions);

// What a tool button does for the selected tag's icon: a message, a screen, or nothing.
struct ToolOutcome
{
    enum class Kind { Nothing, Message, Screen };
    Kind kind = Kind::Nothing;
    QString message;
};
ToolOutcome openBillButton(std::optional<TagState> icon);
ToolOutcome addConsumptionButton(std::optional<TagState> icon);
ToolOutcome checkoutButton(std::optional<TagState> icon);
// The pop-up checkout refuses a bill whose amount is 0.
ToolOutcome popupCheckout(Money amount);

// The first tag number equal to the text, exactly and with case; -1 when none is.
int findTag(const QStringList &numbers, const QString &text);

// Cancelling a bill: frees the tag and every tag of the group it is master of, deletes their
// open bills, their lines and its own, all in one transaction. Writes no history.
QString noCancelPermissionMessage();
QString cancelledMessage();
void cancelBill(const Database &db, const QString &tag);

} // namespace Board
