#pragma once
// Faults that tests set on a path prefix to see how the program copes with a service
// that misbehaves.

#include <optional>
#include <string>
#include <string_view>

namespace marlune::sim {

// How the end of the body is marked.
enum class BodyFraming {
    kContentLength, // a Content-Length header (the normal case)
    kClose,         // no Content-Length: the body ends when the connection closes
    kChunked,       // Transfer-Encoding: chunked
};

struct Fault {
    int status = 0;    // answer with this status instead of the normal one (0: keep it)
    int delayMs = 0;   // wait this long before answering
    bool hang = false; // never answer: hold the connection until the server stops
    // Send only this many bytes of the body, then close; the headers still promise the
    // whole body. Negative: send it all.
    long long truncateAt = -1;
    BodyFraming framing = BodyFraming::kContentLength;
    bool garbage = false;            // random bytes of the same length instead of the body
    std::optional<std::string> body; // this body instead of the normal one
    long long bodySize = -1;         // a generated body of this many bytes instead (huge replies)
    long long extraBytes = 0;        // bytes sent beyond the promised Content-Length
    std::string location;            // a Location header, for redirects
    int pieceBytes = 0;              // send the body in pieces of this many bytes ...
    int pieceDelayMs = 0;            // ... with this pause between two pieces
    int times = -1;                  // the fault applies to this many requests, then goes; -1: until cleared
};

// A fault from the parameters of the control request /__sim/fault, e.g.
// "prefix=/rn=&status=500&delay=200". Parameters: status, delay, hang=1, truncate=N,
// length=close|chunked|normal, garbage=1, body=TEXT (%-encoded), size=N, extra=N,
// location=URL, piece=N, pieceDelay=MS, times=N. The prefix itself is read by the
// caller. Nothing for an unknown parameter or a value that is not a number.
std::optional<Fault> ParseFaultQuery(std::string_view query, std::string* error);

} // namespace marlune::sim
