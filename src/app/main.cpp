// marlune: the desktop stock-quote ticker.
#include "app/Application.h"
#include "app/QtTranslations.h"
#include "platform/CommandChannel.h"
#include "platform/DisplayCheck.h"
#include "platform/DisplayPlatform.h"
#include "version/Version.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>

namespace {

// marlune --send N [--home DIR]: no window, only the command to the ticker running on this
// display (in the program folder DIR, when given).
int SendCommand(int argc, char** argv, int command, const QString& home) {
    QCoreApplication app(argc, argv);
    const std::string folder = home.isEmpty() ? std::string() : marlune::Application::ChannelFolder(home);
    if (marlune::platform::SendChannelCommand(marlune::Application::kCommandChannel, folder, {command, 0}))
        return 0;
    if (home.isEmpty())
        std::fprintf(stderr, "marlune: no Marlune is running on this display\n");
    else
        std::fprintf(stderr, "marlune: no Marlune is running on this display with the folder %s\n",
                     qPrintable(home));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The arguments are read before anything of the GUI starts, so that --help, --send and a
    // mistyped argument need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    marlune::StartupOptions options = marlune::ParseStartupOptions(arguments);
    if (options.help || !options.error.isEmpty()) {
        if (!options.error.isEmpty())
            std::fprintf(stderr, "marlune: %s\n", qPrintable(options.error));
        std::fputs(qPrintable(marlune::StartupUsage()), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    if (options.version) {
        std::printf("marlune %s\n", marlune::kMarluneVersion);
        return 0;
    }
    if (options.send)
        return SendCommand(argc, argv, *options.send, options.home);
    if (!marlune::platform::DisplayAvailable()) {
        std::fputs("marlune: no display to open the window on (DISPLAY is not set); "
                   "marlune-cli shows the watch list in a terminal\n",
                   stderr);
        return 1;
    }

    // On a Wayland desktop the ticker runs on XWayland where it can (it places itself, stays
    // on top and takes its hot key there), unless the user chose a platform.
    marlune::platform::ApplyDisplayPlatformChoice(argc, argv);
    QApplication app(argc, argv);
    if (!marlune::platform::WindowsPlaceThemselves())
        std::fputs(marlune::platform::kNativeWaylandNotice, stderr);
    QApplication::setApplicationName(QStringLiteral("Marlune"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs speak the program's language.
    marlune::InstallQtTranslations(app);
    // Numbers in files and quotes are printed and read with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QIcon icon;
    for (const char* image : {":/images/marlune16.png", ":/images/marlune32.png", ":/images/marlune.png"})
        icon.addFile(QString::fromLatin1(image));
    QApplication::setWindowIcon(icon);

    marlune::Application application(std::move(options));
    return application.Run();
}
