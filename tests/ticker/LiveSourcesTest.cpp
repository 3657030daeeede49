// The ticker window through its real download path against the simulated market: every
// service that answers today fills the grid with the same texts, a service that stops
// answering is replaced and taken back, and outside trading hours the timer asks nothing.
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "cycle/RefreshCycle.h"
#include "cycle/RefreshTimers.h"
#include "net/JobsInFlight.h"
#include "net/ServiceEndpoints.h"
#include "quote/QuoteService.h"
#include "sim/SimServer.h"
#include "text/BeijingTime.h"
#include "text/FileBytes.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerWindow.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace marlune {
namespace {

const std::int64_t kFridayMorning = UnixSecondsOfBeijing(2026, 4, 24, 10, 30, 0);
const std::int64_t kFridayEvening = UnixSecondsOfBeijing(2026, 4, 24, 20, 0, 0);
const std::int64_t kMondayMorning = UnixSecondsOfBeijing(2026, 4, 27, 9, 40, 0);

class LiveSourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString());
        ASSERT_TRUE(CreateFirstRunFiles());
        // Both main indices, shares of both markets, a holding and a code nobody knows.
        ASSERT_TRUE(WriteFileAtomically(ListIniPath(), "k1|000001|I|1|0|0|0|0|0\r\n"
                                                       "k2|399001|J|2|0|0|0|0|0\r\n"
                                                       "k3|600000|A|1|0|0|0|300|7.5\r\n"
                                                       "k4|000001|B|2|0|0|0|0|0\r\n"
                                                       "k5|300750|C|2|0|0|0|100|150\r\n"
                                                       "k6|689999|X|1|0|0|0|0|0\r\n"));
        SetSys("FreshSec", "4");
        sim::SimOptions options;
        options.clock = [this] { return static_cast<std::int64_t>(marketClock); };
        options.calendar.enabled = true; // the exchanges' hours: after the close prices stand
        m_market = std::make_unique<sim::SimServer>(options);
        ASSERT_GT(m_market->Start(0), 0);
        ASSERT_TRUE(PointAllServicesAt(m_market->BaseUrl()));
    }
    void TearDown() override {
        m_window.reset();
        m_market.reset();
        RestoreDefaultServices();
        SetProgramFolder("");
    }

    void SetSys(const char* key, const std::string& value) { ProfileWrite(BaseIniPath(), "sys", key, value); }

    // A window on the real download path; its clock is `clock`.
    TickerWindow& Make() {
        m_window.reset();
        TickerWindow::JobsAndClocks jobsAndClocks;
        jobsAndClocks.clock = [this] { return static_cast<std::uint32_t>(clock); };
        m_window = std::make_unique<TickerWindow>(nullptr, jobsAndClocks);
        return *m_window;
    }

    // Waits until no quote job runs (the reply, or the failure, has been handled).
    static bool QuotesSettled(const TickerWindow& w) {
        return QTest::qWaitFor(
            [&w] { return !w.Refresh().Cycle().RunningJobs().IsRunning(JobsInFlight::QuotesKey()); }, 15000);
    }

    // One timer tick a refresh period later, settled.
    void Tick(TickerWindow& w) {
        clock += 5;
        w.Refresh().FireQuoteTimer();
        ASSERT_TRUE(QuotesSettled(w));
    }

    // The quote requests the market received since the last call, as "/q=", "/rn=", ...
    std::vector<std::string> QuoteRequests() {
        std::vector<std::string> asked;
        for (const sim::RequestRecord& request : m_market->Requests()) {
            std::string codes;
            if (const QuoteService* service = QuoteServiceOfRequest(request.target, codes))
                asked.push_back(service->englishName);
        }
        m_market->ClearRequests();
        return asked;
    }

    // Every cell's text and colour.
    static std::vector<QString> GridCells(const TickerWindow& w) {
        std::vector<QString> cells;
        const QuoteGrid& grid = *w.Grid();
        for (int row = 0; row < grid.rows(); ++row)
            for (int col = 0; col < grid.cols(); ++col)
                cells.push_back(QString("%1,%2 %3 %4")
                                    .arg(row)
                                    .arg(col)
                                    .arg(grid.text(row, col), grid.effectiveForeColor(row, col).name()));
        return cells;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<sim::SimServer> m_market;
    std::unique_ptr<TickerWindow> m_window;
    std::int64_t clock = kFridayMorning;       // the ticker's
    std::int64_t marketClock = kFridayMorning; // the market's, standing still
};

