#include "sim/HttpServer.h"

#include <cstring>
#include <tuple>

namespace marlune::sim {

namespace {

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxConnections = 256;
constexpr auto kRequestTimeout = std::chrono::seconds(10);
// How long a kept connection waits for the client's next request before it is closed.
constexpr auto kKeepAliveIdle = std::chrono::seconds(60);
constexpr int kPollSliceMs = 100;

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] - 'A' + 'a' : a[i];
        const char y = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] - 'A' + 'a' : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Parses the request line and headers; false for anything malformed.
bool ParseRequestHead(std::string_view head, HttpRequest& request) {
    std::size_t lineEnd = head.find('\n');
    std::string_view line = TrimBlanks(head.substr(0, lineEnd));
    const std::size_t firstBlank = line.find(' ');
    const std::size_t lastBlank = line.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank) {
        return false;
    }
    request.method = std::string(line.substr(0, firstBlank));
    request.target = std::string(TrimBlanks(line.substr(firstBlank + 1, lastBlank - firstBlank - 1)));
    request.version = std::string(line.substr(lastBlank + 1));
    if (request.method.empty() || request.target.empty() || line.substr(lastBlank + 1, 5) != "HTTP/") {
        return false;
    }
    while (lineEnd != std::string_view::npos) {
        const std::size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        line = TrimBlanks(
            head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start));
        if (line.empty()) {
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return false;
        }
        request.headers.emplace_back(std::string(line.substr(0, colon)),
                                     std::string(TrimBlanks(line.substr(colon + 1))));
    }
    return true;
}

// Where the head of the first request in the bytes ends, and the length of the blank line
// that ends it; npos while it has not arrived.
std::pair<std::size_t, std::size_t> HeadEnd(const std::string& received) {
    const std::size_t crlf = received.find("\r\n\r\n");
    if (crlf != std::string::npos)
        return {crlf, 4};
    return {received.find("\n\n"), 2};
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (EqualNoCase(text.substr(at, word.size()), word))
            return true;
    }
    return false;
}

// A request the connection may stay open after: HTTP/1.1, the client did not ask to close,
// and no body follows the head (the server never reads one).
bool AllowsKeepAlive(const HttpRequest& request) {
    return request.version == "HTTP/1.1" && !ContainsNoCase(request.Header("Connection"), "close") &&
           request.Header("Transfer-Encoding").empty() &&
           (request.Header("Content-Length").empty() || request.Header("Content-Length") == "0");
}

} // namespace

std::string HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

std::string HttpRequest::LocalTarget() const {
    std::string_view view = target;
    for (std::string_view scheme : {"http://", "https://"}) {
        if (view.size() > scheme.size() && EqualNoCase(view.substr(0, scheme.size()), scheme)) {
            const std::size_t slash = view.find('/', scheme.size());
            return slash == std::string_view::npos ? "/" : std::string(view.substr(slash));
        }
    }
    return target;
}

bool HttpConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (m_server.stopping()) {
            return false;
        }
        const long long sent = os::SendSome(m_socket, bytes.data(), bytes.size());
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool HttpConnection::Wait(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> lock(m_server.m_stopMutex);
    return !m_server.m_stopSignal.wait_for(lock, duration, [this] { return m_server.stopping(); });
}

void HttpConnection::WaitForStop() {
    std::unique_lock<std::mutex> lock(m_server.m_stopMutex);
    m_server.m_stopSignal.wait(lock, [this] { return m_server.stopping(); });
}

HttpServer::HttpServer(Handler handler) : m_handler(std::move(handler)) {}

HttpServer::~HttpServer() {
    Stop();
}

int HttpServer::Start(int port) {
    if (m_acceptThread.joinable()) {
        return m_port;
    }
    if (port < 0 || port > 65535) {
        return -1;
    }
    auto waker = std::make_unique<os::SocketWaker>();
    if (!waker->IsOpen()) {
        return -1;
    }
    int boundPort = -1;
    const os::Socket listenSocket = os::ListenOnLoopback(port, boundPort);
    if (listenSocket == os::kNoSocket) {
        return -1;
    }
    m_listenSocket = listenSocket;
    m_waker = std::move(waker);
    m_port = boundPort;
    m_stopping = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return m_port;
}

