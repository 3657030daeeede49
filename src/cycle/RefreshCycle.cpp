#include "cycle/RefreshCycle.h"

#include "config/ProgramFolder.h"
#include "net/ChartRequest.h"
#include "quote/DerivedValues.h"
#include "quote/MarketHours.h"
#include "quote/Markets.h"
#include "quote/QuoteDispatch.h"
#include "quote/QuoteService.h"
#include "text/BeijingTime.h"

#include <algorithm>

namespace marlune {

const char* const kStatusReadingQuotes = kReadingQuotesText;
const char* const kStatusQuotesShown = kQuotesShownText;
const char* const kStatusFailed = kFetchFailedText;

namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

bool IsQuoteJob(int jobKind) {
    return jobKind == kJobQuoteText || jobKind == kJobGoogleFile;
}

bool IsFinalReport(const FetchReport& report) {
    return report.status == kFetchFinished || report.status == kFetchFailed;
}

} // namespace

RefreshCycle::RefreshCycle(RefreshHost& host, std::string programFolder, std::string alertStatePath)
    : m_host(host), m_programFolder(WithSeparator(std::move(programFolder))),
      m_requester([this] { return static_cast<std::uint32_t>(m_host.WallSeconds()); },
                  [this] { return m_host.SteadyMs(); }),
      m_status(kStatusReadingQuotes) {
    if (!alertStatePath.empty())
        m_alertMemory.emplace(std::move(alertStatePath));
    Configure(m_settings);
}

void RefreshCycle::Configure(const RefreshSettings& settings) {
    m_settings = settings;
    m_fallback.Reset(settings.dataSource, settings.autoSource);
    m_quotesComing = false;
    m_tradingHours.SetEnabled(settings.tradeHoursOnly);
    m_marketGates.SetEnabled(settings.tradeHoursOnly);
}

void RefreshCycle::SetRefreshPeriod(int freshSec) {
    if (freshSec == m_settings.freshSec)
        return;
    m_settings.freshSec = freshSec;
    if (m_quoteTimerDueMs)
        RestartQuoteTimer(QuoteTimerRestart::kPeriod);
}

void RefreshCycle::SetWatchList(WatchList list) {
    m_book.setWatchList(std::move(list));
    if (m_alertMemory)
        m_alertMemory->Restore(m_book);
}

// ---------------------------------------------------------------------------------
// Requests

void RefreshCycle::Start() {
    requestQuotes();
    if (QuoteTimerMs(m_settings.freshSec) && !m_paused)
        m_host.StartTimer(CycleTimer::kCharts, kFirstChartDelayMs);
    RestartQuoteTimer(QuoteTimerRestart::kPeriod);
}

void RefreshCycle::Refresh() {
    requestQuotes();
}

void RefreshCycle::SettingsApplied() {
    // A changed list or source needs its quotes now, whenever the last request was.
    requestQuotesForNewList();
    if (QuoteTimerMs(m_settings.freshSec) && !m_paused)
        m_host.StartTimer(CycleTimer::kCharts, kFirstChartDelayMs);
    else
        m_host.StopTimer(CycleTimer::kCharts);
    RestartQuoteTimer(QuoteTimerRestart::kPeriod);
}

void RefreshCycle::RestartQuoteTimer(QuoteTimerRestart restart) {
    m_host.StopTimer(CycleTimer::kQuotes);
    m_quoteTimerDueMs.reset();
    if (!m_paused)
        startQuoteTimer(RestartedQuoteTimerMs(m_settings.freshSec, restart));
}

void RefreshCycle::SetPaused(bool paused) {
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (paused) {
        m_host.StopTimer(CycleTimer::kQuotes);
        m_host.StopTimer(CycleTimer::kCharts);
        m_quoteTimerDueMs.reset();
        return;
    }
    // Back in sight: what is shown should be now's.
    if (m_newListWaiting)
        requestQuotesForNewList();
    else
        requestQuotes();
    if (QuoteTimerMs(m_settings.freshSec))
        m_host.StartTimer(CycleTimer::kCharts, kFirstChartDelayMs);
    RestartQuoteTimer(QuoteTimerRestart::kPeriod);
}

