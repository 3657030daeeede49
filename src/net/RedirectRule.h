#pragma once
// Where a download may be redirected to.
//
// A server (or anyone between it and the program: the services are plain HTTP) could
// send the program's requests on to any address, loopback and LAN services included.
// A redirect is followed only to the host the job first asked, to another host of its
// own domain (hq.sinajs.cn to www.sinajs.cn), or to a host of the service table.

#include <string>
#include <string_view>

namespace marlune {

// The host of an absolute URL, in lower case and without brackets or port; empty when
// the URL has none.
std::string UrlHost(std::string_view url);

// The domain a host belongs to: its last two labels, or three where the second-to-last
// is a generic second level under a country ("google.com.hk", "sina.com.cn"). An IP
// address or a single label is its own domain.
std::string HostDomain(std::string_view host);

// Whether a job that first asked jobUrl may follow a redirect to target (an absolute
// URL, or one relative to currentUrl, the address that sent the redirect).
bool IsRedirectAllowed(std::string_view jobUrl, std::string_view currentUrl, std::string_view target);

// For libcurl's header hook: whether the header line is a Location header of a
// redirect (status 3xx) the job may not follow. refusedTarget gets the address.
bool IsRefusedRedirectHeader(long status, std::string_view headerLine, std::string_view jobUrl,
                             std::string_view currentUrl, std::string* refusedTarget);

} // namespace marlune
