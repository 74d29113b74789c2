#pragma once
// The table of the board's entries: every menu item, tool button and pop-up item of the main
// window, the permission that gates it and how the screen it opens is made. The main window
// builds its menus, tool bar and pop-up menu from this table and includes no screen's header;
// adding a screen is giving its entry an opener.

#include "app/Board.h"
#include "widgets/Icons.h"
#include "widgets/ScreenContext.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class IniFile;
class QWidget;

// What the board has selected when an entry is used.
struct BoardSelection
{
    QString tag;                   // the selected tag; empty when none is
    QString roomType;              // the active tab's room type
    std::optional<TagState> state; // what the selected tag's icon shows; nothing when none is selected
    Money amount;                  // the selected tag's own lines, as the details panel shows them
};

// Opens the screen modally over the parent and returns how it closed (QDialog::DialogCode).
using ScreenOpener = std::function<int(const ScreenContext &, const BoardSelection &, QWidget *parent)>;
// Decides on the selection before the screen opens: a message, the screen, or nothing.
using BoardCheck = std::function<Board::ToolOutcome(const BoardSelection &)>;

// What the main window does itself rather than through a screen.
enum class BoardCommand { None, Reminder, ShiftChange, Exit, Help, CancelBill };

// What the board reloads when the screen has closed.
enum class AfterClose {
    Nothing,
    TagsIfAccepted, // the active tab's tags and the counts, when the screen was accepted
    TagsAndSelect,  // the active tab's tags always; when accepted, the tag selected again and recounted
    Venue,          // the tabs of the room types, the active one's tags and the counts, always
    EndIfAccepted,  // the program ends, when the screen was accepted (the database was replaced)
};

struct BoardPlace
{
    enum class Where { Menu, ToolBar, Popup };
    Where where = Where::Menu;
    QString objectName;
    QString text;
    QString menu; // the top-level menu's object name, for Where::Menu
    std::optional<Icons::Tool> icon;
    BoardCheck check; // tool bar and pop-up: decides before opening; none opens at once
    // Pop-up: the item is on for the selected tag when this flag of Board::popupItems() is.
    bool Board::PopupItems::*enabledBy = nullptr;
    bool hidden = false; // never shown
};

struct ScreenEntry
{
    QString screen;                 // the screen's class ("TCheckOutFm"), or the command's name
    std::optional<Permission> gate; // off: each of its places is disabled
    QList<BoardPlace> places;
    ScreenOpener open;              // null until the screen is built: its places stay disabled
    BoardCommand command = BoardCommand::None;
    AfterClose after = AfterClose::Nothing;

    bool available() const { return bool(open) || command != BoardCommand::None; }
};

struct BoardMenu
{
    QString objectName;
    QString title;
    std::optional<Permission> gate; // the whole menu
};

namespace ScreenRegistry {

// The menu bar's menus, left to right.
const QList<BoardMenu> &menus();
// Every entry; the menus, the tool bar and the pop-up menu list their places in this order.
const QList<ScreenEntry> &entries();
// The entry of that screen or command, or null.
const ScreenEntry *find(const QString &screen);

// The database settings screen at start-up, when the database named in system.ini cannot be
// opened and there is no run yet.
void openDatabaseSettingsAtStart(IniFile &ini, const QString &databaseKind, Prompt &prompt);

} // namespace ScreenRegistry
