// Command channels where other users can reach: a shared runtime folder, a squatted
// temporary folder, sockets of another user on either end. Another user is played by a
// child process that changes its user id, so these tests need to run as root.
#include "platform/CommandChannel.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlune::platform {
namespace {

constexpr uid_t kOtherUser = 65534; // nobody

class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/marlune-channel-XXXXXX";
        m_path = ::mkdtemp(pattern);
        ::chmod(m_path.c_str(), 0755);
    }
    ~Scratch() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    // A folder beneath, made with the given mode.
    std::string folder(const std::string& name, mode_t mode) const {
        const std::string path = m_path + "/" + name;
        ::mkdir(path.c_str(), 0700);
        ::chmod(path.c_str(), mode);
        return path;
    }

private:
    std::string m_path;
};

// The environment variables the channel folder depends on, restored at the end.
class SavedEnvironment {
public:
    SavedEnvironment() {
        for (const char* name : kNames)
            m_values.push_back(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                               : std::nullopt);
    }
    ~SavedEnvironment() {
        for (std::size_t i = 0; i < m_values.size(); ++i) {
            if (m_values[i])
                qputenv(kNames[i], *m_values[i]);
            else
                qunsetenv(kNames[i]);
        }
    }

private:
    static constexpr const char* kNames[] = {"XDG_RUNTIME_DIR", "TMPDIR", "HOME"};
    std::vector<std::optional<QByteArray>> m_values;
};

