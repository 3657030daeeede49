#include "net/TextFetch.h"

#include "net/CurlGlobal.h"
#include "net/FetchJob.h"
#include "net/RedirectRule.h"

#include <curl/curl.h>
#include <memory>
#include <new>

namespace marlune {
namespace {

constexpr const char* kUserAgent = "Marlune";

struct CurlEasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct BodySink {
    std::string* body;
    std::size_t limit;
};

// Called by libcurl with each piece of the body; returning less than offered aborts
// the transfer. No exception may leave it, since libcurl is C.
std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<BodySink*>(context);
    const std::size_t bytes = size * count;
    if (bytes > sink->limit - sink->body->size())
        return 0;
    try {
        sink->body->append(data, bytes);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return bytes;
}

// libcurl's progress hook: a non-zero return ends the transfer.
int CheckCancelled(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancelled = static_cast<const std::function<bool()>*>(context);
    try {
        return (*cancelled)() ? 1 : 0;
    } catch (...) {
        return 1;
    }
}

struct RedirectCheck {
    CURL* handle;
    const std::string* requestUrl;
};

// Each header line: a redirect to a host the request may not reach ends the transfer.
std::size_t CheckRedirect(char* data, std::size_t size, std::size_t count, void* context) {
    const auto* check = static_cast<const RedirectCheck*>(context);
    const std::size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(check->handle, CURLINFO_RESPONSE_CODE, &status);
    const char* current = nullptr;
    curl_easy_getinfo(check->handle, CURLINFO_EFFECTIVE_URL, &current);
    try {
        const bool refused =
            IsRefusedRedirectHeader(status, std::string_view(data, bytes), *check->requestUrl,
                                    current != nullptr ? current : *check->requestUrl, nullptr);
        return refused ? 0 : bytes;
    } catch (...) {
        return 0;
    }
}

} // namespace

HttpGetResult HttpGet(const HttpGetRequest& request) {
    HttpGetResult result;
    if (!EnsureCurlGlobalInit())
        return result;
    CurlEasy curl(curl_easy_init());
    if (!curl)
        return result;
    CURL* handle = curl.get();
    BodySink sink{&result.body, request.maxBodyBytes};
    RedirectCheck redirectCheck{handle, &request.url};

    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, request.connectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, request.totalTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    if (request.followRedirects) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, CheckRedirect);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &redirectCheck);
    }
    if (request.cancelled) {
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CheckCancelled);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &request.cancelled);
    }
    ApplyDownloadProxy(handle, request.proxy);
    if (!request.proxy.user.empty() && !DownloadProxyUrl(request.proxy).empty()) {
        // Whatever scheme the proxy asks for (Basic, Digest, NTLM).
        curl_easy_setopt(handle, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }

    if (curl_easy_perform(handle) != CURLE_OK) {
        result.body.clear();
        return result;
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    result.transferred = true;
    return result;
}

TextFetchResult TextFetch(const std::string& url, const DownloadProxy& proxy) {
    return TextFetch(url, proxy, {});
}

TextFetchResult TextFetch(const std::string& url, const DownloadProxy& proxy,
                          std::function<bool()> cancelled) {
    HttpGetRequest request;
    request.url = url;
    request.proxy = proxy;
    request.cancelled = std::move(cancelled);
    HttpGetResult reply = HttpGet(request);
    if (!reply.transferred || reply.status != 200)
        return {};
    return {true, std::move(reply.body)};
}

TextFetchResult TextFetch(const std::string& url) {
    return TextFetch(url, CurrentDownloadProxy());
}

} // namespace marlune
