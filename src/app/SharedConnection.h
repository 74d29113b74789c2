#pragma once
// Opening the shared connection at start-up, telling the operator when it fails.

#include "session/Startup.h"

#include <optional>

class Prompt;

// The message shown when the database named in system.ini cannot be opened.
QString connectionFailedMessage();

// Opens the shared connection; on failure shows connectionFailedMessage() and returns nothing.
std::optional<Database> openSharedConnection(const StartupSettings &settings, const QString &appDir,
                                             Prompt &prompt);
