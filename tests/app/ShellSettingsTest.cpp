// The owner's copies of the stored settings, balloon cutting, the command line and the
// installed program's folder.
#include "app/ShellSettings.h"
#include "app/InstallLayout.h"
#include "app/StartupOptions.h"
#include "app/TrayIcon.h"
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/XmlSettingsStore.h"
#include "text/Gbk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace marlune {
namespace {

TEST(ShellSettings, ReadFromBothFiles) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    ASSERT_TRUE(CreateFirstRunFilesIn(folder));
    const std::string ini = folder + "config/base.ini";
    const std::string xml = folder + "scnf/SSTConf.xml";
    XmlSettingsStore store;
    store.SetPath(xml);
    store.SetValue("Securty", "3");
    store.SetValue("LoginPd", "口令Ab");
    store.SetValue("LockTime", "10");
    store.SetValue("MiniTray", "1");
    store.SetValue("AutoUpdate", "1");
    store.SetValue("ProxyType", "1");
    store.SetValue("ProxyIp", "10.0.0.1");
    store.SetValue("ProxyPort", "3128");
    ProfileWrite(ini, "sys", "HotKey", "Q");
    ProfileWrite(ini, "sys", "HotKeyPress", "2");

    const ShellSettings settings = ReadShellSettings(ini, xml);
    EXPECT_EQ(settings.hotKey, "Q");
    EXPECT_EQ(settings.hotKeyPress, 2);
    EXPECT_EQ(settings.topMost, 1); // the first run's value
    EXPECT_EQ(settings.lock.mode, 3);
    EXPECT_EQ(settings.lock.password, "口令Ab");
    EXPECT_EQ(settings.lock.periodSeconds, 600);
    EXPECT_EQ(settings.hideTray, 1);
    EXPECT_EQ(settings.autoUpgrade, 1);
    EXPECT_EQ(settings.newStockTip, 0);
    EXPECT_EQ(settings.proxy.kind, ProxyKind::kHttp);
    EXPECT_EQ(settings.proxy.host, "10.0.0.1");
    EXPECT_EQ(settings.proxy.port, "3128");
    EXPECT_EQ(settings.proxy.user, ""); // a key read for the first time reads "0": none

    // An unreadable settings file: the lock is off and nothing else is asked for.
    QFile::remove(QString::fromStdString(xml));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(xml))); // a folder where the file was
    const ShellSettings unreadable = ReadShellSettings(ini, xml);
    EXPECT_EQ(unreadable.lock.mode, 0);
    EXPECT_EQ(unreadable.autoUpgrade, 0);
    EXPECT_EQ(unreadable.proxy.kind, ProxyKind::kNone);
    EXPECT_EQ(unreadable.hotKey, "Q");
}

TEST(Balloon, CutToItsGbkBytesNeverInsideACharacter) {
    // 127 two-byte characters and one more: 256 bytes of GBK, cut to 254.
    std::string text;
    for (int i = 0; i < 128; ++i)
        text += "涨";
    BalloonText cut = CutBalloon(text, "Marlune");
    EXPECT_EQ(GbkLength(cut.text), 254u);
    EXPECT_EQ(cut.title, "Marlune");
    // One ASCII character first: exactly 255.
    cut = CutBalloon("a" + text, std::string(70, 't'));
    EXPECT_EQ(GbkLength(cut.text), 255u);
    EXPECT_EQ(cut.title, std::string(63, 't'));
    // A title of 32 two-byte characters: 31 of them fit in 63 bytes.
    std::string title;
    for (int i = 0; i < 32; ++i)
        title += "股";
    EXPECT_EQ(GbkLength(CutBalloon("", title).title), 62u);
    EXPECT_EQ(CutBalloon("short", "").text, "short");
}

TEST(StartupOptions, SendTakesACommandNumber) {
    StartupOptions options = ParseStartupOptions({QStringLiteral("--send"), QStringLiteral("100")});
    ASSERT_TRUE(options.send.has_value());
    EXPECT_EQ(*options.send, 100);
    options = ParseStartupOptions({QStringLiteral("--send=1135")});
    EXPECT_EQ(options.send.value_or(0), 1135);
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--send"), QStringLiteral("menu")}).error.isEmpty());
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--send")}).error.isEmpty());
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--demo")}).send.has_value());
}

TEST(StartupOptions, DemoFaultsAreCollected) {
    const StartupOptions options =
        ParseStartupOptions({QStringLiteral("--demo"), QStringLiteral("--demo-fault"),
                             QStringLiteral("prefix=/stock/chart/&status=404"),
                             QStringLiteral("--demo-fault=prefix=/rn=&delay=100")});
    EXPECT_TRUE(options.error.isEmpty());
    EXPECT_EQ(options.demoFaults, QStringList({QStringLiteral("prefix=/stock/chart/&status=404"),
                                               QStringLiteral("prefix=/rn=&delay=100")}));
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--demo-fault")}).error.isEmpty());
}

TEST(StartupOptions, BeijingTimeIsReadStrictly) {
    const StartupOptions options =
        ParseStartupOptions({QStringLiteral("--beijing-time"), QStringLiteral("2026-04-24 20:00")});
    EXPECT_TRUE(options.error.isEmpty());
    EXPECT_EQ(options.beijingTime, std::optional<std::int64_t>(1777032000)); // 12:00 UTC
    for (const char* bad : {"2026-04-24 25:00", "20:00", "2026-4-24", ""})
        EXPECT_FALSE(
            ParseStartupOptions({QStringLiteral("--beijing-time"), QString::fromUtf8(bad)}).error.isEmpty())
            << bad;
    EXPECT_FALSE(ParseStartupOptions({QStringLiteral("--beijing-time")}).error.isEmpty());
}

TEST(InstallLayout, InstalledProgramKeepsItsFilesPerUser) {
    QTemporaryDir dir;
    const QString bin = dir.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/share/applications"));
    // A build or unpacked folder: the program's own.
    EXPECT_FALSE(IsInstalledLayout(bin));
    EXPECT_EQ(DefaultProgramFolder(bin), bin);
    QFile desktop(dir.path() + "/share/applications/marlune.desktop");
    ASSERT_TRUE(desktop.open(QIODevice::WriteOnly));
    desktop.close();
    EXPECT_TRUE(IsInstalledLayout(bin));
    EXPECT_EQ(DefaultProgramFolder(bin), PerUserProgramFolder());
    EXPECT_TRUE(PerUserProgramFolder().endsWith(QStringLiteral("/marlune")));
}

} // namespace
} // namespace marlune
