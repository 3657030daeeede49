#include "net/FetchJob.h"

#include "net/CurlGlobal.h"
#include "net/DownloadProxy.h"
#include "net/RedirectRule.h"
#include "platform/os/FileSystem.h"
#include "text/FileBytes.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace marlune {

void FetchCancelToken::Cancel() {
    m_cancelled.store(true);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_multi != nullptr) {
        curl_multi_wakeup(static_cast<CURLM*>(m_multi));
    }
    m_wake.notify_all();
}

bool FetchCancelToken::WaitFor(long milliseconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_cancelled.load(); });
    return !m_cancelled.load();
}

void FetchCancelToken::AttachMulti(void* multi) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_multi = multi;
}

struct TransferShare::State {
    CURLSH* share = nullptr;
    // One lock per kind of data libcurl shares (host names, TLS sessions and the share
    // itself), so that a host-name look-up never waits for a TLS session.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;

    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<State*>(self)->locks[static_cast<std::size_t>(data) % CURL_LOCK_DATA_LAST].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<State*>(self)->locks[static_cast<std::size_t>(data) % CURL_LOCK_DATA_LAST].unlock();
    }
};

TransferShare::TransferShare() : m_state(std::make_unique<State>()) {
    if (!EnsureCurlGlobalInit())
        return;
    CURLSH* share = curl_share_init();
    if (share == nullptr)
        return;
    const bool ready = curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &State::Lock) == CURLSHE_OK &&
                       curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &State::Unlock) == CURLSHE_OK &&
                       curl_share_setopt(share, CURLSHOPT_USERDATA, m_state.get()) == CURLSHE_OK &&
                       curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK;
    if (!ready) {
        curl_share_cleanup(share);
        return;
    }
    // Without TLS sessions (a TLS library that cannot share them) the host names still are.
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    m_state->share = share;
}

TransferShare::~TransferShare() {
    // Every transfer has ended and cleaned its handle up by now (they live inside
    // RunFetchJob), so the share is no longer in use.
    if (m_state->share != nullptr)
        curl_share_cleanup(m_state->share);
}

void* TransferShare::Handle() const {
    return m_state->share;
}

FetchSession::~FetchSession() {
    if (m_multi != nullptr)
        curl_multi_cleanup(static_cast<CURLM*>(m_multi));
}

void* FetchSession::Multi() {
    if (m_multi == nullptr && EnsureCurlGlobalInit()) {
        m_multi = curl_multi_init();
        if (m_multi != nullptr)
            curl_multi_setopt(static_cast<CURLM*>(m_multi), CURLMOPT_MAX_HOST_CONNECTIONS,
                              kConnectionsPerHost);
    }
    return m_multi;
}

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0; Trident/4.0)";

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The header block's lines as libcurl's header list; blank lines are skipped.
HeaderList BuildHeaderList(const std::string& block) {
    HeaderList list;
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find('\n', start);
        if (end == std::string::npos) {
            end = block.size();
        }
        std::string line = block.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            curl_slist* grown = curl_slist_append(list.get(), line.c_str());
            if (grown != nullptr) {
                list.release();
                list.reset(grown);
            }
        }
        start = end + 1;
    }
    return list;
}

void RemoveQuietly(const std::string& path) {
    os::RemoveFile(path);
}

// Takes the body of one reply: checks status and length when the first bytes
// arrive, then stores them in memory or in the temporary file.
class ReplyReceiver {
public:
    // jointLeft, when given, is what the replies of transfers that run together may still
    // add; each byte this one receives is taken from it.
    // The transfer whose status and length it reads is attached once made (AttachEasy).
    ReplyReceiver(const QuoteFetchJob& job, FetchCancelToken& cancel, const FetchLimits& limits,
                  const FetchProgress& progress, std::uint32_t* jointLeft = nullptr)
        : m_job(job), m_cancel(cancel), m_limits(limits), m_progress(progress),
          m_toFile(!job.replyFile.empty()), m_jointLeft(jointLeft) {}

    ~ReplyReceiver() {
        if (m_file) {
            m_file.reset();
            RemoveQuietly(m_tempPath);
        }
    }

