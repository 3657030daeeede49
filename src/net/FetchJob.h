#pragma once
// One HTTP download: the job record, its reports and the transfer itself.
//
// A job fetches one URL with a GET request, either into memory or into a file,
// and ends finished (3) or failed (5); file jobs report progress (7) on the way.
// FetchManager runs each job on a worker thread of its own; RunFetchJob is the
// transfer that thread performs.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace marlune {

enum FetchStatus : int { kFetchFinished = 3, kFetchFailed = 5, kFetchProgress = 7 };

// What a job fetches; echoed in every report so the owner knows how to read it.
enum JobKind : int { kJobQuoteText = 1, kJobSideDownload = 2, kJobGoogleFile = 3 };

// The thread priority every caller passes: idle, below all interactive work.
constexpr int kThreadPriorityIdle = -15;

struct QuoteFetchJob {
    std::string url;         // absolute http or https URL
    std::string replyFile;   // full path of the file for the reply; empty = keep it in memory
    std::string headerBlock; // extra request headers, each line ending in CR LF
    int jobKind = -1;
    int threadPriority = kThreadPriorityIdle;
    // The whole transfer, redirects and the connection retry included, ends within this
    // time; 0: FetchLimits::timeLimitMs.
    long timeLimitMs = 0;
    // The reply may not be larger than this; 0: the FetchLimits ceiling of its kind
    // (file or memory). A job can only lower that ceiling, never raise it.
    std::uint32_t sizeLimit = 0;
    // In-memory jobs only: further URLs fetched one after the other once url has
    // arrived, their replies appended to its reply; any of them failing fails the job,
    // and the joined reply is held to sizeLimit as one reply is.
    // A service that takes a limited number of codes per request gets a long list so.
    std::vector<std::string> moreUrls;
    // With moreUrls: each URL stands alone (one request per fund). Every URL is asked at
    // once, side by side (RunFetchJobsTogether), whatever the others give; the report's
    // urlReplies hold each one's reply and the job succeeds when any URL did. The replies
    // together are still held to sizeLimit: one that would grow beyond it fails.
    bool eachUrlAlone = false;
    int quoteSource = 0; // quote jobs: the DataSour value of the service asked; 0 otherwise
};

// The time limits of the program's downloads.
constexpr long kQuoteTimeLimitMs = 15000;      // a quote reply older than that is stale anyway
constexpr long kChartTimeLimitMs = 30000;      // one chart image
constexpr long kSuggestionTimeLimitMs = 15000; // the drop-down of a text typed long ago is useless
constexpr long kMinuteTimeLimitMs = 15000;     // the popup that asked is closed long before

// A quote reply for a full watch list is some tens of kilobytes; a larger one is not a
// quote reply, and is neither held nor parsed (the refresh fails).
constexpr std::uint32_t kMaxQuoteReplyBytes = 1024u * 1024u;

// Redirects a download follows, to http or https addresses only, and only to the job's
// own host, its domain or a host of the service table (net/RedirectRule.h).
constexpr long kMaxRedirects = 5;

struct FetchReport {
    int jobKind = -1;
    int quoteSource = 0; // the job's

    int status = kFetchFailed;
    std::string reply; // the job's own reply: memory jobs, on finished; every byte kept
    std::string replyFile;
    std::string url;
    std::uint32_t expectedTotal = 0; // file jobs: the byte limit of the download
    std::int32_t bytesReceived = 0;  // file jobs: bytes written so far
    std::string errorText;           // failed: what went wrong, for logs and diagnostics
    // Jobs with eachUrlAlone: one per URL (url, then moreUrls), nothing for a URL that
    // failed; reply is empty then.
    std::vector<std::optional<std::string>> urlReplies;
};

// Limits and time-outs of one transfer. The defaults are the program's; tests use
// smaller ones.
struct FetchLimits {
    // A reply never grows beyond this many bytes. File jobs without a Content-Length
    // stop there; a Content-Length above it fails at once. The program's files (chart
    // images, a Google quote reply) are kilobytes: a server cannot fill the disk.
    std::uint32_t fileLimit = 64u * 1024u * 1024u;
    // In-memory replies (quote texts, suggestions) are a few kilobytes; a server that
    // sends an endless or oversized body fails the job at this size instead of
    // taking the program's memory.
    std::uint32_t memoryLimit = 64u * 1024u * 1024u;
    long connectTimeoutMs = 3000;
    long connectBackoffMs = 1000; // wait before the one retry of a failed connection
    int connectAttempts = 2;      // the first try and one retry
    // A server that sends nothing for this long (no headers, or a stalled body)
    // fails the job, so a hung server never holds a worker for ever.
    long stallTimeoutSeconds = 30;
    // And a server that trickles a few bytes a second cannot either: no transfer lasts
    // longer than its job's time limit, or this one for jobs that name none.
    long timeLimitMs = 30000;
    // Jobs run on at most this many worker threads at a time (at least two: one is
    // kept for quote jobs); the others wait their turn.
    int maxWorkers = 8;
    // File jobs report progress after more than this many reads.
    int readsPerProgress = 5;
};

