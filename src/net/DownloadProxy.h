#pragma once
// The proxy every download job goes through: one process-wide setting.
//
// By default the program sets no proxy of its own, so the environment's proxy
// variables apply (http_proxy, https_proxy, no_proxy, as libcurl reads them): the
// desktop's usual way of configuring a proxy on Linux. The settings dialog may
// replace that with an explicit HTTP proxy, or with the proxy the desktop reports.

#include <string>

#include <curl/curl.h>

namespace marlune {

// The values match the ProxyType key of SSTConf.xml.
enum class ProxyKind : int {
    kNone = 0,    // no proxy set by the program: the environment's proxy variables apply
    kHttp = 1,    // an explicit HTTP proxy host:port, with optional user and password
    kDesktop = 2, // the desktop's proxy: host and port as the desktop reports them, or,
                  // when no host is given, the environment's proxy variables
};

struct DownloadProxy {
    ProxyKind kind = ProxyKind::kNone;
    std::string host;
    std::string port;
    std::string user;
    std::string password;
};

// Replaces the process-wide setting; thread-safe. A setting that names a host must
// also name a port from 1 to 65535 and hold no blanks or control characters in host
// and port; such a setting is refused (false) and the previous one stays.
bool SetDownloadProxy(const DownloadProxy& proxy);

// A copy of the current setting; thread-safe.
DownloadProxy CurrentDownloadProxy();

// The proxy URL libcurl is given for the setting, or empty when the environment's
// variables apply.
std::string DownloadProxyUrl(const DownloadProxy& proxy);

// Applies the setting to a libcurl easy handle before its transfer.
void ApplyDownloadProxy(CURL* easy, const DownloadProxy& proxy);

} // namespace marlune