    static size_t OnWrite(char* data, size_t size, size_t count, void* self) {
        const size_t bytes = size * count;
        return static_cast<ReplyReceiver*>(self)->receive(data, bytes) ? bytes : 0;
    }

    // Each header line; the blank line after the last header of the final reply
    // is where status and length are checked, before any body arrives. Interim
    // replies (1xx) and redirects pass: libcurl follows a redirect itself, and a 3xx
    // it does not follow fails when its body or its end arrives.
    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        const size_t bytes = size * count;
        auto* receiver = static_cast<ReplyReceiver*>(self);
        const bool blankLine =
            (bytes == 2 && data[0] == '\r' && data[1] == '\n') || (bytes == 1 && data[0] == '\n');
        if (blankLine && !receiver->m_begun && !receiver->isInterimReply()) {
            return receiver->begin() ? bytes : 0;
        }
        return receiver->checkRedirect(std::string_view(data, bytes)) ? bytes : 0;
    }

    static int OnTransferInfo(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<ReplyReceiver*>(self)->m_cancel.IsCancelled() ? 1 : 0;
    }

    // After libcurl reported a complete transfer: the status check for a reply
    // without a body, then the hand-over of the reply.
    bool finish(FetchOutcome& outcome) {
        if (!m_begun && !begin()) {
            return false;
        }
        outcome.expectedTotal = m_expectedTotal;
        outcome.bytesReceived = static_cast<std::int32_t>(m_received);
        if (!m_toFile) {
            outcome.reply = std::move(m_reply);
            return true;
        }
        std::FILE* file = m_file.release();
        const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed) {
            RemoveQuietly(m_tempPath);
            return fail("cannot write " + m_tempPath);
        }
        if (!os::RenameOver(m_tempPath, m_job.replyFile)) {
            RemoveQuietly(m_tempPath);
            return fail("cannot rename " + m_tempPath);
        }
        return true;
    }

    // The transfer whose status and length the receiver reads.
    void AttachEasy(CURL* easy) { m_easy = easy; }

    bool begun() const { return m_begun; }
    const std::string& error() const { return m_error; }

private:
    // A Location header of a redirect to a host the job may not reach fails the job
    // before libcurl follows it.
    bool checkRedirect(std::string_view line) {
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        const char* current = nullptr;
        curl_easy_getinfo(m_easy, CURLINFO_EFFECTIVE_URL, &current);
        std::string target;
        if (IsRefusedRedirectHeader(status, line, m_job.url, current != nullptr ? current : m_job.url,
                                    &target)) {
            return fail("redirect to another host refused: " + target);
        }
        return true;
    }

    bool isInterimReply() const {
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        return (status >= 100 && status < 200) || (status >= 300 && status < 400);
    }

    bool fail(std::string text) {
        if (m_error.empty()) {
            m_error = std::move(text);
        }
        return false;
    }

    // The first bytes of the body (or the end of a reply without one): the status
    // must be 200, the length within the limit; a file job opens its temporary file.
    bool begin() {
        m_begun = true;
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        if (status != 200) {
            return fail("HTTP status " + std::to_string(status));
        }
        curl_off_t length = -1;
        curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        std::uint32_t ceiling = m_toFile ? m_limits.fileLimit : m_limits.memoryLimit;
        if (m_job.sizeLimit > 0) {
            ceiling = std::min(ceiling, m_job.sizeLimit);
        }
        if (m_jointLeft != nullptr) {
            ceiling = std::min(ceiling, *m_jointLeft);
        }
        if (length > static_cast<curl_off_t>(ceiling)) {
            return fail("reply of " + std::to_string(length) + " bytes is over the limit");
        }
        m_limit = length > 0 ? static_cast<std::uint32_t>(length) : ceiling;
        if (!m_toFile) {
            m_reply.reserve(std::min<std::size_t>(m_limit, 256 * 1024));
            return true;
        }
        const std::size_t slash = os::LastPathSeparator(m_job.replyFile);
        if (slash != std::string::npos && slash > 0) {
            // A failure shows when the file is created.
            os::CreateFolders(m_job.replyFile.substr(0, slash));
        }
        // A name of its own, created exclusively: another job for the same file (or a
        // second program on the same folder) never truncates or deletes it.
        std::optional<os::TemporaryFile> temp = os::CreateTemporaryFile(m_job.replyFile);
        if (!temp) {
            return fail("cannot create a temporary file beside " + m_job.replyFile);
        }
        m_tempPath = temp->path;
        m_file.reset(temp->file);
        return true;
    }

    bool receive(const char* data, size_t bytes) {
        if (m_cancel.IsCancelled()) {
            return fail("cancelled");
        }
        if (!m_begun && !begin()) {
            return false;
        }
        if (!m_error.empty()) {
            return false;
        }
        if (bytes > m_limit - m_received) {
            return fail("reply grows over " + std::to_string(m_limit) + " bytes");
        }
        if (m_jointLeft != nullptr) {
            if (bytes > *m_jointLeft) {
                return fail("replies together grow over the limit");
            }
            *m_jointLeft -= static_cast<std::uint32_t>(bytes);
        }
        m_received += static_cast<std::uint32_t>(bytes);
        if (!m_toFile) {
            m_reply.append(data, bytes);
            return true;
        }
        if (std::fwrite(data, 1, bytes, m_file.get()) != bytes) {
            return fail("cannot write " + m_tempPath);
        }
        if (++m_reads > m_limits.readsPerProgress) {
            m_expectedTotal = m_limit;
            m_reads = 0;
            if (m_progress) {
                m_progress(m_expectedTotal, static_cast<std::int32_t>(m_received));
            }
        }
        return true;
    }

    const QuoteFetchJob& m_job;
    CURL* m_easy = nullptr;
    FetchCancelToken& m_cancel;
    const FetchLimits& m_limits;
    const FetchProgress& m_progress;
    const bool m_toFile;
    std::uint32_t* const m_jointLeft;
    std::string m_tempPath;

    bool m_begun = false;
    std::uint32_t m_limit = 0;
    std::uint32_t m_received = 0;
    std::uint32_t m_expectedTotal = 0;
    int m_reads = 0;
    std::string m_reply;
    FileHandle m_file;
    std::string m_error;
};