// Cancels one running transfer from another thread, promptly: the transfer's wait
// for network activity is woken, and libcurl's progress callback sees the flag.
class FetchCancelToken {
public:
    FetchCancelToken() = default;
    FetchCancelToken(const FetchCancelToken&) = delete;
    FetchCancelToken& operator=(const FetchCancelToken&) = delete;

    void Cancel();
    bool IsCancelled() const { return m_cancelled.load(); }

    // Waits up to the given time; false when cancelled before or during the wait.
    bool WaitFor(long milliseconds);

    // Used by the transfer: the libcurl multi handle to wake on Cancel (or null).
    void AttachMulti(void* multi);
    void DetachMulti() { AttachMulti(nullptr); }

private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    void* m_multi = nullptr;
};

// The host names and TLS sessions that the transfers of one FetchManager share, on any of
// its worker threads: a worker's first request to a host needs no look-up and resumes the
// TLS session another worker began. (Open connections are kept per worker, in its session's
// multi handle: libcurl does not support one connection cache for concurrent threads.)
class TransferShare {
public:
    TransferShare();
    ~TransferShare();
    TransferShare(const TransferShare&) = delete;
    TransferShare& operator=(const TransferShare&) = delete;

    // The libcurl share handle; null when libcurl could not make one (every transfer
    // then opens its own connection).
    void* Handle() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// What the transfers of one worker thread reuse: one libcurl multi handle, made at the
// first transfer, whose connection cache keeps the connections open between requests
// (HTTP keep-alive): a request to a host asked a moment ago goes over the connection
// already open instead of a new TCP connection (and TLS handshake). libcurl reuses a
// connection only for the same host, port, scheme and proxy, after a transfer that read its
// reply to the end, and never one the server closed or that idled too long; every limit of a
// transfer holds on a reused connection as on a new one. One thread at a time.
class FetchSession {
public:
    // Transfers of one session side by side to one host; more wait for a connection to free.
    static constexpr long kConnectionsPerHost = 4;

    explicit FetchSession(TransferShare* share = nullptr) : m_share(share) {}
    ~FetchSession(); // closes the connections it keeps
    FetchSession(const FetchSession&) = delete;
    FetchSession& operator=(const FetchSession&) = delete;

    // The multi handle (a CURLM*), or null when libcurl cannot make one.
    void* Multi();
    TransferShare* Share() const { return m_share; }

private:
    TransferShare* m_share;
    void* m_multi = nullptr;
};

struct FetchOutcome {
    bool succeeded = false;
    std::string reply; // memory jobs
    std::uint32_t expectedTotal = 0;
    std::int32_t bytesReceived = 0;
    std::string errorText;
};

// Called by file jobs after more than FetchLimits::readsPerProgress reads, with the
// byte limit of the download and the bytes written so far.
using FetchProgress = std::function<void(std::uint32_t expectedTotal, std::int32_t bytesReceived)>;

// Performs one job on the calling thread and returns when it has ended.
//
// The request carries the header block, the user agent "Mozilla/4.0 (compatible;
// MSIE 7.0; Windows NT 6.0; Trident/4.0)" and the DownloadProxy setting. Up to
// kMaxRedirects redirects are followed, to http and https addresses only (any other
// scheme fails the job) on hosts IsRedirectAllowed admits (any other fails the job), with the same header
// block and proxy. Only a final status 200 succeeds. A job with a reply file deletes the old file first,
// writes a temporary file of its own beside it (ReplyTempPattern) and renames it when the whole reply has
// arrived; a failed file job leaves neither file behind (the reply file's folder is created when missing). A
// memory job keeps every byte of the reply. A reply shorter than its Content-Length fails. A job cancelled
// before it starts fails at once and leaves the old reply file alone. With a session, the
// transfer runs on its multi handle, over the connections it keeps; without, on handles of
// its own.
FetchOutcome RunFetchJob(const QuoteFetchJob& job, FetchCancelToken& cancel, const FetchLimits& limits,
                         const FetchProgress& progress, FetchSession* session = nullptr);

// Several jobs at once, side by side on the session's multi handle (at most
// kConnectionsPerHost of them to one host at a time, the others waiting their turn), each as
// RunFetchJob would run it alone; one outcome per job, in the jobs' order. With a joint
// limit above 0, the replies together may not grow beyond it: a reply that would fails.
std::vector<FetchOutcome> RunFetchJobsTogether(const std::vector<QuoteFetchJob>& jobs,
                                               FetchCancelToken& cancel, const FetchLimits& limits,
                                               const FetchProgress& progress, FetchSession* session,
                                               std::uint32_t jointLimit);

// The temporary file of a reply file is named like those of the program's saves (see
// IsTemporaryNameOf): reply file + ".tmp-" + six letters or digits, unique per job, so
// that two jobs never write or delete each other's. Reply files end in ".dat"; true for
// such a name, and for the fixed ".dat.tmp" names older versions wrote.
bool IsReplyTempName(const std::string& fileName);

// Removes the temporary files of downloads in a folder that were last changed before the
// given time: what downloads cut off by the end of an earlier run left behind. Only
// regular files of those names; newer ones may be another program's download under way.
void RemoveStaleReplyTemps(const std::string& folder, std::time_t changedBefore);

} // namespace marlune
