// marlune: the desktop stock-quote ticker.
#include "app/Application.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlune"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Numbers in files and quotes are printed and read with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QIcon icon;
    for (const char* image : {":/images/marlune16.png", ":/images/marlune32.png", ":/images/marlune.png"})
        icon.addFile(QString::fromLatin1(image));
    QApplication::setWindowIcon(icon);

    marlune::StartupOptions options = marlune::ParseStartupOptions(QApplication::arguments().mid(1));
    if (options.help || !options.error.isEmpty()) {
        if (!options.error.isEmpty())
            std::fprintf(stderr, "marlune: %s\n", qPrintable(options.error));
        std::fputs(qPrintable(marlune::StartupUsage()), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    marlune::Application application(std::move(options));
    return application.Run();
}
