#pragma once
// A plain-socket HTTP client for the server tests: it sends exactly the bytes given and
// returns exactly the bytes received, so broken replies can be seen as they are.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace marlune::sim::testing {

struct RawReply {
    bool connected = false;
    bool closedByServer = false; // the server closed (EOF) rather than the time running out
    std::string bytes;           // everything received

    int Status() const;
    std::string Head() const;                        // up to the blank line
    std::string Body() const;                        // after the blank line
    std::string Header(std::string_view name) const; // empty when absent
    bool HasHeader(std::string_view name) const;
};

// Connects to 127.0.0.1:port, sends the request and reads until the server closes or
// the time is up.
RawReply SendRaw(int port, std::string_view request,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// A GET with the given extra header lines (each ending in CR LF) and "Connection: close",
// as a client that reads the reply to the end of the connection asks.
RawReply Get(int port, std::string_view target, std::string_view extraHeaders = {},
             std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// The body of a chunked reply decoded; false when the chunks are malformed or unfinished.
bool DecodeChunked(std::string_view body, std::string& decoded);

} // namespace marlune::sim::testing
