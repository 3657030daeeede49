#pragma once
// The network page's proxy test and the desktop's (browser's) proxy setting.

#include <string>
#include <string_view>

namespace marlune {

// Path of the small text file the proxy test fetches from the vendor's second site.
inline constexpr std::string_view kProxyTestPath = "/163.txt";

enum class DesktopProxyStatus {
    Found,       // host and port are set
    SwitchedOff, // the desktop uses no proxy
    Unreadable,  // a proxy is set but cannot be read or understood
};

struct DesktopProxy {
    DesktopProxyStatus status = DesktopProxyStatus::Unreadable;
    std::string host; // without brackets, also for an IPv6 address
    std::string port;
    std::string user; // credentials given with the setting, when it carries any
    std::string password;
};

// The desktop's proxy as the operating system keeps it. On Linux: the http_proxy
// variable of the environment, else HTTP_PROXY; unset or empty means switched off. On
// Windows: the Internet Options' proxy server (its HTTP one), when switched on.
DesktopProxy ReadIeProxy();

// Reads a proxy text: "host:port" or "http://[user:password@]host:port[/...]" (host
// may be a bracketed IPv6 address, credentials may be percent-encoded). Empty (or only
// blanks) is SwitchedOff; anything else that does not fit, or names another scheme, is
// Unreadable.
DesktopProxy ParseDesktopProxyText(std::string_view text);

// The operating system's piece of ReadIeProxy, one implementation per platform.
struct DesktopProxySetting {
    bool readable = false;
    std::string text; // the proxy text as stored; empty = switched off
};
DesktopProxySetting ReadDesktopProxySetting();

// Fetches the test file through the given HTTP proxy, with the credentials for the
// proxy. Fails when the proxy cannot be reached, the transfer breaks off, the proxy
// refuses the credentials (status 407) or the reply says "认证失败" (authentication
// failed, in GBK or UTF-8). Any other complete reply, even an error page, means the
// proxy works.
bool ProxyTest(const std::string& host, const std::string& port, const std::string& user,
               const std::string& password, const std::string& testUrl);

// As above, with the test file on the vendor's second site.
bool ProxyTest(const std::string& host, const std::string& port, const std::string& user,
               const std::string& password);

} // namespace marlune
