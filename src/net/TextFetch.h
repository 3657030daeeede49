#pragma once
// Small synchronous downloads: the update and new-stock files (TextFetch) and the proxy
// test's text file. Blocking: callers run them off the GUI thread.

#include "net/DownloadProxy.h"

#include <cstddef>
#include <functional>
#include <string>

namespace marlune {

// One GET request with the knobs the small downloads need.
struct HttpGetRequest {
    std::string url;
    DownloadProxy proxy;         // the default: the environment's proxy variables apply
    bool followRedirects = true; // up to kMaxRedirects, as download jobs follow them
    long connectTimeoutMs = 2000;
    long totalTimeoutMs = 30000; // a server that accepts and never answers ends here
    std::size_t maxBodyBytes = 4u * 1024u * 1024u;
    // Asked about once a second while the transfer runs (from the transfer's thread);
    // true stops it, and the request fails. Empty: never stopped early.
    std::function<bool()> cancelled;
};

struct HttpGetResult {
    bool transferred = false; // a complete reply arrived (any status)
    long status = 0;          // its HTTP status code
    std::string body;         // the whole body, exactly as sent
};

// Performs the request. A transfer that fails to connect, times out, breaks off before
// its Content-Length or sends more than maxBodyBytes is not transferred.
HttpGetResult HttpGet(const HttpGetRequest& request);

struct TextFetchResult {
    bool ok = false;
    std::string body;
};

// Fetches a small text file: status 200 and the whole body (at most 4 MB), or failure.
// Connect time-out 2 s, the whole transfer at most 30 s. Up to kMaxRedirects redirects
// are followed, to http and https only, through the same proxy.
TextFetchResult TextFetch(const std::string& url, const DownloadProxy& proxy);

// As above through the process-wide download proxy setting.
TextFetchResult TextFetch(const std::string& url);

// As above, stopped (failed) soon after cancelled() turns true: for callers that must
// not wait for a slow server when they end.
TextFetchResult TextFetch(const std::string& url, const DownloadProxy& proxy,
                          std::function<bool()> cancelled);

} // namespace marlune
