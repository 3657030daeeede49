#include "sim/Fault.h"

#include "sim/UrlQuery.h"

#include <cerrno>
#include <cstdlib>

namespace marlune::sim {

namespace {

bool ReadNumber(const std::string& text, long long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

bool ReadInt(const std::string& text, int& value) {
    long long wide = 0;
    if (!ReadNumber(text, wide) || wide < -1 || wide > 1000000000) {
        return false;
    }
    value = static_cast<int>(wide);
    return true;
}

} // namespace

std::optional<Fault> ParseFaultQuery(std::string_view query, std::string* error) {
    Fault fault;
    auto fail = [error](const std::string& message) {
        if (error != nullptr) {
            *error = message;
        }
        return std::nullopt;
    };
    std::size_t start = 0;
    while (start < query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) {
            end = query.size();
        }
        const std::string_view pair = query.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        const std::string name(pair.substr(0, equals));
        const std::string value =
            PercentDecode(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
        bool ok = true;
        if (name == "prefix") {
            continue;
        } else if (name == "status") {
            ok = ReadInt(value, fault.status) && fault.status >= 0 && fault.status <= 999;
        } else if (name == "delay") {
            ok = ReadInt(value, fault.delayMs) && fault.delayMs >= 0;
        } else if (name == "hang") {
            fault.hang = value != "0";
        } else if (name == "truncate") {
            ok = ReadNumber(value, fault.truncateAt);
        } else if (name == "length") {
            if (value == "close" || value == "none") {
                fault.framing = BodyFraming::kClose;
            } else if (value == "chunked") {
                fault.framing = BodyFraming::kChunked;
            } else {
                ok = value == "normal";
            }
        } else if (name == "garbage") {
            fault.garbage = value != "0";
        } else if (name == "body") {
            fault.body = value;
        } else if (name == "size") {
            ok = ReadNumber(value, fault.bodySize) && fault.bodySize >= 0;
        } else if (name == "extra") {
            ok = ReadNumber(value, fault.extraBytes) && fault.extraBytes >= 0;
        } else if (name == "location") {
            fault.location = value;
        } else if (name == "piece") {
            ok = ReadInt(value, fault.pieceBytes) && fault.pieceBytes >= 0;
        } else if (name == "pieceDelay") {
            ok = ReadInt(value, fault.pieceDelayMs) && fault.pieceDelayMs >= 0;
        } else if (name == "times") {
            ok = ReadInt(value, fault.times);
        } else {
            return fail("unknown parameter: " + name);
        }
        if (!ok) {
            return fail("bad value for " + name + ": " + value);
        }
    }
    return fault;
}

} // namespace marlune::sim
