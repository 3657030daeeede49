#pragma once
// A small HTTP/1.1 server on the loopback interface, on plain sockets so that replies
// can be broken on purpose byte by byte (see ReplyWriter.h). Each connection runs on its
// own thread. As real servers do, a connection stays open for the client's next request
// (HTTP/1.1 keep-alive) when the client did not ask to close it and the handler sent a
// complete reply that says so (HttpConnection::KeepOpen); it is closed after a reply that
// ends with the connection, and after kKeepAliveIdle without a request. Stop is prompt: it
// wakes every waiting handler and shuts every connection down.

#include "platform/os/Sockets.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace marlune::sim {

struct HttpRequest {
    std::string method;
    std::string target;  // as on the request line (a proxy request carries "http://host")
    std::string version; // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name, compared without case; empty when absent.
    std::string Header(std::string_view name) const;
    // The target without the scheme and host of a proxy request: "/path?query".
    std::string LocalTarget() const;
};

class HttpServer;

// One accepted connection, as a handler sees it.
class HttpConnection {
public:
    HttpConnection(HttpServer& server, os::Socket socket, bool mayKeepOpen)
        : m_server(server), m_socket(socket), m_mayKeepOpen(mayKeepOpen) {}

    // The request lets the connection stay open after the reply (HTTP/1.1, no
    // "Connection: close", no request body).
    bool MayKeepOpen() const { return m_mayKeepOpen; }
    // The handler has sent a complete reply that keeps the connection open: the server
    // reads the next request from it. Nothing when the request did not allow it.
    void KeepOpen() { m_keptOpen = m_mayKeepOpen; }
    bool KeptOpen() const { return m_keptOpen; }

    // Sends all bytes; false when the peer has gone or the server is stopping.
    bool Send(std::string_view bytes);
    // Waits; false when the server began to stop meanwhile.
    bool Wait(std::chrono::milliseconds duration);
    // Returns only when the server stops.
    void WaitForStop();

private:
    HttpServer& m_server;
    os::Socket m_socket;
    bool m_mayKeepOpen;
    bool m_keptOpen = false;
};

class HttpServer {
public:
    using Handler = std::function<void(const HttpRequest&, HttpConnection&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on 127.0.0.1 (port 0: a free port). Returns the port, or -1. While
    // running, returns the current port.
    int Start(int port);
    // Stops listening, wakes and ends every connection and joins all threads.
    void Stop();
    int Port() const { return m_port; }
    // Connections accepted since the start.
    long long AcceptedConnections() const { return m_accepted.load(); }

private:
    friend class HttpConnection;
    struct ConnectionSlot {
        os::Socket socket = os::kNoSocket;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void acceptLoop();
    void serve(ConnectionSlot& slot);
    void reapFinished();
    bool stopping() const { return m_stopping.load(); }

    Handler m_handler;
    os::Socket m_listenSocket = os::kNoSocket;
    std::unique_ptr<os::SocketWaker> m_waker; // wakes the accept loop to stop
    int m_port = -1;
    std::thread m_acceptThread;
    std::atomic<bool> m_stopping{false};
    std::atomic<long long> m_accepted{0};
    std::mutex m_mutex; // guards m_connections and the sockets in them
    std::list<std::unique_ptr<ConnectionSlot>> m_connections;
    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal;
};

} // namespace marlune::sim
