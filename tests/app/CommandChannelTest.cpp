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
        auto one = CreateCommandListener(family);
        auto two = CreateCommandListener(family);
        one->SetHandler([&](ChannelCommand c) { first.push_back(c); });
        two->SetHandler([&](ChannelCommand c) { second.push_back(c); });
        ASSERT_TRUE(one->Listen());
        ASSERT_TRUE(two->Listen());
        EXPECT_NE(one->ChannelName(), two->ChannelName());

        // The sender blocks, so it runs beside this thread's event loop.
        bool sent = false;
        JoiningThread sender([&] { sent = SendChannelCommand(family, {100, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(first.size()), 1, 5000);
        sender.Join();
        EXPECT_TRUE(sent);
        EXPECT_EQ(first[0].command, 100);
        EXPECT_TRUE(second.empty());

        // The first program ends: the next sender reaches the second.
        one.reset();
        JoiningThread again([&] { SendChannelCommand(family, {1135, 0}); });
        QTRY_COMPARE_WITH_TIMEOUT(static_cast<int>(second.size()), 1, 5000);
        again.Join();
        EXPECT_EQ(second[0].command, 1135);
    }
    // Nobody listens any more.
    EXPECT_FALSE(SendChannelCommand(family, {100, 0}));
}

} // namespace
} // namespace marlune::platform
