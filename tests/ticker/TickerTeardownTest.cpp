// The ticker window against the simulated market over loopback: quotes reach the grid,
// and destroying the window while download workers wait for it, or hang on the network,
// returns promptly and never runs a report afterwards.
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "net/ServiceEndpoints.h"
#include "sim/SimServer.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerWindow.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace marlune {
namespace {

using SteadyClock = std::chrono::steady_clock;

class TickerTeardownTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString());
        ASSERT_TRUE(CreateFirstRunFiles());
        // The welcome text after a reply holds at any hour of the machine's clock.
        ProfileWrite(BaseIniPath(), "sys", "TradeHoursOnly", "0");
        ASSERT_GT(m_sim.Start(0), 0);
        ASSERT_TRUE(PointAllServicesAt(m_sim.BaseUrl()));
    }
    void TearDown() override {
        RestoreDefaultServices();
        SetProgramFolder("");
    }

    std::size_t QuoteRequests() const {
        std::size_t count = 0;
        for (const auto& request : m_sim.Requests())
            count += request.target.rfind("/rn=", 0) == 0 ? 1 : 0;
        return count;
    }

    QTemporaryDir m_dir;
    sim::SimServer m_sim;
};

TEST_F(TickerTeardownTest, QuotesFromTheSimulatedMarketReachTheGrid) {
    TickerWindow window(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!window.Grid()->text(1, 2).isEmpty(), 10000);
    EXPECT_EQ(window.Grid()->text(1, 0), QStringLiteral("000001"));
    EXPECT_EQ(window.Grid()->text(1, 1), QStringLiteral("上证指数"));
    EXPECT_EQ(window.StatusText().toStdString(), kStatusQuotesShown);
    ASSERT_EQ(QuoteRequests(), 1u);
    const auto request = m_sim.Requests().front();
    EXPECT_NE(request.target.find("&list=sh000001,sz399001"), std::string::npos);

    // A failing service: the failure text, the grid keeps its values.
    const QString price = window.Grid()->text(1, 2);
    sim::Fault fault;
    fault.status = 500;
    m_sim.SetFault("/rn=", fault);
    QTest::qWait(4100); // past the request throttle
    window.refreshQuotes();
    QTRY_COMPARE_WITH_TIMEOUT(window.StatusText().toStdString(), std::string(kStatusFailed), 10000);
    EXPECT_EQ(window.Grid()->text(1, 2), price);
}

TEST_F(TickerTeardownTest, WorkerWaitingInItsReportDoesNotBlockDestruction) {
    auto window = std::make_unique<TickerWindow>(nullptr);
    // Without this thread running its event loop the finished report cannot be
    // handled: the worker waits for this thread.
    const auto deadline = SteadyClock::now() + std::chrono::seconds(10);
    while (QuoteRequests() == 0 && SteadyClock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(QuoteRequests(), 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto start = SteadyClock::now();
    window.reset();
    EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(5));
    QCoreApplication::processEvents(); // the dropped report must not run now
}

TEST_F(TickerTeardownTest, HungServerDoesNotHoldTheWindow) {
    sim::Fault hang;
    hang.hang = true;
    m_sim.SetFault("/", hang);
    auto window = std::make_unique<TickerWindow>(nullptr);
    window->Refresh().FireChartTimer();
    QTest::qWait(300);
    const auto start = SteadyClock::now();
    window.reset();
    EXPECT_LT(SteadyClock::now() - start, std::chrono::seconds(5));
}

} // namespace
} // namespace marlune
