// Loopback sockets on Linux and other POSIX systems.
#if !defined(_WIN32)

#include "platform/os/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace marlune::os {

Socket ListenOnLoopback(int port, int& boundPort) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return kNoSocket;
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return kNoSocket;
    }
    boundPort = ntohs(address.sin_port);
    return listener;
}

Socket AcceptConnection(Socket listener) {
    const int socket = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return socket < 0 ? kNoSocket : socket;
}

int WaitReadable(const Socket* sockets, int count, int timeoutMs) {
    std::vector<pollfd> watched;
    for (int i = 0; i < count; ++i)
        watched.push_back({static_cast<int>(sockets[i]), POLLIN, 0});
    const int ready = ::poll(watched.data(), watched.size(), timeoutMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    int mask = 0;
    for (int i = 0; i < count; ++i) {
        if (watched[static_cast<std::size_t>(i)].revents != 0)
            mask |= 1 << i;
    }
    return mask;
}

long long ReceiveSome(Socket socket, char* buffer, std::size_t size) {
    while (true) {
        const ssize_t count = ::recv(static_cast<int>(socket), buffer, size, 0);
        if (count < 0 && errno == EINTR)
            continue;
        return count;
    }
}

long long SendSome(Socket socket, const char* bytes, std::size_t size) {
    while (true) {
        const ssize_t sent = ::send(static_cast<int>(socket), bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        return sent;
    }
}

void ShutdownSending(Socket socket) {
    ::shutdown(static_cast<int>(socket), SHUT_WR);
}

void ShutdownBoth(Socket socket) {
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void CloseSocket(Socket socket) {
    ::close(static_cast<int>(socket));
}

SocketWaker::SocketWaker() {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        m_readable = ends[0];
        m_writable = ends[1];
    }
}

SocketWaker::~SocketWaker() {
    if (m_readable != kNoSocket)
        ::close(static_cast<int>(m_readable));
    if (m_writable != kNoSocket)
        ::close(static_cast<int>(m_writable));
}

void SocketWaker::Wake() {
    const char wake = 'x';
    [[maybe_unused]] const ssize_t written = ::write(static_cast<int>(m_writable), &wake, 1);
}

} // namespace marlune::os

#endif