struct AttemptResult {
    CURLcode code = CURLE_OK;
    bool connected = false;
};

// Drives the transfers through the session's multi handle (no other transfer is on it),
// side by side, so that a cancel from another thread wakes the wait for network activity at
// once. Each transfer leaves the handle as soon as it is done, so that its connection is free
// for one still waiting its turn (the session allows a few connections per host).
std::vector<AttemptResult> PerformAll(const std::vector<CURL*>& easies, FetchSession& session,
                                      FetchCancelToken& cancel) {
    std::vector<AttemptResult> results(easies.size());
    std::vector<bool> added(easies.size(), false);
    CURLM* multi = static_cast<CURLM*>(session.Multi());
    for (std::size_t i = 0; i < easies.size(); ++i) {
        added[i] = multi != nullptr && curl_multi_add_handle(multi, easies[i]) == CURLM_OK;
        if (!added[i])
            results[i].code = CURLE_OUT_OF_MEMORY;
    }
    const auto finish = [&](std::size_t i) {
        curl_off_t connectTime = 0;
        curl_easy_getinfo(easies[i], CURLINFO_CONNECT_TIME_T, &connectTime);
        results[i].connected = connectTime > 0;
        curl_multi_remove_handle(multi, easies[i]);
        added[i] = false;
    };
    const auto stillRunning = [&] { return std::find(added.begin(), added.end(), true) != added.end(); };
    if (multi != nullptr)
        cancel.AttachMulti(multi);
    while (stillRunning()) {
        int running = 0;
        const bool performed = curl_multi_perform(multi, &running) == CURLM_OK;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            const auto at = std::find(easies.begin(), easies.end(), message->easy_handle);
            const std::size_t i = static_cast<std::size_t>(at - easies.begin());
            if (at != easies.end() && added[i]) {
                results[i].code = message->data.result;
                finish(i);
            }
        }
        CURLcode endAll = CURLE_OK;
        if (!performed)
            endAll = CURLE_RECV_ERROR;
        else if (cancel.IsCancelled())
            endAll = CURLE_ABORTED_BY_CALLBACK;
        else if (running > 0 && curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
            endAll = CURLE_RECV_ERROR;
        else if (running == 0 && stillRunning())
            endAll = CURLE_RECV_ERROR; // libcurl ran out of transfers without saying how one ended
        if (endAll == CURLE_OK)
            continue;
        for (std::size_t i = 0; i < easies.size(); ++i) {
            if (added[i]) {
                results[i].code = endAll;
                finish(i);
            }
        }
    }
    if (multi != nullptr)
        cancel.DetachMulti();
    return results;
}