void RefreshCycle::startQuoteTimer(std::optional<int> milliseconds) {
    if (!milliseconds)
        return;
    m_quoteTimerDueMs = m_host.SteadyMs() + *milliseconds;
    m_host.StartTimer(CycleTimer::kQuotes, *milliseconds);
}

QuoteTick RefreshCycle::OnQuoteTimer() {
    m_quoteTimerDueMs.reset();
    // A tick already on its way when the pause began.
    if (m_paused)
        return QuoteTick::kDropped;
    QuoteTick tick = QuoteTick::kDropped;
    // Outside trading hours the tick asks for nothing (but the timer runs on); a list with
    // markets of other hours asks those that trade.
    const std::optional<std::vector<int>> markets = marketsDue(m_host.WallSeconds(), m_host.SteadyMs());
    if (!markets || !markets->empty()) {
        const bool wasRunning = m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey());
        requestQuotes(markets.value_or(std::vector<int>()));
        if (!wasRunning && m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey()))
            tick = QuoteTick::kAsked;
    } else {
        setStatus(closedText(m_host.WallSeconds()));
        tick = QuoteTick::kClosed;
    }
    startQuoteTimer(QuoteTimerMs(m_settings.freshSec));
    return tick;
}

std::optional<std::vector<int>> RefreshCycle::marketsDue(std::int64_t now, std::int64_t steadyMs) const {
    const bool aShares = m_tradingHours.ShouldRefresh(now, steadyMs);
    const WatchList& list = m_book.watchList;
    if (!MarketGates::HasOwnHours(list))
        return aShares ? std::nullopt : std::optional<std::vector<int>>(std::vector<int>());
    std::vector<int> due = m_marketGates.DueMarkets(list, now, steadyMs);
    std::vector<int> present;
    for (const MarketInfo& market : MarketTable()) {
        const bool shown = std::any_of(list.begin(), list.end(), [&market](const StockEntry& entry) {
            return entry.market == market.number;
        });
        if (!shown)
            continue;
        present.push_back(market.number);
        if (aShares && FollowsAShareHours(market.number) &&
            std::find(due.begin(), due.end(), market.number) == due.end())
            due.push_back(market.number);
    }
    if (std::all_of(present.begin(), present.end(),
                    [&due](int market) { return std::find(due.begin(), due.end(), market) != due.end(); }))
        return std::nullopt;
    return due;
}

void RefreshCycle::OnChartTimer() {
    if (m_paused)
        return;
    requestCharts();
    if (auto ms = ChartTimerMs(m_settings.freshSec))
        m_host.StartTimer(CycleTimer::kCharts, *ms);
}

void RefreshCycle::requestQuotes(const std::vector<int>& markets) {
    if (m_paused || m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey()))
        return;
    // The throttle first: only a request that is sent counts as a refresh for the fallback.
    if (!m_requester.MayRequest())
        return;
    // One service per refresh for the markets it quotes: a row never mixes two services'
    // values. A list of funds alone asks no quote service and uses up no turn of one.
    startRefresh(NeedsQuoteService(m_book.watchList, markets)
                     ? std::optional<int>(m_fallback.SourceForRefresh())
                     : std::nullopt,
                 markets);
}

void RefreshCycle::requestQuotesForNewList() {
    // Not throttled: a reload is not a timer tick. A request for the old list still running
    // is let finish; the new list is asked for as soon as it has, or when the pause ends.
    if (m_paused || m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey())) {
        m_newListWaiting = true;
        return;
    }
    m_newListWaiting = false;
    // The service the fallback uses now: the selected one may be the one that does not answer.
    startRefresh(m_fallback.Current());
}

