// Command channels on local (Unix domain) sockets: <runtime folder>/<family>.<display>.<folder>.cmd
// for the first program, ...-2.cmd, ...-3.cmd for later ones, where <display> and <folder> are
// short digests of the display the program shows on and of its program folder, so that a
// sender reaches a program on its own display (and in the folder it names). The runtime folder
// belongs to the user alone and the sockets are made accessible to their owner only, so
// only the same user's programs can send. Plain sockets watched by QSocketNotifier: the
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

// The user's private runtime folder: $XDG_RUNTIME_DIR, or else a folder of our own in
// the temporary folder that belongs to the user alone (made when missing; one that is
// not the user's, or open to others, is not used, and then there is no channel).
std::string RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QFile::encodeName(runtime).toStdString();
    const std::string folder = QFile::encodeName(QDir::tempPath()).toStdString() + "/marlune-" +
                               std::to_string(static_cast<unsigned long>(::getuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 0077) != 0)
        return std::string();
    return folder;
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

bool SomeoneListens(const std::string& path) {
    Descriptor fd(ConnectTo(path));
    return fd.get() >= 0;
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
        // A few bytes always fit in a new socket's buffer.
        return ::send(fd.get(), line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    }
    return false;
}

} // namespace marlune::platform

#endif
