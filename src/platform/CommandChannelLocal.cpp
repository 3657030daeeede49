// Command channels on local (Unix domain) sockets: <runtime folder>/<family>.<display>.<folder>.cmd
// for the first program, ...-2.cmd, ...-3.cmd for later ones, where <display> and <folder> are
// short digests of the display the program shows on and of its program folder, so that a
// sender reaches a program on its own display (and in the folder it names). The runtime folder
// belongs to the user alone and the sockets are made accessible to their owner only, and
// both ends check that the other runs as the same user, so only the same user's programs
// can send, and a command reaches only the user's program. Plain sockets watched by QSocketNotifier: the
// channel needs no network library.
#if !defined(_WIN32)

#include "platform/CommandChannel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace marlune::platform {

namespace {

// How many programs of one family can listen at the same time.
constexpr int kMaxChannels = 16;
// A sender writes one short line; more than this is not a command.
constexpr int kMaxCommandBytes = 64;
// A connection that says nothing useful is dropped after this long.
constexpr int kConnectionLimitMs = 2000;
// How long a sender (or the check of a taken name) waits for a listener.
constexpr int kConnectWaitMs = 500;

// A folder the user alone can change: a real folder (no link), owned by the user, that
// nobody else may write to. Another user who could add or replace a socket in it could
// take the commands, or keep the program from listening.
bool IsPrivateFolder(const std::string& folder, bool wholeModePrivate) {
    struct stat info {};
    if (folder.empty() || ::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    return (info.st_mode & (wholeModePrivate ? 0077 : 0022)) == 0;
}

// Says once per folder why a channel folder is not used, on the error output.
void ReportRefusedFolder(const std::string& folder, const std::string& instead) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(mutex);
    if (!reported.insert(folder).second)
        return;
    std::fprintf(
        stderr,
        "marlune: %s is not a private folder of this user (owner or mode); command channels go to %s\n",
        folder.c_str(), instead.empty() ? "no folder" : instead.c_str());
}

// A folder of the program's own beneath `parent`, made for the user alone when missing;
// empty when what is there is not such a folder.
std::string OwnFolderIn(const std::string& parent, const std::string& name) {
    if (parent.empty())
        return std::string();
    const std::string folder = parent + "/" + name;
    ::mkdir(folder.c_str(), 0700);
    return IsPrivateFolder(folder, true) ? folder : std::string();
}

// The user's private runtime folder for the channels: $XDG_RUNTIME_DIR when it is the
// user's and closed to others' writes; else a folder of our own, mode 0700, in the
// temporary folder; else, when someone else holds that name or opened it, one in
// $HOME/.cache. Sender and listener choose alike, so they meet.
std::string RuntimeFolder() {
    const std::string uid = std::to_string(static_cast<unsigned long>(::getuid()));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    std::string refused;
    if (!runtime.isEmpty()) {
        const std::string folder = QFile::encodeName(runtime).toStdString();
        if (IsPrivateFolder(folder, false))
            return folder;
        if (QFileInfo(runtime).isDir())
            refused = folder; // one that does not exist is no attack, and nothing to say
    }
    const std::string temporary = QFile::encodeName(QDir::tempPath()).toStdString();
    std::string folder = OwnFolderIn(temporary, "marlune-" + uid);
    if (folder.empty()) {
        if (refused.empty())
            refused = temporary + "/marlune-" + uid;
        const std::string home = QFile::encodeName(qEnvironmentVariable("HOME")).toStdString();
        if (!home.empty()) {
            ::mkdir((home + "/.cache").c_str(), 0700);
            folder = OwnFolderIn(home + "/.cache", "marlune-" + uid);
        }
    }
    if (!refused.empty())
        ReportRefusedFolder(refused, folder);
    return folder;
}

// Whether the other end of a connected local socket runs as this user: a listener takes
// commands only from the user's programs, and a sender talks only to the user's program.
bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == ::getuid();
}

// 16 hexadecimal digits of the text's FNV-1a digest: names stay short whatever they stand for.
std::string Digest(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

// The display the program shows on: the X display without its screen number (":0.0" and ":0"
// are one display), else the Wayland display.
std::string DisplayName() {
    std::string display = qEnvironmentVariable("DISPLAY").toStdString();
    if (!display.empty()) {
        const std::size_t colon = display.rfind(':');
        const std::size_t dot = display.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos)
            display.erase(dot);
        return "x11" + display;
    }
    return "wayland:" + qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
}

// The start of every channel name of the family on this display.
std::string DisplayPrefix(const std::string& family) {
    return family + "." + Digest(DisplayName()) + ".";
}

std::string ChannelPath(const std::string& family, const std::string& programFolder, int index) {
    const std::string folder = RuntimeFolder();
    if (folder.empty())
        return std::string();
    std::string name = DisplayPrefix(family) + Digest(programFolder);
    if (index > 1)
        name += "-" + std::to_string(index);
    return folder + "/" + name + ".cmd";
}

// Every channel of the family on this display, whatever its program folder, the oldest
// first: a sender that names no folder reaches the program that started first.
std::vector<std::string> DisplayChannels(const std::string& family) {
    const std::string folder = RuntimeFolder();
    if (folder.empty())
        return {};
    const QString prefix = QString::fromStdString(DisplayPrefix(family));
    std::vector<std::string> paths;
    const QStringList names =
        QDir(QFile::decodeName(folder.c_str()))
            .entryList({prefix + QStringLiteral("*.cmd")}, QDir::System, QDir::Time | QDir::Reversed);
    for (const QString& name : names)
        paths.push_back(folder + "/" + QFile::encodeName(name).toStdString());
    return paths;
}