bool IsConnectFailure(const AttemptResult& result) {
    return result.code == CURLE_COULDNT_CONNECT ||
           (result.code == CURLE_OPERATION_TIMEDOUT && !result.connected);
}

} // namespace

namespace {

// The libcurl transfer of one job, its options set; null when libcurl cannot make one.
EasyHandle MakeTransfer(const QuoteFetchJob& job, ReplyReceiver& receiver, const curl_slist* headers,
                        const DownloadProxy& proxy, const FetchLimits& limits, long timeLeftMs,
                        FetchSession& transfers) {
    EasyHandle easy(curl_easy_init());
    if (!easy)
        return easy;
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, job.url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent);
    // The header block (with its Referer) goes with every request of a redirect
    // chain; libcurl's own Referer is not wanted.
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_AUTOREFERER, 0L);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, std::min(limits.connectTimeoutMs, timeLeftMs));
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, timeLeftMs);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, limits.stallTimeoutSeconds);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &ReplyReceiver::OnWrite);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &receiver);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &ReplyReceiver::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &receiver);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &ReplyReceiver::OnTransferInfo);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &receiver);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    ApplyDownloadProxy(e, proxy);
    if (transfers.Share() != nullptr && transfers.Share()->Handle() != nullptr)
        curl_easy_setopt(e, CURLOPT_SHARE, transfers.Share()->Handle());
    return easy;
}

// One job's transfer in an attempt.
struct Attempt {
    std::size_t job;
    std::unique_ptr<ReplyReceiver> receiver;
    EasyHandle easy;
};

} // namespace

