#pragma once
// Qt's own texts (standard buttons, the print and file dialogs, the print preview) in the
// program's language. They come from the translations Qt ships (Debian: qt6-translations-l10n),
// found where this Qt looks for them; nothing is copied into the program.

class QCoreApplication;

namespace Translations {

// Installs Qt's Simplified Chinese catalogue on the application. False when it is not installed
// (Qt then speaks English, and the program still works).
bool installQtChinese(QCoreApplication &app);

} // namespace Translations
