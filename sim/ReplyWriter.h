#pragma once
// Writes a reply on a connection, as it should be or broken the way a fault says.

#include "sim/Fault.h"
#include "sim/HttpServer.h"

#include <string>
#include <utility>
#include <vector>

namespace marlune::sim {

struct HttpReply {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers; // more headers
};

// The reason phrase of a status code ("Not Found").
const char* ReasonPhrase(int status);

// A small page for an error status.
HttpReply ErrorReply(int status);

// Sends the reply (only its head for HEAD requests) with the fault applied.
void WriteReply(HttpConnection& connection, const HttpReply& reply, const Fault& fault, bool headOnly);

} // namespace marlune::sim