bool RefreshCycle::AskNextServiceNow() {
    if (m_paused || !m_fallback.Enabled() || m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey()))
        return false;
    m_fallback.LeaveSelectedNow();
    if (!m_fallback.OnOtherSource())
        return false;
    return startRefresh(m_fallback.Current());
}

bool RefreshCycle::startRefresh(std::optional<int> source, const std::vector<int>& markets) {
    const std::int64_t now = m_host.WallSeconds();
    RefreshPlanRequest request;
    request.mainSource = source.value_or(m_fallback.Current());
    request.ratesDue = m_rates.IsDue(now);
    request.now = m_requester.Now();
    request.programFolder = m_programFolder;
    request.markets = markets;
    RefreshPlan plan = PlanRefresh(m_book.watchList, request, m_otherServices);
    if (plan.mainPart >= 0) {
        RefreshPart& main = plan.parts[static_cast<std::size_t>(plan.mainPart)];
        // Both branches are lvalues, so the whole list is not copied.
        const WatchList someRows =
            plan.allMarkets ? WatchList() : RowsOfMarkets(m_book.watchList, main.markets);
        main.job = m_requester.RequestQuotesNow(plan.allMarkets ? m_book.watchList : someRows, main.source,
                                                m_programFolder, main.moreCodes);
    } else {
        m_requester.OnRequestSent();
    }
    if (plan.AsksRates())
        m_rates.OnRequested(now);
    const std::vector<int> asked = plan.Markets();
    if (plan.allMarkets || std::any_of(asked.begin(), asked.end(), FollowsAShareHours))
        m_tradingHours.OnRequested(m_host.SteadyMs());
    m_marketGates.OnRequested(asked, m_host.SteadyMs());

    // One refresh at a time, however many services it asks: a tick while one runs starts
    // nothing, however slow the server.
    if (!m_jobsInFlight.TryBegin(JobsInFlight::QuotesKey()))
        return false;
    const std::vector<QuoteFetchJob> jobs = [&plan] {
        std::vector<QuoteFetchJob> all;
        for (const RefreshPart& part : plan.parts)
            all.push_back(part.job);
        return all;
    }();
    m_gathering.Begin(std::move(plan));
    std::vector<FetchReport> notStarted;
    for (const QuoteFetchJob& job : jobs) {
        if (m_host.StartJob(job))
            continue;
        FetchReport failed;
        failed.jobKind = job.jobKind;
        failed.quoteSource = job.quoteSource;
        failed.url = job.url;
        failed.replyFile = job.replyFile;
        failed.status = kFetchFailed;
        notStarted.push_back(std::move(failed));
    }
    if (notStarted.size() == jobs.size()) {
        // Nothing runs: no report will come, and the refresh never was.
        m_gathering.Close();
        m_jobsInFlight.End(JobsInFlight::QuotesKey());
        return false;
    }
    // A part that could not start has failed; the others' replies still come.
    for (const FetchReport& report : notStarted)
        onQuoteReport(report);
    return true;
}

void RefreshCycle::requestCharts() {
    if (m_paused)
        return;
    for (const QuoteFetchJob& job : BuildChartJobs(m_book.watchList, m_programFolder + kDataFolder + '/'))
        startJob(job);
}

bool RefreshCycle::startJob(const QuoteFetchJob& job) {
    // One job per stock's chart and one quote job at a time: a tick while one runs
    // starts nothing, however slow the server.
    const std::string key = JobsInFlight::KeyOf(job);
    if (!m_jobsInFlight.TryBegin(key))
        return false;
    if (m_host.StartJob(job))
        return true;
    m_jobsInFlight.End(key);
    return false;
}

// ---------------------------------------------------------------------------------
// Reports

