#pragma once
// A scripted HTTP server on loopback for the download tests: each connection runs
// the test's script, which sends whatever bytes it likes (wrong lengths, garbage,
// stalls, a server that never answers).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace marlune::test {

class ScriptedConnection {
public:
    ScriptedConnection(int socket, const std::atomic<bool>& stopping)
        : m_socket(socket), m_stopping(stopping) {}

    const std::string& request() const { return m_request; }
    bool stopping() const { return m_stopping.load(); }

    // Sends the bytes a few at a time with a pause between, until the client goes or
    // the server stops: a server that never finishes and never stalls.
    void trickle(std::string_view bytes, int pauseMs) {
        for (;;) {
            for (char c : bytes) {
                if (stopping() || !send(std::string_view(&c, 1))) {
                    return;
                }
            }
            pause(pauseMs);
        }
    }

    bool readRequest() {
        char buffer[4096];
        while (m_request.find("\r\n\r\n") == std::string::npos) {
            if (!waitReadable()) {
                return false;
            }
            const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
            if (got <= 0) {
                return false;
            }
            m_request.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }

    // Sleeps, but wakes when the server stops.
    void pause(int milliseconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!m_stopping.load() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Keeps the connection open without answering until the server stops.
    void hang() {
        while (!m_stopping.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

private:
    bool waitReadable() {
        while (!m_stopping.load()) {
            pollfd fd{m_socket, POLLIN, 0};
            const int ready = ::poll(&fd, 1, 20);
            if (ready > 0) {
                return true;
            }
            if (ready < 0) {
                return false;
            }
        }
        return false;
    }

    int m_socket;
    const std::atomic<bool>& m_stopping;
    std::string m_request;
};

class ScriptedHttpServer {
public:
    using Script = std::function<void(ScriptedConnection&)>;

    explicit ScriptedHttpServer(Script script) : m_script(std::move(script)) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 16);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }

    ~ScriptedHttpServer() {
        m_stopping.store(true);
        m_acceptor.join();
        for (std::thread& handler : m_handlers) {
            handler.join();
        }
        ::close(m_listener);
    }

    int port() const { return m_port; }
    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    // Waits until the given number of requests has arrived (or the time is up).
    bool waitForRequests(std::size_t count, int milliseconds = 5000) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [&] { return m_requests.size() >= count; });
    }

    // A complete reply with the given status line text and body.
    static std::string reply(const std::string& status, const std::string& body, bool withLength = true,
                             const std::string& extraHeaders = "") {
        std::string head = "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + extraHeaders;
        if (withLength) {
            head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        }
        return head + "\r\n" + body;
    }

private:
    void acceptLoop() {
        while (!m_stopping.load()) {
            pollfd fd{m_listener, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0) {
                continue;
            }
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) {
                continue;
            }
            m_handlers.emplace_back([this, client] {
                ScriptedConnection connection(client, m_stopping);
                if (connection.readRequest()) {
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_requests.push_back(connection.request());
                    }
                    m_arrived.notify_all();
                    m_script(connection);
                }
                ::shutdown(client, SHUT_RDWR);
                ::close(client);
            });
        }
    }

    Script m_script;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptor;
    std::vector<std::thread> m_handlers; // touched by the acceptor thread only until it is joined
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::string> m_requests;
};

} // namespace marlune::test
