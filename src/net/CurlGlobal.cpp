#include "net/CurlGlobal.h"

#include <curl/curl.h>

namespace marlune {

bool EnsureCurlGlobalInit() {
    // A function-local static is initialised exactly once, even when several
    // worker threads start their first transfer at the same moment.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

} // namespace marlune
