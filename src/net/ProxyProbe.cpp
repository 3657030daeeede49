#include "net/ProxyProbe.h"

#include "net/ServiceEndpoints.h"
#include "net/TextFetch.h"
#include "text/CNumber.h"
#include "text/Gbk.h"

#include <cctype>

namespace marlune {
namespace {

constexpr long kProxyTestConnectTimeoutMs = 5000;
constexpr long kProxyTestTotalTimeoutMs = 20000;
constexpr long kProxyAuthenticationRequired = 407;
constexpr std::string_view kAuthenticationFailed = "认证失败";

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Credentials in a proxy URL are percent-encoded; a broken escape is kept as it is.
std::string PercentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

bool IsHostName(std::string_view host) {
    if (host.empty())
        return false;
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            return false;
    }
    return true;
}

bool IsIpv6Literal(std::string_view host) {
    if (host.empty())
        return false;
    for (char c : host) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
            return false;
    }
    return true;
}

bool IsPort(std::string_view port) {
    if (port.empty() || port.size() > 5)
        return false;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

} // namespace

DesktopProxy ParseDesktopProxyText(std::string_view text) {
    DesktopProxy proxy;
    text = TrimBlanks(text);
    if (text.empty()) {
        proxy.status = DesktopProxyStatus::SwitchedOff;
        return proxy;
    }
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd != std::string_view::npos) {
        if (!EqualsNoCase(text.substr(0, schemeEnd), "http"))
            return proxy; // another kind of proxy than the HTTP proxy we can use
        text.remove_prefix(schemeEnd + 3);
    }
    std::string_view authority = text.substr(0, text.find('/'));
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t colon = userInfo.find(':');
        proxy.user = PercentDecode(userInfo.substr(0, colon));
        if (colon != std::string_view::npos)
            proxy.password = PercentDecode(userInfo.substr(colon + 1));
        authority.remove_prefix(at + 1);
    }

    std::string_view host;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos || authority.substr(close + 1, 1) != ":")
            return proxy;
        host = authority.substr(1, close - 1);
        port = authority.substr(close + 2);
        if (!IsIpv6Literal(host))
            return proxy;
    } else {
        const std::size_t colon = authority.rfind(':');
        if (colon == std::string_view::npos)
            return proxy;
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (!IsHostName(host))
            return proxy;
    }
    if (!IsPort(port))
        return proxy;
    proxy.host = std::string(host);
    proxy.port = std::string(port);
    proxy.status = DesktopProxyStatus::Found;
    return proxy;
}

DesktopProxy ReadIeProxy() {
    const DesktopProxySetting setting = ReadDesktopProxySetting();
    if (!setting.readable)
        return DesktopProxy{};
    return ParseDesktopProxyText(setting.text);
}

bool ProxyTest(const std::string& host, const std::string& port, const std::string& user,
               const std::string& password, const std::string& testUrl) {
    if (host.empty() || port.empty())
        return false;
    HttpGetRequest request;
    request.url = testUrl;
    request.proxy = DownloadProxy{ProxyKind::kHttp, host, port, user, password};
    request.followRedirects = false;
    request.connectTimeoutMs = kProxyTestConnectTimeoutMs;
    request.totalTimeoutMs = kProxyTestTotalTimeoutMs;
    const HttpGetResult reply = HttpGet(request);
    if (!reply.transferred || reply.status == kProxyAuthenticationRequired)
        return false;
    // The proxy's refusal may come in the system code page or in UTF-8.
    const std::string refusalGbk = Utf8ToGbk(kAuthenticationFailed);
    return reply.body.find(refusalGbk) == std::string::npos &&
           reply.body.find(kAuthenticationFailed) == std::string::npos;
}

bool ProxyTest(const std::string& host, const std::string& port, const std::string& user,
               const std::string& password) {
    return ProxyTest(host, port, user, password,
                     ServiceBaseUrl(Service::kVendorSecondSite) + std::string(kProxyTestPath));
}

} // namespace marlune
