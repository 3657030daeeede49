#pragma once
// Where every outside service lives: one table of base URLs and home pages.
//
// The defaults are the real public hosts (the vendor's, which does not exist, is a
// reserved .example name). The `--services URL` option points all of them at one
// base URL, the simulated market's, with PointAllServicesAt. Reads are thread-safe:
// download jobs and the GUI thread read the table while it may be changed.

#include "quote/ServiceId.h"

#include <string>
#include <string_view>

namespace marlune {

struct ServiceEndpoint {
    std::string baseUrl;  // scheme and host (and path prefix), without a trailing "/"
    std::string homePage; // sent as Referer; some services refuse requests without it
};

ServiceEndpoint GetServiceEndpoint(Service service);
std::string ServiceBaseUrl(Service service);

// The request header block of the service: "Accept: */*" CR LF "Referer: " + home
// page + CR LF; without a home page the Accept line alone.
std::string ServiceHeaderBlock(Service service);

// True for a base URL PointAllServicesAt takes (the rule below).
bool IsServiceBaseUrl(std::string_view baseUrl);

// Points every service at one base URL ("http://host:port" or with a path prefix);
// trailing slashes are dropped. The home pages are left as they are. Only http and
// https URLs with a host and without blanks or control characters are taken; for
// anything else false is returned and nothing changes.
bool PointAllServicesAt(std::string_view baseUrl);

// Back to the real public hosts.
void RestoreDefaultServices();

} // namespace marlune
