#pragma once

class QCoreApplication;

namespace platform {

// Qt's own texts in Hungarian (file dialog, the buttons of message boxes, the print dialog, the
// XML reader's messages), from the translations Debian ships (qt6-translations-l10n). False when
// they could not be loaded: Qt then speaks English, and the program works all the same.
bool installQtTranslations(QCoreApplication& app);

}  // namespace platform
