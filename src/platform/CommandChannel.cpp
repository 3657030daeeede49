#include "platform/CommandChannel.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace marlune::platform {

namespace {

bool ReadNumber(const char*& p, long& value) {
    const char* start = p;
    if (*p == '-' || *p == '+')
        ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtol(start, &end, 10);
    if (errno == ERANGE)
        return false;
    p = end;
    return true;
}

void SkipBlanks(const char*& p) {
    while (*p == ' ' || *p == '\t')
        ++p;
}

} // namespace

bool ParseChannelCommand(const std::string& text, ChannelCommand& parsed) {
    if (text.find('\0') != std::string::npos)
        return false;
    const char* p = text.c_str();
    SkipBlanks(p);
    long command = 0;
    if (!ReadNumber(p, command) || command < INT_MIN || command > INT_MAX)
        return false;
    long param = 0;
    SkipBlanks(p);
    if (*p != '\0' && *p != '\r' && *p != '\n' && !ReadNumber(p, param))
        return false;
    SkipBlanks(p);
    if (*p == '\r')
        ++p;
    if (*p == '\n')
        ++p;
    if (*p != '\0')
        return false;
    parsed.command = static_cast<int>(command);
    parsed.param = param;
    return true;
}

} // namespace marlune::platform
