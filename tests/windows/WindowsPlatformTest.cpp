// The Windows pieces that live in the system's settings and windows: the autostart entry
// in the Run key, the command channel's hidden window and the Internet Options' proxy.
#include "net/ProxyProbe.h"
#include "platform/AutoStart.h"
#include "platform/CommandChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

using namespace marlune::platform;

namespace {

QStringList SplitAsTheSystemDoes(const QString& commandLine) {
    int count = 0;
    LPWSTR* parts = CommandLineToArgvW(reinterpret_cast<LPCWSTR>(commandLine.utf16()), &count);
    QStringList split;
    for (int i = 0; i < count; ++i)
        split << QString::fromWCharArray(parts[i]);
    LocalFree(parts);
    return split;
}

constexpr char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

} // namespace

TEST(WindowsAutoStart, CommandSplitsBackIntoTheSameArguments) {
    const QString program = QStringLiteral("C:/Program Files/Marlune/marlune.exe");
    const QStringList arguments{QStringLiteral("--home"),     QStringLiteral("C:\\My Stocks\\"),
                                QStringLiteral("say \"hi\""), QStringLiteral("a\\\\\"b"),
                                QStringLiteral("plain"),      QStringLiteral("\\\\server\\share\\")};
    const QString command = AutoStartCommand(program, arguments);
    EXPECT_TRUE(command.startsWith(QStringLiteral("\"C:\\Program Files\\Marlune\\marlune.exe\" --home ")))
        << command.toStdString();
    QStringList expected{QStringLiteral("C:\\Program Files\\Marlune\\marlune.exe")};
    expected << arguments;
    EXPECT_EQ(SplitAsTheSystemDoes(command), expected) << command.toStdString();
}

TEST(WindowsAutoStart, RunKeyValueComesAndGoes) {
    int argc = 2;
    char name[] = "test_windows.exe";
    char home[] = "C:\\Stock Home\\";
    char* argv[] = {name, home, nullptr};
    QCoreApplication app(argc, argv);

    ASSERT_TRUE(SetAutoStart(true));
    EXPECT_TRUE(IsAutoStartOn());
    const QString stored = QSettings(QString::fromLatin1(kRunKey), QSettings::NativeFormat)
                               .value(QStringLiteral("Marlune"))
                               .toString();
    const QStringList split = SplitAsTheSystemDoes(stored);
    ASSERT_EQ(split.size(), 2) << stored.toStdString();
    EXPECT_EQ(split[1], QStringLiteral("C:\\Stock Home\\"));

    ASSERT_TRUE(SetAutoStart(false));
    EXPECT_FALSE(IsAutoStartOn());
    EXPECT_FALSE(
        QSettings(QString::fromLatin1(kRunKey), QSettings::NativeFormat).contains(QStringLiteral("Marlune")));
}

TEST(WindowsProxy, InternetOptionsGiveTheHttpProxyWhileSwitchedOn) {
    const QString key =
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    QSettings settings(key, QSettings::NativeFormat);
    const QVariant oldEnable = settings.value(QStringLiteral("ProxyEnable"));
    const QVariant oldServer = settings.value(QStringLiteral("ProxyServer"));
    const auto write = [&](int enable, const QString& server) {
        settings.setValue(QStringLiteral("ProxyEnable"), enable); // a DWORD
        settings.setValue(QStringLiteral("ProxyServer"), server);
        settings.sync();
    };

    write(1, QStringLiteral("proxy.example:8080"));
    marlune::DesktopProxy proxy = marlune::ReadIeProxy();
    EXPECT_EQ(proxy.status, marlune::DesktopProxyStatus::Found);
    EXPECT_EQ(proxy.host, "proxy.example");
    EXPECT_EQ(proxy.port, "8080");

    write(1, QStringLiteral("ftp=f:21; http=web.proxy:3128;https=s:443"));
    proxy = marlune::ReadIeProxy();
    EXPECT_EQ(proxy.status, marlune::DesktopProxyStatus::Found);
    EXPECT_EQ(proxy.host, "web.proxy");
    EXPECT_EQ(proxy.port, "3128");

    write(1, QStringLiteral("https=s:443"));
    EXPECT_EQ(marlune::ReadIeProxy().status, marlune::DesktopProxyStatus::SwitchedOff);

    write(0, QStringLiteral("proxy.example:8080"));
    EXPECT_EQ(marlune::ReadIeProxy().status, marlune::DesktopProxyStatus::SwitchedOff);

    settings.remove(QStringLiteral("ProxyEnable"));
    settings.remove(QStringLiteral("ProxyServer"));
    if (oldEnable.isValid())
        settings.setValue(QStringLiteral("ProxyEnable"), oldEnable);
    if (oldServer.isValid())
        settings.setValue(QStringLiteral("ProxyServer"), oldServer);
}

TEST(WindowsCommandChannel, APostedCommandReachesTheListener) {
    int argc = 1;
    char name[] = "test_windows.exe";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    EXPECT_FALSE(SendChannelCommand("marlune", "", ChannelCommand{100, 0})); // nobody listens yet

    auto listener = CreateCommandListener("marlune", "C:/Marlune/");
    ASSERT_TRUE(listener->Listen());
    EXPECT_FALSE(listener->ChannelName().empty());
    std::optional<ChannelCommand> received;
    listener->SetHandler([&](ChannelCommand command) { received = command; });

    ASSERT_TRUE(SendChannelCommand("marlune", "", ChannelCommand{1135, 7}));
    QDeadlineTimer deadline(5000);
    while (!received && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->command, 1135);
    EXPECT_EQ(received->param, 7);

    listener.reset();
    EXPECT_FALSE(SendChannelCommand("marlune", "", ChannelCommand{100, 0})); // its window is gone
}
