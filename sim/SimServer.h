#pragma once
// The simulated market on loopback: every outside service the program talks to, with
// faults that tests can set per path prefix and a log of the requests received.
//
// Control paths (never logged, never faulted), for scripts that drive a separate
// marlune-sim process:
//   /__sim/fault?prefix=/rn=&status=500   set a fault (parameters: see Fault.h)
//   /__sim/reset                          clear faults and the log, restore the offered version
//   /__sim/requests[?clear=1]             the log as JSON (then cleared)
//   /__sim/version?offered=1.2.0.0        the version /update.html offers
//   /__sim/clock?at=2026-04-24T10:21:18&hours=exchange&holidays=2026-05-01,2026-05-04
//                                         the market's clock (Beijing time, running on from
//                                         there), trading hours (exchange|around) and holidays

#include "sim/Fault.h"
#include "sim/HttpServer.h"
#include "sim/Market.h"
#include "sim/ReplyWriter.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace marlune::sim {

struct SimOptions {
    std::uint64_t seed = 20261208;
    std::function<std::int64_t()> clock; // seconds since 1970 (UTC); empty = real time
    std::string offeredVersion = "1.1.0.0";
    ExchangeCalendar calendar; // real trading hours and holidays when enabled
};

// One request as received: method, target as on the request line, and headers.
using RequestRecord = HttpRequest;

class SimServer {
public:
    explicit SimServer(SimOptions options = {});
    ~SimServer(); // stops
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Listens on 127.0.0.1 (0 = a free port). Returns the port, or -1.
    int Start(int port = 0);
    // Prompt even while a request hangs or is delayed by a fault.
    void Stop();
    int Port() const { return m_http.Port(); }
    // TCP connections accepted since the start (a client that keeps its connection open
    // makes one for many requests).
    long long AcceptedConnections() const { return m_http.AcceptedConnections(); }
    // "http://127.0.0.1:<port>"; empty while stopped.
    std::string BaseUrl() const;

    // Requests whose target (path and query) starts with the prefix get the fault; of
    // several matching prefixes the longest wins. A fault with times 0 clears the prefix.
    void SetFault(const std::string& pathPrefix, const Fault& fault);
    void ClearFaults();
    // A fault as the control path /__sim/fault takes it: "prefix=/rn=&status=500".
    // False, with the reason, for a query it cannot use.
    bool SetFaultFromQuery(const std::string& query, std::string* error);

    // Every request but the control paths, oldest first (the last 10000).
    std::vector<RequestRecord> Requests() const;
    void ClearRequests();

    void SetOfferedVersion(const std::string& version);

    // Moves the market's clock so that it reads this moment now and runs on from there.
    void SetClock(std::int64_t unixSeconds);
    void SetCalendar(ExchangeCalendar calendar) { m_market.SetCalendar(std::move(calendar)); }

    const Market& market() const { return m_market; }

private:
    void handle(const HttpRequest& request, HttpConnection& connection);
    HttpReply control(const std::string& target);
    HttpReply clockControl(const std::string& query);
    std::int64_t baseNow() const;
    Fault takeFault(const std::string& target);
    std::string siteUrl(const HttpRequest& request) const;
    std::string requestsJson(bool clear);

    SimOptions m_options;
    std::atomic<std::int64_t> m_clockShift{0}; // seconds added to the options' clock
    Market m_market;
    mutable std::mutex m_mutex; // guards the three below
    std::map<std::string, Fault> m_faults;
    std::deque<RequestRecord> m_requests;
    std::string m_offeredVersion;
    HttpServer m_http; // last: stopped first, while everything it calls into still exists
};

} // namespace marlune::sim
