#include "sim/ReplyWriter.h"

#include "sim/Noise.h"
#include "text/CNumber.h"

#include <algorithm>

namespace marlune::sim {

namespace {

constexpr long long kDefaultPiece = 64 * 1024;

// What a generated body is made of: readable text lines, 64 bytes each.
constexpr std::string_view kFillerLine = "marlune-sim filler 0123456789 abcdefghijklmnopqrstuvwxyz ABCDEF\n";
static_assert(kFillerLine.size() == 64);

std::string NoLineBreaks(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
               text.end());
    return text;
}

} // namespace

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 407:
        return "Proxy Authentication Required";
    case 408:
        return "Request Timeout";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return status < 300 ? "OK" : "Error";
    }
}

HttpReply ErrorReply(int status) {
    HttpReply reply;
    reply.status = status;
    reply.contentType = "text/html; charset=utf-8";
    const std::string title = Format("%d %s", status, ReasonPhrase(status));
    reply.body =
        "<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1></body></html>\n";
    return reply;
}

void WriteReply(HttpConnection& connection, const HttpReply& reply, const Fault& fault, bool headOnly) {
    if (fault.hang) {
        connection.WaitForStop();
        return;
    }
    if (fault.delayMs > 0 && !connection.Wait(std::chrono::milliseconds(fault.delayMs))) {
        return;
    }

    HttpReply actual = reply;
    if (fault.status != 0 && fault.status != reply.status) {
        const HttpReply error = ErrorReply(fault.status);
        actual.status = error.status;
        actual.contentType = error.contentType;
        actual.body = error.body;
    }
    if (fault.body) {
        actual.body = *fault.body;
    }
    const bool generated = fault.bodySize >= 0;
    const long long total = generated ? fault.bodySize : static_cast<long long>(actual.body.size());
    const long long toSend = fault.truncateAt >= 0 ? std::min(fault.truncateAt, total) : total;

    std::string head = Format("HTTP/1.1 %d %s\r\n", actual.status, ReasonPhrase(actual.status));
    head += "Server: marlune-sim\r\n";
    head += "Content-Type: " + actual.contentType + "\r\n";
    if (fault.framing == BodyFraming::kContentLength) {
        head += Format("Content-Length: %lld\r\n", total);
    } else if (fault.framing == BodyFraming::kChunked) {
        head += "Transfer-Encoding: chunked\r\n";
    }
    head += "Cache-Control: no-cache\r\n";
    if (!fault.location.empty()) {
        head += "Location: " + NoLineBreaks(fault.location) + "\r\n";
    }
    for (const auto& [name, value] : actual.headers) {
        head += NoLineBreaks(name) + ": " + NoLineBreaks(value) + "\r\n";
    }
    // A reply whose end the client can tell (its length, or the last chunk) and that sends
    // exactly what it promises keeps the connection for the next request, as real servers
    // do; a reply that ends with the connection, or breaks that promise, closes it.
    const bool keepOpen = connection.MayKeepOpen() && fault.framing != BodyFraming::kClose &&
                          fault.truncateAt < 0 && fault.extraBytes == 0;
    head += keepOpen ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (headOnly) {
        if (connection.Send(head) && keepOpen)
            connection.KeepOpen();
        return;
    }

    auto bodyBytes = [&](long long offset, long long count) {
        std::string bytes;
        if (generated) {
            bytes.reserve(static_cast<std::size_t>(count));
            std::size_t phase = static_cast<std::size_t>(offset % kFillerLine.size());
            while (bytes.size() < static_cast<std::size_t>(count)) {
                const std::size_t take =
                    std::min(kFillerLine.size() - phase, static_cast<std::size_t>(count) - bytes.size());
                bytes.append(kFillerLine.substr(phase, take));
                phase = 0;
            }
        } else {
            bytes = actual.body.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
        }
        if (fault.garbage) {
            for (long long i = 0; i < count; ++i) {
                const std::uint64_t bits = Mix(static_cast<std::uint64_t>(offset + i) / 8 + 0x6A7BA6E);
                bytes[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (8 * ((offset + i) % 8)));
            }
        }
        return bytes;
    };

    // The head goes out with the first piece of the body, and the last chunk with the last
    // piece: a reply in one segment, which a client on a kept connection reads at once
    // (a head alone would hold the body back until the client's delayed acknowledgement).
    std::string out = std::move(head);
    const long long piece = fault.pieceBytes > 0 ? fault.pieceBytes : kDefaultPiece;
    for (long long offset = 0; offset < toSend; offset += piece) {
        const long long count = std::min(piece, toSend - offset);
        std::string bytes = bodyBytes(offset, count);
        if (fault.framing == BodyFraming::kChunked) {
            bytes = Format("%llx\r\n", count) + bytes + "\r\n";
        }
        out += bytes;
        if (offset + count >= total) {
            break; // the last piece: sent below
        }
        if (!connection.Send(out)) {
            return;
        }
        out.clear();
        if (fault.pieceDelayMs > 0 && offset + count < toSend &&
            !connection.Wait(std::chrono::milliseconds(fault.pieceDelayMs))) {
            return;
        }
    }
    if (toSend < total) {
        connection.Send(out);
        return; // cut short: the connection closes with the promise unkept
    }
    if (fault.framing == BodyFraming::kChunked) {
        out += "0\r\n\r\n";
    }
    if (!connection.Send(out)) {
        return;
    }
    if (keepOpen) {
        connection.KeepOpen();
    }
    for (long long offset = 0; offset < fault.extraBytes; offset += kDefaultPiece) {
        const long long count = std::min(kDefaultPiece, fault.extraBytes - offset);
        std::string extra(static_cast<std::size_t>(count), 'X');
        if (!connection.Send(extra)) {
            return;
        }
    }
}

} // namespace marlune::sim