// Another user's process: binds a socket at the path (as root when bindFirst, then as the
// other user otherwise), listens as the other user and reports each command it receives
// on a pipe. Killed when the object goes.
class ForeignListener {
public:
    ForeignListener(const std::string& path, bool bindAsRoot) {
        int ready[2];
        ::pipe(ready);
        ::pipe(m_heard);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
            if (!bindAsRoot && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
                ::_exit(2);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                ::_exit(3);
            ::chmod(path.c_str(), 0666);
            if (bindAsRoot && (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
                ::_exit(2);
            if (::listen(fd, 8) != 0)
                ::_exit(4);
            (void)!::write(ready[1], "r", 1);
            for (;;) {
                const int client = ::accept(fd, nullptr, nullptr);
                char bytes[64];
                const ssize_t got = ::read(client, bytes, sizeof bytes);
                if (got > 0)
                    (void)!::write(m_heard[1], bytes, static_cast<std::size_t>(got));
                ::close(client);
            }
        }
        ::close(ready[1]);
        ::close(m_heard[1]);
        char byte = 0;
        m_ready = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~ForeignListener() {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        ::close(m_heard[0]);
    }
    bool ready() const { return m_ready; }
    // What it has received so far.
    std::string heard() {
        std::string text;
        pollfd fd{m_heard[0], POLLIN, 0};
        char bytes[256];
        while (::poll(&fd, 1, 0) == 1) {
            const ssize_t got = ::read(m_heard[0], bytes, sizeof bytes);
            if (got <= 0)
                break;
            text.append(bytes, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    pid_t m_pid = -1;
    int m_heard[2] = {-1, -1};
    bool m_ready = false;
};

// Runs a command of another user to completion.
bool RunAsOtherUser(const std::function<bool()>& action) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(2);
        ::_exit(action() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Sends beside this thread's event loop (the sender blocks) and waits for the handler.
bool SendAndWait(const std::string& family, const std::string& folder, int command,
                 const std::vector<int>& received, std::size_t expectedCount) {
    bool sent = false;
    std::thread sender([&] { sent = SendChannelCommand(family, folder, {command, 0}); });
    for (int i = 0; i < 500 && received.size() < expectedCount; ++i)
        QTest::qWait(10);
    sender.join();
    return sent;
}

std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class CommandChannelUsers : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "playing another user needs root";
        m_family = "marlune-users-" + std::to_string(QCoreApplication::applicationPid());
    }
    // The name a program of the family working in folder listens under, first of all.
    std::string channelName(const std::string& folder) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_scratch.folder("probe", 0700)));
        auto probe = CreateCommandListener(m_family, folder);
        EXPECT_TRUE(probe->Listen());
        return BaseName(probe->ChannelName());
    }

    SavedEnvironment m_saved;
    Scratch m_scratch;
    std::string m_family;
};

TEST_F(CommandChannelUsers, ASharedRuntimeFolderIsNotUsedAndAnotherUsersSocketGetsNothing) {
    const std::string name = channelName("/srv/a");
    const std::string shared = m_scratch.folder("shared", 01777);
    const std::string temporary = m_scratch.folder("tmp", 0755);
    qputenv("TMPDIR", QByteArray::fromStdString(temporary));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(shared));
    // Another user binds the channel's name in the shared folder before the program starts.
    ForeignListener squatter(shared + "/" + name, false);
    ASSERT_TRUE(squatter.ready());

    std::vector<int> received;
    auto listener = CreateCommandListener(m_family, "/srv/a");
    listener->SetHandler([&](ChannelCommand c) { received.push_back(c.command); });
    ASSERT_TRUE(listener->Listen());
    EXPECT_TRUE(StartsWith(listener->ChannelName(), temporary + "/marlune-0/")) << listener->ChannelName();
    EXPECT_TRUE(SendAndWait(m_family, "/srv/a", 100, received, 1));
    EXPECT_TRUE(SendAndWait(m_family, "", 101, received, 2));
    EXPECT_EQ(received, (std::vector<int>{100, 101}));
    EXPECT_EQ(squatter.heard(), "");
}

TEST_F(CommandChannelUsers, ASenderDoesNotTalkToAnotherUsersSocketNorCallItSent) {
    const std::string name = channelName("/srv/b");
    const std::string runtime = m_scratch.folder("runtime", 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    // A socket of the channel's name in the user's own folder, but another user listens on
    // it (what a folder open to others, or one replaced under the sender, allows).
    auto squatter = std::make_unique<ForeignListener>(runtime + "/" + name, true);
    ASSERT_TRUE(squatter->ready());
    EXPECT_FALSE(SendChannelCommand(m_family, "/srv/b", {100, 0}));
    EXPECT_FALSE(SendChannelCommand(m_family, "", {100, 0}));
    EXPECT_EQ(squatter->heard(), "");

    // The program's listener is not kept off by it: it takes the name over.
    std::vector<int> received;
    auto listener = CreateCommandListener(m_family, "/srv/b");
    listener->SetHandler([&](ChannelCommand c) { received.push_back(c.command); });
    ASSERT_TRUE(listener->Listen());
    EXPECT_TRUE(SendAndWait(m_family, "/srv/b", 102, received, 1));
    EXPECT_EQ(received, std::vector<int>{102});
    EXPECT_EQ(squatter->heard(), "");
}

TEST_F(CommandChannelUsers, AListenerTakesNoCommandFromAnotherUser) {
    const std::string runtime = m_scratch.folder("open", 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    std::vector<int> received;
    auto listener = CreateCommandListener(m_family, "/srv/c");
    listener->SetHandler([&](ChannelCommand c) { received.push_back(c.command); });
    ASSERT_TRUE(listener->Listen());
    // Opened up as a careless administrator might: anyone may connect now.
    const std::string path = listener->ChannelName();
    ::chmod(runtime.c_str(), 0711);
    ::chmod(path.c_str(), 0666);
    ASSERT_TRUE(RunAsOtherUser([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               ::write(fd, "100\n", 4) == 4;
    }));
    // The other user's command was waiting before this one; only this one arrives.
    EXPECT_TRUE(SendAndWait(m_family, "/srv/c", 103, received, 1));
    QTest::qWait(100);
    EXPECT_EQ(received, std::vector<int>{103});
}

TEST_F(CommandChannelUsers, ATakenTemporaryFolderGivesWayToOneInTheHomeCacheSaidOnce) {
    const std::string temporary = m_scratch.folder("tmp", 01777);
    const std::string home = m_scratch.folder("home", 0755);
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QByteArray::fromStdString(temporary));
    qputenv("HOME", QByteArray::fromStdString(home));
    // Another user made the program's temporary folder first, private to that user.
    ASSERT_TRUE(RunAsOtherUser([&] { return ::mkdir((temporary + "/marlune-0").c_str(), 0700) == 0; }));

    // The note goes to the error output: caught in a file for the test.
    const std::string notes = home + "/notes.txt";
    std::fflush(stderr);
    const int savedError = ::dup(2);
    const int notesFd = ::open(notes.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(notesFd, 2);
    std::vector<int> received;
    auto listener = CreateCommandListener(m_family, "/srv/d");
    listener->SetHandler([&](ChannelCommand c) { received.push_back(c.command); });
    const bool listening = listener->Listen();
    const bool sent = SendAndWait(m_family, "/srv/d", 104, received, 1);
    const bool sentAgain = SendAndWait(m_family, "", 105, received, 2);
    std::fflush(stderr);
    ::dup2(savedError, 2);
    ::close(savedError);
    ::close(notesFd);

    ASSERT_TRUE(listening);
    EXPECT_TRUE(StartsWith(listener->ChannelName(), home + "/.cache/marlune-0/")) << listener->ChannelName();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(sentAgain);
    EXPECT_EQ(received, (std::vector<int>{104, 105}));
    struct stat info {};
    ASSERT_EQ(::lstat((home + "/.cache/marlune-0").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::ifstream in(notes);
    std::stringstream text;
    text << in.rdbuf();
    const std::string said = text.str();
    const std::string folder = temporary + "/marlune-0";
    ASSERT_NE(said.find(folder), std::string::npos) << said;
    EXPECT_EQ(said.find(folder, said.find(folder) + 1), std::string::npos) << "said more than once: " << said;

    // A folder of the user's that others may write to is not taken either.
    const std::string careless = m_scratch.folder("careless", 0755);
    m_scratch.folder("careless/marlune-0", 0777);
    qputenv("TMPDIR", QByteArray::fromStdString(careless));
    auto second = CreateCommandListener(m_family, "/srv/e");
    ASSERT_TRUE(second->Listen());
    EXPECT_TRUE(StartsWith(second->ChannelName(), home + "/.cache/marlune-0/")) << second->ChannelName();
}

} // namespace
} // namespace marlune::platform
