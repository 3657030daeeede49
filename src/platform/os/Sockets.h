#pragma once
// TCP sockets on the loopback interface, as the simulated market serves them: the few
// calls it needs, the same on every system.

#include <cstddef>
#include <cstdint>

namespace marlune::os {

using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// A listening socket on 127.0.0.1 (port 0: a free one, told in boundPort), or kNoSocket.
Socket ListenOnLoopback(int port, int& boundPort);
// The next waiting connection, or kNoSocket.
Socket AcceptConnection(Socket listener);
// Waits up to timeoutMs until one of the sockets can be read (or a listener has a
// connection waiting). Returns a bit mask of the ready ones (bit i for sockets[i]; at
// most 31), 0 when none became ready or a signal came first, -1 on an error.
int WaitReadable(const Socket* sockets, int count, int timeoutMs);
// Bytes received, 0 when the peer has closed, -1 on an error.
long long ReceiveSome(Socket socket, char* buffer, std::size_t size);
// Bytes sent, -1 on an error (a peer that has gone never raises a signal).
long long SendSome(Socket socket, const char* bytes, std::size_t size);
void ShutdownSending(Socket socket);
// Ends both directions: a thread waiting on the socket wakes up.
void ShutdownBoth(Socket socket);
void CloseSocket(Socket socket);

// Something WaitReadable can wait on beside sockets, made readable from another thread.
class SocketWaker {
public:
    SocketWaker();
    ~SocketWaker();
    SocketWaker(const SocketWaker&) = delete;
    SocketWaker& operator=(const SocketWaker&) = delete;

    bool IsOpen() const { return m_readable != kNoSocket; }
    Socket Readable() const { return m_readable; }
    void Wake();

private:
    Socket m_readable = kNoSocket;
    Socket m_writable = kNoSocket;
};

} // namespace marlune::os
