// The desktop program's command line: read before anything of the GUI starts, so that help,
// mistakes and --send need no display.
#include "app/StartupOptions.h"

#include "version/Version.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace marlune {
namespace {

TEST(StartupOptions, ServiceUrlMustBeUsable) {
    for (const char* url : {"htp:/typo", "http://", "ftp://127.0.0.1", "127.0.0.1:8080", "http://a b", ""}) {
        EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--services=") + url}).error.isEmpty()) << url;
        if (*url != '\0') {
            EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--services"), url}).error.isEmpty()) << url;
        }
    }
    const StartupOptions good =
        ParseStartupOptions({QStringLiteral("--services"), QStringLiteral("http://127.0.0.1:8123/")});
    EXPECT_TRUE(good.error.isEmpty());
    EXPECT_EQ(good.services, QStringLiteral("http://127.0.0.1:8123/"));
}

TEST(StartupOptions, NamedCommandsAreCommandNumbers) {
    const std::pair<const char*, int> named[] = {
        {"--toggle", 101}, {"--show", 102}, {"--hide", 103}, {"--refresh", 1127}};
    for (const auto& [argument, number] : named) {
        const StartupOptions options = ParseStartupOptions(
            {QString::fromLatin1(argument), QStringLiteral("--home"), QStringLiteral("/x")});
        EXPECT_TRUE(options.error.isEmpty()) << argument;
        EXPECT_EQ(options.send, number) << argument;
        EXPECT_EQ(options.home, QStringLiteral("/x"));
    }
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--toggles")}).send);
}

struct ProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the desktop program without any display.
ProcessRun RunWithoutDisplay(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MARLUNE_BINARY_DIR "/src/marlune"), arguments);
    ProcessRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(MarluneArguments, HelpAndMistakesNeedNoDisplay) {
    const ProcessRun help = RunWithoutDisplay({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: marlune"))) << help.out.toStdString();
    const ProcessRun version = RunWithoutDisplay({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("marlune %1\n").arg(QLatin1String(kMarluneVersion)));
    // Qt's -platform option is Qt's to read, not a mistake.
    EXPECT_EQ(
        RunWithoutDisplay({QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("--version")})
            .exitCode,
        0);

    const QStringList mistakes[] = {
        {QStringLiteral("--bogus")},
        {QStringLiteral("--send"), QStringLiteral("abc")},
        {QStringLiteral("--send")},
        {QStringLiteral("--home")},
        {QStringLiteral("-platform")},
        {QStringLiteral("--services"), QStringLiteral("htp:/typo")},
        {QStringLiteral("--demo"), QStringLiteral("--services=ftp://127.0.0.1")},
    };
    for (const QStringList& arguments : mistakes) {
        const ProcessRun run = RunWithoutDisplay(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: marlune"))) << run.err.toStdString();
    }

    // A start with nothing to show the window on says so instead of aborting in the GUI library.
    const ProcessRun start = RunWithoutDisplay({QStringLiteral("--home"), QDir::tempPath()});
    EXPECT_EQ(start.exitCode, 1) << start.err.toStdString();
    EXPECT_TRUE(start.err.contains(QStringLiteral("no display"))) << start.err.toStdString();
}

} // namespace
} // namespace marlune
