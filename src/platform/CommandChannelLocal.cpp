// Command channels on local sockets: <runtime folder>/<family>.cmd for the first
// program, <family>-2.cmd, <family>-3.cmd ... for later ones. The runtime folder
// belongs to the user alone, and the sockets themselves are made accessible to their
// owner only, so only the same user's programs can send.
#if !defined(_WIN32)

#include "platform/CommandChannel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <QTimer>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace marlune::platform {

namespace {

// How many programs of one family can listen at the same time.
constexpr int kMaxChannels = 16;
// A sender writes one short line; more than this is not a command.
constexpr qint64 kMaxCommandBytes = 64;
// A connection that says nothing useful is dropped after this long.
constexpr int kConnectionLimitMs = 2000;
// How long a sender (or the live check of a taken name) waits for a listener.
constexpr int kConnectWaitMs = 500;
constexpr int kWriteWaitMs = 1500;

// The user's private runtime folder: $XDG_RUNTIME_DIR, or else a folder of our own in
// the temporary folder that belongs to the user alone (made when missing; one that is
// not the user's, or open to others, is not used, and then there is no channel).
QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString folder = QDir::tempPath() + QStringLiteral("/marlune-%1").arg(::getuid());
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 0077) != 0)
        return QString();
    return folder;
}

QString ChannelPath(const std::string& family, int index) {
    const QString folder = RuntimeFolder();
    if (folder.isEmpty())
        return QString();
    QString name = QString::fromStdString(family);
    if (index > 1)
        name += QStringLiteral("-%1").arg(index);
    return folder + QLatin1Char('/') + name + QStringLiteral(".cmd");
}

// True when a program answers on the socket.
bool SomeoneListens(const QString& path) {
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool connected = probe.waitForConnected(kConnectWaitMs);
    probe.abort();
    return connected;
}

class LocalCommandListener final : public QObject, public CommandListener {
public:
    explicit LocalCommandListener(std::string family) : m_family(std::move(family)) {
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        QObject::connect(&m_server, &QLocalServer::newConnection, this, [this] { acceptConnections(); });
    }

    ~LocalCommandListener() override { m_server.close(); }

    bool Listen() override {
        for (int index = 1; index <= kMaxChannels; ++index) {
            const QString path = ChannelPath(m_family, index);
            if (path.isEmpty())
                return false;
            // Listening replaces whatever has the name (the socket is made under another
            // name and renamed), so a live program is asked first.
            if (SomeoneListens(path))
                continue;
            // Left behind by a program that ended without closing it, or free.
            QLocalServer::removeServer(path);
            if (m_server.listen(path))
                return true;
        }
        return false;
    }

    std::string ChannelName() const override {
        return m_server.isListening() ? m_server.fullServerName().toStdString() : std::string();
    }

private:
    void acceptConnections() {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            auto buffer = std::make_shared<QByteArray>();
            auto done = std::make_shared<bool>(false);
            auto finish = [this, socket, buffer, done](bool deliverIt) {
                if (*done)
                    return;
                *done = true;
                socket->abort();
                socket->deleteLater();
                ChannelCommand command;
                if (deliverIt && ParseChannelCommand(buffer->toStdString(), command))
                    deliver(command);
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, done, finish] {
                if (*done)
                    return;
                buffer->append(socket->read(kMaxCommandBytes + 1 - buffer->size()));
                if (buffer->size() > kMaxCommandBytes)
                    finish(false); // too long to be a command
                else if (buffer->contains('\n'))
                    finish(true);
            });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, buffer, done, finish] {
                if (*done)
                    return;
                if (socket->isOpen())
                    buffer->append(socket->read(kMaxCommandBytes + 1 - buffer->size()));
                finish(buffer->size() <= kMaxCommandBytes);
            });
            QTimer::singleShot(kConnectionLimitMs, socket, [finish] { finish(false); });
        }
    }

    std::string m_family;
    QLocalServer m_server;
};

} // namespace

std::unique_ptr<CommandListener> CreateCommandListener(const std::string& family) {
    return std::make_unique<LocalCommandListener>(family);
}

bool SendChannelCommand(const std::string& family, ChannelCommand command) {
    const QByteArray line =
        QByteArray::number(command.command) + ' ' + QByteArray::number(qint64(command.param)) + '\n';
    for (int index = 1; index <= kMaxChannels; ++index) {
        const QString path = ChannelPath(family, index);
        if (path.isEmpty())
            return false;
        QLocalSocket socket;
        socket.connectToServer(path, QIODevice::WriteOnly);
        if (!socket.waitForConnected(kConnectWaitMs))
            continue;
        socket.write(line);
        const bool written = socket.waitForBytesWritten(kWriteWaitMs);
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(kWriteWaitMs);
        return written;
    }
    return false;
}

} // namespace marlune::platform

#endif
