// Commands from other programs: the text a sender writes, and the local channels of
// several running programs.
#include "platform/CommandChannel.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace marlune::platform {
namespace {

// A thread that is always joined, also when a check fails early.
class JoiningThread {
public:
    template <typename F> explicit JoiningThread(F f) : m_thread(std::move(f)) {}
    ~JoiningThread() { Join(); }
    void Join() {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};

TEST(CommandChannel, ParsesANumberAndAnOptionalParameter) {
    ChannelCommand parsed;
    ASSERT_TRUE(ParseChannelCommand("100\n", parsed));
    EXPECT_EQ(parsed.command, 100);
    EXPECT_EQ(parsed.param, 0);
    ASSERT_TRUE(ParseChannelCommand(" 1135 7\r\n", parsed));
    EXPECT_EQ(parsed.command, 1135);
    EXPECT_EQ(parsed.param, 7);
    ASSERT_TRUE(ParseChannelCommand("-3", parsed));
    EXPECT_EQ(parsed.command, -3);
    for (const char* bad : {"", "\n", "menu", "100x", "100 x", "1 2 3", "99999999999999999999", "100\n100\n"})
        EXPECT_FALSE(ParseChannelCommand(bad, parsed)) << bad;
    EXPECT_FALSE(ParseChannelCommand(std::string("100\0", 4), parsed));
}

// Local sockets: each program on its own channel, a sender reaches the first.
TEST(CommandChannel, SecondProgramListensOnItsOwnChannelAndSendReachesTheFirst) {
    const std::string family = "marlune-test-" + std::to_string(QCoreApplication::applicationPid());
    std::vector<ChannelCommand> first;
    std::vector<ChannelCommand> second;
    {
        auto one = CreateCommandListener(family, "/home/u/marlune");
        auto two = CreateCommandListener(family, "/home/u/marlune");
        one->SetHandler([&](ChannelCommand c) { first.push_back(c); });
        two->SetHandler([&](ChannelCommand c) { second.push_back(c); });
        ASSERT_TRUE(one->Listen());
        ASSERT_TRUE(two->Listen());
        EXPECT_NE(one->ChannelName(), two->ChannelName());

        // The sender blocks, so it runs beside this thread's event loop.
        bool sent = false;
        JoiningThread sender([&] { sent = SendChannelCommand(family, "", {100, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(first.size()), 1, 5000);
        sender.Join();
        EXPECT_TRUE(sent);
        EXPECT_EQ(first[0].command, 100);
        EXPECT_TRUE(second.empty());

        // The first program ends: the next sender reaches the second.
        one.reset();
        JoiningThread again([&] { SendChannelCommand(family, "", {1135, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(second.size()), 1, 5000);
        again.Join();
        EXPECT_EQ(second[0].command, 1135);
    }
    // Nobody listens any more.
    EXPECT_FALSE(SendChannelCommand(family, "", {100, 0}));
}

// Programs on other displays, or working in another folder, are not reached.
TEST(CommandChannel, ASenderReachesOnlyAProgramOnItsDisplayAndInTheFolderItNames) {
    const std::string family = "marlune-scope-" + std::to_string(QCoreApplication::applicationPid());
    const QByteArray display = qgetenv("DISPLAY");
    std::vector<int> onFirst;
    std::vector<int> onSecond;
    qputenv("DISPLAY", ":97");
    auto first = CreateCommandListener(family, "/srv/a");
    first->SetHandler([&](ChannelCommand c) { onFirst.push_back(c.command); });
    ASSERT_TRUE(first->Listen());
    qputenv("DISPLAY", ":98.0");
    auto second = CreateCommandListener(family, "/srv/b");
    second->SetHandler([&](ChannelCommand c) { onSecond.push_back(c.command); });
    ASSERT_TRUE(second->Listen());

    // ":97.0" is the first program's display; the second's folder is not on it.
    qputenv("DISPLAY", ":97.0");
    bool sent = false;
    {
        JoiningThread sender([&] { sent = SendChannelCommand(family, "", {100, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(onFirst.size()), 1, 5000);
    }
    EXPECT_TRUE(sent);
    EXPECT_FALSE(SendChannelCommand(family, "/srv/b", {101, 0}));
    qputenv("DISPLAY", ":98");
    {
        JoiningThread sender([&] { sent = SendChannelCommand(family, "/srv/b", {102, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(onSecond.size()), 1, 5000);
    }
    EXPECT_EQ(onSecond, std::vector<int>{102});
    EXPECT_FALSE(SendChannelCommand(family, "/srv/a", {103, 0}));
    qputenv("DISPLAY", ":99");
    EXPECT_FALSE(SendChannelCommand(family, "", {104, 0}));
    EXPECT_EQ(onFirst, std::vector<int>{100});
    if (display.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", display);
}

} // namespace
} // namespace marlune::platform