void RefreshCycle::OnFetchStatus(const FetchReport& report) {
    if (IsQuoteJob(report.jobKind)) {
        // The quote refresh ends when its last part does (onQuoteReport).
        if (IsFinalReport(report))
            onQuoteReport(report);
    } else {
        m_jobsInFlight.EndOnFinalReport(report);
        if (report.jobKind == kJobSideDownload && !report.replyFile.empty()) {
            // A chart file; a failed download leaves none.
            if (report.status == kFetchFinished)
                m_host.ChartFileArrived(report.replyFile);
            else if (report.status == kFetchFailed)
                m_host.ChartFileGone(report.replyFile);
        }
    }
    // The quotes of a list changed while the old list's request ran.
    if (m_newListWaiting && !m_paused && !m_jobsInFlight.IsRunning(JobsInFlight::QuotesKey()))
        requestQuotesForNewList();
}

void RefreshCycle::onQuoteReport(const FetchReport& report) {
    if (!m_gathering.IsOpen()) {
        // A report of no refresh this cycle made (a late one, or one handed in by a test):
        // read as the one reply of a refresh of its service.
        RefreshPlan plan;
        plan.parts.emplace_back().source = report.quoteSource;
        plan.parts.front().job.quoteSource = report.quoteSource;
        plan.mainPart = 0;
        m_gathering.Begin(std::move(plan));
    }
    if (!m_gathering.Take(report))
        return; // more parts to come
    m_gathering.Close();
    m_jobsInFlight.End(JobsInFlight::QuotesKey());
    if (m_gathering.IsSingle())
        onSingleReply(*m_gathering.Reports().front());
    else
        onGatheredReplies();
}

void RefreshCycle::onSingleReply(const FetchReport& report) {
    // The reply is read by the parser of the service its job asked, so a reply requested
    // before the source changed is never read by the wrong one.
    const int source = report.quoteSource;
    const QuoteService& service = QuoteServiceOf(source);
    if (report.status == kFetchFailed) {
        endRefresh(source, RefreshResult::kNoReply);
        return;
    }
    std::string fileReply;
    if (report.jobKind == kJobGoogleFile) {
        const std::string& file = report.replyFile.empty() ? m_requester.GoogleReplyFile() : report.replyFile;
        fileReply = service.readReplyFile ? service.readReplyFile(file) : std::string();
    }
    const std::string_view reply = report.jobKind == kJobGoogleFile ? fileReply : report.reply;
    m_book.alertClock = m_host.WallSeconds(); // the alert rules of the call auction and of today's date
    const QuoteReplyResult result = DispatchQuoteReply(m_book, source, reply);
    if (result.applied) {
        CollectAllAlerts(m_book);
        if (m_alertMemory)
            m_alertMemory->Remember(m_book);
        m_host.QuotesApplied();
    }
    endRefresh(source, result.failed ? RefreshResult::kNoUsableRecords : RefreshResult::kAnswered);
}

void RefreshCycle::onGatheredReplies() {
    const RefreshPlan& plan = m_gathering.Plan();
    std::vector<GatheredReply> replies(plan.parts.size());
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        const FetchReport& report = *m_gathering.Reports()[i];
        if (report.status != kFetchFinished)
            continue;
        if (report.jobKind == kJobGoogleFile) {
            const QuoteService& service = QuoteServiceOf(report.quoteSource);
            const std::string& file =
                report.replyFile.empty() ? m_requester.GoogleReplyFile() : report.replyFile;
            replies[i].text = service.readReplyFile ? service.readReplyFile(file) : std::string();
        } else {
            replies[i].text = report.reply;
            replies[i].eachUrl = report.urlReplies; // the funds, each apart
        }
    }
    m_book.alertClock = m_host.WallSeconds();
    const GatheredResult result = ApplyGatheredReplies(m_book, plan, replies, m_rates);
    for (std::size_t i = 0; i < plan.parts.size(); ++i) {
        if (static_cast<int>(i) != plan.mainPart && plan.parts[i].kind == RefreshPartKind::kQuotes)
            m_otherServices.OnResult(plan.parts[i].source, result.parts[i] == RefreshResult::kAnswered);
    }
    if (result.applied) {
        CollectAllAlerts(m_book);
        if (m_alertMemory)
            m_alertMemory->Remember(m_book);
        m_host.QuotesApplied();
    }
    if (plan.mainPart >= 0) {
        const RefreshPart& main = plan.parts[static_cast<std::size_t>(plan.mainPart)];
        endRefresh(main.source, result.parts[static_cast<std::size_t>(plan.mainPart)]);
    } else {
        // Funds alone: no quote service was asked.
        endRefresh(m_fallback.Current(), result.applied ? RefreshResult::kAnswered : RefreshResult::kNoReply,
                   false);
    }
}

