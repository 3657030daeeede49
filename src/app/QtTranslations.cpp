#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace marlune {

QLocale QtTextLocale(const QLocale& system) {
    if (system.language() == QLocale::Chinese)
        return system;
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
}

QTranslator* InstallQtTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QtTextLocale(QLocale::system()), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

} // namespace marlune
