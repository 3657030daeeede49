#include "app/StartupOptions.h"

#include "app/ShellTexts.h"
#include "net/ServiceEndpoints.h"
#include "text/BeijingTime.h"
#include "ticker/TickerOwner.h"

namespace marlune {
namespace {

// The commands with a name of their own, for desktop shortcuts: --toggle is --send 101.
std::optional<int> NamedCommand(const QString& argument) {
    if (argument == QLatin1String("--toggle"))
        return kCmdToggleWindow;
    if (argument == QLatin1String("--show"))
        return kCmdShowWindow;
    if (argument == QLatin1String("--hide"))
        return kCmdHideWindow;
    if (argument == QLatin1String("--refresh"))
        return kCmdRefresh;
    return std::nullopt;
}

} // namespace

StartupOptions ParseStartupOptions(const QStringList& arguments) {
    StartupOptions options;
    bool servicesGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&](QString& target) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                options.error = QStringLiteral("%1 needs a value").arg(argument);
                return;
            }
            target = arguments[++i];
        };
        if (argument == QLatin1String("--home"))
            value(options.home);
        else if (argument.startsWith(QLatin1String("--home=")))
            options.home = argument.mid(7);
        else if (argument == QLatin1String("--services")) {
            value(options.services);
            servicesGiven = true;
        } else if (argument.startsWith(QLatin1String("--services="))) {
            options.services = argument.mid(11);
            servicesGiven = true;
        } else if (argument == QLatin1String("--send") || argument.startsWith(QLatin1String("--send="))) {
            QString number;
            if (argument == QLatin1String("--send"))
                value(number);
            else
                number = argument.mid(7);
            if (!options.error.isEmpty())
                break;
            bool ok = false;
            const int command = number.toInt(&ok);
            if (ok)
                options.send = command;
            else
                options.error = QStringLiteral("--send needs a command number, not %1").arg(number);
        } else if (const std::optional<int> named = NamedCommand(argument)) {
            options.send = *named;
        } else if (argument == QLatin1String("--demo"))
            options.demo = true;
        else if (argument == QLatin1String("--demo-fault")) {
            QString query;
            value(query);
            options.demoFaults << query;
        } else if (argument.startsWith(QLatin1String("--demo-fault=")))
            options.demoFaults << argument.mid(13);
        else if (argument == QLatin1String("--beijing-time")) {
            QString moment;
            value(moment);
            if (!options.error.isEmpty())
                break;
            options.beijingTime = ParseBeijingDateTime(moment.toStdString());
            if (!options.beijingTime)
                options.error =
                    QStringLiteral("--beijing-time needs \"YYYY-MM-DD HH:MM[:SS]\", not %1").arg(moment);
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (argument == QLatin1String("--version"))
            options.version = true;
        else if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform")) {
            // Qt's own choice of the window system; Qt reads it.
            QString platform;
            value(platform);
        } else
            options.error = QStringLiteral("unknown argument: %1").arg(argument);
        if (!options.error.isEmpty())
            break;
    }
    // A mistyped URL must not send the requests to the real public hosts instead.
    if (options.error.isEmpty() && servicesGiven && !IsServiceBaseUrl(options.services.toStdString()))
        options.error = QStringLiteral("not a usable service URL: %1").arg(options.services);
    return options;
}

QString StartupUsage() {
    return QStringLiteral("usage: marlune [--home DIR] [--services URL] [--demo [--demo-fault QUERY]...]\n"
                          "               [--beijing-time \"YYYY-MM-DD HH:MM[:SS]\"]\n"
                          "       marlune --send N [--home DIR]\n"
                          "       marlune --toggle | --show | --hide | --refresh [--home DIR]\n"
                          "       marlune --help | --version\n"
                          "  -platform NAME  Qt's window system (xcb, wayland); on a Wayland desktop\n"
                          "                  with XWayland the default is xcb\n"
                          "  --home DIR      keep settings, watch list and downloads below DIR\n"
                          "                  (default: the program's folder; for an installed program\n"
                          "                  ~/.local/share/marlune)\n"
                          "  --services URL  fetch every outside service from this base URL\n"
                          "  --demo          start the simulated market in this process and use it\n"
                          "  --demo-fault Q  make that market misbehave as its /__sim/fault?Q does, e.g.\n"
                          "                  'prefix=/stock/chart/&status=404' (no chart images)\n"
                          "  --beijing-time T  run the clock from this Beijing time on (tests, demos)\n"
                          "  --send N        pass command N to the Marlune running on this display (with\n"
                          "                  --home: the one working in DIR) and end: 100 shows its\n"
                          "                  popup menu, 1135 runs its update step\n"
                          "  --toggle        hide or show the running Marlune's window, as its hot key does\n"
                          "  --show, --hide  show or hide it (nothing when it already is)\n"
                          "  --refresh       make it ask for new quotes now\n"
                          "  --version       print the program's version\n");
}

} // namespace marlune
