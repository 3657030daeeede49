#include "net/ServiceEndpoints.h"

#include <array>
#include <cctype>
#include <mutex>
#include <optional>

namespace marlune {
namespace {

using EndpointTable = std::array<ServiceEndpoint, kServiceCount>;

EndpointTable DefaultEndpoints() {
    // In the order of the Service enumeration.
    return {{
        {"http://hq.sinajs.cn", "http://finance.sina.com.cn/"},
        {"http://api.money.126.net/data/feed", "http://money.163.com/"},
        {"http://www.google.com.hk", "http://www.google.com.hk/"},
        {"http://image.hexun.com", "http://www.hexun.com/"},
        {"http://suggest3.sinajs.cn", "http://finance.sina.com.cn/"},
        {"http://www.orvento.example", "http://www.orvento.example/"},
        {"http://www2.orvento.example", "http://www2.orvento.example/"},
        {"http://web.ifzq.gtimg.cn", "http://gu.qq.com/"},
        // Tencent and East Money answer without a Referer.
        {"http://qt.gtimg.cn", ""},
        {"http://push2.eastmoney.com", ""},
        {"http://fundgz.1234567.com.cn", "http://fund.eastmoney.com/"},
    }};
}

std::mutex& TableMutex() {
    static std::mutex mutex;
    return mutex;
}

EndpointTable& Table() {
    static EndpointTable table = DefaultEndpoints();
    return table;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

ServiceEndpoint GetServiceEndpoint(Service service) {
    std::lock_guard<std::mutex> lock(TableMutex());
    return Table()[static_cast<std::size_t>(service)];
}

std::string ServiceBaseUrl(Service service) {
    return GetServiceEndpoint(service).baseUrl;
}

std::string ServiceHeaderBlock(Service service) {
    const std::string homePage = GetServiceEndpoint(service).homePage;
    if (homePage.empty())
        return "Accept: */*\r\n";
    return "Accept: */*\r\nReferer: " + homePage + "\r\n";
}

namespace {

// The base URL without its trailing slashes, or nothing when it is not usable.
std::optional<std::string_view> UsableBaseUrl(std::string_view baseUrl) {
    std::size_t schemeLength = 0;
    if (StartsWithNoCase(baseUrl, "http://")) {
        schemeLength = 7;
    } else if (StartsWithNoCase(baseUrl, "https://")) {
        schemeLength = 8;
    } else {
        return std::nullopt;
    }
    for (unsigned char c : baseUrl) {
        if (c <= ' ' || c == 0x7f) {
            return std::nullopt;
        }
    }
    while (baseUrl.size() > schemeLength && baseUrl.back() == '/') {
        baseUrl.remove_suffix(1);
    }
    // A host must follow the scheme, and a query or fragment cannot take a path.
    if (baseUrl.size() == schemeLength || baseUrl[schemeLength] == '/' ||
        baseUrl.find_first_of("?#") != std::string_view::npos) {
        return std::nullopt;
    }
    return baseUrl;
}

} // namespace

bool IsServiceBaseUrl(std::string_view baseUrl) {
    return UsableBaseUrl(baseUrl).has_value();
}

bool PointAllServicesAt(std::string_view baseUrl) {
    const std::optional<std::string_view> usable = UsableBaseUrl(baseUrl);
    if (!usable) {
        return false;
    }
    std::lock_guard<std::mutex> lock(TableMutex());
    for (ServiceEndpoint& endpoint : Table()) {
        endpoint.baseUrl = std::string(*usable);
    }
    return true;
}

void RestoreDefaultServices() {
    std::lock_guard<std::mutex> lock(TableMutex());
    Table() = DefaultEndpoints();
}

} // namespace marlune
