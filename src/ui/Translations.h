#pragma once

class QCoreApplication;

// Qt's own texts (message box buttons, file and font dialogs) in German, as the rest of the
// program speaks. False when the translation files are not installed: the texts stay English.
bool InstallGermanQtTexts(QCoreApplication& aApplication);
