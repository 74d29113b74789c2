#pragma once
// The program's pictures: hand-tag states on the board, tool-bar buttons and the window icon,
// drawn at run time so that nothing but the executable has to ship.

#include <QIcon>

namespace Icons {

enum class Tool { OpenBill, AddConsumption, Checkout, Catalogue, Members, Reminder, ShiftChange, Exit };

// How many tag states tagState() draws: 0 free, 1 occupied, 2 reserved, 3 disabled.
inline constexpr int TagStateCount = 4;

// 64×64 board picture of a hand tag in the given state; a null icon outside 0..TagStateCount-1.
QIcon tagState(int index);
// 32×32 tool-bar picture.
QIcon toolbar(Tool tool);
// The window icon, from 16 to 256 pixels.
QIcon application();

} // namespace Icons
