#pragma once
// libcurl's process-wide set-up, done once before the first transfer.

namespace marlune {

// Runs curl_global_init once per process, whichever thread asks first; later calls
// return at once. Returns false when libcurl could not be initialised (every
// transfer then fails).
bool EnsureCurlGlobalInit();

} // namespace marlune
