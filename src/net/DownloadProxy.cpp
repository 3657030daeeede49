#include "net/DownloadProxy.h"

#include "text/CNumber.h"

#include <curl/curl.h>

#include <mutex>

namespace marlune {
namespace {

std::mutex& ProxyMutex() {
    static std::mutex mutex;
    return mutex;
}

DownloadProxy& ProxySetting() {
    static DownloadProxy setting;
    return setting;
}

bool IsCleanText(const std::string& text) {
    for (unsigned char c : text) {
        if (c <= ' ' || c == 0x7f) {
            return false;
        }
    }
    return true;
}

bool IsValidPort(const std::string& port) {
    if (port.empty() || port.size() > 5) {
        return false;
    }
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    const int value = AtoI(port);
    return value >= 1 && value <= 65535;
}

} // namespace

bool SetDownloadProxy(const DownloadProxy& proxy) {
    const bool namesHost = proxy.kind != ProxyKind::kNone && !proxy.host.empty();
    if (proxy.kind == ProxyKind::kHttp && proxy.host.empty()) {
        return false;
    }
    if (namesHost && (!IsCleanText(proxy.host) || !IsValidPort(proxy.port))) {
        return false;
    }
    std::lock_guard<std::mutex> lock(ProxyMutex());
    ProxySetting() = proxy;
    return true;
}

DownloadProxy CurrentDownloadProxy() {
    std::lock_guard<std::mutex> lock(ProxyMutex());
    return ProxySetting();
}

std::string DownloadProxyUrl(const DownloadProxy& proxy) {
    if (proxy.kind == ProxyKind::kNone || proxy.host.empty()) {
        return {};
    }
    // An IPv6 address needs brackets to keep its colons apart from the port.
    const bool ipv6 = proxy.host.find(':') != std::string::npos && proxy.host.front() != '[';
    return "http://" + (ipv6 ? "[" + proxy.host + "]" : proxy.host) + ":" + proxy.port;
}

void ApplyDownloadProxy(CURL* easy, const DownloadProxy& proxy) {
    const std::string url = DownloadProxyUrl(proxy);
    if (url.empty()) {
        return; // libcurl's own handling of the proxy environment variables
    }
    curl_easy_setopt(easy, CURLOPT_PROXY, url.c_str());
    // An explicit proxy takes every request, whatever no_proxy says.
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    if (!proxy.user.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy.user.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy.password.c_str());
    }
}

} // namespace marlune