TEST_F(LiveSourcesTest, TencentAndEastMoneyFillTheGridWithSinasTexts) {
    SetSys("AutoSource", "0");
    std::vector<QString> sina;
    for (int source : {kSourceSina, kSourceTencent, kSourceEastMoney}) {
        SCOPED_TRACE(source);
        SetSys("DataSour", std::to_string(source));
        TickerWindow& w = Make();
        ASSERT_TRUE(QuotesSettled(w));
        EXPECT_EQ(QuoteRequests(), std::vector<std::string>{QuoteServiceOf(source).englishName});
        EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusQuotesShown));
        const std::vector<QString> cells = GridCells(w);
        if (source == kSourceSina) {
            sina = cells;
            // Every known stock has its price, the unknown code's row none.
            EXPECT_FALSE(w.Book().watchList[4].quote.price.empty());
            EXPECT_TRUE(w.Book().watchList[5].quote.price.empty());
            EXPECT_FALSE(w.Book().watchList[2].quote.plAmount.empty());
            continue;
        }
        ASSERT_EQ(cells.size(), sina.size());
        // Each service writes prices with its own decimals (Sina "7.170", Tencent "7.17"): a
        // number is compared by value, every other text and every colour exactly.
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const QStringList a = cells[i].split(' ');
            const QStringList b = sina[i].split(' ');
            bool numberA = false;
            bool numberB = false;
            const double valueA = a.value(1).toDouble(&numberA);
            const double valueB = b.value(1).toDouble(&numberB);
            if (a.size() == 3 && b.size() == 3 && numberA && numberB)
                EXPECT_TRUE(valueA == valueB && a[0] == b[0] && a[2] == b[2])
                    << cells[i].toStdString() << " vs " << sina[i].toStdString();
            else
                EXPECT_EQ(cells[i], sina[i]);
        }
    }
}

TEST_F(LiveSourcesTest, ASilentSourceIsReplacedAfterTwoFailuresAndTakenBackWhenItAnswers) {
    SetSys("DataSour", "1");
    sim::Fault down;
    down.status = 503;
    m_market->SetFault("/rn=", down);
    TickerWindow& w = Make();
    ASSERT_TRUE(QuotesSettled(w));
    EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusFailed));
    Tick(w);
    EXPECT_EQ(QuoteRequests(), (std::vector<std::string>{"Sina", "Sina"}));
    EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusFailed));
    EXPECT_TRUE(w.Book().watchList[2].quote.price.empty());

    // The third refresh asks Tencent, and says so.
    Tick(w);
    EXPECT_EQ(QuoteRequests(), std::vector<std::string>{"Tencent"});
    EXPECT_EQ(w.StatusText(), QString::fromUtf8("行情来源：腾讯（新浪无响应）"));
    EXPECT_FALSE(w.Book().watchList[2].quote.price.empty());

    // Tencent falls silent too: the next refresh asks East Money.
    m_market->SetFault("/q=", down);
    Tick(w);
    EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusFailed));
    Tick(w);
    EXPECT_EQ(QuoteRequests(), (std::vector<std::string>{"Tencent", "East Money"}));
    EXPECT_EQ(w.StatusText(), QString::fromUtf8("行情来源：东方财富（新浪无响应）"));

    // Sina answers again; it is asked every tenth refresh and then kept. Every refresh asks
    // one service only.
    m_market->ClearFaults();
    int refreshes = 0;
    while (w.Refresh().Cycle().Fallback().OnOtherSource() && refreshes < 12) {
        Tick(w);
        ++refreshes;
        EXPECT_EQ(QuoteRequests().size(), 1u);
    }
    EXPECT_FALSE(w.Refresh().Cycle().Fallback().OnOtherSource());
    EXPECT_LE(refreshes, SourceFallback::kRetrySelectedEvery);
    EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusQuotesShown));
    Tick(w);
    EXPECT_EQ(QuoteRequests(), std::vector<std::string>{"Sina"});
}

TEST_F(LiveSourcesTest, OutsideTradingHoursTheTimerAsksNothingAndTheStatusSaysClosed) {
    SetSys("AutoSource", "0");
    clock = marketClock = kFridayEvening;
    TickerWindow& w = Make();
    ASSERT_TRUE(QuotesSettled(w)); // start-up asks whatever the hour
    EXPECT_EQ(QuoteRequests().size(), 1u);
    const QString closed = w.StatusText();
    EXPECT_TRUE(closed.startsWith(QString::fromUtf8("已收盘（最后行情：2026-04-24 15:00:")))
        << closed.toStdString();
    for (int i = 0; i < 3; ++i)
        Tick(w);
    EXPECT_TRUE(QuoteRequests().empty());
    EXPECT_EQ(w.StatusText(), closed);

    // Monday morning the ticks ask again, and the quotes of the new day replace the status.
    clock = marketClock = kMondayMorning;
    Tick(w);
    EXPECT_EQ(QuoteRequests().size(), 1u);
    EXPECT_EQ(w.StatusText(), QString::fromUtf8(kStatusQuotesShown));
}

} // namespace
} // namespace marlune
