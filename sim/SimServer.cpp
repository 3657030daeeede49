#include "sim/SimServer.h"

#include "sim/ReplyWriter.h"
#include "sim/ServiceRouter.h"
#include "sim/UrlQuery.h"
#include "text/BeijingTime.h"
#include "text/CNumber.h"
#include "text/Fields.h"

#include <ctime>

namespace marlune::sim {

namespace {

constexpr std::size_t kMaxLoggedRequests = 10000;
constexpr std::string_view kControlPrefix = "/__sim/";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// JSON string; bytes outside printable ASCII as \u00XX, so that any bytes survive
// (a script recovers them by reading the text as Latin-1).
std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            out += Format("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

HttpReply TextReply(int status, std::string text) {
    HttpReply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = std::move(text);
    return reply;
}

} // namespace

SimServer::SimServer(SimOptions options)
    : m_options(std::move(options)),
      m_market(m_options.seed, [this] { return baseNow() + m_clockShift.load(); }),
      m_offeredVersion(m_options.offeredVersion),
      m_http(
          [this](const HttpRequest& request, HttpConnection& connection) { handle(request, connection); }) {
    m_market.SetCalendar(m_options.calendar);
}

std::int64_t SimServer::baseNow() const {
    return m_options.clock ? m_options.clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void SimServer::SetClock(std::int64_t unixSeconds) {
    m_clockShift.store(unixSeconds - baseNow());
}

HttpReply SimServer::clockControl(const std::string& query) {
    ExchangeCalendar calendar = m_market.Calendar();
    if (const auto at = QueryValue(query, "at")) {
        const auto moment = ParseBeijingDateTime(PercentDecode(*at));
        if (!moment) {
            return TextReply(400, "at: YYYY-MM-DD[THH:MM[:SS]] in Beijing time\n");
        }
        SetClock(*moment);
    }
    if (const auto hours = QueryValue(query, "hours")) {
        if (*hours != "exchange" && *hours != "around") {
            return TextReply(400, "hours: exchange or around\n");
        }
        calendar.enabled = *hours == "exchange";
    }
    if (const auto holidays = QueryValue(query, "holidays")) {
        calendar.holidays.clear();
        calendar.enabled = true;
        for (const std::string& date : SplitFields(PercentDecode(*holidays), ",")) {
            const auto day = ParseBeijingDateTime(date);
            if (date.size() != 10 || !day) {
                return TextReply(400, "holidays: YYYY-MM-DD,...\n");
            }
            calendar.holidays.insert((*day + kBeijingOffsetSeconds) / 86400);
        }
    }
    m_market.SetCalendar(calendar);
    return TextReply(200, "ok\n");
}

SimServer::~SimServer() {
    Stop();
}

int SimServer::Start(int port) {
    return m_http.Start(port);
}

void SimServer::Stop() {
    m_http.Stop();
}

std::string SimServer::BaseUrl() const {
    const int port = m_http.Port();
    return port < 0 ? std::string() : Format("http://127.0.0.1:%d", port);
}

void SimServer::SetFault(const std::string& pathPrefix, const Fault& fault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (fault.times == 0) {
        m_faults.erase(pathPrefix);
    } else {
        m_faults[pathPrefix] = fault;
    }
}

void SimServer::ClearFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}

std::vector<RequestRecord> SimServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

void SimServer::ClearRequests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

void SimServer::SetOfferedVersion(const std::string& version) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_offeredVersion = version;
}

Fault SimServer::takeFault(const std::string& target) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto best = m_faults.end();
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        if (StartsWith(target, it->first) &&
            (best == m_faults.end() || it->first.size() > best->first.size())) {
            best = it;
        }
    }
    if (best == m_faults.end()) {
        return {};
    }
    Fault fault = best->second;
    if (best->second.times > 0 && --best->second.times == 0) {
        m_faults.erase(best);
    }
    return fault;
}

std::string SimServer::siteUrl(const HttpRequest& request) const {
    // Links in pages point back at the address the client used; only characters of a
    // host and port are taken from the header, so nothing can be smuggled into a page.
    std::string host;
    for (char c : request.Header("Host")) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
        if (!allowed) {
            host.clear();
            break;
        }
        host += c;
    }
    return host.empty() ? BaseUrl() : "http://" + host;
}

void SimServer::handle(const HttpRequest& request, HttpConnection& connection) {
    const std::string target = request.LocalTarget();
    const bool headOnly = request.method == "HEAD";
    if (StartsWith(target, kControlPrefix)) {
        WriteReply(connection, control(target), Fault{}, headOnly);
        return;
    }
    SiteSettings site;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
        if (m_requests.size() > kMaxLoggedRequests) {
            m_requests.pop_front();
        }
        site.offeredVersion = m_offeredVersion;
    }
    site.siteUrl = siteUrl(request);
    const Fault fault = takeFault(target);
    HttpReply reply;
    if (request.method == "GET" || headOnly) {
        reply = RouteServiceRequest(m_market, site, target);
    } else {
        reply = ErrorReply(405);
        reply.headers.emplace_back("Allow", "GET, HEAD");
    }
    WriteReply(connection, reply, fault, headOnly);
}

bool SimServer::SetFaultFromQuery(const std::string& query, std::string* error) {
    const std::string prefix = PercentDecode(QueryValue(query, "prefix").value_or(""));
    if (prefix.empty() || prefix[0] != '/') {
        *error = "prefix missing: it must start with /";
        return false;
    }
    const auto fault = ParseFaultQuery(query, error);
    if (!fault) {
        return false;
    }
    SetFault(prefix, *fault);
    return true;
}

HttpReply SimServer::control(const std::string& target) {
    std::string path;
    std::string query;
    SplitTarget(target, path, query);
    if (path == "/__sim/fault") {
        std::string error;
        if (!SetFaultFromQuery(query, &error)) {
            return TextReply(400, error + "\n");
        }
        return TextReply(200, "ok\n");
    }
    if (path == "/__sim/reset") {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_faults.clear();
        m_requests.clear();
        m_offeredVersion = m_options.offeredVersion;
        return TextReply(200, "ok\n");
    }
    if (path == "/__sim/requests") {
        HttpReply reply = TextReply(200, requestsJson(QueryValue(query, "clear").value_or("0") != "0"));
        reply.contentType = "application/json";
        return reply;
    }
    if (path == "/__sim/clock") {
        return clockControl(query);
    }
    if (path == "/__sim/version") {
        SetOfferedVersion(PercentDecode(QueryValue(query, "offered").value_or("")));
        return TextReply(200, "ok\n");
    }
    return TextReply(404, "unknown control path\n");
}

std::string SimServer::requestsJson(bool clear) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string json = "{\"requests\":[";
    for (std::size_t i = 0; i < m_requests.size(); ++i) {
        const RequestRecord& record = m_requests[i];
        json += i == 0 ? "\n" : ",\n";
        json += "{\"method\":" + JsonString(record.method) + ",\"target\":" + JsonString(record.target) +
                ",\"headers\":[";
        for (std::size_t h = 0; h < record.headers.size(); ++h) {
            json += (h == 0 ? "[" : ",[") + JsonString(record.headers[h].first) + "," +
                    JsonString(record.headers[h].second) + "]";
        }
        json += "]}";
    }
    json += "\n]}\n";
    if (clear) {
        m_requests.clear();
    }
    return json;
}

} // namespace marlune::sim
