#include "RawHttp.h"

#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marlune::sim::testing {

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

int RawReply::Status() const {
    if (bytes.size() < 12 || bytes.compare(0, 5, "HTTP/") != 0) {
        return -1;
    }
    return std::stoi(bytes.substr(9, 3));
}

std::string RawReply::Head() const {
    return bytes.substr(0, bytes.find("\r\n\r\n"));
}

std::string RawReply::Body() const {
    const std::size_t end = bytes.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : bytes.substr(end + 4);
}

bool RawReply::HasHeader(std::string_view name) const {
    const std::string head = Lower(Head());
    return head.find("\r\n" + Lower(name) + ":") != std::string::npos;
}

std::string RawReply::Header(std::string_view name) const {
    const std::string head = Head();
    const std::string lower = Lower(head);
    const std::size_t at = lower.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos) {
        return {};
    }
    std::size_t start = at + 2 + name.size() + 1;
    while (start < head.size() && head[start] == ' ') {
        ++start;
    }
    const std::size_t end = head.find("\r\n", start);
    return head.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

RawReply SendRaw(int port, std::string_view request, std::chrono::milliseconds timeout) {
    RawReply reply;
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return reply;
    }
    reply.connected = true;
    ::send(socket, request.data(), request.size(), MSG_NOSIGNAL);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[65536];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd watched{socket, POLLIN, 0};
        if (::poll(&watched, 1, 50) <= 0) {
            continue;
        }
        const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
        if (count <= 0) {
            reply.closedByServer = true;
            break;
        }
        reply.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(socket);
    return reply;
}

RawReply Get(int port, std::string_view target, std::string_view extraHeaders,
             std::chrono::milliseconds timeout) {
    std::string request = "GET " + std::string(target) +
                          " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                          std::string(extraHeaders) + "Connection: close\r\n\r\n";
    return SendRaw(port, request, timeout);
}

bool DecodeChunked(std::string_view body, std::string& decoded) {
    decoded.clear();
    std::size_t at = 0;
    while (true) {
        const std::size_t lineEnd = body.find("\r\n", at);
        if (lineEnd == std::string_view::npos) {
            return false;
        }
        const std::size_t size = std::stoul(std::string(body.substr(at, lineEnd - at)), nullptr, 16);
        at = lineEnd + 2;
        if (size == 0) {
            return body.substr(at, 2) == "\r\n";
        }
        if (at + size + 2 > body.size() || body.substr(at + size, 2) != "\r\n") {
            return false;
        }
        decoded.append(body.substr(at, size));
        at += size + 2;
    }
}

} // namespace marlune::sim::testing
