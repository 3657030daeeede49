#pragma once
// A small HTTP/1.1 server on the loopback interface, on plain sockets so that replies
// can be broken on purpose byte by byte (see ReplyWriter.h). Every connection carries
// one request and is closed after its reply; each runs on its own thread. Stop is
// prompt: it wakes every waiting handler and shuts every connection down.

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
    std::string target; // as on the request line (a proxy request carries "http://host")
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
    HttpConnection(HttpServer& server, os::Socket socket) : m_server(server), m_socket(socket) {}

    // Sends all bytes; false when the peer has gone or the server is stopping.
    bool Send(std::string_view bytes);
    // Waits; false when the server began to stop meanwhile.
    bool Wait(std::chrono::milliseconds duration);
    // Returns only when the server stops.
    void WaitForStop();

private:
    HttpServer& m_server;
    os::Socket m_socket;
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
    std::mutex m_mutex; // guards m_connections and the sockets in them
    std::list<std::unique_ptr<ConnectionSlot>> m_connections;
    std::mutex m_stopMutex;
    std::condition_variable m_stopSignal;
};

} // namespace marlune::sim