// The socket address of a path; false when the path is too long for one.
bool SocketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

// A file descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// A socket connected to the listener at the path, or -1.
int ConnectTo(const std::string& path) {
    sockaddr_un address{};
    if (!SocketAddress(path, address))
        return -1;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return -1;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd.release();
    if (errno != EINPROGRESS && errno != EAGAIN)
        return -1;
    // A listener with a full queue: wait a little for room.
    pollfd waiting{fd.get(), POLLOUT, 0};
    if (::poll(&waiting, 1, kConnectWaitMs) != 1)
        return -1;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return -1;
    return fd.release();
}

// A program of this user listens there; another's socket is taken over like a stale one.
bool SomeoneListens(const std::string& path) {
    Descriptor fd(ConnectTo(path));
    return fd.get() >= 0 && PeerIsThisUser(fd.get());
}

// One sender's connection: collects its line, then reports it once and goes.
class CommandConnection final : public QObject {
public:
    CommandConnection(int fd, QObject* parent, std::function<void(const QByteArray&)> done)
        : QObject(parent), m_fd(fd), m_done(std::move(done)) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { readSome(); });
        QTimer::singleShot(kConnectionLimitMs, this, [this] { finish(false); });
    }

private:
    void readSome() {
        char bytes[kMaxCommandBytes + 1];
        const ssize_t count =
            ::read(m_fd.get(), bytes, sizeof bytes - static_cast<std::size_t>(m_line.size()));
        if (count > 0) {
            m_line.append(bytes, static_cast<int>(count));
            if (m_line.size() > kMaxCommandBytes)
                finish(false); // too long to be a command
            else if (m_line.contains('\n'))
                finish(true);
        } else if (count == 0) {
            finish(true); // the sender closed: what came is the command
        } else if (errno != EAGAIN && errno != EINTR) {
            finish(false);
        }
    }

    void finish(bool deliver) {
        if (m_finished)
            return;
        m_finished = true;
        m_notifier->setEnabled(false);
        m_fd.reset();
        deleteLater();
        if (deliver)
            m_done(m_line);
    }

    Descriptor m_fd;
    std::function<void(const QByteArray&)> m_done;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_line;
    bool m_finished = false;
};

class LocalCommandListener final : public QObject, public CommandListener {
public:
    LocalCommandListener(std::string family, std::string programFolder)
        : m_family(std::move(family)), m_programFolder(std::move(programFolder)) {}

    ~LocalCommandListener() override {
        delete m_notifier; // before the socket it watches closes
        if (m_listening.get() >= 0)
            ::unlink(m_path.c_str());
    }

    bool Listen() override {
        if (m_listening.get() >= 0)
            return true;
        for (int index = 1; index <= kMaxChannels; ++index) {
            const std::string path = ChannelPath(m_family, m_programFolder, index);
            sockaddr_un address{};
            if (!SocketAddress(path, address))
                return false;
            if (SomeoneListens(path))
                continue;
            // Left behind by a program that ended without removing it, or free.
            ::unlink(path.c_str());
            Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            if (fd.get() < 0)
                return false;
            if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
                if (errno == EADDRINUSE)
                    continue; // another program took it just now
                return false;
            }
            ::chmod(path.c_str(), 0600);
            if (::listen(fd.get(), 8) != 0) {
                ::unlink(path.c_str());
                return false;
            }
            m_path = path;
            m_listening.reset(fd.release());
            m_notifier = new QSocketNotifier(m_listening.get(), QSocketNotifier::Read, this);
            QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { acceptConnections(); });
            return true;
        }
        return false;
    }

    std::string ChannelName() const override { return m_listening.get() >= 0 ? m_path : std::string(); }

private:
    void acceptConnections() {
        for (;;) {
            const int fd = ::accept4(m_listening.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            if (!PeerIsThisUser(fd)) {
                ::close(fd); // another user's program: it may not command this one
                continue;
            }
            new CommandConnection(fd, this, [this](const QByteArray& line) {
                ChannelCommand command;
                if (ParseChannelCommand(line.toStdString(), command))
                    deliver(command);
            });
        }
    }

    std::string m_family;
    std::string m_programFolder;
    std::string m_path;
    Descriptor m_listening;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace

std::unique_ptr<CommandListener> CreateCommandListener(const std::string& family,
                                                       const std::string& programFolder) {
    return std::make_unique<LocalCommandListener>(family, programFolder);
}

bool SendChannelCommand(const std::string& family, const std::string& programFolder, ChannelCommand command) {
    const std::string line = std::to_string(command.command) + ' ' + std::to_string(command.param) + '\n';
    std::vector<std::string> paths;
    if (programFolder.empty()) {
        paths = DisplayChannels(family);
    } else {
        for (int index = 1; index <= kMaxChannels; ++index)
            paths.push_back(ChannelPath(family, programFolder, index));
    }
    for (const std::string& path : paths) {
        if (path.empty())
            return false;
        Descriptor fd(ConnectTo(path));
        if (fd.get() < 0)
            continue;
        // A socket another user listens on is not this user's program: it gets no
        // command, and sending does not count as done.
        if (!PeerIsThisUser(fd.get()))
            continue;
        // A few bytes always fit in a new socket's buffer.
        return ::send(fd.get(), line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    }
    return false;
}

} // namespace marlune::platform

#endif
