#pragma once
// Qt's own texts (the buttons of its dialogs, the file and colour dialogs) in the user's
// Chinese: the translations of the system locale when it is a Chinese one, simplified
// Chinese otherwise, since every text of the program itself is Chinese.

#include <QLocale>

class QCoreApplication;
class QTranslator;

namespace marlune {

// The locale whose Qt translations the program loads for a system locale.
QLocale QtTextLocale(const QLocale& system);

// Loads and installs Qt's translations for the system locale, owned by the application;
// null when none are found (the program then shows Qt's texts in English).
QTranslator* InstallQtTranslations(QCoreApplication& app);

} // namespace marlune
