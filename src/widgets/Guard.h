#pragma once
// The one error policy of the screens: an action runs through guard(); a Refusal it throws is
// shown as a warning with the system's message, a DbError as an error with the driver's words,
// both through the Prompt, and the screen stays open.

#include <QString>
#include <functional>

class Prompt;
class QWidget;

// True when the action ran through, false when it was refused or failed (and the operator
// was told). Other exceptions pass.
bool guard(Prompt &prompt, QWidget *screen, const std::function<void()> &action);
// The same for a form's save: after the message, a refusal about a box (Refusal::field()) hands
// that field to focusField, which puts the operator back in the box.
bool guard(Prompt &prompt, QWidget *screen, const std::function<void()> &action,
           const std::function<void(const QString &field)> &focusField);

class DataGrid;
// What a grid reads by itself (scrolling, a header click) fails outside any action of the screen:
// such a failure is shown the same way, over the grid's window.
void guard(Prompt &prompt, DataGrid *grid);
