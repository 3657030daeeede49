#include "net/RedirectRule.h"

#include "net/ServiceEndpoints.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

namespace marlune {
namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The host part of a parsed URL, lower case, IPv6 brackets and a trailing dot dropped.
std::string HostOf(CURLU* url) {
    char* host = nullptr;
    if (curl_url_get(url, CURLUPART_HOST, &host, 0) != CURLUE_OK || host == nullptr) {
        return {};
    }
    std::string text = Lower(host);
    curl_free(host);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    while (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// The host of target, resolved against base when it is relative; empty when neither
// gives one.
std::string ResolvedHost(std::string_view base, std::string_view target) {
    UrlHandle url(curl_url());
    if (!url) {
        return {};
    }
    const std::string baseText(base);
    const std::string targetText(target);
    if (!baseText.empty()) {
        curl_url_set(url.get(), CURLUPART_URL, baseText.c_str(), 0);
    }
    if (curl_url_set(url.get(), CURLUPART_URL, targetText.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return {};
    }
    return HostOf(url.get());
}

bool IsIpAddress(std::string_view host) {
    if (host.find(':') != std::string_view::npos) {
        return true; // only IPv6 addresses hold a colon once the port is gone
    }
    return !host.empty() &&
           std::all_of(host.begin(), host.end(), [](unsigned char c) { return std::isdigit(c) || c == '.'; });
}

// Second-level labels under which a country's registrations sit: "com" of "sina.com.cn".
bool IsGenericSecondLevel(std::string_view label) {
    constexpr std::array<std::string_view, 8> kLabels = {"com", "net", "org", "gov",
                                                         "edu", "co",  "ac",  "ltd"};
    return std::find(kLabels.begin(), kLabels.end(), label) != kLabels.end();
}

bool IsServiceTableHost(std::string_view host) {
    for (int i = 0; i < kServiceCount; ++i) {
        const ServiceEndpoint endpoint = GetServiceEndpoint(static_cast<Service>(i));
        if (UrlHost(endpoint.baseUrl) == host || UrlHost(endpoint.homePage) == host) {
            return true;
        }
    }
    return false;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string UrlHost(std::string_view url) {
    return ResolvedHost({}, url);
}

std::string HostDomain(std::string_view host) {
    const std::string lower = Lower(host);
    if (IsIpAddress(lower)) {
        return lower;
    }
    const std::size_t last = lower.rfind('.');
    if (last == std::string::npos || last == 0) {
        return lower;
    }
    const std::size_t second = lower.rfind('.', last - 1);
    if (second == std::string::npos) {
        return lower;
    }
    const std::string_view secondLabel = std::string_view(lower).substr(second + 1, last - second - 1);
    const bool countryTop = lower.size() - last - 1 == 2;
    if (countryTop && IsGenericSecondLevel(secondLabel) && second > 0) {
        const std::size_t third = lower.rfind('.', second - 1);
        return third == std::string::npos ? lower : lower.substr(third + 1);
    }
    return lower.substr(second + 1);
}

bool IsRedirectAllowed(std::string_view jobUrl, std::string_view currentUrl, std::string_view target) {
    const std::string targetHost = ResolvedHost(currentUrl, target);
    if (targetHost.empty()) {
        return false;
    }
    const std::string jobHost = UrlHost(jobUrl);
    if (targetHost == jobHost || IsServiceTableHost(targetHost)) {
        return true;
    }
    // Another host of the job's own domain; an address is a domain of its own.
    return !jobHost.empty() && !IsIpAddress(targetHost) && !IsIpAddress(jobHost) &&
           HostDomain(targetHost) == HostDomain(jobHost) &&
           HostDomain(jobHost).find('.') != std::string::npos;
}

bool IsRefusedRedirectHeader(long status, std::string_view headerLine, std::string_view jobUrl,
                             std::string_view currentUrl, std::string* refusedTarget) {
    constexpr std::string_view kLocation = "location:";
    if (status < 300 || status >= 400 || !StartsWithNoCase(headerLine, kLocation)) {
        return false;
    }
    const std::string_view target = Trimmed(headerLine.substr(kLocation.size()));
    if (IsRedirectAllowed(jobUrl, currentUrl, target)) {
        return false;
    }
    if (refusedTarget != nullptr) {
        *refusedTarget = std::string(target);
    }
    return true;
}

} // namespace marlune
