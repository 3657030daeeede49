// Loopback sockets on Windows (Winsock 2).
#if defined(_WIN32)

#include "platform/os/Sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <vector>

namespace marlune::os {
namespace {

// Winsock wants one start per process before any socket call; it is never ended, as
// sockets may live until the program ends.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET Native(Socket socket) {
    return static_cast<SOCKET>(socket);
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return address;
}

} // namespace

Socket ListenOnLoopback(int port, int& boundPort) {
    if (!WinsockStarted())
        return kNoSocket;
    const SOCKET listener =
        ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (listener == INVALID_SOCKET)
        return kNoSocket;
    // Windows lets SO_REUSEADDR take a port another program listens on: exclusive use instead.
    const BOOL yes = TRUE;
    ::setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in address = Loopback(port);
    int length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 128) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::closesocket(listener);
        return kNoSocket;
    }
    boundPort = ntohs(address.sin_port);
    return static_cast<Socket>(listener);
}

Socket AcceptConnection(Socket listener) {
    const SOCKET socket = ::accept(Native(listener), nullptr, nullptr);
    return socket == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(socket);
}

int WaitReadable(const Socket* sockets, int count, int timeoutMs) {
    std::vector<WSAPOLLFD> watched;
    for (int i = 0; i < count; ++i)
        watched.push_back({Native(sockets[i]), POLLRDNORM, 0});
    const int ready = ::WSAPoll(watched.data(), static_cast<ULONG>(watched.size()), timeoutMs);
    if (ready < 0)
        return -1;
    int mask = 0;
    for (int i = 0; i < count; ++i) {
        if (watched[static_cast<std::size_t>(i)].revents != 0)
            mask |= 1 << i;
    }
    return mask;
}

long long ReceiveSome(Socket socket, char* buffer, std::size_t size) {
    const int want = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    const int count = ::recv(Native(socket), buffer, want, 0);
    return count == SOCKET_ERROR ? -1 : count;
}

long long SendSome(Socket socket, const char* bytes, std::size_t size) {
    const int want = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    const int sent = ::send(Native(socket), bytes, want, 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

void ShutdownSending(Socket socket) {
    ::shutdown(Native(socket), SD_SEND);
}

void ShutdownBoth(Socket socket) {
    ::shutdown(Native(socket), SD_BOTH);
}

void CloseSocket(Socket socket) {
    ::closesocket(Native(socket));
}

// WSAPoll waits on sockets only: the waker is a loopback datagram socket that sends
// itself one datagram.
SocketWaker::SocketWaker() {
    if (!WinsockStarted())
        return;
    const SOCKET socket =
        ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET)
        return;
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::closesocket(socket);
        return;
    }
    m_readable = m_writable = static_cast<Socket>(socket);
}

SocketWaker::~SocketWaker() {
    if (m_readable != kNoSocket)
        ::closesocket(Native(m_readable));
}

void SocketWaker::Wake() {
    const char wake = 'x';
    ::send(Native(m_writable), &wake, 1, 0);
}

} // namespace marlune::os

#endif
