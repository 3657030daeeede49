// The proxy setting on Windows: the current user's Internet Options in the registry.
#if defined(_WIN32)

#include "platform/os/SystemProxy.h"

#include "platform/os/WideText.h"

#include <windows.h>

#include <string_view>

namespace marlune::os {
namespace {

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// "http=a:1;https=b:2" names a server per protocol: the HTTP one, or none. A plain
// "host:port" serves every protocol.
std::string HttpServerOf(const std::string& servers) {
    if (servers.find('=') == std::string::npos)
        return servers;
    std::size_t start = 0;
    while (start <= servers.size()) {
        std::size_t end = servers.find(';', start);
        if (end == std::string::npos)
            end = servers.size();
        std::string_view entry(servers.data() + start, end - start);
        while (!entry.empty() && entry.front() == ' ')
            entry.remove_prefix(1);
        if (entry.size() > 5 && (entry.substr(0, 5) == "http=" || entry.substr(0, 5) == "HTTP="))
            return std::string(entry.substr(5));
        start = end + 1;
    }
    return {};
}

} // namespace

std::optional<std::string> SystemProxyText() {
    DWORD enabled = 0;
    DWORD size = sizeof enabled;
    const LSTATUS enableStatus = ::RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable",
                                                RRF_RT_REG_DWORD, nullptr, &enabled, &size);
    if (enableStatus == ERROR_FILE_NOT_FOUND || (enableStatus == ERROR_SUCCESS && enabled == 0))
        return std::string(); // never set, or switched off
    if (enableStatus != ERROR_SUCCESS)
        return std::nullopt;
    size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", RRF_RT_REG_SZ, nullptr, nullptr,
                       &size) != ERROR_SUCCESS)
        return std::string(); // switched on without a server: no proxy to use
    std::wstring servers(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", RRF_RT_REG_SZ, nullptr,
                       servers.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    servers.resize(size / sizeof(wchar_t));
    while (!servers.empty() && servers.back() == L'\0')
        servers.pop_back();
    return HttpServerOf(Narrow(servers));
}

} // namespace marlune::os

#endif