std::vector<FetchOutcome> RunFetchJobsTogether(const std::vector<QuoteFetchJob>& jobs,
                                               FetchCancelToken& cancel, const FetchLimits& limits,
                                               const FetchProgress& progress, FetchSession* session,
                                               std::uint32_t jointLimit) {
    using SteadyClock = std::chrono::steady_clock;
    std::vector<FetchOutcome> outcomes(jobs.size());
    const auto failAll = [&outcomes](const std::vector<std::size_t>& which, const std::string& text) {
        for (std::size_t i : which)
            outcomes[i].errorText = text;
    };
    std::vector<std::size_t> pending(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        pending[i] = i;
    if (cancel.IsCancelled()) {
        failAll(pending, "cancelled");
        return outcomes;
    }
    const SteadyClock::time_point start = SteadyClock::now();
    const auto timeLimitMs = [&limits](const QuoteFetchJob& job) {
        return job.timeLimitMs > 0 ? job.timeLimitMs : limits.timeLimitMs;
    };
    const auto remainingMs = [&start, &timeLimitMs](const QuoteFetchJob& job) {
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
        return timeLimitMs(job) - static_cast<long>(spent.count());
    };
    for (const QuoteFetchJob& job : jobs) {
        if (!job.replyFile.empty()) {
            // Nobody may read an old reply while the new one downloads or after it failed.
            RemoveQuietly(job.replyFile);
        }
    }
    if (!EnsureCurlGlobalInit()) {
        failAll(pending, "libcurl cannot be initialised");
        return outcomes;
    }
    std::vector<HeaderList> headers;
    headers.reserve(jobs.size());
    for (const QuoteFetchJob& job : jobs)
        headers.push_back(BuildHeaderList(job.headerBlock));
    const DownloadProxy proxy = CurrentDownloadProxy();
    FetchSession ownSession;
    FetchSession& transfers = session != nullptr ? *session : ownSession;
    std::uint32_t jointLeft = jointLimit;
    std::uint32_t* const joint = jointLimit > 0 ? &jointLeft : nullptr;

    for (int attempt = 0; attempt < std::max(1, limits.connectAttempts) && !pending.empty(); ++attempt) {
        if (attempt > 0) {
            long waitMs = limits.connectBackoffMs;
            for (std::size_t i : pending)
                waitMs = std::min(waitMs, remainingMs(jobs[i]));
            if (!cancel.WaitFor(waitMs)) {
                failAll(pending, "cancelled");
                return outcomes;
            }
        }
        std::vector<Attempt> attempts;
        std::vector<CURL*> easies;
        for (std::size_t i : pending) {
            const QuoteFetchJob& job = jobs[i];
            const long timeLeftMs = remainingMs(job);
            if (timeLeftMs <= 0) {
                outcomes[i].errorText = "over the time limit of " + std::to_string(timeLimitMs(job)) + " ms";
                continue;
            }
            Attempt one{i, nullptr, nullptr};
            one.receiver = std::make_unique<ReplyReceiver>(job, cancel, limits, progress, joint);
            one.easy =
                MakeTransfer(job, *one.receiver, headers[i].get(), proxy, limits, timeLeftMs, transfers);
            if (!one.easy) {
                outcomes[i].errorText = "libcurl cannot create a transfer";
                continue;
            }
            one.receiver->AttachEasy(one.easy.get());
            easies.push_back(one.easy.get());
            attempts.push_back(std::move(one));
        }
        const std::vector<AttemptResult> results = PerformAll(easies, transfers, cancel);
        std::vector<std::size_t> retry;
        for (std::size_t k = 0; k < attempts.size(); ++k) {
            const std::size_t i = attempts[k].job;
            ReplyReceiver& receiver = *attempts[k].receiver;
            FetchOutcome& outcome = outcomes[i];
            if (results[k].code == CURLE_OK) {
                outcome.succeeded = receiver.finish(outcome);
                if (!outcome.succeeded)
                    outcome.errorText = receiver.error();
                continue;
            }
            outcome.errorText = !receiver.error().empty() ? receiver.error()
                                : cancel.IsCancelled()    ? std::string("cancelled")
                                                          : std::string(curl_easy_strerror(results[k].code));
            if (!receiver.begun() && !cancel.IsCancelled() && IsConnectFailure(results[k]) &&
                remainingMs(jobs[i]) > 0)
                retry.push_back(i);
        }
        pending = std::move(retry);
    }
    return outcomes;
}

FetchOutcome RunFetchJob(const QuoteFetchJob& job, FetchCancelToken& cancel, const FetchLimits& limits,
                         const FetchProgress& progress, FetchSession* session) {
    return std::move(RunFetchJobsTogether({job}, cancel, limits, progress, session, 0).front());
}

bool IsReplyTempName(const std::string& fileName) {
    constexpr std::string_view kReplyExtension = ".dat";
    constexpr std::string_view kOldTemporary = ".dat.tmp"; // the fixed name of older versions
    constexpr std::size_t kTemporarySuffix = std::string_view(".tmp-XXXXXX").size();
    const std::string_view name = fileName;
    if (name.size() > kOldTemporary.size() &&
        name.substr(name.size() - kOldTemporary.size()) == kOldTemporary) {
        return true;
    }
    if (name.size() <= kTemporarySuffix + kReplyExtension.size()) {
        return false;
    }
    const std::string_view replyFile = name.substr(0, name.size() - kTemporarySuffix);
    return replyFile.substr(replyFile.size() - kReplyExtension.size()) == kReplyExtension &&
           IsTemporaryNameOf(name, replyFile);
}

void RemoveStaleReplyTemps(const std::string& folder, std::time_t changedBefore) {
    // No folder yet gives no names: nothing was ever downloaded into it.
    std::string prefix = folder;
    if (!prefix.empty() && os::LastPathSeparator(prefix) != prefix.size() - 1) {
        prefix.push_back('/');
    }
    for (const std::string& name : os::FolderEntryNames(folder)) {
        if (!IsReplyTempName(name)) {
            continue;
        }
        // Only plain files the program made; a link or a folder of that name is not ours.
        const os::PathStatus status = os::StatLink(prefix + name);
        if (status.kind == os::PathKind::Regular && status.modified < changedBefore) {
            os::RemoveFile(prefix + name);
        }
    }
}

} // namespace marlune
