// Autostart on Windows: a value in the current user's Run key.
#if defined(_WIN32)

#include "platform/AutoStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace marlune::platform {
namespace {

constexpr char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Marlune";

QString Quote(const QString& argument) {
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString escaped = argument;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QString AutoStartEntryPath() {
    return {};
}

QString AutoStartCommand(const QString& program, const QStringList& arguments) {
    QStringList parts{Quote(QDir::toNativeSeparators(program))};
    for (const QString& argument : arguments)
        parts << Quote(argument);
    return parts.join(QLatin1Char(' '));
}

bool SetAutoStart(bool on) {
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    if (!on) {
        run.remove(QString::fromLatin1(kValueName));
    } else {
        QStringList arguments = QCoreApplication::arguments();
        if (!arguments.isEmpty())
            arguments.removeFirst();
        run.setValue(QString::fromLatin1(kValueName),
                     AutoStartCommand(QCoreApplication::applicationFilePath(), arguments));
    }
    run.sync();
    return run.status() == QSettings::NoError;
}

bool IsAutoStartOn() {
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    return run.contains(QString::fromLatin1(kValueName));
}

} // namespace marlune::platform

#endif
