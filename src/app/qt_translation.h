// Qt's own Japanese texts: the standard buttons and the file, font, page-setup, print and
// preview dialogs speak the same language as the program. The translation comes from Qt's
// translations folder (Debian: qt6-translations-l10n) and is installed once per process.
#pragma once

// Installs Qt's Japanese translation (qtbase_ja) into the application, whatever the desktop's
// locale: every text of the program itself is Japanese. False when it could not be loaded;
// Qt's texts then stay English.
bool InstallQtTranslation();
