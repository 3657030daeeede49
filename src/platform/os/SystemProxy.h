#pragma once
// The HTTP proxy the user chose in the system's own settings.

#include <optional>
#include <string>

namespace marlune::os {

// The proxy text as the system keeps it ("host:port" or a URL), empty when no proxy is
// switched on, nothing when the setting cannot be read.
// Linux: the http_proxy variable, else HTTP_PROXY, which desktop sessions and shells set
// from the network settings. Windows: the current user's Internet Options (ProxyEnable and
// ProxyServer; of per-protocol servers "http=host:port;https=...", the HTTP one).
std::optional<std::string> SystemProxyText();

} // namespace marlune::os