void RefreshCycle::endRefresh(int source, RefreshResult result, bool learn) {
    if (learn)
        m_fallback.OnResult(source, result);
    RefreshEnd end{source, result, false};
    const std::int64_t now = m_host.WallSeconds();
    if (result == RefreshResult::kAnswered) {
        m_quotesComing = true;
        learnHolidays(now);
        setStatus(statusWhileQuotesCome(now));
    } else if (m_quotesComing && m_fallback.OnOtherSource() && source == m_fallback.Selected()) {
        // Only the selected service's turn failed: the quotes keep coming from the other one.
        end.quotesStillComing = true;
        setStatus(statusWhileQuotesCome(now));
    } else {
        m_quotesComing = false;
        setStatus(failureText());
    }
    m_lastRefresh = end;
}

void RefreshCycle::learnHolidays(std::int64_t now) {
    if (!MarketGates::HasOwnHours(m_book.watchList)) {
        m_tradingHours.OnQuotes(now, LatestQuoteTime(m_book));
        return;
    }
    // Each market's holiday from its own rows' dates.
    const RefreshPlan& plan = m_gathering.Plan();
    const std::vector<int> asked = plan.Markets();
    if (plan.allMarkets || std::any_of(asked.begin(), asked.end(), FollowsAShareHours))
        m_tradingHours.OnQuotes(
            now, LatestQuoteTimeOf(m_book, {kMarketShanghai, kMarketShenzhen, kMarketBeijing}));
    m_marketGates.OnQuotes(m_book, asked, now);
}

std::string RefreshCycle::statusWhileQuotesCome(std::int64_t now) const {
    const bool ownHours = MarketGates::HasOwnHours(m_book.watchList);
    // The A-share exchanges closed while Hong Kong or the US trade: quotes still come.
    if (m_tradingHours.IsClosed(now) && !(ownHours && m_marketGates.AnyTrading(m_book.watchList, now)))
        return closedText(now);
    if (m_fallback.OnOtherSource())
        return m_fallback.StatusText();
    if (ownHours && m_settings.tradeHoursOnly) {
        // "港股休市", "美股休市": a market of the rows that is out of its session or on a holiday
        // the quotes told, while another trades.
        const std::string closed =
            ClosedMarketsText(m_book.watchList, now, m_marketGates.MarketsClosedToday(m_tradingHours, now));
        if (!closed.empty())
            return closed;
    }
    return kStatusQuotesShown;
}

std::string RefreshCycle::failureText() const {
    if (!m_fallback.Enabled() || !m_fallback.EveryServiceFailed())
        return kStatusFailed;
    if (!m_quoteTimerDueMs)
        return "所有行情来源均无响应。请检查网络或者点击刷新按钮。";
    const std::int64_t retry = m_host.WallSeconds() + (*m_quoteTimerDueMs - m_host.SteadyMs() + 999) / 1000;
    return "所有行情来源均无响应，" + BeijingTimeAt(retry).DateTime().substr(11) + " 再试。";
}

std::string RefreshCycle::closedText(std::int64_t now) const {
    return ClosedStatusText(now, m_tradingHours.IsClosedDay(now), LatestQuoteTime(m_book));
}

void RefreshCycle::setStatus(std::string text) {
    if (text == m_status)
        return;
    m_status = std::move(text);
    m_host.StatusChanged(m_status);
}

} // namespace marlune
