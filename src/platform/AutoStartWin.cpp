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

// Quotes an argument the way the C runtime splits a command line back into arguments:
// backslashes count only before a quote, where each must be doubled, and so must those
// before the closing quote ("C:\My Stocks\" would otherwise swallow it).
QString Quote(const QString& argument) {
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) &&
        !argument.contains(QLatin1Char('\t')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString quoted(QLatin1Char('"'));
    int backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        if (c == QLatin1Char('"'))
            backslashes = backslashes * 2 + 1;
        quoted += QString(backslashes, QLatin1Char('\\')) + c;
        backslashes = 0;
    }
    quoted += QString(backslashes * 2, QLatin1Char('\\')) + QLatin1Char('"');
    return quoted;
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
