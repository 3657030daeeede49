// Autostart on Linux desktops: a desktop entry in the user's XDG autostart folder.
#if !defined(_WIN32)

#include "platform/AutoStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace marlune::platform {
namespace {

constexpr char kEntryName[] = "marlune.desktop";

// One argument of an Exec key: quoted when it holds anything but plain characters, with
// '"', '`', '$' and '\' escaped inside the quotes and '%' doubled (field codes).
QString QuoteArgument(const QString& argument) {
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=");
    bool plain = !argument.isEmpty();
    for (QChar c : argument)
        plain = plain && !kReserved.contains(c);
    QString text;
    for (QChar c : argument) {
        if (c == QLatin1Char('%'))
            text += QStringLiteral("%%");
        else if (!plain && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                            c == QLatin1Char('\\')))
            text += QLatin1Char('\\') + QString(c);
        else
            text += c;
    }
    return plain ? text : QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString AutoStartEntryPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/autostart/") + QString::fromLatin1(kEntryName);
}

QString AutoStartCommand(const QString& program, const QStringList& arguments) {
    QStringList parts{QuoteArgument(program)};
    for (const QString& argument : arguments)
        parts << QuoteArgument(argument);
    return parts.join(QLatin1Char(' '));
}

bool SetAutoStart(bool on) {
    const QString path = AutoStartEntryPath();
    if (!on)
        return !QFile::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Marlune\n"
                                        "Comment=Stock quote ticker\n"
                                        "Exec=%1\n"
                                        "Icon=marlune\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(AutoStartCommand(QCoreApplication::applicationFilePath(), arguments));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

bool IsAutoStartOn() {
    return QFile::exists(AutoStartEntryPath());
}

} // namespace marlune::platform

#endif
