#pragma once
// Opening the shared connection at start-up, telling the operator when it fails.

#include "session/Startup.h"

#include <optional>

class Prompt;

// The message shown when the database named in system.ini cannot be opened.
QString connectionFailedMessage();
// The message shown when it opens but lacks tables of this program (another program's, an
// older one, or a file that is no database), naming what it lacks.
QString notOurDatabaseMessage(const QStringList &missingTables);

// Opens the shared connection; on failure shows connectionFailedMessage() and returns nothing.
std::optional<Database> openSharedConnection(const StartupSettings &settings, const QString &appDir,
                                             Prompt &prompt);
