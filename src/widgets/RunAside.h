#pragma once
// Long work (a backup of a venue's database takes a minute) run on a thread of its own while a
// window says what is being done and the program's windows go on painting. The work must not
// touch the shared connection or any widget: it opens what it needs itself.

#include <QString>
#include <functional>

class QWidget;

// Runs the work and returns when it is done, rethrowing what it threw. Meanwhile a window
// without buttons shows the text and keeps the operator's input away from the other windows.
void runAside(QWidget *parent, const QString &text, const std::function<void()> &work);