void HttpServer::Stop() {
    if (!m_acceptThread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stopping = true;
    }
    m_stopSignal.notify_all();
    m_waker->Wake();
    m_acceptThread.join();
    os::CloseSocket(m_listenSocket);
    m_listenSocket = os::kNoSocket;
    m_waker.reset();

    std::list<std::unique_ptr<ConnectionSlot>> connections;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& slot : m_connections) {
            if (slot->socket != os::kNoSocket) {
                os::ShutdownBoth(slot->socket);
            }
        }
        connections.swap(m_connections);
    }
    for (auto& slot : connections) {
        slot->thread.join();
    }
    m_port = -1;
}

void HttpServer::reapFinished() {
    std::list<std::unique_ptr<ConnectionSlot>> finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if ((*it)->finished) {
                finished.push_back(std::move(*it));
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& slot : finished) {
        slot->thread.join();
    }
}

void HttpServer::acceptLoop() {
    while (!stopping()) {
        const os::Socket watched[2] = {m_listenSocket, m_waker->Readable()};
        const int ready = os::WaitReadable(watched, 2, 1000);
        reapFinished();
        if (stopping()) {
            break;
        }
        if (ready <= 0 || (ready & 1) == 0) {
            continue;
        }
        const os::Socket socket = os::AcceptConnection(m_listenSocket);
        if (socket == os::kNoSocket) {
            continue;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_connections.size() >= kMaxConnections) {
            os::CloseSocket(socket); // too many at once: refuse rather than pile up threads
            continue;
        }
        ++m_accepted;
        auto slot = std::make_unique<ConnectionSlot>();
        slot->socket = socket;
        ConnectionSlot& placed = *slot;
        m_connections.push_back(std::move(slot));
        placed.thread = std::thread([this, &placed] { serve(placed); });
    }
}

void HttpServer::serve(ConnectionSlot& slot) {
    const os::Socket socket = slot.socket;
    std::string received;
    char buffer[4096];
    for (bool first = true;; first = false) {
        // The first request comes soon after the connection; the next one on a kept
        // connection whenever the client has one.
        const auto deadline = std::chrono::steady_clock::now() + (first ? kRequestTimeout : kKeepAliveIdle);
        auto [headEnd, blankLine] = HeadEnd(received);
        while (headEnd == std::string::npos && received.size() <= kMaxHeaderBytes && !stopping() &&
               std::chrono::steady_clock::now() < deadline) {
            const int ready = os::WaitReadable(&socket, 1, kPollSliceMs);
            if (ready < 0) {
                break;
            }
            if (ready == 0) {
                continue;
            }
            const long long count = os::ReceiveSome(socket, buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            received.append(buffer, static_cast<std::size_t>(count));
            std::tie(headEnd, blankLine) = HeadEnd(received);
        }

        HttpRequest request;
        const bool parsed = headEnd != std::string::npos &&
                            ParseRequestHead(std::string_view(received).substr(0, headEnd), request);
        HttpConnection connection(*this, socket, parsed && AllowsKeepAlive(request));
        if (parsed) {
            m_handler(request, connection);
        } else if (!received.empty() && !stopping()) {
            const bool tooLong = headEnd == std::string::npos && received.size() > kMaxHeaderBytes;
            connection.Send(
                tooLong ? "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Length: 0\r\n"
                          "Connection: close\r\n\r\n"
                        : "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        }
        if (!connection.KeptOpen() || stopping()) {
            break;
        }
        received.erase(0, headEnd + blankLine);
    }

    // End the reply, then read whatever the client still sends until it closes: closing
    // with unread bytes would reset the connection under a reply not yet read.
    os::ShutdownSending(socket);
    const auto drainDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!stopping() && std::chrono::steady_clock::now() < drainDeadline) {
        if (os::WaitReadable(&socket, 1, kPollSliceMs) > 0 &&
            os::ReceiveSome(socket, buffer, sizeof buffer) <= 0) {
            break;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    os::CloseSocket(socket);
    slot.socket = os::kNoSocket;
    slot.finished = true;
}

} // namespace marlune::sim
